// ScoreDocument (one open score) and ScoreView (one score window on it).
//
// The document starts with the 270-byte score header: the settings that undo copies
// whole and the native file images field by field (never as raw memory: the staff
// count is byte 197 here and byte 191 in the file). Everything after the header lives
// outside the pools and is neither undone nor stored as a block. Documents and views
// are plain C++ objects owned by the program-wide lists (core/model/document.h, view.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "core/constants.h"
#include "core/model/beat_map_record.h"
#include "core/model/geometry.h"
#include "core/model/grid_records.h"
#include "core/model/page_record.h"
#include "core/model/page_records.h"
#include "core/memory/pool.h"
#include "core/draw/view_drawing.h"
#include "platform/gfx/types.h"
#include "platform/handles.h"

namespace ql {

struct ScoreObject;
struct UndoRecord;
struct RepeatEndingList;
struct EventRecord;
struct ScoreView;

constexpr int kPageDistanceCount = 28;
// Word 9 of the page distances is not a distance and is never converted.
constexpr int kNonDistanceWord = 9;
constexpr int kLyricLevelCount = 4;
constexpr int kMarginCount = 4;  // left, top, right, bottom
constexpr int kScoreFontCount = 24;
constexpr int kFaceNameCount = 32;
constexpr int kFaceNameChars = 32;
constexpr int kFontRefCount = 2;
constexpr int kGdiCacheSlots = 64;
constexpr int kGlyphMetricCount = 224;
constexpr int kGlyphMetricBytes = 34;
constexpr int kPatchMaskBytes = 32;
constexpr int kMixerStaves = kMaxStaves + 1;  // indexed by staff, 1..kMaxStaves (0 unused)
constexpr int kCreatedFieldCount = 9;
constexpr int kScoreHeaderBytes = 270;

#pragma pack(push, 1)
// The new-score template (14 bytes).
struct NewScoreBlock {
    uint32_t word0;
    uint8_t initMeasuresPerSystem;  // "InitMeasuresPerSystem" (4)
    uint8_t initSystemsPerPage;     // "InitSystemsPerPage" (5)
    uint16_t staffSeparation;
    uint16_t systemSeparation;      // at least 128, a multiple of 128
    uint8_t byte10;
    uint8_t byte11;
    uint16_t initStavesPerSystem;   // "InitStavesPerSystem" (2); low byte = staff count
};

// The score header: the first 270 bytes of the document.
struct ScoreHeader {
    uint16_t pageDistances[kPageDistanceCount];  // BcdInches; word 9 excepted
    uint32_t settingsWords[3];
    uint16_t scoreSettingA;
    PageRecord pageGeometry;
    uint16_t scoreSettingB;                      // always copied with pageGeometry
    NewScoreBlock newScoreBlock;
    uint8_t settings194[2];
    uint8_t notePlaybackPercent;                 // "NotePlaybackPercent" (90)
    uint8_t staffCount;                          // staves 1..staffCount
    uint16_t measureCount;
    uint16_t pageCount;                          // master pages not counted
    uint16_t scoreSettingD;
    uint8_t scoreSettingE;                       // 2 in a new score
    uint8_t scoreSettingF;                       // 32 in a new score
    uint16_t tempo;
    uint8_t settings208[2];
    // What the editing asked of the layout after a change (2 an object made, 7 a
    // drag); a pending request is not overwritten by a drag. Not stored in files:
    // a read score starts with 0.
    uint16_t reformatRequest;
    uint16_t lyricLevels[kLyricLevelCount];
    uint8_t settings220[26];
    uint16_t userPageWidth;                      // BcdInches in the page unit
    uint16_t userPageHeight;                     // BcdInches in the page unit
    uint8_t settings250[2];
    uint16_t fontSizeSetting;                    // user staff size, BcdInches
    uint16_t leftMargins[kMarginCount];          // BcdInches: left, top, right, bottom
    uint16_t rightMargins[kMarginCount];
};

// A score font (76 bytes in memory; files store it field by field in 72).
struct QuickFontRecord {
    char name[32];
    char face[32];
    uint32_t handle;   // platform font handle bits; 0 = not made yet
    uint8_t bold;
    uint8_t italic;
    uint8_t underline;
    uint8_t slot;      // 255 = own font
    int16_t height;
    uint8_t charset;
    uint8_t spare;
};

// One entry of the document's face-name table.
struct FaceNameEntry {
    char name[kFaceNameChars];
    uint8_t trailing[2];
};

// A further font reference of the score.
struct FontRef {
    uint8_t flag;
    uint16_t faceIndex;  // into faceNames
    uint32_t font;       // platform font handle bits
};
#pragma pack(pop)

static_assert(sizeof(NewScoreBlock) == 14);
static_assert(sizeof(ScoreHeader) == kScoreHeaderBytes);
static_assert(offsetof(ScoreHeader, pageGeometry) == 70);
static_assert(offsetof(ScoreHeader, staffCount) == 197);
static_assert(offsetof(ScoreHeader, leftMargins) == 254);
static_assert(sizeof(QuickFontRecord) == 76);
static_assert(sizeof(FaceNameEntry) == 34);
static_assert(std::is_trivially_copyable_v<ScoreHeader>);

// Mixer state of one staff (core/model/staff_mix.h keeps it with the staff).
struct StaffMix {
    uint8_t mute = 0;
    uint8_t solo = 0;
    int8_t velocityOffset = 0;
    bool operator==(const StaffMix&) const = default;
};

// Undo bookkeeping of a document (the undo module reads and writes it).
struct DocumentUndoState {
    int bracketDepth = 0;          // nesting of Begin/End; only the outermost captures
    uint8_t started = 0;           // a start state was noted by the outermost Begin
    uint16_t startCounter = 0;     // changeCounter at that Begin
    ScoreView* startView = nullptr;
    int32_t words[3] = {};         // the bracket's three words
    uint8_t kind = 0;
    uint8_t objectType = 0;
    uint8_t verb = 0;
    uint8_t undoAvailable = 0;
    uint8_t redoAvailable = 0;
    // Checkpoint mode, bytes held by the undo stack, the autosaves made, and the view
    // position noted by the outermost Begin. (Suspension is program-wide:
    // UndoSuspended in the state.)
    uint8_t checkpointActive = 0;
    uint32_t undoBytes = 0;
    uint32_t autoSaveCount = 0;
    ScorePage* startPage = nullptr;
    ScoreSystem* startSystem = nullptr;
    ScorePage* startGalleyPage = nullptr;
    ScoreSystem* startGalleySystem = nullptr;
    int32_t startOrigin[2] = {};
    uint16_t startMeasure = 0;
    uint8_t startStaff = 0;
    uint8_t startZoom = 0;
    uint8_t startPageView = 0;
};

// One open score. Owned by the document list; records it refers to in the pools
// belong to its pool set and die with it.
struct ScoreDocument {
    ScoreHeader header{};

