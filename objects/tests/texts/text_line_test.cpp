// Text lines made at a click through the entry window (scripted), the fixed and font
// symbols made at once, the move of a "%" text to the page, the entry window's
// placement and growth, retyping a text in place, and a line let go of where it
// stands or dragged.
#include "objects/text_marks/text_line.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/undo/undo.h"
#include "objects/tests/texts/texts_fixture.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "objects/text_marks/text_entry.h"
#include "platform/ui/dialog.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql::testing_texts {
namespace {

using text_entry_dialog::kEntryEdit;
using ui::headless::DialogDriver;

class TextLineTest : public TextsTest {
  protected:
    ScoreObject* Click(TextToolVariant variant) {
        TheTextToolState().variant = variant;
        const ScoreObjectClass* cls = FindObjectClass(ClassOfType(ObjectType::Text));
        return cls->CreateAtClick(nullptr, view_);
    }
    std::vector<ScoreObject*> CellObjects() { return ListOf(cell_->objects.get()); }
    std::vector<ScoreObject*> PageObjects() { return ListOf(PageObjectListOf(view_)); }
};

TEST_F(TextLineTest, TypedTextBecomesALineOfTheMeasureAndEmptyEntryReadsAsAStar) {
    ScriptEntries({[](DialogDriver& d) {
                       EXPECT_TRUE(d.Type(kEntryEdit, "Allegro  "));
                       d.PressEnter();
                   },
                   [](DialogDriver& d) { d.PressEnter(); }});
    ScoreObject* typed = Click(TextToolVariant::TextLine);
    ASSERT_NE(typed, nullptr);
    // Trailing blanks are cut; the line sits in the measure's list.
    EXPECT_EQ(StringOf(typed), "Allegro");
    EXPECT_EQ(typed->subtype, SubtypeCode(ObjectSubtype::MeasureTimeList));
    EXPECT_EQ(CellObjects(), std::vector<ScoreObject*>{typed});
    // OK on an empty entry makes a text line reading "*".
    ScoreObject* empty = Click(TextToolVariant::TextLine);
    ASSERT_NE(empty, nullptr);
    EXPECT_EQ(StringOf(empty), "*");
    EXPECT_NE(doc_->changeCounter, 0);
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());
}

// What the input method finishes and what is pasted from the desktop are typed into
// the entry like keys.
TEST_F(TextLineTest, InputMethodAndPastedTextGoIntoTheEntry) {
    ScriptEntries({[](DialogDriver& d) {
        const std::u16string composed = u"Allegro ";
        const std::string pasted = "vivace  ";
        win::SendMessage(d.Item(kEntryEdit), win::Message::InputMethodResult, 0,
                         reinterpret_cast<intptr_t>(&composed));
        win::SendMessage(d.Item(kEntryEdit), win::Message::Paste, 0, reinterpret_cast<intptr_t>(&pasted));
        d.PressEnter();
    }});
    ScoreObject* typed = Click(TextToolVariant::TextLine);
    ASSERT_NE(typed, nullptr);
    EXPECT_EQ(StringOf(typed), "Allegro vivace");
}

TEST_F(TextLineTest, EscapeDeletesTheNewLine) {
    ScriptEntries({[](DialogDriver& d) {
        d.Type(kEntryEdit, "gone");
        d.PressEscape();
    }});
    const size_t before = CellObjects().size();
    EXPECT_EQ(Click(TextToolVariant::TextLine), nullptr);
    EXPECT_EQ(CellObjects().size(), before);
    EXPECT_EQ(EntryOpenings(), 1);
    EXPECT_FALSE(TheTextEntryState().active);
}

TEST_F(TextLineTest, APercentTextTypedIntoAMeasureMovesToThePageAtOnce) {
    ScriptEntries({[](DialogDriver& d) {
        d.Type(kEntryEdit, "Page %page");
        d.PressEnter();
    }});
    ScoreObject* line = Click(TextToolVariant::TextLine);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(line->subtype, SubtypeCode(ObjectSubtype::PageList));
    EXPECT_TRUE(CellObjects().empty());
    const std::vector<ScoreObject*> page = PageObjects();
    EXPECT_NE(std::find(page.begin(), page.end(), line), page.end());
}

