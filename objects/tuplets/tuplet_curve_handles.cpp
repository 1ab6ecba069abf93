// The curve handles of a tuplet mark (see tuplet_curve_handles.h).
#include "objects/tuplets/tuplet_curve_handles.h"

#include <algorithm>

#include "core/draw/draw_surface.h"
#include "core/model/score_document.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "layout/system_span.h"
#include "objects/curves/curve_interface.h"
#include "objects/spanners/spanner_interface.h"
#include "objects/tuplets/tuplet.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"

namespace ql {
namespace {

constexpr int kStartHandle = 1, kFirstControl = 2, kSecondControl = 3, kEndHandle = 4;
constexpr int kFirstInner = 5, kSecondInner = 6;
constexpr int32_t kMoveHandleMinimumWidth = 256;
constexpr int32_t kMoveHandleWidening = 128;
constexpr int32_t kTrackedMoveHandleSizes = 2;  // half-size in handle sizes: four handles wide

HitRecord* CurveHead(ScoreObject* object) {
    for (HitRecord* hit = HandleChainOf(object); hit != nullptr; hit = hit->child.get())
        if (hit->kind == kCurveHeadKind && hit->owner.get() == object) return hit;
    return nullptr;
}

LogicalPoint Midpoint(LogicalPoint a, LogicalPoint b) { return LogicalPoint{(a.x + b.x) / 2, (a.y + b.y) / 2}; }

void MoveBy(HitRecord* hit, LogicalPoint d) {
    if (hit != nullptr) OffsetHitRecord(hit, d);
}

void DrawFlattened(ScoreView* view, const LogicalPoint* p, int32_t tolerance) {
    CurveBuffer buffer;
    const gfx::Point curve[4] = {{p[0].x, p[0].y}, {p[1].x, p[1].y}, {p[2].x, p[2].y}, {p[3].x, p[3].y}};
    FlattenBezier(curve, tolerance, &buffer);
    if (!buffer.overflow) DrawSplitPolyline(view, buffer.points, buffer.count);
}

}  // namespace

bool CurveHandles(ScoreObject* object, HitRecord** h) {
    return CurveHandlesFrom(CurveHead(object), h);
}

bool CurveHandlesFrom(HitRecord* head, HitRecord** h) {
    h[0] = head;
    for (int i = 1; i < kCurveHandleCount; ++i) h[i] = h[i - 1] != nullptr ? h[i - 1]->child.get() : nullptr;
    return h[kCurveMoveHandle] != nullptr;
}

HitRecord* BuildCurveHandles(ScoreObject* object, ScoreView* view) {
    TupletCurvePoints c{};
    if (!ComputeTupletCurve(object, view, &c)) return nullptr;
    const LogicalPoint at[kCurveHandleCount] = {
        c.p[0], c.p[0], c.p[1], c.p[2], c.p[3], c.inner[0], c.inner[1],
        LogicalPoint{(c.p[0].x + c.p[3].x) / 2, (c.p[1].y + c.p[2].y) / 2}};
    HitRecord* head = nullptr;
    HitRecord* last = nullptr;
    for (int i = 0; i < kCurveHandleCount; ++i) {
        HitRecord* hit = AllocHitRecord();
        if (hit == nullptr) {
            ui::Beep(ui::BeepKind::Default);
            if (head != nullptr) FreeHitRecordChain(head), FreeHitRecord(head);
            return nullptr;
        }
        ConstructHitRecordWithOwner(hit, view, i == 0 ? kCurveHeadKind : static_cast<uint8_t>(i), at[i], last);
        if (i == kFirstInner || i == kSecondInner) PlaceHitRecord(hit, at[i], 0);
        hit->owner = Ref32<ScoreObject>::To(object);
        hit->ownerType = object->type;
        if (head == nullptr) head = hit;
        last = hit;
    }
    return head;
}

void TrackCurveHandle(ScoreObject* object, int index, LogicalPoint d) {
    HitRecord* h[kCurveHandleCount] = {};
    if (!CurveHandles(object, h) || index < kStartHandle || index > kCurveMoveHandle) return;
    if (index == kCurveMoveHandle) {
        for (int i = kStartHandle; i <= kCurveMoveHandle; ++i) MoveBy(h[i], d);
        return;
    }
    MoveBy(h[index], d);
    if (!CtrlHeld()) {
        if (index == kStartHandle) MoveBy(h[kFirstControl], d), MoveBy(h[kFirstInner], d);
        if (index == kFirstControl) MoveBy(h[kFirstInner], d);
        if (index == kSecondControl) MoveBy(h[kSecondInner], d);
        if (index == kEndHandle) MoveBy(h[kSecondControl], d), MoveBy(h[kSecondInner], d);
    }
    PlaceHitRecord(h[kCurveMoveHandle], Midpoint(h[kStartHandle]->point, h[kEndHandle]->point),
                   kTrackedMoveHandleSizes * HandleSize());
}

int GrabbedCurveIndex(ScoreObject* object) {
    SelectionState* selection = TheSelectionState();
    HitRecord* h[kCurveHandleCount] = {};
    if (selection == nullptr || !CurveHandles(object, h)) return 0;
    for (int i = 1; i < kCurveHandleCount; ++i)
        if (h[i] == selection->grabbedRecord.get()) return i;
    return 0;
}

void FitMoveHandleClear(HitRecord* middle, bool belowLabel, int32_t labelTop, int32_t labelBottom) {
    const int32_t shift = belowLabel ? labelBottom + 1 - middle->outer.top : labelTop - 1 - middle->outer.bottom;
    OffsetHitRecord(middle, LogicalPoint{0, shift});
    if (middle->outer.right - middle->outer.left < kMoveHandleMinimumWidth) {
        middle->outer.left -= kMoveHandleWidening;
        middle->outer.right += kMoveHandleWidening;
    }
}

void FitCurveMoveHandle(HitRecord* curve, const HitRecord* label) {
    HitRecord* h[kCurveHandleCount] = {};
    if (label == nullptr || !CurveHandlesFrom(curve, h)) return;
    // The handle goes beyond the number and the control handles, whichever reaches
    // further from the notes.
    const bool bowsDown = h[kFirstControl]->point.y >= h[kStartHandle]->point.y;
    const HitRecord* controls[2] = {h[kFirstControl], h[kSecondControl]};
    int32_t top = label->outer.top, bottom = label->outer.bottom;
    for (const HitRecord* control : controls) {
        top = std::min(top, control->outer.top);
        bottom = std::max(bottom, control->outer.bottom);
    }
    FitMoveHandleClear(h[kCurveMoveHandle], bowsDown, top, bottom);
}

int CurveHandleIndexOfKind(int32_t kind) {
    return kind >= kStartHandle && kind <= kCurveMoveHandle ? kind : 0;
}

void SetCurveHandleCursor(int index) {
    // The system's four-way cursor is the move cursor too, as over a bracket's move handle.
    win::SystemCursor shape = win::SystemCursor::SizeNs;
    if (index == kStartHandle || index == kEndHandle || index == kCurveMoveHandle) shape = win::SystemCursor::SizeAll;
    if (index == kFirstInner || index == kSecondInner) shape = win::SystemCursor::UpArrow;
    win::SetCursor(win::LoadSystemCursor(shape));
}

void DrawCurveFeedback(ScoreObject* object, ScoreView* view) {
    HitRecord* h[kCurveHandleCount] = {};
    if (view == nullptr || !CurveHandles(object, h)) return;
    const LogicalPoint outer[4] = {h[kStartHandle]->point, h[kFirstControl]->point, h[kSecondControl]->point,
                                   h[kEndHandle]->point};
    const int32_t gap = CurveLineValuesOf(view->document).slurEndGap;
    const int32_t towardsBow = outer[1].y > outer[0].y ? gap : -gap;
    const LogicalPoint inner[4] = {{outer[0].x + gap, outer[0].y + towardsBow}, h[kFirstInner]->point,
                                   h[kSecondInner]->point, {outer[3].x - gap, outer[3].y + towardsBow}};
    BeginViewDraw(view);
    if (view->ViewDC) {
        const gfx::Point arms[2][2] = {{{outer[0].x, outer[0].y}, {outer[1].x, outer[1].y}},
                                       {{outer[3].x, outer[3].y}, {outer[2].x, outer[2].y}}};
        for (const auto& arm : arms) DrawSplitPolyline(view, arm, 2);
        const int32_t tolerance = CurveTolerance(view, false);
        DrawFlattened(view, outer, tolerance);
        DrawFlattened(view, inner, tolerance);
    }
    EndViewDraw(view);
}

}  // namespace ql
