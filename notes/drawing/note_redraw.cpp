// The redraw entry points of note drawing: the voices and elements of the view's
// current cell, one voice, one chord or beam group, in the erase colours for the
// "saved" forms, and the same in every linked view. Also the view's location for
// drawing (NoteDrawLocation).
#include "notes/drawing/note_redraw.h"

#include <algorithm>
#include <vector>

#include "core/constants.h"
#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/staff_scaling.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/state.h"
#include "core/ui/status_bar_notes.h"
#include "display/hit_test.h"
#include "display/linked_views.h"
#include "display/painter.h"
#include "display/system_drawing.h"
#include "display/view_location.h"
#include "notes/drawing/note_draw.h"
#include "notes/drawing/note_draw_internal.h"
#include "notes/drawing/paper_boxes.h"
#include "notes/drawing/stem_draw.h"
#include "notes/rests/rest.h"
#include "platform/gfx/dc.h"

namespace ql {

namespace {

constexpr int kHiddenVoiceShift = 12;  // cell word bits 12-15: a voice's elements hidden
constexpr int kMaxVoiceElements = kMaxChainLength;

MeasureCell* CurrentCellOf(ScoreView* view) {
    if (view->currentCell != nullptr) return view->currentCell;
    return ExistingMeasureCell(view->document, view->currentStaff, view->currentMeasure);
}

// The view made active for one scope.
class ActiveViewScope {
  public:
    explicit ActiveViewScope(ScoreView* view) : saved_(State().documents.ActiveView) {
        State().documents.ActiveView = view;
    }
    ~ActiveViewScope() { State().documents.ActiveView = saved_; }
    ActiveViewScope(const ActiveViewScope&) = delete;
    ActiveViewScope& operator=(const ActiveViewScope&) = delete;

