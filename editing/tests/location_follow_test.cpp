// Hovering follows the location: the armed tool's object is asked to follow it, and
// what it put into the selection's object list can be pointed at.
#include "editing/tests/editing_fixture.h"

#include "core/model/object_list.h"
#include "core/objects/selection_state.h"
#include "editing/selection.h"
#include "editing/selection_internal.h"

namespace ql::testing_editing {
namespace {

using win::Message;
using LocationFollow = EditingTest;

// A move to a new location runs the tool's FollowLocation, and an object in the
// selection's object list (nowhere else) is found under the pointer; a reset empties
// the list.
TEST_F(LocationFollow, HoverFollowsAndFindsTheFollowedObjects) {
    ScoreObject* box = MakeBox(originX_, originY_, originX_ + 640, originY_ + 640);
    ArmBoxTool();
    MouseAtClient(Message::MouseMove, Client(originX_ - 640, originY_ - 640));  // the score as it is
    UnlinkObject(box);  // off the page: only the selection's list holds it
    ScoreObject* list = SelectionObjectList();
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(SelectionObjectList(), list) << "one list";
    InsertObjectAfter(list, box);
    TheSelectionState()->locationChanged = 1;
    const int follows = g_boxCalls.follows;
    MouseAtClient(Message::MouseMove, Client(originX_ + 640, originY_ + 640));
    EXPECT_EQ(g_boxCalls.follows, follows + 1);
    EXPECT_EQ(TheSelectionState()->hoverObject.get(), box);
    ResetSelection(view_, 0);
    EXPECT_EQ(SelectionObjectList(), list);
    EXPECT_EQ(list->next.get(), nullptr) << "a reset empties the list";
}

// Objects made for the location and then released (an edit, arming a tool) are made
// again at the next hover, even when the pointer stays in its measure.
TEST_F(LocationFollow, ReleasedFollowedObjectsAreMadeAgainInTheSameMeasure) {
    ArmBoxTool();
    MouseAtClient(Message::MouseMove, Client(originX_ + 100, originY_ + 100));
    ScoreObject* list = SelectionObjectList();
    ASSERT_NE(list, nullptr);
    ScoreObject* made = MakeBox(originX_, originY_, originX_ + 640, originY_ + 640);
    UnlinkObject(made);
    InsertObjectAfter(list, made);
    const int follows = g_boxCalls.follows;
    selection::ReleaseFollowedObjects(TheSelectionState(), nullptr);
    MouseAtClient(Message::MouseMove, Client(originX_ + 101, originY_ + 100));
    EXPECT_EQ(g_boxCalls.follows, follows + 1) << "the location was not followed again";
}

}  // namespace
}  // namespace ql::testing_editing
