// The page band on the display (run under the virtual X server): a band of the
// frame's main bar, shown with a score in page view with its page buttons
// painted. A picture of the band is written for the eye.
#include <gtk/gtk.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "core/state.h"
#include "editing/page_band.h"
#include "platform/gtk/gtk_install.h"
#include "platform/gtk/gtk_window_backend.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/rebar/main_rebar.h"
#include "shell/tests/gtk/display_settle.h"
#include "shell/tests/program/program_fixture.h"

namespace ql::testing {
namespace {

using PageBandOnDisplayTest = ProgramFixture;

TEST_F(PageBandOnDisplayTest, BandShowsBesideAScoreWithItsButtonsPainted) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string path = WriteScore("band.ql");
    ASSERT_EQ(CloseAndRun(), 0);
    ResetFrame();
    FreshWindowLayer::ResetAll();
    if (!gtk::InstallGtkBackends()) GTEST_SKIP() << "no display";
    StartupOptions options;
    options.splash = false;  // the frame, and the bar with the band, show at once
    options.arguments = {path};
    ASSERT_EQ(StartProgram(options), StartupCode::Ok);
    running_ = true;
    SettleDisplay();

    gtk::GtkWindowBackend* backend = gtk::CurrentGtkBackend();
    ASSERT_NE(backend, nullptr);
    gtk::Peer* band = backend->FindPeer(PageBandWindow());
    gtk::Peer* frame = backend->FindPeer(Frame().window);
    ASSERT_NE(band, nullptr);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(win::IsWindowVisible(PageBandWindow()));
    EXPECT_TRUE(gtk_widget_get_visible(band->outer));
    // A band of the frame's main bar, inside the frame's own window.
    EXPECT_EQ(win::GetParent(PageBandWindow()), MainRebarWindow());
    EXPECT_EQ(gtk_widget_get_toplevel(band->outer), frame->outer);
    gtk::Peer* button = backend->FindPeer(PageButtonWindow(2));  // page 1
    ASSERT_NE(button, nullptr);
    EXPECT_TRUE(gtk_widget_get_visible(button->outer));

    GtkWidget* content = band->outer;
    GtkAllocation size;
    gtk_widget_get_allocation(content, &size);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size.width, size.height);
    cairo_t* cr = cairo_create(surface);
    gtk_widget_draw(content, cr);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
    // The grey of the blank page faces is there (the strips may be missing).
    int grey = 0;
    const unsigned char* data = cairo_image_surface_get_data(surface);
    const int stride = cairo_image_surface_get_stride(surface);
    for (int y = 0; y < size.height; ++y)
        for (int x = 0; x < size.width; ++x) {
            const uint32_t pixel = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4) & 0xFFFFFFu;
            grey += pixel != 0xFFFFFFu ? 1 : 0;
        }
    EXPECT_GT(grey, 3 * 17 * 22 / 2);
    std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
    EXPECT_EQ(cairo_surface_write_to_png(surface, (std::string(QL_TEST_OUTPUT_DIR) + "/page_band.png").c_str()),
              CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(surface);

    EXPECT_EQ(CloseAndRun(), 0);
    gtk::ReleaseDisplayFonts();
}

}  // namespace
}  // namespace ql::testing
