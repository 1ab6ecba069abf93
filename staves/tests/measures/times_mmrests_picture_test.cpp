// The picture times_mmrests_zoom16.png: one five-line staff of one system at zoom 16
// with time signatures 4/4, 6/8, 2/16 and common time at the starts of measures 1-4
// and a 12-measure rest in measure 5, drawn by DrawTimeSignature and
// DrawMultiMeasureRest over staff lines drawn by hand. The pixels are checked: each
// signature's ink lies between the staff's outer lines and is centred on the column
// the beat map gives it (within a pixel); the rest's bar covers the middle line and
// its middle is on it; its number stands wholly above the staff, over the bar.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <utility>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/draw/view_metrics.h"
#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/objects/class_table.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "layout/measure_spacing.h"
#include "notes/beatmap/beat_map.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "objects/stored_classes.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/tests/win/plain_window.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/paint.h"
#include "staves/multi_measure_rest.h"
#include "staves/signature_drawing.h"
#include "staves/time_signature.h"

namespace ql {
namespace {

constexpr int kMeasures = 5;
constexpr int kRestMeasure = 5;
constexpr int kRestCount = 11;  // drawn 12
constexpr int32_t kZoom = 16;
constexpr int32_t kSpace = 128;
constexpr int kInkThreshold = 128;
constexpr double kPixelTolerance = 1.0;
constexpr int32_t kMarginUnits = 1024;
constexpr int kStartSide = 64;
constexpr int kStaff = 1;

struct Signature {
    int beats;
    int code;
    bool symbol;
};
constexpr Signature kSignatures[kMeasures + 1] = {
    {}, {4, 10, false}, {6, 9, false}, {2, 8, false}, {4, 10, true}, {4, 10, true}};

class TimesRestsPicture : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        ResetObjectClassTable();
        RegisterStoredObjectClasses();
        ResetPreferenceDefaults();
        ResetProgramOptions();
        view_ = InitView(AllocView());
        LinkView(view_);
        doc_ = AllocDocument();
        const std::filesystem::path font = std::filesystem::path(QL_PROGRAM_DIR) / "Glyphora.ttf";
        if (!std::filesystem::exists(font) || !CreateMusicFonts()) GTEST_SKIP() << "the music font is not built";
        fonts_ = true;
        window_ = ::ql::testing::OpenPlainWindow("QLMdiChild", kStartSide, kStartSide);
        ASSERT_TRUE(beatmap_score::Build(doc_, view_, 1, {1}, kMeasures));
        SetSignatures();
        view_->ViewWindow = window_;
        view_->zoom = kZoom;
        InitViewMetrics(view_);
        UpdateBeatMaps(view_, 1);
        const gfx::Point far = Device(Right() + kMarginUnits, BottomY() + kMarginUnits);
        win::MoveWindow(window_, win::Rect{0, 0, far.x, far.y}, false);
        InitViewMetrics(view_);
        Draw();
        std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
        EXPECT_TRUE(gfx::WritePng(win::GetWindowImage(window_),
                                  (std::filesystem::path(QL_TEST_OUTPUT_DIR) / "times_mmrests_zoom16.png").string()));
    }
    void TearDown() override {
        if (fonts_) {
            EndViewDrawAll(view_);
            ReleaseViewDrawing(view_);
            DeleteMusicFonts();
            DeleteColourSets();
        }
        FreeView(view_);
        FreeDocument(doc_);
        ResetProgramState();
        ResetObjectClassTable();
    }

