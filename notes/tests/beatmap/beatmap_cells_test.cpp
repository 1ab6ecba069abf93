// The cell cache of a row build (RowCells): every answer, inside the row's window
// and outside it, asked first or again, is the score's own answer, for a few staves
// (kept inside the cache) and for many (kept apart), with and without a scope that
// keeps the measures read for every row.
#include <gtest/gtest.h>

#include <optional>
#include <random>
#include <tuple>
#include <vector>

#include "core/model/grid.h"
#include "core/ui/status_bar_notes.h"
#include "display/staff_groups.h"
#include "notes/beatmap/beat_map.h"
#include "notes/beatmap/beat_map_internal.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/tests/beatmap/beatmap_fixture.h"

namespace ql::testing_beatmap {
namespace {

constexpr int kKeyCodes = 15;
constexpr int kClefCodes = 9;
constexpr int kFirstMeasure = 5;  // the window: measures 4 .. 33
constexpr int kFarMeasures = 37;

class RowCellsTest : public BeatMapTest,
                     public ::testing::WithParamInterface<std::tuple<int, bool>> {
  protected:
    void SetUp() override {
        BeatMapTest::SetUp();
        staves_ = std::get<0>(GetParam());
        BuildScore(staves_, {2, 2}, 4);  // measures 1-16
        std::mt19937 random(static_cast<uint32_t>(staves_));
        for (int staff = 1; staff <= staves_; ++staff)
            for (int m = 1; m <= doc_->header.measureCount; ++m) {
                if (random() % 3 == 0) SetClef(staff, m, static_cast<int>(random() % kClefCodes));
                if (random() % 4 == 0)
                    PlaceChange(staff, m, random() % 2 ? ObjectType::Clef : ObjectType::KeySignature,
                                static_cast<uint16_t>(random() % kWholeMeasure),
                                static_cast<uint8_t>(random() % kKeyCodes % kClefCodes));
                if (random() % 5 == 0) SetTime(m, 1 + random() % 12, kQuarterUnit - 1 + random() % 3);
                if (random() % 6 == 0) Cell(staff, m)->cellFlags |= kMeasureClefHidden;
            }
    }
    // The score's own answers for a staff at a measure.
    std::tuple<bool, int, int, int, int, int, int, int> Expected(int staff, int m) {
        const bool onStaff = staff >= 1 && staff <= staves_;
        const MeasureCell* cell =
            onStaff && m >= 0 && m < MaxMeasures ? ExistingMeasureCell(doc_, staff, m) : nullptr;
        if (cell == nullptr)
            return {false, 0, 0, 0, CurrentCellDefaults().key, CurrentCellDefaults().clef,
                    CurrentCellDefaults().key, CurrentCellDefaults().clef};
        return {true,          cell->cellFlags,     cell->beats,        cell->beatUnit,
                CellKey(*cell), CellClef(*cell), KeyAtCellEnd(*cell), ClefAtCellEnd(*cell)};
    }
    static std::tuple<bool, int, int, int, int, int, int, int> Answer(const beatmap::CellSigns& s) {
        if (!s.present) return {false, 0, 0, 0, s.key, s.clef, s.keyAtEnd, s.clefAtEnd};
        return {true, s.cellFlags, s.beats, s.beatUnit, s.key, s.clef, s.keyAtEnd, s.clefAtEnd};
    }
    int staves_ = 0;
};

// Staves from below the first to past the last, measures from before the score to
// past the window (one staff, or every staff of two measures at once); each question
// asked in a seeded order, every question twice. In a scope, a second cache on
// another window asks the same questions after the first.
TEST_P(RowCellsTest, AnswersAsTheScoreDoes) {
    std::vector<std::tuple<int, int, int>> questions;  // kind, staff, measure
    for (int kind = 0; kind < 3; ++kind)
        for (int staff = -1; staff <= staves_ + 1; ++staff)
            for (int m = -1; m <= kFirstMeasure + 40; ++m) questions.emplace_back(kind, staff, m);
    const size_t once = questions.size();
    questions.insert(questions.end(), questions.begin(), questions.end());
    std::shuffle(questions.begin(), questions.end(), std::mt19937(7));
    std::optional<SignLayoutScope> scope;
    if (std::get<1>(GetParam())) scope.emplace(doc_);
    for (const int first : {kFirstMeasure, kFirstMeasure + 9}) {
        beatmap::RowCells cells(doc_, first);
        for (const auto& [kind, staff, m] : questions) {
            if (kind == 0) {
                EXPECT_EQ(Answer(cells.Signs(staff, m)), Expected(staff, m)) << staff << " " << m;
                continue;
            }
            if (staff < 1 || staff > staves_) continue;
            // Two measures asked together, the second far from the first (outside
            // the window when the first is inside): both answers hold.
            const int other = kind == 1 ? m - 1 : m + kFarMeasures;
            const beatmap::CellSigns* at = cells.Staves(m);
            const beatmap::CellSigns* far = cells.Staves(other);
            EXPECT_EQ(Answer(at[staff - 1]), Expected(staff, m)) << staff << " " << m;
            EXPECT_EQ(Answer(far[staff - 1]), Expected(staff, other)) << staff << " " << other;
        }
    }
    EXPECT_EQ(questions.size(), 2 * once);
}

// A measure and the two either side of it, asked one after the other, inside the
// window, before it (measures of other clefs), past the score and past the last
// measure a score may have: the three answers hold together (a layout reads them at
// once).
TEST_P(RowCellsTest, AMeasureAndItsNeighboursHoldTogether) {
    constexpr int kBefore = 2;  // 1 .. 3, before the window
    for (int staff = 1; staff <= staves_; ++staff) {
        SetClef(staff, kBefore - 1, 1);
        SetClef(staff, kBefore + 1, 4);
    }
    std::optional<SignLayoutScope> scope;
    if (std::get<1>(GetParam())) scope.emplace(doc_);
    beatmap::RowCells cells(doc_, kFirstMeasure);
    for (const int m : {kFirstMeasure + 2, kBefore, kFirstMeasure + kFarMeasures, kBefore + 1,
                        MaxMeasures - 1, kFirstMeasure + 1}) {
        const beatmap::CellSigns* before = cells.Staves(m - 1);
        const beatmap::CellSigns* at = cells.Staves(m);
        const beatmap::CellSigns* next = cells.Staves(m + 1);
        for (int staff = 1; staff <= staves_; ++staff) {
            SCOPED_TRACE(::testing::Message() << "staff " << staff << " measure " << m);
            EXPECT_EQ(Answer(before[staff - 1]), Expected(staff, m - 1));
            EXPECT_EQ(Answer(at[staff - 1]), Expected(staff, m));
            EXPECT_EQ(Answer(next[staff - 1]), Expected(staff, m + 1));
        }
    }
}

// Once the measure count changes inside a scope, the measures it read are set aside:
// a cell changed since is read as it now stands.
class ScopedRowCellsTest : public RowCellsTest {};
TEST_P(ScopedRowCellsTest, ScopeSetAsideWhenTheMeasureCountChanges) {
    SignLayoutScope scope(doc_);
    {
        beatmap::RowCells cells(doc_, kFirstMeasure);
        EXPECT_EQ(Answer(cells.Signs(1, 3)), Expected(1, 3));
    }
    SetTime(3, 7, kQuarterUnit);
    doc_->header.measureCount = static_cast<uint16_t>(doc_->header.measureCount - 1);
    beatmap::RowCells cells(doc_, kFirstMeasure);
    EXPECT_EQ(Answer(cells.Signs(1, 3)), Expected(1, 3));
    EXPECT_EQ(cells.Signs(1, 3).beats, 7);
    doc_->header.measureCount = static_cast<uint16_t>(doc_->header.measureCount + 1);
}

INSTANTIATE_TEST_SUITE_P(Staves, RowCellsTest,
                         ::testing::Combine(::testing::Values(1, 3, 8, 9, 14), ::testing::Bool()));
INSTANTIATE_TEST_SUITE_P(Staves, ScopedRowCellsTest,
                         ::testing::Combine(::testing::Values(3, 9), ::testing::Values(true)));

}  // namespace
}  // namespace ql::testing_beatmap
