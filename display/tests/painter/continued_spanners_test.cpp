// Spanners that run from the last system of one page onto the next: painting the
// next page draws their continued part (the previous page current, only the wrapped
// part allowed), and leaves the pages, systems and the change counter as they were.
#include <cstring>

#include "core/memory/pool.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/state.h"
#include "display/tests/painter/painter_fixture.h"
#include "notes/beatmap/beat_map.h"
#include "objects/curves/curve_objects.h"
#include "objects/spanners/spanner_objects.h"

namespace ql::testing_painter {
namespace {

class ContinuedSpannerTest : public PainterTest {
  protected:
    void SetUp() override {
        PainterTest::SetUp();
        BuildPages(1, 2, 1, 4, 16);  // page 1: measures 1-4, page 2: 5-8
        page1_ = doc_->firstPage;
        page2_ = page1_->next.get();
        ASSERT_NE(page2_, nullptr);
        ASSERT_EQ(page2_->firstMeasure, 5);
    }

    // A record of the type's size in the cell of staff 1 at the measure.
    template <typename Record>
    Record* AddToCell(ObjectType type, int measure) {
        int pool = 0;
        auto* record = static_cast<Record*>(AllocRecordBySize(sizeof(Record), &pool));
        if (record == nullptr) return nullptr;
        std::memset(static_cast<void*>(record), 0, sizeof(Record));
        auto* object = reinterpret_cast<ScoreObject*>(record);
        object->type = TypeCode(type);
        object->classId = ClassOfType(type);
        MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, 1), doc_, measure);
        InsertObjectAfter(GetOrCreateCellObjectList(cell), object);
        return record;
    }

    void PaintPage(ScorePage* page) {
        view_->currentPage = page;
        view_->currentSystem = page->firstSystem.get();
        UpdateBeatMaps(view_, 1);
        recorder_.calls.clear();
        PaintWindow(nullptr);
    }

    // Draw calls of an object: how many, and how many made as a continuation with
    // the previous page current.
    void CountDraws(const void* object, int* all, int* continued) const {
        *all = *continued = 0;
        for (const auto& call : recorder_.calls) {
            if (static_cast<const void*>(call.object) != object || call.operation != 'D') continue;
            ++*all;
            if (call.continuationOnly != 0 && call.page == page1_) ++*continued;
        }
    }

    ScorePage* page1_ = nullptr;
    ScorePage* page2_ = nullptr;
};

TEST_F(ContinuedSpannerTest, ASlurRunningOffThePageIsDrawnAgainOnTheNextPage) {
    auto* slur = AddToCell<SlurObject>(ObjectType::Slur, 4);
    ASSERT_NE(slur, nullptr);
    slur->body.points[3].coarse[0] = 1;  // ends in measure 5, on page 2
    ScoreSystem* last = page1_->firstSystem.get();
    ScoreSystem* first = page2_->firstSystem.get();
    const ScoreSystem lastBefore = *last;
    const ScoreSystem firstBefore = *first;
    const uint16_t counter = doc_->changeCounter;

    PaintPage(page2_);
    int all = 0, continued = 0;
    CountDraws(slur, &all, &continued);
    EXPECT_EQ(all, 1);
    EXPECT_EQ(continued, 1);
    EXPECT_EQ(State().layout.ContinuationOnly, 0);
    EXPECT_EQ(view_->currentPage, page2_);
    EXPECT_EQ(std::memcmp(last, &lastBefore, sizeof lastBefore), 0) << "links and row number put back";
    EXPECT_EQ(std::memcmp(first, &firstBefore, sizeof firstBefore), 0);
    EXPECT_EQ(doc_->changeCounter, counter);

    // On its own page it is drawn whole, once.
    PaintPage(page1_);
    CountDraws(slur, &all, &continued);
    EXPECT_EQ(all, 1);
    EXPECT_EQ(continued, 0);
}

TEST_F(ContinuedSpannerTest, OnlySpannersThatRunPastTheSystemAreDrawnAgain) {
    auto* inside = AddToCell<SlurObject>(ObjectType::Slur, 3);
    auto* bracket = AddToCell<Wickette>(ObjectType::PedalBracket, 2);
    auto* octave = AddToCell<TextSpanner>(ObjectType::Octave, 4);
    ASSERT_TRUE(inside != nullptr && bracket != nullptr && octave != nullptr);
    inside->body.points[3].coarse[0] = 1;  // measure 4: still on page 1
    bracket->spanner.endpoint.end.coarse[0] = 3;  // measure 5
    octave->spanner.endpoint.end.coarse[0] = 0;

    PaintPage(page2_);
    int all = 0, continued = 0;
    CountDraws(inside, &all, &continued);
    EXPECT_EQ(all, 0);
    CountDraws(bracket, &all, &continued);
    EXPECT_EQ(continued, 1);
    CountDraws(octave, &all, &continued);
    EXPECT_EQ(all, 0);
}

TEST_F(ContinuedSpannerTest, NothingIsDrawnAgainWhenThePagesDoNotMeet) {
    auto* slur = AddToCell<SlurObject>(ObjectType::Slur, 4);
    ASSERT_NE(slur, nullptr);
    slur->body.points[3].coarse[0] = 1;
    page1_->lastMeasure = 3;  // a damaged page chain: page 2 does not follow on
    PaintPage(page2_);
    int all = 0, continued = 0;
    CountDraws(slur, &all, &continued);
    EXPECT_EQ(all, 0);
    page1_->lastMeasure = 4;
}

}  // namespace
}  // namespace ql::testing_painter
