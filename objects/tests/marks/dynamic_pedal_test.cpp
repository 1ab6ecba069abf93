// Dynamics and pedal marks: the palette's symbols and offsets, placing at a click
// (page attachment, voices, the pedal's destination), the keypad steps with their
// undo steps and status text, and what playback takes from each.
#include <gtest/gtest.h>

#include "core/objects/selection_state.h"
#include "core/state.h"
#include "editing/tools.h"
#include "core/ui/status_bar.h"
#include "core/undo/undo.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/midi_marks/mark_internal.h"
#include "objects/midi_marks/mark_playback.h"
#include "objects/midi_marks/mark_tools.h"
#include "objects/tests/marks/marks_fixture.h"
#include "platform/win/input.h"
#include "staves/staff_group_bits.h"

namespace ql::testing_marks {
namespace {

class DynamicPedalTest : public MarksTest {};

TEST_F(DynamicPedalTest, PaletteEntriesGiveSymbolAndOffset) {
    MarkToolState tools;
    // Entry 7: a plain dynamic without offset.
    tools.dynamicsEntry = 7;
    EXPECT_EQ(DynamicFromPalettes(tools).symbol, 165);
    EXPECT_EQ(DynamicFromPalettes(tools).offset, 0);
    // Entry 10: symbol 168, +50.
    tools.dynamicsEntry = 10;
    EXPECT_EQ(DynamicFromPalettes(tools).symbol, 168);
    EXPECT_EQ(DynamicFromPalettes(tools).offset, 50);
    // Entry 0 and 14 at both ends of the table.
    tools.dynamicsEntry = 0;
    EXPECT_EQ(DynamicFromPalettes(tools).offset, -50);
    tools.dynamicsEntry = 14;
    EXPECT_EQ(DynamicFromPalettes(tools).symbol, 172);
    EXPECT_EQ(DynamicFromPalettes(tools).offset, 10);
    // A Performance entry is tested first and has no offset.
    tools.performanceEntry = 2;
    EXPECT_EQ(DynamicFromPalettes(tools).symbol, 174);
    EXPECT_EQ(DynamicFromPalettes(tools).offset, 0);
    // An entry outside the table, or none, reads as the mf the opener shows.
    tools.performanceEntry = kNoPaletteEntry;
    tools.dynamicsEntry = 40;
    EXPECT_EQ(DynamicFromPalettes(tools).symbol, 172);
}

TEST_F(DynamicPedalTest, PlacedDynamicTakesPaletteVoicesAndCell) {
    BuildScore(2);
    MarkTools().dynamicsEntry = 10;
    view_->voiceMask = 0;
    ScoreObject* mark = Place(ObjectType::Dynamic, PointIn(1, 2, 300));
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(Text(mark).string, 168);
    EXPECT_EQ(Action(mark).head.values.value, 50);
    // Enable MIDI, key velocity, kind 2; no voice chosen gives all four.
    EXPECT_EQ(Action(mark).flags, 0x1F23);
    EXPECT_EQ(Action(mark).controller, 7);
    EXPECT_EQ(Action(mark).destinationTiming & kMidiDestinationMask, 0);
    EXPECT_EQ(mark->subtype, SubtypeCode(ObjectSubtype::MeasureTimeList));
    ASSERT_EQ(CellObjects(1, 2).size(), 1u);
    EXPECT_EQ(CellObjects(1, 2)[0], mark);
    // The edit voice mask is taken as it is otherwise.
    view_->voiceMask = 0x02;
    ScoreObject* second = Place(ObjectType::Dynamic, PointIn(1, 3, 300));
    ASSERT_NE(second, nullptr);
    EXPECT_EQ(Action(second).flags & kMidiVoiceMask, 0x0200);
}

TEST_F(DynamicPedalTest, DynamicOnMasterPageIsPageAttachedWithoutMidi) {
    BuildScore(1);
    LogicalPoint point = PointIn(1, 1, 300);
    PointAt(point);
    view_->currentPage->pageNumber = -1;
    ASSERT_TRUE(PlacesOnMasterPage(view_));
    ScoreObject* mark = ClassOf(Prototype(ObjectType::Dynamic)).CreateAtClick(Prototype(ObjectType::Dynamic), view_);
    view_->currentPage->pageNumber = 1;
    ASSERT_NE(mark, nullptr);
    EXPECT_EQ(mark->subtype, SubtypeCode(ObjectSubtype::PageList));
    EXPECT_EQ(Action(mark).flags & kMidiFlagEnabled, 0);
    // While a file is read, marks keep the measure attachment.
    view_->currentPage->pageNumber = -1;
    State().files.ScoreFileReading = 1;
    EXPECT_FALSE(PlacesOnMasterPage(view_));
    State().files.ScoreFileReading = 0;
    view_->currentPage->pageNumber = 1;
}

TEST_F(DynamicPedalTest, KeypadStepsCountWithUndoAndStatus) {
    BuildScore(1);
    MarkTools().dynamicsEntry = 7;
    ScoreObject* mark = Place(ObjectType::Dynamic, PointIn(1, 1, 300));
    ASSERT_NE(mark, nullptr);
    const int before = UndoSteps();
    for (int i = 0; i < 5; ++i) EXPECT_EQ(ClassOf(mark).OnKey(mark, view_, kKeyPadPlus), 1);
    EXPECT_EQ(Action(mark).head.values.value, 5);
    EXPECT_EQ(StatusText(1), " MIDI volume = 5");
    // Each press is one step of kind 1, type 21, verb 6.
    EXPECT_EQ(UndoSteps(), before + 5);
    ASSERT_NE(doc_->undoStack, nullptr);
    EXPECT_EQ(doc_->undoStack->kind, 1);
    EXPECT_EQ(doc_->undoStack->objectType, 21);
    EXPECT_EQ(doc_->undoStack->verb, 6);
    // Minus keeps counting past the dialog's -127.
    Action(mark).head.values.value = -127;
    ClassOf(mark).OnKey(mark, view_, kKeyPadMinus);
    EXPECT_EQ(Action(mark).head.values.value, -128);
    // Undo takes one press back.
    UndoCommand(doc_, view_);
    EXPECT_EQ(Action(mark).head.values.value, -127);
}

TEST_F(DynamicPedalTest, PedalDestinationFollowsBracketsAndTwoStaffBraces) {
    // A braced staff of a two-staff score: all staves of the group.
    BuildScore(2);
    SetJoinsStaffBelow(*StaffRecordOf(doc_, 1), GroupKind::Brace, true);
    SetJoinsStaffAbove(*StaffRecordOf(doc_, 2), GroupKind::Brace, true);
    ScoreObject* pedal = Place(ObjectType::Pedal, PointIn(1, 1, 300));
    ASSERT_NE(pedal, nullptr);
    EXPECT_EQ(Action(pedal).destinationTiming & kMidiDestinationMask, kDestinationBracketGroup);
    EXPECT_EQ(Text(pedal).string, kPedalDownSymbol);
    EXPECT_EQ(Action(pedal).head.values.value, 127);
    EXPECT_EQ(Action(pedal).controller, 64);
    // An unbraced staff: this staff only.
    SetJoinsStaffBelow(*StaffRecordOf(doc_, 1), GroupKind::Brace, false);
    SetJoinsStaffAbove(*StaffRecordOf(doc_, 2), GroupKind::Brace, false);
    MarkTools().pedalButtonBitmap = 0;
    ScoreObject* release = Place(ObjectType::Pedal, PointIn(2, 1, 300));
    ASSERT_NE(release, nullptr);
    EXPECT_EQ(Action(release).destinationTiming & kMidiDestinationMask, 0);
    EXPECT_EQ(Text(release).string, kPedalUpSymbol);
    EXPECT_EQ(Action(release).head.values.value, 0);
}

TEST_F(DynamicPedalTest, BracedStaffOfThreeStaffScoreKeepsThisStaff) {
    BuildScore(3);
    SetJoinsStaffBelow(*StaffRecordOf(doc_, 1), GroupKind::Brace, true);
    SetJoinsStaffAbove(*StaffRecordOf(doc_, 2), GroupKind::Brace, true);
    ScoreObject* pedal = Place(ObjectType::Pedal, PointIn(1, 1, 300));
    ASSERT_NE(pedal, nullptr);
    EXPECT_EQ(Action(pedal).destinationTiming & kMidiDestinationMask, 0);
    // A bracket counts whatever the staff count.
    SetJoinsStaffBelow(*StaffRecordOf(doc_, 2), GroupKind::Bracket, true);
    ScoreObject* bracketed = Place(ObjectType::Pedal, PointIn(2, 1, 300));
    ASSERT_NE(bracketed, nullptr);
    EXPECT_EQ(Action(bracketed).destinationTiming & kMidiDestinationMask, kDestinationBracketGroup);
}

TEST_F(DynamicPedalTest, PlaybackTakesEnabledMarksWithSymbols) {
    BuildScore(1);
    ScoreObject* dynamic = Place(ObjectType::Dynamic, PointIn(1, 1, 300));
    ScoreObject* pedal = Place(ObjectType::Pedal, PointIn(1, 2, 300));
    ASSERT_NE(dynamic, nullptr);
    ASSERT_NE(pedal, nullptr);
    // Both as stored.
    EXPECT_EQ(MarkPlaybackAction(dynamic), MidiActionOfText(dynamic));
    EXPECT_EQ(MarkPlaybackAction(pedal), MidiActionOfText(pedal));
    // A pedal mark without a symbol hands nothing over, nor does a disabled dynamic.
    Text(pedal).string = 0;
    EXPECT_EQ(MarkPlaybackAction(pedal), nullptr);
    Action(dynamic).flags &= ~kMidiFlagEnabled;
    EXPECT_EQ(MarkPlaybackAction(dynamic), nullptr);
    // Neither is another type.
    EXPECT_EQ(MarkPlaybackAction(Prototype(ObjectType::Tempo)), nullptr);
}

TEST_F(DynamicPedalTest, ToolHandlersArmTheirTypes) {
    BuildScore(1);
    struct Tool {
        ToolHandler handler;
        ObjectType type;
    };
    const Tool tools[] = {{&DynamicTool, ObjectType::Dynamic}, {&PedalTool, ObjectType::Pedal},
                          {&TempoTool, ObjectType::Tempo},     {&HairpinTool, ObjectType::Hairpin},
                          {&ChordSymbolTool, ObjectType::Chord}};
    for (const Tool& tool : tools) {
        // Select arms the type with its prototype; Deselect disarms.
        tool.handler(view_, Select, nullptr, window_, win::Message::Null, 0, 0);
        SelectionState* selection = TheSelectionState();
        EXPECT_EQ(selection->toolType, TypeCode(tool.type));
        EXPECT_EQ(selection->defaultObject.get(), Prototype(tool.type));
        EXPECT_EQ(selection->armed, 1);
        EXPECT_EQ(tool.handler(view_, Deselect, nullptr, window_, win::Message::Null, 0, 0), 0);
        EXPECT_EQ(selection->armed, 0);
    }
}

// The chord tool shows its own name, not the chord's status name, and the armed
// tool's cursor, as the other mark tools do; so does a first message arming it.
TEST_F(DynamicPedalTest, ChordToolShowsItsNameAndTheToolCursor) {
    BuildScore(1);
    ChordSymbolTool(view_, Select, nullptr, window_, win::Message::Null, 0, 0);
    SelectionState* selection = TheSelectionState();
    EXPECT_EQ(StatusText(0), " Guitar Symbol tool");
    ASSERT_TRUE(selection->toolCursor);
    EXPECT_EQ(win::GetCursor(), selection->toolCursor);
    ChordSymbolTool(view_, Deselect, nullptr, window_, win::Message::Null, 0, 0);
    SetStatusText(0, " ");
    ChordSymbolTool(view_, Message, nullptr, window_, win::Message::MouseMove, 0, 0);
    EXPECT_EQ(selection->armed, 1);
    EXPECT_EQ(selection->toolType, TypeCode(ObjectType::Chord));
    EXPECT_EQ(StatusText(0), " Guitar Symbol tool");
    ChordSymbolTool(view_, Deselect, nullptr, window_, win::Message::Null, 0, 0);
}

}  // namespace
}  // namespace ql::testing_marks
