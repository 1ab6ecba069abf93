// The layout repairs of a bottom-margin drag (module FMTPAGE): one system taken from
// a page (freed, or moved to the next page) or added to it (taken from the next
// page, or made), with the page's bookkeeping checked first. Every correction is
// reported in a warning box; a refusal leaves the pages as they were.
#include <algorithm>
#include <cstdio>
#include <string>

#include "core/error_report.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/model_reports.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/ui/status_bar.h"
#include "core/ui/tool_services.h"
#include "display/linked_views.h"
#include "layout/measure_format.h"
#include "layout/measure_spacing.h"
#include "layout/page_chain.h"
#include "layout/page_edit.h"
#include "layout/page_fit.h"
#include "layout/page_format.h"

namespace ql {

using namespace pages;

namespace {

constexpr int kWrongCountLine = 1640;
constexpr int kWrongEndLine = 1648;
constexpr int kEmptyPageLine = 1673;
constexpr int kAddWrongCountLine = 1720;
constexpr int kAddLastPageLine = 1762;
constexpr int kAddEmptyLastPageLine = 1764;
constexpr int kAddNewSystemLine = 1807;
constexpr char kWarningWord[] = "Warning: ";
constexpr char kNoticeWord[] = "Notice: ";
constexpr char kWrongCountCorrected[] = "Wrong system count corrected.";
constexpr char kWrongEndCorrected[] = "Wrong page-end corrected.";
constexpr char kWrongCount[] = "Wrong system count.";
constexpr char kPageNowEmpty[] = "Page is now empty.";
constexpr char kPageNotEmpty[] = "Page is not empty.";
constexpr char kNothingToRenumber[] = "Nothing to renumber.";
constexpr int kStatusChars = 80;

void Warn(int line, const char* message) {
    ReportModuleLine("FMTPAGE", line, std::string(kWarningWord) + "\n " + message);
}

// The next page of the list (not a master page), or null.
ScorePage* NextPage(const ScorePage* page) {
    ScorePage* next = page->next.get();
    return next != nullptr && next->pageNumber >= 0 ? next : nullptr;
}

ScorePage* LaterPageWithSystems(ScorePage* page) {
    for (int i = 0; page != nullptr && i < kMaxChain; ++i, page = page->next.get())
        if (page->firstSystem) return page;
    return nullptr;
}

// Systems numbered 0, 1, ... along the page's chain, and the count set from it.
void ReindexSystems(ScorePage* page) {
    int index = 0;
    for (ScoreSystem* s = page->firstSystem.get(); s != nullptr && index < kMaxChain; s = s->next.get())
        s->number = static_cast<uint8_t>(index++);
    page->systemCount = static_cast<uint16_t>(index);
}

void ShowSystemCount(const ScorePage* page) {
    char text[kStatusChars];
    std::snprintf(text, sizeof text, "%s  %d,  %s: %d", "Page", page->pageNumber, "systemcount", page->systemCount);
    SetStatusText(0, text);
}

// Unlinks the last system of a page (the page ends before it); the system.
ScoreSystem* TakeLastSystem(ScorePage* page) {
    ScoreSystem* last = LastSystem(page);
    ScoreSystem* before = last->previous.get();
    if (before != nullptr)
        before->next = Ref32<ScoreSystem>{};
    else
        page->firstSystem = Ref32<ScoreSystem>{};
    last->previous = Ref32<ScoreSystem>{};
    last->next = Ref32<ScoreSystem>{};
    page->lastMeasure = static_cast<uint16_t>(std::max(0, last->firstMeasure - 1));
    return last;
}

void AppendSystem(ScorePage* page, ScoreSystem* system) {
    ScoreSystem* last = LastSystem(page);
    system->next = Ref32<ScoreSystem>{};
    if (last != nullptr) {
        last->next = Ref32<ScoreSystem>::To(system);
        system->previous = Ref32<ScoreSystem>::To(last);
    } else {
        page->firstSystem = Ref32<ScoreSystem>::To(system);
        system->previous = Ref32<ScoreSystem>{};
        page->firstMeasure = system->firstMeasure;
    }
    page->lastMeasure = system->lastMeasure;
}

// The measures of a freed system go to the pages after it: the first later page
// with systems starts where the freed system started.
void HandOnMeasures(ScorePage* from, int first) {
    if (ScorePage* later = LaterPageWithSystems(from))
        ShiftPageMeasures(later, later->firstSystem.get(), later->pageNumber, first);
    else
        SetStatusText(2, kNothingToRenumber);
}

// On the last page: its last system goes when it has two or more, and its measures
// with it, as adding a system there brought them. While they hold music it stays
// (with a beep): the music would stand on no page.
bool RemoveFromLastPage(ScoreView* view, ScorePage* page) {
    if (page->systemCount < 2) return false;
    ScoreDocument* document = view->document;
    if (LastUsedMeasure(document) >= LastSystem(page)->firstMeasure) {
        PlayAlertBeep(0);
        return false;
    }
    ScoreSystem* last = TakeLastSystem(page);
    ScoreSystem* end = LastSystem(page);
    page->lastMeasure = end->lastMeasure;
    KeepViewsOnTheirMeasures(document);
    FreeSystemRecord(last);
    DropAppendedMeasures(document, page->lastMeasure);
    ReindexSystems(page);
    LayoutPageSystems(view, page);
    RedrawLinkedViews(view);
    return true;
}

// Moves a system to the top of the next page.
void MoveToNextPage(ScoreView* view, ScorePage* next, ScoreSystem* system) {
    ScoreSystem* first = next->firstSystem.get();
    system->next = first != nullptr ? Ref32<ScoreSystem>::To(first) : Ref32<ScoreSystem>{};
    if (first != nullptr) first->previous = Ref32<ScoreSystem>::To(system);
    next->firstSystem = Ref32<ScoreSystem>::To(system);
    next->firstMeasure = system->firstMeasure;
    if (first == nullptr) next->lastMeasure = system->lastMeasure;
    ReindexSystems(next);
    LayoutPageSystems(view, next);
    PlaceSystemInMargins(view, next, system);
}

bool HasDocument(const ScoreView* view, const ScorePage* page) {
    return view != nullptr && view->document != nullptr && page != nullptr && page->pageNumber >= 0 &&
           IsPageInList(view->document, page);
}

}  // namespace

int RepairPageBookkeeping(ScorePage* page, bool adding) {
    if (page == nullptr) return 0;
    int corrections = 0;
    const int systems = CountSystems(page);
    if (systems != page->systemCount && (systems > 0 || !adding)) {
        page->systemCount = static_cast<uint16_t>(systems);
        Warn(kWrongCountLine, kWrongCountCorrected);
        ++corrections;
    }
    const ScoreSystem* last = LastSystem(page);
    if (NextPage(page) != nullptr && last != nullptr && page->lastMeasure != last->lastMeasure) {
        page->lastMeasure = last->lastMeasure;
        Warn(kWrongEndLine, kWrongEndCorrected);
        ++corrections;
    }
    if (adding && systems == 0 && page->systemCount != 0) {
        page->systemCount = 0;
        Warn(kWrongCountLine, kWrongCountCorrected);
        ++corrections;
    }
    return corrections;
}

bool MoveLastSystemToNextPage(ScoreView* view, ScorePage* page) {
    if (!HasDocument(view, page) || !page->firstSystem) return false;
    ScorePage* next = NextPage(page);
    if (next == nullptr) return false;
    ScoreSystem* system = TakeLastSystem(page);
    MoveToNextPage(view, next, system);
    ReindexSystems(page);
    LayoutPageSystems(view, page);
    return true;
}

bool RemoveSystemFromPage(ScoreView* view, ScorePage* page, bool move) {
    if (!HasDocument(view, page)) return false;
    ScopedPoolSet pools(view->document->pools);
    RepairPageBookkeeping(page, false);
    if (!page->firstSystem) {
        ReportModuleLine("FMTPAGE", kEmptyPageLine, kNoticeWord);
        return false;
    }
    ScorePage* next = NextPage(page);
    if (next == nullptr) return RemoveFromLastPage(view, page);
    // Handing a freed system's measures on moves the last page's end back by its
    // length: the measures past it then go on new systems and pages after it. Their
    // records are had before anything moves, else the drag is refused.
    CarryRecords carry;
    const ScoreSystem* leaving = LastSystem(page);
    if (!move && !ReserveCarry(view, leaving->lastMeasure - leaving->firstMeasure + 1, false, &carry))
        return false;
    const int pagesBefore = view->document->header.pageCount;
    ScoreSystem* system = TakeLastSystem(page);
    KeepViewsOnTheirMeasures(view->document);  // before the system can be freed
    if (move) {
        MoveToNextPage(view, next, system);
    } else {
        const int first = system->firstMeasure;
        FreeSystemRecord(system);
        HandOnMeasures(next, first);
        CarryMeasuresPastLastPage(view, &carry);
    }
    if (view->document->header.pageCount != pagesBefore) UpdatePagersToolbar(view);
    ReindexSystems(page);
    if (page->systemCount == 0) {
        SetStatusText(0, kPageNowEmpty);
    } else {
        ShowSystemCount(page);
        LayoutPageSystems(view, page);
    }
    KeepViewsOnTheirMeasures(view->document);
    InvalidateLinkedViews(view);
    return true;
}

namespace {

// A new system after the page's last measure: a copy of its last system, or a new
// grid system; null (reported) when none could be had.
ScoreSystem* MakeSystemAfter(ScoreView* view, ScorePage* page, int first, int last) {
    ScoreSystem* tmpl = LastSystem(page);
    ScoreSystem* system = nullptr;
    if (tmpl != nullptr) {
        system = ConstructSystemRecordFrom(AllocSystemRecord(sizeof(ScoreSystem)), view, tmpl);
        if (system != nullptr && !HasSystemArrays(system)) {
            FreeSystemRecord(system);
            system = nullptr;
        }
    } else {
        system = NewGridSystem(view, page, 0, first, last);
    }
    if (system == nullptr) {
        ReportModuleLine("FMTPAGE", kAddNewSystemLine, kNoticeWord);
        return nullptr;
    }
    system->firstMeasure = static_cast<uint16_t>(first);
    system->lastMeasure = static_cast<uint16_t>(last);
    return system;
}

// With the move flag: the first system of the next page that has systems comes
// up; false with the warning when it does not start right after this page.
bool TakeFromNextPage(ScoreView* view, ScorePage* page, ScorePage* source) {
    ScoreSystem* system = source->firstSystem.get();
    const int after = page->lastMeasure + 1;
    if (system->firstMeasure != after || source->firstMeasure != after) {
        Warn(kAddWrongCountLine, kWrongCount);
        return false;
    }
    ScoreSystem* rest = system->next.get();
    source->firstSystem = rest != nullptr ? Ref32<ScoreSystem>::To(rest) : Ref32<ScoreSystem>{};
    if (rest != nullptr) rest->previous = Ref32<ScoreSystem>{};
    source->firstMeasure = static_cast<uint16_t>(system->lastMeasure + 1);
    ReindexSystems(source);
    AppendSystem(page, system);
    PlaceSystemInMargins(view, page, system);
    if (source->firstSystem) LayoutPageSystems(view, source);
    return true;
}

// Without it: a new system takes over the measures of the first system of a later
// page (which must start right after this page), and the pages from there move on.
bool AddMadeSystem(ScoreView* view, ScorePage* page, ScorePage* next) {
    const int first = page->lastMeasure + 1;
    int last = first + MeasuresPerSystem(view->document) - 1;
    ScorePage* later = LaterPageWithSystems(next);
    if (later != nullptr) {
        if (later != next && later->firstSystem->firstMeasure != first) {
            Warn(kAddWrongCountLine, kWrongCount);
            return false;
        }
        last = later->firstSystem->lastMeasure;
        // The pages from there move on by the new system's length: the measure
        // table must reach the last page's new end first.
        const int needed = LastPage(view->document)->lastMeasure + (last - first + 1);
        if (AddMeasures(view, needed) == 0 || view->document->header.measureCount < needed) {
            ReportModuleLine("FMTPAGE", kAddNewSystemLine, kNoticeWord);
            return false;
        }
    }
    ScoreSystem* system = MakeSystemAfter(view, page, first, last);
    if (system == nullptr) return false;
    AppendSystem(page, system);
    if (later != nullptr) ShiftPageMeasures(later, later->firstSystem.get(), later->pageNumber, last + 1);
    return true;
}

// On the last page: one system's worth of measures more, in a new system.
bool AddToLastPage(ScoreView* view, ScorePage* page) {
    if (!page->firstSystem) {
        ReportModuleLine("FMTPAGE", kAddEmptyLastPageLine, kNoticeWord);
        return false;
    }
    const int first = page->lastMeasure + 1;
    const int last = first + MeasuresPerSystem(view->document) - 1;
    if (AddMeasures(view, last) == 0 || view->document->header.measureCount < last) {
        ReportModuleLine("FMTPAGE", kAddLastPageLine, kNoticeWord);
        return false;
    }
    ScoreSystem* system = MakeSystemAfter(view, page, first, last);
    if (system == nullptr) return false;
    AppendSystem(page, system);
    ReindexSystems(page);
    LayoutPageSystems(view, page);
    KeepViewsOnTheirMeasures(view->document);
    RedrawLinkedViews(view);
    return true;
}

}  // namespace

bool AddSystemToPage(ScoreView* view, ScorePage* page, bool move) {
    if (!HasDocument(view, page)) return false;
    ScopedPoolSet pools(view->document->pools);
    RepairPageBookkeeping(page, true);
    ScorePage* next = NextPage(page);
    if (next == nullptr) return AddToLastPage(view, page);
    const bool wasEmpty = !page->firstSystem;
    ScorePage* source = move ? LaterPageWithSystems(next) : nullptr;
    const bool added = source != nullptr ? TakeFromNextPage(view, page, source) : AddMadeSystem(view, page, next);
    if (!added) return false;
    if (wasEmpty) SetStatusText(0, kPageNotEmpty);
    ReindexSystems(page);
    LayoutPageSystems(view, page);
    KeepViewsOnTheirMeasures(view->document);
    InvalidateLinkedViews(view);
    return true;
}

}  // namespace ql
