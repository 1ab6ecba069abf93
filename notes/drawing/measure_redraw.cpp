// Redrawing the notes of the view's current measure on every staff the current system
// shows (after a measure was respaced): each staff's cell drawn at that staff, with its
// voices' notes and elements, and the staff's measure drawn again in this view and in
// every linked view of the score.
#include "notes/drawing/measure_redraw.h"

#include "core/constants.h"
#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/painting_guard.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "notes/drawing/note_draw.h"
#include "notes/drawing/note_redraw.h"
#include "platform/gfx/dc.h"

namespace ql {

namespace {

// The staff's measure (its lines, barlines and signs) here and in the linked views,
// always in ink: the caller's colours are those of the notes (the erase colours
// while the old image is drawn away).
void RedrawStaffMeasureInInk(ScoreView* view) {
    BeginHighlightDraw(view);
    RedrawMeasureLinked(view);
    EndHighlightDraw(view);
}

void DrawStaffVoices(ScoreView* view, bool shownVoicesOnly) {
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        if (shownVoicesOnly && !IsVoiceShown(view, voice)) continue;
        DrawVoiceNotes(view->currentCell, view, voice);
        DrawVoiceElements(view, view->currentCell, voice);
    }
}

// Each shown staff of the current measure: every voice, or the shown ones only.
void DrawMeasureStaves(ScoreView* view, bool shownVoicesOnly) {
    if (view == nullptr || view->document == nullptr) return;
    const ScopedPaintingGuard guard;
    BeginViewDraw(view);
    const int measure = view->currentMeasure;
    for (int staff = 1; view->ViewDC && staff <= view->document->header.staffCount; ++staff) {
        if (!IsStaffShownIn(view->currentSystem, staff)) continue;
        const NoteDrawLocation location(view, staff, measure);
        if (!location.IsDrawable()) continue;
        // Every voice with the context saved, then the measure here and in the linked
        // views; or the measure first, then the shown voices over it.
        if (shownVoicesOnly) {
            RedrawStaffMeasureInInk(view);
            DrawStaffVoices(view, true);
        } else {
            const int saved = gfx::SaveContext(view->ViewDC);
            DrawStaffVoices(view, false);
            if (saved > 0) gfx::RestoreContext(view->ViewDC, saved);
            RedrawStaffMeasureInInk(view);
        }
    }
    EndViewDraw(view);
}

}  // namespace

void RedrawMeasureOnAllStaves(ScoreView* view) {
    DrawMeasureStaves(view, false);
}

void RedrawMeasureNotesOnAllStaves(ScoreView* view) {
    DrawMeasureStaves(view, true);
}

}  // namespace ql
