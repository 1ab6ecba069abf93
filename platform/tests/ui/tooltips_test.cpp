// Tooltips on the headless layer: a tip shows once the pointer has rested on its
// tool for the initial delay, with the tool's text asked for then and cut to 79
// characters; a press hides it, and a window that is no tip takes no tools.
#include <gtest/gtest.h>

#include <string>

#include "platform/tests/win/win_test_fixture.h"
#include "platform/ui/controls.h"
#include "platform/ui/tooltips.h"
#include "platform/win/headless.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using platform::WindowHandle;

class TooltipsTest : public testing::FreshWindowLayer {
  protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        ui::RegisterControlClasses();
        win::WindowClass ownerClass;
        ownerClass.name = "TipOwner";
        ownerClass.procedure = win::DefaultWindowProc;
        win::RegisterWindowClass(ownerClass);
        win::WindowParams params;
        params.className = "TipOwner";
        params.style = win::kStylePopup | win::kStyleVisible;
        params.rect = {0, 0, 200, 100};
        owner = win::CreateWindow(params);
        win::WindowParams button;
        button.className = ui::kButtonClass;
        button.style = win::kStyleChild | win::kStyleVisible | ui::kButtonOwnerDraw;
        button.parent = owner;
        button.rect = {10, 10, 46, 46};
        tool = win::CreateWindow(button);
        tip = ui::CreateTooltipWindow(owner);
    }
    void Hover() { win::SendMessage(tool, win::Message::MouseMove, 0, win::PackPoint({5, 5})); }
    void After(uint64_t ms) {
        win::headless::AdvanceClock(ms);
        win::PumpMessages();
    }

    WindowHandle owner;
    WindowHandle tool;
    WindowHandle tip;
};

TEST_F(TooltipsTest, TipShowsAfterTheInitialDelayWithTheTextAskedForThen) {
    ASSERT_TRUE(tip);
    EXPECT_EQ(win::GetOwner(tip), owner);
    ASSERT_TRUE(ui::SetTooltipInitialDelay(tip, 300));
    EXPECT_EQ(ui::GetTooltipInitialDelay(tip), 300u);
    int asked = 0;
    ASSERT_TRUE(ui::AddTooltipTool(tip, tool, [&asked] {
        ++asked;
        return std::string("Toggle Note/Rest");
    }));
    Hover();
    After(299);
    EXPECT_FALSE(win::IsWindowVisible(tip));
    EXPECT_EQ(asked, 0);
    Hover();  // resting on the same tool does not restart the delay
    After(1);
    EXPECT_TRUE(win::IsWindowVisible(tip));
    EXPECT_EQ(ui::GetShownTooltipTool(tip), tool);
    EXPECT_EQ(win::GetWindowText(tip), "Toggle Note/Rest");
    EXPECT_EQ(asked, 1);
    win::SendMessage(tool, win::Message::LeftButtonDown, 0, 0);
    EXPECT_FALSE(win::IsWindowVisible(tip));
    EXPECT_FALSE(ui::GetShownTooltipTool(tip));
}

TEST_F(TooltipsTest, TextIsCutTo79Characters) {
    const std::string longText(120, 'x');
    ASSERT_TRUE(ui::AddTooltipToolText(tip, tool, longText));
    EXPECT_EQ(ui::GetTooltipToolText(tip, tool), std::string(79, 'x'));
    ASSERT_TRUE(ui::AddTooltipTool(tip, tool, [] { return std::string(79, 'y'); }));
    EXPECT_EQ(ui::GetTooltipToolText(tip, tool), std::string(79, 'y'));
    Hover();
    After(ui::kDefaultTooltipDelayMs);
    EXPECT_EQ(win::GetWindowText(tip).size(), 79u);
}

TEST_F(TooltipsTest, EmptyTextShowsNoTipAndOtherWindowsTakeNoTools) {
    ASSERT_TRUE(ui::AddTooltipToolText(tip, tool, ""));
    Hover();
    After(ui::kDefaultTooltipDelayMs);
    EXPECT_FALSE(win::IsWindowVisible(tip));
    EXPECT_FALSE(ui::AddTooltipToolText(owner, tool, "no tip"));
    EXPECT_FALSE(ui::AddTooltipToolText(tip, WindowHandle{}, "no tool"));
    ui::RemoveTooltipTool(tip, tool);
    EXPECT_EQ(ui::GetTooltipToolText(tip, tool), "");
}

}  // namespace
}  // namespace ql
