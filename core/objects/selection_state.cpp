// The program's one SelectionState: carved from the record arena at start-up (pooled
// hit records link to the head and tail records embedded in it), zero-filled, with
// both hit-record lists empty.
#include "core/objects/selection_state.h"

#include "core/memory/arena.h"
#include "core/state.h"

namespace ql {

SelectionState* TheSelectionState() {
    return State().documents.Selection;
}

void ResetHitList(HitRecord& head, HitRecord& tail) {
    head.next = Ref32<HitRecord>::To(&tail);
    head.prev = Ref32<HitRecord>{};
    tail.prev = Ref32<HitRecord>::To(&head);
    tail.next = Ref32<HitRecord>{};
}

SelectionState* CreateSelectionState() {
    DestroySelectionState();
    auto* selection = static_cast<SelectionState*>(AllocArenaBlock(sizeof(SelectionState)));
    if (selection == nullptr) return nullptr;
    ResetHitList(selection->listAHead, selection->listATail);
    ResetHitList(selection->listBHead, selection->listBTail);
    selection->grabbedKind = -1;
    selection->secondaryType = kNoSecondaryType;
    selection->voiceChain = Ref32<ScoreObject>::To(&selection->followedList);
    State().documents.Selection = selection;
    return selection;
}

void DestroySelectionState() {
    SelectionState*& selection = State().documents.Selection;
    if (selection == nullptr) return;
    FreeArenaBlock(selection, sizeof(SelectionState));
    selection = nullptr;
}

bool IsSelectionListEnd(const HitRecord* hit) {
    const SelectionState* selection = TheSelectionState();
    if (selection == nullptr || hit == nullptr) return false;
    return hit == &selection->listAHead || hit == &selection->listATail ||
           hit == &selection->listBHead || hit == &selection->listBTail;
}

}  // namespace ql
