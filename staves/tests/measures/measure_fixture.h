// Shared set-up of the measure-editing tests: a fresh program state and window
// layer, a page view on a new document with staves and numbered measures, and an
// image of everything an edit may write (every live pool record, the measure
// table, the measure count) so that a refused edit can be shown to have changed
// nothing. After each test the document must have given every block back.
#pragma once

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstddef>
#include <string>
#include <vector>

#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/tests/model/new_document_fixture.h"

namespace ql::testing_measures {

class MeasureTest : public ::ql::testing::NewDocumentTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Staves 0..staffCount with cells 0..measures + 4, every measure 4/4, numbered 1...
    void BuildScore(int staffCount, int measures);
    MeasureRecord& Record(int measure) { return *MeasureRecordOf(doc_, measure); }
    MeasureCell* Cell(int staff, int measure);
    // The displayed numbers of measures 1..count.
    std::vector<int> Numbers() const;
    // A note in voice 0 of a cell.
    EventRecord* Note(int staff, int measure, int time);
    // Everything an edit of the grid may write, as bytes: the measure count and
    // table, and every live record of the document's pools with its place.
    std::vector<std::byte> Image() const;
    // Texts of the message boxes shown so far.
    static std::vector<std::string> BoxTexts();
    static std::vector<std::string> StatusTexts();
    void UseMeasure(int measure, int staff = 1);
};

}  // namespace ql::testing_measures
