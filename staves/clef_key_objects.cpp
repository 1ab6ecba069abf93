// The clef-change and key-signature object classes (see clef_key_objects.h). Both
// keep the text family's body, hit testing, drag and copies; these classes change
// drawing, the dialog on an existing object and stepping.
#include "staves/clef_key_objects.h"

#include "core/constants.h"
#include "core/model/engraving_metrics.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/model/signature_fields.h"
#include "core/objects/class_table.h"
#include "core/objects/handle_flags.h"
#include "core/objects/hit_record.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"
#include "core/private_messages.h"
#include "core/text/text_object.h"
#include "core/ui/selection_services.h"
#include "core/ui/status_bar.h"
#include "display/linked_views.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "platform/ui/message_box.h"
#include "platform/win/message_loop.h"
#include "staves/change_range.h"
#include "staves/clef_changes.h"
#include "staves/clef_dialog.h"
#include "staves/clef_drag.h"
#include "staves/clef_key_create.h"
#include "staves/clef_key_placement.h"
#include "staves/key_changes.h"
#include "staves/key_dialog.h"
#include "staves/key_drag.h"
#include "staves/signature_drawing.h"
#include "staves/signature_step.h"

namespace ql {

namespace {

// The box of a key-signature object: its accidentals one distance apart and a
// margin; it is drawn from its anchor less half the box. The hit rectangle is the
// box less the margin across and less 768 down, then 128 narrower at the right and
// the bottom.
constexpr int32_t kKeyBoxHeight = 1024;
constexpr int32_t kKeyBoxMargin = 256;
constexpr int32_t kEmptyKeyWidth = 128;
constexpr int32_t kKeyHitHeightLess = 768;
constexpr int32_t kKeyHitNarrowing = 128;
constexpr int kStatusPartThree = 2;
constexpr int32_t kClefKeyGap = 32;  // a quarter space between a clef change and a key  // the handle readout a drag leaves there

int32_t KeyBoxWidth(const ScoreDocument& document, int key) {
    const int accidentals = KeyAccidentalCount(key);
    return accidentals == 0 ? kEmptyKeyWidth + kKeyBoxMargin
                            : accidentals * EngravingMetricOf(document, EngravingMetric::Keysym) + kKeyBoxMargin;
}

// Whether the range from the view's measure to the end of the piece holds notes;
// then the focused object's dialog is asked for.
bool AskForDialogOverNotes(ScoreView* view, ChangeWhat what) {
    const ChangeRange range = ComputeChangeRange(view->document, what, ChangeRangeMode::ToEnd, view->currentStaff,
                                                 view->currentMeasure, 0, 0);
    if (range.notes == 0) return false;
    win::PostMessage(view->ViewWindow, kMsgEditFocusedObject);
    return true;
}

// The handles of a clef change or key signature: the text family's, marked
// complete, since a click of the tool places the sign whole (its dialog ran).
HitRecord* CompleteHandles(const TextObjectClass& cls, ScoreObject* object, ScoreView* view) {
    HitRecord* first = cls.TextObjectClass::BuildHandles(object, view);
    if (first != nullptr) first->flags |= kHandleComplete;
    return first;
}

const HitRecord* FocusRecord() {
    const SelectionState* selection = TheSelectionState();
    return selection != nullptr ? selection->focusRecord.get() : nullptr;
}

class ClefObjectClass final : public TextObjectClass {
  public:
    void Draw(ScoreObject* object, ScoreView* view) const override {
        const int tick = SignatureTickOfObject(object);
        const MeasureCell* cell = view != nullptr ? view->currentCell : nullptr;
        if (tick == 0 || (cell != nullptr && ClefKindOfObject(object) == ClefAtTick(cell, tick))) return;
        TextObjectClass::Draw(object, view);
    }
    ScoreObject* CreateAtClick(ScoreObject*, ScoreView* view) const override { return CreateClefAtClick(view); }
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override {
        return CompleteHandles(*this, object, view);
    }
    int EditAttributes(ScoreObject* object, ScoreView* view) const override { return EditClefObject(object, view); }
    // Taking the clef as the focus, or its first move, starts a drag between its
    // neighbouring events.
    void ReleaseCache(ScoreObject* object, ScoreView* view) const override {
        const HitRecord* focus = FocusRecord();
        BeginClefDrag(view, object, focus != nullptr ? focus->point.x : TextObjectAnchorPoint(object, view).x);
        TextObjectClass::ReleaseCache(object, view);
    }
    // The clef keeps its line: only its x (and the tick there) change.
    int CommitDrag(ScoreObject* object, ScoreView* view) const override {
        const HitRecord* focus = FocusRecord();
        const int moved = focus != nullptr ? CommitClefDrag(view, object, focus->point.x) : 0;
        SetStatusText(kStatusPartThree, "");
        TextObjectClass::ReleaseCache(object, view);
        return moved;
    }
    // Across only, to the pointer's x while the pointer is inside the limits.
    void TrackDrag(ScoreObject* object, ScoreView* view) const override {
        SelectionState* selection = TheSelectionState();
        const HitRecord* focus = FocusRecord();
        if (selection == nullptr || focus == nullptr) return;
        if (PendingClefDrag().clef != object) BeginClefDrag(view, object, focus->point.x);
        const int32_t x = view->pointerPoint.x;
        if (!ClefDragAllows(view, x)) return;
        selection->dragOffsetX = x - focus->point.x;
        selection->dragOffsetY = 0;
        TextObjectClass::TrackDrag(object, view);
    }
    void StepValue(ScoreObject*, ScoreView* view, int step) const override { StepClefObject(view, step); }
};

class KeySignatureObjectClass final : public TextObjectClass {
  public:
    void Measure(ScoreObject* object, ScoreView* view) const override {
        if (view == nullptr || view->document == nullptr) return;
        TextObjectBody& body = AsTextObject(object)->body;
        body.width = KeyBoxWidth(*view->document, KeyCodeOfObject(object));
        body.height = kKeyBoxHeight;
        body.baseline = kKeyBoxHeight / 2;
    }
    void Draw(ScoreObject* object, ScoreView* view) const override {
        if (view == nullptr || view->document == nullptr) return;
        const int32_t width = KeyBoxWidth(*view->document, KeyCodeOfObject(object));
        const LogicalPoint anchor = TextObjectAnchorPoint(object, view);
        DrawKeyAccidentals(object, view, anchor.x - width / 2, anchor.y - kKeyBoxHeight / 2);
    }
    void SelectTextFont(ScoreObject* object, ScoreView* view, LogicalPoint point, RecordRect* out) const override {
        if (view == nullptr || view->document == nullptr || out == nullptr) return;
        const int32_t halfWidth = (KeyBoxWidth(*view->document, KeyCodeOfObject(object)) - kKeyBoxMargin) / 2;
        const int32_t halfHeight = (kKeyBoxHeight - kKeyHitHeightLess) / 2;
        out->left = point.x - halfWidth;
        out->right = point.x + halfWidth - kKeyHitNarrowing;
        out->top = point.y - halfHeight;
        out->bottom = point.y + halfHeight - kKeyHitNarrowing;
    }
    ScoreObject* CreateAtClick(ScoreObject*, ScoreView* view) const override { return CreateKeyAtClick(view); }
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override {
        return CompleteHandles(*this, object, view);
    }
    int EditAttributes(ScoreObject* object, ScoreView* view) const override { return EditKeyObject(object, view); }
    // Taking the key signature as the focus, or its first move, notes where its
    // handle stands, so that the commit moves the anchor by the handle's path.
    void ReleaseCache(ScoreObject* object, ScoreView* view) const override {
        const HitRecord* focus = FocusRecord();
        if (focus != nullptr) BeginKeyDrag(view, object, focus->point);
        TextObjectClass::ReleaseCache(object, view);
    }
    int CommitDrag(ScoreObject* object, ScoreView* view) const override {
        const HitRecord* focus = FocusRecord();
        const int moved = focus != nullptr ? CommitKeyDrag(view, object, focus->point) : 0;
        SetStatusText(kStatusPartThree, "");
        TextObjectClass::ReleaseCache(object, view);
        return moved;
    }
    void TrackDrag(ScoreObject* object, ScoreView* view) const override {
        const HitRecord* focus = FocusRecord();
        if (focus != nullptr && !IsKeyDragPending(object)) BeginKeyDrag(view, object, focus->point);
        TextObjectClass::TrackDrag(object, view);
    }
    void StepValue(ScoreObject*, ScoreView* view, int step) const override { StepKeyObject(view, step); }
};

const ClefObjectClass& TheClefObjectClass() {
    static const ClefObjectClass instance;
    return instance;
}

const KeySignatureObjectClass& TheKeySignatureObjectClass() {
    static const KeySignatureObjectClass instance;
    return instance;
}

}  // namespace

int32_t KeyBesideClefChange(const ScoreDocument& document, int clef, int key) {
    return ClefChangeInkRight(document, clef) + kClefKeyGap + KeyBoxWidth(document, key) / 2;
}

void RegisterClefKeyObjectClasses() {
    RegisterObjectClass(ClassOfType(ObjectType::Clef), &TheClefObjectClass());
    RegisterObjectClass(ClassOfType(ObjectType::KeySignature), &TheKeySignatureObjectClass());
}

int StepClefObject(ScoreView* view, int step) {
    if (!HasStaffMeasureLocation(view) || AskForDialogOverNotes(view, ChangeWhat::Clef)) return 0;
    return StepClef(view, step);
}

int StepKeyObject(ScoreView* view, int step) {
    if (!HasStaffMeasureLocation(view) || AskForDialogOverNotes(view, ChangeWhat::Key)) return 0;
    return StepKey(view, step);
}

int EditClefObject(ScoreObject* clef, ScoreView* view) {
    if (clef == nullptr || !HasStaffMeasureLocation(view)) return 0;
    ClefDialogStart start;
    start.kind = ClefKindOfObject(clef);
    start.withinMeasure = true;
    start.tick = SignatureTickOfObject(clef);
    const ClefDialogResult result = ClefSelectionDialog(view, start);
    if (result.result != ui::kIdOk) return 0;
    SetClefChangeKind(view, clef, result.kind);
    if (RemoveRedundantClefs(view, clef) != 0) EndFocus(view, 0);  // the clef repeated the one in force: gone
    InvalidateLinkedViews(view);
    return 1;
}

int EditKeyObject(ScoreObject* key, ScoreView* view) {
    if (key == nullptr || !HasStaffMeasureLocation(view)) return 0;
    KeyDialogStart start;
    start.key = KeyCodeOfObject(key);
    start.withinMeasure = true;
    start.tick = SignatureTickOfObject(key);
    int chosen = start.key;
    if (KeySelectionDialog(view, start, &chosen) != ui::kIdOk) return 0;
    SetKeyCodeOfObject(key, static_cast<uint8_t>(chosen));
    ClassOf(key).Measure(key, view);  // its box follows its accidentals
    InvalidateLinkedViews(view);
    return 1;
}

}  // namespace ql
