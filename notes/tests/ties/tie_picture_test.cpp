// Picture of a tie: two quarter notes of the same pitch tied above, drawn at zoom 16
// and written to test-output/ties_zoom16.png. Read back from the pixels: without the
// tie the two heads are separate ink; with it, ink joins one head to the other.
#include <gtest/gtest.h>

#include <filesystem>
#include <queue>
#include <vector>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/model/engraving_metrics.h"
#include "core/state.h"
#include "display/hit_test.h"
#include "notes/drawing/note_redraw.h"
#include "notes/tests/entry/entry_fixture.h"
#include "notes/ties/ties.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/types.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::testing_entry {
namespace {

constexpr int kWidth = 520;
constexpr int kHeight = 256;
constexpr int kInkThreshold = 128;
constexpr int kStepInSpace = -3;
// Tie metrics that start the curve inside the head: 32 units right of its centre and
// 36 above (a head is about 150 x 128 units).
constexpr int32_t kGap = 32;
constexpr int32_t kRise = 32;
constexpr int32_t kThickness = 24;
constexpr int32_t kCurveHeight = 104;

class TiePicture : public EntryTest {
  protected:
    // Ties above the notes, away from their downward stems, starting inside the heads.
    void UseTieMetricsFromInsideTheHeads() {
        doc_->internalDistances[static_cast<int>(EngravingMetric::TieOffX)] = kGap;
        doc_->internalDistances[static_cast<int>(EngravingMetric::TieOffY)] = kRise;
        doc_->internalDistances[static_cast<int>(EngravingMetric::TieWid)] = kThickness;
        doc_->internalDistances[static_cast<int>(EngravingMetric::TieHump)] = kCurveHeight;
        State().notes.CurveSide = 0;
    }
    // Two quarters of one pitch side by side in voice 0, their stems down.
    void TwoQuarters() {
        a_ = Note(0, 0, kQuarter, kStepInSpace);
        b_ = Note(0, kQuarterTicks, kQuarter, kStepInSpace);
        for (EventRecord* e : {a_, b_}) e->flags &= static_cast<uint16_t>(~kEventStemFlag);
    }
    // The device pixel of a note's head centre on the open window.
    gfx::Point HeadOf(EventRecord* note) {
        BeginViewDraw(view_);
        const LogicalPoint p = GetEventPosition(note, view_);
        const gfx::Point head = DevicePoint(p.x, p.y);
        EndViewDraw(view_);
        return head;
    }
    EventRecord* a_ = nullptr;
    EventRecord* b_ = nullptr;
    bool Ink(const std::vector<uint32_t>& pixels, gfx::Point p) const {
        if (p.x < 0 || p.y < 0 || p.x >= kWidth || p.y >= kHeight) return false;
        const uint32_t c = pixels[static_cast<size_t>(p.y) * kWidth + p.x];
        return (gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c)) / 3 < kInkThreshold;
    }
    // True when a path of ink pixels (4-connected) leads from `from` to `to`.
    bool Joined(const std::vector<uint32_t>& pixels, gfx::Point from, gfx::Point to) const {
        if (!Ink(pixels, from) || !Ink(pixels, to)) return false;
        std::vector<bool> seen(static_cast<size_t>(kWidth) * kHeight, false);
        std::queue<gfx::Point> open;
        open.push(from);
        seen[static_cast<size_t>(from.y) * kWidth + from.x] = true;
        const gfx::Point steps[] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
        while (!open.empty()) {
            const gfx::Point p = open.front();
            open.pop();
            if (p.x == to.x && p.y == to.y) return true;
            for (const gfx::Point d : steps) {
                const gfx::Point q{p.x + d.x, p.y + d.y};
                if (!Ink(pixels, q) || seen[static_cast<size_t>(q.y) * kWidth + q.x]) continue;
                seen[static_cast<size_t>(q.y) * kWidth + q.x] = true;
                open.push(q);
            }
        }
        return false;
    }
};

// The tie, drawn while the view's pen marks by inverting (a chosen note's voice is
// drawn again in the feedback colours), is filled in the text colour as the heads
// are: inverting would turn it pale on the paper.
TEST_F(TiePicture, TieDrawnInTheFeedbackColoursIsStillInk) {
    const std::filesystem::path font = std::filesystem::path(QL_PROGRAM_DIR) / "Glyphora.ttf";
    if (!std::filesystem::exists(font)) GTEST_SKIP() << "the music font is not built";
    UseTieMetricsFromInsideTheHeads();
    TwoQuarters();
    ASSERT_EQ(ToggleTie(view_, a_, 0), 1);
    OpenWindow(kWidth, kHeight);
    BeginViewDraw(view_);
    BeginHighlightDrawAlt3(view_);
    DrawNoteChain(view_, 0);
    EndHighlightDraw(view_);
    EndViewDraw(view_);
    const gfx::Point headA = HeadOf(a_);
    const gfx::Point headB = HeadOf(b_);
    EXPECT_TRUE(Joined(WindowPixels(), headA, headB)) << "no ink of the tie between the heads";
}

TEST_F(TiePicture, TieInkJoinsTheTwoHeads) {
    const std::filesystem::path font = std::filesystem::path(QL_PROGRAM_DIR) / "Glyphora.ttf";
    if (!std::filesystem::exists(font)) GTEST_SKIP() << "the music font is not built";
    UseTieMetricsFromInsideTheHeads();
    TwoQuarters();
    OpenWindow(kWidth, kHeight);
    BeginViewDraw(view_);
    DrawNoteChain(view_, 0);
    EndViewDraw(view_);
    const gfx::Point headA = HeadOf(a_);
    const gfx::Point headB = HeadOf(b_);
    const std::vector<uint32_t> before = WindowPixels();
    ASSERT_TRUE(Ink(before, headA)) << "the head's centre is ink";
    EXPECT_FALSE(Joined(before, headA, headB)) << "no tie yet";
    ASSERT_EQ(ToggleTie(view_, a_, 0), 1);
    BeginViewDraw(view_);
    DrawNoteChain(view_, 0);  // the tie draws with its note's attachments
    EndViewDraw(view_);
    std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
    EXPECT_TRUE(gfx::WritePng(win::GetWindowImage(window_),
                              (std::filesystem::path(QL_TEST_OUTPUT_DIR) / "ties_zoom16.png").string()));
    EXPECT_TRUE(Joined(WindowPixels(), headA, headB));
}

}  // namespace
}  // namespace ql::testing_entry
