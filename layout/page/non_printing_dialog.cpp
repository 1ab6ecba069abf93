// The "Non-printing Area" dialog (806): whether the user's amounts override the
// printer's own non-printing area, and the two amounts (whole units of the score's
// page unit, never below 0), kept program-wide for printing.
#include <algorithm>
#include <optional>

#include "core/core_strings.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "core/units/paper_table.h"
#include "layout/page/page_dialog_resources.h"
#include "layout/page/page_layout_resources.h"
#include "layout/page_layout_dialogs.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "platform/win/window.h"

namespace ql {

namespace {

using namespace non_printing_dialog;
using platform::WindowHandle;

constexpr intptr_t kDialogDone = 1;
constexpr intptr_t kDialogCancelled = 2;
constexpr int32_t kMostAmount = 0x7FFF;

void InitFields(WindowHandle dialog, const ScoreDocument* document) {
    const DrawingGlobals& drawing = State().drawing;
    ui::CheckItem(dialog, kOverride, drawing.NonPrintingOverride != 0);
    SetupSpinControl(dialog, kHorizontal, 0, kMostAmount, std::max(0, drawing.NonPrintingX), true);
    SetupSpinControl(dialog, kVertical, 0, kMostAmount, std::max(0, drawing.NonPrintingY), false);
    const bool cm = document != nullptr && document->header.pageGeometry.unit == kPaperUnitCentimetres;
    ui::SetItemText(dialog, kUnitsLabel, ProgramString(cm ? kStrCentimeters : kStrInches));
}

// A typed amount: a number not below 0, else beep with the focus on the field.
std::optional<int32_t> ReadAmount(WindowHandle dialog, int32_t id) {
    const std::optional<int32_t> value = ui::GetItemInt(dialog, id);
    if (!value || *value < 0) {
        ui::Beep(ui::BeepKind::Stop);
        win::SetFocus(ui::GetDialogItem(dialog, id));
        return std::nullopt;
    }
    return value;
}

bool Accept(WindowHandle dialog) {
    const std::optional<int32_t> x = ReadAmount(dialog, kHorizontal);
    const std::optional<int32_t> y = x ? ReadAmount(dialog, kVertical) : std::nullopt;
    if (!y) return false;
    DrawingGlobals& drawing = State().drawing;
    drawing.NonPrintingOverride = ui::IsItemChecked(dialog, kOverride) ? 1 : 0;
    drawing.NonPrintingX = *x;
    drawing.NonPrintingY = *y;
    return true;
}

}  // namespace

intptr_t RunNonPrintingAreaDialog(ScoreView* view) {
    const ScoreDocument* document = view != nullptr ? view->document : nullptr;
    const intptr_t result = PlainModalDialogBox(
        kNonPrintingDialog, [document](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) -> intptr_t {
            switch (message) {
                case win::Message::InitDialog:
                    InitFields(dialog, document);
                    EnableHelpButton(dialog, nullptr);
                    return 0;
                case win::Message::VerticalScroll: {
                    const int32_t spin = win::GetWindowId(win::WindowFromData(data));
                    if (spin == kHorizontalSpin || spin == kVerticalSpin)
                        ClampEditNonNegative(dialog, spin, win::ScrollCodeOf(word) == win::ScrollCode::LineDown);
                    return 1;
                }
                case win::Message::Command:
                    switch (static_cast<int32_t>(win::CommandId(word))) {
                        case ui::kIdOk: if (Accept(dialog)) ui::EndDialog(dialog, kDialogDone); return 1;
                        case ui::kIdCancel: ui::EndDialog(dialog, kDialogCancelled); return 1;
                        case kHelpButtonId: return ShowDialogContextHelp(dialog, kHelpId, nullptr);
                        default: return 0;
                    }
                case win::Message::DrawItem: return DrawDialogLogo(reinterpret_cast<const win::DrawItemInfo*>(data));
                case win::Message::Help:
                    return ShowDialogContextHelp(dialog, kHelpId, reinterpret_cast<const win::HelpInfo*>(data));
                default: return 0;
            }
        });
    return result == kDialogDone ? kDialogDone : kDialogCancelled;
}

}  // namespace ql
