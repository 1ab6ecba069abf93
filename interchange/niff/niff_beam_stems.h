// The stems of an imported measure's beam groups, as an engraver sets them: a group
// takes one stem direction (the one its chords share, else the one its note
// farthest from the middle line asks for), its beam runs from end chord to end
// chord no steeper than two spaces over the group, and lies far enough beyond every
// chord's outer note that each stem, its further beams included, keeps at least the
// shortest stem length of its size (shifted away from the notes when a middle chord
// stands beyond the line). Chords stand along the beam by their ticks. An unbeamed
// chord's stem reaches past its outer note on the stem's side. A beam that runs
// through another voice's heads moves on past them, its stems lengthened.
#pragma once

#include "interchange/niff/niff_voices.h"

namespace ql::niff {

// Sets the direction and stem length of every chord of every beam group of the voice
// (groups linked by beamNext from their first chord's head), and lengthens the stem
// of an unbeamed chord that stops inside it.
void SettleNiffBeamStems(NiffVoice& voice);

// Lengthens the stems of every beam group of the measure whose beam, between its
// ends, runs through or within a small gap of a note head of another voice, until
// its beams stand clear of those heads on the far side from its own notes.
void ClearNiffBeamsOfOtherVoices(NiffStaffMeasure& measure);

}  // namespace ql::niff
