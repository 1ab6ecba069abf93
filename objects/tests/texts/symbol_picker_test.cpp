// "Select Symbol": the grid's code under a point with its clamps, typed codes (300
// keeps the old code, 200 turns to the upper page), the page spin, the picker run for
// a font symbol made by a click (Cancel makes nothing), the font controls of a quick
// font and of an own face (named with its character set), and a click in the grid.
#include "objects/text_marks/symbol_picker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <utility>

#include "core/objects/class_table.h"
#include "objects/tests/texts/texts_fixture.h"
#include "objects/text_marks/symbol_grid.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "objects/text_marks/text_line.h"
#include "platform/gfx/bitmap.h"
#include "platform/ui/font_dialog.h"
#include "platform/win/headless.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::testing_texts {
namespace {

using ui::headless::DialogDriver;
using namespace select_symbol_dialog;

TEST(SymbolGrid, ACellIsPageBasePlusRowTimesSixteenPlusColumn) {
    // A 320 x 160 grid: cells of 20 x 20.
    EXPECT_EQ(SymbolAtGridPoint(0, 0, 320, 160, 0), 0);
    EXPECT_EQ(SymbolAtGridPoint(45, 25, 320, 160, 0), 1 * 16 + 2);
    EXPECT_EQ(SymbolAtGridPoint(45, 25, 320, 160, 128), 128 + 18);
    // Points past the grid are clamped to its last column and row.
    EXPECT_EQ(SymbolAtGridPoint(1000, 1000, 320, 160, 0), 127);
    EXPECT_EQ(SymbolAtGridPoint(-5, -5, 320, 160, 128), 128);
    // A grid narrower than 16 pixels divides by 1, never by 0.
    EXPECT_EQ(SymbolAtGridPoint(3, 2, 8, 4, 0), 2 * 16 + 3);
}

TEST(SymbolGrid, TypedCodesAndThePageStep) {
    EXPECT_EQ(TypedSymbolCode(300, 65), 65);  // above 255: the old code stays
    EXPECT_EQ(TypedSymbolCode(-1, 65), 65);
    EXPECT_EQ(TypedSymbolCode(200, 65), 200);
    EXPECT_EQ(SymbolPageBase(200), 128);
    EXPECT_EQ(SymbolPageBase(127), 0);
    EXPECT_EQ(SymbolCodeAfterPageStep(65, 1), 193);
    EXPECT_EQ(SymbolCodeAfterPageStep(193, 1), 193);  // already on the upper page
    EXPECT_EQ(SymbolCodeAfterPageStep(193, -1), 65);
    EXPECT_EQ(SymbolCodeAfterPageStep(65, -1), 65);
}

class SymbolPickerTest : public TextsTest {
  protected:
    ScoreObject* ClickFontSymbol() {
        TheTextToolState().variant = TextToolVariant::FontSymbol;
        return FindObjectClass(ClassOfType(ObjectType::Text))->CreateAtClick(nullptr, view_);
    }
    void Script(std::function<void(DialogDriver&)> script) {
        ui::headless::SetDialogScript(kSelectSymbolDialog, std::move(script));
    }
};

TEST_F(SymbolPickerTest, AClickedFontSymbolIsPickedAndRemembered) {
    int gridPage = -1;
    std::string afterTyping300;
    Script([&](DialogDriver& d) {
        // It starts from the last symbol picked: code 34.
        EXPECT_EQ(d.Text(kCode), "34");
        d.Type(kCode, "300");
        afterTyping300 = d.Text(kCode);
        d.Type(kCode, "200");
        gridPage = d.Int(kGrid).value_or(-1);
        d.Select(kQuickFonts, 6);
        d.PressEnter();
    });
    ScoreObject* symbol = ClickFontSymbol();
    ASSERT_NE(symbol, nullptr);
    EXPECT_EQ(afterTyping300, "34");
    EXPECT_EQ(gridPage, 128);
    EXPECT_EQ(AsTextObject(symbol)->body.string, 200);
    EXPECT_EQ(AsTextObject(symbol)->body.style, 6);
    EXPECT_EQ(AsTextObject(symbol)->body.flags & kTextOwnsString, 0);
    EXPECT_EQ(TheTextToolState().lastSymbol.code, 200);
    EXPECT_EQ(TheTextToolState().lastSymbol.slot, 6);
}

TEST_F(SymbolPickerTest, ThePageSpinMovesTheCodeByAPage) {
    Script([](DialogDriver& d) {
        d.Type(kCode, "65");
        d.StepUpDown(kPageSpin, 1);
        EXPECT_EQ(d.Text(kCode), "193");
        d.StepUpDown(kPageSpin, 1);  // already there
        EXPECT_EQ(d.Text(kCode), "193");
        d.PressEnter();
    });
    ScoreObject* symbol = ClickFontSymbol();
    ASSERT_NE(symbol, nullptr);
    EXPECT_EQ(AsTextObject(symbol)->body.string, 193);
}

TEST_F(SymbolPickerTest, CancelMakesNoSymbol) {
    Script([](DialogDriver& d) { d.PressEscape(); });
    EXPECT_EQ(ClickFontSymbol(), nullptr);
    EXPECT_TRUE(ListOf(cell_->objects.get()).empty());
}

// A quick-font symbol shows the combo; "WinFont" hides it and names the own face
// (starting from the quick font's) with its character set, "Select Font..." beside
// it; a face chosen there is named at once; "QuickFont" goes back to the combo.
TEST_F(SymbolPickerTest, TheFontCaptionNamesTheOwnFaceAndItsCharacterSet) {
    std::strncpy(doc_->fonts[6].face, "DejaVu Serif", sizeof doc_->fonts[6].face - 1);
    doc_->fonts[6].charset = 0;
    ui::headless::ResetFontDialogs();
    ui::headless::QueueFontDialogAnswer(
        {ui::FontDialogStatus::Chosen, {"DejaVu Sans", 12, 400, false, false, 2}});
    Script([](DialogDriver& d) {
        d.Select(kQuickFonts, 6);
        EXPECT_TRUE(d.IsVisible(kQuickFonts));
        EXPECT_FALSE(d.IsVisible(kFontCaption) || d.IsVisible(kSelectFont));
        d.Click(kWinFontRadio);
        EXPECT_FALSE(d.IsVisible(kQuickFonts));
        EXPECT_TRUE(d.IsVisible(kSelectFont) && d.IsVisible(kFontCaption));
        EXPECT_EQ(d.Text(kFontCaption), "DejaVu Serif (Western)");
        d.Click(kSelectFont);
        EXPECT_EQ(d.Text(kFontCaption), "DejaVu Sans (Symbol)");
        d.Click(kQuickFontRadio);
        EXPECT_TRUE(d.IsVisible(kQuickFonts) && !d.IsVisible(kFontCaption));
        d.Click(kWinFontRadio);
        d.PressEnter();
    });
    ScoreObject* symbol = ClickFontSymbol();
    ASSERT_NE(symbol, nullptr);
    // Back to the own face, which starts from slot 3's face again: kept on OK.
    EXPECT_NE(AsTextObject(symbol)->body.flags & kTextOwnFont, 0);
    EXPECT_STREQ(doc_->faceNames[AsTextObject(symbol)->body.style].name,
                 doc_->fonts[kSymbolSlot].face);
    ui::headless::ResetFontDialogs();
}

// The dark pixels of one cell of the grid's window.
int DarkPixelsOfCell(platform::WindowHandle grid, int column, int row) {
    const win::Rect client = win::GetClientRect(grid);
    const int width = client.Width() / kSymbolGridColumns;
    const int height = client.Height() / kSymbolGridRows;
    const platform::BitmapHandle image = win::GetWindowImage(grid);
    int dark = 0;
    for (int y = row * height + 1; y < (row + 1) * height; ++y)
        for (int x = column * width + 1; x < (column + 1) * width; ++x)
            dark += gfx::RedOf(gfx::GetBitmapPixel(image, x, y)) < 128 ? 1 : 0;
    return dark;
}

// The rows of a window with ink in them.
int InkRows(platform::WindowHandle window) {
    const win::Rect client = win::GetClientRect(window);
    const platform::BitmapHandle image = win::GetWindowImage(window);
    int rows = 0;
    for (int y = 0; y < client.Height(); ++y) {
        bool ink = false;
        for (int x = 0; x < client.Width() && !ink; ++x)
            ink = gfx::RedOf(gfx::GetBitmapPixel(image, x, y)) < 128;
        rows += ink ? 1 : 0;
    }
    return rows;
}

// The first and last rows of the window's client area with ink; {-1, -1} when none.
std::pair<int, int> InkRowSpan(platform::WindowHandle window) {
    const win::Rect client = win::GetClientRect(window);
    const platform::BitmapHandle image = win::GetWindowImage(window);
    std::pair<int, int> span{-1, -1};
    for (int y = 0; y < client.Height(); ++y)
        for (int x = 0; x < client.Width(); ++x)
            if (gfx::RedOf(gfx::GetBitmapPixel(image, x, y)) < 128) {
                if (span.first < 0) span.first = y;
                span.second = y;
                break;
            }
    return span;
}

// The face is scaled so that its tallest character stands the window's height less
// the margin: every character of the face stays inside the preview, and the tallest
// fills it (asked for at that height alone, tall characters ran past the window).
TEST_F(SymbolPickerTest, ThePreviewFitsTheTallestCharacterOfTheFace) {
    ASSERT_TRUE(EnsureSymbolGridClass());
    constexpr int kHeight = 64;
    win::WindowParams params;
    params.className = kSymbolPreviewClass;
    params.style = win::kStyleOverlappedWindow | win::kStyleVisible;
    params.rect = {0, 0, 80, kHeight};
    const platform::WindowHandle preview = win::CreateWindow(params);
    ASSERT_TRUE(preview);
    const int height = win::GetClientRect(preview).Height();
    SymbolGridState state;
    state.face = "DejaVu Sans";
    AttachSymbolGrid(preview, &state);
    int top = height;
    int bottom = -1;
    int tallest = 0;
    for (int code = 33; code < 256; ++code) {
        state.code = code;
        RefreshSymbolGrid(preview);
        win::UpdateWindow(preview);
        const auto [first, last] = InkRowSpan(preview);
        if (first < 0) continue;
        top = std::min(top, first);
        bottom = std::max(bottom, last);
        tallest = std::max(tallest, last - first + 1);
    }
    win::DestroyWindow(preview);
    EXPECT_GT(top, 0) << "a character ran past the top";
    EXPECT_LT(bottom, height - 1) << "a character ran past the bottom";
    EXPECT_NEAR(tallest, height - 2, 2) << "the tallest character does not fill the preview";
}

// A click in the grid picks the code of its cell on the page shown (row 2, column 3
// of the lower page: 35; row 0, column 5 of the upper page: 133); the picked cell is
// the one drawn inverted and the preview shows its character large.
TEST_F(SymbolPickerTest, AClickInTheGridPicksTheCodeOfItsCell) {
    Script([](DialogDriver& d) {
        const platform::WindowHandle grid = d.Item(kGrid);
        const win::Rect client = win::GetClientRect(grid);
        const int width = client.Width() / kSymbolGridColumns;
        const int height = client.Height() / kSymbolGridRows;
        ASSERT_GT(height, 4);
        auto clickCell = [&](int column, int row) {
            const gfx::Point at{column * width + width / 2, row * height + height / 2};
            win::headless::PostMouse(grid, win::Message::LeftButtonDown, at, win::kMouseLeftButton);
            win::headless::PostMouse(grid, win::Message::LeftButtonUp, at);
            d.PumpMessages();
        };
        d.Type(kCode, "65");
        clickCell(3, 2);
        EXPECT_EQ(d.Text(kCode), "35");
        win::UpdateWindow(grid);
        std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
        gfx::WritePng(win::GetWindowImage(grid),
                      (std::filesystem::path(QL_TEST_OUTPUT_DIR) / "symbol_grid.png").string());
        const int cellPixels = (width - 1) * (height - 1);
        EXPECT_GT(DarkPixelsOfCell(grid, 3, 2), cellPixels / 2);
        EXPECT_LT(DarkPixelsOfCell(grid, 4, 2), cellPixels / 2);
        // The preview shows the picked "#" large: ink over most of its height.
        const platform::WindowHandle preview = d.Item(kPreview);
        win::UpdateWindow(preview);
        EXPECT_GT(InkRows(preview), win::GetClientRect(preview).Height() / 2);
        d.Type(kCode, "200");
        clickCell(5, 0);
        EXPECT_EQ(d.Text(kCode), "133");
        d.PressEnter();
    });
    ScoreObject* symbol = ClickFontSymbol();
    ASSERT_NE(symbol, nullptr);
    EXPECT_EQ(AsTextObject(symbol)->body.string, 133);
}

}  // namespace
}  // namespace ql::testing_texts
