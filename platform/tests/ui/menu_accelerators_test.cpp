// Accelerator texts of menu items: the keys they name, the table a menu bar yields
// (nested popups included, the first of two items naming one key kept), and that
// table choosing commands from key messages.
#include <gtest/gtest.h>

#include "platform/tests/win/win_test_fixture.h"
#include "platform/ui/menu.h"
#include "platform/ui/menu_accelerators.h"
#include "platform/win/headless.h"
#include "platform/win/message_loop.h"

namespace ql::testing {
namespace {

using ui::AcceleratorKey;
using ui::ParseAcceleratorText;
using win::Key;

bool Names(std::string_view text, Key key, uint8_t modifiers) {
    const std::optional<AcceleratorKey> parsed = ParseAcceleratorText(text);
    return parsed && parsed->key == key && parsed->modifiers == modifiers;
}

TEST(MenuAcceleratorTextTest, NamesKeysWithTheirModifiers) {
    EXPECT_TRUE(Names("Ctrl+N", win::LetterKey('N'), ui::kAcceleratorControl));
    EXPECT_TRUE(Names("ctrl+o", win::LetterKey('O'), ui::kAcceleratorControl));  // any case
    EXPECT_TRUE(Names("F3", win::FunctionKey(3), 0));
    EXPECT_TRUE(Names("Shift+F5", win::FunctionKey(5), ui::kAcceleratorShift));
    EXPECT_TRUE(Names("Alt+F4", win::FunctionKey(4), ui::kAcceleratorAlt));
    EXPECT_TRUE(Names("Ctrl+Shift+Z", win::LetterKey('Z'), ui::kAcceleratorControl | ui::kAcceleratorShift));
    EXPECT_TRUE(Names("Ctrl+1", win::DigitKey(1), ui::kAcceleratorControl));
    EXPECT_TRUE(Names("Del", Key::Delete, 0));
    EXPECT_TRUE(Names("Ctrl+F12", win::FunctionKey(12), ui::kAcceleratorControl));
    // The short spelling of Shift and the hyphen that the program's own menu texts use.
    EXPECT_TRUE(Names("Ctrl+Shft+Ins", Key::Insert, ui::kAcceleratorControl | ui::kAcceleratorShift));
    EXPECT_TRUE(Names("Ctrl-Z", win::LetterKey('Z'), ui::kAcceleratorControl));
    // Texts that name no key of the layer.
    for (std::string_view text : {"", "Ctrl+", "Ctrl", "Hyper+Q", "F13", "F0", "Ctrl+NN", "+", "Shift+F3x"})
        EXPECT_FALSE(ParseAcceleratorText(text)) << text;
}

TEST(MenuAcceleratorTextTest, TheTextAfterTheTabIsTheAccelerator) {
    EXPECT_EQ(ui::AcceleratorTextOf("&New...\tCtrl+N"), "Ctrl+N");
    EXPECT_EQ(ui::AcceleratorTextOf("&Close"), "");
    EXPECT_EQ(ui::AcceleratorTextOf("Tab at the end\t"), "");
}

class MenuAcceleratorTableTest : public FreshWindowLayer {};

TEST_F(MenuAcceleratorTableTest, MenuBarYieldsTheKeysItsItemsName) {
    platform::MenuHandle bar = ui::CreateMenuBar();
    platform::MenuHandle file = ui::CreatePopupMenu();
    ui::AppendMenuItem(file, 10, "&New...\tCtrl+N");
    ui::AppendSeparator(file);
    ui::AppendMenuItem(file, 11, "&Close");  // no key
    ui::AppendMenuItem(file, 12, "Odd\tHyper+Q");  // a key the layer lacks
    platform::MenuHandle view = ui::CreatePopupMenu();
    platform::MenuHandle nested = ui::CreatePopupMenu();
    ui::AppendMenuItem(nested, 20, "Repeat Find\tF3");
    ui::AppendMenuItem(nested, 21, "Again\tF3");  // the same key: the first item keeps it
    ui::AppendSubmenu(view, nested, "&Find");
    ui::AppendMenuItem(view, 22, "&Cascade\tShift+F5");
    ui::AppendSubmenu(bar, file, "&File");
    ui::AppendSubmenu(bar, view, "&View");

    const ui::AcceleratorTable table = ui::AcceleratorsOfMenu(bar);
    ASSERT_EQ(table.entries.size(), 3u);
    EXPECT_EQ(table.entries[0].command, 10);
    EXPECT_EQ(table.entries[1].command, 20);
    EXPECT_EQ(table.entries[2].command, 22);
    EXPECT_TRUE(ui::AcceleratorsOfMenu(platform::MenuHandle{}).entries.empty());

    // Keys as the window layer delivers them: exactly the named modifiers held.
    auto keyDown = [](Key key) { return win::QueuedMessage{{}, win::Message::KeyDown, static_cast<uint32_t>(key), 1}; };
    win::headless::SetKeyDown(Key::Control, true);
    EXPECT_EQ(ui::FindAcceleratorCommand(table, keyDown(win::LetterKey('N'))), 10);
    EXPECT_EQ(ui::FindAcceleratorCommand(table, keyDown(win::FunctionKey(3))), 0);  // Ctrl+F3 is not F3
    win::headless::SetKeyDown(Key::Control, false);
    EXPECT_EQ(ui::FindAcceleratorCommand(table, keyDown(win::LetterKey('N'))), 0);
    EXPECT_EQ(ui::FindAcceleratorCommand(table, keyDown(win::FunctionKey(3))), 20);
    win::headless::SetKeyDown(Key::Shift, true);
    EXPECT_EQ(ui::FindAcceleratorCommand(table, keyDown(win::FunctionKey(5))), 22);
    win::headless::SetKeyDown(Key::Shift, false);
    ui::DestroyMenu(bar);
}

}  // namespace
}  // namespace ql::testing
