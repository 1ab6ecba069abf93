// What the marquee does to the objects inside it: the walk over the objects of the
// selection's hit list that lie inside its rectangle, Toggle Ownership, the edit
// commands (a type's objects, or the note commands once), the keys (the text styles,
// Ctrl+arrows moving it) and its delete (every object inside but the grid's own,
// then the notes and rests through ClearRectangle) in one undoable edit. Each ends by
// redrawing the region around the marquee.
#include <algorithm>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "core/units/save_stacks.h"
#include "core/model/page_records.h"
#include "display/view_location.h"
#include "editing/marquee.h"
#include "editing/marquee_clear.h"
#include "editing/marquee_internal.h"
#include "editing/note_commands.h"
#include "editing/selection.h"
#include "notes/beatmap/beat_map.h"
#include "platform/gfx/mapping.h"
#include "platform/win/input.h"
#include "platform/win/keys.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using win::Key;

constexpr int kWalkLimit = 1 << 16;
constexpr int32_t kRegionSide = 2048;     // the redrawn region is at least this wide and high
constexpr int32_t kRegionMinGrowth = 64;  // each round grows a side by at least this
constexpr int32_t kRegionLimit = 32767;
constexpr int kNoteCommandFirstSkipped = 40348;  // these two go to every note's own class
constexpr int kNoteCommandSecondSkipped = 40349;
// The keys' edit commands on text: "U" underline, "B" bold, "I" italic.
constexpr int kUnderlineCommand = 4;
constexpr int kBoldCommand = 2;
constexpr int kItalicCommand = 3;

bool Is(uint8_t type, ObjectType t) {
    return type == TypeCode(t);
}

// An object inside the marquee with the list-A record it was found by.
struct Inside {
    ScoreObject* object;
    HitRecord* record;
};

// The objects of list A (other than marquees) that accept the rectangle and pass
// the filter, in list order.
template <typename Filter>
std::vector<Inside> ObjectsInside(const gfx::Rect& rect, Filter keep) {
    std::vector<Inside> found;
    SelectionState* s = TheSelectionState();
    if (s == nullptr) return found;
    const RecordRect area{rect.left, rect.top, rect.right, rect.bottom};
    int n = 0;
    for (HitRecord* r = s->listAHead.next.get(); r != nullptr && r != &s->listATail && n < kWalkLimit;
         r = r->next.get(), ++n) {
        ScoreObject* owner = r->owner.get();
        if (owner == nullptr || Is(owner->type, ObjectType::Selection) || !keep(owner->type)) continue;
        if (ClassOf(owner).HitTest(owner, area, r) != 0) found.push_back({owner, r});
    }
    return found;
}

// Runs an operation on each object with the view moved to it and its record
// current; the view's location and the current handle come back afterwards.
template <typename Operation>
void ForEachInside(ScoreView* view, const std::vector<Inside>& objects, Operation operation) {
    SelectionState* s = TheSelectionState();
    const Ref32<HitRecord> current = s->grabbedRecord;
    for (const Inside& inside : objects) {
        PushViewPosition(view);
        SetCurrentMeasure(view, inside.record->location.location.staff, inside.record->location.location.measure);
        s->grabbedRecord = Ref32<HitRecord>::To(inside.record);
        operation(inside);
        PopViewPosition(view);
    }
    s->grabbedRecord = current;
}

bool HasHandles(const ScoreObject* marquee) {
    return marquee != nullptr && marquee->handleChain;
}

// The marquee belongs to the view that shows it: in any other view (another window
// of the same score) a command finds no selection.
bool ActsIn(const ScoreObject* marquee, const ScoreView* view) {
    const MarqueeState& g = State().marquee;
    return marquee == nullptr || marquee != g.current || g.ownerWindow == view->ViewWindow;
}

// The grid's own objects and what belongs to notes stay out of Toggle Ownership.
bool TakesOwnershipToggle(uint8_t type) {
    using T = ObjectType;
    return !Is(type, T::Measure) && !Is(type, T::Staff) && !Is(type, T::Margin) &&
           !Is(type, T::NoteArticulation) && !Is(type, T::Note);
}

// The delete hands these to ClearRectangle or leaves them.
bool GoesToPrototypeDelete(uint8_t type) {
    using T = ObjectType;
    return !Is(type, T::Measure) && !Is(type, T::Staff) && !Is(type, T::Accidental) && !Is(type, T::Margin) &&
           !Is(type, T::Note) && !Is(type, T::Rest);
}

