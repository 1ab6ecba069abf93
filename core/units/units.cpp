// Measurement words and unit conversions (module UNITS).
// Numbers are formatted with std::to_chars, which behaves as printf in the C locale
// whatever locale the process runs in, so "%2.4g" always writes a '.'.
#include "core/units/units.h"

#include <charconv>
#include <cmath>
#include <cstring>

#include "core/core_strings.h"
#include "core/error_report.h"
#include "core/units/paper_table.h"
#include "core/model/score_document.h"
#include "core/ui/status_bar.h"

namespace ql {
namespace {

constexpr int kDistanceIntegerDigits = 2;
constexpr int kDistanceFractionDigits = 2;
constexpr int kFineIntegerDigits = 1;
constexpr int kFineFractionDigits = 3;
// The parsers read no character beyond the sixth of the text.
constexpr size_t kParseLimit = 6;
constexpr int kDistanceFormWidth = 2;  // "%2.4g"
constexpr int kFineFormWidth = 1;      // "%1.4g"
constexpr int kSignificantDigits = 4;  // the ".4" of both formats
constexpr int kNibbleBits = 4;
constexpr int kDigitsPerWord = 4;
constexpr int kMaxDecimalDigit = 9;
constexpr uint32_t kLowWordMask = 0xFFFF;
constexpr double kBcdUnitPerLogical = 1.0 / kUnitsPerBcdUnit;  // 0.0078125
constexpr double kHalf = 0.5;
constexpr double kThousandths = 1000.0;  // the fine form's step is a thousandth
// Four significant digits round anything from here up to "100", which dd.dd
// cannot hold.
constexpr double kFirstUnwritableDistance = 99.995;
constexpr int kRecordWords = 4;

// The digit of the nibble at position i (0 = most significant); nibbles above 9
// (words from damaged files) read as 9.
int DigitAt(BcdInches word, int i) {
    int nibble = (word >> ((kDigitsPerWord - 1 - i) * kNibbleBits)) & 0xF;
    return nibble > kMaxDecimalDigit ? kMaxDecimalDigit : nibble;
}

int DigitOfChar(char c) {
    return (c >= '0' && c <= '9') ? c - '0' : 0;
}

// Reads a word of integerDigits digits before the separator and the rest after it.
BcdInches ParseBcdText(const char* text, int integerDigits, int fractionDigits) {
    if (text == nullptr) return 0;
    size_t length = std::strlen(text);
    size_t separator = 0;
    while (separator < length && text[separator] != '.' && text[separator] != ',') ++separator;
    auto charAt = [&](size_t index, bool isFraction) -> int {
        if (index >= length) return 0;
        if (isFraction && index >= kParseLimit) return 0;
        return DigitOfChar(text[index]);
    };
    uint32_t word = 0;
    for (int i = integerDigits; i >= 1; --i) {
        size_t index = separator >= static_cast<size_t>(i) ? separator - i : length;
        word = (word << kNibbleBits) | static_cast<uint32_t>(charAt(index, false));
    }
    for (int i = 1; i <= fractionDigits; ++i) {
        word = (word << kNibbleBits) | static_cast<uint32_t>(charAt(separator + i, true));
    }
    return static_cast<BcdInches>(word & kLowWordMask);
}

// printf("%<width>.4g", value) in the C locale, then parsed back.
BcdInches FormatAndParse(double value, int width, int integerDigits, int fractionDigits) {
    char digits[32];
    auto result = std::to_chars(digits, digits + sizeof digits - 1, value,
                                std::chars_format::general, kSignificantDigits);
    if (result.ec != std::errc()) return 0;
    size_t length = static_cast<size_t>(result.ptr - digits);
    char padded[40];
    size_t pad = length < static_cast<size_t>(width) ? width - length : 0;
    std::memset(padded, ' ', pad);
    std::memcpy(padded + pad, digits, length);
    padded[pad + length] = '\0';
    return ParseBcdText(padded, integerDigits, fractionDigits);
}

void WriteDigits(BcdInches word, int integerDigits, bool dropLeadingZero, char* buffer,
                 size_t size) {
    if (buffer == nullptr || size == 0) return;
    char text[kBcdTextBytes];
    size_t n = 0;
    for (int i = 0; i < kDigitsPerWord; ++i) {
        if (i == integerDigits) text[n++] = '.';
        int digit = DigitAt(word, i);
        if (i == 0 && dropLeadingZero && digit == 0) continue;
        text[n++] = static_cast<char>('0' + digit);
    }
    text[n] = '\0';
    size_t copy = n < size - 1 ? n : size - 1;
    std::memcpy(buffer, text, copy);
    buffer[copy] = '\0';
}

BcdInches ConvertDistance(BcdInches word, double factor) {
    return FormatAndParse(BcdInchesToFloat(word) * factor + kBcdRoundingBias, kDistanceFormWidth,
                          kDistanceIntegerDigits, kDistanceFractionDigits);
}

// A refused value: a beep and "Invalid value" in status part 0.
void ShowInvalidValueNotice() {
    PlayAlertBeep(0);
    SetStatusText(0, ProgramString(kStrInvalidValue).c_str());
}

}  // namespace

void BcdInchesToText(BcdInches word, char* buffer, size_t size) {
    WriteDigits(word, kDistanceIntegerDigits, true, buffer, size);
}

BcdInches TextToBcdInches(const char* text) {
    return ParseBcdText(text, kDistanceIntegerDigits, kDistanceFractionDigits);
}

double BcdInchesToFloat(BcdInches word) {
    return DigitAt(word, 0) * 10.0 + DigitAt(word, 1) + DigitAt(word, 2) / 10.0 +
           DigitAt(word, 3) / 100.0;
}

BcdInches FormatFloatG(double value) {
    return FormatAndParse(value + kBcdRoundingBias, kDistanceFormWidth, kDistanceIntegerDigits,
                          kDistanceFractionDigits);
}

BcdInches UnitsToBcdInches(int32_t units) {
    return FormatAndParse(units * kBcdUnitPerLogical, kDistanceFormWidth, kDistanceIntegerDigits,
                          kDistanceFractionDigits);
}

BcdInches BcdInchesToCm(BcdInches word) {
    // A page distance of 100 cm or more cannot be written as dd.dd: clamp it rather
    // than let the leading digit fall off.
    if (BcdInchesToFloat(word) * kCmPerInch + kBcdRoundingBias >= kFirstUnwritableDistance) {
        ShowInvalidValueNotice();
        return kMaxBcdDistance;
    }
    return ConvertDistance(word, kCmPerInch);
}

BcdInches BcdCmToInches(BcdInches word) {
    return ConvertDistance(word, kInchesPerCm);
}

void BcdRecordInchesToCm(uint32_t record[4]) {
    for (int i = 0; i < kRecordWords; ++i) {
        record[i] = BcdInchesToCm(static_cast<BcdInches>(record[i] & kLowWordMask));
    }
}

void BcdRecordCmToInches(uint32_t record[4]) {
    for (int i = 0; i < kRecordWords; ++i) {
        record[i] = BcdCmToInches(static_cast<BcdInches>(record[i] & kLowWordMask));
    }
}

void BcdFineToText(BcdInches word, char* buffer, size_t size) {
    WriteDigits(word, kFineIntegerDigits, false, buffer, size);
}

BcdInches ParseDecimalText(const char* text) {
    return ParseBcdText(text, kFineIntegerDigits, kFineFractionDigits);
}

int32_t PointsToUnits(BcdInches word) {
    double value = DigitAt(word, 0) + DigitAt(word, 1) / 10.0 + DigitAt(word, 2) / 100.0 +
                   DigitAt(word, 3) / 1000.0;
    return static_cast<int32_t>(value * kUnitsPerBcdUnit);
}

BcdInches UnitsToBcdFine(int32_t units) {
    // Rounded up to the thousandth: the fine form truncates when it is read, so the
    // word must not lie below the units it stands for.
    const double thousandths = std::ceil(units * kBcdUnitPerLogical * kThousandths);
    return FormatAndParse(thousandths / kThousandths, kFineFormWidth, kFineIntegerDigits, kFineFractionDigits);
}

double UnitsPerInch(const ScoreDocument& document) {
    int preset = document.header.pageGeometry.staffSize;
    if (preset < kFixedStaffSizeCount) return StaffSizeUnitsPerInch[preset];
    // The user staff size x 128, truncated as page geometry truncates it, so that
    // page sizes and distances agree.
    return std::trunc(BcdInchesToFloat(document.header.fontSizeSetting) * kUnitsPerBcdUnit);
}

bool DocumentUsesCentimetres(const ScoreDocument& document) {
    return document.header.pageGeometry.unit == kPaperUnitCentimetres;
}

BcdInches FormatUnitsValue(const ScoreDocument& document, int32_t distance) {
    double value = distance;
    if (DocumentUsesCentimetres(document)) value *= kCmPerInch;
    return FormatAndParse(value / UnitsPerInch(document) + kBcdRoundingBias, kDistanceFormWidth,
                          kDistanceIntegerDigits, kDistanceFractionDigits);
}

void ConvertMeasureUnits(const ScoreDocument& document, gfx::Rect* rectangle,
                         const uint32_t words[4]) {
    double scale = UnitsPerInch(document);
    if (DocumentUsesCentimetres(document)) scale *= kInchesPerCm;
    auto value = [&](int i) { return BcdInchesToFloat(static_cast<BcdInches>(words[i])) * scale; };
    auto roundAway = [](double v) { return static_cast<int32_t>(v < 0 ? v - kHalf : v + kHalf); };
    rectangle->left = roundAway(value(0));
    rectangle->top = static_cast<int32_t>(value(1));  // the top is truncated, not rounded
    rectangle->right = roundAway(value(2));
    rectangle->bottom = roundAway(value(3));
}

}  // namespace ql
