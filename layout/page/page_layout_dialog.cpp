// The "Page Layout and Formatting" dialog (873): the layout of the current page (or
// of every page from it) and, with "Set default for new pages", of the document.
// The spacing template (fit to the margins, or take the system tops of a page) is
// the layout block's bytes 10 (flag) and 11 (page index). The "Set Page Number..."
// button shows while free measure numbering is on.
#include <algorithm>
#include <cmath>
#include <optional>

#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "layout/page/page_layout_resources.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"
#include "layout/page_layout_dialogs.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "staves/measure_dialogs.h"

namespace ql {

namespace {

using namespace page_layout_dialog;
using platform::WindowHandle;

constexpr intptr_t kDialogDone = 1;
constexpr intptr_t kDialogCancelled = 2;
constexpr int kMostSystemsPerPage = 24;

// The edit each tick box stands for, and the respace box its change ticks.
struct Field {
    int32_t box;
    int32_t edit;
    int32_t respace;
};
constexpr Field kFields[] = {
    {kSystemSeparationBox, kSystemSeparation, kRespaceSystems},
    {kSystemsBox, kSystems, kRespaceSystems},
    {kMeasuresBox, kMeasures, kRespaceMeasures},
    {kStaffSeparationBox, kStaffSeparation, kRespaceSystems},
};

void InitFields(WindowHandle dialog, ScoreView* view) {
    const ScoreDocument* document = view->document;
    const NewScoreBlock& block = document->header.newScoreBlock;
    const double scale = view->zoomFactor;
    const int32_t staff = StartingSeparation(block.staffSeparation, separation::kLeastStaff, scale);
    const int32_t system = StartingSeparation(block.systemSeparation, separation::kLeastSystem, scale);
    SetupSpinControl(dialog, kSystemSeparation, 1, separation::kMostField, system / separation::kUnit, false);
    SetupSpinControl(dialog, kSystems, 1, kMostSystemsPerPage, std::max(1, pages::CountSystems(view->currentPage)), false);
    SetupSpinControl(dialog, kMeasures, 1, State().locate.SlotLimit, pages::MeasuresPerSystem(document), false);
    SetupSpinControl(dialog, kStaffSeparation, 0, separation::kMostField, staff / separation::kUnit - separation::kStaffDegrees, false);
    for (const Field& field : kFields) ui::CheckItem(dialog, field.box, false);
    ui::CheckItem(dialog, kThisPageOnly, true);
    ui::CheckItem(dialog, kToEnd, false);
    ui::CheckItem(dialog, block.byte10 != 0 ? kUsePage : kFitToMargins, true);
    ScorePage* tmpl = GetPageAt(view->document, block.byte11);
    ui::SetItemInt(dialog, kTemplatePage, tmpl != nullptr ? tmpl->pageNumber : 1);
    const bool master = view->currentPage->pageNumber < 0;
    EnableDlgControls(dialog, !master,
                      {kThisPageOnly, kToEnd, kSetDefault, kRespaceSystems, kRespaceMeasures,
                       kSetPageNumber});
    ui::ShowItem(dialog, kSetPageNumber, IsFreeMeasureNumbering());
    // Setting the fields ticked their boxes: the user has changed nothing yet.
    for (const Field& field : kFields) ui::CheckItem(dialog, field.box, false);
    ui::CheckItem(dialog, kRespaceSystems, false);
    ui::CheckItem(dialog, kRespaceMeasures, false);
}

// Typing in a field ticks its box and, unless the default or its respace box is
// ticked already, the respace box it needs.
void OnFieldChanged(WindowHandle dialog, int32_t edit) {
    for (const Field& field : kFields) {
        if (field.edit != edit) continue;
        ui::CheckItem(dialog, field.box, true);
        if (!ui::IsItemChecked(dialog, kSetDefault)) ui::CheckItem(dialog, field.respace, true);
    }
}

// What OK reads: every ticked value, clamped; nullopt (beep, focus) for a field
// that holds no number.
struct LayoutChoice {
    ReformatOptions options;
    NewScoreBlock block;
    bool setDefault = false;
    bool staffSeparationSet = false;
};

bool ReadTickedValues(WindowHandle dialog, ScoreView* view, LayoutChoice* choice) {
    NewScoreBlock& block = choice->block;
    const double scale = view->zoomFactor;
    for (const Field& field : kFields) {
        if (!ui::IsItemChecked(dialog, field.box)) continue;
        const std::optional<int32_t> value = ReadSeparationDialogField(dialog, field.edit);
        if (!value) return false;
        const int64_t v = *value;
        if (field.edit == kSystems) block.initSystemsPerPage = static_cast<uint8_t>(std::clamp<int64_t>(v, 1, kMostSystemsPerPage));
        if (field.edit == kMeasures)
            block.initMeasuresPerSystem = static_cast<uint8_t>(std::clamp<int64_t>(v, 1, State().locate.SlotLimit));
        if (field.edit == kSystemSeparation)
            block.systemSeparation = static_cast<uint16_t>(SnapSeparation(
                static_cast<int32_t>(std::clamp<int64_t>(v * separation::kUnit, separation::kLeastSystem, separation::kMost)), scale));
        if (field.edit == kStaffSeparation) {
            block.staffSeparation = static_cast<uint16_t>(SnapSeparation(
                static_cast<int32_t>(std::clamp<int64_t>((v + separation::kStaffDegrees) * separation::kUnit, separation::kLeastStaff,
                                                         separation::kMost)),
                scale));
            choice->staffSeparationSet = true;
        }
    }
    return true;
}

bool ReadChoice(WindowHandle dialog, ScoreView* view, LayoutChoice* choice) {
    choice->block = view->document->header.newScoreBlock;
    if (!ReadTickedValues(dialog, view, choice)) return false;
    choice->setDefault = ui::IsItemChecked(dialog, kSetDefault);
    ReformatOptions& options = choice->options;
    options.allPages = ui::IsItemChecked(dialog, kToEnd) ? 1 : 0;
    const bool ticked = ui::IsItemChecked(dialog, kSystemsBox) || ui::IsItemChecked(dialog, kMeasuresBox) ||
                        ui::IsItemChecked(dialog, kSystemSeparationBox) || choice->staffSeparationSet;
    const bool implied = ticked && !choice->setDefault;
    options.rebreak = ui::IsItemChecked(dialog, kRespaceSystems) || implied ? 1 : 0;
    options.reformat = ui::IsItemChecked(dialog, kRespaceMeasures) || implied ? 1 : 0;
    options.staffSpacing = choice->staffSeparationSet ? 1 : 0;
    const bool usePage = ui::IsItemChecked(dialog, kUsePage);
    choice->block.byte10 = usePage ? 1 : 0;
    if (usePage) {
        const std::optional<int32_t> number = ui::GetItemInt(dialog, kTemplatePage);
        ScorePage* page = number ? FindPageByNumber(view->document, *number, nullptr) : nullptr;
        const int index = page != nullptr ? GetPageIndex(view->document, page) : 0;
        choice->block.byte11 = static_cast<uint8_t>(std::clamp(index, 0, 255));
        options.model = 1;
        options.modelPage = choice->block.byte11;
    }
    return true;
}

intptr_t ApplyLayoutChoice(ScoreView* view, const LayoutChoice& choice) {
    ScoreDocument* document = view->document;
    UndoStep step(document, view, UndoKind::Page, 0, UndoVerb::Format);
    const NewScoreBlock previous = document->header.newScoreBlock;
    document->header.newScoreBlock = choice.block;
    const ReformatOptions& options = choice.options;
    if (options.rebreak != 0 || options.reformat != 0 || options.staffSpacing != 0)
        ReformatFromPage(view, &options, view->currentPage);
    if (!choice.setDefault) document->header.newScoreBlock = previous;
    SetDocumentModified(document);
    InvalidateLinkedViews(view);
    return kDialogDone;
}

intptr_t OnCommand(WindowHandle dialog, ScoreView* view, uint32_t word) {
    const int32_t id = static_cast<int32_t>(win::CommandId(word));
    if (win::CommandCode(word) == ui::kEditChange) {
        OnFieldChanged(dialog, id);
        return 1;
    }
    switch (id) {
        case ui::kIdOk: {
            LayoutChoice choice;
            if (ReadChoice(dialog, view, &choice)) ui::EndDialog(dialog, ApplyLayoutChoice(view, choice));
            return 1;
        }
        case ui::kIdCancel: ui::EndDialog(dialog, kDialogCancelled); return 1;
        case kReset: InitFields(dialog, view); return 1;
        case kSetPageNumber: RunSetPageNumberDialog(view); return 1;
        case kHelpButtonId: return ShowDialogContextHelp(dialog, kHelpId, nullptr);
        default: return 0;
    }
}

}  // namespace

int32_t StartingSeparation(int32_t value, int32_t least, double scale) {
    if (value == 0) value = separation::kDefault;
    return SnapSeparation(std::max(value, least), scale);
}

std::optional<int32_t> ReadSeparationDialogField(WindowHandle dialog, int32_t id) {
    const std::optional<int32_t> value = ui::GetItemInt(dialog, id);
    if (!value) {
        ui::Beep(ui::BeepKind::Stop);
        win::SetFocus(ui::GetDialogItem(dialog, id));
    }
    return value;
}

int32_t SnapSeparation(int32_t amount, double scale) {
    constexpr int32_t kHalfUnit = separation::kUnit / 2;
    if (scale <= 0.0) return (amount + kHalfUnit) & ~(separation::kUnit - 1);
    const auto units = static_cast<int64_t>(amount / scale);
    return static_cast<int32_t>(static_cast<double>((units + kHalfUnit) & ~int64_t{separation::kUnit - 1}) * scale);
}

intptr_t RunPageLayoutDialog(ScoreView* view) {
    if (view == nullptr || view->document == nullptr || view->currentPage == nullptr) return kDialogCancelled;
    if (view->currentPage->pageNumber < 0) return kDialogCancelled;
    const intptr_t result = ModalDialogBox(
        view, kPageLayoutDialog, [view](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) -> intptr_t {
            switch (message) {
                case win::Message::InitDialog:
                    InitFields(dialog, view);
                    EnableHelpButton(dialog, nullptr);
                    return 0;
                case win::Message::Command: return OnCommand(dialog, view, word);
                case win::Message::DrawItem: return DrawDialogLogo(reinterpret_cast<const win::DrawItemInfo*>(data));
                case win::Message::Help:
                    return ShowDialogContextHelp(dialog, kHelpId, reinterpret_cast<const win::HelpInfo*>(data));
                default: return 0;
            }
        });
    return result == kDialogDone ? kDialogDone : kDialogCancelled;
}

}  // namespace ql
