// The rules part extraction applies to the staves it copies: group bits through
// the group accessors (brackets before braces, both ends must carry them) and the
// key moved by the staff's transposition, octaves taken off first.
#include <gtest/gtest.h>

#include "core/model/grid_records.h"
#include "editing/part_extraction.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "staves/staff_group_bits.h"

namespace ql {
namespace {

StaffRecord Staff() {
    StaffRecord staff{};
    return staff;
}

// Staves 2-3 of a bracket that runs on (fields 2 and 3: below; above and below)
// give a two-staff part whose first staff joins below and last above; when the
// last selected staff carries no bracket the part has no group at all.
TEST(PartGroups, BracketsJoinThePartsEndsOnlyWhenBothEndsCarryThem) {
    StaffRecord first = Staff(), last = Staff();
    SetJoinsStaffBelow(first, GroupKind::Bracket, true);
    SetJoinsStaffAbove(last, GroupKind::Bracket, true);
    SetJoinsStaffBelow(last, GroupKind::Bracket, true);
    StaffRecord a = Staff(), b = Staff();
    SetJoinsStaffAbove(a, GroupKind::Brace, true);  // stale bits go
    StaffRecord* part[] = {&a, &b};
    SetPartGroups(part, 2, first, last);
    EXPECT_TRUE(JoinsStaffBelow(a, GroupKind::Bracket));
    EXPECT_FALSE(JoinsStaffAbove(a, GroupKind::Bracket));
    EXPECT_TRUE(JoinsStaffAbove(b, GroupKind::Bracket));
    EXPECT_FALSE(JoinsStaffBelow(b, GroupKind::Bracket));
    EXPECT_FALSE(JoinsStaffAbove(a, GroupKind::Brace));

    ClearGroupBits(last, GroupKind::Bracket);
    SetPartGroups(part, 2, first, last);
    for (const StaffRecord* s : part)
        for (GroupKind kind : {GroupKind::Brace, GroupKind::Bracket})
            EXPECT_FALSE(JoinsStaffAbove(*s, kind) || JoinsStaffBelow(*s, kind));
}

// Braces count only when brackets do not; one staff never gets a group; the
// middle staves of three join both ways.
TEST(PartGroups, BracesAndSingleStaves) {
    StaffRecord first = Staff(), last = Staff();
    SetJoinsStaffBelow(first, GroupKind::Brace, true);
    SetOneStaffGroup(last, GroupKind::Brace, true);
    StaffRecord a = Staff(), b = Staff(), c = Staff();
    StaffRecord* part[] = {&a, &b, &c};
    SetPartGroups(part, 3, first, last);
    EXPECT_TRUE(JoinsStaffBelow(a, GroupKind::Brace));
    EXPECT_TRUE(JoinsStaffAbove(b, GroupKind::Brace) && JoinsStaffBelow(b, GroupKind::Brace));
    EXPECT_TRUE(JoinsStaffAbove(c, GroupKind::Brace) && !JoinsStaffBelow(c, GroupKind::Brace));
    SetPartGroups(part, 1, first, last);
    EXPECT_FALSE(JoinsStaffBelow(a, GroupKind::Brace));
}

// 14 semitones are 2 with one octave taken off: C moves two fifths up to D. Key
// codes count fifths from C (7); a semitone is seven fifths, taken back by an
// octave of twelve once past C sharp: G up a semitone is A flat, A down is A flat.
TEST(PartKeys, TranspositionMovesTheKeyByFifths) {
    int octaves = 0;
    EXPECT_EQ(ReducedTransposition(14, &octaves), 2);
    EXPECT_EQ(octaves, 12);
    EXPECT_EQ(ReducedTransposition(-26, &octaves), -2);
    EXPECT_EQ(octaves, -24);
    EXPECT_EQ(ReducedTransposition(12, &octaves), 12);  // an octave stays within range
    const auto code = [](KeyCode key) { return CodeOf(key); };
    EXPECT_EQ(KeyMovedBySemitones(code(KeyCode::C), 2), code(KeyCode::D));
    EXPECT_EQ(KeyMovedBySemitones(code(KeyCode::C), -2), code(KeyCode::BFlat));
    EXPECT_EQ(KeyMovedBySemitones(code(KeyCode::C), 1), code(KeyCode::CSharp));
    EXPECT_EQ(KeyMovedBySemitones(code(KeyCode::G), 1), code(KeyCode::AFlat));
    EXPECT_EQ(KeyMovedBySemitones(code(KeyCode::A), -1), code(KeyCode::AFlat));
    EXPECT_EQ(KeyMovedBySemitones(code(KeyCode::F), 0), code(KeyCode::F));
}

}  // namespace
}  // namespace ql
