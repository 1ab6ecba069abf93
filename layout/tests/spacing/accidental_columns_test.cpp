// Accidental columns of a chord and the room they take in a measure: column counts,
// the offsets they give the signs, the orders of placement, and FitMeasure widening
// the stretch in front of a chord (or raising the lead of the first one).
#include <cstring>

#include "core/draw/glyph_metrics.h"
#include "core/model/object_list.h"
#include "core/model/signature_fields.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "layout/spacing/accidental_columns.h"
#include "core/model/engraving_metrics.h"
#include "layout/spacing/voice_columns.h"
#include "layout/tests/layout_fixture.h"
#include "notes/accidentals/accidental_layout.h"

namespace ql::testing_layout {
namespace {

constexpr int kQuarter = 10;
constexpr int kSharp = 1;
constexpr int kFlat = 3;
constexpr int32_t kSpacing = 80;      // one accidental column
constexpr int32_t kFirstColumn = 100;  // from the head to the first column

class AccidentalColumnsTest : public LayoutTest {
  protected:
    void SetUp() override {
        LayoutTest::SetUp();
        BuildScore(1, 4);
        UseSystem(1, 4);
        doc_->internalDistances[static_cast<int>(EngravingMetric::Accident)] = kSpacing;
        doc_->internalDistances[static_cast<int>(EngravingMetric::FirstAcci)] = kFirstColumn;
    }
    // A chord of notes at the given staff positions, each with the given code (0 none).
    std::vector<EventRecord*> Chord(int measure, int time, std::vector<std::pair<int, int>> notes,
                                    bool stemUp) {
        std::vector<EventRecord*> events;
        for (auto [position, code] : notes) {
            EventRecord* note = Note(1, measure, 0, time, kQuarter, position);
            if (code != 0) Accidental(note, code);
            events.push_back(note);
        }
        EventRecord* first = GetFirstEventOfChord(events.front());
        if (stemUp) first->flags |= kEventStemFlag;
        else first->flags &= ~kEventStemFlag;
        return events;
    }
    static int16_t Offset(EventRecord* note) { return AccidentalOffset(AccidentalOfNote(*note)); }
};

// Two narrow signs 2 steps apart take two columns, 7 steps apart one; each sign's
// offset is -first column - column x spacing.
TEST_F(AccidentalColumnsTest, CloseSignsTakeTwoColumns) {
    auto close = Chord(1, 0, {{0, kSharp}, {2, kFlat}}, true);
    EXPECT_EQ(FitChordAccidentals(*doc_, close[0]).columns, 2);
    EXPECT_EQ(Offset(close[0]), -kFirstColumn);
    EXPECT_EQ(Offset(close[1]), -kFirstColumn - kSpacing);
    auto apart = Chord(1, 1024, {{0, kSharp}, {7, kFlat}}, true);
    EXPECT_EQ(FitChordAccidentals(*doc_, apart[1]).columns, 1);
    EXPECT_EQ(Offset(apart[1]), -kFirstColumn);
    auto none = Chord(1, 2048, {{0, 0}, {3, 0}}, true);
    EXPECT_EQ(FitChordAccidentals(*doc_, none[0]).columns, 0);
}

// A sign moved by hand keeps its offset; a parenthesised (wide) sign counts 2 more
// columns and sits one spacing further left.
TEST_F(AccidentalColumnsTest, ByHandAndWideSigns) {
    auto chord = Chord(1, 0, {{0, kSharp}, {9, kFlat}}, true);
    ScoreObject* byHand = AccidentalOfNote(*chord[0]);
    SetAccidentalOffset(byHand, -555);
    uint16_t flags = 0x8000;  // moved by hand
    std::memcpy(byHand->BodyBytes() + offsetof(TextObjectBody, flags), &flags, 2);
    ScoreObject* wide = AccidentalOfNote(*chord[1]);
    flags = 0x0100;  // parenthesised
    std::memcpy(wide->BodyBytes() + offsetof(TextObjectBody, flags), &flags, 2);
    EXPECT_EQ(FitChordAccidentals(*doc_, chord[0]).columns, 1 + kWideAccidentalExtraColumns);
    EXPECT_EQ(Offset(chord[0]), -555);
    EXPECT_EQ(Offset(chord[1]), -kFirstColumn - kSpacing);
}

// Stem down: a head on the far side of the stem holds slot 0 of column 0, which
// takes signs 5 or more steps from it; its own sign goes to column 1.
TEST_F(AccidentalColumnsTest, FarSideHeadIsPrePlaced) {
    auto chord = Chord(1, 0, {{0, kSharp}, {5, kFlat}}, false);
    chord[0]->word2 |= kEventHeadOtherSide;
    AccidentalColumnTable table;
    EXPECT_EQ(FitChordAccidentals(*doc_, chord[1], &table).columns, 2);
    EXPECT_EQ(table.slots[0][0].prePlacedHead, 1);
    EXPECT_EQ(Offset(chord[1]), -kFirstColumn);            // 5 steps from the head
    EXPECT_EQ(Offset(chord[0]), -kFirstColumn - kSpacing);  // its own sign: column 1
}

// Five signs a step apart need more than four columns: the fifth stays unplaced.
TEST_F(AccidentalColumnsTest, SignsNoColumnTakesStayUnplaced) {
    auto chord = Chord(1, 0, {{0, kSharp}, {1, kSharp}, {2, kSharp}, {3, kSharp}, {4, kSharp}}, true);
    const ChordColumns columns = FitChordAccidentals(*doc_, chord[0]);
    EXPECT_EQ(columns.columns, kAccidentalColumnCount);
    EXPECT_EQ(columns.unplaced, 1);
}

// A caller's table is set up even for a chord without signs; a chord is read from
// its first note whichever note is given.
TEST_F(AccidentalColumnsTest, CallersTableIsSetUpAndAnyNoteNamesTheChord) {
    auto plain = Chord(1, 0, {{0, 0}, {4, 0}}, true);
    AccidentalColumnTable table;
    table.slots[2][3] = {5, 9, 1};
    EXPECT_EQ(FitChordAccidentals(*doc_, plain[1], &table).columns, 0);
    EXPECT_EQ(table.slots[2][3].position, kFreeAccidentalSlot);
    EXPECT_EQ(table.slots[2][3].width, kFirstColumn);
    auto signed_ = Chord(1, 1024, {{0, kSharp}, {2, 0}, {4, kFlat}}, true);
    EXPECT_EQ(FitChordAccidentals(*doc_, signed_[2]).columns, 2);
    EXPECT_EQ(Offset(signed_[0]), -kFirstColumn);
}

// A clef change between two chords counts with its glyph's width (the C clefs with
// glyph 60), a key change with its measured width; a clef wins over a key.
TEST_F(AccidentalColumnsTest, ClefOrKeyBetweenChords) {
    constexpr int kCClefGlyph = 60;
    GlyphMetricEntry cClef{};
    cClef.advance = 444;
    std::memcpy(doc_->glyphMetrics[kCClefGlyph - 32], &cClef, sizeof cClef);
    MeasureCell* cell = Cell(1, 2);
    ScoreObject* key = ConstructObject(TypeCode(ObjectType::KeySignature));
    SetSignatureTickOfObject(key, 512);
    const int32_t keyWidth = 333;
    std::memcpy(key->BodyBytes() + offsetof(TextObjectBody, width), &keyWidth, 4);
    InsertObjectAfter(GetOrCreateCellObjectList(cell), key);
    EXPECT_EQ(ClefOrKeyWidthBetween(*doc_, cell, 0, 1024), 333);
    EXPECT_EQ(ClefOrKeyWidthBetween(*doc_, cell, 512, 1024), 0);  // strictly between
    ScoreObject* clef = ConstructObject(TypeCode(ObjectType::Clef));
    SetSignatureTickOfObject(clef, 700);
    SetClefKindOfObject(clef, 12);
    InsertObjectAfter(GetOrCreateCellObjectList(cell), clef);
    EXPECT_EQ(ClefOrKeyWidthBetween(*doc_, cell, 0, 1024), 444);  // Mezzo Soprano: the C clef
}

class FitMeasureTest : public AccidentalColumnsTest {
  protected:
    void SetUp() override {
        AccidentalColumnsTest::SetUp();
        view_->glyphWidths.black = 80;
        view_->glyphWidths.halfBlack = 40;
        Record(1).stretch = 256;  // a quarter is 64 units: too little for a sign
        Record(1).width = ProportionalWidth(Record(1));
        Note(1, 1, 0, 0, kQuarter, 3);
        Accidental(Note(1, 1, 0, 1024, kQuarter, 3), kSharp);
    }
    // Needed in front of a chord with one column: spacing x 2 + black / 4 + half black.
    static constexpr int32_t kNeeded = kSpacing * 2 + 80 / 4 + 40;
};

// Without apply only the need is told; with it (and "SpreadSpaceChanges" on) the
// stretch from the previous chord grows to the room needed.
TEST_F(FitMeasureTest, WidensTheStretchBeforeTheChord) {
    ScoreSystem* system = view_->currentSystem;
    const int32_t width = Record(1).width;
    EXPECT_EQ(FitMeasure(view_, system, 1, false), 1);
    EXPECT_EQ(Record(1).width, width);
    State().layout.SpreadSpaceChanges = 1;
    EXPECT_EQ(FitMeasure(view_, system, 1, true), 1);
    EXPECT_GE(SpacingTickX(Record(1), 1024), kNeeded);
    EXPECT_GT(Record(1).width, width);
    EXPECT_EQ(FitMeasure(view_, system, 1, false), 0);  // room enough now
}

// Without "SpreadSpaceChanges" the measure is scaled back to its width.
TEST_F(FitMeasureTest, KeepsTheWidthWithoutSpread) {
    const int32_t width = Record(1).width;
    State().layout.SpreadSpaceChanges = 0;
    EXPECT_EQ(FitMeasure(view_, view_->currentSystem, 1, true), 1);
    EXPECT_NEAR(Record(1).width, width, 2);
}

// A sign on the chord at tick 0 raises the measure's lead instead.
TEST_F(FitMeasureTest, FirstChordRaisesTheLead) {
    Accidental(Note(1, 2, 0, 0, kQuarter, 3), kFlat);
    State().layout.SpreadSpaceChanges = 1;
    Record(2).lead = 0;
    EXPECT_EQ(FitMeasure(view_, view_->currentSystem, 2, true), 1);
    EXPECT_EQ(Record(2).lead, kSpacing);
}

}  // namespace
}  // namespace ql::testing_layout
