// Attaching articulation marks to a note: the legato and staccato entries set the
// note's bits, every other entry links a NoteArticulation with its glyph into the
// note's attachment chain, and entries outside the palettes or an exhausted pool
// change nothing.
#include "notes/articulations/articulation_attach.h"

#include <gtest/gtest.h>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/events.h"
#include "core/objects/object_classes.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "notes/drawing/note_fields.h"
#include "notes/tests/pitch/pitch_fixture.h"
#include "objects/stored_classes.h"

namespace ql::testing_pitch {
namespace {

class ArticulationAttachTest : public PitchScoreTest {
  protected:
    void SetUp() override {
        PitchScoreTest::SetUp();
        RegisterStoredObjectClasses();
        note_ = AddNote(CellWith(CodeOf(ClefKind::Treble), CodeOf(KeyCode::C)), 0, -2, 0);
    }
    // The articulations in the note's chain, in order.
    int CountArticulations(int glyph) const {
        int count = 0;
        const ScoreObject* head = GetEventAttachment(note_);
        for (const ScoreObject* o = head; o != nullptr; o = o->next.get())
            if (o->type == TypeCode(ObjectType::NoteArticulation) &&
                AsTextObject(const_cast<ScoreObject*>(o))->body.string == glyph)
                ++count;
        return count;
    }
    EventRecord* note_ = nullptr;
};

// Accents entries 1 and 2 are the note's legato and staccato bits: no object.
TEST_F(ArticulationAttachTest, LegatoAndStaccatoAreNoteBits) {
    AttachedArticulation legato =
        AttachArticulation(view_, note_, ArticulationPalette::Accents, kLegatoEntry);
    EXPECT_TRUE(legato.changed);
    EXPECT_EQ(legato.object, nullptr);
    EXPECT_NE(note_->word2 & kNoteLegato, 0);
    AttachArticulation(view_, note_, ArticulationPalette::Accents, kStaccatoEntry);
    EXPECT_NE(note_->word2 & kNoteStaccato, 0);
    EXPECT_FALSE(note_->attachment);
}

// Other entries: an attached object of type 26 with the entry's glyph, subtype 3;
// two marks on one note both stay in its chain and both find their note.
TEST_F(ArticulationAttachTest, EntriesBecomeAttachedObjects) {
    AttachedArticulation accent = AttachArticulation(view_, note_, ArticulationPalette::Accents, 3);
    ASSERT_NE(accent.object, nullptr);
    EXPECT_EQ(accent.object->type, TypeCode(ObjectType::NoteArticulation));
    EXPECT_EQ(accent.object->subtype, SubtypeCode(ObjectSubtype::NoteAttachment));
    EXPECT_EQ(CountArticulations(141), 1);
    AttachedArticulation trill =
        AttachArticulation(view_, note_, ArticulationPalette::Ornaments, 4);
    ASSERT_NE(trill.object, nullptr);
    EXPECT_EQ(CountArticulations(192), 1);
    EXPECT_EQ(CountArticulations(141), 1);
    // Each finds its note, the one behind the other too (it is drawn there).
    EXPECT_EQ(OwnerNoteOf(trill.object), note_);
    EXPECT_EQ(OwnerNoteOf(accent.object), note_);
}

// Entries outside the palettes, no note, and no record to be had: nothing changes.
TEST_F(ArticulationAttachTest, BadEntriesAndExhaustionChangeNothing) {
    EXPECT_FALSE(AttachArticulation(view_, note_, ArticulationPalette::Accents, 20).changed);
    EXPECT_FALSE(AttachArticulation(view_, note_, ArticulationPalette::Ornaments, -1).changed);
    EXPECT_FALSE(AttachArticulation(view_, nullptr, ArticulationPalette::Ornaments, 4).changed);
    FailNextRecordAllocations(1);
    EXPECT_FALSE(AttachArticulation(view_, note_, ArticulationPalette::Ornaments, 4).changed);
    FailNextRecordAllocations(0);
    EXPECT_FALSE(note_->attachment);
}

}  // namespace
}  // namespace ql::testing_pitch
