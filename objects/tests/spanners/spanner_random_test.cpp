// Random spanner edits (fixed seeds) by a careful user: repeat endings, octave
// lines and widget brackets made at clicks above the staves in random measures,
// their handles dragged and committed, and spanners deleted. The user looks at the
// page after each placement and drag: a spanner that lands on another mark (or in
// the lines of the staff above, which its tool may lift it into) is taken away
// again and the click tried elsewhere, and a drag that does is dragged back.
// After every edit a paint of every page changes no pool byte (what a spanner draws
// from is in its record from the moment it is made), and the engraving check finds
// nothing, with no kind of finding held back.
#include <random>
#include <vector>

#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "display/tests/painter/engraving_expect.h"
#include "display/tests/painter/paint_check.h"
#include "objects/spanners/spanner_classes.h"
#include "objects/tests/spanners/spanner_fixture.h"

namespace ql::testing_spanners {
namespace {

constexpr int kSteps = 100;
constexpr int kMeasures = 4;
constexpr int kTries = 4;
constexpr int32_t kSpace = 128;
constexpr int32_t kStaffHeight = 4 * kSpace;

class SpannerRandomTest : public SpannerTest, public ::testing::WithParamInterface<unsigned> {
  protected:
    struct Made {
        ScoreObject* object;
        int staff;
        int measure;
    };

    void SetUp() override {
        SpannerTest::SetUp();
        if (!MeasureWithMusicFont()) GTEST_SKIP() << "the music font is not built";
        BuildScore(2, {2}, kMeasures);
    }
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

    bool Clean() { return CheckEngraving(view_).empty(); }

    // A click above a staff (a space to two and a half spaces over its top line),
    // tried again elsewhere while what it places lands on another mark.
    void Make() {
        for (int tries = 0; tries < kTries; ++tries) {
            const int measure = Pick(1, kMeasures);
            Locate(Pick(1, 2), measure);
            view_->pointerPoint = LogicalPoint{SlotContent(System(0), measure) + Pick(0, 600),
                                               view_->staffY - kStaffHeight - Pick(kSpace, kSpace * 5 / 2)};
            ScoreObject* made = nullptr;
            switch (Pick(0, 2)) {
                case 0: made = CreateRepeatEndingAtClick(view_); break;
                case 1: made = CreateOctaveLineAtClick(view_); break;
                default: made = CreateWidgetBracketAtClick(view_); break;
            }
            if (made == nullptr) return;
            made_.push_back({made, view_->currentStaff, measure});
            if (Clean()) {
                ++kept_;
                return;
            }
            Delete(made_.size() - 1);
        }
    }

    // One handle of a spanner moved and the drag committed, as a drag by the
    // selection does.
    void Drag() {
        const Made& m = made_[static_cast<size_t>(Pick(0, static_cast<int>(made_.size()) - 1))];
        const int handle = Pick(0, 3);
        const int dx = Pick(-300, 300);
        const int dy = Pick(-300, 300);
        DragHandle(m, handle, dx, dy);
        if (!Clean()) DragHandle(m, handle, -dx, -dy);
    }

    void DragHandle(const Made& m, int index, int dx, int dy) {
        Locate(m.staff, m.measure);
        HitRecord* chain = ClassOf(m.object).BuildHandles(m.object, view_);
        if (chain == nullptr) return;
        m.object->handleChain = Ref32<HitRecord>::To(chain);
        HitRecord* handle = chain;
        for (int k = index; k > 0 && handle->child.get() != nullptr; --k) handle = handle->child.get();
        SelectionState* selection = TheSelectionState();
        selection->grabbedRecord = Ref32<HitRecord>::To(handle);
        selection->dragOffsetX = dx;
        selection->dragOffsetY = dy;
        ClassOf(m.object).TrackDrag(m.object, view_);
        Locate(m.staff, m.measure);
        ClassOf(m.object).CommitDrag(m.object, view_);
        m.object->handleChain = Ref32<HitRecord>{};
        selection->grabbedRecord = Ref32<HitRecord>{};
        FreeHitRecordChain(chain);
        FreeHitRecord(chain);
    }

    void Delete() { Delete(static_cast<size_t>(Pick(0, static_cast<int>(made_.size()) - 1))); }
    void Delete(size_t at) {
        UnlinkObject(made_[at].object);
        ReleaseObjectByType(doc_, made_[at].object);
        made_.erase(made_.begin() + static_cast<std::ptrdiff_t>(at));
    }

    std::vector<Made> made_;
    int kept_ = 0;  // placements that stood clear
    std::mt19937 rng_;
};

TEST_P(SpannerRandomTest, PaintingNeverChangesTheDocument) {
    rng_.seed(GetParam());
    for (int step = 0; step < kSteps; ++step) {
        const int what = made_.empty() ? 0 : Pick(0, 5);
        if (what <= 2)
            Make();
        else if (what <= 4)
            Drag();
        else
            Delete();
        ASSERT_TRUE(::ql::testing::PaintingEveryPageChangesNothing(view_)) << "seed " << GetParam() << " step " << step;
        ASSERT_TRUE(::ql::testing::EngravingIsClean(view_)) << "seed " << GetParam() << " step " << step;
    }
    // The user found room for many spanners.
    EXPECT_GE(kept_, kSteps / 5);
}

// A bracket clicked into a staff's lines is drawn there, and the engraving check
// says so; clicked above the staff it stands clear.
TEST_F(SpannerTest, ABracketClickedIntoTheStaffIsFoundThere) {
    if (!MeasureWithMusicFont()) GTEST_SKIP() << "the music font is not built";
    BuildScore(2, {2}, kMeasures);
    for (const bool inside : {true, false}) {
        SCOPED_TRACE(inside ? "inside" : "above");
        Locate(1, 2);
        view_->pointerPoint = LogicalPoint{SlotContent(System(0), 2) + 200,
                                           view_->staffY - (inside ? kStaffHeight / 2 : kStaffHeight + 2 * kSpace)};
        ScoreObject* bracket = CreateWidgetBracketAtClick(view_);
        ASSERT_NE(bracket, nullptr);
        int found = 0;
        for (const EngravingFinding& f : CheckEngraving(view_)) {
            EXPECT_EQ(f.kind, FindingKind::LineInStaff) << DescribeFinding(f);
            ++found;
        }
        EXPECT_EQ(found, inside ? 1 : 0);
        UnlinkObject(bracket);
        ReleaseObjectByType(doc_, bracket);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, SpannerRandomTest, ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u));

}  // namespace
}  // namespace ql::testing_spanners
