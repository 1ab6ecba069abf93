// The entry points through which recorded MIDI reaches the score: note messages
// go to the note transcription, the other channel messages to the channel-event
// import. Each recorded event is handed over exactly once, in the order recorded,
// with the staff it was recorded for and its time in ticks from the start of the
// run.
#pragma once

#include <cstdint>
#include <vector>

namespace ql {

struct ScoreView;

// A note-on or note-off (0x80 / 0x90).
void TranscribeRecordedNote(ScoreView* view, int staff, uint32_t message, int32_t time);
// Key pressure, controller, program change, channel pressure or pitch wheel.
void ImportRecordedChannelEvent(ScoreView* view, int staff, uint32_t message, int32_t time);

// What the entry points received while the transcription itself is not there.
struct ReceivedRecording {
    bool note = false;  // to the note transcription (else the channel-event import)
    int staff = 0;
    uint32_t message = 0;
    int32_t time = 0;
    bool operator==(const ReceivedRecording&) const = default;
};
const std::vector<ReceivedRecording>& ReceivedRecordings();
void ClearReceivedRecordings();

}  // namespace ql
