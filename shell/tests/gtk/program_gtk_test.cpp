// The program on the display (run under the virtual X server): it starts with its
// splash, shows the frame, opens the score named on its command line in a window,
// opens a second window on it with the numbered caption, closes that one and exits
// with 0. A picture of the frame is written for the eye.
#include <gtk/gtk.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

#include "core/state.h"
#include "platform/gtk/gtk_install.h"
#include "platform/gtk/gtk_window_backend.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/logo_window.h"
#include "shell/program/program_ids.h"
#include "shell/program/score_windows.h"
#include "shell/tests/gtk/program_display.h"

namespace ql::testing {
namespace {

// The frame's content as GTK draws it: the menu row and the client area.
bool WriteFramePicture(platform::WindowHandle frame, const std::string& path) {
    gtk::Peer* peer = gtk::CurrentGtkBackend()->FindPeer(frame);
    if (peer == nullptr) return false;
    GtkWidget* content = gtk_bin_get_child(GTK_BIN(peer->outer));
    GtkAllocation size;
    gtk_widget_get_allocation(content, &size);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size.width, size.height);
    cairo_t* cr = cairo_create(surface);
    gtk_widget_draw(content, cr);
    cairo_destroy(cr);
    const bool written = cairo_surface_write_to_png(surface, path.c_str()) == CAIRO_STATUS_SUCCESS;
    cairo_surface_destroy(surface);
    return written;
}

using ProgramOnDisplayTest = ProgramOnDisplayFixture;

TEST_F(ProgramOnDisplayTest, OpensAScoreAndASecondViewThenExits) {
    const std::string path = ScoreWrittenBeforehand();
    if (!gtk::InstallGtkBackends()) GTEST_SKIP() << "no display";
    StartupOptions options;
    options.arguments = {path};
    ASSERT_EQ(StartProgram(options), StartupCode::Ok);
    running_ = true;
    // The frame stays hidden behind the splash until a key closes it.
    EXPECT_FALSE(win::IsWindowVisible(Frame().window));
    const std::vector<platform::WindowHandle> logos = win::TopLevelWindows({kLogoClass});
    ASSERT_EQ(logos.size(), 1u);
    SettleDisplay();
    win::PostMessage(logos[0], win::Message::KeyDown, 0, 1);
    SettleDisplay();
    EXPECT_TRUE(win::IsWindowVisible(Frame().window));
    EXPECT_FALSE(win::IsWindow(logos[0]));
    EXPECT_EQ(Captions(), std::vector<std::string>{path});

    ScoreView* first = FindViewByPath(path);
    ASSERT_NE(first, nullptr);
    win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(cmd::kOpenView, 0));
    SettleDisplay();
    std::vector<std::string> captions = Captions();
    std::sort(captions.begin(), captions.end());
    EXPECT_EQ(captions, (std::vector<std::string>{path, path + "(1)"}));
    ScoreView* second = State().documents.ActiveView;
    ASSERT_NE(second, first);

    std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
    EXPECT_TRUE(WriteFramePicture(Frame().window, std::string(QL_TEST_OUTPUT_DIR) + "/program_frame.png"));

    EXPECT_EQ(CloseScoreWindow(second->ViewWindow), 1);
    SettleDisplay();
    EXPECT_EQ(Captions(), std::vector<std::string>{path});
    EXPECT_EQ(State().documents.ActiveView, first);
    EXPECT_EQ(CloseAndRun(), 0);
    EXPECT_EQ(CountOpenViews(), 0);
    gtk::ReleaseDisplayFonts();
}

}  // namespace
}  // namespace ql::testing
