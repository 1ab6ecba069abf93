// Dialog 876 "Tempo Marking" (see mark_dialogs.h): timing, number display, hiding,
// the beat unit with its dot, and the beats per minute within 1 and the unit's
// maximum. OK keeps the value in that range (a tempo of 0 never reaches playback)
// and gives a symbol-only mark its unit's note symbol.
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
#include "platform/ui/dialog_template.h"
#include "platform/ui/message_box.h"

namespace ql {

using namespace mark_dialogs;
using namespace tempo_dialog;
using platform::WindowHandle;

namespace {

constexpr int32_t kSlowestBeats = 1;
constexpr uint32_t kTempoHelpId = 1172;
constexpr int32_t kUnitIds[] = {kEighth, kQuarter, kHalf};

// The dialog-wide beat unit and dot.
struct TempoChoice {
    TempoUnit unit = TempoUnit::Quarter;
    bool dotted = false;
};
TempoChoice choice;

TextObject& ScratchText() {
    return *AsTextObject(CurrentSession()->scratch);
}

int32_t Maximum() {
    return TempoMaximumBeats(choice.unit, choice.dotted);
}

// Shows the maximum and cuts a larger value in the edit to it.
void ShowMaximum(WindowHandle dialog) {
    ui::SetItemInt(dialog, kMaximum, Maximum());
    const std::optional<int32_t> typed = ui::GetItemInt(dialog, kBeats);
    if (typed && *typed > Maximum()) ui::SetItemInt(dialog, kBeats, Maximum());
}

void ShowTiming(WindowHandle dialog) {
    const uint8_t timing = ScratchTiming();
    ui::CheckRadioButton(dialog, kSingle, kGradual, timing == 0 ? kSingle : kGradual);
    ui::EnableItem(dialog, kSetTransition, timing != 0);
    ui::EnableItem(dialog, kBeats, !IsDataCarrying(ScratchAction()));
}

void InitTempoDialog(WindowHandle dialog) {
    const MidiAction& action = ScratchAction();
    const uint16_t flags = ScratchText().body.flags;
    choice = TempoChoice{TempoUnitOf(flags), IsTempoDotted(flags)};
    ui::CheckItem(dialog, kEnable, (action.flags & kMidiFlagEnabled) != 0);
    ui::CheckItem(dialog, kShowBeats, (flags & kTempoNumberShown) != 0);
    ui::CheckItem(dialog, kHideImage, (flags & kTextHidden) != 0);
    ui::CheckRadioButton(dialog, kEighth, kHalf, kUnitIds[static_cast<int>(choice.unit)]);
    ui::CheckItem(dialog, kDotted, choice.dotted);
    ShowTiming(dialog);
    const int32_t value = IsDataCarrying(action) ? kSlowestBeats : action.head.values.value;
    ui::SetItemInt(dialog, kBeats, std::min(value, Maximum()));
    ShowMaximum(dialog);
}

void ToggleNumberShown() {
    uint16_t& flags = ScratchText().body.flags;
    if ((flags & kTempoNumberShown) == 0)
        flags |= kTempoNumberBit;
    else
        flags &= static_cast<uint16_t>(~kTempoNumberShown);
}

// The typed beats within 1..maximum, with the spin's warning beep when cut.
int16_t ReadBeats(WindowHandle dialog) {
    const int32_t typed = ui::GetItemInt(dialog, kBeats).value_or(kSlowestBeats);
    const int32_t kept = std::clamp(typed, kSlowestBeats, Maximum());
    if (kept != typed) PlayAlertBeep(ui::kBoxIconStop);
    return static_cast<int16_t>(kept);
}

// OK: the value, the unit into text flags 12-15 and, for a plain symbol, its note.
void ApplyTempoChoice(WindowHandle dialog) {
    MidiAction& action = ScratchAction();
    if (!IsDataCarrying(action)) action.head.values.value = ReadBeats(dialog);
    TextObject& text = ScratchText();
    const auto unitBits = static_cast<uint16_t>((static_cast<int>(choice.unit) << kTempoUnitShift) |
                                                (choice.dotted ? kTempoDotted : 0));
    text.body.flags = static_cast<uint16_t>((text.body.flags & ~kTempoUnitField) | unitBits);
    if ((text.body.flags & kTextOwnsString) == 0 && !IsTempoWord(text.body.string))
        text.body.string = TempoUnitSymbol(choice.unit, choice.dotted);
}

bool OnUnitCommand(WindowHandle dialog, uint32_t id) {
    for (int unit = 0; unit < static_cast<int>(std::size(kUnitIds)); ++unit) {
        if (id != static_cast<uint32_t>(kUnitIds[unit])) continue;
        choice.unit = static_cast<TempoUnit>(unit);
        ui::CheckRadioButton(dialog, kEighth, kHalf, kUnitIds[unit]);
        ShowMaximum(dialog);
        return true;
    }
    if (id != static_cast<uint32_t>(kDotted)) return false;
    choice.dotted = !choice.dotted;
    ui::CheckItem(dialog, kDotted, choice.dotted);
    ShowMaximum(dialog);
    return true;
}

intptr_t OnTempoCommand(WindowHandle dialog, uint32_t word) {
    const uint32_t id = win::CommandId(word);
    MarkSession& session = *CurrentSession();
    if (id == static_cast<uint32_t>(kBeats)) {
        if (win::CommandCode(word) == ui::kEditChange) ShowMaximum(dialog);
        return 0;
    }
    if (OnUnitCommand(dialog, id)) return 1;
    switch (id) {
        case kEnable: ToggleScratchFlag(kMidiFlagEnabled); break;
        case kSingle: SetScratchTiming(0); ShowTiming(dialog); break;
        case kGradual: SetScratchTiming(1); ShowTiming(dialog); break;
        case kSetTransition:
            RunTransition(session);
            if (!IsDataCarrying(ScratchAction()))
                ui::SetItemInt(dialog, kBeats, std::min<int32_t>(ScratchAction().head.values.value, Maximum()));
            break;
        case kShowBeats: ToggleNumberShown(); break;
        case kSetImage: RunSetImage(session); break;
        case kHideImage: ScratchText().body.flags ^= kTextHidden; break;
        case ui::kIdOk:
            ApplyTempoChoice(dialog);
            EndSession(dialog, session, true);
            break;
        case ui::kIdCancel: EndSession(dialog, session, false); break;
        default: return 0;
    }
    return 1;
}

}  // namespace

intptr_t TempoDialogProc(WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) {
    if (message == win::Message::InitDialog) {
        if (!EndedWithoutView(dialog)) InitTempoDialog(dialog);
        return 1;
    }
    if (CurrentSession() == nullptr) return 0;
    intptr_t answered = 0;
    if (AnswerDialogHelp(dialog, message, word, data, kTempoHelpId, &answered)) return answered;
    if (message == win::Message::VerticalScroll) {
        const win::ScrollCode code = win::ScrollCodeOf(word);
        if ((code == win::ScrollCode::LineUp || code == win::ScrollCode::LineDown) &&
            !IsDataCarrying(ScratchAction()))
            ClampEditValue(dialog, kBeatsSpin, code == win::ScrollCode::LineDown, kSlowestBeats, true, Maximum());
        return 0;
    }
    return message == win::Message::Command ? OnTempoCommand(dialog, word) : 0;
}

int RunTempoDialog(ScoreView* view, ScoreObject* mark) {
    return RunSession(view, mark, kTempoDialogId, &TempoDialogProc);
}

}  // namespace ql
