// The program's own templates of the "Measure End" (856), "Repeat Ending" (859),
// "Octave" (864) and "Tuplets" (879) dialogs, with their control ids. Registered into
// the program's bundle at start-up (a language bundle may replace it).
#pragma once

#include <cstdint>

#include "platform/sys/resources.h"

namespace ql {

namespace spanner_dialog {
constexpr int32_t kRepeatEndingDialog = 859;
constexpr int32_t kDashedBracket = 1130;
constexpr int32_t kFromMeasure = 1131;
constexpr int32_t kThroughMeasure = 1132;
constexpr int32_t kFirstPass = 1133;  // 1133..1136: passes A to D
constexpr int32_t kLastPass = 1136;
constexpr int32_t kEndingSetImage = 1125;
// The up-downs beside the six number fields, in the fields' order (From, Through,
// passes A to D): 1141..1146.
constexpr int32_t kFirstNumberSpin = 1141;
constexpr int kNumberFieldCount = 6;
constexpr int32_t kLabelPreview = 1315;
constexpr int32_t kPlacementNote = 122;
constexpr uint32_t kRepeatEndingHelp = 1353;
constexpr int32_t kMeasureEndDialog = 856;
constexpr int32_t kOctaveDialog = 864;
constexpr int32_t kBracketDashed = 1104;
constexpr int32_t kBracketSetImage = 1114;
constexpr int32_t kOctaveAbove = 1302;
constexpr int32_t kOctaveBelow = 1303;
constexpr uint32_t kMeasureEndHelp = 1000;
constexpr uint32_t kOctaveHelp = 1362;
constexpr int32_t kTupletsDialog = 879;
constexpr int32_t kTupletNested = 1106;
constexpr int32_t kTupletFirstSpin = 1107;  // each number's edit is its spin's id + 1
constexpr int32_t kTupletFirst = 1108;
constexpr int32_t kTupletSecondSpin = 1109;
constexpr int32_t kTupletSecond = 1110;
constexpr int32_t kNestedFirstSpin = 1111;
constexpr int32_t kNestedFirst = 1112;
constexpr int32_t kNestedSecondSpin = 1113;
constexpr int32_t kNestedSecond = 1114;
constexpr uint32_t kTupletsHelp = 1180;
}  // namespace spanner_dialog

// Adds the templates to `bundle`; entries the bundle already has are kept.
void AddSpannerDialogResources(sys::ResourceBundle& bundle);

// Adds them to the registered program bundle (creating it when none is set).
void RegisterSpannerDialogResources();

}  // namespace ql
