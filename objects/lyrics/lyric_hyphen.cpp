// A word's hyphens between its syllables (see the header).
#include "objects/lyrics/lyric_hyphen.h"

#include <algorithm>

#include "core/constants.h"
#include "core/draw/draw_surface.h"
#include "core/draw/view_drawing.h"
#include "core/model/document.h"
#include "core/model/event_record.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar_notes.h"
#include "display/view_location.h"
#include "objects/lyrics/lyric.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"

namespace ql {

namespace {

constexpr int32_t kNudgeUnits = 16;  // of a note's nudge
// The hyphen stands this share of the syllable's ascent above its baseline.
constexpr int32_t kRaiseNumerator = 2;
constexpr int32_t kRaiseDenominator = 7;

}  // namespace

NextSyllable FindNextSyllable(ScoreView* view, const EventRecord* owner, int verse) {
    const int lastMeasure = view->currentSystem->lastMeasure;
    for (int measure = view->currentMeasure; measure <= lastMeasure; ++measure) {
        MeasureCell* cell = measure == view->currentMeasure
                                ? view->currentCell
                                : ExistingMeasureCell(view->document, view->currentStaff, measure);
        if (cell == nullptr) break;
        const int after = measure == view->currentMeasure ? owner->time : -1;
        NextSyllable best;
        for (int voice = 0; voice < kVoiceCount; ++voice) {
            EventRecord* e = GetVoiceFirstEvent(cell, voice);
            for (int n = 0; e != nullptr && !IsHeadSentinel(*e) && n < kMaxChainLength; ++n, e = NextEvent(e)) {
                if (e->time <= after || (best.note != nullptr && e->time >= best.note->time)) continue;
                if (TextObject* lyric = FindLyricOnNote(e, verse)) best = {measure, e, lyric};
            }
        }
        if (best.lyric != nullptr) return best;
    }
    return {};
}

int32_t LeftOfSyllable(ScoreView* view, const NextSyllable& next) {
    const int32_t x = MeasureTickX(view, next.measure, next.note->time) + int32_t{next.note->nudge} * kNudgeUnits +
                      LyricXOffset(next.lyric);
    return x - next.lyric->body.width / 2;
}

bool EndsWithHyphen(std::string_view text) {
    return text.size() > 1 && text.back() == '-';
}

std::vector<HyphenStroke> HyphenStrokes(int32_t from, int32_t to) {
    const int32_t gap = to - from;
    if (gap < kShortestHyphen + 2 * kHyphenClearance) return {};
    const int32_t length = std::min(kHyphenLength, gap - 2 * kHyphenClearance);
    const int32_t count = std::max(gap / kHyphenSpacing, 1);
    std::vector<HyphenStroke> strokes;
    strokes.reserve(static_cast<size_t>(count));
    for (int32_t k = 0; k < count; ++k) {
        const int32_t centre = from + static_cast<int32_t>(int64_t{gap} * (2 * k + 1) / (2 * count));
        strokes.push_back({centre - length / 2, centre - length / 2 + length});
    }
    return strokes;
}

void DrawLyricHyphens(ScoreView* view, TextObject* lyric) {
    if (view == nullptr || view->document == nullptr || view->currentCell == nullptr || view->currentSystem == nullptr)
        return;
    const char* string = TextObjectString(lyric);
    if (string == nullptr || !EndsWithHyphen(string)) return;
    EventRecord* owner = ClassOf(&lyric->header).GetOwnerNote(&lyric->header);
    if (owner == nullptr) return;
    const LogicalPoint at = TextObjectAnchorPoint(&lyric->header, view);
    const int32_t from = at.x + lyric->body.width / 2;
    // A word going on past the system: one hyphen just after its syllable.
    int32_t to = from + kLyricHyphenRoom;
    const NextSyllable next = FindNextSyllable(view, owner, LyricVerse(lyric));
    if (next.lyric != nullptr) to = LeftOfSyllable(view, next);
    const int32_t y = at.y - int32_t{lyric->body.baseline} * kRaiseNumerator / kRaiseDenominator;
    std::vector<HyphenStroke> strokes = HyphenStrokes(from, to);
    // A lone hyphen in a gap that holds the measure's barline stands centred before
    // the barline (the measure keeps room for it there).
    if (next.lyric != nullptr && next.measure > view->currentMeasure && strokes.size() == 1) {
        const int32_t barline = MeasureStartX(view, view->currentMeasure + 1);
        if (barline > from && barline < to) strokes = HyphenStrokes(from, barline);
    }
    if (strokes.empty()) return;
    BeginViewDraw(view);
    if (platform::DcHandle dc = view->ViewDC)
        for (const HyphenStroke& stroke : strokes) {
            gfx::MoveTo(dc, {stroke.left, y});
            gfx::LineTo(dc, {stroke.right, y});
        }
    EndViewDraw(view);
}

}  // namespace ql
