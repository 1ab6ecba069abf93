// The GTK backends under a virtual X server: the document-window scene driven by
// GTK events (clicks, keys, menu commands, the frame's buttons) gives the same
// messages and model state as on the headless backend, and the widgets sit
// where the model puts the windows; both backends report the same window tree
// for one script; the frame's picture shows the active child's caption; a
// modal box is answered through GTK; controls are GTK widgets that the user's
// typing and clicks reach; posting from another thread wakes a waiting loop;
// timers run on the monotonic clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>

#include "platform/gfx/types.h"
#include "platform/gtk/gtk_install.h"
#include "platform/tests/gtk/gtk_scene_input.h"
#include "platform/tests/win/mdi_scene.h"
#include "platform/tests/win/win_test_fixture.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/message_loop.h"
#include "platform/win/timers.h"
#include "platform/win/window.h"

namespace ql::testing {
namespace {

using win::Message;

class GtkBackendTest : public FreshWindowLayer {
protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        if (!gtk::InstallGtkBackends()) GTEST_SKIP() << "no display";
    }

    void UseHeadless() { ResetAll(); }
    void UseGtk() {
        ResetAll();
        ASSERT_TRUE(gtk::InstallGtkBackends());
    }
};

struct SceneRun {
    std::vector<std::string> states;
    std::vector<std::string> log;
    std::string mismatches;  // GTK only: widgets away from their windows
};

// The scene's sequence with an input source; after every step on GTK, the
// widgets are compared with the model.
class CheckingGtkInput final : public SceneInput {
public:
    explicit CheckingGtkInput(WindowHandle& frame) : frame_(frame) {}
    void ClickFramePart(WindowHandle c, win::MdiHit p) override { Forward().ClickFramePart(c, p); }
    void ClickClient(WindowHandle w, win::Point p) override { Forward().ClickClient(w, p); }
    void PressKey(win::Key k, bool c, bool s, uint32_t ch) override { Forward().PressKey(k, c, s, ch); }
    bool ChooseMenu(WindowHandle f, int32_t c) override { return Forward().ChooseMenu(f, c); }
    void Settle() override {
        inner_.Settle();
        mismatches += GeometryMismatches(frame_);
    }
    std::string mismatches;

private:
    SceneInput& Forward() {
        inner_.pump = pump;
        return inner_;
    }
    GtkSceneInput inner_;
    WindowHandle& frame_;
};

SceneRun RunScene(bool onGtk) {
    SceneRun run;
    std::unique_ptr<MdiScene> scene = MdiScene::Build();
    if (onGtk) {
        CheckingGtkInput input(scene->frame);
        SettleDisplay();
        run.states = RunMdiSequence(*scene, input);
        run.mismatches = input.mismatches;
    } else {
        HeadlessSceneInput input;
        run.states = RunMdiSequence(*scene, input);
    }
    run.log = scene->log;
    return run;
}

// Clicks into a child, typing, window-menu and menu-bar commands, the frame's
// buttons, Ctrl+F6, Ctrl+Shift+F6 and Ctrl+F4, all as GTK events: the window
// procedures hear the same messages in the same order as with the headless
// input, the model ends each step in the same state, and every widget is where
// its window is.
TEST_F(GtkBackendTest, SceneSequenceMatchesTheHeadlessBackend) {
    UseHeadless();
    SceneRun onHeadless = RunScene(false);
    UseGtk();
    SceneRun onGtk = RunScene(true);
    ASSERT_EQ(onGtk.states.size(), onHeadless.states.size());
    for (size_t i = 0; i < onGtk.states.size(); ++i) EXPECT_EQ(onGtk.states[i], onHeadless.states[i]);
    EXPECT_EQ(onGtk.log, onHeadless.log);
    EXPECT_EQ(onGtk.mismatches, "");
}

std::string TreeAfterScript() {
    std::unique_ptr<MdiScene> scene = MdiScene::Build();
    WindowHandle a = scene->AddChild("Score 1");
    scene->AddChild("Score 2");
    scene->AddChild("Score 3");
    win::TileMdiChildren(scene->client, win::MdiTile::Vertical);
    win::MinimizeMdiChild(scene->client, a);
    win::CascadeMdiChildren(scene->client);
    ui::SetStatusBarText(scene->statusBar, 0, "Measure 1");
    win::MoveWindow(scene->frame, win::Rect{40, 40, 720, 560}, true);
    win::MoveWindow(scene->client, win::Rect{0, 0, 680, 500}, true);
    if (gtk::CurrentGtkBackend()) SettleDisplay();
    scene->Pump();
    std::string tree = WindowTree(scene->frame);
    if (gtk::CurrentGtkBackend()) tree += GeometryMismatches(scene->frame);
    return tree;
}

// One script, both backends: the same tree of windows with the same rectangles,
// client areas and visibility, and on GTK no widget away from its window.
TEST_F(GtkBackendTest, BothBackendsReportTheSameWindowTree) {
    UseHeadless();
    std::string headless = TreeAfterScript();
    UseGtk();
    std::string gtk = TreeAfterScript();
    EXPECT_EQ(gtk, headless);
    EXPECT_NE(headless.find("MDIClient"), std::string::npos);
}

uint32_t PixelAt(cairo_surface_t* surface, int x, int y) {
    const unsigned char* data = cairo_image_surface_get_data(surface);
    int stride = cairo_image_surface_get_stride(surface);
    return reinterpret_cast<const uint32_t*>(data + y * stride)[x] & 0x00FFFFFFu;
}

// The frame as GTK draws it, written for the eye: the active child's caption
// is highlighted, the inactive one's is grey, and the picture is the frame's
// client area with the menu row above it.
TEST_F(GtkBackendTest, FramePictureShowsTheActiveCaption) {
    std::unique_ptr<MdiScene> scene = MdiScene::Build();
    scene->AddChild("Score 1");
    WindowHandle second = scene->AddChild("Score 2");
    win::TileMdiChildren(scene->client, win::MdiTile::Vertical);
    ui::SetStatusBarText(scene->statusBar, 0, "Ready");
    SettleDisplay();
    scene->Pump();
    SettleDisplay();
    EXPECT_EQ(GeometryMismatches(scene->frame), "");
    cairo_surface_t* picture = DrawTopLevel(scene->frame);
    ASSERT_NE(picture, nullptr);
    std::string path = std::string(QL_TEST_OUTPUT_DIR) + "/gtk_mdi_frame.png";
    EXPECT_EQ(cairo_surface_write_to_png(picture, path.c_str()), CAIRO_STATUS_SUCCESS);
    int menuHeight = cairo_image_surface_get_height(picture) - win::GetClientRect(scene->frame).Height();
    EXPECT_GT(menuHeight, 0);
    win::MdiFrameParts parts = win::GetMdiFrameParts(second);
    win::Rect active = win::GetWindowRect(second);
    win::Rect frame = win::GetWindowRect(scene->frame);
    int y = menuHeight + active.top - frame.top + parts.caption.top + 2;
    uint32_t activeInk = PixelAt(picture, active.left - frame.left + parts.caption.left + 2, y);
    WindowHandle first = win::MdiChildrenInZOrder(scene->client).back();
    win::Rect inactive = win::GetWindowRect(first);
    uint32_t inactiveInk = PixelAt(picture, inactive.left - frame.left + parts.caption.left + 2, y);
    EXPECT_NE(activeInk, inactiveInk);
    EXPECT_GT(activeInk & 0xFF, (activeInk >> 16) & 0xFF);  // blue over red
    cairo_surface_destroy(picture);
}

// The frame's client area stands on the screen where the model maps it, below the
// menu row: also after a move that would put the menu row above the screen, which
// keeps the row on the screen and the client below it.
TEST_F(GtkBackendTest, ClientAreaStandsWhereTheModelMapsIt) {
    std::unique_ptr<MdiScene> scene = MdiScene::Build();
    scene->AddChild("Score 1");
    SettleDisplay();
    scene->Pump();
    SettleDisplay();
    EXPECT_EQ(GeometryMismatches(scene->frame), "");
    const win::Rect was = win::GetWindowRect(scene->frame);
    win::MoveWindow(scene->frame, win::Rect{was.left, 0, was.right, was.Height()}, true);
    SettleDisplay();
    scene->Pump();
    SettleDisplay();
    cairo_surface_t* picture = DrawTopLevel(scene->frame);
    ASSERT_NE(picture, nullptr);
    const int menuHeight = cairo_image_surface_get_height(picture) - win::GetClientRect(scene->frame).Height();
    cairo_surface_destroy(picture);
    EXPECT_GT(menuHeight, 0);
    EXPECT_EQ(win::ClientToScreen(scene->frame, win::Point{0, 0}).y, menuHeight) << "the menu row left the screen";
    EXPECT_EQ(GeometryMismatches(scene->frame), "");
}

// Cascaded children overlap; activating the one at the bottom brings it over
// the other: where the other's caption lay, its white client area shows.
TEST_F(GtkBackendTest, ActivationRaisesTheChildOnTheDisplay) {
    std::unique_ptr<MdiScene> scene = MdiScene::Build();
    WindowHandle bottom = scene->AddChild("Score 1");
    WindowHandle top = scene->AddChild("Score 2");
    win::CascadeMdiChildren(scene->client);
    SettleDisplay();
    scene->Pump();
    win::Rect frame = win::GetWindowRect(scene->frame);
    win::Rect caption = win::GetMdiFrameParts(top).caption;
    win::Rect topRect = win::GetWindowRect(top);
    int x = topRect.left - frame.left + caption.left + 40;
    auto inkAtCaption = [&]() {
        SettleDisplay();
        cairo_surface_t* picture = DrawTopLevel(scene->frame);
        int menuHeight = cairo_image_surface_get_height(picture) - win::GetClientRect(scene->frame).Height();
        uint32_t ink = PixelAt(picture, x, menuHeight + topRect.top - frame.top + caption.top + caption.Height() / 2);
        cairo_surface_destroy(picture);
        return ink;
    };
    EXPECT_NE(inkAtCaption(), 0xFFFFFFu);  // Score 2's caption, on top
    win::ActivateMdiChild(scene->client, bottom);
    scene->Pump();
    EXPECT_EQ(inkAtCaption(), 0xFFFFFFu);  // Score 1's client area, now on top
}

// A message box is a GTK dialog; the user's answer (No) comes back through the
// box's loop, which kept dispatching posted messages meanwhile.
TEST_F(GtkBackendTest, MessageBoxTakesTheAnswerGivenOnTheDisplay) {
    g_idle_add(
        [](gpointer) -> gboolean {
            GList* tops = gtk_window_list_toplevels();
            for (GList* it = tops; it; it = it->next)
                if (GTK_IS_MESSAGE_DIALOG(it->data)) gtk_dialog_response(GTK_DIALOG(it->data), ui::kIdNo);
            g_list_free(tops);
            return G_SOURCE_REMOVE;
        },
        nullptr);
    EXPECT_EQ(ui::ShowMessageBox(WindowHandle{}, "Save changes?", "Scene", ui::kBoxYesNoCancel), ui::kIdNo);
}

// GTK's warnings of the "Gtk" domain while a test runs (a freed widget used again
// is one).
int gtkCriticals = 0;
void CountGtkCritical(const gchar*, GLogLevelFlags, const gchar*, gpointer) { ++gtkCriticals; }

// A box closed by Escape or by its title bar's close button answers the box's close
// answer and is destroyed once: GTK leaves it to the backend.
TEST_F(GtkBackendTest, ClosedMessageBoxAnswersAndIsDestroyedOnce) {
    const guint handler = g_log_set_handler("Gtk", G_LOG_LEVEL_CRITICAL, CountGtkCritical, nullptr);
    gtkCriticals = 0;
    // "close" is the dialog's Escape binding; gtk_window_close acts as the title bar's button.
    using Closer = void (*)(GtkWidget*);
    const Closer kEscape = [](GtkWidget* box) { g_signal_emit_by_name(box, "close"); };
    const Closer kTitleBar = [](GtkWidget* box) { gtk_window_close(GTK_WINDOW(box)); };
    const struct {
        Closer close;
        uint32_t style;
        int answer;
    } kCases[] = {{kEscape, ui::kBoxOk, ui::kIdOk},
                  {kTitleBar, ui::kBoxOk, ui::kIdOk},
                  {kEscape, ui::kBoxYesNoCancel, ui::kIdCancel},
                  {kTitleBar, ui::kBoxYesNoCancel, ui::kIdCancel}};
    for (const auto& c : kCases) {
        g_idle_add(
            [](gpointer data) -> gboolean {
                GList* tops = gtk_window_list_toplevels();
                for (GList* it = tops; it; it = it->next)
                    if (GTK_IS_MESSAGE_DIALOG(it->data)) reinterpret_cast<Closer>(data)(GTK_WIDGET(it->data));
                g_list_free(tops);
                return G_SOURCE_REMOVE;
            },
            reinterpret_cast<gpointer>(c.close));
        EXPECT_EQ(ui::ShowMessageBox(WindowHandle{}, "Closed?", "Scene", c.style), c.answer);
    }
    g_log_remove_handler("Gtk", handler);
    EXPECT_EQ(gtkCriticals, 0);
}

// A modeless dialog's controls are GTK widgets: text typed into the entry
// becomes the edit's text with its change notification, a click on the check
// box toggles it, and a click on a button reaches the dialog's procedure.
TEST_F(GtkBackendTest, ControlsAreWidgetsThatTheUserReaches) {
    auto bundle = std::make_shared<sys::ResourceBundle>();
    ui::DialogTemplate t;
    t.caption = "Options";
    t.rect = ui::DialogUnitRect{0, 0, 160, 80};
    auto control = [](const char* cls, int32_t id, uint32_t style, const char* text, int16_t y) {
        return ui::ControlTemplate{cls, id, text, ui::DialogUnitRect{10, y, 80, 12}, style | win::kStyleVisible, 0};
    };
    t.controls = {control(ui::kEditClass, 100, win::kStyleTabStop, "", 10),
                  control(ui::kButtonClass, 101, ui::kButtonAutoCheckBox, "&Loop", 26),
                  control(ui::kButtonClass, ui::kIdOk, ui::kButtonDefaultPush, "OK", 42)};
    bundle->dialogs[7] = t;
    sys::SetProgramBundle(bundle);
    std::vector<uint32_t> commands;
    WindowHandle dialog = ui::CreateModelessDialog(7, WindowHandle{}, [&](WindowHandle, Message m, uint32_t word, intptr_t) -> intptr_t {
        if (m == Message::Command) commands.push_back(word);
        return m == Message::InitDialog ? 1 : 0;
    });
    ASSERT_TRUE(dialog);
    SettleDisplay();
    gtk::Peer* edit = gtk::CurrentGtkBackend()->FindPeer(ui::GetDialogItem(dialog, 100));
    gtk::Peer* check = gtk::CurrentGtkBackend()->FindPeer(ui::GetDialogItem(dialog, 101));
    gtk::Peer* ok = gtk::CurrentGtkBackend()->FindPeer(ui::GetDialogItem(dialog, ui::kIdOk));
    ASSERT_TRUE(edit && check && ok);
    ASSERT_TRUE(GTK_IS_ENTRY(edit->outer));
    ASSERT_TRUE(GTK_IS_CHECK_BUTTON(check->outer));
    gtk_entry_set_text(GTK_ENTRY(edit->outer), "120");
    EXPECT_EQ(ui::GetItemText(dialog, 100), "120");
    gtk_button_clicked(GTK_BUTTON(check->outer));
    gtk_button_clicked(GTK_BUTTON(ok->outer));
    win::PumpMessages();
    EXPECT_TRUE(ui::IsItemChecked(dialog, 101));
    // The edit had the focus from the start (InitDialog asked for it).
    std::vector<uint32_t> expected{win::MakeCommandWord(100, ui::kEditSetFocus), win::MakeCommandWord(100, ui::kEditChange),
                                   win::MakeCommandWord(101, ui::kButtonClicked),
                                   win::MakeCommandWord(ui::kIdOk, ui::kButtonClicked)};
    EXPECT_EQ(commands, expected);
    ui::CheckItem(dialog, 101, false);  // the model's change shows on the widget
    SettleDisplay();
    EXPECT_FALSE(gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(check->outer)));
    win::DestroyWindow(dialog);
}

