// The tool palettes on the display (run under the virtual X server): utility
// windows kept above the frame, shown with a score, and a pointer press on a Notes
// button, made as the display makes it, selects that note value. A picture of the
// Notes palette is written for the eye. With a score named at start the palettes
// reach the display only after the frame, so that a window manager knows the frame
// they belong to when it takes them in.
#include <gtk/gtk.h>

#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/state.h"
#include "core/ui/palette_index.h"
#include "editing/palette_windows.h"
#include "editing/tools.h"
#include "platform/gtk/gtk_install.h"
#include "platform/gtk/gtk_window_backend.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/program_ids.h"
#include "shell/program/score_windows.h"
#include "shell/tests/gtk/display_settle.h"
#include "shell/tests/program/program_fixture.h"

namespace ql::testing {
namespace {

gtk::Peer* PeerOf(platform::WindowHandle window) {
    return gtk::CurrentGtkBackend() ? gtk::CurrentGtkBackend()->FindPeer(window) : nullptr;
}

void SendPointerButton(GdkWindow* target, GdkEventType type) {
    GdkEvent* event = gdk_event_new(type);
    event->button.window = GDK_WINDOW(g_object_ref(target));
    event->button.send_event = TRUE;
    event->button.time = GDK_CURRENT_TIME;
    event->button.x = 10;
    event->button.y = 10;
    event->button.button = 1;
    event->button.state = type == GDK_BUTTON_RELEASE ? GDK_BUTTON1_MASK : 0;
    gdk_event_set_device(event, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
    gtk_main_do_event(event);
    gdk_event_free(event);
}

// The top-level windows in the order the display maps them.
std::vector<GtkWindow*> g_mapped;
gboolean RecordMappedWindow(GSignalInvocationHint*, guint, const GValue* values, gpointer) {
    GObject* object = static_cast<GObject*>(g_value_get_object(&values[0]));
    if (GTK_IS_WINDOW(object)) g_mapped.push_back(GTK_WINDOW(object));
    return TRUE;
}

class PalettesOnDisplayTest : public ProgramFixture {
  protected:
    // A score written by a first run, for a second run to be started with.
    std::string ScoreForNextRun() {
        if (Start() != StartupCode::Ok) return {};
        const std::string path = WriteScore("palettes.ql");
        if (CloseAndRun() != 0) return {};
        ResetFrame();
        FreshWindowLayer::ResetAll();
        return path;
    }
    // The splash closed by a click: the frame shows.
    static void CloseSplash() {
        SettleDisplay();
        for (const platform::WindowHandle logo : win::TopLevelWindows({kLogoClass}))
            win::SendMessage(logo, win::Message::LeftButtonDown, 0, 0);
        SettleDisplay();
    }
    // The faces the build drew, in the scratch program folder.
    void LinkToolFaces() {
        std::filesystem::create_directory_symlink(std::filesystem::path(QL_PROGRAM_DIR) / "tool_faces",
                                                  scratch / "program" / "tool_faces");
    }
};

TEST_F(PalettesOnDisplayTest, UtilityWindowsAndAPressArmsTheNotesTool) {
    const std::string path = ScoreForNextRun();
    ASSERT_FALSE(path.empty());
    // The synthesizer plays into a file: no box about the sound device stops the run.
    setenv("QL_SYNTH_WAV", (scratch / "synthesizer.wav").c_str(), 1);
    if (!gtk::InstallGtkBackends()) GTEST_SKIP() << "no display";
    LinkToolFaces();
    StartupOptions options;
    options.splash = false;  // the frame shows at once
    options.arguments = {path};
    ASSERT_EQ(StartProgram(options), StartupCode::Ok);
    running_ = true;
    ShowAllPalettes();
    SettleDisplay();

    gtk::Peer* notes = PeerOf(PaletteWindow(kNotesPalette));
    gtk::Peer* frame = PeerOf(Frame().window);
    ASSERT_NE(notes, nullptr);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(win::IsWindowVisible(PaletteWindow(kNotesPalette)));
    EXPECT_TRUE(gtk_widget_get_visible(notes->outer));
    EXPECT_EQ(gtk_window_get_type_hint(GTK_WINDOW(notes->outer)), GDK_WINDOW_TYPE_HINT_UTILITY);
    EXPECT_EQ(gtk_window_get_transient_for(GTK_WINDOW(notes->outer)), GTK_WINDOW(frame->outer));
    EXPECT_STREQ(gtk_window_get_title(GTK_WINDOW(notes->outer)), "Notes");

    gtk::Peer* button = PeerOf(PaletteButton(kNotesPalette, 2));
    ASSERT_NE(button, nullptr);
    // The buttons with a text use the display's own tooltips.
    gtk::Peer* heads = PeerOf(PaletteButton(kNotesPalette, 7));
    ASSERT_NE(heads, nullptr);
    EXPECT_TRUE(gtk_widget_get_has_tooltip(heads->area));
    GdkWindow* target = gtk_widget_get_window(button->area);
    ASSERT_NE(target, nullptr);
    SendPointerButton(target, GDK_BUTTON_PRESS);
    SettleDisplay();
    SendPointerButton(target, GDK_BUTTON_RELEASE);
    SettleDisplay();
    EXPECT_EQ(PaletteCurrentButton(kNotesPalette), 2);
    EXPECT_EQ(State().notes.NoteTools.selectedEntry, 2);

    GtkWidget* content = gtk_bin_get_child(GTK_BIN(notes->outer));
    GtkAllocation size;
    gtk_widget_get_allocation(content, &size);
    cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_ARGB32, size.width, size.height);
    cairo_t* cr = cairo_create(surface);
    gtk_widget_draw(content, cr);
    cairo_destroy(cr);
    std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
    EXPECT_EQ(cairo_surface_write_to_png(surface, (std::string(QL_TEST_OUTPUT_DIR) + "/notes_palette.png").c_str()),
              CAIRO_STATUS_SUCCESS);
    cairo_surface_destroy(surface);

    EXPECT_EQ(CloseAndRun(), 0);
    unsetenv("QL_SYNTH_WAV");
    gtk::ReleaseDisplayFonts();
}

TEST_F(PalettesOnDisplayTest, WithAScoreNamedAtStartTheFrameIsMappedBeforeItsPalettes) {
    const std::string path = ScoreForNextRun();
    ASSERT_FALSE(path.empty());
    if (!gtk::InstallGtkBackends()) GTEST_SKIP() << "no display";
    LinkToolFaces();
    g_mapped.clear();
    const guint signal = g_signal_lookup("map", GTK_TYPE_WIDGET);
    const gulong hook = g_signal_add_emission_hook(signal, 0, RecordMappedWindow, nullptr, nullptr);
    StartupOptions options;
    options.arguments = {path};
    ASSERT_EQ(StartProgram(options), StartupCode::Ok);
    running_ = true;
    CloseSplash();  // the score opened while the splash showed
    g_signal_remove_emission_hook(signal, hook);

    gtk::Peer* frame = PeerOf(Frame().window);
    ASSERT_NE(frame, nullptr);
    const auto order = [](GtkWidget* window) {
        return std::find(g_mapped.begin(), g_mapped.end(), GTK_WINDOW(window)) - g_mapped.begin();
    };
    const auto frameAt = order(frame->outer);
    ASSERT_LT(frameAt, std::ssize(g_mapped)) << "the frame was not mapped";
    int shown = 0;
    for (int palette = 0; palette < kPaletteCount; ++palette) {
        gtk::Peer* peer = PeerOf(PaletteWindow(palette));
        if (peer == nullptr || !win::IsWindowVisible(PaletteWindow(palette))) continue;
        ++shown;
        EXPECT_TRUE(gtk_widget_get_mapped(peer->outer)) << "palette " << palette << " is not on the display";
        EXPECT_GT(order(peer->outer), frameAt)
            << "palette " << palette << " was mapped before the frame";
    }
    EXPECT_GT(shown, 3) << "the score's palettes did not show";
    EXPECT_EQ(CloseAndRun(), 0);
    gtk::ReleaseDisplayFonts();
}

}  // namespace
}  // namespace ql::testing
