// Spacing nudges at an item: the distance from the previous column grows or shrinks
// by one eighth (at most 76 units), the columns after it move with it, and the
// pointer stands beside the item at its new place.
#include <gtest/gtest.h>

#include <algorithm>

#include "notes/beatmap/beat_map.h"
#include "notes/handler/notes_handler.h"
#include "notes/rests/staff_place.h"
#include "notes/tests/entry/entry_fixture.h"

namespace ql::testing_entry {
namespace {

using NoteSpacing = EntryTest;

constexpr int kStep = -4;

int32_t X(ScoreView* view, int tick) {
    return BeatMapTickToX(view, tick);
}

// A short distance grows by an eighth and a long one by 76 at most; narrowing takes
// the same step off; the column after moves by the same amount.
TEST_F(NoteSpacing, WidenAndNarrowByAnEighthCappedAt76) {
    Note(0, 0, kSixteenth, kStep);
    Note(0, 256, kSixteenth, kStep);
    Note(0, 512, kHalf, kStep);
    Note(0, 2560, kHalf, kStep);
    const int32_t shortGap = X(view_, 256) - X(view_, 0);
    ASSERT_LT(shortGap, 8 * 76) << "the fixture spaces a sixteenth below the cap";
    const int32_t after = X(view_, 512) - X(view_, 256);
    NudgeEventSpacing(view_, 256, 1, false);
    EXPECT_NEAR(X(view_, 256) - X(view_, 0), shortGap + shortGap / 8, 1);
    EXPECT_NEAR(X(view_, 512) - X(view_, 256), after, 1) << "the next column keeps its distance";
    const int32_t widened = X(view_, 256) - X(view_, 0);
    NudgeEventSpacing(view_, 256, -1, false);
    EXPECT_NEAR(X(view_, 256) - X(view_, 0), widened - widened / 8, 1);
    const int32_t longGap = X(view_, 2560) - X(view_, 512);
    ASSERT_GT(longGap, 8 * 76) << "a half note is spaced beyond the cap";
    NudgeEventSpacing(view_, 2560, 1, false);
    EXPECT_NEAR(X(view_, 2560) - X(view_, 512), longGap + 76, 1);
}

// The pointer goes 38 beside the item's new x, on the side it came from; an item
// with no earlier column measures from the first beat; direction 0 does nothing.
TEST_F(NoteSpacing, PointerFollowsTheItem) {
    Note(0, 0, kQuarter, kStep);
    Note(0, 1024, kQuarter, kStep);
    view_->pointerPoint.x = CurrentSlotX(view_) + X(view_, 1024) + 10;
    NudgeEventSpacing(view_, 1024, 1, false);
    EXPECT_EQ(view_->pointerPoint.x, CurrentSlotX(view_) + X(view_, 1024) + 38);
    view_->pointerPoint.x = CurrentSlotX(view_) + X(view_, 1024) - 10;
    NudgeEventSpacing(view_, 1024, -1, false);
    EXPECT_EQ(view_->pointerPoint.x, CurrentSlotX(view_) + X(view_, 1024) - 38);
    const ColumnPoint first = TimeToSystemX(view_, 0);
    EXPECT_EQ(first.time, 0);
    EXPECT_EQ(first.x, CurrentSlotX(view_) + X(view_, 0));
    const int32_t before = X(view_, 1024);
    NudgeEventSpacing(view_, 1024, 0, false);
    EXPECT_EQ(X(view_, 1024), before);
}

// The spacing keys take the item at or after the pointer's tick, else the one before.
TEST_F(NoteSpacing, CursorKeysFindTheItem) {
    Note(0, 0, kQuarter, kStep);
    Note(0, 1024, kQuarter, kStep);
    view_->pointerPoint.x = CurrentSlotX(view_) + X(view_, 600);
    EXPECT_EQ(ItemTimeAtCursor(view_), 1024);
    view_->pointerPoint.x = CurrentSlotX(view_) + X(view_, 3000);
    EXPECT_EQ(ItemTimeAtCursor(view_), 1024) << "nothing after: the item before";
    const int32_t gap = X(view_, 1024) - X(view_, 0);
    view_->pointerPoint.x = CurrentSlotX(view_) + X(view_, 600);
    WidenSpacingAtCursor(view_);
    EXPECT_GT(X(view_, 1024) - X(view_, 0), gap);
}

// Only the voice entered is looked at: a note of another voice between the pointer
// and the voice's next note is passed over.
TEST_F(NoteSpacing, CursorKeysLookAtTheCurrentVoiceOnly) {
    Note(0, 0, kQuarter, kStep);
    Note(0, 2048, kQuarter, kStep);
    Note(1, 1024, kQuarter, kStep + 2);
    view_->pointerPoint.x = CurrentSlotX(view_) + X(view_, 600);
    view_->voiceMask = 1;  // voice 1
    EXPECT_EQ(ItemTimeAtCursor(view_), 2048);
    view_->voiceMask = 2;  // voice 2
    EXPECT_EQ(ItemTimeAtCursor(view_), 1024);
}

}  // namespace
}  // namespace ql::testing_entry
