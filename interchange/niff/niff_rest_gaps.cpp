// The rests of a voice's gaps.
#include "interchange/niff/niff_rest_gaps.h"

#include "interchange/niff/niff_values.h"

namespace ql::niff {
namespace {

constexpr int32_t kWholeTicks = 4096;
constexpr int kLeastDenominator = 128;  // a 32nd: the shortest rest
constexpr int kMostDots = 3;
constexpr int32_t kLeastTupletRest = 256;

}  // namespace

void FillNiffRestGap(int32_t start, int32_t end, bool afterTuplet, std::vector<NiffRestFill>& rests) {
    // Each round takes at least a 32nd, so the loop ends; it stops once less than
    // a 32nd is left.
    while (end - start > 0) {
        const int32_t gap = end - start;
        int denominator = 1;
        int32_t value = kWholeTicks;
        while (value > gap) {
            value >>= 1;
            denominator <<= 1;
        }
        if (denominator > kLeastDenominator) return;
        int32_t taken = value;
        int numerator = 1;
        int32_t half = value >> 1;
        for (int dots = 0; dots < kMostDots && half > 0 && taken + half <= gap && denominator * 2 <= kLeastDenominator;
             ++dots, half >>= 1) {
            taken += half;
            numerator = numerator * 2 + 1;
            denominator *= 2;
        }
        const NiffNoteValue note = NiffDurationToNoteValue(numerator, denominator);
        if (!afterTuplet || taken >= kLeastTupletRest) rests.push_back({start, taken, note.code, note.dots});
        start += taken;
    }
}

}  // namespace ql::niff