    ScoreDocument* nextDocument = nullptr;  // program-wide document list
    int fileHandle = -1;                    // open file descriptor of the score; -1 none
    uint16_t changeCounter = 0;             // 0 = unchanged since creation or save
    // Counts every change and is never reset (caches built from the score compare it).
    uint32_t editGeneration = 0;
    // The copy lock: while either byte is set, no cell is copied into this
    // document. Cleared when the document is made or renewed; run time only.
    uint8_t clearedFlags[2] = {};
    RecordHandle headSentinel{};            // shared voice-head sentinel (pool 4)
    ScoreObject* prototypes[kObjectTypeCount] = {};
    UndoRecord* undoStack = nullptr;        // owned by the undo module
    UndoRecord* redoStack = nullptr;
    uint32_t editsSinceAutoSave = 0;
    RepeatEndingList* repeatEndings = nullptr;  // owned; objects/spanners/repeat_ending_list.h
    // Buffers the document owns outside the pools (picture bytes, ...), freed with
    // it; pooled records refer to them by id = index + 1 (PushDocumentRecord).
    std::vector<std::unique_ptr<std::vector<uint8_t>>> ownedRecords;
    uint16_t colourPictures = 0;            // pictures read with colour, not black and white
    ScorePage* leftMaster = nullptr;        // page -2
    ScorePage* rightMaster = nullptr;       // page -1
    ScorePage* firstPage = nullptr;         // page 1
    DocumentPoolSet pools{};
    DocumentPoolSet baselinePools{};
    DocumentUndoState undoState;
    StavesArray* staves = nullptr;          // pool 10, indexed 0..staffCount
    std::unique_ptr<MeasureRecord[]> measureTable;          // MaxMeasures records
    std::unique_ptr<MeasureRecord[]> baselineMeasureTable;  // copy at the undo baseline
    uint8_t baselineValid = 0;
    ScoreHeader baselineHeader{};
    FaceNameEntry baselineFaceNames[kFaceNameCount] = {};  // the face table at the undo baseline
    int32_t created[kCreatedFieldCount] = {};  // sec, min, hour, day, month (from 0),
                                               // year (from 1900), weekday, day of
                                               // year, DST; also the file's last-write
                                               // time after a save
    std::string path;                       // "Untitled" for a new score
    // Extract Part's layout choice of this score (0 none, else the dialog's code of
    // template, master or new-file defaults) and the template it last used.
    int32_t partLayoutChoice = 0;
    std::string partTemplatePath;
    QuickFontRecord fonts[kScoreFontCount] = {};
    FaceNameEntry faceNames[kFaceNameCount] = {};
    FontRef fontRefs[kFontRefCount] = {};
    PageRecord workingPageGeometry{};
    uint16_t workingSettingB = 0;
    NewScoreBlock workingNewScoreBlock{};
    uint16_t internalDistances[kPageDistanceCount] = {};
    int8_t extraVelocity = 0;               // master velocity offset
    // The page layout gives each system the gaps its staves' room asks and keeps
    // its ink inside the margins (an import laid out by room); else it deals the
    // gaps evenly as the formatter does. Run time only.
    bool pagesByRoom = false;

