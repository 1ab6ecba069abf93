// ViewMessageProc: the window housekeeping of a score window, the modifiers of each
// message, the filter that lets only painting, scrolling, Space and a few commands
// through while the transport runs, the checks before work, and the hand-over to
// the key tables, the view commands and the current tool.
#include <algorithm>
#include <cstdlib>

#include "core/core_strings.h"
#include "core/draw/view_metrics.h"
#include "core/error_report.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/status_bar.h"
#include "core/units/view_moves.h"
#include "display/input_locale.h"
#include "display/linked_views.h"
#include "display/view_location.h"
#include "display/view_modes.h"
#include "display/view_scroll.h"
#include "editing/selection.h"
#include "editing/tool_dispatch.h"
#include "notes/entry/note_cursor.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "platform/win/keys.h"
#include "platform/win/mdi.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/timers.h"
#include "platform/win/window.h"
#include "sequencer/playback.h"
#include "shell/program/frame.h"
#include "shell/program/frame_layout.h"
#include "shell/program/program_ids.h"
#include "shell/program/rulers.h"
#include "shell/program/score_windows.h"
#include "shell/program/sequencer_window.h"
#include "shell/program/view_procedures.h"
#include "shell/program/view_procedures_internal.h"
#include "shell/program/view_transport.h"
#include "shell/shell_services.h"

namespace ql {
namespace {

using platform::WindowHandle;
using win::Key;
using win::Message;

constexpr int kArmedTypeLimit = 54;
constexpr int kMissingSelectionLine = 2201;
constexpr char kModule[] = "VIEWPROC";
constexpr uint8_t kDragHeld = 0x02;
constexpr int32_t kCaretNear = 16;
constexpr int32_t kCaretHeight = 30;
constexpr int32_t kCommandRefresh = 40131;

bool IsKeyMessage(Message m) {
    return m == Message::KeyDown || m == Message::KeyUp || m == Message::SystemKeyDown ||
           m == Message::SystemKeyUp;
}

// A message that changed the score has every other window of it painted anew: the
// view that took the message draws its own change, the others learn of it here.
class OtherViewsFollow {
  public:
    explicit OtherViewsFollow(ScoreView* view)
        : view_(view), document_(view->document), generation_(view->document->editGeneration) {}
    ~OtherViewsFollow() {
        if (IsViewListed(view_) && view_->document == document_ && IsDocumentListed(document_) &&
            document_->editGeneration != generation_)
            InvalidateOtherViewsOfScore(view_);
    }
    OtherViewsFollow(const OtherViewsFollow&) = delete;
    OtherViewsFollow& operator=(const OtherViewsFollow&) = delete;

  private:
    ScoreView* view_;
    ScoreDocument* document_;
    uint32_t generation_;
};

// Nesting of the procedure for the rest of one call.
struct NestingScope {
    NestingScope() { ++ViewInputState().nesting; }
    ~NestingScope() { --ViewInputState().nesting; }
    NestingScope(const NestingScope&) = delete;
    NestingScope& operator=(const NestingScope&) = delete;
};

// The view's document is made current for one message; the view that was active
// before is active again afterwards unless the message itself chose another.
class CurrentViewScope {
  public:
    explicit CurrentViewScope(ScoreView* view)
        : view_(view), previous_(State().documents.ActiveView) {
        active_ = ActivateView(view);
    }
    ~CurrentViewScope() {
        if (previous_ != nullptr && previous_ != view_ && State().documents.ActiveView == view_ &&
            IsValidView(previous_) && previous_->document != nullptr)
            ActivateView(previous_);
    }
    CurrentViewScope(const CurrentViewScope&) = delete;
    CurrentViewScope& operator=(const CurrentViewScope&) = delete;
    bool Active() const { return active_ == view_; }

