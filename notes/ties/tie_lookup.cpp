// The tie that ends at a note, as note drawing needs it: found again from the notes
// of the previous measure whose ties reach this note, its direction read from the
// tie's shape (a tie start without a tie object counts as bending below).
#include "notes/ties/tie_lookup.h"

#include "core/model/score_document.h"
#include "notes/ties/ties.h"

namespace ql {

int TieIntoNoteCurve(ScoreView* view, const EventRecord* note, int voice) {
    if (view == nullptr || view->document == nullptr || note == nullptr) return kNoTieIntoNote;
    auto* target = const_cast<EventRecord*>(note);  // the search only reads it
    for (const TieTarget& source : FindTiesIntoNote(view->document, view, target, view->currentStaff,
                                                    view->currentMeasure, voice)) {
        if (source.measure != view->currentMeasure - 1) continue;
        ScoreObject* tie = FindNoteTie(source.note);
        if (tie == nullptr) return kTieCurveBelow;
        return AsTie(tie)->body.controlRise < 0 ? kTieCurveAbove : kTieCurveBelow;
    }
    return kNoTieIntoNote;
}

}  // namespace ql
