// What a measure shows after a note is entered beside others, respelled or tied: the
// old image goes first, so a note that joins a beam group leaves no flag of the note
// it joined, a respelled note no head or stem where it was, a deleted note nothing of
// the notes that moved, a tie shows as soon as it is made and leaves nothing once
// taken away, and the screen matches the measure drawn afresh, without even the grey
// edges of a glyph drawn away.
#include <gtest/gtest.h>

#include <initializer_list>
#include <utility>
#include <vector>

#include "core/draw/colour_sets.h"
#include "core/state.h"
#include "display/hit_test.h"
#include "notes/beatmap/beat_map.h"
#include "notes/drawing/note_fields.h"
#include "notes/entry/note_delete.h"
#include "notes/entry/note_drag.h"
#include "notes/entry/note_edits.h"
#include "notes/respell/respell.h"
#include "notes/stems/stems.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "notes/tests/entry/entry_fixture.h"
#include "notes/tests/entry/measure_redraw_fixture.h"
#include "notes/ties/ties.h"
#include "platform/win/keys.h"

namespace ql::testing_entry {
namespace {

constexpr int32_t kDragUp = 200;  // view units: a few steps

class EntryRedraw : public MeasureRedrawTest {
  protected:
    // Notes entered by clicks at (tick, step) of measure 1, then the window opened
    // again on the measure drawn afresh: the screen an edit starts from.
    void EnterAndShowAfresh(std::initializer_list<std::pair<int, int>> notes) {
        ShowFirstMeasure();
        for (const auto& [tick, step] : notes) {
            PointAt(tick, step);
            Click();
        }
        ShowMeasureAfresh();
    }
    // A key on a chosen note, which comes while the view draws in the feedback colours
    // (marks made by inverting).
    int KeyWhileChosen(EventRecord* note, win::Key key, bool ctrl = false) {
        BeginViewDraw(view_);
        BeginHighlightDrawAlt3(view_);
        const int result = Key(note, static_cast<uint32_t>(key), ctrl);
        EndHighlightDraw(view_);
        EndViewDraw(view_);
        return result;
    }
    // Ties a whole note of measure 1 to a note of the same step in measure 2 and takes
    // the tie away again; the screen must be the two measures drawn afresh.
    void ShowTieTakenAway(int step);
    int KeyWhileChosen(EventRecord* note, char letter) { return KeyWhileChosen(note, win::LetterKey(letter)); }
};

TEST_F(EntryRedraw, ASecondEighthLeavesNoFlagOnTheFirst) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    ShowFirstMeasure();
    PointAt(0, kEntryStep);
    Click();
    PointAt(kEighthTicks, kEntryStep);
    Click();
    ASSERT_EQ(Chords().size(), 2u);
    ASSERT_TRUE(IsOneGroup(Chords())) << "the two eighths were not beamed";
    int missing = 0;
    int grey = 0;
    EXPECT_EQ(InkLeftOver(&missing, &grey), 0)
        << "ink where the measure has paper (the first note's flag) is left on the screen";
    EXPECT_EQ(grey, 0) << "the edges of the first note's flag are left in grey";
    EXPECT_EQ(missing, 0) << "the staff lines under the flag did not come back";
}

// A ninth eighth is refused in a full measure: the voice drawn away before the
// check comes back whole.
TEST_F(EntryRedraw, ARefusedNoteLeavesTheVoiceOnTheScreen) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    ShowFirstMeasure();
    PointAt(0, kEntryStep);
    for (int i = 0; i < 8; ++i) Click();  // the pointer moves on after each note
    UseMeasure(1);
    ASSERT_EQ(Chords().size(), 8u);
    PointAt(4000, kEntryStep);  // clear of the last note, which it would join
    Click();
    ASSERT_EQ(view_->currentMeasure, 1);
    ASSERT_EQ(Voice().size(), 8u) << "the ninth note went in";
    int missing = 0;
    EXPECT_EQ(InkLeftOver(&missing), 0);
    EXPECT_EQ(missing, 0) << "the voice is missing from the screen after the refusal";
}

// The A below the middle line respelled as B double flat: the head moves up a step,
// the stem turns down and an accidental comes; nothing of the A stays.
TEST_F(EntryRedraw, AnEnharmonicChangeLeavesNothingOfTheOldSpelling) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    ShowFirstMeasure();
    PointAt(0, kEntryStep);
    Click();
    ASSERT_EQ(Voice().size(), 1u);
    EventRecord* note = Voice()[0];
    const int step = note->step;
    EnharmonicChangeCommand(view_, note, view_->currentCell, 0);
    ASSERT_NE(note->step, step) << "the note was not respelled";
    int missing = 0;
    int grey = 0;
    EXPECT_EQ(InkLeftOver(&missing, &grey), 0) << "ink of the old spelling is left on the screen";
    EXPECT_EQ(grey, 0) << "the edges of the old head and stem are left in grey";
    EXPECT_EQ(missing, 0);
}

