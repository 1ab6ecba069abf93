// The view's current location (module LOCATE): system, staff, measure and time
// position, and the mouse pointer that follows it. The score model and the
// editors move the location through these; the display owns how it is derived.
#pragma once

#include <cstdint>

#include "core/model/geometry.h"

namespace ql {

struct ScoreView;
struct ScoreDocument;
struct ScoreSystem;
struct ScoreObject;
struct EventRecord;
struct HitRecord;

// A place in the score: the system, staff and measure under a point.
struct LocatedPlace {
    ScoreSystem* system = nullptr;
    int staff = 1;
    int measure = 1;
};

// The system, staff and measure under a point; without a system the "LOCATE"
// notice and the current system, staff 1, measure 1.
LocatedPlace LocatePoint(ScoreView* view, const LogicalPoint& point);
// Page view: the system of the current page a y belongs to.
ScoreSystem* SystemAtY(ScoreView* view, int32_t y);
// Stores staff and measure and derives slot, staff record, cell, voice chain,
// measure length, staff y and the staff's fonts (not on a master page).
void ApplyLocation(ScoreView* view, int staff, int measure);
// The staff y of every page view of the document again, from the system it stands
// on: layout that moves systems calls it, so that a view's derived position never
// lags behind its system until the location next moves.
void RefreshStaffTops(const ScoreDocument* document);
// The quick setter with a given system.
void SetCurrentSystemAndMeasureQuick(ScoreView* view, ScoreSystem* system, int staff,
                                     int measure);
// XToTime of an x relative to the current slot's content start.
int XToTimeInSlot(ScoreView* view, int x);
// The position readout text: "  %d.%d  " when the second number is 100 or more,
// else "  %d . %d  ".
const char* ShowPositionReadout(ScoreView* view, int first, int second);
// Counts down the mouse moves to ignore after a warp; true for one to ignore.
bool ConsumeSkippedMouseMove();

// Sets the view's current system, staff and measure (clamped); nothing when
// unchanged unless forced.
void SetCurrentSystemAndMeasure(ScoreView* view, ScoreSystem* system, int staff, int measure,
                                bool force = false);

// Makes a staff and measure current (measure clamped to the measure count + 4,
// staff to the staff count) and derives the system that holds it.
void SetCurrentMeasure(ScoreView* view, int staff, int measure);

// The view at a staff and measure for the length of a scope: the location is
// pushed, made current (SetCurrentMeasure), and popped on every path out. Code that
// computes or stores positions relative to the view's location (a note-attached
// object's points, its handles' anchors) runs inside one when the view may stand
// elsewhere, as it does when a click on other music commits the last object.
class ScopedViewAt {
  public:
    ScopedViewAt(ScoreView* view, int staff, int measure);
    // The staff and measure a handle record was made at.
    ScopedViewAt(ScoreView* view, const HitRecord* handle);
    ~ScopedViewAt();
    ScopedViewAt(const ScopedViewAt&) = delete;
    ScopedViewAt& operator=(const ScopedViewAt&) = delete;

  private:
    ScoreView* view_;
};

// Sets staff, measure, system, slot, staff record, cell and selected voice chain
// directly, without the location display.
void SetCurrentMeasureQuick(ScoreView* view, int staff, int measure);

// Makes a system current and moves the location to its first measure on staff 1.
void SetCurrentSystem(ScoreView* view, ScoreSystem* system);

// Sets the current location (system, staff, measure, position) from a point.
void SetLocationFromPoint(ScoreView* view, const LogicalPoint& point);

// Sets the location under the mouse pointer and shows the position readout.
void UpdateLocationFromPointer(ScoreView* view);

// Sets the pointer position from the caret and updates the location.
void LocationFromCaret(ScoreView* view);

// Checks the current page and system pointers; when bad, returns the view and
// its linked views to the first page.
void ValidateCurrentPage(ScoreView* view);

// The system of the current page holding a measure, else the current system.
ScoreSystem* SystemOfMeasure(ScoreView* view, int measure);

// The system holding a measure anywhere in the score; null when none.
ScoreSystem* SystemOfMeasureInScore(ScoreView* view, int measure);

// 1-based slot of a measure in a system row, capped at the slot limit + 2;
// 1 when out of range.
int SlotOfMeasure(ScoreView* view, int measure, ScoreSystem* system);

// Measure number of a slot of the current system; 1 when out of range.
int MeasureOfSlot(ScoreView* view, int slot);

// Time position at an x in the current measure slot.
int XToTime(ScoreView* view, int x);

// x of a tick in the current measure slot, interpolated between 16-tick entries.
int TimeToX(ScoreView* view, int tick);
// The x on the page of a tick of a measure of the current system (the view's
// location unchanged); 0 for a measure the system does not hold.
int MeasureTickX(ScoreView* view, int measure, int tick);
// The x on the page of the barline a measure of the current system starts at; 0 for
// a measure the system does not hold.
int MeasureStartX(ScoreView* view, int measure);

// The note record under the pointer in the current measure, selecting its voice;
// null when none.
EventRecord* FindEventUnderPointer(ScoreView* view);

// The event of the view's first selected voice under the pointer, or null.
EventRecord* HitTestSelectedVoice(ScoreView* view);

// Moves the pointer to a logical point and updates the location.
void MovePointerToPoint(ScoreView* view, int x, int y);

// Moves the pointer to a logical point without updating the location.
void MovePointerToLogical(ScoreView* view, int x, int y);

// Moves the pointer to a note's head (when visible) and updates the location.
void MovePointerToObject(ScoreView* view, EventRecord* event);

// Posts a mouse move at the view's logical pointer.
void NudgePointer(ScoreView* view);

}  // namespace ql
