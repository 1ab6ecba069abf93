// Random spanner edits (fixed seeds): repeat endings, octave lines and widget
// brackets made at clicks in random measures, their handles dragged and committed,
// and spanners deleted. After every edit a paint of every page changes no pool
// byte: what a spanner draws from is in its record from the moment it is made; the
// engraving check finds nothing on a spanner alone, and nothing but spanners over
// one another once there are more.
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

class SpannerRandomTest : public SpannerTest, public ::testing::WithParamInterface<unsigned> {
  protected:
    void SetUp() override {
        SpannerTest::SetUp();
        if (!MeasureWithMusicFont()) GTEST_SKIP() << "the music font is not built";
        BuildScore(2, {2}, kMeasures);
    }
    int Pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(rng_); }

    void Make() {
        const int measure = Pick(1, kMeasures);
        Locate(Pick(1, 2), measure);
        view_->pointerPoint = LogicalPoint{SlotContent(System(0), measure) + Pick(0, 600), view_->staffY - Pick(0, 1200)};
        ScoreObject* made = nullptr;
        switch (Pick(0, 2)) {
            case 0: made = CreateRepeatEndingAtClick(view_); break;
            case 1: made = CreateOctaveLineAtClick(view_); break;
            default: made = CreateWidgetBracketAtClick(view_); break;
        }
        if (made != nullptr) made_.push_back({made, view_->currentStaff, measure});
    }

    // One handle of a spanner moved and the drag committed, as a drag by the
    // selection does.
    void Drag() {
        const Made& m = made_[static_cast<size_t>(Pick(0, static_cast<int>(made_.size()) - 1))];
        Locate(m.staff, m.measure);
        HitRecord* chain = ClassOf(m.object).BuildHandles(m.object, view_);
        if (chain == nullptr) return;
        m.object->handleChain = Ref32<HitRecord>::To(chain);
        HitRecord* handle = chain;
        for (int k = Pick(0, 3); k > 0 && handle->child.get() != nullptr; --k) handle = handle->child.get();
        SelectionState* selection = TheSelectionState();
        selection->grabbedRecord = Ref32<HitRecord>::To(handle);
        selection->dragOffsetX = Pick(-300, 300);
        selection->dragOffsetY = Pick(-300, 300);
        ClassOf(m.object).TrackDrag(m.object, view_);
        Locate(m.staff, m.measure);
        ClassOf(m.object).CommitDrag(m.object, view_);
        m.object->handleChain = Ref32<HitRecord>{};
        selection->grabbedRecord = Ref32<HitRecord>{};
        FreeHitRecordChain(chain);
        FreeHitRecord(chain);
    }

    void Delete() {
        const size_t at = static_cast<size_t>(Pick(0, static_cast<int>(made_.size()) - 1));
        UnlinkObject(made_[at].object);
        ReleaseObjectByType(doc_, made_[at].object);
        made_.erase(made_.begin() + static_cast<std::ptrdiff_t>(at));
    }

    struct Made {
        ScoreObject* object;
        int staff;
        int measure;
    };
    std::vector<Made> made_;
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
        // A spanner stands where its click (or a drag) puts it: one alone is checked
        // with nothing held back; with others near, their marks stand over one another
        // where the clicks and drags put them, and those findings alone are left out.
        if (made_.size() <= 1)
            ASSERT_TRUE(::ql::testing::EngravingIsClean(view_)) << "seed " << GetParam() << " step " << step;
        else
            ASSERT_TRUE(::ql::testing::EngravingIsClean(view_, {FindingKind::MarkOverMark}))
                << "seed " << GetParam() << " step " << step;
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, SpannerRandomTest, ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u));

}  // namespace
}  // namespace ql::testing_spanners
