// The transcription option dialogs (see transcription_dialogs.h). Each procedure
// answers the help button and F1 with its context help and draws the logo; the
// settings live in the program options.
#include "sequencer/transcription_dialogs.h"

#include <algorithm>
#include <array>

#include "core/model/score_document.h"
#include "core/settings/program_options.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/typed_numbers.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"
#include "sequencer/clamped_edit.h"
#include "sequencer/transcription_dialog_resources.h"

namespace ql {
namespace {

using platform::WindowHandle;

constexpr int kChannelCount = channel_staff_dialog::kChannels;
constexpr uint8_t kUnsetStaff = 255;
constexpr int32_t kMostVelocityLooseness = 128;
constexpr int32_t kFewestVelocityLooseness = 2;
constexpr int32_t kLargestVelocityLooseness = 64;

intptr_t CommonMessage(WindowHandle dialog, win::Message message, uint32_t word, intptr_t data, uint32_t helpId) {
    return CommonDialogMessage(dialog, message, word, data, helpId);
}

bool Toggle(WindowHandle dialog, int32_t id, uint8_t& flag) {
    flag = ui::IsItemChecked(dialog, id) ? 1 : 0;
    return true;
}

}  // namespace

uint8_t VelocityLoosenessOf(int32_t typed) {
    int32_t value = kFewestVelocityLooseness;
    while (value * 2 <= std::min(typed, kLargestVelocityLooseness)) value *= 2;
    return static_cast<uint8_t>(value);
}

intptr_t RunSetQuantizationDialog() {
    namespace q = quantization_dialog;
    int attack = std::clamp<int>(Options().PreQuantization, q::kFirstExponent, q::kLastExponent);
    int release = std::clamp<int>(Options().PostQuantization, q::kFirstExponent, q::kLastExponent);
    return PlainModalDialogBox(q::kDialog, [&](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) -> intptr_t {
        ProgramOptions& o = Options();
        if (message == win::Message::InitDialog) {
            ui::CheckRadioButton(dialog, q::kAttackBase + q::kFirstExponent, q::kAttackBase + q::kLastExponent, q::kAttackBase + attack);
            ui::CheckRadioButton(dialog, q::kReleaseBase + q::kFirstExponent, q::kReleaseBase + q::kLastExponent, q::kReleaseBase + release);
            ui::CheckItem(dialog, q::kTriplets, o.AllowTriplets != 0);
            ui::CheckItem(dialog, q::kQuintuplets, o.AllowQuin != 0);
            ui::CheckItem(dialog, q::kSyncopation, o.AllowSyncopation != 0);
            EnableHelpButton(dialog, nullptr);
            return 0;
        }
        if (message != win::Message::Command) return std::max<intptr_t>(CommonMessage(dialog, message, word, data, q::kDialog), 0);
        const int32_t id = win::CommandId(word);
        if (id >= q::kAttackBase + q::kFirstExponent && id <= q::kAttackBase + q::kLastExponent) attack = id - q::kAttackBase;
        else if (id >= q::kReleaseBase + q::kFirstExponent && id <= q::kReleaseBase + q::kLastExponent) release = id - q::kReleaseBase;
        else if (id == q::kTriplets) Toggle(dialog, id, o.AllowTriplets);
        else if (id == q::kQuintuplets) Toggle(dialog, id, o.AllowQuin);
        else if (id == q::kSyncopation) Toggle(dialog, id, o.AllowSyncopation);
        else if (id == q::kAdvanced) RunAdvancedQuantizationDialog();
        else if (id == ui::kIdOk) {
            o.PreQuantization = attack;
            o.PostQuantization = release;
            ui::EndDialog(dialog, 1);
        } else if (id == ui::kIdCancel) {
            ui::EndDialog(dialog, 2);
        } else {
            return std::max<intptr_t>(CommonMessage(dialog, message, word, data, q::kDialog), 0);
        }
        return 1;
    });
}

intptr_t RunAdvancedQuantizationDialog() {
    namespace a = advanced_quantization_dialog;
    ProgramOptions& o = Options();
    int extend = a::kFirstExtend;
    while (extend < a::kLastExtend && (1 << extend) < o.ExtendLimit) ++extend;
    int offset = std::clamp<int>(o.QuantizationErrorLimit, a::kFirstOffset, a::kLastOffset);
    return PlainModalDialogBox(a::kDialog, [&](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) -> intptr_t {
        if (message == win::Message::InitDialog) {
            ui::CheckItem(dialog, a::kClip, o.ClipNotes != 0);
            ui::CheckItem(dialog, a::kExtend, o.ExtendNotes != 0);
            ui::CheckItem(dialog, a::kRetain, o.KeepQuantizationError != 0);
            ui::CheckRadioButton(dialog, a::kExtendBase + a::kFirstExtend, a::kExtendBase + a::kLastExtend, a::kExtendBase + extend);
            ui::CheckRadioButton(dialog, a::kOffsetBase + a::kFirstOffset, a::kOffsetBase + a::kLastOffset, a::kOffsetBase + offset);
            EnableHelpButton(dialog, nullptr);
            return 0;
        }
        if (message != win::Message::Command) return std::max<intptr_t>(CommonMessage(dialog, message, word, data, a::kDialog), 0);
        const int32_t id = win::CommandId(word);
        if (id == a::kClip) Toggle(dialog, id, o.ClipNotes);
        else if (id == a::kExtend) Toggle(dialog, id, o.ExtendNotes);
        else if (id == a::kRetain) Toggle(dialog, id, o.KeepQuantizationError);
        else if (id >= a::kExtendBase + a::kFirstExtend && id <= a::kExtendBase + a::kLastExtend) extend = id - a::kExtendBase;
        else if (id >= a::kOffsetBase + a::kFirstOffset && id <= a::kOffsetBase + a::kLastOffset) offset = id - a::kOffsetBase;
        else if (id == ui::kIdOk) {
            o.ExtendLimit = 1 << extend;
            o.QuantizationErrorLimit = static_cast<uint8_t>(offset);
            ui::EndDialog(dialog, 1);
        } else if (id == ui::kIdCancel) {
            ui::EndDialog(dialog, 2);
        } else {
            return std::max<intptr_t>(CommonMessage(dialog, message, word, data, a::kDialog), 0);
        }
        return 1;
    });
}

intptr_t RunMidiMessageFilterDialog() {
    namespace f = message_filter_dialog;
    ProgramOptions& o = Options();
    const std::array<uint8_t*, f::kKinds> filters = {&o.FilterKEYP, &o.FilterRTC, &o.FilterPATCH, &o.FilterCHAP, &o.FilterPITCH};
    const std::array<uint8_t*, f::kKinds> hides = {&o.HideKEYP, &o.HideRTC, &o.HidePATCH, &o.HideCHAP, &o.HidePITCH};
    const auto flagOf = [&](int32_t id) -> uint8_t* {
        if (id >= f::kFilterKeyPressure && id < f::kFilterKeyPressure + f::kKinds) return filters[id - f::kFilterKeyPressure];
        if (id >= f::kHideKeyPressure && id < f::kHideKeyPressure + f::kKinds) return hides[id - f::kHideKeyPressure];
        if (id == f::kFilterTempo) return &o.FilterTempo;
        if (id == f::kHideTempo) return &o.HideTEMPO;
        return nullptr;
    };
    return PlainModalDialogBox(f::kDialog, [&](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) -> intptr_t {
        if (message == win::Message::InitDialog) {
            for (int32_t id : {f::kFilterTempo, f::kHideTempo})
                ui::CheckItem(dialog, id, *flagOf(id) != 0);
            for (int k = 0; k < f::kKinds; ++k) {
                ui::CheckItem(dialog, f::kFilterKeyPressure + k, *filters[k] != 0);
                ui::CheckItem(dialog, f::kHideKeyPressure + k, *hides[k] != 0);
            }
            for (int32_t id : {f::kFilterSysex, f::kHideSysex}) {
                ui::ShowItem(dialog, id, false);
                ui::EnableItem(dialog, id, false);
            }
            EnableHelpButton(dialog, nullptr);
            return 0;
        }
        if (message != win::Message::Command) return std::max<intptr_t>(CommonMessage(dialog, message, word, data, f::kDialog), 0);
        const int32_t id = win::CommandId(word);
        if (uint8_t* flag = flagOf(id)) return Toggle(dialog, id, *flag);
        if (id == ui::kIdOk || id == ui::kIdCancel) {
            ui::EndDialog(dialog, id == ui::kIdOk ? 1 : 2);
            return 1;
        }
        return std::max<intptr_t>(CommonMessage(dialog, message, word, data, f::kDialog), 0);
    });
}

intptr_t RunChannelStaffDialog(ScoreView* view) {
    namespace c = channel_staff_dialog;
    const int staves = view != nullptr && view->document != nullptr ? std::max<int>(view->document->header.staffCount, 1) : 1;
    ProgramOptions& o = Options();
    if (o.ChannelStaff[0] > kUnsetStaff - 1)
        for (int channel = 0; channel < kChannelCount; ++channel) o.ChannelStaff[channel] = static_cast<uint8_t>(channel + 1);
    return PlainModalDialogBox(c::kDialog, [&](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) -> intptr_t {
        if (message == win::Message::InitDialog) {
            for (int channel = 1; channel <= kChannelCount; ++channel)
                SetupSpinControl(dialog, c::EditOfChannel(channel), 1, staves, o.ChannelStaff[channel - 1], channel == 1);
            EnableHelpButton(dialog, nullptr);
            return 0;
        }
        if (message != win::Message::Command) return std::max<intptr_t>(CommonMessage(dialog, message, word, data, c::kDialog), 0);
        const int32_t id = win::CommandId(word);
        if (id == ui::kIdOk) {
            TypedNumbers typed(dialog);
            std::array<uint8_t, kChannelCount> table{};
            for (int channel = 1; channel <= kChannelCount; ++channel)
                table[channel - 1] = static_cast<uint8_t>(
                    typed.Read(c::EditOfChannel(channel), 1, staves, o.ChannelStaff[channel - 1]));
            typed.BeepIfClamped();
            std::copy(table.begin(), table.end(), o.ChannelStaff);
            ui::EndDialog(dialog, 1);
            return 1;
        }
        if (id == ui::kIdCancel) {
            ui::EndDialog(dialog, 2);
            return 1;
        }
        return std::max<intptr_t>(CommonMessage(dialog, message, word, data, c::kDialog), 0);
    });
}

intptr_t RunNoteTimbreDialog() {
    namespace t = note_timbre_dialog;
    ProgramOptions& o = Options();
    return PlainModalDialogBox(t::kDialog, [&](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) -> intptr_t {
        if (message == win::Message::InitDialog) {
            const int checked = t::kStaffDefault + 1 + std::clamp<int>(o.NoteTimbre, -1, 3);
            ui::CheckRadioButton(dialog, t::kStaffDefault, t::kLastTimbre, checked);
            EnableHelpButton(dialog, nullptr);
            return 0;
        }
        if (message != win::Message::Command) return std::max<intptr_t>(CommonMessage(dialog, message, word, data, t::kDialog), 0);
        const int32_t id = win::CommandId(word);
        if (id >= t::kStaffDefault && id <= t::kLastTimbre) {
            o.NoteTimbre = static_cast<int8_t>(id - t::kStaffDefault - 1);
            return 1;
        }
        if (id == ui::kIdOk || id == ui::kIdCancel) {
            ui::EndDialog(dialog, id == ui::kIdOk ? 1 : 2);
            return 1;
        }
        return std::max<intptr_t>(CommonMessage(dialog, message, word, data, t::kDialog), 0);
    });
}

intptr_t RunLoosenUpDialog() {
    namespace l = loosen_up_dialog;
    ProgramOptions& o = Options();
    int timing = std::clamp<int>(o.TimingLooseness, 0, l::kTimingLast - l::kTimingBase);
    return PlainModalDialogBox(l::kDialog, [&](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) -> intptr_t {
        if (message == win::Message::InitDialog) {
            SetupSpinControl(dialog, l::kVelocityEdit, 0, kMostVelocityLooseness, o.VelocityLooseness, true);
            ui::CheckRadioButton(dialog, l::kTimingBase, l::kTimingLast, l::kTimingBase + timing);
            ui::CheckItem(dialog, l::kDotted, o.LoosenessDotted != 0);
            EnableHelpButton(dialog, nullptr);
            return 0;
        }
        if (message != win::Message::Command) return std::max<intptr_t>(CommonMessage(dialog, message, word, data, l::kDialog), 0);
        const int32_t id = win::CommandId(word);
        if (id >= l::kTimingBase && id <= l::kTimingLast) {
            timing = id - l::kTimingBase;
        } else if (id == l::kDotted) {
            Toggle(dialog, id, o.LoosenessDotted);
        } else if (id == ui::kIdOk) {
            TypedNumbers typed(dialog);
            const int32_t looseness = typed.Read(l::kVelocityEdit, 0, kMostVelocityLooseness, o.VelocityLooseness);
            typed.BeepIfClamped();
            o.VelocityLooseness = VelocityLoosenessOf(looseness);
            o.TimingLooseness = static_cast<uint8_t>(timing);
            ui::EndDialog(dialog, 1);
        } else if (id == ui::kIdCancel) {
            ui::EndDialog(dialog, 2);
        } else {
            return std::max<intptr_t>(CommonMessage(dialog, message, word, data, l::kDialog), 0);
        }
        return 1;
    });
}

}  // namespace ql
