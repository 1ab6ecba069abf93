// Staff insertion and removal (see staff_manage.h).
#include "staves/staff_manage.h"

#include "core/constants.h"
#include "core/error_report.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/model_reports.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/model/staff_mix.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "layout/page_chain.h"
#include "layout/system_staves.h"
#include "staves/staff_group_bits.h"

namespace ql {

namespace {

constexpr char kModule[] = "STAFFEDI";
// The staff's object type in undo steps.
constexpr uint8_t kStaffUndoType = 4;
constexpr int kChannels = 16;
constexpr uint8_t kNoPort = 255;
constexpr int kTimbres = 4;
// The program keeps no default-patch setting yet: a new staff starts on program 0.
constexpr uint8_t kDefaultPatch = 0;

template <typename F>
void ForEverySystem(ScoreView* view, F f) {
    ScoreDocument* document = view->document;
    for (ScorePage* page = document->firstPage; page != nullptr; page = page->next.get())
        for (ScoreSystem* s = page->firstSystem.get(); s != nullptr; s = s->next.get()) f(s);
    for (ScoreView* v = State().documents.FirstView; v != nullptr; v = v->nextView)
        if (v->document == document && v->galleySystem != nullptr) f(v->galleySystem);
}

// Every system's per-staff entries make room at `number` (flags cleared) and the
// offsets are spread evenly by the staff separation.
void OpenSystemSlot(ScoreView* view, int count, int number) {
    const int separation = pages::StaffSeparation(view->document);
    ForEverySystem(view, [&](ScoreSystem* system) {
        uint16_t* offsets = StaffOffsetsOf(system);
        int8_t* flags = StaffFlagsOf(system);
        if (offsets == nullptr || flags == nullptr) return;
        for (int i = count + 1; i > number; --i) flags[i] = flags[i - 1];
        flags[number] = 0;
        for (int i = 1; i <= count + 1; ++i) offsets[i] = static_cast<uint16_t>((i - 1) * separation);
    });
}

// The per-staff entries after `number` move down one place.
void CloseSystemSlot(ScoreView* view, int count, int number) {
    ForEverySystem(view, [&](ScoreSystem* system) {
        uint16_t* offsets = StaffOffsetsOf(system);
        int8_t* flags = StaffFlagsOf(system);
        if (offsets == nullptr || flags == nullptr) return;
        for (int i = number; i < count; ++i) {
            offsets[i] = offsets[i + 1];
            flags[i] = flags[i + 1];
        }
    });
}

// The new staff joins the groups it falls inside: joined above where the staff above
// joins below, joined below where the staff below joins above.
void JoinNeighbourGroups(ScoreDocument* document, StaffRecord& staff, int number, int count) {
    for (GroupKind kind : kAllGroupKinds) ClearGroupBits(staff, kind);
    if (number <= 1 || number >= count) return;
    const StaffRecord* above = StaffRecordOf(document, number - 1);
    const StaffRecord* below = StaffRecordOf(document, number + 1);
    for (GroupKind kind : kAllGroupKinds) {
        if (above != nullptr && JoinsStaffBelow(*above, kind)) SetJoinsStaffAbove(staff, kind, true);
        if (below != nullptr && JoinsStaffAbove(*below, kind)) SetJoinsStaffBelow(staff, kind, true);
    }
}

void SetNewStaffSound(StaffRecord& staff, int number) {
    staff.timbres[0].port = 0;
    staff.timbres[0].channel = static_cast<uint8_t>((number - 1) % kChannels);
    staff.timbres[0].patch = kDefaultPatch;
    for (int t = 1; t < kTimbres; ++t) staff.timbres[t].port = kNoPort;
}

void FreeStaff(StaffRecord* staff) {
    if (staff == nullptr) return;
    FreeStaffRecordArrays(staff);
    FreeRecord(kStaffRecordPool, staff);
}

// A system whose visible staves were all removed shows its first staff again: no
// system is left without a staff to draw and point at.
void ShowFirstStaffWhereNoneIsVisible(ScoreView* view, int count) {
    ForEverySystem(view, [&](ScoreSystem* system) {
        int8_t* flags = StaffFlagsOf(system);
        if (flags == nullptr) return;
        for (int s = 1; s <= count; ++s)
            if ((static_cast<uint8_t>(flags[s]) & pages::kHiddenStaff) == 0) return;
        flags[1] = static_cast<int8_t>(static_cast<uint8_t>(flags[1]) & ~pages::kHiddenStaff);
        RestackSystemStaves(view, system);
    });
}

// Cuts the links of the staves next to a removed staff where it ends its group.
void CutGroupLinks(ScoreDocument* document, int staff, int count) {
    const StaffRecord* removed = StaffRecordOf(document, staff);
    StaffRecord* next = staff < count ? StaffRecordOf(document, staff + 1) : nullptr;
    StaffRecord* previous = staff >= 2 ? StaffRecordOf(document, staff - 1) : nullptr;
    for (GroupKind kind : kAllGroupKinds) {
        if (next != nullptr && !JoinsStaffAbove(*removed, kind)) SetJoinsStaffAbove(*next, kind, false);
        if (previous != nullptr && !JoinsStaffBelow(*removed, kind))
            SetJoinsStaffBelow(*previous, kind, false);
    }
}

}  // namespace

int InsertStaves(ScoreView* view, int command, int staff) {
    if (view == nullptr || view->document == nullptr) return 0;
    ScoreDocument* document = view->document;
    const int count = document->header.staffCount;
    if (count + 1 > kMaxStaves) return 0;
    if (command != kInsertStaffBefore && command != kInsertStaffAfter) {
        InternalError(kModule, __LINE__, static_cast<uintptr_t>(command));
        return 0;
    }
    StaffRecord* tmpl = StaffRecordOf(document, staff);
    if (tmpl == nullptr || staff < 1 || staff > count) return 0;
    StaffRecord* record = ConstructStaffRecordFrom(AllocStaffRecord(), view, tmpl);
    if (record == nullptr || !IsStaffComplete(record) || !ResizeSystemStaffArrays(view, count + 1)) {
        if (record != nullptr) FreeStaff(record);
        ReportLowMemory(kModule, __LINE__);
        return 0;
    }
    const int number = command == kInsertStaffAfter ? staff + 1 : staff;
    const StaffMixFollowsStaves mixFollows(*document);
    OpenSystemSlot(view, count, number);
    for (int i = count + 1; i > number; --i) document->staves->staves[i] = document->staves->staves[i - 1];
    document->staves->staves[number] = Ref32<StaffRecord>::To(record);
    document->header.staffCount = static_cast<uint8_t>(count + 1);
    SetNewStaffSound(*record, number);
    JoinNeighbourGroups(document, *record, number, count + 1);
    view->currentStaff = number;
    view->currentStaffRecord = record;
    SetDocumentModified(document);
    return 1;
}

int RemoveStaff(ScoreView* view, int staff) {
    if (view == nullptr || view->document == nullptr) return 0;
    ScoreDocument* document = view->document;
    const int count = document->header.staffCount;
    if (count <= 1 || staff < 1 || staff > count) return 0;
    const StaffMixFollowsStaves mixFollows(*document);
    CutGroupLinks(document, staff, count);
    FreeStaff(StaffRecordOf(document, staff));
    for (int i = staff; i < count; ++i) document->staves->staves[i] = document->staves->staves[i + 1];
    document->staves->staves[count] = Ref32<StaffRecord>{};
    CloseSystemSlot(view, count, staff);
    AddStaffToSystems(view, count, count - 1);
    document->header.staffCount = static_cast<uint8_t>(count - 1);
    ShowFirstStaffWhereNoneIsVisible(view, count - 1);
    if (view->currentStaff > count - 1) view->currentStaff = count - 1;
    view->currentStaffRecord = StaffRecordOf(document, view->currentStaff);
    SetDocumentModified(document);
    ClearUndoHistory(document);
    return 1;
}

int HideStaffInCurrentSystem(ScoreView* view) {
    if (view == nullptr || view->document == nullptr || view->currentSystem == nullptr) return 0;
    ScoreDocument* document = view->document;
    if (view->currentStaff < 1 || view->currentStaff > document->header.staffCount) return 0;
    const UndoStep edit(document, view, UndoKind::Staff, kStaffUndoType, UndoVerb::Hide);
    RemoveStaffFromSystem(view, view->currentSystem, view->currentStaff);
    return 1;
}

}  // namespace ql
