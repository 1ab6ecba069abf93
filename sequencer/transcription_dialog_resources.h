// The dialogs of the transcription options: Set Quantization (871), Advanced
// Quantization (835), MIDI Message Filter (860), Channel-Staff Assignments (807),
// Note Timbre (848) and Loosen Up! (826), with their control ids. Registered into
// the program's bundle at start-up.
#pragma once

#include <cstdint>

#include "platform/sys/resources.h"

namespace ql {

namespace quantization_dialog {
constexpr int32_t kDialog = 871;
constexpr int32_t kAttackBase = 1105;   // + exponent 5..10: "None" .. "Quarter"
constexpr int32_t kReleaseBase = 1196;  // + exponent 5..10
constexpr int32_t kFirstExponent = 5;
constexpr int32_t kLastExponent = 10;
constexpr int32_t kAdvanced = 1211;
constexpr int32_t kTriplets = 1212;
constexpr int32_t kQuintuplets = 1213;
constexpr int32_t kSyncopation = 1214;
}  // namespace quantization_dialog

namespace advanced_quantization_dialog {
constexpr int32_t kDialog = 835;
constexpr int32_t kClip = 1117;
constexpr int32_t kExtend = 1118;
constexpr int32_t kRetain = 1203;
constexpr int32_t kExtendBase = 1197;  // + exponent 8..10: "16th", "8th", "Quarter"
constexpr int32_t kFirstExtend = 8;
constexpr int32_t kLastExtend = 10;
constexpr int32_t kOffsetBase = 1205;  // + exponent 4..9: "256th" .. "8th"
constexpr int32_t kFirstOffset = 4;
constexpr int32_t kLastOffset = 9;
}  // namespace advanced_quantization_dialog

namespace message_filter_dialog {
constexpr int32_t kDialog = 860;
// "Filter Out" and "Hide" of key pressure, controllers, patch change, channel
// pressure and pitch wheel; then tempo; the hidden system-exclusive pair.
constexpr int32_t kFilterKeyPressure = 1201;
constexpr int32_t kFilterTempo = 1200;
constexpr int32_t kFilterSysex = 1206;
constexpr int32_t kHideKeyPressure = 1303;
constexpr int32_t kHideTempo = 1309;
constexpr int32_t kHideSysex = 1308;
constexpr int32_t kKinds = 5;
}  // namespace message_filter_dialog

namespace channel_staff_dialog {
constexpr int32_t kDialog = 807;
constexpr int32_t kChannels = 16;
// The edit of channel 1..16 (its up-down is the id before it).
constexpr int32_t EditOfChannel(int channel) { return channel == 1 ? 1107 : 1108 + 2 * (channel - 1); }
}  // namespace channel_staff_dialog

namespace note_timbre_dialog {
constexpr int32_t kDialog = 848;
constexpr int32_t kStaffDefault = 1110;  // then 1111..1114 "Timbre 1".."Timbre 4"
constexpr int32_t kLastTimbre = 1114;
}  // namespace note_timbre_dialog

namespace loosen_up_dialog {
constexpr int32_t kDialog = 826;
constexpr int32_t kVelocitySpin = 1103;
constexpr int32_t kVelocityEdit = 1104;
constexpr int32_t kTimingBase = 1203;  // + 0..6: "1024th note" .. "16th note"
constexpr int32_t kTimingLast = 1209;
constexpr int32_t kDotted = 1210;
}  // namespace loosen_up_dialog

namespace import_options_dialog {
constexpr int32_t kDialog = 811;
constexpr int32_t kFilters = 1101;
constexpr int32_t kQuantization = 1102;
constexpr int32_t kGuessClefs = 1103;
constexpr int32_t kTriplets = 1104;
constexpr int32_t kQuintuplets = 1105;
constexpr int32_t kSyncopation = 1106;
constexpr int32_t kAccidentals = 2245;
}  // namespace import_options_dialog

// Dialog 902, the title and copyright an exported MIDI file carries.
namespace midi_header_dialog {
constexpr int32_t kDialog = 902;
constexpr int32_t kTitle = 3084;
constexpr int32_t kCopyright = 3085;
}  // namespace midi_header_dialog

void AddTranscriptionDialogResources(sys::ResourceBundle& bundle);
void RegisterTranscriptionDialogResources();

}  // namespace ql
