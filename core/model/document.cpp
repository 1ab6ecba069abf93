// Score documents: creation with the new-score defaults, renewal, the modified
// mark, owned buffers, header conversions and destruction. A document lives in the
// program-wide document list from CreateDocument to DestroyDocument.
#include "core/model/document.h"

#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <ctime>
#include <new>

#include "core/draw/fonts.h"
#include "core/draw/gdi_cache.h"
#include "core/draw/painting_guard.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/model_reports.h"
#include "core/model/object_list.h"
#include "core/model/pages.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"
#include "core/services/score_object_services.h"
#include "core/settings/metrics_table.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/score_settings.h"
#include "core/state.h"
#include "core/state/block_clipboard_state.h"
#include "core/undo/undo.h"
#include "core/units/units.h"
#include "platform/gfx/objects.h"

namespace ql {

namespace {

constexpr int kCreateReportLine = 667;
constexpr uint16_t kLyricLevelBase = 320;
constexpr uint16_t kLyricLevelStep = 256;
constexpr uint8_t kNewScoreSettingE = 2;
constexpr uint8_t kNewScoreSettingF = 32;
constexpr int kTicksPerStretchStep = 16;
constexpr int kStretchUnity = 256;
constexpr int kPreferenceFaceCount = 4;
constexpr char kSerifFace[] = "Times New Roman";
constexpr char kSansFace[] = "Arial";
constexpr uint8_t kStaffCountMask = 0xFF;

void CopyFaceName(FaceNameEntry& entry, const char* name) {
    std::memset(&entry, 0, sizeof entry);
    std::strncpy(entry.name, name, kFaceNameChars - 1);
}

// Index of a face name in the document's table, appended when missing; the fallback
// entry when the table is full (never the music font of entry 0).
uint16_t FaceIndexOf(ScoreDocument* document, const char* name) {
    const int index = FindFaceNameIndex(document, name);
    return static_cast<uint16_t>(index >= 0 ? index : kFallbackFaceIndex);
}

void SetLyricLevels(ScoreHeader& header) {
    for (int i = 0; i < kLyricLevelCount; ++i)
        header.lyricLevels[i] = static_cast<uint16_t>(kLyricLevelBase + i * kLyricLevelStep);
}

void InitFonts(ScoreDocument* document, const PreferenceDefaults& prefs) {
    std::memcpy(document->fonts, prefs.fonts, sizeof document->fonts);
    for (QuickFontRecord& font : document->fonts) font.handle = 0;
    std::memset(document->faceNames, 0, sizeof document->faceNames);
    CopyFaceName(document->faceNames[0], prefs.musicFaceName);
    CopyFaceName(document->faceNames[1], kSerifFace);
    CopyFaceName(document->faceNames[2], kSansFace);
    for (int i = 0; i < kPreferenceFaceCount && i < kScoreFontCount; ++i)
        std::strncpy(document->fonts[i].face, prefs.fontFaceNames[i],
                     sizeof document->fonts[i].face - 1);
    for (int i = 0; i < kFontRefCount; ++i) {
        document->fontRefs[i] = prefs.fontRefs[i];
        document->fontRefs[i].font = 0;
        if (document->fontRefs[i].flag)
            document->fontRefs[i].faceIndex = FaceIndexOf(document, prefs.fontRefFaceNames[i]);
    }
}

void InitHeaderFromPreferences(ScoreDocument* document, const PreferenceDefaults& prefs) {
    ScoreHeader& header = document->header;
    const ScoreHeader& source = prefs.header;
    header.pageGeometry = source.pageGeometry;
    header.pageGeometry.measureNumberFont = 0;
    header.scoreSettingB = source.scoreSettingB;
    std::memcpy(header.settingsWords, source.settingsWords, sizeof header.settingsWords);
    header.scoreSettingA = source.scoreSettingA;
    header.userPageWidth = source.userPageWidth;
    header.userPageHeight = source.userPageHeight;
    header.fontSizeSetting = source.fontSizeSetting;
    std::memcpy(header.leftMargins, source.leftMargins, sizeof header.leftMargins);
    std::memcpy(header.rightMargins, source.rightMargins, sizeof header.rightMargins);
    if (header.pageGeometry.measureNumberIsWindowsFont)
        header.pageGeometry.measureNumberFontClass =
            static_cast<uint8_t>(FaceIndexOf(document, prefs.measureNumberFaceName));
    // A new score is engraved with the metrics of the preferences (line widths,
    // stems, accidentals...), which its file then keeps.
    LoadMetricsPrefs(document, nullptr);
    header.notePlaybackPercent = source.notePlaybackPercent;
    header.tempo = source.tempo;
    // The on/off setting goes with the score like its tempo (shell/score_settings.h).
    header.settings220[kOnOffSettingByte] = source.settings220[kOnOffSettingByte];
    header.scoreSettingE = kNewScoreSettingE;
    header.scoreSettingF = kNewScoreSettingF;
}

// Every record of the measure table for the default time signature.
void ResetMeasureTable(ScoreDocument* document) {
    if (!document->measureTable) return;
    const PreferenceDefaults& prefs = ProgramPreferences();
    const int ticks = DefaultMeasureTicks();
    for (int i = 0; i < MaxMeasures; ++i) {
        MeasureRecord& record = document->measureTable[i];
        ClearMeasureRecord(&record, document->internalDistances);
        record.lengthTicks = static_cast<uint16_t>(ticks);
        record.width =
            static_cast<uint16_t>(((record.lengthTicks & 0xFFFF) / kTicksPerStretchStep) *
                                  prefs.DefaultStretchFactor / kStretchUnity);
        record.flags = 0;
        record.number = static_cast<uint16_t>(i);
    }
}

// Deletes a platform object held as handle bits and clears them; bits that no longer
// resolve (the object was deleted elsewhere) are only cleared.
void DeletePlatformObject(uint32_t& bits) {
    if (bits != 0) gfx::DeleteObject(platform::AnyObjectHandle(bits));
    bits = 0;
}

void StampCreationTime(ScoreDocument* document) {
    std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    // Kept as the calendar breaks it down: month from 0, year from 1900.
    const int fields[kCreatedFieldCount] = {local.tm_sec,  local.tm_min,  local.tm_hour,
                                            local.tm_mday, local.tm_mon,  local.tm_year,
                                            local.tm_wday, local.tm_yday, local.tm_isdst};
    std::memcpy(document->created, fields, sizeof fields);
}

// A page with one system placed at y; null when a record could not be had.
ScorePage* NewPageWithSystem(ScoreView* view, int16_t number, int32_t y) {
    ScorePage* page = ConstructPageRecord(AllocPageRecord(sizeof(ScorePage)));
    if (page == nullptr) return nullptr;
    page->pageNumber = number;
    ScoreSystem* system = ConstructSystemRecord(AllocSystemRecord(sizeof(ScoreSystem)), view);
    if (system == nullptr || !HasSystemArrays(system)) {
        if (system != nullptr) FreeSystemRecord(system);
        FreePageRecord(page);
        return nullptr;
    }
    system->y = y;
    page->firstSystem = Ref32<ScoreSystem>::To(system);
    page->systemCount = 1;
    return page;
}

void LinkPages(ScorePage* before, ScorePage* after) {
    before->next = Ref32<ScorePage>::To(after);
    after->previous = Ref32<ScorePage>::To(before);
}

bool BuildPageList(ScoreDocument* document, ScoreView* view) {
    document->leftMaster = NewPageWithSystem(view, kLeftMasterNumber, kMasterSystemY);
    document->rightMaster = NewPageWithSystem(view, kRightMasterNumber, kMasterSystemY);
    document->firstPage = NewPageWithSystem(view, 1, 0);
    if (!document->leftMaster || !document->rightMaster || !document->firstPage) return false;
    LinkPages(document->leftMaster, document->rightMaster);
    LinkPages(document->rightMaster, document->firstPage);
    ApplyHeaderMargins(document);
    return true;
}

bool AllocMeasureTables(ScoreDocument* document) {
    document->measureTable.reset(new (std::nothrow) MeasureRecord[MaxMeasures]());
    document->baselineMeasureTable.reset(new (std::nothrow) MeasureRecord[MaxMeasures]());
    return document->measureTable && document->baselineMeasureTable;
}

// Everything a failed creation made goes; the record stays with the caller.
void AbandonDocument(ScoreDocument* document, int reportsBefore) {
    DestroyDocument(document);
    if (LowMemoryReportCount() == reportsBefore) ReportLowMemory("UNITS", kCreateReportLine);
}

}  // namespace

int DefaultMeasureTicks() {
    const PreferenceDefaults& prefs = ProgramPreferences();
    return prefs.timeBeats << prefs.timeBeatUnitExponent;
}

ScoreDocument* AllocDocument() {
    return new (std::nothrow) ScoreDocument();
}

int InitNewDocument(ScoreDocument* document, ScoreView* view, const NewScoreBlock* tmpl) {
    if (document == nullptr) return 0;
    SetCurrentPoolSet(document->pools);
    document->clearedFlags[0] = document->clearedFlags[1] = 0;
    document->pagesByRoom = false;
    for (int s = 0; document->staves != nullptr && s <= document->header.staffCount; ++s) {
        StaffRecord* staff = StaffRecordOf(document, s);
        if (staff != nullptr && staff->cells) FreeRecord(kCellArrayPool, staff->cells.get());
        if (staff != nullptr) staff->cells = Ref32<CellHandleArray>{};
    }
    StartUndoHistory(document);
    objects::FreeRepeatEndingList(document);
    ResetDocumentPoolSet(document->pools);
    // The reset took every record: nothing the document pointed into the pools lives.
    document->staves = nullptr;
    document->leftMaster = document->rightMaster = document->firstPage = nullptr;
    std::memset(document->prototypes, 0, sizeof document->prototypes);
    if (!objects::BuildDefaultObjects(view, document->prototypes, PoolSet(document->pools)))
        return 0;
    document->headSentinel = RecordHandle{};
    document->headSentinel = CreateHeadSentinel(document);
    if (!document->headSentinel) return 0;
    document->path = ProgramString(kStrUntitled);
    const PreferenceDefaults& prefs = ProgramPreferences();
    document->header.newScoreBlock = tmpl != nullptr ? *tmpl : prefs.header.newScoreBlock;
    document->header.staffCount =
        static_cast<uint8_t>(document->header.newScoreBlock.initStavesPerSystem & kStaffCountMask);
    InitFonts(document, prefs);
    InitHeaderFromPreferences(document, prefs);
    SetLyricLevels(document->header);
    ResetMeasureTable(document);
    document->workingNewScoreBlock = document->header.newScoreBlock;
    document->workingPageGeometry = document->header.pageGeometry;
    document->workingSettingB = document->header.scoreSettingB;
    // Renewal starts a new history: Undo must never write the old score's bytes back.
    StartUndoHistory(document);
    return 1;
}

ScoreDocument* CreateDocument(ScoreDocument* document, ScoreView* view, const NewScoreBlock* tmpl) {
    if (document == nullptr) return nullptr;
    const int reportsBefore = LowMemoryReportCount();
    UnlinkDocument(document);
    *document = ScoreDocument{};
    State().documents.CurrentDocument = document;
    if (view != nullptr) view->document = document;
    InitDocumentPoolSet(document->pools);
    SetCurrentPoolSet(document->pools);
    bool made = InitNewDocument(document, view, tmpl) != 0;
    SetLyricLevels(document->header);
    made = made && AllocMeasureTables(document);
    if (made) {
        document->staves = static_cast<StavesArray*>(AllocRecord(kStavesArrayPool));
        made = document->staves != nullptr && BuildPageList(document, view);
    }
    if (!made) {
        AbandonDocument(document, reportsBefore);
        if (view != nullptr) view->document = nullptr;
        return nullptr;
    }
    document->header.pageCount = 1;
    document->changeCounter = 0;
    ResetMeasureTable(document);
    if (document->header.pageGeometry.measureNumberIsWindowsFont)
        document->header.pageGeometry.measureNumberFont = 0;
    StampCreationTime(document);
    // The view's mapping takes one staff scale per inch from the score's staff size.
    if (view != nullptr) view->UnitsPerInch = UnitsPerInch(*document);
    LinkDocument(document);
    return document;
}

void ReleaseDocumentFonts(ScoreDocument* document) {
    if (document == nullptr) return;
    DeleteAllCachedGdiObjects(document);
    for (QuickFontRecord& font : document->fonts) DeletePlatformObject(font.handle);
    for (FontRef& ref : document->fontRefs) {
        uint32_t font = ref.font;  // packed field: no reference to it
        DeletePlatformObject(font);
        ref.font = font;
    }
    uint32_t numbers = document->header.pageGeometry.measureNumberFont;
    DeletePlatformObject(numbers);
    document->header.pageGeometry.measureNumberFont = numbers;
}

void DestroyDocument(ScoreDocument* document) {
    if (document == nullptr) return;
    if (document->fileHandle >= 0) close(document->fileHandle);
    if (document->fileLock >= 0) close(document->fileLock);
    document->fileHandle = document->fileLock = -1;
    UnlinkDocument(document);
    DropBlockSourceOf(document);
    document->ownedRecords.clear();
    SetCurrentPoolSet(document->pools);
    // The staves, cell arrays and every other record go with the pool set's blocks
    // below, at once rather than record by record.
    document->staves = nullptr;
    document->measureTable.reset();
    document->baselineMeasureTable.reset();
    FreeUndoStack(document->undoStack);
    FreeUndoStack(document->redoStack);
    document->undoStack = document->redoStack = nullptr;
    objects::FreeRepeatEndingList(document);
    ReleaseDocumentFonts(document);
    FreeDocumentPoolSet(document->pools);
    std::memset(document->prototypes, 0, sizeof document->prototypes);
    document->headSentinel = RecordHandle{};
    document->leftMaster = document->rightMaster = document->firstPage = nullptr;
    DocumentGlobals& globals = State().documents;
    if (globals.CurrentDocument == document) globals.CurrentDocument = nullptr;
    if (CurrentPoolSet() == PoolSet(document->pools)) SetCurrentPoolSet(PoolSet{});
    if (SelectionState* selection = globals.Selection; selection != nullptr && selection->prototypeList == document->prototypes)
        selection->prototypeList = selection->prototypeListEnd = nullptr;
}

void FreeDocument(ScoreDocument* document) {
    DestroyDocument(document);
    delete document;
}

// ---- The document list ----

void LinkDocument(ScoreDocument* document) {
    if (document == nullptr || IsDocumentListed(document)) return;
    DocumentGlobals& globals = State().documents;
    document->nextDocument = globals.FirstDocument;
    globals.FirstDocument = document;
}

void UnlinkDocument(ScoreDocument* document) {
    DocumentGlobals& globals = State().documents;
    for (ScoreDocument** link = &globals.FirstDocument; *link != nullptr;
         link = &(*link)->nextDocument) {
        if (*link == document) {
            *link = document->nextDocument;
            document->nextDocument = nullptr;
            return;
        }
    }
}

bool IsDocumentListed(const ScoreDocument* document) {
    for (ScoreDocument* walk = State().documents.FirstDocument; walk != nullptr;
         walk = walk->nextDocument)
        if (walk == document) return true;
    return false;
}

// ---- Modified mark ----

void SetDocumentModifiedUnlocked(ScoreDocument* document) {
    if (document == nullptr) return;
    ++document->changeCounter;
    if (document->changeCounter == 0) document->changeCounter = 1;
    ++document->editGeneration;
}

void SetDocumentModified(ScoreDocument* document) {
    if (PlaybackFlags().PlaybackActive.load(std::memory_order_acquire) != 0) return;
    if (IsPaintingGuardSet()) return;  // drawing never counts as an edit
    SetDocumentModifiedUnlocked(document);
}

void ClearDocumentModified(ScoreDocument* document) {
    if (document != nullptr) document->changeCounter = 0;
}

// ---- Owned buffers ----

uint32_t PushDocumentRecord(ScoreDocument* document, std::vector<uint8_t> bytes) {
    if (document == nullptr) return 0;
    auto buffer = std::unique_ptr<std::vector<uint8_t>>(new (std::nothrow)
                                                            std::vector<uint8_t>(std::move(bytes)));
    if (!buffer) return 0;
    document->ownedRecords.push_back(std::move(buffer));
    return static_cast<uint32_t>(document->ownedRecords.size());
}

std::vector<uint8_t>* DocumentRecordOf(ScoreDocument* document, uint32_t id) {
    if (document == nullptr || id == 0 || id > document->ownedRecords.size()) return nullptr;
    return document->ownedRecords[id - 1].get();
}

// ---- Header conversions ----

namespace {

constexpr double kOneHundredth = 0.01;  // the step of a stored distance word

// The internal distance a stored word reads as.
uint16_t InternalDistanceOf(BcdInches word) {
    return static_cast<uint16_t>(BcdInchesToFloat(word) * kUnitsPerBcdUnit);
}

}  // namespace

void ConvertHeaderToInternal(ScoreDocument* document) {
    if (document == nullptr) return;
    for (int i = 0; i < kPageDistanceCount; ++i) {
        if (i == kNonDistanceWord) continue;
        document->internalDistances[i] = InternalDistanceOf(document->header.pageDistances[i]);
    }
    objects::CorrectTieCurveHeight(document);  // a damaged tie height is repaired as it comes in
}

void ConvertChangedDistancesToExternal(ScoreDocument* document) {
    if (document == nullptr) return;
    for (int i = 0; i < kPageDistanceCount; ++i) {
        if (i == kNonDistanceWord) continue;
        BcdInches& word = document->header.pageDistances[i];
        const uint16_t distance = document->internalDistances[i];
        if (InternalDistanceOf(word) == distance) continue;
        // The word below the distance, or the next one up when that one reads back
        // as the distance itself.
        word = UnitsToBcdInches(distance);
        const BcdInches up = FormatFloatG(BcdInchesToFloat(word) + kOneHundredth);
        if (InternalDistanceOf(up) == distance) word = up;
    }
}

void ConvertHeaderToExternal(ScoreDocument* document) {
    if (document == nullptr) return;
    for (int i = 0; i < kPageDistanceCount; ++i) {
        if (i == kNonDistanceWord) continue;
        document->header.pageDistances[i] = UnitsToBcdInches(document->internalDistances[i]);
    }
}

// ---- Grid access ----

StaffRecord* StaffRecordOf(ScoreDocument* document, int staff) {
    if (document == nullptr || document->staves == nullptr) return nullptr;
    if (staff < 0 || staff >= kStavesArrayEntries) return nullptr;
    return document->staves->staves[staff].get();
}

MeasureRecord* MeasureRecordOf(ScoreDocument* document, int measure) {
    if (document == nullptr || !document->measureTable || measure < 0 || measure >= MaxMeasures)
        return nullptr;
    return &document->measureTable[measure];
}

int64_t PlayedTicksOfMeasures(ScoreDocument* document, int first, int last) {
    if (document == nullptr) return 0;
    int64_t ticks = 0;
    const int end = std::min(last, document->header.measureCount + 1);
    for (int m = std::max(first, 1); m < end; ++m)
        if (const MeasureRecord* record = MeasureRecordOf(document, m))
            ticks += int64_t{record->lengthTicks} * (record->extra + 1);
    return ticks;
}

}  // namespace ql
