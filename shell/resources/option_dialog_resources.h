// The small option dialogs of the settings commands: Set Autosave Count (803),
// Set Backup Copies (887), Measure Numbers (863) and Pick List
// Options (492), with their control ids and texts. Registered into the
// program's bundle at start-up (a language bundle may replace any of them).
#pragma once

#include <cstdint>

#include "platform/sys/resources.h"

namespace ql {

namespace autosave_count_dialog {
constexpr int32_t kDialog = 803;
constexpr int32_t kCountSpin = 1107;
constexpr int32_t kCountEdit = 1108;
constexpr uint32_t kHelpId = 803;
}  // namespace autosave_count_dialog

namespace backup_copies_dialog {
constexpr int32_t kDialog = 887;
constexpr int32_t kCountSpin = 2163;
constexpr int32_t kCountEdit = 2164;
constexpr uint32_t kHelpId = 887;
constexpr int32_t kStrBackupRange = 1551;
}  // namespace backup_copies_dialog

namespace measure_numbers_dialog {
constexpr int32_t kDialog = 863;
constexpr int32_t kNone = 1110;
constexpr int32_t kEachSystem = 1111;
constexpr int32_t kEvery = 1112;
constexpr int32_t kCentred = 1113;
constexpr int32_t kRightOfBarline = 1114;
constexpr int32_t kIntervalSpin = 1120;
constexpr int32_t kIntervalEdit = 1121;
constexpr int32_t kManuscriptMeasures = 1122;
constexpr int32_t kSystemMeasures = 1123;
constexpr int32_t kHorizontalOffset = 1206;
constexpr int32_t kVerticalOffset = 1222;
constexpr int32_t kSavePreferences = 3148;
constexpr int32_t kShowChanges = 3181;
constexpr uint32_t kHelpId = 863;
}  // namespace measure_numbers_dialog

namespace pick_list_options_dialog {
constexpr int32_t kDialog = 492;
constexpr int32_t kEntriesSpin = 3102;
constexpr int32_t kEntriesEdit = 3103;
constexpr int32_t kLoadLastFile = 3099;
constexpr uint32_t kHelpId = 492;
}  // namespace pick_list_options_dialog

void AddOptionDialogResources(sys::ResourceBundle& bundle);
void RegisterOptionDialogResources();

}  // namespace ql
