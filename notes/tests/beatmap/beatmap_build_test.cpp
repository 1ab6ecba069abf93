// Building rows: a widened measure changes only its own row from its slot on; the
// scroll view ends its system at the end of the score or two measures before the
// one that crossed x 32,767; the entry point's notice; tuplet marks laid out again
// after a build; linked views built together; the slot x that readers add up.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "display/linked_views.h"
#include "notes/beatmap/beat_map.h"
#include "notes/tests/beatmap/beatmap_fixture.h"
#include "platform/ui/headless.h"

namespace ql::testing_beatmap {
namespace {

// Everything a row holds, for comparing builds.
struct RowPicture {
    std::vector<std::vector<int>> fields;  // per slot: every position field
    std::vector<std::vector<int>> ticks;   // per own slot: its tick x
};

class BuildTest : public BeatMapTest {
  protected:
    RowPicture Picture(int row, const ScoreSystem* system) const {
        RowPicture picture;
        const BeatMap& map = Map();
        for (int slot = 1; slot <= kLastBeatMapSlot; ++slot) {
            const int c = BeatMapCell(row, slot);
            picture.fields.push_back({map.slotFlags[c], map.leadX[c], map.cancelX[c], map.keyX[c],
                                      map.timeX[c], map.slotX[c], map.marginX[c], map.contentX[c],
                                      map.trailSpace[c]});
        }
        if (system != nullptr)
            for (int slot = 1; slot <= system->lastMeasure - system->firstMeasure + 1; ++slot)
                picture.ticks.push_back(Ticks(system, slot));
        return picture;
    }
};

// Laying out only a system's own slots (as placing it between the margins does)
// gives those slots what a whole build gives them, signs and positions, with each
// measure's width first brought up to date from its spacing; the slots past the
// system are left alone.
TEST_F(BuildTest, OwnSlotsAloneMatchAWholeBuild) {
    constexpr int kKeyTwoSharps = 9;
    constexpr int kBassClef = 3;
    constexpr uint16_t kColumnFactor = 300;
    BuildScore(2, {3}, 4);
    SetTime(5, 3, kQuarterUnit);
    SetKey(6, kKeyTwoSharps);
    SetClef(2, 7, kBassClef);
    SetSpacing(6, {{0, 1024, kColumnFactor}, {1024, 1024, kColumnFactor}});
    ShowSystem(0, 1);
    UpdateBeatMaps(view_, 1);
    ScoreSystem* system = System(0, 1);
    system->keepNaturalWidth = 1;  // the whole build then only moves it
    // Widths out of date: the factors change, the widths are not stored again.
    Record(5).stretch = static_cast<uint16_t>(Record(5).stretch + 512);
    Record(6).stretch = static_cast<uint16_t>(Record(6).stretch + 256);
    const int past = BeatMapCell(system->number, 5);
    view_->beatMap.slotX[past] = 12345;  // slot 5 belongs to no measure of the system
    ASSERT_EQ(LayOutSystemSlots(view_), 1);
    const RowPicture alone = Picture(system->number, nullptr);
    const std::vector<int> widths = {Record(5).width, Record(6).width, Record(7).width,
                                     Record(8).width};
    EXPECT_EQ(Map().slotX[past], 12345);
    ASSERT_EQ(BuildStaffBeatMap(view_, 0), 1);
    const RowPicture whole = Picture(system->number, nullptr);
    for (int slot = 0; slot < 4; ++slot) EXPECT_EQ(alone.fields[slot], whole.fields[slot]) << slot;
    EXPECT_EQ(widths, (std::vector<int>{Record(5).width, Record(6).width, Record(7).width,
                                        Record(8).width}));
}

// Widening measure 6 (slot 2 of the second system) and rebuilding that row leaves
// every other row as it was, and in its own row slot 1; slot 2 gets new ticks on
// the same start, and every later slot moves right by exactly the added width.
TEST_F(BuildTest, WideningAMeasureChangesOnlyItsRowFromItsSlotOn) {
    BuildScore(1, {3}, 4);
    UpdateBeatMaps(view_, 1);
    const RowPicture before[] = {Picture(0, System(0, 0)), Picture(1, System(0, 1)),
                                 Picture(2, System(0, 2)), Picture(3, nullptr)};
    const int oldWidth = Record(6).width;
    Record(6).stretch += 1024;
    ShowSystem(0, 1);
    EXPECT_EQ(BuildStaffBeatMap(view_, 0), 1);
    const int added = Record(6).width - oldWidth;
    ASSERT_GT(added, 0);
    EXPECT_EQ(Picture(0, System(0, 0)).fields, before[0].fields);
    EXPECT_EQ(Picture(0, System(0, 0)).ticks, before[0].ticks);
    EXPECT_EQ(Picture(2, System(0, 2)).fields, before[2].fields);
    EXPECT_EQ(Picture(2, System(0, 2)).ticks, before[2].ticks);
    EXPECT_EQ(Picture(3, nullptr).fields, before[3].fields);
    const RowPicture after = Picture(1, System(0, 1));
    EXPECT_EQ(after.fields[0], before[1].fields[0]);
    EXPECT_EQ(after.ticks[0], before[1].ticks[0]);
    EXPECT_EQ(after.fields[1], before[1].fields[1]);
    EXPECT_NE(after.ticks[1], before[1].ticks[1]);
    // Slots up to the measure count + 4 move (up to the 32,767 clamp); the ones
    // beyond are never reached.
    constexpr int kSlotX = 5;
    const int lastReached = doc_->header.measureCount + 4 - System(0, 1)->firstMeasure + 1;
    for (int slot = 3; slot <= kLastBeatMapSlot; ++slot) {
        const int old = before[1].fields[slot - 1][kSlotX];
        const int expected = slot <= lastReached ? std::min(old + added, kMaxBeatMapX) : old;
        EXPECT_EQ(after.fields[slot - 1][kSlotX], expected) << "slot " << slot;
    }
}

class ScrollBuildTest : public BuildTest {
  protected:
    void ScrollView(int staves, int measures) {
        BuildScore(staves, {measures / 4}, 4);
        ASSERT_TRUE(BuildGalleyPage(view_, nullptr));
        view_->pageView = 0;
        view_->visibleRect = gfx::Rect{kLogicalOrigin, kLogicalOrigin, kMaxBeatMapX, 0};
    }
};

// A scroll view whose measures would pass x 32,767 ends its system two measures
// before the one that crossed the limit; no slot passes the limit.
TEST_F(ScrollBuildTest, EndsTwoMeasuresBeforeTheOneThatCrossedTheLimit) {
    ScrollView(1, 40);
    EXPECT_EQ(UpdateBeatMaps(view_, 0), 1);
    const int built = State().notes.ScrollViewSlots;
    ASSERT_GT(built, 2);
    ASSERT_LT(built, kLastBeatMapSlot);
    const int crossed = view_->galleySystem->firstMeasure + built - 1;
    EXPECT_EQ(view_->galleySystem->lastMeasure, crossed - 2);
    EXPECT_EQ(view_->galleyPage->lastMeasure, crossed - 2);
    const int32_t systemX = view_->galleySystem->x;
    for (int slot = 2; slot < built; ++slot)
        EXPECT_LE(systemX + Map().slotX[BeatMapCell(0, slot)] + 2 * 256, kLogicalMax) << slot;
    const int last = BeatMapCell(0, built);
    EXPECT_TRUE(Map().slotX[last] == kMaxBeatMapX - 256 ||
                Map().contentX[last] == Map().slotX[last]);
}

// A scroll view that reaches the end of the score ends its system at the last
// measure (the slot after it, for the closing barline, is placed but not counted).
TEST_F(ScrollBuildTest, EndsAtTheLastMeasureOfTheScore) {
    ScrollView(1, 4);
    for (int m = 1; m <= 8; ++m) Record(m).stretch = 256;
    EXPECT_EQ(UpdateBeatMaps(view_, 0), 1);
    EXPECT_EQ(State().notes.ScrollViewSlots, 5);
    EXPECT_EQ(view_->galleySystem->lastMeasure, 4);
    EXPECT_GT(SlotTickToX(view_, view_->galleySystem, 4, 1024), 0);
}

// Without a current page the entry point shows its notice and builds nothing;
// without staves it returns quietly.
TEST_F(BuildTest, EntryPointNoticesAMissingPage) {
    BuildScore(1, {1}, 4);
    view_->currentPage = nullptr;
    EXPECT_EQ(UpdateBeatMaps(view_, 1), 0);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(ui::headless::MessageBoxes()[0].text, "[BEATMAP.1191] \n Notice: ");
    EXPECT_EQ(Map().rowsAllocated, 0);
    ShowSystem(0, 0);
    doc_->header.staffCount = 0;
    EXPECT_EQ(UpdateBeatMaps(view_, 1), 0);
    EXPECT_EQ(BuildStaffBeatMap(view_, 1), 0);
    EXPECT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(Map().rowsAllocated, 0);
}

// A tuplet mark class that notes where the view was when it was laid out again.
class TupletMarks : public ScoreObjectClass {
  public:
    void ResetState(ScoreObject* /*object*/, ScoreView* view) const override {
        places.push_back({view->currentStaff, view->currentMeasure});
    }
    mutable std::vector<std::pair<int, int>> places;
};

// After a build every tuplet mark of the system's events is laid out again, at its
// staff and measure, except a mark placed by hand; the location is put back.
TEST_F(BuildTest, TupletMarksAreLaidOutAgainUnlessPlacedByHand) {
    BuildScore(2, {2}, 4);
    TupletMarks marks;
    RegisterObjectClass(ClassOfType(ObjectType::Tuplet), &marks);
    auto attach = [&](int staff, int measure, int time, uint16_t flags) {
        EventRecord* note = AddEventToVoice(view_, Cell(staff, measure), 1,
                                            static_cast<uint16_t>(time), kDurationQuarter, 4);
        ASSERT_NE(note, nullptr);
        auto* mark = static_cast<TextObject*>(AllocRecord(kTextObjectPool));
        ASSERT_NE(mark, nullptr);
        ConstructTextObject(mark);
        mark->header.classId = ClassOfType(ObjectType::Tuplet);
        mark->header.type = TypeCode(ObjectType::Tuplet);
        mark->body.flags = flags;
        note->attachment = PtrToHandle(kTextObjectPool, mark);
    };
    attach(2, 3, 0, 0);
    attach(1, 4, 1024, 0x8000);  // placed by hand
    attach(1, 5, 0, 0);          // the next system
    view_->currentStaff = 1;
    view_->currentMeasure = 7;
    UpdateBeatMaps(view_, 1);
    ASSERT_EQ(marks.places.size(), 2u);
    EXPECT_EQ(marks.places[0], std::make_pair(2, 3));
    EXPECT_EQ(marks.places[1], std::make_pair(1, 5));
    EXPECT_EQ(view_->currentStaff, 1);
    EXPECT_EQ(view_->currentMeasure, 7);
}

// A refresh scope asks once: with a mark in the set the marks are laid out as
// without a scope; a scope that found none skips the walk (layout makes no marks
// while it runs), and the walk comes back when the scope ends.
TEST_F(BuildTest, TupletRefreshScopeSkipsOnlyASetWithoutMarks) {
    BuildScore(1, {2}, 4);
    TupletMarks marks;
    RegisterObjectClass(ClassOfType(ObjectType::Tuplet), &marks);
    EventRecord* note = AddEventToVoice(view_, Cell(1, 2), 1, 0, kDurationQuarter, 4);
    ASSERT_NE(note, nullptr);
    auto* mark = static_cast<TextObject*>(AllocRecord(kTextObjectPool));
    ASSERT_NE(mark, nullptr);
    ConstructTextObject(mark);
    mark->header.classId = ClassOfType(ObjectType::Tuplet);
    {
        // The record is not a tuplet yet when the scope looks: nothing to walk.
        TupletRefreshScope scope;
        mark->header.type = TypeCode(ObjectType::Tuplet);
        note->attachment = PtrToHandle(kTextObjectPool, mark);
        UpdateBeatMaps(view_, 1);
        EXPECT_TRUE(marks.places.empty());
    }
    UpdateBeatMaps(view_, 1);
    EXPECT_EQ(marks.places.size(), 1u) << "outside the scope the system is walked";
    {
        TupletRefreshScope scope;
        TupletRefreshScope nested;
        UpdateBeatMaps(view_, 1);
    }
    EXPECT_EQ(marks.places.size(), 2u) << "a scope that found the mark walks";
}

// The views of the same score whose pages overlap or touch are built with it; a
// view of a page further away is not.
TEST_F(BuildTest, LinkedViewsAreBuiltTogether) {
    BuildScore(1, {1, 1, 1}, 4);
    auto open = [&](int page) {
        ScoreView* other = InitView(AllocView());
        other->document = doc_;
        other->currentPage = Page(page);
        other->currentSystem = System(page, 0);
        LinkView(other);
        return other;
    };
    ScoreView* next = open(1);
    ScoreView* far = open(2);
    BuildBeatMapsOnLinkedViews(view_, 1);
    EXPECT_GT(view_->beatMap.rowsAllocated, 0);
    EXPECT_GT(next->beatMap.rowsAllocated, 0);
    EXPECT_EQ(far->beatMap.rowsAllocated, 0);
    FreeView(next);
    FreeView(far);
}

// The x of a slot's first beat is its contentX plus the system's x; slots outside
// 1..27 are taken as the nearest one.
TEST_F(BuildTest, MeasureSlotXAddsTheSystemX) {
    BuildScore(1, {1}, 4);
    UpdateBeatMaps(view_, 1);
    const ScoreSystem* system = System(0, 0);
    EXPECT_EQ(MeasureSlotX(view_, system, 2), kSystemX + Map().contentX[BeatMapCell(0, 2)]);
    EXPECT_EQ(MeasureSlotX(view_, system, 0), MeasureSlotX(view_, system, 1));
    EXPECT_EQ(MeasureSlotX(view_, system, 99), MeasureSlotX(view_, system, kLastBeatMapSlot));
    EXPECT_EQ(MeasureSlotX(view_, nullptr, 2), 0);
}

}  // namespace
}  // namespace ql::testing_beatmap
