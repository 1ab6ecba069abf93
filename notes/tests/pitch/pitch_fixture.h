// Fixture of the pitch tests that need a score: a fresh program state, a view and a
// new document with staves 1..n, a measure cell to write voices into, and helpers
// that place notes, clef changes and key changes in it.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "core/model/event_record.h"
#include "core/model/grid_records.h"

namespace ql {
struct ScoreView;
struct ScoreDocument;
struct ScoreObject;
}  // namespace ql

namespace ql::testing_pitch {

class PitchScoreTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    StaffRecord* Staff(int staff);
    // The cell of staff 1, measure `measure` (1..48), with the given clef and key at
    // its start.
    MeasureCell* CellWith(int clef, int key, int measure = 1);
    // A note linked into voice 0 of the cell at `time` with position and code.
    EventRecord* AddNote(MeasureCell* cell, int time, int position, int code);
    // A clef or key change at a tick of the cell.
    void AddClefChange(MeasureCell* cell, int clef, int tick);
    void AddKeyChange(MeasureCell* cell, int key, int tick);
    // Sets the minor-key flag of every staff.
    void SetMinor(bool minor);

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
};

}  // namespace ql::testing_pitch
