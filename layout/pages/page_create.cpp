// Making pages (module FMTPAGE): a new score's first page (a two-staff score's
// second staff in the bass clef), a page of the grid (CreatePage; while a MIDI file
// is written the opening system is shorter and the others marked), appending pages
// at the end within the measure limit with a check of the pools' reserve, and which
// page holds a measure.
#include <algorithm>
#include <cstdio>
#include <string>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/model_reports.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "layout/measure_format.h"
#include "layout/page_chain.h"
#include "layout/page_fit.h"
#include "layout/page_format.h"
#include "layout/page_model.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "staves/staff_group_bits.h"

namespace ql {

using namespace pages;

namespace {

constexpr int kSystemFailLine = 647;
constexpr int kStatusChars = 64;
constexpr int kAppendCreateLine = 1079;
constexpr int kAppendRefusedLine = 1082;
constexpr int kLowResourceLine = 1067;
constexpr int kReserveWarningLine = 1090;
constexpr char kNoticeWord[] = "Notice: ";
constexpr char kWarningWord[] = "Warning: ";
constexpr char kLowResources[] = "Resource memory is low.\nReleasing some resources...";
constexpr char kVeryLowMemory[] = "Memory is very low. \nSplit file into parts.";
// The room a new page should leave in the pools: records per measure of a page in
// the event pool, spare cells beyond the new last measure, pages and systems.
constexpr int kReserveEventsPerMeasure = 32;
constexpr int kReserveSpareCells = 32;
constexpr int kReservePages = 10;
constexpr int kReserveSystems = 20;

// While a Standard MIDI File is written, the opening system of the score (system 0
// of page index 0) is one measure shorter when systems have at least this many.
constexpr int kShortenedOpeningMinimum = 3;

bool IsExporting() { return State().files.MidiFileExporting != 0; }

// Measures of grid system `index` of page index `pageIndex`.
int GridSystemLength(const ScoreDocument* document, int pageIndex, int index) {
    const int measures = MeasuresPerSystem(document);
    const bool opening = pageIndex == 0 && index == 0;
    return opening && IsExporting() && measures >= kShortenedOpeningMinimum ? measures - 1 : measures;
}

// While exporting, every system but the score's opening one carries the export
// mark on every staff.
void MarkExportedSystem(const ScoreDocument* document, ScoreSystem* system, int pageIndex) {
    int8_t* flags = StaffFlagsOf(system);
    if (!IsExporting() || flags == nullptr || (pageIndex == 0 && system->number == 0)) return;
    for (int staff = 1; staff <= document->header.staffCount; ++staff)
        flags[staff] = static_cast<int8_t>(flags[staff] | kExportedSystemStaff);
}

// Appends up to `count` grid systems (indexes from `index`) to a page of page index
// `pageIndex` from measure `first` on, as far as measure `through` (the system that
// would pass it ends at it); false (the systems made stay on the page) when a
// system could not be had.
bool AddGridSystems(ScoreView* view, ScorePage* page, int pageIndex, int index, int count, int first,
                    int through) {
    ScoreSystem* last = LastSystem(page);
    for (int i = 0; i < count && first <= through; ++i) {
        const int length = std::min(GridSystemLength(view->document, pageIndex, index + i), through - first + 1);
        ScoreSystem* system = NewGridSystem(view, page, index + i, first, first + length - 1);
        if (system == nullptr) return false;
        MarkExportedSystem(view->document, system, pageIndex);
        if (last == nullptr)
            page->firstSystem = Ref32<ScoreSystem>::To(system);
        else
            LinkSystemsAfter(last, system);
        last = system;
        first += length;
    }
    return true;
}

// Staff records 0..staffCount of a new score, when it has none yet.
bool MakeStaves(ScoreView* view) {
    ScoreDocument* document = view->document;
    if (document->staves == nullptr) return false;
    for (int s = 0; s <= document->header.staffCount; ++s) {
        if (StaffRecordOf(document, s) != nullptr) continue;
        StaffRecord* staff = ConstructStaffRecord(AllocStaffRecord(), view);
        if (staff == nullptr) return false;
        document->staves->staves[s] = Ref32<StaffRecord>::To(staff);
        if (!IsStaffComplete(staff)) return false;
    }
    return true;
}

// After a page is appended: when a pool the next pages need is close to full, the
// user is warned once and the latch set, so that later appends are refused.
void CheckReserve(ScoreDocument* document, int newLast) {
    const int perPage = SystemsPerPage(document) * MeasuresPerSystem(document);
    const bool low = IsPoolNearlyFull(kEventRecordPool, perPage * kReserveEventsPerMeasure) ||
                     IsPoolNearlyFull(kMeasureCellPool, newLast + kReserveSpareCells) ||
                     IsPoolNearlyFull(kScorePagePool, kReservePages) ||
                     IsPoolNearlyFull(kScoreSystemPool, kReserveSystems);
    if (!low) return;
    ReportModuleLine("FMTPAGE", kReserveWarningLine, std::string(kWarningWord) + "\n " + kVeryLowMemory);
    State().layout.PagesLowLatch = 1;
}

// A new score of exactly two staves starts the second one with the bass clef in
// every cell, in place of the program's default clef.
void GiveSecondStaffBassClef(ScoreDocument* document) {
    if (document->header.staffCount != 2) return;
    const CellHandleArray* cells = CellArrayOf(StaffRecordOf(document, 2));
    if (cells == nullptr) return;
    for (const RecordHandle handle : cells->cells)
        if (MeasureCell* cell = FindRecord<MeasureCell>(kMeasureCellPool, handle))
            cell->clefKey = static_cast<uint8_t>((cell->clefKey & ~kClefNibbleMask) |
                                                 static_cast<uint8_t>(ClefKind::Bass));
}

// A new score of exactly two staves is a grand staff: a brace joins them and so
// do their barlines, from the system's left edge on.
void JoinGrandStaff(ScoreDocument* document) {
    if (document->header.staffCount != 2) return;
    StaffRecord* upper = StaffRecordOf(document, 1);
    StaffRecord* lower = StaffRecordOf(document, 2);
    if (upper == nullptr || lower == nullptr) return;
    for (GroupKind kind : {GroupKind::Brace, GroupKind::Barline}) {
        SetJoinsStaffBelow(*upper, kind, true);
        SetJoinsStaffAbove(*lower, kind, true);
    }
}

// A page's last measure from its systems, and its system count.
void SetRangeFromSystems(ScorePage* page) {
    page->systemCount = static_cast<uint16_t>(CountSystems(page));
    if (ScoreSystem* first = page->firstSystem.get()) page->firstMeasure = first->firstMeasure;
    if (ScoreSystem* last = LastSystem(page)) page->lastMeasure = last->lastMeasure;
}

}  // namespace

bool IsLeftPage(const ScoreDocument* document, int pageIndex) {
    if (pageIndex == kLeftMasterNumber) return true;
    if (document == nullptr || pageIndex == kRightMasterNumber) return false;
    const PageRecord& page = document->header.pageGeometry;
    if (page.sides == 0) return false;
    const int number = page.firstPage != 0 ? pageIndex : ~pageIndex;
    return (number & 1) != 0;
}

ScorePage* PageOfMeasure(ScoreDocument* document, int measure) {
    if (document == nullptr || measure < 1 || measure > document->header.measureCount) return nullptr;
    ScorePage* page = document->firstPage;
    for (int i = 0; page != nullptr && page->next && i < kMaxChain; ++i, page = page->next.get())
        if (page->lastMeasure >= measure) return page;
    return page;
}

int BuildInitialScoreLayout(ScoreView* view) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || document->firstPage == nullptr) return 0;
    // A score that has measures already (read from a file) keeps its layout.
    if (document->header.measureCount > 0 && StaffRecordOf(document, 1) != nullptr) return 1;
    const int perSystem = MeasuresPerSystem(document);
    const int systems = SystemsPerPage(document);
    document->header.staffCount = static_cast<uint8_t>(std::min<int>(document->header.staffCount, kMaxStaves));
    document->header.measureCount = static_cast<uint16_t>(std::min(perSystem * systems, MeasureLimit));
    if (!MakeStaves(view)) return 0;
    GiveSecondStaffBassClef(document);
    JoinGrandStaff(document);
    ScorePage* page = document->firstPage;
    ScoreSystem* first = page->firstSystem.get();
    if (first == nullptr) return 0;
    FreeSystemChain(first);
    first->number = 0;
    first->firstMeasure = 1;
    first->lastMeasure = static_cast<uint16_t>(std::min<int>(perSystem, document->header.measureCount));
    first->x = LeftEdge(page);
    SpaceStaves(document, first);
    const bool made =
        AddGridSystems(view, page, 0, 1, systems - 1, first->lastMeasure + 1, document->header.measureCount);
    SetRangeFromSystems(page);
    document->header.pageCount = 1;
    view->currentPage = page;
    view->currentSystem = first;
    LayoutPageSystems(view, page);
    FitSystemsToPages(view, page);  // a grid of more systems than the page holds goes on
    return made ? 1 : 0;
}

