// The finishing steps of a load (see score_build_sink.h): what the stream does not
// store is derived from what it does. The default fonts find their faces in the
// loaded table by name; cell 0 and the spare cells after the last measure repeat
// their neighbours; record 0 of the measure table copies record 1's layout words;
// pages without systems are taken out (score_build_page_repair.cpp);
// the master pages get systems for the staff count; the header's margins follow the
// master pages'; the music fonts use the symbol set; the view shows page 1; the history starts empty and unmodified.
#include <algorithm>
#include <cstdio>

#include "core/draw/fonts.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/midi_services.h"
#include "core/undo/undo.h"
#include "files/read/old_versions.h"
#include "files/read/score_build_sink.h"
#include "files/read/score_read_rules.h"
#include "files/records/file_codes.h"
#include "layout/measure_spacing.h"
#include "platform/ui/status_bar.h"

namespace ql {
namespace {

namespace fc = file_code;

constexpr int kPagesStatusPart = 1;
constexpr int kMeasuresStatusPart = 2;
constexpr int kLastMeasureIndex = MaxMeasures - 1;

void ShowCount(int part, const char* what, int count) {
    platform::WindowHandle bar = State().dialogs.StatusWindow;
    if (!bar) return;
    char text[64];
    std::snprintf(text, sizeof text, "  %s: %d", what, count);
    ui::SetStatusBarText(bar, part, text);
}

// Each default font that names a face takes that face's entry in the loaded table
// (appended when missing; entry 1 when the table is full).
void FindDefaultFontFaces(ScoreDocument* document) {
    const PreferenceDefaults& prefs = ProgramPreferences();
    for (int i = 0; i < kFontRefCount; ++i) {
        if (!document->fontRefs[i].flag || prefs.fontRefFaceNames[i][0] == '\0') continue;
        int index = FindFaceNameIndex(document, prefs.fontRefFaceNames[i]);
        document->fontRefs[i].faceIndex = static_cast<uint16_t>(index >= 0 ? index : kFallbackFaceIndex);
    }
}

// Cell 0 takes cell 1's time signature; the spare cells after measure M keep the
// clef of cell M (only as far as the table reaches).
void FillSpareCells(ScoreDocument* document) {
    const int measures = document->header.measureCount;
    for (int s = 0; s <= document->header.staffCount; ++s) {
        StaffRecord* staff = StaffRecordOf(document, s);
        MeasureCell* first = GetOrCreateMeasureCell(staff, document, 1);
        MeasureCell* zero = GetOrCreateMeasureCell(staff, document, 0);
        if (first != nullptr && zero != nullptr) {
            zero->beats = first->beats;
            zero->beatUnit = first->beatUnit;
        }
        MeasureCell* last = GetOrCreateMeasureCell(staff, document, measures);
        if (last == nullptr) continue;
        for (int m = measures + 1; m <= std::min(measures + kSpareMeasures, kLastMeasureIndex); ++m)
            if (MeasureCell* spare = GetOrCreateMeasureCell(staff, document, m))
                spare->clefKey = static_cast<uint8_t>((spare->clefKey & ~kClefNibbleMask) |
                                                      (last->clefKey & kClefNibbleMask));
    }
}

// Record 0 is cleared and takes record 1's flags, length, width, lead, trail and
// stretch.
void FillMeasureZero(ScoreDocument* document) {
    const MeasureRecord& first = document->measureTable[1];
    MeasureRecord zero{};
    zero.flags = first.flags;
    zero.lengthTicks = first.lengthTicks;
    zero.width = first.width;
    zero.lead = first.lead;
    zero.trail = first.trail;
    zero.stretch = first.stretch;
    document->measureTable[0] = zero;
}

// Files before version 23 whose measures 1 and 2 are both numbered 0 held no
// measure numbers: each measure takes the previous one's number plus the
// measures its rest stands for, plus one; measure 1 is 1, as in a new score.
void RenumberOldMeasures(ScoreDocument* document, uint8_t version) {
    MeasureRecord* table = document->measureTable.get();
    if (version >= version_gate::kEventBit5 || table[1].number != 0 || table[2].number != 0) return;
    table[1].number = 1;
    for (int m = 2; m <= std::min<int>(document->header.measureCount + 1, kLastMeasureIndex); ++m)
        table[m].number = static_cast<uint16_t>(table[m - 1].number + table[m - 1].extra + 1);
}

// Files before version 20 number their pages from the header's first page number
// (from 1 when it is 0); so does any file whose first page is numbered below 1.
void RenumberOldPages(ScoreDocument* document, uint8_t version) {
    const bool old = version < version_gate::kNumbering;
    if (!old && document->firstPage->pageNumber >= 1) return;
    const uint8_t first = document->header.pageGeometry.firstPageNumber;
    int number = old && first != 0 ? first : 1;
    for (ScorePage* page = document->firstPage; page != nullptr; page = page->next.get())
        page->pageNumber = static_cast<int16_t>(number++);
}

// The header's margin words follow the master pages' margin objects.
void RefreshMargins(ScoreDocument* document) {
    PageMargins margins;
    if (GetPageMargins(document->leftMaster, &margins))
        for (int i = 0; i < kMarginCount; ++i) document->header.leftMargins[i] = static_cast<uint16_t>(margins.words[i]);
    if (GetPageMargins(document->rightMaster, &margins))
        for (int i = 0; i < kMarginCount; ++i) document->header.rightMargins[i] = static_cast<uint16_t>(margins.words[i]);
    ApplyMarginRule(document->header);
}

ScoreSystem* NewMasterSystem(ScoreView* view) {
    ScoreSystem* system = ConstructSystemRecord(AllocSystemRecord(sizeof(ScoreSystem)), view);
    if (system == nullptr) return nullptr;
    if (!HasSystemArrays(system)) {
        FreeSystemRecord(system);
        return nullptr;
    }
    system->firstMeasure = system->lastMeasure = 1;
    system->y = kMasterSystemY;
    return system;
}

// Each master page gets one system built for the staff count.
int BuildMasterSystems(ScoreView* view, ScoreDocument* document) {
    const int codes[2] = {fc::kMasterSystemsLeft, fc::kMasterSystemsRight};
    ScorePage* masters[2] = {document->leftMaster, document->rightMaster};
    for (int i = 0; i < 2; ++i) {
        ScorePage* master = masters[i];
        if (master == nullptr) return codes[i];
        if (ScoreSystem* old = master->firstSystem.get()) {
            FreeSystemChain(old);
            FreeSystemRecord(old);
        }
        ScoreSystem* system = NewMasterSystem(view);
        master->firstSystem = Ref32<ScoreSystem>::To(system);
        master->systemCount = system != nullptr ? 1 : 0;
        if (system == nullptr) return codes[i];
    }
    return 0;
}

}  // namespace

int BuildingStreamSink::FinishDocument() {
    RestoreVoiceMask();
    {
        // A voice whose music was lost leaves the records of its unread events.
        const ScopedPoolSet pools(document_->pools);
        ReleaseSpareEvents();
    }
    if (document_->firstPage == nullptr) return fc::kPageCount;
    if (int code = RemovePagesWithoutSystems()) return code;
    if (int code = BuildMasterSystems(view_, document_)) return code;
    // The music fonts always use the symbol set, whether or not the file lists sets.
    for (int i = 0; i < kMusicFontSlots; ++i) document_->fonts[i].charset = kSymbolCharset;
    FindDefaultFontFaces(document_);
    RenumberOldMeasures(document_, version_);
    RebuildMeasureIndex(document_);
    RenumberOldPages(document_, version_);
    FillSpareCells(document_);
    FillMeasureZero(document_);
    RefreshMargins(document_);
    document_->workingPageGeometry = document_->header.pageGeometry;
    document_->workingSettingB = document_->header.scoreSettingB;
    document_->workingNewScoreBlock = document_->header.newScoreBlock;
    view_->currentPage = document_->firstPage;
    view_->currentSystem = document_->firstPage->firstSystem.get();
    if (Options().CachePatches) OpenMidiPortsWithPatchCache(document_);
    ShowCount(kPagesStatusPart, "Pages", document_->header.pageCount);
    ShowCount(kMeasuresStatusPart, "Measures", document_->header.measureCount);
    StartUndoHistory(document_);
    ClearDocumentModified(document_);
    return 0;
}

}  // namespace ql
