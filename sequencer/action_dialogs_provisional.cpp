// provisional: the output-destination and transition dialogs belong with the MIDI
// event objects and their action dialogs, which are not built yet; until then both
// answer as cancelled and leave the action as it was.
#include "sequencer/action_dialogs.h"

namespace ql {
namespace {
constexpr int kCancelled = 2;
}  // namespace

int EditOutputDestination(ScoreView* /*view*/, MidiAction* /*action*/) {
    return kCancelled;
}

int EditTransition(ScoreView* /*view*/, MidiAction* /*action*/) {
    return kCancelled;
}

}  // namespace ql
