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
#include <vector>

#include "core/constants.h"
#include "core/draw/view_drawing.h"
#include "core/memory/pool.h"
#include "core/objects/score_object.h"
#include "core/state/accidental_tool_state.h"
#include "core/state/block_clipboard_state.h"
#include "core/state/marquee_state.h"
#include "core/state/notation_font_state.h"
#include "core/state/note_tool_state.h"
#include "core/state/painter_state.h"
#include "core/state/rest_tool_state.h"
#include "core/state/spelling_preference_table.h"
#include "core/undo/autosave.h"
#include "platform/handles.h"
#include "platform/text/logical_font.h"

namespace ql {

struct ScoreDocument;
struct ScoreSystem;
struct ScoreView;
struct SelectionState;
struct ScaledFontEntry;
class PaperBoxLog;

constexpr int kSaveStackDepth = 6;
constexpr int kActiveViewStackSize = 9;  // entry 0 never written; 1..8 nested dialogs
constexpr int kStatusTextBytes = 256;
constexpr int kModuleLineBytes = 64;
constexpr int kDisplayTextBytes = 512;
constexpr int kScratchTextBytes = 256;
constexpr int kPathBytes = 260;
constexpr int kPatchNameBytes = 128;
constexpr uint8_t kSpellingCacheEmpty = 0xFF;

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
    int RecordAllocationsBeforeFailure = 0;  // allocations that succeed first
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
    // Extract Part's options for the program run: copy master-page items, copy
    // page-one items.
    uint8_t PartCopyMasterItems = 0;
    uint8_t PartCopyPageOneItems = 0;
    uint8_t ScoreFileReading = 0;  // a score file (or NIFF import) is being read
    uint8_t ScoreFileWriting = 0;  // a score file is being written
    // Counts internal errors reported; a save that sees it change while it runs
    // stops with code 2990.
    uint32_t EmergencySaveActive = 0;
    uint8_t AutoSaving = 0;        // the writer runs in autosave mode
    uint8_t FileVersion = 0;       // version byte of the file being read
    // The reader's version state (files/records/file_version.h): the width of the
    // version field read (1 or 2 bytes), the remembered choice for version 15 (0 none,
    // 1 its records found one byte shorter, 14 read as 14, 16 read as 16), and the time
    // of the event whose attached objects are being read.
    uint8_t VersionFieldWidth = 2;
    uint8_t VersionChoice = 0;
    uint16_t AttachedObjectTime = 0;
    // Set while a document's prototype objects are built.
    uint8_t BuildingPrototypes = 0;
    uint8_t MidiFileTransferActive = 0;
    uint8_t MidiImportActive = 0;
    // Set while any import (Standard MIDI File, NIFF, MusicXML) builds its score; a
    // second import is refused meanwhile.
    uint8_t Importing = 0;
    // The file being imported, and the MusicXML hand-off's converted file waiting to
    // be imported (cleared at the start of every import).
    std::string ImportPath;
    std::string PendingImportPath;
    uint8_t ImportPending = 0;
    // The export flag: set while a Standard MIDI File is written (the page formatter
    // then shortens the opening system and marks the systems after it).
    uint8_t MidiFileExporting = 0;
    // The bytes moved by the last read or write of the score file.
    uint32_t BytesMoved = 0;
    // A file is being opened; opened as the base of a new manuscript; the quiet mode
    // of the verifier (header failures show no box).
    uint8_t Opening = 0;
    uint8_t OpeningAsBase = 0;
    uint8_t QuietRead = 0;
    // The folder the last template was chosen in, and whether New Manuscript's
    // "Use Template" chose one (layout/page/new_manuscript_dialog.h).
    std::string TemplateFolder;
    uint8_t TemplateChosen = 0;
    // The folder of the last score saved under a name chosen (files/commands/
    // file_commands.h: ProposedSaveFolder); empty: none yet.
    std::string SaveFolder;
    // EmergencySaveActive as a running save found it (a change stops it with 2990).
    uint32_t InternalErrorsAtSaveStart = 0;
    std::string TempPath;  // the temporary file of the running save
    // Command 40199 "&Trim Unused Pages": a save first removes the empty pages at the
    // end of the score. A program flag, not kept in the settings file.
    uint8_t TrimPagesOption = 1;
};

// Flags shared with the timer and MIDI-input threads.
struct PlaybackGlobals {
    std::atomic<uint8_t> PlaybackActive{0};
    std::atomic<uint8_t> SequencerRunning{0};
    std::atomic<uint8_t> SequencerPaused{0};
    std::atomic<uint8_t> SequencerRecording{0};
    // The painting guard (core/draw/painting_guard.h): while non-zero, drawing runs and
    // SetDocumentModified does nothing, as while PlaybackActive. PaintSerial counts the
    // paints (it moves on whenever the guard is set from 0). Written by the UI thread.
    std::atomic<uint32_t> PaintingGuard{0};
    std::atomic<uint32_t> PaintSerial{0};
};

