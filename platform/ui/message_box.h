// Message boxes and the alert beep.
// A box's style is the program's 32-bit word: a button set in the low 4 bits, an
// icon in bits 4-7 and the default button in bits 8-11. The results are the
// numbers the program compares (OK 1 ... No 7); a dialog's Cancel button uses 2
// as well. The headless backend answers boxes from a test's queue (ui/headless.h)
// and records every box and beep.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/handles.h"

namespace ql::ui {

using platform::WindowHandle;

// Button sets.
constexpr uint32_t kBoxOk = 0x0;
constexpr uint32_t kBoxOkCancel = 0x1;
constexpr uint32_t kBoxAbortRetryIgnore = 0x2;
constexpr uint32_t kBoxYesNoCancel = 0x3;
constexpr uint32_t kBoxYesNo = 0x4;
constexpr uint32_t kBoxRetryCancel = 0x5;
constexpr uint32_t kBoxButtonsMask = 0xF;
// Icons.
constexpr uint32_t kBoxIconStop = 0x10;  // also "error" and "hand"
constexpr uint32_t kBoxIconQuestion = 0x20;
constexpr uint32_t kBoxIconExclamation = 0x30;  // also "warning"
constexpr uint32_t kBoxIconInformation = 0x40;  // also "asterisk"
constexpr uint32_t kBoxIconMask = 0xF0;
// Default button (the first when none is given).
constexpr uint32_t kBoxDefaultButton1 = 0x000;
constexpr uint32_t kBoxDefaultButton2 = 0x100;
constexpr uint32_t kBoxDefaultButton3 = 0x200;
constexpr uint32_t kBoxDefaultMask = 0xF00;

// Results of boxes and the standard dialog buttons. A plain enum: the program
// compares these numbers with ints.
enum BoxResult : int {
    kIdOk = 1,
    kIdCancel = 2,
    kIdAbort = 3,
    kIdRetry = 4,
    kIdIgnore = 5,
    kIdYes = 6,
    kIdNo = 7,
};

// Shows a box owned by `owner` (may be null) and returns the button chosen.
// A style with an unknown button set is shown as kBoxOk.
int ShowMessageBox(WindowHandle owner, std::string_view text, std::string_view caption, uint32_t style);

// The buttons of a style's set, in the order they appear (1 to 3 results).
struct BoxButtons {
    int results[3] = {0, 0, 0};
    int count = 0;
};
BoxButtons ButtonsOfStyle(uint32_t style);

// Alert beeps, by the icon whose sound they make.
enum class BeepKind : uint32_t {
    Default = 0,
    Stop = kBoxIconStop,
    Question = kBoxIconQuestion,
    Exclamation = kBoxIconExclamation,
    Information = kBoxIconInformation,
};
void Beep(BeepKind kind);
// The beep of a box style or of an icon number the program passes (16, 32, 48,
// 64); any other number gives the default beep.
BeepKind BeepKindOfStyle(uint32_t style);

}  // namespace ql::ui
