// The page formatter: a new score's grid, pages appended within the measure limit,
// measures added and inserted, which page holds a measure, left and right pages,
// and re-breaking a long score into pages that respect the grid and the margins.
#include <cstring>
#include <memory>

#include "core/memory/pool.h"
#include "core/model/pages.h"
#include "core/model/view.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "display/view_location.h"
#include "layout/measure_format.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"
#include "layout/spacing/spacing_collect.h"
#include "layout/tests/pages/page_format_fixture.h"
#include "platform/win/input.h"
#include "platform/win/window.h"

namespace ql::testing_layout {
namespace {

using Systems = std::vector<std::pair<int, int>>;

TEST_F(PageFormatTest, NewScoreFillsFirstPageOnTheGrid) {
    NewScore(2, 4, 4);
    // Measures 1-16 on page 1 in systems of four; one page; a staff record each.
    EXPECT_EQ(Shapes(), (std::vector<PageShape>{{1, 16, Systems{{1, 4}, {5, 8}, {9, 12}, {13, 16}}}}));
    EXPECT_EQ(doc_->header.measureCount, 16);
    EXPECT_EQ(doc_->header.pageCount, 1);
    EXPECT_NE(StaffRecordOf(doc_, 0), nullptr);
    EXPECT_NE(StaffRecordOf(doc_, 2), nullptr);
    EXPECT_TRUE(pages::IsPageListSound(doc_));
    // The systems stand one below the other inside the page's margins.
    PageMargins margins;
    ASSERT_TRUE(GetPageMargins(doc_->firstPage, &margins));
    EXPECT_GT(SystemAt(0, 0)->y, kLogicalOrigin + margins.logical[1]);
    for (int i = 1; i < 4; ++i) EXPECT_GT(SystemAt(0, i)->y, SystemAt(0, i - 1)->y + 512);
    EXPECT_LE(SystemAt(0, 3)->y + 512 * 2, view_->PageBottom - margins.logical[3]);
}

TEST_F(PageFormatTest, ZeroGridSettingsCountAsOne) {
    // A systems-per-page or measures-per-system setting of 0 gives a one-measure page.
    NewScore(1, 0, 0);
    EXPECT_EQ(Shapes(), (std::vector<PageShape>{{1, 1, Systems{{1, 1}}}}));
    EXPECT_EQ(AppendPage(view_), 1);
    EXPECT_EQ(Shapes().back(), (PageShape{2, 2, Systems{{2, 2}}}));
}

TEST_F(PageFormatTest, AppendPageExtendsMeasuresAndLinksPage) {
    NewScore(2, 4, 4);
    ASSERT_EQ(AppendPage(view_), 1);
    EXPECT_EQ(doc_->header.pageCount, 2);
    EXPECT_EQ(doc_->header.measureCount, 32);
    EXPECT_EQ(Shapes()[1], (PageShape{17, 32, Systems{{17, 20}, {21, 24}, {25, 28}, {29, 32}}}));
    EXPECT_EQ(GetPageAt(doc_, 1)->pageNumber, 2);
    EXPECT_EQ(GetPageAt(doc_, 1)->previous.get(), doc_->firstPage);
    EXPECT_TRUE(pages::IsPageListSound(doc_));
}

TEST_F(PageFormatTest, AppendPageRefusedPastTheMeasureLimit) {
    NewScore(1, 4, 4);
    ASSERT_EQ(AddMeasures(view_, 1012), 1);
    ExtendPagesToMeasureCount(view_);
    // Whole pages reach 1,008 (a further one would end at 1,024): the last four
    // measures take a page of one system.
    EXPECT_EQ(Shapes().back(), (PageShape{1009, 1012, Systems{{1009, 1012}}}));
    // From the last page ending at 1,012 the next would end at 1,028, past 1,016.
    const int pagesBefore = doc_->header.pageCount;
    EXPECT_EQ(AppendPage(view_), 0);
    EXPECT_EQ(doc_->header.pageCount, pagesBefore);
    EXPECT_EQ(PageCount(), pagesBefore);
}

TEST_F(PageFormatTest, AddMeasuresStopsAtTheLimit) {
    NewScore(2, 4, 4);
    EXPECT_EQ(AddMeasures(view_, 2000), 1);
    EXPECT_EQ(doc_->header.measureCount, 1016);
    // Nothing happens below the count.
    EXPECT_EQ(AddMeasures(view_, 3), 1);
    EXPECT_EQ(doc_->header.measureCount, 1016);
}

// The scroll view's bar counts measures (four kept in view): measures added show on
// it at once, except while a MIDI file is written.
TEST_F(PageFormatTest, AddedMeasuresReachTheScrollViewBar) {
    win::WindowClass cls;
    cls.name = "QLMdiChild";
    cls.procedure = win::DefaultWindowProc;
    win::RegisterWindowClass(cls);
    win::WindowParams params;
    params.className = "QLMdiChild";
    params.style = win::kStyleVisible | win::kStyleHorizontalScroll;
    params.rect = win::Rect{0, 0, 400, 300};
    view_->ViewWindow = win::CreateWindow(params);
    NewScore(2, 4, 4);
    view_->pageView = 0;
    ASSERT_EQ(AddMeasures(view_, 40), 1);
    EXPECT_EQ(win::GetScrollState(view_->ViewWindow, win::ScrollBar::Horizontal).maximum, 36);
    State().files.MidiFileExporting = 1;
    ASSERT_EQ(AddMeasures(view_, 60), 1);
    State().files.MidiFileExporting = 0;
    EXPECT_EQ(win::GetScrollState(view_->ViewWindow, win::ScrollBar::Horizontal).maximum, 36);
    view_->pageView = 1;
    win::DestroyWindow(view_->ViewWindow);
    view_->ViewWindow = {};
}

TEST_F(PageFormatTest, RefusedAppendFreesItsPageAndKeepsMeasures) {
    NewScore(2, 4, 4);
    State().layout.RefuseNewPage = 1;
    EXPECT_EQ(AppendPage(view_), 0);
    State().layout.RefuseNewPage = 0;
    // The page list is unchanged; the measures made stay as spares; the fixture's
    // arena check shows the page and its systems were freed.
    EXPECT_EQ(PageCount(), 1);
    EXPECT_EQ(doc_->header.pageCount, 1);
    EXPECT_EQ(doc_->header.measureCount, 32);
}

TEST_F(PageFormatTest, PageOfMeasureOutsideTheScoreIsNull) {
    NewScore(1, 4, 4);
    ASSERT_EQ(AppendPage(view_), 1);
    EXPECT_EQ(PageOfMeasure(doc_, 0), nullptr);
    EXPECT_EQ(PageOfMeasure(doc_, 33), nullptr);
    EXPECT_EQ(PageOfMeasure(doc_, 1), doc_->firstPage);
    EXPECT_EQ(PageOfMeasure(doc_, 16), doc_->firstPage);
    EXPECT_EQ(PageOfMeasure(doc_, 17), GetPageAt(doc_, 1));
    EXPECT_EQ(PageOfMeasure(doc_, 32), GetPageAt(doc_, 1));
}

TEST_F(PageFormatTest, LeftPagesFollowTheParityFlag) {
    doc_->header.pageGeometry.sides = 1;
    doc_->header.pageGeometry.firstPage = 1;
    EXPECT_FALSE(IsLeftPage(doc_, 4));  // parity set: page 4 is a right page
    EXPECT_TRUE(IsLeftPage(doc_, 3));
    doc_->header.pageGeometry.firstPage = 0;
    EXPECT_TRUE(IsLeftPage(doc_, 4));  // parity clear: page 4 is a left page
    doc_->header.pageGeometry.sides = 0;
    EXPECT_FALSE(IsLeftPage(doc_, 4));  // no facing pages: never left
    EXPECT_TRUE(IsLeftPage(doc_, kLeftMasterNumber));
}

TEST_F(PageFormatTest, InsertMeasuresMovesCellsUp) {
    NewScore(2, 4, 4);
    MeasureCell* fifth = FindMeasureCell(doc_, 2, 5);
    ASSERT_NE(fifth, nullptr);
    ASSERT_EQ(InsertMeasures(view_, 5, 2), 1);
    EXPECT_EQ(doc_->header.measureCount, 18);
    // The old fifth measure is now the seventh; the new ones are cells of their own.
    EXPECT_EQ(FindMeasureCell(doc_, 2, 7), fifth);
    EXPECT_NE(FindMeasureCell(doc_, 2, 5), nullptr);
    EXPECT_NE(FindMeasureCell(doc_, 2, 5), fifth);
    EXPECT_EQ(Record(5).number, 5);
    EXPECT_EQ(Record(7).number, 7);
}

TEST_F(PageFormatTest, InsertMeasuresRefusedAtTheLimitChangesNothing) {
    NewScore(1, 4, 4);
    ASSERT_EQ(AddMeasures(view_, 1015), 1);
    MeasureCell* tenth = FindMeasureCell(doc_, 1, 10);
    EXPECT_EQ(InsertMeasures(view_, 10, 2), 0);
    EXPECT_EQ(doc_->header.measureCount, 1015);
    EXPECT_EQ(FindMeasureCell(doc_, 1, 10), tenth);
    // A count out of range or a position past the end is refused too.
    EXPECT_EQ(InsertMeasures(view_, 1017, 1), 0);
    EXPECT_EQ(InsertMeasures(view_, 5, 0), 0);
}

TEST_F(PageFormatTest, FailedInsertionInsideAnUndoStepLeavesTheScoreWhole) {
    NewScore(2, 4, 4);
    std::vector<MeasureCell*> cells;
    for (int m = 1; m <= 20; ++m) cells.push_back(FindMeasureCell(doc_, 1, m));
    const uint16_t widthBefore = Record(6).width;
    {
        UndoStep step(doc_, view_, UndoKind::Measure, 0, UndoVerb::Insert);
        FailRecordAllocationAfter(3);  // the fourth new cell cannot be had
        EXPECT_EQ(InsertMeasures(view_, 5, 2), 0);
        FailNextRecordAllocations(0);
    }
    // Count, cells and records as they were; nothing left for Undo to repair.
    EXPECT_EQ(doc_->header.measureCount, 16);
    for (int m = 1; m <= 20; ++m) EXPECT_EQ(FindMeasureCell(doc_, 1, m), cells[m - 1]) << "measure " << m;
    EXPECT_EQ(Record(6).width, widthBefore);
}

TEST_F(PageFormatTest, ReformatTwoHundredMeasuresRespectsGridAndMargins) {
    NewScore(2, 4, 4);
    ASSERT_EQ(AddMeasures(view_, 200), 1);
    ReformatOptions options;
    options.measuresPerSystem = 5;
    options.systemsPerPage = 3;
    ReformatFromPage(view_, &options, doc_->firstPage);
    const auto shapes = Shapes();
    ASSERT_EQ(shapes.size(), 14u);  // 15 measures a page: 13 full pages and one of 5
    EXPECT_EQ(shapes[0], (PageShape{1, 15, Systems{{1, 5}, {6, 10}, {11, 15}}}));
    EXPECT_EQ(shapes[13].first, 196);
    EXPECT_TRUE(pages::IsPageListSound(doc_));
    PageMargins margins;
    for (ScorePage* page = doc_->firstPage; page != nullptr; page = page->next.get()) {
        ASSERT_TRUE(GetPageMargins(page, &margins));
        EXPECT_LE(pages::CountSystems(page), 3);
        for (ScoreSystem* s = page->firstSystem.get(); s != nullptr; s = s->next.get()) {
            EXPECT_GE(s->y, kLogicalOrigin + margins.logical[1]);
            EXPECT_LE(s->y + StaffOffsetsOf(s)[2] + 512, view_->PageBottom - margins.logical[3]);
            EXPECT_EQ(s->x, kLogicalOrigin + margins.logical[0]);
        }
    }
}

// Breaks given page by page: each page takes its systems of their measure counts
// (a count below 1 taken as 1); the measures past the given pages go on the grid.
TEST_F(PageFormatTest, GivenBreaksPlaceTheSystemsAndPages) {
    NewScore(2, 4, 4);  // 16 measures
    const std::vector<std::vector<int>> breaks = {{3, 1}, {2, 0, 4}};
    ReformatOptions options;
    options.measuresPerSystem = 2;
    options.systemsPerPage = 2;
    options.breaks = &breaks;
    ReformatFromPage(view_, &options, doc_->firstPage);
    const auto shapes = Shapes();
    ASSERT_EQ(shapes.size(), 4u);
    EXPECT_EQ(shapes[0], (PageShape{1, 4, Systems{{1, 3}, {4, 4}}}));
    EXPECT_EQ(shapes[1], (PageShape{5, 11, Systems{{5, 6}, {7, 7}, {8, 11}}}));
    EXPECT_EQ(shapes[2], (PageShape{12, 15, Systems{{12, 13}, {14, 15}}}));
    EXPECT_EQ(shapes[3], (PageShape{16, 19, Systems{{16, 17}, {18, 19}}}));  // a grid page is filled
    EXPECT_EQ(LayoutFault(), "");
}

// The bytes of every page and system record, staff arrays included.
std::vector<uint8_t> LayoutBytes(ScoreDocument* doc) {
    std::vector<uint8_t> bytes;
    auto add = [&](const void* p, size_t n) {
        const auto* b = static_cast<const uint8_t*>(p);
        bytes.insert(bytes.end(), b, b + n);
    };
    for (ScorePage* page = doc->firstPage; page != nullptr; page = page->next.get()) {
        add(page, kStoredPageBytes);
        add(&page->systemCount, 4);
        for (ScoreSystem* s = page->firstSystem.get(); s != nullptr; s = s->next.get()) {
            add(s, offsetof(ScoreSystem, staffOffsets));
            add(StaffOffsetsOf(s), (doc->header.staffCount + 1) * 2);
            add(StaffFlagsOf(s), doc->header.staffCount + 1);
        }
    }
    for (int m = 1; m <= doc->header.measureCount; ++m) add(&MeasureRecordOf(doc, m)->width, 2);
    return bytes;
}

TEST_F(PageFormatTest, ReformattingTwiceGivesTheSameLayout) {
    NewScore(2, 4, 4);
    ASSERT_EQ(AddMeasures(view_, 200), 1);
    ReformatOptions options;
    options.reformat = 1;
    ReformatFromPage(view_, &options, doc_->firstPage);
    const std::vector<uint8_t> once = LayoutBytes(doc_);
    ReformatFromPage(view_, &options, doc_->firstPage);
    const std::vector<uint8_t> twice = LayoutBytes(doc_);
    ASSERT_EQ(twice.size(), once.size());
    for (size_t i = 0; i < once.size(); ++i) ASSERT_EQ(once[i], twice[i]) << "at byte " << i;
}

// The view's staff y follows its system when re-formatting moves the system: the
// view stands on staff 2 of the third system while the systems are out of place,
// and after the page is formatted again its staff y is the one a fresh move to the
// same place derives, in the view that formatted and in a second view on the page,
// for a re-break of every page and for a re-spacing of the staves.
TEST_F(PageFormatTest, ReformatBringsTheViewsStaffYAlong) {
    NewScore(2, 4, 4);
    ScoreView* second = CopyView(AllocView(), view_);
    ASSERT_NE(second, nullptr);
    LinkView(second);
    const std::unique_ptr<ScoreView, void (*)(ScoreView*)> closeSecond(second, FreeView);
    for (int pass = 0; pass < 2; ++pass) {
        for (int i = 0; i < 4; ++i) SystemAt(0, i)->y += 700;  // out of place
        ScoreSystem* third = SystemAt(0, 2);
        for (ScoreView* v : {view_, second}) SetCurrentSystemAndMeasure(v, third, 2, 9, true);
        const int32_t stale = view_->staffY;
        ReformatOptions options;
        options.reformat = 1;
        if (pass == 0) ReformatFromPage(view_, &options, doc_->firstPage);
        else FormatPagesAfter(view_, &options, doc_->firstPage);
        for (ScoreView* v : {view_, second}) {
            ASSERT_EQ(v->currentSystem, third);
            const int32_t kept = v->staffY;
            SetCurrentSystemAndMeasure(v, v->currentSystem, 2, 9, true);
            EXPECT_NE(kept, stale) << "pass " << pass << ": the staff y was not brought up to date";
            EXPECT_EQ(kept, v->staffY) << "pass " << pass;
        }
    }
}

}  // namespace
}  // namespace ql::testing_layout
