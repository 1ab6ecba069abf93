// Derived numbers of a NIFF import.
#include "interchange/niff/niff_values.h"

#include <algorithm>
#include <bit>
#include <cctype>
#include <cstdint>
#include <numeric>
#include <vector>

#include "core/model/events.h"
#include "core/model/grid_records.h"

namespace ql::niff {
namespace {

constexpr int kTupletFixedRatio = 1;
constexpr int kTupletOwnRatio = 2;
constexpr int kLowestNoteCode = 4;
constexpr int kHighestNoteCode = 12;
constexpr int kMaxDots = 3;
constexpr int kMaxDenominator = 256;
constexpr int kLengthStep = 128;
constexpr int kLeastFactor = 2816;
constexpr int kEmptyWidth = 4096;
constexpr int kMaxNumerator = 32;
constexpr int kLeastMeasureTicks = 512;
constexpr int kMostMeasureTicks = 32768;
constexpr int kMaxStaves = 44;
constexpr int kLeastStaffPercent = 50;

constexpr int kMostRatioTerm = 15;  // an own ratio keeps each term in four bits

struct RatioTerms {
    int actual;
    int normal;
};

// The ratio of terms up to fifteen nearest to `actual` in the time of `normal` whose
// notes are no longer than the file's (17 in the time of 3 becomes 6 in the time of
// 1): the notes keep the places the file gives them and do not run into one another,
// the time left over passing as a gap.
RatioTerms FittingRatio(int actual, int normal) {
    RatioTerms best{kMostRatioTerm, 1};
    for (int a = 1; a <= kMostRatioTerm; ++a)
        for (int n = 1; n <= kMostRatioTerm; ++n) {
            const bool notLonger = int64_t{n} * actual <= int64_t{normal} * a;
            if (notLonger && n * best.actual > best.normal * a) best = {a, n};
        }
    const int common = std::gcd(best.actual, best.normal);
    return {best.actual / common, best.normal / common};
}

}  // namespace

NiffNoteValue NiffDurationToNoteValue(int numerator, int denominator, int actual, int normal) {
    NiffNoteValue value;
    if (numerator <= 0 || denominator <= 0) return value;
    while (numerator % 2 == 0 && denominator % 2 == 0) {
        numerator /= 2;
        denominator /= 2;
    }
    const bool ownRatio = actual > 0 && normal > 0 && FixedTupletRatioIndex(actual, normal) < 0;
    const bool played = ownRatio && !std::has_single_bit(static_cast<unsigned>(denominator));
    if (played) {
        const int64_t divisor = int64_t{numerator} * actual;
        denominator = static_cast<int>(std::min<int64_t>(int64_t{denominator} * normal / divisor, kMaxDenominator));
    } else {
        while (numerator > 1 && numerator % 2 == 1 && denominator > 1) {
            ++value.dots;
            numerator /= 2;
            denominator /= 2;
        }
    }
    denominator = std::clamp(denominator, 1, kMaxDenominator);
    const int digits = std::bit_width(static_cast<unsigned>(denominator));
    value.code = std::clamp(13 - digits, kLowestNoteCode, kHighestNoteCode);
    value.dots = std::min(value.dots, kMaxDots);
    return value;
}

bool NiffTupletRatioHeld(int actual, int normal) {
    return actual <= kMostRatioTerm && normal <= kMostRatioTerm;
}

NiffTupletFields NiffTupletOf(int actual, int normal) {
    if (actual <= 0 || normal <= 0) return {};
    const int fixed = FixedTupletRatioIndex(actual, normal);
    if (fixed >= 0) return {kTupletFixedRatio, fixed};
    if (actual > kMostRatioTerm || normal > kMostRatioTerm) {
        const RatioTerms fitted = FittingRatio(actual, normal);
        return NiffTupletOf(fitted.actual, fitted.normal);
    }
    return {kTupletOwnRatio, actual << 4 | normal};
}

NiffMeasureSpacing MeasureSpacingForLength(int lengthTicks) {
    if (lengthTicks <= 0) return {kLeastFactor, kEmptyWidth};
    const int factor = std::max(4096 / lengthTicks, kLeastFactor);
    int width = (lengthTicks / 16) * factor / 256;
    if (width == 0) width = kEmptyWidth;
    return {factor, width};
}

void SetMeasureSpacingFromLength(MeasureRecord& measure) {
    const NiffMeasureSpacing spacing = MeasureSpacingForLength(measure.lengthTicks);
    measure.stretch = static_cast<uint16_t>(spacing.factor);
    measure.width = static_cast<uint16_t>(spacing.width);
}

int RoundNiffMeasureLength(int ticks) {
    if (ticks <= 0) return 0;
    return (ticks + kLengthStep - 1) / kLengthStep * kLengthStep;
}

NiffDerivedSignature DeriveNiffTimeSignature(std::span<const int> measureLengths) {
    struct Census {
        int length;
        int count;
        size_t first;
    };
    std::vector<Census> census;
    for (size_t i = 0; i < measureLengths.size(); ++i) {
        const int length = RoundNiffMeasureLength(measureLengths[i]);
        auto found = std::find_if(census.begin(), census.end(),
                                  [&](const Census& entry) { return entry.length == length; });
        if (found == census.end())
            census.push_back({length, 1, i});
        else
            ++found->count;
    }
    NiffDerivedSignature signature;
    const Census* best = nullptr;
    for (const Census& entry : census)
        if (best == nullptr || entry.count > best->count ||
            (entry.count == best->count && entry.first > best->first))
            best = &entry;
    if (best == nullptr) return signature;
    signature.majorityTicks = best->length;
    int beat = 1024;
    int exponent = 10;
    while (best->length % beat != 0 && exponent >= 8) {
        beat /= 2;
        --exponent;
    }
    const int numerator = best->length / beat;
    if (numerator < 1 || numerator > kMaxNumerator || best->length < kLeastMeasureTicks ||
        best->length > kMostMeasureTicks) {
        signature.keepLengths = true;
        return signature;
    }
    signature.numerator = numerator;
    signature.exponent = exponent;
    return signature;
}

int NiffStaffCount(std::span<const int> partStaves) {
    int64_t sum = 0;
    for (int staves : partStaves) sum += std::max(staves, 0);
    return static_cast<int>(std::clamp<int64_t>(sum, 1, kMaxStaves));
}

int NiffStaffSizePercent(int height, int tallest, int present) {
    if (height <= 0 || tallest <= 0 || height >= tallest || height * 100 >= tallest * 85) return 100;
    const int percent = static_cast<int>(int64_t{height} * 100 / tallest);
    return std::max({percent, present, kLeastStaffPercent});
}

int NiffTempoGlyph(const NiffNoteValue& beat) {
    if (beat.dots > 1) return 0;
    int glyph = 0;
    switch (beat.code) {
        case 9: glyph = 243; break;
        case 10: glyph = 240; break;
        case 11: glyph = 237; break;
        default: return 0;
    }
    return glyph + beat.dots;
}

int NiffTempoTextGlyph(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper.find("ACCEL") != std::string::npos) return 175;
    if (upper.find("RIT") != std::string::npos) return 176;
    return 0;
}

std::string NiffImportTitle(std::string_view path) {
    const size_t slash = path.find_last_of('/');
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const size_t point = name.find_last_of('.');
    if (point != std::string_view::npos) name = name.substr(0, point);
    return std::string(name) + "_NIFF";
}

}  // namespace ql::niff