TEST_F(TextLineTest, SymbolsAreMadeAtOnceWithoutAnEntryWindow) {
    // The Font Symbol variant made with the period key: code 34 in slot 3.
    TheTextToolState().keyCreation = true;
    ScoreObject* key = Click(TextToolVariant::FontSymbol);
    ASSERT_NE(key, nullptr);
    EXPECT_EQ(AsTextObject(key)->body.string, kKeySymbolCode);
    EXPECT_EQ(AsTextObject(key)->body.style, kSymbolSlot);
    EXPECT_EQ(AsTextObject(key)->body.flags & (kTextOwnsString | kTextOwnFont), 0);
    TheTextToolState().keyCreation = false;
    // The four fixed symbols: 37, 226, 228, 227.
    for (int v = 0; v < 4; ++v) {
        ScoreObject* fixed = Click(
            static_cast<TextToolVariant>(static_cast<int>(TextToolVariant::FirstFixedSymbol) + v));
        ASSERT_NE(fixed, nullptr);
        EXPECT_EQ(AsTextObject(fixed)->body.string, kFixedSymbolCodes[v]);
    }
    EXPECT_EQ(EntryOpenings(), 0);
    EXPECT_TRUE(ui::headless::Dialogs().empty());
}

TEST_F(TextLineTest, ARehearsalMarkTakesTheChosenFrameAndItsQuickFont) {
    ScriptEntries({[](DialogDriver& d) {
                       d.Type(kEntryEdit, "A");
                       d.PressEnter();
                   },
                   [](DialogDriver& d) {
                       d.Type(kEntryEdit, "B");
                       d.PressEnter();
                   }});
    // The flyout entry with image 169 chose the ellipse.
    TheTextToolState().rehearsalFrame = 2;
    ScoreObject* mark = Click(TextToolVariant::RehearsalMark);
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ((AsTextObject(mark)->body.flags & kTextFrameMask) >> kTextFrameShift, 2);
    EXPECT_EQ(AsTextObject(mark)->body.style, 11);
    // A plain text line has no frame.
    ScoreObject* line = Click(TextToolVariant::TextLine);
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(AsTextObject(line)->body.flags & kTextFrameMask, 0);
}

TEST_F(TextLineTest, TheEntryWindowIsCentredOnThePointerAndGrowsWithTheText) {
    win::SetCursorPosition({400, 300});
    gfx::Rect empty{};
    gfx::Rect typed{};
    gfx::Point pointerAfterOpening{};
    ScriptEntries({[&](DialogDriver& d) {
        empty = win::GetWindowRect(d.Dialog());
        pointerAfterOpening = win::GetCursorPosition();
        d.Type(kEntryEdit, "a much longer text");
        typed = win::GetWindowRect(d.Dialog());
        d.PressEnter();
    }});
    ASSERT_NE(Click(TextToolVariant::TextLine), nullptr);
    // Centred on the pointer's x, within a pixel of rounding.
    EXPECT_NEAR((empty.left + empty.right) / 2.0, 400, 1);
    EXPECT_NEAR((typed.left + typed.right) / 2.0, 400, 1);
    EXPECT_GT(typed.Width(), empty.Width());
    EXPECT_EQ(typed.Height(), empty.Height());
    // The pointer was moved to (x + 8, y + 20) of where it was.
    EXPECT_EQ(pointerAfterOpening.x, 408);
    EXPECT_EQ(pointerAfterOpening.y, 320);
}

TEST(TextEntryGeometry, WidthHeightAndPlaceFollowTheMetrics) {
    const EntryMetrics metrics{16, 20, 15};
    // 16 + 2 + 4 + 50 = 72 wide, 24 high; text top at the pointer's y - ascent.
    const gfx::Rect rect = EntryWindowRect(metrics, 50, {100, 200});
    EXPECT_EQ(rect.Width(), 72);
    EXPECT_EQ(rect.Height(), 24);
    EXPECT_EQ(rect.left, 100 - 36);
    EXPECT_EQ(rect.top + kEntryTopMargin, 200 - 15);
    // Never narrower than 20.
    EXPECT_EQ(EntryWindowRect({0, 10, 8}, 0, {0, 0}).Width(), kEntryLeastWidth);
}

