// Moving a numbering run: every measure from the first whose old number continues
// the one before it moves by the delta, and the first that breaks the rule ends
// the run, whatever the run's length, the rests in it or where it starts.
#include <random>
#include <vector>

#include "staves/measure_shift.h"
#include "staves/tests/measures/measure_fixture.h"

namespace ql::testing_measures {
namespace {

using MeasureNumbers = MeasureTest;

constexpr int kMeasures = 40;
constexpr int kSeeds = 200;

// The numbers ShiftRunNumbers should leave, told from the old ones measure by measure.
std::vector<int> ShiftedByTheRule(const std::vector<int>& numbers, const std::vector<int>& extras, int from,
                                  int delta) {
    std::vector<int> out = numbers;
    out[from] += delta;
    for (size_t m = static_cast<size_t>(from) + 1; m < numbers.size(); ++m) {
        if (numbers[m] != numbers[m - 1] + extras[m - 1] + 1) break;
        out[m] += delta;
    }
    return out;
}

TEST_F(MeasureNumbers, RunMovesUpToItsFirstBreak) {
    BuildScore(1, kMeasures);
    for (int seed = 1; seed <= kSeeds; ++seed) {
        std::mt19937 random(static_cast<uint32_t>(seed));
        const int count = 1 + static_cast<int>(random() % kMeasures);
        doc_->header.measureCount = static_cast<uint16_t>(count);
        std::vector<int> numbers(static_cast<size_t>(count) + 1), extras(numbers.size());
        int next = 1 + static_cast<int>(random() % 5);
        for (int m = 1; m <= count; ++m) {
            if (random() % 9 == 0) next += 1 + static_cast<int>(random() % 20);  // a break
            extras[m] = random() % 6 == 0 ? static_cast<int>(random() % 4) : 0;
            numbers[m] = next;
            next += extras[m] + 1;
            Record(m).number = static_cast<uint16_t>(numbers[m]);
            Record(m).extra = static_cast<uint8_t>(extras[m]);
        }
        const int from = 1 + static_cast<int>(random() % count);
        const int delta = random() % 2 == 0 ? 1 : -1;
        const std::vector<int> expected = ShiftedByTheRule(numbers, extras, from, delta);
        ShiftRunNumbers(doc_, from, delta);
        for (int m = 1; m <= count; ++m)
            ASSERT_EQ(Record(m).number, expected[static_cast<size_t>(m)]) << "seed " << seed << " m " << m;
    }
}

}  // namespace
}  // namespace ql::testing_measures
