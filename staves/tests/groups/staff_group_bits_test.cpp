// The staff group bits: each kind reads and writes exactly its own bits of the staff
// record (barline connection in the first word, brace and bracket in the flags), and
// leaves every other bit of both words alone.
#include "staves/staff_group_bits.h"

#include <gtest/gtest.h>

#include <cstring>

#include "core/model/grid_records.h"

namespace ql {
namespace {

struct KindBits {
    GroupKind kind;
    uint16_t firstWord[3];  // above, below, one staff
    uint16_t flags[3];
};

// The stored positions, bit for bit.
constexpr KindBits kExpected[] = {
    {GroupKind::Barline, {0x2000, 0x4000, 0}, {0, 0, 0}},
    {GroupKind::Brace, {0, 0, 0}, {0x0001, 0x0002, 0x0004}},
    {GroupKind::Bracket, {0, 0, 0}, {0x0010, 0x0020, 0x0040}},
};

StaffRecord Blank() {
    StaffRecord staff;
    std::memset(&staff, 0, sizeof staff);
    return staff;
}

// Each setter turns on exactly the stored bit of its kind and nothing else.
TEST(StaffGroupBits, EachSetterWritesItsExactBit) {
    for (const KindBits& k : kExpected) {
        StaffRecord staff = Blank();
        SetJoinsStaffAbove(staff, k.kind, true);
        EXPECT_EQ(staff.transpositionWord, k.firstWord[0]);
        EXPECT_EQ(staff.flags, k.flags[0]);
        staff = Blank();
        SetJoinsStaffBelow(staff, k.kind, true);
        EXPECT_EQ(staff.transpositionWord, k.firstWord[1]);
        EXPECT_EQ(staff.flags, k.flags[1]);
        staff = Blank();
        SetOneStaffGroup(staff, k.kind, true);
        // The barline connection has no one-staff bit: nothing is written.
        EXPECT_EQ(staff.transpositionWord, k.firstWord[2]);
        EXPECT_EQ(staff.flags, k.flags[2]);
    }
}

// Each reader sees only its own bit: a record with every other bit set reads false.
TEST(StaffGroupBits, ReadersSeeOnlyTheirBit) {
    for (const KindBits& k : kExpected) {
        StaffRecord staff = Blank();
        staff.transpositionWord = static_cast<uint16_t>(~k.firstWord[0]);
        staff.flags = static_cast<uint16_t>(~k.flags[0]);
        EXPECT_FALSE(JoinsStaffAbove(staff, k.kind));
        staff.transpositionWord = static_cast<uint16_t>(~k.firstWord[1]);
        staff.flags = static_cast<uint16_t>(~k.flags[1]);
        EXPECT_FALSE(JoinsStaffBelow(staff, k.kind));
        staff.transpositionWord = static_cast<uint16_t>(~k.firstWord[2]);
        staff.flags = static_cast<uint16_t>(~k.flags[2]);
        EXPECT_FALSE(IsOneStaffGroup(staff, k.kind));
    }
}

// Set, read back, clear: a round trip through every combination keeps the rest of
// both words (transposition bits, minor bit, line count) as they were.
TEST(StaffGroupBits, RoundTripKeepsOtherBits) {
    constexpr uint16_t kOtherFirstWord = 0x1F0F;  // minor bit and transposition
    constexpr uint16_t kOtherFlags = 0x0F08 | 0x8000;  // line count, ossia and spare bits
    for (const KindBits& k : kExpected) {
        for (int combo = 0; combo < 8; ++combo) {
            StaffRecord staff = Blank();
            staff.transpositionWord = kOtherFirstWord & ~k.firstWord[0] & ~k.firstWord[1];
            staff.flags = kOtherFlags;
            const uint16_t firstBefore = staff.transpositionWord;
            SetJoinsStaffAbove(staff, k.kind, (combo & 1) != 0);
            SetJoinsStaffBelow(staff, k.kind, (combo & 2) != 0);
            SetOneStaffGroup(staff, k.kind, (combo & 4) != 0);
            EXPECT_EQ(JoinsStaffAbove(staff, k.kind), (combo & 1) != 0);
            EXPECT_EQ(JoinsStaffBelow(staff, k.kind), (combo & 2) != 0);
            // No one-staff bit for barlines: always reads false.
            EXPECT_EQ(IsOneStaffGroup(staff, k.kind),
                      k.kind != GroupKind::Barline && (combo & 4) != 0);
            ClearGroupBits(staff, k.kind);
            EXPECT_EQ(staff.transpositionWord, firstBefore);
            EXPECT_EQ(staff.flags, kOtherFlags);
        }
    }
}

// The kinds are independent: setting one kind never changes how another reads,
// and clearing one leaves the others set.
TEST(StaffGroupBits, KindsAreIndependent) {
    StaffRecord staff = Blank();
    SetJoinsStaffBelow(staff, GroupKind::Barline, true);
    SetJoinsStaffAbove(staff, GroupKind::Brace, true);
    SetOneStaffGroup(staff, GroupKind::Bracket, true);
    EXPECT_FALSE(JoinsStaffAbove(staff, GroupKind::Barline));
    EXPECT_FALSE(JoinsStaffBelow(staff, GroupKind::Brace));
    EXPECT_FALSE(JoinsStaffAbove(staff, GroupKind::Bracket));
    ClearGroupBits(staff, GroupKind::Brace);
    EXPECT_TRUE(JoinsStaffBelow(staff, GroupKind::Barline));
    EXPECT_TRUE(IsOneStaffGroup(staff, GroupKind::Bracket));
    EXPECT_EQ(staff.transpositionWord, 0x4000);
    EXPECT_EQ(staff.flags, 0x0040);
    // Turning a bit off leaves the kind's other bits on.
    SetJoinsStaffAbove(staff, GroupKind::Bracket, true);
    SetOneStaffGroup(staff, GroupKind::Bracket, false);
    EXPECT_EQ(staff.flags, 0x0010);
}

}  // namespace
}  // namespace ql