ScorePage* CreatePage(ScoreView* view, int index, int first) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || first < 1) return nullptr;
    const int systems = SystemsPerPage(document);
    const int perPage = systems * MeasuresPerSystem(document);
    if (first + perPage - 1 > MeasureLimit) {
        ShowNotice(kMeasureLimitNotice);
        return nullptr;
    }
    ScorePage* page = ConstructPageRecord(AllocPageRecord(sizeof(ScorePage)));
    if (page == nullptr) return nullptr;
    ScorePage* before = index > 0 ? GetPageAt(document, index - 1) : nullptr;
    page->pageNumber = static_cast<int16_t>(before != nullptr ? before->pageNumber + 1 : 1);
    CopyPageMargins(page, IsLeftPage(document, index) ? document->leftMaster : document->rightMaster);
    if (!AddGridSystems(view, page, index, 0, systems, first, MeasureLimit)) {
        FreePageRecord(page);
        ReportModuleLine("FMTPAGE", kSystemFailLine, kNoticeWord);
        return nullptr;
    }
    SetRangeFromSystems(page);
    ScorePage* const savedPage = view->currentPage;
    PlacePageSystems(view, page);
    view->currentPage = savedPage;
    return page;
}

int AppendPage(ScoreView* view) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    ScorePage* last = LastPage(document);
    if (last == nullptr) return 0;
    if (State().layout.PagesLowLatch != 0) {
        ReportModuleLine("FMTPAGE", kLowResourceLine, kLowResources);
        return 0;
    }
    const int newLast = last->lastMeasure + SystemsPerPage(document) * MeasuresPerSystem(document);
    if (newLast > MeasureLimit) {
        ShowNotice(kMeasureLimitNotice);
        return 0;
    }
    if (AddMeasures(view, newLast) == 0) return 0;
    const int index = GetPageIndex(document, last) + 1;
    ScorePage* page = CreatePage(view, index, last->lastMeasure + 1);
    if (page == nullptr) {
        ReportModuleLine("FMTPAGE", kAppendCreateLine, kNoticeWord);
        return 0;
    }
    if (State().layout.RefuseNewPage != 0) {
        FreePageRecord(page);  // the measures added stay as spare measures
        ReportModuleLine("FMTPAGE", kAppendRefusedLine, kNoticeWord);
        return 0;
    }
    last->next = Ref32<ScorePage>::To(page);
    page->previous = Ref32<ScorePage>::To(last);
    page->pageNumber = static_cast<int16_t>(last->pageNumber + 1);
    document->header.pageCount = static_cast<uint16_t>(document->header.pageCount + 1);
    document->header.measureCount = std::max(document->header.measureCount, page->lastMeasure);
    PlacePageSystems(view, page);  // now that it is in the list
    FitSystemsToPages(view, page);
    char text[kStatusChars];
    std::snprintf(text, sizeof text, " Pages: %d    Measures: %d", document->header.pageCount,
                  document->header.measureCount);
    SetStatusText(0, text);
    CheckReserve(document, newLast);
    return 1;
}

void ExtendPagesToMeasureCount(ScoreView* view) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    for (int i = 0; i < kMaxChain; ++i) {
        ScorePage* last = LastPage(document);
        if (last == nullptr || last->lastMeasure >= document->header.measureCount) return;
        // Where a whole page of the grid would pass the measure limit, the measures
        // left (at most a page's worth) go on systems of their own, the last one
        // shorter: no measure of the score is left off the pages.
        if (last->lastMeasure + SystemsPerPage(document) * MeasuresPerSystem(document) > MeasureLimit) {
            CarryMeasuresPastLastPage(view);
            return;
        }
        if (AppendPage(view) == 0) return;
    }
}

}  // namespace ql
