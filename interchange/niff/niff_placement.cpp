// The anchor chain of a NIFF import: a placement measured from one anchor turned
// into one measured from a lower anchor.
#include "interchange/niff/niff_placement.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "interchange/niff/niff_import_state.h"

namespace ql::niff {
namespace {

constexpr int kTagPlacement = 1;
constexpr int kTagAnchor = 3;

// The chunk ids that name an anchor, by level; a time slice names the measure level.
constexpr std::array<const char*, 5> kAnchorIds{"pghd", "syhd", "sthd", "tmsl", "stem"};

int AnchorLevelOf(const NiffTagState& tags) {
    const uint8_t* id = tags.values[kTagAnchor].data();
    for (size_t level = 0; level < kAnchorIds.size(); ++level)
        if (std::memcmp(id, kAnchorIds[level], 4) == 0) return static_cast<int>(level);
    return -1;
}

void StoreShort(NiffTagState& tags, int byteOffset, int32_t value) {
    const auto number = static_cast<int16_t>(std::clamp<int32_t>(value, INT16_MIN, INT16_MAX));
    std::memcpy(tags.values[kTagPlacement].data() + byteOffset, &number, sizeof number);
    tags.written |= uint64_t{1} << kTagPlacement;
}

}  // namespace

bool NiffPlacedOnPage(const NiffTagState& tags) {
    return HasNiffTag(tags, kTagAnchor) && AnchorLevelOf(tags) == static_cast<int>(NiffAnchorLevel::kPage);
}

bool NiffPagePointOf(const NiffImportState& import, NiffPagePoint* point) {
    const NiffTagState& tags = import.tags;
    if (!NiffPlacedOnPage(tags) || !HasNiffTag(tags, kTagPlacement) || import.frame.pages.empty()) return false;
    point->page = static_cast<int>(import.frame.pages.size()) - 1;
    point->x = static_cast<int32_t>(NiffTagShort(tags, kTagPlacement, 0) * import.unitScale);
    point->y = static_cast<int32_t>(NiffTagShort(tags, kTagPlacement, 2) * import.unitScale);
    return true;
}

int ResolveNiffPlacement(NiffImportState& import, NiffAnchorLevel target) {
    NiffTagState& tags = import.tags;
    if (!HasNiffTag(tags, kTagPlacement) || !HasNiffTag(tags, kTagAnchor)) return -1;
    const int from = AnchorLevelOf(tags);
    if (from < 0) return -1;
    NiffFrame& frame = import.frame;
    const NiffAnchorOffsets& anchors = frame.anchors;
    int32_t x = NiffTagShort(tags, kTagPlacement, 0);
    int32_t y = NiffTagShort(tags, kTagPlacement, 2);
    for (int level = from + 1; level <= static_cast<int>(target); ++level) {
        switch (static_cast<NiffAnchorLevel>(level)) {
            case NiffAnchorLevel::kSystem:
                if (const NiffSystemFrame* system = frame.System()) {
                    x -= system->placementX;
                    y -= system->placementY;
                }
                break;
            case NiffAnchorLevel::kStaff: y -= frame.staffPlacementY; break;
            case NiffAnchorLevel::kMeasureSlice: break;
            case NiffAnchorLevel::kEventSlice: x -= anchors.measureStartX; break;
            case NiffAnchorLevel::kStem:
                x -= anchors.eventX;
                y -= anchors.eventY;
                break;
            case NiffAnchorLevel::kNote:
                x -= anchors.stemX;
                y -= anchors.stemY;
                break;
            case NiffAnchorLevel::kPage: break;
        }
    }
    StoreShort(tags, 0, x);
    StoreShort(tags, 2, y);
    // The placement now counts from the target: the chunk names no other anchor,
    // so a handler that resolves again leaves it as it is.
    tags.flags[kTagAnchor] = 0;
    tags.written |= uint64_t{1} << kTagAnchor;
    return from;
}

}  // namespace ql::niff
