// The entry points through which recorded MIDI reaches the score: note messages
// go to the note transcription, the other channel messages to the channel-event
// import. Each recorded event is handed over exactly once, in the order recorded,
// with the staff it was recorded for and its time in ticks from the start of the
// run. A recording begins the transcription before the first event and finishes it
// at Stop, when the measures are analysed, written and given their ties.
#pragma once

#include <cstdint>

#include "sequencer/record_routing.h"

namespace ql {

struct ScoreView;

// Readies the transcription of a recording routed as given (the staves a delta
// advances follow its mode) from `firstMeasure`: the streaming state is reset,
// native time on, the voice the view's mask names.
void BeginRecordedTranscription(ScoreView* view, const RecordRouting& routing, int firstMeasure);
// A note-on or note-off (0x80 / 0x90) for the staff its routing gave.
void TranscribeRecordedNote(ScoreView* view, int staff, uint32_t message, int32_t time);
// Key pressure, controller, program change, channel pressure or pitch wheel.
void ImportRecordedChannelEvent(ScoreView* view, int staff, uint32_t message, int32_t time);
// Empties the recorded measures of the voice, analyses and writes the notes, and
// makes the ties and tuplet marks; one undoable edit. Nothing when no recording began.
void FinishRecordedTranscription(ScoreView* view);

}  // namespace ql