  private:
    ScoreView* saved_;
};

// Runs `draw` on the view, inside a drawing bracket, with baseline-left alignment.
template <typename Draw>
void DrawInBracket(ScoreView* view, Draw draw) {
    const ScopedPaintingGuard guard;
    BeginViewDraw(view);
    if (view->ViewDC) {
        const gfx::TextAlign previous =
            SetViewTextAlign(view, gfx::kTextAlignLeft | gfx::kTextAlignBaseline);
        draw(view);
        SetViewTextAlign(view, previous);
    }
    EndViewDraw(view);
}

// Runs `draw` here, then in every linked view moved to this view's staff and measure.
template <typename Draw>
void DrawHereAndLinked(ScoreView* view, Draw draw) {
    DrawInBracket(view, draw);
    for (ScoreView* other = NextLinkedView(view, nullptr); other != nullptr;
         other = NextLinkedView(view, other)) {
        const ActiveViewScope active(other);
        const NoteDrawLocation location(other, view->currentStaff, view->currentMeasure);
        if (location.IsDrawable()) DrawInBracket(other, draw);
    }
}

// Draws in the erase colours for one scope.
template <typename Draw>
void Saved(ScoreView* view, Draw draw) {
    BeginSelectionDraw(view);
    draw();
    EndHighlightDraw(view);
}

void DrawElementsOf(ScoreView* view, MeasureCell* cell, int voice) {
    ScoreObject* element = GetVoiceFirstElement(cell, voice);
    if (element == nullptr) return;
    const bool hiddenByCell = (cell->cellWord >> (kHiddenVoiceShift + voice)) & 1u;
    if (hiddenByCell) {
        if (RestBody* body = RestBodyOf(element)) body->flags |= kRestHidden;
    }
    const notedraw::DimmedScope dimmed(view, hiddenByCell || !IsVoiceShown(view, voice));
    for (int i = 0; element != nullptr && i < kMaxVoiceElements; ++i) {
        ClassOf(element).Draw(element, view);
        ScoreObject* next = element->next.get();
        element = next != nullptr && IsLiveRecord(CurrentPoolSet(), kTextObjectPool, next)
                      ? next
                      : nullptr;
    }
}

constexpr int kNoVoiceBack = kVoiceCount;  // every voice was drawn away

// What was drawn away, in the view's current cell: one voice, one chord or beam group
// of it (`group`) and with `onward` every later one, or every voice (kNoVoiceBack);
// or nothing (no cell).
struct DrawnAway {
    MeasureCell* cell = nullptr;
    int voice = kNoVoiceBack;
    EventRecord* group = nullptr;
    bool onward = false;
};

// Whether a voice of the cell draws anything: its notes, its elements, or for voice 0
// of a cell without notes the measure's rest.
bool VoiceDrawsInk(MeasureCell* cell, int voice) {
    if (GetVoiceFirstEvent(cell, voice) != nullptr || GetVoiceFirstElement(cell, voice) != nullptr) return true;
    return voice == 0 && notedraw::CellHasNoEvents(cell);
}

// The cell's notes and elements in the view's current location, clipped to each box,
// leaving out what was drawn away when this is its cell.
void CellInkInBoxes(ScoreView* view, MeasureCell* cell, const std::vector<gfx::Rect>& boxes,
                    const DrawnAway& away) {
    const bool drawnAwayHere = cell == away.cell;
    std::vector<int> voices;
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        const bool leftOut = drawnAwayHere && (away.voice == kNoVoiceBack || voice == away.voice) &&
                             (away.group == nullptr || voice != away.voice);
        if (!leftOut && VoiceDrawsInk(cell, voice)) voices.push_back(voice);
    }
    for (const gfx::Rect& box : voices.empty() ? std::vector<gfx::Rect>{} : boxes) {
        const int saved = gfx::SaveContext(view->ViewDC);
        gfx::IntersectClipRect(view->ViewDC, box);
        for (const int voice : voices) {
            if (drawnAwayHere && voice == away.voice)
                DrawVoiceNotesBeside(cell, view, voice, away.group, away.onward);
            else
                DrawVoiceNotes(cell, view, voice);
            DrawElementsOf(view, cell, voice);
        }
        gfx::RestoreContext(view->ViewDC, saved);
    }
}

// The staff's grid (lines, barlines, signs, numbers) over the slots, clipped to each box.
void GridInBoxes(ScoreView* view, int staff, int firstSlot, int lastSlot, const std::vector<gfx::Rect>& boxes) {
    for (const gfx::Rect& box : boxes) {
        const int saved = gfx::SaveContext(view->ViewDC);
        gfx::IntersectClipRect(view->ViewDC, box);
        DrawSystem(view, staff, firstSlot, lastSlot);
        gfx::RestoreContext(view->ViewDC, saved);
    }
}

// The objects of a list (a cell's slurs, texts, dynamics...) clipped to each box, in
// the painter's two passes.
void ObjectsInBoxes(ScoreView* view, ScoreObject* first, const std::vector<gfx::Rect>& boxes) {
    if (first == nullptr) return;
    for (const gfx::Rect& box : boxes) {
        const int saved = gfx::SaveContext(view->ViewDC);
        gfx::IntersectClipRect(view->ViewDC, box);
        if (DrawObjectsFirstPass(view, first)) DrawObjectChain(view, first);
        gfx::RestoreContext(view->ViewDC, saved);
    }
}

// Whether the cell of a staff and measure holds objects (its list has members).
bool HasCellObjects(const ScoreView* view, int staff, int measure) {
    const MeasureCell* cell = ExistingMeasureCell(view->document, staff, measure);
    const ScoreObject* list = cell != nullptr ? cell->objects.get() : nullptr;
    return list != nullptr && list->next.get() != nullptr;
}

// The page's items (and its master page's) clipped to each box.
void PageItemsInBoxes(ScoreView* view, const std::vector<gfx::Rect>& boxes) {
    for (const gfx::Rect& box : boxes) {
        const int saved = gfx::SaveContext(view->ViewDC);
        gfx::IntersectClipRect(view->ViewDC, box);
        DrawPageItemsAgain(view);
        gfx::RestoreContext(view->ViewDC, saved);
    }
}

// What the paper took along with the ink drawn away comes back in ink: everything
// inside a box filled with the paper (a glyph's, a stem's, a beam's, a ledger line's,
// a piece of a tie's). Clipped to each box, the grid of the current staff and the
// staves beside it comes back over the slots the boxes reach, then the notes,
// elements and objects of the cells that can lie there: on those staves (a
// cross-staff note is drawn on its neighbour), in the measures the boxes reach and
// the one before them (a tie reaches into the next measure); the objects of every
// earlier measure of the system too (a slur or a hairpin may start any number of
// measures before); last the page's items. What was drawn away is left out: it
// still holds what it held before the edit.
void UnderPaperBack(ScoreView* view, const PaperBoxLog& log, const DrawnAway& away) {
    const ScopedPaintingGuard guard;
    BeginHighlightDraw(view);
    int firstSlot = view->currentSlot;
    int lastSlot = firstSlot;
    if (log.IsEmpty() || !view->ViewDC || view->currentSystem == nullptr ||
        !SlotsReaching(view, log.ReachLeft(), log.ReachRight(), &firstSlot, &lastSlot)) {
        RedrawCurrentMeasure(view);
        EndHighlightDraw(view);
        return;
    }
    const std::vector<gfx::Rect> boxes = log.DisjointFilledBoxes();
    const int staffCount = view->document != nullptr ? view->document->header.staffCount : 0;
    const int here = view->currentStaff;
    const NoteDrawLocation kept(view, here, view->currentMeasure);  // puts the staff's fonts back
    for (int staff = std::max(1, here - 1); staff <= std::min(staffCount, here + 1); ++staff) {
        if (!IsStaffShownIn(view->currentSystem, staff)) continue;
        GridInBoxes(view, staff, firstSlot, lastSlot, boxes);
        for (int slot = 1; away.cell != nullptr && slot <= lastSlot; ++slot) {
            const int measure = MeasureOfSlot(view, slot);
            const bool notesReach = slot >= firstSlot - 1;
            if (!notesReach && !HasCellObjects(view, staff, measure)) continue;
            const NoteDrawLocation location(view, staff, measure);
            if (!location.IsDrawable()) continue;
            if (notesReach) CellInkInBoxes(view, view->currentCell, boxes, away);
            ObjectsInBoxes(view, view->currentCell->objects.get(), boxes);
        }
    }
    PageItemsInBoxes(view, boxes);
    EndHighlightDraw(view);
}

void DrawNotesAndElements(ScoreView* view, int voice, bool saved) {
    MeasureCell* cell = CurrentCellOf(view);
    if (cell == nullptr) return;
    if (saved) {
        const PaperBoxLog log;
        Saved(view, [&] { DrawVoiceNotes(cell, view, voice); });
        Saved(view, [&] { DrawVoiceElements(view, cell, voice); });
        UnderPaperBack(view, log, DrawnAway{cell, voice, nullptr, false});
        return;
    }
    DrawVoiceNotes(cell, view, voice);
    DrawVoiceElements(view, cell, voice);
}

}  // namespace

