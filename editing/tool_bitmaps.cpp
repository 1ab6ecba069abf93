// The tool-face range table, its lookup and the loaded strips.
#include "editing/tool_bitmaps.h"

#include <array>
#include <map>
#include <string>

#include "editing/palette_layout.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/sys/folders.h"

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

// The strips by resource id; a strip that failed to load is kept as null.
struct LoadedStrips {
    bool loaded = false;
    std::map<uint16_t, platform::BitmapHandle> strips;
};

LoadedStrips& Strips() {
    static LoadedStrips strips;
    return strips;
}

platform::BitmapHandle LoadStrip(uint16_t id) {
    const auto path = sys::ProgramFolder() / kToolFaceFolder / (std::to_string(id) + ".png");
    return gfx::LoadPng(path.string());
}

// Loads every strip at once; a window layer started anew since invalidates the
// handles kept, and they are loaded again.
void EnsureStrips() {
    LoadedStrips& loaded = Strips();
    if (loaded.loaded) {
        const auto mark = loaded.strips.find(kToolMarkBitmap);
        gfx::BitmapInfo info;
        if (mark == loaded.strips.end() || !mark->second ||
            gfx::GetBitmapInfo(mark->second, &info))
            return;
        loaded = LoadedStrips{};
    }
    loaded.loaded = true;
    for (const ToolBitmapRange& range : kRanges)
        for (uint16_t id : {range.largeStrip, range.smallStrip})
            if (id != 0) loaded.strips[id] = LoadStrip(id);
    loaded.strips[kToolMarkBitmap] = LoadStrip(kToolMarkBitmap);
}

bool OrBitmap(platform::DcHandle dc, int x, int y, platform::BitmapHandle bitmap, int sourceX,
              int width, int height) {
    if (!dc || !bitmap) return false;
    const platform::DcHandle memory = gfx::CreateMemoryContext(dc);
    if (!memory) return false;
    const platform::BitmapHandle old = gfx::SelectObject(memory, bitmap);
    const bool done = gfx::BitBlit(dc, {x, y}, {width, height}, memory, {sourceX, 0},
                                   gfx::RasterOp::SourcePaint);
    gfx::SelectObject(memory, old);
    gfx::DeleteContext(memory);
    return done;
}

}  // namespace

std::span<const ToolBitmapRange, kToolBitmapRanges> ToolBitmapRanges() {
    return kRanges;
}

ToolBitmapPlace GetToolBitmap(int buttonSize, int bitmapId, int imageIndex) {
    for (int row = 0; row < kToolBitmapRanges; ++row) {
        const ToolBitmapRange& range = kRanges[static_cast<size_t>(row)];
        if (bitmapId < range.first || bitmapId >= range.first + range.count) continue;
        const bool small = buttonSize != kLargeButtonSize && range.smallStrip != 0;
        const uint16_t strip = small ? range.smallStrip : range.largeStrip;
        return {row, strip, bitmapId - range.first + imageIndex, ToolStripBitmap(strip)};
    }
    return {};
}

platform::BitmapHandle ToolStripBitmap(uint16_t strip) {
    EnsureStrips();
    const auto found = Strips().strips.find(strip);
    return found == Strips().strips.end() ? platform::BitmapHandle{} : found->second;
}

void FreeToolBitmaps() {
    for (auto& [id, bitmap] : Strips().strips)
        if (bitmap) gfx::DeleteObject(bitmap);
    Strips() = LoadedStrips{};
}

bool DrawToolFace(platform::DcHandle dc, int x, int y, int buttonSize, int bitmapId, int imageIndex) {
    const ToolBitmapPlace place = GetToolBitmap(buttonSize, bitmapId, imageIndex);
    gfx::BitmapInfo info;
    if (place.row < 0 || !place.bitmap || !gfx::GetBitmapInfo(place.bitmap, &info)) return false;
    const int count = kRanges[static_cast<size_t>(place.row)].count;
    const int width = info.width / count;
    if (place.position < 0 || place.position >= count || width <= 0) return false;
    return OrBitmap(dc, x, y, place.bitmap, place.position * width, width, info.height);
}

bool DrawToolMark(platform::DcHandle dc, int x, int y) {
    const platform::BitmapHandle mark = ToolStripBitmap(kToolMarkBitmap);
    gfx::BitmapInfo info;
    if (!mark || !gfx::GetBitmapInfo(mark, &info)) return false;
    return OrBitmap(dc, x, y, mark, 0, info.width, info.height);
}

}  // namespace ql
