// The MIDI event object's class and operations (see midi_event_object.h).
#include "sequencer/midi_event_object.h"

#include <algorithm>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "core/ui/status_bar.h"
#include "core/undo/undo.h"
#include "core/units/save_stacks.h"
#include "display/anchors.h"
#include "display/view_location.h"
#include "editing/selection.h"
#include "editing/tools.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/midi_marks/mark_internal.h"
#include "objects/midi_marks/midi_marks.h"
#include "platform/ui/message_box.h"
#include "platform/win/keys.h"
#include "sequencer/action_dialogs.h"
#include "sequencer/sequencer_services.h"
#include "staves/staff_value_dialog.h"

namespace ql {
namespace {

constexpr uint8_t kMidiEventType = TypeCode(ObjectType::MidiEvent);
constexpr int32_t kMidiByteMax = 127;
constexpr int32_t kPitchWheelMax = 16383;
constexpr int kStepStatusPart = 2;
constexpr const char* kMidiByteStatus = " MIDI byte =";
constexpr const char* kVelocityStatus = " Key velocity =";
constexpr uint32_t kKeyP = 'P';
constexpr int kVelocityShift = 8;
constexpr uint16_t kLowByte = 0x00FF;

MidiAction& ActionOf(ScoreObject* object) {
    return *MidiActionOfText(object);
}

void Focus(ScoreObject* object) {
    if (SelectionState* selection = TheSelectionState())
        selection->focusedObject = Ref32<ScoreObject>::To(object);
}

void Unfocus(ScoreObject* object) {
    SelectionState* selection = TheSelectionState();
    if (selection != nullptr && selection->focusedObject.get() == object)
        selection->focusedObject = selection->defaultObject;
}

// The velocity of a note message is the value's high byte, the key its low byte.
int16_t WithVelocity(int16_t value, int velocity) {
    return static_cast<int16_t>((value & kLowByte) | velocity << kVelocityShift);
}

// Ctrl with keypad plus or minus: the final value of a linear transition, then the
// velocity of a note or the value of the other kinds, each shown in the status bar.
void StepMessage(ScoreObject* object, ScoreView* view, int step) {
    MidiAction& action = ActionOf(object);
    if (IsDataCarrying(action)) {
        ui::Beep(ui::BeepKind::Default);
        return;
    }
    MidiActionValues& values = action.head.values;
    const uint8_t kind = MidiKindOf(action);
    const int32_t most = kind == kMidiKindPitchWheel ? kPitchWheelMax : kMidiByteMax;
    if (MidiTimingOf(action) == kTimingLinear) {
        values.finalValue =
            static_cast<int16_t>(std::clamp<int32_t>(values.finalValue + step, 0, most));
        SetStatusTextNumber(kStepStatusPart, kMidiByteStatus, values.finalValue);
    }
    if (kind == kMidiKindNote) {
        const int velocity = std::clamp<int32_t>(
            ((values.value >> kVelocityShift) & kMidiByteMax) + step, 0, kMidiByteMax);
        values.value = WithVelocity(values.value, velocity);
        SetStatusTextNumber(kStepStatusPart, kVelocityStatus, velocity);
    } else if (kind <= kMidiKindPitchWheel) {
        values.value = static_cast<int16_t>(std::clamp<int32_t>(values.value + step, 0, most));
        SetStatusTextNumber(kStepStatusPart, kMidiByteStatus, values.value);
    }
    if (view != nullptr) SetDocumentModified(view->document);
}

// "P": dialog 837 for a patch change, the staff value dialog for the other kinds.
void EditValue(ScoreObject* object, ScoreView* view) {
    MidiAction& action = ActionOf(object);
    if (IsDataCarrying(action)) {
        ui::Beep(ui::BeepKind::Default);
        return;
    }
    UndoStep step(view->document, view, UndoKind::Item, kMidiEventType, UndoVerb::Modify);
    MidiActionValues& values = action.head.values;
    const uint8_t kind = MidiKindOf(action);
    const int32_t most = kind == kMidiKindPitchWheel ? kPitchWheelMax : kMidiByteMax;
    if (kind == kMidiKindPatch) {
        values.value = static_cast<int16_t>(
            std::clamp(RunMidiValueDialog(view, values.value), 0, kMidiByteMax));
    } else if (kind == kMidiKindNote) {
        const int key =
            std::clamp(RunStaffValueDlg(view, values.value & kMidiByteMax), 0, kMidiByteMax);
        values.value = static_cast<int16_t>((values.value & ~kLowByte) | key);
    } else {
        values.value =
            static_cast<int16_t>(std::clamp(RunStaffValueDlg(view, values.value), 0, most));
    }
    SetDocumentModified(view->document);
}

}  // namespace

void sequencing::RegisterMidiEventObjectClass() {
    RegisterObjectClass(ClassOfType(ObjectType::MidiEvent), &TheMidiEventObjectClass());
}

const MidiEventObjectClass& TheMidiEventObjectClass() {
    static const MidiEventObjectClass instance;
    return instance;
}

ScoreObject* MidiEventObjectClass::CreateAtClick(ScoreObject*, ScoreView* view) const {
    return CreateMidiEventAtClick(view);
}

int MidiEventObjectClass::EditAttributes(ScoreObject* object, ScoreView* view) const {
    return EditMidiEventObject(object, view);
}

void MidiEventObjectClass::StepValue(ScoreObject* object, ScoreView* view, int step) const {
    if (CtrlHeld())
        StepMessage(object, view, step);
    else
        MidiTextObjectClass::StepValue(object, view, step);
}

int MidiEventObjectClass::OnKey(ScoreObject* object, ScoreView* view, uint32_t key) const {
    return MidiEventObjectOnKey(object, view, key);
}

ScoreObject* MidiEventObjectClass::Clone(ScoreObject* object, ScoreView*, PoolSet source,
                                         PoolSet target) const {
    return CloneMidiEventObject(object, source, target);
}

void ConstructMidiEventObject(ScoreObject* object, ScoreView* view) {
    ConstructMidiEventForRead(object);
    MidiAction& action = ActionOf(object);
    action.interval = kMidiEventInterval;
    TextObjectBody& body = AsTextObject(object)->body;
    body.flags = kMidiEventTextFlags;
    body.style = kMarkStyle;
    body.string = kMidiEventSymbol;
    // A new event object goes to the page's list on a master page, to its measure
    // everywhere else. (No field of a system record tells a master page's system
    // apart: every system's top is negative, the logical origin lying above the
    // page, so the top cannot be what sends an object to the page.)
    object->subtype = SubtypeCode(PlacesOnMasterPage(view) ? ObjectSubtype::PageList
                                                           : ObjectSubtype::MeasureTimeList);
}

ScoreObject* CloneMidiEventObject(ScoreObject* object, PoolSet source, PoolSet target) {
    return object != nullptr ? CloneObjectWithMidiAction(object, source, target) : nullptr;
}

ScoreObject* CreateMidiEventAtClick(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return nullptr;
    ScoreDocument* document = view->document;
    if (document->header.staffCount == 0 && view->pageView != 1) return nullptr;
    // The record is taken inside the step, so that undoing it gives the record back.
    UndoStep step(document, view, UndoKind::Item, kMidiEventType, UndoVerb::Add);
    ScoreObject* object = ConstructObject(kMidiEventType);
    if (object == nullptr) return nullptr;
    ConstructMidiEventObject(object, view);
    TextObject* text = AsTextObject(object);
    if (EventRecord* note = FindEventUnderPointer(view)) {
        object->subtype = SubtypeCode(ObjectSubtype::NoteAttachment);
        if (AttachObjectToNote(view, note, object) == 0) {
            ReleaseObjectByType(document, object);
            return nullptr;
        }
        PointToNoteAnchor(view, object, &text->body.location, view->pointerPoint);
        text->body.flags |= kMidiEventOnNote;
        Focus(object);
    } else {
        AnchorTextAtPointer(view, text);
        if (!InsertAndFocus(view, object)) return nullptr;
    }
    int result = 0;
    {
        ScopedAlwaysCommit commitNew;
        PushViewLocation(view);
        result = OpenMidiEventDialog(view, object);
        PopViewLocation(view);
    }
    if (result != 1) {
        Unfocus(object);
        UnlinkObject(object);
        ReleaseObjectByType(document, object);
        return nullptr;
    }
    ClassOf(object).Measure(object, view);
    return object;
}

int EditMidiEventObject(ScoreObject* object, ScoreView* view) {
    if (object == nullptr || view == nullptr) return 0;
    const int result = OpenMidiEventDialog(view, object);
    ClassOf(object).MeasureAndSelect(object, view);
    CommitFocusedElement(view);
    return result == 1 ? 1 : 0;
}

int MidiEventObjectOnKey(ScoreObject* object, ScoreView* view, uint32_t key) {
    if (object == nullptr || view == nullptr || view->document == nullptr) return 0;
    if (key == kKeyP) {
        EditValue(object, view);
        return 1;
    }
    const auto k = static_cast<win::Key>(key);
    if (k == win::Key::Add || k == win::Key::Subtract) {
        UndoStep step(view->document, view, UndoKind::Item, kMidiEventType, UndoVerb::Modify);
        TheMidiEventObjectClass().StepValue(object, view, k == win::Key::Add ? 1 : -1);
        SetDocumentModified(view->document);
        return 1;
    }
    return TheMidiEventObjectClass().MidiTextObjectClass::OnKey(object, view, key);
}

intptr_t MidiEventToolHandler(ScoreView* view, int action, ToolRecord* record,
                              platform::WindowHandle window, win::Message message, uint32_t word,
                              intptr_t data) {
    return ObjectToolHandler(view, action, record, window, message, word, data, kMidiEventType);
}

}  // namespace ql
