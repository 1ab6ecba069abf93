// The picture clefs_keys_zoom16.png: five staves of one system drawn in the score
// window at zoom 16 (treble, bass, alto, percussion, treble), key changes 3 sharps ->
// 1 sharp on staff 1 and 2 sharps -> 2 flats on staff 2 at the second barline, a
// brace over staves 1-2 and a bracket over staves 3-5. The pixels are checked: the
// accidentals of each key change are separate glyphs at rising columns where the
// placement puts them (two naturals then one sharp; two naturals then two flats),
// and each clef's named line lies on its staff line: the F clef's dots straddle the
// fourth line, the alto clef is symmetric about the middle line, and the treble
// clef's ink stands where the same glyph drawn with its baseline on a known row puts
// it (the font's G line one space above the baseline).
#include <algorithm>
#include <cmath>
#include <filesystem>
#include <string>
#include <vector>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/draw/view_metrics.h"
#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/state.h"
#include "display/system_drawing.h"
#include "notes/beatmap/beat_map.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/tests/win/plain_window.h"
#include "platform/text/text_out.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "staves/clef_key_placement.h"
#include "staves/signature_drawing.h"
#include "staves/staff_group_bits.h"
#include "staves/tests/signatures/signature_fixture.h"

namespace ql::testing_signatures {
namespace {

constexpr int kStaves = 5;
constexpr int kMeasures = 3;
constexpr int32_t kZoom = 16;
constexpr int32_t kSpace = 128;
constexpr int kInkThreshold = 128;
constexpr int kPixelTolerance = 1;
constexpr int32_t kMarginUnits = 1024;
constexpr int kStartSide = 64;
constexpr int kTreble = 0, kBass = 3, kAlto = 2, kPercussion = 5;
constexpr int kOneSharp = 8, kTwoSharps = 9, kThreeSharps = 10, kTwoFlats = 5;
constexpr int kClefs[kStaves + 1] = {0, kTreble, kBass, kAlto, kPercussion, kTreble};
struct KeyPair {
    int before;
    int after;
};
constexpr KeyPair kKeys[kStaves + 1] = {{}, {kThreeSharps, kOneSharp}, {kTwoSharps, kTwoFlats},
                                        {kKeyC, kKeyC}, {kKeyC, kKeyC}, {kKeyC, kKeyC}};

class ClefsKeysPicture : public SignatureTest {
  protected:
    void SetUp() override {
        SignatureTest::SetUp();
        const std::filesystem::path font = std::filesystem::path(QL_PROGRAM_DIR) / "Glyphora.ttf";
        if (!std::filesystem::exists(font) || !CreateMusicFonts())
            GTEST_SKIP() << "the music font is not built";
        window_ = ::ql::testing::OpenPlainWindow("QLMdiChild", kStartSide, kStartSide);
        BuildScore(kStaves, kMeasures);
        for (int staff = 1; staff <= kStaves; ++staff)
            for (int m = 0; m <= kMeasures + 4; ++m) {
                SetClef(staff, m, kClefs[staff]);
                SetKey(staff, m, m < 2 ? kKeys[staff].before : kKeys[staff].after);
            }
        Group(1, 2, GroupKind::Brace);
        Group(3, 5, GroupKind::Bracket);
        view_->ViewWindow = window_;
        view_->zoom = kZoom;
        InitViewMetrics(view_);
        RebuildBeatMap();
        const gfx::Point far = Device(Right() + kMarginUnits, BottomY(kStaves) + kMarginUnits);
        win::MoveWindow(window_, win::Rect{0, 0, far.x, far.y}, false);
        InitViewMetrics(view_);
        Draw();
        std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
        EXPECT_TRUE(gfx::WritePng(win::GetWindowImage(window_),
                                  (std::filesystem::path(QL_TEST_OUTPUT_DIR) / "clefs_keys_zoom16.png").string()));
    }
    void TearDown() override {
        if (window_) {
            EndViewDrawAll(view_);
            ReleaseViewDrawing(view_);
            DeleteMusicFonts();
            DeleteColourSets();
        }
        SignatureTest::TearDown();
    }

    void Group(int first, int last, GroupKind kind) {
        for (int staff = first; staff <= last; ++staff) {
            StaffRecord* record = StaffRecordOf(doc_, staff);
            SetJoinsStaffAbove(*record, kind, staff > first);
            SetJoinsStaffBelow(*record, kind, staff < last);
        }
    }
    const ScoreSystem* System() const { return doc_->firstPage->firstSystem.get(); }
    int32_t BottomY(int staff) const { return System()->y + StaffOffsetsOf(System())[staff]; }
    int32_t Right() const {
        return System()->x + view_->beatMap.slotX[BeatMapCell(0, kMeasures)] + 4 * kSpace * 4;
    }
    gfx::Point Device(int32_t x, int32_t y) {
        BeginViewDraw(view_);
        const gfx::Point point = gfx::LogicalToDevice(view_->ViewDC, gfx::Point{x, y});
        EndViewDraw(view_);
        return point;
    }
    int DeviceY(int32_t y) { return Device(0, y).y; }
    bool IsInk(int x, int y) const {
        const gfx::Colour c = gfx::GetBitmapPixel(win::GetWindowImage(window_), x, y);
        return c != gfx::kInvalidColour &&
               (gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c)) / 3 < kInkThreshold;
    }
    bool IsStaffLineRow(int staff, int y) {
        for (int line = 0; line < 5; ++line)
            if (std::abs(y - DeviceY(BottomY(staff) - line * kSpace)) <= 0) return true;
        return false;
    }

