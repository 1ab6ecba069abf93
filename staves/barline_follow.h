// Barline objects around the pointer: the ones made for the barlines next to the
// view's location, their four handles (the line's two ends and the width handles of
// the measure after it) and how a drag moves and shows them. What a finished drag
// does to the score is barline_drag.h's.
#pragma once

#include <cstdint>

namespace ql {

struct HitRecord;
struct ScoreObject;
struct ScoreSystem;
struct ScoreView;

// Handle kinds of a barline object.
constexpr uint8_t kBarlineTopHandle = 0;     // the line's top end; grabs the barline
constexpr uint8_t kBarlineBottomHandle = 1;  // the line's bottom end
constexpr uint8_t kBarlineStartHandle = 2;   // where the measure's content begins
constexpr uint8_t kBarlineWidthHandle = 3;   // that x plus the measure's width

// While set (a barline edit is under way) the location follow makes nothing.
void SetBarlineFollowSuppressed(bool suppressed);
bool BarlineFollowSuppressed();

// The x of the barline in front of `measure` in a system (view units), from the
// view's beat map; false when the system's row or the slot is not in the map, or
// for a closing barline whose slot was never laid out.
bool BarlineXInSystem(ScoreView* view, const ScoreSystem* system, int measure, int32_t* x);

// Where a width handle of the barline in front of `measure` stands before a drag:
// the measure's content start (kind 2) or that plus its width (kind 3). False
// outside the beat map.
bool WidthHandleX(ScoreView* view, const ScoreSystem* system, int measure, int kind, int32_t* x);

// Makes barline objects for the barlines around the location (the measure before,
// at and after it, within its system) that the selection's object list does not
// hold yet, and puts them after the list's head. 1 when done (also while
// suppressed), 0 without a list, a system, or a record.
int FollowBarlines(ScoreObject* source, ScoreView* view);

// The object's handle chain: top and bottom always, the two width handles only
// inside its system. Null (with a beep) when a record cannot be had.
HitRecord* BuildBarlineHandles(ScoreObject* object, ScoreView* view);

// Moves the grabbed handle(s) of the focused barline by the selection's drag
// offset: either end moves the whole line; a width handle moves alone.
void TrackBarlineDrag(ScoreObject* object, ScoreView* view);

// The XOR feedback of the focused barline: its line, and the short lines at the
// width handles when it stands inside its system.
void DrawBarlineTracking(ScoreObject* object, ScoreView* view);

// Cursor for a handle kind: the move cursor for the top end, the handle cursor
// else.
void SetBarlineCursor(int kind);

}  // namespace ql
