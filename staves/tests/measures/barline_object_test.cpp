// The barline objects the pointer finds: which barlines around the location get one,
// their handles, what a drag of a barline does to the measure widths, the systems
// and the pages, and Ctrl+End cutting the score at a barline as one undoable edit.
#include <gtest/gtest.h>

#include <algorithm>

#include "core/memory/pool.h"
#include "core/model/pages.h"
#include "core/objects/class_table.h"
#include "core/objects/handle_flags.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "core/units/paper_size.h"
#include "display/view_location.h"
#include "editing/selection.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"
#include "notes/beatmap/beat_map.h"
#include "platform/ui/headless.h"
#include "staves/barline.h"
#include "staves/barline_dialog_resources.h"
#include "staves/barline_drag.h"
#include "staves/barline_edits.h"
#include "staves/barline_follow.h"
#include "staves/barline_handler.h"
#include "staves/measure_dialogs.h"
#include "staves/measure_edit.h"
#include "staves/score_truncate.h"
#include "staves/tests/measures/measure_fixture.h"

namespace ql::testing_measures {
namespace {

class BarlineObjects : public MeasureTest {
  protected:
    void SetUp() override {
        MeasureTest::SetUp();
        ASSERT_EQ(InitStaticPoolSet(), 1);
        ASSERT_NE(CreateSelectionState(), nullptr);
        BuildScore(1, 6);
        RegisterBarlineClass();
        UpdateBeatMaps(view_, 0);
        SetHandleSize(64);
    }
    void TearDown() override {
        ResetMeasureDialogState();
        DestroySelectionState();
        MeasureTest::TearDown();
    }
    // The barline objects in the selection's object list, by measure.
    std::vector<int> Followed() const {
        std::vector<int> measures;
        ScoreObject* list = TheSelectionState()->voiceChain.get();
        for (ScoreObject* o = list != nullptr ? list->next.get() : nullptr; o != nullptr; o = o->next.get())
            if (const BarlineBody* body = BarlineBodyOf(o)) measures.push_back(body->measure);
        std::sort(measures.begin(), measures.end());
        return measures;
    }
    ScoreObject* FollowedAt(int measure) const {
        for (ScoreObject* o = TheSelectionState()->voiceChain->next.get(); o != nullptr; o = o->next.get())
            if (BarlineBodyOf(o) != nullptr && BarlineBodyOf(o)->measure == measure) return o;
        return nullptr;
    }
    // Grabs a handle of the object and moves it by dx, as the engine's drag does.
    void Drag(ScoreObject* object, int kind, int32_t dx) {
        SelectionState* s = TheSelectionState();
        HitRecord* first = ClassOf(object).BuildHandles(object, view_);
        ASSERT_NE(first, nullptr);
        HitRecord* grabbed = first;
        while (grabbed != nullptr && grabbed->kind != kind) grabbed = grabbed->child.get();
        ASSERT_NE(grabbed, nullptr);
        s->grabbedRecord = Ref32<HitRecord>::To(grabbed);
        s->dragOffsetX = dx;
        s->dragOffsetY = 0;
        ClassOf(object).TrackDrag(object, view_);
    }
    int Width(int measure) { return Record(measure).width; }
};

// Following the location makes one object for each barline of the measures before,
// at and after it within its system, each once, standing where the beat map puts the
// barline; without the selection's list nothing is made.
TEST_F(BarlineObjects, FollowMakesTheBarlinesAroundTheLocation) {
    ScoreObject* prototype = NewBarlineHandler();
    ASSERT_NE(prototype, nullptr);
    SetCurrentMeasure(view_, 1, 3);
    TheSelectionState()->voiceChain = {};
    EXPECT_EQ(ClassOf(prototype).FollowLocation(prototype, view_), 0) << "no list";
    ASSERT_NE(SelectionObjectList(), nullptr);
    EXPECT_EQ(ClassOf(prototype).FollowLocation(prototype, view_), 1);
    EXPECT_EQ(Followed(), (std::vector<int>{2, 3, 4}));
    SetCurrentMeasure(view_, 1, 4);
    ClassOf(prototype).FollowLocation(prototype, view_);
    EXPECT_EQ(Followed(), (std::vector<int>{2, 3, 4, 5})) << "each barline once";
    SetCurrentMeasure(view_, 1, 6);
    ClassOf(prototype).FollowLocation(prototype, view_);
    EXPECT_EQ(Followed(), (std::vector<int>{2, 3, 4, 5, 6, 7})) << "the closing barline, nothing past it";
    int32_t x = 0;
    ASSERT_TRUE(BarlineXInSystem(view_, view_->currentSystem, 4, &x));
    const int32_t followedX = BarlineBodyOf(FollowedAt(4))->x;
    EXPECT_EQ(followedX, x);
    int32_t x5 = 0;
    ASSERT_TRUE(BarlineXInSystem(view_, view_->currentSystem, 5, &x5));
    EXPECT_GT(x5, x);
    // While a barline edit holds the follow, nothing is made.
    ResetSelection(view_, 0);
    ASSERT_NE(SelectionObjectList(), nullptr);
    SetBarlineFollowSuppressed(true);
    EXPECT_EQ(FollowBarlines(nullptr, view_), 1);  // the reset took the objects with it
    EXPECT_TRUE(Followed().empty());
    SetBarlineFollowSuppressed(false);
}

// A barline inside its system has four handles (its two ends and the two width
// handles of the measure after it); the closing barline only its ends. The top end
// picks the line down to just above its bottom.
TEST_F(BarlineObjects, HandlesOfInsideAndClosingBarlines) {
    ASSERT_NE(SelectionObjectList(), nullptr);
    SetCurrentMeasure(view_, 1, 6);
    FollowBarlines(nullptr, view_);
    const auto count = [](HitRecord* r) {
        int n = 0;
        for (; r != nullptr; r = r->child.get()) ++n;
        return n;
    };
    ScoreObject* inside = FollowedAt(6);
    HitRecord* handles = ClassOf(inside).BuildHandles(inside, view_);
    EXPECT_EQ(count(handles), 4);
    const BarlineBody body = *BarlineBodyOf(inside);
    const int32_t bx = body.x, middle = (body.top + body.bottom) / 2;
    EXPECT_TRUE(HitRecordContainsPoint(handles, {bx, middle}));
    EXPECT_FALSE(HitRecordContainsPoint(handles, {bx + 400, middle}));
    HitRecord* width = handles->child->child->child.get();
    EXPECT_EQ(width->point.x - handles->child->child->point.x, Width(6));
    ScoreObject* closing = FollowedAt(7);
    EXPECT_EQ(count(ClassOf(closing).BuildHandles(closing, view_)), 2);
}

// Focusing a barline without Ctrl takes the whole-object flag off the grabbed handle,
// so that a drag tracks that handle; with Ctrl held (or latched) the flag stays.
TEST_F(BarlineObjects, FocusWithoutCtrlDropsTheGrabbedHandlesMoveFlag) {
    ASSERT_NE(SelectionObjectList(), nullptr);
    SetCurrentMeasure(view_, 1, 3);
    FollowBarlines(nullptr, view_);
    ScoreObject* barline = FollowedAt(3);
    ASSERT_NE(barline, nullptr);
    HitRecord* handles = ClassOf(barline).BuildHandles(barline, view_);
    ASSERT_NE(handles, nullptr);
    SelectionState* s = TheSelectionState();
    s->grabbedRecord = Ref32<HitRecord>::To(handles);
    handles->flags |= kHandleMovesWhole;
    State().input.StickyCtrlFlag = 1;
    ClassOf(barline).ReleaseCache(barline, view_);
    EXPECT_NE(handles->flags & kHandleMovesWhole, 0) << "Ctrl latched";
    State().input.StickyCtrlFlag = 0;
    ClassOf(barline).ReleaseCache(barline, view_);
    EXPECT_EQ(handles->flags & kHandleMovesWhole, 0);
    EXPECT_NE(handles->flags & kHandleHorizontalOnly, 0) << "the other flags stay";
}

// Dragging a barline with Ctrl widens the measure before it and narrows the one after
// by as much; in page view without Ctrl the measures before share the change and
// the ones after give it back, so the system keeps its width. A drag that would take
// all the width of the measure before it is refused with a beep.
TEST_F(BarlineObjects, DragChangesTheWidthsAroundTheBarline) {
    ASSERT_NE(SelectionObjectList(), nullptr);
    SetCurrentMeasure(view_, 1, 3);
    FollowBarlines(nullptr, view_);
    ScoreObject* barline = FollowedAt(3);
    const int w2 = Width(2), w3 = Width(3);
    win::headless::SetKeyDown(win::Key::Control, true);
    Drag(barline, kBarlineTopHandle, 200);
    EXPECT_EQ(ClassOf(barline).CommitDrag(barline, view_), 1);
    win::headless::SetKeyDown(win::Key::Control, false);
    EXPECT_EQ(Width(2), w2 + 200);
    EXPECT_EQ(Width(3), w3 - 200);

    int total = 0;
    for (int m = 1; m <= 6; ++m) total += Width(m);
    const int w1 = Width(1);
    barline = FollowedAt(3);
    BarlineBodyOf(barline)->x = 0;  // the drag is measured from the object's own x
    Drag(barline, kBarlineTopHandle, 100);
    EXPECT_EQ(ClassOf(barline).CommitDrag(barline, view_), 1);
    EXPECT_EQ(Width(1), w1 + 50);
    int after = 0;
    for (int m = 1; m <= 6; ++m) after += Width(m);
    EXPECT_LE(std::abs(after - total), 4) << "the system keeps its width";

    const size_t beeps = ui::headless::Beeps().size();
    const auto before = Image();
    win::headless::SetKeyDown(win::Key::Control, true);
    Drag(barline, kBarlineTopHandle, -Width(2) - 100);
    EXPECT_EQ(ClassOf(barline).CommitDrag(barline, view_), 0);
    win::headless::SetKeyDown(win::Key::Control, false);
    EXPECT_EQ(ui::headless::Beeps().size(), beeps + 1);
    EXPECT_EQ(Image(), before);
}

// Committing a drag takes the view's location to the barline: its system and the
// measure after it, wherever the location stood before.
TEST_F(BarlineObjects, ACommittedDragTakesTheLocationToTheBarline) {
    ASSERT_NE(SelectionObjectList(), nullptr);
    SetCurrentMeasure(view_, 1, 4);
    FollowBarlines(nullptr, view_);
    ScoreObject* barline = FollowedAt(4);
    ASSERT_NE(barline, nullptr);
    SetCurrentMeasure(view_, 1, 1);
    win::headless::SetKeyDown(win::Key::Control, true);
    Drag(barline, kBarlineTopHandle, 200);
    EXPECT_EQ(ClassOf(barline).CommitDrag(barline, view_), 1);
    win::headless::SetKeyDown(win::Key::Control, false);
    EXPECT_EQ(view_->currentMeasure, 4);
    EXPECT_EQ(view_->currentSystem, BarlineBodyOf(barline)->system.get());
}

// In page view a barline carried past its neighbour or out of its system moves
// measures between systems instead of changing widths: the closing barline dragged
// left past the barline before it sends the last measure down; a barline dragged
// left of its system's start sends the measures before it up. The opening barline
// of the first system cannot go left: a beep, nothing changes.
TEST_F(BarlineObjects, BarlinesCarriedPastANeighbourMoveMeasuresBetweenSystems) {
    ScoreSystem* first = view_->currentSystem;
    ASSERT_NE(InsertSystemCopies(first, view_, 1), nullptr);
    ScoreSystem* second = first->next.get();
    ASSERT_NE(second, nullptr);
    first->lastMeasure = 3;
    second->firstMeasure = 4;
    second->lastMeasure = 6;
    second->number = static_cast<uint8_t>(first->number + 1);
    second->y = first->y + 4096;
    doc_->firstPage->systemCount = 2;
    UpdateBeatMaps(view_, 0);
    ASSERT_NE(SelectionObjectList(), nullptr);

    view_->currentSystem = first;
    SetCurrentMeasure(view_, 1, 3);
    view_->currentSystem = first;
    FollowBarlines(nullptr, view_);
    ScoreObject* closing = FollowedAt(4);
    ASSERT_NE(closing, nullptr);
    int32_t before = 0;
    ASSERT_TRUE(BarlineXInSystem(view_, first, 3, &before));
    const int32_t closingX = BarlineBodyOf(closing)->x;
    Drag(closing, kBarlineTopHandle, before - closingX - 10);
    EXPECT_EQ(ClassOf(closing).CommitDrag(closing, view_), 1);
    EXPECT_EQ(first->lastMeasure, 2);
    EXPECT_EQ(second->firstMeasure, 3);

    ResetSelection(view_, 0);
    ASSERT_NE(SelectionObjectList(), nullptr);
    UpdateBeatMaps(view_, 0);
    view_->currentSystem = second;
    SetCurrentMeasure(view_, 1, 4);
    view_->currentSystem = second;
    FollowBarlines(nullptr, view_);
    ScoreObject* inside = FollowedAt(4);
    ASSERT_NE(inside, nullptr);
    const int32_t insideX = BarlineBodyOf(inside)->x;
    Drag(inside, kBarlineTopHandle, second->x - insideX - 50);
    EXPECT_EQ(ClassOf(inside).CommitDrag(inside, view_), 1);
    EXPECT_EQ(first->lastMeasure, 3) << "measure 3 went back up";
    EXPECT_EQ(second->firstMeasure, 4);

    ResetSelection(view_, 0);
    ASSERT_NE(SelectionObjectList(), nullptr);
    UpdateBeatMaps(view_, 0);
    view_->currentSystem = first;
    SetCurrentMeasure(view_, 1, 1);
    view_->currentSystem = first;
    FollowBarlines(nullptr, view_);
    ScoreObject* opening = FollowedAt(1);
    ASSERT_NE(opening, nullptr);
    const auto image = Image();
    const size_t beeps = ui::headless::Beeps().size();
    Drag(opening, kBarlineTopHandle, -200);
    EXPECT_EQ(ClassOf(opening).CommitDrag(opening, view_), 0);
    EXPECT_EQ(ui::headless::Beeps().size(), beeps + 1);
    EXPECT_EQ(Image(), image);
}

// Dragged on the first system of a page, barlines trade measures with the last
// system of the page before, across the page break: a barline carried left of the
// system's start sends the measures before it up, the opening barline carried past
// the barline after it sends its first measure up. The closing barline of a page's
// last system carried past its neighbour sends the last measure down to the next
// page.
TEST_F(BarlineObjects, BarlinesMoveMeasuresAcrossThePageBreak) {
    ASSERT_NE(AppendPage(view_), 0);
    ScorePage* first = doc_->firstPage;
    ScorePage* second = first->next.get();
    ASSERT_NE(second, nullptr);
    ASSERT_NE(second->firstSystem.get(), nullptr);
    ASSERT_GT(second->lastMeasure, second->firstSystem->firstMeasure + 1);
    const int count = doc_->header.measureCount;
    // Follows the barline in front of `measure` on the system of a page.
    auto follow = [&](ScorePage* page, ScoreSystem* system, int measure) {
        ResetSelection(view_, 0);
        EXPECT_NE(SelectionObjectList(), nullptr);
        view_->currentPage = page;
        view_->currentSystem = system;
        UpdateBeatMaps(view_, 0);
        SetCurrentMeasure(view_, 1, std::min<int>(measure, system->lastMeasure));
        view_->currentSystem = system;
        FollowBarlines(nullptr, view_);
        return FollowedAt(measure);
    };

    ScoreSystem* top = second->firstSystem.get();
    const int start = top->firstMeasure;
    ScoreObject* inside = follow(second, top, start + 1);
    ASSERT_NE(inside, nullptr);
    Drag(inside, kBarlineTopHandle, top->x - BarlineBodyOf(inside)->x - 50);
    EXPECT_EQ(ClassOf(inside).CommitDrag(inside, view_), 1);
    EXPECT_EQ(first->lastMeasure, start);
    EXPECT_EQ(pages::LastSystem(first)->lastMeasure, start);
    EXPECT_EQ(second->firstMeasure, start + 1);
    EXPECT_EQ(top->firstMeasure, start + 1);
    EXPECT_TRUE(pages::IsPageListSound(doc_));

    ScoreSystem* closing = pages::LastSystem(first);
    ScoreObject* end = follow(first, closing, closing->lastMeasure + 1);
    ASSERT_NE(end, nullptr);
    int32_t neighbour = 0;
    ASSERT_TRUE(BarlineXInSystem(view_, closing, closing->lastMeasure, &neighbour));
    Drag(end, kBarlineTopHandle, neighbour - BarlineBodyOf(end)->x - 10);
    EXPECT_EQ(ClassOf(end).CommitDrag(end, view_), 1);
    EXPECT_EQ(first->lastMeasure, start - 1) << "the measure went back down";
    EXPECT_EQ(second->firstMeasure, start);
    EXPECT_TRUE(pages::IsPageListSound(doc_));

    ScoreObject* opening = follow(second, top, start);
    ASSERT_NE(opening, nullptr);
    ASSERT_TRUE(BarlineXInSystem(view_, top, start + 1, &neighbour));
    Drag(opening, kBarlineTopHandle, neighbour - BarlineBodyOf(opening)->x + 10);
    EXPECT_EQ(ClassOf(opening).CommitDrag(opening, view_), 1);
    EXPECT_EQ(first->lastMeasure, start);
    EXPECT_EQ(second->firstMeasure, start + 1);
    EXPECT_TRUE(pages::IsPageListSound(doc_));
    EXPECT_GE(doc_->header.measureCount, count);
}

// In page view the closing barline dragged right sets where its system ends: left of
// the page's right edge the system keeps the width it was dragged to; dragged past
// that edge it goes back to filling the room between the margins.
TEST_F(BarlineObjects, ClosingBarlineSetsTheSystemEndUpToThePageEdge) {
    ASSERT_NE(SelectionObjectList(), nullptr);
    ScoreSystem* system = view_->currentSystem;
    PageExtentOf(view_);
    int32_t end = 0;
    ASSERT_TRUE(BarlineXInSystem(view_, system, 7, &end));
    system->x -= end - (view_->PageRight - 1000);  // the system ends 1000 units left of the page's edge
    UpdateBeatMaps(view_, 0);
    SetCurrentMeasure(view_, 1, 6);
    FollowBarlines(nullptr, view_);
    ScoreObject* closing = FollowedAt(7);
    ASSERT_NE(closing, nullptr);
    const int32_t closingX = BarlineBodyOf(closing)->x;
    ASSERT_EQ(closingX, view_->PageRight - 1000);
    const int w6 = Width(6);
    Drag(closing, kBarlineTopHandle, 100);
    EXPECT_EQ(ClassOf(closing).CommitDrag(closing, view_), 1);
    EXPECT_EQ(system->keepNaturalWidth, 1);
    EXPECT_GT(Width(6), w6);

    closing = FollowedAt(7);
    Drag(closing, kBarlineTopHandle, view_->PageRight + 100 - BarlineBodyOf(closing)->x);
    EXPECT_EQ(ClassOf(closing).CommitDrag(closing, view_), 1);
    EXPECT_EQ(system->keepNaturalWidth, 0) << "past the page's edge";
}

// "Barlines" opened on a barline object is run as the focused object's editor: the
// selection is held while it is open, and OK applies and reports a change.
TEST_F(BarlineObjects, PropertiesRunAsTheBarlineEditor) {
    RegisterBarlineDialogResources();
    ASSERT_NE(SelectionObjectList(), nullptr);
    SetCurrentMeasure(view_, 1, 3);
    FollowBarlines(nullptr, view_);
    ScoreObject* barline = FollowedAt(3);
    ASSERT_NE(barline, nullptr);
    bool held = false;
    ui::headless::SetDialogScript(barline_dialog::kBarlinesDialog, [&held](ui::headless::DialogDriver& d) {
        held = TheSelectionState()->modal != 0;
        d.SetChecked(barline_dialog::kHideBarline, true);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(ClassOf(barline).EditAttributes(barline, view_), 1);
    EXPECT_TRUE(held);
    EXPECT_EQ(TheSelectionState()->modal, 0);
    EXPECT_EQ(Record(3).flags & kMeasureBarlineHidden, kMeasureBarlineHidden);
}

// The barline menu's "Set Measure Number..." and "Hide Measure Objects..." open their
// dialog on the barline the menu was opened on; without a barline object, or for
// another command, nothing opens.
TEST_F(BarlineObjects, MenuDialogsOpenOnTheHoveredBarline) {
    RegisterBarlineDialogResources();
    ASSERT_NE(SelectionObjectList(), nullptr);
    EXPECT_EQ(RunBarlineMenuDialog(view_, kHideMeasureObjectsCommand), 0) << "no barline object";
    SetCurrentMeasure(view_, 1, 3);
    FollowBarlines(nullptr, view_);
    ScoreObject* barline = FollowedAt(4);
    ASSERT_NE(barline, nullptr);
    TheSelectionState()->hoverObject = Ref32<ScoreObject>::To(barline);
    SetFreeMeasureNumbering(true);  // any measure's number may be set
    const size_t opened = ui::headless::Dialogs().size();
    EXPECT_EQ(RunBarlineMenuDialog(view_, kSetMeasureNumberCommand + 10), 0);
    EXPECT_EQ(ui::headless::Dialogs().size(), opened);
    int number = 0;
    ui::headless::SetDialogScript(measure_number_dialog::kMeasureNumberDialog, [&number](ui::headless::DialogDriver& d) {
        number = d.Int(measure_number_dialog::kNumber).value_or(0);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(RunBarlineMenuDialog(view_, kSetMeasureNumberCommand), 0);
    EXPECT_EQ(ui::headless::Dialogs().size(), opened + 1);
    EXPECT_EQ(number, 4) << "the number of the measure after the barline";
    bool hideOpened = false;
    ui::headless::SetDialogScript(hide_objects_dialog::kHideObjectsDialog, [&hideOpened](ui::headless::DialogDriver& d) {
        hideOpened = true;
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(RunBarlineMenuDialog(view_, kHideMeasureObjectsCommand), 1);
    EXPECT_TRUE(hideOpened);
}

// The width handle alone changes the width of the measure after the barline, once it
// moved more than 32 units; the start handle moved right narrows it.
TEST_F(BarlineObjects, WidthHandlesChangeTheMeasureAfterTheBarline) {
    ASSERT_NE(SelectionObjectList(), nullptr);
    SetCurrentMeasure(view_, 1, 3);
    FollowBarlines(nullptr, view_);
    ScoreObject* barline = FollowedAt(3);
    const int w3 = Width(3);
    Drag(barline, kBarlineWidthHandle, 32);
    EXPECT_EQ(ClassOf(barline).CommitDrag(barline, view_), 0) << "too small a move";
    EXPECT_EQ(Width(3), w3);
    Drag(barline, kBarlineWidthHandle, 120);
    EXPECT_EQ(ClassOf(barline).CommitDrag(barline, view_), 1);
    EXPECT_EQ(Width(3), w3 + 120);
    Drag(barline, kBarlineStartHandle, 60);
    EXPECT_EQ(ClassOf(barline).CommitDrag(barline, view_), 1);
    EXPECT_EQ(Width(3), w3 + 60);
}

// Insert and Delete on a barline act only while the selection holds no items.
TEST_F(BarlineObjects, InsertAndDeleteWaitForAnEmptySelection) {
    TheSelectionState()->selectedCount = 3;
    EXPECT_EQ(InsertMeasure(view_, 3), 0);
    EXPECT_EQ(DeleteMeasureAtBarline(view_, 3), 0);
    EXPECT_EQ(doc_->header.measureCount, 6);
    TheSelectionState()->selectedCount = 0;
    EXPECT_EQ(InsertMeasure(view_, 3), 1);
    EXPECT_EQ(doc_->header.measureCount, 7);
}

// Insert and Delete reach a barline as the selection engine sends them: Insert to the
// focused barline itself, Delete to the type's prototype with the focused barline as
// the target. Each acts on the focused barline's measure, not on the prototype's.
TEST_F(BarlineObjects, InsertAndDeleteActOnTheFocusedBarline) {
    ScoreObject* prototype = NewBarlineHandler();
    ASSERT_NE(prototype, nullptr);
    SetCurrentMeasure(view_, 1, 3);
    ASSERT_NE(SelectionObjectList(), nullptr);
    ASSERT_EQ(ClassOf(prototype).FollowLocation(prototype, view_), 1);
    ScoreObject* barline = FollowedAt(3);
    ASSERT_NE(barline, nullptr);
    MeasureCell* marked = Cell(1, 3);  // the measure the barline stands before
    ASSERT_NE(Note(1, 3, 0), nullptr);
    EXPECT_EQ(ClassOf(barline).OnInsertKey(barline, view_, barline, nullptr), 1);
    EXPECT_EQ(doc_->header.measureCount, 7);
    EXPECT_EQ(Cell(1, 4), marked) << "the new measure is not the barline's";
    ResetSelection(view_, 0);
    SetCurrentMeasure(view_, 1, 3);
    ASSERT_EQ(ClassOf(prototype).FollowLocation(prototype, view_), 1);
    barline = FollowedAt(4);
    ASSERT_NE(barline, nullptr);
    EXPECT_EQ(ClassOf(prototype).HandleDrop(prototype, view_, barline, nullptr), 1);
    EXPECT_EQ(doc_->header.measureCount, 6);
    for (int m = 1; m <= 6; ++m) EXPECT_NE(Cell(1, m), marked) << "the barline's measure is still there";
}

// Ctrl+End with music after the barline asks first: No changes nothing; Yes ends the
// piece there with a final barline, and one Undo gives back every record.
TEST_F(BarlineObjects, CtrlEndCutsTheScoreAsOneEdit) {
    ASSERT_NE(Note(1, 5, 0), nullptr);
    const auto before = Image();
    const BarlineRef at{4, false, false};
    ui::headless::QueueMessageBoxAnswer(ui::kIdNo);
    EXPECT_EQ(BarlineKey(view_, at, win::Key::End, true), 1);
    EXPECT_EQ(Image(), before);
    ASSERT_FALSE(BoxTexts().empty());
    EXPECT_EQ(BoxTexts().back(), kTruncateQuestion);

    ui::headless::QueueMessageBoxAnswer(ui::kIdYes);
    EXPECT_EQ(BarlineKey(view_, at, win::Key::End, true), 1);
    EXPECT_EQ(doc_->header.measureCount, 3);
    EXPECT_EQ(BarlineTypeOf(Record(4)), static_cast<int>(BarlineType::EndSection));
    EXPECT_EQ(doc_->firstPage->lastMeasure, 3);
    UndoCommand(doc_, view_);
    EXPECT_EQ(doc_->header.measureCount, 6);
    EXPECT_EQ(Image(), before);
}

// On a score of two pages the cut at a barline of the first page takes the second
// page with its measures; the numbers still run from 1, and Undo gives every record
// back.
TEST_F(BarlineObjects, CuttingTakesThePagesAfterTheBarline) {
    ASSERT_NE(AppendPage(view_), 0);
    ASSERT_EQ(doc_->header.pageCount, 2);
    const int count = doc_->header.measureCount;
    ASSERT_GT(count, 6);
    const auto before = Image();
    EXPECT_EQ(BarlineKey(view_, BarlineRef{5, false, false}, win::Key::End, true), 1);
    EXPECT_EQ(doc_->header.pageCount, 1);
    EXPECT_EQ(doc_->header.measureCount, 4);
    EXPECT_EQ(doc_->firstPage->lastMeasure, 4);
    EXPECT_EQ(Numbers(), (std::vector<int>{1, 2, 3, 4}));
    UndoCommand(doc_, view_);
    EXPECT_EQ(doc_->header.pageCount, 2);
    EXPECT_EQ(doc_->header.measureCount, count);
    EXPECT_EQ(Image(), before);
}

// A score taken as the base of a new manuscript keeps its first page: the measures
// after it go with their page, the barlines left are plain ones without repeats, and
// the location stands on the page's last system.
TEST_F(BarlineObjects, TheBaseOfANewManuscriptKeepsItsFirstPage) {
    ASSERT_NE(AppendPage(view_), 0);
    ASSERT_EQ(doc_->header.pageCount, 2);
    const int kept = doc_->firstPage->lastMeasure;
    ASSERT_LT(kept, doc_->header.measureCount);
    SetBarlineTypeAt(doc_, BarlineRef{2, false, false}, static_cast<int>(BarlineType::EndRepeat));
    Record(2).repeatCount = 2;
    SetBarlineTypeAt(doc_, BarlineRef{kept + 1, false, false}, static_cast<int>(BarlineType::Double));
    ScoreSystem* last = doc_->firstPage->firstSystem.get();
    while (last->next.get() != nullptr) last = last->next.get();

    CutToFirstPage(view_);
    EXPECT_EQ(doc_->header.pageCount, 1);
    EXPECT_EQ(doc_->header.measureCount, kept);
    EXPECT_EQ(doc_->firstPage->next.get(), nullptr);
    for (int m = 1; m <= kept + 1; ++m) {
        EXPECT_EQ(Record(m).barline, 0) << "measure " << m;
        EXPECT_EQ(Record(m).repeatCount, 0) << "measure " << m;
    }
    EXPECT_EQ(view_->currentPage, doc_->firstPage);
    EXPECT_EQ(view_->currentSystem, last);
    EXPECT_EQ(Numbers().size(), static_cast<size_t>(kept));
}

// A score of one page loses nothing but its repeats.
TEST_F(BarlineObjects, AOnePageBaseKeepsEveryMeasure) {
    const int count = doc_->header.measureCount;
    ASSERT_EQ(doc_->header.pageCount, 1);
    Record(3).repeatCount = 1;
    SetBarlineTypeAt(doc_, BarlineRef{3, false, false}, static_cast<int>(BarlineType::EndRepeat));
    CutToFirstPage(view_);
    EXPECT_EQ(doc_->header.measureCount, count);
    EXPECT_EQ(Record(3).barline, 0);
    EXPECT_EQ(Record(3).repeatCount, 0);
}

}  // namespace
}  // namespace ql::testing_measures
