// Key changes over a range and stepping the key (see key_changes.h).
#include "staves/key_changes.h"

#include <algorithm>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/private_messages.h"
#include "core/ui/status_bar_notes.h"
#include "core/undo/undo.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/respell/respell.h"
#include "platform/win/message_loop.h"
#include "staves/change_range.h"
#include "staves/clef_key_relayout.h"

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

bool HasLocation(const ScoreView* view) {
    return view != nullptr && view->document != nullptr && view->currentStaff >= 1 &&
           view->currentStaff <= view->document->header.staffCount && view->currentMeasure >= 1 &&
           view->currentMeasure <= view->document->header.measureCount;
}

}  // namespace

int SetMeasureKey(ScoreView* view, const KeyRangeChange& change) {
    if (view == nullptr || view->document == nullptr || !IsValidKey(change.key)) return 0;
    ScoreDocument* document = view->document;
    const StaffRecord* staff = StaffRecordOf(document, change.staff);
    if (staff == nullptr || change.staff > document->header.staffCount) return 0;
    if (change.firstMeasure == 1) SetKeyNibble(ExistingMeasureCell(document, change.staff, 0), change.key);
    if (change.transpose) {
        TransposeRequest request;
        request.staff = change.staff;
        request.firstMeasure = change.firstMeasure;
        request.firstTick = change.firstTick;
        request.lastMeasure = change.endMeasure;
        request.lastTick = change.endTick;
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
    if (!HasLocation(view)) return 0;
    ScoreDocument* document = view->document;
    const int staff = view->currentStaff;
    const int measure = view->currentMeasure;
    const ChangeRange range =
        ComputeChangeRange(document, ChangeWhat::Key, ChangeRangeMode::UpToChange, staff, measure, 0, 0);
    if (range.notes != 0) {
        win::PostMessage(view->ViewWindow, kMsgSyntheticPress);
        return 0;
    }
    const MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
    const int current = cell != nullptr ? CellKey(*cell) : -1;
    if (!IsValidKey(current)) return 0;
    const int key = std::clamp(current + step, 0, kKeyCodeCount - 1);
    if (key == current) return 0;
    {
        const UndoStep edit(document, view, UndoKind::Item, TypeCode(ObjectType::KeySignature),
                            UndoVerb::Add);
        KeyRangeChange change;
        change.staff = staff;
        change.firstMeasure = measure;
        change.endMeasure = range.end;
        change.endTick = range.endTick;
        change.key = key;
        change.keepPitches = true;
        SetMeasureKey(view, change);
        SetDocumentModified(document);
    }
    RelayoutAfterSignatureChange(view, measure);
    return 1;
}

}  // namespace ql
