// Program-wide state: one instance of each group of globals the program keeps
// (pools, documents and views, file flags, playback flags, drawing, dialogs, input,
// the six-entry save stacks and the shared text buffers).
//
// Everything here belongs to the user-interface thread (State() asserts it in debug
// builds), except the playback flags, which the timer and MIDI threads read through
// PlaybackFlags(): they are atomics, stored with release and read with acquire.
// The sequencer pools (static pools 11 and 12) have their own lock (core/memory/pool.cpp). Other names used for the same
// flags: the modification lock is PlaybackActive; "loading" and "saving" are
// ScoreFileReading and ScoreFileWriting; "internal error reported" is
// EmergencySaveActive, a counter of internal errors (a save notes it at its start).
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "core/undo/autosave.h"
#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/objects/score_object.h"
#include "core/draw/view_drawing.h"
#include "platform/handles.h"
#include "platform/text/logical_font.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct SelectionState;
struct ScaledFontEntry;

constexpr int kSaveStackDepth = 6;
constexpr int kActiveViewStackSize = 9;  // entry 0 never written; 1..8 nested dialogs
constexpr int kStatusTextBytes = 256;
constexpr int kModuleLineBytes = 64;
constexpr int kDisplayTextBytes = 512;
constexpr int kScratchTextBytes = 256;
constexpr int kPathBytes = 260;

// Pools: the static set, the current set and the limits set at start-up.
struct PoolGlobals {
    ql::StaticPoolSet StaticPoolSet{};
    PoolSet CurrentPoolSet{};
    // Number of the static pool that was last exhausted (0xFF stands for pool 0);
    // 0 when none. Cleared when that pool next succeeds or is reset. Atomic: static
    // pool 11 is also used by the MIDI-input thread.
    std::atomic<uint8_t> StaticPoolExhausted{0};
    int32_t MaxMeasures = 0;
    uint8_t MaxSystemSlots = 0;
    // Block size in KB of each document pool (0: the default of ClearStaticPoolTables).
    uint16_t DocumentBlockKb[kDocumentPoolCount] = {};
    std::atomic<uint32_t> ExhaustionBeeps{0};  // alert beeps of exhausted pools
    int FailNextRecordAllocations = 0;  // test hook (see FailNextRecordAllocations)
};

// The current document and view, and the program-wide lists (heads; the records
// link themselves). Borrowed pointers: documents and views are owned by their lists.
struct DocumentGlobals {
    ScoreDocument* CurrentDocument = nullptr;
    ScoreView* ActiveView = nullptr;
    ScoreDocument* FirstDocument = nullptr;
    ScoreView* FirstView = nullptr;
    // The one selection record (in the arena; owned by the selection module).
    SelectionState* Selection = nullptr;
};

// Flags of the file readers and writers.
struct FileFlags {
    uint8_t ScoreFileReading = 0;  // a score file (or NIFF import) is being read
    uint8_t ScoreFileWriting = 0;  // a score file is being written
    // Counts internal errors reported; a save that sees it change while it runs
    // stops with code 2990.
    uint32_t EmergencySaveActive = 0;
    uint8_t AutoSaving = 0;        // the writer runs in autosave mode
    uint8_t FileVersion = 0;       // version byte of the file being read
    uint8_t MidiFileTransferActive = 0;
    uint8_t MidiImportActive = 0;
    char TempPath[kPathBytes] = {};  // target folder + the temporary file name
};

// Flags shared with the timer and MIDI-input threads.
struct PlaybackGlobals {
    std::atomic<uint8_t> PlaybackActive{0};
    std::atomic<uint8_t> SequencerRunning{0};
    std::atomic<uint8_t> SequencerPaused{0};
    std::atomic<uint8_t> SequencerRecording{0};
};

// Flags of the sequencer and transcription that only the UI thread touches.
struct SequencerGlobals {
    uint8_t TranscriptionActive = 0;
    uint8_t StepEntryEnabled = 0;
};

