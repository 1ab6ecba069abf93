// Handles and dragging of text objects: one hit record over the text's rectangle
// (two for repeat endings and octave lines), the drag that moves the focused
// handles, the drag image (the display text rendered once into a bitmap and
// blitted by inversion onto the window, so a second blit erases it; never onto a
// printer or a recording) and the commit, which moves the anchor as far as the
// handle moved: the handle stands at the rectangle's centre, the anchor on the
// baseline, so storing the handle's point would lift the text at every let-go.
#include <algorithm>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/objects/hit_record.h"
#include "core/objects/object_classes.h"
#include "core/objects/selection_state.h"
#include "core/services/display_services.h"
#include "core/ui/status_bar.h"
#include "core/text/text_object.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/gfx/recording.h"

namespace ql {
namespace {

constexpr uint8_t kFirstUnpairedArticulation = 216;
constexpr gfx::Colour kImageInk = 0x00FFFFFF;

HitRecord* NewHandle(ScoreObject* object, ScoreView* view, const RecordRect& rect) {
    auto* hit = static_cast<HitRecord*>(AllocStaticRecord(kHitRecordPool));
    if (hit == nullptr) return nullptr;
    ConstructHitRecordFlagged(hit, view, object->type, rect);
    hit->owner = Ref32<ScoreObject>::To(object);
    hit->ownerType = object->type;
    return hit;
}

HitRecord* FocusedHandle() {
    SelectionState* selection = TheSelectionState();
    return selection != nullptr ? selection->focusRecord.get() : nullptr;
}

// Renders the display text, white on black, into a bitmap of the text's device
// size; the bitmap handle or null.
platform::BitmapHandle RenderDragImage(ScoreObject* object, ScoreView* view, platform::DcHandle dc,
                                       const RecordRect& rect) {
    gfx::Size size =
        gfx::LogicalToDeviceDistance(dc, {rect.right - rect.left, rect.bottom - rect.top});
    size.cx = std::max(std::abs(size.cx), 1);
    size.cy = std::max(std::abs(size.cy), 1);
    platform::DcHandle memory = gfx::CreateMemoryContext(dc);
    platform::BitmapHandle image = gfx::CreateBitmapFromColours(
        size.cx, size.cy, std::vector<gfx::Colour>(size.cx * size.cy, 0));
    platform::BitmapHandle previous = gfx::SelectObject(memory, image);
    SetViewMapping(view, memory);
    gfx::SetWindowOrigin(memory, {rect.left, rect.top});
    gfx::SetViewportOrigin(memory, {0, 0});
    gfx::SetTextColour(memory, kImageInk);
    gfx::SetBackgroundMode(memory, gfx::BackgroundMode::Transparent);
    TextClassOf(object).DrawString(object, view, memory);
    gfx::SelectObject(memory, previous);
    gfx::DeleteContext(memory);
    return image;
}

// Blits the drag image at the focused handle's rectangle by inversion.
void BlitDragImage(ScoreObject* object, ScoreView* view) {
    HitRecord* focus = FocusedHandle();
    if (view == nullptr || focus == nullptr) return;
    TextObject* text = AsTextObject(object);
    BeginViewDraw(view);
    platform::DcHandle dc = view->ViewDC;
    // Feedback goes to a window's backing store only, never to paper or a recording.
    if (dc && !IsPrinting() && !gfx::IsRecording(dc)) {
        const RecordRect& at = focus->outer;
        if (text->body.bitmapCache == 0)
            text->body.bitmapCache = RenderDragImage(object, view, dc, at).bits;
        platform::BitmapHandle image{text->body.bitmapCache};
        gfx::BitmapInfo info;
        gfx::GetBitmapInfo(image, &info);
        // The image is in device pixels; the view context is mapped to logical units.
        gfx::Size logical = gfx::DeviceToLogicalDistance(dc, {info.width, info.height});
        platform::DcHandle memory = gfx::CreateMemoryContext(dc);
        platform::BitmapHandle previous = gfx::SelectObject(memory, image);
        gfx::StretchBlit(dc, {at.left, at.top, at.left + logical.cx, at.top + logical.cy}, memory,
                         {0, 0, info.width, info.height}, gfx::RasterOp::SourceInvert);
        gfx::SelectObject(memory, previous);
        gfx::DeleteContext(memory);
    }
    EndViewDraw(view);
}

void OffsetHandleChain(HitRecord* first, LogicalPoint delta) {
    for (HitRecord* hit = first; hit != nullptr; hit = hit->child.get()) OffsetHitRecord(hit, delta);
}

// The commit, with the anchor taken `lift` away from the handle's point.
int CommitTextDrag(ScoreObject* object, ScoreView* view, LogicalPoint lift) {
    int result = 0;
    HitRecord* focus = FocusedHandle();
    if (object->subtype == SubtypeCode(ObjectSubtype::NoteAttachment) && focus != nullptr) {
        TextObject* text = AsTextObject(object);
        ObjectLocation before = text->body.location;
        display::PointToNoteAnchor(view, object, &text->body.location,
                                   LogicalPoint{focus->point.x - lift.x, focus->point.y - lift.y});
        result = CompareObjectLocations(before, text->body.location);
    } else {
        // The root commit encodes the chain's points: for the while, the anchor's.
        OffsetHandleChain(focus, LogicalPoint{-lift.x, -lift.y});
        result = ScoreObjectCommitDrag(object, view);
        OffsetHandleChain(focus, lift);
    }
    SetStatusText(2, "");
    TextClassOf(object).ReleaseCache(object, view);
    return result;
}

}  // namespace

// How far above (and beside) the object's anchor its handle's point stands when the
// handle is the text's own rectangle, as BuildHandles makes it: the rectangle's centre
// is the point, and the anchor is the middle of the baseline. Zero for a handle of
// another shape (a subclass's own).
LogicalPoint TextHandleLift(ScoreObject* object, ScoreView* view, const HitRecord& focus) {
    const LogicalPoint anchor = TextObjectAnchorPoint(object, view);
    RecordRect rect;
    TextClassOf(object).SelectTextFont(object, view, anchor, &rect);
    const bool ownRectangle = rect.right - rect.left == focus.outer.right - focus.outer.left &&
                              rect.bottom - rect.top == focus.outer.bottom - focus.outer.top;
    if (!ownRectangle) return {};
    return LogicalPoint{rect.left + ((rect.right - rect.left) >> 1) - anchor.x,
                        rect.top + ((rect.bottom - rect.top) >> 1) - anchor.y};
}

HitRecord* TextObjectClass::BuildHandles(ScoreObject* object, ScoreView* view) const {
    RecordRect rect;
    SelectTextFont(object, view, TextObjectAnchorPoint(object, view), &rect);
    HitRecord* first = NewHandle(object, view, rect);
    if (first == nullptr) return nullptr;
    bool twoHandles = object->type == TypeCode(ObjectType::RepeatEnding) ||
                      object->type == TypeCode(ObjectType::Octave);
    if (twoHandles) {
        HitRecord* second = NewHandle(object, view, rect);
        if (second == nullptr) {
            FreeStaticRecord(kHitRecordPool, first);
            return nullptr;
        }
        second->parent = Ref32<HitRecord>::To(first);
        first->child = Ref32<HitRecord>::To(second);
    }
    return first;
}

void TextObjectClass::TrackDrag(ScoreObject* object, ScoreView*) const {
    SelectionState* selection = TheSelectionState();
    HitRecord* focus = FocusedHandle();
    if (selection == nullptr || focus == nullptr) return;
    LogicalPoint delta{selection->dragOffsetX, selection->dragOffsetY};
    for (HitRecord* hit = focus; hit != nullptr; hit = hit->child.get())
        OffsetHitRecord(hit, delta);
    TextObject* text = AsTextObject(object);
    bool articulation = object->type == TypeCode(ObjectType::NoteArticulation);
    if (articulation && (text->body.string & 0xFF) < kFirstUnpairedArticulation && delta.y != 0)
        text->body.flags |= kTextGlyphByHand;
}

void TextObjectClass::DrawTracking(ScoreObject* object, ScoreView* view) const {
    BlitDragImage(object, view);
}
void TextObjectClass::EraseTracking(ScoreObject* object, ScoreView* view) const {
    BlitDragImage(object, view);
}

int TextObjectClass::CommitDrag(ScoreObject* object, ScoreView* view) const {
    const HitRecord* focus = FocusedHandle();
    const bool lifted = focus != nullptr && view != nullptr && view->document != nullptr;
    return CommitTextDrag(object, view, lifted ? TextHandleLift(object, view, *focus) : LogicalPoint{});
}

}  // namespace ql
