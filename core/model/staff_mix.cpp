// The staves' mix kept with their records (see staff_mix.h).
#include "core/model/staff_mix.h"

#include <algorithm>
#include <array>

namespace ql {
namespace {

// The staves that have a mix: 1..count, within the mix table.
int MixedStaffCount(const ScoreDocument& document) {
    return std::min<int>(document.header.staffCount, kMixerStaves - 1);
}

Ref32<StaffRecord> RecordOfStaff(const ScoreDocument& document, int staff) {
    return document.staves != nullptr ? document.staves->staves[staff] : Ref32<StaffRecord>{};
}

const StaffMix* FindMix(const StaffMixByRecord& entries, Ref32<StaffRecord> staff) {
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [staff](const StaffMixEntry& e) { return e.staff == staff; });
    return found != entries.end() ? &found->mix : nullptr;
}

bool IsStaffOf(const ScoreDocument& document, Ref32<StaffRecord> staff) {
    for (int s = 1; s <= MixedStaffCount(document); ++s)
        if (RecordOfStaff(document, s) == staff) return true;
    return false;
}

}  // namespace

StaffMixByRecord StaffMixByStaffRecord(const ScoreDocument& document) {
    StaffMixByRecord entries;
    for (int s = 1; s <= MixedStaffCount(document); ++s)
        if (const Ref32<StaffRecord> staff = RecordOfStaff(document, s))
            entries.push_back({staff, document.staffMix[s]});
    return entries;
}

StaffMixByRecord PlaceStaffMixByRecord(ScoreDocument& document, const StaffMixByRecord& before,
                                       const StaffMixByRecord& kept) {
    const int count = MixedStaffCount(document);
    for (int s = 1; s < kMixerStaves; ++s) {
        const Ref32<StaffRecord> staff = s <= count ? RecordOfStaff(document, s) : Ref32<StaffRecord>{};
        const StaffMix* mix = staff ? FindMix(before, staff) : nullptr;
        if (staff && mix == nullptr) mix = FindMix(kept, staff);
        document.staffMix[s] = mix != nullptr ? *mix : StaffMix{};
    }
    StaffMixByRecord departed;
    for (const StaffMixByRecord* entries : std::array{&before, &kept})
        for (const StaffMixEntry& entry : *entries)
            if (!IsStaffOf(document, entry.staff) && FindMix(departed, entry.staff) == nullptr)
                departed.push_back(entry);
    return departed;
}

}  // namespace ql
