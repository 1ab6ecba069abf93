// Reserving the page and system records of a planned re-break, and handing them
// out as the re-break fills its pages.
#include "layout/page_records.h"

#include <cstdint>

#include "core/model/model_reports.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "layout/page_chain.h"

namespace ql::pages {

namespace {

// Source line of the low-memory box of a refused re-break.
constexpr int kReserveReportLine = 305;

template <typename T>
T* TakeLast(std::vector<T*>& records) {
    if (records.empty()) return nullptr;
    T* record = records.back();
    records.pop_back();
    return record;
}

}  // namespace

ScorePage* NewBlankPageRecord(const ScorePage* like) {
    ScorePage* blank = ConstructPageRecord(AllocPageRecord(sizeof(ScorePage)));
    // A page without its margins is no page to lay systems on.
    if (blank != nullptr && blank->margins.get() == nullptr && like != nullptr && like->margins.get() != nullptr) {
        FreePageRecord(blank);
        return nullptr;
    }
    return blank;
}

void PlaceGridSystem(ScorePage* page, ScoreSystem* system, int index, int first, int last) {
    system->number = static_cast<uint8_t>(index);
    system->firstMeasure = static_cast<uint16_t>(first);
    system->lastMeasure = static_cast<uint16_t>(last);
    system->x = LeftEdge(page);
}

SpareRecords::~SpareRecords() {
    for (ScorePage* page : pages_) FreePageRecord(page);
    for (ScoreSystem* system : systems_) FreeSystemRecord(system);
}

bool SpareRecords::Reserve(ScoreView* view, ScorePage* page, const PagePlan& plan, int systemsHad) {
    const int reports = LowMemoryReportCount();
    bool had = true;
    for (size_t i = 0; had && i < plan.size(); ++i) {
        for (int k = i == 0 ? systemsHad : 0; had && k < static_cast<int>(plan[i].size()); ++k) {
            ScoreSystem* system = NewSpacedSystem(view);  // placed when taken
            had = system != nullptr;
            if (had) systems_.push_back(system);
        }
        if (!had || i == 0) continue;
        ScorePage* blank = NewBlankPageRecord(page);
        had = blank != nullptr;
        if (had) pages_.push_back(blank);
    }
    if (had) return true;
    for (ScorePage* blank : pages_) FreePageRecord(blank);
    for (ScoreSystem* system : systems_) FreeSystemRecord(system);
    pages_.clear();
    systems_.clear();
    if (LowMemoryReportCount() == reports) ReportLowMemory("FMTPAGE", kReserveReportLine);
    return false;
}

ScorePage* SpareRecords::TakePage() { return TakeLast(pages_); }

ScoreSystem* SpareRecords::TakeSystem() { return TakeLast(systems_); }

}  // namespace ql::pages
