// The transcription clean-up passes over a voice's event chain.
#include "sequencer/sequencer_services.h"

namespace ql {

// provisional: the transcription of recorded MIDI is not built, so no chain holds
// anything these passes would clean up; they leave the chain as it is.
void ApplyTranscribedAttachments(ScoreView* /*view*/, EventRecord* /*firstEvent*/) {}
void FixTranscribedEventChain(ScoreView* /*view*/, EventRecord* /*firstEvent*/) {}

}  // namespace ql
