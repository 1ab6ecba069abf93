// A double click on the display reaches a window as it does everywhere: down, up,
// double click, up. GDK queues the second press twice (plain, then as a double
// click); a window must hear it once, or a second plain press lands between the
// clicks and undoes what the first one set up.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/gtk/gtk_install.h"
#include "platform/tests/gtk/gtk_scene_input.h"
#include "platform/tests/win/mdi_scene.h"
#include "platform/tests/win/win_test_fixture.h"

namespace ql::testing {
namespace {

class GtkDoubleClickTest : public FreshWindowLayer {
protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        if (!gtk::InstallGtkBackends()) GTEST_SKIP() << "no display";
    }
};

// Puts a button event on GDK's queue, as the display's own events arrive there.
void QueueButton(GdkWindow* target, GdkEventType type, guint state) {
    GdkEvent* event = gdk_event_new(type);
    event->button.window = GDK_WINDOW(g_object_ref(target));
    event->button.time = GDK_CURRENT_TIME;
    event->button.x = 30;
    event->button.y = 20;
    event->button.button = 1;
    event->button.state = state;
    gdk_event_set_device(event, gdk_seat_get_pointer(gdk_display_get_default_seat(gdk_display_get_default())));
    gdk_event_put(event);
    gdk_event_free(event);
}

// The button messages a child heard, in order.
std::vector<std::string> ButtonLog(const MdiScene& scene) {
    std::vector<std::string> buttons;
    for (const std::string& line : scene.log)
        if (line.find(": left ") != std::string::npos) buttons.push_back(line.substr(line.find(": ") + 2));
    return buttons;
}

TEST_F(GtkDoubleClickTest, TheSecondPressOfADoubleClickIsHeardOnceAsTheDoubleClick) {
    std::unique_ptr<MdiScene> scene = MdiScene::Build();
    WindowHandle child = scene->AddChild("Score 1");
    SettleDisplay();
    scene->Pump();
    gtk::Peer* peer = gtk::CurrentGtkBackend()->FindPeer(child);
    ASSERT_TRUE(peer != nullptr && peer->area != nullptr);
    GdkWindow* area = gtk_widget_get_window(peer->area);
    ASSERT_NE(area, nullptr);
    scene->log.clear();
    // What the display queues for a double click.
    QueueButton(area, GDK_BUTTON_PRESS, 0);
    QueueButton(area, GDK_BUTTON_RELEASE, GDK_BUTTON1_MASK);
    QueueButton(area, GDK_BUTTON_PRESS, 0);
    QueueButton(area, GDK_2BUTTON_PRESS, 0);
    QueueButton(area, GDK_BUTTON_RELEASE, GDK_BUTTON1_MASK);
    SettleDisplay();
    scene->Pump();
    const std::vector<std::string> expected{"left down 30,20", "left up 30,20", "left double", "left up 30,20"};
    EXPECT_EQ(ButtonLog(*scene), expected);
}

}  // namespace
}  // namespace ql::testing
