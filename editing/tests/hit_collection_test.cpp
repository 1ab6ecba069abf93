// The objects whose handles the collection at a location takes, by behaviour code:
// the voices' element lists with codes 0, 3 and 4 (only for the voices the view's
// voice mask allows, each voice alone in the mask while its objects build their
// handles), nothing on a hidden staff, nothing with codes 3 and 4 while the
// visible systems are walked, and no walk while the mouse processing is busy.
#include "editing/tests/editing_fixture.h"

#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/objects/class_table.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "display/view_location.h"
#include "editing/mouse_processor.h"
#include "editing/selection.h"

namespace ql::testing_editing {
namespace {

constexpr int kSecondVoice = 1;
constexpr uint8_t kSecondVoiceBit = 1u << kSecondVoice;

class HitCollectionTest : public EditingTest {
  protected:
    void SetUp() override {
        EditingTest::SetUp();
        ArmBoxTool();
        SetCurrentMeasureQuick(view_, 1, 1);
        ASSERT_NE(view_->currentCell, nullptr);
        // A box in the element list of the second voice of staff 1, measure 1.
        element_ = ConstructObject(kBoxType);
        ASSERT_NE(element_, nullptr);
        StoreField(element_->BodyBytes(), BoxBody{originX_, originY_, originX_ + 400, originY_ + 400});
        InsertObjectAfter(GetOrCreateVoiceElementList(view_->currentCell, kSecondVoice), element_);
        ResetSelection(view_, 0);
        g_boxCalls.handleVoiceMasks.clear();
    }
    // Collects at the current location with the behaviour code; whether the element
    // heads a record of list A afterwards.
    bool CollectsElement(uint8_t code) {
        ResetSelection(view_, 0);
        TheSelectionState()->behaviourCode = code;
        CollectHitRecordsAtLocation(view_);
        return FindHitRecordOfElement(element_) != nullptr;
    }
    ScoreObject* element_ = nullptr;
};

// Codes 0, 3 and 4 take the element lists; 5 (an armed object tool) and the
// extra-chain and page codes 1 and 2 do not.
TEST_F(HitCollectionTest, ElementListsBelongToCodesZeroThreeAndFour) {
    for (uint8_t code : {0, 3, 4}) EXPECT_TRUE(CollectsElement(code)) << "code " << int(code);
    for (uint8_t code : {1, 2, 5}) EXPECT_FALSE(CollectsElement(code)) << "code " << int(code);
}

// A voice the view's mask leaves out is not looked at; an empty mask allows every
// voice. The element builds its handles with its own voice alone in the mask, and
// the view's mask is as it was afterwards.
TEST_F(HitCollectionTest, OnlyAllowedVoicesEachAloneInTheMask) {
    view_->voiceMask = 0b0101;
    EXPECT_FALSE(CollectsElement(3));
    EXPECT_EQ(view_->voiceMask, 0b0101);
    EXPECT_TRUE(g_boxCalls.handleVoiceMasks.empty());

    view_->voiceMask = 0b0110;
    EXPECT_TRUE(CollectsElement(3));
    EXPECT_EQ(view_->voiceMask, 0b0110);

    view_->voiceMask = 0;
    EXPECT_TRUE(CollectsElement(4));
    EXPECT_EQ(view_->voiceMask, 0);
    ASSERT_EQ(g_boxCalls.handleVoiceMasks.size(), 2u);
    EXPECT_EQ(g_boxCalls.handleVoiceMasks[0], kSecondVoiceBit);
    EXPECT_EQ(g_boxCalls.handleVoiceMasks[1], kSecondVoiceBit);
}

// A staff hidden in the current system (flag bit 0x80) gives nothing, whatever
// the code.
TEST_F(HitCollectionTest, AHiddenStaffGivesNothing) {
    int8_t* flags = StaffFlagsOf(view_->currentSystem);
    ASSERT_NE(flags, nullptr);
    const int8_t shown = flags[1];
    flags[1] = static_cast<int8_t>(0x80);
    for (uint8_t code : {0, 3, 4}) EXPECT_FALSE(CollectsElement(code)) << "code " << int(code);
    flags[1] = shown;
    EXPECT_TRUE(CollectsElement(3));
}

// While the tool mouse processing is busy the walk over the visible systems does
// nothing: the lists stay as they are.
TEST_F(HitCollectionTest, NoWalkOverTheSystemsWhileBusy) {
    SelectionState& s = *TheSelectionState();
    s.behaviourCode = 3;
    s.resetAfterMessage = 1;
    ToolSwitches().busy = 1;
    RedrawFocusAcrossSystems(view_);
    ToolSwitches().busy = 0;
    EXPECT_EQ(FindHitRecordOfElement(element_), nullptr);
    RedrawFocusAcrossSystems(view_);
    EXPECT_NE(FindHitRecordOfElement(element_), nullptr);
}

// The walk over the visible systems marks a collection in progress, in which codes
// 3 and 4 take nothing; a walk for a state that is reset after the message does
// not, and finds the element. The mark is gone after either walk.
TEST_F(HitCollectionTest, CodesThreeAndFourWaitForTheWalkOverTheSystems) {
    SelectionState& s = *TheSelectionState();
    for (uint8_t code : {3, 4}) {
        s.behaviourCode = code;
        s.resetAfterMessage = 0;
        RedrawFocusAcrossSystems(view_);
        EXPECT_EQ(FindHitRecordOfElement(element_), nullptr) << "code " << int(code);
        EXPECT_EQ(State().input.CollectingAcrossSystems, 0);

        s.resetAfterMessage = 1;
        RedrawFocusAcrossSystems(view_);
        EXPECT_NE(FindHitRecordOfElement(element_), nullptr) << "code " << int(code);
        EXPECT_EQ(State().input.CollectingAcrossSystems, 0);
        s.resetAfterMessage = 0;
    }
}

}  // namespace
}  // namespace ql::testing_editing