// An edit given a font of its own shows its text in that face, size and attributes;
// a window that is not an edit takes none.
TEST_F(GtkBackendTest, AnEditShowsItsOwnFont) {
    auto bundle = std::make_shared<sys::ResourceBundle>();
    ui::DialogTemplate t;
    t.caption = "Preview";
    t.rect = ui::DialogUnitRect{0, 0, 120, 40};
    t.controls = {ui::ControlTemplate{ui::kEditClass, 100, "", ui::DialogUnitRect{10, 10, 80, 12}, win::kStyleVisible, 0},
                  ui::ControlTemplate{ui::kButtonClass, 101, "OK", ui::DialogUnitRect{10, 24, 40, 12}, win::kStyleVisible, 0}};
    bundle->dialogs[9] = t;
    sys::SetProgramBundle(bundle);
    WindowHandle dialog = ui::CreateModelessDialog(9, WindowHandle{}, [](WindowHandle, Message m, uint32_t, intptr_t) -> intptr_t {
        return m == Message::InitDialog ? 1 : 0;
    });
    ASSERT_TRUE(dialog);
    const ui::ControlFont font{"Serif", 17, true, true, true, 0};
    EXPECT_FALSE(ui::SetEditFont(ui::GetDialogItem(dialog, 101), font));
    EXPECT_FALSE(ui::SetEditFont(ui::GetDialogItem(dialog, 100), ui::ControlFont{"Serif", 0}));
    ASSERT_TRUE(ui::SetEditFont(ui::GetDialogItem(dialog, 100), font));
    ui::SetItemText(dialog, 100, "8va");
    SettleDisplay();
    gtk::Peer* edit = gtk::CurrentGtkBackend()->FindPeer(ui::GetDialogItem(dialog, 100));
    ASSERT_TRUE(edit && GTK_IS_ENTRY(edit->outer));
    PangoAttrList* attributes = gtk_entry_get_attributes(GTK_ENTRY(edit->outer));
    ASSERT_NE(attributes, nullptr) << "the entry shows the dialog's font";
    PangoAttrIterator* it = pango_attr_list_get_iterator(attributes);
    PangoFontDescription* shown = pango_font_description_new();
    pango_attr_iterator_get_font(it, shown, nullptr, nullptr);
    EXPECT_STREQ(pango_font_description_get_family(shown), "Serif");
    EXPECT_EQ(pango_font_description_get_size(shown), 17 * PANGO_SCALE);
    EXPECT_TRUE(pango_font_description_get_size_is_absolute(shown));
    EXPECT_EQ(pango_font_description_get_weight(shown), PANGO_WEIGHT_BOLD);
    EXPECT_EQ(pango_font_description_get_style(shown), PANGO_STYLE_ITALIC);
    EXPECT_NE(pango_attr_iterator_get(it, PANGO_ATTR_UNDERLINE), nullptr);
    pango_font_description_free(shown);
    pango_attr_iterator_destroy(it);
    win::DestroyWindow(dialog);
}

