// The text-box and staff-label classes: drawing the laid-out text, creation at a
// click, dialog 877 and the label's drag rule (see text_box_class.h).
#include "objects/text_box/text_box_class.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/core_strings.h"
#include "core/draw/draw_offscreen.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/object_list.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/hit_record.h"
#include "core/objects/object_classes.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/text/charset_text.h"
#include "core/ui/status_bar.h"
#include "display/anchors.h"
#include "display/charset_runs.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "display/view_modes.h"
#include "files/bytes/byte_writer.h"
#include "layout/measure_format.h"
#include "objects/graphics/graphic_class.h"
#include "objects/graphics/graphic_shapes_internal.h"
#include "objects/object_services.h"
#include "objects/text_marks/placing_object.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/gfx/recording.h"
#include "platform/text/context_font.h"
#include "platform/text/text_metrics.h"
#include "platform/ui/message_box.h"

namespace ql {
namespace {

constexpr uint16_t kAlignmentMask = 0x0030;
constexpr int kAlignmentShift = 4;
constexpr uint16_t kLeadingModeMask = 0x00C0;
constexpr int kLeadingModeShift = 6;
constexpr int kFixedLeadingMode = 1;
constexpr int kLabelAnchorKind = 4;
constexpr char kBlank[] = " ";
constexpr char kLabelTextFormat[] = "%s:%d";
constexpr char kLabelStaffWord[] = "Staff";
constexpr int kMaxTextBoxWalk = 32 * 1024;
constexpr int kBoxHandles = 3;
constexpr uint8_t kCornerHandle = 1;
constexpr int32_t kSizeHandleLift = 64;
constexpr int32_t kLeastTrackedSize = 1;  // more list members than pool 8 holds: a loop
// The drag image's text: red on white, so that on white paper it shows red.
constexpr gfx::Colour kDragImageInk = gfx::Rgb(255, 0, 0);

uint8_t g_boxSlot = kTextBoxDefaultSlot;

bool IsLabel(const ScoreObject* object) {
    return object->type == TypeCode(ObjectType::Label);
}

int AnchorKindOf(const ScoreObject* object) {
    return IsLabel(object) ? kLabelAnchorKind : object->subtype;
}

platform::FontHandle BoxFont(ScoreView* view, const TextBoxBody& body) {
    const int slot = TextBoxSlot(body);
    if (view == nullptr || view->document == nullptr || slot >= kScoreFontCount)
        return text::DefaultFont();
    platform::FontHandle font{view->document->fonts[slot].handle};
    if (!font) font = CreateTextStyleFont(view, slot);
    return font ? font : text::DefaultFont();
}

TextBlockFont FontMetricsOf(platform::DcHandle dc) {
    text::TextMetrics metrics;
    text::GetTextMetrics(dc, &metrics);
    gfx::Size blank;
    if (!MeasureText(dc, kBlank, 1, &blank)) blank = {};
    return {metrics.height, metrics.internalLeading, blank.cx};
}

// The runs of a box are measured on one context with its font selected throughout.
MeasureRun MeasurerOf(CharsetRuns& runs) {
    return [&runs](std::string_view run) { return runs.Width(run); };
}

// The stored form of a body and its text: what "unchanged" compares.
std::vector<uint8_t> StoredFormOf(const TextBoxObject* box) {
    ByteWriter writer;
    EncodeTextBoxBody(*box, writer);
    return writer.Buffer();
}

// The label of a staff, or null.
ScoreObject* LabelOfStaff(ScoreView* view, int staff) {
    StaffRecord* record = StaffRecordOf(view->document, staff);
    ScoreObject* head = record != nullptr ? record->objects.get() : nullptr;
    int guard = 0;
    for (ScoreObject* object = head != nullptr ? head->next.get() : nullptr;
         object != nullptr && guard < kMaxTextBoxWalk; object = object->next.get(), ++guard)
        if (IsLabel(object)) return object;
    return nullptr;
}

// The staff whose list holds the label; 0 for a label on no staff's list. The
// label's anchor words hold its offsets only, never its staff.
int StaffOfLabel(ScoreView* view, const ScoreObject* label) {
    for (int staff = 1; staff <= view->document->header.staffCount; ++staff)
        if (LabelOfStaff(view, staff) == label) return staff;
    return 0;
}

// The staff a label belongs to: its list's, else (a label being made) the current one.
int LabelStaff(ScoreView* view, const ScoreObject* label) {
    const int staff = StaffOfLabel(view, label);
    return staff > 0 ? staff : std::max(view->currentStaff, 1);
}

// The view's location and pointer, put back when the scope ends, without moving the
// real pointer or showing the location: only positions are worked out meanwhile.
class KeptViewPlace {
  public:
    explicit KeptViewPlace(ScoreView* view)
        : view_(view),
          system_(view->currentSystem),
          staff_(view->currentStaff),
          measure_(view->currentMeasure),
          pointer_(view->pointerPoint) {}
    ~KeptViewPlace() {
        view_->pointerPoint = pointer_;
        SetCurrentSystemAndMeasureQuick(view_, system_, staff_, measure_);
    }
    KeptViewPlace(const KeptViewPlace&) = delete;
    KeptViewPlace& operator=(const KeptViewPlace&) = delete;

