// Ties made and removed by the note's T key (across a barline and into repeat
// endings), and the undo labels of the note keys in each modifier state.
#include <gtest/gtest.h>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/objects/score_object.h"
#include "notes/entry/note_edits.h"
#include "notes/pitch/accidental_state.h"
#include "notes/ties/ties.h"
#include "notes/tests/entry/entry_fixture.h"
#include "objects/spanners/spanner_objects.h"
#include "platform/win/keys.h"

namespace ql::testing_entry {
namespace {

using EntryTies = EntryTest;
using EntryKeys = EntryTest;

uint32_t Letter(char c) {
    return static_cast<uint32_t>(win::LetterKey(c));
}

// A repeat ending of `span` measures in the first staff's cell of a measure.
void AddEnding(ScoreDocument* doc, int measure, int span) {
    auto* object = static_cast<ScoreObject*>(AllocRecord(kLargeObjectPool));
    ASSERT_NE(object, nullptr);
    ConstructRepeatEnding(object);
    AsRepeatEnding(object)->span = static_cast<uint16_t>(span);
    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc, 1), doc, measure);
    InsertObjectAfter(cell->objects.get(), object);
}

// A whole note ties across the barline to the same pitch at tick 0 of the next
// measure; T again removes the tie, its object and both bits.
TEST_F(EntryTies, TieAcrossBarlineAndBack) {
    EventRecord* start = Note(0, 0, kWhole, -4);
    UseMeasure(2);
    EventRecord* end = Note(0, 0, kQuarter, -4);
    Note(0, 1024, kQuarter, -4);
    UseMeasure(1);
    ASSERT_EQ(Key(start, Letter('T')), 1);
    EXPECT_EQ(UndoLabel(), "Undo - Change Tie");
    EXPECT_NE(start->word2 & kTieStartsHere, 0);
    EXPECT_NE(end->word2 & kTieEndsHere, 0);
    EXPECT_NE(FindNoteTie(start), nullptr);
    ASSERT_EQ(Key(start, Letter('T')), 1);
    EXPECT_EQ(start->word2 & kTieStartsHere, 0);
    EXPECT_EQ(end->word2 & kTieEndsHere, 0);
    EXPECT_EQ(FindNoteTie(start), nullptr);
}

// Within a measure: a note ending 8 ticks before the next one still ties; 16 apart
// it does not; another pitch never does.
TEST_F(EntryTies, TieWithinMeasureTolerance) {
    EventRecord* a = Note(0, 0, kQuarter, -4);
    Note(0, 1032, kQuarter, -4);
    EXPECT_EQ(FindTieTargets(doc_, view_, a, 1, 1, 0).size(), 1u);
    EventRecord* b = Note(1, 0, kQuarter, -4);
    Note(1, 1040, kQuarter, -4);
    EXPECT_TRUE(FindTieTargets(doc_, view_, b, 1, 1, 1).empty());
    EventRecord* c = Note(2, 0, kQuarter, -4);
    Note(2, 1024, kQuarter, -5);
    EXPECT_TRUE(FindTieTargets(doc_, view_, c, 1, 1, 2).empty());
}

// Before first and second endings (measures 2 and 3) the last note of measure 1 ties
// into both.
TEST_F(EntryTies, TieIntoEachRepeatEnding) {
    AddEnding(doc_, 2, 1);
    AddEnding(doc_, 3, 1);
    EventRecord* start = Note(0, 3072, kQuarter, -2);
    UseMeasure(2);
    EventRecord* first = Note(0, 0, kHalf, -2);
    UseMeasure(3);
    EventRecord* second = Note(0, 0, kHalf, -2);
    UseMeasure(1);
    const std::vector<TieTarget> targets = FindTieTargets(doc_, view_, start, 1, 1, 0);
    ASSERT_EQ(targets.size(), 2u);
    EXPECT_EQ(targets[0].note, first);
    EXPECT_EQ(targets[0].measure, 2);
    EXPECT_EQ(targets[1].note, second);
    EXPECT_EQ(targets[1].measure, 3);
    ASSERT_EQ(ToggleTie(view_, start, 0), 1);
    EXPECT_NE(first->word2 & kTieEndsHere, 0);
    EXPECT_NE(second->word2 & kTieEndsHere, 0);
}

