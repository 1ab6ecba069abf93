// The "Tuplets" dialog driven by scripts: a table pair arms its index, a pair outside
// the table stores its numbers and arms the index of its first number on the
// palette's record only; a number outside 2..15 keeps the dialog open with the
// message and the field focused; the nested check box; Cancel; the tool's reclick.
#include <gtest/gtest.h>

#include "core/core_strings.h"
#include "core/state.h"
#include "core/state/note_tool_state.h"
#include "editing/tools.h"
#include "objects/object_dialogs.h"
#include "objects/spanners/spanner_dialog_resources.h"
#include "objects/tests/tuplets/tuplet_fixture.h"
#include "objects/tuplets/tuplet_tool.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"

namespace ql::testing_tuplets {
namespace {

using ui::headless::DialogDriver;
namespace sd = spanner_dialog;

class TupletDialogTest : public TupletTest {
  protected:
    void SetUp() override {
        TupletTest::SetUp();
        RegisterSpannerDialogResources();
        State().notes.NoteTools = NoteToolState{};
    }
    int Run(ui::headless::DialogScript script) {
        ui::headless::SetDialogScript(sd::kTupletsDialog, std::move(script));
        return RunTupletsDialog(view_, &record_);
    }
    static void Numbers(DialogDriver& d, const char* first, const char* second) {
        d.Type(sd::kTupletFirst, first);
        d.Type(sd::kTupletSecond, second);
    }
    ToolRecord record_{};
};

// The table's pairs give their index; the others take one by their first number.
TEST(TupletRatioIndex, TablePairsAndFirstNumbers) {
    EXPECT_EQ(TupletRatioIndexOfPair(3, 2), 0);
    EXPECT_EQ(TupletRatioIndexOfPair(4, 6), 8);
    EXPECT_EQ(TupletRatioIndexOfPair(2, 3), 6);
    EXPECT_EQ(TupletRatioIndexOfPair(8, 5), 9);
    EXPECT_EQ(TupletRatioIndexOfPair(5, 3), 1);
    EXPECT_EQ(TupletRatioIndexOfPair(15, 4), 14);
}

// 3:2 arms index 0 with command value 60 and turns the note tool's entry on; the
// dialog opens with the current numbers.
TEST_F(TupletDialogTest, TablePairArmsItsIndex) {
    std::optional<int32_t> shown;
    EXPECT_EQ(Run([&](DialogDriver& d) {
                  shown = d.Int(sd::kTupletFirst);
                  Numbers(d, "3", "2");
                  d.Click(ui::kIdOk);
              }),
              1);
    EXPECT_EQ(shown, 3);
    EXPECT_EQ(record_.commandValue, 60);
    EXPECT_EQ(record_.ratioIndex, 0);
    EXPECT_EQ(State().notes.NoteTools.tupletOn, 1);
}

// 8:5 stores 8 and 5 as the numbers notes are entered with and arms index 9.
TEST_F(TupletDialogTest, PairOutsideTheTableStoresItsNumbers) {
    EXPECT_EQ(Run([](DialogDriver& d) {
                  Numbers(d, "8", "5");
                  d.Click(ui::kIdOk);
              }),
              1);
    EXPECT_EQ(State().notes.NoteTools.tupletActual, 8);
    EXPECT_EQ(State().notes.NoteTools.tupletNormal, 5);
    EXPECT_EQ(record_.ratioIndex, 9);
}

// 16 and 1 each show the message captioned with the program's name, focus the field
// and keep the dialog open; nothing is stored until a good pair is given.
TEST_F(TupletDialogTest, OutOfRangeNumbersKeepTheDialogOpen) {
    bool openAfter16 = false, focused = false;
    EXPECT_EQ(Run([&](DialogDriver& d) {
                  Numbers(d, "16", "2");
                  d.Click(ui::kIdOk);
                  openAfter16 = d.IsOpen();
                  Numbers(d, "3", "1");
                  d.Click(ui::kIdOk);
                  focused = win::GetFocus() == d.Item(sd::kTupletSecond);
                  d.Click(ui::kIdCancel);
              }),
              0);
    EXPECT_TRUE(openAfter16);
    EXPECT_TRUE(focused);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 2u);
    EXPECT_EQ(ui::headless::MessageBoxes()[0].text, "Tuplet value must be in range 2-15.");
    EXPECT_EQ(ui::headless::MessageBoxes()[0].caption, ProgramString(kStrProductName));
    EXPECT_EQ(State().notes.NoteTools.tupletActual, 3);
    EXPECT_EQ(record_.commandValue, 0);
}

// The check box flips the nested switch; OK stores the nested numbers with it;
// Cancel after a flip and new numbers changes nothing.
TEST_F(TupletDialogTest, NestedSwitchAndCancel) {
    EXPECT_EQ(Run([](DialogDriver& d) {
                  Numbers(d, "3", "2");
                  d.Click(sd::kTupletNested);
                  d.Type(sd::kNestedFirst, "5");
                  d.Type(sd::kNestedSecond, "4");
                  d.Click(ui::kIdOk);
              }),
              1);
    const NoteToolState& tools = State().notes.NoteTools;
    EXPECT_EQ(tools.secondTupletOn, 1);
    EXPECT_EQ(tools.secondActual, 5);
    EXPECT_EQ(tools.secondNormal, 4);
    const NoteToolState before = tools;
    const ToolRecord armed = record_;
    EXPECT_EQ(Run([](DialogDriver& d) {
                  d.Click(sd::kTupletNested);
                  Numbers(d, "7", "4");
                  d.Click(ui::kIdCancel);
              }),
              0);
    EXPECT_EQ(tools.secondTupletOn, before.secondTupletOn);
    EXPECT_EQ(tools.tupletActual, before.tupletActual);
    EXPECT_EQ(record_.ratioIndex, armed.ratioIndex);
}

// The tool's reclick runs the dialog (the palette window being shown), and the tool
// does nothing without staves.
TEST_F(TupletDialogTest, ReclickRunsTheDialog) {
    ui::headless::SetDialogScript(sd::kTupletsDialog, [](DialogDriver& d) {
        Numbers(d, "5", "4");
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(TupletToolHandler(view_, ToolAction::Reclick, &record_, {}, win::Message::Null, 0, 0), 1);
    EXPECT_EQ(record_.ratioIndex, 1);
    EXPECT_EQ(ui::headless::Dialogs().back().templateId, sys::ResourceId(sd::kTupletsDialog));
    doc_->header.staffCount = 0;
    EXPECT_EQ(TupletToolHandler(view_, ToolAction::Reclick, &record_, {}, win::Message::Null, 0, 0), 0);
    EXPECT_EQ(ui::headless::Dialogs().size(), 1u);
}

}  // namespace
}  // namespace ql::testing_tuplets