  private:
    ScoreView* view_;
    ScoreSystem* system_;
    int staff_;
    int measure_;
    LogicalPoint pointer_;
};

// Whether a label's top-left corner, dragged to `corner`, lies on the staff and in the
// measure its anchor puts it at where its handles were built.
bool LabelStaysAt(ScoreView* view, ScoreObject* label, int measure, LogicalPoint corner) {
    LogicalPoint was{};
    {
        const KeptViewPlace kept(view);
        SetCurrentMeasureQuick(view, LabelStaff(view, label), std::max(measure, 1));
        DecodeAnchors(view, kLabelAnchorKind, &AsTextBox(label)->body.location, &was, 1);
    }
    const LocatedPlace before = LocatePoint(view, was);
    const LocatedPlace after = LocatePoint(view, corner);
    return std::max(before.staff, 1) == std::max(after.staff, 1) &&
           before.measure == after.measure && before.system == after.system;
}

void FreeBox(ScoreView* view, ScoreObject* object) {
    ReleaseObjectByType(view->document, object);
}

// The dialog on a new box or label, then linking and measuring it; null on Cancel.
ScoreObject* PlaceNewBox(ScoreView* view, TextBoxObject* box, int32_t x) {
    ScoreObject* object = &box->header;
    const PlacingObject placing(object);
    if (RunPlaceTextBlockDialog(view, box) != ui::kIdOk) {
        FreeBox(view, object);
        return nullptr;
    }
    InsertObjectBySubtype(view, object);
    if (IsLabel(object))
        MeasureStaffLabel(view, object);
    else
        MeasureTextBlock(view, object);
    KeepTextBoxOnPage(view, box, x);
    return object;
}

ScoreObject* CreateTextBox(ScoreView* view) {
    if (view->document->header.staffCount == 0 && !view->pageView) return nullptr;
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::TextBox));
    if (object == nullptr) return nullptr;
    TextBoxObject* box = AsTextBox(object);
    object->subtype =
        SubtypeCode(PlacesOnPage(view) ? ObjectSubtype::PageList : ObjectSubtype::MeasureTimeList);
    box->body.style = static_cast<uint16_t>((box->body.style & ~kTextBoxSlotMask) |
                                            (g_boxSlot << kTextBoxSlotShift));
    const LogicalPoint pointer = view->pointerPoint;
    if (object->subtype == SubtypeCode(ObjectSubtype::PageList))
        EncodePageAnchors(view, &box->body.location, &pointer, 1);
    else
        EncodeTimeAnchors(view, &pointer, &box->body.location, 0);
    return PlaceNewBox(view, box, pointer.x);
}

