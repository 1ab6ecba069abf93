// The transcription clean-up passes over a voice's event chain, and the entry
// points of recorded MIDI into the score.
#include "sequencer/sequencer_services.h"
#include "sequencer/transcription.h"

namespace ql {
namespace {

std::vector<ReceivedRecording>& Received() {
    static std::vector<ReceivedRecording> received;
    return received;
}

}  // namespace

// provisional: the transcription of recorded MIDI is not built, so no chain holds
// anything these passes would clean up; they leave the chain as it is.
void ApplyTranscribedAttachments(ScoreView* /*view*/, EventRecord* /*firstEvent*/) {}
void FixTranscribedEventChain(ScoreView* /*view*/, EventRecord* /*firstEvent*/) {}

// provisional: the note transcription and the channel-event import come with the
// transcription of MIDI into notation; until then they note what they receive and
// make nothing of it.
void TranscribeRecordedNote(ScoreView* /*view*/, int staff, uint32_t message, int32_t time) {
    Received().push_back(ReceivedRecording{true, staff, message, time});
}
void ImportRecordedChannelEvent(ScoreView* /*view*/, int staff, uint32_t message, int32_t time) {
    Received().push_back(ReceivedRecording{false, staff, message, time});
}

const std::vector<ReceivedRecording>& ReceivedRecordings() { return Received(); }
void ClearReceivedRecordings() { Received().clear(); }

}  // namespace ql
