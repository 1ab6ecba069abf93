// The program folder (where the executable, fonts and help live), a folder for
// temporary files, and folders named by the environment (the XDG variables).
#pragma once

#include <filesystem>

namespace ql::sys {

// The folder of the running executable, unless set with SetProgramFolder.
std::filesystem::path ProgramFolder();
// Start-up or tests may point the program at another folder; empty restores.
void SetProgramFolder(const std::filesystem::path& folder);
// $TMPDIR when it names an existing folder, else the system's temporary folder.
std::filesystem::path TemporaryFolder();
// The folder an environment variable names, when it names one by an absolute path;
// empty when the variable is unset, empty or relative (a relative folder would move
// with the current folder, so the XDG rules say to ignore it).
std::filesystem::path AbsoluteFolderFromEnvironment(const char* variable);
// $XDG_RUNTIME_DIR under the rule above.
std::filesystem::path RuntimeFolder();
// The user's documents folder: $XDG_DOCUMENTS_DIR under the rule above, else
// "Documents" in $HOME when it is there, else $HOME; empty without a home.
std::filesystem::path DocumentsFolder();

}  // namespace ql::sys
