// Trackbars: range and position kept together, the user's moves by line, page,
// end and thumb, and what the parent is told of them.
#include <utility>
#include <vector>

#include "platform/tests/win/win_test_fixture.h"
#include "platform/ui/control_state.h"
#include "platform/ui/trackbar.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::ui {
namespace {

using win::Message;

class TrackbarTest : public testing::FreshWindowLayer {
  protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        detail::EnsureControlClasses();
        win::WindowClass cls;
        cls.name = "Host";
        cls.procedure = [this](WindowHandle, Message m, uint32_t word, intptr_t data) -> intptr_t {
            if (m == Message::VerticalScroll || m == Message::HorizontalScroll)
                told.push_back({m, win::ScrollCodeOf(word), win::ScrollPositionOf(word), data});
            return 0;
        };
        win::RegisterWindowClass(cls);
        win::WindowParams params;
        params.className = "Host";
        params.style = win::kStyleVisible;
        host = win::CreateWindow(params);
        params.className = kTrackbarClass;
        params.parent = host;
        params.id = 7;
        params.style = win::kStyleChild | win::kStyleVisible | kTrackbarVertical;
        bar = win::CreateWindow(params);
    }

    struct Told {
        Message message;
        win::ScrollCode code;
        int32_t position;
        intptr_t control;
    };
    WindowHandle host;
    WindowHandle bar;
    std::vector<Told> told;
};

// The position follows a narrowed range; an inverted range is refused.
TEST_F(TrackbarTest, PositionStaysInsideTheRange) {
    EXPECT_TRUE(SetTrackbarRange(bar, 0, 128));
    SetTrackbarPosition(bar, 200);
    EXPECT_EQ(GetTrackbarPosition(bar), 128);
    EXPECT_EQ(SetTrackbarPosition(bar, -5), 128);
    EXPECT_EQ(GetTrackbarPosition(bar), 0);
    EXPECT_FALSE(SetTrackbarRange(bar, 10, 9));
    EXPECT_TRUE(SetTrackbarRange(bar, 10, 20));
    EXPECT_EQ(GetTrackbarPosition(bar), 10);
    EXPECT_FALSE(SetTrackbarPage(bar, 0));
    EXPECT_FALSE(SetTrackbarRange(host, 0, 1));  // not a trackbar
}

// Lines step by 1, pages by the page, the thumb goes where it is dragged, each
// clamped; the parent hears the code and the new position, then EndScroll.
TEST_F(TrackbarTest, MovesTellTheParent) {
    SetTrackbarRange(bar, 0, 128);
    SetTrackbarPage(bar, 8);
    SetTrackbarPosition(bar, 64);
    EXPECT_TRUE(MoveTrackbar(bar, win::ScrollCode::LineUp));
    EXPECT_EQ(GetTrackbarPosition(bar), 63);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[0].message, Message::VerticalScroll);
    EXPECT_EQ(told[0].code, win::ScrollCode::LineUp);
    EXPECT_EQ(told[0].position, 63);
    EXPECT_EQ(told[0].control, win::HandleData(bar));
    EXPECT_EQ(told[1].code, win::ScrollCode::EndScroll);
    MoveTrackbar(bar, win::ScrollCode::PageDown);
    EXPECT_EQ(GetTrackbarPosition(bar), 71);
    MoveTrackbar(bar, win::ScrollCode::ThumbTrack, 300);
    EXPECT_EQ(GetTrackbarPosition(bar), 128);
    MoveTrackbar(bar, win::ScrollCode::Top);
    EXPECT_EQ(GetTrackbarPosition(bar), 0);
    MoveTrackbar(bar, win::ScrollCode::PageUp);
    EXPECT_EQ(told.back().code, win::ScrollCode::EndScroll);
    EXPECT_EQ(told[told.size() - 2].position, 0);
    win::EnableWindow(bar, false);
    EXPECT_FALSE(MoveTrackbar(bar, win::ScrollCode::LineDown));
}

}  // namespace
}  // namespace ql::ui
