// The program's own templates of the page dialogs, "Insert Pages" (822), "Delete
// Pages" (814) and "Set Page Number" (885), and of the navigation dialogs "Go to
// Page" (821), "Go to Measure" (820) and "Find Measure and/or Page" (886), with their
// control ids. Registered into the program's bundle at start-up.
#pragma once

#include <cstdint>

#include "platform/sys/resources.h"

namespace ql {

namespace insert_pages_dialog {
constexpr int32_t kInsertPagesDialog = 822;
constexpr int32_t kCountSpin = 1107;
constexpr int32_t kCount = 1108;
constexpr int32_t kBefore = 1109;
constexpr int32_t kAfter = 1110;
constexpr int32_t kHelpId = 1153;
}  // namespace insert_pages_dialog

namespace delete_pages_dialog {
constexpr int32_t kDeletePagesDialog = 814;
constexpr int32_t kFirst = 1108;
constexpr int32_t kThroughSpin = 1109;
constexpr int32_t kThrough = 1110;
constexpr int32_t kHelpId = 1154;
}  // namespace delete_pages_dialog

namespace page_number_dialog {
constexpr int32_t kSetPageNumberDialog = 885;
constexpr int32_t kNumber = 2079;
constexpr int32_t kToEnd = 2081;
constexpr int32_t kToNextSetting = 2082;
constexpr int32_t kToNumber = 2096;
constexpr int32_t kToNumberEdit = 2099;
constexpr int32_t kHelpId = 1800;
}  // namespace page_number_dialog

namespace go_to_page_dialog {
constexpr int32_t kGoToPageDialog = 821;
constexpr int32_t kSpin = 1107;
constexpr int32_t kNumber = 1108;
constexpr int32_t kRange = 3164;
}  // namespace go_to_page_dialog

namespace go_to_measure_dialog {
constexpr int32_t kGoToMeasureDialog = 820;
constexpr int32_t kSpin = 1107;
constexpr int32_t kNumber = 1108;
constexpr int32_t kRange = 3165;
}  // namespace go_to_measure_dialog

namespace find_dialog {
constexpr int32_t kFindDialog = 886;
constexpr int32_t kPageSpin = 2136;
constexpr int32_t kPage = 2137;
constexpr int32_t kMeasureSpin = 2138;
constexpr int32_t kMeasure = 2139;
constexpr int32_t kMeasureBox = 2140;
constexpr int32_t kPageBox = 2141;
constexpr int32_t kMeasureRange = 3166;
constexpr int32_t kPageRange = 3167;
constexpr int32_t kHelpId = 2100;
}  // namespace find_dialog

// Texts of the navigation dialogs and of the scroll bars' thumb readout.
constexpr int32_t kStrPagePosition = 1032;
constexpr int32_t kStrScrollToMeasure = 1033;
constexpr int32_t kStrOutOfRange = 1067;
// The page unit's name: kStrInches + unit ("Inches", "Centimeters").
constexpr int32_t kStrInches = 32;
constexpr int32_t kStrCentimeters = 33;

// Help context of the Go to dialogs.
constexpr int32_t kGoToHelpId = 1058;

// Adds the templates to `bundle`; entries the bundle already has are kept.
void AddPageDialogResources(sys::ResourceBundle& bundle);
// Adds them to the registered program bundle (creating it when none is set).
void RegisterPageDialogResources();

}  // namespace ql
