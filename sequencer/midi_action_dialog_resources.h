// The program's own templates of the MIDI event object's dialogs: "MIDI Event" (830),
// "MIDI Message" (832), "Set Transition" (853), "Set MIDI Output Destination" (838)
// and the untitled MIDI value dialog (837), with their control ids. Registered into
// the program's bundle at start-up (a language bundle may replace any of them).
#pragma once

#include <cstdint>

#include "platform/sys/resources.h"

namespace ql {

namespace midi_event_dialog {
constexpr int32_t kDialog = 830;
constexpr int32_t kEnable = 1316;
constexpr int32_t kHideImage = 1113;
constexpr int32_t kSingle = 1200;
constexpr int32_t kGradual = 1201;
constexpr int32_t kImageText = 1315;
constexpr int32_t kKindLabel = 1105;
constexpr int32_t kSetTransition = 1107;
constexpr int32_t kSetImage = 1114;
constexpr int32_t kSetMidi = 1110;
constexpr int32_t kSetOutput = 1111;
constexpr int32_t kLogo = 998;
}  // namespace midi_event_dialog

namespace midi_message_dialog {
constexpr int32_t kDialog = 832;
constexpr int32_t kFirstKind = 1300;  // "Note" .. "User bytes": 1300..1306
constexpr int32_t kSysEx = 1307;
constexpr int32_t kUserBytes = 1308;
constexpr int32_t kKey = 1205;  // each number edit follows its up-down (id - 1)
constexpr int32_t kVelocity = 1211;
constexpr int32_t kPressure = 1217;
constexpr int32_t kControlNumber = 1229;
constexpr int32_t kControlAmount = 1235;  // signed
constexpr int32_t kPatch = 1241;
constexpr int32_t kChannelPressure = 1253;
constexpr int32_t kPitchWheel = 1265;  // signed
constexpr int32_t kLogo = 998;
}  // namespace midi_message_dialog

namespace transition_dialog {
constexpr int32_t kDialog = 853;
constexpr int32_t kLinear = 1203;
constexpr int32_t kEnvelope = 1204;
constexpr int32_t kStart = 1318;
constexpr int32_t kFinal = 1320;
constexpr int32_t kScale = 1212;
constexpr int32_t kInterval = 1322;
constexpr int32_t kEditEnvelope = 1210;
constexpr int32_t kLogo = 998;
}  // namespace transition_dialog

namespace output_dialog {
constexpr int32_t kDialog = 838;
constexpr int32_t kVoices = 1231;
constexpr int32_t kTimbres = 1232;
constexpr int32_t kFirstMode = 1202;        // destination modes 0..6: 1202..1208
constexpr int32_t kFirstThisMask = 1214;    // "1".."4": 1214..1217
constexpr int32_t kFirstRemoteMask = 1219;  // "1".."4": 1219..1222
constexpr int32_t kRemoteStaff = 1212;
constexpr int32_t kLogo = 998;
}  // namespace output_dialog

namespace midi_value_dialog {
constexpr int32_t kDialog = 837;
constexpr int32_t kNames = 1103;
constexpr int32_t kValue = 1108;
}  // namespace midi_value_dialog

// The labels of the message kinds 0..6 and of a system-exclusive message.
const char* MidiKindLabel(int kind, bool systemExclusive);

// Adds the five templates to `bundle`; entries the bundle already has are kept.
void AddMidiActionDialogResources(sys::ResourceBundle& bundle);
// Adds them to the registered program bundle (creating it when none is set).
void RegisterMidiActionDialogResources();

}  // namespace ql
