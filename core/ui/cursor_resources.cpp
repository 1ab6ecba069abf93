// The program's cursors, drawn on the cursor canvas: black shapes with a white
// outline. The zoom magnifiers carry the level they stand for in small digits;
// the one for any other level is a bare magnifier.
#include "core/ui/cursor_resources.h"

#include <array>
#include <iterator>
#include <span>
#include <string>

#include "core/draw/view_metrics.h"
#include "core/ui/cursor_art.h"
#include "core/ui/dialog_grid.h"

namespace ql {
namespace {

constexpr std::string_view kArrowRows[] = {
    "X         ", "XX        ", "XXX       ", "XXXX      ", "XXXXX     ", "XXXXXX    ",
    "XXXXXXX   ", "XXXXXXXX  ", "XXXXXXXXX ", "XXXXXXXXXX", "XXXXXX    ", "XXX XXX   ",
    "XX  XXX   ", "X    XXX  ", "     XXX  ", "      XXX ", "      XXX ",
};

// The arrow with a mark at its lower right: the tool's plus, the handle's square.
constexpr int32_t kMarkedArrowSize = 17;
constexpr int32_t kArrowMarkCorner = 12;
constexpr std::string_view kPlusRows[] = {"  X  ", "  X  ", "XXXXX", "  X  ", "  X  "};
constexpr std::string_view kSquareRows[] = {"XXXXX", "X   X", "X   X", "X   X", "XXXXX"};

// Corners top left and bottom right; the centre is the hot spot.
constexpr std::string_view kDiagonalRows[] = {
    "XXXXXX         ", "XXXXX          ", "XXXX           ", "XXXXX          ", "XX XXX         ",
    "X   XXX        ", "     XXX       ", "      XXX      ", "       XXX     ", "        XXX   X",
    "         XXX XX", "          XXXXX", "           XXXX", "          XXXXX", "         XXXXXX",
};
constexpr gfx::Point kDiagonalHotSpot{7, 7};

constexpr std::string_view kUpDownRows[] = {
    "    X    ", "   XXX   ", "  XXXXX  ", " XXXXXXX ", "XXXXXXXXX", "   XXX   ",
    "   XXX   ", "   XXX   ", "   XXX   ", "   XXX   ", "   XXX   ", "   XXX   ",
    "XXXXXXXXX", " XXXXXXX ", "  XXXXX  ", "   XXX   ", "    X    ",
};
constexpr gfx::Point kUpDownHotSpot{4, 8};

// Crosshair arms around a gap, and a small box off its lower right.
constexpr int32_t kCrosshairCentre = 7;
constexpr int32_t kCrosshairArm = 7;
constexpr int32_t kCrosshairGap = 1;
constexpr std::string_view kBoxRows[] = {
    "XXXXXXX", "X     X", "X     X", "X     X", "X     X", "XXXXXXX",
};
constexpr int32_t kBoxCorner = 12;

// The magnifier: a ring around the hot spot and a handle to the lower right.
constexpr int32_t kLensCentre = 8;
constexpr int32_t kLensInnerSquared = 30;  // about 5.5 pixels
constexpr int32_t kLensOuterSquared = 56;  // about 7.5 pixels
constexpr int32_t kHandleFirst = 13;
constexpr int32_t kHandleLast = 20;
constexpr int32_t kMagnifierSize = 22;

constexpr int32_t kDigitWidth = 3;
constexpr int32_t kDigitHeight = 5;
constexpr std::array<std::array<std::string_view, kDigitHeight>, 10> kDigits = {{
    {"XXX", "X X", "X X", "X X", "XXX"},
    {" X ", "XX ", " X ", " X ", "XXX"},
    {"XXX", "  X", "XXX", "X  ", "XXX"},
    {"XXX", "  X", " XX", "  X", "XXX"},
    {"X X", "X X", "XXX", "  X", "  X"},
    {"XXX", "X  ", "XXX", "  X", "XXX"},
    {"XXX", "X  ", "XXX", "X X", "XXX"},
    {"XXX", "  X", " X ", " X ", " X "},
    {"XXX", "X X", "XXX", "X X", "XXX"},
    {"XXX", "X X", "XXX", "  X", "XXX"},
}};

CursorArt ArrowArt(std::span<const std::string_view> mark) {
    CursorArt art(kMarkedArrowSize, kMarkedArrowSize);
    art.Stamp(kArrowRows, 0, 0);
    if (!mark.empty()) art.Stamp(mark, kArrowMarkCorner, kArrowMarkCorner);
    return art;
}

CursorArt RowsArt(std::span<const std::string_view> rows) {
    CursorArt art(static_cast<int32_t>(rows.front().size()), static_cast<int32_t>(rows.size()));
    art.Stamp(rows, 0, 0);
    return art;
}

CursorArt MoveArt() {
    const CursorArt upDown = RowsArt(kUpDownRows);
    CursorArt art(upDown.Height(), upDown.Height());
    art.Stamp(upDown, kUpDownHotSpot.y - kUpDownHotSpot.x, 0);
    art.Stamp(upDown.Transposed(), 0, kUpDownHotSpot.y - kUpDownHotSpot.x);
    return art;
}

CursorArt BoxCrosshairArt() {
    CursorArt art(kBoxCorner + static_cast<int32_t>(kBoxRows[0].size()),
                  kBoxCorner + static_cast<int32_t>(std::size(kBoxRows)));
    for (int32_t d = kCrosshairGap + 1; d <= kCrosshairArm; ++d) {
        art.Plot(kCrosshairCentre - d, kCrosshairCentre);
        art.Plot(kCrosshairCentre + d, kCrosshairCentre);
        art.Plot(kCrosshairCentre, kCrosshairCentre - d);
        art.Plot(kCrosshairCentre, kCrosshairCentre + d);
    }
    art.Plot(kCrosshairCentre, kCrosshairCentre);
    art.Stamp(kBoxRows, kBoxCorner, kBoxCorner);
    return art;
}

// The first level a zoom cursor stands for; 0 for the cursor of any other level.
int32_t LevelOfZoomCursor(int index) {
    constexpr int32_t kLowestLevel = 2;
    constexpr int kOtherLevels = kZoomCursorCount - 1;
    if (index == kOtherLevels) return 0;
    for (int32_t level = kLowestLevel; ZoomCursorIndex(level) >= 0; ++level)
        if (ZoomCursorIndex(level) == index) return level;
    return 0;
}

CursorArt MagnifierArt(int32_t level) {
    CursorArt art(kMagnifierSize, kMagnifierSize);
    for (int32_t y = 0; y < kMagnifierSize; ++y)
        for (int32_t x = 0; x < kMagnifierSize; ++x) {
            const int32_t squared =
                (x - kLensCentre) * (x - kLensCentre) + (y - kLensCentre) * (y - kLensCentre);
            if (squared >= kLensInnerSquared && squared <= kLensOuterSquared) art.Plot(x, y);
        }
    for (int32_t t = kHandleFirst; t <= kHandleLast; ++t) {
        art.Plot(t, t);
        art.Plot(t + 1, t);
        art.Plot(t, t + 1);
    }
    if (level <= 0) return art;
    const std::string digits = std::to_string(level);
    const auto count = static_cast<int32_t>(digits.size());
    const int32_t width = count * (kDigitWidth + 1) - 1;
    int32_t left = kLensCentre - (width - 1) / 2;
    for (char digit : digits) {
        const auto& glyph = kDigits[static_cast<size_t>(digit - '0')];
        art.Stamp(glyph, left, kLensCentre - kDigitHeight / 2);
        left += kDigitWidth + 1;
    }
    return art;
}

void AddCursor(sys::ResourceBundle& bundle, int32_t id, const CursorArt& art, gfx::Point hotSpot) {
    bundle.cursors.emplace(id, art.Finish(hotSpot));
}

}  // namespace

void AddProgramCursors(sys::ResourceBundle& bundle) {
    AddCursor(bundle, kArrowCursorId, RowsArt(kArrowRows), gfx::Point{0, 0});
    AddCursor(bundle, kToolArrowCursorId, ArrowArt(kPlusRows), gfx::Point{0, 0});
    AddCursor(bundle, kHandleCursorId, ArrowArt(kSquareRows), gfx::Point{0, 0});
    const CursorArt diagonal = RowsArt(kDiagonalRows);
    AddCursor(bundle, kResizeDownRightCursorId, diagonal, kDiagonalHotSpot);
    AddCursor(bundle, kResizeDownLeftCursorId, diagonal.Mirrored(), kDiagonalHotSpot);
    const CursorArt upDown = RowsArt(kUpDownRows);
    AddCursor(bundle, kResizeUpDownCursorId, upDown, kUpDownHotSpot);
    AddCursor(bundle, kResizeLeftRightCursorId, upDown.Transposed(),
              gfx::Point{kUpDownHotSpot.y, kUpDownHotSpot.x});
    AddCursor(bundle, kMoveCursorId, MoveArt(), gfx::Point{kUpDownHotSpot.y, kUpDownHotSpot.y});
    AddCursor(bundle, kBoxCrosshairCursorId, BoxCrosshairArt(),
              gfx::Point{kCrosshairCentre, kCrosshairCentre});
    for (int index = 0; index < kZoomCursorCount; ++index)
        AddCursor(bundle, kFirstZoomCursorId + index, MagnifierArt(LevelOfZoomCursor(index)),
                  gfx::Point{kLensCentre, kLensCentre});
}

void RegisterProgramCursors() {
    dialog_grid::AddToProgramBundle(AddProgramCursors);
}

}  // namespace ql
