// The child process: posix_spawn with its standard output and error on pipes,
// poll over both until they close, then over the child's process descriptor until
// it ends (so the wait ends when the child does), SIGKILL on a stop, then waitpid.
#include "platform/sys/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace ql::sys {
namespace {

// How often the caller's `keepGoing` is asked while nothing else happens.
constexpr int kAskMilliseconds = 100;

// Waits until the child has ended (it is then reaped by waitpid at once), asking
// `keepGoing` meanwhile: the child's process descriptor becomes readable as it
// ends. Without a descriptor (a kernel that has none) its end is looked for at
// each interval instead. True when the caller stopped it.
bool AwaitEnd(pid_t child, int processFd, const std::function<bool()>& keepGoing) {
    if (!keepGoing) return false;  // waitpid blocks until it ends
    for (;;) {
        if (processFd >= 0) {
            pollfd end{processFd, POLLIN, 0};
            const int ready = ::poll(&end, 1, kAskMilliseconds);
            if (ready > 0 || (ready < 0 && errno != EINTR)) return false;
        } else {
            siginfo_t info{};
            if (::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) != 0 && errno != EINTR)
                return false;
            if (info.si_pid == child) return false;
            ::poll(nullptr, 0, kAskMilliseconds);
        }
        if (!keepGoing()) {
            ::kill(child, SIGKILL);
            return true;
        }
    }
}

}  // namespace

ChildOutcome RunChildProcess(const std::filesystem::path& program, const std::vector<std::string>& arguments,
                             const std::function<void(const std::string&)>& onOutput,
                             const std::function<bool()>& keepGoing) {
    ChildOutcome outcome;
    int outPipe[2], errPipe[2];
    if (::pipe2(outPipe, O_CLOEXEC) != 0) return outcome;
    if (::pipe2(errPipe, O_CLOEXEC) != 0) {
        ::close(outPipe[0]);
        ::close(outPipe[1]);
        return outcome;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, outPipe[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, errPipe[1], STDERR_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    std::vector<std::string> texts{program.native()};
    texts.insert(texts.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(text.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    const int spawned = ::posix_spawn(&child, program.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(outPipe[1]);
    ::close(errPipe[1]);
    if (spawned != 0) {
        ::close(outPipe[0]);
        ::close(errPipe[0]);
        return outcome;
    }
    outcome.started = true;
    // (Through the system call: the C library's declaration is not usable from C++
    // in every version.)
    const int processFd = static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
    pollfd fds[2] = {{outPipe[0], POLLIN, 0}, {errPipe[0], POLLIN, 0}};
    std::string* texts2[2] = {&outcome.out, &outcome.err};
    size_t lineStart = 0;
    int open = 2;
    while (open > 0) {
        if (keepGoing && !keepGoing()) {
            ::kill(child, SIGKILL);
            outcome.stopped = true;
            break;
        }
        const int ready = ::poll(fds, 2, kAskMilliseconds);
        if (ready < 0 && errno != EINTR) break;
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || (fds[i].revents & (POLLIN | POLLHUP | POLLERR)) == 0) continue;
            char buffer[4096];
            const ssize_t got = ::read(fds[i].fd, buffer, sizeof buffer);
            if (got <= 0) {
                ::close(fds[i].fd);
                fds[i].fd = -1;
                --open;
                continue;
            }
            std::string& text = *texts2[i];
            text.append(buffer, static_cast<size_t>(got));
            if (text.size() > kChildOutputCap) text.resize(kChildOutputCap);
            for (size_t end; i == 0 && onOutput && (end = text.find('\n', lineStart)) != std::string::npos;) {
                onOutput(text.substr(lineStart, end - lineStart));
                lineStart = end + 1;
            }
        }
    }
    for (pollfd& fd : fds)
        if (fd.fd >= 0) ::close(fd.fd);
    // A child may close its outputs and go on running: it can still be stopped
    // while it is waited for.
    if (!outcome.stopped && AwaitEnd(child, processFd, keepGoing)) outcome.stopped = true;
    if (processFd >= 0) ::close(processFd);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    outcome.exited = !outcome.stopped && WIFEXITED(status);
    outcome.status = outcome.exited ? WEXITSTATUS(status) : -1;
    return outcome;
}

}  // namespace ql::sys
