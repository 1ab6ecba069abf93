// The staves a marquee covers: those whose band's left-middle point lies inside it,
// on any system of the page; none without a marquee, and "No selection" outside the
// Pointer tool group.
#include "editing/tests/marquee_fixture.h"

#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/ui/status_bar.h"
#include "editing/marquee.h"
#include "editing/selection.h"
#include "editing/tool_dispatch.h"
#include "platform/ui/headless.h"

namespace ql::testing_editing {
namespace {

constexpr int32_t kHalfStaff = 256;  // a staff rises 512 units above its offset

class MarqueeRange : public MarqueeTest {
  protected:
    void SetUp() override {
        staffCount_ = 3;
        MarqueeTest::SetUp();
        system_ = doc_->firstPage->firstSystem.get();
        ASSERT_NE(system_, nullptr);
    }
    // The vertical middle of a staff's band.
    int32_t Middle(int staff) const { return system_->y + StaffOffsetsOf(system_)[staff] - kHalfStaff; }
    int Range(int* first, int* last) { return MarqueeRangeAtPoint(view_, first, last); }

    const ScoreSystem* system_ = nullptr;
};

TEST_F(MarqueeRange, GivesTheStavesWhoseMiddlesItCovers) {
    DrawMarquee(system_->x + 400, Middle(2) - 64, system_->x + 1600, Middle(3) + 64);
    ASSERT_NE(CurrentMarquee(), nullptr);
    int first = 0;
    int last = 0;
    ASSERT_EQ(Range(&first, &last), 1);
    EXPECT_EQ(first, 2);
    EXPECT_EQ(last, 3);
}

// Only staff 1's middle inside: a range of one staff. A marquee below every staff
// covers none.
TEST_F(MarqueeRange, OneStaffOrNone) {
    DrawMarquee(system_->x + 400, Middle(1) - 64, system_->x + 1600, Middle(1) + 64);
    int first = 0;
    int last = 0;
    ASSERT_EQ(Range(&first, &last), 1);
    EXPECT_EQ(first, 1);
    EXPECT_EQ(last, 1);
    UnfocusElement(view_);
    DrawMarquee(system_->x + 400, Middle(3) + 400, system_->x + 1600, Middle(3) + 800);
    ASSERT_NE(CurrentMarquee(), nullptr);
    first = last = 0;
    EXPECT_EQ(Range(&first, &last), 0);
    EXPECT_EQ(first, 0);
}

// A marquee that ends left of the system's start covers none of its staves.
TEST_F(MarqueeRange, MarqueeLeftOfTheSystemCoversNoStaff) {
    DrawMarquee(system_->x - 1600, Middle(1) - 64, system_->x - 400, Middle(3) + 64);
    ASSERT_NE(CurrentMarquee(), nullptr);
    int first = 0;
    int last = 0;
    EXPECT_EQ(Range(&first, &last), 0);
}

TEST_F(MarqueeRange, NoMarqueeNoRange) {
    int first = 0;
    int last = 0;
    EXPECT_EQ(Range(&first, &last), 0);
}

// Another tool group: the marquee is not the current tool, which the status line says.
TEST_F(MarqueeRange, OutsideThePointerGroupSaysNoSelection) {
    DrawMarquee(system_->x + 400, Middle(1) - 64, system_->x + 1600, Middle(3) + 64);
    CreateStatusBar(window_);
    SetCurrentToolGroup(ToolGroup::Note);
    int first = 0;
    int last = 0;
    EXPECT_EQ(Range(&first, &last), 0);
    ASSERT_FALSE(ui::headless::StatusTexts().empty());
    EXPECT_NE(ui::headless::StatusTexts().back().text.find("No selection"), std::string::npos);
}

}  // namespace
}  // namespace ql::testing_editing