// A note respelled before a G two chords later: the G's sign is what the change
// makes of it, on the note and at once on the screen. An A flat respelled as G sharp
// makes the G sharp's own sign redundant; a G sharp respelled as A flat leaves the
// later G, which carried its sharp, needing a sign of its own. The chord between (a
// B) and the chords themselves stand apart, unbeamed.
TEST_F(EntryRedraw, AnEnharmonicChangeRedrawsTheSignsItChangesLaterInTheMeasure) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    constexpr int kA = kEntryStep;
    constexpr int kG = kEntryStep + 1;
    constexpr int kB = kEntryStep - 1;
    constexpr int kSharp = CodeOf(AccidentalCode::Sharp);
    constexpr int kFlat = CodeOf(AccidentalCode::Flat);
    constexpr int kNone = CodeOf(AccidentalCode::None);
    struct Case {
        int firstStep, firstCode, laterCode, laterCodeAfter;
        const char* what;
    };
    for (const Case& c : {Case{kA, kFlat, kSharp, kNone, "a sign made redundant"},
                          Case{kG, kSharp, kNone, kSharp, "a sign made needed"}}) {
        SCOPED_TRACE(c.what);
        UseMeasure(1);
        OpenWindow(kWidth, kHeight);
        DrawMeasure();
        for (const auto& [tick, step] : {std::pair{0, c.firstStep}, std::pair{kQuarterTicks, kB},
                                         std::pair{2 * kQuarterTicks, kG}}) {
            PointAt(tick, step);
            Click();
        }
        UseMeasure(1);
        const std::vector<EventRecord*> chords = Chords();
        ASSERT_EQ(chords.size(), 3u);
        for (size_t i = 0; i + 1 < chords.size(); ++i) {
            if (!chords[i]->beamNext) continue;
            ASSERT_EQ(BreakBeamGroup(view_, chords[i], chords[i + 1]), 1);
        }
        EventRecord* first = chords[0];
        EventRecord* later = chords[2];
        SetNoteAccidentalCode(*first, c.firstCode);
        SetNoteAccidentalCode(*later, c.laterCode);
        OpenWindow(kWidth, kHeight);
        DrawMeasure();
        EnharmonicChangeCommand(view_, first, view_->currentCell, 0);
        ASSERT_EQ(NoteAccidentalCode(*later), c.laterCodeAfter);
        int missing = 0;
        EXPECT_EQ(InkLeftOver(&missing), 0) << "the later note's old sign is left on the screen";
        EXPECT_EQ(missing, 0) << "the later note's new sign is missing from the screen";
        FreeCellVoices(view_->currentCell, doc_, 0);
    }
}

// A note deleted from between two others closes the gap: the notes after it move
// left, and nothing of them, not even the soft edges of their glyphs, stays where
// they were.
TEST_F(EntryRedraw, ADeletedNoteLeavesNoGreyWhereTheNotesAfterItWere) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    EnterAndShowAfresh({{0, kEntryStep}, {kEighthTicks, kMiddleLine}, {2 * kEighthTicks, kEntryStep}});
    ASSERT_EQ(Chords().size(), 3u);
    ASSERT_EQ(DeleteNote(view_, Chords()[1], true, 0), 1);
    int missing = 0;
    int grey = 0;
    EXPECT_EQ(InkLeftOver(&missing, &grey), 0);
    EXPECT_EQ(grey, 0) << "grey edges of the moved notes are left on the screen";
    EXPECT_EQ(missing, 0);
}

// T on a chosen note ties it to the next note of its pitch: the tie is on the screen
// at once, in ink even though the key came in the feedback colours, not only once
// the measure is painted again; T again takes it off the screen.
TEST_F(EntryRedraw, TheTKeyShowsTheTieAtOnceAndTakesItAwayAgain) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    EnterAndShowAfresh({{0, kEntryStep}, {2 * kQuarterTicks, kEntryStep}});
    ASSERT_EQ(Chords().size(), 2u);
    EventRecord* first = Chords()[0];
    ASSERT_EQ(KeyWhileChosen(first, 'T'), 1);
    ASSERT_NE(FindNoteTie(first), nullptr) << "no tie was made";
    int missing = 0;
    EXPECT_EQ(InkLeftOver(&missing), 0);
    EXPECT_EQ(missing, 0) << "the tie is not on the screen";
    ASSERT_EQ(KeyWhileChosen(first, 'T'), 1);
    ASSERT_EQ(FindNoteTie(first), nullptr) << "the tie was not taken away";
    EXPECT_EQ(InkLeftOver(&missing), 0) << "the tie is left on the screen";
    EXPECT_EQ(missing, 0);
}

