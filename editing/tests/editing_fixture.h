// Test fixture of the editing tests: a fresh program state with a one-staff score of
// four measures on one page (a subclass may ask for more staves and systems), a
// selection state, a window whose backing store the view draws on, and a box object
// class registered under the Box type: a page object with two corner handles (kinds 1
// and 2) and a centre handle (kind 3) that moves the whole box. Its tracking outline
// is drawn in XOR and it paints nothing, so that after any balanced sequence of
// feedback the window is as it was. Helpers send synthesised mouse and key messages
// to the tool mouse processor.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <vector>

#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"
#include "platform/handles.h"
#include "platform/win/keys.h"
#include "platform/win/messages.h"

namespace ql::testing_editing {

// The box's body: its corners in logical units.
#pragma pack(push, 1)
struct BoxBody {
    int32_t left;
    int32_t top;
    int32_t right;
    int32_t bottom;
};
#pragma pack(pop)

constexpr uint8_t kBoxType = 10;
constexpr uint8_t kCornerKind = 1;
constexpr uint8_t kFarCornerKind = 2;
constexpr uint8_t kCentreKind = 3;

// Flags the test box gives each of its handles (besides 0x0004 on the centre).
extern uint16_t g_boxHandleFlags;
// The box class's record of calls the tests read.
struct BoxCalls {
    int editAttributes = 0;
    int keys = 0;
    int steps = 0;
    int invalidates = 0;
    int follows = 0;  // FollowLocation calls
    std::vector<const ScoreObject*> drawn;    // Draw, in order
    std::vector<const ScoreObject*> painted;  // Paint, in order
    std::vector<int> followedStaves;          // FollowLocation: the view's staff each time
    std::vector<uint8_t> handleVoiceMasks;    // BuildHandles: the view's voice mask each time
    std::function<void(ScoreObject*, ScoreView*)> onBuildHandles;  // runs first in BuildHandles
    std::function<void(SelectionState&)> onConstrainDrag;  // the box's constraint of the drag offset
};
extern BoxCalls g_boxCalls;

BoxBody BodyOf(const ScoreObject* box);

class EditingTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Warps of the pointer are refused from now on, as some windowing systems do.
    void RefuseWarps();
    void HoldKey(win::Key key, bool down);

    // Client (device) point of a logical point, and back.
    gfx::Point Client(int32_t x, int32_t y);
    // A mouse message at a logical point; the message's result.
    intptr_t Mouse(win::Message message, int32_t x, int32_t y);
    // A mouse message at a client point the test chose (a pointer the user moved
    // without the program's warp).
    intptr_t MouseAtClient(win::Message message, gfx::Point client);
    intptr_t Key(win::Key key);
    intptr_t Send(win::Message message, uint32_t word, intptr_t data);
    // Press at a point, moves in steps to another, release.
    void Drag(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int steps = 4);

    // Arms the box tool (the standard object-tool handler's select).
    void ArmBoxTool();
    // A box made directly (not by a click) on the page list.
    ScoreObject* MakeBox(int32_t left, int32_t top, int32_t right, int32_t bottom);
    // The boxes on the page list, in list order.
    std::vector<ScoreObject*> Boxes() const;
    std::vector<uint32_t> Pixels() const;

    int staffCount_ = 1;  // staves of the score SetUp builds (a subclass may set more)
    int systemCount_ = 1;  // systems of its one page, four measures each
    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    platform::WindowHandle window_{};
    class RefusingBackend* refusing_ = nullptr;
    // Where the boxes stand: inside the page, away from the window edge.
    int32_t originX_ = 0;
    int32_t originY_ = 0;
};

}  // namespace ql::testing_editing
