// The "Measure End" (856, widget bracket) and "Octave" (864, octave line) dialogs on
// a working copy of the bracket's label and its endpoint; "Set image..." edits the
// copied label in the text-properties dialog. The bracket changes only on an OK that
// changes what the file would store. "Octave" also keeps the next drag commit from
// recomputing the label from the hook.
#include <cstring>

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/text/text_dialog_controls.h"
#include "core/text/text_object.h"
#include "core/ui/help.h"
#include "core/ui/selection_services.h"
#include "objects/spanners/spanner_classes.h"
#include "objects/spanners/spanner_dialog_resources.h"
#include "objects/spanners/spanner_interface.h"
#include "objects/spanners/spanner_objects.h"
#include "objects/text_marks/set_image_dialog.h"
#include "platform/sys/help.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using namespace spanner_dialog;
using platform::WindowHandle;

constexpr uint16_t kOctaveBelowBits = 0x0300;  // text flag bits 8 and 9

struct BracketValues {
    TextImage label;
    SpannerEndpoint endpoint{};
    bool operator==(const BracketValues& other) const {
        return SameStoredImage(label, other.label) && std::memcmp(&endpoint, &other.endpoint, sizeof endpoint) == 0;
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
    BracketValues values;
    values.label = TextImageOf(AsTextObject(object));
    values.endpoint = SpannerOf(object)->endpoint;
    return values;
}

// The label as the working values would show it, in the label's font.
void ShowPreview(WindowHandle dialog) {
    ScratchTextObject shown(*AsTextObject(g_run.object), g_run.working.label);
    FillTextDialogControls(&shown.get()->header, g_run.view, dialog, kLabelPreview);
}

void ChooseOctave(WindowHandle dialog, bool below) {
    BracketValues& v = g_run.working;
    TextObjectBody& label = v.label.body;
    int16_t& hook = v.endpoint.endHook;
    // A typed label gives way to the octave sign.
    if ((label.flags & kTextOwnsString) != 0) label.string = 0;
    v.label.text.clear();
    label.flags = static_cast<uint16_t>(label.flags & ~(kOctaveBelowBits | kTextOwnsString));
    if (below) {
        label.flags |= kOctaveBelowBits;
        if (label.string != kOctaveKeptBelowCode) label.string = kOctaveBelowCode;
        if (hook > 0) hook = static_cast<int16_t>(-hook);
    } else {
        label.string = kOctaveAboveCode;
        if (hook < 0) hook = static_cast<int16_t>(-hook);
    }
    ShowPreview(dialog);
}

void InitBracketDialog(WindowHandle dialog) {
    ui::CheckItem(dialog, kBracketDashed, (g_run.working.endpoint.style & kSpannerDashedMask) != 0);
    if (g_run.octave)
        ui::CheckRadioButton(dialog, kOctaveAbove, kOctaveBelow,
                             (g_run.working.label.body.flags & kOctaveBelowBits) != 0 ? kOctaveBelow : kOctaveAbove);
    ShowPreview(dialog);
}

void Commit() {
    TextObject* label = AsTextObject(g_run.object);
    const BracketValues& v = g_run.working;
    const bool labelChanged = !SameStoredImage(v.label, TextImageOf(label));
    // A typed label replaced by an octave sign gives its string up.
    if (labelChanged) ApplyTextImage(label, v.label);
    SpannerOf(g_run.object)->endpoint = v.endpoint;
    if (labelChanged) ClassOf(g_run.object).Measure(g_run.object, g_run.view);
    SetDocumentModified(g_run.view->document);
    if (g_run.octave) SkipNextOctaveFollow();
}

// The label edited in the text-properties dialog, on the working copy.
void SetImage(WindowHandle dialog) {
    win::EnableWindow(dialog, false);
    RunTextImageDialog(g_run.view, &g_run.working.label);
    win::EnableWindow(dialog, true);
    ShowPreview(dialog);
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
    } else if (id == kBracketSetImage) {
        SetImage(dialog);
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
