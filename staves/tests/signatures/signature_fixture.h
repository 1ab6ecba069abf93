// Test fixture of the clef and key tests: a fresh program state, a view in page view
// on a one-page, one-system score of a given number of staves and measures (the
// beat-map test score: C major, treble clef, 4/4, sign widths set by hand), with
// helpers that set cell clefs and keys, enter notes, place clef and key change
// objects in a cell and move the view's location.
#pragma once

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"

namespace ql::testing_signatures {

constexpr int kKeyC = 7;
constexpr int kQuarter = 10;  // duration code

class SignatureTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // One system of `measures` measures; the beat map built.
    void BuildScore(int staves, int measures);
    MeasureCell* Cell(int staff, int measure) const;
    void SetClef(int staff, int measure, int clef);
    void SetKey(int staff, int measure, int key);
    // A quarter note at a staff position of voice 1.
    EventRecord* AddNote(int staff, int measure, int tick, int position);
    // A Clef or KeySignature change object at a tick, appended to the cell's list.
    ScoreObject* PlaceChange(ObjectType type, int staff, int measure, int tick, int code);
    // The number of objects of a type in a cell's list.
    int CountObjects(int staff, int measure, ObjectType type) const;
    void Locate(int staff, int measure);
    // The live bytes of every document pool and the measure table, for comparing
    // the score before and after an edit that must change nothing.
    std::vector<std::byte> Snapshot() const;
    void RebuildBeatMap();

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
};

}  // namespace ql::testing_signatures
