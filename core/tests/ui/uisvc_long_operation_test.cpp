// The long-operation guard: the frame and the palettes are disabled while it runs
// and enabled after; a second one is refused with a beep; messages deferred to its
// end are posted then, in order.
#include <gtest/gtest.h>

#include <vector>

#include "core/tests/ui/uisvc_fixture.h"
#include "core/ui/long_operation.h"
#include "platform/win/message_loop.h"

namespace ql::testing_uisvc {
namespace {

using LongOperationTest = UiServicesTest;

TEST_F(LongOperationTest, DisablesTheProgramAndRefusesASecondOne) {
    {
        LongOperation operation;
        ASSERT_FALSE(operation.Refused());
        EXPECT_TRUE(LongOperationRunning());
        EXPECT_FALSE(win::IsWindowEnabled(frame_));
        EXPECT_TRUE(PalettesDisabled());
        const size_t beeps = ui::headless::Beeps().size();
        {
            LongOperation second;
            EXPECT_TRUE(second.Refused());
            EXPECT_EQ(ui::headless::Beeps().size(), beeps + 1);
        }
        // The refused one leaves the running one's state alone.
        EXPECT_TRUE(LongOperationRunning());
        EXPECT_FALSE(win::IsWindowEnabled(frame_));
    }
    EXPECT_FALSE(LongOperationRunning());
    EXPECT_TRUE(win::IsWindowEnabled(frame_));
    EXPECT_TRUE(PalettesEnabled());
}

// A window disabled before the operation stays disabled after it.
TEST_F(LongOperationTest, KeepsWhatWasDisabledBefore) {
    win::EnableWindow(frame_, false);
    { LongOperation operation; }
    EXPECT_FALSE(win::IsWindowEnabled(frame_));
}

// The commands waiting in the queue for the frame, in order (others are dropped).
std::vector<intptr_t> TakeFrameCommands(platform::WindowHandle frame) {
    std::vector<intptr_t> data;
    win::QueuedMessage message;
    // Paint messages come again while a window is invalid: a bounded look.
    for (int i = 0; i < 64 && win::PeekMessage(message); ++i)
        if (message.window == frame && message.message == win::Message::Command) data.push_back(message.data);
    return data;
}

TEST_F(LongOperationTest, DeferredMessagesArePostedWhenItEnds) {
    TakeFrameCommands(frame_);
    const win::QueuedMessage open{frame_, win::Message::Command, 57601, 1};
    EXPECT_FALSE(DeferUntilLongOperationEnds(open));  // nothing runs: not kept
    {
        LongOperation operation;
        EXPECT_TRUE(DeferUntilLongOperationEnds(open));
        EXPECT_TRUE(DeferUntilLongOperationEnds({frame_, win::Message::Command, 57601, 2}));
        EXPECT_TRUE(TakeFrameCommands(frame_).empty());
    }
    EXPECT_EQ(TakeFrameCommands(frame_), (std::vector<intptr_t>{1, 2}));
    EXPECT_FALSE(DeferUntilLongOperationEnds(open));
}

}  // namespace
}  // namespace ql::testing_uisvc
