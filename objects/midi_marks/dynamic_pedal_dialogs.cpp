// Dialog 815 "Dynamic Marking" and dialog 839 "Pedal Controller" (see
// mark_dialogs.h). The dynamic's offset steps within -127..127 on the spin; the
// pedal's value and footswitch within 0..127 on the spins and on OK, so that no
// placed pedal mark sends a data byte outside the MIDI range.
#include <algorithm>

#include "core/error_report.h"
#include "core/objects/midi_action.h"
#include "core/text/text_object.h"
#include "core/ui/dialog_fields.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/midi_marks/mark_dialog_resources.h"
#include "objects/midi_marks/mark_dialogs.h"
#include "objects/midi_marks/mark_dialogs_internal.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"

namespace ql {

using namespace mark_dialogs;
using platform::WindowHandle;

namespace {

constexpr int32_t kLowestOffset = -127;
constexpr int32_t kHighestOffset = 127;
constexpr int32_t kHighestDataByte = 127;
constexpr uint32_t kDynamicHelpId = 1314;
constexpr uint32_t kPedalHelpId = 1383;

// The action's value words hold a pooled data reference (an envelope, or a kind
// that carries data): the value is not edited here.
bool IsEnvelope() {
    return IsDataCarrying(ScratchAction());
}

// ---- 815 ----

void ShowDynamicValue(WindowHandle dialog) {
    using namespace dynamic_dialog;
    const MidiAction& action = ScratchAction();
    int32_t shown = action.head.values.value;
    if (IsDataCarrying(action)) {
        const std::byte* data = MidiActionDataBytes(action);
        shown = data != nullptr && action.head.data.length >= 2
                    ? static_cast<int16_t>(static_cast<uint16_t>(data[0]) | (static_cast<uint16_t>(data[1]) << 8))
                    : 0;
    }
    ui::SetItemInt(dialog, kValue, shown);
    ui::EnableItem(dialog, kValue, !IsEnvelope());
}

void InitDynamicDialog(WindowHandle dialog) {
    using namespace dynamic_dialog;
    const MidiAction& action = ScratchAction();
    ui::CheckItem(dialog, kEnable, (action.flags & kMidiFlagEnabled) != 0);
    ui::CheckItem(dialog, kKeyVelocity, (action.flags & kMidiFlagKeyVelocity) != 0);
    ui::CheckRadioButton(dialog, kSingle, kGradual, ScratchTiming() == 0 ? kSingle : kGradual);
    ShowDynamicValue(dialog);
    ui::EnableItem(dialog, kSetTransition, ScratchTiming() != 0);
}

void ChooseTiming(WindowHandle dialog, uint8_t timing) {
    using namespace dynamic_dialog;
    SetScratchTiming(timing);
    ui::CheckRadioButton(dialog, kSingle, kGradual, timing == 0 ? kSingle : kGradual);
    ui::EnableItem(dialog, kValue, timing == 0);
    ui::EnableItem(dialog, kSetTransition, timing != 0);
}

intptr_t OnDynamicCommand(WindowHandle dialog, uint32_t id) {
    using namespace dynamic_dialog;
    MarkSession& session = *CurrentSession();
    switch (id) {
        case kEnable: ToggleScratchFlag(kMidiFlagEnabled); break;
        case kKeyVelocity:
            ToggleScratchFlag(kMidiFlagKeyVelocity);
            ui::EnableItem(dialog, kValue, !IsEnvelope());
            break;
        case kSingle: ChooseTiming(dialog, 0); break;
        case kGradual: ChooseTiming(dialog, 1); break;
        case kSetTransition:
            if (RunTransition(session) == ui::kIdOk) ShowDynamicValue(dialog);
            ui::EnableItem(dialog, kValue, !IsEnvelope());
            break;
        case kOutput: RunOutputDestination(session); break;
        case kSetImage: RunSetImage(session); break;
        case ui::kIdOk:
            if (!IsEnvelope())
                ScratchAction().head.values.value = ReadSigned16(dialog, kValue, ScratchAction().head.values.value);
            EndSession(dialog, session, true);
            break;
        case ui::kIdCancel: EndSession(dialog, session, false); break;
        default: return 0;
    }
    return 1;
}

// ---- 839 ----

void InitPedalDialog(WindowHandle dialog) {
    using namespace pedal_dialog;
    const MidiAction& action = ScratchAction();
    ui::CheckItem(dialog, kEnable, (action.flags & kMidiFlagEnabled) != 0);
    ui::SetItemInt(dialog, kValue, action.head.values.value);
    ui::SetItemInt(dialog, kController, action.controller);
}

// A typed data byte, kept within 0..127 with the beep when it was outside.
int32_t ReadDataByte(WindowHandle dialog, int32_t id, int32_t fallback) {
    const int32_t typed = ui::GetItemInt(dialog, id).value_or(fallback);
    const int32_t kept = std::clamp(typed, 0, kHighestDataByte);
    if (kept != typed) PlayAlertBeep(ui::kBoxIconStop);
    return kept;
}

intptr_t OnPedalCommand(WindowHandle dialog, uint32_t id) {
    using namespace pedal_dialog;
    MarkSession& session = *CurrentSession();
    MidiAction& action = ScratchAction();
    switch (id) {
        case kEnable: ToggleScratchFlag(kMidiFlagEnabled); break;
        case kOutput:
            RunOutputDestination(session);
            SetScratchTiming(0);
            break;
        case ui::kIdOk:
            if (!IsEnvelope()) action.head.values.value = static_cast<int16_t>(ReadDataByte(dialog, kValue, 0));
            action.controller = static_cast<uint8_t>(ReadDataByte(dialog, kController, kPedalController));
            EndSession(dialog, session, true);
            break;
        case ui::kIdCancel: EndSession(dialog, session, false); break;
        default: return 0;
    }
    return 1;
}

bool IsSpin(WindowHandle dialog, intptr_t data, int32_t id) {
    return static_cast<uint32_t>(data) == ui::GetDialogItem(dialog, id).bits;
}

bool IsLineStep(uint32_t word, bool* down) {
    const win::ScrollCode code = win::ScrollCodeOf(word);
    *down = code == win::ScrollCode::LineDown;
    return code == win::ScrollCode::LineUp || code == win::ScrollCode::LineDown;
}

}  // namespace

intptr_t DynamicDialogProc(WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) {
    if (message == win::Message::InitDialog) {
        if (!EndedWithoutView(dialog)) InitDynamicDialog(dialog);
        return 1;
    }
    if (CurrentSession() == nullptr) return 0;
    intptr_t answered = 0;
    if (AnswerDialogHelp(dialog, message, word, data, kDynamicHelpId, &answered)) return answered;
    bool down = false;
    if (message == win::Message::VerticalScroll && IsLineStep(word, &down) && !IsEnvelope()) {
        ClampEditValue(dialog, dynamic_dialog::kValueSpin, down, kLowestOffset, false, kHighestOffset);
        return 0;
    }
    return message == win::Message::Command ? OnDynamicCommand(dialog, win::CommandId(word)) : 0;
}

intptr_t PedalDialogProc(WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) {
    using namespace pedal_dialog;
    if (message == win::Message::InitDialog) {
        if (!EndedWithoutView(dialog)) InitPedalDialog(dialog);
        return 1;
    }
    if (CurrentSession() == nullptr) return 0;
    intptr_t answered = 0;
    if (AnswerDialogHelp(dialog, message, word, data, kPedalHelpId, &answered)) return answered;
    bool down = false;
    if (message == win::Message::VerticalScroll && IsLineStep(word, &down)) {
        const int32_t spin = IsSpin(dialog, data, kControllerSpin) ? kControllerSpin : kValueSpin;
        ClampEditValue(dialog, spin, down, 0, false, kHighestDataByte);
        return 0;
    }
    return message == win::Message::Command ? OnPedalCommand(dialog, win::CommandId(word)) : 0;
}

int RunDynamicDialog(ScoreView* view, ScoreObject* mark) {
    return RunSession(view, mark, kDynamicDialogId, &DynamicDialogProc);
}

int RunPedalDialog(ScoreView* view, ScoreObject* mark) {
    return RunSession(view, mark, kPedalDialogId, &PedalDialogProc);
}

}  // namespace ql