    uint32_t gdiCache[kGdiCacheSlots] = {};  // platform object handle bits
    uint8_t glyphMetrics[kGlyphMetricCount][kGlyphMetricBytes] = {};
    uint8_t patchesInUse[kPatchMaskBytes] = {};  // one bit per patch, run time only
    StaffMix staffMix[kMixerStaves] = {};
    int fileLock = -1;                      // descriptor holding the score's lock; -1 none
    uint8_t laterMajorVersion = 0;
    // The warning about a file of the later version: posted after a paint (due),
    // then shown once.
    uint8_t versionWarningDue = 0;
    uint8_t versionWarningShown = 0;
    // What Go to and Find last showed (display/navigation.h); the page is only
    // compared with the page list, never followed unchecked.
    int32_t foundMeasure = 0;
    int32_t foundMeasureNumber = 0;
    int32_t foundPageIndex = 0;
    ScorePage* foundPage = nullptr;
    uint8_t findRepeatMode = 0;  // bit 0 a measure was shown, bit 1 a page
};

// One score window on a document. Valid only while self == this.
struct ScoreView {
    ScoreView* self = nullptr;
    ScoreView* nextView = nullptr;          // program-wide view list
    uint32_t gdiObjects[3] = {};            // platform object handle bits
    uint8_t selectionBytes[8] = {};
    int32_t pageOrigin[2] = {};
    int32_t scrollOrigin[2] = {};
    ScorePage* currentPage = nullptr;       // null until the first activation
    ScoreSystem* currentSystem = nullptr;
    ScorePage* galleyPage = nullptr;        // the scroll view's own records
    ScoreSystem* galleySystem = nullptr;
    ScorePage* galleyPage2 = nullptr;
    double zoomFactor = 0.0;                // used only when positive
    ScoreObject* ownedObject = nullptr;
    ScoreDocument* document = nullptr;
    ScoreObject* pageObjects = nullptr;     // head of the page object list; when null
                                            // the current page's margin object heads it
    StaffRecord* currentStaffRecord = nullptr;
    MeasureCell* currentCell = nullptr;
    EventRecord* voiceChain = nullptr;      // head of the selected voice's chain
    int32_t fontSize = 0;
    int32_t zoomStep = 0;                   // 5 in a new view
    int32_t zoom = 0;
    int32_t previousZoom = 0;
    int32_t markers[2] = {};                // -1 in a new view
    int32_t staffY = 0;
    int32_t currentStaff = 0;
    int32_t currentMeasure = 0;
    int32_t currentSlot = 0;
    int32_t currentMeasureLength = 0;
    uint8_t voiceMask = 0;                  // bits 0-3: voices 1-4
    uint8_t slotCount = 0;
    uint8_t pageView = 0;                   // 1 page view, 0 scroll view
    int16_t pagerFirstPage = -2;            // page index on the page band's first button
    uint8_t displayMode = 0;
    uint8_t previousDisplayMode = 0;
    // Voices (bit v stands for voice v + 1); voiceMask above is the edit mask.
    uint8_t voiceDisplayMask = 0;       // voices drawn
    uint8_t allVoicesShown = 0;         // all voices drawn, whatever the edit mask
    uint8_t allVoicesDisplayMask = 0;   // the display mask while all voices are shown
    // The current location's time position word and the pointer's logical point.
    uint32_t positionWord = 0;
    LogicalPoint pointerPoint{};

