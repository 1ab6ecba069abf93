// Restemming measures and voices: float mode restems every voice of the range and
// places rests by the voices in use; fixed stem modes place rests only; the view's
// location and voice mask come back; RestemFromEvent starts at its chord.
#include "core/model/document.h"
#include "core/objects/score_object.h"
#include "notes/stems/stems.h"
#include "notes/stems/stems_internal.h"
#include "notes/tests/stems/stems_fixture.h"

namespace ql::testing_stems {
namespace {

class Restem : public StemsTest {
  protected:
    static int RestPlace(const ScoreObject* rest) {
        return static_cast<int8_t>(rest->BodyBytes()[5]);  // the rest's StaffPosition
    }
    static void SetStem(EventRecord* note, bool up) {
        note->flags = static_cast<uint16_t>((note->flags & ~kEventStemFlag) |
                                            (up ? kEventStemFlag : 0));
    }
    // Wrong stems on purpose: a high quarter up and a low beamed pair down.
    void WrongStems() {
        high_ = Note(0, kCodeQuarter, -12);
        group_ = Run({1024, 1536}, kCodeEighth, 0);
        Beam(group_);
        SetStem(high_, true);
        SetStem(group_[0], false);
        SetStem(group_[1], false);
    }
    // Moves the view elsewhere, so that the restore can be seen.
    void MoveViewAway() {
        view_->currentStaff = 2;
        view_->currentMeasure = 3;
        view_->currentStaffRecord = nullptr;
        view_->currentCell = nullptr;
        view_->voiceChain = nullptr;
        view_->voiceMask = 0x03;
    }
    void ExpectViewAway() {
        EXPECT_EQ(view_->currentStaff, 2);
        EXPECT_EQ(view_->currentMeasure, 3);
        EXPECT_EQ(view_->currentStaffRecord, nullptr);
        EXPECT_EQ(view_->currentCell, nullptr);
        EXPECT_EQ(view_->voiceMask, 0x03);
    }
    EventRecord* high_ = nullptr;
    std::vector<EventRecord*> group_;
};

TEST_F(Restem, FloatModeRestemsTheRangeAndRestoresTheView) {
    WrongStems();
    ScoreObject* rest = Rest(0, 2048, kCodeQuarter);
    ASSERT_NE(rest, nullptr);
    MoveViewAway();
    RestemMeasureRange(view_, 1, 1, 1, 1);
    EXPECT_FALSE(IsUp(high_));
    EXPECT_TRUE(IsUp(group_[0]) && IsUp(group_[1]));
    ExpectGroup(group_);
    EXPECT_EQ(RestPlace(rest), -4);  // a quarter rest of a single voice
    ExpectViewAway();
}

// Fixed stem modes leave the stems as they are, but rests are still placed.
// Second marks left on notes that no longer share a chord are cleared, while the
// chord beside them keeps its own: a lone note beside a chord of a second.
TEST_F(Restem, LoneNotesLoseStaleSecondMarks) {
    EventRecord* lone = Note(0, kCodeQuarter, -2);
    lone->word2 |= kEventHeadOtherSide | 0x4000;  // as a chord with a second left it
    EventRecord* chord = Chord(1024, kCodeQuarter, {0, 1});
    RestemMeasureRange(view_, 1, 1, 1, 1);
    EXPECT_FALSE(lone->word2 & kEventHeadOtherSide);
    EXPECT_FALSE(lone->word2 & 0x4000);
    EXPECT_TRUE(chord->word2 & 0x4000);
    EXPECT_TRUE(NextEvent(chord)->word2 & 0x4000);
}

TEST_F(Restem, FixedModesOnlyPlaceRests) {
    WrongStems();
    ScoreObject* rest = Rest(0, 2048, kCodeEighth);
    State().notes.StemMode = kStemsDown;
    RestemMeasureRange(view_, 1, 1, 1, 1);
    EXPECT_TRUE(IsUp(high_));
    EXPECT_FALSE(IsUp(group_[0]));
    EXPECT_EQ(RestPlace(rest), -5);
}

// With voice 3 in use the voices share the staff: voice 1 stems up, voice 3 down,
// and voice 1's rests move to the upper row, four steps higher while voice 2 is in
// use; voice 3's rests go to the lower row.
TEST_F(Restem, VoicesInUseChooseStemsAndRestPlaces) {
    EventRecord* voice1 = Note(0, 0, kCodeQuarter, -12);
    EventRecord* voice3 = Note(2, 0, kCodeQuarter, 2);
    ScoreObject* rest1 = Rest(0, 1024, kCodeQuarter);
    ScoreObject* rest3 = Rest(2, 1024, kCodeQuarter);
    RestemMeasureRange(view_, 1, 1, 1, 1);
    EXPECT_TRUE(IsUp(voice1));
    EXPECT_FALSE(IsUp(voice3));
    EXPECT_EQ(RestPlace(rest1), -8);
    EXPECT_EQ(RestPlace(rest3), 0);
    Note(1, 0, kCodeQuarter, -2);
    Note(3, 0, kCodeQuarter, 4);
    RestemMeasureRange(view_, 1, 1, 1, 1);
    EXPECT_EQ(RestPlace(rest1), -12);
    EXPECT_EQ(RestPlace(rest3), 4);
}

// Ranges are clamped to the score (staves from 1, measures up to the spare ones),
// and cells past them are neither read nor made.
TEST_F(Restem, RangesAreClampedAndMakeNoCells) {
    WrongStems();
    CellHandleArray* cells = CellArrayOf(StaffRecordOf(doc_, 2));
    ASSERT_NE(cells, nullptr);
    const int pastTheScore = doc_->header.measureCount + kSpareMeasures + 1;
    ASSERT_FALSE(cells->cells[pastTheScore]);
    RestemMeasureRange(view_, -5, 300, -5, 5000);
    EXPECT_FALSE(cells->cells[pastTheScore]);
    EXPECT_FALSE(IsUp(high_));
    RestemMeasureRange(nullptr, 1, 1, 1, 1);
}

// RestemFromEvent restems from the event's chord to the end of the voice, groups
// included, and leaves the chords before it alone.
TEST_F(Restem, FromEventRestemsTheRestOfTheVoice) {
    WrongStems();
    EventRecord* last = Note(2048, kCodeHalf, 0);
    SetStem(last, false);
    RestemFromEvent(view_, group_[1]);  // inside the group: the whole group
    EXPECT_TRUE(IsUp(high_));
    EXPECT_TRUE(IsUp(group_[0]) && IsUp(group_[1]));
    EXPECT_TRUE(IsUp(last));
}

// A chord left with a one-sided link back to an earlier chord is no group start, so
// only the pass over every chord of a voice with beam links marks its seconds; the
// first chord of the voice has no links.
TEST_F(Restem, ChordWithALinkAfterUnbeamedChordsHasItsSecondsMarked) {
    EventRecord* lone = Note(0, kCodeQuarter, -2);
    Note(512, kCodeQuarter, -2);
    EventRecord* chord = Chord(1024, kCodeQuarter, {0, 1});
    chord->beamPrev = HandleOfEvent(lone);
    chord->word2 &= static_cast<uint16_t>(~0x4000);
    NextEvent(chord)->word2 &= static_cast<uint16_t>(~0x4000);
    RestemMeasureRange(view_, 1, 1, 1, 1);
    EXPECT_TRUE(chord->word2 & 0x4000);
    EXPECT_TRUE(NextEvent(chord)->word2 & 0x4000);
}

// A snapshot knows whether its voice has beam links; taking another voice into it
// forgets those of the one before.
TEST_F(Restem, SnapshotTellsWhetherItsVoiceHasBeamLinks) {
    EventRecord* plain = Note(1, 0, kCodeQuarter, -2);
    Note(1, 1024, kCodeQuarter, -2);
    const std::vector<EventRecord*> group = Run({0, 512, 1024}, kCodeEighth, 0);
    Beam({group[1], group[2]});
    stems::VoiceChords voice(group[0]);
    EXPECT_TRUE(voice.AnyBeamLinks());
    voice.Take(plain);
    EXPECT_EQ(voice.ChordCount(), 2);
    EXPECT_FALSE(voice.AnyBeamLinks());
    voice.Take(group[2]);
    EXPECT_TRUE(voice.AnyBeamLinks());
}

}  // namespace
}  // namespace ql::testing_stems
