// Shared set-up of the layout tests: a fresh program state and window layer, plain
// test classes for the object types the layout reads (margin elements, accidentals,
// rests, clefs, key signatures), a page view on a new document with staves, and
// helpers that write notes, rests, measure lengths and spacing lists. After each
// test the document must have given every block back to the arena.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/state.h"
#include "core/tests/model/new_document_fixture.h"
#include "layout/measure_spacing.h"
#include "layout/spacing/spacing_list.h"

namespace ql::testing_layout {

// Staff size 4 ("Size 3"), 1917.44 logical units per inch.
constexpr uint8_t kStaffSize4 = 4;

// One spacing entry as the tests write and read it: position, duration, value.
struct Column {
    int time;
    int ticks;
    int value;
    bool operator==(const Column&) const = default;
};
void PrintTo(const Column& column, std::ostream* out);

// Registers the plain test classes of the object types the layout reads.
void RegisterLayoutTestTypes();

class LayoutTest : public ::ql::testing::NewDocumentTest {
  protected:
    void SetUp() override;
    void TearDown() override;

    // Staff records for staves 0..staffCount with cells 0..measureCount + 4; every
    // measure `ticks` long with the proportional width of the default factor.
    void BuildScore(int staffCount, int measureCount, int ticks = 4096);
    MeasureRecord& Record(int measure) { return *MeasureRecordOf(doc_, measure); }
    MeasureCell* Cell(int staff, int measure);
    void SetLength(int measure, int ticks);

    // A note of a duration code in a voice of a cell (dots 0..3).
    EventRecord* Note(int staff, int measure, int voice, int time, int code, int step = 0,
                      int dots = 0);
    // A rest in a voice's element list.
    ScoreObject* Rest(int staff, int measure, int voice, int time, int code);
    // The accidental code of a note, with its Accidental object.
    ScoreObject* Accidental(EventRecord* note, int code);

    // The view's location at a staff and measure of the first page's first system.
    void UseMeasure(int measure, int staff = 1);
    // The texts sent to a status part, in order.
    static std::vector<std::string> StatusPart(int part);

    // The first page's first system holds measures first..last.
    ScoreSystem* UseSystem(int first, int last);

    // The measure's list; writes a list (in order, linked as given).
    std::vector<Column> Columns(int measure);
    void WriteColumns(int measure, std::initializer_list<Column> columns);
};

}  // namespace ql::testing_layout
