// The attribute dialogs of the box (804), the circle (809) and the line (825): a
// working copy of the object's body, its frame colour, interior and width radios,
// and a specified width in 128ths of a space (values 5 and up; the codes 0..4 are
// the four width buttons and a whole space). OK copies the working body into the
// object; Cancel leaves it. A specified width outside 5..255 is kept to that range,
// the pen widths a body can store.
#include <algorithm>

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/help.h"
#include "core/ui/selection_services.h"
#include "objects/graphics/graphic_class.h"
#include "objects/graphics/shape_dialog_resources.h"
#include "platform/sys/help.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"

namespace ql {
namespace {

using namespace shape_dialog;
using platform::WindowHandle;

constexpr uint8_t kLastWidthCode = 4;
constexpr uint8_t kFirstSpecifiedWidth = 5;
constexpr uint8_t kLargestSpecifiedWidth = 255;
constexpr uint32_t kWidthEditChars = 7;

// One run of a dialog: the object, its working body, the width edit and whether the
// width is specified rather than a code.
struct GraphicDialogRun {
    ScoreObject* object = nullptr;
    ScoreDocument* document = nullptr;
    GraphicBody working{};
    int32_t widthEdit = kBoxWidthEdit;
    bool hasArea = true;  // frame and interior controls (box and circle)
    bool specified = false;
};

GraphicDialogRun g_run;

void ShowWidth(WindowHandle dialog) {
    const GraphicBody& body = g_run.working;
    g_run.specified = body.penWidth > kLastWidthCode;
    if (g_run.specified) ui::CheckRadioButton(dialog, kFirstWidth, kSpecified, kSpecified);
    else if (body.penWidth < kLastWidthCode)
        ui::CheckRadioButton(dialog, kFirstWidth, kSpecified, kFirstWidth + body.penWidth);
    char text[kFixedTextBytes];
    ui::SetItemText(dialog, g_run.widthEdit, FormatFixed128(body.penWidth, text, sizeof text));
    ui::SetEditLimit(ui::GetDialogItem(dialog, g_run.widthEdit), kWidthEditChars);
}

void InitGraphicDialog(WindowHandle dialog) {
    const GraphicBody& body = g_run.working;
    if (g_run.hasArea) {
        ui::CheckRadioButton(dialog, kFrameBlack, kFrameWhite, body.colour == 0 ? kFrameBlack : kFrameWhite);
        if (body.style <= 2) ui::CheckRadioButton(dialog, kInteriorBlack, kInteriorNone, kInteriorBlack + body.style);
    }
    ShowWidth(dialog);
    EnableHelpButton(dialog, nullptr);
}

// The specified width read back, kept to the widths a body can store.
uint8_t ReadSpecifiedWidth(WindowHandle dialog) {
    int16_t value = ParseFixed128(ui::GetItemText(dialog, g_run.widthEdit));
    return static_cast<uint8_t>(std::clamp<int>(value, kFirstSpecifiedWidth, kLargestSpecifiedWidth));
}

void CommitWorkingBody(WindowHandle dialog) {
    if (g_run.specified) g_run.working.penWidth = ReadSpecifiedWidth(dialog);
    AsGraphicObject(g_run.object)->body = g_run.working;
    if (g_run.document != nullptr) SetDocumentModified(g_run.document);
}

intptr_t OnCommand(WindowHandle dialog, int32_t id) {
    GraphicBody& body = g_run.working;
    if (id == ui::kIdOk) {
        CommitWorkingBody(dialog);
        ui::EndDialog(dialog, ui::kIdOk);
    } else if (id == ui::kIdCancel) {
        ui::EndDialog(dialog, ui::kIdCancel);
    } else if (id == kFrameBlack || id == kFrameWhite) {
        body.colour = static_cast<uint8_t>(id - kFrameBlack);
    } else if (id >= kInteriorBlack && id <= kInteriorNone) {
        body.style = static_cast<uint8_t>(id - kInteriorBlack);
    } else if (id >= kFirstWidth && id <= kLastWidth) {
        body.penWidth = static_cast<uint8_t>(id - kFirstWidth);
        g_run.specified = false;
    } else if (id == kSpecified) {
        g_run.specified = true;
    } else if (id == kLogo) {
        ShowHelp(dialog, sys::HelpCommand::Context, kHelpContext, nullptr);
    } else {
        return 0;
    }
    return 1;
}

intptr_t GraphicDialogProc(WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) {
    switch (message) {
    case win::Message::InitDialog: InitGraphicDialog(dialog); return 1;
    case win::Message::Command: return OnCommand(dialog, static_cast<int32_t>(win::CommandId(word)));
    case win::Message::Help: return ShowHelp(dialog, sys::HelpCommand::Context, kHelpContext, nullptr);
    case win::Message::DrawItem: return DrawDialogLogo(reinterpret_cast<const win::DrawItemInfo*>(data));
    case win::Message::VerticalScroll: {
        win::ScrollCode code = win::ScrollCodeOf(word);
        if (code != win::ScrollCode::LineUp && code != win::ScrollCode::LineDown) return 0;
        ClampEditNonNegative(dialog, g_run.widthEdit - 1, code == win::ScrollCode::LineDown);
        return 1;
    }
    default: return 0;
    }
}

int RunGraphicDialog(ScoreObject* object, ScoreView* view, int dialogId, int32_t widthEdit, bool hasArea) {
    if (object == nullptr || view == nullptr) return 0;
    g_run = GraphicDialogRun{};
    g_run.object = object;
    g_run.document = view->document;
    g_run.working = AsGraphicObject(object)->body;
    g_run.widthEdit = widthEdit;
    g_run.hasArea = hasArea;
    int result = RunEditorDialog(view, &GraphicDialogProc, dialogId);
    CommitFocusedElement(view);
    g_run = GraphicDialogRun{};
    return result == ui::kIdOk ? 1 : 0;
}

}  // namespace

int BoxClass::EditAttributes(ScoreObject* object, ScoreView* view) const {
    int32_t edit = DialogId() == kCircleDialogId ? kCircleWidthEdit : kBoxWidthEdit;
    return RunGraphicDialog(object, view, DialogId(), edit, true);
}

int LineClass::EditAttributes(ScoreObject* object, ScoreView* view) const {
    return RunGraphicDialog(object, view, kLineDialogId, kBoxWidthEdit, false);
}

}  // namespace ql
