// Running a helper program as a child process without a shell: its standard output
// and error are collected through pipes (each up to a cap), the caller may stop it
// (it is killed by its process id) and it is always waited for, so no zombie stays.
#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace ql::sys {

struct ChildOutcome {
    bool started = false;
    bool exited = false;    // ended by exit (not by a signal or a kill)
    int status = -1;        // the exit status when exited
    bool stopped = false;   // killed because `keepGoing` said no
    std::string out, err;   // what it wrote, each cut at the cap
};

inline constexpr size_t kChildOutputCap = size_t{1} << 20;

// Runs `program` with the arguments. `onOutput` (when given) is called with each
// complete line of standard output as it arrives; `keepGoing` (when given) is
// asked about ten times a second and stops the child when it answers false.
ChildOutcome RunChildProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                             const std::function<void(const std::string&)>& onOutput = {},
                             const std::function<bool()>& keepGoing = {});

}  // namespace ql::sys
