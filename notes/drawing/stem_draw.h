// Stems, flags, the grace slash and beams (module NOTEDRAW, with note_draw.h).
//
// A stem is drawn from its free end toward its note: free end = the chord's first
// note y + scaled(stem offset); a stem up stands right of the head (x + head width -
// stem width) and reaches the chord's lowest note, a stem down stands at the head's
// x and reaches its first note; a head-kind correction moves the note end. The note
// end is pulled in by 16 units. Thin stems are one-pixel lines (two at zoom 16);
// from two device pixels of width, or at zoom 20 and above, a filled bar.
//
// A beam group is drawn from the chords the links name (each forward link naming the
// head of the next chord of the voice); links are only read here. The beam line runs
// from the leftmost chord's stem end to the rightmost chord's; level k of the beams
// lies k beam separations from it toward the notes (9/8 of that with beam style 1 or
// 2, which keep the right or left end of every further level on the line). A level
// covers the runs of chords that have more than k beams; a run of one chord gets a
// stub one head wide, toward the previous chord of its run of the level above when
// there is one, else toward the next. Every stem of the group reaches the middle of
// the main beam.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;
struct EventRecord;
struct BeamNode;

// Horizontal correction of the stem attachment of a shaped head, view units, by
// head kind and stem direction (0 for kinds without one).
int StemOffsetForHeadKind(const EventRecord& note);
// One stem: free-end y and signed length toward the note end.
void DrawStem(ScoreView* view, int32_t x, int32_t y, int32_t length);
// Stem, flag and grace slash of an unbeamed stem carrier (the chord's first note)
// standing at x with its first note at y.
void DrawStemAndFlag(EventRecord* first, ScoreView* view, int32_t x, int32_t y);
// One beam level as a filled parallelogram of the beam thickness in force; `down`
// makes the bar grow upward from the line. A normal-size bar of a further level is
// drawn once more inset by one device pixel in the outline colours (zoom 6 and up).
void DrawBeamBar(ScoreView* view, bool down, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                 int level);
// The whole beam group of a chord (its levels, stems, heads, marks, ledger lines),
// in the size class of its first chord. Returns the head of the group's last chord,
// or null when the chord is not beamed (then nothing was drawn).
EventRecord* DrawBeamGroup(ScoreView* view, EventRecord* chord);
// One chord, or for a beamed chord its whole beam group, in the chord's size class.
void DrawNoteGroup(ScoreView* view, EventRecord* chord);
// The stem offset of a beamed chord as its beam is drawn: from the chord's first note
// to the beam line between the stem ends of its group's outer chords at their places
// now (a middle chord's stored offset dates from the places its group was stemmed
// at). The view's current measure is the chord's. False for a chord of no beam
// group, or of a group whose stems point both ways.
bool DrawnBeamedStemOffset(ScoreView* view, EventRecord* chord, int32_t* offset);

}  // namespace ql
