// Fixture of the spanner and curve tests: a fresh program state, one linked view in
// page view over a score of a few staves and systems with its beat maps built, the
// object classes registered, and helpers that place objects in cells and on notes.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "core/model/score_document.h"
#include "core/objects/score_object.h"

namespace ql::testing_spanners {

class SpannerTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // `staves` staves, pages[i] systems per page, `perSystem` measures each; page
    // view on page 1, beat maps built, location at staff 1, measure 1.
    void BuildScore(int staves, const std::vector<int>& pages, int perSystem);
    ScoreSystem* System(int index) const;  // of page 1
    int32_t SlotLeft(const ScoreSystem* system, int slot) const;
    int32_t SlotContent(const ScoreSystem* system, int slot) const;
    int32_t StaffTopY(const ScoreSystem* system, int staff) const;
    void Locate(int staff, int measure);  // forced
    // A quarter note in voice 0 of the current cell.
    EventRecord* AddNote(int tick, int position);
    // A constructed object of a type, linked into the object list of a cell.
    ScoreObject* AddToCell(ObjectType type, int staff, int measure);
    // Live records of the document's pools 2..9.
    int LiveRecords() const;
    // The music fonts made and a surface to measure on, as a view's window gives one;
    // false (nothing made) when the font is not built. TearDown releases them.
    bool MeasureWithMusicFont();

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
};

}  // namespace ql::testing_spanners
