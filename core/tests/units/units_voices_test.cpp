// The view's voice masks: which voices are entered and which are drawn.
#include <gtest/gtest.h>

#include "core/draw/draw_surface.h"
#include "core/tests/model/model_fixture.h"
#include "core/tests/units/units_fixture.h"
#include "core/units/voice_masks.h"
#include "platform/gfx/dc.h"

namespace ql {
namespace {

using VoiceMasksTest = testing_units::UnitsViewTest;

// Voice 2 with a display mask of 1: edit mask 4, and only voice 3 is drawn.
TEST_F(VoiceMasksTest, SetVoiceMaskSelectsAndShowsOneVoice) {
    view_.voiceMask = 1;
    view_.voiceDisplayMask = 1;
    SetVoiceMask(&view_, 2);
    EXPECT_EQ(view_.voiceMask, 4);
    EXPECT_EQ(view_.voiceDisplayMask, 4);
    EXPECT_EQ(CurrentVoiceOf(view_), 2);
}

// With the voice lock set, the edit mask changes and the display mask stays.
TEST_F(VoiceMasksTest, VoiceLockKeepsTheDisplayMask) {
    State().input.VoiceLock = 1;
    view_.voiceMask = 1;
    view_.voiceDisplayMask = 1;
    SetVoiceMask(&view_, 3);
    EXPECT_EQ(view_.voiceMask, 8);
    EXPECT_EQ(view_.voiceDisplayMask, 1);
}

// Voice 0 keeps only bit 0 of the old edit mask.
TEST_F(VoiceMasksTest, VoiceZeroKeepsOnlyTheFirstBit) {
    State().input.VoiceLock = 1;
    view_.voiceMask = 0x0D;
    SetVoiceMask(&view_, 0);
    EXPECT_EQ(view_.voiceMask, 0x01);
    view_.voiceMask = 0x0C;
    SetVoiceMask(&view_, 0);
    EXPECT_EQ(view_.voiceMask, 0x00);
    EXPECT_EQ(CurrentVoiceOf(view_), 0);  // an empty mask enters voice 1
}

// Masks that differ only in bit 0 are left alone.
TEST_F(VoiceMasksTest, ApplyIgnoresADifferenceInBitZeroOnly) {
    view_.voiceMask = 0x05;
    view_.voiceDisplayMask = 0x04;
    view_.allVoicesShown = 1;
    ApplyVoiceMask(&view_, 2);
    EXPECT_EQ(view_.voiceMask, 0x05);
    EXPECT_EQ(view_.voiceDisplayMask, 0x04);
    EXPECT_EQ(view_.allVoicesShown, 1);
}

// A voice above 3 counts as voice 0: drawn alone, edit mask 0; all-voices off.
TEST_F(VoiceMasksTest, ApplyTreatsVoiceAboveThreeAsVoiceZero) {
    view_.voiceMask = 0x08;
    view_.voiceDisplayMask = 0x02;
    view_.allVoicesShown = 1;
    ApplyVoiceMask(&view_, 5);
    EXPECT_EQ(view_.voiceDisplayMask, 0x01);
    EXPECT_EQ(view_.voiceMask, 0x00);
    EXPECT_EQ(view_.allVoicesShown, 0);
}

// A change closes every level of an open surface for the repaint and opens it
// again at one level; no change leaves the surface as it was.
TEST_F(VoiceMasksTest, ApplyReopensAnOpenSurfaceAtOneLevel) {
    platform::DcHandle paint = gfx::CreateMemoryContext({});
    ASSERT_TRUE(paint);
    State().drawing.PaintDC = paint;
    BeginViewDraw(&view_);
    BeginViewDraw(&view_);
    ASSERT_EQ(view_.DrawDepth, 2);
    view_.voiceMask = 0x02;
    view_.voiceDisplayMask = 0x03;
    ApplyVoiceMask(&view_, 1);
    EXPECT_EQ(view_.DrawDepth, 2) << "masks differing in bit 0 only change nothing";
    view_.voiceDisplayMask = 0x04;
    ApplyVoiceMask(&view_, 1);
    EXPECT_EQ(view_.voiceDisplayMask, 0x02);
    EXPECT_EQ(view_.ViewDC, paint);
    EXPECT_EQ(view_.DrawDepth, 1);
    EndViewDrawAll(&view_);
    State().drawing.PaintDC = {};
    gfx::DeleteContext(paint);
}

// Showing all voices and going back to the edit voices.
TEST_F(VoiceMasksTest, ShowAllThenEditVoices) {
    view_.voiceMask = 0x02;
    view_.voiceDisplayMask = 0x02;
    view_.allVoicesDisplayMask = 0x0F;
    ShowAllVoices(&view_);
    EXPECT_EQ(view_.allVoicesShown, 1);
    EXPECT_EQ(view_.voiceDisplayMask, 0x0F);
    ShowEditVoices(&view_);
    EXPECT_EQ(view_.allVoicesShown, 0);
    EXPECT_EQ(view_.voiceDisplayMask, 0x02);
}

// The entered voice is the lowest set bit of a mask 1..15, else voice 0.
TEST_F(VoiceMasksTest, CurrentVoiceIsLowestBitOfAValidMask) {
    view_.voiceMask = 0x0C;
    EXPECT_EQ(CurrentVoiceOf(view_), 2);
    view_.voiceMask = 0x10;
    EXPECT_EQ(CurrentVoiceOf(view_), 0);
    view_.voiceMask = 0x00;
    EXPECT_EQ(CurrentVoiceOf(view_), 0);
}

using VoiceChainTest = testing_model::ModelTest;

// The view's voice chain follows the voice the edit mask enters.
TEST_F(VoiceChainTest, VoiceChainFollowsTheEnteredVoice) {
    MeasureCell* cell = UseCell(1, 1);
    EventRecord* first = Note(cell, 0, 0, 10, 4);
    EventRecord* third = Note(cell, 2, 1024, 10, 6);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(third, nullptr);
    view_->voiceMask = 1;
    view_->voiceDisplayMask = 1;
    SetVoiceMask(view_, 2);
    EXPECT_EQ(view_->voiceChain, third);
    SetVoiceMask(view_, 0);  // keeps bit 0 of the edit mask 4: none, so voice 1
    EXPECT_EQ(view_->voiceChain, first);
    view_->currentCell = nullptr;
    SetCurrentVoiceChain(view_);
    EXPECT_EQ(view_->voiceChain, nullptr);
}

}  // namespace
}  // namespace ql
