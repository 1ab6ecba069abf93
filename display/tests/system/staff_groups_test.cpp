// Group walks over the staff group bits, the offsets of a group's outer lines, and
// the walks over randomly damaged staff records and system flags.
#include <gtest/gtest.h>

#include <random>

#include "core/draw/painting_guard.h"
#include "core/model/document.h"
#include "core/model/grid_records.h"
#include "core/model/pages.h"
#include "display/staff_groups.h"
#include "display/system_drawing.h"
#include "display/tests/system/sysdraw_fixture.h"
#include "staves/staff_group_bits.h"

namespace ql::testing_sysdraw {
namespace {

constexpr int kStaves = 6;
constexpr int kMeasures = 3;

class StaffGroups : public SysDrawTest {
  protected:
    void SetUp() override {
        SysDrawTest::SetUp();
        BuildScore(kStaves, kMeasures, 16);
        view_->currentSystem = System();
    }
};

// A walk goes as far as the staves join and stops at the group's end; a staff that
// joins nothing is its own group; each kind reads its own bits.
TEST_F(StaffGroups, WalksFollowTheirOwnBits) {
    JoinGroup(GroupKind::Barline, 2, 4);
    JoinGroup(GroupKind::Brace, 5, 6);
    JoinGroup(GroupKind::Bracket, 1, 3);
    for (int s = 2; s <= 4; ++s) {
        EXPECT_EQ(FirstStaffOfBarGroup(view_, s), 2);
        EXPECT_EQ(LastStaffOfBarGroup(view_, s), 4);
    }
    EXPECT_EQ(FirstStaffOfBarGroup(view_, 1), 1);  // not joined
    EXPECT_EQ(LastStaffOfBarGroup(view_, 5), 5);
    EXPECT_EQ(FirstStaffOfBrace(view_, 6), 5);
    EXPECT_EQ(LastStaffOfBrace(view_, 5), 6);
    EXPECT_EQ(LastStaffOfBrace(view_, 4), 4);  // the barline bits are not brace bits
    EXPECT_EQ(LastStaffOfBracket(view_, 1, false), 3);
    EXPECT_EQ(FirstStaffOfBracket(view_, 3, false), 1);
    // A walk starts only from a staff joining on that side.
    SetJoinsStaffBelow(*Staff(4), GroupKind::Barline, true);
    SetJoinsStaffAbove(*Staff(5), GroupKind::Barline, false);
    EXPECT_EQ(LastStaffOfBarGroup(view_, 2), 4);
}

// A joining bit pointing out of the score (upward on staff 1, downward on the last
// staff) joins nothing; a walk while painting clears it.
TEST_F(StaffGroups, StrayBitsAtTheEndsAreCleared) {
    for (GroupKind kind : {GroupKind::Barline, GroupKind::Brace, GroupKind::Bracket}) {
        SetJoinsStaffAbove(*Staff(1), kind, true);
        SetJoinsStaffBelow(*Staff(kStaves), kind, true);
    }
    // Outside a paint the bits join nothing and stay as they are.
    EXPECT_EQ(FirstStaffOfBarGroup(view_, 1), 1);
    EXPECT_EQ(LastStaffOfBrace(view_, kStaves), kStaves);
    EXPECT_TRUE(JoinsStaffAbove(*Staff(1), GroupKind::Barline));
    // While painting the walks clear them.
    const ScopedPaintingGuard painting;
    EXPECT_EQ(FirstStaffOfBarGroup(view_, 1), 1);
    EXPECT_EQ(LastStaffOfBrace(view_, kStaves), kStaves);
    EXPECT_EQ(FirstStaffOfBracket(view_, 1, false), 1);
    EXPECT_EQ(LastStaffOfBracket(view_, kStaves, false), kStaves);
    EXPECT_FALSE(JoinsStaffAbove(*Staff(1), GroupKind::Barline));
    EXPECT_FALSE(JoinsStaffBelow(*Staff(kStaves), GroupKind::Brace));
    EXPECT_FALSE(JoinsStaffAbove(*Staff(1), GroupKind::Bracket));
    EXPECT_FALSE(JoinsStaffBelow(*Staff(kStaves), GroupKind::Bracket));
}

// With skipHidden, staves the system does not show are trimmed from the bracket's ends.
TEST_F(StaffGroups, BracketSkipsHiddenEndStaves) {
    JoinGroup(GroupKind::Bracket, 2, 5);
    StaffFlagsOf(System())[2] = static_cast<int8_t>(0x80);
    StaffFlagsOf(System())[5] = static_cast<int8_t>(0x80);
    EXPECT_EQ(FirstStaffOfBracket(view_, 4, true), 3);
    EXPECT_EQ(LastStaffOfBracket(view_, 3, true), 4);
    EXPECT_EQ(FirstStaffOfBracket(view_, 4, false), 2);
    EXPECT_EQ(LastStaffOfBracket(view_, 3, false), 5);
}

// Outer-line offsets by staff type: the top by the upper staff, the bottom by the lower.
TEST_F(StaffGroups, LineOffsetsFollowTheStaffTypes) {
    const int expectedTop[] = {0, 128, 256, 128, 0, 0, -128, -256};
    for (int lines = 0; lines <= 7; ++lines) {
        SetLines(1, lines);
        SetLines(2, lines);
        int top = -1;
        int bottom = -1;
        StaffLineOffsets(view_, 1, 2, &top, &bottom);
        EXPECT_EQ(top, expectedTop[lines]) << lines << " lines";
        EXPECT_EQ(bottom, lines >= 1 && lines <= 4 ? -128 : 0) << lines << " lines";
    }
    SetLines(1, 15);  // the largest type a nibble holds
    int top = 0;
    StaffLineOffsets(view_, 1, 1, &top, nullptr);
    EXPECT_EQ(top, -1280);
}

// A cell with an event in any voice is not empty; no cell is.
TEST_F(StaffGroups, EmptyCellsHoldNoEvent) {
    EXPECT_TRUE(StaffHasNoVoices(nullptr));
    EXPECT_TRUE(StaffHasNoVoices(Cell(1, 1)));
    AddNote(1, 1);
    EXPECT_FALSE(StaffHasNoVoices(Cell(1, 1)));
}

// Random group bits, staff words, system flags and missing staff records (fixed
// seeds): every walk ends inside 1..staff count and drawing does not fail.
TEST_F(StaffGroups, DamagedRecordsKeepWalksInside) {
    for (uint32_t seed = 1; seed <= 40; ++seed) {
        std::mt19937 random(seed);
        std::uniform_int_distribution<int> word(0, 0xFFFF);
        std::uniform_int_distribution<int> byte(0, 0xFF);
        for (int s = 1; s <= kStaves; ++s) {
            Staff(s)->flags = static_cast<uint16_t>(word(random));
            Staff(s)->transpositionWord = static_cast<uint16_t>(word(random));
            StaffFlagsOf(System())[s] = static_cast<int8_t>(byte(random));
        }
        StaffRecord* removed = nullptr;
        const int missing = 1 + static_cast<int>(seed % kStaves);
        if (seed % 3 == 0) {
            removed = doc_->staves->staves[missing].get();
            doc_->staves->staves[missing] = Ref32<StaffRecord>{};
        }
        for (int s = 0; s <= kStaves + 1; ++s) {
            const int inside = std::clamp(s, 1, kStaves);
            for (int end : {FirstStaffOfBarGroup(view_, s), LastStaffOfBarGroup(view_, s),
                            FirstStaffOfBrace(view_, s), LastStaffOfBrace(view_, s),
                            FirstStaffOfBracket(view_, s, true), LastStaffOfBracket(view_, s, false)}) {
                if (s == inside) {
                    EXPECT_GE(end, 1) << "seed " << seed;
                    EXPECT_LE(end, kStaves) << "seed " << seed;
                } else {
                    EXPECT_EQ(end, s) << "seed " << seed;  // out of range: itself
                }
            }
        }
        Measure(2)->barline = static_cast<uint8_t>(byte(random));
        DrawAll();
        HideEmptyStaves(view_);
        RestoreHiddenEmptyStaves(view_);
        if (removed != nullptr) doc_->staves->staves[missing] = Ref32<StaffRecord>::To(removed);
    }
}

}  // namespace
}  // namespace ql::testing_sysdraw