  private:
    ScoreView* view_;
    ScoreView* previous_;
    ScoreView* active_ = nullptr;
};

void StopAutoScroll(WindowHandle window) {
    win::KillTimer(window, kAutoScrollTimer);
    ViewInputState().dragFlags &= static_cast<uint8_t>(~kDragHeld);
    if (win::GetCapture() == window) win::ReleaseCapture();
}

bool SequencerBusy() {
    return IsPlaybackRunning() || Transport().recording != 0;
}

// The warning about a file of the later version, once per document, after the
// paint that found it due.
void ShowVersionWarning(ScoreView* view, WindowHandle window) {
    ScoreDocument* document = view->document;
    if (document->laterMajorVersion == 0 || document->versionWarningShown != 0) return;
    document->versionWarningShown = 1;
    ui::ShowMessageBox(window, ProgramString(kStrVersion3Warning), ProgramString(kStrProductName),
                       ui::kBoxIconExclamation);
}

intptr_t OnPaint(ScoreView* view, WindowHandle window) {
    if (State().drawing.DrawingSuppressed != 0 || win::GetUpdateRect(window).IsEmpty()) {
        win::PaintInfo info;
        win::BeginPaint(window, info);
        win::EndPaint(window, info);
        return 0;
    }
    CurrentViewScope current(view);
    PaintScoreView(view, window);
    // A box inside a paint would re-enter painting: it is posted for later.
    ScoreDocument* document = view->document;
    if (document != nullptr && document->laterMajorVersion != 0 &&
        document->versionWarningShown == 0 && document->versionWarningDue == 0) {
        document->versionWarningDue = 1;
        win::PostMessage(window, kMsgVersionWarning);
    }
    return 0;
}

intptr_t OnClose(ScoreView* view, WindowHandle window) {
    if (SequencerBusy()) return 0;
    ActivateView(view);
    CloseScoreWindow(window);
    return 0;
}

void OnTransportClock(WindowHandle window) {
    if (!IsPlaybackRunning()) {
        if (Transport().stopPending == 0) win::KillTimer(window, kTransportClockTimer);
        return;
    }
    if (Transport().stopPending != 0) return;
    ShowElapsedTime();
}

void OnAutoScrollTimer(WindowHandle window) {
    if (SequencerBusy() || Transport().started != 0 || State().files.MidiFileTransferActive != 0 ||
        State().drawing.ClipboardRendering != 0 || Frame().terminating) {
        StopAutoScroll(window);
        return;
    }
    win::PostMessage(window, kMsgAutoScrollStepMessage);
}

// A handle or marquee is being dragged in another score window.
bool DragRunsElsewhere(WindowHandle window) {
    const SelectionState* s = State().documents.Selection;
    return s != nullptr && s->editMode >= 2 && s->boundWindow && s->boundWindow != window;
}

// The other views of the score show what the drag has changed so far.
void LineUpOtherViews(ScoreView* view) {
    BuildBeatMapsOnOtherLinkedViews(view, 1);
    InvalidateLinkedViews(view);
}

// The first stage; a result ends the call.
std::optional<intptr_t> Housekeeping(ScoreView* view, WindowHandle window, Message message,
                                     uint32_t word, intptr_t data) {
    ViewInput& in = ViewInputState();
    switch (message) {
        case Message::Destroy:
            win::KillTimer(window, kAutoScrollTimer);
            win::KillTimer(window, kTransportClockTimer);
            StopAutoScroll(window);
            StopSequencerNow();  // a run never outlives the score it plays
            OnTransportRunEnded();
            DestroyRuler(view);
            DestroyViewForWindow(window);
            return win::DefMdiChildProc(window, message, word, data);
        case Message::SetFocus:
    if (DragRunsElsewhere(window)) LineUpOtherViews(view);
            win::CreateCaret(window, 1, kCaretHeight);
            win::HideCaret(window);
            if (view->CaretShown != 0) win::ShowCaret(window);
            return std::nullopt;
        case Message::KillFocus:
            StopAutoScroll(window);
            win::HideCaret(window);
            win::DestroyCaret();
            return std::nullopt;
        case Message::Paint:
            return OnPaint(view, window);
        case Message::MouseLeave:  // the note cursor does not stay where the pointer left
            HideNoteCursor(view);
            return 0;
        case Message::Close:
            return OnClose(view, window);
        case Message::LeftButtonDown:
        case Message::RightButtonDown: {
            const win::Point click = win::UnpackPoint(data);
            const win::Point caret = win::GetCaretPosition();
            if (view->CaretShown != 0 && (std::abs(click.x - caret.x) > kCaretNear ||
                                          std::abs(click.y - caret.y) > kCaretNear)) {
                win::HideCaret(window);
                view->CaretShown = 0;
            }
            if (State().documents.ActiveView != view) HandleViewActivation(view);
            return std::nullopt;
        }
        case Message::LeftButtonUp:
            in.dragFlags &= static_cast<uint8_t>(~kDragHeld);
            if (win::GetCapture() == window) win::ReleaseCapture();
            return std::nullopt;
        case Message::MouseMove:
            if ((word & win::kMouseLeftButton) != 0 && State().documents.Selection != nullptr &&
                State().documents.Selection->editMode >= 2) {
                if ((in.dragFlags & kDragHeld) == 0) StartAutoScrollTimer(window);
                in.dragFlags |= kDragHeld;
                win::SetCapture(window);
            } else if ((word & win::kMouseLeftButton) == 0 && (in.dragFlags & kDragHeld) != 0) {
                in.dragFlags &= static_cast<uint8_t>(~kDragHeld);
                if (win::GetCapture() == window) win::ReleaseCapture();
            }
            return std::nullopt;
        case Message::Timer:
            if (word == kTransportClockTimer) {
                OnTransportClock(window);
                return 0;
            }
            if (word == kAutoScrollTimer) {
                OnAutoScrollTimer(window);
                return 0;
            }
            return std::nullopt;
        default:
            break;
    }
    if (message == kMsgVersionWarning) {
        ShowVersionWarning(view, window);
        return 0;
    }
    return std::nullopt;
}

ViewModifiers ReadModifiers(ScoreView* view) {
    ViewModifiers m;
    m.shift = win::IsKeyDown(Key::Shift);
    m.ctrl = win::IsKeyDown(Key::Control);
    m.alt = win::IsKeyDown(Key::Alt);
    const SelectionState* s = State().documents.Selection;
    m.busy = s != nullptr && (s->hoverFlag != 0 || s->editMode > 0);
    // With "Cursor Focus" off an element under the pointer keeps the keys for itself.
    if (!m.busy && s != nullptr && Options().IsAllowFocus == 0)
        m.busy = FindRecordUnderPointer(view) != nullptr;
    return m;
}

// The commands that work while the transport runs.
bool AllowedWhilePlaying(int32_t command) {
    switch (command) {
        case 42037:  // Stop
        case 42038:  // Pause
        case 42029:  // Zoom tool
        case 42028:  // Pointer tool
        case 40350:
        case 40146:  // Scroll View
        case 40147:  // Page View
            return true;
        default:
            return false;
    }
}

enum class Pass { Allowed, Marked, Default };

// The play/record filter's mark of a message: allowed while playing, going on
// without the mark, or to the default procedure at once.
Pass FilterMark(Message message, uint32_t word, intptr_t data) {
    switch (message) {
        case Message::Size:
        case Message::KillFocus:
        case Message::Paint:
        case Message::MouseLeave:
        case Message::HorizontalScroll:
        case Message::VerticalScroll:
        case Message::MouseWheel:
            return Pass::Allowed;
        case Message::KeyDown:
        case Message::SystemKeyDown:
        case Message::KeyUp:
        case Message::SystemKeyUp:
            if (word != static_cast<uint32_t>(Key::Space)) return Pass::Marked;
            if (message == Message::KeyUp || message == Message::SystemKeyUp)
                UpdateToolbarButtons(nullptr);
            return Pass::Allowed;
        case Message::Command:
            return AllowedWhilePlaying(static_cast<int32_t>(win::CommandId(word))) ? Pass::Allowed
                                                                                   : Pass::Marked;
        case Message::LeftButtonDown:
        case Message::RightButtonDown:
            if ((word & 3u) == 3u) return Pass::Default;
            return CurrentToolGroup() == ToolGroup::Zoom ? Pass::Allowed : Pass::Marked;
        case Message::LeftButtonUp:
        case Message::LeftButtonDoubleClick:
        case Message::RightButtonUp:
        case Message::RightButtonDoubleClick:
        case Message::MouseMove:
        case Message::Char:
        case Message::Timer:
        case Message::SystemCommand:
            return Pass::Marked;
        case Message::InputLanguageChange:
            SetInputLocale(word, data);
            return Pass::Default;
        default:
            return win::ToRaw(message) >= win::kPrivateMessageBase ? Pass::Marked : Pass::Default;
    }
}

// A window-menu command: the one after a key that asked for it to be swallowed is
// dropped; Close asks the view to close; the rest get the default handling.
intptr_t OnSystemCommand(WindowHandle window, Message message, uint32_t word, intptr_t data) {
    if (ViewInputState().swallowSysCommand != 0) {
        ViewInputState().swallowSysCommand = 0;
        return 0;
    }
    if (word == static_cast<uint32_t>(win::SystemCommandCode::Close)) {
        CloseScoreWindow(window);
        return 0;
    }
    return win::DefMdiChildProc(window, message, word, data);
}

// The armed type and prototype, the focused element and the current measure
// made sound before any work; false when the message must go no further.
bool ChecksBeforeWork(ScoreView* view, Message message) {
    (void)message;
    SelectionState* s = State().documents.Selection;
    if (s == nullptr) {
        InternalError(kModule, kMissingSelectionLine, reinterpret_cast<uintptr_t>(view));
        return false;
    }
    ScoreDocument* document = view->document;
    if (s->toolType > kArmedTypeLimit) {
        const int type = ToolGroupObjectType(CurrentToolGroup());
        s->toolType = static_cast<uint8_t>(type);
        s->defaultObject = Ref32<ScoreObject>::To(document->prototypes[type]);
        if (s->focusedObject.offset == 0 || s->editMode == 0) s->focusedObject = s->defaultObject;
    }
    // Several types (the marquee among them) have no prototype by design: the armed
    // tool then works without one, as when it was armed.
    if (s->armed != 0 && !s->defaultObject && s->toolType < kObjectTypeCount) {
        if (ScoreObject* prototype = document->prototypes[s->toolType])
            s->defaultObject = Ref32<ScoreObject>::To(prototype);
    }
    // An editor dialog holds the focus without a focus record while it runs.
    if (s->editMode > 0 && !s->focusRecord && s->modal == 0) {
        UnfocusElement(view);
        EndFocus(view, 0);
    }
    if (view->currentMeasure > document->header.measureCount && view->currentSystem != nullptr) {
        const int first = std::max<int>(1, view->currentSystem->firstMeasure);
        SetCurrentMeasureQuick(view, view->currentStaff, first);
    }
    return true;
}

// The view's own handling of what the tool did not take.
intptr_t ViewFallback(ScoreView* view, WindowHandle window, Message message, uint32_t word,
                      intptr_t data, const ViewModifiers& m) {
    switch (message) {
        case Message::HorizontalScroll:
            HandleHorizontalScroll(view, static_cast<uint16_t>(win::ScrollCodeOf(word)),
                                   win::ScrollPositionOf(word));
            return 0;
        case Message::VerticalScroll:
            Transport().playStartStaff = 0;
            HandleVerticalScroll(view, static_cast<uint16_t>(win::ScrollCodeOf(word)),
                                 win::ScrollPositionOf(word));
            return 0;
        case Message::Size:
            if (win::GetMdiChildState(window) == win::MdiChildState::Minimized) return 0;
            RefreshViewMetrics(view);
            SetViewScrollBars(view);
            if (State().documents.ActiveView == view) win::InvalidateRect(window, nullptr, true);
            if (Options().RulerOn != 0) CreateRulers(view);
            return 0;
        case Message::MouseWheel:
            return OnMouseWheel(view, window, word, m);
        default:
            (void)data;
            return 0;
    }
}

intptr_t Finish(WindowHandle window, Message message, uint32_t word, intptr_t data,
                intptr_t result) {
    State().input.StickyCtrlFlag = 0;
    State().drawing.PaintDC = {};
    if (IsKeyMessage(message) || message == Message::LeftButtonDown ||
        message == Message::LeftButtonUp)
        return win::DefMdiChildProc(window, message, word, data);
    return result;
}

}  // namespace

ViewInput& ViewInputState() {
    static ViewInput state;
    return state;
}

intptr_t PointerClientData(WindowHandle window) {
    return win::PackPoint(win::ScreenToClient(window, win::GetCursorPosition()));
}

int EditedElementType() {
    const SelectionState* s = State().documents.Selection;
    if (s == nullptr || s->editMode <= 0) return -1;
    return s->toolType;
}

intptr_t ViewMessageProc(ScoreView* view, WindowHandle window, Message message, uint32_t word,
                         intptr_t data) {
    // A view that is gone, or whose score is, takes nothing.
    if (!IsValidView(view) || view->document == nullptr)
        return win::DefMdiChildProc(window, message, word, data);
    if (std::optional<intptr_t> done = Housekeeping(view, window, message, word, data))
        return *done;

    // Modifiers.
    State().input.StickyCtrlFlag = 0;
    const ViewModifiers m = ReadModifiers(view);
    if (!m.busy && m.ctrl && message == Message::KeyDown && word == 'R')
        win::PostMessage(Frame().window, Message::Command,
                         win::MakeCommandWord(kCommandRefresh, 0));
    State().input.ModifierState =
        static_cast<uint8_t>((m.shift ? 4 : 0) | (m.alt ? 2 : 0) | (m.ctrl ? 1 : 0));
    if (message == Message::KeyUp && word == static_cast<uint32_t>(Key::Shift))
        State().input.ShiftLatch = 0;

    // The play/record filter.
    const Pass pass = FilterMark(message, word, data);
    if (pass == Pass::Default) return win::DefMdiChildProc(window, message, word, data);
    TransportFlags& transport = Transport();
    if (TransportBusy() && pass != Pass::Allowed)
        return win::DefMdiChildProc(window, message, word, data);
    if ((transport.started != 0 || transport.stopPending != 0) &&
        IsValidView(transport.playingView) && transport.playingView != view) {
        if ((message == Message::KeyDown || message == Message::KeyUp) &&
            word == static_cast<uint32_t>(Key::Space) && transport.playingView->ViewWindow)
            return ViewMessageProc(transport.playingView, transport.playingView->ViewWindow,
                                   message, word, data);
        return win::DefMdiChildProc(window, message, word, data);
    }

    // Checks before work.
    CurrentViewScope current(view);
    if (!current.Active()) return win::DefMdiChildProc(window, message, word, data);
    if (!ChecksBeforeWork(view, message)) return win::DefMdiChildProc(window, message, word, data);
    NestingScope nesting;
    const OtherViewsFollow follow(view);

    if (message == Message::Command) {
        ViewInputState().swallowSysCommand = 0;
        return ViewOnCommand(view, static_cast<int>(word), data) != 0 ? 0 : 1;
    }
    if (message == Message::SystemCommand) return OnSystemCommand(window, message, word, data);
    if (message != Message::SystemKeyDown && message != Message::SystemKeyUp)
        ViewInputState().swallowSysCommand = 0;
    Message effective = message;
    if ((message == Message::SystemKeyDown || message == Message::SystemKeyUp) &&
        (word == static_cast<uint32_t>(Key::Up) || word == static_cast<uint32_t>(Key::Down)))
        effective = message == Message::SystemKeyDown ? Message::KeyDown : Message::KeyUp;

    if (effective == Message::KeyDown && m.ctrl)
        if (std::optional<intptr_t> r = OnCtrlKey(view, word, m))
            return Finish(window, message, word, data, *r);
    if (effective == Message::KeyDown)
        if (std::optional<intptr_t> r = OnBlockKey(view, word, m))
            return Finish(window, message, word, data, *r);
    if (effective == Message::KeyDown || effective == Message::SystemKeyDown)
        if (std::optional<intptr_t> r = OnFirstKeyTable(view, word, m))
            return Finish(window, message, word, data, *r);
    if (std::optional<intptr_t> r = OnMouseShortcut(view, window, effective, m))
        return Finish(window, message, word, data, *r);
    if ((ViewInputState().dragFlags & kDragHeld) != 0 && effective == Message::MouseMove)
        StartAutoScrollTimer(window);
    if (effective == kMsgAutoScrollStepMessage) {
        if (AutoScrollStep(view, window)) return Finish(window, message, word, data, 0);
    }
    if (effective == Message::KeyDown || effective == Message::KeyUp) {
        if (std::optional<intptr_t> r = OnSecondKeyTable(view, window, effective, word, m))
            return Finish(window, message, word, data, *r);
        if (std::optional<intptr_t> r = OnArrowKey(view, window, effective, word, m))
            return Finish(window, message, word, data, *r);
    }

    // The current tool, then the view itself.
    if (view->ViewWindow == window && !Frame().terminating &&
        DispatchToCurrentTool(view, window, effective, word, data, m.ctrl) != 0) {
        State().input.StickyCtrlFlag = 0;
        if (IsKeyMessage(message)) return win::DefMdiChildProc(window, message, word, data);
        return 0;
    }
    return Finish(window, message, word, data,
                  ViewFallback(view, window, effective, word, data, m));
}

}  // namespace ql
