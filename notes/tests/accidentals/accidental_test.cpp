// The Accidental object: made for a note (glyph, style, offset), its fields, copies,
// reset, drag marks and drop, and its place among a chord's accidental columns.
#include <gtest/gtest.h>

#include <cstring>

#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "layout/spacing/accidental_columns.h"
#include "core/model/engraving_metrics.h"
#include "notes/accidentals/accidental.h"
#include "notes/accidentals/accidental_internal.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/tests/rests/rest_fixture.h"

namespace ql::testing_rests {
namespace {

constexpr int kSharp = 1;
constexpr int kFlat = 3;
constexpr int kNatural = 5;
constexpr uint16_t kSizeGrace = 0x0020;
constexpr uint16_t kSizePetite = 0x0010;

class AccidentalTest : public RestTest {
  protected:
    EventRecord* NoteWith(int code, int position = -4, int time = 0) {
        EventRecord* note = Note(0, time, kQuarter, position);
        SetNoteAccidentalCode(*note, code);
        return note;
    }
    const accidentals::AccidentalClass& Class() { return accidentals::TheAccidentalClass(); }
};

// A new sign heads the note's attachment chain: glyph from the code, style 3, offset
// minus the accidental column width, the text object's music-glyph flag.
TEST_F(AccidentalTest, MadeForANote) {
    EventRecord* note = NoteWith(kFlat);
    ScoreObject* sign = NewAccidentalForNote(view_, note);
    ASSERT_NE(sign, nullptr);
    EXPECT_EQ(AccidentalOfNote(*note), sign);
    EXPECT_EQ(GetEventAttachment(note), sign);
    EXPECT_EQ(accidentals::OwnerNoteOfSign(sign), note);
    EXPECT_EQ(ClassOf(sign).GetOwnerNote(sign), note);
    EXPECT_EQ(sign->type, TypeCode(ObjectType::Accidental));
    EXPECT_EQ(sign->subtype, SubtypeCode(ObjectSubtype::NoteAttachment));
    EXPECT_FALSE(sign->next);
    EXPECT_EQ(AccidentalGlyph(sign), 220);
    EXPECT_EQ(AccidentalStyle(sign), 3);
    EXPECT_EQ(AccidentalOffset(sign), -kAccidentalColumn);
    EXPECT_NE(AsTextObject(sign)->body.flags & kTextMusicGlyph, 0);
    EXPECT_EQ(AccidentalParentheses(sign), 0);
    EXPECT_FALSE(AccidentalDrawsItself(sign));
}

// A note that already has an attachment gets nothing, and nothing changes.
TEST_F(AccidentalTest, NoSecondSign) {
    EventRecord* note = NoteWith(kSharp);
    ScoreObject* sign = NewAccidentalForNote(view_, note);
    const EventRecord before = *note;
    EXPECT_EQ(NewAccidentalForNote(view_, note), nullptr);
    EXPECT_EQ(std::memcmp(&before, note, sizeof before), 0);
    EXPECT_EQ(AccidentalOfNote(*note), sign);
    EXPECT_EQ(NewAccidentalForNote(view_, nullptr), nullptr);
}

// Style by the note's size (grace notes style 1, petite 2); a far-side head with the
// stem down moves the sign one black head further left; no record, no sign.
TEST_F(AccidentalTest, StyleAndOffsetFromTheNote) {
    EventRecord* grace = NoteWith(kSharp);
    grace->flags |= kSizeGrace;
    EXPECT_EQ(AccidentalStyle(NewAccidentalForNote(view_, grace)), 1);
    EventRecord* petite = NoteWith(kSharp, -4, 1024);
    petite->flags |= kSizePetite;
    EXPECT_EQ(AccidentalStyle(NewAccidentalForNote(view_, petite)), 2);
    EventRecord* far = NoteWith(kNatural, -3, 2048);
    far->word2 |= kEventHeadOtherSide;
    far->flags &= static_cast<uint16_t>(~kEventStemFlag);
    EXPECT_EQ(AccidentalOffset(NewAccidentalForNote(view_, far)), -kAccidentalColumn - kBlackHeadAdvance);
    EventRecord* up = NoteWith(kNatural, -3, 3072);
    up->word2 |= kEventHeadOtherSide;
    up->flags |= kEventStemFlag;
    EXPECT_EQ(AccidentalOffset(NewAccidentalForNote(view_, up)), -kAccidentalColumn);
    EventRecord* starved = NoteWith(kFlat, -2, 0);
    FailNextRecordAllocations(1);
    EXPECT_EQ(NewAccidentalForNote(view_, starved), nullptr);
    EXPECT_FALSE(starved->attachment);
    EXPECT_EQ(NoteAccidentalCode(*starved), kFlat);
}

// The glyph follows codes 1..5 only.
TEST_F(AccidentalTest, GlyphOfCodes) {
    ScoreObject* sign = NewAccidentalForNote(view_, NoteWith(kSharp));
    for (int code = 1; code <= 5; ++code) {
        SetAccidentalGlyph(sign, code);
        EXPECT_EQ(AccidentalGlyph(sign), 217 + code);
    }
    SetAccidentalGlyph(sign, 0);
    SetAccidentalGlyph(sign, 6);
    EXPECT_EQ(AccidentalGlyph(sign), 222);
    EXPECT_EQ(AccidentalGlyphOfCode(7), 0);
    EXPECT_EQ(AccidentalGlyphOfCode(2), 219);
}

// The display text: the glyph, or "(" glyph ")" with parentheses.
TEST_F(AccidentalTest, DisplayText) {
    ScoreObject* sign = NewAccidentalForNote(view_, NoteWith(kSharp));
    EXPECT_STREQ(Class().GetDisplayText(sign, view_), "\xDA");
    SetAccidentalParentheses(sign, kAccidentalParenthesised);
    EXPECT_STREQ(Class().GetDisplayText(sign, view_), "(\xDA)");
    EXPECT_TRUE(AccidentalDrawsItself(sign));
}

// Dragging marks the sign as placed by hand and keeps the pointer on its y; a reset
// clears the mark and puts the offset back; the clone copies the body.
TEST_F(AccidentalTest, DragResetAndClone) {
    EventRecord* note = NoteWith(kSharp);
    ScoreObject* sign = NewAccidentalForNote(view_, note);
    SelectionState* selection = TheSelectionState();
    HitRecord* hit = Class().BuildHandles(sign, view_);
    ASSERT_NE(hit, nullptr);
    selection->focusRecord = Ref32<HitRecord>::To(hit);
    selection->grabY = 500;
    selection->dragOffsetX = -40;
    selection->dragOffsetY = 25;
    view_->pointerPoint = LogicalPoint{100, 525};
    view_->visibleRect = gfx::Rect{-32768, -32768, 32767, 32767};  // the pointer may go anywhere
    Class().ConstrainDrag(sign, view_);
    const int32_t dragY = selection->dragOffsetY;  // packed field: read by value
    EXPECT_EQ(dragY, 0);
    EXPECT_EQ(view_->pointerPoint.y, 500);
    Class().TrackDrag(sign, view_);
    EXPECT_TRUE(IsAccidentalPlacedByHand(sign));
    SetAccidentalOffset(sign, -300);
    ScoreObject* copy = Class().Clone(sign, view_, CurrentPoolSet(), CurrentPoolSet());
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(AccidentalOffset(copy), -300);
    EXPECT_TRUE(IsAccidentalPlacedByHand(copy));
    EXPECT_EQ(copy->type, sign->type);
    Class().ResetState(sign, view_);
    EXPECT_FALSE(IsAccidentalPlacedByHand(sign));
    EXPECT_EQ(AccidentalOffset(sign), -kAccidentalColumn);
    // The reset as an undoable edit (Invalidate) does the same.
    SetAccidentalOffset(sign, -300);
    Class().Invalidate(sign, view_);
    EXPECT_EQ(AccidentalOffset(sign), -kAccidentalColumn);
    DeleteAccidental(copy);
}

// Dropping the sign clears the note's code; the object stays at the head of the
// chain (a note with code 0 keeps its sign, which then draws nothing).
TEST_F(AccidentalTest, DropClearsTheCode) {
    EventRecord* note = NoteWith(kFlat);
    ScoreObject* sign = NewAccidentalForNote(view_, note);
    EXPECT_EQ(Class().HandleDrop(sign, view_, sign, nullptr), 1);
    EXPECT_EQ(NoteAccidentalCode(*note), 0);
    EXPECT_EQ(AccidentalOfNote(*note), sign);
}

// Column fitting with signs made here: two signs a third apart take two columns, a
// parenthesised one takes a spacing more, and a sign moved by hand keeps its offset.
TEST_F(AccidentalTest, ColumnFitting) {
    constexpr int32_t kSpacing = 80;
    constexpr int32_t kFirst = 100;
    doc_->internalDistances[static_cast<int>(EngravingMetric::Accident)] = kSpacing;
    doc_->internalDistances[static_cast<int>(EngravingMetric::FirstAcci)] = kFirst;
    EventRecord* low = NoteWith(kSharp, -2);
    EventRecord* high = NoteWith(kFlat, -4);
    ScoreObject* lowSign = NewAccidentalForNote(view_, low);
    ScoreObject* highSign = NewAccidentalForNote(view_, high);
    EXPECT_EQ(FitChordAccidentals(*doc_, low).columns, 2);
    EXPECT_EQ(AccidentalOffset(highSign) + AccidentalOffset(lowSign), -2 * kFirst - kSpacing);
    SetAccidentalParentheses(highSign, kAccidentalParenthesised);
    AsTextObject(lowSign)->body.flags |= kAccidentalPlacedByHand;
    SetAccidentalOffset(lowSign, -777);
    const int highBefore = AccidentalOffset(highSign);
    EXPECT_EQ(FitChordAccidentals(*doc_, low).columns, 2 + kWideAccidentalExtraColumns);
    EXPECT_EQ(AccidentalOffset(lowSign), -777);
    EXPECT_EQ(AccidentalOffset(highSign), highBefore - kSpacing);
}

}  // namespace
}  // namespace ql::testing_rests
