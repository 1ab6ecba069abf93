// The autosave-count and backup-copies dialogs: one procedure shape, an OK check
// of its own each.
#include "shell/options/option_dialogs.h"

#include <limits>

#include "core/core_strings.h"
#include "core/settings/program_options.h"
#include "core/settings/settings_store.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "core/undo/autosave.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"
#include "shell/options/option_dialog_protocol.h"
#include "shell/resources/option_dialog_resources.h"

namespace ql {
namespace {

using platform::WindowHandle;

constexpr int32_t kMinAutosaveStep = 0;  // the control's lowest; stored as 1
constexpr int32_t kMaxAutosave = 127;
constexpr int32_t kMinBackups = 1;
constexpr int32_t kMaxBackups = 9;
constexpr int32_t kMinPickListEntries = 3;
constexpr int32_t kMaxPickListEntries = 16;
constexpr int32_t kDecimalBase = 10;
constexpr uint32_t kRangeBoxStyle = ui::kBoxOk | ui::kBoxIconInformation;

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::optional<int32_t> EditCount(WindowHandle dialog, int32_t edit) {
    return ParseCountText(win::GetWindowText(ui::GetDialogItem(dialog, edit)));
}

// A count dialog: its up-down shows the count, OK checks and stores it.
template <typename Store>
intptr_t CountDialogProc(WindowHandle dialog, win::Message message, uint32_t word, intptr_t data,
                         int32_t spin, int32_t low, int32_t high, int32_t shown, uint32_t helpId,
                         Store store) {
    return OptionDialogProc(
        dialog, message, word, data, helpId,
        [&](WindowHandle d) { SetupSpinControl(d, spin + 1, low, high, shown, true); }, store,
        NoOtherCommand);
}

bool StoreAutosaveCount(WindowHandle dialog) {
    std::optional<int32_t> count = EditCount(dialog, autosave_count_dialog::kCountEdit);
    if (!count) return true;  // not a number: the count stays
    const int32_t clamped = std::min(std::max(*count, kMinAutosaveStep + 1), kMaxAutosave);
    AutoSaveSettings().count = static_cast<uint8_t>(clamped);
    return true;
}

bool StoreBackupCopies(WindowHandle dialog) {
    std::optional<int32_t> count = EditCount(dialog, backup_copies_dialog::kCountEdit);
    if (!count || *count < kMinBackups || *count > kMaxBackups) {
        ModalMessageBox(ProgramString(backup_copies_dialog::kStrBackupRange),
                        ProgramString(kStrProductName), kRangeBoxStyle);
        return false;
    }
    Options().BackupCopies = static_cast<uint8_t>(*count);
    return true;
}

bool StorePickListOptions(WindowHandle dialog) {
    namespace p = pick_list_options_dialog;
    if (std::optional<int32_t> entries = EditCount(dialog, p::kEntriesEdit))
        Options().PickListEntries = static_cast<uint8_t>(
            std::min(std::max(*entries, kMinPickListEntries), kMaxPickListEntries));
    Options().LoadLastFile = ui::IsItemChecked(dialog, p::kLoadLastFile) ? 1 : 0;
    SavePickListPrefs();
    return true;
}

}  // namespace

std::optional<int32_t> ParseCountText(std::string_view text) {
    size_t at = 0;
    while (at < text.size() && IsBlank(text[at])) ++at;
    int64_t value = 0;
    size_t digits = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at, ++digits) {
        value = value * kDecimalBase + (text[at] - '0');
        value = std::min<int64_t>(value, std::numeric_limits<int32_t>::max());
    }
    while (at < text.size() && IsBlank(text[at])) ++at;
    if (digits == 0 || at != text.size()) return std::nullopt;
    return static_cast<int32_t>(value);
}

intptr_t RunAutosaveCountDialog() {
    const int32_t shown = AutoSaveSettings().count;
    return PlainModalDialogBox(
        autosave_count_dialog::kDialog,
        [shown](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) {
            return CountDialogProc(dialog, message, word, data, autosave_count_dialog::kCountSpin,
                                   kMinAutosaveStep, kMaxAutosave, shown,
                                   autosave_count_dialog::kHelpId, StoreAutosaveCount);
        });
}

intptr_t RunBackupCopiesDialog() {
    const int32_t shown =
        std::min<int32_t>(std::max<int32_t>(Options().BackupCopies, kMinBackups), kMaxBackups);
    return PlainModalDialogBox(
        backup_copies_dialog::kDialog,
        [shown](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) {
            return CountDialogProc(dialog, message, word, data, backup_copies_dialog::kCountSpin,
                                   kMinBackups, kMaxBackups, shown, backup_copies_dialog::kHelpId,
                                   StoreBackupCopies);
        });
}

}  // namespace ql

namespace ql {

intptr_t RunPickListOptionsDialog() {
    namespace p = pick_list_options_dialog;
    const int32_t shown = std::min<int32_t>(
        std::max<int32_t>(Options().PickListEntries, kMinPickListEntries), kMaxPickListEntries);
    const bool loadLast = Options().LoadLastFile != 0;
    return PlainModalDialogBox(p::kDialog, [shown, loadLast](WindowHandle dialog,
                                                             win::Message message, uint32_t word,
                                                             intptr_t data) {
        if (message == win::Message::InitDialog) ui::CheckItem(dialog, p::kLoadLastFile, loadLast);
        return CountDialogProc(dialog, message, word, data, p::kEntriesSpin, kMinPickListEntries,
                               kMaxPickListEntries, shown, p::kHelpId, StorePickListOptions);
    });
}

}  // namespace ql
