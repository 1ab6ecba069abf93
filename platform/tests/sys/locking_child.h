// A forked child process that takes a file's lock (platform/sys/file_lock.h) and holds
// it until told to exit or killed: the second process of the lock tests.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "platform/sys/file_lock.h"

namespace ql::testing {

// A child process holding (or trying for) a lock.
class LockingChild {
  public:
    // The child changes to `folder` first when it is given, then locks `path`.
    LockingChild(const std::filesystem::path& path, const std::filesystem::path& folder = {}) {
        int status[2];
        int hold[2];
        if (::pipe(status) != 0 || ::pipe(hold) != 0) return;
        pid_ = ::fork();
        if (pid_ == 0) {
            // The child's own copy of the write end would keep it from seeing EOF.
            ::close(hold[1]);
            ::close(status[0]);
            RunChild(path, folder, status[1], hold[0]);
        }
        ::close(status[1]);
        ::close(hold[0]);
        release_ = hold[1];
        char answer = 0;
        if (::read(status[0], &answer, 1) == 1) status_ = static_cast<sys::FileLockStatus>(answer);
        ::close(status[0]);
    }
    ~LockingChild() { Exit(); }

    sys::FileLockStatus Status() const { return status_; }
    // Lets the child exit normally and waits for it.
    void Exit() {
        if (release_ >= 0) ::close(release_);
        release_ = -1;
        Reap();
    }
    void Kill() {
        if (pid_ > 0) ::kill(pid_, SIGKILL);
        Reap();
    }

  private:
    [[noreturn]] static void RunChild(const std::filesystem::path& path,
                                      const std::filesystem::path& folder, int statusOut,
                                      int holdIn) {
        if (!folder.empty() && ::chdir(folder.c_str()) != 0) ::_exit(2);
        const sys::FileLock lock = sys::LockFileForEditing(path);
        const char answer = static_cast<char>(lock.status);
        if (::write(statusOut, &answer, 1) != 1) ::_exit(3);
        char ignored = 0;
        while (::read(holdIn, &ignored, 1) > 0) {
        }
        ::_exit(0);
    }
    void Reap() {
        if (pid_ <= 0) return;
        int status = 0;
        ::waitpid(pid_, &status, 0);
        pid_ = -1;
    }

    pid_t pid_ = -1;
    int release_ = -1;
    sys::FileLockStatus status_ = sys::FileLockStatus::Unguarded;
};

}  // namespace ql::testing
