// Dialogs 832 "MIDI Message", 853 "Set Transition" and 838 "Set MIDI Output
// Destination" (see action_dialogs.h). Each takes a copy of the action with its own
// data bytes; OK frees the action's old data and puts the copy in its place, Cancel
// frees the copy's data.
#include "sequencer/action_dialogs.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <limits>

#include "core/model/score_document.h"
#include "core/objects/midi_action.h"
#include "core/ui/modal_boxes.h"
#include "objects/midi_marks/mark_dialogs_internal.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"
#include "sequencer/clamped_edit.h"
#include "sequencer/midi_action_dialog_resources.h"
#include "sequencer/sequencer_services.h"
#include "sequencer/transition_envelope.h"
#include "sequencer/wave_editor.h"

namespace ql {
namespace {

using platform::WindowHandle;

constexpr int32_t kMidiByteMax = 127;
constexpr int32_t kPitchWheelMax = 16383;
constexpr int16_t kDefaultScale = 127;
constexpr int16_t kPitchWheelScale = 16384;
constexpr uint8_t kDefaultInterval = 16;
constexpr int32_t kIntervalMax = 255;
constexpr int kKinds = 7;
constexpr int kModes = 7;
constexpr int kMaskBits = 4;
constexpr uint16_t kNibble = 0x000F;
constexpr std::array<int16_t, 14> kDefaultPoints = {2048,  0,    2048,  -2048, 4096, -2048, 4096,
                                                    -2048, 6144, -2048, 6144,  0,    8192,  0};
constexpr int32_t kInt16Min = std::numeric_limits<int16_t>::min();
constexpr int32_t kInt16Max = std::numeric_limits<int16_t>::max();

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// The copy a dialog edits; it owns its data until it is committed or dropped.
class ActionCopy {
  public:
    explicit ActionCopy(MidiAction* action) : action_(action) {
        ok_ = CopyConstructMidiAction(&copy_, action);
    }
    ~ActionCopy() {
        if (!committed_) DestroyMidiAction(&copy_);
    }
    ActionCopy(const ActionCopy&) = delete;
    ActionCopy& operator=(const ActionCopy&) = delete;
    bool Ok() const { return ok_; }
    MidiAction& Copy() { return copy_; }
    void Commit() {
        const ClassId id = action_->classId;
        DestroyMidiAction(action_);
        *action_ = copy_;
        action_->classId = id;
        committed_ = true;
    }