// A head dragged up the staff takes its new step: the old head and stem go, leaving
// neither grey edges nor gaps in the staff lines they lay on.
TEST_F(EntryRedraw, ADraggedHeadLeavesNoGreyAndTheStaffLinesWhole) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    EnterAndShowAfresh({{0, kEntryStep}, {kQuarterTicks, kEntryStep}});
    ASSERT_EQ(Chords().size(), 2u);
    EventRecord* note = Chords()[0];
    const int step = note->step;
    const LogicalPoint from = GetEventPosition(note, view_);
    ASSERT_EQ(CommitNoteDrag(view_, note, from, LogicalPoint{from.x, from.y - kDragUp}), 1);
    ASSERT_NE(Chords()[0]->step, step) << "the drag did not change the pitch";
    int missing = 0;
    int grey = 0;
    EXPECT_EQ(InkLeftOver(&missing, &grey), 0);
    EXPECT_EQ(grey, 0) << "grey edges of the head where it was";
    EXPECT_EQ(missing, 0) << "the staff lines under the old head have gaps";
}

// Keys that take something off a chosen note show it at once: dots cycled back to
// none, staccato set and cleared, the stem flipped down. Each leaves nothing of the
// old image, not even grey edges.
TEST_F(EntryRedraw, KeysThatTakeMarksAwayLeaveNothingOfThem) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    const struct {
        const char* keys;
        const char* what;
    } cases[] = {{"DDDD", "dots cycled back to none"}, {"SS", "staccato set and cleared"}, {"F", "stem flipped"}};
    for (const auto& c : cases) {
        TearDown();
        SetUp();
        EnterAndShowAfresh({{0, kEntryStep}});
        ASSERT_EQ(Chords().size(), 1u);
        for (const char* k = c.keys; *k != 0; ++k) ASSERT_EQ(KeyWhileChosen(Chords()[0], *k), 1) << c.what;
        int missing = 0;
        int grey = 0;
        EXPECT_EQ(InkLeftOver(&missing, &grey), 0) << c.what << ": old ink left on the screen";
        EXPECT_EQ(grey, 0) << c.what << ": grey edges left on the screen";
        EXPECT_EQ(missing, 0) << c.what;
    }
}

// A tie across the barline taken away by T leaves nothing of its part in the next
// measure, and that measure's staff lines and notes stay whole: on a space, and on
// heads whose ties cross the lines of the next measure.
TEST_F(EntryRedraw, ATieAcrossTheBarlineGoesWholeFromTheScreen) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    for (const int step : {kEntryStep, kMiddleLine, kMiddleLine + 2}) {
        SCOPED_TRACE(step);
        TearDown();
        SetUp();
        ShowTieTakenAway(step);
    }
}

void EntryRedraw::ShowTieTakenAway(int step) {
    EventRecord* start = Note(0, 0, kWhole, step);
    UseMeasure(2);
    Note(0, 0, kQuarter, step);
    UseMeasure(1);
    const auto drawBoth = [&] {
        OpenWindow(kWidth, kHeight);
        for (int m : {2, 1}) {
            UseMeasure(m);
            DrawMeasure();
        }
    };
    drawBoth();
    ASSERT_EQ(KeyWhileChosen(start, 'T'), 1);
    ASSERT_NE(FindNoteTie(start), nullptr);
    drawBoth();
    const std::vector<uint32_t> tied = WindowPixels();
    ASSERT_EQ(KeyWhileChosen(start, 'T'), 1);
    ASSERT_EQ(FindNoteTie(start), nullptr);
    const std::vector<uint32_t> shown = WindowPixels();
    drawBoth();
    const std::vector<uint32_t> fresh = WindowPixels();
    ASSERT_EQ(shown.size(), fresh.size());
    int tiePixels = 0;
    int changed = 0;
    for (size_t i = 0; i < fresh.size(); ++i) {
        tiePixels += tied[i] != fresh[i];
        changed += shown[i] != fresh[i];
    }
    EXPECT_GT(tiePixels, 20) << "no tie was drawn";
    EXPECT_EQ(changed, 0) << "the screen differs from both measures drawn afresh";
}

