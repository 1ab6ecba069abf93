// The keys of a score window: Ctrl with the clipboard and undo keys, Insert and
// Shift+Delete with the block clipboard, the first key table (Escape, paging, Home,
// tempo and zoom steps), the second (Enter, Space for the transport, palette and
// quick-zoom digits, pointer letters, the G prefix, Save, zoom back, help, find,
// refresh; its letters typed alone read through the language's key letters), the
// arrow keys that move or drag at the pointer, the mouse shortcuts and the wheel.
#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "core/core_strings.h"
#include "core/draw/draw_surface.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/settings/score_settings.h"
#include "core/state.h"
#include "core/ui/command_letters.h"
#include "core/ui/help.h"
#include "core/ui/status_bar.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "display/navigation.h"
#include "display/view_location.h"
#include "display/view_modes.h"
#include "display/view_pointer.h"
#include "display/view_scroll.h"
#include "display/zoom.h"
#include "editing/block_clipboard.h"
#include "editing/palette_windows.h"
#include "editing/selection.h"
#include "editing/tool_dispatch.h"
#include "editing/tools.h"
#include "objects/picture/picture_class.h"
#include "platform/win/input.h"
#include "platform/win/keys.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/timers.h"
#include "platform/win/window.h"
#include "shell/program/program_ids.h"
#include "shell/program/rulers.h"
#include "shell/program/sequencer_window.h"
#include "shell/program/view_procedures.h"
#include "shell/program/view_procedures_internal.h"
#include "shell/program/view_transport.h"
#include "shell/shell_services.h"

