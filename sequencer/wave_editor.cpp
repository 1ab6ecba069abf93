// The wave editor's window: a modal window over the dialog that opens it, holding
// the drawing area (class "EditMIDIWave") with OK and Cancel. The area paints the
// frame and the curves, and drags a control point with the left button, erasing
// and redrawing the curves in XOR on its backing store at each move.
#include <memory>

#include "core/ui/modal_boxes.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/ui/dialog.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "sequencer/wave_editor.h"

namespace ql {
namespace {

using platform::DcHandle;
using platform::WindowHandle;

constexpr int32_t kStateLong = 0;  // the area's slot holding its WaveEditorState

WaveEditorState* StateOf(WindowHandle area) {
    return reinterpret_cast<WaveEditorState*>(win::GetWindowLong(area, kStateLong));
}

gfx::Mapping AreaMapping(WindowHandle area) {
    const win::Rect client = win::GetClientRect(area);
    return WaveMapping({client.Width(), client.Height()});
}

void ApplyMapping(DcHandle dc, const gfx::Mapping& m) {
    gfx::SetMapMode(dc, m.mode);
    gfx::SetWindowExtent(dc, m.windowExtent);
    gfx::SetViewportExtent(dc, m.viewportExtent);
    gfx::SetWindowOrigin(dc, m.windowOrigin);
    gfx::SetViewportOrigin(dc, m.viewportOrigin);
}

gfx::Point PointerOf(WindowHandle area, intptr_t data) {
    return gfx::MapDeviceToLogical(AreaMapping(area), win::UnpackPoint(data));
}

void Paint(WindowHandle area) {
    win::PaintInfo info;
    const DcHandle dc = win::BeginPaint(area, info);
    if (dc) {
        const win::Rect client = win::GetClientRect(area);
        gfx::FillRect(dc, client, gfx::GetStockBrush(gfx::StockBrush::White));
        ApplyMapping(dc, AreaMapping(area));
        DrawWaveFrame(dc);
        if (const WaveEditorState* state = StateOf(area)) DrawWaveHandles(dc, *state);
    }
    win::EndPaint(area, info);
}

// Erases the curves, moves the selected point and draws them again.
void Drag(WindowHandle area, WaveEditorState* state, gfx::Point to) {
    const DcHandle dc = win::GetWindowContext(area);
    if (!dc) return;
    ApplyMapping(dc, AreaMapping(area));
    DrawWaveHandles(dc, *state);
    DragWavePoint(state, to);
    DrawWaveHandles(dc, *state);
    win::ReleaseWindowContext(area, dc);
}

intptr_t MidiWaveWndProc(WindowHandle area, win::Message message, uint32_t word, intptr_t data) {
    WaveEditorState* state = StateOf(area);
    switch (message) {
        case win::Message::Paint:
            Paint(area);
            return 0;
        case win::Message::LeftButtonDown:
            if (state == nullptr) return 0;
            state->last = PointerOf(area, data);
            state->selected = HitWavePoint(*state, state->last);
            state->dragging = state->selected > 0;
            if (state->dragging) win::SetCapture(area);
            return 0;
        case win::Message::MouseMove:
            if (state != nullptr && state->dragging) Drag(area, state, PointerOf(area, data));
            return 0;
        case win::Message::LeftButtonUp:
            if (state != nullptr && state->dragging) {
                state->dragging = false;
                win::ReleaseCapture();
            }
            return 0;
        default:
            return win::DefaultWindowProc(area, message, word, data);
    }
}

bool EnsureWaveClass() {
    if (win::IsClassRegistered(kWaveEditorClass)) return true;
    win::WindowClass cls;
    cls.name = kWaveEditorClass;
    cls.procedure = MidiWaveWndProc;
    cls.extraBytes = 4;
    return win::RegisterWindowClass(cls);
}

ui::DialogTemplate WaveEditorTemplate() {
    auto control = [](const char* cls, int32_t id, const char* text, ui::DialogUnitRect rect, uint32_t style) {
        return ui::ControlTemplate{cls, id, text, rect, style | win::kStyleVisible | win::kStyleTabStop, 0};
    };
    ui::DialogTemplate t;
    t.caption = kWaveEditorCaption;
    t.rect = ui::DialogUnitRect{0, 0, 280, 190};
    t.style = ui::kDialogCentre | ui::kDialogModalFrame | win::kStyleCaption;
    t.controls = {
        control(kWaveEditorClass, kWaveAreaId, "", ui::DialogUnitRect{7, 7, 266, 150}, 0),
        control(ui::kButtonClass, ui::kIdOk, "OK", ui::DialogUnitRect{152, 166, 52, 16}, ui::kButtonDefaultPush),
        control(ui::kButtonClass, ui::kIdCancel, "Cancel", ui::DialogUnitRect{214, 166, 52, 16}, ui::kButtonPush),
    };
    return t;
}

}  // namespace

int OpenMidiWaveEditor(WindowHandle owner, EnvelopeRecord* record) {
    if (record == nullptr) return ui::kIdCancel;
    if (!EnsureWaveClass()) {
        ModalMessageBox("Unable to open the MIDI Wave Editor.", kWaveEditorCaption, ui::kBoxOk | ui::kBoxIconExclamation);
        return ui::kIdCancel;
    }
    WaveEditorState state = WaveStateFromRecord(*record);
    auto procedure = [&state, record](WindowHandle dialog, win::Message m, uint32_t word, intptr_t) -> intptr_t {
        if (m == win::Message::InitDialog) {
            win::SetWindowLong(ui::GetDialogItem(dialog, kWaveAreaId), kStateLong, reinterpret_cast<intptr_t>(&state));
            return 1;
        }
        if (m != win::Message::Command) return 0;
        const auto id = static_cast<int32_t>(win::CommandId(word));
        if (id == ui::kIdOk) {
            WriteWavePoints(state, record);
            return ui::EndDialog(dialog, ui::kIdOk);
        }
        if (id == ui::kIdCancel) return ui::EndDialog(dialog, ui::kIdCancel);
        return 0;
    };
    const intptr_t result =
        ui::RunModalDialogIndirect(WaveEditorTemplate(), kWaveEditorDialogId, owner, procedure);
    return result == ui::kIdOk ? ui::kIdOk : ui::kIdCancel;
}

}  // namespace ql
