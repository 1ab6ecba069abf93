// Fixture of the locator tests: a fresh program state, a view in page view over a
// score of a few staves and systems with its beat maps built, and helpers that read
// where slots, staves and columns stand.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "core/model/score_document.h"

namespace ql::testing_locate {

class LocateTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // `staves` staves, pages[i] systems per page, `perSystem` measures each; page
    // view on page 1, beat maps built, location at staff 1, measure 1.
    void BuildScore(int staves, const std::vector<int>& pages, int perSystem);
    ScoreSystem* System(int index) const;  // of page 1
    // Absolute x of a slot's left edge and content start, absolute y of a staff top.
    int32_t SlotLeft(const ScoreSystem* system, int slot) const;
    int32_t SlotContent(const ScoreSystem* system, int slot) const;
    int32_t StaffTopY(const ScoreSystem* system, int staff) const;
    // A note in the current cell's voice at a tick and staff position.
    EventRecord* AddNote(int voice, int tick, int position);
    void Locate(int staff, int measure);  // SetCurrentMeasure, forced

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
};

}  // namespace ql::testing_locate
