// Finding and running helper programs (see run_program.h).
#include "platform/sys/run_program.h"

#include <spawn.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <string_view>

extern char** environ;

namespace ql::sys {
namespace {

bool IsExecutableFile(const std::string& path) {
    struct stat status {};
    return ::stat(path.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
           ::access(path.c_str(), X_OK) == 0;
}

}  // namespace

std::optional<std::filesystem::path> FindProgramOnPath(const std::string& name) {
    if (name.empty() || name.find('/') != std::string::npos) return std::nullopt;
    const char* path = ::getenv("PATH");
    std::string_view rest = path == nullptr ? std::string_view() : std::string_view(path);
    while (!rest.empty()) {
        const size_t colon = rest.find(':');
        const std::string_view folder = rest.substr(0, colon);
        rest = colon == std::string_view::npos ? std::string_view() : rest.substr(colon + 1);
        if (folder.empty() || folder.front() != '/') continue;
        const std::string candidate = std::string(folder) + "/" + name;
        if (IsExecutableFile(candidate)) return std::filesystem::path(candidate);
    }
    return std::nullopt;
}

bool IsProgramOnPath(const std::string& name) {
    return FindProgramOnPath(name).has_value();
}

std::optional<int> RunProgramAndWait(const std::string& name,
                                     const std::vector<std::string>& arguments) {
    const std::optional<std::filesystem::path> program = FindProgramOnPath(name);
    if (!program) return std::nullopt;
    std::vector<std::string> words{name};
    words.insert(words.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& word : words) argv.push_back(word.data());
    argv.push_back(nullptr);
    pid_t child = 0;
    if (::posix_spawn(&child, program->c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return std::nullopt;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0)
        if (errno != EINTR) return std::nullopt;
    if (!WIFEXITED(status)) return std::nullopt;
    return WEXITSTATUS(status);
}

}  // namespace ql::sys