    // Every staff's cells and every measure's length follow the signatures; the rest
    // stands in the last measure.
    void SetSignatures() {
        for (int m = 0; m <= kMeasures + kSpareMeasures; ++m) {
            const Signature& s = kSignatures[std::clamp(m, 1, kMeasures)];
            for (int staff = 0; staff <= doc_->header.staffCount; ++staff) {
                MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, staff), doc_, m);
                cell->beats = static_cast<uint8_t>(s.beats);
                cell->beatUnit = static_cast<uint8_t>(s.code);
            }
            MeasureRecord& record = *MeasureRecordOf(doc_, m);
            record.lengthTicks = static_cast<uint16_t>(SignatureTicks(s.beats, s.code));
            record.width = MeasureWidth(doc_, m);
        }
        MeasureRecordOf(doc_, kRestMeasure)->extra = kRestCount;
    }

    const ScoreSystem* System() const { return doc_->firstPage->firstSystem.get(); }
    int32_t BottomY() const { return System()->y + StaffOffsetsOf(System())[kStaff]; }
    int32_t SlotX(int slot) const { return System()->x + view_->beatMap.slotX[BeatMapCell(0, slot)]; }
    int32_t Right() const { return SlotX(kMeasures + 1) + kSpace; }
    gfx::Point Device(int32_t x, int32_t y) {
        BeginViewDraw(view_);
        const gfx::Point point = gfx::LogicalToDevice(view_->ViewDC, gfx::Point{x, y});
        EndViewDraw(view_);
        return point;
    }
    int DeviceX(int32_t x) { return Device(x, 0).x; }
    int DeviceY(int32_t y) { return Device(0, y).y; }
    bool IsInk(int x, int y) const {
        const gfx::Colour c = gfx::GetBitmapPixel(win::GetWindowImage(window_), x, y);
        return c != gfx::kInvalidColour && (gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c)) / 3 < kInkThreshold;
    }
    bool IsStaffLineRow(int y) {
        for (int line = 0; line < 5; ++line)
            if (y == DeviceY(BottomY() - line * kSpace)) return true;
        return false;
    }

    void Draw() {
        BeginViewDraw(view_);
        for (int line = 0; line < 5; ++line) {
            const int32_t y = BottomY() - line * kSpace;
            gfx::MoveTo(view_->ViewDC, gfx::Point{System()->x, y});
            gfx::LineTo(view_->ViewDC, gfx::Point{Right(), y});
        }
        view_->currentSystem = doc_->firstPage->firstSystem.get();
        view_->currentStaff = kStaff;
        for (int slot = 1; slot < kRestMeasure; ++slot) {
            Options().CommonCut = kSignatures[slot].symbol ? 1 : 0;
            DrawTimeSignature(view_, kStaff, slot, kSignatures[slot].beats, kSignatures[slot].code);
        }
        view_->currentMeasure = kRestMeasure;
        DrawMultiMeasureRest(view_);
        EndViewDraw(view_);
    }

    // The ink box (staff-line rows left out) of device columns x0..x1 and rows y0..y1:
    // left, right, top, bottom; left is -1 without ink.
    struct Box {
        int left = -1, right = -1, top = -1, bottom = -1;
    };
    Box InkBox(int x0, int x1, int y0, int y1) {
        Box box;
        for (int y = y0; y <= y1; ++y)
            for (int x = x0; x <= x1; ++x) {
                if (IsStaffLineRow(y) || !IsInk(x, y)) continue;
                if (box.left < 0 || x < box.left) box.left = x;
                box.right = std::max(box.right, x);
                if (box.top < 0) box.top = y;
                box.bottom = y;
            }
        return box;
    }

    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    win::WindowHandle window_{};
    bool fonts_ = false;
};

// Each signature between the outer lines and centred on its column.
TEST_F(TimesRestsPicture, SignaturesInsideTheStaffOnTheirColumns) {
    const int topLine = DeviceY(BottomY() - 4 * kSpace);
    const int bottomLine = DeviceY(BottomY());
    for (int slot = 1; slot < kRestMeasure; ++slot) {
        const Signature& s = kSignatures[slot];
        const int32_t centre = TimeSignatureCentreX(view_, System(), slot, s.beats, s.code);
        const int x0 = DeviceX(SlotX(slot));
        const int x1 = DeviceX(MeasureSlotX(view_, System(), slot)) - 1;
        const Box box = InkBox(x0, x1, topLine - 2 * kZoom, bottomLine + 2 * kZoom);
        ASSERT_GE(box.left, 0) << "slot " << slot;
        EXPECT_GE(box.top, topLine - 1) << "slot " << slot;
        EXPECT_LE(box.bottom, bottomLine + 1) << "slot " << slot;
        EXPECT_NEAR((box.left + box.right) / 2.0, DeviceX(centre), kPixelTolerance + 0.5) << "slot " << slot;
    }
}

// The rest's bar: its ink rows at the bar's middle column cover the middle line and
// are centred on it; the number's ink is wholly above the top line, over the bar.
TEST_F(TimesRestsPicture, RestBarOnTheMiddleLineNumberAbove) {
    const int middle = DeviceY(BottomY() - 2 * kSpace);
    const int topLine = DeviceY(BottomY() - 4 * kSpace);
    const int x0 = DeviceX(MeasureSlotX(view_, System(), kRestMeasure));
    const int x1 = DeviceX(SlotX(kRestMeasure + 1)) - 1;
    const int column = (x0 + x1) / 2;
    int first = -1, last = -1;
    for (int y = topLine; y <= DeviceY(BottomY()); ++y)
        if (IsInk(column, y) && !(IsStaffLineRow(y) && y != middle)) {
            if (first < 0) first = y;
            last = y;
        }
    ASSERT_GE(first, 0);
    EXPECT_LE(first, middle);
    EXPECT_GE(last, middle);
    EXPECT_NEAR((first + last) / 2.0, middle, kPixelTolerance + 0.5);
    const Box number = InkBox(x0, x1, topLine - 8 * kZoom, topLine - 1);
    ASSERT_GE(number.left, 0);
    EXPECT_LT(number.bottom, topLine);
    // Over the bar: its ink starts after the bar's left stroke and ends before the right.
    const Box bar = InkBox(x0, x1, middle, middle + kZoom / 2);
    EXPECT_GT(number.left, bar.left);
    EXPECT_LT(number.right, bar.right);
}

}  // namespace
}  // namespace ql
