// The "Place Text Block" dialog (877) of text boxes and staff labels: the text, its
// quick font, tracking, alignment and leading. "&Reset" puts back every control's
// value from when the dialog opened. The keyboard-layout word and the words the body
// carries are left as they are.
#include <algorithm>
#include <cstring>
#include <string>

#include "core/core_strings.h"
#include "core/model/score_document.h"
#include "core/text/charset_text.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "objects/object_services.h"
#include "objects/text_box/text_box_class.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using namespace text_block_dialog;
using platform::WindowHandle;

constexpr uint16_t kAlignmentMask = 0x0030;
constexpr int kAlignmentShift = 4;
constexpr uint16_t kLeadingModeMask = 0x00C0;
constexpr int kLeadingModeShift = 6;
constexpr int kLastTracking = 4;
constexpr char kStaffLabelTitle[] = "Staff Label";
constexpr char kTextBoxTitle[] = "Text Box";

// What the dialog shows and edits.
struct BlockValues {
    std::string text;
    int slot = 0;
    int tracking = kNormalTracking;
    int alignment = 0;
    bool fixedLeading = false;
    int leading = kTextBoxDefaultLeading;
};

BlockValues ValuesOf(TextBoxObject* box) {
    BlockValues values;
    values.text = GetTextBoxString(&box->header);
    values.slot = TextBoxSlot(box->body);
    values.tracking = (box->body.style & kTextBoxTrackingMask) >> kTextBoxTrackingShift;
    values.alignment = (box->body.style & kAlignmentMask) >> kAlignmentShift;
    values.fixedLeading = ((box->body.style & kLeadingModeMask) >> kLeadingModeShift) == 1;
    values.leading = box->body.leading;
    return values;
}

void FillCombos(WindowHandle dialog, const ScoreDocument* document) {
    WindowHandle fonts = ui::GetDialogItem(dialog, kQuickFont);
    ui::ComboResetContent(fonts);
    for (int slot = 0; slot < kScoreFontCount; ++slot) {
        const char* name = document != nullptr ? document->fonts[slot].name : "";
        ui::ComboAddString(
            fonts, std::string_view(name, strnlen(name, sizeof document->fonts[slot].name)));
    }
    WindowHandle tracking = ui::GetDialogItem(dialog, kTracking);
    ui::ComboResetContent(tracking);
    for (int step = 0; step <= kLastTracking; ++step)
        ui::ComboAddString(tracking, std::to_string(step));
}

void ShowValues(WindowHandle dialog, const BlockValues& values) {
    ui::SetItemText(dialog, kText, values.text);
    ui::ComboSetSelection(ui::GetDialogItem(dialog, kQuickFont), values.slot);
    ui::ComboSetSelection(ui::GetDialogItem(dialog, kTracking),
                          std::min(values.tracking, kLastTracking));
    ui::CheckRadioButton(dialog, kAlignLeft, kAlignRight, kAlignLeft + values.alignment);
    ui::CheckRadioButton(dialog, kAutoLeading, kFixedLeading,
                         values.fixedLeading ? kFixedLeading : kAutoLeading);
    ui::SetItemInt(dialog, kLeading, values.leading);
}

BlockValues ReadValues(WindowHandle dialog, const BlockValues& opening) {
    BlockValues values;
    values.text = ui::GetItemText(dialog, kText);
    if (values.text.size() > kTextCharacters) values.text.resize(kTextCharacters);
    TrimTrailingSpaces(values.text);
    const int slot = ui::ComboGetSelection(ui::GetDialogItem(dialog, kQuickFont));
    values.slot = slot >= 0 && slot < kScoreFontCount ? slot : RememberedTextBoxSlot();
    const int tracking = ui::ComboGetSelection(ui::GetDialogItem(dialog, kTracking));
    values.tracking = tracking >= 0 && tracking <= kLastTracking ? tracking : kNormalTracking;
    values.alignment = 0;
    for (int id = kAlignLeft; id <= kAlignRight; ++id)
        if (ui::IsItemChecked(dialog, id)) values.alignment = id - kAlignLeft;
    values.fixedLeading = ui::IsItemChecked(dialog, kFixedLeading);
    values.leading = ui::GetItemInt(dialog, kLeading).value_or(opening.leading);
    return values;
}

// Writes the values into the box; false when its text could not be had.
bool StoreValues(TextBoxObject* box, const BlockValues& values) {
    if (values.text != GetTextBoxString(&box->header) &&
        !SetTextBoxText(&box->body, values.text.data(), values.text.size()))
        return false;
    uint16_t style = static_cast<uint16_t>(box->body.style & (kTextBoxPoolMask));
    style |= static_cast<uint16_t>(values.slot << kTextBoxSlotShift);
    style |= static_cast<uint16_t>(values.tracking << kTextBoxTrackingShift);
    style |= static_cast<uint16_t>(values.alignment << kAlignmentShift);
    style |= static_cast<uint16_t>((values.fixedLeading ? 1 : 0) << kLeadingModeShift);
    box->body.style = style;
    box->body.leading = static_cast<int16_t>(values.leading);
    return true;
}

intptr_t OnOk(WindowHandle dialog, TextBoxObject* box, const BlockValues& opening) {
    const BlockValues values = ReadValues(dialog, opening);
    if (values.text.empty()) {
        ModalMessageBox(kEmptyTextRefused, ProgramString(kStrProductName),
                        ui::kBoxOk | ui::kBoxIconInformation);
        return 1;
    }
    RememberedTextBoxSlot() = static_cast<uint8_t>(values.slot);
    ui::EndDialog(dialog, StoreValues(box, values) ? ui::kIdOk : ui::kIdCancel);
    return 1;
}

}  // namespace

int RunPlaceTextBlockDialog(ScoreView* view, TextBoxObject* box) {
    if (view == nullptr || box == nullptr) return ui::kIdCancel;
    const BlockValues opening = ValuesOf(box);
    const bool label = box->header.type == TypeCode(ObjectType::Label);
    const intptr_t result = ModalDialogBox(
        view, kPlaceTextBlockDialog,
        [&](WindowHandle dialog, win::Message message, uint32_t word, intptr_t) -> intptr_t {
            if (message == win::Message::InitDialog) {
                win::SetWindowText(dialog, label ? kStaffLabelTitle : kTextBoxTitle);
                ui::SetEditLimit(ui::GetDialogItem(dialog, kText), kTextCharacters);
                FillCombos(dialog, view->document);
                ShowValues(dialog, opening);
                return 0;
            }
            if (message != win::Message::Command) return 0;
            switch (win::CommandId(word)) {
                case ui::kIdOk:
                    return OnOk(dialog, box, opening);
                case ui::kIdCancel:
                    ui::EndDialog(dialog, ui::kIdCancel);
                    return 1;
                case kReset:
                    ShowValues(dialog, opening);
                    return 1;
                case kHelp:
                    ShowHelp(dialog, sys::HelpCommand::Context, kTextBlockHelpContext, nullptr);
                    return 1;
                default:
                    return 0;
            }
        });
    return result == ui::kIdOk ? ui::kIdOk : ui::kIdCancel;
}

}  // namespace ql
