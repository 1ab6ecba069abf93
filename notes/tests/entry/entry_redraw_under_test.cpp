// What lies under a note's old image comes back when the image is drawn away: the
// notes of other voices under a stem, a beam, a ledger line or a tie, the notes of the
// next measure under a tie taken away, the other staff's notes under a cross-staff
// note, and the chords of the note's own voice beside a chord drawn away alone.
#include <gtest/gtest.h>

#include <vector>

#include "core/draw/colour_sets.h"
#include "display/system_drawing.h"
#include "layout/measure_spacing.h"
#include "notes/beatmap/beat_map.h"
#include "notes/drawing/note_fields.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/respell/respell.h"
#include "notes/stems/stems.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "notes/tests/entry/measure_redraw_fixture.h"
#include "platform/win/keys.h"

namespace ql::testing_entry {
namespace {

constexpr int kThirtySecond = 7;
constexpr int kThirtySecondTicks = 128;
constexpr int kBottomLine = 0;
constexpr int kTopLedger = -12;  // two ledger lines above a five-line staff

// Pixels with ink in `fresh` and paper in `shown`: ink the screen lost.
int Lacking(const std::vector<uint32_t>& shown, const std::vector<uint32_t>& fresh) {
    EXPECT_EQ(shown.size(), fresh.size());
    int lacking = 0;
    for (size_t i = 0; i < fresh.size() && i < shown.size(); ++i) lacking += Ink(fresh[i]) && Paper(shown[i]);
    return lacking;
}

class UnderDrawnAway : public MeasureRedrawTest {
  protected:
    // A key on a chosen note, as it comes: while the view draws in the feedback colours.
    int KeyOn(EventRecord* note, win::Key key) {
        BeginViewDraw(view_);
        BeginHighlightDrawAlt3(view_);
        const int result = Key(note, static_cast<uint32_t>(key));
        EndHighlightDraw(view_);
        EndViewDraw(view_);
        return result;
    }
    int KeyOn(EventRecord* note, char letter) { return KeyOn(note, win::LetterKey(letter)); }
    // Stems of the notes by the voices' rule, then the measure shown afresh.
    void ShowWithStems(std::initializer_list<EventRecord*> notes) {
        for (EventRecord* note : notes) UpdateBeamForNote(view_, note);
        ShowMeasureAfresh();
    }
};

// Voice 0's ink is drawn away by a key and comes back changed: a stem flipped off a
// voice-1 head it crossed, a ledger line of a hidden chord through voice 1's head on
// that line, a beam broken off a voice-1 head beneath it, a tie taken off a voice-1
// head it passed over. Voice 1 stays whole each time.
TEST_F(UnderDrawnAway, AnotherVoicesNotesUnderAStemABeamALedgerLineOrATieComeBack) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    enum class Under { Stem, Ledger, Beam, Tie };
    for (const Under under : {Under::Stem, Under::Ledger, Under::Beam, Under::Tie}) {
        SCOPED_TRACE(static_cast<int>(under));
        TearDown();
        SetUp();
        UseMeasure(1);
        EventRecord* edited = nullptr;
        switch (under) {
            case Under::Stem:
                edited = Note(0, 0, kQuarter, kBottomLine);
                ShowWithStems({edited, Note(1, 0, kQuarter, kMiddleLine - 1)});
                ASSERT_EQ(KeyOn(edited, 'F'), 1);
                break;
            case Under::Ledger:
                edited = Note(0, 0, kQuarter, kTopLedger);
                ShowWithStems({edited, Note(1, 0, kQuarter, kTopLedger + 2)});
                ASSERT_EQ(KeyOn(edited, 'H'), 1);
                break;
            case Under::Beam:
                for (const int tick : {0, kEighthTicks}) {
                    PointAt(tick, kBottomLine);
                    Click();
                }
                UseMeasure(1);
                ASSERT_TRUE(IsOneGroup(Chords()));
                edited = Chords()[0];
                ShowWithStems({Note(1, kEighthTicks, kQuarter, kMiddleLine - 3)});
                ASSERT_EQ(KeyOn(edited, win::Key::Space), 1);
                break;
            case Under::Tie:
                edited = Note(0, 0, kHalf, kEntryStep);
                ShowWithStems({edited, Note(0, 2 * kQuarterTicks, kHalf, kEntryStep),
                               Note(1, kQuarterTicks, kQuarter, kEntryStep + 2)});
                ASSERT_EQ(KeyOn(edited, 'T'), 1);
                ShowMeasureAfresh();
                ASSERT_EQ(KeyOn(edited, 'T'), 1);
                break;
        }
        int missing = 0;
        EXPECT_EQ(InkLeftOver(&missing), 0);
        EXPECT_EQ(missing, 0) << "voice 1 has a gap where voice 0's ink was drawn away";
    }
}

// A tie across the barline to a note with a sharp: taking the tie away leaves the
// barline it crossed and the sharp in the next measure whole.
TEST_F(UnderDrawnAway, WhatATieTakenAwayCrossedInTheNextMeasureComesBack) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    constexpr int32_t kOnePixelStroke = 8;  // view units of a device pixel at zoom 16
    view_->LineWidth2 = kOnePixelStroke;    // barlines as the screen draws them
    const int sharp = CodeOf(AccidentalCode::Sharp);
    UseMeasure(1);
    EventRecord* start = Note(0, 0, kWhole, kEntryStep);
    SetNoteAccidentalCode(*start, sharp);
    UseMeasure(2);
    SetNoteAccidentalCode(*Note(0, 0, kQuarter, kEntryStep), sharp);
    UseMeasure(1);
    // The system's grid (staff lines, barlines, signs) and both measures' notes.
    const auto showBoth = [&] {
        OpenWindow(2 * kWidth, kHeight);
        BeginViewDraw(view_);
        DrawSystemAllStaves(view_);
        for (const int m : {2, 1}) {
            UseMeasure(m);
            DrawStaffNotesAllVoices(view_, view_->currentCell);
        }
        EndViewDraw(view_);
        return WindowPixels();
    };
    const std::vector<uint32_t> untied = showBoth();
    ASSERT_EQ(KeyOn(start, 'T'), 1);
    showBoth();
    ASSERT_EQ(KeyOn(start, 'T'), 1);
    const std::vector<uint32_t> shown = WindowPixels();
    EXPECT_EQ(Lacking(shown, untied), 0) << "the barline or the sharp under the tie has gaps";
    EXPECT_EQ(Lacking(untied, shown), 0) << "ink of the tie is left";
}

