// Running a helper program found on the search path, without a shell: the arguments
// go to it as they are, and the caller waits for it to end. Used for the desktop's
// database tools after the program installs its desktop files.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace ql::sys {

// True when an executable of that name is on PATH.
bool IsProgramOnPath(const std::string& name);
// Runs `name` (looked up on PATH) with the arguments and waits for it; its exit
// status, or nothing when it could not be started or did not exit normally.
std::optional<int> RunProgramAndWait(const std::string& name,
                                     const std::vector<std::string>& arguments);

}  // namespace ql::sys
