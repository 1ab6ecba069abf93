// The scratch-copy session the mark dialogs share (mark_dialogs.cpp): which mark is
// edited, its scratch copy (the document's prototype of its type), whether its image
// changed, and the prototype's own bytes to put back when the dialog ends.
#pragma once

#include <cstdint>

#include "core/objects/midi_action.h"
#include "core/ui/selection_services.h"
#include "platform/ui/dialog.h"

namespace ql {

struct ScoreView;
struct ScoreObject;

namespace mark_dialogs {

struct MarkSession {
    ScoreView* view = nullptr;
    ScoreObject* mark = nullptr;
    ScoreObject* scratch = nullptr;
    bool imageChanged = false;
    bool committed = false;  // the scratch action's data bytes went to the mark
    MidiTextRecord savedPrototype{};
};

// The session of the dialog running now (null outside the mark dialogs).
MarkSession* CurrentSession();
// Runs a dialog on a session for `mark`: 1 OK, 2 otherwise (also without a view, a
// document or a prototype).
int RunSession(ScoreView* view, ScoreObject* mark, int dialogId, EditorDialogProc procedure);
// OK: copies the scratch copy into the mark unless it would be stored the same;
// ends the dialog with 1 or 2. Cancel: ends it with 2.
void EndSession(platform::WindowHandle dialog, MarkSession& session, bool ok);
// At InitDialog: ends the dialog with 2 when there is no active view or session.
bool EndedWithoutView(platform::WindowHandle dialog);

MidiAction& ScratchAction();
uint8_t ScratchTiming();
void SetScratchTiming(uint8_t timing);
void ToggleScratchFlag(uint16_t flag);
// A typed signed number kept within the 16-bit word; `fallback` when unreadable.
int16_t ReadSigned16(platform::WindowHandle dialog, int32_t id, int16_t fallback);
// The context help every mark dialog answers: F1 (Help), the logo's drawing and a
// click on the logo (998). True when the message was one of these (*result set).
bool AnswerDialogHelp(platform::WindowHandle dialog, win::Message message, uint32_t word, intptr_t data,
                      uint32_t helpId, intptr_t* result);

// "Set Image...": the text dialog (862) on the mark with the scratch copy's body.
void RunSetImage(MarkSession& session);

// The action dialogs on the scratch action.
int RunOutputDestination(MarkSession& session);
int RunTransition(MarkSession& session);

}  // namespace mark_dialogs
}  // namespace ql
