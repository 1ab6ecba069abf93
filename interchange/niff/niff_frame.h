// The frame a NIFF import reads before it becomes a score: pages with their
// systems and the staves' places in them, the measure chain with each measure's
// length, and the text-like marks with their anchors. The handlers fill it during
// the main pass; the builder turns it into the document.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ql::niff {

inline constexpr int kNiffStaffSlots = 45;  // staves 0..44
inline constexpr uint8_t kNiffStaffHidden = 0x80;
inline constexpr uint8_t kNiffStaffContinued = 0x40;

struct NiffSystemFrame {
    int32_t left = 0;  // score units, as the document keeps a system's left edge
    int32_t top = 0;
    int32_t placementX = 0;  // file units
    int32_t placementY = 0;
    int32_t rightEdge = 0;  // placement plus width, file units
    int firstMeasure = 1;
    int lastMeasure = 1;
    std::array<int32_t, kNiffStaffSlots> staffOffsets{};
    std::array<uint8_t, kNiffStaffSlots> staffFlags{};
};

struct NiffPageMargins {
    int32_t left = 0, top = 0, right = 0, bottom = 0;  // score units
};

struct NiffPageFrame {
    int index = 0;
    int firstMeasure = 1;
    int lastMeasure = 1;
    int32_t placementX = 0;
    int32_t placementY = 0;
    std::vector<NiffSystemFrame> systems;
    NiffPageMargins margins;
};

// What a mark is anchored to: a page position, a measure offset, or (without a
// placement of its own) a time in its measure.
enum class NiffAnchor : uint8_t { kPage, kMeasure, kTime };

enum class NiffMarkKind : uint8_t { kTextLine, kRehearsal, kStaffLabel };

struct NiffMark {
    NiffMarkKind kind = NiffMarkKind::kTextLine;
    std::string text;
    NiffAnchor anchor = NiffAnchor::kMeasure;
    int page = 0;
    int measure = 1;
    int tick = 0;
    int staff = 1;
    int32_t x = 0;  // score units: from the page, the measure, or the time
    int32_t y = 0;
    int style = 4;
    int fontSlot = -1;  // a document font name slot, -1 for the style's font
    bool hidden = false;
    bool boxed = false;
    bool circled = false;
};

struct NiffMeasureNode {
    int number = 1;
    int lengthTicks = 0;
};

// Per staff (1..44): what the file says of it.
struct NiffStaffFrame {
    std::string label;
    int lines = 5;
    int sizePercent = 100;  // below 100 for a reduced staff, never below 50
    int channel = -1;
    int transposition = 0;
};

struct NiffFrame {
    std::vector<NiffPageFrame> pages;
    std::vector<NiffMeasureNode> measures{NiffMeasureNode{}};
    std::vector<NiffMark> marks;
    std::array<NiffStaffFrame, kNiffStaffSlots> staves{};
    // The current place of the main pass.
    int currentStaff = 0;  // 1-based in the system, from the staff headers
    int staffNumber = 0;   // the document staff the current staff header names
    int firstStaff = -1;
    int32_t staffPlacementY = 0;
    bool skippingStaff = false;  // a staff header out of range: its list is skipped
    size_t currentMeasure = 0;   // index into measures
    int currentTick = 0;

    NiffPageFrame* Page() { return pages.empty() ? nullptr : &pages.back(); }
    NiffSystemFrame* System() {
        NiffPageFrame* page = Page();
        return page == nullptr || page->systems.empty() ? nullptr : &page->systems.back();
    }
};

}  // namespace ql::niff
