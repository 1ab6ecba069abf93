// The reader's bounding and normalising rules (see score_read_rules.h).
#include "files/read/score_read_rules.h"

#include <algorithm>

#include "core/units/paper_table.h"
#include "core/units/units.h"
#include "files/read/old_versions.h"
#include "layout/page_geometry.h"

namespace ql {
namespace {

bool AllZero(const uint16_t (&words)[kMarginCount]) {
    for (uint16_t word : words)
        if (word != 0) return false;
    return true;
}

// A User page side in logical units, as the page setup dialog stores it.
uint16_t UserPageUnits(const ScoreDocument& document, uint16_t word) {
    return static_cast<uint16_t>(std::clamp(BcdToPageUnits(document, word, false), 0, kMaxUserPageUnits));
}

}  // namespace

void ConvertStoredPageSizes(ScoreDocument& document, uint8_t version) {
    ScoreHeader& header = document.header;
    PageRecord& page = header.pageGeometry;
    const bool user = PaperRowOf(page.paperKind).index == kUserPaperIndex;
    // The staff size first: the page sides are converted at its units per inch.
    if (page.staffSize != kUserStaffSize) header.fontSizeSetting = kDefaultUserStaffSize;
    else if (version < version_gate::kBcdStaffSize) header.fontSizeSetting = UnitsToBcdInches(page.userStaffSize);
    page.userStaffSize = BcdTimes128(header.fontSizeSetting);
    if (!user) {
        header.userPageWidth = kDefaultUserPageWidth;
        header.userPageHeight = kDefaultUserPageHeight;
    } else if (version < version_gate::kBcdHeader) {
        header.userPageWidth = PageUnitsToBcd(document, page.userPageWidth);
        header.userPageHeight = PageUnitsToBcd(document, page.userPageHeight);
    }
    page.userPageWidth = UserPageUnits(document, header.userPageWidth);
    page.userPageHeight = UserPageUnits(document, header.userPageHeight);
}

void ApplyMarginRule(ScoreHeader& header) {
    if (AllZero(header.leftMargins)) {
        for (int i = 0; i < kMarginCount; ++i) header.leftMargins[i] = header.rightMargins[i];
    } else if (AllZero(header.rightMargins)) {
        for (int i = 0; i < kMarginCount; ++i) header.rightMargins[i] = header.leftMargins[i];
    }
}

bool IsSpacingListSound(const std::vector<SpacingEntry>& entries) {
    for (size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].ticksToNext < kShortestSpacingTicks) return false;
        if (i + 1 == entries.size()) break;
        const uint32_t end = static_cast<uint32_t>(entries[i].time) + entries[i].ticksToNext;
        if (entries[i + 1].time <= entries[i].time || end > entries[i + 1].time) return false;
    }
    return true;
}

}  // namespace ql
