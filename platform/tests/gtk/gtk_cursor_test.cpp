// The current cursor on the display: the window under the pointer shows the
// cursor the program sets, a system shape from the cursor theme or a cursor
// resource as its image and hot spot, and a window the pointer enters takes the
// cursor set before. The keyboard focus the desktop gives a top-level window, and
// takes away, is its activation.
#include <gtest/gtest.h>

#include "platform/gtk/gtk_cursors.h"
#include "platform/gtk/gtk_install.h"
#include "platform/sys/resources.h"
#include "platform/tests/gtk/gtk_scene_input.h"
#include "platform/tests/win/mdi_scene.h"
#include "platform/tests/win/win_test_fixture.h"
#include "platform/win/activation.h"
#include "platform/win/input.h"

namespace ql::testing {
namespace {

constexpr int32_t kHandleCursor = 382;
constexpr uint32_t kRed = 0xFFFF0000u;
constexpr uint32_t kClear = 0x00000000u;

class GtkCursorTest : public FreshWindowLayer {
  protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        if (!gtk::InstallGtkBackends()) GTEST_SKIP() << "no display";
        auto bundle = std::make_shared<sys::ResourceBundle>();
        bundle->cursors[kHandleCursor] = sys::CursorResource{
            3, 2, win::Point{2, 1}, {kClear, kClear, kClear, kClear, kClear, kRed}};
        sys::SetProgramBundle(bundle);
        scene_ = MdiScene::Build();
        first_ = scene_->AddChild("Score 1");
        second_ = scene_->AddChild("Score 2");
        SettleDisplay();
        scene_->Pump();
    }

    GdkWindow* AreaOf(WindowHandle window) {
        gtk::Peer* peer = gtk::CurrentGtkBackend()->FindPeer(window);
        return peer != nullptr && peer->area != nullptr ? gtk_widget_get_window(peer->area)
                                                        : nullptr;
    }

    // The pointer comes into the window's drawing area, as the display reports it.
    void Enter(WindowHandle window) {
        GdkEvent* event = gdk_event_new(GDK_ENTER_NOTIFY);
        event->crossing.window = GDK_WINDOW(g_object_ref(AreaOf(window)));
        event->crossing.time = GDK_CURRENT_TIME;
        event->crossing.mode = GDK_CROSSING_NORMAL;
        event->crossing.detail = GDK_NOTIFY_ANCESTOR;
        gdk_event_set_device(
            event, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
        gdk_event_put(event);
        gdk_event_free(event);
        SettleDisplay();
    }

    std::unique_ptr<MdiScene> scene_;
    WindowHandle first_;
    WindowHandle second_;
};

TEST_F(GtkCursorTest, TheWindowUnderThePointerShowsTheCurrentCursor) {
    ASSERT_TRUE(AreaOf(first_) != nullptr && AreaOf(second_) != nullptr);
    Enter(first_);
    win::SetCursor(win::LoadSystemCursor(win::SystemCursor::SizeWe));
    GdkCursor* across = gdk_window_get_cursor(AreaOf(first_));
    ASSERT_NE(across, nullptr) << "the system shape is not shown";

    win::SetCursor(win::LoadSystemCursor(win::SystemCursor::SizeNs));
    GdkCursor* upDown = gdk_window_get_cursor(AreaOf(first_));
    ASSERT_NE(upDown, nullptr);
    EXPECT_NE(upDown, across) << "another shape keeps the first one";
    win::SetCursor(win::LoadSystemCursor(win::SystemCursor::SizeWe));
    EXPECT_EQ(gdk_window_get_cursor(AreaOf(first_)), across) << "a shape is made once";

    // A resource cursor: its image and hot spot.
    win::SetCursor(win::LoadCursorResource(kHandleCursor));
    GdkCursor* handle = gdk_window_get_cursor(AreaOf(first_));
    ASSERT_NE(handle, nullptr) << "the resource cursor is not shown";
    EXPECT_EQ(gdk_cursor_get_cursor_type(handle), GDK_CURSOR_IS_PIXMAP);

    // The pointer moves on: the other window takes the cursor set before.
    EXPECT_EQ(gdk_window_get_cursor(AreaOf(second_)), nullptr);
    Enter(second_);
    EXPECT_EQ(gdk_window_get_cursor(AreaOf(second_)), handle);

    // No cursor set: the window's default shows again.
    win::SetCursor(win::CursorHandle{});
    EXPECT_EQ(gdk_window_get_cursor(AreaOf(second_)), nullptr);
}

// The desktop's focus coming to the frame makes it the active window; going away
// (to another program) leaves none active.
TEST_F(GtkCursorTest, TheDesktopsFocusActivatesTheTopLevelWindow) {
    gtk::Peer* peer = gtk::CurrentGtkBackend()->FindPeer(scene_->frame);
    ASSERT_TRUE(peer != nullptr && peer->outer != nullptr);
    GdkWindow* surface = gtk_widget_get_window(peer->outer);
    ASSERT_NE(surface, nullptr);
    auto focus = [&](bool in) {
        GdkEvent* event = gdk_event_new(GDK_FOCUS_CHANGE);
        event->focus_change.window = GDK_WINDOW(g_object_ref(surface));
        event->focus_change.in = in ? TRUE : FALSE;
        gdk_event_set_device(
            event, gdk_seat_get_keyboard(gdk_display_get_default_seat(gdk_display_get_default())));
        gdk_event_put(event);
        gdk_event_free(event);
        SettleDisplay();
    };
    win::SetActiveWindow(WindowHandle{});
    focus(true);
    EXPECT_EQ(win::GetActiveWindow(), scene_->frame);
    focus(false);
    EXPECT_EQ(win::GetActiveWindow(), WindowHandle{});
}

// A resource's image as the display gets it: its size, and its colours
// multiplied by their alpha (a half-covered white becomes a half grey).
TEST(GtkCursorImageTest, ResourceImagesKeepTheirSizeAndAlpha) {
    const sys::CursorResource image{
        3, 2, win::Point{2, 1}, {kClear, 0x80FFFFFFu, kClear, kClear, kClear, kRed}};
    cairo_surface_t* surface = gtk::CursorImageSurface(image);
    ASSERT_NE(surface, nullptr);
    ASSERT_EQ(cairo_image_surface_get_width(surface), 3);
    ASSERT_EQ(cairo_image_surface_get_height(surface), 2);
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(data)[0], kClear);
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(data)[1], 0x80808080u);
    EXPECT_EQ(reinterpret_cast<const uint32_t*>(data + stride)[2], kRed);
    cairo_surface_destroy(surface);

    const sys::CursorResource broken{3, 2, win::Point{0, 0}, {kRed}};
    EXPECT_EQ(gtk::CursorImageSurface(broken), nullptr) << "pixels that do not fill the size";
}

}  // namespace
}  // namespace ql::testing
