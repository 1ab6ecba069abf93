// Modifier keys as the program sees them: a Control pressed over the program's
// window and released over another one (a toolkit dialog, another program) is not
// held any more once the pointer comes back, since every pointer event tells which
// modifiers are down; else the next plain click would be read as a Control click.
#include <gtest/gtest.h>

#include "platform/gtk/gtk_install.h"
#include "platform/tests/gtk/gtk_scene_input.h"
#include "platform/tests/win/mdi_scene.h"
#include "platform/tests/win/win_test_fixture.h"
#include "platform/win/input.h"

namespace ql::testing {
namespace {

class GtkModifierTest : public FreshWindowLayer {
protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        if (!gtk::InstallGtkBackends()) GTEST_SKIP() << "no display";
    }
};

GdkDevice* Device(bool pointer) {
    GdkSeat* seat = gdk_display_get_default_seat(gdk_display_get_default());
    return pointer ? gdk_seat_get_pointer(seat) : gdk_seat_get_keyboard(seat);
}

// Puts a press of the left Control key on GDK's queue, as the display delivers it.
void QueueControlPress(GdkWindow* target) {
    GdkEvent* event = gdk_event_new(GDK_KEY_PRESS);
    event->key.window = GDK_WINDOW(g_object_ref(target));
    event->key.time = GDK_CURRENT_TIME;
    event->key.keyval = GDK_KEY_Control_L;
    GdkKeymapKey* keys = nullptr;
    gint count = 0;
    if (gdk_keymap_get_entries_for_keyval(gdk_keymap_get_for_display(gdk_display_get_default()), GDK_KEY_Control_L,
                                          &keys, &count) &&
        count > 0)
        event->key.hardware_keycode = static_cast<guint16>(keys[0].keycode);
    g_free(keys);
    gdk_event_set_device(event, Device(false));
    gdk_event_put(event);
    gdk_event_free(event);
}

// Puts a button event with these modifiers on GDK's queue.
void QueueButton(GdkWindow* target, GdkEventType type, guint state) {
    GdkEvent* event = gdk_event_new(type);
    event->button.window = GDK_WINDOW(g_object_ref(target));
    event->button.time = GDK_CURRENT_TIME;
    event->button.x = 30;
    event->button.y = 20;
    event->button.button = 1;
    event->button.state = state;
    gdk_event_set_device(event, Device(true));
    gdk_event_put(event);
    gdk_event_free(event);
}

// Control goes down over the frame; its release is heard elsewhere. A press or a
// release over the score window without Control in its state lets it go; one with
// Control in its state holds it.
TEST_F(GtkModifierTest, PointerEventsBringTheModifiersUpToDate) {
    std::unique_ptr<MdiScene> scene = MdiScene::Build();
    WindowHandle child = scene->AddChild("Score 1");
    SettleDisplay();
    scene->Pump();
    gtk::Peer* frame = gtk::CurrentGtkBackend()->FindPeer(scene->frame);
    gtk::Peer* peer = gtk::CurrentGtkBackend()->FindPeer(child);
    ASSERT_TRUE(frame != nullptr && peer != nullptr && peer->area != nullptr);
    GdkWindow* area = gtk_widget_get_window(peer->area);
    GdkWindow* outer = gtk_widget_get_window(frame->outer);
    ASSERT_TRUE(area != nullptr && outer != nullptr);
    for (GdkEventType type : {GDK_BUTTON_PRESS, GDK_BUTTON_RELEASE}) {
        QueueControlPress(outer);
        SettleDisplay();
        scene->Pump();
        ASSERT_TRUE(win::IsKeyDown(win::Key::Control)) << "the press was not heard";
        QueueButton(area, type, GDK_CONTROL_MASK);
        SettleDisplay();
        scene->Pump();
        EXPECT_TRUE(win::IsKeyDown(win::Key::Control)) << "still held: " << type;
        QueueButton(area, type, type == GDK_BUTTON_RELEASE ? GDK_BUTTON1_MASK : 0);
        SettleDisplay();
        scene->Pump();
        EXPECT_FALSE(win::IsKeyDown(win::Key::Control)) << "released elsewhere: " << type;
    }
}

}  // namespace
}  // namespace ql::testing
