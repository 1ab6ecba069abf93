// The "Measure End" (856, widget bracket) and "Octave" (864, octave line) dialogs on
// a working copy of the bracket's label flags and code and its endpoint; the
// bracket changes only on an OK that changes what the file would store. "Octave"
// also keeps the next drag commit from recomputing the label from the hook.
#include <cstring>

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/text/text_dialog_controls.h"
#include "core/text/text_object.h"
#include "core/ui/help.h"
#include "editing/editor_dialog.h"
#include "editing/selection.h"
#include "objects/spanners/spanner_classes.h"
#include "objects/spanners/spanner_interface.h"
#include "objects/spanners/spanner_objects.h"
#include "platform/sys/help.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "shell/resources/spanner_dialog_resources.h"

namespace ql {
namespace {

using namespace spanner_dialog;
using platform::WindowHandle;

constexpr uint16_t kOctaveBelowBits = 0x0300;  // text flag bits 8 and 9

struct BracketValues {
    uint16_t flags = 0;
    uint16_t code = 0;  // the one-character label (no owned string)
    SpannerEndpoint endpoint{};
    bool operator==(const BracketValues& other) const {
        return flags == other.flags && code == other.code &&
               std::memcmp(&endpoint, &other.endpoint, sizeof endpoint) == 0;
    }
};

struct BracketDialogRun {
    ScoreObject* object = nullptr;
    ScoreView* view = nullptr;
    bool octave = false;
    BracketValues working;
};

BracketDialogRun g_run;

BracketValues ValuesOf(ScoreObject* object) {
    const TextObject* label = AsTextObject(object);
    BracketValues values;
    values.flags = label->body.flags;
    values.code = (label->body.flags & kTextOwnsString) != 0 ? 0 : label->body.string;
    values.endpoint = SpannerOf(object)->endpoint;
    return values;
}

// The label as the working values would show it, in the label's font.
void ShowPreview(WindowHandle dialog) {
    const BracketValues& v = g_run.working;
    TextObject shown = *AsTextObject(g_run.object);
    shown.body.flags = v.flags;
    if ((v.flags & kTextOwnsString) == 0) shown.body.string = v.code;
    FillTextDialogControls(&shown.header, g_run.view, dialog, kLabelPreview);
}

void ChooseOctave(WindowHandle dialog, bool below) {
    BracketValues& v = g_run.working;
    int16_t& hook = v.endpoint.endHook;
    v.flags = static_cast<uint16_t>(v.flags & ~(kOctaveBelowBits | kTextOwnsString));
    if (below) {
        v.flags |= kOctaveBelowBits;
        if (v.code != kOctaveKeptBelowCode) v.code = kOctaveBelowCode;
        if (hook > 0) hook = static_cast<int16_t>(-hook);
    } else {
        v.code = kOctaveAboveCode;
        if (hook < 0) hook = static_cast<int16_t>(-hook);
    }
    ShowPreview(dialog);
}

void InitBracketDialog(WindowHandle dialog) {
    ui::CheckItem(dialog, kBracketDashed, (g_run.working.endpoint.style & kSpannerDashedMask) != 0);
    if (g_run.octave)
        ui::CheckRadioButton(dialog, kOctaveAbove, kOctaveBelow,
                             (g_run.working.flags & kOctaveBelowBits) != 0 ? kOctaveBelow : kOctaveAbove);
    ShowPreview(dialog);
}

void Commit() {
    TextObject* label = AsTextObject(g_run.object);
    const BracketValues& v = g_run.working;
    // A typed label replaced by an octave sign gives its string up.
    if ((label->body.flags & kTextOwnsString) != 0 && (v.flags & kTextOwnsString) == 0)
        DestroyTextObject(label);
    label->body.flags = v.flags;
    if ((v.flags & kTextOwnsString) == 0) label->body.string = v.code;
    SpannerOf(g_run.object)->endpoint = v.endpoint;
    SetDocumentModified(g_run.view->document);
    if (g_run.octave) SkipNextOctaveFollow();
}

intptr_t OnCommand(WindowHandle dialog, int32_t id) {
    if (id == ui::kIdOk) {
        const bool changed = !(g_run.working == ValuesOf(g_run.object));
        if (changed) Commit();
        ui::EndDialog(dialog, changed ? ui::kIdOk : ui::kIdCancel);
    } else if (id == ui::kIdCancel) {
        ui::EndDialog(dialog, ui::kIdCancel);
    } else if (id == kBracketDashed) {
        uint8_t& style = g_run.working.endpoint.style;
        style = static_cast<uint8_t>((style & kSpannerHookFirstMask) | ((style & kSpannerDashedMask) == 0 ? 1 : 0));
    } else if (g_run.octave && (id == kOctaveAbove || id == kOctaveBelow)) {
        ChooseOctave(dialog, id == kOctaveBelow);
    } else {
        return 0;
    }
    return 1;
}

intptr_t BracketDialogProc(WindowHandle dialog, win::Message message, uint32_t word, intptr_t) {
    const uint32_t help = g_run.octave ? kOctaveHelp : kMeasureEndHelp;
    switch (message) {
    case win::Message::InitDialog: InitBracketDialog(dialog); return 1;
    case win::Message::Command: return OnCommand(dialog, static_cast<int32_t>(win::CommandId(word)));
    case win::Message::Help: return ShowHelp(dialog, sys::HelpCommand::Context, help, nullptr);
    default: return 0;
    }
}

}  // namespace

int RunBracketDialog(ScoreObject* object, ScoreView* view) {
    if (object == nullptr || view == nullptr || view->document == nullptr) return 0;
    g_run = BracketDialogRun{};
    g_run.object = object;
    g_run.view = view;
    g_run.octave = object->type == TypeCode(ObjectType::Octave);
    g_run.working = ValuesOf(object);
    const int result = RunEditorDialog(view, &BracketDialogProc, g_run.octave ? kOctaveDialog : kMeasureEndDialog);
    CommitFocusedElement(view);
    g_run = BracketDialogRun{};
    return result == ui::kIdOk ? 1 : 0;
}

}  // namespace ql
