// The view services of the width and justification code: page-view test, system
// lookup, location moves with their scope, and slot rebuilds.
#include "layout/widths/width_support.h"

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "layout/measure_spacing.h"
#include "layout/spacing/spacing_collect.h"
#include "layout/spacing/spacing_list.h"
#include "notes/beatmap/beat_map.h"

namespace ql {

namespace {

constexpr int kMaxSystemsPerPage = 64 * 1024;
// Slots 1..27 of a system row hold measures.
constexpr int kLastMeasureSlot = 27;

}  // namespace

bool IsPageViewOf(const ScoreView* view, const ScoreDocument* document) {
    return view != nullptr && document != nullptr && view->document == document &&
           view->pageView != 0 && view->currentPage != nullptr;
}

ScoreSystem* FindSystemOfMeasure(ScorePage* page, int measure) {
    if (page == nullptr) return nullptr;
    ScoreSystem* system = page->firstSystem.get();
    for (int i = 0; system != nullptr && i < kMaxSystemsPerPage; ++i, system = system->next.get())
        if (measure >= system->firstMeasure && measure <= system->lastMeasure) return system;
    return nullptr;
}

void MoveViewLocation(ScoreView* view, ScoreSystem* system, int staff, int measure) {
    if (view == nullptr) return;
    if (system != nullptr) {
        view->currentSystem = system;
        view->currentSlot = measure - system->firstMeasure + 1;
    }
    view->currentStaff = staff;
    view->currentMeasure = measure;
    view->currentStaffRecord = StaffRecordOf(view->document, staff);
    view->currentCell = FindMeasureCell(view->document, staff, measure);
    const MeasureRecord* record = MeasureRecordOf(view->document, measure);
    view->currentMeasureLength = record != nullptr ? record->lengthTicks : 0;
}

ViewLocationScope::ViewLocationScope(ScoreView* view)
    : view_(view),
      system_(view != nullptr ? view->currentSystem : nullptr),
      staffRecord_(view != nullptr ? view->currentStaffRecord : nullptr),
      cell_(view != nullptr ? view->currentCell : nullptr),
      staff_(view != nullptr ? view->currentStaff : 0),
      measure_(view != nullptr ? view->currentMeasure : 0),
      slot_(view != nullptr ? view->currentSlot : 0),
      length_(view != nullptr ? view->currentMeasureLength : 0) {}

ViewLocationScope::~ViewLocationScope() {
    if (view_ == nullptr) return;
    view_->currentSystem = system_;
    view_->currentStaffRecord = staffRecord_;
    view_->currentCell = cell_;
    view_->currentStaff = staff_;
    view_->currentMeasure = measure_;
    view_->currentSlot = slot_;
    view_->currentMeasureLength = length_;
}

int32_t RebuildMeasureSlot(ScoreView* view, int measure) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return 0;
    const ScoreSystem* system = view->currentSystem;
    const int slot = system != nullptr ? measure - system->firstMeasure + 1 : 0;
    if (IsPageViewOf(view, document) && slot >= 1 && slot <= kLastMeasureSlot &&
        measure <= system->lastMeasure) {
        const int width = BuildBeatMapSlot(view, slot);
        if (width > 0) {
            record->width = ClampMeasureWidth(width);
            return record->width;
        }
    }
    return MeasureWidth(document, measure);
}

}  // namespace ql
