// Dialog 495 "Extract Part Layout". The working choice lives for one run of the
// dialog; the stored choice and the template path are the document's, the two
// page-item options the program run's. A choice equal to the stored one ends as
// "last selection", which is never stored.
#include <filesystem>
#include <string>

#include "core/core_strings.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "editing/part_extraction.h"
#include "editing/part_extraction_resources.h"
#include "layout/page/new_manuscript_dialog.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/win/window.h"

namespace ql {
namespace {

namespace d = extract_part_dialog;

// The working choice of the dialog that runs (one at a time: it is modal).
int32_t& WorkingChoice() {
    static int32_t choice = d::kLastSelection;
    return choice;
}

std::string FileNameOf(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The static text that names the stored choice.
std::string StoredChoiceText(const ScoreDocument& document) {
    switch (document.partLayoutChoice) {
    case d::kFromTemplate: {
        std::string text = ProgramString(kStrUseTemplateFile);
        const size_t at = text.find("%s");
        if (at != std::string::npos) text.replace(at, 2, FileNameOf(document.partTemplatePath));
        return text;
    }
    case d::kFromMaster: return ProgramString(kStrCopyFromMaster);
    case d::kNewFileDefaults: return ProgramString(kStrUseNewFileDefaults);
    default: return {};
    }
}

void Initialise(platform::WindowHandle dialog, ScoreDocument& document) {
    FileFlags& files = State().files;
    WorkingChoice() = d::kLastSelection;
    if (document.partLayoutChoice == 0) {
        WorkingChoice() = d::kFromMaster;
        ui::EnableItem(dialog, d::kLastSelection, false);
        files.PartCopyMasterItems = files.PartCopyPageOneItems = 1;
    }
    win::SetWindowText(ui::GetDialogItem(dialog, d::kStoredChoiceText), StoredChoiceText(document));
    ui::CheckRadioButton(dialog, d::kFromTemplate, d::kLastSelection, WorkingChoice());
    ui::CheckItem(dialog, d::kCopyMasterItems, files.PartCopyMasterItems != 0);
    ui::CheckItem(dialog, d::kCopyPageOneItems, files.PartCopyPageOneItems != 0);
}

// OK: the template asked for first; then the choice stored, or "last selection".
intptr_t Accept(platform::WindowHandle dialog, ScoreDocument& document) {
    int32_t choice = WorkingChoice();
    if (choice == d::kFromTemplate) {
        std::filesystem::path chosen;
        if (OpenTemplateFile(&chosen) == 0) return 1;  // the dialog stays
        document.partTemplatePath = chosen.string();
    }
    if (choice != d::kLastSelection && choice != document.partLayoutChoice)
        document.partLayoutChoice = choice;
    else
        choice = d::kLastSelection;
    WorkingChoice() = choice;
    ui::EndDialog(dialog, 1);
    return 1;
}

intptr_t OnCommand(platform::WindowHandle dialog, uint32_t word, ScoreDocument& document) {
    FileFlags& files = State().files;
    const int32_t id = static_cast<int32_t>(win::CommandId(word));
    switch (id) {
    case ui::kIdOk: return Accept(dialog, document);
    case ui::kIdCancel: ui::EndDialog(dialog, 2); return 1;
    case kHelpButtonId: return ShowDialogContextHelp(dialog, d::kHelpId, nullptr);
    case d::kCopyMasterItems: files.PartCopyMasterItems = files.PartCopyMasterItems ? 0 : 1; return 1;
    case d::kCopyPageOneItems: files.PartCopyPageOneItems = files.PartCopyPageOneItems ? 0 : 1; return 1;
    case d::kFromTemplate:
    case d::kFromMaster:
    case d::kNewFileDefaults:
    case d::kLastSelection:
        if (ui::IsItemChecked(dialog, id)) WorkingChoice() = id;
        return 1;
    default: return 0;
    }
}

}  // namespace

intptr_t ExtractPartLayoutProc(ScoreView* view, platform::WindowHandle dialog, win::Message message,
                               uint32_t word, intptr_t data) {
    if (view == nullptr || view->document == nullptr) return 0;
    switch (message) {
    case win::Message::InitDialog: Initialise(dialog, *view->document); return 1;
    case win::Message::Command: return OnCommand(dialog, word, *view->document);
    case win::Message::Help:
        return ShowDialogContextHelp(dialog, d::kHelpId, reinterpret_cast<const win::HelpInfo*>(data));
    default: return 0;
    }
}

int32_t LastExtractPartChoice() {
    return WorkingChoice();
}

intptr_t RunExtractPartLayoutDialog(ScoreView* view) {
    return ModalDialogBox(view, d::kDialog,
                          [view](platform::WindowHandle dialog, win::Message message, uint32_t word,
                                 intptr_t data) -> intptr_t {
                              return ExtractPartLayoutProc(view, dialog, message, word, data);
                          });
}

}  // namespace ql