// While a tie search is held, a note read before a tie carried an accidental into it
// is read again: G-sharp finds the A that the A-flat's tie made sound as A-flat, as
// it does with nothing held.
TEST_F(EntryTies, HeldTieSearchReadsANoteAgainAfterATieCarriesAnAccidental) {
    constexpr int kG = -2;
    constexpr int kA = -3;
    EventRecord* sharp = Note(0, 0, kWhole, kG);
    EventRecord* flat = Note(0, 0, kWhole, kA);
    SetNoteAccidentalCode(*sharp, CodeOf(AccidentalCode::Sharp));
    SetNoteAccidentalCode(*flat, CodeOf(AccidentalCode::Flat));
    ASSERT_EQ(ComputeNoteKeyInCell(StaffRecordOf(doc_, 1), cell_, *sharp, 0),
              ComputeNoteKeyInCell(StaffRecordOf(doc_, 1), cell_, *flat, 0));
    UseMeasure(2);
    EventRecord* g = Note(0, 0, kWhole, kG);
    EventRecord* a = Note(0, 0, kWhole, kA);
    ASSERT_EQ(NextEvent(a), g) << "the chord runs from its highest step";
    UseMeasure(1);
    const TieSearchHold hold(doc_);
    ASSERT_EQ(FindTieTargets(doc_, view_, sharp, 1, 1, 0).front().note, g);
    ASSERT_EQ(ToggleTie(view_, flat, 0), 1);
    EXPECT_EQ(FindTieTargets(doc_, view_, sharp, 1, 1, 0).front().note, a);
}

// The plain keys and their labels: dots, note (home, legato), stem flip, beam.
TEST_F(EntryKeys, PlainKeysGiveTheirUndoLabels) {
    EventRecord* a = Note(0, 0, kEighth, -4);
    EventRecord* b = Note(0, 512, kEighth, -4);
    ASSERT_EQ(Key(a, Letter('D')), 1);
    EXPECT_EQ(UndoLabel(), "Undo - Change Dots");
    EXPECT_EQ(a->word2 & kEventDotsMask, 1);
    EXPECT_EQ(b->time, 768) << "the dot's length moved the next note on";
    ASSERT_EQ(Key(a, Letter('L')), 1);
    EXPECT_EQ(UndoLabel(), "Undo - Change Note");
    EXPECT_NE(a->word2 & kLegatoBit, 0);
    ASSERT_EQ(Key(a, static_cast<uint32_t>(win::Key::Home)), 1);
    EXPECT_EQ(UndoLabel(), "Undo - Change Note");
    ASSERT_EQ(Key(a, Letter('F')), 1);
    EXPECT_EQ(UndoLabel(), "Undo - Change Stem");
    ASSERT_EQ(Key(a, static_cast<uint32_t>(win::Key::Space)), 1);
    EXPECT_EQ(UndoLabel(), "Undo - Change Beam");
    EXPECT_EQ(Key(a, Letter('Q')), 0) << "an unknown key";
}

// Ctrl digits set the fret (head kind 19 + digit), Alt digits add a chord note
// upwards, Shift walks without an undo step, 5-7 consume every key.
TEST_F(EntryKeys, ModifierStatesChooseTheKeySet) {
    EventRecord* a = Note(0, 0, kQuarter, -4);
    ASSERT_EQ(Key(a, static_cast<uint32_t>(win::DigitKey(3)), true), 1);
    EXPECT_EQ(UndoLabel(), "Undo - Change NoteHead");
    EXPECT_EQ(a->flags >> 11, 22);
    ASSERT_EQ(Key(a, static_cast<uint32_t>(win::DigitKey(3)), false, true), 1);
    EXPECT_EQ(UndoLabel(), "Undo - Change Note") << "a chord note is one undoable edit";
    ASSERT_EQ(Voice().size(), 2u);
    EXPECT_EQ(SignedStep(*Voice()[0]), -6) << "a third above";
    ASSERT_EQ(Key(a, static_cast<uint32_t>(win::DigitKey(3))), 1);
    EXPECT_EQ(Voice().size(), 3u);
    EXPECT_EQ(SignedStep(*Voice()[2]), -2) << "a third below";
    const std::string label = UndoLabel();
    EXPECT_EQ(Key(a, static_cast<uint32_t>(win::Key::Tab), false, false, true), 1);
    EXPECT_EQ(Key(a, Letter('D'), true, false, true), 1);
    EXPECT_EQ(a->word2 & kEventDotsMask, 0) << "state 5 consumes";
    EXPECT_EQ(UndoLabel(), label);
}

}  // namespace
}  // namespace ql::testing_entry