    void Draw() {
        BeginViewDraw(view_);
        const int32_t left = System()->x;
        for (int staff = 1; staff <= kStaves; ++staff)
            for (int line = 0; line < 5; ++line) {
                const int32_t y = BottomY(staff) - line * kSpace;
                gfx::MoveTo(view_->ViewDC, gfx::Point{left, y});
                gfx::LineTo(view_->ViewDC, gfx::Point{Right(), y});
            }
        view_->currentSystem = doc_->firstPage->firstSystem.get();
        for (int staff = 1; staff <= kStaves; ++staff) {
            DrawClefForStaff(view_, staff, 1, kClefs[staff]);
            DrawKeySignatureAtSystemStart(view_, staff, 1, kKeys[staff].before, 0);
            if (kKeys[staff].before == kKeys[staff].after) continue;
            DrawKeySignatureAtSystemStart(view_, staff, 2, kKeys[staff].after, kKeys[staff].before + 1);
            DrawKeySignatureAtSystemStart(view_, staff, 2, kKeys[staff].after, 0);
        }
        DrawBrace(view_, 1, 2);
        DrawBracketBody(view_, 3, 5);
        EndViewDraw(view_);
    }

    // Column runs of ink (staff-line rows left out) between two device columns, over
    // the rows of a staff from two spaces above its top line to two below its bottom.
    std::vector<std::pair<int, int>> InkColumnRuns(int staff, int x0, int x1) {
        const int top = DeviceY(BottomY(staff) - 6 * kSpace);
        const int bottom = DeviceY(BottomY(staff) + 2 * kSpace);
        std::vector<std::pair<int, int>> runs;
        bool inRun = false;
        for (int x = x0; x <= x1; ++x) {
            bool ink = false;
            for (int y = top; y <= bottom && !ink; ++y) ink = !IsStaffLineRow(staff, y) && IsInk(x, y);
            if (ink && !inRun) runs.push_back({x, x});
            if (ink) runs.back().second = x;
            inRun = ink;
        }
        return runs;
    }
    // Ink rows within device columns x0..x1 and rows y0..y1; with a staff, the rows of
    // its lines are left out.
    std::pair<int, int> InkRows(int x0, int x1, int y0, int y1, int skipLinesOf = 0) {
        int first = -1, last = -1;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x)
                if (IsInk(x, y) && (skipLinesOf == 0 || !IsStaffLineRow(skipLinesOf, y))) {
                    if (first < 0) first = y;
                    last = y;
                    break;
                }
        return {first, last};
    }
    // A narrow band of columns about the centre of the clef at the system's start (the
    // brace and bracket touch the clef's left side, so its whole width is not used).
    std::pair<int, int> ClefColumns(int staff) {
        const PlacedClef clef = PlaceClefAtSystemStart(view_, staff, 1, kClefs[staff]);
        const int x = Device(clef.at.x, 0).x;
        const int quarter = std::max(Device(clef.at.x + kSpace / 4, 0).x - x, 1);
        return {x - quarter, x + quarter};
    }

    win::WindowHandle window_{};
};

// The accidental glyphs of the changes: separate ink runs at rising columns, one per
// placed glyph, each centred near where the placement puts it.
TEST_F(ClefsKeysPicture, KeyChangeAccidentalsCountAtRisingColumns) {
    const int slotLeft = Device(System()->x + view_->beatMap.slotX[BeatMapCell(0, 2)] - kSpace, 0).x;
    const int contentX = Device(MeasureSlotX(view_, view_->currentSystem, 2), 0).x;
    for (int staff : {1, 2}) {
        const PlacedKeyRow naturals =
            PlaceKeySignature(view_, staff, 2, kKeys[staff].after, kKeys[staff].before + 1);
        const PlacedKeyRow key = PlaceKeySignature(view_, staff, 2, kKeys[staff].after, 0);
        std::vector<PlacedGlyph> placed(naturals.glyphs, naturals.glyphs + naturals.count);
        placed.insert(placed.end(), key.glyphs, key.glyphs + key.count);
        const auto runs = InkColumnRuns(staff, slotLeft, contentX - 1);
        ASSERT_EQ(runs.size(), placed.size()) << "staff " << staff;
        for (size_t i = 0; i < runs.size(); ++i) {
            const int left = Device(placed[i].x, 0).x;
            EXPECT_NEAR(runs[i].first, left, 2 * kPixelTolerance + 1) << "staff " << staff << " glyph " << i;
            if (i > 0) {
                EXPECT_GT(runs[i].first, runs[i - 1].second);
            }
        }
    }
    // Staff 1: two naturals, one sharp; staff 2: two naturals, two flats.
    EXPECT_EQ(PlaceKeySignature(view_, 1, 2, kOneSharp, kThreeSharps + 1).count, 2);
    EXPECT_EQ(PlaceKeySignature(view_, 2, 2, kTwoFlats, kTwoSharps + 1).count, 2);
    EXPECT_EQ(PlaceKeySignature(view_, 2, 2, kTwoFlats, 0).glyphs[1].glyph, kKeyFlatGlyph);
}

