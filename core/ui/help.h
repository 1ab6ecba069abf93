// Context help: every dialog offers help from one help file through the
// platform's help by context id, with per-control popups from DialogHelpTable;
// the owner-drawn Help button (control 998, bitmap 126) is shown only when the
// help file exists. The help file is the chosen language's folder prefix and help
// name (set by the shell at start-up), with "qlhelp.HLP" as the fallback; it is
// looked for in the program's help folder only.
#pragma once

#include <cstdint>
#include <string>

#include "platform/handles.h"
#include "platform/sys/help.h"
#include "platform/win/messages.h"

namespace ql {

constexpr int32_t kStrCantOpenHelp = 1160;  // "Can't Open Help file!"
// Said with the start page's path when the help is there but the viewer showed
// nothing (the desktop has no browser).
constexpr int32_t kStrHelpPagesUnshown = 1161;
constexpr int32_t kHelpButtonId = 998;
constexpr int32_t kHelpLogoBitmap = 126;
constexpr char kFallbackHelpName[] = "qlhelp";
constexpr char kHelpFolderName[] = "help";

// HelpFileState values.
constexpr uint8_t kHelpFileNotChecked = 0;
constexpr uint8_t kHelpFileFound = 1;
constexpr uint8_t kHelpFileMissing = 2;

// One record per dialog with control-level help: the dialog's help context id,
// then up to 15 groups of a popup context id and up to 8 control ids. A popup id of
// 0 ends the groups, a control id of 0 ends a group's list; the table ends with a
// record whose id is 0.
constexpr int kHelpGroupControls = 8;
constexpr int kHelpRecordGroups = 15;
constexpr int kDialogHelpRecordCount = 37;
struct DialogHelpGroup {
    uint16_t popupId = 0;
    uint16_t controls[kHelpGroupControls] = {};
};
struct DialogHelpRecord {
    uint16_t dialogHelpId = 0;
    DialogHelpGroup groups[kHelpRecordGroups] = {};
};
extern const DialogHelpRecord DialogHelpTable[kDialogHelpRecordCount + 1];

// The chosen language's help folder prefix (may be empty) and help file name;
// resets the help-file check.
void SetLanguageHelpFile(const std::string& folderPrefix, const std::string& helpName);
// The help file asked for: fileName when given, else prefix + the language's name.
std::string HelpFileName(const char* fileName);

// Asks the help viewer for `command` on the program's help file (or fileName when
// given), then on the fallback name; when both fail, a box says where the help's
// pages are, or "Can't Open Help file!" when they are not there. `text` is the
// macro or keyword of the commands that take one. Returns 1.
int ShowHelp(platform::WindowHandle window, sys::HelpCommand command, uint32_t contextId,
             const char* fileName, const std::string& text = {});
int ShowHelpContents(platform::WindowHandle window, const char* fileName);
int ShowHelpPartialKey(platform::WindowHandle window, const char* key, const char* fileName);
int ShowHelpOnHelp(platform::WindowHandle window, const char* fileName);
int QuitHelp(platform::WindowHandle window, const char* fileName);

// The Help handler of every dialog: without helpInfo the dialog's topic; a request
// that names no control gives 0; a request over a control listed for this dialog
// id opens that control's popup; anything else the dialog's topic.
int ShowDialogContextHelp(platform::WindowHandle dialog, uint32_t dialogHelpId,
                          const win::HelpInfo* helpInfo);

// The DrawItem handler for control 998: draws bitmap 126 into the item (inverted
// while pressed) and returns 1; 0 for other controls.
int DrawDialogLogo(const win::DrawItemInfo* drawItem);

// Checks for the help file once per run; when it is missing, disables and hides
// the dialog's control 998. 1 when the file exists.
int EnableHelpButton(platform::WindowHandle dialog, const char* fileName);

}  // namespace ql
