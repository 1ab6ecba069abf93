// Test support for the drags of text-family objects: an object chosen as a click
// chooses it (its handles built, the first one focused), its handles moved as a drag
// moves them, and let go (its class's commit). Header-only, so that the tests of
// every subsystem can use it.
#pragma once

#include <gtest/gtest.h>

#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/text/text_object.h"

namespace ql::testing_text_drag {

// Chooses the object (its handle chain made and its first handle focused), moves its
// handles by `by` and lets it go: the anchor point it
// has then, or the anchor it had when no handle could be made (with a test failure).
inline LogicalPoint DragAndLetGo(ScoreObject* object, ScoreView* view, LogicalPoint by) {
    HitRecord* handle = ClassOf(object).BuildHandles(object, view);
    EXPECT_NE(handle, nullptr) << "the object offers no handle";
    SelectionState* selection = TheSelectionState();
    EXPECT_NE(selection, nullptr) << "no selection state";
    if (handle == nullptr || selection == nullptr) return TextObjectAnchorPoint(object, view);
    object->handleChain = Ref32<HitRecord>::To(handle);
    selection->focusRecord = Ref32<HitRecord>::To(handle);
    for (HitRecord* hit = handle; hit != nullptr; hit = hit->child.get()) OffsetHitRecord(hit, by);
    ClassOf(object).CommitDrag(object, view);
    selection->focusRecord = Ref32<HitRecord>{};
    object->handleChain = Ref32<HitRecord>{};
    FreeHitRecordChain(handle);
    FreeHitRecord(handle);
    return TextObjectAnchorPoint(object, view);
}

}  // namespace ql::testing_text_drag
