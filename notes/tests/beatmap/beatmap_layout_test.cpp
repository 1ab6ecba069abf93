// The start-of-measure layout: barline spaces, the signs at a system's start, key
// changes with naturals before or after the barline, time and clef changes, and the
// clef and key in force at a measure's end.
#include <gtest/gtest.h>

#include "core/model/engraving_metrics.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "display/staff_groups.h"
#include "notes/beatmap/beat_map.h"
#include "notes/tests/beatmap/beatmap_fixture.h"

namespace ql::testing_beatmap {
namespace {

// The fixture's metrics: thick barline 80, half a thin one 6, double gap 68.
constexpr int kThick = 80;
constexpr int kHalfThin = 6;
constexpr int kGap = 68;
constexpr int kAccidentalStep = 160;
constexpr int kClefChangeRoom = 256;
constexpr int kKeyTwoSharps = 9;
constexpr int kKeyThreeFlats = 4;
constexpr int kBassClef = 3;
constexpr uint8_t kNaturalsBefore = 1;
constexpr uint8_t kNaturalsAfter = 2;

class MeasureLayoutTest : public BeatMapTest {
  protected:
    void SetUp() override {
        BeatMapTest::SetUp();
        BuildScore(2, {2}, 4);
    }
    int Cell(int slot) const { return BeatMapCell(0, slot); }
    using BeatMapTest::Cell;
};

// A both-repeats barline: trailing space thick + half + gap + 88, leading space
// thick + half + 88; both 0 at the system's first measure and for a hidden barline.
TEST_F(MeasureLayoutTest, BothRepeatsBarlineTakesRoomOnBothSides) {
    const ScoreSystem* system = System(0, 0);
    for (int m : {1, 3, 5}) SetBarline(m, BarlineType::BothRepeats);
    EXPECT_EQ(BarlineTrailSpace(doc_, system, 3), kThick + kHalfThin + kGap + 88);
    EXPECT_EQ(BarlineLeadSpace(doc_, system, 3), kThick + kHalfThin + 88);
    EXPECT_EQ(BarlineTrailSpace(doc_, system, 1), 0);  // the system's first measure
    EXPECT_EQ(BarlineLeadSpace(doc_, system, 1), 0);
    EXPECT_EQ(BarlineLeadSpace(doc_, system, 5), 0);  // past the system's end
    EXPECT_EQ(BarlineTrailSpace(doc_, system, 5), kThick + kHalfThin + kGap + 88);
    Record(3).flags |= kMeasureBarlineHidden;
    EXPECT_EQ(BarlineTrailSpace(doc_, system, 3), 0);
    EXPECT_EQ(BarlineLeadSpace(doc_, system, 3), 0);
}

// The barline's room goes into the slots: the previous slot's trailSpace, this
// slot's leadX. A thick barline thinner than 8 counts as 32.
TEST_F(MeasureLayoutTest, BarlineRoomEntersTheSlots) {
    SetBarline(3, BarlineType::BothRepeats);
    SetBarline(4, BarlineType::Double);
    doc_->internalDistances[static_cast<int>(EngravingMetric::ThickBarline)] = 4;
    UpdateBeatMaps(view_, 1);
    EXPECT_EQ(Map().trailSpace[Cell(2)], 32 + kHalfThin + kGap + 88);
    EXPECT_EQ(Map().leadX[Cell(3)], 32 + kHalfThin + 88);
    EXPECT_EQ(Map().trailSpace[Cell(3)], 32);
}

// The system's first slot, worked through with the fixture's widths: clef 320 and
// its gap 96, no key (C major), 4/4 of one digit (120) with a gap of 64 each side,
// the system-start gap 96 and the measure's lead 256.
TEST_F(MeasureLayoutTest, SystemStartSignsInOrder) {
    UpdateBeatMaps(view_, 1);
    EXPECT_EQ(Map().leadX[Cell(1)], 320 + 96);
    EXPECT_EQ(Map().keyX[Cell(1)], 320 + 96 + 96);
    EXPECT_EQ(Map().timeX[Cell(1)], 512 + 120 + 64);
    EXPECT_EQ(Map().marginX[Cell(1)], 696 + 64 + 96);
    EXPECT_EQ(Map().contentX[Cell(1)], 856 + 256);
    EXPECT_EQ(Map().slotFlags[Cell(1)], kSlotNoNaturals | kSlotNoKey | kSlotNoClefChange);
    // A later slot with nothing new shows nothing; its content follows its lead.
    EXPECT_EQ(Map().slotFlags[Cell(2)],
              kSlotNoNaturals | kSlotNoStartClef | kSlotNoKey | kSlotNoTime | kSlotNoClefChange);
    EXPECT_EQ(Map().contentX[Cell(2)], Map().slotX[Cell(2)] + 256);
    EXPECT_EQ(Map().slotX[Cell(2)], Map().contentX[Cell(1)] + Map().trailSpace[Cell(1)] +
                                        Record(1).width + Record(1).trail);
}

// Every staff leaving a sign out at the system's start hides it there.
TEST_F(MeasureLayoutTest, SystemFlagsHideSignsAtTheStart) {
    SetKey(1, kKeyTwoSharps);
    int8_t* flags = StaffFlagsOf(System(0, 0));
    for (int staff = 1; staff <= 2; ++staff)
        flags[staff] = kSystemStaffNoClef | kSystemStaffNoKey | kSystemStaffNoTime;
    UpdateBeatMaps(view_, 1);
    EXPECT_EQ(Map().slotFlags[Cell(1)] & (kSlotNoStartClef | kSlotNoKey | kSlotNoTime),
              kSlotNoStartClef | kSlotNoKey | kSlotNoTime);
    flags[2] = 0;  // one staff shows them: so does the system
    UpdateBeatMaps(view_, 1);
    EXPECT_EQ(Map().slotFlags[Cell(1)] & (kSlotNoStartClef | kSlotNoKey | kSlotNoTime), 0);
}

// Naturals before the barline: cancelX is negative and the previous measure's
// trailSpace holds their room plus 64. After the barline: cancelX lies after the
// lead and the key indent, and the previous trailSpace has no such room.
TEST_F(MeasureLayoutTest, NaturalsOfAKeyChangeBeforeOrAfterTheBarline) {
    SetKey(2, kKeyTwoSharps);  // measures 2 and 3: two sharps ...
    SetKey(3, kKeyTwoSharps);
    const int naturalsRoom = kAccidentalStep + beatmap_score::kAccidentalAdvance;  // two naturals
    State().notes.KeyCancelLeftOfBar = kNaturalsBefore;
    SetKey(4, kKeyC);  // ... cancelled at measure 4
    UpdateBeatMaps(view_, 1);
    EXPECT_EQ(Map().cancelX[Cell(4)], -64 - naturalsRoom);
    EXPECT_EQ(Map().trailSpace[Cell(3)], naturalsRoom + 64);
    EXPECT_EQ(Map().slotFlags[Cell(4)] & (kSlotNoNaturals | kSlotNoKey), kSlotNoKey);

    State().notes.KeyCancelLeftOfBar = kNaturalsAfter;
    UpdateBeatMaps(view_, 1);
    EXPECT_EQ(Map().cancelX[Cell(4)], 192);  // lead 0, no clef gap, key indent 192
    EXPECT_EQ(Map().trailSpace[Cell(3)], 0);
    EXPECT_EQ(Map().keyX[Cell(4)],
              192 + naturalsRoom + kAccidentalStep - beatmap_score::kAccidentalAdvance);
}

// Cancelling switched off (0), or the measure's own flag, shows no naturals; a key
// change across sides cancels the whole old key.
TEST_F(MeasureLayoutTest, NaturalsCanBeSwitchedOff) {
    SetKey(2, kKeyTwoSharps);
    SetKey(3, kKeyThreeFlats);
    State().notes.KeyCancelLeftOfBar = 0;
    UpdateBeatMaps(view_, 1);
    EXPECT_NE(Map().slotFlags[Cell(3)] & kSlotNoNaturals, 0);
    EXPECT_EQ(Map().slotFlags[Cell(3)] & kSlotNoKey, 0);
    State().notes.KeyCancelLeftOfBar = kNaturalsAfter;
    EXPECT_EQ(KeyChangeMetrics(view_, 3, 3, 1).naturals, 2);
    EXPECT_EQ(KeyChangeMetrics(view_, 3, 3, 1).count, 3);
    EXPECT_EQ(KeyChangeMetrics(view_, 3, 3, 1).total, 5);
    Record(3).flags |= kMeasureNaturalsHidden;
    UpdateBeatMaps(view_, 1);
    EXPECT_NE(Map().slotFlags[Cell(3)] & kSlotNoNaturals, 0);
}

// A time change is shown where the signature differs from the previous measure's
// (beats or beat unit); a two-digit numerator takes one more gap.
TEST_F(MeasureLayoutTest, TimeSignatureShownWhereItChanges) {
    SetTime(2, 3, kQuarterUnit);
    SetTime(3, 3, kQuarterUnit);
    SetTime(4, 12, kQuarterUnit - 1);
    UpdateBeatMaps(view_, 1);
    EXPECT_EQ(Map().slotFlags[Cell(2)] & kSlotNoTime, 0);
    EXPECT_NE(Map().slotFlags[Cell(3)] & kSlotNoTime, 0);
    EXPECT_EQ(Map().slotFlags[Cell(4)] & kSlotNoTime, 0);
    EXPECT_EQ(Map().timeX[Cell(2)], beatmap_score::kDigitAdvance + 64);
    const int twoDigits = 2 * beatmap_score::kDigitAdvance + 2 * 48;
    EXPECT_EQ(Map().timeX[Cell(4)], twoDigits + 64);
    EXPECT_EQ(Map().marginX[Cell(4)] - Map().slotX[Cell(4)], twoDigits + 3 * 64);
}

// Common and cut time keep their symbols' room, at the system's start and where the
// time changes, whether the option draws the symbols or the numbers (it changes the
// drawing, not the spacing): a key signature's last sharp stays clear of them.
TEST_F(MeasureLayoutTest, CommonAndCutTimeKeepTheirSymbolsRoom) {
    constexpr int kCommonAdvance = 200;
    constexpr int kCutAdvance = 230;
    beatmap_score::SetAdvance(doc_, beatmap_score::kCommonTimeGlyph, kCommonAdvance);
    beatmap_score::SetAdvance(doc_, beatmap_score::kCutTimeGlyph, kCutAdvance);
    SetTime(2, 2, kQuarterUnit + 1);
    SetTime(3, 4, kQuarterUnit);
    SetTime(4, 3, kQuarterUnit);
    const uint8_t symbols = Options().CommonCut;
    for (const uint8_t option : {0, 1}) {
        Options().CommonCut = option;
        UpdateBeatMaps(view_, 1);
        EXPECT_EQ(Map().timeX[Cell(1)], 512 + kCommonAdvance + 64) << int{option};
        EXPECT_EQ(Map().timeX[Cell(2)], kCutAdvance + 64) << int{option};
        EXPECT_EQ(Map().timeX[Cell(3)], kCommonAdvance + 64) << int{option};
        EXPECT_EQ(Map().timeX[Cell(4)], beatmap_score::kDigitAdvance + 64) << int{option};
    }
    Options().CommonCut = symbols;
}

// A staff whose next measure starts with another clef puts a clef change before the
// closing barline: the slot keeps room for it.
TEST_F(MeasureLayoutTest, ClefChangeAtTheEndTakesRoom) {
    for (int m = 3; m <= 12; ++m) SetClef(2, m, kBassClef);
    UpdateBeatMaps(view_, 1);
    EXPECT_EQ(Map().slotFlags[Cell(2)] & kSlotNoClefChange, 0);
    EXPECT_EQ(Map().trailSpace[Cell(2)], kClefChangeRoom);
    EXPECT_NE(Map().slotFlags[Cell(3)] & kSlotNoClefChange, 0);
    Record(2).flags |= kMeasureClefHidden;
    UpdateBeatMaps(view_, 1);
    EXPECT_EQ(Map().trailSpace[Cell(2)], 0);
}

// The clef and key at a measure's end: the cell's own value, or the change with the
// greatest tick, the first in list order among equal ticks; a missing cell has the
// values a new cell takes.
class SignatureAtEndTest : public MeasureLayoutTest {
  protected:
    ScoreObject* Place(ObjectType type, uint16_t tick, uint8_t code) {
        return PlaceChange(1, 2, type, tick, code);
    }
};

TEST_F(SignatureAtEndTest, LatestChangeOfTheCellWins) {
    SetKey(2, kKeyTwoSharps);
    EXPECT_EQ(KeyAtMeasureEnd(doc_, 1, 2), kKeyTwoSharps);
    EXPECT_EQ(ClefAtMeasureEnd(doc_, 1, 2), 0);
    Place(ObjectType::KeySignature, 2048, kKeyThreeFlats);
    Place(ObjectType::KeySignature, 512, kKeyC);
    Place(ObjectType::Clef, 1024, kBassClef);
    Place(ObjectType::Clef, 1024, 2);  // same tick, later in the list
    EXPECT_EQ(KeyAtMeasureEnd(doc_, 1, 2), kKeyThreeFlats);
    EXPECT_EQ(ClefAtMeasureEnd(doc_, 1, 2), kBassClef);
    EXPECT_EQ(KeyAtMeasureEnd(doc_, 1, 2000), kKeyC);  // no cell: the defaults
    EXPECT_EQ(ClefAtMeasureEnd(doc_, 9, 2), 0);
}

// The key change inside measure 2 makes measure 3 (back to the cell's two sharps)
// a change of key: its key signature is shown.
TEST_F(SignatureAtEndTest, ChangeInsideAMeasureCountsForTheNext) {
    SetKey(2, kKeyTwoSharps);
    SetKey(3, kKeyTwoSharps);
    UpdateBeatMaps(view_, 1);
    EXPECT_NE(Map().slotFlags[Cell(3)] & kSlotNoKey, 0);
    Place(ObjectType::KeySignature, 2048, kKeyC);
    UpdateBeatMaps(view_, 1);
    EXPECT_EQ(Map().slotFlags[Cell(3)] & kSlotNoKey, 0);
}

}  // namespace
}  // namespace ql::testing_beatmap
