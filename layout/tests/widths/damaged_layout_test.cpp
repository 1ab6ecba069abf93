// Damaged spacing lists and measure records (fixed seeds): random lists with loops,
// dangling and foreign links, positions that go back, entries of no ticks or past the
// length, random lengths, factors and widths, under every width and spacing
// operation in random order. Nothing may crash or read out of bounds (the sanitizer
// builds check), and after the widths are brought up to date every list is sound and
// every width lies within 1..65,530.
#include <random>

#include "core/state.h"
#include "layout/spacing/spacing_list.h"
#include "layout/tests/layout_fixture.h"

namespace ql::testing_layout {
namespace {

constexpr int kMeasures = 8;
constexpr int kSeeds = 60;
constexpr int kStepsPerSeed = 40;
constexpr int kLengths[] = {0, 1, 15, 16, 512, 1024, 3072, 4096, 65535};
constexpr int kFactors[] = {0, 1, 4, 256, 2816, 65535};

class DamagedLayoutTest : public LayoutTest {
  protected:
    void SetUp() override {
        LayoutTest::SetUp();
        BuildScore(2, kMeasures);
        UseSystem(1, kMeasures);
        State().program.SpaceAccidentals = 1;
    }

    template <typename T, size_t N>
    T Pick(const T (&values)[N]) {
        return values[rng_() % N];
    }

    // A list of a few entries, then links damaged at random: a loop back, a link to
    // itself, a handle naming nothing, or the head of another measure's list.
    void DamageList(int measure) {
        std::vector<Column> columns;
        int time = static_cast<int>(rng_() % 64) * 16;
        for (int i = 0, n = static_cast<int>(rng_() % 5); i < n; ++i) {
            const int ticks = static_cast<int>(rng_() % 4) * 512;  // 0 is damage too
            columns.push_back({time, ticks, static_cast<int>(rng_() % 70000)});
            time += rng_() % 3 == 0 ? -256 : ticks + static_cast<int>(rng_() % 2) * 128;
            time = std::max(time, 0);
        }
        MeasureRecord& record = Record(measure);
        FreeSpacingList(record.spacing);
        SpacingEntry* last = nullptr;
        for (const Column& c : columns)
            last = InsertSpacingEntry(record, last, c.time, c.ticks, static_cast<uint16_t>(c.value & 0xFFFF));
        if (last == nullptr) return;
        switch (rng_() % 5) {
            case 0: last->next = record.spacing.bits; break;                  // loop
            case 1: last->next = static_cast<uint16_t>(rng_() & 0x7FFF); break;  // anything
            case 2: last->next = Record(1 + measure % kMeasures).spacing.bits; break;  // shared
            default: break;
        }
    }

    void DamageRecord(int measure) {
        MeasureRecord& record = Record(measure);
        record.lengthTicks = static_cast<uint16_t>(Pick(kLengths));
        record.stretch = static_cast<uint16_t>(Pick(kFactors));
        record.width = static_cast<uint16_t>(rng_() % 3 == 0 ? 0 : rng_() & 0xFFFF);
        record.lead = static_cast<int16_t>(rng_() & 0xFFFF);
        if (rng_() % 2) DamageList(measure);
        if (rng_() % 4 == 0) Record(measure).spacing = RecordHandle{static_cast<uint16_t>(rng_() & 0x7FFF)};
    }

    void RandomNotes(int measure) {
        for (int i = 0, n = static_cast<int>(rng_() % 4); i < n; ++i) {
            EventRecord* note = Note(1 + static_cast<int>(rng_() % 2), measure, static_cast<int>(rng_() % 4),
                                     static_cast<int>(rng_() % 256) * 16, 4 + static_cast<int>(rng_() % 10),
                                     static_cast<int>(rng_() % 9));
            if (note != nullptr && rng_() % 3 == 0) Accidental(note, 1 + static_cast<int>(rng_() % 5));
            if (note != nullptr && rng_() % 10 == 0) note->duration = 0;
        }
    }

    void RandomOperation() {
        const int m = 1 + static_cast<int>(rng_() % kMeasures);
        UseMeasure(m, 1 + static_cast<int>(rng_() % 2));
        switch (rng_() % 12) {
            case 0: MeasureWidth(doc_, m); break;
            case 1: SetMeasureWidth(doc_, view_, m, static_cast<int>(rng_() % 70000)); break;
            case 2: AdjustMeasureWidth(view_, m, static_cast<int>(rng_() % 4000) - 2000); break;
            case 3: {
                const SpacingEntry span{0, uint16_t(rng_() % 4096), uint16_t(rng_() % 4096), uint16_t(rng_())};
                SetSpanSpacing(doc_, m, span, static_cast<int32_t>(rng_() % 5000), static_cast<int32_t>(rng_() % 5000));
                break;
            }
            case 4: ClearMeasureSpacing(doc_, m); break;
            case 5: {
                const SpacingEntry column{0, uint16_t(rng_() % 4096), uint16_t(rng_() % 2048), uint16_t(rng_())};
                BuildMeasureSpacing(doc_, m, &column);
                break;
            }
            case 6: RespaceMeasure(view_, rng_() % 2 == 0); break;
            case 7: RefreshMeasureWidths(view_, rng_() % 2 == 0, rng_() % 2 == 0); break;
            case 8: JustifySystem(view_, view_->currentSystem); break;
            case 9: FitMeasure(view_, view_->currentSystem, m, rng_() % 2 == 0); break;
            case 10: DamageRecord(m); break;
            default: RandomNotes(m); break;
        }
    }

    std::mt19937 rng_;
};

TEST_F(DamagedLayoutTest, RandomDamageKeepsWidthsInRangeAndListsSound) {
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
        rng_.seed(seed);
        for (int m = 1; m <= kMeasures; ++m) DamageRecord(m);
        for (int step = 0; step < kStepsPerSeed; ++step) {
            RandomOperation();
            for (int m = 1; m <= kMeasures; ++m) {
                const uint16_t width = MeasureWidth(doc_, m);
                ASSERT_GE(width, 1) << "seed " << seed << " step " << step << " measure " << m;
                ASSERT_LE(width, 65530) << "seed " << seed << " step " << step << " measure " << m;
                ASSERT_TRUE(IsSpacingListSound(Record(m).spacing)) << "seed " << seed << " measure " << m;
            }
        }
        for (int m = 1; m <= kMeasures; ++m) {
            FreeCellVoices(Cell(1, m), doc_, 0);
            FreeCellVoices(Cell(2, m), doc_, 0);
        }
    }
}

}  // namespace
}  // namespace ql::testing_layout