// Flags of the sequencer and transcription that only the UI thread touches.
struct SequencerGlobals {
    uint8_t TranscriptionActive = 0;
    uint8_t StepEntryEnabled = 0;
    // While playing: the performance table wants its next half (the painter refills it).
    uint8_t PerformanceRefillDue = 0;
};

// Settings of the notes code (pitch spelling, beat maps, stems and beams).
struct NotesGlobals {
    // How stems are set: 0 by position, 1 all up, 2 all down.
    uint8_t StemMode = 0;
    // Stems and beams (notes/stems/stems.h): eighths and shorter are beamed as they
    // are entered ("Auto &beam"); the most chords an automatic join may make; and the
    // direction that operations carrying stems over (paste, transposition, import)
    // force while KeepStemDirection is set (KeptStemDirection: 1 up, 0 down).
    uint8_t AutoBeam = 1;
    uint8_t MaxBeamChords = 8;
    uint8_t KeepStemDirection = 0;
    uint8_t KeptStemDirection = 0;
    // Pitch spelling (notes/pitch/spelling.h): the user's preference tables, and the
    // copy rotated to pitch classes for one key and mode, with that key and mode
    // (kSpellingCacheEmpty: none built). The accidental the last NoteToMidiKey applied.
    // The shared text of GeneralMidiPatchName.
    SpellingPreferenceTable SpellingPreferences{};
    int8_t SpellingCache[kSpellingIntervals] = {};
    uint8_t SpellingCacheKey = kSpellingCacheEmpty;
    uint8_t SpellingCacheMode = kSpellingCacheEmpty;
    uint8_t LastEffectiveAccidental = 0;
    char PatchName[kPatchNameBytes] = {};
    // Patch numbers are shown from 0 or from 1 ("Patch offset:" of the staff's MIDI
    // setup, staves/staff_dialogs.h).
    uint8_t PatchNumberOffset = 0;
    // Beat maps (notes/beatmap/beat_map.h): where the naturals of a key change stand
    // (command 40194 "&Key Cancel Left of Bar": 1 before the barline, 2 after it, 0
    // none), and the slots the last scroll-view build laid out.
    uint8_t KeyCancelLeftOfBar = 2;
    uint8_t ScrollViewSlots = 0;
    // Rests and accidentals (notes/rests, notes/accidentals): "Display Hidden Items"
    // (command 40405) draws hidden items in the hidden colours; "Auto &extend measure"
    // (command 40425) lets a rest too long for the room left extend its measure; the
    // accidental and rest tools' palette state.
    uint8_t DisplayHiddenItems = 0;
    uint8_t AutoExtendMeasure = 0;
    AccidentalToolState AccidentalTools{};
    RestToolState RestTools{};
    // Note entry (notes/entry): the note palette's selection and the Notes tool's
    // entry context.
    NoteToolState NoteTools{};
    NoteEntryContext NoteEntry{};
    // Set: a spacing step on a whole focused note rebuilds the beat maps of the view
    // and its linked views rather than following the measure's width alone.
    uint8_t RebuildLinkedBeatMaps = 0;
    // Ties (notes/ties): 1 puts new ties below their notes, else above.
    uint8_t CurveSide = 0;
    // Note drawing (notes/drawing): "Auto &rest" (command 40420) draws the rest of an
    // empty measure; "Auto hide tablature stems" (command 42226) leaves tablature
    // heads without stems and beams; "Pr&omote Shaped Heads" (command 40213) draws
    // shaped heads of half notes and longer hollow. The notation font in force, and
    // the paint (PaintSerial) in which damaged notes were last reported.
    uint8_t AutoRest = 1;
    uint8_t AutoHideTabStems = 1;
    uint8_t PromoteShapedHeads = 1;
    NotationFontState NotationFont{};
    uint32_t BadNoteReportSerial = 0;
};

