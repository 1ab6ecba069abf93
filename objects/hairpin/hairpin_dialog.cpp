// Dialog 812, "Crescendo" or "Diminuendo": Enable MIDI, the from and to values (a
// crescendo must rise, a diminuendo fall), MIDI volume or key velocity, the line
// width within 0..255 (the stored byte) and the output destination. It edits a
// scratch copy held by the dialog; OK copies it into the hairpin when the stored
// bytes differ, and nothing is left behind on any path.
#include <algorithm>
#include <utility>

#include "core/error_report.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/midi_services.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/selection_services.h"
#include "core/undo/undo.h"
#include "objects/hairpin/hairpin_internal.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/midi_marks/mark_dialog_resources.h"
#include "objects/midi_marks/mark_dialogs_internal.h"
#include "objects/midi_marks/mark_internal.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "platform/win/window.h"

namespace ql {

using namespace hairpin_dialog;
using platform::WindowHandle;

namespace {

constexpr int32_t kLowestValue = -127;
constexpr int32_t kHighestValue = 127;
constexpr int32_t kHighestWidth = 255;
constexpr uint32_t kHairpinHelpId = 1342;
constexpr const char* kCrescendoCaption = "Crescendo";
constexpr const char* kDiminuendoCaption = "Diminuendo";
constexpr const char* kCrescendoOrder = "From-value must be less than To-value (Crescendo).";
constexpr const char* kDiminuendoOrder = "From-value must be greater than To-value (Diminuendo).";

struct HairpinSession {
    ScoreView* view = nullptr;
    HairpinObject* hairpin = nullptr;
    HairpinObject scratch{};
};
HairpinSession* current = nullptr;

bool IsCrescendo() {
    return current->scratch.direction == kHairpinCrescendo;
}

// The two radios' ids are not in one run, so each is set on its own.
void ChooseVolumeOrVelocity(WindowHandle dialog, int32_t chosen) {
    ui::CheckItem(dialog, kVolume, chosen == kVolume);
    ui::CheckItem(dialog, kKeyVelocity, chosen == kKeyVelocity);
}

void InitHairpinDialog(WindowHandle dialog) {
    MidiAction& action = current->scratch.action;
    int16_t& from = action.head.values.value;
    int16_t& to = action.head.values.finalValue;
    if (IsCrescendo() ? from > to : from < to) std::swap(from, to);
    win::SetWindowText(dialog, IsCrescendo() ? kCrescendoCaption : kDiminuendoCaption);
    ui::CheckItem(dialog, kEnable, (action.flags & kMidiFlagEnabled) != 0);
    ui::SetItemInt(dialog, kFrom, from);
    ui::SetItemInt(dialog, kTo, to);
    ui::SetItemInt(dialog, kWidth, current->scratch.lineWidth);
    const bool velocity = (action.flags & kMidiFlagKeyVelocity) != 0;
    ChooseVolumeOrVelocity(dialog, velocity ? kKeyVelocity : kVolume);
}

// The from/to order rule; false (with the message, focus on "from") when broken.
bool ReadValues(WindowHandle dialog) {
    MidiAction& action = current->scratch.action;
    const int32_t from = ui::GetItemInt(dialog, kFrom).value_or(action.head.values.value);
    const int32_t to = ui::GetItemInt(dialog, kTo).value_or(action.head.values.finalValue);
    if (IsCrescendo() ? from > to : from < to) {
        ViewMessageBox(current->view, IsCrescendo() ? kCrescendoOrder : kDiminuendoOrder,
                       IsCrescendo() ? kCrescendoCaption : kDiminuendoCaption,
                       ui::kBoxOk | ui::kBoxIconInformation);
        win::SetFocus(ui::GetDialogItem(dialog, kFrom));
        return false;
    }
    action.head.values.value = static_cast<int16_t>(std::clamp<int32_t>(from, INT16_MIN, INT16_MAX));
    action.head.values.finalValue = static_cast<int16_t>(std::clamp<int32_t>(to, INT16_MIN, INT16_MAX));
    const int32_t typedWidth = ui::GetItemInt(dialog, kWidth).value_or(current->scratch.lineWidth);
    const int32_t width = std::clamp(typedWidth, 0, kHighestWidth);
    if (width != typedWidth) PlayAlertBeep(ui::kBoxIconStop);
    current->scratch.lineWidth = static_cast<uint8_t>(width);
    action.flags = static_cast<uint16_t>(ui::IsItemChecked(dialog, kKeyVelocity) ? action.flags | kMidiFlagKeyVelocity
                                                                                   : action.flags & ~kMidiFlagKeyVelocity);
    return true;
}

bool StoresSame(const HairpinObject& a, const HairpinObject& b) {
    ByteWriter first;
    ByteWriter second;
    EncodeHairpinBody(a, first);
    EncodeHairpinBody(b, second);
    return first.Buffer() == second.Buffer();
}

// Copies the scratch copy's stored fields into the hairpin as one undo step.
bool Commit() {
    if (!AlwaysCommit() && StoresSame(current->scratch, *current->hairpin)) return false;
    ScoreView* view = current->view;
    UndoStep step(view->document, view, UndoKind::Item, TypeCode(ObjectType::Hairpin), UndoVerb::Modify);
    HairpinObject& hairpin = *current->hairpin;
    hairpin.action = current->scratch.action;
    std::copy(std::begin(current->scratch.points), std::end(current->scratch.points), std::begin(hairpin.points));
    hairpin.direction = current->scratch.direction;
    hairpin.lineWidth = current->scratch.lineWidth;
    hairpin.reserved[0] = current->scratch.reserved[0];
    hairpin.reserved[1] = current->scratch.reserved[1];
    SetDocumentModified(view->document);
    return true;
}

void RunOutput() {
    MidiAction temporary = current->scratch.action;
    if (EditOutputDestination(current->view, &temporary) != ui::kIdCancel) current->scratch.action = temporary;
}

intptr_t OnCommand(WindowHandle dialog, uint32_t id) {
    switch (id) {
        case kEnable: current->scratch.action.flags ^= kMidiFlagEnabled; break;
        case kVolume:
        case kKeyVelocity: ChooseVolumeOrVelocity(dialog, static_cast<int32_t>(id)); break;
        case kOutput: RunOutput(); break;
        case ui::kIdOk:
            if (ReadValues(dialog)) ui::EndDialog(dialog, Commit() ? ui::kIdOk : ui::kIdCancel);
            break;
        case ui::kIdCancel: ui::EndDialog(dialog, ui::kIdCancel); break;
        default: return 0;
    }
    return 1;
}

int32_t SpinLimit(int32_t spin, bool upper) {
    if (spin == kWidthSpin) return upper ? kHighestWidth : 0;
    return upper ? kHighestValue : kLowestValue;
}

intptr_t HairpinDialogProc(WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) {
    if (message == win::Message::InitDialog) {
        if (GetActiveView(dialog) == nullptr || current == nullptr) ui::EndDialog(dialog, ui::kIdCancel);
        else InitHairpinDialog(dialog);
        return 1;
    }
    if (current == nullptr) return 0;
    intptr_t answered = 0;
    if (mark_dialogs::AnswerDialogHelp(dialog, message, word, data, kHairpinHelpId, &answered)) return answered;
    if (message == win::Message::VerticalScroll) {
        const win::ScrollCode code = win::ScrollCodeOf(word);
        if (code != win::ScrollCode::LineUp && code != win::ScrollCode::LineDown) return 0;
        for (int32_t spin : {kFromSpin, kToSpin, kWidthSpin})
            if (static_cast<uint32_t>(data) == ui::GetDialogItem(dialog, spin).bits)
                ClampEditValue(dialog, spin, code == win::ScrollCode::LineDown, SpinLimit(spin, false), false,
                               SpinLimit(spin, true));
        return 0;
    }
    return message == win::Message::Command ? OnCommand(dialog, win::CommandId(word)) : 0;
}

}  // namespace

int RunHairpinDialog(ScoreView* view, ScoreObject* hairpin) {
    if (view == nullptr || view->document == nullptr || hairpin == nullptr) return ui::kIdCancel;
    HairpinSession session{view, AsHairpin(hairpin), *AsHairpin(hairpin)};
    HairpinSession* outer = std::exchange(current, &session);
    const intptr_t result = RunEditorDialog(view, &HairpinDialogProc, kHairpinDialogId);
    current = outer;
    return result == ui::kIdOk ? ui::kIdOk : ui::kIdCancel;
}

}  // namespace ql
