// The MIDI action dialogs the marks' dialogs open on a scratch action: "Set Output
// Destination..." (838) and "Set Transition..." (853). Each returns the dialog's
// result (1 OK, 2 cancelled) and changes the action only on OK.
#pragma once

namespace ql {

struct ScoreView;
struct MidiAction;

constexpr int kOutputDestinationDialogId = 838;
constexpr int kSetTransitionDialogId = 853;

int EditOutputDestination(ScoreView* view, MidiAction* action);
int EditTransition(ScoreView* view, MidiAction* action);

}  // namespace ql
