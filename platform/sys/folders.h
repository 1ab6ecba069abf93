// The program folder (where the executable, fonts and help live) and a folder
// for temporary files.
#pragma once

#include <filesystem>

namespace ql::sys {

// The folder of the running executable, unless set with SetProgramFolder.
std::filesystem::path ProgramFolder();
// Start-up or tests may point the program at another folder; empty restores.
void SetProgramFolder(const std::filesystem::path& folder);
// $TMPDIR when it names an existing folder, else the system's temporary folder.
std::filesystem::path TemporaryFolder();

}  // namespace ql::sys
