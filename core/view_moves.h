// Moving a view to a saved location (module UNITS): the location record of an
// object or of the view-location stack (position word, staff, measure, pointer
// point) becomes the view's current location again.
#pragma once

namespace ql {

struct ScoreView;
struct LocationRecord;

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

}  // namespace ql
