// Hit testing of the notes of the current measure under the pointer (module
// LOCATE): searches with growing tolerance boxes in the active voice first, then
// the other voices and the neighbouring staves; and where a note's head stands.
#pragma once

#include <cstdint>

#include "core/model/geometry.h"

namespace ql {

struct ScoreView;
struct EventRecord;
struct MeasureCell;
struct ScoreObject;

// The head position of a note in the current slot: beat-map x + slot content start
// + system x + 16 x nudge + the scaled head half-width (76, 58, 47 by head size),
// moved by twice that for a head on the other side of the stem; y from its step.
LogicalPoint GetEventPosition(EventRecord* event, ScoreView* view);

// Lowest voice 0..3 of the voice mask; 0 for a mask of 0 or above 15.
int FirstSelectedVoice(const ScoreView* view);
// Voice 0..3 whose chain holds the event (the hint first); 0 when none.
int FindVoiceOfEvent(MeasureCell* cell, const EventRecord* event, int hint);
// The event of one voice of the current cell under the pointer; sets the hit voice.
EventRecord* HitTestVoiceEvents(ScoreView* view, int voice);
// The first voice of the mask, then the other voices the voice filter allows.
EventRecord* HitTestAnyVoice(ScoreView* view);
// Voice 0..3 whose element list holds the rest (the hint first); 0 when none.
int FindVoiceOfElement(MeasureCell* cell, const ScoreObject* element, int hint);
// The rest of the current cell under the pointer: the first voice of the mask,
// then the voices the filter allows, each with tolerances 32, 64 and 96.
ScoreObject* FindElementInMeasure(ScoreView* view);

}  // namespace ql
