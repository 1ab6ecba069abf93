// The staff element's part in the selection engine (see staff_element_follow.h).
#include "staves/staff_element_follow.h"

#include <cstring>

#include "core/constants.h"
#include "core/error_report.h"
#include "core/memory/pool.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/handle_flags.h"
#include "core/objects/hit_record.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/ui/selection_services.h"
#include "core/ui/status_bar.h"
#include "core/ui/status_bar_notes.h"
#include "display/linked_views.h"
#include "layout/measure_format.h"
#include "layout/page_chain.h"
#include "notes/beatmap/beat_map.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "staves/barline.h"
#include "staves/staff_element.h"

namespace ql {

namespace {

constexpr int32_t kHandleHalfWidth = 256;
constexpr int32_t kHandleTop = 192;
constexpr int32_t kHandleBottom = 448;
constexpr uint16_t kElementHandleFlags =
    kHitFlagLive | kHandleMovesWhole | kHandleEndOnRelease | kHandleGrabAtPointer | kHandleComplete;
constexpr int kStatusPart = 1;
// Bounds the walk of a damaged object list.
constexpr int kMaxListObjects = 4096;

bool IsStaffHidden(const ScoreView* view) {
    const int8_t* flags = StaffFlagsOf(view->currentSystem);
    return flags != nullptr && (static_cast<uint8_t>(flags[view->currentStaff]) & pages::kHiddenStaff) != 0;
}

bool ListHoldsElement(ScoreObject* head, int staff, int system) {
    int n = 0;
    for (ScoreObject* o = head->next.get(); o != nullptr && n < kMaxListObjects; o = o->next.get(), ++n) {
        const StaffElementBody* body = StaffElementBodyOf(o);
        if (body != nullptr && body->staff == staff && body->system == system) return true;
    }
    return false;
}

ScoreObject* LastOf(ScoreObject* head) {
    ScoreObject* last = head;
    for (int n = 0; last->next && n < kMaxListObjects; ++n) last = last->next.get();
    return last;
}

}  // namespace

HitRecord* BuildStaffElementHandle(ScoreObject* element, ScoreView* view) {
    const StaffElementBody* body = StaffElementBodyOf(element);
    if (body == nullptr) return nullptr;
    auto* hit = static_cast<HitRecord*>(AllocStaticRecord(kHitRecordPool));
    if (hit == nullptr) return nullptr;
    const RecordRect rect{body->left - kHandleHalfWidth, body->top + kHandleTop, body->left + kHandleHalfWidth,
                          body->top + kHandleBottom};
    ConstructHitRecordFlagged(hit, view, TypeCode(ObjectType::Staff), rect);
    hit->flags = static_cast<uint16_t>((hit->flags | kElementHandleFlags) & ~kHandleCreateOutside);
    hit->location.location.staff = static_cast<uint8_t>(body->staff);
    hit->owner = Ref32<ScoreObject>::To(element);
    hit->ownerType = element->type;
    element->handleChain = Ref32<HitRecord>::To(hit);
    return hit;
}

bool IsStaffElementMoved(ScoreObject* element) {
    const StaffElementBody* body = StaffElementBodyOf(element);
    const HitRecord* handle = element != nullptr ? element->handleChain.get() : nullptr;
    if (body == nullptr || handle == nullptr) return true;
    return body->top != handle->outer.top - kHandleTop || body->left != handle->outer.left + kHandleHalfWidth;
}

int FollowStaffLocation(ScoreView* view) {
    if (view == nullptr || view->document == nullptr || view->document->header.staffCount == 0 ||
        view->currentSystem == nullptr)
        return 0;
    if (IsStaffHidden(view)) return 0;
    SelectionState* selection = TheSelectionState();
    ScoreObject* list = selection != nullptr ? selection->voiceChain.get() : nullptr;
    if (list == nullptr) return 0;
    if (ListHoldsElement(list, view->currentStaff, view->currentSystem->number)) return 1;
    ScoreObject* element = MakeStaffElement(view);
    if (element == nullptr) return 0;
    InsertObjectAfter(LastOf(list), element);
    return 1;
}

void KeepCurrentPoint(ScoreObject* element) {
    const SelectionState* selection = TheSelectionState();
    if (element == nullptr) return;
    if (selection == nullptr || !selection->currentObject) {
        PlayAlertBeep(0);
        return;
    }
    std::memcpy(element->spareWords, selection->currentObjectPoint, sizeof element->spareWords);
}

void ReformatCurrentSystem(ScoreView* view) {
    if (view == nullptr || view->document == nullptr || view->currentSystem == nullptr) return;
    if (view->pageView == 0 || view->currentPage == nullptr) {
        SetStatusText(kStatusPart, kUsePageViewNotice);
        ui::Beep(ui::BeepKind::Information);
        return;
    }
    PlaceSystemInMargins(view, view->currentPage, view->currentSystem);
    FormatSystem(view, view->currentPage, view->currentSystem);
    ResetSelection(view, 0);
    UpdateBeatMaps(view, 1);
    InvalidateLinkedViews(view);
}

void SetStaffCursor(ScoreObject* element) {
    const SelectionState* selection = TheSelectionState();
    if (selection != nullptr && selection->toolCursor) win::SetCursor(selection->toolCursor);
    int8_t& clef = State().input.StaffCursorClef;
    const StaffElementBody* body = StaffElementBodyOf(element);
    ScoreView* view = State().documents.ActiveView;
    if (clef >= 0 || body == nullptr || view == nullptr || view->document == nullptr || view->currentSystem == nullptr)
        return;
    const MeasureCell* cell = ExistingMeasureCell(view->document, body->staff, view->currentSystem->firstMeasure);
    if (cell != nullptr) clef = static_cast<int8_t>(ClefAtTick(cell, 0));
}

}  // namespace ql
