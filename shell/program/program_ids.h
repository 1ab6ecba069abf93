// Ids of the frame's commands, the program's window classes and the texts of the
// start-up, frame, score-window and logo code. The English texts are in the
// program's string table (shell/resources/program_strings.cpp).
#pragma once

#include <cstdint>

namespace ql {

// Window classes.
constexpr char kFrameClass[] = "MdiFrame";
constexpr char kLogoClass[] = "LogoWindow";
constexpr char kFrameTitle[] = "MainFrame";

// Frame commands.
namespace cmd {
constexpr int32_t kFirstPickListEntry = 40001;
constexpr int32_t kLastPickListEntry = 40016;
constexpr int32_t kSavePreferences = 40421;
constexpr int32_t kAutoSaveActive = 40422;
constexpr int32_t kFirstLanguage = 41000;
constexpr int32_t kLastLanguage = 41015;
constexpr int32_t kCloseAll = 42017;
constexpr int32_t kUseSmallPalettes = 42095;
constexpr int32_t kShowHiddenPalettes = 42099;
constexpr int32_t kFileNew = 57600;
constexpr int32_t kFileOpen = 57601;
constexpr int32_t kFileImport = 40114;
constexpr int32_t kFileExport = 40115;
constexpr int32_t kFileSave = 57603;
constexpr int32_t kFileSaveAs = 57604;
constexpr int32_t kFilePrint = 57607;
constexpr int32_t kSetupAutoSave = 40423;
constexpr int32_t kSetBackupCount = 42067;
constexpr int32_t kMeasureNumbers = 40211;
constexpr int32_t kPickListOptions = 42098;
constexpr int32_t kArrangeIcons = 57649;
constexpr int32_t kCascade = 57650;
constexpr int32_t kTileHorizontally = 57651;
constexpr int32_t kTileVertically = 57652;
constexpr int32_t kAbout = 57664;
constexpr int32_t kAboutAlias = 1121;
constexpr int32_t kExit = 57665;
constexpr int32_t kNextView = 57680;
constexpr int32_t kPreviousView = 57681;
constexpr int32_t kStatusBar = 59393;
// The score window commands "&Open View" (Window menu) and "&Close" (File menu).
constexpr int32_t kOpenView = 57648;
constexpr int32_t kCloseView = 57602;
}  // namespace cmd

// Texts.
constexpr int32_t kStrNoComctl = 1625;
constexpr int32_t kStrFontMissing = 1626;
constexpr int32_t kStrChordFontMissing = 1627;
constexpr int32_t kStrAutoSaveCaption = 1579;
constexpr int32_t kStrTerminating = 1598;
constexpr int32_t kStrFrameException = 1599;
constexpr int32_t kStrViewException = 1600;
constexpr int32_t kStrViewCommandException = 1601;
constexpr int32_t kStrVersion3Warning = 1602;
constexpr int32_t kStrElapsedTime = 1321;
constexpr int32_t kStrTempo = 76;
constexpr int32_t kStrPage = 1016;
constexpr int32_t kStrOf = 1017;
constexpr int32_t kStrStart = 13;
constexpr int32_t kStrEnd = 1019;
constexpr int32_t kStrLeftMaster = 1015;
constexpr int32_t kStrRightMaster = 1014;
constexpr int32_t kStrVersion = 900;
constexpr int32_t kStrFirstLogoLine = 901;
constexpr int32_t kStrLastLogoLine = 907;

}  // namespace ql
