// The parts of note drawing one at a time, read from the draw-call log: ledger lines
// by staff lines and chord, stems and flags by head kind, value and size class, the
// size classes of the music font, and the damaged notes that are left out.
#include <algorithm>

#include "core/draw/draw_surface.h"
#include "core/draw/painting_guard.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "notes/drawing/notation_font.h"
#include "notes/drawing/note_draw.h"
#include "notes/drawing/note_fields.h"
#include "notes/drawing/note_redraw.h"
#include "notes/drawing/stem_draw.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/tests/drawing/notedraw_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_notedraw {
namespace {

constexpr uint16_t kStaffLinesMask = 0x0F00;
constexpr int kStaffLinesShift = 8;

class NoteParts : public NoteDrawTest {
  protected:
    void SetUp() override {
        NoteDrawTest::SetUp();
        if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
        BuildScore(1, 2, kPlainZoom);
        UseRecordingSurface();
    }
    void SetLines(int lines) {
        StaffRecord* staff = StaffRecordOf(doc_, 1);
        staff->flags =
            static_cast<uint16_t>((staff->flags & ~kStaffLinesMask) | (lines << kStaffLinesShift));
    }
    // Draws the chord of `first` alone and returns the positions of its ledger lines.
    std::vector<int> LedgerPositions(EventRecord* first) {
        log_.clear();
        BeginViewDraw(view_);
        {
            const NoteDrawLocation location(view_, 1, 1);
            DrawChord(first, view_);
        }
        EndViewDraw(view_);
        std::vector<int> positions;
        for (const InkCall& call : Calls(InkPart::Ledger))
            positions.push_back((call.points[0].y - BottomY(1)) / kStep);
        return positions;
    }
    EventRecord* Alone(int time, int code, int step) {
        EventRecord* note = Note(1, 1, 0, time, code, step);
        Restem(1, 1);
        return note;
    }
};

// Five lines (top line -8, bottom 0): lines only at line positions beyond the staff.
TEST_F(NoteParts, LedgerLinesOfAFiveLineStaff) {
    EXPECT_EQ(LedgerPositions(Alone(0, kCodeQuarter, -12)), (std::vector<int>{-12, -10}));
    EXPECT_EQ(LedgerPositions(Alone(1024, kCodeQuarter, 2)), (std::vector<int>{2}));
    EXPECT_TRUE(LedgerPositions(Alone(2048, kCodeQuarter, -9)).empty());  // -8 is the top line
    EXPECT_EQ(LedgerPositions(Alone(3072, kCodeQuarter, -10)), (std::vector<int>{-10}));
}

// A chord at -14 and -12 draws each line once: -14, -12, -10.
TEST_F(NoteParts, LedgerLinesOfAChordAreDrawnOnce) {
    EXPECT_EQ(LedgerPositions(Chord(1, 1, 0, kCodeQuarter, {-14, -12})),
              (std::vector<int>{-14, -12, -10}));
}

// One line: position -4 is both outer lines; two lines: -4 and -2; the limit of 50
// steps holds for a note far outside.
TEST_F(NoteParts, LedgerLinesFollowTheStaffLines) {
    SetLines(1);
    EXPECT_EQ(LedgerPositions(Alone(0, kCodeQuarter, -8)), (std::vector<int>{-8, -6}));
    EXPECT_EQ(LedgerPositions(Alone(1024, kCodeQuarter, 0)), (std::vector<int>{0, -2}));
    SetLines(2);
    EXPECT_EQ(LedgerPositions(Alone(2048, kCodeQuarter, -6)), (std::vector<int>{-6}));
    EXPECT_EQ(LedgerPositions(Alone(3072, kCodeQuarter, 0)), (std::vector<int>{0}));
    SetLines(5);
    const std::vector<int> far = LedgerPositions(Note(1, 2, 0, 0, kCodeQuarter, -60));
    ASSERT_FALSE(far.empty());
    EXPECT_EQ(far.front(), -kLedgerLineLimit);
}

// A whole note draws no stem; repeat heads (15..18) neither stem nor flag; a grace
// slash needs the grace size class.
TEST_F(NoteParts, StemsByHeadKindAndValue) {
    EventRecord* whole = Alone(0, kCodeWhole, -4);
    EventRecord* repeat = Alone(2048, kCodeEighth, -4);
    SetNoteHeadKind(*repeat, kFirstRepeatHead);
    EventRecord* petiteSlash = Alone(3072, kCodeEighth, -4);
    petiteSlash->flags |=
        static_cast<uint16_t>(static_cast<int>(NoteSizeClass::Petite) << kNoteSizeClassShift);
    petiteSlash->stemWord |= kStemGraceSlash;
    DrawCell(1, 1);
    EXPECT_EQ(Calls(InkPart::Stem).size(), 1u);  // the petite eighth's
    EXPECT_EQ(Calls(InkPart::Flag).size(), 1u);
    EXPECT_TRUE(Calls(InkPart::Slash).empty());
    EXPECT_EQ(whole->stemLength, 448);  // laid out, but not drawn
}

// The attachment correction of shaped heads moves the stem's note end.
TEST_F(NoteParts, ShapedHeadsCorrectTheirStemAttachment) {
    EventRecord* note = Alone(0, kCodeQuarter, -2);  // stem up
    const int32_t plain = [&] {
        DrawCell(1, 1);
        return Calls(InkPart::Stem).at(0).points[1].y;
    }();
    for (int kind : {1, 3, 4, 6}) {
        SetNoteHeadKind(*note, kind);
        log_.clear();
        DrawCell(1, 1);
        EXPECT_EQ(Calls(InkPart::Stem).at(0).points[1].y - plain, StemOffsetForHeadKind(*note))
            << kind;
    }
}

// Selecting the class in force changes nothing and returns 0; a switch computes the
// class's values, counts the switch and is undone by the restore.
TEST_F(NoteParts, SizeClassesSwitchAndRestore) {
    const NoteDrawLocation location(view_, 1, 1);
    BeginViewDraw(view_);
    EstablishNotationFont(view_);
    const NotationFontState before = CurrentNotationFont();
    NotationFontState saved;
    EXPECT_EQ(SelectNotationFont(view_, static_cast<int>(NoteSizeClass::Normal), &saved), 0);
    EXPECT_EQ(CurrentNotationFont().nesting, before.nesting);
    EXPECT_EQ(SelectNotationFont(view_, 7, &saved), 0);  // no such class
    EXPECT_EQ(SelectNotationFont(view_, static_cast<int>(NoteSizeClass::Petite), &saved), 1);
    const NotationFontState& petite = CurrentNotationFont();
    EXPECT_EQ(petite.nesting, before.nesting + 1);
    EXPECT_EQ(petite.font, State().drawing.MusicFont75);
    EXPECT_EQ(petite.beamSeparation, kBeamSeparation * 3 / 4);
    EXPECT_EQ(petite.beamThickness, std::max<int>(kBeamWidth * 3 / 4, 2 * view_->PixelUnitsY));
    EXPECT_EQ(view_->scaledMetrics.blackWidth, petite.blackWidth);
    EXPECT_LT(petite.blackWidth, before.blackWidth);
    RestoreNotationFont(view_, &saved);
    EXPECT_EQ(CurrentNotationFont().sizeClass, before.sizeClass);
    EXPECT_EQ(CurrentNotationFont().beamSeparation, kBeamSeparation);
    EXPECT_EQ(view_->scaledMetrics.blackWidth, before.blackWidth);
    EXPECT_EQ(
        ComputeNotationFontState(view_, static_cast<int>(NoteSizeClass::Grace)).beamSeparation,
        kBeamSeparation * 65 / 100);
    EndViewDraw(view_);
}

// A DurationCode outside the table, a position beyond the range and size class 3 are
// left out, with one notice for the whole paint.
TEST_F(NoteParts, DamagedNotesAreLeftOutAndReportedOnce) {
    EventRecord* longCode = Alone(0, kCodeQuarter, -4);
    EventRecord* farAway = Alone(1024, kCodeQuarter, -4);
    EventRecord* badClass = Alone(2048, kCodeQuarter, -4);
    longCode->duration = 14;
    SetNotePosition(*farAway, -(kMaxDrawnPosition + 1));
    badClass->flags |= 3 << kNoteSizeClassShift;
    ui::headless::ResetUi();
    BeginViewDraw(view_);
    {
        const NoteDrawLocation location(view_, 1, 1);
        {
            const ScopedPaintingGuard paint;  // one paint, as the score painter's
            DrawVoiceNotes(view_->currentCell, view_, 0);
            DrawVoiceNotes(view_->currentCell, view_, 0);
        }
        EXPECT_EQ(ui::headless::Beeps().size(), 1u);
        DrawVoiceNotes(view_->currentCell, view_, 0);  // a paint of its own
    }
    EndViewDraw(view_);
    EXPECT_TRUE(Calls(InkPart::Head).empty());
    EXPECT_EQ(ui::headless::Beeps().size(), 2u);
}

// A hidden head is left out, and drawn dimmed while hidden items are shown; a voice
// the view's filter leaves out is dimmed.
TEST_F(NoteParts, HiddenHeadsAndFilteredVoicesAreDimmed) {
    EventRecord* note = Alone(0, kCodeQuarter, -4);
    note->word2 |= kNoteHeadHidden;
    DrawCell(1, 1);
    EXPECT_TRUE(Calls(InkPart::Head).empty());
    State().notes.DisplayHiddenItems = 1;
    log_.clear();
    DrawCell(1, 1);
    ASSERT_EQ(Calls(InkPart::Head).size(), 1u);
    EXPECT_TRUE(Calls(InkPart::Head)[0].dimmed);
    State().notes.DisplayHiddenItems = 0;
    note->word2 &= static_cast<uint16_t>(~kNoteHeadHidden);
    view_->voiceDisplayMask = 0x02;  // only the second voice is shown
    log_.clear();
    DrawCell(1, 1);
    ASSERT_EQ(Calls(InkPart::Head).size(), 1u);
    EXPECT_TRUE(Calls(InkPart::Head)[0].dimmed);
    view_->voiceDisplayMask = 0x01;
    log_.clear();
    DrawCell(1, 1);
    EXPECT_FALSE(Calls(InkPart::Head).at(0).dimmed);
}

}  // namespace
}  // namespace ql::testing_notedraw
