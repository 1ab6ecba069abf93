// The handlers of the Main palette's group buttons and of the palettes' own tools:
// Edit Staff, Measure Ruler, MIDI Setup, System Bracket and Brace, Tie, Zoom and the
// alternate faces of Slur and Tie, with the staff joins the bracket tool toggles and
// the small window operations the palettes use. Each follows the tool-handler
// protocol of editing/tools.h (Note Heads and Toggle Dots are declared there).
#pragma once

#include <cstdint>

#include "editing/tools.h"
#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreDocument;

// Main buttons 0, 2, 3 and 4: Select shows the group's palette (Staff Tools also sets
// the tool cursor), Message sets the selection's cursor to the tool cursor, Deselect
// hides the palette (Performance also hides Dynamics). Always 0, so every action
// passes on to the group palette's current tool. `record` says which group; a record
// of no group does nothing.
intptr_t GroupSelectorHandler(ScoreView* view, int action, ToolRecord* record,
                              platform::WindowHandle window, win::Message message, uint32_t word,
                              intptr_t data);

// The standard object tools of the Staff Tools and Graphics palettes.
intptr_t StaffToolHandler(ScoreView* view, int action, ToolRecord* record,
                          platform::WindowHandle window, win::Message message, uint32_t word,
                          intptr_t data);
intptr_t StretcherToolHandler(ScoreView* view, int action, ToolRecord* record,
                              platform::WindowHandle window, win::Message message, uint32_t word,
                              intptr_t data);
intptr_t TieToolHandler(ScoreView* view, int action, ToolRecord* record,
                        platform::WindowHandle window, win::Message message, uint32_t word,
                        intptr_t data);
intptr_t ZoomToolHandler(ScoreView* view, int action, ToolRecord* record,
                         platform::WindowHandle window, win::Message message, uint32_t word,
                         intptr_t data);
intptr_t MidiSetupToolHandler(ScoreView* view, int action, ToolRecord* record,
                              platform::WindowHandle window, win::Message message, uint32_t word,
                              intptr_t data);
// "System Bracket" and "System Brace": which of the two is the Staff Tools palette's
// current button (7 bracket, 8 brace).
intptr_t BracketToolHandler(ScoreView* view, int action, ToolRecord* record,
                            platform::WindowHandle window, win::Message message, uint32_t word,
                            intptr_t data);
// The alternate faces of Slur and Tie: posts the run-Slot26 message (strip 175) or the
// run-Slot27 message (any other strip) to the view's window; 1.
intptr_t AlternateCurveHandler(ScoreView* view, int action, ToolRecord* record,
                               platform::WindowHandle window, win::Message message, uint32_t word,
                               intptr_t data);

// ---- Staff joins ----

// The staff or pair of staves a bracket, brace or connection click aims at, from the
// pointer's distance to the current staff's line in steps of 64 units (rounded,
// divided first by the view scale when one is set; negative above the line):
// brackets and braces take the staff alone from -8 to 0, the pair (current, next)
// above 0 and (previous, current) below -8; the connection the same with -4 and never
// one staff. `valid` is false when the pair runs past the first or last staff.
enum class JoinKind { Bracket, Brace, Connection };
struct JoinTarget {
    bool valid = false;
    bool single = false;
    int upper = 0;  // the staff alone, or the pair's upper staff
    int lower = 0;
};
JoinTarget ChooseJoinTarget(const ScoreView* view, JoinKind kind);

// The clicks of the three tools at the pointer: a single staff's bracket or brace
// comes and goes ("Already bracketed" / "Already braced" when it is joined to a
// neighbour); a pair's join toggles (a one-staff bracket in it is dropped first). A
// missing neighbour beeps. 1 when something changed, which marks the document
// modified and invalidates the linked views.
int AddBracket(ScoreView* view);
int AddBrace(ScoreView* view);
int ToggleStaffConnection(ScoreView* view);

// ---- Window operations of the palettes ----

// Sets the program's graphic-alternate flag when the Graphics palette's current button
// shows a face from another strip than its own (175).
void GraphicsAlternateFlag();

// Moves a palette window (only while the frame is visible): x within [button size -
// width, screen width - button size], y within [0, the top of the frame's client
// area]; repainted.
void PlacePaletteWindow(platform::WindowHandle window, int x, int y, int width, int height);

}  // namespace ql
