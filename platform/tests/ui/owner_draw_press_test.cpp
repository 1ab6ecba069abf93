// An owner-drawn button that reports its press tells its parent of the press and
// the release as selection changes before the click; a plain one does not.
#include <gtest/gtest.h>

#include <vector>

#include "platform/tests/win/win_test_fixture.h"
#include "platform/ui/controls.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using platform::WindowHandle;

struct Seen {
    win::Message message;
    win::DrawAction action = win::DrawAction::DrawEntire;
    uint32_t state = 0;
};

class OwnerDrawPressTest : public testing::FreshWindowLayer {
  protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        ui::RegisterControlClasses();
        win::WindowClass parentClass;
        parentClass.name = "PressParent";
        parentClass.procedure = [this](WindowHandle w, win::Message m, uint32_t word, intptr_t data) {
            if (m == win::Message::DrawItem) {
                const auto* item = reinterpret_cast<const win::DrawItemInfo*>(data);
                if (item->action == win::DrawAction::Select) seen.push_back({m, item->action, item->state});
                return intptr_t{1};
            }
            if (m == win::Message::Command) seen.push_back({m});
            if (m == win::Message::ParentNotify) seen.push_back({m, win::DrawAction::DrawEntire, word});
            return win::DefaultWindowProc(w, m, word, data);
        };
        win::RegisterWindowClass(parentClass);
        win::WindowParams params;
        params.className = "PressParent";
        params.style = win::kStylePopup | win::kStyleVisible;
        parent = win::CreateWindow(params);
    }
    WindowHandle Button(uint32_t options) {
        win::WindowParams params;
        params.className = ui::kButtonClass;
        params.style = win::kStyleChild | win::kStyleVisible | ui::kButtonOwnerDraw | options;
        params.parent = parent;
        params.id = 7;
        params.rect = {0, 0, 36, 36};
        return win::CreateWindow(params);
    }
    void Click(WindowHandle button) {
        win::SendMessage(button, win::Message::LeftButtonDown, 0, 0);
        win::SendMessage(button, win::Message::LeftButtonUp, 0, 0);
    }

    WindowHandle parent;
    std::vector<Seen> seen;
};

// The parent hears of the button-down first, then of the press and the release.
TEST_F(OwnerDrawPressTest, PressAndReleaseReachTheParentBeforeTheClick) {
    Click(Button(ui::kButtonNotifyPress));
    ASSERT_EQ(seen.size(), 4u);
    EXPECT_EQ(seen[0].message, win::Message::ParentNotify);
    EXPECT_EQ(seen[0].state, win::ToRaw(win::Message::LeftButtonDown));
    EXPECT_EQ(seen[1].message, win::Message::DrawItem);
    EXPECT_EQ(seen[1].state & win::kItemStateSelected, win::kItemStateSelected);
    EXPECT_EQ(seen[2].message, win::Message::DrawItem);
    EXPECT_EQ(seen[2].state & win::kItemStateSelected, 0u);
    EXPECT_EQ(seen[3].message, win::Message::Command);
}

// The right button only tells the parent of the button-down.
TEST_F(OwnerDrawPressTest, RightButtonDownOnlyNotifiesTheParent) {
    const WindowHandle button = Button(ui::kButtonNotifyPress);
    win::SendMessage(button, win::Message::RightButtonDown, 0, 0);
    win::SendMessage(button, win::Message::RightButtonUp, 0, 0);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, win::Message::ParentNotify);
    EXPECT_EQ(seen[0].state, win::ToRaw(win::Message::RightButtonDown));
}

TEST_F(OwnerDrawPressTest, PlainOwnerDrawnButtonOnlyClicks) {
    Click(Button(0));
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].message, win::Message::Command);
}

}  // namespace
}  // namespace ql