// Settings and run state of the layout engine (measure widths, justification,
// page geometry). SpaceAccidentals is with the program settings.
struct LayoutGlobals {
    // "IsSpacing": 0 none, 1 proportional, 2 engraver (justify by duration classes).
    uint8_t SpacingMode = 2;
    // "SpreadSpaceChanges": a respaced measure may keep a changed width.
    uint8_t SpreadSpaceChanges = 0;
    // The formatting mode the Edit menu chooses: 0 off, 1 relative, 2 absolute.
    uint8_t FormattingMode = 0;
    // Set while new page margins are applied: system placement moves systems to the
    // left margin instead of keeping an indent.
    uint8_t MarginsChanging = 0;
    // Set by the page-margin drag while it adds or removes systems: page layout does
    // not cap the gaps between systems at the system separation.
    uint8_t SystemGapsUncapped = 0;
    // Page formatter: a refusal byte that makes AppendPage fail after making its
    // page, the latch set when the pools ran nearly full after a new page, and the
    // byte that makes FormatMeasures skip the vertical layout (page margin drag).
    uint8_t RefuseNewPage = 0;
    uint8_t PagesLowLatch = 0;
    uint8_t VerticalLayoutSuspended = 0;
    // The page-margin drag: set while its commit runs; the master-margin mode (2:
    // a master page's dragged margins go to the pages it governs; 0 and 1 keep them
    // on the master).
    uint8_t MarginDragActive = 0;
    uint8_t MasterMarginMode = 0;
    // Set while only the parts of figures that continue on the next system are drawn.
    int32_t ContinuationOnly = 0;
    // Nesting of spacing operations and the low-memory reports shown when the
    // outermost began: an exhausted pool is reported once per operation.
    int32_t SpacingDepth = 0;
    int32_t SpacingReportsAtStart = 0;
    // One run of a page-geometry dialog: the working margins of left and right
    // pages (distance words in the page unit, and logical units; left, top, right,
    // bottom), and what the run changed or asked for. StaffSizeChosen is 0 for
    // none, else the staff size + 1. The working page record is the document's.
    uint16_t WorkingLeftMargins[4] = {};
    uint16_t WorkingRightMargins[4] = {};
    int32_t WorkingLeftLogical[4] = {};
    int32_t WorkingRightLogical[4] = {};
    uint8_t GeometryChanged = 0;
    uint8_t StaffSizeChosen = 0;
    uint8_t DialogChanged = 0;
    uint8_t SavePagePreferences = 0;
    uint8_t SaveMarginPreferences = 0;
};

// Program-wide drawing state.
struct DrawingGlobals {
    platform::DcHandle PaintDC{};
    platform::DcHandle PrintDC{};
    // Owned; present while text is measured on the reference context
    // (core/draw/reference_context.h).
    platform::DcHandle ReferenceDC{};
    uint8_t DrawingSuppressed = 0;
    uint8_t RulersShown = 0;
    // The printer's non-printing area as the user set it (dialog 806): whether it
    // overrides the printer's own, and its horizontal and vertical amounts.
    uint8_t NonPrintingOverride = 0;
    int32_t NonPrintingX = 0;
    int32_t NonPrintingY = 0;
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
    // The log of boxes drawn away with the paper that is open (notes/drawing/paper_boxes.h);
    // borrowed from its scope, null when none is.
    PaperBoxLog* OpenPaperBoxLog = nullptr;
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
    uint8_t AltAtDragStart = 0;  // the Alt key was held when the current drag started
    uint8_t ToolModeByte = 0;
    uint8_t NotePalettePopupSuppressed = 0;
    uint8_t VoiceLock = 0;      // SetVoiceMask leaves the display mask alone
    uint8_t ForceRelocate = 0;  // view location moves relocate even when unchanged
    uint8_t DragLock = 0;       // a drag commit leaves the view's location alone
    uint8_t DurationKeyUndo = 0;  // [ and ] on a Note run inside their own undo step
    uint8_t CollectingAcrossSystems = 0;  // the hit records of the visible systems are being collected
    // The spanner tools' faces and the octave line's one-shot follow switch.
    uint8_t SlurToolUpward = 1;     // the slur tool's face draws upward slurs
    uint8_t WicketteHookFirst = 0;  // the pedal bracket tool's face starts with its hook
    uint8_t SkipOctaveFollow = 0;   // the next octave-line label follow is skipped
    // The Graphics palette's current button shows a face of another strip than its own.
    uint8_t GraphicAlternate = 0;
    // The clef the staff cursor was made for: the clef code of the hovered staff at
    // its system's first measure, -1 until a staff element fills it. The editing
    // code sets it back to -1 whenever it lets the followed objects go (after an
    // edit, or when a tool is armed), so the clef is looked up again.
    int8_t StaffCursorClef = -1;
    // The language's key letters by group (core/ui/command_letters.h); an empty
    // group is the built-in one.
    std::vector<std::string> CommandLetters;
};