namespace ql {
namespace {

using platform::WindowHandle;
using win::Key;
using Msg = win::Message;

constexpr int32_t kOriginStart = -30720;
constexpr int32_t kDeepestOrigin = 28671;
constexpr int32_t kPointerStep = 64;
constexpr int kPageSteps = 4;
constexpr int kMarqueeType = 0;
constexpr int kPictureType = 53;
constexpr int kAreaType = 19;
constexpr int kNoteType = 29;
constexpr int kRestType = TypeCode(ObjectType::Rest);
constexpr int kStepValueZoomIn = 1;
constexpr int32_t kWheelNotch = 120;
constexpr uint64_t kWheelZoomPauseMs = 500;

namespace command {
constexpr int kCopy = 57634;
constexpr int kCut = 57635;
constexpr int kCopyToEnd = 57642;
constexpr int kSave = 57603;
constexpr int kRefresh = 40131;
constexpr int kStartPlayback = 42035;
constexpr int kPause = 42038;
constexpr int kUndo = 57643;
}  // namespace command

constexpr uint32_t K(Key key) {
    return static_cast<uint32_t>(key);
}

SelectionState* Sel() {
    return State().documents.Selection;
}

intptr_t ToTool(ScoreView* view, WindowHandle window, Msg message, uint32_t flags, intptr_t data,
                bool ctrl) {
    return DispatchToCurrentTool(view, window, message, flags, data, ctrl);
}

// The Zoom group's object steps its value (the zoom at the pointer).
void StepAreaValue(ScoreView* view, int step) {
    ScoreObject* area = view->document->prototypes[kAreaType];
    if (area != nullptr) ClassOf(area).StepValue(area, view, step);
}

void UndoOrRedo(ScoreView* view, bool undo) {
    if (undo)
        UndoCommand(view->document, view);
    else
        RedoCommand(view->document, view);
    UpdateToolbarButtons(view);
}

void StepTempo(ScoreView* view, int direction) {
    const int tempo = std::clamp(static_cast<int>(TempoSetting()) + direction, 1, 0xFFFF);
    SetTempoSetting(static_cast<uint16_t>(tempo));
    char text[96];
    std::snprintf(text, sizeof text, " %s = %d", ProgramString(kStrTempo).c_str(), tempo);
    SetStatusText(2, text);
    if (view->MixerWindow && win::IsWindow(view->MixerWindow))
        win::PostMessage(view->MixerWindow, kMsgMixerTempo, static_cast<uint32_t>(tempo));
}

// A right click brings the palette of the Staff, Graphics, Text or Performance
// group to the pointer: its centre on the pointer. A palette the program keeps
// hidden stays hidden.
void BringGroupPaletteToPointer() {
    const ToolGroup group = CurrentToolGroup();
    if (group != ToolGroup::Staff && group != ToolGroup::Graphics && group != ToolGroup::Text &&
        group != ToolGroup::Performance)
        return;
    const WindowHandle palette = PaletteWindow(static_cast<int>(group) + 1);
    if (!palette || !win::IsWindow(palette)) return;
    const bool shown = win::IsWindowVisible(palette);
    const gfx::Rect place = win::GetWindowRect(palette);
    const win::Point pointer = win::GetCursorPosition();
    if (shown) win::ShowWindow(palette, win::ShowCommand::Hide);
    const int32_t left = pointer.x - place.Width() / 2;
    const int32_t top = pointer.y - place.Height() / 2;
    win::MoveWindow(palette, {left, top, left + place.Width(), top + place.Height()}, true);
    if (shown) win::ShowWindow(palette, win::ShowCommand::ShowNoActivate);
}

// The strip from measure 1 (as many measures as it holds, at most the score's),
// at the top left, at the Home zoom.
void HomeInScrollView(ScoreView* view) {
    SetScrollViewStart(view, 1);
    ScrollX(view) = kOriginStart;
    ScrollY(view) = kOriginStart;
    SetZoom(view, Options().HomeZoom != 0 ? Options().HomeZoom : view->zoom);
}

// Space: punch in, stop, or play from the current measure.
void SpaceTransport(ScoreView* view) {
    TransportFlags& t = Transport();
    if (t.punchInArmed != 0) {
        if (t.started == 0) {
            t.playStartMeasure = view->currentMeasure;
            t.started = 1;
            t.playingView = view;
            StartRecordingCommand(view);
        } else {
            t.playStartMeasure = 0;
            StopSequencerCommand();
            t.started = 0;
            t.punchInArmed = 0;
        }
        UpdateToolbarButtons(view);
        return;
    }
    if (t.started != 0) {
        if (t.recording == 0) {
            t.stopPending = 1;
            StopSequencerCommand();
            t.started = 0;
        } else {
            t.stopPending = 0;
        }
        return;
    }
    ViewInputState().elapsedSeconds = 0;
    ViewInputState().elapsedMinutes = 0;
    t.stopPending = 0;
    if (t.playStartMeasure == 0) t.playStartMeasure = view->currentMeasure;
    t.rangeKind = 4;
    t.rangeFirst = view->currentMeasure;
    t.rangeLast = view->document->header.measureCount;
    t.started = 1;
    t.playingView = view;
    PlayCommand(view);
}

// With the Pointer or the Notes tool over an object (hovered or focused) the letters
// are that object's keys (a barline's D, L, R; a note's D, L), not the pointer steps.
bool PointerOverObject() {
    const SelectionState* s = Sel();
    return s != nullptr && (s->toolType == 0 || s->toolType == kNoteType) && (s->hoverObject || s->editMode > 0);
}

void MovePointerBy(ScoreView* view, int32_t dx, int32_t dy) {
    MovePointerToLogical(view, view->pointerPoint.x + dx, view->pointerPoint.y + dy);
}

}  // namespace

std::optional<intptr_t> OnCtrlKey(ScoreView* view, uint32_t key, const ViewModifiers& m) {
    const int edited = EditedElementType();
    if (edited == kMarqueeType || edited == kPictureType) {
        int command = 0;
        if (key == 'C') command = command::kCopy;
        if (key == 'X') command = command::kCut;
        if (key == 'E' && edited == kMarqueeType) command = command::kCopyToEnd;
        if (command != 0) {
            ViewOnCommand(view, command);
            return 0;
        }
    } else if (edited < 0) {
        if (key == 'V' && m.alt) {
            if (NoteCaptureValid()) {
                UndoStep step(view->document, view, UndoKind::Note, 0, UndoVerb::Paste);
                PasteCapturedNotes(view);
            }
            return 0;
        }
    }
    // As the Edit menu's Undo and Redo: an object still chosen (after a command from
    // its menu, say) does not hold the keys back; the undo lets it go.
    if (key == 'Y' || key == 'Z') {
        UndoOrRedo(view, key == 'Z');
        return 0;
    }
    return std::nullopt;
}

std::optional<intptr_t> OnBlockKey(ScoreView* view, uint32_t key, const ViewModifiers& m) {
    const int edited = EditedElementType();
    if (key == K(Key::Insert) && (edited < 0 || edited == kMarqueeType)) {
        if (m.shift && !m.ctrl) {
            if (BlockHeld()) {
                BlockPaste(view);
            } else if (StaffBlockMarked()) {
                UndoStep step(view->document, view, UndoKind::Note, 0, UndoVerb::Paste);
                PasteMarkedStaffBlock(view);
            }
        } else if (m.ctrl) {
            ClearBlockClipboard();
            MarkStaffBlock(view);
        } else if (edited == kMarqueeType && !SetBlockSource(view)) {
            ClearBlockClipboard();
        } else if (edited < 0) {
            return std::nullopt;
        }
        return 0;
    }
    if (key == K(Key::Delete) && m.shift && !m.ctrl) {
        if (edited == kMarqueeType) {
            ClearBlockClipboard();
            CopyNotes(view, true);
            return 0;
        }
        if (edited == kPictureType) {
            CopyPictureToClipboard(view);
            return 0;
        }
    }
    return std::nullopt;
}

std::optional<intptr_t> OnFirstKeyTable(ScoreView* view, uint32_t key, const ViewModifiers& m) {
    switch (key) {
        case K(Key::Escape): {
            view->CaretShown = 0;
            win::HideCaret(view->ViewWindow);
            SelectionState* s = Sel();
            if (s != nullptr && (s->hoverFlag != 0 || s->editMode > 0)) {
                ClearHoverState();
                if (s->toolType == kMarqueeType) UnfocusElement(view);
            }
            return 0;
        }
        case K(Key::PageUp):
            if (m.ctrl) {
                ScrollY(view) = kOriginStart;
                SetZoom(view, view->zoom);
                RepaintScoreView(view, true);
            } else {
                ScrollVertically(view, -kPageSteps);
            }
            return 0;
        case K(Key::PageDown):
            if (m.ctrl) {
                ScrollY(view) =
                    std::min(view->PageBottom - view->visibleRect.Height() / 3, kDeepestOrigin);
                SetZoom(view, view->zoom);
                RepaintScoreView(view, true);
            } else {
                ScrollVertically(view, kPageSteps);
            }
            return 0;
        case K(Key::Home):
            if (m.busy) return std::nullopt;
            if (m.ctrl) {
                if (Options().HomeZoom != 0) SetZoom(view, Options().HomeZoom);
            } else if (view->pageView == 0) {
                HomeInScrollView(view);
            }
            RepaintScoreView(view, true);
            return 0;
        case K(Key::Add):
        case K(Key::Subtract): {
            const int direction = key == K(Key::Add) ? 1 : -1;
            if (m.busy) {
                if (m.alt) ViewInputState().swallowSysCommand = 1;
                return std::nullopt;
            }
            if (m.alt) {
                ViewInputState().swallowSysCommand = 1;
                EndFocus(view, 0);
                StepAreaValue(view, direction);
                return 0;
            }
            if (m.ctrl) {
                StepTempo(view, direction);
                return 0;
            }
            return std::nullopt;
        }
        default:
            if (key >= '2' && key <= '8' && m.alt && m.busy) ViewInputState().swallowSysCommand = 1;
            return std::nullopt;
    }
}

std::optional<intptr_t> OnSecondKeyTable(ScoreView* view, WindowHandle window, Msg message,
                                         uint32_t key, const ViewModifiers& m) {
    ViewInput& in = ViewInputState();
    if (message == Msg::KeyUp) {
        if (key != K(Key::Enter)) return std::nullopt;
        ToTool(view, window, m.ctrl ? Msg::RightButtonUp : Msg::LeftButtonUp, 0,
               PointerClientData(window), m.ctrl);
        return 0;
    }
    if (m.busy) return std::nullopt;
    // The letters typed alone are the language's; with Ctrl they are the menus' keys,
    // whose names stay the program's own.
    if (!m.ctrl) key = TranslateCommandLetter(key);
    const bool gPrefix = in.gPrefix != 0;
    in.gPrefix = 0;
    switch (key) {
        case K(Key::Enter):
            if (m.ctrl) return std::nullopt;
            ToTool(view, window, Msg::LeftButtonDown, win::kMouseLeftButton,
                   PointerClientData(window), false);
            return 0;
        case K(Key::Space):
            SpaceTransport(view);
            return 0;
        case 'D':
            if (PointerOverObject()) return std::nullopt;
            MovePointerBy(view, 0, kPointerStep);
            return 0;
        case 'L':
            if (PointerOverObject()) return std::nullopt;
            MovePointerBy(view, -kPointerStep, 0);
            return 0;
        case 'U':
            if (PointerOverObject()) return std::nullopt;
            MovePointerBy(view, 0, -kPointerStep);
            return 0;
        case 'R':
            if (PointerOverObject()) return std::nullopt;
            MovePointerBy(view, kPointerStep, 0);
            // The Notes tool takes R as its note/rest toggle, with rests shown too.
            if (Sel() != nullptr && (Sel()->toolType == kNoteType || Sel()->toolType == kRestType))
                return std::nullopt;
            return 0;
        case 'G':
            if (!m.ctrl) return std::nullopt;
            in.gPrefix = 1;
            return 0;
        case 'M':
            if (!gPrefix) return std::nullopt;
            CmdGoToMeasure(view);
            RedrawLinkedViews(view);
            return 0;
        case 'P':
            if (!gPrefix) return std::nullopt;
            CmdGoToPage(view);
            return 0;
        case 'S':
            if (!m.ctrl) return std::nullopt;
            ViewOnCommand(view, command::kSave);
            return 0;
        case 'Z':
            PreviousZoomLevel(view);
            return 0;
        case K(Key::F1):
            ShowHelpContents(window, nullptr);
            return 0;
        case K(Key::F1) + 2:
            CmdFindAgain(view);
            return 0;
        case K(Key::F1) + 4:
            ViewOnCommand(view, command::kRefresh);
            return 0;
        default:
            break;
    }
    if (key >= '1' && key <= '7') {
        const int n = static_cast<int>(key - '1');
        if (!m.ctrl) {
            SelectToolButtonByKey(view, n, m.alt);
            return 0;
        }
        if (n > 3) return std::nullopt;
        if (m.alt) {
            SetQuickZoom(view, n);
        } else {
            if (!m.shift) {
                in.notedPointer[0] = view->pointerPoint.x;
                in.notedPointer[1] = view->pointerPoint.y;
            }
            ApplyQuickZoom(view, n);
        }
        return 0;
    }
    return std::nullopt;
}

std::optional<intptr_t> OnArrowKey(ScoreView* view, WindowHandle window, Msg message, uint32_t key,
                                   const ViewModifiers& m) {
    const bool arrow =
        key == K(Key::Left) || key == K(Key::Right) || key == K(Key::Up) || key == K(Key::Down);
    if (!arrow) return std::nullopt;
    ViewInput& in = ViewInputState();
    const bool horizontal = key == K(Key::Left) || key == K(Key::Right);
    const int sign = key == K(Key::Left) || key == K(Key::Up) ? -1 : 1;
    if (view->CaretShown == 0 && EditedElementType() != kMarqueeType && !m.alt && !m.shift) {
        const intptr_t at = PointerClientData(window);
        if (message == Msg::KeyUp) {
            if (in.heldArrow == 0) return std::nullopt;
            in.heldArrow = 0;
            ToTool(view, window, Msg::LeftButtonUp, 0, at, m.ctrl);
            win::UpdateWindow(window);
            return 0;
        }
        if (in.heldArrow != key) {
            if (in.heldArrow != 0) {
                in.heldArrow = 0;
                ToTool(view, window, Msg::LeftButtonUp, 0, at, m.ctrl);
            }
            if (m.ctrl) {
                in.heldArrow = key;
                ToTool(view, window, Msg::MouseMove, 0, at, true);
                HitTestSelectionLists(view, 0);
                ToTool(view, window, Msg::LeftButtonDown, win::kMouseLeftButton, at, true);
            }
        }
        const int32_t step = std::max(1, (horizontal && m.ctrl) ? view->zoom / 8 : view->zoom / 2);
        const gfx::Rect client = win::GetClientRect(window);
        win::Point p = win::UnpackPoint(at);
        if (horizontal)
            p.x =
                std::clamp(p.x + sign * step, client.left, std::max(client.left, client.right - 1));
        else
            p.y =
                std::clamp(p.y + sign * step, client.top, std::max(client.top, client.bottom - 1));
        win::SetCursorPosition(win::ClientToScreen(window, p));
        PointerToLogicalPoint(view, static_cast<uint32_t>(win::PackPoint(p)));
        ToTool(view, window, Msg::MouseMove, in.heldArrow != 0 ? win::kMouseLeftButton : 0,
               win::PackPoint(p), m.ctrl);
        return 0;
    }
    if (message != Msg::KeyDown || m.ctrl) return std::nullopt;
    if (!m.shift) {
        MovePointerBy(view, horizontal ? sign * kPointerStep : 0,
                      horizontal ? 0 : sign * kPointerStep);
        return 0;
    }
    const SelectionState* s = Sel();
    if (s != nullptr && (s->hoverFlag != 0 || s->editMode > 0)) return std::nullopt;
    if (view->pageView == 0 && horizontal) {
        if (sign < 0 && view->currentSystem != nullptr && view->currentSystem->firstMeasure <= 1)
            return 0;
        ScrollByMeasures(view, sign);
    } else if (horizontal) {
        ScrollHorizontally(view, sign);
    } else {
        ScrollVertically(view, sign);
    }
    return 0;
}

std::optional<intptr_t> OnMouseShortcut(ScoreView* view, WindowHandle window, Msg message,
                                        const ViewModifiers& m) {
    if (message == Msg::MouseMove) {
        if (ConsumeSkippedMouseMove()) return 0;
        TrackRulerLines(view);
        if (window != view->ViewWindow) return 0;
        return std::nullopt;
    }
    if ((message == Msg::LeftButtonDown || message == Msg::RightButtonDown) && m.alt && !m.busy) {
        StepAreaValue(view, message == Msg::LeftButtonDown ? kStepValueZoomIn : -kStepValueZoomIn);
        return 0;
    }
    if (message == Msg::RightButtonDown && !m.busy) BringGroupPaletteToPointer();
    return std::nullopt;
}

intptr_t OnMouseWheel(ScoreView* view, WindowHandle /*window*/, uint32_t word,
                      const ViewModifiers& m) {
    const int delta = static_cast<int16_t>(word >> 16);
    const int steps = -delta / kWheelNotch;
    if (steps == 0) return 0;
    if (m.ctrl) {
        const uint64_t now = win::NowMilliseconds();
        ViewInput& in = ViewInputState();
        if (in.wheelZoomed != 0 && now - in.lastWheelZoom < kWheelZoomPauseMs) return 0;
        in.wheelZoomed = 1;
        in.lastWheelZoom = now;
        StepZoom(view, steps < 0 ? 1 : -1);
        return 0;
    }
    for (int i = 0; i < std::abs(steps); ++i)
        if (!ScrollVertically(view, steps > 0 ? 1 : -1)) break;
    return 0;
}

}  // namespace ql
