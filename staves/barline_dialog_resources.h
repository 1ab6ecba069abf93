// The program's own templates of the barline and measure dialogs: "Barlines" (883),
// "Hide Measure Objects" (882), "Set Measure Number" (884), "Time Signature" (852)
// and "Multi-Measure Rest" (833), with their control ids. Registered into the
// program's bundle at start-up (a language bundle may replace any of them).
#pragma once

#include <cstdint>

#include "platform/sys/resources.h"

namespace ql {

namespace barline_dialog {
constexpr int32_t kBarlinesDialog = 883;
constexpr int32_t kBarlineTitle = 1106;        // "Bar 00"
constexpr int32_t kFirstBarlineType = 1122;    // radios 1122..1130 for types 0..8
constexpr int32_t kLastBarlineType = 1130;
constexpr int32_t kHideBarline = 1118;
constexpr int32_t kHideLeftBar = 1212;
constexpr int32_t kRepeatCount = 1211;
constexpr int32_t kThirtySeconds = 1210;
constexpr int32_t kHideObjectsButton = 2064;
constexpr int32_t kMeasureNumberButton = 2076;
}  // namespace barline_dialog

namespace hide_objects_dialog {
constexpr int32_t kHideObjectsDialog = 882;
constexpr int32_t kTitle = 1106;
constexpr int32_t kKeyChange = 1120;
constexpr int32_t kKeyCancel = 1115;
constexpr int32_t kClefChange = 1119;
constexpr int32_t kTimeChange = 1121;
constexpr int32_t kMeasureNumber = 2162;
constexpr int32_t kUpStems = 1206;
constexpr int32_t kUpStemsAux = 1207;
constexpr int32_t kDownStems = 1208;
constexpr int32_t kDownStemsAux = 1209;
constexpr int32_t kRestsUp = 1215;
constexpr int32_t kRestsDown = 1216;
constexpr int32_t kThisMeasure = 1107;
constexpr int32_t kAllMeasures = 1108;
constexpr int32_t kThisStaff = 1109;
constexpr int32_t kAllStaves = 1110;
constexpr int32_t kThisSystem = 1114;
constexpr int32_t kSystemToPageEnd = 1111;
constexpr int32_t kThisPage = 1112;
constexpr int32_t kPageToEnd = 1113;
}  // namespace hide_objects_dialog

namespace measure_number_dialog {
constexpr int32_t kMeasureNumberDialog = 884;
constexpr int32_t kNumber = 2079;
constexpr int32_t kToNextChange = 2082;
constexpr int32_t kToEnd = 2081;
constexpr int32_t kToNumber = 2096;
constexpr int32_t kToNumberEdit = 2099;
}  // namespace measure_number_dialog

namespace time_signature_dialog {
constexpr int32_t kTimeSignatureDialog = 852;
constexpr int32_t kBeatsSpin = 1105;
constexpr int32_t kBeats = 1106;
constexpr int32_t kNoteSpin = 1107;
constexpr int32_t kNoteValue = 1108;
constexpr int32_t kCommonCut = 2142;
constexpr int32_t kToFirstChange = 1109;
constexpr int32_t kThisMeasure = 1110;
constexpr int32_t kToEnd = 1111;
constexpr int32_t kMeasurePlus = 1112;
constexpr int32_t kThrough = 1113;
constexpr int32_t kPlusSpin = 1114;
constexpr int32_t kPlusCount = 1115;
constexpr int32_t kThroughSpin = 1116;
constexpr int32_t kThroughNumber = 1117;
}  // namespace time_signature_dialog

namespace rest_dialog {
constexpr int32_t kMultiMeasureRestDialog = 833;
constexpr int32_t kStartNumber = 1108;
constexpr int32_t kEndSpin = 1109;
constexpr int32_t kEndNumber = 1110;
}  // namespace rest_dialog

// Adds the five templates to `bundle`; entries the bundle already has are kept.
void AddBarlineDialogResources(sys::ResourceBundle& bundle);

// Adds them to the registered program bundle (creating it when none is set).
void RegisterBarlineDialogResources();

}  // namespace ql
