// The memo of the signs of slots (SignLayoutScope): every slot takes the signs it
// would have without the memo, inside its system and past its end, a system's first
// slot follows the system's flags, and a change of the measure count inside the
// scope sets the memo aside. Over seeded scores, every page's rows come out of a
// scope as they do without one, whatever order the pages are built in.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
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

// Seeded scores of three pages: keys, clefs and time signatures changing at random
// measures (on every staff or one, at the cell's start or by a change inside the
// cell), barlines of every kind, hide flags on measures and cells, systems leaving
// out signs on some or all staves, and each place of cancelling naturals.
class SeededSignMemoTest : public BeatMapTest, public ::testing::WithParamInterface<uint32_t> {
  protected:
    static constexpr int kStaves = 3;
    static constexpr int kPages = 3;
    static constexpr int kKeyCodes = 15;
    static constexpr int kClefCodes = 9;
    static constexpr int kBarlineKinds = 9;

    void SetUp() override {
        BeatMapTest::SetUp();
        BuildScore(kStaves, {3, 3, 2}, 3);  // measures 1-24; rows reach 28
        random_.seed(GetParam());
        Vary();
    }
    int Random(int below) { return static_cast<int>(random_() % static_cast<uint32_t>(below)); }
    bool OneIn(int n) { return Random(n) == 0; }
    uint8_t AnyOf(std::initializer_list<uint8_t> bits) {
        uint8_t chosen = 0;
        for (uint8_t bit : bits)
            if (OneIn(3)) chosen |= bit;
        return chosen;
    }

    void VaryMeasure(int m) {
        if (OneIn(3)) SetBarline(m, static_cast<BarlineType>(Random(kBarlineKinds)));
        if (OneIn(4))
            Record(m).flags |= AnyOf({kMeasureNaturalsHidden, kMeasureBarlineHidden,
                                      kMeasureKeyHidden, kMeasureTimeHidden, kMeasureClefHidden});
        if (OneIn(3)) SetKey(m, Random(kKeyCodes));
        if (OneIn(5)) SetTime(m, 1 + Random(12), kQuarterUnit - 2 + Random(4));
        for (int staff = 1; staff <= kStaves; ++staff) {
            if (OneIn(4)) SetClef(staff, m, Random(kClefCodes));
            if (OneIn(6)) {
                MeasureCell* cell = Cell(staff, m);
                cell->clefKey = static_cast<uint8_t>((cell->clefKey & kClefNibbleMask) |
                                                     (Random(kKeyCodes) << kKeyNibbleShift));
            }
            if (OneIn(8)) Cell(staff, m)->cellFlags |= kMeasureClefHidden;
            if (OneIn(7))
                PlaceChange(staff, m, OneIn(2) ? ObjectType::Clef : ObjectType::KeySignature,
                            static_cast<uint16_t>(Random(kWholeMeasure)),
                            static_cast<uint8_t>(Random(OneIn(2) ? kClefCodes : kKeyCodes)));
        }
    }
    void Vary() {
        State().notes.KeyCancelLeftOfBar = static_cast<uint8_t>(Random(3));
        for (int m = 1; m <= doc_->header.measureCount; ++m) VaryMeasure(m);
        for (int page = 0; page < kPages; ++page)
            for (ScoreSystem* s = Page(page)->firstSystem.get(); s != nullptr; s = s->next.get()) {
                int8_t* flags = StaffFlagsOf(s);
                const bool everyStaff = OneIn(2);
                const uint8_t bits = AnyOf({kSystemStaffNoClef, kSystemStaffNoKey, kSystemStaffNoTime});
                for (int staff = 1; staff <= kStaves; ++staff)
                    if (everyStaff || OneIn(2)) flags[staff] = static_cast<int8_t>(flags[staff] | bits);
            }
    }

    // The rows of a page as a page build leaves them: the fields of every slot the rows
    // reach (up to the measure count + 4) and the x of every 16 ticks of its measure.
    std::vector<int> BuildPage(int page) {
        ShowSystem(page, 0);
        UpdateBeatMaps(view_, 1);
        std::vector<int> rows;
        const BeatMap& map = Map();
        const int reached = doc_->header.measureCount + kSpareMeasures;
        for (const ScoreSystem* s = Page(page)->firstSystem.get(); s != nullptr; s = s->next.get())
            for (int slot = 1; slot <= kLastBeatMapSlot && s->firstMeasure + slot - 1 <= reached;
                 ++slot) {
                const int c = BeatMapCell(s->number, slot);
                rows.insert(rows.end(), {map.slotFlags[c], map.leadX[c], map.cancelX[c], map.keyX[c],
                                         map.timeX[c], map.slotX[c], map.marginX[c], map.contentX[c],
                                         map.trailSpace[c], map.slotTicks[c]});
                const std::vector<int> ticks = Ticks(s, slot);
                rows.insert(rows.end(), ticks.begin(), ticks.end());
            }
        return rows;
    }
    // Leads and trails that differ from measure to measure, over every measure the rows
    // reach, with the widths then brought up to date.
    int VaryLeadsAndTrails() {
        const int reached = doc_->header.measureCount + kSpareMeasures;
        for (int m = 1; m <= reached; ++m) {
            Record(m).lead = static_cast<int16_t>(Random(400));
            Record(m).trail = static_cast<int16_t>(Random(400));
        }
        EveryPage();
        return reached;
    }
    // Where a later slot (cell `c`, measure `measure`) starts: past the slot before it,
    // its trailing space and the width and trail of its measure.
    int LaterSlotStart(const BeatMap& map, int c, int measure) {
        const MeasureRecord& before = Record(measure - 1);
        return map.contentX[c - 1] + map.trailSpace[c - 1] + static_cast<int>(before.width) + before.trail;
    }
    std::vector<std::vector<int>> EveryPage() {
        std::vector<std::vector<int>> pages;
        for (int page = 0; page < kPages; ++page) pages.push_back(BuildPage(page));
        return pages;
    }