ScoreObject* CreateStaffLabel(ScoreView* view) {
    const int staff = std::max(view->currentStaff, 1);
    if (LabelOfStaff(view, staff) != nullptr) {
        ShowNotice(kStaffHasLabel);
        return nullptr;
    }
    if (view->currentPage != nullptr && view->currentPage->pageNumber < 0) return nullptr;
    if (view->currentMeasure > 1) {
        ui::Beep(ui::BeepKind::Default);
        return nullptr;
    }
    ScoreObject* object = ConstructStaffLabelWithText(view, nullptr);
    if (object == nullptr) return nullptr;
    TextBoxObject* box = AsTextBox(object);
    // Its top at the click, its right end beside the system once its words are
    // measured; the system then makes room for it.
    const int32_t top = view->pointerPoint.y;
    const int32_t right = (view->currentSystem != nullptr ? view->currentSystem->x : 0) - kStaffLabelGap;
    AnchorStaffLabelBesideSystem(view, object, staff, top);
    if (PlaceNewBox(view, box, right) == nullptr) return nullptr;
    AnchorStaffLabelBesideSystem(view, object, staff, top);
    RespaceLabelledSystems(view);
    return object;
}

// The size the box is dragged to: from its top-left handle to its corner handle, or
// the box's own size without them.
gfx::Size TrackedSize(const TextBoxBody& body, const HitRecord* origin) {
    const HitRecord* corner = origin != nullptr ? origin->child.get() : nullptr;
    if (corner == nullptr || corner->kind != kCornerHandle)
        return {std::abs(body.width), std::abs(body.height)};
    return {std::max(corner->point.x - origin->point.x, kLeastTrackedSize),
            std::max(corner->point.y - origin->point.y, kLeastTrackedSize)};
}

// The text laid out at `size` in the drag image's ink on white; null when no
// off-screen drawing can be had.
platform::BitmapHandle RenderDragImage(ScoreObject* object, ScoreView* view, gfx::Size size) {
    platform::DcHandle dc = BeginOffscreenDraw(view, size.cx, size.cy);
    if (!dc) return {};
    gfx::SetTextColour(dc, kDragImageInk);
    gfx::SetBackgroundMode(dc, gfx::BackgroundMode::Transparent);
    gfx::SetTextAlign(dc, gfx::kTextAlignLeft | gfx::kTextAlignTop);
    platform::DcHandle measuring = CompanionContext(view);
    LayoutTextBlock(object, view, dc, measuring ? measuring : dc, 0, 0, size);
    return EndOffscreenDraw();
}

// The drag image, made once per tracked size and kept in the body's bitmap word, at
// the focused top-left handle. The blit (destination XNOR source) leaves the score
// alone under white and takes itself away when done again; never onto paper or a
// recording.
void BlitDragImage(ScoreObject* object, ScoreView* view) {
    SelectionState* selection = TheSelectionState();
    HitRecord* origin = selection != nullptr ? selection->focusRecord.get() : nullptr;
    if (view == nullptr || origin == nullptr || origin->owner.get() != object) return;
    TextBoxBody& body = AsTextBox(object)->body;
    BeginViewDraw(view);
    if (view->ViewDC && !IsPrinting() && !gfx::IsRecording(view->ViewDC)) {
        if (body.bitmapCache == 0)
            body.bitmapCache = RenderDragImage(object, view, TrackedSize(body, origin)).bits;
        BlitBitmapToView(view, platform::BitmapHandle{body.bitmapCache}, origin->point.x,
                         origin->point.y);
    }
    EndViewDraw(view);
}

class TextBoxClass final : public ScoreObjectClass {
  public:
    explicit constexpr TextBoxClass(bool label) : label_(label) {}
    std::byte* GetBody(ScoreObject* object) const override { return object->BodyBytes(); }
    uint32_t GetBodySize(const ScoreObject*) const override { return kTextBoxBodyBytes; }
    int HitTest(ScoreObject* object, const RecordRect& rect, HitRecord* hit) const override;
    void Draw(ScoreObject* object, ScoreView* view) const override;
    ScoreObject* CreateAtClick(ScoreObject* object, ScoreView* view) const override;
    int EditAttributes(ScoreObject* object, ScoreView* view) const override;
    void DrawTracking(ScoreObject* object, ScoreView* view) const override;
    void EraseTracking(ScoreObject* object, ScoreView* view) const override;
    void ReleaseCache(ScoreObject* object, ScoreView* view) const override;
    int CommitDrag(ScoreObject* object, ScoreView* view) const override;
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override;
    void TrackDrag(ScoreObject* object, ScoreView* view) const override;
    void DragMove(ScoreObject* object, ScoreView* view) const override;
    void SetToolCursor(ScoreObject* object, int32_t a, int32_t b) const override;
    int HandleDrop(ScoreObject* prototype, ScoreView* view, ScoreObject* target,
                   HitRecord* hit) const override;
    ScoreObject* Clone(ScoreObject* object, ScoreView*, PoolSet source, PoolSet target) const override {
        return CloneTextBox(object, source, target);
    }

