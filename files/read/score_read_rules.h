// The rules by which the reader bounds and normalises what a score file stores,
// kept apart from the building so that each can be checked on its own: the margin
// rule of the header, the spacing-list invariants, the beam partner positions, and
// the system size a page may give, the page and staff sizes stored twice.
#pragma once

#include <cstdint>
#include <vector>

#include "core/model/score_document.h"
#include "layout/measure_spacing.h"

namespace ql {

// The most measures a system row holds: the beat maps' slot count. A stored system
// is cut to it whatever the user's measures-per-system setting.
constexpr int kMaxSystemMeasures = 24;
// The character set that font slots 0 to 3 (the music fonts) always use.
constexpr uint8_t kSymbolCharset = 2;
constexpr int kMusicFontSlots = 4;
// The shortest column a spacing list may hold, in ticks.
constexpr uint16_t kShortestSpacingTicks = 2;
// The longest plain duration code whose events keep their beam partners.
constexpr uint8_t kLongestBeamedDuration = 10;

// The paper and staff-size words a file stores twice, once as BcdInches in the header
// and once in logical units in the page record: the BcdInches words rule and the
// logical ones are computed from them. A staff size other than the user one sets the
// user staff size to kDefaultUserStaffSize; a paper other than User sets the user
// page to kDefaultUserPageWidth x kDefaultUserPageHeight. A stored paper kind outside
// the paper table reads as its first row (it is not User) and is itself kept. Files
// of `version` before 12 hold the user staff size only in logical units, and before 9
// the user page too: there the BcdInches words are computed from the logical ones.
constexpr uint16_t kDefaultUserPageWidth = 0x0850;   // 8.50
constexpr uint16_t kDefaultUserPageHeight = 0x1100;  // 11.00
constexpr uint16_t kDefaultUserStaffSize = 0x1500;   // 15.00
void ConvertStoredPageSizes(ScoreDocument& document, uint8_t version);

// When the left-page margins are all zero they take the right-page ones; else when
// the right-page margins are all zero they take the left-page ones.
void ApplyMarginRule(ScoreHeader& header);

// Positions strictly increasing, no column reaching past the next one, and every
// column at least kShortestSpacingTicks long.
bool IsSpacingListSound(const std::vector<SpacingEntry>& entries);

// A stored 1-based beam partner position of the event at `own` (1-based) in a voice
// of `count` events: a previous partner must lie before the event, a next one after
// it and within the voice. The position when it does, else 0 (none).
inline int CheckedBeamPrevPosition(int stored, int own) {
    return stored >= 1 && stored < own ? stored : 0;
}
inline int CheckedBeamNextPosition(int stored, int own, int count) {
    return stored > own && stored <= count ? stored : 0;
}

}  // namespace ql
