// The classes of the wickette (46), widget bracket (47), repeat ending (48) and
// octave line (49): creation at a click, drawing, handles, drags and their commit,
// line-width steps, cloning, the octave label that follows the end hook, and the
// tool handlers. The labelled ones are text objects (the label) carrying the line.
#pragma once

#include <cstdint>

#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/ui/tool_record.h"

namespace ql {

struct ScoreView;

// The octave line's label codes (music-font octave signs).
constexpr uint16_t kOctaveAboveCode = 229;
constexpr uint16_t kOctaveBelowCode = 232;
constexpr uint16_t kOctaveKeptBelowCode = 230;
// The Graphics palette's "Pedal" face that draws the line from the start hook's end.
constexpr uint16_t kHookFirstPedalStrip = 175;

// New objects at the view's pointer (null without staves outside page view, or
// when no record can be had or the note attachment fails).
ScoreObject* CreateWicketteAtClick(ScoreView* view, bool hookFirst);
ScoreObject* CreateWidgetBracketAtClick(ScoreView* view);
ScoreObject* CreateOctaveLineAtClick(ScoreView* view);
ScoreObject* CreateRepeatEndingAtClick(ScoreView* view);
// The left and right x of a repeat ending over the view's current measure, as the
// tool puts one: a gap inside its barlines (before the music after a system's
// signatures in its first measure). False without a current system.
bool EndingEdgesOfCurrentMeasure(const ScoreView* view, int32_t* left, int32_t* right);

// The octave label after a drag: a one-character label shows 232 (230 kept) when
// the end hook points up, else 229; a typed string is left alone. Skipped once (and
// the skip cleared) after the "Octave" dialog's OK.
void FollowOctaveHook(ScoreObject* octave);
void SkipNextOctaveFollow();

// Commits a dragged spanner's handles into its anchors (the labelled ones' label
// too), relinking a time-anchored one into the cell of its new start.
int CommitSpannerDrag(ScoreObject* object, ScoreView* view);

// The "Repeat Ending" dialog (859) on an ending; 1 when it changed the ending.
int RunRepeatEndingDialog(ScoreObject* object, ScoreView* view);

// The "Measure End" (856) or "Octave" (864) dialog on a widget bracket or an octave
// line; 1 when it changed the bracket.
int RunBracketDialog(ScoreObject* object, ScoreView* view);

const ScoreObjectClass& TheWicketteClass();
const ScoreObjectClass& TheWidgetBracketClass();
const ScoreObjectClass& TheRepeatEndingClass();
const ScoreObjectClass& TheOctaveLineClass();
// The labelled spanners' shared operations (label plus line: hit test, handles, drags,
// tracking, commit, cursors), for a class that draws the line in one of its forms.
const ScoreObjectClass& LabelledSpannerOperations();

// Tool handlers (the common object-tool pattern; the wickette's records its face).
intptr_t WicketteToolHandler(ScoreView* view, int action, ToolRecord* record,
                             platform::WindowHandle window, win::Message message, uint32_t word,
                             intptr_t data);
intptr_t WidgetBracketToolHandler(ScoreView* view, int action, ToolRecord* record,
                                  platform::WindowHandle window, win::Message message,
                                  uint32_t word, intptr_t data);
intptr_t OctaveLineToolHandler(ScoreView* view, int action, ToolRecord* record,
                               platform::WindowHandle window, win::Message message, uint32_t word,
                               intptr_t data);
intptr_t RepeatEndingToolHandler(ScoreView* view, int action, ToolRecord* record,
                                 platform::WindowHandle window, win::Message message,
                                 uint32_t word, intptr_t data);

}  // namespace ql
