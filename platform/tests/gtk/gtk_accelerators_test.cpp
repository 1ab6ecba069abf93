// Accelerators on GTK: the keys a menu bar's items name, pressed as GTK key events
// with a document child focused and with no focus at all, resolve to the same
// commands as the same keys on the headless backend; and GTK's menu items show the
// key at their right in an accel label, apart from the item's text.
#include <gtest/gtest.h>

#include <span>

#include "platform/gtk/gtk_install.h"
#include "platform/gtk/gtk_menus.h"
#include "platform/tests/gtk/gtk_scene_input.h"
#include "platform/tests/win/mdi_scene.h"
#include "platform/tests/win/win_test_fixture.h"
#include "platform/ui/menu.h"
#include "platform/ui/menu_accelerators.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::testing {
namespace {

struct Stroke {
    win::Key key;
    bool control;
    bool shift;
};

// The menu shortcuts of the program's frame and score windows.
constexpr Stroke kStrokes[] = {
    {win::LetterKey('N'), true, false}, {win::LetterKey('O'), true, false}, {win::LetterKey('P'), true, false},
    {win::LetterKey('F'), true, false}, {win::LetterKey('G'), true, false}, {win::LetterKey('L'), true, false},
    {win::FunctionKey(3), false, false}, {win::FunctionKey(5), false, true}, {win::LetterKey('S'), true, false},
    {win::LetterKey('Q'), true, false},  // named by no item
};

// Items naming the keys the scene's own menus do not.
void AddKeyedPopup(MenuHandle bar) {
    MenuHandle keyed = ui::CreatePopupMenu();
    ui::AppendMenuItem(keyed, 101, "&Open...\tCtrl+O");
    ui::AppendMenuItem(keyed, 102, "&Print...\tCtrl+P");
    ui::AppendMenuItem(keyed, 103, "Find Page/Measure...\tCtrl+F");
    ui::AppendMenuItem(keyed, 104, "Pa&ge Setup...\tCtrl+G");
    ui::AppendMenuItem(keyed, 105, "Page &Layout...\tCtrl+L");
    ui::AppendMenuItem(keyed, 106, "Repeat Find\tF3");
    ui::AppendMenuItem(keyed, 107, "&Save\tCtrl+S");
    ui::AppendSubmenu(bar, keyed, "&Keys");
}

// The commands the bar's table resolves for the strokes, first with the child
// focused, then with no focus.
std::vector<int32_t> ResolvedCommands(SceneInput& input) {
    std::unique_ptr<MdiScene> scene = MdiScene::Build();
    AddKeyedPopup(scene->bar);
    ui::DrawMenuBar(scene->frame);
    const WindowHandle child = scene->AddChild("Score 1");
    input.Settle();
    const ui::AcceleratorTable table = ui::AcceleratorsOfMenu(scene->bar);
    std::vector<int32_t> resolved;
    win::MessageFilter filter = [&](const win::QueuedMessage& m) {
        const int32_t command = ui::FindAcceleratorCommand(table, m);
        if (command != 0) resolved.push_back(command);
        return command != 0;
    };
    input.pump = [&] { win::PumpMessages(std::span<const win::MessageFilter>(&filter, 1)); };
    for (const WindowHandle focus : {child, WindowHandle{}}) {
        win::SetFocus(focus);
        for (const Stroke& stroke : kStrokes) {
            input.PressKey(stroke.key, stroke.control, stroke.shift, 0);
            input.Settle();
            input.pump();
        }
    }
    return resolved;
}

class GtkAcceleratorsTest : public FreshWindowLayer {
protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        if (!gtk::InstallGtkBackends()) GTEST_SKIP() << "no display";
    }
};

TEST_F(GtkAcceleratorsTest, KeysResolveToTheSameCommandsAsHeadless) {
    ResetAll();
    HeadlessSceneInput headless;
    const std::vector<int32_t> onHeadless = ResolvedCommands(headless);
    ResetAll();
    ASSERT_TRUE(gtk::InstallGtkBackends());
    GtkSceneInput onDisplay;
    const std::vector<int32_t> onGtk = ResolvedCommands(onDisplay);
    const std::vector<int32_t> once = {kSceneNewCommand, 101, 102, 103, 104, 105, 106, kSceneCascadeCommand, 107};
    std::vector<int32_t> twice = once;
    twice.insert(twice.end(), once.begin(), once.end());
    EXPECT_EQ(onHeadless, twice);
    EXPECT_EQ(onGtk, twice);
}

TEST_F(GtkAcceleratorsTest, MenuItemsShowTheirKeyInAnAccelLabel) {
    MenuHandle popup = ui::CreatePopupMenu();
    ui::AppendMenuItem(popup, 1, "&New...\tCtrl+N");
    ui::AppendMenuItem(popup, 2, "&Cascade\tShift+F5");
    ui::AppendMenuItem(popup, 3, "&Close");
    GtkWidget* menu = gtk_menu_new();
    g_object_ref_sink(menu);
    gtk::FillMenu(GTK_MENU(menu), popup, WindowHandle{});
    auto accelOf = [&](int32_t command, guint* key, GdkModifierType* mods) {
        GtkWidget* item = gtk::FindCommandItem(GTK_MENU_SHELL(menu), command);
        GtkWidget* label = item != nullptr ? gtk_bin_get_child(GTK_BIN(item)) : nullptr;
        if (label == nullptr || !GTK_IS_ACCEL_LABEL(label)) return std::string();
        gtk_accel_label_get_accel(GTK_ACCEL_LABEL(label), key, mods);
        return std::string(gtk_label_get_text(GTK_LABEL(label)));
    };
    guint key = 0;
    GdkModifierType mods{};
    // The item's text is the label's alone; the key is shown apart from it.
    EXPECT_EQ(accelOf(1, &key, &mods), "New...");
    EXPECT_EQ(key, static_cast<guint>(GDK_KEY_N));
    EXPECT_EQ(mods, GDK_CONTROL_MASK);
    EXPECT_EQ(accelOf(2, &key, &mods), "Cascade");
    EXPECT_EQ(key, static_cast<guint>(GDK_KEY_F5));
    EXPECT_EQ(mods, GDK_SHIFT_MASK);
    EXPECT_EQ(accelOf(3, &key, &mods), "Close");
    EXPECT_EQ(key, 0u);
    g_object_unref(menu);
    ui::DestroyMenu(popup);
}

}  // namespace
}  // namespace ql::testing
