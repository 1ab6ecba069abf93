// The program as benchmarks run it: started as on the desktop but on the headless
// backend and without its splash, its settings and lock files in a scratch folder
// of its own; at the end the frame is destroyed, the program shut down and the
// folder removed. Header only.
#pragma once

#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include "platform/win/message_loop.h"
#include "platform/win/window.h"
#include "shell/program/frame.h"
#include "shell/program/startup.h"

namespace ql::bench {

class HeadlessProgram {
  public:
    HeadlessProgram() {
        char folder[] = "/tmp/ql-bench-XXXXXX";
        if (::mkdtemp(folder) == nullptr) {
            failure_ = "no scratch folder";
            return;
        }
        scratch_ = folder;
        ::setenv("XDG_CONFIG_HOME", folder, 1);
        ::setenv("XDG_RUNTIME_DIR", folder, 1);
        StartupOptions options;
        options.splash = false;
        const StartupCode code = StartProgram(options);
        if (code != StartupCode::Ok) failure_ = "start-up failed with code " + std::to_string(static_cast<int>(code));
    }
    ~HeadlessProgram() {
        if (win::IsWindow(Frame().window)) {
            win::DestroyWindow(Frame().window);
            win::PumpMessages();
        }
        ShutdownCleanup();
        ResetFrame();
        std::error_code ignored;
        if (!scratch_.empty()) std::filesystem::remove_all(scratch_, ignored);
    }
    HeadlessProgram(const HeadlessProgram&) = delete;
    HeadlessProgram& operator=(const HeadlessProgram&) = delete;

    bool started() const { return failure_.empty(); }
    // Why it did not start (empty when it did).
    const std::string& failure() const { return failure_; }
    const std::string& scratch() const { return scratch_; }

  private:
    std::string scratch_;
    std::string failure_;
};

}  // namespace ql::bench
