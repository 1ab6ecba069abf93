// Moving system breaks (module FMTPAGE): the break after a system moves back or
// forward by some measures, either rippling through every later system and page
// or, with Ctrl held, trading measures with the next system only; and a page
// break moved back by repeated system-break moves.
#include <algorithm>

#include "core/error_report.h"
#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "layout/measure_format.h"
#include "layout/measure_spacing.h"
#include "layout/page_chain.h"
#include "layout/page_fit.h"
#include "layout/page_format.h"

namespace ql {

using namespace pages;

namespace {

// The system after `system`: its page's next, else the next page's first. `page`
// is moved to the page of the result.
ScoreSystem* NextSystem(ScorePage** page, ScoreSystem* system) {
    if (system->next) return system->next.get();
    ScorePage* next = (*page)->next.get();
    if (next == nullptr || !next->firstSystem) return nullptr;
    *page = next;
    return next->firstSystem.get();
}

int MeasuresIn(const ScoreSystem* system) { return system->lastMeasure - system->firstMeasure + 1; }

// Every system after `system` (and the pages holding them) moves by delta measures.
void RippleFrom(ScorePage* page, ScoreSystem* system, int delta) {
    ScoreSystem* s = system;
    ScorePage* p = page;
    int carry = delta;
    for (int i = 0; i < kMaxChain; ++i) {
        ScorePage* before = p;
        ScoreSystem* next = NextSystem(&p, s);
        if (next == nullptr) break;
        if (p != before) before->lastMeasure = s->lastMeasure;
        next->firstMeasure = static_cast<uint16_t>(next->firstMeasure + carry);
        if (p != before) p->firstMeasure = next->firstMeasure;
        next->lastMeasure = static_cast<uint16_t>(next->lastMeasure + carry);
        s = next;
    }
    p->lastMeasure = s->lastMeasure;
}

// Ctrl mode: `k` measures pass between a system and the next one (k > 0 forward).
bool TradeWithNext(ScorePage* page, ScoreSystem* system, int k, int limit) {
    ScorePage* nextPage = page;
    ScoreSystem* next = NextSystem(&nextPage, system);
    if (next == nullptr) return false;
    if (k < 0 && MeasuresIn(next) - k > limit) return false;
    if (k > 0 && MeasuresIn(next) - k < 1) return false;
    system->lastMeasure = static_cast<uint16_t>(system->lastMeasure + k);
    next->firstMeasure = static_cast<uint16_t>(next->firstMeasure + k);
    if (nextPage != page) {
        page->lastMeasure = system->lastMeasure;
        nextPage->firstMeasure = next->firstMeasure;
    }
    return true;
}

// A system gives up its last k measures: every later system moves back by k.
void ShortenSystem(ScorePage* page, ScoreSystem* system, int k) {
    system->lastMeasure = static_cast<uint16_t>(system->lastMeasure - k);
    if (!system->next) page->lastMeasure = system->lastMeasure;
    RippleFrom(page, system, -k);
}

// The page's last system goes, its one measure moving on with the later systems.
void DropOneMeasureSystem(ScorePage* page, ScoreSystem* last) {
    ScoreSystem* before = last->previous.get();
    RippleFrom(page, last, -1);
    before->next = Ref32<ScoreSystem>{};
    FreeSystemRecord(last);
    page->systemCount = static_cast<uint16_t>(CountSystems(page));
    page->lastMeasure = before->lastMeasure;
}

// Most measures a system may hold: the slots of a beat-map row.
constexpr int kMeasuresPerSystemLimit = 24;

int SystemLimit(const ScoreDocument* document) {
    return std::max<int>(MeasuresPerSystem(document), kMeasuresPerSystemLimit);
}

}  // namespace

void MoveSystemBreakBack(ScoreView* view, ScorePage* page, ScoreSystem* system, int count) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (!IsPageInList(document, page) || !IsSystemOnPage(page, system)) return;
    const int k = std::min(count, MeasuresIn(system) - 1);
    if (k < 1) {
        PlayAlertBeep(0);
        return;
    }
    if (CtrlHeld()) {
        if (!TradeWithNext(page, system, -k, SystemLimit(document))) {
            PlayAlertBeep(0);
            return;
        }
    } else {
        // The measures rippled off the last page go on after it: their records
        // are had first, else the move is refused (low-memory box).
        CarryRecords carry;
        if (!ReserveCarry(view, k, false, &carry)) return;
        ShortenSystem(page, system, k);
        CarryMeasuresPastLastPage(view, &carry);
    }
    SetDocumentModified(document);
}

void MoveSystemBreakForward(ScoreView* view, ScorePage* page, ScoreSystem* system, int count) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (!IsPageInList(document, page) || !IsSystemOnPage(page, system)) return;
    const int limit = SystemLimit(document);
    const int k = std::min(count, limit - MeasuresIn(system));
    if (k < 1) {
        PlayAlertBeep(0);
        return;
    }
    if (CtrlHeld()) {
        if (!TradeWithNext(page, system, k, limit)) PlayAlertBeep(0);
        else SetDocumentModified(document);
        return;
    }
    // The k measures pushed off the end need records: refused at the limit.
    const int needed = document->header.measureCount + k;
    if (needed > MeasureLimit || AddMeasures(view, needed) == 0 || document->header.measureCount < needed) {
        PlayAlertBeep(0);
        return;
    }
    system->lastMeasure = static_cast<uint16_t>(system->lastMeasure + k);
    if (!system->next) page->lastMeasure = system->lastMeasure;
    RippleFrom(page, system, k);
    SetDocumentModified(document);
}

void MovePageBreak(ScoreView* view, ScorePage* page, PageRecord* /*pageRecord*/, int count) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (!IsPageInList(document, page) || count < 1 || !page->firstSystem) return;
    // The page's first system keeps at least one measure.
    const int target = std::max(page->lastMeasure - count, static_cast<int>(page->firstMeasure));
    // The measures shifted off the last page go on after it (from the last page, on a
    // page of their own): their records are had before anything moves.
    CarryRecords carry;
    if (!ReserveCarry(view, page->lastMeasure - target, page->next.get() == nullptr, &carry)) return;
    // System breaks moved back on the page's last system, Ctrl or not; a system
    // left with one measure gives it away whole and goes.
    for (int i = 0; i < kMaxChain && page->lastMeasure > target; ++i) {
        ScoreSystem* last = LastSystem(page);
        if (MeasuresIn(last) > 1)
            ShortenSystem(page, last, std::min(page->lastMeasure - target, MeasuresIn(last) - 1));
        else if (last != page->firstSystem.get())
            DropOneMeasureSystem(page, last);
        else
            break;
    }
    CarryMeasuresPastLastPage(view, &carry);
    SetDocumentModified(document);
}

}  // namespace ql
