// Handles and dragging of a rest. The handle is one hit record over the glyph box;
// while it is dragged the glyph follows the pointer as XOR feedback (the drag image,
// the glyph in red on black, blitted by inversion onto the window's backing store, so
// a second blit at the same place erases it). Feedback never goes to a printer or a
// recording context. The drag keeps to the axis of its first movement; the commit
// turns a vertical movement into a position and fine offset, a horizontal one into
// the horizontal offset (or, with Alt, a move in time).
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <string>
#include <vector>

#include "core/constants.h"
#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/hit_record.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "notes/beatmap/beat_map.h"
#include "notes/handler/notes_handler.h"
#include "notes/rests/rest.h"
#include "notes/rests/rest_internal.h"
#include "notes/rests/staff_place.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/gfx/recording.h"
#include "platform/text/text_out.h"

namespace ql {

namespace rests {

namespace {

constexpr int32_t kSmallestHorizontalMove = 32;
constexpr int32_t kPointerBesideMovedRest = 38;
constexpr int kOffsetUnit = 16;
constexpr int kModsAlt = 2;

enum class DragAxis : uint8_t { Undecided, Horizontal, Vertical };

// The one rest drag of the program: the rest whose image is held, the image, its
// logical size and the axis the drag keeps to. Owned here; the image is deleted when
// the drag commits or the rest is destroyed.
struct RestDrag {
    const ScoreObject* rest = nullptr;
    platform::BitmapHandle image{};
    gfx::Size size{};
    DragAxis axis = DragAxis::Undecided;
};
RestDrag& TheDrag() {
    static RestDrag drag;
    return drag;
}

void DropDragImage() {
    RestDrag& drag = TheDrag();
    if (drag.image) gfx::DeleteObject(drag.image);
    drag = RestDrag{};
}

HitRecord* FocusedHandle() {
    SelectionState* selection = TheSelectionState();
    return selection != nullptr ? selection->focusRecord.get() : nullptr;
}

// XOR feedback goes only to a window's backing store (window or paint context).
bool TakesFeedback(platform::DcHandle dc) {
    if (!dc || IsPrinting() || gfx::IsRecording(dc)) return false;
    const gfx::ContextKind kind = gfx::GetContextKind(dc);
    return kind == gfx::ContextKind::Window || kind == gfx::ContextKind::Paint;
}

// Renders the glyph in red on black into a bitmap of the glyph box's device size.
void RenderDragImage(ScoreObject* rest, ScoreView* view, platform::DcHandle dc,
                     const RecordRect& box) {
    const RestBody* body = RestBodyOf(rest);
    gfx::Size size = gfx::LogicalToDeviceDistance(dc, {box.right - box.left, box.bottom - box.top});
    size.cx = std::max(std::abs(size.cx), 1);
    size.cy = std::max(std::abs(size.cy), 1);
    platform::DcHandle memory = gfx::CreateMemoryContext(dc);
    platform::BitmapHandle image = gfx::CreateBitmapFromColours(
        size.cx, size.cy, std::vector<gfx::Colour>(static_cast<size_t>(size.cx) * size.cy, 0));
    const platform::BitmapHandle previous = gfx::SelectObject(memory, image);
    SetViewMapping(view, memory);
    gfx::SetWindowOrigin(memory, {box.left, box.top});
    gfx::SetViewportOrigin(memory, {0, 0});
    gfx::SetTextColour(memory, kRedColour);
    gfx::SetBackgroundMode(memory, gfx::BackgroundMode::Transparent);
    gfx::SetTextAlign(memory, gfx::kTextAlignBaseline | gfx::kTextAlignLeft);
    const platform::FontHandle font = State().drawing.MusicFont;
    if (font) gfx::SelectObject(memory, font);
    const LogicalPoint at = ComputeRestGeometry(view, rest);
    text::TextOutA(memory, gfx::Point{at.x - RestHalfWidth(view, body->code), at.y},
                   std::string(1, static_cast<char>(kRestGlyphBase + body->code)));
    gfx::SelectObject(memory, previous);
    gfx::DeleteContext(memory);
    RestDrag& drag = TheDrag();
    drag.rest = rest;
    drag.image = image;
    drag.size = gfx::Size{box.right - box.left, box.bottom - box.top};
}

// The rest's anchor moved by the handle's movement since the handles were built.
LogicalPoint DraggedAnchor(ScoreView* view, ScoreObject* rest, const HitRecord& focus) {
    const LogicalPoint anchor = ComputeRestGeometry(view, rest);
    const RecordRect box = RestGlyphBox(view, rest, anchor);
    const LogicalPoint centre{box.left + ((box.right - box.left) >> 1),
                              box.top + ((box.bottom - box.top) >> 1)};
    return LogicalPoint{anchor.x + focus.point.x - centre.x, anchor.y + focus.point.y - centre.y};
}

bool CommitVertical(ScoreView* view, RestBody& body, int32_t y, int32_t dy) {
    constexpr int kFineLimit = 127;
    const int32_t fromBase = y - StaffBaseY(view);
    const int32_t steps = static_cast<int32_t>(
        std::lround(static_cast<double>(Unzoomed(view, fromBase)) / kUnitsPerStep));
    int position = std::clamp<int32_t>(steps, INT8_MIN, INT8_MAX);
    int fine = std::clamp(fromBase - Zoomed(view, position * kUnitsPerStep), -kFineLimit, kFineLimit);
    if (IsLongRestCode(body.code)) {
        if ((position & 1) != 0) position += dy > 0 ? 1 : -1;
        fine = 0;
    }
    position = std::clamp(position, INT8_MIN + 1, static_cast<int>(INT8_MAX) - 1);
    const bool changed = body.position != position || body.fineY != fine;
    body.position = static_cast<int8_t>(position);
    body.fineY = static_cast<int8_t>(fine);
    return changed;
}

bool CommitHorizontal(ScoreView* view, ScoreObject* rest, RestBody& body, int32_t x, int32_t dx) {
    if (std::abs(dx) < kSmallestHorizontalMove) return false;
    if (State().input.ModifierState == kModsAlt) {
        NudgeEventSpacing(view, body.tick, dx < 0 ? -1 : 1, false);
        const LogicalPoint at = ComputeRestGeometry(view, rest);
        MovePointerToPoint(view, at.x + (dx < 0 ? -kPointerBesideMovedRest : kPointerBesideMovedRest),
                           at.y);
        return false;
    }
    const int32_t units = x - CurrentSlotX(view) - RestHalfWidth(view, body.code) -
                          BeatMapTickToX(view, body.tick);
    const int offset = std::clamp(units / kOffsetUnit, INT8_MIN, INT8_MAX);
    const bool changed = body.xOffset != offset;
    body.xOffset = static_cast<int8_t>(offset);
    return changed;
}

}  // namespace

}  // namespace rests

using namespace rests;

void DestroyRest(ScoreObject* rest) {
    if (rest == nullptr) return;
    if (TheDrag().rest == rest) DropDragImage();
    FreePool8Record(rest);
}

HitRecord* RestClass::BuildHandles(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr || RestBodyOf(object) == nullptr) return nullptr;
    auto* hit = static_cast<HitRecord*>(AllocStaticRecord(kHitRecordPool));
    if (hit == nullptr) return nullptr;
    const RecordRect box = RestGlyphBox(view, object, ComputeRestGeometry(view, object));
    ConstructHitRecordFlagged(hit, view, object->type, box);
    hit->owner = Ref32<ScoreObject>::To(object);
    hit->ownerType = object->type;
    hit->location.location.classByte = static_cast<uint8_t>(ActiveVoice(view));
    return hit;
}