// Thirty-seconds squeezed together overlap; one respelled is drawn away alone, and
// the chords before it, which its old image covered in part, stay whole.
TEST_F(UnderDrawnAway, ChordsBesideAChordDrawnAwayAloneComeBack) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    UseMeasure(1);
    for (int i = 0; i < 8; ++i) Note(0, i * kThirtySecondTicks, kThirtySecond, kEntryStep);
    RespaceMeasure(view_, true);
    EventRecord* respelled = Chords()[3];
    SetNoteAccidentalCode(*respelled, CodeOf(AccidentalCode::Sharp));
    ShowMeasureAfresh();
    const int step = respelled->step;
    EnharmonicChangeCommand(view_, respelled, view_->currentCell, 0);
    ASSERT_NE(respelled->step, step) << "the note was not respelled";
    int missing = 0;
    EXPECT_EQ(InkLeftOver(&missing), 0);
    EXPECT_EQ(missing, 0) << "the chords beside the respelled one have gaps";
}

// A note of staff 1 shown on staff 2 crosses the stem of staff 2's own note there;
// F flips the cross-staff stem, and staff 2's note stays whole.
class UnderTwoStaves : public UnderDrawnAway {
  protected:
    static constexpr int kTallHeight = 512;
    void SetUp() override {
        UnderDrawnAway::SetUp();
        FreeDocument(doc_);
        doc_ = AllocDocument();
        ASSERT_TRUE(beatmap_score::Build(doc_, view_, 2, {1}, 4));
        UpdateBeatMaps(view_, 1);
        UseMeasure(1);
    }
    // A quarter at the start of staff 2's measure 1, stemmed by the voices' rule.
    void LowerStaffNote(int step) {
        view_->currentStaff = 2;
        view_->currentStaffRecord = StaffRecordOf(doc_, 2);
        cell_ = view_->currentCell = GetOrCreateMeasureCell(view_->currentStaffRecord, doc_, 1);
        UpdateBeamForNote(view_, Note(0, 0, kQuarter, step));
        UseMeasure(1);
    }
    // Both staves with their notes, from nothing.
    std::vector<uint32_t> FreshPicture() {
        OpenWindow(kWidth, kTallHeight);
        DrawMeasure();
        BeginViewDraw(view_);
        {
            const NoteDrawLocation lower(view_, 2, 1);
            DrawStaffNotesAllVoices(view_, view_->currentCell);
        }
        EndViewDraw(view_);
        return WindowPixels();
    }
};

TEST_F(UnderTwoStaves, TheOtherStaffsNotesUnderACrossStaffNoteComeBack) {
    if (!HaveMusicFont()) GTEST_SKIP() << "the music font is not built";
    EventRecord* note = Note(0, 0, kQuarter, kEntryStep);
    UpdateBeamForNote(view_, note);
    ASSERT_EQ(KeyOn(note, 'X'), 1);
    ASSERT_TRUE(IsCrossStaff(*note));
    LowerStaffNote(kMiddleLine - 3);
    FreshPicture();
    ASSERT_EQ(KeyOn(note, 'F'), 1);
    const std::vector<uint32_t> shown = WindowPixels();
    EXPECT_EQ(Lacking(shown, FreshPicture()), 0) << "staff 2's note has a gap where the cross-staff stem was";
}

}  // namespace
}  // namespace ql::testing_entry