// ---- The location ----

NoteDrawLocation::NoteDrawLocation(ScoreView* view, int staff, int measure)
    : view_(view),
      savedSystem_(view->currentSystem),
      savedSlot_(view->currentSlot),
      savedStaff_(view->currentStaff),
      savedMeasure_(view->currentMeasure),
      savedStaffRecord_(view->currentStaffRecord),
      savedCell_(view->currentCell),
      savedChain_(view->voiceChain),
      savedStaffY_(view->staffY),
      savedScale_(ViewScale(view)) {
    ScoreSystem* system = SystemOfMeasure(view, measure);
    if (system == nullptr || view->document == nullptr || measure < system->firstMeasure ||
        measure > system->lastMeasure)
        return;
    view->currentSystem = system;
    view->currentSlot = measure - system->firstMeasure + 1;
    view->currentStaff = staff;
    view->currentMeasure = measure;
    // What is placed against the staff (a note's marks and texts) reads its y here.
    if (const uint16_t* offsets = StaffOffsetsOf(system);
        offsets != nullptr && staff >= 0 && staff <= view->document->header.staffCount)
        view->staffY = system->y + offsets[staff];
    view->currentStaffRecord = StaffRecordOf(view->document, staff);
    view->currentCell = ExistingMeasureCell(view->document, staff, measure);
    view->voiceChain =
        view->currentCell != nullptr ? GetVoiceFirstEvent(view->currentCell, 0) : nullptr;
    SelectStaffScaledFonts(view, staff);
    drawable_ = view->currentCell != nullptr && view->currentStaffRecord != nullptr;
}

