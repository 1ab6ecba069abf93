// Key changes over a range and stepping the key (see key_changes.h).
#include "staves/key_changes.h"

#include <algorithm>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/ui/status_bar_notes.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/respell/respell.h"

namespace ql {

namespace {

void SetKeyNibble(MeasureCell* cell, int key) {
    if (cell == nullptr) return;
    cell->clefKey = static_cast<uint8_t>((cell->clefKey & kClefNibbleMask) |
                                         ((key << kKeyNibbleShift) & ~kClefNibbleMask));
}

// The spelling pass keeps every note's sound: its MIDI key is parked before the key
// nibble changes and spelled afresh under the new key after.
void KeepPitchesInCell(ScoreView* view, const StaffRecord* staff, MeasureCell* cell, int key) {
    ParkCellPitches(staff, cell);
    SetKeyNibble(cell, key);
    RespellCellFromParkedPitches(view, cell);
}

}  // namespace

int SetMeasureKey(ScoreView* view, const KeyRangeChange& change) {
    if (view == nullptr || view->document == nullptr || !IsValidKey(change.key)) return 0;
    ScoreDocument* document = view->document;
    const StaffRecord* staff = StaffRecordOf(document, change.staff);
    if (staff == nullptr || change.staff > document->header.staffCount) return 0;
    if (change.firstMeasure == 1) SetKeyNibble(ExistingMeasureCell(document, change.staff, 0), change.key);
    if (change.transpose) {
        TransposeRequest request = TransposeRequestOver(change);
        request.newKey = change.key;
        request.direction = change.direction;
        request.chordSymbols = change.chordSymbols;
        return TransposeBySemitones(view, request).refused ? 0 : 1;
    }
    const int end = std::min(change.endMeasure, MaxMeasures);
    for (int m = std::max(change.firstMeasure, 0); m < end; ++m) {
        MeasureCell* cell = ExistingMeasureCell(document, change.staff, m);
        if (cell == nullptr) continue;
        if (change.keepPitches)
            KeepPitchesInCell(view, staff, cell, change.key);
        else
            SetKeyNibble(cell, change.key);
    }
    return 1;
}

int StepKey(ScoreView* view, int step) {
    const std::optional<SignatureStep> start = BeginSignatureStep(view, ChangeWhat::Key);
    if (!start || !IsValidKey(start->current)) return 0;
    const int key = std::clamp(start->current + step, 0, kKeyCodeCount - 1);
    if (key == start->current) return 0;
    KeyRangeChange change;
    static_cast<SignatureRange&>(change) = start->range;
    change.key = key;
    change.keepPitches = true;
    return FinishSignatureStep(view, *start, ObjectType::KeySignature, [&] { SetMeasureKey(view, change); });
}

}  // namespace ql
