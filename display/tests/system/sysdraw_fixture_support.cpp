// Shared set-up of the system-drawing tests.
#include <filesystem>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/draw/view_metrics.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "core/ui/status_bar_notes.h"
#include "display/charset_text.h"
#include "display/system_drawing.h"
#include "display/tests/system/sysdraw_fixture.h"
#include "notes/beatmap/beat_map.h"
#include "notes/drawing/note_redraw.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/tests/win/plain_window.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/paint.h"
#include "shell/preference_defaults.h"
#include "shell/program_options.h"
#include "staves/staff_scaling.h"

namespace ql::testing_sysdraw {

namespace {

constexpr int kKeyC = 7;
constexpr int kScreenDpi = 96;
constexpr int kInkThreshold = 128;
constexpr int kStartWindowSide = 64;
constexpr uint8_t kQuarter = 10;

void SetMetric(ScoreDocument* doc, EngravingMetric metric, uint16_t units) {
    doc->internalDistances[static_cast<int>(metric)] = units;
}

}  // namespace

void SysDrawTest::SetUp() {
    ResetProgramState();
    ASSERT_EQ(InitStaticPoolSet(), 1);
    ui::headless::ResetUi();
    win::headless::ResetWindowLayer();
    ResetObjectClassTable();
    ResetPreferenceDefaults();
    ResetProgramOptions();
    ProgramPreferences().key = kKeyC;
    window_ = ::ql::testing::OpenPlainWindow("QLMdiChild", kStartWindowSide, kStartWindowSide);
    State().drawing.ScreenDpiX = State().drawing.ScreenDpiY = kScreenDpi;
    view_ = InitView(AllocView());
    LinkView(view_);
    doc_ = AllocDocument();
}

void SysDrawTest::TearDown() {
    sysdraw::test_seam::SetGridInkLog(nullptr);
    EndViewDrawAll(view_);
    RestoreHiddenEmptyStavesOf(doc_);
    ReleaseCharsetText();
    ReleaseViewDrawing(view_);
    ReleaseDrawingGlobals(1);
    DeleteMusicFonts();
    DeleteColourSets();
    FreeView(view_);
    FreeDocument(doc_);
    ResetProgramState();
    ResetObjectClassTable();
}

bool SysDrawTest::HaveMusicFonts() {
    const std::filesystem::path font = std::filesystem::path(QL_PROGRAM_DIR) / "Glyphora.ttf";
    return std::filesystem::exists(font) && CreateMusicFonts();
}

void SysDrawTest::BuildScore(int staves, int measures, int32_t zoom) {
    ASSERT_TRUE(beatmap_score::Build(doc_, view_, staves, {1}, measures));
    SetMetric(doc_, EngravingMetric::StaffLineWid, kStaffLineWidth);
    SetMetric(doc_, EngravingMetric::BarLineWid, kBarLineWidth);
    SetMetric(doc_, EngravingMetric::ThickBarline, kThickBarWidth);
    SetMetric(doc_, EngravingMetric::BetweenDouble, kDoubleGap);
    SetMetric(doc_, EngravingMetric::Bracket, kBracketOffset);
    SetMetric(doc_, EngravingMetric::Brace, kBraceOffset);
    for (int m = 0; m < MaxMeasures; ++m) Measure(m)->number = static_cast<uint16_t>(m);
    view_->ViewWindow = window_;
    view_->pageView = 1;
    SetZoom(zoom);
    UpdateBeatMaps(view_, 1);
}

void SysDrawTest::SetZoom(int32_t zoom) {
    view_->zoom = zoom;
    InitViewMetrics(view_);
}

StaffRecord* SysDrawTest::Staff(int staff) const {
    return StaffRecordOf(doc_, staff);
}

MeasureRecord* SysDrawTest::Measure(int measure) const {
    return MeasureRecordOf(doc_, measure);
}

ScoreSystem* SysDrawTest::System() const {
    return doc_->firstPage->firstSystem.get();
}

MeasureCell* SysDrawTest::Cell(int staff, int measure) const {
    return ExistingMeasureCell(doc_, staff, measure);
}

void SysDrawTest::AddNote(int staff, int measure) {
    const NoteDrawLocation location(view_, staff, measure);
    ASSERT_NE(AddEventToVoice(view_, Cell(staff, measure), 0, kNoteTick, kQuarter, 0), nullptr);
}

void SysDrawTest::JoinGroup(GroupKind kind, int first, int last) {
    for (int s = first; s <= last; ++s) {
        SetJoinsStaffAbove(*Staff(s), kind, s > first);
        SetJoinsStaffBelow(*Staff(s), kind, s < last);
        SetOneStaffGroup(*Staff(s), kind, first == last);
    }
}

void SysDrawTest::SetLines(int staff, int lines) {
    StaffRecord& record = *Staff(staff);
    record.flags = static_cast<uint16_t>((record.flags & ~kStaffLineCountMask) |
                                         (lines << kStaffLineCountShift));
}

void SysDrawTest::SetHideWhenEmpty(int staff, bool on) {
    constexpr uint16_t kHideWhenEmptyBit = 0x1000;
    StaffRecord& record = *Staff(staff);
    record.flags = static_cast<uint16_t>(on ? record.flags | kHideWhenEmptyBit
                                            : record.flags & ~kHideWhenEmptyBit);
}

void SysDrawTest::DrawAll() {
    log_.clear();
    sysdraw::test_seam::SetGridInkLog(&log_);
    view_->currentSystem = System();
    BeginViewDraw(view_);
    DrawSystemAllStaves(view_);
    EndViewDraw(view_);
    sysdraw::test_seam::SetGridInkLog(nullptr);
}

std::vector<GridInk> SysDrawTest::Inks(GridInkKind kind) const {
    std::vector<GridInk> out;
    for (const GridInk& ink : log_)
        if (ink.kind == kind) out.push_back(ink);
    return out;
}

int32_t SysDrawTest::StaffY(int staff) const {
    return System()->y + StaffOffsetsOf(System())[staff];
}

int32_t SysDrawTest::SlotX(int slot) const {
    return System()->x + view_->beatMap.slotX[BeatMapCell(System()->number, slot)];
}

gfx::Point SysDrawTest::Device(int32_t x, int32_t y) {
    BeginViewDraw(view_);
    const gfx::Point point = gfx::LogicalToDevice(view_->ViewDC, gfx::Point{x, y});
    EndViewDraw(view_);
    return point;
}

bool SysDrawTest::IsInk(int x, int y) const {
    const gfx::Colour c = gfx::GetBitmapPixel(win::GetWindowImage(window_), x, y);
    return c != gfx::kInvalidColour &&
           (gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c)) / 3 < kInkThreshold;
}

void SysDrawTest::SizeWindow(int width, int height) {
    win::MoveWindow(window_, win::Rect{0, 0, width, height}, false);
    InitViewMetrics(view_);
    UpdateBeatMaps(view_, 1);
}

bool SysDrawTest::WritePng(const std::string& name) const {
    std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
    return gfx::WritePng(win::GetWindowImage(window_),
                         (std::filesystem::path(QL_TEST_OUTPUT_DIR) / name).string());
}

void SysDrawTest::ClearWindow() {
    BeginViewDraw(view_);
    const gfx::Point far = gfx::DeviceToLogical(view_->ViewDC, gfx::Point{1 << 14, 1 << 14});
    const gfx::Point near = gfx::DeviceToLogical(view_->ViewDC, gfx::Point{0, 0});
    gfx::FillRect(view_->ViewDC, gfx::Rect{near.x, near.y, far.x, far.y},
                  gfx::GetStockBrush(gfx::StockBrush::White));
    EndViewDraw(view_);
}

}  // namespace ql::testing_sysdraw
