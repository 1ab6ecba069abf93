// Offsets in 128ths as "%d.%s" text and back. Three fraction digits are enough
// for every value to come back unchanged: one 128th is 7.8 thousandths, so the
// nearest thousandth never rounds to a neighbour.
#include "shell/options/measure_number_offsets.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace ql {
namespace {

constexpr int64_t kUnits = 128;
constexpr int64_t kThousandths = 1000;
constexpr int64_t kDecimalBase = 10;
// Integer digits beyond these cannot change the clamped result.
constexpr int kMaxIntegerDigits = 9;
constexpr int kMaxFractionDigits = 9;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

}  // namespace

std::string FormatMeasureNumberOffset(int32_t offset) {
    const int64_t magnitude = std::llabs(static_cast<int64_t>(offset));
    const int64_t whole = magnitude / kUnits;
    const int64_t fraction = (magnitude % kUnits * kThousandths + kUnits / 2) / kUnits;
    char text[32];
    std::snprintf(text, sizeof text, "%s%lld.%03lld", offset < 0 ? "-" : "",
                  static_cast<long long>(whole), static_cast<long long>(fraction));
    return text;
}

int32_t ParseMeasureNumberOffset(std::string_view text, int32_t old) {
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) ++at;
    const bool negative = at < text.size() && text[at] == '-';
    if (negative) ++at;
    int64_t whole = 0;
    int wholeDigits = 0;
    for (; at < text.size() && IsDigit(text[at]); ++at, ++wholeDigits)
        if (wholeDigits < kMaxIntegerDigits) whole = whole * kDecimalBase + (text[at] - '0');
    // The fraction as a numerator over `scale`, at most nine digits read.
    int64_t numerator = 0;
    int64_t scale = 1;
    int fractionDigits = 0;
    if (at < text.size() && text[at] == '.') {
        for (++at; at < text.size() && IsDigit(text[at]); ++at, ++fractionDigits)
            if (fractionDigits < kMaxFractionDigits) {
                numerator = numerator * kDecimalBase + (text[at] - '0');
                scale *= kDecimalBase;
            }
    }
    while (at < text.size() && IsBlank(text[at])) ++at;
    if (at != text.size() || wholeDigits + fractionDigits == 0) return old;
    if (wholeDigits > kMaxIntegerDigits) whole = kMaxMeasureNumberOffset;  // clamps below
    const int64_t units = whole * kUnits + (numerator * kUnits + scale / 2) / scale;
    const int64_t clamped = std::min<int64_t>(units, kMaxMeasureNumberOffset);
    return static_cast<int32_t>(negative ? -clamped : clamped);
}

}  // namespace ql
