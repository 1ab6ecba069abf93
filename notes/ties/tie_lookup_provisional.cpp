// Looking up the tie that ends at a note, as far as note drawing needs it.
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/ui/status_bar_notes.h"
#include "notes/ties/tie_lookup.h"

namespace ql {

namespace {

constexpr uint16_t kTieStartsHere = 0x0020;  // word2 bit 5

}  // namespace

// provisional: ties (their objects, curves and the pitch identity of their ends) are
// built with note entry; until then a tie into a note is a note of the same staff step
// in the last chord of the previous measure's voice that carries the tie-start bit, and
// its curve bends below (no tie object holds a direction yet).
int TieIntoNoteCurve(ScoreView* view, const EventRecord* note, int voice) {
    if (view == nullptr || view->document == nullptr || note == nullptr) return kNoTieIntoNote;
    MeasureCell* cell =
        ExistingMeasureCell(view->document, view->currentStaff, view->currentMeasure - 1);
    if (cell == nullptr) return kNoTieIntoNote;
    const EventRecord* last = nullptr;
    const EventRecord* e = GetVoiceFirstEvent(cell, voice);
    for (int i = 0; e != nullptr && !IsHeadSentinel(*e) && i < kMaxChainLength; ++i) {
        if (last == nullptr || e->time != last->time) last = e;
        const EventRecord* next = NextEvent(e);
        if (next != nullptr && next->time < e->time) break;
        e = next;
    }
    e = last;
    for (int i = 0;
         e != nullptr && !IsHeadSentinel(*e) && e->time == last->time && i < kMaxChainLength;
         ++i, e = NextEvent(e)) {
        if ((e->word2 & kTieStartsHere) != 0 && e->step == note->step) return kTieCurveBelow;
    }
    return kNoTieIntoNote;
}

}  // namespace ql
