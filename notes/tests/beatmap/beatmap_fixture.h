// Test fixture of the beat-map tests: a fresh program state, a view in page view and
// a document of a given number of staves, pages and systems, with the engraving
// metrics and sign widths of a real score (the glyph advances set by hand), every
// cell in C major, treble clef and 4/4. Helpers set signatures, barlines and
// spacing, and read the map back.
#pragma once

#include <gtest/gtest.h>

#include <vector>

#include "core/constants.h"
#include "core/model/beat_map_record.h"
#include "core/model/grid_records.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "notes/tests/beatmap/beatmap_score.h"

namespace ql::testing_beatmap {

using beatmap_score::kSystemX;
using beatmap_score::kWholeMeasure;
constexpr int kQuarterUnit = 10;  // beat unit code of a quarter
constexpr int kKeyC = 7;

class BeatMapTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;

    // A score of `staves` staves whose page i holds pages[i] systems of `perSystem`
    // measures each; the view shows page 1, its first system current.
    void BuildScore(int staves, const std::vector<int>& pages, int perSystem);
    ScorePage* Page(int index) const;  // 0 = page 1
    ScoreSystem* System(int page, int index) const;
    MeasureCell* Cell(int staff, int measure) const;
    MeasureRecord& Record(int measure) const;
    // Every staff's cell (and the record's length) of one measure.
    void SetTime(int measure, int beats, int unit);
    void SetKey(int measure, int key);
    void SetClef(int staff, int measure, int clef);
    void SetBarline(int measure, BarlineType type);
    // A clef or key change (ObjectType::Clef or KeySignature) at a tick of a staff's
    // cell, put at the end of the cell's list.
    ScoreObject* PlaceChange(int staff, int measure, ObjectType type, uint16_t tick, uint8_t code);
    // A spacing list of (time, ticks, x per 16 ticks) columns for a measure.
    struct Column {
        uint16_t time;
        uint16_t ticks;
        uint16_t factor;
    };
    void SetSpacing(int measure, const std::vector<Column>& columns);
    // Makes a page and one of its systems current.
    void ShowSystem(int page, int index);

    const BeatMap& Map() const { return view_->beatMap; }
    // x of every multiple of 16 ticks of a slot's measure, through the reader.
    std::vector<int> Ticks(const ScoreSystem* system, int slot) const;

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
};

}  // namespace ql::testing_beatmap
