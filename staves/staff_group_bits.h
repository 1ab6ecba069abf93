// The one place that reads and writes a staff's group bits: whether its barlines,
// brace and bracket join the staff above or below, or mark a group of one staff.
// Barline connection: first word bits 13 (above) and 14 (below); brace: flags
// bits 0, 1, 2 (above, below, one staff); bracket: flags bits 4, 5, 6.
#pragma once

#include <cstdint>

namespace ql {

struct StaffRecord;

enum class GroupKind { Barline, Brace, Bracket };
constexpr int kGroupKindCount = 3;
constexpr GroupKind kAllGroupKinds[kGroupKindCount] = {GroupKind::Barline, GroupKind::Brace, GroupKind::Bracket};

bool JoinsStaffAbove(const StaffRecord& staff, GroupKind kind);
bool JoinsStaffBelow(const StaffRecord& staff, GroupKind kind);
// Braces and brackets only: the group holds just this staff. Always false for
// the barline connection, which has no such bit.
bool IsOneStaffGroup(const StaffRecord& staff, GroupKind kind);
// The staff belongs to a group of this kind: it joins a neighbour or is a group
// of one.
bool IsInGroup(const StaffRecord& staff, GroupKind kind);

void SetJoinsStaffAbove(StaffRecord& staff, GroupKind kind, bool on);
void SetJoinsStaffBelow(StaffRecord& staff, GroupKind kind, bool on);
// Ignored for the barline connection.
void SetOneStaffGroup(StaffRecord& staff, GroupKind kind, bool on);

// Clears every group bit of one kind on a staff.
void ClearGroupBits(StaffRecord& staff, GroupKind kind);

// A staff's group bits of every kind (indexed as kAllGroupKinds), to move them from
// one staff to another.
struct GroupLinks {
    bool above[kGroupKindCount];
    bool below[kGroupKindCount];
    bool oneStaff[kGroupKindCount];
};
GroupLinks GroupLinksOf(const StaffRecord& staff);
void SetGroupLinks(StaffRecord& staff, const GroupLinks& links);

}  // namespace ql
