// The program's own templates of the "Key Selection" (823) and "Clef Selection"
// (810) dialogs and of the staff value dialog (808, the channel of a staff), with
// their control ids. Registered into the program's bundle at start-up (a language bundle may
// replace it).
#pragma once

#include <cstdint>

#include "platform/sys/resources.h"

namespace ql {

namespace key_dialog {
constexpr int32_t kKeySelectionDialog = 823;
constexpr int32_t kFirstKeyButton = 1105;  // 1105 + key code, "CF" .. "CS"
constexpr int32_t kLastKeyButton = 1119;
constexpr int32_t kKeyLabel = 122;  // "Key of C"
constexpr int32_t kMajor = 2223;
constexpr int32_t kMinor = 2224;
constexpr int32_t kFromMeasureStart = 1200;
constexpr int32_t kWithinMeasure = 1201;
constexpr int32_t kUpToFirstChange = 1130;
constexpr int32_t kThisMeasureOnly = 1131;
constexpr int32_t kToEndOfPiece = 1132;
constexpr int32_t kThroughMeasure = 1133;
constexpr int32_t kThroughNumber = 1134;
constexpr int32_t kMeasurePlus = 1135;
constexpr int32_t kPlusCount = 1136;
constexpr int32_t kKeepPitches = 1137;
constexpr int32_t kTranspose = 1141;
constexpr int32_t kUp = 1213;
constexpr int32_t kDown = 1214;
constexpr int32_t kAllStaves = 1215;
constexpr int32_t kChordSymbols = 2113;
}  // namespace key_dialog

namespace clef_dialog {
constexpr int32_t kClefSelectionDialog = 810;
constexpr int32_t kFromMeasureStart = 1500;
constexpr int32_t kWithinMeasure = 1501;
constexpr int32_t kToEndOfPiece = 1132;
constexpr int32_t kThroughMeasure = 1133;
constexpr int32_t kThroughNumber = 1134;
constexpr int32_t kMeasurePlus = 1135;
constexpr int32_t kPlusCount = 1136;
constexpr int32_t kMoveNotes = 1138;
constexpr int32_t kUp = 1139;
constexpr int32_t kDown = 1140;
constexpr int32_t kSteps = 1142;
constexpr int32_t kUpToFirstChange = 1143;
constexpr int32_t kThisMeasureOnly = 1144;
constexpr int32_t kTranspose = 1441;
// The group buttons and, in the same order (G, F, C, Other), their scroll bars and
// the statics naming their current members.
constexpr int32_t kGroupButtons[4] = {1120, 1123, 1121, 1125};
constexpr int32_t kGroupScrolls[4] = {2244, 2241, 2232, 2242};
constexpr int32_t kGroupNames[4] = {2239, 2238, 2240, 2234};
// Beside each group button and its scroll bar, the picture of the group's current
// member on a staff (owner-drawn; a click on it chooses the group as the button does).
constexpr int32_t kGroupPictures[4] = {1601, 1602, 1603, 1604};
}  // namespace clef_dialog

namespace staff_value_dialog {
constexpr int32_t kStaffValueDialog = 808;
constexpr int32_t kValue = 1108;
constexpr int32_t kValueSpin = 1107;
}  // namespace staff_value_dialog

// Adds the templates to `bundle`; entries the bundle already has are kept.
void AddSignatureDialogResources(sys::ResourceBundle& bundle);
// Adds it to the registered program bundle (creating it when none is set).
void RegisterSignatureDialogResources();

}  // namespace ql
