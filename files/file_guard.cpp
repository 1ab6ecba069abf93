// The score file's lock, and the notice when another process holds it.
#include "files/file_guard.h"

#include <cstdio>
#include <vector>

#include "core/core_strings.h"
#include "core/state.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/shell_services.h"
#include "core/ui/string_ids.h"
#include "platform/sys/file_lock.h"
#include "platform/ui/message_box.h"

namespace ql {
namespace {

std::string OpenElsewhereNotice(const std::string& path) {
    const std::string reason = ProgramString(kStrOpenInAnotherProcess);
    std::vector<char> text(path.size() + reason.size() + sizeof kFileNoticeFormat);
    std::snprintf(text.data(), text.size(), kFileNoticeFormat, path.c_str(), reason.c_str());
    return text.data();
}

}  // namespace

ScoreFileGuard CheckFileOpenElsewhere(const std::string& path) {
    const sys::FileLock lock = sys::LockFileForEditing(path);
    if (lock.status != sys::FileLockStatus::HeldElsewhere)
        return ScoreFileGuard{false, lock.descriptor};
    ScoreView* previous = State().documents.ActiveView;
    ModalMessageBox(OpenElsewhereNotice(path), ProgramString(kStrProductName),
                    ui::kBoxIconInformation);
    if (previous != nullptr) HandleViewActivation(previous);
    return ScoreFileGuard{true, -1};
}

}  // namespace ql
