// The note commands' dialogs as far as the commands need them before the dialogs
// themselves are built.
#include "editing/note_command_dialogs.h"

namespace ql {

// provisional: the key velocity, attack and release offset, transpose, cross-staff
// and note timbre dialogs come with the MIDI action and option dialogs; until then
// each answers Cancel, so the commands change nothing.
intptr_t RunNoteValueDialog(ScoreView* /*view*/, int /*dialogId*/, int* /*value*/) {
    return 2;
}

// provisional: the note-head dialog comes with the settings dialogs; until then it
// answers Cancel and the chosen head stays.
intptr_t RunNoteHeadDialog(ScoreView* /*view*/, int* /*head*/) {
    return 2;
}

}  // namespace ql
