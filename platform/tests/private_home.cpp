// Linked into every test program: before any test runs, the user's own folders
// (HOME and the XDG data, config, cache, state and runtime folders) point at one
// fresh scratch folder of this process, so that nothing a test does (an emergency
// copy after an internal-error report, a settings file, a lock) reaches the real
// ones. The folder goes with everything in it when the process that made it ends.
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

namespace ql::testing {
namespace {

// Variable, and the sub-folder of the scratch folder it points at.
struct RedirectedFolder {
    const char* variable;
    const char* subFolder;
};

constexpr RedirectedFolder kRedirected[] = {
    {"HOME", "home"},          {"XDG_DATA_HOME", "data"},   {"XDG_CONFIG_HOME", "config"},
    {"XDG_CACHE_HOME", "cache"}, {"XDG_STATE_HOME", "state"}, {"XDG_RUNTIME_DIR", "run"},
};

// Only the owner may enter the runtime folder; the others follow it.
constexpr mode_t kPrivateFolderMode = 0700;

class PrivateHome {
  public:
    PrivateHome() : owner_(::getpid()) {
        std::error_code error;  // temp_directory_path honours TMPDIR
        std::filesystem::path temporary = std::filesystem::temp_directory_path(error);
        if (error) temporary = "/tmp";
        std::string pattern = (temporary / "ql-home-XXXXXX").string();
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        if (::mkdtemp(name.data()) == nullptr) ::abort();  // no test may run on the real folders
        root_ = name.data();
        for (const RedirectedFolder& folder : kRedirected) {
            const std::filesystem::path path = root_ / folder.subFolder;
            if (::mkdir(path.c_str(), kPrivateFolderMode) != 0) ::abort();
            ::setenv(folder.variable, path.c_str(), 1);
        }
    }
    ~PrivateHome() {
        // A child process (fork) leaves the folder to its parent.
        if (::getpid() != owner_) return;
        std::error_code error;
        std::filesystem::remove_all(root_, error);
    }
    PrivateHome(const PrivateHome&) = delete;
    PrivateHome& operator=(const PrivateHome&) = delete;

  private:
    pid_t owner_;
    std::filesystem::path root_;
};

const PrivateHome g_privateHome;

}  // namespace
}  // namespace ql::testing
