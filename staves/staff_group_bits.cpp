// Staff group bits by kind: one table of masks, so no other code knows where the
// bits sit in the staff record.
#include "staves/staff_group_bits.h"

#include "core/model/grid_records.h"

namespace ql {
namespace {

struct GroupMasks {
    bool inFirstWord;  // the barline connection lives in the first word
    uint16_t above;
    uint16_t below;
    uint16_t oneStaff;  // 0: the kind has no one-staff bit
};

constexpr GroupMasks kBarlineMasks{true, 0x2000, 0x4000, 0};
constexpr GroupMasks kBraceMasks{false, 0x0001, 0x0002, 0x0004};
constexpr GroupMasks kBracketMasks{false, 0x0010, 0x0020, 0x0040};

const GroupMasks& MasksOf(GroupKind kind) {
    switch (kind) {
        case GroupKind::Barline:
            return kBarlineMasks;
        case GroupKind::Brace:
            return kBraceMasks;
        case GroupKind::Bracket:
            break;
    }
    return kBracketMasks;
}

uint16_t WordOf(const StaffRecord& staff, const GroupMasks& masks) {
    return masks.inFirstWord ? staff.transpositionWord : staff.flags;
}

void SetBits(StaffRecord& staff, const GroupMasks& masks, uint16_t bits, bool on) {
    uint16_t& word = masks.inFirstWord ? staff.transpositionWord : staff.flags;
    word = static_cast<uint16_t>(on ? (word | bits) : (word & ~bits));
}

}  // namespace

bool JoinsStaffAbove(const StaffRecord& staff, GroupKind kind) {
    const GroupMasks& masks = MasksOf(kind);
    return (WordOf(staff, masks) & masks.above) != 0;
}

bool JoinsStaffBelow(const StaffRecord& staff, GroupKind kind) {
    const GroupMasks& masks = MasksOf(kind);
    return (WordOf(staff, masks) & masks.below) != 0;
}

bool IsOneStaffGroup(const StaffRecord& staff, GroupKind kind) {
    const GroupMasks& masks = MasksOf(kind);
    return masks.oneStaff != 0 && (WordOf(staff, masks) & masks.oneStaff) != 0;
}

bool IsInGroup(const StaffRecord& staff, GroupKind kind) {
    return JoinsStaffAbove(staff, kind) || JoinsStaffBelow(staff, kind) || IsOneStaffGroup(staff, kind);
}

void SetJoinsStaffAbove(StaffRecord& staff, GroupKind kind, bool on) {
    SetBits(staff, MasksOf(kind), MasksOf(kind).above, on);
}

void SetJoinsStaffBelow(StaffRecord& staff, GroupKind kind, bool on) {
    SetBits(staff, MasksOf(kind), MasksOf(kind).below, on);
}

void SetOneStaffGroup(StaffRecord& staff, GroupKind kind, bool on) {
    const GroupMasks& masks = MasksOf(kind);
    if (masks.oneStaff != 0) SetBits(staff, masks, masks.oneStaff, on);
}

void ClearGroupBits(StaffRecord& staff, GroupKind kind) {
    const GroupMasks& masks = MasksOf(kind);
    SetBits(staff, masks, static_cast<uint16_t>(masks.above | masks.below | masks.oneStaff), false);
}

GroupLinks GroupLinksOf(const StaffRecord& staff) {
    GroupLinks links{};
    for (int k = 0; k < kGroupKindCount; ++k) {
        links.above[k] = JoinsStaffAbove(staff, kAllGroupKinds[k]);
        links.below[k] = JoinsStaffBelow(staff, kAllGroupKinds[k]);
        links.oneStaff[k] = IsOneStaffGroup(staff, kAllGroupKinds[k]);
    }
    return links;
}

void SetGroupLinks(StaffRecord& staff, const GroupLinks& links) {
    for (int k = 0; k < kGroupKindCount; ++k) {
        SetJoinsStaffAbove(staff, kAllGroupKinds[k], links.above[k]);
        SetJoinsStaffBelow(staff, kAllGroupKinds[k], links.below[k]);
        SetOneStaffGroup(staff, kAllGroupKinds[k], links.oneStaff[k]);
    }
}

}  // namespace ql