  private:
    HitRecord* BuildBoxHandles(ScoreObject* object, ScoreView* view) const;
    bool label_;
};

// The box's test: its whole rectangle, from its first handle, strictly inside. The
// record the selection lists give is that handle.
int TextBoxClass::HitTest(ScoreObject* object, const RecordRect& rect, HitRecord* hit) const {
    HitRecord* first = hit != nullptr && hit->owner.get() == object && hit->parent.get() == nullptr
                           ? hit
                           : graphics::OwnFirstHandle(object);
    if (first == nullptr) return 0;
    const TextBoxBody& body = AsTextBox(object)->body;
    return graphics::ExtentInside(first->point, std::abs(body.width), std::abs(body.height), rect)
               ? 1
               : 0;
}

void TextBoxClass::Draw(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr) return;
    TextBoxBody& body = AsTextBox(object)->body;
    LogicalPoint point{};
    DecodeAnchors(view, AnchorKindOf(object), &body.location, &point, 1);
    ClampAnchorsToPage(view, &point, AnchorKindOf(object), &body.location, body.width,
                       body.height, gfx::kTextAlignLeft | gfx::kTextAlignTop);
    BeginViewDraw(view);
    if (view->ViewDC) {
        platform::DcHandle measuring = CompanionContext(view);
        LayoutTextBlock(object, view, view->ViewDC, measuring ? measuring : view->ViewDC, point.x,
                        point.y, {body.width, body.height});
    }
    EndViewDraw(view);
}

ScoreObject* TextBoxClass::CreateAtClick(ScoreObject*, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr) return nullptr;
    return label_ ? CreateStaffLabel(view) : CreateTextBox(view);
}

int TextBoxClass::EditAttributes(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr) return 0;
    TextBoxObject* box = AsTextBox(object);
    const std::vector<uint8_t> before = StoredFormOf(box);
    if (RunPlaceTextBlockDialog(view, box) != ui::kIdOk) return 0;
    if (StoredFormOf(box) == before) return 0;
    SetDocumentModified(view->document);
    const int32_t width = std::abs(box->body.width);
    if (IsLabel(object)) {
        // A label keeps its right end where it stood from the system (beside it, as a
        // rule) once the system has made room for its new width.
        const int staff = LabelStaff(view, object);
        LogicalPoint corner{};
        const auto systemX = [&] {
            const KeptViewPlace kept(view);
            SetCurrentMeasureQuick(view, staff, 1);
            DecodeAnchors(view, kLabelAnchorKind, &box->body.location, &corner, 1);
            return view->currentSystem != nullptr ? view->currentSystem->x : corner.x + width;
        };
        const int32_t fromSystem = systemX() - (corner.x + width);
        MeasureStaffLabel(view, object);
        RespaceLabelledSystems(view);
        corner.x = systemX() - fromSystem - std::abs(box->body.width);
        AnchorStaffLabel(view, object, staff, 1, corner);
    } else {
        MeasureTextBlock(view, object);
        LogicalPoint point{};
        DecodeAnchors(view, AnchorKindOf(object), &box->body.location, &point, 1);
        KeepTextBoxOnPage(view, box, point.x);
    }
    ReleaseCache(object, view);
    return 1;
}

void TextBoxClass::DrawTracking(ScoreObject* object, ScoreView* view) const {
    BlitDragImage(object, view);
}

void TextBoxClass::EraseTracking(ScoreObject* object, ScoreView* view) const {
    BlitDragImage(object, view);
}

