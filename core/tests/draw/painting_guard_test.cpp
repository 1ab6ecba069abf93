// The painting guard: while drawing runs nothing marks the document modified, guards
// nest, and each paint (the span from the first guard to the last) gets a serial
// number of its own.
#include "core/draw/painting_guard.h"

#include <gtest/gtest.h>

#include <memory>

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/state.h"

namespace ql {
namespace {

class PaintingGuardTest : public ::testing::Test {
  protected:
    void SetUp() override { ResetProgramState(); }
    void TearDown() override { ResetProgramState(); }
    ScoreDocument document_;
};

// Inside a guard, nested or not, a change is not counted; after the last guard it is.
TEST_F(PaintingGuardTest, DrawingNeverMarksTheDocument) {
    SetDocumentModified(&document_);
    EXPECT_EQ(document_.changeCounter, 1);
    {
        const ScopedPaintingGuard outer;
        SetDocumentModified(&document_);
        {
            const ScopedPaintingGuard inner;
            SetDocumentModified(&document_);
        }
        EXPECT_TRUE(IsPaintingGuardSet());
        SetDocumentModified(&document_);  // still inside the outer guard
    }
    EXPECT_EQ(document_.changeCounter, 1);
    EXPECT_FALSE(IsPaintingGuardSet());
    SetDocumentModified(&document_);
    EXPECT_EQ(document_.changeCounter, 2);
    // Transcription's unlocked form still counts during a paint.
    const ScopedPaintingGuard guard;
    SetDocumentModifiedUnlocked(&document_);
    EXPECT_EQ(document_.changeCounter, 3);
}

// The serial moves on when a paint starts, not for guards nested in it.
TEST_F(PaintingGuardTest, EachPaintHasItsOwnSerial) {
    const uint32_t start = CurrentPaintSerial();
    {
        const ScopedPaintingGuard outer;
        EXPECT_EQ(CurrentPaintSerial(), start + 1);
        const ScopedPaintingGuard inner;
        EXPECT_EQ(CurrentPaintSerial(), start + 1);
    }
    const ScopedPaintingGuard next;
    EXPECT_EQ(CurrentPaintSerial(), start + 2);
}

// The serial wraps at its limit and paints still get distinct numbers around it.
TEST_F(PaintingGuardTest, SerialWrapsAtItsLimit) {
    PlaybackFlags().PaintSerial.store(UINT32_MAX);
    {
        const ScopedPaintingGuard paint;
        EXPECT_EQ(CurrentPaintSerial(), 0u);
    }
    const ScopedPaintingGuard paint;
    EXPECT_EQ(CurrentPaintSerial(), 1u);
}

}  // namespace
}  // namespace ql
