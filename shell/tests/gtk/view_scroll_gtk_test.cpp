// Scrolling and several views on the display: the GTK scroll bars, the wheel and
// PageDown move the view and repaint it, the status bar's page position agrees
// with the view, the view goes back to the page's top, a second view appears and
// tiles beside the first, and the status bar follows the view made active.
#include <gtest/gtest.h>
#include <gtk/gtk.h>

#include <cstring>
#include <string>

#include "core/draw/draw_surface.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "platform/gfx/dc_access.h"
#include "platform/gtk/gtk_install.h"
#include "platform/gtk/gtk_window_backend.h"
#include "platform/ui/status_bar.h"
#include "platform/win/keys.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/program_ids.h"
#include "shell/program/score_windows.h"
#include "shell/tests/gtk/program_display.h"
#include "shell/tests/program/window_pictures.h"

namespace ql::testing {
namespace {

using ScrollOnDisplayTest = ProgramOnDisplayFixture;

void MoveBar(GtkWidget* bar, GtkScrollType type, double value) {
    gboolean handled = FALSE;
    g_signal_emit_by_name(bar, "change-value", type, value, &handled);
    SettleDisplay();
}

void Wheel(GtkWidget* area, GdkScrollDirection direction) {
    GdkEvent* event = gdk_event_new(GDK_SCROLL);
    event->scroll.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(area)));
    event->scroll.direction = direction;
    event->scroll.x = 50;
    event->scroll.y = 50;
    gdk_event_set_device(
        event, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
    gtk_widget_event(area, event);
    gdk_event_free(event);
    SettleDisplay();
}

double BarValue(GtkWidget* bar) {
    return gtk_range_get_value(GTK_RANGE(bar));
}

TEST_F(ScrollOnDisplayTest, ScrollBarsWheelAndPageDownMoveTheViewAndRepaintIt) {
    const std::string path = ScoreWrittenBeforehand("scrolled.ql");
    if (!StartOnDisplay({path})) GTEST_SKIP() << "no display";
    ScoreView* view = FindViewByPath(path);
    ASSERT_NE(view, nullptr);
    gtk::Peer* peer = gtk::CurrentGtkBackend()->FindPeer(view->ViewWindow);
    ASSERT_NE(peer, nullptr);
    ASSERT_NE(peer->verticalScroll, nullptr);
    const int32_t top = ScrollY(view);
    uint64_t picture = WindowImageHash(view->ViewWindow);

    MoveBar(peer->verticalScroll, GTK_SCROLL_PAGE_FORWARD, BarValue(peer->verticalScroll));
    const int32_t paged = ScrollY(view);
    EXPECT_GT(paged, top) << "the scroll bar's page step moves the view";
    EXPECT_EQ(BarValue(peer->verticalScroll), paged) << "and the bar follows";
    EXPECT_NE(WindowImageHash(view->ViewWindow), picture) << "the view is repainted";

    // Dragging the thumb far down and back up to the top.
    const int32_t target = paged + 4096;
    MoveBar(peer->verticalScroll, GTK_SCROLL_JUMP, target);
    EXPECT_GT(ScrollY(view), paged) << "a thumb drag moves the view";
    const std::string position = ui::GetStatusBarText(Frame().statusBar, 0);
    EXPECT_NE(position.find("Page position"), std::string::npos) << position;
    MoveBar(peer->verticalScroll, GTK_SCROLL_JUMP, -30720);
    EXPECT_EQ(ScrollY(view), -30720) << "the page's top can be reached again";

    picture = WindowImageHash(view->ViewWindow);
    win::SetFocus(Frame().window);  // the wheel scrolls the view under the pointer
    Wheel(peer->area, GDK_SCROLL_DOWN);
    const int32_t wheeled = ScrollY(view);
    EXPECT_GT(wheeled, -30720) << "the wheel scrolls";
    EXPECT_NE(WindowImageHash(view->ViewWindow), picture);

    win::PostMessage(view->ViewWindow, win::Message::KeyDown,
                     static_cast<uint32_t>(win::Key::PageDown), 1);
    SettleDisplay();
    EXPECT_GT(ScrollY(view), wheeled) << "PageDown scrolls";
    EXPECT_EQ(CloseAndRun(), 0);
    gtk::ReleaseDisplayFonts();
}

TEST_F(ScrollOnDisplayTest, ASecondViewAppearsAndTilesBesideTheFirst) {
    const std::string path = ScoreWrittenBeforehand("viewed.ql");
    if (!StartOnDisplay({path})) GTEST_SKIP() << "no display";
    ScoreView* first = FindViewByPath(path);
    ASSERT_NE(first, nullptr);
    win::SendMessage(Frame().window, win::Message::Command,
                     win::MakeCommandWord(cmd::kOpenView, 0));
    SettleDisplay();
    ScoreView* second = State().documents.ActiveView;
    ASSERT_NE(second, first);
    EXPECT_TRUE(win::IsWindowVisible(second->ViewWindow));
    win::SendMessage(Frame().window, win::Message::Command,
                     win::MakeCommandWord(cmd::kTileVertically, 0));
    SettleDisplay();
    const win::Rect a = win::GetWindowRect(first->ViewWindow);
    const win::Rect b = win::GetWindowRect(second->ViewWindow);
    EXPECT_TRUE(win::IsWindowVisible(first->ViewWindow));
    EXPECT_TRUE(win::IsWindowVisible(second->ViewWindow));
    EXPECT_GT(a.Width(), 0);
    EXPECT_GT(b.Width(), 0);
    EXPECT_TRUE(a.right <= b.left || b.right <= a.left) << "side by side";
    EXPECT_NE(win::GetMdiChildState(first->ViewWindow), win::MdiChildState::Maximized);

    // The status bar speaks of the view made active.
    ScrollY(first) = -30720;
    win::ActivateMdiChild(Frame().mdiClient, first->ViewWindow);
    SettleDisplay();
    EXPECT_EQ(State().documents.ActiveView, first);
    win::SendMessage(first->ViewWindow, win::Message::VerticalScroll,
                     win::MakeScrollWord(win::ScrollCode::ThumbTrack, -30720));
    EXPECT_NE(ui::GetStatusBarText(Frame().statusBar, 0).find("Page position: 1%"),
              std::string::npos)
        << ui::GetStatusBarText(Frame().statusBar, 0);
    EXPECT_EQ(CloseAndRun(), 0);
    gtk::ReleaseDisplayFonts();
}

}  // namespace
}  // namespace ql::testing
