// The dialogs of the placed marks (see mark_dialogs.h). Each edits the document's
// prototype of the mark's type as a scratch copy: it takes the mark's action bytes
// and object data on opening, and gives them back to the mark on an OK whose stored
// form differs (unless the always-commit byte is set). The prototype's own bytes are
// put back when the dialog ends, so that it never shares a string with a mark.
#include "objects/midi_marks/mark_dialogs.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/objects/midi_action.h"
#include "core/text/text_object.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/help.h"
#include "core/ui/midi_services.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/selection_services.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "files/records/text_record_io.h"
#include "objects/midi_marks/mark_classes.h"
#include "objects/midi_marks/mark_dialog_resources.h"
#include "objects/midi_marks/mark_dialogs_internal.h"
#include "objects/midi_marks/mark_internal.h"
#include "objects/text_marks/set_image_dialog.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"

namespace ql {
namespace mark_dialogs {
namespace {

MarkSession* current = nullptr;

// The object data the scratch copy takes: everything of the text object after its
// class word; the run-time caches are the mark's and stay with it.
void CopyObjectData(ScoreObject* target, const ScoreObject* source) {
    constexpr size_t kAfterClass = sizeof(ClassId);
    std::memcpy(reinterpret_cast<std::byte*>(target) + kAfterClass,
                reinterpret_cast<const std::byte*>(source) + kAfterClass, kTextObjectBytes - kAfterClass);
}

void CopyActionBytes(MidiAction* target, const MidiAction* source) {
    std::memcpy(&target->head, &source->head, kMidiActionFileBytes);
}

void ClearCaches(TextObject* text) {
    text->body.fontCache = 0;
    text->body.bitmapCache = 0;
}

}  // namespace

MarkSession* CurrentSession() {
    return current;
}

int RunSession(ScoreView* view, ScoreObject* mark, int dialogId, EditorDialogProc procedure) {
    if (view == nullptr || view->document == nullptr || mark == nullptr) return ui::kIdCancel;
    if (mark->type >= kObjectTypeCount) return ui::kIdCancel;
    ScoreObject* scratch = view->document->prototypes[mark->type];
    if (scratch == nullptr) return ui::kIdCancel;
    MarkSession session{view, mark, scratch};
    std::memcpy(&session.savedPrototype, MidiTextRecordOfText(scratch), sizeof(MidiTextRecord));
    // The scratch action gets its own data bytes, so that the action dialogs may
    // replace or free them without touching the mark's.
    // Data that does not resolve counts as none: the copy is then a plain action.
    if (!CopyConstructMidiAction(MidiActionOfText(scratch), MidiActionOfText(mark)) &&
        MidiActionDataBytes(*MidiActionOfText(mark)) != nullptr) {
        std::memcpy(MidiTextRecordOfText(scratch), &session.savedPrototype, sizeof(MidiTextRecord));
        return ui::kIdCancel;
    }
    CopyObjectData(scratch, mark);
    ClearCaches(AsTextObject(scratch));
    MarkSession* outer = current;
    current = &session;
    const intptr_t result = RunEditorDialog(view, procedure, dialogId);
    current = outer;
    if (!session.committed) DestroyMidiAction(MidiActionOfText(scratch));
    std::memcpy(MidiTextRecordOfText(scratch), &session.savedPrototype, sizeof(MidiTextRecord));
    return result == ui::kIdOk ? ui::kIdOk : ui::kIdCancel;
}

bool CommitSession(MarkSession& session) {
    if (!AlwaysCommit() && MarkStoresSame(session.scratch, session.mark)) return false;
    ScoreView* view = session.view;
    ScoreDocument* document = view->document;
    UndoStep step(document, view, UndoKind::Item, session.mark->type, UndoVerb::Modify);
    TextObject* mark = AsTextObject(session.mark);
    const TextObjectBody kept = mark->body;
    MidiAction replaced = *MidiActionOfText(session.mark);
    CopyActionBytes(MidiActionOfText(session.mark), MidiActionOfText(session.scratch));
    DestroyMidiAction(&replaced);  // the mark's old data bytes
    session.committed = true;
    CopyObjectData(session.mark, session.scratch);
    mark->body.fontCache = kept.fontCache;
    mark->body.bitmapCache = kept.bitmapCache;
    SetDocumentModified(document);
    if (session.imageChanged) InvalidateLinkedViews(view);
    return true;
}

void EndSession(platform::WindowHandle dialog, MarkSession& session, bool ok) {
    if (ok) {
        ui::EndDialog(dialog, CommitSession(session) ? ui::kIdOk : ui::kIdCancel);
        return;
    }
    if (session.imageChanged) InvalidateLinkedViews(session.view);
    ui::EndDialog(dialog, ui::kIdCancel);
}

bool EndedWithoutView(platform::WindowHandle dialog) {
    if (GetActiveView(dialog) != nullptr && current != nullptr) return false;
    ui::EndDialog(dialog, ui::kIdCancel);
    return true;
}

MidiAction& ScratchAction() {
    return *MidiActionOfText(current->scratch);
}

uint8_t ScratchTiming() {
    return MidiTimingOf(ScratchAction());
}

void SetScratchTiming(uint8_t timing) {
    MidiAction& action = ScratchAction();
    if (IsDataCarrying(action)) return;  // the envelope's own dialog changes it
    action.destinationTiming = static_cast<uint8_t>((action.destinationTiming & kMidiDestinationMask) |
                                                    (timing << kMidiTimingShift));
}

void ToggleScratchFlag(uint16_t flag) {
    ScratchAction().flags ^= flag;
}

int16_t ReadSigned16(platform::WindowHandle dialog, int32_t id, int16_t fallback) {
    using Limits = std::numeric_limits<int16_t>;
    const std::optional<int32_t> typed = ui::GetItemInt(dialog, id);
    return typed ? static_cast<int16_t>(std::clamp<int32_t>(*typed, Limits::min(), Limits::max())) : fallback;
}

bool AnswerDialogHelp(platform::WindowHandle dialog, win::Message message, uint32_t word, intptr_t data,
                      uint32_t helpId, intptr_t* result) {
    if (message == win::Message::Help) {
        *result = ShowDialogContextHelp(dialog, helpId, reinterpret_cast<const win::HelpInfo*>(data));
        return true;
    }
    if (message == win::Message::DrawItem) {
        *result = DrawDialogLogo(reinterpret_cast<const win::DrawItemInfo*>(data));
        return *result != 0;
    }
    if (message == win::Message::Command && win::CommandId(word) == static_cast<uint32_t>(mark_dialog::kLogo)) {
        *result = ShowDialogContextHelp(dialog, helpId, nullptr);
        return true;
    }
    return false;
}

// The bodies of the scratch copy and the mark change places while the text dialog
// runs on the mark, so that the scratch copy receives the new symbol and font.
void RunSetImage(MarkSession& session) {
    TextObjectBody& scratch = AsTextObject(session.scratch)->body;
    TextObjectBody& mark = AsTextObject(session.mark)->body;
    std::swap(scratch, mark);
    const int changed = OpenTextPropertiesDialog(session.mark, session.view);
    std::swap(scratch, mark);
    if (changed == 1) session.imageChanged = true;
}

int RunOutputDestination(MarkSession& session) {
    return EditOutputDestination(session.view, MidiActionOfText(session.scratch));
}

int RunTransition(MarkSession& session) {
    return EditTransition(session.view, MidiActionOfText(session.scratch));
}

}  // namespace mark_dialogs

bool MarkStoresSame(ScoreObject* scratch, ScoreObject* mark) {
    ByteWriter scratchBytes;
    ByteWriter markBytes;
    EncodeMidiTextRecord(scratch, scratchBytes);
    EncodeMidiTextRecord(mark, markBytes);
    return scratchBytes.Buffer() == markBytes.Buffer();
}

}  // namespace ql
