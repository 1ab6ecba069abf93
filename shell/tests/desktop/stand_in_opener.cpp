// A stand-in for the desktop's opener (see stand_in_opener.h).
#include "shell/tests/desktop/stand_in_opener.h"

#include <fstream>

namespace ql::desktop {

namespace fs = std::filesystem;

// What xdg-open exits with when no program could open the page.
constexpr int kNoBrowserExit = 3;

StandInOpener::StandInOpener(const fs::path& home, Environment& environment)
    : folder_(home / "opener-bin"), opened_(home / "opened.txt") {
    fs::create_directories(folder_);
    environment.push_back({"PATH", folder_.string()});
}

void StandInOpener::Answer(OpenerAnswer answer) {
    const fs::path opener = folder_ / "xdg-open";
    std::error_code ignored;
    fs::remove(opener, ignored);
    if (answer == OpenerAnswer::kMissing) return;
    std::ofstream script(opener);
    script << "#!/bin/sh\n";
    if (answer == OpenerAnswer::kOpens) script << "echo \"$1\" >> '" << opened_.string() << "'\n";
    else script << "exit " << kNoBrowserExit << "\n";
    script.close();
    fs::permissions(opener, fs::perms::owner_all);
}

std::optional<std::string> StandInOpener::NextOpened() {
    if (!WaitFor([&] { return !ReadFileBytes(opened_).empty(); })) return std::nullopt;
    std::string text = ReadFileBytes(opened_);
    fs::remove(opened_);
    return text.substr(0, text.find('\n'));
}

}  // namespace ql::desktop
