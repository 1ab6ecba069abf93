// The staff element's class and the staff operations it runs (see staff_element.h).
// The element draws nothing of its own: the system painter draws the staff.
//
// The staff drag snaps the drop to the staff-space grid: the dropped top is rounded
// to 64 units, the staff's new offset in the system to a whole staff space (128);
// every offset it moves is rounded the same way and kept at 0 or below.
#include "staves/staff_element.h"
#include "staves/staff_element_follow.h"

#include <algorithm>
#include <utility>

#include "core/constants.h"
#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/staff_mix.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/selection_services.h"
#include "core/ui/status_bar_notes.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "layout/page_chain.h"
#include "layout/page_fit.h"
#include "notes/beatmap/beat_map.h"
#include "platform/ui/message_box.h"
#include "staves/clef_changes.h"
#include "staves/measure_lengths.h"
#include "staves/staff_dialog_resources.h"
#include "staves/staff_dialogs.h"
#include "staves/staff_group_bits.h"
#include "staves/staff_manage.h"
#include "staves/staff_mix_keys.h"
#include "staves/staff_value_dialog.h"

namespace ql {

namespace {

constexpr uint8_t kStaffUndoType = 4;
constexpr uint8_t kStaffElementSubtype = 4;
constexpr int32_t kStaffSpace = 128;
constexpr int32_t kHalfStaffSpace = 64;
constexpr int32_t kDropGrid = 64;
constexpr int32_t kTopAboveStaff = 512;

int StaffCount(const ScoreView* view) {
    return view->document->header.staffCount;
}

bool IsVisibleIn(const ScoreSystem* system, int staff) {
    const int8_t* flags = StaffFlagsOf(system);
    return flags != nullptr && (static_cast<uint8_t>(flags[staff]) & pages::kHiddenStaff) == 0;
}

// Whether any cell of the staff, measures 1..count, holds something.
bool StaffHoldsAnything(ScoreDocument* document, int staff) {
    for (int m = document->header.measureCount; m >= 1; --m) {
        MeasureCell* cell = ExistingMeasureCell(document, staff, m);
        if (cell != nullptr && !IsCellEmpty(cell)) return true;
    }
    return false;
}

int32_t SnappedOffset(int32_t offset) {
    return std::max<int32_t>(0, (offset + kHalfStaffSpace) & ~(kStaffSpace - 1));
}

// The two staves change places; the groups stay where they were (a brace over staves
// 1-2 still joins 1 and 2), so the group links stay with the places. The mix goes
// with the staves.
void ExchangeStaves(ScoreView* view, int a, int b) {
    ScoreDocument* document = view->document;
    StaffRecord* first = StaffRecordOf(document, a);
    StaffRecord* second = StaffRecordOf(document, b);
    if (first == nullptr || second == nullptr) return;
    const StaffMixFollowsStaves mixFollows(*document);
    const GroupLinks linksA = GroupLinksOf(*first);
    const GroupLinks linksB = GroupLinksOf(*second);
    SetGroupLinks(*first, linksB);
    SetGroupLinks(*second, linksA);
    std::swap(document->staves->staves[a], document->staves->staves[b]);
    view->currentStaffRecord = StaffRecordOf(document, view->currentStaff);
}

// Moves the offsets of staves first..last of a system by delta.
void MoveOffsets(ScoreSystem* system, int first, int last, int32_t delta) {
    uint16_t* offsets = StaffOffsetsOf(system);
    if (offsets == nullptr) return;
    for (int s = first; s <= last; ++s) offsets[s] = static_cast<uint16_t>(SnappedOffset(offsets[s] + delta));
}

// The drop exchanges the staff with a visible neighbour it passed; true when it did.
bool SwapWithNeighbour(ScoreView* view, int staff, int32_t offset) {
    const ScoreSystem* system = view->currentSystem;
    const uint16_t* offsets = StaffOffsetsOf(system);
    if (staff < StaffCount(view) && offset > offsets[staff + 1] && IsVisibleIn(system, staff + 1)) {
        ExchangeStaves(view, staff, staff + 1);
        return true;
    }
    if (staff > 1 && offset < offsets[staff - 1] && IsVisibleIn(system, staff - 1)) {
        ExchangeStaves(view, staff - 1, staff);
        return true;
    }
    return false;
}

void MoveStaves(ScoreView* view, int staff, int32_t delta, bool swap) {
    const int last = swap ? staff : StaffCount(view);
    if (view->pageView == 0 || view->currentPage == nullptr) {
        MoveOffsets(view->currentSystem, staff, last, delta);
        return;
    }
    for (ScoreSystem* s = view->currentPage->firstSystem.get(); s != nullptr; s = s->next.get())
        MoveOffsets(s, staff, last, delta);
}

class StaffElementClass : public ScoreObjectClass {
  public:
    std::byte* GetBody(ScoreObject* object) const override { return object->BodyBytes(); }
    uint32_t GetBodySize(const ScoreObject*) const override { return kStaffElementBodyBytes; }
    int32_t GetAnchorWord(const ScoreObject*) const override { return -1; }
    void Draw(ScoreObject*, ScoreView*) const override {}
    ScoreObject* CreateAtClick(ScoreObject*, ScoreView*) const override { return nullptr; }
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override {
        return BuildStaffElementHandle(object, view);
    }
    void ReleaseCache(ScoreObject* object, ScoreView*) const override { KeepCurrentPoint(object); }
    int FollowLocation(ScoreObject*, ScoreView* view) const override { return FollowStaffLocation(view); }
    void SetToolCursor(ScoreObject* object, int32_t, int32_t) const override { SetStaffCursor(object); }
    void Invalidate(ScoreObject*, ScoreView* view) const override { ReformatCurrentSystem(view); }
    int EditAttributes(ScoreObject*, ScoreView* view) const override {
        return RunStaffManagementDialog(view) == ui::kIdOk ? 1 : 0;
    }
    int CommitDrag(ScoreObject* object, ScoreView* view) const override {
        const StaffElementBody* body = StaffElementBodyOf(object);
        if (body == nullptr || !IsStaffElementMoved(object)) return 0;  // where it started: nothing
        const bool swap = win::IsKeyDown(win::Key::Control) || State().input.StickyCtrlFlag != 0;
        return DragStaff(view, body->staff, body->top + kTopAboveStaff, swap);
    }
    void TrackDrag(ScoreObject* object, ScoreView* view) const override { DragMove(object, view); }
    void DragMove(ScoreObject* object, ScoreView*) const override {
        StaffElementBody* body = StaffElementBodyOf(object);
        const SelectionState* selection = TheSelectionState();
        if (body == nullptr || selection == nullptr) return;
        body->left += selection->dragOffsetX;
        body->right += selection->dragOffsetX;
        body->top += selection->dragOffsetY;
        body->bottom += selection->dragOffsetY;
    }
    void StepValue(ScoreObject*, ScoreView* view, int step) const override { StepStaffElementClef(view, step); }
    int HandleDrop(ScoreObject*, ScoreView* view, ScoreObject*, HitRecord*) const override {
        return DeleteCurrentStaff(view);
    }
    int OnInsertKey(ScoreObject*, ScoreView* view, ScoreObject*, HitRecord*) const override {
        const UndoStep edit(view->document, view, UndoKind::Staff, kStaffUndoType, UndoVerb::Add);
        const int inserted = InsertStaves(view, kInsertStaffBefore, view->currentStaff);
        if (inserted != 0) {
            InvalidateLinkedViews(view);
            WarnWhenSystemTallerThanPage(view);
        }
        return inserted;
    }
    int OnKey(ScoreObject* object, ScoreView* view, uint32_t virtualKey) const override {
        if (StaffKey(view, static_cast<win::Key>(virtualKey))) return 1;
        return ScoreObjectClass::OnKey(object, view, virtualKey);
    }
    ScoreObject* Clone(ScoreObject*, ScoreView*, PoolSet, PoolSet) const override { return nullptr; }
};

const StaffElementClass& TheStaffElementClass() {
    static const StaffElementClass instance;
    return instance;
}

void ConstructStaffElement(ScoreObject* object) {
    ConstructScoreObject(object);
    object->classId = ClassOfType(ObjectType::Staff);
    object->type = TypeCode(ObjectType::Staff);
    object->subtype = kStaffElementSubtype;
}

}  // namespace

StaffElementBody* StaffElementBodyOf(ScoreObject* object) {
    if (object == nullptr || object->type != TypeCode(ObjectType::Staff)) return nullptr;
    return reinterpret_cast<StaffElementBody*>(object->BodyBytes());
}

ScoreObject* MakeStaffElement(ScoreView* view) {
    if (view == nullptr || view->document == nullptr || view->currentSystem == nullptr) return nullptr;
    const int staff = view->currentStaff;
    const uint16_t* offsets = StaffOffsetsOf(view->currentSystem);
    if (staff < 1 || staff > StaffCount(view) || offsets == nullptr) return nullptr;
    // The program-wide transient pool, where the release of a type-13 object puts it
    // back: the element never becomes a record of the document.
    auto* object = static_cast<ScoreObject*>(AllocStaticRecord(kTransientStaticPool));
    if (object == nullptr) return nullptr;
    ConstructStaffElement(object);
    StaffElementBody* body = StaffElementBodyOf(object);
    const ScoreSystem* system = view->currentSystem;
    body->left = system->x;
    body->bottom = system->y + offsets[staff];
    body->top = body->bottom - kTopAboveStaff;
    const MeasureRecord* last = MeasureRecordOf(view->document, system->lastMeasure);
    body->right = MeasureSlotX(view, system, system->lastMeasure - system->firstMeasure + 1) +
                  (last != nullptr ? last->width : 0);
    body->staff = static_cast<int8_t>(staff);
    body->system = system->number;
    return object;
}

void RegisterStaffElementClass() {
    RegisterObjectClass(ClassOfType(ObjectType::Staff), &TheStaffElementClass());
    RegisterObjectType(TypeCode(ObjectType::Staff), {kTextObjectPool, &ConstructStaffElement});
}

int DeleteCurrentStaff(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return 0;
    ScoreDocument* document = view->document;
    const int staff = view->currentStaff;
    if (StaffCount(view) <= 1 || staff < 1 || staff > StaffCount(view)) return 0;
    if (StaffHoldsAnything(document, staff) &&
        ModalMessageBox(ProgramString(kStrDeleteStaffAnyway), ProgramString(kStrProductCaption),
                        ui::kBoxYesNo | ui::kBoxIconExclamation) != ui::kIdYes)
        return 0;
    if (RemoveStaff(view, staff) == 0) return 0;
    view->currentStaff = 1;
    view->currentStaffRecord = StaffRecordOf(document, 1);
    if (view->currentSystem != nullptr) view->currentMeasure = view->currentSystem->firstMeasure;
    UpdateBeatMaps(view, 1);
    EndFocus(view, 0);
    InvalidateLinkedViews(view);
    return 1;
}

int StaffKey(ScoreView* view, win::Key key) {
    if (view == nullptr || view->document == nullptr) return 0;
    switch (static_cast<uint32_t>(key)) {
    case 'C':
        EditStaffChannel(view);
        return 1;
    case 'H':
        if (HideStaffInCurrentSystem(view)) InvalidateLinkedViews(view);
        return 1;
    case 'M':
        return ToggleStaffMute(view);
    case 'P':
        return EditStaffPatch(view);
    case 'S':
        return ToggleStaffSolo(view);
    case 'W':
        ResetSystemMeasureWidths(view);
        return 1;
    default:
        return 0;
    }
}

int DragStaff(ScoreView* view, int staff, int32_t dropY, bool swap) {
    if (view == nullptr || view->document == nullptr || view->currentSystem == nullptr) return 0;
    ScoreSystem* system = view->currentSystem;
    const uint16_t* offsets = StaffOffsetsOf(system);
    if (staff < 1 || staff > StaffCount(view) || offsets == nullptr) return 0;
    const int32_t snapped = (dropY + kDropGrid / 2) & ~(kDropGrid - 1);
    const int32_t offset = (snapped - system->y + kHalfStaffSpace) & ~(kStaffSpace - 1);
    const int32_t delta = offset - offsets[staff];
    if (delta == 0) return 0;
    {
        const UndoStep edit(view->document, view, UndoKind::Staff, kStaffUndoType, UndoVerb::Modify);
        SetDocumentModified(view->document);
        if (!(swap && StaffCount(view) > 1 && SwapWithNeighbour(view, staff, offset)))
            MoveStaves(view, staff, delta, swap);
    }
    UpdateBeatMaps(view, 1);
    InvalidateLinkedViews(view);
    return 1;
}

}  // namespace ql
