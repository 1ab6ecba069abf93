// The document's repeat-ending list: which measures an ending covers (its stored
// span kept, the range bounded by the score), which ending of a measure counts, that
// the list is kept between lookups and rebuilt once freed, that building it leaves the
// cells alone, and the pass numbers read from a label.
#include <algorithm>
#include <random>

#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar_notes.h"
#include "objects/object_services.h"
#include "objects/spanners/repeat_ending_list.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/tests/spanners/spanner_fixture.h"

namespace ql::testing_spanners {
namespace {

class RepeatEndingListTest : public SpannerTest {
  protected:
    void SetUp() override {
        SpannerTest::SetUp();
        BuildScore(2, {2}, 4);  // 8 measures
    }
    RepeatEndingObject* Ending(int staff, int measure, int span) {
        ScoreObject* object = AddToCell(ObjectType::RepeatEnding, staff, measure);
        EXPECT_NE(object, nullptr);
        AsRepeatEnding(object)->span = static_cast<uint16_t>(span);
        return AsRepeatEnding(object);
    }
    // first..last of the range holding a measure; {0, 0} when none.
    std::pair<int, int> RangeAt(int measure) {
        const RepeatEndingRange* range = FindRepeatEndingAtMeasure(doc_, view_, measure);
        return range == nullptr ? std::pair{0, 0} : std::pair{int{range->firstMeasure}, int{range->lastMeasure}};
    }
};

TEST_F(RepeatEndingListTest, SpanCoversItsMeasuresWithinTheScore) {
    Ending(1, 5, 1);
    // Span 1 covers its own measure only.
    EXPECT_EQ(RangeAt(5), (std::pair{5, 5}));
    EXPECT_EQ(RangeAt(4), (std::pair{0, 0}));
    EXPECT_EQ(RangeAt(6), (std::pair{0, 0}));
    // A span of 0 from a file still covers the ending's own measure.
    Ending(1, 2, 0);
    EXPECT_EQ(RangeAt(2), (std::pair{2, 2}));
    EXPECT_EQ(RangeAt(3), (std::pair{0, 0}));
    // A span past the last measure stops at the last measure; the stored span is kept.
    RepeatEndingObject* longOne = Ending(2, 7, 100);
    EXPECT_EQ(RangeAt(8), (std::pair{7, 8}));
    EXPECT_EQ(longOne->span, 100);
    EXPECT_EQ(RangeAt(9), (std::pair{0, 0}));
}

TEST_F(RepeatEndingListTest, OnlyTheLowestStaffsEndingOfAMeasureCounts) {
    RepeatEndingObject* lower = Ending(2, 3, 3);
    RepeatEndingObject* upper = Ending(1, 3, 1);
    lower->passes[0] = 9;
    upper->passes[0] = 1;
    const RepeatEndingList* list = GetRepeatEndingList(doc_);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->ranges.size(), 1u);
    EXPECT_EQ(list->ranges[0].passes[0], 1);
    EXPECT_EQ(RangeAt(3), (std::pair{3, 3}));
    EXPECT_EQ(RangeAt(4), (std::pair{0, 0}));  // the staff-2 ending's span does not count
}

TEST_F(RepeatEndingListTest, ListRunsFromTheHighestFirstMeasureAndTheLaterStartWins) {
    Ending(1, 2, 4);  // 2..5
    Ending(1, 4, 1);  // 4..4, inside the first
    const RepeatEndingList* list = GetRepeatEndingList(doc_);
    ASSERT_NE(list, nullptr);
    ASSERT_EQ(list->ranges.size(), 2u);
    EXPECT_EQ(list->ranges[0].firstMeasure, 4);
    EXPECT_EQ(list->ranges[1].firstMeasure, 2);
    EXPECT_EQ(RangeAt(4), (std::pair{4, 4}));
    EXPECT_EQ(RangeAt(5), (std::pair{2, 5}));
}

TEST_F(RepeatEndingListTest, ListIsKeptBetweenLookupsAndRebuiltOnceFreed) {
    // No ending: no list to hand out, and lookups find nothing.
    EXPECT_EQ(GetRepeatEndingList(doc_), nullptr);
    RepeatEndingObject* ending = Ending(1, 5, 1);
    // Making an ending freed the stale (empty) list.
    EXPECT_EQ(doc_->repeatEndings, nullptr);
    EXPECT_EQ(RangeAt(5), (std::pair{5, 5}));
    const RepeatEndingList* built = doc_->repeatEndings;
    ASSERT_NE(built, nullptr);
    // A change behind the list's back is not seen: lookups do not rebuild.
    ending->span = 3;
    EXPECT_EQ(RangeAt(6), (std::pair{0, 0}));
    EXPECT_EQ(doc_->repeatEndings, built);
    // Once freed, the next lookup builds it again.
    FreeRepeatEndingList(doc_);
    EXPECT_EQ(doc_->repeatEndings, nullptr);
    EXPECT_EQ(RangeAt(6), (std::pair{5, 7}));
}

// Any change marked on the score (measures inserted or deleted move the endings'
// cells) builds the list again at the next lookup.
TEST_F(RepeatEndingListTest, AChangeToTheScoreBuildsTheListAgain) {
    RepeatEndingObject* ending = Ending(1, 5, 1);
    EXPECT_EQ(RangeAt(6), (std::pair{0, 0}));
    ending->span = 3;
    SetDocumentModified(doc_);
    EXPECT_EQ(RangeAt(6), (std::pair{5, 7}));
    EXPECT_EQ(RangeAt(6), (std::pair{5, 7}));  // and keeps it until the next change
}

// While held (the ties of a transcription) the list stands through changes marked
// on the score; a list freed meanwhile is built again, and after the hold a change
// builds it again as before.
TEST_F(RepeatEndingListTest, AHeldListStandsThroughChangesToTheScore) {
    RepeatEndingObject* ending = Ending(1, 5, 1);
    {
        const RepeatEndingListHold hold(doc_);
        const RepeatEndingList* built = doc_->repeatEndings;
        ASSERT_NE(built, nullptr);
        SetDocumentModified(doc_);
        EXPECT_EQ(RangeAt(5), (std::pair{5, 5}));
        EXPECT_EQ(doc_->repeatEndings, built);
        ending->span = 3;
        FreeRepeatEndingList(doc_);
        EXPECT_EQ(RangeAt(6), (std::pair{5, 7}));
        ending->span = 2;
        SetDocumentModified(doc_);
        EXPECT_EQ(RangeAt(7), (std::pair{0, 0}));  // the list built meanwhile is not held
    }
    ending->span = 1;
    SetDocumentModified(doc_);
    EXPECT_EQ(RangeAt(6), (std::pair{0, 0}));
}

TEST_F(RepeatEndingListTest, BuildingCreatesNoCells) {
    // A measure count past the cells made so far: the build walks measures without cells.
    constexpr int kMeasures = 300;
    doc_->header.measureCount = kMeasures;
    auto cells = [&] {
        int count = 0;
        for (int staff = 1; staff <= 2; ++staff)
            for (int m = 1; m <= kMeasures; ++m) count += ExistingMeasureCell(doc_, staff, m) != nullptr;
        return count;
    };
    Ending(2, 6, 1);
    const int before = cells();
    ASSERT_LT(before, 2 * kMeasures);
    ASSERT_NE(GetRepeatEndingList(doc_), nullptr);
    EXPECT_EQ(cells(), before);
}

// Random endings added, moved, respanned and removed; after each step the list, once
// freed and rebuilt, answers every measure as a direct reading of the cells does.
TEST_F(RepeatEndingListTest, RandomEditsAgreeWithTheCells) {
    std::mt19937 random(39);
    std::vector<std::pair<ScoreObject*, std::pair<int, int>>> endings;  // object, (staff, measure)
    auto expected = [&](int measure) {
        std::pair<int, int> best{0, 0};
        for (int first = 1; first <= 8; ++first) {
            const RepeatEndingObject* chosen = nullptr;
            for (int staff = 1; staff <= 2 && chosen == nullptr; ++staff) {
                MeasureCell* cell = ExistingMeasureCell(doc_, staff, first);
                for (ScoreObject* o = cell != nullptr ? cell->objects.get() : nullptr; o != nullptr; o = o->next.get())
                    if (o->type == TypeCode(ObjectType::RepeatEnding)) {
                        chosen = AsRepeatEnding(o);
                        break;
                    }
            }
            if (chosen == nullptr) continue;
            const int last = std::min(std::max(first, first + chosen->span - 1), 8);
            if (first <= measure && measure <= last) best = {first, last};
        }
        return best;
    };
    for (int step = 0; step < 200; ++step) {
        const int action = static_cast<int>(random() % 3);
        if (action == 0 || endings.empty()) {
            const int staff = 1 + static_cast<int>(random() % 2), measure = 1 + static_cast<int>(random() % 8);
            endings.push_back({&Ending(staff, measure, static_cast<int>(random() % 5))->text.header, {staff, measure}});
        } else if (action == 1) {
            AsRepeatEnding(endings[random() % endings.size()].first)->span = static_cast<uint16_t>(random() % 12);
        } else {
            const size_t i = random() % endings.size();
            UnlinkObject(endings[i].first);
            ReleaseObjectByType(doc_, endings[i].first);
            endings.erase(endings.begin() + static_cast<long>(i));
        }
        FreeRepeatEndingList(doc_);
        for (int m = 0; m <= 9; ++m) ASSERT_EQ(RangeAt(m), expected(m)) << "step " << step << " measure " << m;
    }
}

class RepeatPassesTest : public SpannerTest {
  protected:
    void SetUp() override {
        SpannerTest::SetUp();
        BuildScore(1, {1}, 4);
    }
    std::vector<int> Passes(const char* label) {
        ScoreObject* object = ConstructObject(TypeCode(ObjectType::RepeatEnding));
        EXPECT_NE(object, nullptr);
        RepeatEndingObject* ending = AsRepeatEnding(object);
        ending->passes[3] = 7;  // cleared by every parse
        EXPECT_GE(SetTextObjectString(&ending->text, label), 0);
        ending->text.body.flags |= kTextOwnsString;
        ParseRepeatPasses(ending);
        std::vector<int> passes(ending->passes, ending->passes + 4);
        DestroyTextObject(&ending->text);
        FreeRecord(kLargeObjectPool, object);
        return passes;
    }
};

TEST_F(RepeatPassesTest, LabelDigitsBecomePasses) {
    // Numbers split by punctuation or a dash are separate passes.
    EXPECT_EQ(Passes("1, 2"), (std::vector<int>{1, 2, 0, 0}));
    EXPECT_EQ(Passes("1-3"), (std::vector<int>{1, 3, 0, 0}));
    // A number above 255 reads as 0.
    EXPECT_EQ(Passes("300"), (std::vector<int>{0, 0, 0, 0}));
    EXPECT_EQ(Passes("255."), (std::vector<int>{255, 0, 0, 0}));
    // At most four numbers, and only from the first 32 characters.
    EXPECT_EQ(Passes("1 2 3 4 5"), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(Passes("                                  7"), (std::vector<int>{0, 0, 0, 0}));
    // No digit at all: no pass.
    EXPECT_EQ(Passes("fine"), (std::vector<int>{0, 0, 0, 0}));
}

TEST_F(RepeatPassesTest, OneCharacterDigitLabelGivesPassA) {
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::RepeatEnding));
    ASSERT_NE(object, nullptr);
    RepeatEndingObject* ending = AsRepeatEnding(object);
    ending->text.body.string = '2';
    ParseRepeatPasses(ending);
    EXPECT_EQ(ending->passes[0], 2);
    // A one-character label that is not a digit gives none.
    ending->text.body.string = 'x';
    ParseRepeatPasses(ending);
    EXPECT_EQ(ending->passes[0], 0);
    FreeRecord(kLargeObjectPool, object);
}

}  // namespace
}  // namespace ql::testing_spanners
