// The memo of the signs of slots (SignLayoutScope): every slot takes the signs it
// would have without the memo, inside its system and past its end, a system's first
// slot follows the system's flags, and a change of the measure count inside the
// scope sets the memo aside.
#include <gtest/gtest.h>

#include <tuple>
#include <vector>

#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "notes/beatmap/beat_map.h"
#include "notes/tests/beatmap/beatmap_fixture.h"

namespace ql::testing_beatmap {
namespace {

constexpr int kKeyTwoSharps = 9;
constexpr int kBassClef = 3;
constexpr uint8_t kNaturalsBefore = 1;

auto Fields(const MeasureLayout& l) {
    return std::make_tuple(l.leadX, l.keyX, l.timeX, l.marginX, l.trailSpace, l.cancelX, l.firstBeat,
                           l.flags);
}

class SignMemoTest : public BeatMapTest {
  protected:
    void SetUp() override {
        BeatMapTest::SetUp();
        BuildScore(2, {3, 3}, 3);  // systems of measures 1-3, 4-6, ... 16-18
    }
    // The layout of every slot of every system, as the rows reach them.
    std::vector<decltype(Fields(MeasureLayout{}))> EverySlot() {
        std::vector<decltype(Fields(MeasureLayout{}))> all;
        for (int page = 0; page < 2; ++page)
            for (int index = 0; index < 3; ++index) {
                const ScoreSystem* system = System(page, index);
                all.push_back(Fields(ComputeMeasureLayout(view_, system, system->firstMeasure, 0)));
                for (int slot = 2; slot <= kLastBeatMapSlot; ++slot)
                    all.push_back(Fields(
                        ComputeMeasureLayout(view_, system, system->firstMeasure + slot - 1, 1)));
            }
        return all;
    }
};

// Measure 5 lies past the end of system 1 and inside system 2: its both-repeats
// barline leads only inside, so the two cases are kept apart. Key changes with
// naturals before the barline, a clef change, a time change and a hidden barline
// come out as they do without the memo, on the first pass and from the memo.
TEST_F(SignMemoTest, LaterSlotsTakeTheSignsTheyWouldHaveWithoutTheMemo) {
    State().notes.KeyCancelLeftOfBar = kNaturalsBefore;
    SetBarline(5, BarlineType::BothRepeats);
    SetBarline(11, BarlineType::StartRepeat);
    SetKey(5, kKeyTwoSharps);
    SetKey(6, kKeyTwoSharps);
    SetClef(2, 8, kBassClef);
    SetTime(7, 3, kQuarterUnit);
    Record(10).flags |= kMeasureBarlineHidden;
    Record(12).lead = 300;  // the first beat follows the lead, not the memo
    const auto plain = EverySlot();
    ASSERT_NE(std::get<0>(plain[4]), std::get<0>(plain[kLastBeatMapSlot + 1]))  // measure 5 both ways
        << "the score must lead measure 5 differently inside and past a system";
    SignLayoutScope scope(doc_);
    EXPECT_EQ(EverySlot(), plain);
    EXPECT_EQ(EverySlot(), plain);
    Record(12).lead = 100;
    const auto moved = EverySlot();
    EXPECT_EQ(std::get<6>(moved[11]) - std::get<6>(plain[11]), -200);  // system 1, slot 12
}

// A system's first slot follows the flags every staff of the system has, also when
// its signs were laid out before in the scope.
TEST_F(SignMemoTest, SystemStartFollowsTheSystemFlags) {
    SetKey(4, kKeyTwoSharps);
    ScoreSystem* system = System(0, 1);  // measures 4-6
    int8_t* flags = StaffFlagsOf(system);
    const int8_t shownFlags[] = {flags[1], flags[2]};
    auto hideKey = [&] {
        for (int staff = 1; staff <= 2; ++staff) flags[staff] |= kSystemStaffNoKey;
    };
    auto showKey = [&] {
        for (int staff = 1; staff <= 2; ++staff) flags[staff] = shownFlags[staff - 1];
    };
    auto start = [&] { return Fields(ComputeMeasureLayout(view_, system, 4, 0)); };
    const auto shown = start();
    hideKey();
    const auto hidden = start();
    ASSERT_NE(shown, hidden);
    showKey();
    SignLayoutScope scope(doc_);
    EXPECT_EQ(start(), shown);
    hideKey();
    EXPECT_EQ(start(), hidden);
    showKey();
    EXPECT_EQ(start(), shown);
}

// The time signature of the last measure shows while it is in the score; once the
// count drops below it inside the scope, the memo is set aside and it is hidden.
TEST_F(SignMemoTest, MeasureCountChangeSetsTheMemoAside) {
    SetTime(18, 3, kQuarterUnit);
    const ScoreSystem* system = System(1, 2);  // measures 16-18
    SignLayoutScope scope(doc_);
    EXPECT_EQ(ComputeMeasureLayout(view_, system, 18, 1).flags & kSlotNoTime, 0);
    doc_->header.measureCount = 17;
    EXPECT_NE(ComputeMeasureLayout(view_, system, 18, 1).flags & kSlotNoTime, 0);
    doc_->header.measureCount = 18;
}

}  // namespace
}  // namespace ql::testing_beatmap