  private:
    MidiAction* action_;
    MidiAction copy_{};
    bool ok_ = false;
    bool committed_ = false;
};

// Runs a dialog on a copy; `procedure` gets the copy and returns whether the message
// was taken; an OK it ends with commits the copy.
// Runs a dialog on a working action; `procedure` gets it with each message that is
// not help or Cancel. The dialog's result.
template <typename Procedure>
intptr_t RunDialogOn(ScoreView* view, MidiAction& working, int dialogId, uint32_t helpId,
                     Procedure procedure) {
    return ModalDialogBox(
        view, dialogId,
        [&](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) -> intptr_t {
            intptr_t answered = 0;
            if (mark_dialogs::AnswerDialogHelp(dialog, message, word, data, helpId, &answered))
                return answered;
            if (message == win::Message::Command &&
                win::CommandId(word) == static_cast<uint32_t>(ui::kIdCancel)) {
                ui::EndDialog(dialog, ui::kIdCancel);
                return 1;
            }
            return procedure(dialog, message, word, working);
        });
}

// A dialog that may change the data bytes runs on a copy with its own; an OK the
// procedure ends with commits the copy.
template <typename Procedure>
int RunOnCopy(ScoreView* view, MidiAction* action, int dialogId, uint32_t helpId,
              Procedure procedure) {
    if (action == nullptr) return ui::kIdCancel;
    ActionCopy copy(action);
    if (!copy.Ok()) return ui::kIdCancel;
    if (RunDialogOn(view, copy.Copy(), dialogId, helpId, procedure) != ui::kIdOk)
        return ui::kIdCancel;
    copy.Commit();
    return ui::kIdOk;
}

void EndWithBeep(WindowHandle dialog, bool clamped) {
    if (clamped) ui::Beep(ui::BeepKind::Default);
    ui::EndDialog(dialog, ui::kIdOk);
}

// ---- 832 ----

namespace mm = midi_message_dialog;

constexpr int32_t kMessageFields[] = {
    mm::kKey,           mm::kVelocity, mm::kPressure,        mm::kControlNumber,
    mm::kControlAmount, mm::kPatch,    mm::kChannelPressure, mm::kPitchWheel};

void ShowKind(WindowHandle dialog, const MidiAction& action) {
    const int kind = MidiKindOf(action);
    if (kind < kKinds)
        ui::CheckRadioButton(dialog, mm::kFirstKind, mm::kFirstKind + kKinds - 1,
                             mm::kFirstKind + kind);
    ui::CheckItem(dialog, mm::kSysEx,
                  kind == kMidiKindUserBytes && (action.flags & kMidiFlagSystemExclusive) != 0);
}

// A kind chosen: leaving or entering user bytes frees what no longer fits (an
// envelope cannot stay under user bytes).
void ChooseKind(MidiAction& action, uint8_t kind) {
    if (kind == kMidiKindUserBytes && MidiTimingOf(action) != kTimingSingle)
        SetMidiActionKind(&action, MidiKindOf(action), kTimingSingle);
    SetMidiActionKind(&action, kind, MidiTimingOf(action));
}

void StoreUserBytes(WindowHandle dialog, MidiAction& action) {
    const std::vector<uint8_t> bytes = ReadUserBytes(ui::GetItemText(dialog, mm::kUserBytes));
    if (bytes.empty()) return;  // no data: the kind and any old bytes stay
    if (SetMidiActionData(&action, bytes.data(), bytes.size()) < 0) return;
    action.head.data.length = static_cast<uint8_t>(bytes.size());
}

void StoreMessage(WindowHandle dialog, MidiAction& action) {
    bool clamped = false;
    const uint8_t kind = MidiKindOf(action);
    if (kind == kMidiKindUserBytes) {
        StoreUserBytes(dialog, action);
        EndWithBeep(dialog, false);
        return;
    }
    auto field = [&](int32_t id, int32_t low, int32_t high) {
        return ClampedEdit(dialog, id, low, high, low, clamped);
    };
    if (kind == kMidiKindController)
        action.controller = static_cast<uint8_t>(field(mm::kControlNumber, 0, kMidiByteMax));
    if (!IsDataCarrying(action)) {
        int16_t& value = action.head.values.value;
        switch (kind) {
            case kMidiKindNote:
                value = static_cast<int16_t>(field(mm::kKey, 0, kMidiByteMax) |
                                             field(mm::kVelocity, 0, kMidiByteMax) << 8);
                break;
            case kMidiKindKeyPressure:
                value = static_cast<int16_t>(field(mm::kPressure, 0, kMidiByteMax));
                break;
            case kMidiKindController:
                value = static_cast<int16_t>(
                    field(mm::kControlAmount, -kMidiByteMax - 1, kMidiByteMax));
                break;
            case kMidiKindPatch:
                value = static_cast<int16_t>(field(mm::kPatch, 0, kMidiByteMax));
                break;
            case kMidiKindChannelPressure:
                value = static_cast<int16_t>(field(mm::kChannelPressure, 0, kMidiByteMax));
                break;
            case kMidiKindPitchWheel:
                value = static_cast<int16_t>(
                    field(mm::kPitchWheel, -kPitchWheelMax - 1, kPitchWheelMax));
                break;
            default:
                break;
        }
    }
    EndWithBeep(dialog, clamped);
}

void InitMessage(WindowHandle dialog, const MidiAction& action) {
    for (const int32_t id : kMessageFields)
        ui::SetUpDownRange(ui::GetDialogItem(dialog, id - 1), 0, kMidiByteMax);
    ui::SetUpDownRange(ui::GetDialogItem(dialog, mm::kControlAmount - 1), -kMidiByteMax - 1,
                       kMidiByteMax);
    ui::SetUpDownRange(ui::GetDialogItem(dialog, mm::kPitchWheel - 1), -kPitchWheelMax - 1,
                       kPitchWheelMax);
    if (WindowHandle edit = ui::GetDialogItem(dialog, mm::kUserBytes))
        ui::SetEditLimit(edit, kUserBytesTextLimit);
    ShowKind(dialog, action);
    ShowMidiMessageBytes(dialog, action);
}

intptr_t MessageProcedure(WindowHandle dialog, win::Message message, uint32_t word,
                          MidiAction& action) {
    if (message == win::Message::InitDialog) {
        InitMessage(dialog, action);
        return 1;
    }
    if (message != win::Message::Command) return 0;
    const int32_t id = static_cast<int32_t>(win::CommandId(word));
    if (id >= mm::kFirstKind && id < mm::kFirstKind + kKinds) {
        ChooseKind(action, static_cast<uint8_t>(id - mm::kFirstKind));
        ShowKind(dialog, action);
        return 1;
    }
    if (id == mm::kSysEx) {
        action.flags ^= kMidiFlagSystemExclusive;
        return 1;
    }
    if (id == ui::kIdOk) {
        StoreMessage(dialog, action);
        return 1;
    }
    return 0;
}

// ---- 853 ----

namespace td = transition_dialog;

int16_t EnvelopeWord(const MidiAction& action, int index) {
    const std::byte* bytes = MidiActionDataBytes(action);
    int16_t word = 0;
    if (bytes != nullptr) std::memcpy(&word, bytes + index * 2, sizeof word);
    return word;
}

void SetEnvelopeWord(MidiAction& action, int index, int16_t word) {
    if (std::byte* bytes = MidiActionDataBytes(action))
        std::memcpy(bytes + index * 2, &word, sizeof word);
}

bool HasEnvelope(const MidiAction& action) {
    return MidiTimingOf(action) == kTimingEnvelope && MidiKindOf(action) != kMidiKindUserBytes &&
           MidiActionDataBytes(action) != nullptr &&
           action.head.data.length >= kEnvelopeRecordBytes;
}

// The wave editor on the copy's envelope, this dialog disabled while it runs; OK
// writes its points into the copy, which this dialog's own OK or Cancel settles.
void EditEnvelopeShape(WindowHandle dialog, MidiAction& action) {
    EnvelopeRecord record{};
    for (size_t i = 0; i < record.size(); ++i) record[i] = EnvelopeWord(action, static_cast<int>(i));
    if (OpenMidiWaveEditor(dialog, &record) != ui::kIdOk) return;
    for (size_t i = 0; i < record.size(); ++i) SetEnvelopeWord(action, static_cast<int>(i), record[i]);
}

void ShowTransition(WindowHandle dialog, const MidiAction& action) {
    const bool envelope = MidiTimingOf(action) == kTimingEnvelope;
    ui::CheckRadioButton(dialog, td::kLinear, td::kEnvelope,
                         envelope ? td::kEnvelope : td::kLinear);
    ui::EnableItem(dialog, td::kEditEnvelope, envelope);
    ui::EnableItem(dialog, td::kFinal, !envelope);
    ui::EnableItem(dialog, td::kScale, envelope);
    if (envelope) {
        SetupSpinField(dialog, td::kStart, kInt16Min, kInt16Max, EnvelopeWord(action, 0));
        SetupSpinField(dialog, td::kScale, kInt16Min, kInt16Max,
                   static_cast<uint16_t>(EnvelopeWord(action, 1)));
    } else {
        SetupSpinField(dialog, td::kStart, kInt16Min, kInt16Max, action.head.values.value);
        SetupSpinField(dialog, td::kFinal, kInt16Min, kInt16Max, action.head.values.finalValue);
    }
}

// Start and scale as typed, into the envelope (the scale a 16-bit word, shown whole).
void StoreEnvelopeFields(WindowHandle dialog, MidiAction& action, bool& clamped) {
    SetEnvelopeWord(action, 0,
                    static_cast<int16_t>(ClampedEdit(dialog, td::kStart, kInt16Min, kInt16Max,
                                                     EnvelopeWord(action, 0), clamped)));
    const int32_t scale =
        ClampedEdit(dialog, td::kScale, kInt16Min, std::numeric_limits<uint16_t>::max(),
                    static_cast<uint16_t>(EnvelopeWord(action, 1)), clamped);
    SetEnvelopeWord(action, 1, static_cast<int16_t>(static_cast<uint16_t>(scale)));
}

void StoreTransition(WindowHandle dialog, MidiAction& action) {
    bool clamped = false;
    if (MidiTimingOf(action) == kTimingEnvelope) {
        StoreEnvelopeFields(dialog, action, clamped);
    } else {
        MidiActionValues& values = action.head.values;
        values.value = static_cast<int16_t>(
            ClampedEdit(dialog, td::kStart, kInt16Min, kInt16Max, values.value, clamped));
        values.finalValue = static_cast<int16_t>(
            ClampedEdit(dialog, td::kFinal, kInt16Min, kInt16Max, values.finalValue, clamped));
    }
    action.interval = static_cast<uint8_t>(
        ClampedEdit(dialog, td::kInterval, 1, kIntervalMax, kDefaultInterval, clamped));
    EndWithBeep(dialog, clamped);
}

intptr_t TransitionProcedure(WindowHandle dialog, win::Message message, uint32_t word,
                             MidiAction& action) {
    if (message == win::Message::InitDialog) {
        if (action.interval == 0) action.interval = kDefaultInterval;
        SetupSpinField(dialog, td::kInterval, 1, kIntervalMax, action.interval);
        ShowTransition(dialog, action);
        return 1;
    }
    if (message != win::Message::Command) return 0;
    switch (static_cast<int32_t>(win::CommandId(word))) {
        case td::kEnvelope:
            if (MidiTimingOf(action) != kTimingEnvelope && !MakeDefaultEnvelope(&action)) {
                if (MidiKindOf(action) == kMidiKindUserBytes)
                    ModalMessageBox(kCantMixText, "", ui::kBoxOk | ui::kBoxIconExclamation);
            }
            ShowTransition(dialog, action);
            return 1;
        case td::kLinear:
            if (MidiTimingOf(action) != kTimingLinear)
                SetMidiActionKind(&action, MidiKindOf(action), kTimingLinear);
            ShowTransition(dialog, action);
            return 1;
        case td::kEditEnvelope: {
            bool clamped = false;
            if (!HasEnvelope(action)) return 1;
            StoreEnvelopeFields(dialog, action, clamped);
            if (clamped) ui::Beep(ui::BeepKind::Default);
            EditEnvelopeShape(dialog, action);
            return 1;
        }
        case ui::kIdOk:
            StoreTransition(dialog, action);
            return 1;
        default:
            return 0;
    }
}

// ---- 838 ----

namespace od = output_dialog;

void ShowMask(WindowHandle dialog, int32_t firstId, int mask) {
    if (mask == 0) mask = kNibble;
    for (int bit = 0; bit < kMaskBits; ++bit)
        ui::CheckItem(dialog, firstId + bit, (mask & (1 << bit)) != 0);
}

int ReadMask(WindowHandle dialog, int32_t firstId) {
    int mask = 0;
    for (int bit = 0; bit < kMaskBits; ++bit)
        if (ui::IsItemChecked(dialog, firstId + bit)) mask |= 1 << bit;
    return mask;
}

void InitOutput(WindowHandle dialog, const MidiAction& action) {
    const bool timbres = (action.flags & kMidiFlagTimbres) != 0;
    ui::CheckRadioButton(dialog, od::kVoices, od::kTimbres, timbres ? od::kTimbres : od::kVoices);
    const int mode = std::min<int>(action.destinationTiming & kMidiDestinationMask, kModes - 1);
    ui::CheckRadioButton(dialog, od::kFirstMode, od::kFirstMode + kModes - 1,
                         od::kFirstMode + mode);
    ShowMask(dialog, od::kFirstThisMask, (action.flags >> kMidiVoiceShift) & kNibble);
    ShowMask(dialog, od::kFirstRemoteMask, (action.flags >> kMidiRemoteMaskShift) & kNibble);
    SetupSpinField(dialog, od::kRemoteStaff, 1, kMidiByteMax, std::max<int>(action.namedStaff, 1));
}

int StaffCount(ScoreView* view) {
    return view != nullptr && view->document != nullptr ? view->document->header.staffCount : 1;
}

void StoreOutput(WindowHandle dialog, MidiAction& action, int staves) {
    bool clamped = false;
    uint16_t flags =
        static_cast<uint16_t>(action.flags & ~(kMidiFlagTimbres | kMidiVoiceMask | 0xF000));
    if (ui::IsItemChecked(dialog, od::kTimbres)) flags |= kMidiFlagTimbres;
    flags = static_cast<uint16_t>(flags | ReadMask(dialog, od::kFirstThisMask) << kMidiVoiceShift |
                                  ReadMask(dialog, od::kFirstRemoteMask) << kMidiRemoteMaskShift);
    action.flags = flags;
    int mode = 0;
    for (int m = 0; m < kModes; ++m)
        if (ui::IsItemChecked(dialog, od::kFirstMode + m)) mode = m;
    action.destinationTiming =
        static_cast<uint8_t>((action.destinationTiming & ~kMidiDestinationMask) | mode);
    action.namedStaff = static_cast<uint8_t>(
        ClampedEdit(dialog, od::kRemoteStaff, 1, std::max(staves, 1), action.namedStaff, clamped));
    EndWithBeep(dialog, clamped);
}

}  // namespace

std::vector<uint8_t> ReadUserBytes(std::string_view text) {
    std::vector<uint8_t> bytes;
    int high = -1;
    for (size_t i = 0; i < text.size() && i < kUserBytesTextLimit; ++i) {
        const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(text[i])));
        if (IsBlank(c)) continue;
        const int digit = HexDigit(c);
        if (digit < 0) break;
        if (high < 0) {
            high = digit;
            continue;
        }
        bytes.push_back(static_cast<uint8_t>(high << 4 | digit));
        high = -1;
    }
    if (high >= 0) bytes.push_back(static_cast<uint8_t>(high << 4));
    if (bytes.size() > kUserBytesMax) bytes.resize(kUserBytesMax);
    return bytes;
}

