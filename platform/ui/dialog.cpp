// Building dialogs from templates, the modal and modeless runners, EndDialog and
// the dialog's keyboard handling.
// A modal run: find the template, build the hidden dialog and its controls, send
// InitDialog, show it, disable the owner, let the backend run it until EndDialog,
// then re-enable the owner (when it was enabled before) and destroy the dialog.
#include "platform/ui/dialog.h"

#include "platform/ui/backend.h"
#include "platform/ui/control_state.h"
#include "platform/ui/ui_model.h"
#include "platform/win/input.h"
#include "platform/win/message_loop.h"

namespace ql::ui {
namespace {

using detail::DialogState;
using detail::StateOf;

constexpr int32_t kDialogUnitsPerBaseX = 4;
constexpr int32_t kDialogUnitsPerBaseY = 8;

// Both edges are converted, so that controls that meet in dialog units meet in
// pixels whatever the font.
win::Rect ToPixels(int32_t x, int32_t y, int32_t cx, int32_t cy) {
    const DialogBaseUnits units = GetDialogBaseUnits();
    auto across = [&](int32_t v) { return v * units.x / kDialogUnitsPerBaseX; };
    auto down = [&](int32_t v) { return v * units.y / kDialogUnitsPerBaseY; };
    return win::Rect{across(x), down(y), across(x + cx), down(y + cy)};
}

win::Rect ToPixels(const DialogUnitRect& r) { return ToPixels(r.x, r.y, r.cx, r.cy); }

win::Rect Centred(win::Rect rect, WindowHandle owner) {
    win::Rect around = win::IsWindow(owner)
                           ? win::GetWindowRect(owner)
                           : win::Rect{0, 0, win::GetSystemMetric(win::SystemMetric::ScreenWidth),
                                       win::GetSystemMetric(win::SystemMetric::ScreenHeight)};
    int32_t left = around.left + (around.Width() - rect.Width()) / 2;
    int32_t top = around.top + (around.Height() - rect.Height()) / 2;
    return win::Rect{left, top, left + rect.Width(), top + rect.Height()};
}

bool CreateControls(WindowHandle dialog, const DialogTemplate& t) {
    WindowHandle previous;
    for (const ControlTemplate& c : t.controls) {
        win::WindowParams params;
        params.className = c.className;
        params.caption = c.text;
        params.style = c.style | win::kStyleChild;
        params.extendedStyle = c.extendedStyle;
        params.rect = ToPixels(c.rect);
        params.parent = dialog;
        params.id = c.id;
        WindowHandle control = win::CreateWindow(params);
        if (!control) return false;
        if (win::HasClassName(control, kUpDownClass) && (c.style & kUpDownAutoBuddy)) SetUpDownBuddy(control, previous);
        previous = control;
    }
    return true;
}

// The dialog itself is still hidden here, so a control's own visible bit counts.
WindowHandle FirstTabStop(WindowHandle dialog) {
    constexpr uint32_t kWanted = win::kStyleTabStop | win::kStyleVisible;
    for (WindowHandle c : win::ChildWindows(dialog))
        if ((win::GetStyle(c) & kWanted) == kWanted && win::IsWindowEnabled(c)) return c;
    return WindowHandle{};
}

WindowHandle BuildDialog(const DialogTemplate& t, const sys::ResourceId& id, WindowHandle owner,
                         DialogProc procedure, intptr_t initData, bool modal) {
    detail::EnsureControlClasses();
    win::Rect rect = ToPixels(t.rect);
    if (t.style & kDialogCentre) rect = Centred(rect, owner);
    win::WindowParams params;
    params.className = kDialogClass;
    params.caption = t.caption;
    params.style = (t.style & ~win::kStyleVisible & ~win::kStyleChild) | win::kStylePopup;
    params.rect = rect;
    params.owner = owner;
    WindowHandle dialog = win::CreateWindow(params);
    if (!dialog) return dialog;
    auto state = std::make_unique<DialogState>();
    state->procedure = std::move(procedure);
    state->templateId = id;
    state->modal = modal;
    win::SetWindowExtension(dialog, std::move(state));
    if (!CreateControls(dialog, t)) {
        win::DestroyWindow(dialog);
        return WindowHandle{};
    }
    WindowHandle first = FirstTabStop(dialog);
    intptr_t focusFirst = win::SendMessage(dialog, win::Message::InitDialog, first.bits, initData);
    if (!win::IsWindow(dialog)) return WindowHandle{};
    if (focusFirst != 0 && first) win::SetFocus(first);
    if (auto* s = StateOf<DialogState>(dialog); s && !s->ended) win::ShowWindow(dialog, win::ShowCommand::Show);
    return dialog;
}

// The focus went with the dialog's controls: it goes back to the window that had
// it before (when that window still exists), else to the owner.
void RestoreFocusAfterDialog(WindowHandle focused, WindowHandle owner) {
    if (win::GetFocus()) return;
    if (focused && win::IsWindow(focused))
        win::SetFocus(focused);
    else if (owner && win::IsWindow(owner))
        win::SetFocus(owner);
}

}  // namespace

intptr_t RunModalDialog(const sys::ResourceId& templateId, WindowHandle owner, DialogProc procedure,
                        intptr_t initData, sys::Lookup lookup) {
    auto t = sys::FindDialogTemplate(templateId, lookup);
    if (!t) return kDialogFailed;
    return RunModalDialogIndirect(*t, templateId, owner, std::move(procedure), initData);
}

intptr_t RunModalDialogIndirect(const DialogTemplate& dialogTemplate, const sys::ResourceId& templateId,
                                WindowHandle owner, DialogProc procedure, intptr_t initData) {
    bool ownerWasEnabled = win::IsWindowEnabled(owner);
    // The window that has the keyboard now gets it back when the dialog ends.
    const WindowHandle focused = win::GetFocus();
    if (ownerWasEnabled) win::EnableWindow(owner, false);
    ++detail::Ui().modalDepth;
    intptr_t result = kDialogFailed;
    WindowHandle dialog = BuildDialog(dialogTemplate, templateId, owner, std::move(procedure), initData, true);
    if (dialog) {
        CurrentUiBackend().RunModalLoop(dialog, templateId);
        if (auto* s = StateOf<DialogState>(dialog); s && s->ended) result = s->result;
        win::DestroyWindow(dialog);
    }
    --detail::Ui().modalDepth;
    if (ownerWasEnabled) win::EnableWindow(owner, true);
    RestoreFocusAfterDialog(focused, owner);
    CurrentUiBackend().ModalDialogEnded(templateId, result);
    return result;
}

WindowHandle CreateModelessDialog(const sys::ResourceId& templateId, WindowHandle owner, DialogProc procedure,
                                  intptr_t initData, sys::Lookup lookup) {
    auto t = sys::FindDialogTemplate(templateId, lookup);
    if (!t) return WindowHandle{};
    return BuildDialog(*t, templateId, owner, std::move(procedure), initData, false);
}

bool EndDialog(WindowHandle dialog, intptr_t result) {
    auto* s = StateOf<DialogState>(dialog);
    if (!s) return false;
    s->ended = true;
    s->result = result;
    if (!s->modal) win::ShowWindow(dialog, win::ShowCommand::Hide);
    return true;
}

bool IsDialog(WindowHandle window) { return StateOf<DialogState>(window) != nullptr; }

sys::ResourceId GetDialogTemplateId(WindowHandle dialog) {
    auto* s = StateOf<DialogState>(dialog);
    return s ? s->templateId : sys::ResourceId{0};
}

WindowHandle GetDialogItem(WindowHandle dialog, int32_t id) { return win::FindChildById(dialog, id); }

win::Rect MapDialogRect(WindowHandle, win::Rect dialogUnits) {
    return ToPixels(dialogUnits.left, dialogUnits.top, dialogUnits.Width(), dialogUnits.Height());
}

DialogBaseUnits GetDialogBaseUnits() { return CurrentUiBackend().DialogFontUnits(); }

void PlaceDialogAtPointer(WindowHandle dialog, bool leftAtPointer) {
    const win::Rect frame = win::GetWindowRect(dialog);
    const win::Point pointer = win::GetCursorPosition();
    const int32_t left = leftAtPointer ? pointer.x : frame.left;
    const int32_t top = pointer.y - frame.Height() / 2;
    win::MoveWindow(dialog, win::Rect{left, top, left + frame.Width(), top + frame.Height()}, false);
}

}  // namespace ql::ui
