// Shared set-up of the system-drawing tests.
#include <filesystem>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/draw/staff_scaling.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/draw/view_metrics.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/engraving_metrics.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/text/charset_text.h"
#include "core/ui/status_bar_notes.h"
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

namespace ql::testing_sysdraw {

namespace {

constexpr uint8_t kQuarter = 10;

}  // namespace

void SysDrawTest::SetUp() {
    OpenScene([] { ResetProgramOptions(); });
}

void SysDrawTest::TearDown() {
    sysdraw::test_seam::SetGridInkLog(nullptr);
    CloseScene([this] {
        RestoreHiddenEmptyStavesOf(doc_);
        ReleaseCharsetText();
    });
}

void SysDrawTest::BuildScore(int staves, int measures, int32_t zoom) {
    ASSERT_TRUE(beatmap_score::Build(doc_, view_, staves, {1}, measures));
    SetMetric(EngravingMetric::StaffLineWid, kStaffLineWidth);
    SetMetric(EngravingMetric::BarLineWid, kBarLineWidth);
    SetMetric(EngravingMetric::ThickBarline, kThickBarWidth);
    SetMetric(EngravingMetric::BetweenDouble, kDoubleGap);
    SetMetric(EngravingMetric::Bracket, kBracketOffset);
    SetMetric(EngravingMetric::Brace, kBraceOffset);
    for (int m = 0; m < MaxMeasures; ++m) Measure(m)->number = static_cast<uint16_t>(m);
    view_->ViewWindow = window_;
    view_->pageView = 1;
    SetZoom(zoom);
    UpdateBeatMaps(view_, 1);
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

void SysDrawTest::SizeWindow(int width, int height) {
    DrawingWindowTest::SizeWindow(width, height);
    UpdateBeatMaps(view_, 1);
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
