// Shared set-up of the note-drawing tests.
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
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/ui/status_bar_notes.h"
#include "notes/accidentals/accidental.h"
#include "notes/beatmap/beat_map.h"
#include "notes/drawing/note_draw.h"
#include "notes/drawing/note_redraw.h"
#include "notes/rests/rest.h"
#include "notes/stems/stems.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "notes/tests/drawing/notedraw_fixture.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/recording.h"
#include "platform/tests/win/plain_window.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/paint.h"

namespace ql::testing_notedraw {

void NoteDrawTest::SetUp() {
    OpenScene([] {
        RegisterAccidentalClass();
        RegisterRestClass();
    });
}

void NoteDrawTest::TearDown() {
    notedraw::test_seam::SetInkLog(nullptr);
    CloseScene([this] {
        State().drawing.PaintDC = {};
        if (recording_) gfx::DeleteContext(recording_);
    });
}

void NoteDrawTest::BuildScore(int staves, int measures, int32_t zoom) {
    ASSERT_TRUE(beatmap_score::Build(doc_, view_, staves, {1}, measures));
    SetMetric(EngravingMetric::BeamWid, kBeamWidth);
    SetMetric(EngravingMetric::BeamSep, kBeamSeparation);
    SetMetric(EngravingMetric::StemWid, kStemWidth);
    SetMetric(EngravingMetric::StaffLineWid, kStaffLineWidth);
    SetMetric(EngravingMetric::Accident, kAccidentalColumn);
    view_->ViewWindow = window_;
    SetZoom(zoom);
    UpdateBeatMaps(view_, 1);
}

void NoteDrawTest::SetStaffSize(int staff, int percent) {
    StaffRecordOf(doc_, staff)->staffData22[kStaffSizeByte] = static_cast<uint8_t>(percent);
}

MeasureCell* NoteDrawTest::Cell(int staff, int measure) const {
    return ExistingMeasureCell(doc_, staff, measure);
}

EventRecord* NoteDrawTest::Note(int staff, int measure, int voice, int time, int code, int step) {
    const NoteDrawLocation location(view_, staff, measure);
    return AddEventToVoice(view_, Cell(staff, measure), voice, static_cast<uint16_t>(time),
                           static_cast<uint8_t>(code), static_cast<uint8_t>(step));
}

EventRecord* NoteDrawTest::Chord(int staff, int measure, int time, int code,
                                 std::initializer_list<int> steps) {
    EventRecord* any = nullptr;
    for (int step : steps) any = Note(staff, measure, 0, time, code, step);
    return GetFirstEventOfChord(any);
}

void NoteDrawTest::Restem(int staff, int measure) {
    const NoteDrawLocation location(view_, staff, measure);
    RestemMeasureRange(view_, staff, staff, measure, measure);
}

void NoteDrawTest::Beam(const std::vector<EventRecord*>& heads) {
    for (size_t i = 0; i < heads.size(); ++i) {
        heads[i]->beamPrev = i > 0 ? HandleOfEvent(heads[i - 1]) : RecordHandle{};
        heads[i]->beamNext = i + 1 < heads.size() ? HandleOfEvent(heads[i + 1]) : RecordHandle{};
    }
}

void NoteDrawTest::DrawCell(int staff, int measure) {
    BeginViewDraw(view_);
    {
        const NoteDrawLocation location(view_, staff, measure);
        if (location.IsDrawable()) {
            DrawStaffNotesAllVoices(view_, view_->currentCell);
            DrawVoiceItems(view_, view_->currentCell);
        }
    }
    EndViewDraw(view_);
}

void NoteDrawTest::UseRecordingSurface() {
    recording_ = gfx::CreateRecordingContext({});
    State().drawing.PaintDC = recording_;
    notedraw::test_seam::SetInkLog(&log_);
}

std::vector<InkCall> NoteDrawTest::Calls(InkPart part) const {
    std::vector<InkCall> calls;
    for (const InkCall& call : log_)
        if (call.part == part) calls.push_back(call);
    return calls;
}

std::vector<std::byte> NoteDrawTest::SnapshotPools() const {
    std::vector<std::byte> bytes;
    for (const RecordPool& pool : doc_->pools.pools) {
        const auto* descriptor = reinterpret_cast<const std::byte*>(&pool);
        bytes.insert(bytes.end(), descriptor, descriptor + sizeof pool);
        for (int b = 0; b < pool.blockCount; ++b) {
            const std::byte* base = pool.blocks[b].base.get();
            bytes.insert(bytes.end(), base, base + BlockLiveBytes(pool, b));
        }
    }
    return bytes;
}

int32_t NoteDrawTest::BottomY(int staff) const {
    const ScoreSystem* system = doc_->firstPage->firstSystem.get();
    return system->y + StaffOffsetsOf(system)[staff];
}

int32_t NoteDrawTest::LineY(int staff, int position) const {
    return BottomY(staff) + position * kStep;
}

int32_t NoteDrawTest::TickX(int measure, int tick) {
    const NoteDrawLocation location(view_, 1, measure);
    return MeasureSlotX(view_, view_->currentSystem, view_->currentSlot) +
           BeatMapTickToX(view_, tick);
}

}  // namespace ql::testing_notedraw
