// The per-system staff arrays kept in step with the score's staves: resizing them
// across pool size classes, and hiding or showing a staff in one system with the
// offsets restacked.
#include "layout/system_staves.h"

#include <algorithm>

#include "core/error_report.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/state.h"
#include "layout/page_chain.h"

namespace ql {

using namespace pages;

namespace {

// Calls f on every system of every page and on the galley systems of the views of
// the document.
template <typename F>
void ForEveryDocumentSystem(ScoreView* view, F f) {
    ScoreDocument* document = view->document;
    for (ScorePage* page = document->firstPage; page != nullptr; page = page->next.get())
        for (ScoreSystem* s = page->firstSystem.get(); s != nullptr; s = s->next.get()) f(s);
    for (ScoreView* v = State().documents.FirstView; v != nullptr; v = v->nextView)
        if (v->document == document && v->galleySystem != nullptr) f(v->galleySystem);
}

bool IsHidden(const int8_t* flags, int staff) { return (static_cast<uint8_t>(flags[staff]) & kHiddenStaff) != 0; }

int VisibleStaves(const ScoreDocument* document, const ScoreSystem* system) {
    const int8_t* flags = StaffFlagsOf(system);
    int count = 0;
    for (int staff = 1; flags != nullptr && staff <= document->header.staffCount; ++staff)
        if (!IsHidden(flags, staff)) ++count;
    return count;
}

// Offsets of the visible staves become the gaps to the previous visible staff.
void OffsetsToGaps(const ScoreDocument* document, ScoreSystem* system) {
    uint16_t* offsets = StaffOffsetsOf(system);
    const int8_t* flags = StaffFlagsOf(system);
    int previous = 0;
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        if (IsHidden(flags, staff)) {
            offsets[staff] = 0;
            continue;
        }
        const int offset = offsets[staff];
        offsets[staff] = static_cast<uint16_t>(offset - previous);
        previous = offset;
    }
}

}  // namespace

void RestackSystemStaves(ScoreView* view, ScoreSystem* system) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    uint16_t* offsets = StaffOffsetsOf(system);
    const int8_t* flags = StaffFlagsOf(system);
    if (document == nullptr || offsets == nullptr || flags == nullptr) return;
    const int separation = StaffSeparation(document);
    int running = 0;
    bool first = true;
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        if (IsHidden(flags, staff)) {
            offsets[staff] = static_cast<uint16_t>(running);
            continue;
        }
        int gap = static_cast<int16_t>(offsets[staff]);
        if (first) gap = 0;
        else if (gap <= 0) gap = separation;
        running += gap;
        offsets[staff] = static_cast<uint16_t>(running);
        first = false;
    }
}

int ResizeSystemStaffArrays(ScoreView* view, int staffCount) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || staffCount < 1 || staffCount > kMaxStaves) return 0;
    const int current = document->header.staffCount;
    if (PoolForWordArray(current) == PoolForWordArray(staffCount) &&
        PoolForByteArray(current) == PoolForByteArray(staffCount))
        return 1;
    bool ok = true;
    ForEveryDocumentSystem(view, [&](ScoreSystem* s) {
        ResizeSystemArrays(s, std::min(current, staffCount), staffCount);
        ok = ok && HasSystemArrays(s) && s->offsetsPool == PoolForWordArray(staffCount);
    });
    return ok ? 1 : 0;
}

int AddStaffToSystems(ScoreView* view, int count, int newCount) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (document == nullptr || newCount < 1 || newCount > kMaxStaves) return 0;
    bool ok = true;
    ForEveryDocumentSystem(view, [&](ScoreSystem* s) {
        ResizeSystemArrays(s, std::min(count, newCount), newCount);
        ok = ok && HasSystemArrays(s);
    });
    return ok ? 1 : 0;
}

void RemoveStaffFromSystem(ScoreView* view, ScoreSystem* system, int staff) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    int8_t* flags = StaffFlagsOf(system);
    if (document == nullptr || flags == nullptr || staff < 1 || staff > document->header.staffCount) return;
    if (document->header.staffCount == 1 || VisibleStaves(document, system) <= 1 || IsHidden(flags, staff)) {
        PlayAlertBeep(0);
        return;
    }
    OffsetsToGaps(document, system);
    uint16_t* offsets = StaffOffsetsOf(system);
    if (staff == 1 && document->header.staffCount >= 2) offsets[2] = offsets[1];
    flags[staff] = static_cast<int8_t>(flags[staff] | kHiddenStaff);
    RestackSystemStaves(view, system);
    SetDocumentModified(document);
}

void InsertStaffInSystem(ScoreView* view, int staff, ScoreSystem* system) {
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    int8_t* flags = StaffFlagsOf(system);
    if (document == nullptr || flags == nullptr || staff < 1 || staff > document->header.staffCount) return;
    if (document->header.staffCount == 1 || !IsHidden(flags, staff)) return;
    OffsetsToGaps(document, system);
    uint16_t* offsets = StaffOffsetsOf(system);
    if (staff == 1 && document->header.staffCount >= 2) offsets[1] = offsets[2];
    flags[staff] = static_cast<int8_t>(flags[staff] & ~kHiddenStaff);
    RestackSystemStaves(view, system);
    SetDocumentModified(document);
}

}  // namespace ql
