// The on/off options a score window's commands switch: the common/cut time
// signatures, MIDI step entry, keeping recorded MIDI, MIDI delay, ossia staves,
// hidden tablature stems, the box cursor, the margin guides, hidden items,
// automatic rests, swing and playing loose, the recording's echo, metronome
// and countdown, the measure numbers and everything but the staff lines left
// undrawn, and the measure played shown in the readout. Each command flips
// one option byte; the views follow where the option changes what they show, and
// the menus show each option checked while it is on.
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace ql {

struct ScoreView;

namespace toggle_cmd {
constexpr int32_t kCommonCut = 40176;
constexpr int32_t kAllowStepEntry = 40189;
constexpr int32_t kKeepMidi = 40369;
constexpr int32_t kAllowMidiDelay = 40172;
constexpr int32_t kOssiaStaves = 42016;
constexpr int32_t kAutoHideTabStems = 42226;
constexpr int32_t kBoxCursor = 40440;
constexpr int32_t kDisplayMargins = 40151;
constexpr int32_t kDisplayHiddenItems = 40405;
constexpr int32_t kAutoRest = 40420;
constexpr int32_t kSwingEighths = 40203;
constexpr int32_t kSwingSixteenths = 40204;
constexpr int32_t kPlayLoose = 40206;
constexpr int32_t kRecordEcho = 40408;
constexpr int32_t kRecordMetronome = 40410;
constexpr int32_t kRecordCountdown = 40414;
constexpr int32_t kSuppressMeasureNumbers = 1156;
constexpr int32_t kStaffLinesOnly = 1157;
constexpr int32_t kShowPlaybackLocation = 1174;
}  // namespace toggle_cmd

// Flips the option of a toggle command and brings `view` (and the views linked to
// it) up to date; false for any other command.
bool RunViewToggle(ScoreView* view, int32_t command);

// The option byte of a toggle command; null for any other command.
const uint8_t* ViewToggleOption(int32_t command);

// Checks the toggle items of a menu popup that is opening by their options.
void CheckViewToggleItems(platform::MenuHandle popup);

}  // namespace ql
