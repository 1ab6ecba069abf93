// Pages and systems: ScorePage (pool 8, 40 bytes) and ScoreSystem (pool 6, 32 bytes).
//
// The document's page list runs left master (-2) -> right master (-1) -> page 1 ...
// Each page has a chain of systems; a system names its measures, its left edge x and
// top y in logical units, and per staff a vertical offset and a flag (negative =
// hidden in this system). The staff arrays live in pools chosen by the staff count.
#pragma once

#include <cstdint>
#include <type_traits>

#include "core/memory/ref32.h"

namespace ql {

struct ScoreObject;
struct ScoreSystem;

#pragma pack(push, 1)
struct ScorePage {
    uint8_t pageData[16];   // layout data, zero in a new page
    uint16_t firstMeasure;  // 0 for master pages
    uint16_t lastMeasure;
    uint16_t systemCount;
    int16_t pageNumber;          // -2 left master, -1 right master
    Ref32<ScoreObject> margins;  // the page's margin element (type 33)
    Ref32<ScoreSystem> firstSystem;
    Ref32<ScorePage> next;
    Ref32<ScorePage> previous;
};

struct ScoreSystem {
    uint8_t number;  // number of the system on its page
    uint8_t keepNaturalWidth;  // non-zero: the system ends where its measures end
    uint16_t firstMeasure;
    uint16_t lastMeasure;
    uint8_t offsetsPool;           // pool of staffOffsets
    uint8_t flagsPool;             // pool of staffFlags
    int32_t x;                     // left edge in logical units
    int32_t y;                     // top in logical units
    Ref32<uint16_t> staffOffsets;  // indexed 0..staffCount
    Ref32<int8_t> staffFlags;      // indexed 0..staffCount; negative hides the staff
    Ref32<ScoreSystem> previous;
    Ref32<ScoreSystem> next;
};
#pragma pack(pop)

static_assert(sizeof(ScorePage) == 40);
static_assert(sizeof(ScoreSystem) == 32);
static_assert(std::is_trivially_copyable_v<ScorePage>);
static_assert(std::is_trivially_copyable_v<ScoreSystem>);

// Leading bytes of a page and of a system that the native file stores.
constexpr int kStoredPageBytes = 16;
constexpr int kStoredSystemBytes = 16;

constexpr int16_t kLeftMasterNumber = -2;
constexpr int16_t kRightMasterNumber = -1;

// ScoreSystem::staffFlags bits (a negative flag hides the staff): signs left out at
// the system's start.
constexpr uint8_t kSystemStaffNoClef = 0x04;
constexpr uint8_t kSystemStaffNoKey = 0x08;
constexpr uint8_t kSystemStaffNoTime = 0x10;

// Staff-offset entry 0 of a new system.
constexpr uint16_t kFirstStaffOffset = 0xF000;
// Position of a master page's system (never read: master systems are not stored).
constexpr int32_t kMasterSystemY = -8192;
// Position of the scroll view's galley system.
constexpr int32_t kGalleySystemX = -30208;
constexpr int32_t kGalleySystemY = -28672;

}  // namespace ql
