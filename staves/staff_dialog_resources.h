// The program's own templates of the staff-management dialogs, "Staff Management"
// (851), "Unhide Staves" (855), "Staff MIDI Setup" (831) and "Transpose" (857), with
// their control ids and the string ids of their texts. Registered into the
// program's bundle at start-up (a language bundle may replace them).
#pragma once

#include <cstdint>

#include "platform/sys/resources.h"

namespace ql {

// Texts the staff dialogs show (the program's string table holds them).
constexpr int32_t kStrNone = 54;
constexpr int32_t kStrStaff = 300;
constexpr int32_t kStrUsePageView = 1035;
constexpr int32_t kStrDeleteStaffAnyway = 1131;
constexpr int32_t kStrPerfect = 1133;
constexpr int32_t kStrDiminished = 1134;
constexpr int32_t kStrMajor = 1135;
constexpr int32_t kStrMinor = 1136;
constexpr int32_t kStrStaffSizeRange = 1345;
// The header of a staff in the dialogs: "Staff" and the number.
constexpr char kStaffHeaderFormat[] = "%s %2d";
constexpr char kNoStaffLabel[] = "No Staff Label";

namespace staff_management_dialog {
constexpr int32_t kStaffManagementDialog = 851;
constexpr int32_t kHeader = 1103;
constexpr int32_t kLabel = 1104;
constexpr int32_t kHideStaff = 1204;
constexpr int32_t kHideClef = 1203;
constexpr int32_t kHideTime = 1207;
constexpr int32_t kHideKey = 1205;
constexpr int32_t kHideName = 1211;
constexpr int32_t kThisStaffOnly = 1213;
constexpr int32_t kAllStavesInSystem = 1214;
constexpr int32_t kThisSystemOnly = 1218;
constexpr int32_t kAllSystemsOnPage = 1215;
constexpr int32_t kThisPageOnly = 1216;
constexpr int32_t kThisPageToEnd = 1217;
constexpr int32_t kStaffSize = 2132;
constexpr int32_t kLines = 1220;
constexpr int32_t kLinesSpin = 1219;
constexpr int32_t kOssia = 2127;
constexpr int32_t kToStaffAbove = 2128;
constexpr int32_t kConnectStaves = 2129;
constexpr int32_t kMidiSetup = 1111;
constexpr int32_t kUnhide = 1206;
constexpr int32_t kTranspose = 1209;
}  // namespace staff_management_dialog

namespace unhide_staves_dialog {
constexpr int32_t kUnhideStavesDialog = 855;
constexpr int32_t kUnhideAll = 1204;
constexpr int32_t kUnhideOne = 1205;
constexpr int32_t kHiddenStaves = 1202;
}  // namespace unhide_staves_dialog

namespace staff_midi_dialog {
constexpr int32_t kStaffMidiDialog = 831;
constexpr int32_t kHeader = 1154;
constexpr int32_t kLabel = 1153;
constexpr int kTimbres = 4;
// Timbre t (0..3) uses these ids + 2t; each edit's up-down is the id before it.
constexpr int32_t kFirstChannel = 1115;
constexpr int32_t kFirstPatch = 1123;
constexpr int32_t kFirstPort = 1156;
constexpr int32_t kIdStep = 2;
constexpr int32_t kFirstPatchCombo = 1300;  // + t
constexpr int32_t kFirstInitial = 1131;     // + 2t
constexpr int32_t kVelocity = 1164;
constexpr int32_t kVelocitySpin = 1163;
constexpr int32_t kOffsetZero = 1203;
constexpr int32_t kOffsetOne = 1204;
constexpr int32_t kReset = 1100;
}  // namespace staff_midi_dialog

namespace staff_transpose_dialog {
constexpr int32_t kStaffTransposeDialog = 857;
constexpr int32_t kHeader = 1138;
constexpr int32_t kLabel = 1139;
constexpr int32_t kDirectionNone = 1140;  // 1140..1142: None, Up, Down
constexpr int32_t kDirectionDown = 1142;
constexpr int32_t kQualityPlain = 1143;  // "Perfect" or "Major"
constexpr int32_t kQualityLowered = 1144;  // "Diminished" or "Minor"
constexpr int32_t kFirstInterval = 1145;  // 1145..1151: Second..Octave
constexpr int32_t kLastInterval = 1151;
constexpr int32_t kOctaves = 1152;
constexpr int32_t kForPlayback = 1201;
constexpr int32_t kForParts = 1202;
constexpr int32_t kMinorKey = 1204;
}  // namespace staff_transpose_dialog

// Adds the templates to `bundle`; entries the bundle already has are kept.
void AddStaffDialogResources(sys::ResourceBundle& bundle);
// Adds them to the registered program bundle (creating it when none is set).
void RegisterStaffDialogResources();

}  // namespace ql
