// The frame's setting commands (see frame_option_commands.h).
#include "shell/program/frame_option_commands.h"

#include "core/core_strings.h"
#include "core/model/view.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/text/charset_text.h"
#include "core/ui/help.h"
#include "core/ui/status_bar.h"
#include "display/linked_views.h"
#include "display/painter.h"
#include "shell/options/toolbar_options_dialogs.h"

namespace ql {
namespace {

constexpr int kFormattingStatusPart = 2;
constexpr uint8_t kRelative = 1;
constexpr uint8_t kAbsolute = 2;
// "KeyCancel": the naturals cancelling a key stand left of the barline (1) or right
// of it (2); the layout reads the same byte.
constexpr uint8_t kCancelLeftOfBar = 1;
constexpr uint8_t kCancelRightOfBar = 2;

void Flip(uint8_t& flag) {
    flag = flag != 0 ? 0 : 1;
}

// A formatting mode chosen again is turned off; another one is shown in the
// status bar.
void ChooseFormattingMode(uint8_t mode, int32_t text) {
    uint8_t& current = State().layout.FormattingMode;
    if (current == mode) {
        current = 0;
        SetStatusText(kFormattingStatusPart, "");
        return;
    }
    current = mode;
    SetStatusText(kFormattingStatusPart, ProgramString(text).c_str());
}

// Measuring text on a context made like the default printer's, or on the context
// drawn on: the old reference context always goes, a new one is made when the mode
// was off (the mode stays off when none can be made), and the score is drawn again.
void ToggleTextSizeReference() {
    const bool wasOn = State().display.TextSpacingRef != 0;
    ReleaseCharsetText();
    if (!wasOn) SetMeasuringMode(MeasuringMode::Reference);
    ScoreView* view = GetActiveScoreView();
    if (view == nullptr) return;
    RedrawLinkedViews(view);
    InvalidateLinkedViews(view);
}

}  // namespace

bool RunFrameOptionCommand(platform::WindowHandle window, int32_t command) {
    using namespace frame_cmd;
    if (command >= kFirstSpacingMode && command <= kLastSpacingMode) {
        State().layout.SpacingMode = static_cast<uint8_t>(command - kFirstSpacingMode);
        return true;
    }
    if (command >= kFirstStemMode && command <= kLastStemMode) {
        State().notes.StemMode = static_cast<uint8_t>(command - kFirstStemMode);
        return true;
    }
    switch (command) {
        case kRelativeFormatting: ChooseFormattingMode(kRelative, kStrRelativeFormatting); return true;
        case kAbsoluteFormatting: ChooseFormattingMode(kAbsolute, kStrAbsoluteFormatting); return true;
        case kKeyCancel:
        {
            uint8_t& cancel = State().notes.KeyCancelLeftOfBar;
            cancel = cancel == kCancelLeftOfBar ? kCancelRightOfBar : kCancelLeftOfBar;
            return true;
        }
        case kSmallToolbars: ToggleSmallToolbars(); return true;
        case kDisplayTooltips: Flip(Options().UseToolTips); return true;
        case kAutoMultiMeasureRests: Flip(Options().AutoMMR); return true;
        case kAutoLastBar: Flip(Options().AutoLastBar); return true;
        case kSmoothDisplay:
            Flip(Options().SmoothScreen);
            ReleaseSmoothPaint(Options().SmoothScreen == 0);
            return true;
        case kTextSizeReference: ToggleTextSizeReference(); return true;
        case kHelpContents: ShowHelpContents(window, nullptr); return true;
        case kHelpSearch: ShowHelpPartialKey(window, "", nullptr); return true;
        case kHelpOnHelp: ShowHelpOnHelp(window, nullptr); return true;
        default: return false;
    }
}

}  // namespace ql