// The F clef's two dots straddle the fourth line: the middle of their ink lies on it.
TEST_F(ClefsKeysPicture, BassClefDotsStraddleTheFourthLine) {
    // The dots are the clef's rightmost ink: scan from two spaces right of its centre.
    const PlacedClef clef = PlaceClefAtSystemStart(view_, 2, 1, kBass);
    const int centre = Device(clef.at.x, 0).x;
    const int top = DeviceY(BottomY(2) - 4 * kSpace), bottom = DeviceY(BottomY(2));
    int right = Device(clef.at.x + 2 * kSpace, 0).x;
    auto inkInColumn = [&](int x) {
        for (int y = top; y <= bottom; ++y)
            if (!IsStaffLineRow(2, y) && IsInk(x, y)) return true;
        return false;
    };
    while (right > centre && !inkInColumn(right)) --right;
    ASSERT_GT(right, centre);
    const int fLine = DeviceY(BottomY(2) - 3 * kSpace);
    const int space = DeviceY(BottomY(2)) - DeviceY(BottomY(2) - kSpace);
    // The dots' columns: the last quarter space of the clef's ink.
    const int dotsLeft = right - std::max(space / 4, 1);
    const auto [first, last] = InkRows(dotsLeft, right, fLine - 3 * space / 2, fLine + 3 * space / 2, 2);
    ASSERT_GE(first, 0);
    EXPECT_NEAR((first + last) / 2.0, fLine, kPixelTolerance + 0.5);
}

// The alto clef is symmetric about the C line: the middle of its ink is the middle line.
TEST_F(ClefsKeysPicture, AltoClefCentredOnTheMiddleLine) {
    const auto [left, right] = ClefColumns(3);
    const auto [first, last] =
        InkRows(left, right, DeviceY(BottomY(3) - 7 * kSpace), DeviceY(BottomY(3) + 3 * kSpace));
    ASSERT_GE(first, 0);
    EXPECT_NEAR((first + last) / 2.0, DeviceY(BottomY(3) - 2 * kSpace), kPixelTolerance + 0.5);
}

// The treble clef stands where the font puts it for a baseline on the bottom line
// (the G line one space above): the same glyph drawn with its baseline on that line
// at the staff's right end gives the same ink rows as the clef at the system's start.
TEST_F(ClefsKeysPicture, TrebleClefOnItsLine) {
    const PlacedClef clef = PlaceClefAtSystemStart(view_, 1, 1, kTreble);
    const int32_t refX = Right() - 2 * kSpace;
    BeginViewDraw(view_);
    const platform::FontHandle previous = gfx::SelectObject(view_->ViewDC, State().drawing.MusicFont);
    gfx::SetTextAlign(view_->ViewDC, gfx::kTextAlignBaseline | gfx::kTextAlignCentre);
    text::TextOutA(view_->ViewDC, gfx::Point{refX, BottomY(1)}, ":");
    gfx::SelectObject(view_->ViewDC, previous);
    EndViewDraw(view_);
    const int quarter = std::max(Device(kSpace / 4, 0).x - Device(0, 0).x, 1);
    const int top = DeviceY(BottomY(1) - 8 * kSpace), bottom = DeviceY(BottomY(1) + 3 * kSpace);
    const int x = Device(clef.at.x, 0).x, xRef = Device(refX, 0).x;
    const auto [first, last] = InkRows(x - quarter, x + quarter, top, bottom);
    const auto [refFirst, refLast] = InkRows(xRef - quarter, xRef + quarter, top, bottom);
    ASSERT_GE(first, 0);
    ASSERT_GE(refFirst, 0);
    EXPECT_NEAR(first, refFirst, kPixelTolerance);
    EXPECT_NEAR(last, refLast, kPixelTolerance);
    // The glyph reaches above the top line and below the bottom line.
    EXPECT_LT(first, DeviceY(BottomY(1) - 4 * kSpace));
    EXPECT_GT(last, DeviceY(BottomY(1)));
}

}  // namespace
}  // namespace ql::testing_signatures
