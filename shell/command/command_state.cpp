// Computing the command state from a snapshot, and taking the snapshot from the
// program: the active view, its document, the selection, the clipboards, the MIDI
// devices and the transport buttons.
#include "shell/command/command_state.h"

#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "editing/block_clipboard.h"
#include "objects/picture/picture_class.h"
#include "sequencer/playback.h"
#include "shell/command/toolbar_buttons.h"
#include "shell/program/score_windows.h"

namespace ql {
namespace {

constexpr uint8_t kTablatureClef = 11;
constexpr uint8_t kClefNibble = 0x0F;

// The transport flags: the checked transport buttons, the devices and the run.
void ComputeTransportFlags(const CommandSnapshot& s, CommandState& state) {
    state.hasMidiInput = s.midiInput;
    state.hasMidiOutput = s.midiOutput;
    state.transportRunning = s.playChecked || s.recordChecked;
    state.canStop = s.playChecked || s.recordChecked;
    state.canPause = s.playChecked;
    state.canPlay = s.viewActive && s.midiOutput && !s.pauseChecked &&
                    (!s.sequencerPlaying || s.sequencerRestart);
    state.canRecord = s.viewActive && s.midiOutput && s.midiInput && !state.transportRunning &&
                      !s.pauseChecked;
}

// S2: a selection is an edit mode above 0 with a focused object other than the
// armed tool's default object.
bool SelectionPresent(const SelectionState* s) {
    return s != nullptr && s->editMode > 0 && s->focusedObject.get() != s->defaultObject.get();
}

bool OnTablatureStaff(const ScoreView* view) {
    return view->currentCell != nullptr && (view->currentCell->clefKey & kClefNibble) == kTablatureClef;
}

}  // namespace

CommandState ComputeCommandState(const CommandSnapshot& s) {
    CommandState state;
    ComputeTransportFlags(s, state);
    if (s.sequencerPlaying || s.pauseChecked) return state;
    const bool view = s.viewActive;
    state.viewActive = view;
    state.selectionPresent = view && s.selectionPresent;
    state.blockSelected = state.selectionPresent && s.currentObjectType == kMarqueeObjectType;
    state.blockHasNotes = state.blockSelected && !s.blockOnTablature;
    state.pictureSelected = state.selectionPresent && s.currentObjectType == kPictureObjectType;
    state.pageView = view && s.pageView;
    state.pageTurnPossible = state.pageView && s.pageCount > 1 && s.hasCurrentPage;
    state.marginsShown = view && s.marginsShown;
    state.canSave = view && s.modified;
    state.canUndo = view && s.undoAvailable;
    state.canRedo = view && s.redoAvailable;
    state.canPaste = view && (s.blockHeld || s.clipboardPicture);
    state.multiMeasureRests = view && s.multiMeasureRests;
    state.severalViews = s.openViews >= 2;
    state.mayOpenDocument = s.openDocuments < kMostOpenDocuments;
    state.mayOpenView = view && !state.transportRunning;
    return state;
}

CommandSnapshot TakeCommandSnapshot(ScoreView* view) {
    CommandSnapshot s;
    if (view == nullptr) view = GetActiveScoreView();
    const bool valid = IsValidView(view) && view->document != nullptr;
    s.viewActive = valid;
    s.openViews = CountOpenViews();
    s.openDocuments = CountOpenDocuments();
    s.midiInput = HasRecordInput();
    s.midiOutput = HasPlaybackOutput();
    s.playChecked = IsToolbarButtonChecked(kStartPlaybackButton);
    s.recordChecked = IsToolbarButtonChecked(kStartRecordingButton);
    s.pauseChecked = IsToolbarButtonChecked(kPausePlaybackButton);
    s.sequencerPlaying = IsPlaybackRunning();
    s.blockHeld = BlockHeld() || NoteCaptureValid() || StaffBlockMarked();
    s.clipboardPicture = ClipboardOffersPicture();
    if (!valid) return s;
    const SelectionState* selection = State().documents.Selection;
    s.selectionPresent = SelectionPresent(selection);
    if (s.selectionPresent) s.currentObjectType = selection->toolType;
    s.blockOnTablature = OnTablatureStaff(view);
    s.pageView = view->pageView != 0;
    s.pageCount = view->document->header.pageCount;
    s.hasCurrentPage = view->currentPage != nullptr;
    s.marginsShown = Options().ShowMargins != 0;
    s.modified = view->document->changeCounter != 0;
    s.undoAvailable = view->document->undoState.undoAvailable != 0;
    s.redoAvailable = view->document->undoState.redoAvailable != 0;
    s.multiMeasureRests = Options().AutoMMR != 0;
    return s;
}

CommandState& CurrentCommandState() {
    static CommandState state;
    return state;
}

std::optional<bool> ToolbarButtonEnabled(const CommandState& s, int32_t command) {
    switch (command) {
        case 57601: case 57600: case 40114: return s.mayOpenDocument;
        case 57603: return s.canSave;
        case 57607: return s.viewActive;
        case 57643: return s.canUndo;
        case 57644: return s.canRedo;
        case 57635: case 57634: return s.blockSelected || s.pictureSelected;
        case 40216: return s.blockSelected;
        case 57637: return s.canPaste;
        case 57632: return s.selectionPresent;
        case 40146: case 40147: case 40131: case 40149: case 40151: case 40405: case 40145:
        case 40350: return s.viewActive;
        case 42085: return s.pageView;
        case 40222: case 40223: case 40224: case 40225: case 40226: return s.blockSelected;
        case 40161: case 40352: return s.blockSelected;
        case 40162: case 40163: return s.blockHasNotes;
        case 40454: return s.multiMeasureRests;
        case 57648: return s.mayOpenView;
        case 57680: case 57652: case 57651: return s.severalViews;
        case 42039: case 42040: case 42041: case 42042: return s.viewActive;
        case 42030: case 42031: case 42043: case 42044: return s.viewActive && !s.transportRunning;
        case 42035: return s.canPlay;
        case 42036: return s.canRecord;
        case 42037: return s.canStop;
        case 42038: return s.canPause;
        default: return std::nullopt;
    }
}

}  // namespace ql
