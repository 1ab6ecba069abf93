// The recorded data kept after a recording ("KeepMIDI"): the recorded chain stays
// in the sequencer after Stop together with the routing and first measure it was
// recorded with, so that it can be transcribed again (New Transcription) until it
// is discarded (the option switched, or the next run).
#pragma once

#include "sequencer/record_routing.h"

namespace ql {

struct ScoreView;
struct PerformanceEvent;

// Hands one recorded event to the transcription, for the staff its routing gives:
// notes to the note transcription, other channel messages to the channel-event
// import; an event routed to no staff is dropped.
void HandRecordedEvent(ScoreView* view, const RecordRouting& routing, const PerformanceEvent& event);

// Remembers how the recording that just stopped was made; its chain is kept.
void RememberKeptRecording(const RecordRouting& routing, int firstMeasure);
// Whether recorded data is kept (nothing while a run goes on).
bool HasKeptRecording();
// Frees the kept chain; nothing while a run goes on, or with nothing kept.
void DiscardKeptRecording();

enum class KeptTranscription { Done, NotKeeping, NoData };
// Transcribes the kept chain into the view again, from the first measure it was
// recorded at, as one undoable edit. When recordings are not kept ("KeepMIDI"
// off: `keeping` false) a " Not saving data" notice, without data a "No data"
// notice, and the score is left alone.
KeptTranscription TranscribeKeptRecording(ScoreView* view, bool keeping);

}  // namespace ql
