// The six-entry save stacks and the allocation-context guard.
#include <gtest/gtest.h>

#include <stdexcept>

#include "core/units/save_stacks.h"
#include "core/tests/units/units_fixture.h"
#include "platform/win/input.h"

namespace ql {
namespace {

class SaveStacksTest : public testing_units::UnitsViewTest {
  protected:
    void SetUp() override {
        UnitsViewTest::SetUp();
        SetSaveStackOverflowAssertsForTests(false);
    }
    void TearDown() override {
        SetSaveStackOverflowAssertsForTests(true);
        UnitsViewTest::TearDown();
    }
};

// Seven pushes keep the first six; seven pops return them in reverse, then 0.
TEST_F(SaveStacksTest, SeventhPushIsDroppedAndPopsReturnSixInReverse) {
    for (int16_t value = 1; value <= 7; ++value) PushShortValue(static_cast<int16_t>(value * 10));
    EXPECT_EQ(State().stacks.shortValues.count, kSaveStackDepth);
    for (int16_t expected = 60; expected >= 10; expected -= 10)
        EXPECT_EQ(PopShortValue(), expected);
    EXPECT_EQ(PopShortValue(), 0);
    EXPECT_EQ(State().stacks.shortValues.count, 0);
}

// A pop of an empty stack leaves the count at 0, so later pushes pair correctly.
TEST_F(SaveStacksTest, PopOfEmptyStackKeepsCountAtZero) {
    EXPECT_EQ(PopShortValue(), 0);
    PushShortValue(-5);
    EXPECT_EQ(PopShortValue(), -5);
}

// Popping the pointer position moves the pointer back when it moved.
TEST_F(SaveStacksTest, PopCursorPositionMovesPointerBack) {
    win::SetCursorPosition(win::Point{10, 20});
    PushCursorPosition();
    win::SetCursorPosition(win::Point{50, 60});
    PopCursorPosition(false);
    EXPECT_EQ(win::GetCursorPosition(), (win::Point{10, 20}));
}

// A clearing pop empties the stack and leaves the pointer where it is.
TEST_F(SaveStacksTest, ClearingPopEmptiesStackWithoutMovingPointer) {
    win::SetCursorPosition(win::Point{10, 20});
    PushCursorPosition();
    PushCursorPosition();
    win::SetCursorPosition(win::Point{50, 60});
    PopCursorPosition(true);
    EXPECT_EQ(State().stacks.pointerPositions.count, 0);
    PopCursorPosition(false);
    EXPECT_EQ(win::GetCursorPosition(), (win::Point{50, 60}));
}

// The view location comes back through MoveViewToObject after the view moved.
TEST_F(SaveStacksTest, ViewLocationPopsBackToTheSavedMeasure) {
    view_.positionWord = 512;
    view_.currentStaff = 2;
    view_.currentMeasure = 3;
    PushViewLocation(&view_);
    view_.positionWord = 7;
    view_.currentStaff = 1;
    view_.currentMeasure = 6;
    PopViewLocation(&view_);
    EXPECT_EQ(view_.positionWord, 512u);
    EXPECT_EQ(view_.currentStaff, 2);
    EXPECT_EQ(view_.currentMeasure, 3);
    EXPECT_EQ(State().stacks.viewLocations.count, 0);
}

// The guard restores the previous set on every way out, nested or not.
TEST_F(SaveStacksTest, AllocContextScopeRestoresPreviousSetOnEveryPath) {
    DocumentPoolSet first{};
    DocumentPoolSet second{};
    SetCurrentPoolSet(PoolSet(first));
    {
        AllocContextScope outer{PoolSet(TheStaticPoolSet())};
        EXPECT_EQ(CurrentPoolSet(), PoolSet(TheStaticPoolSet()));
        {
            AllocContextScope inner{PoolSet(second)};
            EXPECT_EQ(CurrentPoolSet(), PoolSet(second));
        }
        EXPECT_EQ(CurrentPoolSet(), PoolSet(TheStaticPoolSet()));
    }
    EXPECT_EQ(CurrentPoolSet(), PoolSet(first));
    try {
        AllocContextScope copying{PoolSet(second)};
        throw std::runtime_error("copy failed");
    } catch (const std::runtime_error&) {
    }
    EXPECT_EQ(CurrentPoolSet(), PoolSet(first));
    SetCurrentPoolSet(PoolSet{});
}

using SaveStacksDeathTest = testing_units::UnitsViewTest;

// An unbalanced push (the seventh) is a loud failure in debug builds.
TEST_F(SaveStacksDeathTest, SeventhPushAssertsInDebugBuilds) {
    for (int i = 0; i < kSaveStackDepth; ++i) PushShortValue(1);
    EXPECT_DEBUG_DEATH(PushShortValue(7), "save stack overflow");
}

}  // namespace
}  // namespace ql
