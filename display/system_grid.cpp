// The system being drawn: staff facts read from checked records, slot edges from the
// beat map row of the system, and the ink calls of system drawing (every point
// clamped to the logical range once, here; noted in the tests' log when one is set).
#include <algorithm>
#include <string>
#include <vector>

#include "core/constants.h"
#include "core/draw/draw_polyline.h"
#include "core/draw/draw_surface.h"
#include "core/draw/staff_scaling.h"
#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/state.h"
#include "core/text/charset_text.h"
#include "display/system_drawing.h"
#include "display/system_drawing_internal.h"
#include "display/system_drawing_test_seam.h"
#include "layout/page_chain.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/text_out.h"

namespace ql::sysdraw {

namespace {

std::vector<test_seam::GridInk>* g_log = nullptr;

int32_t Clamp(int64_t v) {
    return ClampLogical(v);
}

void Log(const test_seam::GridInk& ink) {
    if (g_log != nullptr) g_log->push_back(ink);
}

// The beat-map cell of a slot of the grid's row; -1 outside the map.
int CellOf(const Grid& grid, int slot) {
    if (grid.row < 0 || slot < 1 || slot > kLastBeatMapSlot) return -1;
    return BeatMapCell(grid.row, slot);
}

}  // namespace

bool OpenGrid(ScoreView* view, Grid* grid) {
    if (view == nullptr || view->document == nullptr || view->currentSystem == nullptr) return false;
    ScoreSystem* system = view->currentSystem;
    const int count = view->document->header.staffCount;
    if (count < 1 || StaffOffsetsOf(system) == nullptr || StaffFlagsOf(system) == nullptr)
        return false;
    grid->view = view;
    grid->document = view->document;
    grid->system = system;
    grid->staffCount = count;
    grid->row = system->number < kBeatMapRows ? system->number : -1;
    return true;
}

StaffRecord* StaffOf(const Grid& grid, int staff) {
    if (staff < 1 || staff > grid.staffCount) return nullptr;
    return StaffRecordOf(grid.document, staff);
}

int StaffType(const Grid& grid, int staff) {
    const StaffRecord* record = StaffOf(grid, staff);
    return record != nullptr ? StaffLineCount(*record) : 0;
}

bool IsHideWhenEmpty(const Grid& grid, int staff) {
    const StaffRecord* record = StaffOf(grid, staff);
    return record != nullptr && (record->flags & kHideWhenEmpty) != 0;
}

bool IsLeftOutWhenEmpty(const Grid& grid, int staff) {
    return State().display.OssiaStaves == 0 && IsHideWhenEmpty(grid, staff);
}

uint8_t SystemStaffFlags(const Grid& grid, int staff) {
    if (staff < 1 || staff > grid.staffCount) return 0;
    return static_cast<uint8_t>(StaffFlagsOf(grid.system)[staff]);
}

bool IsShown(const Grid& grid, int staff) {
    return staff >= 1 && staff <= grid.staffCount &&
           (SystemStaffFlags(grid, staff) & pages::kHiddenStaff) == 0;
}

int StaffPercent(const Grid& grid, int staff) {
    const StaffRecord* record = StaffOf(grid, staff);
    const int percent = record != nullptr ? StaffSizePercent(*record) : 0;
    return percent != 0 ? percent : kFullSizePercent;
}

int32_t StaffY(const Grid& grid, int staff) {
    if (staff < 1 || staff > grid.staffCount) return grid.system->y;
    const int64_t y = int64_t{grid.system->y} + StaffOffsetsOf(grid.system)[staff];
    return Clamp(std::min<int64_t>(y, kMaxStaffY));
}

int32_t StaffHeight(const Grid& grid, int staff) {
    return kFullStaffHeight * StaffPercent(grid, staff) / kFullSizePercent;
}

int32_t Scaled(const ScoreView* view, int32_t length) {
    const double scale = view != nullptr ? ViewScale(view) : 0.0;
    return scale > 0.0 ? ScaledValue(length, scale) : length;
}

int MeasureOfSlot(const Grid& grid, int slot) {
    return grid.system->firstMeasure + slot - 1;
}

int LastSlot(const Grid& grid) {
    const int count = grid.system->lastMeasure - grid.system->firstMeasure + 1;
    return std::clamp(count, 1, kLastBeatMapSlot - 1);
}

int32_t SlotLeftX(const Grid& grid, int slot) {
    const int cell = CellOf(grid, slot);
    return Clamp(int64_t{grid.system->x} + (cell >= 0 ? grid.view->beatMap.slotX[cell] : 0));
}

int32_t SlotRightX(const Grid& grid, int slot) {
    if (slot + 1 <= kLastBeatMapSlot) return SlotLeftX(grid, slot + 1);
    const int cell = CellOf(grid, slot);
    if (cell < 0) return grid.system->x;
    const MeasureRecord* measure = MeasureRecordOf(grid.document, MeasureOfSlot(grid, slot));
    const int64_t width = measure != nullptr ? measure->width : 0;
    return Clamp(int64_t{grid.system->x} + grid.view->beatMap.contentX[cell] + width +
                 grid.view->beatMap.trailSpace[cell]);
}

int32_t OpeningContentX(const Grid& grid) {
    const int cell = CellOf(grid, 1);
    return Clamp(int64_t{grid.system->x} + (cell >= 0 ? grid.view->beatMap.contentX[cell] : 0));
}

int PositionOfMeasure(const Grid& grid, int measure) {
    if (measure <= grid.system->firstMeasure) return kSystemStart;
    if (measure > grid.system->lastMeasure) return kSystemEnd;
    return kInsideSystem;
}

bool IsOnScreen() {
    return !IsPrinting();
}

bool ShowsHiddenItems() {
    return State().notes.DisplayHiddenItems != 0;
}

void InkLine(ScoreView* view, int32_t x1, int32_t y1, int32_t x2, int32_t y2) {
    const gfx::Point a{Clamp(x1), Clamp(y1)};
    const gfx::Point b{Clamp(x2), Clamp(y2)};
    gfx::MoveTo(view->ViewDC, a);
    gfx::LineTo(view->ViewDC, b);
    Log({test_seam::GridInkKind::Line, a.x, a.y, b.x, b.y});
}

void InkFilled(ScoreView* view, int32_t x, int32_t y, int32_t width, int32_t height) {
    const gfx::Rect rect{Clamp(x), Clamp(y), Clamp(int64_t{x} + width + 1),
                         Clamp(int64_t{y} + height + 1)};
    gfx::PatternBlit(view->ViewDC, rect, gfx::RasterOp::PatternCopy);
    test_seam::GridInk ink{test_seam::GridInkKind::Filled, rect.left, rect.top};
    ink.width = width;
    ink.height = height;
    Log(ink);
}

void InkGlyph(ScoreView* view, uint8_t code, int32_t x, int32_t y) {
    const gfx::Point at{Clamp(x), Clamp(y)};
    const char glyph = static_cast<char>(code);
    text::TextOutA(view->ViewDC, at, std::string_view(&glyph, 1));
    if (g_log == nullptr) return;
    test_seam::GridInk ink{test_seam::GridInkKind::Glyph, at.x, at.y};
    ink.code = code;
    text::LogicalFont request;
    if (text::GetFontRequest(gfx::GetCurrentFont(view->ViewDC), &request)) {
        ink.fontHeight = request.height;
        ink.fontWidth = request.width;
    }
    Log(ink);
}

void InkDottedLine(ScoreView* view, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                   int32_t width) {
    const gfx::Point ends[2] = {{Clamp(x1), Clamp(y1)}, {Clamp(x2), Clamp(y2)}};
    DrawPolylineWithPen(view, ends, 2, gfx::PenStyle::Dot, width, false);
    test_seam::GridInk ink{test_seam::GridInkKind::DottedLine, ends[0].x, ends[0].y, ends[1].x,
                           ends[1].y};
    ink.width = width;
    Log(ink);
}

void InkNumber(ScoreView* view, int32_t x, int32_t y, std::string_view text, int number) {
    const gfx::Point at{Clamp(x), Clamp(y)};
    TextOutInCharset(view->ViewDC, {}, at.x, at.y, text.data(), static_cast<int>(text.size()));
    if (g_log == nullptr) return;
    test_seam::GridInk ink{test_seam::GridInkKind::Text, at.x, at.y};
    gfx::Size extent;
    if (TextExtentOfFont(view->ViewDC, text.data(), static_cast<int>(text.size()), &extent))
        ink.x2 = extent.cx;
    ink.number = number;
    text::LogicalFont request;
    if (text::GetFontRequest(gfx::GetCurrentFont(view->ViewDC), &request)) {
        ink.fontHeight = request.height;
        ink.face = std::string(request.Face());
    }
    Log(ink);
}

}  // namespace ql::sysdraw

namespace ql::sysdraw::test_seam {

void SetGridInkLog(std::vector<GridInk>* log) {
    g_log = log;
}

}  // namespace ql::sysdraw::test_seam
