// Rests entered by step entry's pedal commands: the rest class's click with the
// rest tool's value forced to the wanted code for the one call, in one undoable
// edit; then the cursor moves past the rest and a left-button-up at the pointer ends
// the entry as a click of the rest tool would.
#include <cstdint>

#include "core/constants.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "notes/entry/note_entry.h"
#include "notes/rests/rest.h"
#include "notes/step_entry/step_entry.h"
#include "platform/gfx/mapping.h"
#include "platform/win/message_loop.h"
#include "platform/win/messages.h"

namespace ql {

namespace {

constexpr ObjectType kRestType = ObjectType::Rest;
// The DurationCodes a rest can have: 128th .. double whole.
constexpr int kShortestRestCode = 4;
constexpr int kLongestRestCode = 13;

// Forces the rest tool's value for one click and gives the old value back after.
class ForcedRestCode {
  public:
    explicit ForcedRestCode(int code) : saved_(State().notes.RestTools.forcedCode) {
        State().notes.RestTools.forcedCode = static_cast<uint8_t>(code);
    }
    ~ForcedRestCode() { State().notes.RestTools.forcedCode = saved_; }
    ForcedRestCode(const ForcedRestCode&) = delete;
    ForcedRestCode& operator=(const ForcedRestCode&) = delete;

  private:
    uint8_t saved_;
};

ScoreObject* PlaceRest(ScoreView* view, int code) {
    const ScoreObjectClass* restClass = FindObjectClass(ClassOfType(kRestType));
    if (restClass == nullptr) return nullptr;
    ScoreObject* prototype = view->document->prototypes[TypeCode(kRestType)];
    ForcedRestCode forced(code);
    UndoStep undo(view->document, view, UndoKind::Item, TypeCode(kRestType), UndoVerb::Add);
    return restClass->CreateAtClick(prototype, view);
}

void PostButtonUpAtPointer(ScoreView* view) {
    if (!view->ViewWindow) return;
    gfx::Point device{view->pointerPoint.x, view->pointerPoint.y};
    if (view->ViewDC) device = gfx::LogicalToDevice(view->ViewDC, device);
    win::PostMessage(view->ViewWindow, win::Message::LeftButtonUp, 0, win::PackPoint(device));
}

}  // namespace

bool EnterRestAtCursor(ScoreView* view, int code) {
    if (view == nullptr || view->document == nullptr || view->currentCell == nullptr) return false;
    if (code < kShortestRestCode || code > kLongestRestCode) return false;
    ScoreObject* rest = PlaceRest(view, code);
    const RestBody* body = rest != nullptr ? RestBodyOf(rest) : nullptr;
    if (body == nullptr) return false;
    ScrollToNoteCursor(view, body->tick, RestDurationTicks(rest));
    SetNoteCursorContext(view);
    PostButtonUpAtPointer(view);
    return true;
}

}  // namespace ql
