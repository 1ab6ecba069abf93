// Ctrl+Tab on a chosen note on the desktop: two eighths entered in the first measure,
// the second chosen by a click on its head; Ctrl+Tab takes the pointer to the first
// note of the voice in the measure.
#include <vector>

#include "shell/tests/desktop/note_key_scene.h"

namespace ql::desktop {
namespace {

using NoteWalkKeyScenario = NoteKeyScene;

TEST_F(NoteWalkKeyScenario, CtrlTabTakesThePointerToTheVoicesFirstNote) {
    ASSERT_TRUE(OpenBlankScoreWithNotesTool()) << "no score with a staff and the Notes tool";
    const int row = (lines_[3] + lines_[4]) / 2;
    const std::vector<Columns> entered = EnterTwoEighths(row, left_ + (right_ - left_) / 8, 4);
    ASSERT_EQ(entered.size(), 2u) << "the two clicks did not enter two heads";
    ChooseAt(entered[1].Middle(), row);
    ASSERT_GT(x_.PointerPosition().first, entered[0].right + space_);

    x_.PressKey("ctrl+Tab");
    const bool walked = WaitFor(
        [&] {
            const int x = x_.PointerPosition().first;
            return x >= entered[0].left - 2 * space_ && x <= entered[0].right + space_;
        },
        kRedrawTimeout);
    EXPECT_TRUE(walked) << "Ctrl+Tab left the pointer at x " << x_.PointerPosition().first << ", the first head is at "
                        << entered[0].left << ".." << entered[0].right;
    EXPECT_EQ(HeadsNow(row).size(), 2u) << "Ctrl+Tab changed the notes";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