void TextBoxClass::ReleaseCache(ScoreObject* object, ScoreView*) const {
    TextBoxBody& body = AsTextBox(object)->body;
    if (body.bitmapCache != 0) gfx::DeleteObject(platform::BitmapHandle{body.bitmapCache});
    body.bitmapCache = 0;
}

// A label's handles are built on its own staff, the view's location kept.
HitRecord* TextBoxClass::BuildHandles(ScoreObject* object, ScoreView* view) const {
    if (view == nullptr || view->document == nullptr) return nullptr;
    if (!IsLabel(object)) return BuildBoxHandles(object, view);
    const KeptViewPlace kept(view);
    SetCurrentMeasureQuick(view, LabelStaff(view, object), view->currentMeasure);
    return BuildBoxHandles(object, view);
}

// Handle 0 is the box at its top-left corner (the move handle, hit over the whole
// box and grabbed where pressed, as the box object's centre), 1 the bottom-right
// corner (resize) and 2 the middle of the bottom edge, kSizeHandleLift above it; these
// two are hit in a handle's square around their point and, as the box object's
// corners, end the edit when released after a drag.
HitRecord* TextBoxClass::BuildBoxHandles(ScoreObject* object, ScoreView* view) const {
    const TextBoxBody& body = AsTextBox(object)->body;
    LogicalPoint origin{};
    DecodeAnchors(view, AnchorKindOf(object), const_cast<ObjectLocation*>(&body.location), &origin,
                  1);
    const int32_t width = std::abs(body.width);
    const int32_t height = std::abs(body.height);
    const RecordRect box{origin.x, origin.y, origin.x + width, origin.y + height};
    const LogicalPoint points[kBoxHandles] = {
        origin,
        {origin.x + width, origin.y + height},
        {origin.x + width / 2, origin.y + height - kSizeHandleLift}};
    HitRecord* chain[kBoxHandles] = {};
    for (int k = 0; k < kBoxHandles; ++k) {
        chain[k] = static_cast<HitRecord*>(AllocStaticRecord(kHitRecordPool));
        if (chain[k] == nullptr) {
            for (int j = 0; j < k; ++j) FreeStaticRecord(kHitRecordPool, chain[j]);
            return nullptr;
        }
        if (k == 0) {
            ConstructHitRecordFlagged(chain[k], view, 0, box);
            SetHitRecordPoint(chain[k], points[k]);
            chain[k]->flags |= graphics::kHandleWholeObject | graphics::kHandleDraggable;
        } else {
            ConstructHitRecordAtPoint(chain[k], view, static_cast<uint8_t>(k), points[k]);
            chain[k]->flags |= graphics::kHandleMoved | graphics::kHandleDraggable;
        }
        chain[k]->owner = Ref32<ScoreObject>::To(object);
        chain[k]->ownerType = object->type;
        if (k > 0) {
            chain[k]->parent = Ref32<HitRecord>::To(chain[k - 1]);
            chain[k - 1]->child = Ref32<HitRecord>::To(chain[k]);
        }
    }
    return chain[0];
}

void TextBoxClass::DragMove(ScoreObject*, ScoreView*) const {
    graphics::MoveWholeChain();
}

void TextBoxClass::SetToolCursor(ScoreObject* object, int32_t a, int32_t b) const {
    TheLineClass().SetToolCursor(object, a, b);
}

// Dragging the corner handle resizes: the corner follows the pointer and the size
// handle stays kSizeHandleLift above the bottom edge.
void TextBoxClass::TrackDrag(ScoreObject* object, ScoreView* view) const {
    SelectionState* selection = TheSelectionState();
    HitRecord* grabbed = selection != nullptr ? selection->grabbedRecord.get() : nullptr;
    if (grabbed == nullptr || grabbed->kind != kCornerHandle) return;
    HitRecord* origin = grabbed->parent.get();
    HitRecord* size = grabbed->child.get();
    OffsetHitRecord(grabbed, {selection->dragOffsetX, selection->dragOffsetY});
    if (origin != nullptr && size != nullptr)
        SetHitRecordPoint(size, {origin->point.x + (grabbed->point.x - origin->point.x) / 2,
                                 grabbed->point.y - kSizeHandleLift});
    ReleaseCache(object, view);
}