    std::mt19937 random_;
};

// Inside one scope the pages are built in a seeded order, each twice: every row is the
// row built without the memo, although rows of one page reach the measures of the
// next as later slots past their system, and system starts repeat.
TEST_P(SeededSignMemoTest, RowsOfAScopeAreTheRowsBuiltWithoutIt) {
    EveryPage();  // the first builds bring the widths up to date
    const auto plain = EveryPage();
    ASSERT_EQ(EveryPage(), plain) << "building a page again must not move its rows";
    std::vector<int> order;
    for (int round = 0; round < 2; ++round)
        for (int page = 0; page < kPages; ++page) order.push_back(page);
    std::shuffle(order.begin(), order.end(), random_);
    SignLayoutScope scope(doc_);
    for (int page : order) EXPECT_EQ(BuildPage(page), plain[page]) << "page " << page + 1;
}

// With leads and trails that differ from measure to measure, every later slot of a
// row built inside a scope starts where the slot before it ends (its content x, its
// trailing space, the width and trail of its measure), and its margin and first beat
// follow the measure's layout and lead (positions stop at the end of the map's range).
TEST_P(SeededSignMemoTest, LaterSlotsStartWhereTheSlotBeforeEnds) {
    const int reached = VaryLeadsAndTrails();
    SignLayoutScope scope(doc_);
    for (int round = 0; round < 2; ++round)
        for (int page = 0; page < kPages; ++page) {
            BuildPage(page);
            const BeatMap& map = Map();
            for (const ScoreSystem* s = Page(page)->firstSystem.get(); s != nullptr; s = s->next.get())
                for (int slot = 2; slot <= kLastBeatMapSlot && s->firstMeasure + slot - 1 <= reached;
                     ++slot) {
                    const int measure = s->firstMeasure + slot - 1;
                    const int c = BeatMapCell(s->number, slot);
                    const int start = LaterSlotStart(map, c, measure);
                    const MeasureLayout layout = ComputeMeasureLayout(view_, s, measure, 1);
                    SCOPED_TRACE(::testing::Message() << "page " << page + 1 << " measure " << measure);
                    auto clamped = [](int x) { return std::min<int>(x, kMaxBeatMapX); };
                    EXPECT_EQ(map.slotX[c], clamped(start));
                    EXPECT_EQ(map.marginX[c], clamped(start + layout.marginX));
                    EXPECT_EQ(map.contentX[c], clamped(start + layout.marginX + Record(measure).lead));
                }
        }
}

// Outside any scope, with leads and trails that differ from measure to measure, every
// later slot of every row holds the layout its measure has in that system (the signs,
// their places and the slot's flags), placed from the end of the slot before it.
TEST_P(SeededSignMemoTest, RowSlotsHoldTheLayoutOfTheirMeasure) {
    const int reached = VaryLeadsAndTrails();
    auto clamped = [](int x) { return std::clamp<int>(x, 0, kMaxBeatMapX); };
    for (int page = 0; page < kPages; ++page) {
        BuildPage(page);
        const BeatMap& built = Map();
        for (const ScoreSystem* s = Page(page)->firstSystem.get(); s != nullptr; s = s->next.get())
            for (int slot = 2; slot <= kLastBeatMapSlot && s->firstMeasure + slot - 1 <= reached;
                 ++slot) {
                const int measure = s->firstMeasure + slot - 1;
                const int c = BeatMapCell(s->number, slot);
                const uint16_t flags = built.slotFlags[c];  // asking for the layout writes them
                const MeasureLayout layout = ComputeMeasureLayout(view_, s, measure, 1);
                const int start = LaterSlotStart(built, c, measure);
                SCOPED_TRACE(::testing::Message() << "page " << page + 1 << " measure " << measure);
                EXPECT_EQ(flags, layout.flags);
                EXPECT_EQ(built.leadX[c], clamped(layout.leadX));
                EXPECT_EQ(built.cancelX[c],
                          std::clamp<int>(layout.cancelX, -kMaxBeatMapX, kMaxBeatMapX));
                EXPECT_EQ(built.keyX[c], clamped(layout.keyX));
                EXPECT_EQ(built.timeX[c], clamped(layout.timeX));
                EXPECT_EQ(built.trailSpace[c], clamped(layout.trailSpace));
                EXPECT_EQ(built.slotX[c], clamped(start));
                EXPECT_EQ(built.marginX[c], clamped(start + layout.marginX));
                EXPECT_EQ(built.contentX[c], clamped(start + layout.firstBeat));
            }
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, SeededSignMemoTest, ::testing::Range<uint32_t>(1, 41));

}  // namespace
}  // namespace ql::testing_beatmap
