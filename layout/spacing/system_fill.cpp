// Dealing measures into systems by width: each system takes measures while their
// widths at ease fit between the margins (MeasureWidthsOf), each page of a plan
// keeping its measures; the piece's last system is not left with one measure while
// the one before has room. Imports lay their pages out with these breaks; a score
// entered by hand keeps its formatter's.
#include "layout/spacing/system_fill.h"

#include <algorithm>
#include <span>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "layout/measure_format.h"
#include "layout/spacing/column_room.h"

namespace ql {

namespace {

// The room a system's start takes before its first measure's content: clef, key and
// time signature with their gaps, as a new score's first system gives them.
constexpr int64_t kSystemStartRoom = 1536;

// The width between the margins of the document's first page, less the room of a
// system's start; 0 without a page.
int64_t ContentWidthOfSystems(ScoreView* view) {
    PageMargins margins;
    ScorePage* page = view->document->firstPage;
    if (page == nullptr || !GetPageMargins(page, &margins)) return 0;
    const int64_t width = int64_t{view->PageRight} - kLogicalOrigin - margins.logical[0] - margins.logical[2];
    return std::max<int64_t>(width - kSystemStartRoom, 0);
}

// The part names' indent takes at most this share of a line.
constexpr int64_t kMostIndentShare = 3;
// A piece's last system of this share or less of the measures of the one before is
// one of a few measures.
constexpr int kFewShare = 3;

// Systems of measures in order, each filled while its measures' widths at ease fit
// the line (at least one measure each). With `closing` (the piece's last measures),
// a last system of a third or less of the measures of the one before (one measure
// at least) joins it when their needs fit its line, so that a few measures are not
// stretched over a whole line; one of a single measure that cannot join takes one
// of the measures before it when that has three or more.
std::vector<int> FillByWidth(std::span<const MeasureWidths> measures, int64_t firstLine, int64_t line,
                             bool closing) {
    std::vector<int> systems;
    int64_t used = 0;
    for (const MeasureWidths& m : measures) {
        if (systems.empty() || used + m.ease > (systems.size() == 1 ? firstLine : line)) {
            systems.push_back(0);
            used = 0;
        }
        ++systems.back();
        used += m.ease;
    }
    if (!closing || systems.size() < 2) return systems;
    const size_t n = measures.size();
    const int before = systems[systems.size() - 2];
    const int last = systems.back();
    if (last != 1 && last * kFewShare > before) return systems;
    int64_t need = 0;
    for (size_t i = n - static_cast<size_t>(last + before); i < n; ++i) need += measures[i].need;
    if (need <= (systems.size() == 2 ? firstLine : line)) {
        systems.pop_back();
        systems.back() += last;
    } else if (last == 1 && before >= 3) {
        --systems[systems.size() - 2];
        ++systems.back();
    }
    return systems;
}

}  // namespace

namespace {

// The plan's systems dealt out to pages again: each page holds as many systems as
// the plan gave it, later pages as many as its fullest page.
std::vector<std::vector<int>> DealToPages(const std::vector<int>& systems, const std::vector<std::vector<int>>& plan) {
    size_t fullest = 1;
    for (const std::vector<int>& page : plan) fullest = std::max(fullest, page.size());
    std::vector<std::vector<int>> pages;
    for (int system : systems) {
        const size_t capacity =
            pages.size() < plan.size() && !plan[pages.size()].empty() ? plan[pages.size()].size() : fullest;
        if (pages.empty() || pages.back().size() >= capacity) pages.emplace_back();
        pages.back().push_back(system);
    }
    return pages;
}

}  // namespace

void FillSystemsByWidth(ScoreView* view, int firstMeasure, std::vector<std::vector<int>>& plan, int32_t firstIndent,
                        bool keepPages) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || plan.empty()) return;
    const int64_t room = ContentWidthOfSystems(view);
    if (room <= 0) return;
    const int last = document->header.measureCount;
    const int64_t indent = std::min<int64_t>(firstIndent, room / kMostIndentShare);
    // The measures of each page (with `keepPages`), or of the whole plan, dealt into
    // systems by width.
    std::vector<int> counts;
    for (const std::vector<int>& page : plan) {
        int count = 0;
        for (int systems : page) count += systems;
        if (keepPages || counts.empty())
            counts.push_back(count);
        else
            counts.back() += count;
    }
    int measure = firstMeasure;
    std::vector<std::vector<int>> filled;
    for (size_t p = 0; p < counts.size() && measure <= last; ++p) {
        const int count = std::min(counts[p], last - measure + 1);
        if (count <= 0) continue;
        std::vector<MeasureWidths> measures;
        for (int m = measure; m < measure + count; ++m) measures.push_back(MeasureWidthsOf(document, m));
        const bool closing = measure + count > last || p + 1 == counts.size();
        filled.push_back(FillByWidth(measures, measure == 1 ? room - indent : room, room, closing));
        measure += count;
    }
    plan = keepPages || filled.empty() ? std::move(filled) : DealToPages(filled.front(), plan);
}

std::vector<std::vector<int>> SystemsFilledByWidth(ScoreView* view) {
    std::vector<std::vector<int>> plan;
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || document->firstPage == nullptr) return plan;
    for (ScorePage* page = document->firstPage; page != nullptr; page = page->next.get()) {
        plan.emplace_back();
        for (ScoreSystem* s = page->firstSystem.get(); s != nullptr; s = s->next.get())
            plan.back().push_back(s->lastMeasure - s->firstMeasure + 1);
    }
    // Systems that hold their measures' columns are kept as they stand.
    const int64_t room = ContentWidthOfSystems(view);
    const int32_t indent = StaffLabelIndent(document, document->firstPage->firstSystem.get(), room);
    bool crowded = false;
    int measure = 1;
    for (size_t page = 0; page < plan.size() && !crowded; ++page)
        for (size_t s = 0; s < plan[page].size() && !crowded; ++s) {
            int64_t need = page == 0 && s == 0 ? indent : 0;
            for (int m = 0; m < plan[page][s]; ++m) need += MeasureWidthsOf(document, measure + m).need;
            crowded = plan[page][s] > 1 && need > room;
            measure += plan[page][s];
        }
    if (crowded) FillSystemsByWidth(view, 1, plan, indent, false);
    return plan;
}

}  // namespace ql
