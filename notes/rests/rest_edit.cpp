// Editing a rest in place: its length (one code longer or shorter), its dots, its
// hidden mark, its reset to the default place, the keys that do these, and its drop
// (removed with Ctrl, else turned into a note). Every change moves the voice's later
// items by the change of length and is checked against the room left in the voice.
#include <cstdint>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/object_classes.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "layout/measure_spacing.h"
#include "notes/entry/measure_extend.h"
#include "notes/handler/notes_handler.h"
#include "notes/rests/rest.h"
#include "notes/rests/rest_internal.h"
#include "notes/stems/stems.h"
#include "platform/win/keys.h"

namespace ql {

namespace rests {

namespace {

constexpr int kNotePositionFromRest = -4;  // a rest dropped as a note sits on the middle line
constexpr uint32_t kKeyDots = 'D';
constexpr uint32_t kKeyHide = 'H';
// Modifier states (Shift x 4 + Alt x 2 + Ctrl).
constexpr uint8_t kModsNone = 0;
constexpr uint8_t kModsCtrl = 1;
constexpr uint8_t kModsAlt = 2;
constexpr uint8_t kModsAltCtrl = 3;
constexpr uint8_t kModsShift = 4;
constexpr uint8_t kModsShiftAlt = 6;
constexpr uint8_t kModsAll = 7;

// The length a rest body would have with other dots or another code.
int TicksWith(const RestBody& body, int code, int dots) {
    return ComputeDurationTicks(body.tupletKind, dots, code, body.extraRatio, body.tupletValue,
                                body.tupletValue >> 4, body.tupletValue & 0x0F,
                                body.extraRatio >> 4, body.extraRatio & 0x0F);
}

// Respaces the measure after a change and redraws it when respacing did not.
void RespaceAndRedraw(ScoreView* view) {
    if (RefreshMeasureWidths(view, false, true) == 0) RedrawCurrentMeasure(view);
}

bool CtrlHeld() {
    const InputGlobals& input = State().input;
    return (input.ModifierState & kModsCtrl) != 0 || input.StickyCtrlFlag != 0;
}

int DotsKey(ScoreView* view, ScoreObject* rest) {
    UndoStep step(view->document, view, UndoKind::Dots, kRestUndoType, UndoVerb::Change);
    CycleRestDots(view, rest);
    return 1;
}

int HideKey(ScoreView* view, ScoreObject* rest) {
    RestBody* body = RestBodyOf(rest);
    UndoStep step(view->document, view, UndoKind::Item, kRestUndoType,
                  IsRestHidden(*body) ? UndoVerb::Unhide : UndoVerb::Hide);
    body->flags ^= kRestHidden;
    SetDocumentModified(view->document);
    RedrawCurrentMeasure(view);
    return 1;
}

int ArrowKey(ScoreView* view, ScoreObject* rest, uint32_t key) {
    const bool left = key == static_cast<uint32_t>(win::Key::Left);
    if (!left && key != static_cast<uint32_t>(win::Key::Right)) return 1;
    UndoStep step(view->document, view, UndoKind::Item, kRestUndoType, UndoVerb::Move);
    NudgeEventSpacing(view, RestBodyOf(rest)->tick, left ? -1 : 1, CtrlHeld());
    return 1;
}

// Turns a dropped rest into a note of its value on the middle line of its voice.
void RestToNote(ScoreView* view, const RestBody& body, int voice) {
    EventRecord* note = AddEventToVoice(view, view->currentCell, voice, body.tick, body.code,
                                        static_cast<uint8_t>(kNotePositionFromRest));
    if (note == nullptr) return;
    UpdateBeamForNote(view, note);
}

}  // namespace

void ShiftVoiceFrom(ScoreView* view, int voice, int tick, int delta) {
    if (delta == 0) return;
    ShiftVoiceElementsFromTick(view->document, view->currentStaff, view->currentMeasure, voice,
                               tick, delta);
}

bool RoomForTicks(ScoreView* view, int voice, int extra, int tolerance) {
    const int left = TicksLeftInVoice(view->currentCell, view, voice);
    if (extra - left < tolerance) return true;
    return State().notes.AutoExtendMeasure != 0 && ExtendMeasureToFit(view, extra) != 0;
}

}  // namespace rests

using namespace rests;

int StepRestDuration(ScoreView* view, ScoreObject* rest, int step) {
    RestBody* body = RestBodyOf(rest);
    SelectionState* selection = TheSelectionState();
    if (view == nullptr || view->document == nullptr || body == nullptr || selection == nullptr ||
        selection->currentObject.get() != rest)
        return 0;
    const int code = body->code + step;
    if (code < kShortestSteppedCode || code > kLongestRestCode || !IsRestCode(body->code)) return 0;
    MeasureCell* cell = view->currentCell;
    const int voice = VoiceOfRest(cell, rest);
    if (voice < 0) return 0;
    const int dots = RestDots(*body);
    const int oldTicks = TicksWith(*body, body->code, dots);
    const int change = TicksWith(*body, code, dots) - oldTicks;
    if (change > 0 && !RoomForTicks(view, voice, change, 1)) {
        ShowNotice(kNoRoomNotice);
        return 0;
    }
    ShiftVoiceFrom(view, voice, body->tick + oldTicks, change);
    const int place = body->position - RestStaffOffset(cell, body->code, voice);
    body->code = static_cast<uint8_t>(code);
    body->position = static_cast<int8_t>(place + RestStaffOffset(cell, code, voice));
    SetDocumentModified(view->document);
    RespaceAndRedraw(view);
    return 1;
}

int CycleRestDots(ScoreView* view, ScoreObject* rest) {
    RestBody* body = RestBodyOf(rest);
    if (view == nullptr || view->document == nullptr || body == nullptr || !IsRestCode(body->code))
        return 0;
    const int voice = VoiceOfRest(view->currentCell, rest);
    if (voice < 0) return 0;
    const int oldDots = RestDots(*body);
    int dots = (oldDots + 1) % (kRestMaxDots + 1);
    const int oldTicks = TicksWith(*body, body->code, oldDots);
    int change = TicksWith(*body, body->code, dots) - oldTicks;
    if (change > 0 && !RoomForTicks(view, voice, change, 1)) {
        ShowLabelledNotice(kNoRoomNotice);
        dots = 0;
        change = TicksWith(*body, body->code, 0) - oldTicks;
    }
    if (dots == oldDots) return 0;
    ShiftVoiceFrom(view, voice, body->tick + oldTicks, change);
    body->flags = static_cast<uint8_t>((body->flags & ~kRestDotsMask) | dots);
    SetDocumentModified(view->document);
    RespaceAndRedraw(view);
    return 1;
}

int RestClass::OnKey(ScoreObject* object, ScoreView* view, uint32_t virtualKey) const {
    if (view == nullptr || view->document == nullptr || RestBodyOf(object) == nullptr) return 0;
    switch (State().input.ModifierState) {
        case kModsNone:
            if (virtualKey == kKeyDots) return DotsKey(view, object);
            if (virtualKey == kKeyHide) return HideKey(view, object);
            if (virtualKey == static_cast<uint32_t>(win::Key::F1))
                return ScoreObjectClass::OnKey(object, view, virtualKey);
            return 1;
        case kModsAlt:
        case kModsAltCtrl:
            return ArrowKey(view, object, virtualKey);
        case kModsShift:
        case kModsShiftAlt:
        case kModsAll:
            return 1;
        default:
            return 0;
    }
}

void RestClass::Invalidate(ScoreObject* object, ScoreView* view) const {
    RestBody* body = RestBodyOf(object);
    if (view == nullptr || view->document == nullptr || body == nullptr) return;
    UndoStep step(view->document, view, UndoKind::Item, kRestUndoType, UndoVerb::Modify);
    const int voice = VoiceOfRest(view->currentCell, object);
    body->xOffset = 0;
    body->fineY = 0;
    body->position = static_cast<int8_t>(
        RestStaffOffset(view->currentCell, body->code, voice < 0 ? ActiveVoice(view) : voice));
    SetDocumentModified(view->document);
    RedrawCurrentMeasure(view);
}

int RestClass::HandleDrop(ScoreObject* /*object*/, ScoreView* view, ScoreObject* target,
                          HitRecord* hit) const {
    const RestBody* body = RestBodyOf(target);
    if (view == nullptr || view->document == nullptr || body == nullptr) return 0;
    const int voice = VoiceOfRest(view->currentCell, target);
    const RestBody copy = *body;
    const int ticks = RestDurationTicks(target);
    const bool erase = CtrlHeld();
    // The rest goes first (the root drop); its voice then closes up or gets the note.
    if (DropObject(view, target, hit) == 0) return 0;
    if (voice >= 0 && erase) ShiftVoiceFrom(view, voice, copy.tick + ticks, -ticks);
    if (voice >= 0 && !erase) RestToNote(view, copy, voice);
    return 1;
}

int RestClass::OnEditCommand(ScoreObject*, ScoreView*, int, int) const {
    return 1;
}

}  // namespace ql
