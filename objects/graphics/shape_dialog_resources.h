// The program's own templates of the graphic-object dialogs: "Box Attributes" (804),
// "Ellipse Attributes" (809), "Line Attributes" (825) and "Picture" (891), with their
// control ids.
// Registered into the program's bundle at start-up (a language bundle may replace
// any of them).
#pragma once

#include <cstdint>

#include "platform/sys/resources.h"

namespace ql {

namespace shape_dialog {
constexpr int32_t kBoxDialog = 804;
constexpr int32_t kCircleDialog = 809;
constexpr int32_t kLineDialog = 825;
constexpr int32_t kFrameBlack = 1311;
constexpr int32_t kFrameWhite = 1312;
constexpr int32_t kInteriorBlack = 1313;
constexpr int32_t kInteriorWhite = 1314;
constexpr int32_t kInteriorNone = 1315;
constexpr int32_t kFirstWidth = 1316;  // 1316..1319: width codes 0..3
constexpr int32_t kLastWidth = 1319;
constexpr int32_t kSpecified = 1321;
constexpr int32_t kBoxWidthEdit = 1324;     // also the line's
constexpr int32_t kCircleWidthEdit = 1323;
constexpr int32_t kDegrees = 107;
constexpr int32_t kLogo = 998;
constexpr uint32_t kHelpContext = 1365;
}  // namespace shape_dialog

namespace picture_dialog {
constexpr int32_t kDialog = 891;
constexpr int32_t kKeepRatio = 2190;
constexpr int32_t kOpaque = 2192;
constexpr int32_t kColour = 3079;
constexpr int32_t kBlackAndWhite = 3080;
constexpr uint32_t kHelpContext = 2400;
}  // namespace picture_dialog

// Adds the four templates to `bundle`; entries the bundle already has are kept.
void AddShapeDialogResources(sys::ResourceBundle& bundle);

// Adds them to the registered program bundle (creating it when none is set).
void RegisterShapeDialogResources();

}  // namespace ql
