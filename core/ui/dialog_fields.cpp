// Spin fields, the decimal stepper and the fixed-point texts of the dialogs.
// Numbers are read over a bounded copy of the field or digit by digit with the
// integer part saturated, so no text a user can type overflows a buffer or a
// number. A 128ths text and its value round-trip exactly, negative ones included.
#include "core/ui/dialog_fields.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <string>

#include "core/core_strings.h"
#include "core/error_report.h"
#include "core/units/paper_table.h"
#include "core/model/score_document.h"
#include "core/ui/status_bar.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"

namespace ql {
namespace {

constexpr int32_t kSpinBase = 10;
constexpr int kFixed128One = 128;
constexpr int kFixed160One = 160;
constexpr int kHundredths = 100;
constexpr int kTenths = 10;
constexpr int kFractionDigitsCounted = 2;
// A 128th is 0.0078125 and a 160th 0.00625: three decimals always name either,
// two often do.
constexpr int kFixedLongDigits = 3;
// Fraction digits a fixed-point text keeps: 1/128 has seven decimals and half of
// it eight, so rounding to the nearest 128th is exact; later digits only ever lie
// beyond a half that the rounding already takes upward.
constexpr int kFractionDigitsRead = 9;
// Bit 0 of an up-down id chooses the decimal stepper's half.
constexpr int32_t kDecimalIntegerEditOffset = 2;
constexpr int32_t kDecimalHundredthsEditOffset = 1;
// Integer parts are kept within this magnitude so that no product overflows.
constexpr int64_t kLargestInteger = 1'000'000'000;

void BeepAtLimit() {
    PlayAlertBeep(ui::kBoxIconStop);
}

int32_t ReadEditValue(platform::WindowHandle dialog, int32_t upDown) {
    return ui::GetItemInt(dialog, upDown + 1).value_or(0);
}

// One step from the edit's value; a field already at the end of the 32-bit range
// stays there instead of wrapping.
int32_t SteppedValue(int32_t value, bool down) {
    int64_t stepped = static_cast<int64_t>(value) + (down ? -1 : 1);
    return static_cast<int32_t>(std::clamp<int64_t>(stepped, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

// "integer.fraction" split at the first '.' or ','; the integer part defaults to 0.
struct DecimalText {
    int64_t integer = 0;
    std::string fraction;  // as typed, possibly empty
};

DecimalText SplitDecimalText(std::string_view text) {
    DecimalText result;
    size_t start = text.find_first_not_of(' ');
    if (start == std::string_view::npos) return result;
    text.remove_prefix(start);
    size_t point = text.find_first_of(".,");
    std::string_view integerPart = text.substr(0, point);
    if (!integerPart.empty()) {
        const char* first = integerPart.data();
        if (*first == '+') ++first;
        int64_t value = 0;
        auto [end, error] = std::from_chars(first, integerPart.data() + integerPart.size(), value);
        if (error == std::errc())
            result.integer = std::clamp(value, -kLargestInteger, kLargestInteger);
        // A number followed by other text keeps its number ("%d" reads no further),
        // and the fraction is read only when the point follows the digits at once.
        if (error != std::errc() || end != integerPart.data() + integerPart.size()) return result;
    }
    if (point != std::string_view::npos) {
        std::string_view rest = text.substr(point + 1);
        size_t blank = rest.find(' ');
        result.fraction = std::string(rest.substr(0, blank));
    }
    return result;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

int64_t PowerOfTen(int exponent) {
    int64_t power = 1;
    for (int i = 0; i < exponent; ++i) power *= kTenths;
    return power;
}

// A fixed-point text as typed: "[blanks][sign]integer[.fraction]" or
// "[sign].fraction", ',' taken as the point too. The integer part saturates at
// kLargestInteger however many digits it has; of the fraction the first
// kFractionDigitsRead digits are kept. Reading stops at the first character that
// does not fit, so "5x.5" is 5 and text that is no number is 0.
struct FixedText {
    bool negative = false;
    int64_t integer = 0;
    int64_t fraction = 0;  // the fraction digits kept, as a whole number
    int fractionDigits = 0;
};

FixedText ReadFixedText(std::string_view text) {
    FixedText read;
    size_t i = text.find_first_not_of(' ');
    if (i == std::string_view::npos) return read;
    if (text[i] == '-' || text[i] == '+') read.negative = text[i++] == '-';
    for (; i < text.size() && IsDigit(text[i]); ++i)
        read.integer = std::min(read.integer * kTenths + (text[i] - '0'), kLargestInteger);
    if (i == text.size() || (text[i] != '.' && text[i] != ',')) return read;
    for (++i; i < text.size() && IsDigit(text[i]); ++i) {
        if (read.fractionDigits == kFractionDigitsRead) continue;
        read.fraction = read.fraction * kTenths + (text[i] - '0');
        ++read.fractionDigits;
    }
    return read;
}

// digits / 10^count of a unit, in 1/one of the unit, to the nearest (halves up).
int64_t DecimalToUnits(int64_t digits, int count, int one) {
    int64_t scale = PowerOfTen(count);
    return (digits * one * 2 + scale) / (scale * 2);
}

// units / one of a unit as `count` decimal digits, to the nearest (halves up).
int64_t UnitsToDecimal(int64_t units, int count, int one) {
    return (units * PowerOfTen(count) * 2 + one) / (one * 2);
}

// The fraction `units` / `one` as decimal digits to the nearest: two where they
// read back as the same units, three elsewhere (one unit is at least 6.25
// thousandths for both fields, so three always do).
struct FixedDigits {
    int64_t value = 0;
    int count = 0;
};

FixedDigits FractionDigitsOf(int units, int one) {
    FixedDigits digits{UnitsToDecimal(units, kFractionDigitsCounted, one), kFractionDigitsCounted};
    if (DecimalToUnits(digits.value, digits.count, one) != units) {
        digits.count = kFixedLongDigits;
        digits.value = UnitsToDecimal(units, digits.count, one);
    }
    return digits;
}

// A value outside the field's range clamps to the range with the stop beep.
template <typename Field>
Field ClampToField(int64_t value) {
    int64_t clamped = std::clamp<int64_t>(value, std::numeric_limits<Field>::min(),
                                          std::numeric_limits<Field>::max());
    if (clamped != value) BeepAtLimit();
    return static_cast<Field>(clamped);
}

}  // namespace

platform::WindowHandle SetupSpinControl(platform::WindowHandle dialog, int32_t editId,
                                        int32_t lower, int32_t upper, int32_t position,
                                        bool focus) {
    platform::WindowHandle upDown = ui::GetDialogItem(dialog, editId - 1);
    ui::SetUpDownBase(upDown, kSpinBase);
    ui::SetUpDownRange(upDown, lower, upper);
    ui::SetUpDownPosition(upDown, position);
    ui::SetItemInt(dialog, editId, position, false);
    platform::WindowHandle edit = ui::GetDialogItem(dialog, editId);
    ui::SelectAllEditText(edit);
    if (focus) win::SetFocus(edit);
    return edit;
}

int32_t ClampEditValue(platform::WindowHandle dialog, int32_t upDown, bool down, int32_t minimum,
                       bool minimumInvalid, int32_t maximum) {
    int32_t value = SteppedValue(ReadEditValue(dialog, upDown), down);
    if (value > maximum) {
        BeepAtLimit();
        return maximum;
    }
    SetStatusText(0, "");
    if (minimumInvalid && value == minimum) {
        BeepAtLimit();
        ui::SetItemInt(dialog, upDown + 1, value);
        SetStatusText(0, ProgramString(kStrInvalidValue).c_str());
        return value;
    }
    if (value >= minimum) {
        ui::SetItemInt(dialog, upDown + 1, value);
        return value;
    }
    BeepAtLimit();
    return minimum;
}

int32_t StepEditValue(platform::WindowHandle dialog, int32_t upDown, bool down) {
    int32_t value = SteppedValue(ReadEditValue(dialog, upDown), down);
    ui::SetItemInt(dialog, upDown + 1, value);
    return value;
}

int32_t ClampEditNonNegative(platform::WindowHandle dialog, int32_t upDown, bool down) {
    return StepFieldNonNegative(dialog, upDown + 1, down);
}

int32_t StepFieldNonNegative(platform::WindowHandle dialog, int32_t editId, bool down) {
    int32_t value = SteppedValue(ui::GetItemInt(dialog, editId).value_or(0), down);
    if (value < 0) {
        BeepAtLimit();
        value = 0;
    }
    ui::SetItemInt(dialog, editId, value);
    return value;
}

int32_t ParseDecimalEdit(platform::WindowHandle dialog, int32_t upDown, bool down) {
    bool integerStepper = (upDown % 2) == 0;
    int32_t editId =
        upDown + (integerStepper ? kDecimalIntegerEditOffset : kDecimalHundredthsEditOffset);
    platform::WindowHandle edit = ui::GetDialogItem(dialog, editId);
    if (!edit) return -1;
    std::string text = ui::GetItemText(dialog, editId);
    if (text.size() > kDecimalEditChars) text.resize(kDecimalEditChars);
    DecimalText parts = SplitDecimalText(text);
    int64_t integer =
        std::clamp<int64_t>(parts.integer, 0, std::numeric_limits<int32_t>::max() - 1);
    // Missing digits read as 0 ("5" is 5.00, "5.3" is 5.30); only two digits count.
    int fraction = 0;
    for (int i = 0; i < kFractionDigitsCounted; ++i) {
        char c = i < static_cast<int>(parts.fraction.size()) ? parts.fraction[i] : '0';
        fraction = fraction * kTenths + ((c >= '0' && c <= '9') ? c - '0' : 0);
    }
    if (integerStepper) {
        int64_t stepped = down ? integer - 1 : integer + 1;
        if (stepped < 0) return static_cast<int32_t>(integer * kHundredths + fraction);
        integer = stepped;
    } else if (!down) {
        if (++fraction == kHundredths) {
            fraction = 0;
            ++integer;
        }
    } else if (fraction > 0) {
        --fraction;
    } else if (integer >= 1) {
        --integer;
        fraction = kHundredths - 1;
    }
    char out[kFixedTextBytes * 2];
    std::snprintf(out, sizeof out, "%lld.%02d", static_cast<long long>(integer), fraction);
    ui::SetItemText(dialog, editId, out);
    win::InvalidateRect(edit, nullptr, true);
    return static_cast<int32_t>(
        std::min<int64_t>(integer * kHundredths + fraction, std::numeric_limits<int32_t>::max()));
}

int EnableDlgControls(platform::WindowHandle dialog, bool enable,
                      std::initializer_list<int32_t> ids) {
    int set = 0;
    for (int32_t id : ids) {
        if (!ui::EnableItem(dialog, id, enable)) break;
        ++set;
    }
    return set;
}

const char* FormatFixed128(int16_t value, char* buffer, size_t size) {
    int magnitude = std::abs(static_cast<int>(value));
    FixedDigits digits = FractionDigitsOf(magnitude % kFixed128One, kFixed128One);
    std::snprintf(buffer, size, "%s%d.%0*lld", value < 0 ? "-" : "", magnitude / kFixed128One,
                  digits.count, static_cast<long long>(digits.value));
    return buffer;
}

const char* FormatFixed160(uint16_t value, char* buffer, size_t size) {
    int integer = value / kFixed160One;
    FixedDigits digits = FractionDigitsOf(value % kFixed160One, kFixed160One);
    if (integer != 0) {
        std::snprintf(buffer, size, "%d.%0*lld", integer, digits.count,
                      static_cast<long long>(digits.value));
    } else {
        std::snprintf(buffer, size, ".%0*lld", digits.count, static_cast<long long>(digits.value));
    }
    return buffer;
}

int16_t ParseFixed128(std::string_view text) {
    FixedText read = ReadFixedText(text);
    int64_t magnitude = read.integer * kFixed128One +
                        DecimalToUnits(read.fraction, read.fractionDigits, kFixed128One);
    return ClampToField<int16_t>(read.negative ? -magnitude : magnitude);
}

uint16_t ParseFixed160(std::string_view text) {
    FixedText read = ReadFixedText(text);
    int64_t magnitude = read.integer * kFixed160One +
                        DecimalToUnits(read.fraction, read.fractionDigits, kFixed160One);
    return ClampToField<uint16_t>(read.negative ? -magnitude : magnitude);
}

void PaperIndexFromFileCode(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return;
    PageRecord& page = view->document->header.pageGeometry;
    for (const PaperRow& row : PaperTable) {
        if (row.fileCode == page.paperKind) {
            page.paperKind = row.index;
            return;
        }
    }
    constexpr uint8_t kMetricDefault = 4;  // A4
    constexpr uint8_t kInchDefault = 0;    // Letter
    page.paperKind = page.unit == kPaperUnitCentimetres ? kMetricDefault : kInchDefault;
}

uint8_t PaperUnitOf(PageRecord* record) {
    const PaperRow& row = PaperRowOf(record->paperKind);
    if (row.index == kUserPaperIndex) return record->unit;
    record->unit = row.unit;
    return record->unit;
}

}  // namespace ql
