// Placing systems between the page margins: the end of a system's slots is told
// from the row of its last build while the widths are scaled, so a formatted
// system must leave the row and the widths that a fresh build confirms.
#include <algorithm>
#include <memory>
#include <random>
#include <vector>

#include "core/model/pages.h"
#include "core/model/view.h"
#include "core/state.h"
#include "layout/measure_format.h"
#include "layout/tests/pages/page_format_fixture.h"
#include "layout/widths/width_support.h"
#include "notes/beatmap/beat_map.h"

namespace ql::testing_layout {
namespace {

constexpr uint8_t kProportionalSpacing = 0;
constexpr uint8_t kEngraverSpacing = 2;

// The slot positions of a system's row and the widths of its measures.
std::vector<int> RowAndWidths(ScoreView* view, const ScoreSystem* system) {
    std::vector<int> out;
    const BeatMap& map = view->beatMap;
    const int slots = system->lastMeasure - system->firstMeasure + 1;
    for (int slot = 1; slot <= slots; ++slot) {
        const int cell = BeatMapCell(system->number, slot);
        out.insert(out.end(), {map.slotX[cell], map.marginX[cell], map.contentX[cell], map.trailSpace[cell]});
    }
    for (int m = system->firstMeasure; m <= system->lastMeasure; ++m)
        out.push_back(MeasureRecordOf(view->document, m)->width);
    return out;
}

class SystemPlacementTest : public PageFormatTest {
  protected:
    // Formats the system, then builds its row afresh (the build places the system
    // again) and returns both states.
    std::pair<std::vector<int>, std::vector<int>> FormatThenRebuild(ScoreSystem* system) {
        FormatSystem(view_, doc_->firstPage, system);
        const std::vector<int> formatted = RowAndWidths(view_, system);
        view_->currentPage = doc_->firstPage;
        view_->currentSystem = system;
        BuildBeatMapPageMode(view_, 0);
        return {formatted, RowAndWidths(view_, system)};
    }
};

TEST_F(SystemPlacementTest, FormattedSystemLeavesTheRowAFreshBuildConfirms) {
    NewScore(2, 4, 4);
    ScoreSystem* system = SystemAt(0, 1);
    ASSERT_NE(system, nullptr);
    PageMargins margins;
    ASSERT_TRUE(GetPageMargins(doc_->firstPage, &margins));
    const int room = view_->PageRight - margins.logical[2] - kLogicalOrigin - margins.logical[0];
    // Engraver spacing (placed, justified, placed again) and proportional widths,
    // each with and without accidental fitting.
    for (const uint8_t mode : {kEngraverSpacing, kProportionalSpacing}) {
        for (const uint8_t fitting : {uint8_t{1}, uint8_t{0}}) {
            State().layout.SpacingMode = mode;
            State().program.SpaceAccidentals = fitting;
            const auto [formatted, rebuilt] = FormatThenRebuild(system);
            EXPECT_EQ(formatted, rebuilt) << "mode " << int{mode} << " fitting " << int{fitting};
            // The closing barline stands on the right margin.
            const int slots = system->lastMeasure - system->firstMeasure + 1;
            const int cell = BeatMapCell(system->number, slots);
            const MeasureRecord* last = MeasureRecordOf(doc_, system->lastMeasure);
            EXPECT_NEAR(view_->beatMap.contentX[cell] + view_->beatMap.trailSpace[cell] + last->width +
                            last->trail,
                        room, slots);
        }
    }
}

// A page whose systems are re-spaced and whose rows are then built (as a reformat
// does it page by page) must come out the same whether each re-spacing's last
// placement is finished before its row's build or by the placement that ends the
// build: every byte of the measure records and their lists, the systems' x and the
// systems' rows of the beat map, tick arrays included.
class CarriedPlacementTest : public PageFormatTest {
  protected:
    // A page of four systems of 2 to 7 measures on two staves, with random notes
    // (a third of them with an accidental, so that measures are fitted), lengths and
    // leading margins.
    void SeededPage(unsigned seed) {
        std::mt19937 rng(seed);
        NewScore(2, 4, 2 + static_cast<int>(rng() % 6));
        State().layout.SpacingMode = kEngraverSpacing;
        State().program.SpaceAccidentals = 1;
        State().layout.VerticalLayoutSuspended = 1;
        for (int m = 1; m <= doc_->header.measureCount; ++m) {
            const int length = rng() % 5 == 0 ? 3072 : 4096;
            SetLength(m, length);
            Record(m).lead = static_cast<int16_t>(rng() % 400);
            for (int staff = 1; staff <= 2; ++staff) {
                const int notes = static_cast<int>(rng() % 9);
                for (int i = 0; i < notes; ++i) {
                    const int code = 7 + static_cast<int>(rng() % 6);
                    const int time = static_cast<int>(rng() % (length / 128)) * 128;
                    EventRecord* note = Note(staff, m, static_cast<int>(rng() % 2), time, code,
                                             static_cast<int>(rng() % 9), static_cast<int>(rng() % 2));
                    if (note != nullptr && rng() % 3 == 0) Accidental(note, 1 + static_cast<int>(rng() % 5));
                }
            }
        }
    }
    // Re-spaces every system of the first page, then builds the page's rows.
    void FormatPage(bool carried) {
        ScorePage* page = doc_->firstPage;
        view_->currentPage = page;
        view_->currentSystem = page->firstSystem.get();
        std::unique_ptr<PlacementCarryScope> carry;
        if (carried) carry = std::make_unique<PlacementCarryScope>();
        for (ScoreSystem* s = page->firstSystem.get(); s != nullptr; s = s->next.get())
            FormatSystemBeforeRowBuild(view_, page, s);
        FormatMeasures(view_, page);
    }
    std::vector<uint8_t> RunState() {
        std::vector<uint8_t> out;
        auto add = [&out](const void* p, size_t n) {
            const auto* b = static_cast<const uint8_t*>(p);
            out.insert(out.end(), b, b + n);
        };
        for (int m = 1; m <= doc_->header.measureCount; ++m) {
            const MeasureRecord& record = Record(m);
            add(&record, sizeof record);
            for (const SpacingEntry* e = SpacingEntryOf(record.spacing); e != nullptr;
                 e = SpacingEntryOf(RecordHandle{e->next}))
                add(e, sizeof *e);
        }
        const BeatMap& map = view_->beatMap;
        int rows = 0;
        for (ScoreSystem* s = doc_->firstPage->firstSystem.get(); s != nullptr; s = s->next.get()) {
            add(&s->x, sizeof s->x);
            rows = std::max(rows, s->number + 1);
        }
        for (int row = 0; row < rows; ++row) {
            for (int slot = 0; slot < kBeatMapSlots; ++slot) {
                const int c = BeatMapCell(row, slot);
                for (const uint16_t v : {map.slotFlags[c], map.leadX[c], static_cast<uint16_t>(map.cancelX[c]),
                                         map.keyX[c], map.timeX[c], map.slotX[c], map.marginX[c],
                                         map.contentX[c], map.trailSpace[c], map.slotTicks[c]})
                    add(&v, sizeof v);
                add(&map.tickX[c].row, sizeof map.tickX[c].row);
                add(&map.tickX[c].first, sizeof map.tickX[c].first);
            }
            if (row < map.rowsAllocated && map.rowBuffers[row])
                add(map.rowBuffers[row].get(), map.rowCapacity[row]);
        }
        return out;
    }
    // The states after one and after two formats of the seeded page.
    std::vector<std::vector<uint8_t>> Formats(unsigned seed, bool carried) {
        SeededPage(seed);
        std::vector<std::vector<uint8_t>> states;
        for (int i = 0; i < 2; ++i) {
            FormatPage(carried);
            states.push_back(RunState());
        }
        return states;
    }
    // A fresh document for the next run.
    void Renew() {
        TearDown();
        SetUp();
    }
};

TEST_F(CarriedPlacementTest, PageComesOutAsWithoutTheCarry) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        const auto plain = Formats(seed, false);
        Renew();
        const auto carried = Formats(seed, true);
        Renew();
        ASSERT_EQ(plain.size(), carried.size());
        for (size_t i = 0; i < plain.size(); ++i)
            EXPECT_TRUE(plain[i] == carried[i]) << "seed " << seed << " format " << i + 1;
    }
}

}  // namespace
}  // namespace ql::testing_layout
