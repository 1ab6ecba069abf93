// The command state of the menus and toolbars: one record of flags computed from a
// snapshot of the program (the active view, its document and selection, the
// clipboard, the MIDI devices and the transport buttons). Computing is a pure
// function of the snapshot; taking the snapshot reads the program.
#pragma once

#include <cstdint>
#include <optional>

namespace ql {

struct ScoreView;

// What the command state is computed from.
struct CommandSnapshot {
    bool viewActive = false;
    // An object is selected: edit mode above 0 with a focused object that is not
    // the armed tool's default object.
    bool selectionPresent = false;
    int currentObjectType = -1;  // type of the selection's current object; -1 none
    bool blockOnTablature = false;  // the block's first staff is a tablature staff
    bool pageView = false;
    int pageCount = 0;
    bool hasCurrentPage = false;
    bool marginsShown = false;
    bool modified = false;
    bool undoAvailable = false;
    bool redoAvailable = false;
    bool blockHeld = false;         // the block clipboard holds a block, captured notes or a mark
    bool clipboardPicture = false;  // the clipboard offers formats 14, 8 or 2
    bool multiMeasureRests = false;
    int openViews = 0;
    int openDocuments = 0;
    bool midiInput = false;   // at least one MIDI input device
    bool midiOutput = false;  // an output besides [NONE] (the synthesizer counts)
    // The checked bits of the transport buttons.
    bool playChecked = false;
    bool recordChecked = false;
    bool pauseChecked = false;
    // The sequencer's own flags: a run plays, and a played run may start again.
    bool sequencerPlaying = false;
    bool sequencerRestart = false;
};

struct CommandState {
    bool viewActive = false;
    bool selectionPresent = false;
    bool blockSelected = false;
    bool blockHasNotes = false;
    bool pageView = false;
    bool pageTurnPossible = false;
    bool marginsShown = false;
    bool canSave = false;
    bool canUndo = false;
    bool canRedo = false;
    bool pictureSelected = false;
    bool canPaste = false;
    bool multiMeasureRests = false;
    bool severalViews = false;
    bool mayOpenDocument = false;
    bool mayOpenView = false;
    bool hasMidiInput = false;
    bool hasMidiOutput = false;
    bool transportRunning = false;
    bool canPlay = false;
    bool canRecord = false;
    bool canStop = false;
    bool canPause = false;
};

// The most documents open at once.
constexpr int kMostOpenDocuments = 255;
// Object types the state tells apart.
constexpr int kMarqueeObjectType = 0;
constexpr int kPictureObjectType = 53;

// The flags of a snapshot. While the sequencer plays or Pause is checked only the
// transport flags are set; every other flag stays false.
CommandState ComputeCommandState(const CommandSnapshot& snapshot);

// The program as it stands, seen from `view` (null: the active score view).
CommandSnapshot TakeCommandSnapshot(ScoreView* view);

// The program-wide record, as of the last `UpdateToolbarButtons`.
CommandState& CurrentCommandState();

// Whether a toolbar button is enabled in a state; nothing for a command that no
// toolbar button carries.
std::optional<bool> ToolbarButtonEnabled(const CommandState& state, int32_t command);

}  // namespace ql
