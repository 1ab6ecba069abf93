// Child processes: output lines arrive as they are written, the exit status comes
// back, a hanging child is killed when the caller stops it and is waited for (no
// zombie), even after it closed its outputs, and a program that does not exist is reported as not started.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>

#include "platform/sys/child_process.h"

namespace ql::sys {
namespace {

TEST(ChildProcess, LinesStatusStopAndNoZombie) {
    std::vector<std::string> lines;
    const ChildOutcome ok = RunChildProcess("/bin/sh", {"-c", "echo one; echo two; echo oops >&2; exit 3"},
                                            [&](const std::string& line) { lines.push_back(line); });
    EXPECT_TRUE(ok.started);
    EXPECT_TRUE(ok.exited);
    EXPECT_EQ(ok.status, 3);
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(ok.err, "oops\n");

    int asked = 0;
    const ChildOutcome hung = RunChildProcess("/bin/sh", {"-c", "exec sleep 1000"}, {}, [&] { return ++asked < 3; });
    EXPECT_TRUE(hung.started);
    EXPECT_TRUE(hung.stopped);
    EXPECT_FALSE(hung.exited);
    // One that closed its outputs first is stopped as well.
    asked = 0;
    const ChildOutcome silent =
        RunChildProcess("/bin/sh", {"-c", "exec sleep 1000 >&- 2>&-"}, {}, [&] { return ++asked < 3; });
    EXPECT_TRUE(silent.stopped);
    EXPECT_FALSE(silent.exited);
    // Every child was waited for: none is left to wait for.
    EXPECT_EQ(::waitpid(-1, nullptr, WNOHANG), -1);
    EXPECT_EQ(errno, ECHILD);

    EXPECT_FALSE(RunChildProcess("/no/such/program", {}).started);
}

}  // namespace
}  // namespace ql::sys
