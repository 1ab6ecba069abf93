// The program's own templates of the note dialogs, with their control ids: "Note
// Settings" (827), the performance and display attributes of one note, and
// "Accidental Interpretation" (893), the spelling preferences of the five black-key
// intervals for major and minor keys. Registered into the program's bundle at start-up
// (a language bundle may replace it).
#pragma once

#include <cstdint>

#include "platform/sys/resources.h"

namespace ql {

namespace accidental_interpretation_dialog {
constexpr int32_t kDialogId = 893;
// Radio pairs, sharp ("Aug") then flat ("Min", "Dim" for the tritone), one pair per
// edited interval: major 1200/1201, 1210/1211 .. 1240/1241, minor 1300/1301 ..
constexpr int32_t kFirstMajorRadio = 1200;
constexpr int32_t kFirstMinorRadio = 1300;
constexpr int32_t kRadioPairStride = 10;
constexpr int32_t kFlatOffset = 1;
constexpr int kEditedIntervalCount = 5;
inline constexpr int kEditedIntervals[kEditedIntervalCount] = {1, 3, 6, 8, 10};
constexpr int32_t kPicture = 2226;
constexpr int32_t kReset = 1102;
// The sharp radio of an interval's row (0..4) in a mode.
constexpr int32_t SharpRadio(bool minor, int row) {
    return (minor ? kFirstMinorRadio : kFirstMajorRadio) + kRadioPairStride * row;
}
constexpr int32_t FlatRadio(bool minor, int row) {
    return SharpRadio(minor, row) + kFlatOffset;
}
}  // namespace accidental_interpretation_dialog

namespace note_settings_dialog {
constexpr int32_t kDialogId = 827;
constexpr int32_t kStaccato = 1122;
constexpr int32_t kLegato = 1123;
constexpr int32_t kCrossStaff = 1128;
constexpr int32_t kHideSound = 1129;
constexpr int32_t kHideStem = 1201;
constexpr int32_t kHideHead = 1202;
// Each number edit has its scroll bar at the id below it.
constexpr int32_t kTimbreBar = 1131;
constexpr int32_t kTimbre = 1132;
constexpr int32_t kVelocityBar = 1133;
constexpr int32_t kVelocity = 1134;
constexpr int32_t kAttackBar = 1135;
constexpr int32_t kAttack = 1136;
constexpr int32_t kReleaseBar = 1137;
constexpr int32_t kRelease = 1138;
constexpr int32_t kAttackRange = 1139;   // "(%d - %d)"
constexpr int32_t kReleaseRange = 1140;  // "(%d - %d)"
constexpr int32_t kDurationName = 1206;
constexpr int32_t kLogo = 998;
constexpr int32_t kHelpId = 1532;
}  // namespace note_settings_dialog

// Adds these templates to `bundle`; entries the bundle already has are kept.
void AddNoteDialogResources(sys::ResourceBundle& bundle);
// Adds them to the registered program bundle (creating it when none is set).
void RegisterNoteDialogResources();

}  // namespace ql