// A multi-line edit is a text view: the model's lines show as lines, and lines the
// user types reach the model with the change notice.
TEST_F(GtkBackendTest, AMultiLineEditShowsAndTakesSeveralLines) {
    auto bundle = std::make_shared<sys::ResourceBundle>();
    ui::DialogTemplate t;
    t.caption = "Text";
    t.rect = ui::DialogUnitRect{0, 0, 160, 80};
    t.controls = {ui::ControlTemplate{ui::kEditClass, 100, "", ui::DialogUnitRect{10, 10, 120, 40},
                                      ui::kEditMultiLine | win::kStyleTabStop | win::kStyleVisible, 0},
                  ui::ControlTemplate{ui::kEditClass, 101, "", ui::DialogUnitRect{10, 54, 80, 12},
                                      win::kStyleTabStop | win::kStyleVisible, 0}};
    bundle->dialogs[8] = t;
    sys::SetProgramBundle(bundle);
    std::vector<uint32_t> commands;
    WindowHandle dialog = ui::CreateModelessDialog(8, WindowHandle{}, [&](WindowHandle, Message m, uint32_t word, intptr_t) -> intptr_t {
        if (m == Message::Command) commands.push_back(word);
        return m == Message::InitDialog ? 1 : 0;
    });
    ASSERT_TRUE(dialog);
    ui::SetItemText(dialog, 100, "first line\r\nsecond line");
    SettleDisplay();
    gtk::Peer* edit = gtk::CurrentGtkBackend()->FindPeer(ui::GetDialogItem(dialog, 100));
    gtk::Peer* single = gtk::CurrentGtkBackend()->FindPeer(ui::GetDialogItem(dialog, 101));
    ASSERT_TRUE(edit && single);
    EXPECT_TRUE(GTK_IS_ENTRY(single->outer));
    ASSERT_TRUE(GTK_IS_SCROLLED_WINDOW(edit->outer));
    GtkWidget* view = gtk_bin_get_child(GTK_BIN(edit->outer));
    ASSERT_TRUE(GTK_IS_TEXT_VIEW(view));
    GtkTextBuffer* buffer = gtk_text_view_get_buffer(GTK_TEXT_VIEW(view));
    EXPECT_EQ(gtk_text_buffer_get_line_count(buffer), 2);
    gtk_text_buffer_set_text(buffer, "one\ntwo\nthree", -1);
    win::PumpMessages();
    EXPECT_EQ(ui::GetItemText(dialog, 100), "one\ntwo\nthree");
    EXPECT_NE(std::find(commands.begin(), commands.end(), win::MakeCommandWord(100, ui::kEditChange)),
              commands.end());
    win::DestroyWindow(dialog);
}

