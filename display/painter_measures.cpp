// The painter's walk over the measures of one staff: notes, rests and their items in
// the slot range being painted, the spanners that reach into it from measures outside,
// and each cell's objects in two passes.
#include <algorithm>

#include "core/draw/draw_surface.h"
#include "core/draw/ink_tag.h"
#include "core/model/document.h"
#include "core/model/grid_records.h"
#include "core/model/pages.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "core/ui/midi_services.h"
#include "core/units/save_stacks.h"
#include "core/units/view_moves.h"
#include "display/painter.h"
#include "display/painter_internal.h"
#include "display/view_location.h"
#include "notes/drawing/note_redraw.h"

namespace ql::painter {

namespace {

// Types whose drawing reaches past their own measure: slurs, hairpins, type 40,
// pedal brackets, repeat endings and octave lines.
bool IsSpannerType(uint8_t type) {
    switch (static_cast<ObjectType>(type)) {
        case ObjectType::Slur:
        case ObjectType::Hairpin:
        case ObjectType::Unused40:
        case ObjectType::PedalBracket:
        case ObjectType::RepeatEnding:
        case ObjectType::Octave:
            return true;
        default:
            return false;
    }
}

void DrawCellSpanners(ScoreView* view, ScoreObject* first) {
    for (ScoreObject* object = first; object != nullptr; object = object->next.get()) {
        if (!IsSoundObject(view->document, object)) return;  // the first pass reports it
        if (IsSpannerType(object->type)) ClassOf(object).Draw(object, view);
    }
}

void RefillPerformanceIfDue(ScoreView* view) {
    if (IsSequencerPlaying() && State().sequencer.PerformanceRefillDue) BuildPerformanceBlock(view);
}

}  // namespace

bool IsSequencerPlaying() {
    return PlaybackFlags().SequencerRunning.load(std::memory_order_acquire) != 0;
}

bool IsPictureOutput() {
    return State().display.painter.pictureOutput != 0;
}

bool IsClipboardRendering() {
    return State().drawing.ClipboardRendering != 0;
}

bool IsScreenOutput() {
    return !IsPrinting() && !IsPictureOutput() && !IsClipboardRendering();
}

KeptLocation::KeptLocation(ScoreView* view)
    : view_(view),
      kept_(!IsSequencerPlaying()),
      system_(view->currentSystem),
      staff_(view->currentStaff),
      measure_(view->currentMeasure) {
    if (kept_) PushViewLocation(view_);
}

KeptLocation::~KeptLocation() {
    if (!kept_) return;
    PopViewLocation(view_);
    if (view_->currentSystem != system_ || view_->currentStaff != staff_ ||
        view_->currentMeasure != measure_)
        SetCurrentSystemAndMeasure(view_, system_, staff_, measure_, true);
}

bool IsStaffShown(const ScoreSystem* system, int staff) {
    const int8_t* flags = StaffFlagsOf(system);
    return flags != nullptr && flags[staff] >= 0;
}

void ShownStaffRange(const ScoreView* view, const ScoreSystem* system, int* first, int* last) {
    const int count = view->document->header.staffCount;
    *first = 0;
    *last = 0;
    for (int staff = 1; staff <= count; ++staff) {
        if (!IsStaffShown(system, staff)) continue;
        if (*first == 0) *first = staff;
        *last = staff;
    }
    if (*first == 0) {
        *first = 1;
        *last = count;
    }
}

void DrawStaffMeasures(ScoreView* view, int staff, int first, int last,
                       std::vector<DeferredCell>* deferred) {
    const PainterState& painter = State().display.painter;
    ScoreSystem* system = view->currentSystem;
    for (int measure = first; measure <= last; ++measure) {
        ApplyLocation(view, staff, measure);
        RefillPerformanceIfDue(view);
        MeasureCell* cell = view->currentCell;
        if (cell == nullptr) continue;
        const int slot = view->currentSlot;
        if (slot >= painter.firstSlot && slot <= painter.lastSlot) {
            const InkStageScope notes(InkStage::Notes);
            DrawStaffNotesAllVoices(view, cell);
            DrawVoiceItems(view, cell);
        } else {
            DrawCellSpanners(view, cell->objects.get());
        }
        if (DrawObjectsFirstPass(view, cell->objects.get()) && deferred != nullptr)
            deferred->push_back(DeferredCell{system, staff, measure});
    }
}

void DrawDeferredCells(ScoreView* view, const std::vector<DeferredCell>& cells) {
    for (const DeferredCell& cell : cells) {
        SetCurrentSystemAndMeasure(view, cell.system, cell.staff, cell.measure, true);
        if (view->currentCell != nullptr) DrawObjectChain(view, view->currentCell->objects.get());
    }
}

}  // namespace ql::painter
