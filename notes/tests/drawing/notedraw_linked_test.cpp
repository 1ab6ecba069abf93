// The redraw entry points: a cell drawn here is drawn again in every other view of
// the score (moved to this view's staff and measure for the drawing and put back); a
// respaced measure is redrawn on every shown staff; and a cross-staff note is
// re-expressed on its other staff for articulations.
#include <cstdlib>

#include "core/draw/draw_surface.h"
#include "core/draw/view_metrics.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/state.h"
#include "notes/beatmap/beat_map.h"
#include "notes/drawing/measure_redraw.h"
#include "notes/drawing/note_draw.h"
#include "notes/drawing/note_redraw.h"
#include "notes/tests/drawing/notedraw_fixture.h"
#include "platform/gfx/recording.h"
#include "platform/win/window.h"

namespace ql::testing_notedraw {
namespace {

class LinkedDrawing : public NoteDrawTest {
  protected:
    void SetUp() override {
        NoteDrawTest::SetUp();
        if (!HaveMusicFonts()) GTEST_SKIP() << "the music font is not built";
        f_ = BuildFixtureScore(kPlainZoom);
        UseRecordingSurface();
    }
    void TearDown() override {
        if (other_ != nullptr) FreeView(other_);
        NoteDrawTest::TearDown();
    }
    // A second view on the score, at another location.
    void OpenOtherView() {
        win::WindowParams params;
        params.className = "QLMdiChild";
        params.style = win::kStyleVisible;
        params.rect = win::Rect{0, 0, 64, 64};
        other_ = InitView(AllocView());
        LinkView(other_);
        other_->document = doc_;
        other_->pageView = 1;
        other_->currentPage = doc_->firstPage;
        other_->currentSystem = doc_->firstPage->firstSystem.get();
        other_->currentStaff = 2;
        other_->currentMeasure = 3;
        other_->ViewWindow = win::CreateWindow(params);
        other_->zoom = kPlainZoom;
        InitViewMetrics(other_);
        UpdateBeatMaps(other_, 1);
    }
    FixtureNotes f_;
    ScoreView* other_ = nullptr;
};

// Drawn once here and once in the linked view, whose location and the active view
// come back as they were.
TEST_F(LinkedDrawing, CellsAreDrawnInEveryLinkedView) {
    const NoteDrawLocation here(view_, 1, 1);
    DrawCellNotesLinked(view_);
    const size_t alone = log_.size();
    ASSERT_GT(alone, 0u);
    OpenOtherView();
    State().documents.ActiveView = view_;
    log_.clear();
    DrawCellNotesLinked(view_);
    EXPECT_EQ(log_.size(), 2 * alone);
    EXPECT_EQ(other_->currentStaff, 2);
    EXPECT_EQ(other_->currentMeasure, 3);
    EXPECT_EQ(State().documents.ActiveView, view_);
    log_.clear();
    RedrawNotesLinked(view_, f_.second);  // one chord, in both views
    EXPECT_EQ(Calls(InkPart::Stem).size(), 2u);
}

// A measure's slot is redrawn here and again in the linked view, at this view's staff
// and measure; the linked view's location and the active view come back.
TEST_F(LinkedDrawing, MeasuresAreRedrawnInEveryLinkedView) {
    const NoteDrawLocation here(view_, 1, 1);
    const size_t before = gfx::RecordedCallCount(recording_);
    RedrawMeasureLinked(view_);
    const size_t alone = gfx::RecordedCallCount(recording_) - before;
    ASSERT_GT(alone, 0u);
    OpenOtherView();
    State().documents.ActiveView = view_;
    const size_t linkedBefore = gfx::RecordedCallCount(recording_);
    RedrawMeasureLinked(view_);
    // The staff lines again in the other view (its bracket's state calls aside).
    EXPECT_GT(gfx::RecordedCallCount(recording_) - linkedBefore, alone + alone / 2);
    EXPECT_EQ(other_->currentStaff, 2);
    EXPECT_EQ(other_->currentMeasure, 3);
    EXPECT_EQ(State().documents.ActiveView, view_);
}

// A respaced measure is drawn again in the linked views too, staff by staff, and
// their locations come back.
TEST_F(LinkedDrawing, RespacedMeasuresAreRedrawnInTheLinkedViews) {
    const NoteDrawLocation here(view_, 1, 1);
    for (void (*redraw)(ScoreView*) : {RedrawMeasureOnAllStaves, RedrawMeasureNotesOnAllStaves}) {
        if (other_ != nullptr) FreeView(other_);
        other_ = nullptr;
        size_t before = gfx::RecordedCallCount(recording_);
        redraw(view_);
        const size_t alone = gfx::RecordedCallCount(recording_) - before;
        OpenOtherView();
        State().documents.ActiveView = view_;
        before = gfx::RecordedCallCount(recording_);
        redraw(view_);
        EXPECT_GT(gfx::RecordedCallCount(recording_) - before, alone) << "the linked view drew nothing";
        EXPECT_EQ(other_->currentStaff, 2);
        EXPECT_EQ(other_->currentMeasure, 3);
        EXPECT_EQ(State().documents.ActiveView, view_);
        EXPECT_EQ(view_->currentStaff, 1);
    }
}

// Re-expressed for articulations: staff 2's bottom line, the note's position counted
// in staff 2's steps.
TEST_F(LinkedDrawing, ArticulationsSeeACrossStaffNoteOnItsOtherStaff) {
    const NoteDrawLocation location(view_, 1, 4);
    DrawCell(1, 4);
    EXPECT_EQ(ArticulationYForNote(view_, f_.cross), BottomY(kCrossTargetStaff));
    EXPECT_EQ(SignedStep(*f_.cross), kCrossStaffPosition);
    EXPECT_EQ(ArticulationYForNote(view_, f_.small), BottomY(1));  // not cross-staff: its own staff
}

// After a respacing, the measure is drawn on every staff the system shows: the heads
// of staves 1 and 3 of measure 1, none of a staff hidden in the system.
TEST_F(LinkedDrawing, RespacedMeasuresAreRedrawnOnEveryShownStaff) {
    const NoteDrawLocation here(view_, 1, 1);
    auto headsOn = [&](int staff) {
        int heads = 0;
        for (const InkCall& call : Calls(InkPart::Head))
            heads += std::abs(call.points[0].y - (BottomY(staff) - 256)) < 1024 ? 1 : 0;
        return heads;
    };
    RedrawMeasureOnAllStaves(view_);
    EXPECT_EQ(headsOn(1), 5);  // the chord's two, the dotted, the eighth, the low quarter
    EXPECT_EQ(headsOn(kSmallStaff), 2);
    StaffFlagsOf(doc_->firstPage->firstSystem.get())[kSmallStaff] = -1;
    log_.clear();
    RedrawMeasureNotesOnAllStaves(view_);
    EXPECT_EQ(headsOn(1), 5);
    EXPECT_EQ(headsOn(kSmallStaff), 0);
    EXPECT_EQ(view_->currentStaff, 1);
}

}  // namespace
}  // namespace ql::testing_notedraw
