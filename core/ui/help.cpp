// Context help through the platform's help viewer, the Help button's logo and the
// check for the help file.
#include "core/ui/help.h"

#include <filesystem>
#include <system_error>

#include "core/core_strings.h"
#include "core/ui/modal_boxes.h"
#include "core/state.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/sys/browser_help.h"
#include "platform/sys/folders.h"
#include "platform/ui/bitmaps.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {
namespace {

namespace fs = std::filesystem;

constexpr char kHelpExtension[] = ".HLP";
constexpr char kContentsMacro[] = "Contents()";

platform::WindowHandle HelpOwner(platform::WindowHandle window) {
    platform::WindowHandle frame = State().dialogs.FrameWindow;
    return frame ? frame : window;
}

// "%s%s.HLP" with the prefix and "qlhelp", or "%s.HLP" without a prefix.
std::string FallbackHelpName() {
    return State().dialogs.HelpFolderPrefix + kFallbackHelpName + kHelpExtension;
}

bool AskViewer(platform::WindowHandle owner, const std::string& file, sys::HelpCommand command,
               uint32_t contextId, const std::string& text) {
    if (file.empty()) return false;
    return sys::ShowHelp(sys::HelpRequest{owner, file, command, contextId, text});
}

// A help file name as the program looks for it: relative names are in the
// program's help folder.
fs::path HelpFilePath(const std::string& name) {
    fs::path path(name);
    if (path.is_absolute()) return path;
    return sys::ProgramFolder() / kHelpFolderName / path;
}

// The start page of the help ShowHelp asks for, in the order it asks: the name,
// then the fallback; empty when neither is there.
fs::path HelpPagesStart(const char* fileName) {
    for (const std::string& name : {HelpFileName(fileName), FallbackHelpName()}) {
        if (name.empty()) continue;
        if (fs::path start = sys::HelpStartPage(HelpFilePath(name)); !start.empty()) return start;
    }
    return {};
}

// A help file is a folder of pages (its name without the extension) with an index
// page, or a file of that name.
bool FileExists(const fs::path& path) { return sys::IsHelpFilePresent(path); }

// Whether ShowHelp can open anything for the name: the name itself, the language's
// own file, or the fallback it tries after them.
bool HelpFileExists(const char* fileName) {
    if (FileExists(HelpFilePath(HelpFileName(fileName)))) return true;
    if (fileName != nullptr) return false;
    const std::string& name = State().dialogs.LanguageHelpName;
    if (!name.empty() && FileExists(sys::ProgramFolder() / kHelpFolderName / name)) return true;
    return FileExists(HelpFilePath(FallbackHelpName()));
}

const DialogHelpGroup* FindControlGroup(uint32_t dialogHelpId, int32_t controlId) {
    for (const DialogHelpRecord* record = DialogHelpTable; record->dialogHelpId != 0; ++record) {
        if (record->dialogHelpId != dialogHelpId) continue;
        for (const DialogHelpGroup& group : record->groups) {
            if (group.popupId == 0) break;
            for (uint16_t control : group.controls) {
                if (control == 0) break;
                if (control == controlId) return &group;
            }
        }
    }
    return nullptr;
}

}  // namespace

void SetLanguageHelpFile(const std::string& folderPrefix, const std::string& helpName) {
    DialogGlobals& dialogs = State().dialogs;
    dialogs.HelpFolderPrefix = folderPrefix;
    dialogs.LanguageHelpName = helpName;
    dialogs.HelpFileState = kHelpFileNotChecked;
}

std::string HelpFileName(const char* fileName) {
    if (fileName != nullptr) return fileName;
    const DialogGlobals& dialogs = State().dialogs;
    if (dialogs.LanguageHelpName.empty()) return {};
    return dialogs.HelpFolderPrefix + dialogs.LanguageHelpName;
}