// Keys that reshape a chosen note draw its old image away before the new one: an
// octave added below turns the stem of a high eighth up (its stem and flag pointing
// down must go), a fret number replaces the head, and Space breaks a beam into two
// flags. The screen then matches the measure drawn afresh.
TEST_F(EntryRedraw, KeysThatReshapeANoteDrawItsOldImageAway) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    constexpr int kHighStep = kMiddleLine - 3;
    const struct {
        std::initializer_list<std::pair<int, int>> notes;
        win::Key key;
        bool ctrl;
        const char* what;
    } cases[] = {{{{0, kHighStep}}, win::DigitKey(8), false, "an octave added below"},
                 {{{0, kEntryStep}}, win::DigitKey(3), true, "fret 3 on the head"},
                 {{{0, kEntryStep}, {kEighthTicks, kEntryStep}}, win::Key::Space, false, "the beam broken"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TearDown();
        SetUp();
        EnterAndShowAfresh(c.notes);
        ASSERT_EQ(Chords().size(), c.notes.size());
        const std::vector<uint8_t> before = PoolBytes();
        ASSERT_EQ(KeyWhileChosen(Chords()[0], c.key, c.ctrl), 1);
        ASSERT_NE(PoolBytes(), before) << "the key changed nothing";
        int missing = 0;
        int grey = 0;
        EXPECT_EQ(InkLeftOver(&missing, &grey), 0) << "ink of the old image left on the screen";
        EXPECT_EQ(grey, 0) << "grey edges of the old image left on the screen";
        EXPECT_EQ(missing, 0) << "the new image is not on the screen";
    }
}

// A note of voice 1 a step below a note of voice 0 shares the box of its head: an
// edit of the voice-0 note takes that box off the paper, whether its voice is drawn
// away (a key) or its chord alone (the enharmonic change), and voice 1's head comes
// back whole.
TEST_F(EntryRedraw, AnotherVoicesHeadInsideABoxDrawnAwayComesBack) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    for (const bool wholeVoice : {true, false}) {
        SCOPED_TRACE(wholeVoice ? "staccato key" : "enharmonic change");
        TearDown();
        SetUp();
        EventRecord* upper = Note(0, 0, kQuarter, kEntryStep);
        EventRecord* lower = Note(1, 0, kQuarter, kEntryStep + 1);
        for (EventRecord* note : {upper, lower}) UpdateBeamForNote(view_, note);  // stems by the voices' rule
        OpenWindow(kWidth, kHeight);
        DrawMeasure();
        const std::vector<uint8_t> before = PoolBytes();
        if (wholeVoice) {
            ASSERT_EQ(KeyWhileChosen(upper, 'S'), 1);
        } else {
            EnharmonicChangeCommand(view_, upper, view_->currentCell, 0);
        }
        ASSERT_NE(PoolBytes(), before) << "the note was not changed";
        int missing = 0;
        int grey = 0;
        EXPECT_EQ(InkLeftOver(&missing, &grey), 0);
        EXPECT_EQ(missing, 0) << "voice 1's head has a hole where voice 0's ink was drawn away";
        EXPECT_EQ(grey, 0);
    }
}

// X on a chosen note of the upper of two staves shows it on the lower staff at once,
// and nothing of it stays on its own staff.
class EntryRedrawTwoStaves : public EntryRedraw {
  protected:
    static constexpr int kTallHeight = 512;
    void SetUp() override {
        EntryRedraw::SetUp();
        FreeDocument(doc_);
        doc_ = AllocDocument();
        ASSERT_TRUE(beatmap_score::Build(doc_, view_, 2, {1}, 4));
        UpdateBeatMaps(view_, 1);
        UseMeasure(1);
    }
    // Both staves' lines and the notes of staff 1, from nothing.
    std::vector<uint32_t> FreshPicture() {
        OpenWindow(kWidth, kTallHeight);
        DrawMeasure();
        return WindowPixels();
    }
};

TEST_F(EntryRedrawTwoStaves, TheXKeyMovesTheNoteToTheOtherStaffAtOnce) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    EventRecord* note = Note(0, 0, kQuarter, kEntryStep);
    const std::vector<uint32_t> own = FreshPicture();
    ASSERT_EQ(KeyWhileChosen(note, 'X'), 1);
    ASSERT_NE(note->flags & kNoteCrossStaff, 0) << "the note did not go to the other staff";
    const std::vector<uint32_t> shown = WindowPixels();
    const std::vector<uint32_t> fresh = FreshPicture();
    ASSERT_EQ(shown.size(), fresh.size());
    int moved = 0;
    int leftOver = 0;
    int lacking = 0;
    for (size_t i = 0; i < fresh.size(); ++i) {
        moved += Ink(own[i]) != Ink(fresh[i]);
        leftOver += Ink(shown[i]) && Paper(fresh[i]);
        lacking += Ink(fresh[i]) && Paper(shown[i]);
    }
    EXPECT_GT(moved, 100) << "the note drawn on the other staff looks as it did";
    EXPECT_EQ(leftOver, 0) << "the note is left on its own staff";
    EXPECT_EQ(lacking, 0) << "the note is not shown on the other staff";
}

}  // namespace
}  // namespace ql::testing_entry
