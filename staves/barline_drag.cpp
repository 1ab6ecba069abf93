// Committing a barline drag (see barline_drag.h): the location taken to the barline,
// widths through AdjustMeasureWidth, the closing barline's system end, and the
// system re-breaks.
#include "staves/barline_drag.h"

#include <algorithm>
#include <cstdlib>

#include "core/model/document.h"
#include "core/model/page_records.h"
#include "core/model/score_document.h"
#include "core/objects/hit_record.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "display/view_modes.h"
#include "layout/measure_format.h"
#include "layout/measure_spacing.h"
#include "layout/page_chain.h"
#include "notes/beatmap/beat_map.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "staves/barline_follow.h"
#include "staves/barline_handler.h"

namespace ql {

namespace {

constexpr int32_t kWidthHandleDeadZone = 32;  // a width handle moved less changes nothing

int Width(ScoreDocument* document, int measure) {
    const MeasureRecord* record = MeasureRecordOf(document, measure);
    return record != nullptr ? record->width : 0;
}

bool CtrlHeld() {
    return win::IsKeyDown(win::Key::Control) || State().input.StickyCtrlFlag != 0;
}

// The system's first page when the view's current page holds it, else null.
ScorePage* PageHolding(ScoreView* view, const ScoreSystem* system) {
    ScorePage* page = view->currentPage;
    if (page == nullptr) return nullptr;
    int n = 0;
    for (ScoreSystem* s = page->firstSystem.get(); s != nullptr && n < 256; s = s->next.get(), ++n)
        if (s == system) return page;
    return nullptr;
}

// The system before `system` on `*page`, else the last system of the page before,
// `*page` then moving to that page; null for the score's first system.
ScoreSystem* SystemBefore(ScoreDocument* document, ScorePage** page, const ScoreSystem* system) {
    if (system != (*page)->firstSystem.get()) return system->previous.get();
    if (*page == document->firstPage) return nullptr;
    ScorePage* previous = (*page)->previous.get();
    if (!pages::IsPageInList(document, previous) || !previous->firstSystem) return nullptr;
    *page = previous;
    return pages::LastSystem(previous);
}

enum class Rebroken { No, Done, Refused };

// Measures moving between systems instead of a width change (page view): whether the
// drag was one of those, and done or refused (with a beep). The first system of a
// page trades with the last system of the page before, the last one with the first
// of the page after (the break moves pass the page break themselves).
Rebroken Rebreak(ScoreView* view, ScoreSystem* system, int measure, int32_t from, int32_t to) {
    ScorePage* page = PageHolding(view, system);
    if (page == nullptr) return Rebroken::No;
    const bool opening = measure == system->firstMeasure;
    const bool closing = measure == system->lastMeasure + 1;
    ScoreDocument* document = view->document;
    if (opening && to < from && system == page->firstSystem.get() && page == document->firstPage) {
        ui::Beep(ui::BeepKind::Information);  // nothing lies before the first system
        return Rebroken::Refused;
    }
    ScorePage* previousPage = page;
    ScoreSystem* previous = SystemBefore(document, &previousPage, system);
    int32_t neighbour = 0;
    if (to < system->x && measure > system->firstMeasure && previous != nullptr) {
        // Carried out of its system to the left: the measures before it go up.
        MoveSystemBreakForward(view, previousPage, previous, measure - system->firstMeasure);
        return Rebroken::Done;
    }
    if (closing && measure - 1 > system->firstMeasure && BarlineXInSystem(view, system, measure - 1, &neighbour) &&
        to <= neighbour) {
        MoveSystemBreakBack(view, page, system, 1);  // the last measure goes down
        return Rebroken::Done;
    }
    if (opening && previous != nullptr && measure < system->lastMeasure &&
        BarlineXInSystem(view, system, measure + 1, &neighbour) && to >= neighbour) {
        MoveSystemBreakForward(view, previousPage, previous, 1);  // the first measure goes up
        return Rebroken::Done;
    }
    return Rebroken::No;
}

// A closing barline dragged right of its last measure's start (page view) sets where
// the system ends: at the pointer while it stays left of the page's right edge (the
// system keeps that natural width), else the system goes back to filling the space
// between the margins. The flag the system gets, or -1 when the drag is not one of
// those; read before the widths change.
int SystemEndFlag(ScoreView* view, const ScoreSystem* system, int measure, int32_t to) {
    int32_t lastStart = 0;
    if (view->pageView == 0 || measure != system->lastMeasure + 1 ||
        !BarlineXInSystem(view, system, measure - 1, &lastStart) || to <= lastStart)
        return -1;
    return to < view->PageRight ? 1 : 0;
}

// Widths of the measures around the barline change by dx (see the header). False
// when the measure before it would lose all its width.
bool ChangeWidths(ScoreView* view, ScoreSystem* system, int measure, int32_t dx) {
    ScoreDocument* document = view->document;
    const int first = system->firstMeasure;
    const int last = system->lastMeasure;
    const int before = measure - first;  // measures of the system before the barline
    const bool closing = measure == last + 1;
    const bool page = view->pageView != 0;
    const bool spread = page && !CtrlHeld();
    if (before >= 1) {
        const int32_t share = spread ? dx / before : dx;
        if (Width(document, measure - 1) + (spread && before > 1 ? share : dx) < 1) {
            ui::Beep(ui::BeepKind::Stop);
            return false;
        }
    }
    if (spread) {
        int32_t carry = 0;
        const int32_t share = before > 1 ? dx / before : dx;
        for (int m = first; m < measure; ++m) {
            const int32_t ask = share + carry;
            const int was = Width(document, m);
            AdjustMeasureWidth(view, m, ask);
            carry = ask - (Width(document, m) - was);
        }
        if (!closing) {
            const int after = last - measure + 1;
            const int32_t take = after > 0 ? dx / after : 0;
            for (int m = measure; m <= last; ++m) {
                const int32_t ask = carry - take;
                const int was = Width(document, m);
                AdjustMeasureWidth(view, m, ask);
                carry = ask - (Width(document, m) - was);
            }
        }
        if (before == 0) system->x += dx;
    } else if (before >= 1) {
        const int was = Width(document, measure - 1);
        AdjustMeasureWidth(view, measure - 1, dx);
        const int32_t applied = Width(document, measure - 1) - was;
        if (page && !closing) AdjustMeasureWidth(view, measure, -applied);
    } else {
        AdjustMeasureWidth(view, measure, -dx);
        system->x += dx;
    }
    return true;
}

}  // namespace

int CommitBarlineDrag(ScoreObject* object, ScoreView* view) {
    SelectionState* s = TheSelectionState();
    BarlineBody* body = BarlineBodyOf(object);
    ScoreSystem* system = body != nullptr ? body->system.get() : nullptr;
    HitRecord* handle = s != nullptr ? s->grabbedRecord.get() : nullptr;
    if (s == nullptr || s->commitForbidden || handle == nullptr || handle->owner.get() != object ||
        system == nullptr || view == nullptr || view->document == nullptr)
        return 0;
    ScoreDocument* document = view->document;
    const int measure = body->measure;
    // The location goes to the barline: its system, and the measure after it (the
    // system's last for its closing barline).
    SetCurrentSystemAndMeasure(view, system, std::max(view->currentStaff, 1),
                               std::min<int>(measure, system->lastMeasure));
    bool changed = false;
    SetBarlineFollowSuppressed(true);
    if (handle->kind == kBarlineStartHandle || handle->kind == kBarlineWidthHandle) {
        int32_t from = handle->point.x;
        WidthHandleX(view, system, measure, handle->kind, &from);
        const int32_t moved = handle->point.x - from;
        if (std::abs(moved) > kWidthHandleDeadZone) {
            const int was = Width(document, measure);
            AdjustMeasureWidth(view, measure, handle->kind == kBarlineWidthHandle ? moved : -moved);
            changed = Width(document, measure) != was;
        }
    } else {
        const int32_t dx = handle->point.x - body->x;
        if (dx != 0) {
            const int endFlag = SystemEndFlag(view, system, measure, body->x + dx);
            const Rebroken rebroken =
                view->pageView != 0 ? Rebreak(view, system, measure, body->x, body->x + dx) : Rebroken::No;
            changed = rebroken == Rebroken::No ? ChangeWidths(view, system, measure, dx) : rebroken == Rebroken::Done;
            if (changed && rebroken == Rebroken::No && endFlag >= 0)
                system->keepNaturalWidth = static_cast<uint8_t>(endFlag);
        }
    }
    if (changed) {
        SetDocumentModified(document);
        UpdateBeatMaps(view, 1);
        InvalidateLinkedViews(view);
        ComputeViewScrollRanges(view);
    }
    SetBarlineFollowSuppressed(false);
    return changed ? 1 : 0;
}

}  // namespace ql
