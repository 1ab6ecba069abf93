// The frame's own commands on program settings: the formatting mode (shown in the
// status bar), the toolbars' button size, key cancels, the spacing and stem modes, tooltips, the part
// extraction switches, smooth display, the text size reference, and the help
// viewer's three entries.
#pragma once

#include <cstdint>

#include "platform/handles.h"

namespace ql {

namespace frame_cmd {
constexpr int32_t kSmallToolbars = 3009;
constexpr int32_t kRelativeFormatting = 40180;
constexpr int32_t kAbsoluteFormatting = 40181;
constexpr int32_t kKeyCancel = 40194;
constexpr int32_t kFirstSpacingMode = 40434;  // none, proportional, engraver
constexpr int32_t kLastSpacingMode = 40436;
constexpr int32_t kFirstStemMode = 40437;  // float, up, down
constexpr int32_t kLastStemMode = 40439;
constexpr int32_t kDisplayTooltips = 42008;
constexpr int32_t kAutoMultiMeasureRests = 42059;
constexpr int32_t kAutoLastBar = 42061;
constexpr int32_t kSmoothDisplay = 42084;
constexpr int32_t kTextSizeReference = 42230;  // "Use Default Printer as Text Size Reference"
constexpr int32_t kHelpContents = 57666;
constexpr int32_t kHelpSearch = 57667;
constexpr int32_t kHelpOnHelp = 57668;
}  // namespace frame_cmd

// The status-bar texts of the two formatting modes.
constexpr int32_t kStrAbsoluteFormatting = 718;
constexpr int32_t kStrRelativeFormatting = 719;

// Runs one of the commands above for the frame `window`; false for any other.
bool RunFrameOptionCommand(platform::WindowHandle window, int32_t command);

}  // namespace ql
