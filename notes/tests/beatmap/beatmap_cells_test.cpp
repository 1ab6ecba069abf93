// The cell cache of a row build (RowCells): every answer, inside the row's window
// and outside it, asked first or again, is the score's own answer, for a few staves
// (kept inside the cache) and for many (kept apart).
#include <gtest/gtest.h>

#include <random>
#include <tuple>
#include <vector>

#include "core/model/grid.h"
#include "core/ui/status_bar_notes.h"
#include "display/staff_groups.h"
#include "notes/beatmap/beat_map_internal.h"
#include "notes/tests/beatmap/beatmap_fixture.h"

namespace ql::testing_beatmap {
namespace {

constexpr int kKeyCodes = 15;
constexpr int kClefCodes = 9;
constexpr int kFirstMeasure = 5;  // the window: measures 4 .. 33

class RowCellsTest : public BeatMapTest, public ::testing::WithParamInterface<int> {
  protected:
    void SetUp() override {
        BeatMapTest::SetUp();
        BuildScore(GetParam(), {2, 2}, 4);  // measures 1-16
        std::mt19937 random(static_cast<uint32_t>(GetParam()));
        for (int staff = 1; staff <= GetParam(); ++staff)
            for (int m = 1; m <= doc_->header.measureCount; ++m) {
                if (random() % 3 == 0) SetClef(staff, m, static_cast<int>(random() % kClefCodes));
                if (random() % 4 == 0)
                    PlaceChange(staff, m, random() % 2 ? ObjectType::Clef : ObjectType::KeySignature,
                                static_cast<uint16_t>(random() % kWholeMeasure),
                                static_cast<uint8_t>(random() % kKeyCodes % kClefCodes));
            }
    }
};

// Staves from below the first to past the last, measures from before the score to
// past the window; each question asked in a seeded order, every question twice.
TEST_P(RowCellsTest, AnswersAsTheScoreDoes) {
    const int staves = GetParam();
    std::vector<std::tuple<int, int, int>> questions;  // kind, staff, measure
    for (int kind = 0; kind < 3; ++kind)
        for (int staff = -1; staff <= staves + 1; ++staff)
            for (int m = -1; m <= kFirstMeasure + 40; ++m) questions.emplace_back(kind, staff, m);
    const size_t once = questions.size();
    questions.insert(questions.end(), questions.begin(), questions.end());
    std::shuffle(questions.begin(), questions.end(), std::mt19937(7));
    beatmap::RowCells cells(doc_, kFirstMeasure);
    for (const auto& [kind, staff, m] : questions) {
        const bool onStaff = staff >= 0 && staff <= staves;
        const MeasureCell* cell =
            onStaff && m >= 0 && m < MaxMeasures ? ExistingMeasureCell(doc_, staff, m) : nullptr;
        if (kind == 0)
            EXPECT_EQ(cells.Get(staff, m), cell) << staff << " " << m;
        else if (kind == 1)
            EXPECT_EQ(cells.KeyAtEnd(staff, m),
                      cell != nullptr ? KeyAtCellEnd(*cell) : CurrentCellDefaults().key)
                << staff << " " << m;
        else
            EXPECT_EQ(cells.ClefAtEnd(staff, m),
                      cell != nullptr ? ClefAtCellEnd(*cell) : CurrentCellDefaults().clef)
                << staff << " " << m;
    }
    EXPECT_EQ(questions.size(), 2 * once);
}

INSTANTIATE_TEST_SUITE_P(Staves, RowCellsTest, ::testing::Values(1, 3, 8, 9, 14));

}  // namespace
}  // namespace ql::testing_beatmap
