// Boxes, the view that shows a file, the lock taken before a file is written over,
// and the read-only test of the file commands.
#include "files/commands/file_command_support.h"

#include <cstdio>
#include <system_error>
#include <vector>

#include "core/core_strings.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/string_ids.h"
#include "files/commands/file_command_texts.h"
#include "files/file_guard.h"
#include "platform/sys/path_names.h"
#include "platform/ui/message_box.h"

namespace ql {

std::string FormatFileText(const char* format, const std::string& name) {
    std::vector<char> text(std::char_traits<char>::length(format) + name.size() + 1);
    std::snprintf(text.data(), text.size(), format, name.c_str());
    return text.data();
}

std::string FormatFileNotice(const std::string& name, const char* reason) {
    std::vector<char> text(sizeof kFileNoticeFormat + name.size() + std::char_traits<char>::length(reason));
    std::snprintf(text.data(), text.size(), kFileNoticeFormat, name.c_str(), reason);
    return text.data();
}

int ShowFileBox(const std::string& text, uint32_t style) {
    return ModalMessageBox(text, ProgramString(kStrProductName), style);
}

ScoreView* FindViewShowingFile(const std::filesystem::path& path) {
    if (path.empty()) return nullptr;
    const std::filesystem::path wanted = sys::CanonicalPath(path);
    for (ScoreView* view = State().documents.FirstView; view != nullptr; view = view->nextView) {
        const ScoreDocument* document = view->document;
        if (document == nullptr || document->path.empty()) continue;
        if (sys::CanonicalPath(document->path) == wanted) return view;
    }
    return nullptr;
}

int LockFileToReplace(const std::filesystem::path& path) {
    if (FindViewShowingFile(path) != nullptr) {
        ShowFileBox(FormatFileNotice(path.native(), kOpenInAnotherViewText), ui::kBoxOk | ui::kBoxIconInformation);
        return kLockRefused;
    }
    const ScoreFileGuard guard = CheckFileOpenElsewhere(path.native());
    return guard.openElsewhere ? kLockRefused : guard.lock;
}

bool IsReadOnlyFile(const std::filesystem::path& path) {
    namespace fs = std::filesystem;
    std::error_code error;
    const fs::file_status status = fs::status(path, error);
    if (error || !fs::exists(status)) return false;
    constexpr fs::perms kAnyWrite = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    return (status.permissions() & kAnyWrite) == fs::perms::none;
}

}  // namespace ql
