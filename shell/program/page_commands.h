// The page, layout, navigation and ruler commands of a score window, run on the
// active view: Set Margins, Set Staff Size, Set Page Number, Go to Page or Measure,
// Find and Repeat Find, and Display Ruler. The page dialogs of the settings map
// (Insert and Delete Page, Page Setup, Page Layout, Music Metrics, the Non-printing
// Area) run through it (shell/command/settings_commands.h).
#pragma once

#include <cstdint>

namespace ql {

namespace page_cmd {
constexpr int32_t kPageSetup = 40116;
constexpr int32_t kDisplayRuler = 40149;
constexpr int32_t kMusicMetrics = 40168;
constexpr int32_t kPageLayout = 40178;
constexpr int32_t kInsertPage = 40406;
constexpr int32_t kDeletePage = 40407;
constexpr int32_t kGoToPage = 40455;
constexpr int32_t kGoToMeasure = 40456;
constexpr int32_t kRepeatFind = 42045;
constexpr int32_t kFindPageMeasure = 42050;
constexpr int32_t kSetMargins = 42117;
constexpr int32_t kSetStaffSize = 42118;
constexpr int32_t kSetPageNumber = 42119;
constexpr int32_t kNonPrintingArea = 1171;
}  // namespace page_cmd

// Runs one of the commands above on the active view; true when the command is one
// of them (it does nothing without an active view).
bool PageCommand(int32_t command);

}  // namespace ql
