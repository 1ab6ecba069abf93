// A new tie's arch deepened over the heads between its two notes (see ties.h). The
// heads are the notes of the tie's staff, of every voice, whose heads stand between
// the tie's ends, more than a head's width in from them: another voice crossing the
// tied one, a grace note in the middle of a long tie. They are read in the start's measure and, when the tie runs into the next
// measure of the same system, in that one, its x carried into the next slot as the
// end note's is. A head whose stem points to the tie's side reaches to the stem's end.
#include <algorithm>
#include <vector>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/state/notation_font_state.h"
#include "core/ui/status_bar_notes.h"
#include "display/hit_test.h"
#include "notes/beatmap/beat_map.h"
#include "notes/beatmap/beat_map_internal.h"
#include "notes/drawing/notation_font.h"
#include "notes/drawing/note_fields.h"
#include "notes/rests/staff_place.h"
#include "notes/ties/ties.h"
#include "objects/curves/slur_clearance.h"

namespace ql {

namespace {

constexpr int32_t kHeadHalfHeight = 72;     // a head's ink beyond its step's y
constexpr int32_t kBlackHeadWidth = 167;    // a black head, when the view has not measured one
constexpr int32_t kHeadClearance = 32;      // the inner curve off the heads it passes
constexpr uint8_t kFirstStemlessCode = 12;  // a whole note and longer have no stem

// A grace note's short stem is passed over: the tie clears its head alone.
bool IsGrace(const EventRecord& note) {
    return NoteSizeClass(note) == static_cast<int>(NoteSizeClass::Grace);
}

bool InChordOf(EventRecord* note, EventRecord* chord) {
    return GetFirstEventOfChord(note) == GetFirstEventOfChord(chord);
}

// The y of the edge of a note facing the tie: its head's, or its stem's end when
// the stem points to the tie's side.
int32_t FacingEdge(ScoreView* view, EventRecord* note, int32_t y, bool above) {
    int32_t edge = above ? y - Zoomed(view, kHeadHalfHeight) : y + Zoomed(view, kHeadHalfHeight);
    EventRecord* first = GetFirstEventOfChord(note);
    if (first == nullptr || first->duration >= kFirstStemlessCode || IsStemHidden(*first) || IsGrace(*first) ||
        first->stemLength == 0 || IsStemUp(*first) != above)
        return edge;
    const int32_t stemEnd = GetEventPosition(first, view).y + Zoomed(view, first->stemLength);
    return above ? std::min(edge, stemEnd) : std::max(edge, stemEnd);
}

// The heads of every voice of `cell` between x `left` and `right`, not of the
// tie's own two chords; `nextSlot` for the measure after the view's current one.
void AddHeadsBetween(ScoreView* view, MeasureCell* cell, bool nextSlot, EventRecord* start, EventRecord* end,
                     const LogicalPoint& left, const LogicalPoint& right, bool above,
                     std::vector<SlurObstacle>* heads) {
    const ScoreSystem* system = view->currentSystem;
    const int slot = view->currentSlot;
    const int32_t black = view->glyphWidths.black > 0 ? view->glyphWidths.black : Zoomed(view, kBlackHeadWidth);
    for (int voice = 0; cell != nullptr && voice < kVoiceCount; ++voice) {
        EventRecord* e = GetVoiceFirstEvent(cell, voice);
        for (int walked = 0; e != nullptr && walked < kMaxChainLength; e = NextEvent(e), ++walked) {
            if (IsHeadSentinel(*e) || InChordOf(e, start) || InChordOf(e, end) || IsHeadHidden(*e)) continue;
            LogicalPoint at = GetEventPosition(e, view);
            if (nextSlot)
                at.x += MeasureSlotX(view, system, slot + 1) - CurrentSlotX(view) +
                        SlotTickToX(view, system, slot + 1, e->time) - BeatMapTickToX(view, e->time);
            // A head beside an end (a grace note just before the end note) is
            // passed: no arch over it could come down to the end.
            const auto half = static_cast<int32_t>(black * SizeClassFactor(NoteSizeClass(*e)) / 2);
            if (at.x - half <= left.x + black || at.x + half >= right.x - black) continue;
            heads->push_back({at.x - half, at.x + half, FacingEdge(view, e, at.y, above)});
        }
    }
}

}  // namespace

void DeepenTieOverHeads(TieBody& body, ScoreView* view, EventRecord* start, EventRecord* end,
                        int measuresAhead) {
    if (view == nullptr || view->document == nullptr || view->currentSystem == nullptr || body.controlRise == 0)
        return;
    const TieCurve curve = ComputeTieCurve(body, view, start, end, measuresAhead);
    const LogicalPoint& s = curve.outer[0];
    const LogicalPoint& e = curve.outer[3];
    const bool above = body.controlRise < 0;
    std::vector<SlurObstacle> heads;
    AddHeadsBetween(view, view->currentCell, false, start, end, s, e, above, &heads);
    const TieNotePoints at = TieNotePositions(view, start, end, measuresAhead);
    if (measuresAhead == 1 && !at.leavesSystem)
        AddHeadsBetween(view, ExistingMeasureCell(view->document, view->currentStaff, view->currentMeasure + 1), true,
                        start, end, s, e, above, &heads);
    if (heads.empty()) return;
    SlurShape shape;
    shape.x0 = s.x;
    shape.y0 = s.y;
    shape.x3 = e.x;
    shape.y3 = e.y;
    shape.inset = curve.outer[1].x - s.x;
    shape.thickness = curve.inner[1].y - curve.outer[1].y;
    shape.above = above;
    if (shape.x3 - shape.x0 <= 2 * shape.inset) return;
    const int32_t control = ControlYClearOf(shape, curve.outer[1].y, heads, Zoomed(view, kHeadClearance));
    body.controlRise = static_cast<int16_t>(std::clamp<int32_t>(Unzoomed(view, control - s.y), INT16_MIN, INT16_MAX));
}

}  // namespace ql
