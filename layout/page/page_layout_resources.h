// The program's own templates of the page layout dialogs, "Page Layout and
// Formatting" (873), "Staff Size" (880), "Page Setup" (865), "Margins" (828, 845)
// and "Music Metrics" (850), with their control ids. Registered into the program's bundle at start-up.
#pragma once

#include <cstdint>

#include "platform/sys/resources.h"

namespace ql {

namespace page_layout_dialog {
constexpr int32_t kPageLayoutDialog = 873;
constexpr int32_t kStaffSeparationSpin = 1111;
constexpr int32_t kStaffSeparation = 1112;
constexpr int32_t kMeasuresSpin = 1115;
constexpr int32_t kMeasures = 1116;
constexpr int32_t kSystemsSpin = 1117;
constexpr int32_t kSystems = 1118;
constexpr int32_t kThisPageOnly = 1119;
constexpr int32_t kToEnd = 1120;
constexpr int32_t kRespaceMeasures = 1121;
constexpr int32_t kMeasuresBox = 1123;
constexpr int32_t kStaffSeparationBox = 1124;
constexpr int32_t kSystemsBox = 1125;
constexpr int32_t kSetDefault = 1126;
constexpr int32_t kRespaceSystems = 1212;
constexpr int32_t kFitToMargins = 1214;
constexpr int32_t kUsePage = 1215;
constexpr int32_t kSystemSeparationBox = 1216;
constexpr int32_t kTemplatePage = 1217;
constexpr int32_t kSetPageNumber = 2108;
constexpr int32_t kSystemSeparationSpin = 2251;
constexpr int32_t kSystemSeparation = 2252;
constexpr int32_t kReset = 1100;
constexpr int32_t kHelpId = 1435;
}  // namespace page_layout_dialog

namespace staff_size_dialog {
constexpr int32_t kStaffSizeDialog = 880;
constexpr int32_t kFirstSize = 1300;  // 1300 + n: size n (0..9)
constexpr int32_t kUserSize = 1310;
constexpr int32_t kPerInch = 1312;
constexpr int32_t kPerCentimetre = 3161;
constexpr int32_t kSavePreferences = 1204;
constexpr int32_t kReset = 1100;
constexpr int32_t kHelpId = 1426;
}  // namespace staff_size_dialog

namespace page_setup_dialog {
constexpr int32_t kPageSetupDialog = 865;
// Paper radios: the PaperTable rows' control ids (Letter 1312 .. A5 2221, User 1317).
constexpr int32_t kUserPaper = 1317;
constexpr int32_t kUserWidth = 1211;
constexpr int32_t kUserHeight = 1215;
constexpr int32_t kUnitsSpin = 1130;
constexpr int32_t kUnitsLabel = 1131;
constexpr int32_t kPortrait = 1322;
constexpr int32_t kLandscape = 1323;
constexpr int32_t kSingleSide = 1324;
constexpr int32_t kDoubleSide = 1325;
constexpr int32_t kStartLeft = 1307;
constexpr int32_t kStartRight = 1308;
constexpr int32_t kSavePreferences = 1201;
constexpr int32_t kMargins = 1204;
constexpr int32_t kStaffSize = 1203;
constexpr int32_t kReset = 1100;
constexpr int32_t kHelpId = 1149;
}  // namespace page_setup_dialog

namespace margins_dialog {
constexpr int32_t kDoubleSidedDialog = 828;
constexpr int32_t kSingleSidedDialog = 845;
// Edits of the right-page (or every page's) margins and of the left-page margins,
// top, left, right, bottom; the decimal spins of an edit are its id - 2 (integer
// part) and id - 1 (hundredths).
constexpr int32_t kRightEdits[4] = {1222, 1226, 1230, 1234};
constexpr int32_t kLeftEdits[4] = {1206, 1210, 1214, 1218};
constexpr int32_t kUnitsLabel = 1237;
constexpr int32_t kSavePreferences = 1236;
constexpr int32_t kReset = 1100;
constexpr int32_t kHelpId = 1425;
}  // namespace margins_dialog

namespace music_metrics_dialog {
constexpr int32_t kMusicMetricsDialog = 850;
// One edit per metric: its id, its label and the word of the metric records.
struct MetricField {
    int32_t id;
    const char* label;
    int word;  // EngravingMetric
};
inline constexpr MetricField kFields[] = {
    {1730, "* Space before first beat", 0}, {1734, "* Space after last beat", 1},
    {1714, "* Space before clefs", 2},      {1718, "* Space before key", 3},
    {1722, "Space for key symbols", 4},     {1726, "Space before time sig", 5},
    {1782, "* Space after accidental", 6},  {1702, "Space after brackets", 7},
    {1706, "Space after braces", 8},        {1742, "Width of beams", 10},
    {1746, "Beam separation", 11},          {1750, "Width of note stems", 12},
    {1754, "Width of staff lines", 13},     {1758, "Width of  barlines", 14},
    {1762, "Slur thickness", 15},           {1770, "Slur sharpness", 16},
    {1774, "Tie thickness", 17},            {1766, "Tie sharpness", 18},
    {1778, "Tie curvature", 19},            {1794, "Tie offset - X", 20},
    {1798, "Tie offset - Y", 21},           {1786, "Width of thick bars", 25},
    {1790, "Space between bars", 26},
};
constexpr int32_t kSavePreferences = 1800;
constexpr int32_t kDefaults = 2247;
constexpr int32_t kReset = 1100;
constexpr int32_t kHelpId = 1174;
}  // namespace music_metrics_dialog

namespace new_manuscript_dialog {
constexpr int32_t kNewManuscriptDialog = 836;
constexpr int32_t kStaffSeparationSpin = 1109;
constexpr int32_t kStaffSeparation = 1110;
constexpr int32_t kStavesSpin = 1112;
constexpr int32_t kStaves = 1113;
constexpr int32_t kMeasuresSpin = 1114;
constexpr int32_t kMeasures = 1115;
constexpr int32_t kSystemsSpin = 1116;
constexpr int32_t kSystems = 1117;
constexpr int32_t kSystemSeparationSpin = 1122;
constexpr int32_t kSystemSeparation = 1123;
constexpr int32_t kSavePreferences = 1210;
constexpr int32_t kUseTemplate = 2257;
constexpr int32_t kHelpId = 1410;
// The template file dialog's filter (string 17).
constexpr int32_t kStrTemplateFilter = 17;
}  // namespace new_manuscript_dialog

namespace non_printing_dialog {
constexpr int32_t kNonPrintingDialog = 806;
constexpr int32_t kOverride = 1104;
constexpr int32_t kHorizontalSpin = 1105;
constexpr int32_t kHorizontal = 1106;
constexpr int32_t kVerticalSpin = 1107;
constexpr int32_t kVertical = 1108;
constexpr int32_t kUnitsLabel = 1109;
constexpr int32_t kHelpId = 1000;
}  // namespace non_printing_dialog

// Adds the templates to `bundle`; entries the bundle already has are kept.
void AddPageLayoutResources(sys::ResourceBundle& bundle);
// Adds them to the registered program bundle (creating it when none is set).
void RegisterPageLayoutResources();

}  // namespace ql