NoteDrawLocation::~NoteDrawLocation() {
    view_->currentSystem = savedSystem_;
    view_->currentSlot = savedSlot_;
    view_->currentStaff = savedStaff_;
    view_->currentMeasure = savedMeasure_;
    view_->currentStaffRecord = savedStaffRecord_;
    view_->currentCell = savedCell_;
    view_->voiceChain = savedChain_;
    view_->staffY = savedStaffY_;
    if (ViewScale(view_) == savedScale_) return;
    if (savedScale_ > 0.0)
        SelectStaffScaledFonts(view_, savedStaff_);
    else
        SetViewScale(view_, 0.0);
}

// ---- Entry points ----

bool IsStaffShownIn(const ScoreSystem* system, int staff) {
    const int8_t* flags = system != nullptr ? StaffFlagsOf(system) : nullptr;
    return flags == nullptr || flags[staff] >= 0;
}

void DrawStaffNotesAllVoices(ScoreView* view, MeasureCell* cell) {
    for (int voice = 0; voice < kVoiceCount; ++voice) DrawVoiceNotes(cell, view, voice);
}

void DrawVoiceItems(ScoreView* view, MeasureCell* cell) {
    if (view == nullptr || cell == nullptr || !view->ViewDC) return;
    const ScopedPaintingGuard guard;
    for (int voice = 0; voice < kVoiceCount; ++voice) DrawElementsOf(view, cell, voice);
}

void DrawVoiceElements(ScoreView* view, MeasureCell* cell, int voice) {
    if (view == nullptr || cell == nullptr || !view->ViewDC || voice < 0 || voice >= kVoiceCount)
        return;
    const ScoreObject* first = GetVoiceFirstElement(cell, voice);
    if (first == nullptr || first->type != TypeCode(ObjectType::Rest)) return;
    const ScopedPaintingGuard guard;
    DrawElementsOf(view, cell, voice);
}

void DrawNoteChain(ScoreView* view, int voice) {
    if (view == nullptr) return;
    DrawHereAndLinked(view, [voice](ScoreView* v) { DrawNotesAndElements(v, voice, false); });
}

void DrawNoteChainSaved(ScoreView* view, int voice) {
    if (view == nullptr) return;
    DrawHereAndLinked(view, [voice](ScoreView* v) { DrawNotesAndElements(v, voice, true); });
}

void DrawNoteChainOnLinkedViews(ScoreView* view, int voice) {
    if (view == nullptr) return;
    DrawHereAndLinked(view, [voice](ScoreView* v) {
        if (MeasureCell* cell = CurrentCellOf(v)) DrawVoiceElements(v, cell, voice);
    });
}

void DrawNoteChainOnLinkedViewsMasked(ScoreView* view, int voice) {
    if (view == nullptr) return;
    DrawHereAndLinked(view, [voice](ScoreView* v) {
        if (MeasureCell* cell = CurrentCellOf(v))
            Saved(v, [&] { DrawVoiceElements(v, cell, voice); });
    });
}