// Program-wide drawing state.
struct DrawingGlobals {
    platform::DcHandle PaintDC{};
    platform::DcHandle PrintDC{};
    platform::DcHandle ReferenceDC{};
    uint8_t DrawingSuppressed = 0;
    uint8_t RulersShown = 0;
    uint32_t CurrentTextColour = 0;
    platform::FontHandle MusicFont{};
    platform::FontHandle SavedFont{};
    int32_t ScreenDpiX = 0;
    int32_t ScreenDpiY = 0;
    int32_t FrameUnits = 0;
    uint8_t PagePaintingFlag = 0;
    int32_t HandleSize = 0;
    uint8_t GalleyOption = 0;
    uint8_t ClipboardRendering = 0;  // set while the marquee region is printed to the clipboard
    uint8_t ThickLineCentreFlag = 0; // DrawThickLine first draws the centre line
    // Music fonts (core/draw/fonts.h): the 75 % and 65 % sizes, the request they are made
    // from, and the font a print job selects after each drawing pass.
    platform::FontHandle MusicFont75{};
    platform::FontHandle MusicFont65{};
    text::LogicalFont MusicFontTemplate{};
    platform::FontHandle PrintJobFont{};
    // Colour sets (core/draw/colour_sets.h): pens and brushes made once, owned here.
    platform::PenHandle GreyPen{};
    platform::PenHandle RedPen{};
    platform::PenHandle FeedbackPen{};
    platform::BrushHandle RedBrush{};
    platform::BrushHandle FeedbackBrush{};
    uint32_t FeedbackColour = 0x7F7F00;
    // The one off-screen drawing (core/draw/draw_offscreen.h).
    platform::DcHandle OffscreenDC{};
    platform::BitmapHandle OffscreenBitmap{};
    platform::BitmapHandle OffscreenOldBitmap{};
    // Centre point a page view is moved to by the next metric change; x = -32767: none.
    int32_t PendingCentreX = -32767;
    int32_t PendingCentreY = -32767;
    uint8_t ZoomCursorsEnabled = 0;
    // The music font's glyph metric table, measured once per run (core/draw/fonts.h).
    uint8_t GlyphTableBuilt = 0;
    uint8_t GlyphTableFailureReported = 0;
    GlyphMetricEntry GlyphTable[kGlyphTableEntries] = {};
    // Style matching of the font enumeration: wanted bold, italic, underline.
    uint8_t WantedBold = 0;
    uint8_t WantedItalic = 0;
    uint8_t WantedUnderline = 0;
    // The scaled music-font cache (staves/staff_scaling.h); owned, null until used.
    ScaledFontEntry* ScaledFontCache = nullptr;
    ql::GlyphDrawState glyphDrawState{};
};

// Status bar and modal boxes.
struct DialogGlobals {
    platform::WindowHandle FrameWindow{};
    platform::WindowHandle StatusWindow{};
    uint8_t ShowStatusBarSetting = 0;
    uint8_t ModalFlag = 0;
    ScoreView* ActiveViewStack[kActiveViewStackSize] = {};
    int32_t DialogDepth = 0;
    // Help (core/ui/help.h): HelpFileState 0 not checked, 1 found, 2 missing; the
    // chosen language's help folder prefix (may be empty) and help file name.
    uint8_t HelpFileState = 0;
    std::string HelpFolderPrefix;
    std::string LanguageHelpName;
    platform::BitmapHandle HelpLogoBitmap{};  // bitmap 126, loaded on first use
    // The progress dialog (core/ui/progress.h); null when closed.
    platform::WindowHandle ProgressDialog{};
    int32_t ProgressLow = 0;
    int32_t ProgressHigh = 0;
    std::string ProgressCaption;
    int32_t CancelRequested = 0;
    // A quit taken while pumping for a long operation, posted again when it ends.
    uint8_t QuitPending = 0;
    int32_t QuitExitCode = 0;
};

