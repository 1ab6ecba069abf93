// Hide-when-empty staves: before each paint the staves marked hide-when-empty that
// hold no event in a system are taken out of it (the other staves close up); the
// next paint, an undo step and the file writer put them back first. The system's
// staff arrays are kept as they were before hiding and written back byte for byte,
// so the hidden state never reaches a file or an undo record and never marks the
// score modified. A remembered system that is gone from the score is forgotten.
#include <algorithm>

#include "core/draw/painting_guard.h"
#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/state.h"
#include "core/ui/status_bar_notes.h"
#include "display/staff_groups.h"
#include "display/system_drawing.h"
#include "display/system_drawing_internal.h"
#include "layout/page_chain.h"
#include "layout/system_staves.h"

namespace ql {

using namespace sysdraw;

namespace {

// Bounds the walk of a damaged page or system chain.
constexpr int kMaxChainSteps = 1 << 16;

bool HoldsEvents(ScoreDocument* document, const ScoreSystem& system, int staff) {
    for (int m = system.firstMeasure; m <= system.lastMeasure; ++m)
        if (!StaffHasNoVoices(ExistingMeasureCell(document, staff, m))) return true;
    return false;
}

bool IsInScore(ScoreDocument* document, const ScoreSystem* wanted) {
    int steps = 0;
    for (ScorePage* page = document->firstPage; page != nullptr && steps < kMaxChainSteps;
         page = page->next.get())
        for (ScoreSystem* s = page->firstSystem.get(); s != nullptr && steps < kMaxChainSteps;
             s = s->next.get(), ++steps)
            if (s == wanted) return true;
    for (ScoreView* v = State().documents.FirstView; v != nullptr; v = v->nextView)
        if (v->document == document && v->galleySystem == wanted) return true;
    return false;
}

HiddenStaffSystem& EntryFor(ScoreDocument* document, ScoreSystem* system, int count) {
    std::vector<HiddenStaffSystem>& all = State().display.HiddenStaves;
    for (HiddenStaffSystem& entry : all)
        if (entry.system == system && entry.document == document) return entry;
    HiddenStaffSystem entry;
    entry.document = document;
    entry.system = system;
    entry.staffCount = count;
    entry.hidden.assign(static_cast<size_t>(count) + 1, false);
    const uint16_t* offsets = StaffOffsetsOf(system);
    const int8_t* flags = StaffFlagsOf(system);
    entry.offsets.assign(offsets, offsets + count + 1);
    entry.flags.assign(flags, flags + count + 1);
    all.push_back(std::move(entry));
    return all.back();
}

void HideInSystem(ScoreView* view, ScoreSystem* system) {
    ScoreDocument* document = view->document;
    const int count = document->header.staffCount;
    if (StaffOffsetsOf(system) == nullptr || StaffFlagsOf(system) == nullptr) return;
    for (int staff = 1; staff <= count; ++staff) {
        StaffRecord* record = StaffRecordOf(document, staff);
        const auto flag = static_cast<uint8_t>(StaffFlagsOf(system)[staff]);
        if (record == nullptr || (record->flags & kHideWhenEmpty) == 0 || (flag & pages::kHiddenStaff) != 0)
            continue;
        record->flags = static_cast<uint16_t>(record->flags & ~kHidingMark);
        if (HoldsEvents(document, *system, staff) || pages::ShownStaffCount(system, count) <= 1) continue;
        HiddenStaffSystem& entry = EntryFor(document, system, count);
        RemoveStaffFromSystem(view, system, staff);
        entry.hidden[static_cast<size_t>(staff)] = true;
    }
}

// Forgets what was remembered of documents no view shows any more (a closed score's
// records may be reused by the next one).
void ForgetClosedDocuments() {
    const auto shown = [](const ScoreDocument* document) {
        for (ScoreView* v = State().documents.FirstView; v != nullptr; v = v->nextView)
            if (v->document == document) return true;
        return false;
    };
    std::erase_if(State().display.HiddenStaves,
                  [&shown](const HiddenStaffSystem& e) { return !shown(e.document); });
}

}  // namespace

void HideEmptyStaves(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return;
    const ScopedPaintingGuard painting;
    ForgetClosedDocuments();
    RestoreHiddenEmptyStavesOf(view->document);
    if (State().display.OssiaStaves != 0 || view->document->header.staffCount < 2) return;
    if (!view->pageView) {
        if (view->galleySystem != nullptr) HideInSystem(view, view->galleySystem);
        return;
    }
    ScorePage* page = view->currentPage;
    int steps = 0;
    for (ScoreSystem* s = page != nullptr ? page->firstSystem.get() : nullptr;
         s != nullptr && steps < kMaxChainSteps; s = s->next.get(), ++steps)
        HideInSystem(view, s);
}

void RestoreHiddenEmptyStavesOf(ScoreDocument* document) {
    std::vector<HiddenStaffSystem>& all = State().display.HiddenStaves;
    for (const HiddenStaffSystem& entry : all) {
        if (entry.document != document || document == nullptr) continue;
        if (entry.staffCount != document->header.staffCount || !IsInScore(document, entry.system))
            continue;
        uint16_t* offsets = StaffOffsetsOf(entry.system);
        int8_t* flags = StaffFlagsOf(entry.system);
        if (offsets == nullptr || flags == nullptr) continue;
        std::copy(entry.offsets.begin(), entry.offsets.end(), offsets);
        std::copy(entry.flags.begin(), entry.flags.end(), flags);
    }
    std::erase_if(all, [document](const HiddenStaffSystem& e) { return e.document == document; });
}

void RestoreHiddenEmptyStaves(ScoreView* view) {
    if (view != nullptr) RestoreHiddenEmptyStavesOf(view->document);
}

}  // namespace ql