void DrawCellNotesLinked(ScoreView* view) {
    if (view == nullptr) return;
    DrawHereAndLinked(view, [](ScoreView* v) {
        MeasureCell* cell = CurrentCellOf(v);
        if (cell == nullptr) return;
        DrawStaffNotesAllVoices(v, cell);
        DrawVoiceItems(v, cell);
    });
}

void DrawCellNotesAllVoicesSaved(ScoreView* view) {
    if (view == nullptr) return;
    DrawHereAndLinked(view, [](ScoreView* v) {
        MeasureCell* cell = CurrentCellOf(v);
        if (cell == nullptr) return;
        const PaperBoxLog log;
        Saved(v, [&] { DrawStaffNotesAllVoices(v, cell); });
        Saved(v, [&] { DrawVoiceItems(v, cell); });
        UnderPaperBack(v, log, DrawnAway{cell, kNoVoiceBack, nullptr, false});
    });
}

void RedrawNotesLinked(ScoreView* view, EventRecord* chord) {
    if (view == nullptr || chord == nullptr) return;
    DrawHereAndLinked(view, [chord](ScoreView* v) { DrawNoteGroup(v, chord); });
}

void DrawNoteGroupSaved(ScoreView* view, EventRecord* chord) {
    if (view == nullptr || chord == nullptr) return;
    DrawInBracket(view, [chord](ScoreView* v) {
        const PaperBoxLog log;
        Saved(v, [&] { DrawNoteGroup(v, chord); });
        MeasureCell* cell = CurrentCellOf(v);
        const int voice = cell != nullptr ? FindVoiceOfEvent(cell, chord, 0) : kNoVoiceBack;
        UnderPaperBack(v, log, DrawnAway{cell, voice, voice != kNoVoiceBack ? chord : nullptr, false});
    });
}

void DrawNoteGroupSavedLinked(ScoreView* view, EventRecord* chord) {
    if (view == nullptr || chord == nullptr) return;
    DrawNoteGroupSaved(view, chord);
    for (ScoreView* other = NextLinkedView(view, nullptr); other != nullptr;
         other = NextLinkedView(view, other)) {
        const ActiveViewScope active(other);
        const NoteDrawLocation location(other, view->currentStaff, view->currentMeasure);
        if (location.IsDrawable()) DrawNoteGroupSaved(other, chord);
    }
}

void DrawNoteGroupsOnwardSavedLinked(ScoreView* view, EventRecord* chord) {
    if (view == nullptr || chord == nullptr) return;
    DrawHereAndLinked(view, [chord](ScoreView* v) {
        MeasureCell* cell = CurrentCellOf(v);
        const int voice = cell != nullptr ? FindVoiceOfEvent(cell, chord, 0) : kNoVoiceBack;
        if (voice == kNoVoiceBack) return;
        const PaperBoxLog log;
        Saved(v, [&] { DrawVoiceNotesFrom(cell, v, voice, chord); });
        UnderPaperBack(v, log, DrawnAway{cell, voice, chord, true});
    });
}

bool EraseEmptyMeasureRestLinked(ScoreView* view) {
    MeasureCell* cell = view != nullptr ? CurrentCellOf(view) : nullptr;
    if (cell == nullptr || !notedraw::CellHasNoEvents(cell)) return false;
    DrawHereAndLinked(view, [](ScoreView* v) {
        if (MeasureCell* c = CurrentCellOf(v))
            Saved(v, [&] { notedraw::DrawEmptyMeasureRest(v, c, notedraw::RestInk::Erase); });
    });
    return true;
}

void RedrawMeasureLinked(ScoreView* view) {
    if (view == nullptr) return;
    DrawHereAndLinked(view, [](ScoreView* v) { RedrawCurrentMeasure(v); });
}

}  // namespace ql
