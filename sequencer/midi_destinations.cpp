// Output destinations of MIDI actions: staves and their bracket or brace groups.
#include "sequencer/midi_destinations.h"

#include <algorithm>

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "staves/staff_group_bits.h"

namespace ql {
namespace {

enum : uint8_t {
    kThisStaff = 0,
    kEveryStaff = 1,
    kThisGroup = 2,
    kStaffAndStaff = 3,
    kGroupAndStaff = 4,
    kStaffAndGroup = 5,
    kGroupAndGroup = 6,
};

bool Joins(const ScoreDocument* document, int staff, GroupKind kind, bool above) {
    const StaffRecord* record = StaffRecordOf(const_cast<ScoreDocument*>(document), staff);
    return record != nullptr && (above ? JoinsStaffAbove(*record, kind) : JoinsStaffBelow(*record, kind));
}

// The staves of the staff's bracket, else its brace, else the staff alone.
void AddGroup(const ScoreDocument* document, int staff, uint8_t side, std::vector<DestinationStaff>& staves) {
    const int count = document->header.staffCount;
    for (const GroupKind kind : {GroupKind::Bracket, GroupKind::Brace}) {
        int first = staff;
        while (first > 1 && Joins(document, first, kind, true)) --first;
        int last = staff;
        while (last < count && Joins(document, last, kind, false)) ++last;
        if (first == staff && last == staff) continue;
        for (int s = first; s <= last; ++s) staves.push_back(DestinationStaff{s, side});
        return;
    }
    staves.push_back(DestinationStaff{staff, side});
}

// Sorted by staff, a staff met on both sides once with both.
void MergeSides(std::vector<DestinationStaff>& staves) {
    std::sort(staves.begin(), staves.end(),
              [](const DestinationStaff& a, const DestinationStaff& b) { return a.staff < b.staff; });
    std::vector<DestinationStaff> merged;
    for (const DestinationStaff& d : staves) {
        if (!merged.empty() && merged.back().staff == d.staff) merged.back().sides |= d.sides;
        else merged.push_back(d);
    }
    staves = std::move(merged);
}

}  // namespace

std::vector<DestinationStaff> DestinationStaves(const ScoreDocument* document, int staff, uint8_t destination, int namedStaff) {
    std::vector<DestinationStaff> staves;
    if (document == nullptr) return staves;
    const int count = document->header.staffCount;
    if (staff < 1 || staff > count) return staves;
    const bool named = namedStaff >= 1 && namedStaff <= count;
    switch (destination) {
        case kEveryStaff:
            for (int s = 1; s <= count; ++s) staves.push_back(DestinationStaff{s, kNearSide});
            return staves;
        case kThisGroup: AddGroup(document, staff, kNearSide, staves); break;
        case kStaffAndStaff:
            staves.push_back(DestinationStaff{staff, kNearSide});
            if (named) staves.push_back(DestinationStaff{namedStaff, kRemoteSide});
            break;
        case kGroupAndStaff:
            AddGroup(document, staff, kNearSide, staves);
            if (named) staves.push_back(DestinationStaff{namedStaff, kRemoteSide});
            break;
        case kStaffAndGroup:
            staves.push_back(DestinationStaff{staff, kNearSide});
            if (named) AddGroup(document, namedStaff, kRemoteSide, staves);
            break;
        case kGroupAndGroup:
            AddGroup(document, staff, kNearSide, staves);
            if (named) AddGroup(document, namedStaff, kRemoteSide, staves);
            break;
        default: staves.push_back(DestinationStaff{staff, kNearSide}); break;
    }
    MergeSides(staves);
    return staves;
}

}  // namespace ql
