// The Notes tool's own keys: value keys press palette entries, Ctrl holds the sustain
// pedal down while a chord is built, the arrows move the pointer.
#include <gtest/gtest.h>

#include "core/objects/selection_state.h"
#include "core/state.h"
#include "editing/tool_records.h"
#include "notes/handler/notes_tool.h"
#include "notes/tests/entry/entry_fixture.h"
#include "platform/win/headless.h"
#include "platform/win/keys.h"

namespace ql::testing_entry {
namespace {

using EntryTool = EntryTest;

intptr_t Send(ScoreView* view, win::Message message, win::Key key) {
    return NotesToolMessage(view, platform::WindowHandle{}, message, static_cast<uint32_t>(key), 0);
}

// W H Q E S T give entries 1..6, R the note/rest button but not with Ctrl held.
TEST_F(EntryTool, ValueKeysPressPaletteEntries) {
    const char keys[] = "WHQEST";
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(Send(view_, win::Message::KeyDown, win::LetterKey(keys[i])), 1);
        EXPECT_EQ(State().notes.NoteTools.selectedEntry, i + 1);
    }
    // R presses the note/rest button: the values turn to rests and back, the value kept.
    for (const bool rests : {true, false}) {
        EXPECT_EQ(Send(view_, win::Message::KeyDown, win::LetterKey('R')), 1);
        EXPECT_EQ(State().notes.NoteTools.selectedEntry, 6);
        EXPECT_EQ(NotesPaletteShowsRests(), rests);
    }
    State().notes.NoteTools.selectedEntry = 3;
    win::headless::SetKeyDown(win::Key::Control, true);
    EXPECT_EQ(Send(view_, win::Message::KeyDown, win::LetterKey('R')), 0);
    EXPECT_EQ(State().notes.NoteTools.selectedEntry, 3);
}

// Ctrl down: sustain off then on; Ctrl up: off.
TEST_F(EntryTool, CtrlHoldsTheSustainPedal) {
    EXPECT_EQ(Send(view_, win::Message::KeyDown, win::Key::Control), 1);
    EXPECT_EQ(Send(view_, win::Message::KeyUp, win::Key::Control), 1);
    const auto sent = Sent();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[0], (std::vector<uint8_t>{0xB0, 64, 0}));
    EXPECT_EQ(sent[1], (std::vector<uint8_t>{0xB0, 64, 65}));
    EXPECT_EQ(sent[2], (std::vector<uint8_t>{0xB0, 64, 0}));
}

// The arrows move the pointer 128 units; nothing happens while an object is focused.
TEST_F(EntryTool, ArrowsMoveThePointer) {
    PointAt(1024, kMiddleLine);
    const LogicalPoint start = view_->pointerPoint;
    Send(view_, win::Message::KeyDown, win::Key::Right);
    EXPECT_EQ(view_->pointerPoint.x, start.x + 128);
    Send(view_, win::Message::KeyDown, win::Key::Left);
    EXPECT_EQ(view_->pointerPoint.x, start.x);
    TheSelectionState()->editMode = 1;
    EXPECT_EQ(Send(view_, win::Message::KeyDown, win::LetterKey('W')), 0);
    TheSelectionState()->editMode = 0;
}

}  // namespace
}  // namespace ql::testing_entry
