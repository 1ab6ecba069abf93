// Where a NIFF mark's placement (tag 1) is measured from. Tag 3 names the chunk
// the file measured it from; the importer converts it down the chain of anchors
// (page, system, staff, measure slice, event slice, stem, note) to the level the
// handler keeps its marks at, and tells marks that belong to the page apart.
#pragma once

#include <cstdint>

namespace ql::niff {

struct NiffImportState;
struct NiffTagState;

// The origin of page points: a placement on the page, in score units, less this
// is the point the page's items keep.
inline constexpr int32_t kNiffPageOrigin = 30720;

// The levels of the anchor chain, from the page down.
enum class NiffAnchorLevel : uint8_t {
    kPage,
    kSystem,
    kStaff,
    kMeasureSlice,
    kEventSlice,
    kStem,
    kNote,
};

// The offsets (file units) of the chain's current anchors, each from the anchor
// above it, as the headers, time slices and stems of the main pass give them.
struct NiffAnchorOffsets {
    int32_t measureStartX = 0;  // the measure-start slice's horizontal placement
    int32_t eventX = 0;         // the event slice's placement
    int32_t eventY = 0;
    int32_t stemX = 0;          // the stem's placement
    int32_t stemY = 0;
};

// Converts the chunk's placement (tag 1, when it and tag 3 are both given) from the
// anchor tag 3 names down to `target`: each step subtracts what separates the two
// levels (the system's placement, the staff's vertical placement, nothing to the
// measure slice, the measure's start, the event slice's placement, the stem's
// placement). An anchor outside the chain, or one below the target, leaves the
// placement as it is. Once converted, the chunk's tag 3 is dropped, so converting
// twice changes nothing. Returns the level tag 3 named, or -1 (no tags 1 and 3, or
// an unknown anchor).
int ResolveNiffPlacement(NiffImportState& import, NiffAnchorLevel target);

// Whether tag 3 names the page header: the mark then belongs to the page.
bool NiffPlacedOnPage(const NiffTagState& tags);

// A point on the current page: the page's index, and score units from its corner.
struct NiffPagePoint {
    int page = -1;
    int32_t x = 0;
    int32_t y = 0;
};

// The page point of a chunk placed on the page (tag 3 names the page header and
// tag 1 is given, with a page begun), converted with the unit scale; false
// otherwise. The spanners whose nodes all have one on the same page belong to it.
bool NiffPagePointOf(const NiffImportState& import, NiffPagePoint* point);

}  // namespace ql::niff
