// The analysis stage of transcription over a rectangle of staves and measures:
// each measure's raw notes are analysed and written into the voice of the cell
// (notes, chords, tie marks, tuplets, rests), and finishing a recording writes the
// ties and tuplet marks of the measures made.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;

// Analyses and writes staves first..last, measures first..last. 0 when the user
// cancelled through the progress dialog (only when cancellable), else 1; 1 at once
// when first staff > last staff. A record that cannot be had ends the call with the
// low-memory report, leaving the measures written so far whole.
int TranscribeMeasureGroups(ScoreView* view, int firstStaff, int lastStaff, int firstMeasure,
                            int lastMeasure, bool cancellable);

// Empties a voice of the staves first..last in measures first..last (notes and rests).
void ClearRecordTargets(ScoreView* view, int firstStaff, int lastStaff, int firstMeasure, int lastMeasure,
                        int voice);

// The transcription clean-up (ties, tuplet marks) on a voice of the staves and
// measures given, cell by cell.
void FinishTranscribedMeasures(ScoreView* view, int voice, int firstStaff, int lastStaff, int firstMeasure,
                               int lastMeasure);

// Events written so far by TranscribeMeasureGroups: every event, and the notes that
// start a sound (not tied from a previous one).
struct WrittenCounts {
    uint32_t events = 0;
    uint32_t soundStarts = 0;
};
const WrittenCounts& TranscriptionWritten();
void ResetTranscriptionWritten();

}  // namespace ql