std::string FormatUserBytes(const std::byte* bytes, size_t count) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    for (size_t i = 0; bytes != nullptr && i < count; ++i) {
        const auto byte = static_cast<uint8_t>(bytes[i]);
        text += kDigits[byte >> 4];
        text += kDigits[byte & kNibble];
        text += ' ';
    }
    return text;
}

void ShowMidiMessageBytes(WindowHandle dialog, const MidiAction& action) {
    for (const int32_t id : kMessageFields) ui::SetItemText(dialog, id, "");
    ui::SetItemText(dialog, mm::kUserBytes, "");
    const uint8_t kind = MidiKindOf(action);
    if (kind == kMidiKindUserBytes) {
        ui::SetItemText(dialog, mm::kUserBytes,
                        FormatUserBytes(MidiActionDataBytes(action), action.head.data.length));
        return;
    }
    if (kind == kMidiKindController) ui::SetItemInt(dialog, mm::kControlNumber, action.controller);
    if (IsDataCarrying(action)) return;  // an envelope: the value lives in it
    const int16_t value = action.head.values.value;
    switch (kind) {
        case kMidiKindNote:
            ui::SetItemInt(dialog, mm::kKey, value & kMidiByteMax);
            ui::SetItemInt(dialog, mm::kVelocity, (value >> 8) & kMidiByteMax);
            break;
        case kMidiKindKeyPressure:
            ui::SetItemInt(dialog, mm::kPressure, value);
            break;
        case kMidiKindController:
            ui::SetItemInt(dialog, mm::kControlAmount, value);
            break;
        case kMidiKindPatch:
            ui::SetItemInt(dialog, mm::kPatch, value);
            break;
        case kMidiKindChannelPressure:
            ui::SetItemInt(dialog, mm::kChannelPressure, value);
            break;
        case kMidiKindPitchWheel:
            ui::SetItemInt(dialog, mm::kPitchWheel, value);
            break;
        default:
            break;
    }
}

