// Moving a view to a saved location (module UNITS): the location record of an
// object or of the view-location stack (position word, staff, measure, pointer
// point) becomes the view's current location again.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;
struct ScoreSystem;
struct StaffRecord;
struct LocationRecord;

// The lowest window origin a page view takes.
constexpr int32_t kLowestPageOrigin = -30720;
// Height of a full-size staff band kept visible, and its part above the staff's
// top line when the vertical scroll bar is set.
constexpr int32_t kFullStaffBand = 1024;
constexpr int32_t kFullStaffHeight = 512;

// True when the view is a live view record (its self pointer is its address).
bool IsValidView(const ScoreView* view);

// Moves the view to the record's location, only when the view is valid, its current
// page is not a master page, the record's measure lies within that page and its
// position word is not 0: the view is made active, takes the position word, and
// when staff or measure differ (or the force-relocate byte is set) makes them
// current. False when the record was not applied.
bool MoveViewToObject(ScoreView* view, const LocationRecord* record);

// Makes the view active and takes the record's position word; makes its staff and
// measure current when they differ (or relocation is forced) and the measure lies
// within the current page; then moves the pointer to the record's point when it
// is elsewhere.
void RestoreViewPosition(ScoreView* view, const LocationRecord* record);

// The height of a staff's band: 1024 x its size percent / 100, 1024 without a size.
int32_t StaffBandHeight(const StaffRecord* staff);

// The window origin (one axis) that shows the span [start, end] in a visible extent
// starting at visibleStart, visibleSpan long. Unchanged when start lies inside and
// neither start nor end lies beyond the far edge; otherwise start minus a quarter
// of the extent, snapped (with a zoom factor above 0) to a multiple of 64 unscaled
// units, and never below kLowestPageOrigin.
int32_t OriginShowingSpan(int32_t origin, int32_t visibleStart, int32_t visibleSpan,
                          int32_t start, int32_t end, double zoomFactor);

// Keeps a location visible while text is entered there. The scrolling view moves
// its measure range one step when the measure is outside it; the page view moves
// its origin so that the measure on the staff of the system is in view, sets the
// scroll bars and goes back to the view's location. Drawing switches are off for
// the duration, and a surface that was open is open again afterwards.
void ScrollToLocation(ScoreView* view, ScoreSystem* system, int staff, int measure);

// Brings a measure into view: the scrolling view moves its measure range to it
// and rebuilds its beat maps; the page view shows the page and the system holding
// it and moves to the location. The focus is ended first.
void ShowMeasureInView(ScoreView* view, int staff, int measure);

}  // namespace ql
