// The tool-face range table and its lookup.
#include "editing/tool_bitmaps.h"

#include <array>

#include "editing/palette_layout.h"

namespace ql {
namespace {

constexpr std::array<ToolBitmapRange, kToolBitmapRanges> kRanges = {{
    {1, 14, 476, 477},    // Main
    {15, 35, 448, 445},   // Notes and its note and rest faces
    {50, 10, 459, 460},   //
    {60, 15, 461, 462},   //
    {75, 36, 457, 458},   // Heads
    {111, 20, 446, 447},  // Accents
    {131, 30, 455, 456},  // Ornaments
    {161, 14, 453, 454},  // Text & Symbols
    {175, 16, 451, 452},  // Graphics
    {191, 9, 449, 450},   // Staff Tools
    {200, 15, 465, 0},    //
    {215, 16, 425, 444},  // Dynamics
    {231, 11, 463, 464},  // Performance
    {242, 14, 466, 0},    // page buttons, 17 x 22
    {256, 6, 467, 0},     // page arrows
    {262, 6, 468, 0},     //
    {268, 16, 469, 0},    //
}};

}  // namespace

std::span<const ToolBitmapRange, kToolBitmapRanges> ToolBitmapRanges() {
    return kRanges;
}

ToolBitmapPlace GetToolBitmap(int buttonSize, int bitmapId, int imageIndex) {
    for (int row = 0; row < kToolBitmapRanges; ++row) {
        const ToolBitmapRange& range = kRanges[static_cast<size_t>(row)];
        if (bitmapId < range.first || bitmapId >= range.first + range.count) continue;
        const bool small = buttonSize != kLargeButtonSize && range.smallStrip != 0;
        return {row, small ? range.smallStrip : range.largeStrip,
                bitmapId - range.first + imageIndex};
    }
    return {};
}

}  // namespace ql