TEST_F(TextLineTest, RetypingATextIsOneUndoStepAndEscapeKeepsTheOldText) {
    ScriptEntries({[](DialogDriver& d) {
                       d.Type(kEntryEdit, "Lento");
                       d.PressEnter();
                   },
                   [](DialogDriver& d) {
                       d.Type(kEntryEdit, "Presto");
                       d.PressEnter();
                   },
                   [](DialogDriver& d) {
                       d.Type(kEntryEdit, "never");
                       d.PressEscape();
                   }});
    ScoreObject* line = Click(TextToolVariant::TextLine);
    ASSERT_NE(line, nullptr);
    const int depth = UndoDepth(doc_);
    EXPECT_EQ(RetypeTextInPlace(line, view_), kEntryClosed);
    EXPECT_EQ(StringOf(line), "Presto");
    EXPECT_EQ(UndoDepth(doc_), depth + 1);
    EXPECT_EQ(RetypeTextInPlace(line, view_), kEntryCancelled);
    EXPECT_EQ(StringOf(line), "Presto");
    EXPECT_EQ(UndoDepth(doc_), depth + 1);
}

TEST_F(TextLineTest, ACopyIsATextLineWithItsOwnString) {
    ScriptEntries({[](DialogDriver& d) {
        d.Type(kEntryEdit, "dolce");
        d.PressEnter();
    }});
    ScoreObject* line = Click(TextToolVariant::TextLine);
    ASSERT_NE(line, nullptr);
    ScoreObject* copy = ClassOf(line).Clone(line, view_, doc_->pools, doc_->pools);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->classId, line->classId);
    EXPECT_EQ(copy->type, TypeCode(ObjectType::Text));
    EXPECT_EQ(StringOf(copy), "dolce");
    EXPECT_NE(TextObjectString(AsTextObject(copy)), TextObjectString(AsTextObject(line)));
    ReleaseObjectByType(doc_, copy);
}

// The line's handle is its rectangle, whose centre stands above the baseline the line
// is anchored at: let go of where it stands the line stays on its baseline (it used
// to rise to the handle's centre at every let-go), and a drag moves it by as much.
TEST_F(TextLineTest, ALineLetGoOfStaysOnItsBaselineAndADragMovesItByAsMuch) {
    ScriptEntries({[](DialogDriver& d) {
        d.Type(kEntryEdit, "Allegro");
        d.PressEnter();
    }});
    ScoreObject* line = Click(TextToolVariant::TextLine);
    ASSERT_NE(line, nullptr);
    TextObject* text = AsTextObject(line);
    // A tall text, so that its rectangle's centre stands well above its baseline.
    text->body.width = 1200;
    text->body.height = 512;
    const LogicalPoint placed = TextObjectAnchorPoint(line, view_);
    EXPECT_EQ(DragAndLetGo(line, LogicalPoint{0, 0}), placed);
    EXPECT_EQ(DragAndLetGo(line, LogicalPoint{0, 0}), placed) << "a second let-go moved the line";
    text->body.width = 1200;
    text->body.height = 512;
    const LogicalPoint moved = DragAndLetGo(line, LogicalPoint{96, 160});
    EXPECT_EQ(moved.x, placed.x + 96);
    EXPECT_EQ(moved.y, placed.y + 160);
}

TEST_F(TextLineTest, TextFromImportsTakesTheImportedTextSlot) {
    ScoreObject* line = ConstructTextLineWithText(view_, "Verse 1");
    ASSERT_NE(line, nullptr);
    EXPECT_EQ(StringOf(line), "Verse 1");
    EXPECT_EQ(AsTextObject(line)->body.style, 7);
    EXPECT_NE(AsTextObject(line)->body.flags & kTextOwnsString, 0);
    ReleaseObjectByType(doc_, line);
}

}  // namespace
}  // namespace ql::testing_texts