void RestClass::TrackDrag(ScoreObject* /*object*/, ScoreView* /*view*/) const {
    SelectionState* selection = TheSelectionState();
    HitRecord* focus = FocusedHandle();
    if (selection == nullptr || focus == nullptr) return;
    const LogicalPoint delta{selection->dragOffsetX, selection->dragOffsetY};
    for (HitRecord* hit = focus; hit != nullptr; hit = hit->child.get()) OffsetHitRecord(hit, delta);
}

void RestClass::ConstrainDrag(ScoreObject* /*object*/, ScoreView* /*view*/) const {
    SelectionState* selection = TheSelectionState();
    if (selection == nullptr) return;
    RestDrag& drag = TheDrag();
    const int32_t dx = selection->dragOffsetX;
    const int32_t dy = selection->dragOffsetY;
    if (drag.axis == DragAxis::Undecided && (dx != 0 || dy != 0))
        drag.axis = std::abs(dx) > std::abs(dy) ? DragAxis::Horizontal : DragAxis::Vertical;
    if (drag.axis == DragAxis::Horizontal) selection->dragOffsetY = 0;
    if (drag.axis == DragAxis::Vertical) selection->dragOffsetX = 0;
}

void RestClass::ReleaseCache(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr || RestBodyOf(object) == nullptr) return;
    DropDragImage();
    BeginViewDraw(view);
    if (TakesFeedback(view->ViewDC))
        RenderDragImage(object, view, view->ViewDC,
                        RestGlyphBox(view, object, ComputeRestGeometry(view, object)));
    EndViewDraw(view);
}

void RestClass::DrawTracking(ScoreObject* object, ScoreView* view) const {
    HitRecord* focus = FocusedHandle();
    RestDrag& drag = TheDrag();
    if (view == nullptr || focus == nullptr || drag.rest != object || !drag.image) return;
    BeginViewDraw(view);
    platform::DcHandle dc = view->ViewDC;
    if (TakesFeedback(dc)) {
        gfx::BitmapInfo info;
        gfx::GetBitmapInfo(drag.image, &info);
        platform::DcHandle memory = gfx::CreateMemoryContext(dc);
        const platform::BitmapHandle previous = gfx::SelectObject(memory, drag.image);
        const RecordRect& at = focus->outer;
        gfx::StretchBlit(dc, {at.left, at.top, at.left + drag.size.cx, at.top + drag.size.cy}, memory,
                         {0, 0, info.width, info.height}, gfx::RasterOp::SourceInvert);
        gfx::SelectObject(memory, previous);
        gfx::DeleteContext(memory);
    }
    EndViewDraw(view);
}

int RestClass::CommitDrag(ScoreObject* object, ScoreView* view) const {
    RestBody* body = RestBodyOf(object);
    HitRecord* focus = FocusedHandle();
    const DragAxis axis = TheDrag().axis;
    DropDragImage();
    if (view == nullptr || view->document == nullptr || body == nullptr || focus == nullptr) return 0;
    const LogicalPoint before = ComputeRestGeometry(view, object);
    const LogicalPoint after = DraggedAnchor(view, object, *focus);
    const int32_t dx = after.x - before.x;
    const int32_t dy = after.y - before.y;
    bool changed = false;
    if (axis == DragAxis::Vertical || (axis == DragAxis::Undecided && dy != 0))
        changed = CommitVertical(view, *body, after.y - RestZoomNudge(view, body->code), dy);
    else if (dx != 0)
        changed = CommitHorizontal(view, object, *body, after.x, dx);
    if (!changed) return 0;
    SetDocumentModified(view->document);
    RedrawCurrentMeasure(view);
    return 1;
}

int RestClass::FollowLocation(ScoreObject* /*object*/, ScoreView* view) const {
    return FollowNoteHandlesForSelection(view);
}

}  // namespace ql
