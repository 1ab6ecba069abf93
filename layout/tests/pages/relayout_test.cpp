// Laying pages out again changes nothing once they are laid out: on seeded scores
// of notes with accidentals, re-spaced and laid out once, two more layouts leave
// every measure's width and factor and every system's place as they were.
#include <random>
#include <string>

#include "core/model/grid_records.h"
#include "core/model/pages.h"
#include "core/state.h"
#include "layout/measure_format.h"
#include "layout/page_format.h"
#include "layout/tests/pages/page_format_fixture.h"

namespace ql::testing_layout {
namespace {

class RelayoutTest : public PageFormatTest {
  protected:
    // The measures' widths, margins and factors, and the systems' places.
    std::string Layout() const {
        std::string out;
        for (int m = 1; m <= doc_->header.measureCount; ++m) {
            const MeasureRecord* r = MeasureRecordOf(doc_, m);
            out += std::to_string(r->width) + "," + std::to_string(r->lead) + "," + std::to_string(r->trail) +
                   "," + std::to_string(r->stretch) + " ";
        }
        for (ScorePage* page = doc_->firstPage; page != nullptr; page = page->next.get())
            for (ScoreSystem* s = page->firstSystem.get(); s != nullptr; s = s->next.get())
                out += "[" + std::to_string(s->x) + "," + std::to_string(s->y) + "]";
        return out;
    }
    // Every measure of both staves filled with sixteenths to halves on random
    // steps, a third of them with an accidental.
    void FillMeasures(std::mt19937& random) {
        for (int m = 1; m <= doc_->header.measureCount; ++m)
            for (int staff = 1; staff <= 2; ++staff)
                for (int time = 0, code = 0; time + (1 << (code = 8 + static_cast<int>(random() % 4))) <= 4096;
                     time += 1 << code) {
                    EventRecord* note = Note(staff, m, 0, time, code, static_cast<int>(random() % 9) - 4);
                    if (random() % 3 == 0) Accidental(note, 1 + static_cast<int>(random() % 3));
                }
    }
};

TEST_F(RelayoutTest, ASecondLayoutLeavesThePagesAsTheFirst) {
    for (int seed = 0; seed < 24; ++seed) {
        SCOPED_TRACE(seed);
        std::mt19937 random(seed);
        NewScore(2, 3, 4);
        State().program.SpaceAccidentals = seed % 2;
        FillMeasures(random);
        ReformatOptions options;
        options.reformat = 1;
        ReformatFromPage(view_, &options, doc_->firstPage);
        FormatMeasuresOfAllPages(view_);
        const std::string once = Layout();
        FormatMeasuresOfAllPages(view_);
        EXPECT_EQ(Layout(), once);
        FormatMeasuresOfAllPages(view_);
        EXPECT_EQ(Layout(), once);
    }
}

}  // namespace
}  // namespace ql::testing_layout
