// Modal message boxes and dialogs: palette disabling, the flag the view's message
// handling reads, the stack of views that opened dialogs and the nesting limit.
#include "core/ui/modal_boxes.h"

#include <optional>

#include "core/draw/draw_surface.h"
#include "core/model/document_context.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/model/view.h"
#include "platform/gfx/mapping.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "platform/win/window.h"

namespace ql {
namespace {

constexpr char kPaletteClass[] = "Palette";
constexpr char kPaletteButtonClass[] = "Button";
constexpr int kPackedYShift = 16;
constexpr uint32_t kPackedXMask = 0xFFFF;

// Keeps ModalFlag, sets it for the box, and on every exit restores it. A box or
// dialog of a view activates that view when it ends (the view still listed). A box
// of no view leaves current what was current when it came up (document, pools,
// active view), whatever its message loop ran: a box shown while one score is saved
// or painted never hands that work another score's pools.
class ModalFlagScope {
  public:
    explicit ModalFlagScope(ScoreView* view) : view_(view), kept_(State().dialogs.ModalFlag) {
        if (view_ == nullptr) context_.emplace();
        State().dialogs.ModalFlag = 1;
    }
    ~ModalFlagScope() {
        State().dialogs.ModalFlag = 0;
        if (IsViewListed(view_)) ActivateView(view_);
        State().dialogs.ModalFlag = kept_;
    }
    ModalFlagScope(const ModalFlagScope&) = delete;
    ModalFlagScope& operator=(const ModalFlagScope&) = delete;

  private:
    std::optional<KeptDocumentContext> context_;  // destroyed after the flag is back
    ScoreView* view_;
    uint8_t kept_;
};

// Disables the palettes for the box; enables them when it ends, whatever the
// nesting.
class PalettesDisabled {
  public:
    PalettesDisabled() { EnablePalettes(false); }
    ~PalettesDisabled() { EnablePalettes(true); }
    PalettesDisabled(const PalettesDisabled&) = delete;
    PalettesDisabled& operator=(const PalettesDisabled&) = delete;
};

// The view's pointer point, in client pixels, converted to logical units on the
// view's measuring context.
void ConvertPointerToLogical(ScoreView* view) {
    BeginViewDraw(view);
    if (platform::DcHandle dc = MeasuringContext(view))
        view->pointerPoint = gfx::DeviceToLogical(dc, view->pointerPoint);
    EndViewDraw(view);
}

// The language bundle's template, else the program's own.
intptr_t RunDialogFromBundles(const sys::ResourceId& templateId, ui::DialogProc procedure) {
    platform::WindowHandle frame = State().dialogs.FrameWindow;
    intptr_t result =
        ui::RunModalDialog(templateId, frame, procedure, 0, sys::Lookup::LanguageOnly);
    if (result == ui::kDialogFailed && sys::HasLanguageBundle())
        result = ui::RunModalDialog(templateId, frame, procedure, 0, sys::Lookup::ProgramOnly);
    return result;
}

}  // namespace

void EnablePalettes(bool enable) {
    for (platform::WindowHandle palette : win::TopLevelWindows({kPaletteClass, true})) {
        win::EnableWindow(palette, enable);
        for (platform::WindowHandle button :
             win::ChildWindows(palette, {kPaletteButtonClass, true}))
            win::EnableWindow(button, enable);
    }
}

int ModalMessageBox(std::string_view text, std::string_view caption, uint32_t style) {
    ModalFlagScope flag(nullptr);
    PalettesDisabled palettes;
    return ui::ShowMessageBox(State().dialogs.FrameWindow, text, caption, style);
}

int ViewMessageBox(ScoreView* view, std::string_view text, std::string_view caption,
                   uint32_t style) {
    ModalFlagScope flag(view);
    return ui::ShowMessageBox(IsViewListed(view) ? view->ViewWindow : platform::WindowHandle{},
                              text, caption, style);
}

intptr_t ModalDialogBox(ScoreView* view, const sys::ResourceId& templateId,
                        ui::DialogProc procedure) {
    DialogGlobals& dialogs = State().dialogs;
    if (dialogs.DialogDepth >= kMaxDialogDepth) return ui::kIdCancel;
    ++dialogs.DialogDepth;
    dialogs.ActiveViewStack[dialogs.DialogDepth] = view;
    intptr_t result = 0;
    {
        ModalFlagScope flag(view);
        PalettesDisabled palettes;
        result = RunDialogFromBundles(templateId, std::move(procedure));
    }
    if (dialogs.DialogDepth > 0) --dialogs.DialogDepth;
    return result;
}

intptr_t PlainModalDialogBox(const sys::ResourceId& templateId, ui::DialogProc procedure) {
    ModalFlagScope flag(nullptr);
    PalettesDisabled palettes;
    return RunDialogFromBundles(templateId, std::move(procedure));
}

ScoreView* GetActiveView(platform::WindowHandle /*dialog*/) {
    const DialogGlobals& dialogs = State().dialogs;
    if (dialogs.DialogDepth <= 0 || dialogs.DialogDepth > kMaxDialogDepth) return nullptr;
    ScoreView* view = dialogs.ActiveViewStack[dialogs.DialogDepth];
    if (!IsViewListed(view) || view->document == nullptr) return nullptr;
    return view;
}

uint32_t CursorToLogical(ScoreView* view, platform::WindowHandle window) {
    win::Point client = win::ScreenToClient(window, win::GetCursorPosition());
    if (IsViewListed(view)) {
        view->pointerPoint = client;
        ConvertPointerToLogical(view);
    }
    return (static_cast<uint32_t>(client.y) << kPackedYShift) |
           (static_cast<uint32_t>(client.x) & kPackedXMask);
}

}  // namespace ql
