// The child process: posix_spawn with its standard output and error on pipes,
// poll over both until they close, SIGKILL on a stop, then waitpid.
#include "platform/sys/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

extern char** environ;

namespace ql::sys {

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
        const int ready = ::poll(fds, 2, 100);
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
    int status = 0;
    for (;;) {
        const pid_t waited = ::waitpid(child, &status, outcome.stopped ? 0 : WNOHANG);
        if (waited == child || (waited < 0 && errno != EINTR)) break;
        if (waited == 0 && keepGoing && !keepGoing()) {
            ::kill(child, SIGKILL);
            outcome.stopped = true;
        } else if (waited == 0) {
            ::poll(nullptr, 0, keepGoing ? 100 : 10);
        }
    }
    outcome.exited = !outcome.stopped && WIFEXITED(status);
    outcome.status = outcome.exited ? WEXITSTATUS(status) : -1;
    return outcome;
}

}  // namespace ql::sys
