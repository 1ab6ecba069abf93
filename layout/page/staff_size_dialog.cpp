// The "Staff Size" dialog (880): one of the ten fixed staff sizes, or a user size
// in staff degrees per inch with its equivalent per centimetre kept beside it. OK
// checks the size per inch before anything changes; an unchanged choice ends with
// 0 (the unchanged test counts a typed user size x 128 as 1 below 64 and at most
// 5632, as the stored form is compared).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/settings_store.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/units_dialog.h"
#include "core/undo/undo.h"
#include "core/units/paper_table.h"
#include "core/units/units.h"
#include "layout/page/page_layout_resources.h"
#include "layout/page_geometry.h"
#include "layout/page_layout_dialogs.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"

namespace ql {

namespace {

using namespace staff_size_dialog;
using platform::WindowHandle;

constexpr intptr_t kUnchanged = 0;
constexpr double kLeastPerInch = 0.25;
constexpr double kMostPerInch = 64.0;
constexpr int32_t kUnitsLowest = 64;     // a typed size x 128 below this counts as 1
constexpr int32_t kUnitsHighest = 5632;  // and at most this
constexpr uint16_t kLeastStoredUnits = 32;
constexpr BcdInches kSmallestUserSize = 0x0080;  // 0.80
constexpr char kRangeText[] = "Degrees must be in range .25 - 64.0 per inch (.1 - 25.0 per cm)";
constexpr int kFieldChars = 32;

ScoreDocument* DocumentOf(WindowHandle dialog) {
    ScoreView* view = GetActiveView(dialog);
    return view != nullptr ? view->document : nullptr;
}

void WriteNumber(WindowHandle dialog, int32_t id, double value) {
    char text[kFieldChars];
    std::snprintf(text, sizeof text, "%2.4g", value);
    ui::SetItemText(dialog, id, text);
}

// The chosen radio: 0..9 a fixed size, kUserStaffSize the user size.
int ChosenSize(WindowHandle dialog) {
    for (int n = 0; n < kUserStaffSize; ++n)
        if (ui::IsItemChecked(dialog, kFirstSize + n)) return n;
    return kUserStaffSize;
}

void CheckSize(WindowHandle dialog, int size) {
    for (int n = 0; n <= kUserStaffSize; ++n) ui::CheckItem(dialog, kFirstSize + n, n == size);
}

// The two fields for a size: a fixed size's degrees, disabled; the user size's,
// enabled, from the text typed last (or the document's user size).
void ShowSize(WindowHandle dialog, const ScoreDocument* document, int size, const std::string& userText) {
    const bool user = size == kUserStaffSize;
    if (user) {
        char text[kFieldChars];
        BcdInchesToText(document->header.fontSizeSetting, text, sizeof text);
        const std::string shown = userText.empty() ? std::string(text) : userText;
        ui::SetItemText(dialog, kPerInch, shown);
        WriteNumber(dialog, kPerCentimetre, std::atof(shown.c_str()) * kInchesPerCm);
    } else {
        const double perInch = StaffUnitsPerInch(size, 0) / kUnitsPerBcdUnit;
        WriteNumber(dialog, kPerInch, perInch);
        WriteNumber(dialog, kPerCentimetre, perInch * kInchesPerCm);
    }
    ui::EnableItem(dialog, kPerInch, user);
    ui::EnableItem(dialog, kPerCentimetre, user);
}

// Per inch and per centimetre follow each other while the user types in one.
void FollowTypedField(WindowHandle dialog, int32_t id) {
    if (win::GetFocus() != ui::GetDialogItem(dialog, id)) return;
    const double value = std::atof(ui::GetItemText(dialog, id).c_str());
    if (id == kPerInch) WriteNumber(dialog, kPerCentimetre, value * kInchesPerCm);
    if (id == kPerCentimetre) WriteNumber(dialog, kPerInch, value * kCmPerInch);
}

// The stored x 128 form of a typed size as the unchanged test counts it.
int32_t ComparedUnits(double perInch) {
    const auto units = static_cast<int32_t>(perInch * kUnitsPerBcdUnit);
    return units < kUnitsLowest ? 1 : std::min(units, kUnitsHighest);
}

void SaveStaffSizeDefaults(const ScoreDocument& document) {
    PreferenceDefaults& defaults = ProgramPreferences();
    defaults.header.pageGeometry.staffSize = document.workingPageGeometry.staffSize;
    defaults.header.pageGeometry.userStaffSize = document.workingPageGeometry.userStaffSize;
    defaults.header.fontSizeSetting = document.header.fontSizeSetting;
    SaveStaffSizePrefs();
}

// OK: the dialog's result, or -1 to stay open.
intptr_t AcceptStaffSize(WindowHandle dialog, ScoreView* view) {
    ScoreDocument* document = view->document;
    BcdInches word = GetDlgItemBcd(dialog, kPerInch);
    const double perInch = BcdNumber(word);
    if (perInch < kLeastPerInch || perInch > kMostPerInch) {
        ModalMessageBox(kRangeText, ProgramString(kStrProductName), ui::kBoxOk | ui::kBoxIconExclamation);
        win::SetFocus(ui::GetDialogItem(dialog, kPerInch));
        return -1;
    }
    const int size = ChosenSize(dialog);
    PageRecord& working = document->workingPageGeometry;
    UndoStep step(document, view, UndoKind::Page, 0, UndoVerb::Change);
    const bool sameFixed = size != kUserStaffSize && size == working.staffSize;
    const bool sameUser = size == kUserStaffSize && working.staffSize == kUserStaffSize &&
                          ComparedUnits(perInch) == working.userStaffSize;
    if (sameFixed || sameUser) return kUnchanged;
    SetDocumentModified(document);
    working.staffSize = static_cast<uint8_t>(size);
    if (size == kUserStaffSize) {
        if (BcdTimes128(word) < kLeastStoredUnits) word = kSmallestUserSize;
        document->header.fontSizeSetting = word;
        working.userStaffSize = BcdTimes128(word);
    }
    if (ui::IsItemChecked(dialog, kSavePreferences)) SaveStaffSizeDefaults(*document);
    return size + 1;
}

// The text typed last in the user field, kept while a fixed size is shown.
std::string g_userText;

intptr_t OnCommand(WindowHandle dialog, uint32_t word) {
    ScoreDocument* document = DocumentOf(dialog);
    ScoreView* view = GetActiveView(dialog);
    const int32_t id = static_cast<int32_t>(win::CommandId(word));
    if (document == nullptr || view == nullptr) {
        ui::EndDialog(dialog, kUnchanged);
        return 1;
    }
    if (win::CommandCode(word) == ui::kEditChange) {
        FollowTypedField(dialog, id);
        if (id == kPerInch && ChosenSize(dialog) == kUserStaffSize) g_userText = ui::GetItemText(dialog, kPerInch);
        return 1;
    }
    if (id >= kFirstSize && id <= kUserSize) {
        CheckSize(dialog, id - kFirstSize);
        ShowSize(dialog, document, id - kFirstSize, g_userText);
        return 1;
    }
    switch (id) {
        case ui::kIdOk:
            if (const intptr_t result = AcceptStaffSize(dialog, view); result >= 0) ui::EndDialog(dialog, result);
            return 1;
        case ui::kIdCancel: ui::EndDialog(dialog, kUnchanged); return 1;
        case kReset: {
            const PageRecord& working = document->workingPageGeometry;
            char text[kFieldChars];
            const int units = working.userStaffSize;
            std::snprintf(text, sizeof text, "%d.%03d", units / kUnitsPerBcdUnit,
                          (units % kUnitsPerBcdUnit) * 1000 / kUnitsPerBcdUnit);
            g_userText = text;
            CheckSize(dialog, std::min<int>(working.staffSize, kUserStaffSize));
            ShowSize(dialog, document, std::min<int>(working.staffSize, kUserStaffSize), g_userText);
            return 1;
        }
        case kHelpButtonId: return ShowDialogContextHelp(dialog, kHelpId, nullptr);
        default: return 0;
    }
}

}  // namespace

intptr_t StaffSizeDialogProc(WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) {
    switch (message) {
        case win::Message::InitDialog: {
            ScoreDocument* document = DocumentOf(dialog);
            if (document == nullptr) {
                ui::EndDialog(dialog, kUnchanged);
                return 0;
            }
            g_userText.clear();
            const int size = std::min<int>(document->workingPageGeometry.staffSize, kUserStaffSize);
            CheckSize(dialog, size);
            ShowSize(dialog, document, size, g_userText);
            EnableHelpButton(dialog, nullptr);
            return 0;
        }
        case win::Message::Command: return OnCommand(dialog, word);
        case win::Message::DrawItem: return DrawDialogLogo(reinterpret_cast<const win::DrawItemInfo*>(data));
        case win::Message::Help:
            return ShowDialogContextHelp(dialog, kHelpId, reinterpret_cast<const win::HelpInfo*>(data));
        default: return 0;
    }
}

intptr_t RunStaffSizeDialog(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return kUnchanged;
    // The dialog's own edit and the page-geometry edit make one undo step.
    UndoStep step(view->document, view, UndoKind::Page, 0, UndoVerb::Change);
    const intptr_t result = RunPageGeometryDialog(view, ql::kStaffSizeDialog, StaffSizeDialogProc);
    return result > 0 ? result : kUnchanged;
}

}  // namespace ql
