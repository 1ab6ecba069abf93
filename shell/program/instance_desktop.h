// The desktop knows the program's documents: a desktop entry that opens scores and
// NIFF files with the program, a shared-mime-info package with both types, and the
// icons. At start the files the build put in the program folder ("desktop") are
// installed into the user's XDG data folder, each set only when neither the system
// nor the user has a copy, and the desktop's databases are brought up to date. It
// never makes the program the default for a type, and nothing that fails here
// keeps the program from starting.
#pragma once

#include <filesystem>
#include <vector>

namespace ql {

// The folder of the program folder that holds the desktop files.
constexpr char kDesktopFilesFolder[] = "desktop";
// The executable the desktop entry starts.
constexpr char kProgramExecutable[] = "quaverline";

struct ShellTypesResult {
    std::vector<std::filesystem::path> written;  // the files installed, in order
    bool mimeDatabaseUpdated = false;            // update-mime-database ran and succeeded
    bool desktopDatabaseUpdated = false;         // update-desktop-database ran and succeeded
};

// $XDG_DATA_HOME, or ~/.local/share; and $XDG_DATA_DIRS, or /usr/local/share and /usr/share.
std::filesystem::path UserDataFolder();
std::vector<std::filesystem::path> SystemDataFolders();

// Installs what is missing and updates the databases (see above).
ShellTypesResult RegisterShellTypes();

// The desktop entry's text for a program at `executable` (the template's @EXEC@
// replaced, quoted as desktop entries quote arguments).
std::string DesktopEntryText(const std::string& entryTemplate,
                             const std::filesystem::path& executable);

}  // namespace ql