// Keyboard and tool state shared by the tool handlers.
struct InputGlobals {
    uint8_t ModifierState = 0;  // Shift x 4 + Alt x 2 + Ctrl
    uint8_t StickyCtrlFlag = 0;
    uint8_t ShiftLatch = 0;
    uint32_t ToolCursorState = 0;
    uint8_t KeepTimeOnDelete = 0;
    uint8_t ShiftDragFlag = 0;
    uint8_t ToolModeByte = 0;
    uint8_t NotePalettePopupSuppressed = 0;
    uint8_t VoiceLock = 0;      // SetVoiceMask leaves the display mask alone
    uint8_t ForceRelocate = 0;  // view location moves relocate even when unchanged
    uint8_t DragLock = 0;       // a drag commit leaves the view's location alone
};

// Shell flags and program settings read by many modules.
struct ProgramGlobals {
    uint8_t ShutdownFlag = 0;
    uint8_t ShortStatusForm = 0;  // the note description's short tick and length form
    uint8_t FineStepSetting = 0;  // size and performance values step by 1
    uint8_t NoRefreshFlag = 0;    // edit commands leave the selection's rebuild alone
    // The text tool's current style: a negative number is an own font (face index =
    // its magnitude) with the size, attribute flags and character set below.
    int16_t TextToolStyle = 3;
    int16_t TextToolSize = 0;
    uint16_t TextToolFlags = 0;  // bold, italic, underline as in text objects
    uint8_t TextToolCharset = 0;
    uint8_t AutoFlipAccents = 0;
    uint8_t SpaceAccidentals = 1;
    // Undo and autosave (core/undo/undo.h, core/undo/autosave.h): UndoSuspended is set while a
    // bulk operation runs; the autosave settings and the writer it runs (null: the
    // native score writer); the test hook that makes undo allocations fail.
    uint8_t UndoSuspended = 0;
    AutoSaveConfig AutoSave{};
    AutoSaveWriter AutoSaveWriterHook = nullptr;
    int FailUndoAllocations = 0;
    int UndoAllocationsBeforeFailure = 0;
};

// The four six-entry save-and-restore stacks (operations in the units module).
struct ScreenPoint {
    int32_t x = 0;
    int32_t y = 0;
};

// A saved view location is a location record: position word, a zero byte, staff,
// measure, then the pointer's logical point.
using SavedViewLocation = LocationRecord;

template <typename T>
struct SixEntryStack {
    T entries[kSaveStackDepth] = {};
    int count = 0;
};

// Allocation contexts need no stack here: AllocContextScope keeps the previous pool
// set in the caller's frame.
struct SaveStacks {
    SixEntryStack<ScreenPoint> pointerPositions;
    SixEntryStack<int16_t> shortValues;
    SixEntryStack<SavedViewLocation> viewLocations;
};

// Shared text buffers; each is overwritten by the next call that uses it.
struct TextBuffers {
    char status[kStatusTextBytes] = {};
    char moduleLine[kModuleLineBytes] = {};
    char display[kDisplayTextBytes] = {};
    char scratch[kScratchTextBytes] = {};
};

struct ProgramState {
    PoolGlobals pools;
    DocumentGlobals documents;
    FileFlags files;
    PlaybackGlobals playback;
    SequencerGlobals sequencer;
    DrawingGlobals drawing;
    DialogGlobals dialogs;
    InputGlobals input;
    ProgramGlobals program;
    SaveStacks stacks;
    TextBuffers text;
};

// The program state; asserts in debug builds that the caller is the UI thread.
ProgramState& State();
// The flags shared with the timer and MIDI threads; any thread.
PlaybackGlobals& PlaybackFlags();

// Makes the calling thread the user-interface thread.
void BindUiThread();
bool IsUiThread();

// For tests: releases the static pool blocks, puts every group back to its state at
// program start, applies the start-up defaults of ClearStaticPoolTables and binds
// the calling thread as the UI thread. Documents, views and the selection record
// are not freed (their owners free them).
void ResetProgramState();

}  // namespace ql
