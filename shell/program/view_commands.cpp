// ViewOnCommand: the commands of the active score view (menus, toolbar and
// accelerators): saving, the tools' commands, the block clipboard, undo, more
// views, printing, the transport, voices, tool groups, page turning, finding,
// view modes and display switches. Any exception in a command ends in the
// program's emergency save and exit.
#include <algorithm>

#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "core/undo/undo.h"
#include "display/view_modes.h"
#include "display/view_scroll.h"
#include "display/zoom.h"
#include "editing/block_clipboard.h"
#include "editing/page_band.h"
#include "editing/page_band_faces.h"
#include "editing/selection.h"
#include "editing/tool_dispatch.h"
#include "editing/tools.h"
#include "objects/picture/picture_class.h"
#include "platform/win/message_loop.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/command/settings_commands.h"
#include "shell/printing/print_document.h"
#include "shell/program/exception_guard.h"
#include "shell/program/page_commands.h"
#include "shell/program/program_ids.h"
#include "shell/program/score_windows.h"
#include "shell/program/sequencer_window.h"
#include "shell/program/view_procedures.h"
#include "shell/program/view_procedures_internal.h"
#include "shell/program/view_transport.h"
#include "shell/shell_services.h"

namespace ql {
namespace {

constexpr uint32_t kNoteToolType = 29;
constexpr uint32_t kTextToolType = 18;
constexpr int kMarqueeType = 0;
constexpr int kPictureType = 53;

// The Note tool's commands below 42054.
constexpr int kNoteToolCommands[] = {40158, 40159, 40160, 40161, 40162, 40163, 40348,
                                     40349, 40352, 40353, 40354, 40355, 40356, 40357,
                                     40370, 40371, 40415, 40426, 40452};

bool IsNoteToolCommand(int id) {
    return std::find(std::begin(kNoteToolCommands), std::end(kNoteToolCommands), id) !=
           std::end(kNoteToolCommands);
}

void Redraw(ScoreView* view) {
    win::InvalidateRect(view->ViewWindow, nullptr, true);
}

// Copy, Cut, Copy to End and Copy Notes, each with its tests in order.
int BlockCommand(ScoreView* view, int id) {
    const int edited = EditedElementType();
    const bool marquee = edited == kMarqueeType;
    if (edited == kPictureType && (id == 57634 || id == 57635)) {
        CopyPictureToClipboard(view);
    } else if (id == 57634) {
        if (!SetBlockSource(view)) CopyNotes(view, false);
    } else if (id == 57642) {
        if (!(marquee && SetBlockSourceRange(view)) && !SetBlockSource(view)) CopyNotes(view, false);
    } else if (id == 40216) {
        // Copy Notes' key, Ctrl+Shift+Insert, keeps its note-entry meaning with
        // nothing in edit mode: the place is marked for a single-staff copy.
        if (!marquee) {
            if (edited >= 0) return 0;
            ClearBlockClipboard();
            MarkStaffBlock(view);
            return 1;
        }
        CopyNotes(view, false);
    } else if (marquee) {
        CopyNotes(view, true);
    } else if (edited < 0) {
        Transport().playStartMeasure = view->currentMeasure;
        return 0;
    }
    if (id == 57635)
        DispatchToCurrentTool(view, view->ViewWindow, win::Message::Command,
                              win::MakeCommandWord(id, 0), 0, false);
    return 1;
}

// Paste: the captured notes in one undo step, else the held block, else the
// single-staff mark.
void PasteCommand(ScoreView* view) {
    if (NoteCaptureValid()) {
        UndoStep step(view->document, view, UndoKind::Note, 0, UndoVerb::Paste);
        PasteCapturedNotes(view);
    } else if (BlockHeld()) {
        BlockPaste(view);
    } else if (StaffBlockMarked()) {
        UndoStep step(view->document, view, UndoKind::Note, 0, UndoVerb::Paste);
        PasteMarkedStaffBlock(view);
    } else {
        ShowNotice(kBlockNoSelection);
    }
}

void TogglePunchIn(ScoreView* view) {
    TransportFlags& t = Transport();
    t.punchInArmed = t.punchInArmed != 0 ? 0 : 1;
    if (t.punchInArmed == 0) {
        SetStatusText(0, "Recording session cancelled.");
        return;
    }
    if (Options().RecordContinue == 0)
        SetStatusTextNumber(0, "Press SPACEBAR or click PLAY button to PUNCH IN at measure %d",
                            view->currentMeasure);
    else
        SetStatusText(0, " Position cursor and press SPACEBAR, or click the Play button.");
}


void PauseCommand(ScoreView* view) {
    TransportFlags& t = Transport();
    if (t.started == 0) {
        t.stopPending = 0;
        t.rangeKind = 4;
        t.rangeFirst = view->currentMeasure;
        t.rangeLast = view->document->header.measureCount;
        PauseSequencerCommand();
        return;
    }
    t.stopPending = 1;
    StopSequencerCommand();
}

// Previous, next, first and last page, and the two master pages.
void ShowPageCommand(ScoreView* view, int id) {
    if (view->pageView == 0) {
        const bool back = id == 42030 || id == 42043 || id == kPreviousPageArrow || id == 42032;
        ScrollByMeasures(view, back ? -2 : 2);
        return;
    }
    const int count = view->document->header.pageCount;
    const int current = std::max(0, GetPageIndex(view->document, view->currentPage));
    int index = current;
    switch (id) {
        case 42030:
            index = current - 1;
            break;
        case 42031:
            index = current + 1;
            break;
        case 42043:
            index = 0;
            break;
        case 42044:
            index = count - 1;
            break;
        case 42032:
            index = kLeftMasterNumber;
            break;
        case 42033:
            index = kRightMasterNumber;
            break;
        default:
            break;
    }
    if (index >= count || (index < 0 && id != 42032 && id != 42033)) return;
    ShowPageInView(view, index);
    UpdatePagersToolbar(view);
    Redraw(view);
}

void ChooseVoice(ScoreView* view, int voice) {
    view->voiceMask = static_cast<uint8_t>(1u << voice);
    UpdateVoiceButtons(view);
    EndFocus(view, 0);
    Redraw(view);
}

void EnterViewMode(ScoreView* view, int id) {
    if (id == 40147) {
        EnterPageView(view);
    } else {
        EnterScrollView(view);
    }
    Redraw(view);
}

ViewCommandHook& CommandHook() {
    static ViewCommandHook hook = nullptr;
    return hook;
}

// The page band's arrows and page buttons; in the scroll view the arrows scroll.
void PageBandCommand(ScoreView* view, int id, uint32_t code, intptr_t data) {
    if (view->pageView == 0) {
        if (id != kPageButtonCommand) ShowPageCommand(view, id);
    } else if (id == kPageButtonCommand) {
        HandlePageTurnButton(view, static_cast<int>(data), code == 1);
    } else {
        TurnPage(view, id == kNextPageArrow);
    }
}

int RunViewCommand(ScoreView* view, int id, uint32_t code, intptr_t data) {
    if (CommandHook() != nullptr) CommandHook()(id);
    const platform::WindowHandle window = view->ViewWindow;
    if (IsNoteToolCommand(id)) {
        win::PostMessage(window, kMsgToolCommand, static_cast<uint32_t>(id), kNoteToolType);
        return 1;
    }
    // Save, Export and the settings dialogs.
    if (FindSettingsCommand(id) != nullptr) {
        RunSettingsCommand(view, id);
        return 1;
    }
    switch (id) {
        case 40220:
        case 40221:
        case 40222:
        case 40223:
        case 40224:
        case 40226:
            win::PostMessage(window, kMsgToolCommand, static_cast<uint32_t>(id - 40220),
                             kTextToolType);
            return 1;
        case 40133:
        case 40134:
        case 40140:
        case 57632:
            DispatchToCurrentTool(view, window, win::Message::Command, win::MakeCommandWord(id, 0),
                                  0, false);
            return 1;
        case 57634:
        case 57635:
        case 57642:
        case 40216:
            return BlockCommand(view, id);
        case 57637:
            PasteCommand(view);
            return 1;
        case 57643:
        case 57644:
            if (id == 57643)
                UndoCommand(view->document, view);
            else
                RedoCommand(view->document, view);
            UpdateToolbarButtons(view);
            return 1;
        case cmd::kOpenView:
            UnfocusWithFeedback(view);
            OpenViewOfDocument(view);
            return 1;
        case cmd::kCloseView:
            CloseScoreWindow(window);
            return 1;
        case cmd::kFilePrint:
            EndFocus(view, 0);
            PrintDocument(view);
            FocusActiveView();
            return 1;
        case 42035:
            StartTransport(view);
            return 1;
        case 42036:
            TogglePunchIn(view);
            return 1;
        case 42037:
            StopTransport();
            return 1;
        case 42038:
            PauseCommand(view);
            return 1;
        case 42039:
        case 42040:
        case 42041:
        case 42042:
            ChooseVoice(view, id - 42039);
            return 1;
        case 42023:
        case 42024:
        case 42025:
        case 42026:
        case 42027:
        case 42028:
        case 42029:
            SelectToolButtonByKey(view, id, false);
            return 1;
        case 42030:
        case 42031:
        case 42043:
        case 42044:
        case 42032:
        case 42033:
            ShowPageCommand(view, id);
            return 1;
        case kPreviousPageArrow:
        case kNextPageArrow:
        case kPageButtonCommand:
            PageBandCommand(view, id, code, data);
            return 1;
        case 40131:
            Redraw(view);
            return 0;
        case 40145:
        case 40146:
        case 40147:
        case 40350:
            EnterViewMode(view, id);
            return 1;
        case 40363:
        case 40364:
        case 40365:
        case 40366:
            // The menu's quick zoom: in scroll view with its stored origin, in page
            // view the level alone (the page stays where it is).
            ApplyQuickZoom(view, id - view_cmd::kFirstQuickZoom + (view->pageView == 0 ? kQuickOriginSlotBase : 0));
            win::InvalidateRect(view->ViewWindow, nullptr, true);
            return 1;
        case 40208:
            CheckpointStart(view->document);
            return 1;
        case 40209:
            RevertToUndoBaseline(view->document, view);
            return 1;
        default:
            break;
    }
    // Page, layout and navigation commands (Go to Page and Measure, Find, Repeat Find,
    // the ruler and the page dialogs).
    if (PageCommand(id)) return 1;
    // The dialogs and edits of the score, and the option toggles.
    if (std::optional<int> result = RunScoreViewCommand(view, id)) return *result;
    // The Note tool's commands from 42054 up.
    const bool settingsCommand = id == 42067 || id == 42079 || id == 42080 || id == 42085;
    if (id >= 42054 && id <= 42099 && !settingsCommand) {
        win::PostMessage(window, kMsgToolCommand, static_cast<uint32_t>(id), kNoteToolType);
        return 1;
    }
    return 0;
}

}  // namespace

void StartTransport(ScoreView* view) {
    TransportFlags& t = Transport();
    ClearStatusBar();
    // After a Stop from the view Play goes on from the current measure; else the
    // run plays what the Playback Settings say.
    t.rangeKind = t.stopPending != 0 ? 2 : 0;
    t.started = 1;
    t.playingView = view;
    if (t.punchInArmed != 0)
        StartRecordingCommand(view);
    else
        PlayCommand(view);
}

void StopTransport() {
    TransportFlags& t = Transport();
    t.stopPending = 0;
    StopSequencerCommand();
    t.started = 0;
    t.punchInArmed = 0;
    ClearStatusBar();
}

void SetViewCommandHook(ViewCommandHook hook) {
    CommandHook() = hook;
}

int ViewOnCommand(ScoreView* view, int commandWord, intptr_t data) {
    if (view == nullptr || view->self != view || view->document == nullptr) return 0;
    const int id = static_cast<int>(win::CommandId(static_cast<uint32_t>(commandWord)));
    const uint32_t code = win::CommandCode(static_cast<uint32_t>(commandWord));
    try {
        return RunViewCommand(view, id, code, data);
    } catch (...) {
        HandleProgramException(GuardKind::ViewCommand);
        return 1;
    }
}

}  // namespace ql
