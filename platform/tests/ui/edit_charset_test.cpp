// The character set of an edit's text, headless: an edit given a set or a font shows
// its 8-bit text to the widgets as UTF-8 and takes typed UTF-8 back in that set; an
// edit with neither holds the program's UTF-8 as it stands.
#include <gtest/gtest.h>

#include "platform/tests/win/win_test_fixture.h"
#include "platform/ui/control_state.h"
#include "platform/ui/controls.h"
#include "platform/ui/edit_charset.h"
#include "platform/win/window.h"

namespace ql::ui {
namespace {

constexpr uint8_t kWestern = 0;
constexpr uint8_t kSymbol = 2;
constexpr uint8_t kGreek = 161;

class EditCharsetTest : public testing::FreshWindowLayer {
protected:
    void SetUp() override {
        FreshWindowLayer::SetUp();
        detail::EnsureControlClasses();
    }
    WindowHandle Make(const char* cls) {
        win::WindowParams params;
        params.className = cls;
        params.style = win::kStyleVisible;
        return win::CreateWindow(params);
    }
};

TEST_F(EditCharsetTest, AnEditWithACharsetShowsUtf8AndTakesItBack) {
    const WindowHandle edit = Make(kEditClass);
    ASSERT_TRUE(SetEditCharset(edit, kWestern));
    EXPECT_EQ(GetEditCharset(edit), kWestern);
    EXPECT_EQ(EditTextToDisplay(edit, "Caf\xE9"), "Café");
    EXPECT_EQ(EditTextFromDisplay(edit, "Café €"), "Caf\xE9 \x80");
    EXPECT_EQ(EditTextFromDisplay(edit, "Ωmega"), "?mega");
    // A font's character set goes before the one set.
    ASSERT_TRUE(SetEditFont(edit, ControlFont{"Serif", 12, false, false, false, kGreek}));
    EXPECT_EQ(GetEditCharset(edit), kGreek);
    EXPECT_EQ(EditTextFromDisplay(edit, "Ωmega"), "\xD9mega");
    EXPECT_EQ(EditTextToDisplay(edit, "\xD9"), "Ω");
    ASSERT_TRUE(SetEditFont(edit, ControlFont{"Glyphora", 12, false, false, false, kSymbol}));
    EXPECT_EQ(EditTextToDisplay(edit, "q\xE9"), "q\uF0E9");
    EXPECT_EQ(EditTextFromDisplay(edit, "q\uF0E9"), "q\xE9");
}

TEST_F(EditCharsetTest, AnEditWithoutACharsetHoldsTheProgramsUtf8) {
    const WindowHandle edit = Make(kEditClass);
    EXPECT_EQ(GetEditCharset(edit), std::nullopt);
    EXPECT_EQ(EditTextToDisplay(edit, "/home/zoë/Noël.qlx"), "/home/zoë/Noël.qlx");
    EXPECT_EQ(EditTextFromDisplay(edit, "Noël"), "Noël");
    // Not an edit: no character set to take.
    const WindowHandle button = Make(kButtonClass);
    EXPECT_FALSE(SetEditCharset(button, kWestern));
    EXPECT_EQ(GetEditCharset(button), std::nullopt);
    EXPECT_EQ(EditTextToDisplay(button, "\xE9"), "\xE9");
}

}  // namespace
}  // namespace ql::ui
