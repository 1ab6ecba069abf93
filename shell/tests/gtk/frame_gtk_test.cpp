// The frame on the display (the virtual X server, no window manager): a frame
// started maximised fits the monitor's work area, its menu row included, and the
// position readout stands at the right end of the frame's menu bar instead of
// in a window of its own.
#include <gtk/gtk.h>

#include <gtest/gtest.h>

#include "core/settings/program_options.h"
#include "platform/gtk/gtk_install.h"
#include "platform/gtk/gtk_window_backend.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/frame_layout.h"
#include "shell/tests/gtk/display_settle.h"
#include "shell/tests/program/program_fixture.h"

namespace ql::testing {
namespace {

GdkRectangle WorkArea() {
    GdkRectangle area{0, 0, 0, 0};
    GdkDisplay* display = gdk_display_get_default();
    GdkMonitor* monitor = gdk_display_get_primary_monitor(display);
    if (monitor == nullptr) monitor = gdk_display_get_monitor(display, 0);
    gdk_monitor_get_workarea(monitor, &area);
    return area;
}

class FrameOnDisplayTest : public ProgramFixture {
  protected:
    void TearDown() override {
        ProgramFixture::TearDown();
        gtk::ReleaseDisplayFonts();
    }
};

TEST_F(FrameOnDisplayTest, MaximisedFrameFitsTheWorkAreaWithTheReadoutInItsMenuBar) {
    if (!gtk::InstallGtkBackends()) GTEST_SKIP() << "no display";
    Options().StartMaximized = 1;
    ASSERT_EQ(Start(), StartupCode::Ok);
    SettleDisplay();
    gtk::GtkWindowBackend* backend = gtk::CurrentGtkBackend();
    gtk::Peer* frame = backend->FindPeer(Frame().window);
    ASSERT_NE(frame, nullptr);
    const GdkRectangle area = WorkArea();
    GdkRectangle shown;
    gdk_window_get_frame_extents(gtk_widget_get_window(frame->outer), &shown);
    EXPECT_GE(shown.y, area.y);
    EXPECT_LE(shown.y + shown.height, area.y + area.height);
    EXPECT_LE(shown.x + shown.width, area.x + area.width);
    // The model's frame is the window less its menu row.
    const win::Rect rect = win::GetWindowRect(Frame().window);
    EXPECT_EQ(rect.Height() + gtk_widget_get_allocated_height(frame->menuRow), shown.height);

    gtk::Peer* readout = backend->FindPeer(Frame().readout);
    ASSERT_NE(readout, nullptr);
    ASSERT_TRUE(win::IsWindowVisible(Frame().readout));
    EXPECT_EQ(gtk_widget_get_toplevel(readout->outer), frame->outer);
    EXPECT_EQ(gtk_widget_get_parent(readout->outer), frame->menuRow);
    GtkAllocation at, row, buttons;
    gtk_widget_get_allocation(readout->outer, &at);
    gtk_widget_get_allocation(frame->menuRow, &row);
    gtk_widget_get_allocation(frame->childButtons, &buttons);
    EXPECT_EQ(at.width, kReadoutWidth);
    const int buttonsWidth = gtk_widget_get_visible(frame->childButtons) ? buttons.width : 0;
    EXPECT_EQ(at.x + at.width, row.x + row.width - buttonsWidth);
    EXPECT_GE(at.y, row.y);
    EXPECT_LE(at.y + at.height, row.y + row.height);
    EXPECT_EQ(CloseAndRun(), 0);
}

}  // namespace
}  // namespace ql::testing
