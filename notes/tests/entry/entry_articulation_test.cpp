// Marks added by note entry while an articulation button of the Notes palette is
// pressed as a toggle (marked): the "Accents" entry in force goes on each new chord's
// note as a placed mark, the staccato entry sets the note's bit, a note joining a chord
// gets nothing, and nothing is added while no button is marked. Undo takes the mark
// away with the note.
#include <gtest/gtest.h>

#include "core/model/events.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "core/undo/undo.h"
#include "display/hit_test.h"
#include "editing/palette_layout.h"
#include "editing/tool_records.h"
#include "editing/tools.h"
#include "notes/articulations/articulation_class.h"
#include "notes/articulations/articulation_place.h"
#include "notes/articulations/articulation_tool.h"
#include "notes/drawing/note_fields.h"
#include "notes/tests/entry/entry_fixture.h"

namespace ql::testing_entry {
namespace {

constexpr int kAccentEntry = 10;  // glyph 148
constexpr int kAccentGlyph = 148;
constexpr int kStaccatoEntry = 2;

class EntryArticulation : public EntryTest {
  protected:
    void SetUp() override {
        EntryTest::SetUp();
        RegisterNoteArticulationClass();
        ResetToolRecords();
        ResetArticulationTools();
        State().notes.NoteTools.selectedEntry = 3;  // quarters
    }
    void TearDown() override {
        ResetToolRecords();
        ResetArticulationTools();
        EntryTest::TearDown();
    }
    static void Mark(ArticulationPalette palette, bool on) {
        ToolRecord* button = ToolRecordOf(kNotesPalette, static_cast<int>(palette));
        ASSERT_NE(button, nullptr);
        button->marked = on ? 1 : 0;
    }
    // The note's articulation, found along its attachment chain.
    static ScoreObject* MarkOn(EventRecord* note) {
        constexpr int kLongestChain = 64;
        ScoreObject* o = GetEventAttachment(note);
        for (int i = 0; o != nullptr && i < kLongestChain; ++i, o = o->next.get())
            if (o->type == TypeCode(ObjectType::NoteArticulation)) return o;
        return nullptr;
    }
};

TEST_F(EntryArticulation, AMarkedAccentsButtonPutsItsEntryOnEachNewChord) {
    Mark(ArticulationPalette::Accents, true);
    ArticulationTools().accentEntry = kAccentEntry;
    const int depth = UndoDepth(doc_);
    const std::vector<uint8_t> before = LiveRecords();
    PointAt(0, kMiddleLine + 4);  // below the middle line: stem up
    Click();
    UseMeasure(1);
    ASSERT_EQ(Voice().size(), 1u);
    EventRecord* note = Voice()[0];
    ScoreObject* mark = MarkOn(note);
    ASSERT_NE(mark, nullptr) << "the accent was not attached";
    EXPECT_EQ(AsTextObject(mark)->body.string, kAccentGlyph);
    // Placed against its note: the stored anchor lies off the head, clear of it.
    const LogicalPoint head = GetEventPosition(note, view_);
    const LogicalPoint at = TextObjectAnchorPoint(mark, view_);
    EXPECT_NE(at.y, head.y);
    EXPECT_EQ(UndoDepth(doc_), depth + 1) << "the mark is part of the note's undo step";

    // A note joining that chord gets nothing of its own.
    PointAt(0, kMiddleLine);
    Click();
    UseMeasure(1);
    ASSERT_EQ(Voice().size(), 2u);
    for (EventRecord* n : Voice()) {
        if (n != note) {
            EXPECT_EQ(MarkOn(n), nullptr);
        }
    }

    // Undoing both notes gives every record back.
    UndoCommand(doc_, view_);
    UndoCommand(doc_, view_);
    EXPECT_EQ(LiveRecords(), before);
}

TEST_F(EntryArticulation, TheStaccatoEntrySetsTheBitAndUnmarkedButtonsAddNothing) {
    ArticulationTools().accentEntry = kStaccatoEntry;
    PointAt(0, kMiddleLine);
    Click();
    UseMeasure(1);
    ASSERT_EQ(Voice().size(), 1u);
    EXPECT_EQ(MarkOn(Voice()[0]), nullptr);
    EXPECT_EQ(Voice()[0]->word2 & kNoteStaccato, 0) << "no button is marked";

    Mark(ArticulationPalette::Accents, true);
    PointAt(kQuarterTicks, kMiddleLine);
    Click();
    UseMeasure(1);
    ASSERT_EQ(Voice().size(), 2u);
    EXPECT_EQ(MarkOn(Voice()[1]), nullptr);
    EXPECT_NE(Voice()[1]->word2 & kNoteStaccato, 0);
}

}  // namespace
}  // namespace ql::testing_entry