// Moves the marquee by a key: its inversion follows by difference.
int MoveByKey(ScoreObject* marquee, ScoreView* view, int32_t dx, int32_t dy) {
    SelectionState* s = TheSelectionState();
    s->dragOffsetX = dx;
    s->dragOffsetY = dy;
    ClassOf(marquee).DragMove(marquee, view);
    s->dragOffsetX = s->dragOffsetY = 0;
    ClassOf(marquee).DrawTracking(marquee, view);
    return 1;
}

int ArrowStep(Key key, int32_t* dx, int32_t* dy) {
    switch (key) {
        case Key::Left:
            *dx = -kMarqueeKeyStepX;
            return 1;
        case Key::Right:
            *dx = kMarqueeKeyStepX;
            return 1;
        case Key::Up:
            *dy = -kMarqueeKeyStepY;
            return 1;
        case Key::Down:
            *dy = kMarqueeKeyStepY;
            return 1;
        default:
            return 0;
    }
}

// The start of the measure the marquee's left edge lies in, on the page's system at
// its top; the edge itself in scroll view or away from every system.
int32_t MeasureStartLeftOf(ScoreView* view, const gfx::Rect& r) {
    const ScoreSystem* system = view->pageView == 1 ? SystemAtY(view, r.top) : nullptr;
    if (system == nullptr || system->lastMeasure < system->firstMeasure) return r.left;
    int32_t start = r.left;
    const int slots = system->lastMeasure - system->firstMeasure + 1;
    for (int slot = 1; slot <= slots; ++slot) {
        const int32_t x = MeasureSlotX(view, system, slot);
        if (x > r.left) break;
        start = x;
    }
    return start;
}

}  // namespace

gfx::Rect MarqueeRedrawArea(const gfx::Rect& rect) {
    int64_t left = rect.left, top = rect.top, right = rect.right, bottom = rect.bottom;
    auto grow = [](int64_t& side, int64_t by) { side = std::clamp<int64_t>(side + by, -kRegionLimit, kRegionLimit); };
    while (right - left < kRegionSide || bottom - top < kRegionSide) {
        const int64_t gx = std::max<int64_t>((right - left) / 2, kRegionMinGrowth);
        const int64_t gy = std::max<int64_t>((bottom - top) / 2, kRegionMinGrowth);
        const int64_t before = (right - left) + (bottom - top);
        grow(left, -gx);
        grow(right, gx);
        grow(top, -gy);
        grow(bottom, gy);
        if ((right - left) + (bottom - top) == before) break;  // every side at its limit
    }
    return gfx::Rect{static_cast<int32_t>(left), static_cast<int32_t>(top), static_cast<int32_t>(right),
                     static_cast<int32_t>(bottom)};
}

void RedrawMarqueeRegion(ScoreView* view) {
    if (view == nullptr || !view->ViewWindow) return;
    if (const SelectionState* s = TheSelectionState(); s != nullptr && s->toolCursor) win::SetCursor(s->toolCursor);
    gfx::Rect marquee = CurrentMarqueeRect();
    marquee.left = MeasureStartLeftOf(view, marquee);
    const gfx::Rect area = MarqueeRedrawArea(marquee);
    const bool opened = !view->ViewDC;
    if (opened) BeginViewDraw(view);
    gfx::Point corners[2] = {{area.left, area.top}, {area.right, area.bottom}};
    const bool mapped = view->ViewDC && gfx::LogicalToDevice(view->ViewDC, corners, 2);
    if (opened) EndViewDraw(view);
    if (!mapped) return;
    const gfx::Rect device = gfx::Normalised(gfx::Rect{corners[0].x, corners[0].y, corners[1].x, corners[1].y});
    const win::Rect invalid{device.left, device.top, device.right, device.bottom};
    win::InvalidateRect(view->ViewWindow, &invalid, true);
}

void MarqueeEditInPlace(ScoreObject* marquee, ScoreView* view) {
    if (view == nullptr || !ActsIn(marquee, view)) return;
    ForEachInside(view, ObjectsInside(CurrentMarqueeRect(), TakesOwnershipToggle),
                  [view](const Inside& in) { ClassOf(in.object).EditInPlace(in.object, view); });
    UnfocusElement(view);
    SetDocumentModified(view->document);
    if (SelectionState* s = TheSelectionState()) s->rebuildRequested = 1;
}

