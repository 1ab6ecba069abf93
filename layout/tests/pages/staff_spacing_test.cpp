// Staff spacing from a page on (FormatPagesAfter): staff offsets at multiples of
// the staff separation over the visible staves, a hidden staff at the offset of
// the staff before it, on one page or on every page from it.
#include <vector>

#include "core/model/pages.h"
#include "layout/page_chain.h"
#include "layout/page_format.h"
#include "layout/tests/pages/page_format_fixture.h"

namespace ql::testing_layout {
namespace {

constexpr uint16_t kSeparation = 900;
const std::vector<uint16_t> kScrambled = {0, 300, 1700};

class StaffSpacingTest : public PageFormatTest {
  protected:
    // A 3-staff score of `measures` measures on a 2 x 2 grid, every system's
    // offsets scrambled, staff 2 of page 1's second system hidden.
    void ScrambledScore(int measures) {
        NewScore(3, 2, 2);
        ASSERT_EQ(AddMeasures(view_, measures), 1);
        ReformatOptions options;
        ReformatFromPage(view_, &options, doc_->firstPage);
        for (ScorePage* p = doc_->firstPage; p != nullptr; p = p->next.get())
            for (ScoreSystem* s = p->firstSystem.get(); s != nullptr; s = s->next.get())
                for (int staff = 1; staff <= 3; ++staff) StaffOffsetsOf(s)[staff] = kScrambled[staff - 1];
        StaffFlagsOf(SystemAt(0, 1))[2] |= static_cast<int8_t>(pages::kHiddenStaff);
    }
    static std::vector<uint16_t> Offsets(const ScoreSystem* s) {
        return {StaffOffsetsOf(s)[1], StaffOffsetsOf(s)[2], StaffOffsetsOf(s)[3]};
    }
    static ReformatOptions Spacing(bool allPages) {
        ReformatOptions options;
        options.staffSpacing = 1;
        options.staffSeparation = kSeparation;
        options.allPages = allPages ? 1 : 0;
        return options;
    }
};

TEST_F(StaffSpacingTest, VisibleStavesTakeMultiplesOfTheSeparation) {
    ScrambledScore(12);
    const ReformatOptions options = Spacing(true);
    FormatPagesAfter(view_, &options, doc_->firstPage);
    // Every visible staff at a multiple of the separation; the hidden staff 2 keeps
    // staff 1's offset and staff 3 takes the next multiple.
    EXPECT_EQ(Offsets(SystemAt(0, 0)), (std::vector<uint16_t>{0, kSeparation, 2 * kSeparation}));
    EXPECT_EQ(Offsets(SystemAt(0, 1)), (std::vector<uint16_t>{0, 0, kSeparation}));
    EXPECT_EQ(Offsets(SystemAt(2, 1)), (std::vector<uint16_t>{0, kSeparation, 2 * kSeparation}));
    // The pages are laid out again with the new offsets: every system's top still
    // within the page and in order.
    for (ScorePage* p = doc_->firstPage; p != nullptr; p = p->next.get())
        for (ScoreSystem* s = p->firstSystem.get(); s != nullptr && s->next; s = s->next.get())
            EXPECT_LT(s->y, s->next.get()->y);
}

TEST_F(StaffSpacingTest, FormatPagesAfterSpacesOnePageOrAllAfterIt) {
    ScrambledScore(12);
    // Without the all-pages flag only the given page changes.
    ReformatOptions options = Spacing(false);
    FormatPagesAfter(view_, &options, GetPageAt(doc_, 1));
    EXPECT_EQ(Offsets(SystemAt(0, 0)), kScrambled);
    EXPECT_EQ(Offsets(SystemAt(1, 0)), (std::vector<uint16_t>{0, kSeparation, 2 * kSeparation}));
    EXPECT_EQ(Offsets(SystemAt(2, 0)), kScrambled);
    // With it, every page from the given one; the pages before it keep theirs.
    options = Spacing(true);
    FormatPagesAfter(view_, &options, GetPageAt(doc_, 1));
    EXPECT_EQ(Offsets(SystemAt(0, 1)), kScrambled);
    EXPECT_EQ(Offsets(SystemAt(2, 1)), (std::vector<uint16_t>{0, kSeparation, 2 * kSeparation}));
    // A page that is not in the list changes nothing.
    ScorePage stray{};
    FormatPagesAfter(view_, &options, &stray);
    EXPECT_EQ(Offsets(SystemAt(0, 0)), kScrambled);
}

}  // namespace
}  // namespace ql::testing_layout