// A box takes the size its corner handle was dragged to. A label dragged to another
// staff or measure goes back with a beep (its size stays too).
int TextBoxClass::CommitDrag(ScoreObject* object, ScoreView* view) const {
    TextBoxBody& body = AsTextBox(object)->body;
    const TextBoxBody before = body;
    HitRecord* origin = graphics::FocusedChain();
    HitRecord* corner = origin != nullptr ? origin->child.get() : nullptr;
    const bool label =
        IsLabel(object) && origin != nullptr && view != nullptr && view->document != nullptr;
    // What the commit may rebuild: where the handles were built and the dragged corner.
    const int measure = origin != nullptr ? origin->location.location.measure : 0;
    const LogicalPoint moved = origin != nullptr ? origin->point : LogicalPoint{};
    const bool back = label && !LabelStaysAt(view, object, measure, moved);
    if (corner != nullptr && corner->kind == kCornerHandle) {
        const gfx::Size size = TrackedSize(body, origin);
        body.width = size.cx;
        body.height = size.cy;
    }
    const int result = graphics::CommitFirstHandle(object, view);
    if (back) {
        body.location = before.location;
        body.width = before.width;
        body.height = before.height;
        ui::Beep(ui::BeepKind::Default);
    } else if (label) {
        AnchorStaffLabel(view, object, LabelStaff(view, object), std::max(measure, 1), moved);
        RespaceLabelledSystems(view);  // a new size may change the system's indent
    }
    ReleaseCache(object, view);
    return result != 0 ? result : 1;
}

// A label leaves its staff: with its handle in the selection it goes as any object
// does (erased where it stands, its handles freed with it); without one it is still
// taken off the staff's list and freed, so the staff has no label and takes a new
// one. Either way the selection is rebuilt and every view of the score repainted, so
// that no view keeps showing the label left of its systems.
int TextBoxClass::HandleDrop(ScoreObject* prototype, ScoreView* view, ScoreObject* target,
                             HitRecord* hit) const {
    if (!label_ || target == nullptr || !IsLabel(target))
        return ScoreObjectClass::HandleDrop(prototype, view, target, hit);
    if (view == nullptr || view->document == nullptr || State().program.ShutdownFlag) return 0;
    SelectionState* selection = TheSelectionState();
    HitRecord* focus = selection != nullptr ? selection->focusRecord.get() : nullptr;
    if (hit == nullptr && focus != nullptr && focus->owner.get() == target) hit = focus;
    if (DropObject(view, target, hit) == 0) {
        UnlinkObject(target);
        ReleaseObjectByType(view->document, target);
    }
    SetDocumentModified(view->document);
    if (selection != nullptr) selection->rebuildRequested = 1;
    RespaceLabelledSystems(view);  // the system gives back the label's room
    return 1;
}

const TextBoxClass kTextBoxClass{false};
const TextBoxClass kStaffLabelClass{true};

}  // namespace

uint8_t& RememberedTextBoxSlot() {
    return g_boxSlot;
}

void RegisterTextBoxClasses() {
    RegisterObjectClass(ClassOfType(ObjectType::TextBox), &kTextBoxClass);
    RegisterObjectClass(ClassOfType(ObjectType::Label), &kStaffLabelClass);
}

TextBlockFormat TextBlockFormatOf(const TextBoxBody& body) {
    TextBlockFormat format;
    format.alignment = static_cast<TextAlignment>((body.style & kAlignmentMask) >> kAlignmentShift);
    format.fixedLeading =
        ((body.style & kLeadingModeMask) >> kLeadingModeShift) == kFixedLeadingMode;
    format.leading = body.leading;
    format.tracking = (body.style & kTextBoxTrackingMask) >> kTextBoxTrackingShift;
    format.width = body.width;
    format.height = body.height;
    return format;
}

