// A measure entered by hand holds its columns: after 32nd notes are clicked in and
// one of them is dotted (the notes after it moving on by the dot), every time of the
// measure keeps a column of its own, a head's width and more from the next; the
// engraving check finds nothing.
#include <gtest/gtest.h>

#include <tuple>

#include "core/state.h"
#include "core/undo/undo.h"
#include "display/tests/painter/engraving_expect.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "notes/tests/entry/entry_fixture.h"

namespace ql::testing_entry {
namespace {

constexpr int kBlackHeadGlyph = 72;
constexpr int32_t kBlackHead = 150;

// The palette entry clicked in (6: 32nds), the ticks between the clicks, and the
// click whose note is dotted.
struct ColumnCase {
    uint16_t entry;
    int spacing;
    int dotted;
};

class EntryColumns : public EntryTest, public ::testing::WithParamInterface<ColumnCase> {
  protected:
    void SetUp() override {
        EntryTest::SetUp();
        FreeDocument(doc_);
        doc_ = AllocDocument();
        ASSERT_TRUE(beatmap_score::Build(doc_, view_, 2, {1}, 2));
        beatmap_score::SetAdvance(doc_, kBlackHeadGlyph, kBlackHead);
        UpdateBeatMaps(view_, 1);
        SetCurrentMeasureQuick(view_, 1, 1);
        ClearUndoHistory(doc_);
    }
};

TEST_P(EntryColumns, DottedNoteKeepsEveryTimeInItsOwnColumn) {
    const ColumnCase c = GetParam();
    State().notes.NoteTools.selectedEntry = c.entry;
    for (int tick = 0; tick < kQuarterTicks * 4; tick += c.spacing) {
        PointAt(tick, kMiddleLine);
        Click();
    }
    const std::vector<EventRecord*> chords = Chords();
    ASSERT_GT(chords.size(), static_cast<size_t>(c.dotted));
    Key(chords[static_cast<size_t>(c.dotted)], 'D');
    EXPECT_TRUE(::ql::testing::EngravingIsClean(view_));
}

INSTANTIATE_TEST_SUITE_P(Values, EntryColumns,
                         ::testing::Values(ColumnCase{6, 128, 0}, ColumnCase{6, 128, 1}, ColumnCase{6, 128, 3},
                                           ColumnCase{6, 128, 5}, ColumnCase{6, 128, 6}));

}  // namespace
}  // namespace ql::testing_entry
