// Dialog 830 "MIDI Event" on a MIDI-carrying object: Enable MIDI, Hide image, single
// or gradual timing, the image, and the message, transition and destination dialogs
// on the working copy's action. It runs as a session of the marks' dialogs, so the
// working copy and its commit on OK are the ones every mark dialog uses.
#include <string>

#include "core/objects/midi_action.h"
#include "core/text/text_object.h"
#include "objects/midi_marks/mark_dialogs_internal.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/win/window.h"
#include "sequencer/action_dialogs.h"
#include "sequencer/midi_action_dialog_resources.h"
#include "sequencer/midi_event_object.h"
#include "sequencer/sequencer_services.h"

namespace ql {

using namespace mark_dialogs;
using namespace midi_event_dialog;
using platform::WindowHandle;

namespace {

constexpr uint32_t kMidiEventHelpId = 830;

// Set Transition... serves the kinds that change gradually, with a transition on.
bool TransitionAvailable(const MidiAction& action) {
    const uint8_t kind = MidiKindOf(action);
    const bool gradualKind = kind == kMidiKindKeyPressure || kind == kMidiKindController ||
                             kind == kMidiKindChannelPressure || kind == kMidiKindPitchWheel;
    return gradualKind && MidiTimingOf(action) != kTimingSingle;
}

TextObject& ScratchText() {
    return *AsTextObject(CurrentSession()->scratch);
}

void ShowKindAndTiming(WindowHandle dialog) {
    const MidiAction& action = ScratchAction();
    const bool single = MidiTimingOf(action) == kTimingSingle;
    ui::CheckRadioButton(dialog, kSingle, kGradual, single ? kSingle : kGradual);
    ui::SetItemText(
        dialog, kKindLabel,
        MidiKindLabel(MidiKindOf(action), (action.flags & kMidiFlagSystemExclusive) != 0));
    ui::EnableItem(dialog, kSetTransition, TransitionAvailable(action));
}

void ShowImageText(WindowHandle dialog) {
    MarkSession& session = *CurrentSession();
    const TextObjectClass& cls = static_cast<const TextObjectClass&>(ClassOf(session.mark));
    const char* text = cls.GetDisplayText(session.scratch, session.view);
    ui::SetItemText(dialog, kImageText, text != nullptr ? text : "");
}

void InitMidiEventDialog(WindowHandle dialog) {
    ui::CheckItem(dialog, kEnable, (ScratchAction().flags & kMidiFlagEnabled) != 0);
    ui::CheckItem(dialog, kHideImage, (ScratchText().body.flags & kTextHidden) != 0);
    ShowKindAndTiming(dialog);
    ShowImageText(dialog);
}

// Gradual: a single occurrence becomes linear; an envelope stays.
void ChooseTiming(bool gradual) {
    MidiAction& action = ScratchAction();
    const uint8_t timing = MidiTimingOf(action);
    if (!gradual && timing != kTimingSingle)
        SetMidiActionKind(&action, MidiKindOf(action), kTimingSingle);
    if (gradual && timing == kTimingSingle)
        SetMidiActionKind(&action, MidiKindOf(action), kTimingLinear);
}

intptr_t OnMidiEventCommand(WindowHandle dialog, uint32_t word) {
    MarkSession& session = *CurrentSession();
    switch (static_cast<int32_t>(win::CommandId(word))) {
        case kEnable:
            ToggleScratchFlag(kMidiFlagEnabled);
            break;
        case kHideImage:
            ScratchText().body.flags ^= kTextHidden;
            break;
        case kSingle:
            ChooseTiming(false);
            ShowKindAndTiming(dialog);
            break;
        case kGradual:
            ChooseTiming(true);
            ShowKindAndTiming(dialog);
            break;
        case kSetImage:
            RunSetImage(session);
            ShowImageText(dialog);
            break;
        case kSetMidi:
            EditMidiMessage(session.view, &ScratchAction());
            ShowKindAndTiming(dialog);
            break;
        case kSetOutput:
            RunOutputDestination(session);
            break;
        case kSetTransition:
            if (RunTransition(session) == ui::kIdOk) session.imageChanged = true;
            ShowKindAndTiming(dialog);
            break;
        case ui::kIdOk:
            EndSession(dialog, session, true);
            break;
        case ui::kIdCancel:
            EndSession(dialog, session, false);
            break;
        default:
            return 0;
    }
    return 1;
}

}  // namespace

intptr_t MidiEventDialogProc(WindowHandle dialog, win::Message message, uint32_t word,
                             intptr_t data) {
    if (message == win::Message::InitDialog) {
        if (!EndedWithoutView(dialog)) InitMidiEventDialog(dialog);
        return 1;
    }
    if (CurrentSession() == nullptr) return 0;
    intptr_t answered = 0;
    if (AnswerDialogHelp(dialog, message, word, data, kMidiEventHelpId, &answered)) return answered;
    return message == win::Message::Command ? OnMidiEventCommand(dialog, word) : 0;
}

int sequencing::OpenMidiEventDialog(ScoreView* view, ScoreObject* object) {
    return RunSession(view, object, kDialog, &MidiEventDialogProc);
}

}  // namespace ql
