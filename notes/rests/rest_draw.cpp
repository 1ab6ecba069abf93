// Where a rest stands and how it is drawn: its anchor from the beat map, the zoom
// nudges of half and whole rests, the glyph, its dots and the ledger line of a half or
// longer rest outside the staff, and the whole-measure rest of an empty measure.
//
// Anchor (ComputeRestGeometry): x = slot x + tick x + 16 x offset + the glyph's half
// width (the glyph is drawn from x - half width); y = staff base y + zoomed(position
// x 64) + fine offset. For codes 11..13 the position counts rounded to even (bit 0
// cleared) and the fine offset as 0; drawing reads these values and never writes them
// back, so drawing leaves the record as it was.
#include <algorithm>
#include <string>

#include "core/constants.h"
#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/glyph_metrics.h"
#include "core/draw/painting_guard.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "notes/beatmap/beat_map.h"
#include "notes/drawing/glyph_paper.h"
#include "notes/rests/rest.h"
#include "notes/rests/rest_internal.h"
#include "notes/rests/staff_place.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/text/text_metrics.h"
#include "platform/text/text_out.h"
#include "staves/multi_measure_rest.h"

namespace ql {

namespace rests {

namespace {

constexpr int kPlacedCodes = kLongestRestCode - kShortestRestCode + 1;
// Glyph extents by code 4..13 above and below the rest's y.
constexpr int16_t kExtentAbove[kPlacedCodes] = {680, 552, 424, 296, 165, 40, 205, 64, 128, 128};
constexpr int16_t kExtentBelow[kPlacedCodes] = {197, 197, 197, 197, 197, 196, 182, 0, 0, 0};

// Zoom-level nudges (device tuning of the half and whole rest glyphs).
struct ZoomNudge {
    int32_t fromZoom;
    int32_t toZoom;
    int32_t nudge;
};
constexpr ZoomNudge kHalfRestNudges[] = {{3, 3, 64}, {4, 4, 8}, {5, 5, 32}, {6, 13, 8}, {40, 40, -4}};
constexpr ZoomNudge kWholeRestNudges[] = {{3, 3, 32}, {4, 5, 16}, {8, 8, -8}, {14, 19, 8}};

// Dots: their column and height.
constexpr int kDotColumnStart = 1;     // dot k stands k + 1 dot gaps right of x
constexpr int32_t kShortDotShift = 16;  // codes 9 and 10: further left
constexpr int kFirstShiftedDotCode = 9;
constexpr int kLastShiftedDotCode = 10;
constexpr int kFirstHighDotCode = 10;   // from here dots stand above the rest's y
constexpr int32_t kHighDotRise = 64;
constexpr int32_t kLowDotDrop = 60;     // below the glyph's top

// Ledger lines of long rests.
constexpr int kLedgerBelowShift = 2;  // a whole rest hangs from the line above it

constexpr uint16_t kOssiaStaff = 0x1000;  // staff flags bit 12
constexpr uint8_t kFourHalvesBeats = 4;
constexpr uint8_t kHalfBeatUnit = 11;

int32_t NudgeOf(const ZoomNudge* table, size_t count, int32_t zoom) {
    for (size_t i = 0; i < count; ++i)
        if (zoom >= table[i].fromZoom && zoom <= table[i].toZoom) return table[i].nudge;
    return 0;
}

}  // namespace

int32_t RestZoomNudge(const ScoreView* view, int code) {
    const int32_t zoom = ZoomLevel(view);
    if (code == kHalfRestCode) return NudgeOf(kHalfRestNudges, std::size(kHalfRestNudges), zoom);
    if (code == kWholeRestCode) return NudgeOf(kWholeRestNudges, std::size(kWholeRestNudges), zoom);
    return 0;
}

namespace {

// The position and fine offset a rest is drawn with.
int EffectivePosition(const RestBody& body) {
    return IsLongRestCode(body.code) ? (body.position & ~1) : body.position;
}
int EffectiveFineY(const RestBody& body) {
    return IsLongRestCode(body.code) ? 0 : body.fineY;
}

void GlyphOut(platform::DcHandle dc, int code, int32_t x, int32_t y) {
    text::TextOutA(dc, gfx::Point{x, y}, std::string(1, static_cast<char>(code)));
}

// The music font of a rest size: 0 normal, 1 small, 2 smaller; null for others.
platform::FontHandle FontOfSize(int size) {
    const DrawingGlobals& drawing = State().drawing;
    constexpr int kSmall = 1;
    constexpr int kSmaller = 2;
    if (size == 0) return drawing.MusicFont;
    if (size == kSmall) return drawing.MusicFont75;
    if (size == kSmaller) return drawing.MusicFont65;
    return {};
}

void DrawLedgerLine(ScoreView* view, int code, int position, int32_t x) {
    int line = 0;
    if (!RestLedgerLine(view, code, position, &line)) return;
    const int32_t width = view->scaledMetrics.blackWidth > 0 ? view->scaledMetrics.blackWidth
                                                             : view->glyphWidths.black;
    const int32_t y = PositionY(view, line);
    gfx::MoveTo(view->ViewDC, gfx::Point{x - width / 2, y});
    gfx::LineTo(view->ViewDC, gfx::Point{x + width - width / 2, y});
}

int32_t DotGap(const ScoreView* view) {
    return view->scaledMetrics.halfBlackWidth > 0 ? view->scaledMetrics.halfBlackWidth
                                                  : view->glyphWidths.halfBlack;
}

void DrawDots(ScoreView* view, const RestBody& body, LogicalPoint at) {
    const int dots = RestDots(body);
    if (dots == 0) return;
    platform::DcHandle dc = view->ViewDC;
    const gfx::TextAlign align = gfx::SetTextAlign(dc, gfx::kTextAlignBaseline | gfx::kTextAlignCentre);
    int32_t y = at.y - Zoomed(view, RestExtentAbove(body.code)) + Zoomed(view, kLowDotDrop);
    if (body.code >= kFirstHighDotCode) y = at.y - Zoomed(view, kHighDotRise);
    int32_t shift = 0;
    if (body.code >= kFirstShiftedDotCode && body.code <= kLastShiftedDotCode) shift = kShortDotShift;
    for (int k = 1; k <= dots; ++k)
        GlyphOut(dc, kAugmentationDotGlyph, at.x + (k + kDotColumnStart) * DotGap(view) - shift, y);
    gfx::SetTextAlign(dc, align);
}

// The glyph, ledger line and dots on the open surface, in the colours in force.
void DrawRestGlyph(ScoreView* view, const RestBody& body, LogicalPoint at) {
    platform::FontHandle font = FontOfSize(RestSize(body));
    platform::DcHandle dc = view->ViewDC;
    if (!font || !dc) return;
    const platform::FontHandle previous = gfx::SelectObject(dc, font);
    const gfx::TextAlign align = gfx::SetTextAlign(dc, gfx::kTextAlignBaseline | gfx::kTextAlignLeft);
    if (IsLongRestCode(body.code)) DrawLedgerLine(view, body.code, EffectivePosition(body), at.x);
    GlyphOut(dc, kRestGlyphBase + body.code, at.x - RestHalfWidth(view, body.code), at.y);
    DrawDots(view, body, at);
    gfx::SetTextAlign(dc, align);
    gfx::SelectObject(dc, previous);
}

bool CellHasRests(MeasureCell* cell) {
    for (int voice = 0; voice < kVoiceCount; ++voice)
        if (NextElement(VoiceListHead(cell, voice)) != nullptr) return true;
    return false;
}

}  // namespace

// Half rest: a line at its position outside the staff. Whole rest: none when it
// hangs inside (top < position <= bottom), else at position - 2 (the line it hangs
// from). Double whole: none inside (top <= position <= bottom); above the staff at
// its position, below at position - 2.
bool RestLedgerLine(const ScoreView* view, int code, int position, int* line) {
    const StaffOuterLines staff = OuterLinesOf(view);
    if (code == kHalfRestCode) {
        *line = position;
        return position < staff.top || position > staff.bottom;
    }
    if (code == kWholeRestCode) {
        *line = position - kLedgerBelowShift;
        return !(staff.top < position && position <= staff.bottom);
    }
    if (code != kDoubleWholeRestCode) return false;
    *line = position < staff.top ? position : position - kLedgerBelowShift;
    return !(staff.top <= position && position <= staff.bottom);
}

int32_t RestExtentAbove(int code) {
    return IsRestCode(code) ? kExtentAbove[code - kShortestRestCode] : 0;
}
int32_t RestExtentBelow(int code) {
    return IsRestCode(code) ? kExtentBelow[code - kShortestRestCode] : 0;
}

int32_t RestHalfWidth(const ScoreView* view, int code) {
    if (view == nullptr || view->document == nullptr || !IsRestCode(code)) return 0;
    return Zoomed(view, GlyphMetricOf(*view->document, kRestGlyphBase + code).halfAdvance);
}

RecordRect RestGlyphBox(ScoreView* view, const ScoreObject* rest, LogicalPoint at) {
    const RestBody* body = RestBodyOf(rest);
    if (body == nullptr) return RecordRect{at.x, at.y, at.x, at.y};
    const int32_t half = RestHalfWidth(view, body->code);
    return RecordRect{at.x - half, at.y - Zoomed(view, RestExtentAbove(body->code)), at.x + half,
                      at.y + Zoomed(view, RestExtentBelow(body->code))};
}

}  // namespace rests

using namespace rests;

LogicalPoint ComputeRestGeometry(ScoreView* view, ScoreObject* rest) {
    const RestBody* body = RestBodyOf(rest);
    if (view == nullptr || body == nullptr) return LogicalPoint{};
    const int32_t x = CurrentSlotX(view) + BeatMapTickToX(view, body->tick) +
                      RestHalfWidth(view, body->code) + GetRestXOffset(rest);
    const int32_t y = PositionY(view, EffectivePosition(*body)) + EffectiveFineY(*body) +
                      RestZoomNudge(view, body->code);
    return LogicalPoint{x, y};
}

RecordRect RestInkBox(ScoreView* view, ScoreObject* rest) {
    return RestGlyphBox(view, rest, ComputeRestGeometry(view, rest));
}

bool RestIntersectsRect(ScoreView* view, ScoreObject* rest, const RecordRect& rect) {
    if (RestBodyOf(rest) == nullptr) return false;
    const RecordRect box = RestGlyphBox(view, rest, ComputeRestGeometry(view, rest));
    const int32_t left = std::min(rect.left, rect.right);
    const int32_t right = std::max(rect.left, rect.right);
    const int32_t top = std::min(rect.top, rect.bottom);
    const int32_t bottom = std::max(rect.top, rect.bottom);
    return box.left <= right && box.right >= left && box.top <= bottom && box.bottom >= top;
}

void RestClass::Draw(ScoreObject* object, ScoreView* view) const {
    const RestBody* body = RestBodyOf(object);
    if (view == nullptr || view->document == nullptr || body == nullptr) return;
    if (body->tick == kRestListHeadTick || !IsRestCode(body->code)) return;
    const bool hidden = IsRestHidden(*body);
    if (hidden && (State().notes.DisplayHiddenItems == 0 || IsPrinting())) return;
    const ScopedPaintingGuard painting;
    BeginViewDraw(view);
    if (view->ViewDC) {
        if (hidden) BeginHighlightDrawAlt(view);
        DrawRestGlyph(view, *body, ComputeRestGeometry(view, object));
        if (hidden) EndHighlightDraw(view);
    }
    EndViewDraw(view);
}

namespace {

// What the current measure shows when it holds no rests: a multi-measure rest, or the
// whole (or, in 4/2, double whole) rest centred in the measure on the line it hangs
// from (its glyph and place in `body` and `at`); nothing on an ossia staff.
enum class MeasureRestKind { None, MultiMeasure, Glyph };

MeasureRestKind MeasureRestOf(ScoreView* view, RestBody* body, LogicalPoint* at) {
    if (view == nullptr || view->document == nullptr || view->currentCell == nullptr) return MeasureRestKind::None;
    const StaffRecord* staff = view->currentStaffRecord;
    if (staff != nullptr && (staff->flags & kOssiaStaff) != 0) return MeasureRestKind::None;
    const MeasureRecord* record = MeasureRecordOf(view->document, view->currentMeasure);
    if (record != nullptr && record->extra != 0) return MeasureRestKind::MultiMeasure;
    MeasureCell* cell = view->currentCell;
    if (CellHasRests(cell)) return MeasureRestKind::None;
    const bool fourHalves = cell->beats == kFourHalvesBeats && cell->beatUnit == kHalfBeatUnit;
    *body = RestBody{};
    body->code = static_cast<uint8_t>(fourHalves ? kDoubleWholeRestCode : kWholeRestCode);
    body->position = static_cast<int8_t>(RestRowPlace(RestRow::Single, body->code));
    const int32_t width = record != nullptr ? record->width : 0;
    *at = LogicalPoint{CurrentSlotX(view) + width / 2,
                       PositionY(view, body->position) + RestZoomNudge(view, kWholeRestCode)};
    return MeasureRestKind::Glyph;
}

// Fills the rest glyph's widened ink box with the paper; false without a font.
bool FillRestWithPaper(ScoreView* view, const RestBody& body, LogicalPoint at) {
    platform::FontHandle font = FontOfSize(RestSize(body));
    platform::DcHandle dc = view->ViewDC;
    if (!font || !dc) return false;
    const platform::FontHandle previous = gfx::SelectObject(dc, font);
    const bool filled = FillGlyphWithPaper(dc, kRestGlyphBase + body.code,
                                           gfx::Point{at.x - RestHalfWidth(view, body.code), at.y});
    gfx::SelectObject(dc, previous);
    return filled;
}

// The measure's rest drawn in the colours in force, or its glyph's ink box filled
// with the paper; a multi-measure rest is drawn either way (in the erase colours
// when erasing).
void PutMeasureRest(ScoreView* view, bool erase) {
    RestBody body{};
    LogicalPoint at{};
    switch (MeasureRestOf(view, &body, &at)) {
        case MeasureRestKind::None:
            return;
        case MeasureRestKind::MultiMeasure:
            DrawMultiMeasureRest(view);
            return;
        case MeasureRestKind::Glyph:
            break;
    }
    const ScopedPaintingGuard painting;
    BeginViewDraw(view);
    if (view->ViewDC && !erase)
        DrawRestGlyph(view, body, at);
    else if (view->ViewDC)
        FillRestWithPaper(view, body, at);
    EndViewDraw(view);
}

}  // namespace

void DrawMeasureRest(ScoreView* view) {
    PutMeasureRest(view, false);
}

void EraseMeasureRest(ScoreView* view) {
    PutMeasureRest(view, true);
}

}  // namespace ql
