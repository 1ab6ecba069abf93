// The clef-change and key-signature object classes (see clef_key_objects.h). Both
// keep the text family's body, hit testing, drag and copies; these classes change
// drawing, the dialog on an existing object and stepping.
#include "staves/clef_key_objects.h"

#include "core/constants.h"
#include "core/model/engraving_metrics.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/private_messages.h"
#include "core/text/text_object.h"
#include "display/linked_views.h"
#include "editing/selection.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "platform/ui/message_box.h"
#include "platform/win/message_loop.h"
#include "staves/change_range.h"
#include "staves/clef_changes.h"
#include "staves/clef_dialog.h"
#include "staves/clef_key_create.h"
#include "staves/key_changes.h"
#include "staves/key_dialog.h"
#include "staves/signature_drawing.h"
#include "staves/signature_fields.h"
#include "staves/signature_step.h"

namespace ql {

namespace {

// Half the box of a key-signature object: it is drawn from its anchor less these.
constexpr int32_t kKeyBoxHalfHeight = 512;
constexpr int32_t kKeyBoxMargin = 256;
constexpr int32_t kEmptyKeyWidth = 128;

// Whether the range from the view's measure to the end of the piece holds notes;
// then the focused object's dialog is asked for.
bool AskForDialogOverNotes(ScoreView* view, ChangeWhat what) {
    const ChangeRange range = ComputeChangeRange(view->document, what, ChangeRangeMode::ToEnd, view->currentStaff,
                                                 view->currentMeasure, 0, 0);
    if (range.notes == 0) return false;
    win::PostMessage(view->ViewWindow, kMsgEditFocusedObject);
    return true;
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
    int EditAttributes(ScoreObject* object, ScoreView* view) const override { return EditClefObject(object, view); }
    void StepValue(ScoreObject*, ScoreView* view, int step) const override { StepClefObject(view, step); }
};

class KeySignatureObjectClass final : public TextObjectClass {
  public:
    void Draw(ScoreObject* object, ScoreView* view) const override {
        if (view == nullptr || view->document == nullptr) return;
        const int accidentals = KeyAccidentalCount(KeyCodeOfObject(object));
        const int32_t width =
            accidentals == 0 ? kEmptyKeyWidth + kKeyBoxMargin
                             : accidentals * EngravingMetricOf(*view->document, EngravingMetric::Keysym) + kKeyBoxMargin;
        const LogicalPoint anchor = TextObjectAnchorPoint(object, view);
        DrawKeyAccidentals(object, view, anchor.x - width / 2, anchor.y - kKeyBoxHalfHeight);
    }
    ScoreObject* CreateAtClick(ScoreObject*, ScoreView* view) const override { return CreateKeyAtClick(view); }
    int EditAttributes(ScoreObject* object, ScoreView* view) const override { return EditKeyObject(object, view); }
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
    SetClefKindOfObject(clef, static_cast<uint8_t>(result.kind));
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
    InvalidateLinkedViews(view);
    return 1;
}

}  // namespace ql
