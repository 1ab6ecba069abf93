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
// with the caller able to stop it all along: such children take about as long as
// children that keep their outputs open to the end (whose end the pipes show at
// once), not an interval of asking the caller more each. Compared with each other,
// so that a loaded machine slows both alike.
TEST(ChildProcess, AnEndingChildIsWaitedForAsItEnds) {
    constexpr int kChildren = 10;
    constexpr auto kAskInterval = std::chrono::milliseconds(100);
    const auto runAll = [](const char* script) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < kChildren; ++i) {
            const ChildOutcome ended = RunChildProcess("/bin/sh", {"-c", script}, {}, [] { return true; });
            EXPECT_TRUE(ended.exited);
            EXPECT_EQ(ended.status, 4);
        }
        return std::chrono::steady_clock::now() - start;
    };
    const auto openToTheEnd = runAll("sleep 0.02; exit 4");
    const auto closedEarly = runAll("exec >&- 2>&-; sleep 0.02; exit 4");
    EXPECT_LT(closedEarly - openToTheEnd, kChildren * kAskInterval / 2);
}

}  // namespace
}  // namespace ql::sys
