// Stem lengths (module NOTEDRAW): the stem of a chord standing alone, and the slope of
// a beam with the stem offsets of every chord of its group. Stem offsets are stored
// in the chord's first note, in view units from that note (negative = up).
//
// Beam layout (ComputeBeamStems), for stems up (u) or down, in unscaled units from
// the staff's bottom line (y of a position = position x 64):
//  1. End chords: the group's first and last chord; on each the note nearest the
//     beam (the first note with stems up, the last down); x = the beat-map x of its
//     tick + nudge x 16, 256 further on the right when both are equal; with stems up
//     every x moves right by the black head width minus the stem width.
//  2. Base length L = 448 (normal), 336 (petite), 291 (grace), negative up; the beam
//     line starts at y(left) + L and ends at y(right) + L.
//  3. Flat when the end positions differ by less than 2 in a group of 3 notes or
//     more, by less than 3 with 5 or more, or when more than 2 notes take only two
//     positions and the commoner holds half of them (at least 2); both ends then take
//     the end farther from the notes. Otherwise a difference of 3 steps or more
//     limits the rise to one space (128) over the group.
//  4. The beam, extended by the depth of its further levels ((levels - 1) x beam
//     separation, toward the notes), keeps m = max(5|L|/7, |L| - depth) from the
//     group's extreme note: it moves away in steps of 64 while closer, then back in
//     steps of 64 while it stays at least m away and the leftmost stem is longer
//     than |L|.
//  5. Not for grace notes: when both ends lie beyond the middle line on the stems'
//     side, the beam moves toward it by the average of the two distances, in whole
//     steps.
//  6. Offsets: each chord's offset is the beam's y at its x minus its first note's y.
// Known limitation: the exemption of a few short groups from flattening is not
// applied (its counters are not defined), so some short groups come out flatter;
// see FlatteningExempt.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;
struct EventRecord;
struct BeamNode;
struct BeamGroupShape;

// Base stem lengths of the three size classes.
constexpr int kNormalStemLength = 448;
constexpr int kPetiteStemLength = 336;
constexpr int kGraceStemLength = 291;

// The stem offset of a chord standing alone, from its first note's position, size
// class, DurationCode d and cross-staff bit, its span s (steps to its farthest note)
// and direction. Normal size: up, -(p + 4) x 64 when p + 4 >= 8 (the stem reaches the
// middle line), else -448; down, (-4 - p) x 64 when that is more than s + 7 steps,
// else (s + 7) x 64; codes below a sixteenth add (8 - d) x 64, and 32 more below a
// 32nd; a cross-staff chord keeps the plain length. Petite: 336 (848 - d x 64 below a
// sixteenth), grace: 291 (803 - d x 64); down adds s x 64.
int16_t ChordStemOffset(const EventRecord& first, int span, int up);
// Sets the stem of an unbeamed chord: the direction bit of every note, beam links
// cleared, the first note the stem carrier, durations copied from it, the chord span,
// the seconds marked, and the stem offset. Nothing for an event not in a voice.
void ComputeChordStem(EventRecord* first, ScoreView* view, int up);
// Sets or clears the stem-up bit of every note of the chord.
void SetChordStemDirection(EventRecord* chord, int up);
// The beam slope of a collected group whose direction and shape are set, and the stem
// offset of each of its chords.
void ComputeBeamStems(ScoreView* view, const BeamNode* root, const BeamGroupShape& shape);
// Puts every chord of the chord's group on one side of the line through the chord's
// stem end toward the group's first chord (stem up when its note lies at or below
// the line); the group's last chord takes `up`.
void SetStemSidesAlongBeam(ScoreView* view, EventRecord* chord, int up);

}  // namespace ql
