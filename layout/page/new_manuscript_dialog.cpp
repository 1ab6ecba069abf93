// The New Manuscript dialog (836): the shape of a new score from the program's
// defaults (staves per system, systems per page, measures per line, staff and
// system separation in staff degrees), clamped on OK, optionally saved as the
// defaults; or a template file chosen instead ("Use Template").
#include "layout/page/new_manuscript_dialog.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <optional>
#include <string>

#include "core/constants.h"
#include "core/core_strings.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/program_options.h"
#include "core/settings/settings_store.h"
#include "core/state.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "layout/page/page_layout_resources.h"
#include "layout/page_layout_dialogs.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"

namespace ql {

namespace {

using namespace new_manuscript_dialog;
using platform::WindowHandle;

constexpr intptr_t kDialogDone = 1;
constexpr intptr_t kDialogCancelled = 2;
constexpr int kMostSystemsPerPage = 24;
constexpr char kTemplateTitle[] = "Open Template File";
constexpr char kTemplateName[] = "*.tpl";
constexpr char kCantRead[] = "Can't read file.";
constexpr int kTextChars = 32;

void InitFields(WindowHandle dialog) {
    const NewScoreBlock& block = ProgramPreferences().header.newScoreBlock;
    const int32_t staff = StartingSeparation(block.staffSeparation, separation::kLeastStaff, 0.0);
    const int32_t system = StartingSeparation(block.systemSeparation, separation::kLeastSystem, 0.0);
    SetupSpinControl(dialog, kStaves, 1, kMaxStaves, std::clamp<int>(block.initStavesPerSystem & 0xFF, 1, kMaxStaves), true);
    SetupSpinControl(dialog, kSystems, 1, kMostSystemsPerPage, std::clamp<int>(block.initSystemsPerPage, 1, kMostSystemsPerPage), false);
    SetupSpinControl(dialog, kMeasures, 1, State().locate.SlotLimit, std::max<int>(1, block.initMeasuresPerSystem), false);
    SetupSpinControl(dialog, kStaffSeparation, 1, separation::kMostField, staff / separation::kUnit - separation::kStaffDegrees, false);
    SetupSpinControl(dialog, kSystemSeparation, 1, separation::kMostField, system / separation::kUnit, false);
}

std::string SpacesText(int32_t units) {
    char text[kTextChars];
    std::snprintf(text, sizeof text, "%d.%02d", units / separation::kUnit, units % separation::kUnit * 100 / separation::kUnit);
    return text;
}

void SaveAsDefaults(const NewScoreBlock& block) {
    ProgramPreferences().header.newScoreBlock = block;
    Options().InitStaffSeparation = SpacesText(block.staffSeparation);
    Options().NumSystemsSep = SpacesText(block.systemSeparation);
    SaveNewScorePrefs();
}

// OK: the choice's block, or false to stay open.
bool ReadBlock(WindowHandle dialog, NewScoreBlock* block) {
    *block = ProgramPreferences().header.newScoreBlock;
    const auto staves = ReadSeparationDialogField(dialog, kStaves);
    const auto systems = staves ? ReadSeparationDialogField(dialog, kSystems) : std::nullopt;
    const auto measures = systems ? ReadSeparationDialogField(dialog, kMeasures) : std::nullopt;
    const auto staff = measures ? ReadSeparationDialogField(dialog, kStaffSeparation) : std::nullopt;
    const auto system = staff ? ReadSeparationDialogField(dialog, kSystemSeparation) : std::nullopt;
    if (!system) return false;
    if (*staves < 1) {
        ui::Beep(ui::BeepKind::Stop);
        win::SetFocus(ui::GetDialogItem(dialog, kStaves));
        return false;
    }
    block->initStavesPerSystem = static_cast<uint16_t>(std::min<int64_t>(*staves, kMaxStaves));
    block->initSystemsPerPage = static_cast<uint8_t>(std::clamp<int64_t>(*systems, 1, kMostSystemsPerPage));
    block->initMeasuresPerSystem = static_cast<uint8_t>(std::clamp<int64_t>(*measures, 1, State().locate.SlotLimit));
    block->staffSeparation = static_cast<uint16_t>(SnapSeparation(
        static_cast<int32_t>(std::clamp<int64_t>((*staff + separation::kStaffDegrees) * separation::kUnit, separation::kLeastStaff,
                                                 separation::kMost)),
        0.0));
    block->systemSeparation = static_cast<uint16_t>(SnapSeparation(
        static_cast<int32_t>(std::clamp<int64_t>(*system * separation::kUnit, separation::kLeastSystem, separation::kMost)),
        0.0));
    return true;
}

intptr_t OnCommand(WindowHandle dialog, uint32_t word, NewManuscriptChoice* choice) {
    switch (static_cast<int32_t>(win::CommandId(word))) {
        case ui::kIdOk:
            if (!ReadBlock(dialog, &choice->block)) return 1;
            if (ui::IsItemChecked(dialog, kSavePreferences)) SaveAsDefaults(choice->block);
            choice->accepted = true;
            ui::EndDialog(dialog, kDialogDone);
            return 1;
        case ui::kIdCancel: ui::EndDialog(dialog, kDialogCancelled); return 1;
        case kUseTemplate:
            if (OpenTemplateFile(&choice->templatePath) == 1) {
                choice->accepted = choice->useTemplate = true;
                ui::EndDialog(dialog, kDialogDone);
            }
            return 1;
        case kHelpButtonId: return ShowDialogContextHelp(dialog, kHelpId, nullptr);
        default: return 0;
    }
}

}  // namespace

int OpenTemplateFile(std::filesystem::path* chosen) {
    FileFlags& files = State().files;
    ui::FileDialogRequest request;
    request.title = kTemplateTitle;
    request.filter = ProgramString(kStrTemplateFilter);
    request.initialName = kTemplateName;
    request.initialFolder = files.TemplateFolder;
    const ui::FileDialogAnswer answer = ui::RunFileDialog(request);
    if (answer.status != ui::FileDialogStatus::Chosen) return 0;
    std::error_code error;
    if (!std::filesystem::is_regular_file(answer.path, error)) return 0;  // the file must exist
    files.TemplateFolder = answer.path.parent_path().string();
    std::ifstream file(answer.path, std::ios::binary);
    if (!file.is_open()) {
        ModalMessageBox(kCantRead, ProgramString(kStrProductName), ui::kBoxOk | ui::kBoxIconExclamation);
        return 0;
    }
    files.TemplateChosen = 1;
    if (chosen != nullptr) *chosen = answer.path;
    return 1;
}

NewManuscriptChoice RunNewManuscriptDialog() {
    NewManuscriptChoice choice;
    State().files.TemplateChosen = 0;
    const intptr_t result = PlainModalDialogBox(
        kNewManuscriptDialog, [&choice](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) -> intptr_t {
            switch (message) {
                case win::Message::InitDialog:
                    InitFields(dialog);
                    EnableHelpButton(dialog, nullptr);
                    return 0;
                case win::Message::Command: return OnCommand(dialog, word, &choice);
                case win::Message::DrawItem: return DrawDialogLogo(reinterpret_cast<const win::DrawItemInfo*>(data));
                case win::Message::Help:
                    return ShowDialogContextHelp(dialog, kHelpId, reinterpret_cast<const win::HelpInfo*>(data));
                default: return 0;
            }
        });
    if (result != kDialogDone) choice = NewManuscriptChoice{};
    return choice;
}

}  // namespace ql
