// Running a helper program found on the search path, without a shell: the arguments
// go to it as they are, and the caller waits for it to end. Used for the desktop's
// database tools after the program installs its desktop files. The program that
// runs is the file the lookup found, by its absolute path: the search is never
// made a second time, and only absolute PATH entries are searched (an empty or
// relative entry would mean the current folder, where anyone may have left a
// program of the same name).
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace ql::sys {

// The executable regular file `name` in the first absolute PATH folder that holds
// one; nothing for a name with a slash or when none is found.
std::optional<std::filesystem::path> FindProgramOnPath(const std::string& name);
// True when FindProgramOnPath finds the program.
bool IsProgramOnPath(const std::string& name);
// Runs `name` (looked up on PATH) with the arguments and waits for it; its exit
// status, or nothing when it could not be started or did not exit normally.
std::optional<int> RunProgramAndWait(const std::string& name,
                                     const std::vector<std::string>& arguments);

}  // namespace ql::sys
