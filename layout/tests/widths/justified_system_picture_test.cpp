// One system of six measures of mixed values on a Letter page at staff size 4,
// engraver-justified and placed between the page margins, drawn at zoom 16 as staff
// lines and barlines at the beat map's measure slots. The picture
// (justified_system_zoom16.png) is written for review; its pixels show the opening
// and closing barlines on the margins and every barline a measure's width (plus the
// room its slot keeps around it) after the one before.
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/draw/staff_scaling.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/units/paper_size.h"
#include "core/units/units.h"
#include "layout/measure_format.h"
#include "layout/tests/layout_fixture.h"
#include "notes/beatmap/beat_map.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql::testing_layout {
namespace {

constexpr int32_t kZoom = 16;
constexpr int kMeasureCount = 6;
constexpr BcdInches kHalfInch = 0x0050;
constexpr int32_t kSpace = kUnitsPerStaffSpace;
constexpr int32_t kStaffTop = kLogicalOrigin + 2 * kSpace;
constexpr int kStaffLines = 5;
constexpr int kWindowHeight = 112;
constexpr int kInkThreshold = 128;
// Minimum space before a measure's first column and after its last.
constexpr int16_t kLead = 96;
constexpr int16_t kTrail = 64;
// Note values by measure: whole; quarters; eighths; half and quarters; sixteenths;
// quarter, eighths and half.
const std::vector<std::vector<std::pair<int, int>>> kMeasures = {
    {{0, 12}},
    {{0, 10}, {1024, 10}, {2048, 10}, {3072, 10}},
    {{0, 9}, {512, 9}, {1024, 9}, {1536, 9}, {2048, 9}, {2560, 9}, {3072, 9}, {3584, 9}},
    {{0, 11}, {2048, 10}, {3072, 10}},
    {},  // sixteenths, filled below
    {{0, 10}, {1024, 9}, {1536, 9}, {2048, 11}},
};

class JustifiedSystemPicture : public LayoutTest {
  protected:
    void SetUp() override {
        LayoutTest::SetUp();
        BuildScore(1, kMeasureCount);
        doc_->header.pageGeometry.staffSize = kStaffSize4;
        doc_->header.pageGeometry.paperKind = 0;  // Letter
        uint16_t margins[4] = {kHalfInch, kHalfInch, kHalfInch, kHalfInch};
        SetPageMarginWords(doc_, doc_->firstPage, margins);
        view_->UnitsPerInch = 0.0;
        view_->zoom = kZoom;
        view_->pageOrigin[0] = view_->pageOrigin[1] = kLogicalOrigin;
        view_->scrollOrigin[0] = view_->scrollOrigin[1] = kLogicalOrigin;
        PaperSizeOf(view_);
        win::WindowClass cls;
        cls.name = "QLMdiChild";
        cls.procedure = win::DefaultWindowProc;
        win::RegisterWindowClass(cls);
        win::WindowParams params;
        params.className = "QLMdiChild";
        params.style = win::kStyleVisible;
        params.rect = win::Rect{0, 0, Dev(view_->PageRight) + 16, kWindowHeight};
        window_ = win::CreateWindow(params);
        view_->ViewWindow = window_;
        State().drawing.ScreenDpiX = State().drawing.ScreenDpiY = 96;
    }
    void TearDown() override {
        ReleaseViewDrawing(view_);
        ReleaseDrawingGlobals(1);
        LayoutTest::TearDown();
    }

    static int Dev(int32_t logical) { return static_cast<int>((logical - kLogicalOrigin) * kZoom / kSpace); }

