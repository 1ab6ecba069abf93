// The New Manuscript dialog.
#include "layout/page/new_manuscript_dialog.h"

#include "shell/preference_defaults.h"

namespace ql {

NewManuscriptChoice RunNewManuscriptDialog() {
    // provisional: the dialog's template and procedure are not in the program yet;
    // New accepts the preferences' new-score shape as the dialog's OK would.
    NewManuscriptChoice choice;
    choice.accepted = true;
    choice.block = ProgramPreferences().header.newScoreBlock;
    return choice;
}

}  // namespace ql
