// Test fixture of the score-model tests: a fresh program state, a view and a new
// document built for it, helpers that build staves and voices, and a check that the
// document gave every block back to the arena when it was destroyed.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <vector>

#include "core/memory/arena.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "platform/ui/headless.h"

namespace ql::testing_model {

// Registers plain test classes for the object types the model builds itself
// (margin elements, accidentals heading attachment chains, labels, rests, clefs).
void RegisterModelTestTypes();

class ModelTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Staff records for staves 0..staffCount with cells 0..measureCount + 4.
    void BuildStaves(int measureCount);
    MeasureCell* Cell(int staff, int measure);
    // Makes the view's current cell staff 1, measure 1 with the measure length of
    // the default time signature.
    MeasureCell* UseCell(int staff = 1, int measure = 1);

    // A note linked into a voice of a cell through the chain rules.
    EventRecord* Note(MeasureCell* cell, int voice, int time, int duration, int step);
    // The events of a voice as (time, step) pairs, in chain order.
    std::vector<std::pair<int, int>> Voice(MeasureCell* cell, int voice);
    // Beam links of the given chord heads form exactly one group, in that order.
    static void ExpectBeamGroup(std::initializer_list<EventRecord*> heads);

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    size_t arenaBytesAtStart_ = 0;
};

}  // namespace ql::testing_model
