// The small option dialogs of the settings commands: Set Autosave Count (803),
// Set Backup Copies (887) and Pick List Options (492). Each fills its controls from the program's
// settings, stores them on OK (1) and leaves them on Cancel (2); Help shows its own topic. Typed
// counts are the user's text: read strictly, clamped where the dialog clamps, and kept as they were
// where they are not a number.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace ql {

// Blanks, then decimal digits, then blanks: the number (values past the 32-bit
// range read as INT32_MAX); nothing for any other text.
std::optional<int32_t> ParseCountText(std::string_view text);

// 803: the autosave count, stored within 1..127 (0 becomes 1, above 127 becomes
// 127); a text that is not a number leaves the count. The dialog's result.
intptr_t RunAutosaveCountDialog();

// 887: the backup copies, 1..9; another number shows string 1551 and the dialog
// stays open. The dialog's result.
intptr_t RunBackupCopiesDialog();

// 492: the pick list's entries (3..16; a stored value outside is clamped first,
// a typed one clamped, a text that is not a number leaves the entries) and "Load
// last file on startup", written to the settings on OK. The drive list of the
// design is not shown: "PickListDrives" is kept as it is.
intptr_t RunPickListOptionsDialog();

}  // namespace ql