    void WriteNotes() {
        for (int m = 0; m < kMeasureCount; ++m)
            for (auto [time, code] : kMeasures[m]) Note(1, m + 1, 0, time, code);
        for (int i = 0; i < 16; ++i) Note(1, 5, 0, i * 256, 8);
        for (int m = 1; m <= kMeasureCount + 1; ++m) {
            Record(m).stretch = 1024;  // narrow to start with: the margins set the target
            Record(m).width = ProportionalWidth(Record(m));
            Record(m).lead = kLead;
            Record(m).trail = kTrail;
        }
    }
    // The opening barline of a slot of the system (slot 1: the system's left edge).
    int32_t BarlineX(const ScoreSystem* system, int slot) const {
        return system->x + view_->beatMap.slotX[BeatMapCell(system->number, slot)];
    }
    void Draw(const ScoreSystem* system, int32_t left, int32_t right) {
        BeginViewDraw(view_);
        platform::DcHandle dc = view_->ViewDC;
        for (int line = 0; line < kStaffLines; ++line) {
            gfx::MoveTo(dc, gfx::Point{left, kStaffTop + line * kSpace});
            gfx::LineTo(dc, gfx::Point{right, kStaffTop + line * kSpace});
        }
        for (int slot = 1; slot <= kMeasureCount + 1; ++slot) {
            gfx::MoveTo(dc, gfx::Point{BarlineX(system, slot), kStaffTop});
            gfx::LineTo(dc, gfx::Point{BarlineX(system, slot), kStaffTop + 4 * kSpace});
        }
        EndViewDraw(view_);
    }
    // Centres of the runs of ink along a pixel row.
    std::vector<double> InkColumns(int row) const {
        platform::BitmapHandle image = win::GetWindowImage(window_);
        std::vector<double> centres;
        int start = -1;
        const int width = Dev(view_->PageRight) + 16;
        for (int x = 0; x <= width; ++x) {
            gfx::Colour c = gfx::GetBitmapPixel(image, x, row);
            const bool ink = c != gfx::kInvalidColour &&
                             (gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c)) / 3 < kInkThreshold;
            if (ink && start < 0) start = x;
            if (!ink && start >= 0) {
                centres.push_back((start + x - 1) / 2.0);
                start = -1;
            }
        }
        return centres;
    }

    platform::WindowHandle window_;
};

TEST_F(JustifiedSystemPicture, BarlinesOnTheMarginsFollowTheWidths) {
    WriteNotes();
    ScoreSystem* system = UseSystem(1, kMeasureCount);
    PageMargins margins;
    ASSERT_TRUE(GetPageMargins(doc_->firstPage, &margins));
    const int32_t left = kLogicalOrigin + margins.logical[0];
    const int32_t right = view_->PageRight - margins.logical[2];
    JustifySystem(view_, system);
    PlaceSystemInMargins(view_, doc_->firstPage, system);
    Draw(system, left, right);
    std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
    EXPECT_TRUE(gfx::WritePng(win::GetWindowImage(window_),
                              (std::filesystem::path(QL_TEST_OUTPUT_DIR) / "justified_system_zoom16.png")
                                  .string()));
    // A row between the first two staff lines crosses only the barlines.
    const std::vector<double> columns = InkColumns(Dev(kStaffTop + kSpace / 2));
    ASSERT_EQ(columns.size(), static_cast<size_t>(kMeasureCount + 1));
    EXPECT_NEAR(columns.front(), Dev(left), 1.0);
    EXPECT_NEAR(columns.back(), Dev(right), 1.0);
    // The sixteenths' measure is the widest, the whole note's the narrowest.
    EXPECT_GT(Record(5).width, Record(3).width);
    EXPECT_GT(Record(3).width, Record(1).width);
    // Between two barlines stand the measure's width and the room its slot keeps
    // (first beat, trailing margin, barline space): the same for every measure after
    // the first, whose slot also holds the system's start signs.
    const int32_t room = BarlineX(system, 3) - BarlineX(system, 2) - Record(2).width;
    EXPECT_EQ(room, kLead + kTrail);
    for (int m = 1; m <= kMeasureCount; ++m) {
        const int32_t logical = BarlineX(system, m + 1) - BarlineX(system, m);
        if (m > 1) {
            EXPECT_EQ(logical - Record(m).width, room) << "measure " << m;
        }
        EXPECT_NEAR(columns[m] - columns[m - 1], logical * kZoom / double(kSpace), 1.0) << "measure " << m;
    }
}

}  // namespace
}  // namespace ql::testing_layout
