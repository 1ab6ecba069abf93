// Message boxes and beeps, handed to the installed backend.
#include "platform/ui/message_box.h"

#include "platform/ui/backend.h"

namespace ql::ui {

BoxButtons ButtonsOfStyle(uint32_t style) {
    switch (style & kBoxButtonsMask) {
        case kBoxOkCancel:
            return BoxButtons{{kIdOk, kIdCancel, 0}, 2};
        case kBoxAbortRetryIgnore:
            return BoxButtons{{kIdAbort, kIdRetry, kIdIgnore}, 3};
        case kBoxYesNoCancel:
            return BoxButtons{{kIdYes, kIdNo, kIdCancel}, 3};
        case kBoxYesNo:
            return BoxButtons{{kIdYes, kIdNo, 0}, 2};
        case kBoxRetryCancel:
            return BoxButtons{{kIdRetry, kIdCancel, 0}, 2};
        default:
            return BoxButtons{{kIdOk, 0, 0}, 1};
    }
}

int ShowMessageBox(WindowHandle owner, std::string_view text, std::string_view caption, uint32_t style) {
    return CurrentUiBackend().ShowMessageBox(owner, text, caption, style);
}

void Beep(BeepKind kind) { CurrentUiBackend().Beep(kind); }

BeepKind BeepKindOfStyle(uint32_t style) {
    switch (style & kBoxIconMask) {
        case kBoxIconStop:
            return BeepKind::Stop;
        case kBoxIconQuestion:
            return BeepKind::Question;
        case kBoxIconExclamation:
            return BeepKind::Exclamation;
        case kBoxIconInformation:
            return BeepKind::Information;
        default:
            return BeepKind::Default;
    }
}

}  // namespace ql::ui