int ShowHelp(platform::WindowHandle window, sys::HelpCommand command, uint32_t contextId,
             const char* fileName, const std::string& text) {
    platform::WindowHandle owner = HelpOwner(window);
    if (AskViewer(owner, HelpFileName(fileName), command, contextId, text)) return 1;
    if (AskViewer(owner, FallbackHelpName(), command, contextId, text)) return 1;
    // The pages are there but nothing showed them (no browser): say where they are.
    const fs::path pages = HelpPagesStart(fileName);
    const std::string message = pages.empty() ? ProgramString(kStrCantOpenHelp)
                                              : ProgramString(kStrHelpPagesUnshown) + "\n" + pages.string();
    ModalMessageBox(message, ProgramString(kStrProductCaption), ui::kBoxIconInformation);
    return 1;
}

int ShowHelpContents(platform::WindowHandle window, const char* fileName) {
    return ShowHelp(window, sys::HelpCommand::Macro, 0, fileName, kContentsMacro);
}

int ShowHelpPartialKey(platform::WindowHandle window, const char* key, const char* fileName) {
    return ShowHelp(window, sys::HelpCommand::PartialKey, 0, fileName, key != nullptr ? key : "");
}

int ShowHelpOnHelp(platform::WindowHandle window, const char* fileName) {
    return ShowHelp(window, sys::HelpCommand::HelpOnHelp, 0, fileName);
}

int QuitHelp(platform::WindowHandle window, const char* fileName) {
    return ShowHelp(window, sys::HelpCommand::Quit, 0, fileName);
}

int ShowDialogContextHelp(platform::WindowHandle dialog, uint32_t dialogHelpId,
                          const win::HelpInfo* helpInfo) {
    if (helpInfo == nullptr)
        return ShowHelp(dialog, sys::HelpCommand::Context, dialogHelpId, nullptr);
    if (helpInfo->controlId == -1) return 0;
    if (win::GetWindowRect(helpInfo->window).Contains(helpInfo->mouse)) {
        if (const DialogHelpGroup* group = FindControlGroup(dialogHelpId, helpInfo->controlId))
            return ShowHelp(dialog, sys::HelpCommand::ContextPopup, group->popupId, nullptr);
    }
    return ShowHelp(dialog, sys::HelpCommand::Context, dialogHelpId, nullptr);
}

int DrawDialogLogo(const win::DrawItemInfo* drawItem) {
    if (drawItem == nullptr || drawItem->controlId != kHelpButtonId) return 0;
    DialogGlobals& dialogs = State().dialogs;
    if (!dialogs.HelpLogoBitmap)
        dialogs.HelpLogoBitmap = ui::LoadBitmap(kHelpLogoBitmap, sys::Lookup::ProgramOnly);
    platform::DcHandle memory = gfx::CreateMemoryContext(drawItem->dc);
    platform::BitmapHandle previous = gfx::SelectObject(memory, dialogs.HelpLogoBitmap);
    bool pressed = drawItem->action == win::DrawAction::Select;
    const win::Rect& r = drawItem->rect;
    gfx::BitBlit(drawItem->dc, {r.left, r.top}, {r.right - r.left + 1, r.bottom - r.top + 1},
                 memory, {0, 0},
                 pressed ? gfx::RasterOp::NotSourceCopy : gfx::RasterOp::SourceCopy);
    gfx::SelectObject(memory, previous);
    gfx::DeleteContext(memory);
    return 1;
}

int EnableHelpButton(platform::WindowHandle dialog, const char* fileName) {
    DialogGlobals& dialogs = State().dialogs;
    if (dialogs.HelpFileState == kHelpFileNotChecked)
        dialogs.HelpFileState = HelpFileExists(fileName) ? kHelpFileFound : kHelpFileMissing;
    if (dialogs.HelpFileState == kHelpFileFound) return 1;
    if (ui::IsDialog(dialog) && ui::GetDialogItem(dialog, kHelpButtonId)) {
        ui::EnableItem(dialog, kHelpButtonId, false);
        ui::ShowItem(dialog, kHelpButtonId, false);
    }
    return 0;
}

}  // namespace ql