bool MakeDefaultEnvelope(MidiAction* action) {
    if (action == nullptr || MidiKindOf(*action) == kMidiKindUserBytes) return false;
    EnvelopeRecord words{};
    words[0] = IsDataCarrying(*action) ? 0 : action->head.values.value;
    words[1] = MidiKindOf(*action) == kMidiKindPitchWheel ? kPitchWheelScale : kDefaultScale;
    std::copy(kDefaultPoints.begin(), kDefaultPoints.end(), words.begin() + 2);
    MidiAction changed = *action;
    SetMidiActionKind(&changed, MidiKindOf(*action), kTimingEnvelope);
    if (SetMidiActionData(&changed, words.data(), kEnvelopeRecordBytes) < 0) return false;
    changed.head.data.length = kEnvelopeRecordBytes;
    *action = changed;
    return true;
}

int EditMidiMessage(ScoreView* view, MidiAction* action) {
    return RunOnCopy(view, action, mm::kDialog, mm::kDialog, &MessageProcedure);
}

int sequencing::EditTransition(ScoreView* view, MidiAction* action) {
    return RunOnCopy(view, action, td::kDialog, td::kDialog, &TransitionProcedure);
}

// The destination never touches the data bytes, so its copy shares them: callers
// that keep a plain copy of an action (the hairpin's dialog) stay valid.
int sequencing::EditOutputDestination(ScoreView* view, MidiAction* action) {
    if (action == nullptr) return ui::kIdCancel;
    const int staves = StaffCount(view);
    MidiAction working = *action;
    const intptr_t result =
        RunDialogOn(view, working, od::kDialog, od::kDialog,
                    [staves](WindowHandle dialog, win::Message message, uint32_t word,
                             MidiAction& copy) -> intptr_t {
                        if (message == win::Message::InitDialog) {
                            InitOutput(dialog, copy);
                            return 1;
                        }
                        if (message == win::Message::Command &&
                            win::CommandId(word) == static_cast<uint32_t>(ui::kIdOk)) {
                            StoreOutput(dialog, copy, staves);
                            return 1;
                        }
                        return 0;
                    });
    if (result != ui::kIdOk) return ui::kIdCancel;
    action->flags = working.flags;
    action->destinationTiming = working.destinationTiming;
    action->namedStaff = working.namedStaff;
    return ui::kIdOk;
}

}  // namespace ql
