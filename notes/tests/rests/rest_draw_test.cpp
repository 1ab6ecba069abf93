// Where rests stand and how they are drawn: the anchor, the zoom nudges of half and
// whole rests, ledger lines of long rests, every value in one and in three voices on
// a window, hidden rests, the whole-measure rest, and that drawing writes nothing.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>

#include "core/draw/draw_surface.h"
#include "core/draw/painting_guard.h"
#include "core/model/document.h"
#include "core/state.h"
#include "notes/beatmap/beat_map.h"
#include "notes/rests/rest.h"
#include "notes/rests/rest_internal.h"
#include "notes/rests/staff_place.h"
#include "notes/tests/rests/rest_fixture.h"
#include "platform/gfx/types.h"

namespace ql::testing_rests {
namespace {

constexpr int kHalfWidth = kRestAdvance / 2;
constexpr int kWindowWidth = 1400;
constexpr int kWindowHeight = 256;
constexpr int kInkThreshold = 128;
constexpr uint32_t kStaffOssia = 0x1000;

// The anchor: slot x + tick x + half width + 16 x offset; y from the position and the
// fine offset.
TEST_F(RestTest, AnchorOfARest) {
    ScoreObject* rest = Rest(0, 1024, kQuarter);
    Body(rest).xOffset = 2;
    Body(rest).fineY = -7;
    const LogicalPoint at = ComputeRestGeometry(view_, rest);
    EXPECT_EQ(at.x, CurrentSlotX(view_) + BeatMapTickToX(view_, 1024) + kHalfWidth + 32);
    EXPECT_EQ(at.y, StaffBaseY(view_) - 4 * 64 - 7);
    EXPECT_EQ(GetRestXOffset(rest), 32);
    // At a staff scale of 75 %, the position is scaled, the fine offset is not.
    view_->zoomFactor = 0.75;
    EXPECT_EQ(ComputeRestGeometry(view_, rest).y, StaffBaseY(view_) - 192 - 7);
}

// Half and longer rests stand on a line with no fine offset: an odd position counts
// rounded up to the line above; the record keeps what it holds. The zoom level nudges
// half and whole rests.
TEST_F(RestTest, LongRestsStandOnALine) {
    ScoreObject* half = Rest(0, 0, kHalf);
    Body(half).position = -5;
    Body(half).fineY = 30;
    view_->zoom = 20;  // no nudge at this zoom level
    EXPECT_EQ(ComputeRestGeometry(view_, half).y, StaffBaseY(view_) - 6 * 64);
    EXPECT_EQ(Body(half).position, -5);
    EXPECT_EQ(Body(half).fineY, 30);
    struct Nudge {
        int zoom, code, dy;
    };
    const Nudge nudges[] = {{3, kHalf, 64}, {4, kHalf, 8},  {5, kHalf, 32}, {13, kHalf, 8},
                            {40, kHalf, -4}, {16, kHalf, 0}, {3, kWhole, 32}, {5, kWhole, 16},
                            {8, kWhole, -8}, {19, kWhole, 8}, {20, kWhole, 0}, {3, kDoubleWhole, 0}};
    for (const Nudge& n : nudges) {
        Body(half).code = static_cast<uint8_t>(n.code);
        view_->zoom = n.zoom;
        EXPECT_EQ(ComputeRestGeometry(view_, half).y, StaffBaseY(view_) - 6 * 64 + n.dy)
            << "zoom " << n.zoom << " code " << n.code;
    }
}

// Ledger lines of long rests on a five-line staff (lines 0..-8) and a one-line staff.
TEST_F(RestTest, LedgerLinesOfLongRests) {
    int line = 0;
    // Half rest: a line at its position outside the staff only.
    EXPECT_TRUE(rests::RestLedgerLine(view_, kHalf, -10, &line));
    EXPECT_EQ(line, -10);
    EXPECT_FALSE(rests::RestLedgerLine(view_, kHalf, -8, &line));
    EXPECT_TRUE(rests::RestLedgerLine(view_, kHalf, 2, &line));
    EXPECT_EQ(line, 2);
    // Whole rest: hangs from the line above it; none while that line is in the staff.
    EXPECT_FALSE(rests::RestLedgerLine(view_, kWhole, -6, &line));
    EXPECT_FALSE(rests::RestLedgerLine(view_, kWhole, 0, &line));
    EXPECT_TRUE(rests::RestLedgerLine(view_, kWhole, -8, &line));
    EXPECT_EQ(line, -10);
    EXPECT_TRUE(rests::RestLedgerLine(view_, kWhole, 4, &line));
    EXPECT_EQ(line, 2);
    // Double whole: none on the staff's lines; above at its position, below 2 higher.
    EXPECT_FALSE(rests::RestLedgerLine(view_, kDoubleWhole, -8, &line));
    EXPECT_TRUE(rests::RestLedgerLine(view_, kDoubleWhole, -12, &line));
    EXPECT_EQ(line, -12);
    EXPECT_TRUE(rests::RestLedgerLine(view_, kDoubleWhole, 4, &line));
    EXPECT_EQ(line, 2);
    EXPECT_FALSE(rests::RestLedgerLine(view_, kQuarter, 10, &line));
    // One line (at -4): a whole rest at -4 hangs outside, from -6.
    view_->currentStaffRecord->flags = 0x0100;
    EXPECT_TRUE(rests::RestLedgerLine(view_, kWhole, -4, &line));
    EXPECT_EQ(line, -6);
    EXPECT_FALSE(rests::RestLedgerLine(view_, kDoubleWhole, -4, &line));
}

class RestPictureTest : public RestTest {
  protected:
    void SetUp() override {
        RestTest::SetUp();
        OpenWindow(kWindowWidth, kWindowHeight);
    }
    bool IsInk(uint32_t c) const {
        return (gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c)) / 3 < kInkThreshold;
    }
    // Ink pixels inside a logical box (widened by a pixel on each side).
    int InkIn(const RecordRect& box) {
        const gfx::Point a = DevicePoint(box.left, box.top);
        const gfx::Point b = DevicePoint(box.right, box.bottom);
        const std::vector<uint32_t> pixels = WindowPixels();
        int ink = 0;
        for (int y = std::max(0, a.y - 1); y <= std::min(kWindowHeight - 1, b.y + 1); ++y)
            for (int x = std::max(0, a.x - 1); x <= std::min(kWindowWidth - 1, b.x + 1); ++x)
                ink += IsInk(pixels[static_cast<size_t>(y) * kWindowWidth + x]) ? 1 : 0;
        return ink;
    }
    int AllInk() {
        int ink = 0;
        for (uint32_t c : WindowPixels()) ink += IsInk(c) ? 1 : 0;
        return ink;
    }
    RecordRect Box(ScoreObject* rest) {
        return rests::RestGlyphBox(view_, rest, ComputeRestGeometry(view_, rest));
    }
    void Draw(ScoreObject* rest) { rests::TheRestClass().Draw(rest, view_); }
};

// Every value 4..13 of one voice, one per beat across the measures: each glyph's ink
// lies in its glyph box, and drawing marks nothing modified.
TEST_F(RestPictureTest, EveryValueInOneVoice) {
    std::vector<ScoreObject*> made;
    for (int code = 4; code <= kDoubleWhole; ++code) {
        UseMeasure(1 + (code - 4) / 3);
        ScoreObject* rest = Rest(0, ((code - 4) % 3) * 1024, code);
        ASSERT_NE(rest, nullptr);
        EXPECT_EQ(Body(rest).position, rests::RestRowPlace(rests::RestRow::Single, code));
        made.push_back(rest);
    }
    const uint16_t edits = doc_->changeCounter;
    for (int code = 4; code <= kDoubleWhole; ++code) {
        UseMeasure(1 + (code - 4) / 3);
        ScoreObject* rest = made[static_cast<size_t>(code - 4)];
        Draw(rest);
        EXPECT_GT(InkIn(Box(rest)), 0) << "code " << code;
    }
    EXPECT_EQ(doc_->changeCounter, edits);
    EXPECT_FALSE(IsPaintingGuardSet());
}

// Three voices: the upper row 4 higher for voice 0 (voice 1 in use), the upper row
// for voice 1 and the lower row for voice 2; each is drawn where its place says.
TEST_F(RestPictureTest, EveryValueInThreeVoices) {
    for (int code = 4; code <= kDoubleWhole; ++code) {
        UseMeasure(1 + (code - 4) / 3);
        const int tick = ((code - 4) % 3) * 1024;
        // Made from the lowest voice up, so that each finds its neighbours in use.
        ScoreObject* low = Rest(2, tick, code);
        ScoreObject* middle = Rest(1, tick, code);
        ScoreObject* top = Rest(0, tick, code);
        const std::vector<ScoreObject*> voices = {top, middle, low};
        EXPECT_EQ(Body(voices[0]).position, rests::RestRowPlace(rests::RestRow::Upper, code) - 4);
        EXPECT_EQ(Body(voices[1]).position, rests::RestRowPlace(rests::RestRow::Upper, code));
        EXPECT_EQ(Body(voices[2]).position, rests::RestRowPlace(rests::RestRow::Lower, code));
        for (ScoreObject* rest : voices) {
            Draw(rest);
            EXPECT_GT(InkIn(Box(rest)), 0) << "code " << code;
        }
    }
}

// A hidden rest is drawn only while "Display Hidden Items" is on, and then grey.
TEST_F(RestPictureTest, HiddenRests) {
    ScoreObject* rest = Rest(0, 0, kQuarter);
    Body(rest).flags |= kRestHidden;
    Draw(rest);
    EXPECT_EQ(AllInk(), 0);
    State().notes.DisplayHiddenItems = 1;
    Draw(rest);
    const RecordRect box = Box(rest);
    const gfx::Point a = DevicePoint(box.left, box.top);
    const gfx::Point b = DevicePoint(box.right, box.bottom);
    int grey = 0;
    const std::vector<uint32_t> pixels = WindowPixels();
    for (int y = a.y; y <= b.y; ++y)
        for (int x = a.x; x <= b.x; ++x)
            grey += pixels[static_cast<size_t>(y) * kWindowWidth + x] != 0xFFFFFF ? 1 : 0;
    EXPECT_GT(grey, 0);
    EXPECT_EQ(AllInk(), 0);  // grey is lighter than the ink threshold
}

// The whole-measure rest of an empty measure: centred in the measure; the double
// whole in 4/2; nothing on an ossia staff or in a measure that has rests.
TEST_F(RestPictureTest, WholeMeasureRest) {
    UseMeasure(2);
    DrawMeasureRest(view_);
    const int32_t centre = CurrentSlotX(view_) + MeasureRecordOf(doc_, 2)->width / 2;
    const int32_t y = PositionY(view_, -4);
    // The whole rest's glyph stands in the space above its y (extent 128 above, 0 below).
    EXPECT_GT(InkIn(RecordRect{centre - kHalfWidth, y - 128, centre + kHalfWidth, y}), 0);
    const int inkOfOne = AllInk();
    UseMeasure(3);
    view_->currentStaffRecord->flags |= kStaffOssia;
    DrawMeasureRest(view_);
    view_->currentStaffRecord->flags &= ~kStaffOssia;
    Rest(1, 0, kWhole);
    DrawMeasureRest(view_);
    EXPECT_EQ(AllInk(), inkOfOne);
}

// Drawing twice leaves every pool byte as drawing once left it, and the document
// unmodified; the painting guard is down afterwards.
TEST_F(RestPictureTest, DrawingWritesNothing) {
    ScoreObject* half = Rest(0, 0, kHalf);
    Body(half).position = -11;  // odd: drawn on -12 with a ledger line
    Body(half).fineY = 12;
    Rest(0, 2048, kQuarter, 3);
    const std::vector<uint8_t> before = PoolBytes();
    const uint16_t edits = doc_->changeCounter;
    for (int pass = 0; pass < 2; ++pass)
        for (ScoreObject* rest : VoiceRests(0)) Draw(rest);
    UseMeasure(2);
    DrawMeasureRest(view_);
    EXPECT_EQ(PoolBytes(), before);
    EXPECT_EQ(doc_->changeCounter, edits);
    EXPECT_FALSE(IsPaintingGuardSet());
}

}  // namespace
}  // namespace ql::testing_rests