int MarqueeEditCommand(ScoreObject* marquee, ScoreView* view, int command, int type) {
    if (view == nullptr || !ActsIn(marquee, view)) return 0;
    const bool text = type == TypeCode(ObjectType::Text);
    const auto ofType = [type, text](uint8_t t) {
        return t == type || (text && t == TypeCode(ObjectType::Lyric));
    };
    const std::vector<Inside> inside = ObjectsInside(CurrentMarqueeRect(), ofType);
    const bool noteCommand = type == TypeCode(ObjectType::Note) && command != kNoteCommandFirstSkipped &&
                             command != kNoteCommandSecondSkipped;
    if (noteCommand) {
        // Once, on the first note: the note commands cover the marquee's notes themselves.
        if (!inside.empty())
            ForEachInside(view, {inside.front()}, [&](const Inside&) { ApplyNoteCommand(view, command, type); });
    } else {
        ForEachInside(view, inside, [&](const Inside& in) {
            ClassOf(in.object).OnEditCommand(in.object, view, command, type);
        });
    }
    RedrawMarqueeRegion(view);
    return 1;
}

int MarqueeKey(ScoreObject* marquee, ScoreView* view, uint32_t key) {
    if (view == nullptr || !ActsIn(marquee, view)) return 0;
    const auto k = static_cast<Key>(key);
    const uint8_t textType = TypeCode(ObjectType::Text);
    if (k == win::LetterKey('O')) {
        MarqueeEditInPlace(marquee, view);
        return 1;
    }
    if (k == win::LetterKey('U')) return MarqueeEditCommand(marquee, view, kUnderlineCommand, textType);
    if (k == win::LetterKey('B')) return MarqueeEditCommand(marquee, view, kBoldCommand, textType);
    if (k == win::LetterKey('I')) return MarqueeEditCommand(marquee, view, kItalicCommand, textType);
    if (k == Key::F1) return RootObjectClass().OnKey(marquee, view, key);
    if (!HasHandles(marquee)) return 0;
    // The note keys change the notes and rests inside, in one undo step.
    int result = MarqueeKeyCommand(view, key);
    const bool ctrl = CtrlHeld();
    if (ctrl) {
        const std::vector<Inside> slurs =
            ObjectsInside(CurrentMarqueeRect(), [](uint8_t t) { return Is(t, ObjectType::Slur); });
        ForEachInside(view, slurs, [&](const Inside& in) { ClassOf(in.object).OnKey(in.object, view, key); });
    }
    RedrawMarqueeRegion(view);
    int32_t dx = 0, dy = 0;
    if (ctrl && ArrowStep(k, &dx, &dy)) result = MoveByKey(marquee, view, dx, dy);
    if (SelectionState* s = TheSelectionState()) s->rebuildRequested = 0;
    return result;
}

// Everything inside goes in one undoable edit; the grid's own objects and the
// notes' signs never reach their prototypes' delete.
int MarqueeDelete(ScoreView* view, ScoreObject* marquee, HitRecord*) {
    SelectionState* s = TheSelectionState();
    if (view == nullptr || view->document == nullptr || s == nullptr || !HasHandles(marquee) ||
        !ActsIn(marquee, view))
        return 0;
    const gfx::Rect rect = CurrentMarqueeRect();
    const ScoreObject* current = s->currentObject.get();
    const uint8_t type = current != nullptr ? current->type : TypeCode(ObjectType::Selection);
    {
        UndoStep step(view->document, view, UndoKind::Item, type, UndoVerb::Delete);
        const std::vector<Inside> inside = ObjectsInside(rect, GoesToPrototypeDelete);
        ForEachInside(view, inside, [&](const Inside& in) {
            ScoreObject* prototype = view->document->prototypes[in.object->type];
            if (prototype != nullptr) ClassOf(prototype).HandleDrop(prototype, view, in.object, in.record);
        });
        ClearRectangle(view, RecordRect{rect.left, rect.top, rect.right, rect.bottom});
        SetDocumentModified(view->document);
    }
    if (s->toolCursor) win::SetCursor(s->toolCursor);
    RedrawMarqueeRegion(view);
    s->rebuildRequested = 1;
    return 0;
}

}  // namespace ql
