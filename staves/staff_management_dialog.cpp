// The "Staff Management" dialog (851) and its "Unhide Staves" sub-dialog (855). The
// dialog shows the current staff's state in the current system; OK checks the staff
// size (0 or 50..100, else a message box and the field focused, the dialog kept
// open) and then, as one undoable edit, stores size, line count and ossia bits and
// hides or shows the chosen staves in the chosen systems with their hide bits; the
// linked views are redrawn.
#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>

#include "core/core_strings.h"
#include "core/draw/staff_scaling.h"
#include "core/model/document.h"
#include "core/model/grid.h"
#include "core/model/page_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/modal_boxes.h"
#include "core/undo/undo.h"
#include "display/linked_views.h"
#include "layout/page_chain.h"
#include "layout/system_staves.h"
#include "notes/beatmap/beat_map.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "staves/staff_dialog_resources.h"
#include "staves/staff_dialogs.h"

namespace ql {

namespace {

using namespace staff_management_dialog;
using platform::WindowHandle;

// The staff's object type in undo steps.
constexpr uint8_t kStaffUndoType = 4;
// Bit of a system's staff flags that the dialog keeps as it was for the current staff.
constexpr uint8_t kKeptSystemBit = 0x02;
constexpr uint8_t kHideNameBit = 0x40;
// The hide checks and the system staff-flag bit each stands for.
struct HideCheck {
    int32_t id;
    uint8_t bit;
};
constexpr HideCheck kHideChecks[] = {{kHideClef, kSystemStaffNoClef},
                                     {kHideKey, kSystemStaffNoKey},
                                     {kHideTime, kSystemStaffNoTime},
                                     {kHideName, kHideNameBit}};
constexpr uint8_t kHideBits = kSystemStaffNoClef | kSystemStaffNoKey | kSystemStaffNoTime | kHideNameBit;
// No unhide chosen in dialog 855.
constexpr int kNoUnhide = -1;

struct ManagementRun {
    ScoreView* view;
    int staff;
    ScoreSystem* system;
    uint8_t keptBit;  // the current staff's kKeptSystemBit when the dialog opened
    int unhide = kNoUnhide;
};

bool IsStaffHiddenIn(const ScoreSystem* system, int staff) {
    const int8_t* flags = StaffFlagsOf(system);
    return flags != nullptr && (static_cast<uint8_t>(flags[staff]) & pages::kHiddenStaff) != 0;
}

bool AnyStaffHiddenIn(const ScoreDocument* document, const ScoreSystem* system) {
    for (int s = 1; s <= document->header.staffCount; ++s)
        if (IsStaffHiddenIn(system, s)) return true;
    return false;
}

std::string StaffHeader(int staff) {
    char text[64];
    std::snprintf(text, sizeof text, kStaffHeaderFormat, ProgramString(kStrStaff).c_str(), staff);
    return text;
}

void InitManagement(WindowHandle dialog, const ManagementRun& run) {
    ScoreDocument* document = run.view->document;
    const StaffRecord* staff = StaffRecordOf(document, run.staff);
    const uint8_t bits = static_cast<uint8_t>(StaffFlagsOf(run.system)[run.staff]);
    ui::SetItemText(dialog, kHeader, StaffHeader(run.staff));
    ui::CheckItem(dialog, kHideStaff, (bits & pages::kHiddenStaff) != 0);
    for (const HideCheck& check : kHideChecks) ui::CheckItem(dialog, check.id, (bits & check.bit) != 0);
    ui::CheckItem(dialog, kThisStaffOnly, true);
    ui::CheckItem(dialog, kThisSystemOnly, true);
    ui::CheckItem(dialog, kThisPageOnly, true);
    const int size = StaffSizePercent(*staff);
    ui::SetItemInt(dialog, kStaffSize, size == 0 ? kFullStaffSize : size);
    const int lines = (staff->flags & kStaffLineCountMask) >> kStaffLineCountShift;
    SetupSpinControl(dialog, kLines, 0, kMostStaffLines, lines == 0 ? kDefaultStaffLines : lines, false);
    ui::CheckItem(dialog, kOssia, (staff->flags & kStaffOssia) != 0);
    ui::CheckItem(dialog, kToStaffAbove, (staff->flags & kStaffOssiaToAbove) != 0);
    ui::CheckItem(dialog, kConnectStaves, (staff->flags & kStaffConnect) != 0);
    ui::EnableItem(dialog, kUnhide, AnyStaffHiddenIn(document, run.system));
}

// The size field as it will be stored (100 as 0); nullopt when out of range.
std::optional<int> StoredStaffSize(WindowHandle dialog) {
    const std::optional<int32_t> size = ui::GetItemInt(dialog, kStaffSize);
    if (!size) return std::nullopt;
    if (*size == 0 || *size == kFullStaffSize) return 0;
    if (*size < kSmallestStaffSize || *size > kFullStaffSize) return std::nullopt;
    return *size;
}

void RefuseStaffSize(WindowHandle dialog, ScoreView* view) {
    ViewMessageBox(view, ProgramString(kStrStaffSizeRange), ProgramString(kStrProductName),
                   ui::kBoxIconInformation);
    win::SetFocus(ui::GetDialogItem(dialog, kStaffSize));
}

// Size, line count and ossia bits of the staff record.
void ApplyStaffFields(WindowHandle dialog, const ManagementRun& run, int size) {
    ScoreView* view = run.view;
    StaffRecord* staff = StaffRecordOf(view->document, run.staff);
    if (run.unhide == kNoUnhide) {
        const int lines = std::clamp<int32_t>(ui::GetItemInt(dialog, kLines).value_or(kDefaultStaffLines), 0,
                                              kMostStaffLines);
        staff->flags = static_cast<uint16_t>((staff->flags & ~kStaffLineCountMask) | (lines << kStaffLineCountShift));
    }
    if (size != StaffSizePercent(*staff)) {
        ReleaseViewFonts(view, 0);
        SetStaffSizePercent(*staff, static_cast<uint8_t>(size));
        SelectStaffScaledFonts(view, run.staff);
    }
    const bool ossia = ui::IsItemChecked(dialog, kOssia);
    bool toAbove = ui::IsItemChecked(dialog, kToStaffAbove);
    if (run.staff == 1) toAbove = false;
    else if (ossia && run.staff == view->document->header.staffCount) toAbove = true;
    uint16_t bits = ossia ? kStaffOssia : 0;
    if (toAbove) bits |= kStaffOssiaToAbove;
    if (ui::IsItemChecked(dialog, kConnectStaves)) bits |= kStaffConnect;
    staff->flags = static_cast<uint16_t>((staff->flags & ~kStaffOssiaBits) | bits);
}

// One staff of one system: shown or hidden, then its hide bits.
void ApplyToStaff(WindowHandle dialog, const ManagementRun& run, ScoreSystem* system, int staff) {
    const bool hide = run.unhide == kNoUnhide && ui::IsItemChecked(dialog, kHideStaff);
    const bool hidden = IsStaffHiddenIn(system, staff);
    if (hide && !hidden) RemoveStaffFromSystem(run.view, system, staff);
    if (!hide && hidden) InsertStaffInSystem(run.view, staff, system);
    int8_t* flags = StaffFlagsOf(system);
    uint8_t bits = static_cast<uint8_t>(flags[staff]) & static_cast<uint8_t>(~(kHideBits | kKeptSystemBit));
    for (const HideCheck& check : kHideChecks)
        if (ui::IsItemChecked(dialog, check.id)) bits |= check.bit;
    flags[staff] = static_cast<int8_t>(bits | run.keptBit);
}

void ApplyToSystem(WindowHandle dialog, const ManagementRun& run, ScoreSystem* system) {
    if (StaffFlagsOf(system) == nullptr) return;
    const int count = run.view->document->header.staffCount;
    const bool all = run.unhide == 0 || (run.unhide == kNoUnhide && ui::IsItemChecked(dialog, kAllStavesInSystem));
    const int only = run.unhide > 0 ? run.unhide : run.staff;
    for (int s = 1; s <= count; ++s)
        if (all || s == only) ApplyToStaff(dialog, run, system, s);
}

// The systems of the chosen range: the current one, its page's, or those of every
// page from the current one on. Scroll view works on the current system only.
void ApplyToRange(WindowHandle dialog, const ManagementRun& run) {
    ScoreView* view = run.view;
    const bool pageView = view->pageView != 0 && view->currentPage != nullptr;
    const bool wholePage = pageView && ui::IsItemChecked(dialog, kAllSystemsOnPage);
    const bool toEnd = pageView && ui::IsItemChecked(dialog, kThisPageToEnd);
    if (!wholePage && !toEnd) {
        ApplyToSystem(dialog, run, run.system);
        return;
    }
    for (ScorePage* page = view->currentPage; page != nullptr; page = toEnd ? page->next.get() : nullptr)
        for (ScoreSystem* s = page->firstSystem.get(); s != nullptr; s = s->next.get())
            if (wholePage || page != view->currentPage || s == run.system) ApplyToSystem(dialog, run, s);
}

bool ApplyManagement(WindowHandle dialog, ManagementRun& run) {
    const std::optional<int> size = StoredStaffSize(dialog);
    if (!size) {
        RefuseStaffSize(dialog, run.view);
        return false;
    }
    ScoreView* view = run.view;
    {
        const UndoStep edit(view->document, view, UndoKind::Staff, kStaffUndoType, UndoVerb::Modify);
        SetDocumentModified(view->document);
        ApplyStaffFields(dialog, run, *size);
        ApplyToRange(dialog, run);
    }
    view->currentSystem = run.system;
    UpdateBeatMaps(view, 1);
    // Hidden and shown staves, line counts and sizes show at once in every view.
    InvalidateLinkedViews(view);
    return true;
}

intptr_t OnManagementCommand(WindowHandle dialog, ManagementRun& run, uint32_t id) {
    switch (id) {
    case ui::kIdOk:
        if (ApplyManagement(dialog, run)) ui::EndDialog(dialog, ui::kIdOk);
        return 1;
    case ui::kIdCancel:
        ui::EndDialog(dialog, ui::kIdCancel);
        return 1;
    case kUnhide:
        run.unhide = RunUnhideStavesDialog(run.view);
        if (run.unhide != kNoUnhide) ui::CheckItem(dialog, kHideStaff, false);
        return 1;
    case kMidiSetup:
        RunStaffMidiDialog(run.view, run.staff);
        return 1;
    case kTranspose:
        RunStaffTransposeDialog(run.view, run.staff);
        return 1;
    default:
        return 0;
    }
}

// The hidden staves of the system, in the combo box; each entry's data its number.
void FillHiddenStaves(WindowHandle dialog, ScoreView* view) {
    using namespace unhide_staves_dialog;
    const WindowHandle combo = ui::GetDialogItem(dialog, kHiddenStaves);
    for (int s = 1; s <= view->document->header.staffCount; ++s) {
        if (!IsStaffHiddenIn(view->currentSystem, s)) continue;
        const int32_t index = ui::ComboAddString(combo, StaffHeader(s));
        ui::ComboSetItemData(combo, index, s);
    }
    ui::ComboSetSelection(combo, 0);
    ui::CheckItem(dialog, kUnhideAll, true);
}

}  // namespace

int RunUnhideStavesDialog(ScoreView* view) {
    using namespace unhide_staves_dialog;
    if (view == nullptr || view->document == nullptr || view->currentSystem == nullptr) return kNoUnhide;
    if (!AnyStaffHiddenIn(view->document, view->currentSystem)) return kNoUnhide;
    int chosen = kNoUnhide;
    ModalDialogBox(view, kUnhideStavesDialog,
                   [&](WindowHandle dialog, win::Message message, uint32_t word, intptr_t) -> intptr_t {
                       if (message == win::Message::InitDialog) {
                           FillHiddenStaves(dialog, view);
                           return 0;
                       }
                       if (message != win::Message::Command) return 0;
                       const uint32_t id = win::CommandId(word);
                       if (id == ui::kIdOk) {
                           const WindowHandle combo = ui::GetDialogItem(dialog, kHiddenStaves);
                           const int32_t index = ui::ComboGetSelection(combo);
                           chosen = ui::IsItemChecked(dialog, kUnhideAll) || index < 0
                                        ? 0
                                        : static_cast<int>(ui::ComboGetItemData(combo, index));
                       }
                       if (id != ui::kIdOk && id != ui::kIdCancel) return 0;
                       ui::EndDialog(dialog, id);
                       return 1;
                   });
    return chosen;
}

intptr_t RunStaffManagementDialog(ScoreView* view) {
    if (view == nullptr || view->document == nullptr || view->currentSystem == nullptr) return ui::kIdCancel;
    const int staff = view->currentStaff;
    if (staff < 1 || staff > view->document->header.staffCount || StaffFlagsOf(view->currentSystem) == nullptr)
        return ui::kIdCancel;
    ManagementRun run{view, staff, view->currentSystem,
                      static_cast<uint8_t>(StaffFlagsOf(view->currentSystem)[staff] & kKeptSystemBit)};
    return ModalDialogBox(view, kStaffManagementDialog,
                          [&run](WindowHandle dialog, win::Message message, uint32_t word, intptr_t) -> intptr_t {
                              if (message == win::Message::InitDialog) {
                                  InitManagement(dialog, run);
                                  return 0;
                              }
                              if (message == win::Message::VerticalScroll) {
                                  const win::ScrollCode code = win::ScrollCodeOf(word);
                                  if (code == win::ScrollCode::LineUp || code == win::ScrollCode::LineDown)
                                      ClampEditValue(dialog, kLinesSpin, code == win::ScrollCode::LineDown, 0,
                                                     false, kMostStaffLines);
                                  return 0;
                              }
                              if (message != win::Message::Command) return 0;
                              return OnManagementCommand(dialog, run, win::CommandId(word));
                          });
}

}  // namespace ql
