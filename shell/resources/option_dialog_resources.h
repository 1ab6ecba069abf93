// The small option dialogs of the settings commands: Set Autosave Count (803),
// Set Backup Copies (887), Measure Numbers (863), Pick List Options (492), Set
// Note-head (847),
// Toolbar Options (888) and Palette Options (889), with their control ids and texts. Registered into the
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
constexpr int32_t kSelectFont = 1119;
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

namespace toolbar_options_dialog {
constexpr int32_t kDialog = 888;
constexpr int32_t kFloatMainPalette = 3062;
constexpr int32_t kRetainInBand = 2258;
constexpr int32_t kButtonText = 3058;
constexpr int32_t kSmallToolbars = 3009;
constexpr int32_t kSelectAll = 3064;
constexpr int32_t kFileBand = 3069;
constexpr int32_t kEditBand = 3072;
constexpr int32_t kMidiBand = 3070;
constexpr int32_t kViewBand = 3071;
constexpr int32_t kWindowBand = 3073;
constexpr int32_t kVoicesBand = 2219;
constexpr int32_t kPagersBand = 3075;
constexpr int32_t kGoToBand = 3074;
constexpr int32_t kNotesBand = 3076;
constexpr int32_t kTextBand = 3077;
constexpr uint32_t kHelpId = 888;
}  // namespace toolbar_options_dialog

namespace palette_options_dialog {
constexpr int32_t kDialog = 889;
constexpr int32_t kSyncPalettes = 3065;
constexpr int32_t kSmallPalettes = 3068;
constexpr int32_t kBlack = 3013;
constexpr int32_t kDarkGray = 3014;
constexpr int32_t kSlate = 3015;
constexpr int32_t kDarkBlue = 3063;
constexpr uint32_t kHelpId = 889;
}  // namespace palette_options_dialog

namespace note_head_dialog {
constexpr int32_t kDialog = 847;
constexpr int32_t kFirstHead = 1107;  // 18 owner-drawn buttons, 1107..1124
constexpr int32_t kChoiceLabel = 1125;
constexpr int32_t kReset = 1100;
constexpr int32_t kStrFirstHeadName = 459;  // 459..476
constexpr uint32_t kHelpId = 847;
}  // namespace note_head_dialog

void AddOptionDialogResources(sys::ResourceBundle& bundle);
void RegisterOptionDialogResources();

}  // namespace ql