    // Drawing surface (core/draw/draw_surface.h). The zoom level is `zoom`, the window
    // origin the page or scroll origin of the current mode, the staff scale
    // `zoomFactor`; draw_surface.h names them ZoomLevel, ScrollX/ScrollY, ViewScale.
    platform::WindowHandle ViewWindow{};
    int32_t DeviceWidth = 0;
    int32_t DeviceHeight = 0;
    platform::DcHandle ViewDC{};        // borrowed paint/print context or our own GetDC
    platform::DcHandle ViewMemoryDC{};  // owned; dropped when the surface closes
    platform::DcHandle ViewMirrorDC{};  // borrowed from the clipboard rendering
    double UnitsPerInch = 0.0;
    int32_t HalfZoom = 0;
    int32_t PixelUnitsX = 0;
    int32_t PixelUnitsY = 0;
    int32_t LineWidth = 0;
    int32_t LineWidth2 = 0;
    GlyphWidths glyphWidths{};          // from the document's glyph table
    GlyphWidths smallGlyphWidths[2]{};  // measured with MusicFont75, MusicFont65
    uint8_t DrawDepth = 0;
    uint8_t CaretShown = 0;
    platform::BitmapHandle glyphBitmaps[2]{};  // owned: pre-rendered "H", full and 65 %
    platform::CursorHandle toolCursor{};
    gfx::Rect visibleRect{};            // logical; left and top are the window origin
    int16_t visibleWidth = 0;
    int16_t visibleHeight = 0;
    int32_t PageRight = 0;
    int32_t PageBottom = 0;
    // The rulers (shell/program/rulers.h): children of ViewWindow, and the client
    // x and y where their tracking lines were last drawn (-1 none).
    platform::WindowHandle TopRuler{};
    platform::WindowHandle LeftRuler{};
    int32_t RulerTrackX = -1;
    int32_t RulerTrackY = -1;
    // The view's mixer window (null while it has none): it is told tempo changes.
    platform::WindowHandle MixerWindow{};
    ScaledMetrics scaledMetrics{};
    // Where measure slots, their signs and their ticks stand (beat_map_record.h).
    BeatMap beatMap;
};

}  // namespace ql