void LayoutTextBlock(ScoreObject* box, ScoreView* view, platform::DcHandle dc,
                     platform::DcHandle measuring, int32_t x, int32_t y, gfx::Size size) {
    if (box == nullptr || !dc) return;
    if (!measuring) measuring = dc;
    const TextBoxBody& body = AsTextBox(box)->body;
    const platform::FontHandle font = BoxFont(view, body);
    const platform::FontHandle oldFont = gfx::SelectObject(dc, font);
    const platform::FontHandle oldMeasuring =
        measuring != dc ? gfx::SelectObject(measuring, font) : oldFont;
    const std::string_view text = GetTextBoxString(box);
    const TextBlockFont metrics = FontMetricsOf(measuring);
    TextBlockFormat format = TextBlockFormatOf(body);
    format.width = size.cx;
    format.height = size.cy;
    CharsetRuns runs(measuring);
    const std::vector<PlacedLine> lines =
        LayOutTextBlock(text, format, metrics, MeasurerOf(runs), TheJustifyRotation());
    const int32_t extra = TrackingExtra(format.tracking, metrics.blankWidth);
    const int oldExtra = gfx::SetTextCharacterExtra(dc, extra);
    // The lines are placed by their tops, whatever alignment the caller's drawing
    // left in force (the systems are drawn on their baselines).
    const gfx::TextAlign oldAlign = gfx::SetTextAlign(dc, gfx::kTextAlignLeft | gfx::kTextAlignTop);
    const int oldMeasuringExtra =
        measuring != dc ? gfx::SetTextCharacterExtra(measuring, extra) : 0;
    // Measured on the target itself a line's runs need no spread to another
    // context's widths, so they go out at once in the context's character set.
    std::vector<CharsetRuns::RunAt> pieces;
    for (const PlacedLine& line : lines) {
        pieces.clear();
        for (const PlacedRun& run : line.runs)
            pieces.push_back({{x + run.x, y + line.y}, text.substr(run.start, run.length)});
        if (measuring == dc) {
            runs.Draw(pieces);
            continue;
        }
        for (const CharsetRuns::RunAt& piece : pieces)
            TextOutInCharset(dc, measuring, piece.at.x, piece.at.y, piece.text.data(),
                             static_cast<int>(piece.text.size()));
    }
    gfx::SetTextAlign(dc, oldAlign);
    gfx::SetTextCharacterExtra(dc, oldExtra);
    gfx::SelectObject(dc, oldFont);
    if (measuring != dc) {
        gfx::SetTextCharacterExtra(measuring, oldMeasuringExtra);
        gfx::SelectObject(measuring, oldMeasuring);
    }
}

namespace {

// Runs `use` with the box's font, its metrics and a measurer of its runs, on the
// view's measuring context (a memory context when the view has none).
template <typename Use>
void WithBoxMeasurer(ScoreView* view, const TextBoxBody& body, Use use) {
    BeginViewDraw(view);
    platform::DcHandle dc = CompanionContext(view) ? CompanionContext(view) : view->ViewDC;
    const bool own = !dc;
    if (own) dc = gfx::CreateMemoryContext({});
    const platform::FontHandle old = gfx::SelectObject(dc, BoxFont(view, body));
    CharsetRuns runs(dc);
    use(FontMetricsOf(dc), MeasurerOf(runs));
    gfx::SelectObject(dc, old);
    if (own) gfx::DeleteContext(dc);
    EndViewDraw(view);
}

}  // namespace

void MeasureTextBlock(ScoreView* view, ScoreObject* box) {
    if (view == nullptr || box == nullptr) return;
    TextBoxBody& body = AsTextBox(box)->body;
    WithBoxMeasurer(view, body, [&](const TextBlockFont& font, const MeasureRun& measure) {
        const gfx::Size size = MeasureTextBlockSize(GetTextBoxString(box), TextBlockFormatOf(body), font, measure);
        body.width = size.cx;
        body.height = size.cy;
    });
}

void FitTextBlockToWidth(ScoreView* view, ScoreObject* box, int32_t width, int mostLines, int32_t height) {
    if (view == nullptr || box == nullptr) return;
    TextBoxBody& body = AsTextBox(box)->body;
    WithBoxMeasurer(view, body, [&](const TextBlockFont& font, const MeasureRun& measure) {
        const TextBlockFormat format = TextBlockFormatOf(body);
        const int32_t advance = std::max(LineAdvance(font, format.fixedLeading, format.leading), 1);
        const int lines = std::clamp(height / advance, 1, mostLines);
        const char* stored = GetTextBoxString(box);
        const std::string text = stored != nullptr ? stored : "";
        const std::string fitted = FitTextBlockText(text, width, lines, format, font, measure);
        if (fitted != text) SetTextBoxText(&body, fitted.data(), fitted.size());
    });
    MeasureTextBlock(view, box);
}

