// Stem directions and beam groups (module BEAM): which chords of a voice share a
// beam and which way every stem points. The decisions are stored in the events:
// a chord's head (its first event) owns the stem (flags bit 0) and the two beam
// links; bit 8 of every note's flags is the stem direction (1 up); the head's stem
// field (stemWord bits 9-14) counts steps to the chord's last note, modulo 64.
//
// Every operation first takes a snapshot of the voice that holds its event (the
// chain from the head sentinel, in time order). A beam link counts only when it
// names the head of a later (beamNext) or earlier (beamPrev) chord of that
// snapshot, so a walk can neither loop nor leave the voice, and nothing outside
// the voice's own records is written. The program-wide settings (StemMode,
// AutoBeam, MaxBeamChords, the keep-direction flag) live in NotesGlobals
// (core/state.h). Everything runs on the user-interface thread.
#pragma once

#include <cstdint>

#include "core/memory/pool.h"

namespace ql {

struct ScoreView;
struct EventRecord;
struct StaffRecord;

// StemMode values ("&Float stems", "Stems &up", "Stems &down": commands 40437 + mode).
constexpr uint8_t kStemsFloat = 0;
constexpr uint8_t kStemsUp = 1;
constexpr uint8_t kStemsDown = 2;
constexpr int kFloatStemsCommand = 40437;
constexpr int kAutoBeamCommand = 40419;

// ---- Beam-level tree ----
// One node of the tree of a beam group, from the notes' scratch pool of the static
// set (kNotesScratchStaticPool); the tree lives for one computation and is freed
// with FreeBeamTree. The root (root = 1, level 0) spans the whole group; a node of
// level k is a run of consecutive chords sharing at least k + 1 beams; a leaf
// (chord != 0) is one chord, at the level 9 - its DurationCode, under the node of
// that level. Children are kept in time order.
#pragma pack(push, 1)
struct BeamNode {
    StaticHandle nextSibling;
    StaticHandle parent;
    StaticHandle firstChild;
    StaticHandle lastChild;
    int8_t level;       // beams beyond the first
    uint8_t up;         // stem direction given to the group: 1 up
    uint8_t root;       // 1 on the root
    uint8_t spare;
    RecordHandle chord;  // a leaf: the chord's head (pool 4 of the document); else 0
};
#pragma pack(pop)
static_assert(sizeof(BeamNode) == 14);

// The live node a handle names, or null.
BeamNode* BeamNodeAt(StaticHandle handle);
// The leaves of a tree from left to right, or 0 for null.
int BeamTreeLeafCount(const BeamNode* root);
// Frees every node of the tree; null is ignored.
void FreeBeamTree(BeamNode* root);

// What a group looks like once its stems are set; read by beam layout.
struct BeamGroupShape {
    EventRecord* firstChord = nullptr;
    EventRecord* lastChord = nullptr;
    int chordCount = 0;
    int noteCount = 0;
    int up = 0;
    int highestStep = 0;  // the smallest step (highest note) and its time
    int highestTime = 0;
    int lowestStep = 0;   // the largest step (lowest note) and its time
    int lowestTime = 0;
    int largestLevel = 0;
    int risingMoves = 0;   // chord to chord, head steps going up (step falls)
    int fallingMoves = 0;  // head steps going down
    int repeatedMoves = 0;
    // The stem-side end notes (first note with stems up, last note with stems down)
    // of smallest and largest step; the beam must clear `extremeNote`, which is the
    // first of them for stems up and the second for stems down.
    EventRecord* topStemEnd = nullptr;
    EventRecord* bottomStemEnd = nullptr;
    EventRecord* extremeNote = nullptr;
    uint16_t stepHistogram[256] = {};  // notes per step (index: the step byte)
};

// ---- Stem directions ----
// Distance of a step from the staff's middle line, positive below it, by the
// staff's line count n (flags bits 8-11): no staff: step + 4; n = 0 or 1: -4 - step
// (on one line, a note above the line counts as below the middle); n = 2..4:
// step + n + 1; n >= 5: step + n - 1.
int StemDistanceFromMiddle(const StaffRecord* staff, int step);

// Decides and sets the stem of one unbeamed chord (the chord of `event`) with the
// rule below, through the single-chord stem set-up (links cleared, stem length
// set). Returns the direction (1 up, 0 down), or -1 when the event is not usable.
//
// Rule over the notes of the chord (or of a whole group), d by StemDistanceFromMiddle,
// chords whose head has word2 bit 12 (head hidden) left out: hi = largest d, lo =
// smallest, s = their sum; |lo| < hi up, |lo| > hi down, else by the sign of s, and
// the direction of the chord before (0 without one) when s = 0 or nothing counts.
// Then, when the view's display mask is non-zero or voices 2-4 of the current cell
// hold anything, voices 3 and 4 of the view's edit mask point down and others up;
// then StemMode 1 or 2 forces up or down; then the keep-direction flag forces its
// direction.
int ComputeNoteStemDirection(ScoreView* view, EventRecord* event);

// Decides one direction for a whole collected group, sets it on every chord and
// node, gathers the group's shape (into `shape` when given) and has beam layout
// (ComputeBeamStems, notes/drawing/beam_layout.h) set the stem of every chord from
// the beam's slope; the view's location must be the group's measure. Returns the
// direction, or -1 for an empty tree.
int ComputeGroupStems(ScoreView* view, BeamNode* root, BeamGroupShape* shape = nullptr);

// After any change of a note: an unbeamed chord gets ComputeNoteStemDirection; a
// beamed chord of an eighth or shorter has its group collected, restemmed and freed.
void UpdateBeamForNote(ScoreView* view, EventRecord* event);

// ---- Beam groups ----
// Repairs the links of the group holding `chord` and builds its tree; null when the
// event is not usable or a node cannot be had (then nothing is written). Repairs: a
// backward link that is 0, does not resolve or leaves the voice ends the walk back
// and is cleared; a chord passed on the way back whose forward link is 0 gets one;
// forward, a chord whose backward link is 0 gets one, and a chord without a usable
// forward link gets one when the next chord of the voice links back to it.
BeamNode* CollectBeamGroup(ScoreView* view, EventRecord* chord);

// Joins the group of `earlier` to the group of `later` (both eighths or shorter, of
// one voice, the first group wholly before the second) and restems the result.
// Returns 1 when joined, 0 when refused (nothing written). No drawing.
int JoinBeamGroups(ScoreView* view, EventRecord* earlier, EventRecord* later);
// The same, then the result is redrawn in this view and every linked view.
int JoinBeamsCommand(ScoreView* view, EventRecord* earlier, EventRecord* later);
// Cuts the beam between two chords of one voice (both shorter than a quarter) and
// restems each side. Returns 1 when done, 0 when refused. No drawing.
int BreakBeamGroup(ScoreView* view, EventRecord* earlier, EventRecord* later);
// The same, then the results are redrawn in this view and every linked view.
int BreakBeamsCommand(ScoreView* view, EventRecord* earlier, EventRecord* later);

// ---- Automatic beaming ----
// The automatic beaming decision under the time signature of the view's current
// cell: the head of the earlier chord when the group ending with it may be joined
// to the group starting with `later`, else null (see auto_beam.cpp for the rules).
EventRecord* CanBeamWith(ScoreView* view, EventRecord* earlier, EventRecord* later);
// CanBeamWith against the chord just before the event's group, or just after it.
EventRecord* AutoBeamWithPrevious(ScoreView* view, EventRecord* event);
EventRecord* AutoBeamWithNext(ScoreView* view, EventRecord* event);
// After entry of an eighth or shorter while AutoBeam is on: joins the note's group
// with the group before it, or else the one after it, for as long as CanBeamWith
// allows, then redraws in every linked view. Returns the number of joins.
int AutoBeamNote(ScoreView* view, EventRecord* event);
// The same without drawing; a note left unbeamed gets ComputeNoteStemDirection.
int AutoBeamNoteQuiet(ScoreView* view, EventRecord* event);

// ---- Restemming ----
// Restems every chord from the event's chord to the end of its voice.
void RestemFromEvent(ScoreView* view, EventRecord* event);
// For each measure, staff and voice of the ranges (staves 1..staff count, measures
// 0..measure count + 4; cells that do not exist are skipped), with the view moved
// there: in float mode the seconds of every chord are marked and every unbeamed
// chord and every group is restemmed; every rest of the voice gets its default
// place again. The view's location and voice mask are restored.
void RestemMeasureRange(ScoreView* view, int firstStaff, int lastStaff, int firstMeasure,
                        int lastMeasure);

}  // namespace ql
