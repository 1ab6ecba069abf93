// Child processes: output lines arrive as they are written, the exit status comes
// back, a hanging child is killed when the caller stops it and is waited for (no
// zombie), even after it closed its outputs, a child that ends is reaped as it
// ends, and a program that does not exist is reported as not started.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>

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

// A child that closes its outputs and ends a moment later is reaped as it ends,
// with the caller able to stop it all along: ten such children take far less
// than the interval at which the caller is asked, ten times over.
TEST(ChildProcess, AnEndingChildIsWaitedForAsItEnds) {
    constexpr int kChildren = 10;
    constexpr auto kAskInterval = std::chrono::milliseconds(100);
    int asked = 0;
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < kChildren; ++i) {
        const ChildOutcome ended =
            RunChildProcess("/bin/sh", {"-c", "exec >&- 2>&-; sleep 0.02; exit 4"}, {}, [&] { return ++asked > 0; });
        EXPECT_TRUE(ended.exited);
        EXPECT_EQ(ended.status, 4);
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, kChildren * kAskInterval * 7 / 10);
}

}  // namespace
}  // namespace ql::sys
