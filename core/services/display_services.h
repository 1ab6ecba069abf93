// What the score model asks of the display above it: the view's current location
// (system, staff and measure, the pointer), redrawing a view and the views linked
// to it, the page view and the scroll view, the anchors that place an object against
// its notes, measure or page, the staves the painter hid, and the staff groups the
// status bar reads. The display fills the table when the program starts
// (display/display_services_install.h); until then, as in a program built without the
// display, each call does nothing and gives 0, false or null.
//
// The calls are in namespace `display`, under the names the display gives them.
#pragma once

#include <cstdint>

#include "core/model/geometry.h"

namespace ql {

struct LocationRecord;
struct ObjectLocation;
struct ScoreDocument;
struct ScoreObject;
struct ScoreSystem;
struct ScoreView;

struct DisplayServices {
    // The view's location (display/view_location.h).
    void (*setCurrentSystemAndMeasure)(ScoreView* view, ScoreSystem* system, int staff, int measure,
                                       bool force) = nullptr;
    void (*setCurrentMeasure)(ScoreView* view, int staff, int measure) = nullptr;
    void (*setCurrentMeasureQuick)(ScoreView* view, int staff, int measure) = nullptr;
    void (*setLocationFromPoint)(ScoreView* view, const LogicalPoint& point) = nullptr;
    ScoreSystem* (*systemOfMeasure)(ScoreView* view, int measure) = nullptr;
    void (*validateCurrentPage)(ScoreView* view) = nullptr;
    void (*movePointerToPoint)(ScoreView* view, int x, int y) = nullptr;
    // Redrawing (display/linked_views.h).
    void (*redrawCurrentMeasure)(ScoreView* view) = nullptr;
    void (*invalidateLinkedViews)(ScoreView* view) = nullptr;
    void (*repaintScoreView)(ScoreView* view, bool erase) = nullptr;
    void (*buildBeatMapsOnLinkedViews)(ScoreView* view, int flag) = nullptr;
    // Page view and scroll view (display/view_modes.h).
    void (*enterPageView)(ScoreView* view) = nullptr;
    int (*enterScrollView)(ScoreView* view) = nullptr;
    void (*scrollViewStep)(ScoreView* view, int steps) = nullptr;
    bool (*placesOnPage)(const ScoreView* view) = nullptr;
    // Anchors (display/anchors.h).
    void (*encodeAnchors)(ScoreView* view, LocationRecord* out, int anchorKind,
                          ObjectLocation* bodyLocation, const LogicalPoint* points,
                          int count) = nullptr;
    void (*encodePageAnchors)(ScoreView* view, ObjectLocation* bodyLocation,
                              const LogicalPoint* points, int count) = nullptr;
    void (*decodeAnchors)(ScoreView* view, int kind, ObjectLocation* location, LogicalPoint* out,
                          int count) = nullptr;
    void (*noteAnchorToPoint)(ScoreView* view, ScoreObject* object, const ObjectLocation* location,
                              LogicalPoint* out) = nullptr;
    void (*pointToNoteAnchor)(ScoreView* view, ScoreObject* object, ObjectLocation* anchor,
                              const LogicalPoint& point) = nullptr;
    bool (*clampAnchorsToPage)(ScoreView* view, LogicalPoint* point, int kind,
                               ObjectLocation* anchors, int32_t width, int32_t height,
                               uint32_t placement) = nullptr;
    bool (*showsOffPageItems)(const ScoreView* view) = nullptr;
    // Staves the painter hid (display/system_drawing.h) and staff groups
    // (display/staff_groups.h).
    void (*restoreHiddenEmptyStavesOf)(ScoreDocument* document) = nullptr;
    int (*firstStaffOfBarGroup)(ScoreView* view, int staff) = nullptr;
    int (*lastStaffOfBarGroup)(ScoreView* view, int staff) = nullptr;
    int (*firstStaffOfBrace)(ScoreView* view, int staff) = nullptr;
    int (*lastStaffOfBrace)(ScoreView* view, int staff) = nullptr;
};

void SetDisplayServices(const DisplayServices& services);

namespace display {

// Sets the view's current system, staff and measure (clamped); nothing when
// unchanged unless forced.
void SetCurrentSystemAndMeasure(ScoreView* view, ScoreSystem* system, int staff, int measure,
                                bool force = false);
// Makes a staff and measure current (measure clamped to the measure count + 4,
// staff to the staff count) and derives the system that holds it.
void SetCurrentMeasure(ScoreView* view, int staff, int measure);
// Sets staff, measure, system, slot, staff record, cell and selected voice chain
// directly, without the location display.
void SetCurrentMeasureQuick(ScoreView* view, int staff, int measure);
// Sets the current location (system, staff, measure, position) from a point.
void SetLocationFromPoint(ScoreView* view, const LogicalPoint& point);
// The system of the current page holding a measure, else the current system.
ScoreSystem* SystemOfMeasure(ScoreView* view, int measure);
// Checks the current page and system pointers; when bad, returns the view and
// its linked views to the first page.
void ValidateCurrentPage(ScoreView* view);
// Moves the pointer to a logical point and updates the location.
void MovePointerToPoint(ScoreView* view, int x, int y);

// Redraws the current staff and measure slot (nothing on a master page).
void RedrawCurrentMeasure(ScoreView* view);
// Invalidates this view and every linked view.
void InvalidateLinkedViews(ScoreView* view);
// Repaints the view at once, erasing the visible rectangle (or the paint rectangle
// when one is active) first.
void RepaintScoreView(ScoreView* view, bool erase);
// Rebuilds the beat maps of the view and its linked views.
void BuildBeatMapsOnLinkedViews(ScoreView* view, int flag);

// Switches a view to page view (mode 1).
void EnterPageView(ScoreView* view);
// Switches a view to scroll view (mode 0) and builds its galley page; non-zero on
// success.
int EnterScrollView(ScoreView* view);
// A horizontal scroll request of n steps: page view scrolls by steps, scroll view
// moves its strip by measures.
void ScrollViewStep(ScoreView* view, int steps);
// Whether text and graphics placed now belong to the page: in page layout, unless
// the view places them in their measures (a master page keeps its own always).
bool PlacesOnPage(const ScoreView* view);

// An object's points as anchors of kind 0..4, and the anchors back to points.
void EncodeAnchors(ScoreView* view, LocationRecord* out, int anchorKind,
                   ObjectLocation* bodyLocation, const LogicalPoint* points, int count);
void EncodePageAnchors(ScoreView* view, ObjectLocation* bodyLocation, const LogicalPoint* points,
                       int count);
void DecodeAnchors(ScoreView* view, int kind, ObjectLocation* location, LogicalPoint* out,
                   int count);
// A point anchored to an object's note, and the other way.
void NoteAnchorToPoint(ScoreView* view, ScoreObject* object, const ObjectLocation* location,
                       LogicalPoint* out);
void PointToNoteAnchor(ScoreView* view, ScoreObject* object, ObjectLocation* anchor,
                       const LogicalPoint& point);
// Moves an object lying wholly off the page back onto its edge (page view with
// off-page items shown); true when it was moved.
bool ClampAnchorsToPage(ScoreView* view, LogicalPoint* point, int kind, ObjectLocation* anchors,
                        int32_t width, int32_t height, uint32_t placement);
// True when the view keeps objects on the page as ClampAnchorsToPage does.
bool ShowsOffPageItems(const ScoreView* view);

// Shows again the empty staves the painter hid in the document's systems.
void RestoreHiddenEmptyStavesOf(ScoreDocument* document);

// The first and last staff of a staff's barline group and of its brace.
int FirstStaffOfBarGroup(ScoreView* view, int staff);
int LastStaffOfBarGroup(ScoreView* view, int staff);
int FirstStaffOfBrace(ScoreView* view, int staff);
int LastStaffOfBrace(ScoreView* view, int staff);

}  // namespace display
}  // namespace ql
