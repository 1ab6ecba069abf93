// The question asked before the last window of a modified score closes: Yes saves
// (through Save, so an unnamed or damaged score goes to Save As) and closes only
// when the save succeeded; No closes without saving; Cancel keeps the window.
#include <string>

#include "core/model/score_document.h"
#include "core/model/view.h"
#include "files/commands/file_command_support.h"
#include "files/commands/file_command_texts.h"
#include "files/commands/file_commands.h"
#include "platform/ui/message_box.h"

namespace ql {

int AskSaveChanges(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return 1;
    ScoreDocument* document = view->document;
    const int answer = ShowFileBox(FormatFileText(kSaveChangesText, document->path),
                                   ui::kBoxYesNoCancel | ui::kBoxIconQuestion);
    if (answer == ui::kIdCancel) return 0;
    if (answer == ui::kIdYes) return SaveDocument(document, view);
    return 1;
}

}  // namespace ql