namespace {

// The tallest a label of `staff` may be on the score's first system: centred on its
// staff, it keeps a label's gap clear of the labels centred on the staves beside it
// (the distance to the nearer of them less the gap; a staff alone has no bound).
int32_t StaffLabelHeightLimit(ScoreDocument* document, int staff) {
    const ScorePage* page = document->firstPage;
    const ScoreSystem* system = page != nullptr ? page->firstSystem.get() : nullptr;
    const uint16_t* offsets = system != nullptr ? StaffOffsetsOf(system) : nullptr;
    const int staves = document->header.staffCount;
    int32_t height = INT32_MAX;
    if (offsets == nullptr || staff < 1 || staff > staves) return height;
    if (staff > 1) height = std::min<int32_t>(height, offsets[staff] - offsets[staff - 1] - kStaffLabelGap);
    if (staff < staves) height = std::min<int32_t>(height, offsets[staff + 1] - offsets[staff] - kStaffLabelGap);
    return height;
}

}  // namespace

void MeasureStaffLabel(ScoreView* view, ScoreObject* label) {
    if (view == nullptr || view->document == nullptr || label == nullptr) return;
    const int32_t room = StaffLabelWidthLimit(view, view->document->firstPage);
    if (room > 0)
        FitTextBlockToWidth(view, label, room, kMostLabelLines,
                            StaffLabelHeightLimit(view->document, LabelStaff(view, label)));
    else
        MeasureTextBlock(view, label);
}

void KeepTextBoxOnPage(ScoreView* view, TextBoxObject* box, int32_t x) {
    if (view == nullptr || box == nullptr) return;
    TextBoxBody& body = box->body;
    const int32_t right = view->PageRight - kPageEdgeRoom;
    if (x + body.width <= right) return;
    body.height *= 2;
    body.width = std::max(right - x, kLeastPushedBoxWidth);
}

void AnchorStaffLabel(ScoreView* view, ScoreObject* label, int staff, int measure,
                      LogicalPoint corner) {
    if (view == nullptr || view->document == nullptr || label == nullptr) return;
    const KeptViewPlace kept(view);
    SetCurrentMeasureQuick(view, staff, measure);
    uint8_t& keep = State().locate.KeepMeasure;
    const uint8_t keeping = keep;
    keep = 1;
    EncodeAnchors(view, nullptr, kLabelAnchorKind, &AsTextBox(label)->body.location, &corner, 1);
    keep = keeping;
}

void AnchorStaffLabelBesideSystem(ScoreView* view, ScoreObject* label, int staff, int32_t y) {
    if (view == nullptr || view->document == nullptr || label == nullptr) return;
    const KeptViewPlace kept(view);
    SetCurrentMeasureQuick(view, staff, 1);
    if (view->currentSystem == nullptr) return;
    const int32_t width = std::abs(AsTextBox(label)->body.width);
    AnchorStaffLabel(view, label, staff, 1, {view->currentSystem->x - kStaffLabelGap - width, y});
}

ScoreObject* ConstructStaffLabelWithText(ScoreView* view, const char* text) {
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::Label));
    if (object == nullptr) return nullptr;
    const int staff = view != nullptr ? std::max(view->currentStaff, 1) : 1;
    std::string value = text != nullptr ? text : "";
    if (text == nullptr) {
        char buffer[32];
        std::snprintf(buffer, sizeof buffer, kLabelTextFormat, kLabelStaffWord, staff);
        value = buffer;
    }
    if (!SetTextBoxText(&AsTextBox(object)->body, value.data(), value.size())) {
        ReleaseObjectByType(view != nullptr ? view->document : nullptr, object);
        return nullptr;
    }
    return object;
}

}  // namespace ql
