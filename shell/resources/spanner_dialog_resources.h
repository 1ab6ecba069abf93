// The program's own templates of the "Measure End" (856), "Repeat Ending" (859) and
// "Octave" (864) dialogs, with their control ids. Registered into the program's bundle at start-up (a language bundle may
// replace it).
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
constexpr int32_t kLabelPreview = 1315;
constexpr int32_t kPlacementNote = 122;
constexpr uint32_t kRepeatEndingHelp = 1353;
constexpr int32_t kMeasureEndDialog = 856;
constexpr int32_t kOctaveDialog = 864;
constexpr int32_t kBracketDashed = 1104;
constexpr int32_t kOctaveAbove = 1302;
constexpr int32_t kOctaveBelow = 1303;
constexpr uint32_t kMeasureEndHelp = 1000;
constexpr uint32_t kOctaveHelp = 1362;
}  // namespace spanner_dialog

// Adds the templates to `bundle`; entries the bundle already has are kept.
void AddSpannerDialogResources(sys::ResourceBundle& bundle);

// Adds them to the registered program bundle (creating it when none is set).
void RegisterSpannerDialogResources();

}  // namespace ql
