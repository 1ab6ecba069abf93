// Every dialog template of the program, built on the display (the virtual X
// server): no two controls overlap, every control keeps the rectangle its
// template gives it and every label fits its text, radio buttons show their
// template's groups with one choice each, and up-down arrows step their field.
// Pictures of the dialogs are written for the eye.
#include <gtk/gtk.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "core/state.h"
#include "layout/page/new_manuscript_dialog.h"
#include "layout/page/page_layout_resources.h"
#include "layout/page_layout_dialogs.h"
#include "platform/gtk/gtk_install.h"
#include "platform/gtk/gtk_window_backend.h"
#include "platform/sys/resources.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/tests/gtk/display_settle.h"
#include "shell/tests/program/program_fixture.h"

namespace ql::testing {
namespace {

using platform::WindowHandle;

// The dialogs whose pictures are written from the all-templates pass: Key
// Selection, Clef Selection, Find, Music Metrics, Staff Size.
const std::set<int32_t> kPictured = {823, 810, 886, 850, 880};

GtkWidget* WidgetOf(WindowHandle window) {
    gtk::Peer* peer = gtk::CurrentGtkBackend()->FindPeer(window);
    return peer != nullptr && peer->kind == gtk::PeerKind::Control ? peer->outer : nullptr;
}

std::string Describe(WindowHandle dialog, WindowHandle control) {
    return "\"" + win::GetWindowText(dialog) + "\" control " + std::to_string(win::GetWindowId(control)) + " \"" +
           win::GetWindowText(control) + "\"";
}

bool IsGroupBox(WindowHandle w) {
    return win::HasClassName(w, ui::kButtonClass) && ui::GetButtonKind(w) == ui::kButtonGroupBox;
}

bool IsRadio(WindowHandle w) {
    uint32_t kind = ui::GetButtonKind(w);
    return win::HasClassName(w, ui::kButtonClass) && (kind == ui::kButtonRadio || kind == ui::kButtonAutoRadio);
}

bool Overlap(const GtkAllocation& a, const GtkAllocation& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height && b.y < a.y + a.height;
}

void CollectLabels(GtkWidget* widget, std::vector<GtkWidget*>* labels) {
    if (GTK_IS_LABEL(widget)) labels->push_back(widget);
    if (GTK_IS_CONTAINER(widget)) {
        GList* children = gtk_container_get_children(GTK_CONTAINER(widget));
        for (GList* it = children; it; it = it->next) CollectLabels(GTK_WIDGET(it->data), labels);
        g_list_free(children);
    }
}

// A label fits when the text it shows needs no more than the room it was given.
bool LabelFits(GtkWidget* label) {
    if (!gtk_widget_get_visible(label) || *gtk_label_get_text(GTK_LABEL(label)) == '\0') return true;
    GtkAllocation room;
    gtk_widget_get_allocation(label, &room);
    int minimumWidth = 0, naturalWidth = 0, height = 0;
    gtk_widget_get_preferred_width(label, &minimumWidth, &naturalWidth);
    gtk_widget_get_preferred_height_for_width(label, room.width, &height, nullptr);
    int needed = gtk_label_get_line_wrap(GTK_LABEL(label)) ? minimumWidth : naturalWidth;
    return needed <= room.width && height <= room.height;
}

// The visible controls shown by widgets, with where GTK put them.
std::vector<std::pair<WindowHandle, GtkAllocation>> PlacedControls(WindowHandle dialog) {
    std::vector<std::pair<WindowHandle, GtkAllocation>> placed;
    for (WindowHandle control : win::ChildWindows(dialog)) {
        GtkWidget* widget = WidgetOf(control);
        if (widget == nullptr || !win::IsWindowVisible(control)) continue;
        GtkAllocation at;
        gtk_widget_get_allocation(widget, &at);
        placed.emplace_back(control, at);
    }
    return placed;
}

void ExpectLaidOutFromTemplate(WindowHandle dialog) {
    const win::Rect client = win::GetClientRect(dialog);
    auto placed = PlacedControls(dialog);
    for (const auto& [control, at] : placed) {
        const win::Rect rect = win::GetClientRect(control);
        // A widget that needs more than its rectangle grows over its neighbours.
        EXPECT_EQ(at.width, rect.Width()) << Describe(dialog, control);
        EXPECT_EQ(at.height, rect.Height()) << Describe(dialog, control);
        EXPECT_LE(at.x + at.width, client.Width()) << Describe(dialog, control);
        EXPECT_LE(at.y + at.height, client.Height()) << Describe(dialog, control);
        std::vector<GtkWidget*> labels;
        CollectLabels(WidgetOf(control), &labels);
        for (GtkWidget* label : labels) EXPECT_TRUE(LabelFits(label)) << Describe(dialog, control) << " is clipped";
    }
    for (size_t i = 0; i < placed.size(); ++i)
        for (size_t j = i + 1; j < placed.size(); ++j) {
            if (IsGroupBox(placed[i].first) || IsGroupBox(placed[j].first)) continue;
            EXPECT_FALSE(Overlap(placed[i].second, placed[j].second))
                << Describe(dialog, placed[i].first) << " overlaps " << Describe(dialog, placed[j].first);
        }
}

// The template's radio groups: each starts at a control with the group style.
std::vector<std::vector<WindowHandle>> RadioGroups(WindowHandle dialog) {
    std::vector<std::vector<WindowHandle>> groups(1);
    for (WindowHandle control : win::ChildWindows(dialog)) {
        if ((win::GetStyle(control) & win::kStyleGroup) && !groups.back().empty()) groups.emplace_back();
        if (IsRadio(control)) groups.back().push_back(control);
    }
    std::erase_if(groups, [](const auto& group) { return group.empty(); });
    return groups;
}

bool IsShownChecked(WindowHandle radio) {
    return gtk_toggle_button_get_active(GTK_TOGGLE_BUTTON(WidgetOf(radio))) != FALSE;
}

// Each template group is one GTK group, apart from the others, and shows exactly
// the model's check marks.
void ExpectRadioGroupsShown(WindowHandle dialog, bool oneChecked) {
    std::vector<GSList*> seen;
    for (const std::vector<WindowHandle>& group : RadioGroups(dialog)) {
        GSList* gtkGroup = gtk_radio_button_get_group(GTK_RADIO_BUTTON(WidgetOf(group.front())));
        int shownChecked = 0;
        for (WindowHandle radio : group) {
            EXPECT_EQ(gtk_radio_button_get_group(GTK_RADIO_BUTTON(WidgetOf(radio))), gtkGroup) << Describe(dialog, radio);
            EXPECT_EQ(IsShownChecked(radio), ui::GetButtonCheck(radio) == ui::CheckState::Checked)
                << Describe(dialog, radio);
            shownChecked += IsShownChecked(radio) ? 1 : 0;
        }
        EXPECT_EQ(shownChecked, oneChecked ? 1 : 0) << Describe(dialog, group.front());
        EXPECT_EQ(std::count(seen.begin(), seen.end(), gtkGroup), 0) << Describe(dialog, group.front());
        seen.push_back(gtkGroup);
    }
}

gboolean StopWaiting(gpointer data) {
    *static_cast<bool*>(data) = true;
    return G_SOURCE_REMOVE;
}

// What the X server shows of the dialog, once the theme's transitions (the
// check marks fade in) have run; for the eye only.
bool WriteDialogPicture(WindowHandle dialog, const std::string& name) {
    constexpr guint kTransitionMilliseconds = 400;
    bool waited = false;
    g_timeout_add(kTransitionMilliseconds, StopWaiting, &waited);
    while (!waited) g_main_context_iteration(nullptr, TRUE);
    GtkWindow* window = gtk::CurrentGtkBackend()->TopLevelOf(dialog);
    GdkWindow* shown = window != nullptr ? gtk_widget_get_window(GTK_WIDGET(window)) : nullptr;
    if (shown == nullptr) return false;
    GdkPixbuf* picture =
        gdk_pixbuf_get_from_window(shown, 0, 0, gdk_window_get_width(shown), gdk_window_get_height(shown));
    if (picture == nullptr) return false;
    std::filesystem::create_directories(std::string(QL_TEST_OUTPUT_DIR) + "/dialogs");
    const std::string path = std::string(QL_TEST_OUTPUT_DIR) + "/dialogs/" + name + ".png";
    const bool written = gdk_pixbuf_save(picture, path.c_str(), "png", nullptr, nullptr) != FALSE;
    g_object_unref(picture);
    return written;
}

// A press of the primary button at (x, y) of the widget, as GTK delivers it.
void PressAt(GtkWidget* widget, double x, double y) {
    GdkEvent* event = gdk_event_new(GDK_BUTTON_PRESS);
    event->button.window = GDK_WINDOW(g_object_ref(gtk_widget_get_window(widget)));
    GtkAllocation at;
    gtk_widget_get_allocation(widget, &at);
    // A widget without a window of its own gets coordinates of its parent's.
    event->button.x = x + (gtk_widget_get_has_window(widget) ? 0 : at.x);
    event->button.y = y + (gtk_widget_get_has_window(widget) ? 0 : at.y);
    event->button.button = GDK_BUTTON_PRIMARY;
    gtk_widget_event(widget, event);
    gdk_event_free(event);
}

// Runs `inspect` on the modal dialog once it is shown, then ends it with Cancel.
struct ModalInspection {
    std::function<void(WindowHandle)> inspect;
    bool inspected = false;
};

gboolean InspectShownDialog(gpointer data) {
    auto* inspection = static_cast<ModalInspection*>(data);
    std::vector<WindowHandle> dialogs = win::TopLevelWindows({ui::kDialogClass});
    if (dialogs.empty() || !win::IsWindowVisible(dialogs.back())) return G_SOURCE_CONTINUE;
    SettleDisplay();
    inspection->inspect(dialogs.back());
    inspection->inspected = true;
    ui::EndDialog(dialogs.back(), ui::kIdCancel);
    win::CurrentBackend().Wake();
    return G_SOURCE_REMOVE;
}

class DialogsOnDisplayTest : public ProgramFixture {
  protected:
    void TearDown() override {
        ProgramFixture::TearDown();
        gtk::ReleaseDisplayFonts();
    }
    void RunInspected(const std::function<void()>& run, std::function<void(WindowHandle)> inspect) {
        ModalInspection inspection{std::move(inspect)};
        g_idle_add(InspectShownDialog, &inspection);
        run();
        EXPECT_TRUE(inspection.inspected);
    }
};

// Every template, with its controls as the template makes them and with the
// first radio of each group checked as a dialog's initialisation does.
TEST_F(DialogsOnDisplayTest, EveryTemplateFitsItsControlsAndGroupsItsRadios) {
    if (!gtk::InstallGtkBackends()) GTEST_SKIP() << "no display";
    ASSERT_EQ(Start(), StartupCode::Ok);
    SettleDisplay();
    std::shared_ptr<const sys::ResourceBundle> bundle = sys::GetProgramBundle();
    ASSERT_NE(bundle, nullptr);
    ASSERT_GT(bundle->dialogs.size(), 20u);
    for (const auto& [id, dialogTemplate] : bundle->dialogs) {
        WindowHandle dialog = ui::CreateModelessDialog(id, Frame().window, [](WindowHandle, win::Message, uint32_t, intptr_t) -> intptr_t { return 0; });
        ASSERT_TRUE(dialog) << id.ToString();
        SettleDisplay();
        ExpectLaidOutFromTemplate(dialog);
        ExpectRadioGroupsShown(dialog, false);
        for (const std::vector<WindowHandle>& group : RadioGroups(dialog)) ui::SetButtonCheck(group.front(), ui::CheckState::Checked);
        SettleDisplay();
        ExpectRadioGroupsShown(dialog, true);
        if (kPictured.contains(id.Number())) {
            EXPECT_TRUE(WriteDialogPicture(dialog, id.ToString()));
        }
        win::DestroyWindow(dialog);
        SettleDisplay();
    }
}

// New Manuscript with its own initialisation: its arrows step their fields,
// up and down, from what the field shows.
TEST_F(DialogsOnDisplayTest, NewManuscriptArrowsStepTheirFields) {
    using namespace new_manuscript_dialog;
    if (!gtk::InstallGtkBackends()) GTEST_SKIP() << "no display";
    ASSERT_EQ(Start(), StartupCode::Ok);
    SettleDisplay();
    RunInspected([] { RunNewManuscriptDialog(); },
                 [](WindowHandle dialog) {
                     ExpectLaidOutFromTemplate(dialog);
                     WriteDialogPicture(dialog, "new_manuscript");
                     GtkWidget* arrows = WidgetOf(ui::GetDialogItem(dialog, kMeasuresSpin));
                     ASSERT_NE(arrows, nullptr);
                     ui::SetItemText(dialog, kMeasures, "5");
                     SettleDisplay();
                     const int height = gtk_widget_get_allocated_height(arrows);
                     PressAt(arrows, 2, 1);
                     EXPECT_EQ(win::GetWindowText(ui::GetDialogItem(dialog, kMeasures)), "6");
                     PressAt(arrows, 2, height - 2);
                     PressAt(arrows, 2, height - 2);
                     EXPECT_EQ(win::GetWindowText(ui::GetDialogItem(dialog, kMeasures)), "4");
                 });
}

// Page Setup with its own initialisation: one paper, one orientation, one side
// choice and one first page shown checked.
TEST_F(DialogsOnDisplayTest, PageSetupShowsOneChoicePerGroup) {
    const std::string path = [&] {
        EXPECT_EQ(Start(), StartupCode::Ok);
        std::string written = WriteScore("setup.ql");
        EXPECT_EQ(CloseAndRun(), 0);
        ResetFrame();
        FreshWindowLayer::ResetAll();
        return written;
    }();
    if (!gtk::InstallGtkBackends()) GTEST_SKIP() << "no display";
    ASSERT_EQ(Start({path}), StartupCode::Ok);
    SettleDisplay();
    ScoreView* view = State().documents.ActiveView;
    ASSERT_NE(view, nullptr);
    RunInspected([&] { RunPageSetupDialog(view); },
                 [](WindowHandle dialog) {
                     ExpectLaidOutFromTemplate(dialog);
                     ExpectRadioGroupsShown(dialog, true);
                     WriteDialogPicture(dialog, "page_setup");
                     // The units arrows step through the units named beside them.
                     GtkWidget* arrows = WidgetOf(ui::GetDialogItem(dialog, page_setup_dialog::kUnitsSpin));
                     ASSERT_NE(arrows, nullptr);
                     const std::string before = win::GetWindowText(ui::GetDialogItem(dialog, page_setup_dialog::kUnitsLabel));
                     PressAt(arrows, 2, 1);
                     EXPECT_NE(win::GetWindowText(ui::GetDialogItem(dialog, page_setup_dialog::kUnitsLabel)), before);
                 });
}

}  // namespace
}  // namespace ql::testing