// The view locator (display/view_location.h, display/hit_test.h): switches callers
// set around one operation, the measure-slot limit, the mouse moves to ignore after
// the program warped the pointer, and the search state of the pointer hit tests.
struct LocateGlobals {
    uint8_t KeepSystem = 0;           // locating keeps the current system
    uint8_t KeepMeasure = 0;          // locating and time anchors keep the current measure
    uint8_t KeepStaff = 0;            // locating keeps the current staff
    uint8_t ForceLocationUpdate = 0;  // setters apply an unchanged location
    uint8_t SkipVoiceChain = 0;       // quick setters leave the voice chain alone
    uint8_t SlotLimit = 24;           // measure slots a system row uses
    uint8_t SkipNextMouseMove = 0;    // mouse moves the view ignores, one each
    uint8_t ArmedToolCode = 0;        // code of the armed tool; 0 none
    uint8_t HitVoice = 0;             // voice of the last pointer search
    uint8_t VoiceFilterMode = 0;      // 1: every voice may be searched
    uint8_t VoiceFilterMask = 0;      // else bit v allows voice v; 0 allows all
    uint8_t PointerValidation = 0;    // report unusable page and system references
    LogicalPoint LastPointerPoint{};  // the last point the program put the pointer on
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

// A system the hiding pass took hide-when-empty staves out of, with its staff
// arrays as they were, so that restoring gives back the stored bytes exactly.
struct HiddenStaffSystem {
    ScoreDocument* document = nullptr;
    ScoreSystem* system = nullptr;
    int staffCount = 0;
    std::vector<bool> hidden;         // indexed by staff, 0..staffCount
    std::vector<uint16_t> offsets;    // the staff offsets before hiding
    std::vector<int8_t> flags;        // the staff flags before hiding
};

// System drawing and text of the display (display/system_drawing.h,
// display/charset_text.h).
struct DisplayGlobals {
    uint8_t OssiaStaves = 0;               // "OssiaStaves": hide-when-empty staves drawn as all
    uint8_t MeasureNumbersSuppressed = 0;  // no measure numbers at all
    uint8_t SequencerDisplayOnly = 0;      // systems get their staff lines only
    uint8_t TextSpacingRef = 0;            // "TextSpacingRef": the measuring mode
    std::vector<HiddenStaffSystem> HiddenStaves;
    std::vector<uint16_t> MissingCodePagesReported;
    uint32_t UserLocale = 0;     // the user's locale id, taken by InitFontLocale
    uint8_t DialogCharset = 1;   // the dialog font's character set (1: default)
    text::LogicalFont DesignFontRequest{};  // measuring mode 2's cached font
    int32_t DesignFontEm = 0;
    platform::FontHandle DesignFont{};
    ScoreSystem* ParkedSystem = nullptr;  // moved far left in paint ParkedPaintSerial
    uint32_t ParkedPaintSerial = 0;
    PainterState painter;                 // the score painter and zoom (display/painter_state.h)
    // The "Measure" and "Page" boxes of the Find dialog, kept between uses
    // (display/navigation.h).
    int32_t FindMeasureChecked = 0;
    int32_t FindPageChecked = 0;
};

// The page-button band (editing/page_band.h): how many buttons show, how many it
// shows at most, its button pressed for the view's page (-1 none) and its
// orientation. The page on its first button is the active view's pagerFirstPage.
struct PagerGlobals {
    int16_t VisibleCount = 0;
    int16_t WantedCount = 16;
    int16_t CurrentButton = 2;
    uint8_t Vertical = 0;
};

struct ProgramState {
    PoolGlobals pools;
    DocumentGlobals documents;
    FileFlags files;
    PlaybackGlobals playback;
    SequencerGlobals sequencer;
    NotesGlobals notes;
    LayoutGlobals layout;
    DrawingGlobals drawing;
    DialogGlobals dialogs;
    InputGlobals input;
    LocateGlobals locate;
    ProgramGlobals program;
    SaveStacks stacks;
    TextBuffers text;
    DisplayGlobals display;
    MarqueeState marquee;  // the marquee of the Pointer tool (editing/marquee.h)
    BlockClipboardState blockClipboard;  // editing/block_clipboard.h
    PagerGlobals pager;
};

// The program state; asserts in debug builds that the caller is the UI thread.
ProgramState& State();
// The flags shared with the timer and MIDI threads; any thread.
PlaybackGlobals& PlaybackFlags();

// Ctrl counts as held: the Ctrl key is down or the latched-Ctrl byte is set.
bool CtrlHeld();

// Makes the calling thread the user-interface thread.
void BindUiThread();
bool IsUiThread();

// For tests: releases the static pool blocks, puts every group back to its state at
// program start, applies the start-up defaults of ClearStaticPoolTables and binds
// the calling thread as the UI thread. Documents, views and the selection record
// are not freed (their owners free them).
void ResetProgramState();

}  // namespace ql
