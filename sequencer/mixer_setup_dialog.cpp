// The mixer's Setup dialog (849): key-velocity or controller mode, the controller,
// and the ranges of the faders and of the tempo fader. OK captions the mixer by its
// mode and puts every fader where its value now stands.
#include <cstdio>
#include <string>

#include "core/ui/settings_dialog_frame.h"
#include "platform/ui/controls.h"
#include "platform/ui/trackbar.h"
#include "platform/win/window.h"
#include "sequencer/clamped_edit.h"
#include "sequencer/midi_settings_resources.h"
#include "sequencer/mixer_window.h"

namespace ql {
namespace {

using platform::WindowHandle;

constexpr uint32_t kMixerSetupHelp = 1449;
constexpr int32_t kMidiTop = 127;
constexpr int32_t kLowestTempo = 10;
constexpr int32_t kHighestTempo = 880;
constexpr FaderRange kEqualFaderBounds{0, 127};
constexpr FaderRange kEqualTempoBounds{40, 160};

const char* ControllerName(int controller) {
    switch (controller) {
        case 1: return "Modulation";
        case 7: return "MIDI volume";
        case 10: return "PAN";
        case 11: return "Expression";
        case 91: return "Reverb";
        case 93: return "Chorus";
        default: return nullptr;
    }
}

// A range typed From..To; equal bounds become `equal`, reversed bounds are swapped.
FaderRange TypedRange(TypedNumbers& typed, int32_t from, int32_t to, int32_t low, int32_t high, FaderRange now,
                      FaderRange equal) {
    int32_t a = typed.Read(from, low, high, now.minimum);
    int32_t b = typed.Read(to, low, high, now.maximum);
    if (a == b) return equal;
    if (a > b) std::swap(a, b);
    return {a, b};
}

}  // namespace

std::string MixerCaption(const MixerWindow* mixer) {
    char text[64];
    if (mixer->mode == 0) {
        std::snprintf(text, sizeof text, "%s %s", "Mixer", " Key velocity");
    } else if (const char* name = ControllerName(mixer->controller)) {
        std::snprintf(text, sizeof text, "%s %s", "Mixer", name);
    } else {
        std::snprintf(text, sizeof text, "%s %s #%d", "Mixer", "Realtime Controller", mixer->controller);
    }
    return text;
}

intptr_t RunMixerSetupDialog(MixerWindow* mixer) {
    namespace m = mixer_setup_dialog;
    if (mixer == nullptr) return -1;
    win::EnableWindow(mixer->window, false);
    const intptr_t result = RunSettingsDialog(
        m::kDialog, kMixerSetupHelp,
        [&](WindowHandle dialog) {
            ui::CheckRadioButton(dialog, m::kVelocityMode, m::kControllerMode,
                                 mixer->mode == 0 ? m::kVelocityMode : m::kControllerMode);
            SetupSpinField(dialog, m::kController, 0, kMidiTop, mixer->controller);
            SetupSpinField(dialog, m::kFaderFrom, -kMidiTop, kMidiTop, mixer->faderRange.minimum);
            SetupSpinField(dialog, m::kFaderTo, -kMidiTop, kMidiTop, mixer->faderRange.maximum);
            SetupSpinField(dialog, m::kTempoFrom, kLowestTempo, kHighestTempo, mixer->tempoRange.minimum);
            SetupSpinField(dialog, m::kTempoTo, kLowestTempo, kHighestTempo, mixer->tempoRange.maximum);
        },
        [&](WindowHandle dialog) {
            TypedNumbers typed(dialog);
            mixer->controller = typed.Read(m::kController, 0, kMidiTop, mixer->controller);
            mixer->faderRange = TypedRange(typed, m::kFaderFrom, m::kFaderTo, -kMidiTop, kMidiTop, mixer->faderRange,
                                           kEqualFaderBounds);
            mixer->tempoRange = TypedRange(typed, m::kTempoFrom, m::kTempoTo, kLowestTempo, kHighestTempo,
                                           mixer->tempoRange, kEqualTempoBounds);
            typed.BeepIfClamped();
            mixer->mode = ui::IsItemChecked(dialog, m::kControllerMode) ? 1 : 0;
        },
        kNoCommand);
    win::EnableWindow(mixer->window, true);
    if (result == 1) {
        win::SetWindowText(mixer->window, MixerCaption(mixer));
        RefreshMixer(mixer);
    }
    return result;
}

}  // namespace ql
