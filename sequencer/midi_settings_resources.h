// The MIDI and playback settings dialogs with their control ids: the note values
// the note commands ask for (transpose, key velocity, attack and release offsets,
// cross-staff), default note durations, ports, playback, synchronisation, thru,
// record set-up, metronome and patch caching. Registered into the program's bundle
// at start-up.
#pragma once

#include <cstdint>

#include "platform/sys/resources.h"

namespace ql {

// The one-number dialogs share their edit and the bounds text beside it.
namespace note_value_dialog {
constexpr int32_t kValue = 1108;
constexpr int32_t kBounds = 1109;
constexpr int32_t kChromatic = 1105;     // 834 only
constexpr int32_t kStaffDegrees = 1118;  // 834 only
}  // namespace note_value_dialog

namespace note_durations_dialog {
constexpr int32_t kDialog = 813;
constexpr int32_t kScore = 3095;
constexpr int32_t kNewFiles = 1108;
constexpr int32_t kLowest = 25;
constexpr int32_t kHighest = 120;
}  // namespace note_durations_dialog

namespace port_assignment_dialog {
constexpr int32_t kDialog = 867;
constexpr int32_t kFirstPort = 1304;  // "Port A" .. "Port H": 1304..1311
constexpr int32_t kStepEntry = 1203;
constexpr int32_t kRecord = 1205;
constexpr int32_t kMetronome = 1207;
constexpr int32_t kReset = 1100;
}  // namespace port_assignment_dialog

namespace playback_settings_dialog {
constexpr int32_t kDialog = 866;
constexpr int32_t kTempo = 1112;
constexpr int32_t kVelocity = 1114;
constexpr int32_t kTranspose = 1116;
constexpr int32_t kFromStart = 1117;
constexpr int32_t kFromPage = 1119;
constexpr int32_t kRange = 1121;
constexpr int32_t kRangeFirst = 1123;
constexpr int32_t kRangeLast = 1125;
constexpr int32_t kRtcFrequency = 1203;
}  // namespace playback_settings_dialog

namespace sync_dialog {
constexpr int32_t kDialog = 875;
constexpr int32_t kPlayNone = 1209;    // then Master 1210, Slave 1211
constexpr int32_t kRecordNone = 1223;  // then Master 1224, Slave 1225
constexpr int32_t kReceivePort = 1207;
constexpr int32_t kFirstSendPort = 1214;  // "Send to port A".."H": 1214..1221
}  // namespace sync_dialog

namespace thru_dialog {
constexpr int32_t kDialog = 878;
constexpr int32_t kFirstSendPort = 1214;
}  // namespace thru_dialog

namespace record_setup_dialog {
constexpr int32_t kDialog = 872;
constexpr int32_t kPunch = 1230;
constexpr int32_t kPunchIn = 1253;
constexpr int32_t kPunchOut = 1255;
constexpr int32_t kSingle = 1234;  // then Split 1235, Multichannel 1236
constexpr int32_t kMultichannel = 1236;
constexpr int32_t kRecordStaff = 1206;
constexpr int32_t kSplitStaff = 1218;
constexpr int32_t kSplitPoint = 1220;
constexpr int32_t kChannels = 1233;
constexpr int32_t kAccidentals = 2246;
constexpr int32_t kReset = 1100;
}  // namespace record_setup_dialog

namespace metronome_dialog {
constexpr int32_t kDialog = 829;
constexpr int32_t kChannel = 1117;
constexpr int32_t kBarKey = 1119;
constexpr int32_t kBeatKey = 1121;
constexpr int32_t kVolume = 1123;
constexpr int32_t kPatch = 1202;
constexpr int32_t kTempo = 1205;
constexpr int32_t kAuditionBar = 1206;
constexpr int32_t kAuditionBeat = 1208;
constexpr int32_t kSaveNow = 1800;
}  // namespace metronome_dialog

namespace patch_cache_dialog {
constexpr int32_t kDialog = 805;
constexpr int32_t kAllPatches = 1200;
constexpr int32_t kCacheList = 1201;
constexpr int32_t kAdd = 1202;
constexpr int32_t kRemove = 1203;
}  // namespace patch_cache_dialog

namespace mixer_setup_dialog {
constexpr int32_t kDialog = 849;
constexpr int32_t kVelocityMode = 1200;
constexpr int32_t kControllerMode = 1201;
constexpr int32_t kController = 1203;  // each edit follows its up-down (id - 1)
constexpr int32_t kFaderFrom = 1205;
constexpr int32_t kFaderTo = 1207;
constexpr int32_t kTempoFrom = 1209;
constexpr int32_t kTempoTo = 1211;
}  // namespace mixer_setup_dialog

constexpr int32_t kLogicalPortButtons = 8;

void AddMidiSettingsResources(sys::ResourceBundle& bundle);
void RegisterMidiSettingsResources();

}  // namespace ql