// Posting from another thread wakes the loop waiting on GLib's main context.
TEST_F(GtkBackendTest, PostFromAnotherThreadWakesTheLoop) {
    win::WindowClass cls;
    cls.name = "Sink";
    cls.procedure = win::DefaultWindowProc;
    win::RegisterWindowClass(cls);
    win::WindowParams params;
    params.className = "Sink";
    params.rect = win::Rect{0, 0, 10, 10};
    WindowHandle sink = win::CreateWindow(params);
    std::thread poster([sink] { win::PostMessage(sink, win::PrivateMessage(7), 42, 0); });
    win::QueuedMessage message;
    ASSERT_TRUE(win::GetMessage(message));
    poster.join();
    EXPECT_EQ(message.message, win::PrivateMessage(7));
    EXPECT_EQ(message.word, 42u);
}

// Timers run on the monotonic clock: a timer's message comes after its period
// has passed on the clock, and the clock never goes back.
TEST_F(GtkBackendTest, TimersFollowTheMonotonicClock) {
    win::WindowClass cls;
    cls.name = "Ticker";
    cls.procedure = win::DefaultWindowProc;
    win::RegisterWindowClass(cls);
    win::WindowParams params;
    params.className = "Ticker";
    params.rect = win::Rect{0, 0, 10, 10};
    WindowHandle ticker = win::CreateWindow(params);
    uint64_t start = win::NowMilliseconds();
    ASSERT_TRUE(win::SetTimer(ticker, 3, 5));
    win::QueuedMessage message;
    ASSERT_TRUE(win::GetMessage(message));
    EXPECT_EQ(message.message, Message::Timer);
    EXPECT_EQ(message.word, 3u);
    EXPECT_GE(win::NowMilliseconds(), start + 5);
}

}  // namespace
}  // namespace ql::testing
