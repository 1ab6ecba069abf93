// ReformatFromPage under its options: the one-page re-break that shifts the later
// pages, systems kept with their staves unless the staves are to be spaced, the
// separation read at the view's zoom and the system tops of a model page; and the
// page formatter's other paths: a page appended under the document's model page,
// a new two-staff score's bass clef, the pool reserve check after an appended
// page, and the systems made while a MIDI file is written.
#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/state.h"
#include "layout/page_chain.h"
#include "layout/page_fit.h"
#include "layout/page_format.h"
#include "layout/spacing/spacing_collect.h"
#include "layout/tests/pages/page_format_fixture.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "platform/ui/headless.h"
#include "staves/staff_group_bits.h"

namespace ql::testing_layout {
namespace {

using Systems = std::vector<std::pair<int, int>>;

constexpr uint16_t kWideSeparation = 2048;

int ClefOf(ScoreDocument* doc, int staff, int measure) {
    const MeasureCell* cell = FindMeasureCell(doc, staff, measure);
    return cell != nullptr ? cell->clefKey & kClefNibbleMask : -1;
}

class ReformatOptionsTest : public PageFormatTest {
  protected:
    // A 2-staff score on a 4 x 4 grid grown to `measures` measures over its pages.
    void GridScore(int measures) {
        NewScore(2, 4, 4);
        ASSERT_EQ(AddMeasures(view_, measures), 1);
        ExtendPagesToMeasureCount(view_);
        ASSERT_TRUE(pages::IsPageListSound(doc_));
    }
};

// Without the all-pages flag only the given page is re-broken: its four systems
// take three measures each, every later page moves back by the four measures it
// lost, keeping its own systems, and the four measures shifted off the last page
// go on systems of a new page; growing the systems moves them forward.
TEST_F(ReformatOptionsTest, OnePageReformatShiftsTheLaterPages) {
    GridScore(48);
    ScoreSystem* laterSystem = SystemAt(2, 0);
    ReformatOptions options;
    options.allPages = 0;
    options.measuresPerSystem = 3;
    ReformatFromPage(view_, &options, GetPageAt(doc_, 1));
    auto shapes = Shapes();
    ASSERT_EQ(shapes.size(), 4u);
    EXPECT_EQ(shapes[0], (PageShape{1, 16, Systems{{1, 4}, {5, 8}, {9, 12}, {13, 16}}}));
    EXPECT_EQ(shapes[1], (PageShape{17, 28, Systems{{17, 19}, {20, 22}, {23, 25}, {26, 28}}}));
    EXPECT_EQ(shapes[2], (PageShape{29, 44, Systems{{29, 32}, {33, 36}, {37, 40}, {41, 44}}}));
    EXPECT_EQ(shapes[3], (PageShape{45, 48, Systems{{45, 47}, {48, 48}}}));
    EXPECT_EQ(doc_->header.measureCount, 48);
    EXPECT_EQ(SystemAt(2, 0), laterSystem) << "the later pages keep their systems";
    EXPECT_TRUE(pages::IsPageListSound(doc_));
    // Growing: five measures a system moves the later pages forward past the count.
    options.measuresPerSystem = 5;
    ReformatFromPage(view_, &options, GetPageAt(doc_, 1));
    shapes = Shapes();
    EXPECT_EQ(shapes[1].last, 36);
    EXPECT_EQ(shapes[2], (PageShape{37, 52, Systems{{37, 40}, {41, 44}, {45, 48}, {49, 52}}}));
    EXPECT_GE(doc_->header.measureCount, 52) << "the measures the pages need are made";
    EXPECT_TRUE(pages::IsPageListSound(doc_));
}

// One page of eight measures re-broken to two a system: the page keeps its two
// systems, and the four measures they no longer hold go on a new page.
TEST_F(ReformatOptionsTest, OnePageReformatCarriesWhatNoLongerFits) {
    NewScore(2, 2, 4);
    ReformatOptions options;
    options.allPages = 0;
    options.measuresPerSystem = 2;
    ReformatFromPage(view_, &options, doc_->firstPage);
    EXPECT_EQ(Shapes(), (std::vector<PageShape>{{1, 4, Systems{{1, 2}, {3, 4}}}, {5, 8, Systems{{5, 6}, {7, 8}}}}));
    EXPECT_EQ(doc_->header.measureCount, 8);
    EXPECT_EQ(doc_->header.pageCount, 2);
    EXPECT_EQ(LayoutFault(), "");
}

// The soundness check counts every measure: one past the last page is a fault.
TEST_F(ReformatOptionsTest, MeasuresPastTheLastPageAreUnsound) {
    NewScore(2, 2, 4);
    ASSERT_EQ(AddMeasures(view_, 9), 1);
    EXPECT_FALSE(pages::IsPageListSound(doc_));
    EXPECT_EQ(CarryMeasuresPastLastPage(view_), 1);
    EXPECT_EQ(Shapes().back(), (PageShape{9, 9, Systems{{9, 9}}}));
    EXPECT_TRUE(pages::IsPageListSound(doc_));
}

// A one-page re-break that would carry the last page past the measure limit is
// refused with the notice before anything changes.
TEST_F(ReformatOptionsTest, OnePageReformatPastTheLimitChangesNothing) {
    GridScore(48);
    const auto before = Shapes();
    const int count = doc_->header.measureCount;
    ui::headless::ResetUi();
    ReformatOptions options;
    options.allPages = 0;
    options.measuresPerSystem = 255;
    ReformatFromPage(view_, &options, doc_->firstPage);
    EXPECT_EQ(Shapes(), before);
    EXPECT_EQ(doc_->header.measureCount, count);
    EXPECT_EQ(doc_->header.newScoreBlock.initMeasuresPerSystem, 4)
        << "the layout is not taken either";
    EXPECT_EQ(ui::headless::Beeps().size(), 1u);
}

// A reformat keeps the systems and their staves: a hidden staff stays hidden with
// its offsets; only the staff-spacing flag spaces the staves again.
TEST_F(ReformatOptionsTest, ReformatKeepsStavesUnlessAskedToSpaceThem) {
    NewScore(3, 2, 4);
    ASSERT_EQ(AddMeasures(view_, 24), 1);
    ExtendPagesToMeasureCount(view_);
    ScoreSystem* system = SystemAt(0, 1);
    StaffFlagsOf(system)[2] = static_cast<int8_t>(pages::kHiddenStaff);
    StaffOffsetsOf(system)[3] = 777;
    ReformatOptions options;
    ReformatFromPage(view_, &options, doc_->firstPage);
    ASSERT_EQ(SystemAt(0, 1), system);
    EXPECT_NE(StaffFlagsOf(system)[2] & pages::kHiddenStaff, 0) << "hidden staff kept";
    EXPECT_EQ(StaffOffsetsOf(system)[3], 777) << "offsets kept without the staff-spacing flag";
    options.staffSpacing = 1;
    ReformatFromPage(view_, &options, doc_->firstPage);
    const int separation = pages::StaffSeparation(doc_);
    EXPECT_EQ(StaffOffsetsOf(system)[2], 0) << "a hidden staff keeps the offset before it";
    EXPECT_EQ(StaffOffsetsOf(system)[3], separation) << "the next visible staff at one separation";
    EXPECT_TRUE(pages::IsPageListSound(doc_));
}

// The layout's staff separation is given at the view's zoom: at half scale the
// document stores half of it; a view without a scale stores it as given.
TEST_F(ReformatOptionsTest, StaffSeparationIsScaledByTheZoom) {
    GridScore(16);
    ReformatOptions options;
    options.staffSeparation = kWideSeparation;
    view_->zoomFactor = 0.5;
    ReformatFromPage(view_, &options, doc_->firstPage);
    EXPECT_EQ(doc_->header.newScoreBlock.staffSeparation, kWideSeparation / 2);
    view_->zoomFactor = 2.0;
    ReformatFromPage(view_, &options, doc_->firstPage);
    EXPECT_EQ(doc_->header.newScoreBlock.staffSeparation, kWideSeparation * 2);
    view_->zoomFactor = 0.0;
    ReformatFromPage(view_, &options, doc_->firstPage);
    EXPECT_EQ(doc_->header.newScoreBlock.staffSeparation, kWideSeparation);
}

// With the page-model option every other page takes the model page's system tops
// position by position; a model index past the page count is ignored.
TEST_F(ReformatOptionsTest, ModelPageGivesItsSystemTops) {
    GridScore(40);  // pages of 16, 16 and 8 measures: the last has two systems
    ReformatOptions options;
    ReformatFromPage(view_, &options, GetPageAt(doc_, 1));
    const int32_t ownTops[2] = {SystemAt(2, 0)->y, SystemAt(2, 1)->y};
    // Page 1 stays before the reformatted pages: its tops, moved by hand, are the model.
    const int32_t tops[4] = {ownTops[0] + 64, ownTops[0] + 3000, ownTops[0] + 6000,
                             ownTops[0] + 9000};
    for (int i = 0; i < 4; ++i) SystemAt(0, i)->y = tops[i];
    options.model = 1;
    options.modelPage = 0;
    ReformatFromPage(view_, &options, GetPageAt(doc_, 1));
    for (int i = 0; i < 4; ++i) EXPECT_EQ(SystemAt(1, i)->y, tops[i]) << "system " << i;
    EXPECT_EQ(SystemAt(2, 0)->y, tops[0]);
    EXPECT_EQ(SystemAt(2, 1)->y, tops[1]) << "as far as both pages have systems";
    EXPECT_EQ(SystemAt(0, 2)->y, tops[2]) << "the model page itself is not laid out";
    // An index past the page count: no model, the pages' own layout.
    options.modelPage = 9;
    ReformatFromPage(view_, &options, GetPageAt(doc_, 1));
    EXPECT_EQ(SystemAt(2, 0)->y, ownTops[0]);
    EXPECT_EQ(SystemAt(2, 1)->y, ownTops[1]);
}

// With the document's page-model setting, a page appended (CreatePage) takes the
// model page's system tops; with the setting off, or its index past the page count,
// it is spread between its margins as the other pages are.
TEST_F(ReformatOptionsTest, AppendedPageTakesTheDocumentModelPageTops) {
    GridScore(16);
    ASSERT_EQ(AppendPage(view_), 1);
    const int32_t spread[2] = {SystemAt(1, 0)->y, SystemAt(1, 1)->y};
    const int32_t tops[4] = {spread[0] + 64, spread[0] + 3000, spread[0] + 6000, spread[0] + 9000};
    for (int i = 0; i < 4; ++i) SystemAt(0, i)->y = tops[i];
    NewScoreBlock& block = doc_->header.newScoreBlock;
    block.byte10 = 1;
    block.byte11 = 0;
    ASSERT_EQ(AppendPage(view_), 1);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(SystemAt(2, i)->y, tops[i]) << "system " << i;
    block.byte11 = 9;
    ASSERT_EQ(AppendPage(view_), 1);
    EXPECT_EQ(SystemAt(3, 0)->y, spread[0]);
    EXPECT_EQ(SystemAt(3, 1)->y, spread[1]);
    block.byte10 = 0;
    block.byte11 = 0;
    ASSERT_EQ(AppendPage(view_), 1);
    EXPECT_EQ(SystemAt(4, 0)->y, spread[0]);
}

// A new score of exactly two staves starts staff 2 with the bass clef in every
// cell; one or three staves keep the default clef everywhere.
TEST_F(ReformatOptionsTest, NewTwoStaffScoreHasABassStaff) {
    const int bass = static_cast<int>(ClefKind::Bass);
    NewScore(2, 4, 4);
    const int treble = ClefOf(doc_, 1, 1);
    ASSERT_NE(treble, bass);
    for (int m : {1, 8, 16}) {
        EXPECT_EQ(ClefOf(doc_, 1, m), treble) << "measure " << m;
        EXPECT_EQ(ClefOf(doc_, 2, m), bass) << "measure " << m;
    }
    ASSERT_EQ(AddMeasures(view_, 20), 1);
    EXPECT_EQ(ClefOf(doc_, 2, 20), bass) << "measures added later follow the last one";
}

TEST_F(ReformatOptionsTest, NewThreeStaffScoreKeepsTheDefaultClef) {
    NewScore(3, 4, 4);
    EXPECT_EQ(ClefOf(doc_, 2, 1), ClefOf(doc_, 1, 1));
    EXPECT_EQ(ClefOf(doc_, 3, 1), ClefOf(doc_, 1, 1));
}

// A new two-staff score is a grand staff: a brace and the barlines join its staves
// (so the system's left barline runs across both); three staves stay apart.
TEST_F(ReformatOptionsTest, NewTwoStaffScoreIsJoinedByABraceAndItsBarlines) {
    NewScore(2, 4, 4);
    const StaffRecord* upper = StaffRecordOf(doc_, 1);
    const StaffRecord* lower = StaffRecordOf(doc_, 2);
    ASSERT_NE(upper, nullptr);
    ASSERT_NE(lower, nullptr);
    for (GroupKind kind : {GroupKind::Brace, GroupKind::Barline}) {
        EXPECT_TRUE(JoinsStaffBelow(*upper, kind));
        EXPECT_TRUE(JoinsStaffAbove(*lower, kind));
        EXPECT_FALSE(JoinsStaffAbove(*upper, kind));
        EXPECT_FALSE(JoinsStaffBelow(*lower, kind));
    }
}

TEST_F(ReformatOptionsTest, NewThreeStaffScoreHasNoBrace) {
    NewScore(3, 4, 4);
    for (int staff = 1; staff <= 3; ++staff)
        EXPECT_FALSE(JoinsStaffBelow(*StaffRecordOf(doc_, staff), GroupKind::Brace)) << "staff " << staff;
}

// After an appended page leaves the page pool close to full, the user is warned
// once and the latch refuses the next append with the low-resource box.
TEST_F(ReformatOptionsTest, AppendPageWarnsWhenThePoolsRunLow) {
    NewScore(1, 4, 4);
    ui::headless::ResetUi();
    ASSERT_EQ(AppendPage(view_), 1);
    EXPECT_EQ(State().layout.PagesLowLatch, 0) << "plenty of room: no warning";
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());
    // Fill the page pool into its last block, leaving 10 fresh slots: the page the
    // append makes leaves fewer than the 10 the check asks for (the released records
    // on the free list are taken first, so they go too).
    std::vector<void*> taken;
    const RecordPool& pagePool = doc_->pools.pools[kScorePagePool];
    while (!IsPoolNearlyFull(kScorePagePool, 11) || pagePool.blockCount < pagePool.maxBlocks ||
           pagePool.freeList)
        if (void* record = AllocRecord(kScorePagePool))
            taken.push_back(record);
        else
            break;
    ASSERT_TRUE(IsPoolNearlyFull(kScorePagePool, 11));
    ASSERT_FALSE(IsPoolNearlyFull(kScorePagePool, 10));
    ASSERT_EQ(AppendPage(view_), 1) << "the page is still made";
    EXPECT_EQ(State().layout.PagesLowLatch, 1);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_NE(
        ui::headless::MessageBoxes()[0].text.find("Memory is very low. \nSplit file into parts."),
        std::string::npos);
    EXPECT_NE(ui::headless::MessageBoxes()[0].text.find("Warning: "), std::string::npos);
    EXPECT_EQ(AppendPage(view_), 0) << "later appends are refused";
    EXPECT_EQ(PageCount(), 3);
    State().layout.PagesLowLatch = 0;
    for (void* record : taken) FreeRecord(kScorePagePool, record);
}

// While a MIDI file is written, page index 0 starts with a system one measure
// shorter (3 or more measures a system) and every other system carries the export
// mark on every staff; with 2 measures a system nothing is shortened.
TEST_F(ReformatOptionsTest, ExportFlagShortensTheOpeningSystemAndMarksTheOthers) {
    NewScore(2, 4, 4);
    State().files.MidiFileExporting = 1;
    ScorePage* opening = CreatePage(view_, 0, 1);
    ScorePage* later = CreatePage(view_, 1, 17);
    State().files.MidiFileExporting = 0;
    ScorePage* plain = CreatePage(view_, 1, 17);
    ASSERT_NE(opening, nullptr);
    ASSERT_NE(later, nullptr);
    ASSERT_NE(plain, nullptr);
    auto ranges = [](ScorePage* page) {
        Systems out;
        for (ScoreSystem* s = page->firstSystem.get(); s != nullptr; s = s->next.get())
            out.emplace_back(s->firstMeasure, s->lastMeasure);
        return out;
    };
    auto marked = [&](ScorePage* page, int index) {
        ScoreSystem* s = page->firstSystem.get();
        for (int i = 0; i < index; ++i) s = s->next.get();
        return (StaffFlagsOf(s)[1] & pages::kExportedSystemStaff) != 0 &&
               (StaffFlagsOf(s)[2] & pages::kExportedSystemStaff) != 0;
    };
    EXPECT_EQ(ranges(opening), (Systems{{1, 3}, {4, 7}, {8, 11}, {12, 15}}));
    EXPECT_EQ(opening->lastMeasure, 15);
    EXPECT_FALSE(marked(opening, 0)) << "the opening system is not marked";
    EXPECT_TRUE(marked(opening, 1));
    EXPECT_EQ(ranges(later), (Systems{{17, 20}, {21, 24}, {25, 28}, {29, 32}}));
    EXPECT_TRUE(marked(later, 0));
    EXPECT_FALSE(marked(plain, 0)) << "no mark without the flag";
    for (ScorePage* page : {opening, later, plain}) FreePageRecord(page);
}

TEST_F(ReformatOptionsTest, ExportFlagLeavesTwoMeasureSystemsWhole) {
    NewScore(2, 2, 2);
    State().files.MidiFileExporting = 1;
    ScorePage* narrow = CreatePage(view_, 0, 1);
    State().files.MidiFileExporting = 0;
    ASSERT_NE(narrow, nullptr);
    EXPECT_EQ(narrow->firstSystem.get()->lastMeasure, 2);
    EXPECT_EQ(narrow->lastMeasure, 4);
    FreePageRecord(narrow);
}

}  // namespace
}  // namespace ql::testing_layout
