// Stem directions of single chords: the distance from the middle line by line
// count (one-line staves pinned), the pitch rule and its ties, the voice rule, the
// stem modes and the keep-direction flag, and what a direction writes into a chord.
#include "notes/stems/stems.h"
#include "notes/tests/stems/stems_fixture.h"

namespace ql::testing_stems {
namespace {

constexpr int kMiddle = -4;  // the middle line of a five-line staff

using StemDirection = StemsTest;

// d = step minus the middle line, positive below it; the middle line moves with
// the line count, and a missing staff record counts as five lines.
TEST_F(StemDirection, DistanceFromMiddleFollowsLineCount) {
    EXPECT_EQ(StemDistanceFromMiddle(nullptr, kMiddle), 0);
    EXPECT_EQ(StemDistanceFromMiddle(nullptr, 0), 4);
    SetStaffLines(5);
    EXPECT_EQ(StemDistanceFromMiddle(view_->currentStaffRecord, 0), 4);   // bottom line
    EXPECT_EQ(StemDistanceFromMiddle(view_->currentStaffRecord, -8), -4); // top line
    SetStaffLines(3);  // lines at -2, -4, -6: the middle line is -4 again
    EXPECT_EQ(StemDistanceFromMiddle(view_->currentStaffRecord, 0), 4);
    SetStaffLines(2);  // lines at -2 and -4: the middle is -3
    EXPECT_EQ(StemDistanceFromMiddle(view_->currentStaffRecord, 0), 3);
    SetStaffLines(6);  // middle line one step higher than on five lines
    EXPECT_EQ(StemDistanceFromMiddle(view_->currentStaffRecord, 0), 5);
}

// One-line and no-line staves take the distance the other way round: a note above
// the line gets its stem up and one below gets it down (single-line percussion).
// This is deliberate; a five-line staff does the opposite for the same steps.
TEST_F(StemDirection, OneLineStaffPointsStemsAwayFromTheLine) {
    for (int lines : {1, 0}) {
        SetStaffLines(lines);
        EXPECT_EQ(StemDistanceFromMiddle(view_->currentStaffRecord, -5), 1) << lines;
        EXPECT_EQ(StemDistanceFromMiddle(view_->currentStaffRecord, -3), -1) << lines;
    }
    SetStaffLines(1);
    EventRecord* above = Note(0, kCodeQuarter, -5);
    EventRecord* below = Note(1024, kCodeQuarter, -3);
    EXPECT_EQ(ComputeNoteStemDirection(view_, above), 1);
    EXPECT_EQ(ComputeNoteStemDirection(view_, below), 0);
    SetStaffLines(5);
    EXPECT_EQ(ComputeNoteStemDirection(view_, above), 0);
    EXPECT_EQ(ComputeNoteStemDirection(view_, below), 1);
    EXPECT_FALSE(IsUp(above));
    EXPECT_TRUE(IsUp(below));
}

// The farther side of the middle line decides; equal extremes go by the sum; a
// perfect balance keeps the direction of the chord before (down for the first).
TEST_F(StemDirection, PitchRuleAndItsTies) {
    EventRecord* low = Note(0, kCodeQuarter, 0);           // d = 4
    EventRecord* high = Note(1024, kCodeQuarter, -9);      // d = -5
    EventRecord* middle = Note(2048, kCodeQuarter, kMiddle);  // d = 0, after a down stem
    EXPECT_EQ(ComputeNoteStemDirection(view_, low), 1);
    EXPECT_EQ(ComputeNoteStemDirection(view_, high), 0);
    EXPECT_EQ(ComputeNoteStemDirection(view_, middle), 0);
    // Extremes +3 and -3 with sum 0 follow the chord before.
    EventRecord* balanced = Chord(3072, kCodeQuarter, {-7, -1});
    high->flags |= kEventStemFlag;  // not the chord before (that is `middle`)
    middle->flags |= kEventStemFlag;
    EXPECT_EQ(ComputeNoteStemDirection(view_, balanced), 1);
    middle->flags &= static_cast<uint16_t>(~kEventStemFlag);
    EXPECT_EQ(ComputeNoteStemDirection(view_, balanced), 0);
    // Extremes -5 and +3: the note above is farther, stems down.
    EventRecord* chord = Chord(3584, kCodeEighth, {-9, -1});
    EXPECT_EQ(ComputeNoteStemDirection(view_, chord), 0);
}

// A chord whose head is hidden (word2 bit 12) is not counted: it keeps the
// direction of the chord before, whatever its pitch.
TEST_F(StemDirection, HiddenHeadIsLeftOutOfTheCount) {
    EventRecord* before = Note(0, kCodeQuarter, 0);
    EventRecord* hidden = Note(1024, kCodeQuarter, -12);  // far above: down if counted
    hidden->word2 |= 0x1000;
    EXPECT_EQ(ComputeNoteStemDirection(view_, before), 1);
    EXPECT_EQ(ComputeNoteStemDirection(view_, hidden), 1);
    before->flags &= static_cast<uint16_t>(~kEventStemFlag);
    hidden->word2 &= static_cast<uint16_t>(~0x1000);
    EXPECT_EQ(ComputeNoteStemDirection(view_, hidden), 0);
}

// With another voice in use (or a voice shown by mask) stems follow the voice:
// voices 1 and 2 up, voices 3 and 4 down, whatever the pitches.
TEST_F(StemDirection, OtherVoicesMakeStemsFollowTheVoice) {
    EventRecord* high = Note(0, 0, kCodeQuarter, -12);
    EventRecord* lowVoice3 = Note(2, 0, kCodeQuarter, 2);
    view_->voiceMask = 0;
    EXPECT_EQ(ComputeNoteStemDirection(view_, high), 1);  // voice 3 holds a note
    view_->voiceMask = 0x04;
    EXPECT_EQ(ComputeNoteStemDirection(view_, lowVoice3), 0);
    view_->voiceMask = 0x08;  // voice 4 edited: down as well
    EXPECT_EQ(ComputeNoteStemDirection(view_, lowVoice3), 0);
    // Voice 2 holding notes has the same effect on voice 1.
    UseCell(1, 2);
    EventRecord* alone = Note(0, 0, kCodeQuarter, -12);
    view_->voiceMask = 0;
    EXPECT_EQ(ComputeNoteStemDirection(view_, alone), 0);  // pitch rule: high, down
    Note(1, 0, kCodeQuarter, 0);
    EXPECT_EQ(ComputeNoteStemDirection(view_, alone), 1);
    view_->voiceMask = 0x04;
    EXPECT_EQ(ComputeNoteStemDirection(view_, alone), 0);
}

// A voice mask shown in the view has the same effect as another voice in use; a
// rest element in another voice counts as that voice being used.
TEST_F(StemDirection, DisplayMaskAndRestsAlsoSelectTheVoiceRule) {
    EventRecord* high = Note(0, kCodeQuarter, -12);
    EXPECT_EQ(ComputeNoteStemDirection(view_, high), 0);
    view_->voiceDisplayMask = 0x01;
    EXPECT_EQ(ComputeNoteStemDirection(view_, high), 1);
    view_->voiceDisplayMask = 0;
    ASSERT_NE(Rest(3, 0, kCodeQuarter), nullptr);
    EXPECT_EQ(ComputeNoteStemDirection(view_, high), 1);
}

// Stem modes 1 and 2 override pitch and voice; mode 0 leaves the rule alone; the
// keep-direction flag overrides the mode.
TEST_F(StemDirection, StemModesAndTheKeepDirectionFlag) {
    EventRecord* high = Note(0, kCodeQuarter, -12);
    EventRecord* low = Note(1024, kCodeQuarter, 2);
    NotesGlobals& notes = State().notes;
    notes.StemMode = kStemsFloat;
    EXPECT_EQ(ComputeNoteStemDirection(view_, high), 0);
    EXPECT_EQ(ComputeNoteStemDirection(view_, low), 1);
    notes.StemMode = kStemsUp;
    EXPECT_EQ(ComputeNoteStemDirection(view_, high), 1);
    notes.StemMode = kStemsDown;
    EXPECT_EQ(ComputeNoteStemDirection(view_, low), 0);
    notes.StemMode = kStemsUp;
    notes.KeepStemDirection = 1;
    notes.KeptStemDirection = 0;
    EXPECT_EQ(ComputeNoteStemDirection(view_, low), 0);
    notes.KeptStemDirection = 1;
    notes.StemMode = kStemsDown;
    EXPECT_EQ(ComputeNoteStemDirection(view_, high), 1);
}

// Applying a direction: the head owns the stem and records the span to the last
// note; the others take its direction and value and lose the owner bit; notes a
// second apart are put on the far side, counted from the stem's end note.
TEST_F(StemDirection, DirectionIsWrittenIntoEveryNoteOfTheChord) {
    EventRecord* head = Chord(0, kCodeEighth, {0, 2, 3});
    EventRecord* middle = NextEvent(head);
    EventRecord* last = NextEvent(middle);
    middle->duration = kCode16th;
    middle->flags |= kEventChordHead;
    EXPECT_EQ(ComputeNoteStemDirection(view_, middle), 1);  // all below the middle
    for (EventRecord* note : {head, middle, last}) {
        EXPECT_TRUE(IsUp(note));
        EXPECT_EQ(note->duration, kCodeEighth);
        EXPECT_TRUE(note->word2 & 0x4000) << "chord holds a second";
    }
    EXPECT_TRUE(head->flags & kEventChordHead);
    EXPECT_FALSE(middle->flags & kEventChordHead);
    EXPECT_EQ((head->stemWord & kStemFieldMask) >> kStemFieldShift, 3);
    // Stem up: walking up from the lowest note, step 2 sits a second above step 3.
    EXPECT_FALSE(last->word2 & kEventHeadOtherSide);
    EXPECT_TRUE(middle->word2 & kEventHeadOtherSide);
    EXPECT_FALSE(head->word2 & kEventHeadOtherSide);
    // Stem down: walking down from the top note, step 3 goes to the far side.
    State().notes.StemMode = kStemsDown;
    EXPECT_EQ(ComputeNoteStemDirection(view_, head), 0);
    EXPECT_FALSE(middle->word2 & kEventHeadOtherSide);
    EXPECT_TRUE(last->word2 & kEventHeadOtherSide);
}

// A chord without seconds clears both second bits; a run of three adjacent steps
// alternates sides.
TEST_F(StemDirection, SecondsAlternateAndClearAgain) {
    EventRecord* head = Chord(0, kCodeQuarter, {0, 1, 2});
    State().notes.StemMode = kStemsDown;
    ComputeNoteStemDirection(view_, head);
    EventRecord* second = NextEvent(head);
    EventRecord* third = NextEvent(second);
    EXPECT_FALSE(head->word2 & kEventHeadOtherSide);
    EXPECT_TRUE(second->word2 & kEventHeadOtherSide);
    EXPECT_FALSE(third->word2 & kEventHeadOtherSide);
    third->step = 5;  // no seconds left
    second->step = 3;
    ComputeNoteStemDirection(view_, head);
    for (EventRecord* note : {head, second, third}) EXPECT_EQ(note->word2 & 0xC000, 0);
}

// A value below the table becomes a plain eighth when stems are computed.
TEST_F(StemDirection, CodesBelowTheTableBecomeEighths) {
    EventRecord* note = Note(0, 2, 0);
    note->word2 |= 0x0003;
    ComputeNoteStemDirection(view_, note);
    EXPECT_EQ(note->duration, kCodeEighth);
    EXPECT_EQ(note->word2 & kEventDotsMask, 0);
}

// Stem lengths of a chord standing alone: seven steps, or down to the middle line,
// longer for flags of short values; small sizes use their own base.
TEST_F(StemDirection, StemLengthOfAChordStandingAlone) {
    struct Case {
        int code, step, mode, length;
    } cases[] = {
        {kCodeEighth, 0, kStemsUp, -448},    // seven steps up
        {kCodeEighth, 6, kStemsUp, -640},    // reaches the middle line
        {kCodeQuarter, -14, kStemsDown, 640},
        {kCode32nd, 0, kStemsUp, -512},
        {6, 0, kStemsUp, -608},              // a 64th
        {kCode128th, 0, kStemsUp, -672},
        {kCodeQuarter, 0, kStemsDown, 448},
    };
    int time = 0;
    for (const Case& c : cases) {
        State().notes.StemMode = static_cast<uint8_t>(c.mode);
        EventRecord* note = Note(time, c.code, c.step);
        time += 1024;
        ComputeNoteStemDirection(view_, note);
        EXPECT_EQ(note->stemLength, c.length) << "code " << c.code << " step " << c.step;
    }
    State().notes.StemMode = kStemsDown;
    EventRecord* petite = Chord(time, kCodeEighth, {0, 2});
    petite->flags |= 1 << 4;
    ComputeNoteStemDirection(view_, petite);
    EXPECT_EQ(petite->stemLength, 2 * 64 + 336);  // span plus the petite base
}

}  // namespace
}  // namespace ql::testing_stems
