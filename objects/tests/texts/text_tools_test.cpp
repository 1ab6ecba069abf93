// The text tools' own parts of the palette protocol: the rehearsal frame chosen in the
// flyout, and the voice mask the Lyric tool keeps aside while it is armed.
#include "objects/text_marks/text_tools.h"

#include <gtest/gtest.h>

#include "editing/tools.h"
#include "objects/lyrics/lyric.h"
#include "objects/tests/texts/texts_fixture.h"
#include "objects/text_marks/text_line.h"

namespace ql::testing_texts {
namespace {

class TextToolsTest : public TextsTest {};

TEST_F(TextToolsTest, TheFlyoutEntryChoosesTheRehearsalFrame) {
    ToolRecord record;
    record.imageIndex = kEllipseFrameImage;
    EXPECT_EQ(
        TextToolHandler(view_, ToolAction::AlternateChosen, &record, {}, win::Message::Null, 0, 0),
        0);
    EXPECT_EQ(TheTextToolState().rehearsalFrame, 2);
    record.imageIndex = kRoundedFrameImage;
    TextToolHandler(view_, ToolAction::AlternateChosen, &record, {}, win::Message::Null, 0, 0);
    EXPECT_EQ(TheTextToolState().rehearsalFrame, 3);
    // Any other entry: the rectangle.
    record.imageIndex = 12;
    TextToolHandler(view_, ToolAction::AlternateChosen, &record, {}, win::Message::Null, 0, 0);
    EXPECT_EQ(TheTextToolState().rehearsalFrame, 1);
}

TEST_F(TextToolsTest, TheSecondTextBoxEntrySetsItsFlagAndTheFirstClearsIt) {
    ToolRecord record;
    record.imageIndex = 172;
    TextBoxToolHandler(view_, ToolAction::AlternateChosen, &record, {}, win::Message::Null, 0, 0);
    EXPECT_TRUE(IsSecondTextBoxEntryChosen());
    record.imageIndex = 171;
    TextBoxToolHandler(view_, ToolAction::AlternateChosen, &record, {}, win::Message::Null, 0, 0);
    EXPECT_FALSE(IsSecondTextBoxEntryChosen());
}

TEST_F(TextToolsTest, TheLyricToolGivesBackTheVoiceMaskItFound) {
    view_->voiceMask = 0x5;
    LyricToolHandler(view_, ToolAction::Select, nullptr, {}, win::Message::Null, 0, 0);
    EXPECT_EQ(TheLyricState().savedVoiceMask, 0x5);
    view_->voiceMask = 0x1;  // lyric mode changed it meanwhile
    LyricToolHandler(view_, ToolAction::Deselect, nullptr, {}, win::Message::Null, 0, 0);
    EXPECT_EQ(view_->voiceMask, 0x5);
}

}  // namespace
}  // namespace ql::testing_texts
