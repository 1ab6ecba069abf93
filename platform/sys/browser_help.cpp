// Help pages opened in the browser through the desktop's opener.
#include "platform/sys/browser_help.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "platform/sys/profile_file.h"

extern char** environ;

namespace ql::sys {
namespace {

constexpr char kOpenerProgram[] = "xdg-open";
constexpr char kFileScheme[] = "file://";
// How often the opener's exit is looked for while its answer is awaited.
constexpr std::chrono::milliseconds kOpenerPoll{20};

bool IsUnreserved(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~';
}

std::string PercentEncode(const std::string& text, bool keepSlashes) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (IsUnreserved(c) || (keepSlashes && c == '/')) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        out.push_back('%');
        out.push_back(kHex[c >> 4]);
        out.push_back(kHex[c & 0xF]);
    }
    return out;
}

bool IsFile(const std::filesystem::path& path) {
    std::error_code error;
    return std::filesystem::is_regular_file(path, error);
}

// The page of a topic id in the folder's table, else the index.
std::string TopicPage(const std::filesystem::path& folder, uint32_t contextId) {
    std::optional<std::string> page =
        ReadProfileText(folder / kHelpPageTable, kHelpPageSection, std::to_string(contextId));
    // A page outside the folder ("../x", "/etc/x") is not a help page.
    if (!page || page->empty() || page->front() == '/' || page->find("..") != std::string::npos)
        return kHelpIndexPage;
    return *page;
}

}  // namespace

std::string FileUri(const std::filesystem::path& file, const std::string& fragment) {
    std::string uri = kFileScheme + PercentEncode(file.string(), true);
    if (!fragment.empty()) uri += "#" + PercentEncode(fragment, false);
    return uri;
}

std::filesystem::path HelpStartPage(const std::filesystem::path& file) {
    std::filesystem::path folder = file;
    folder.replace_extension();
    if (!folder.empty() && IsFile(folder / kHelpIndexPage)) return folder / kHelpIndexPage;
    return IsFile(file) ? file : std::filesystem::path();
}

bool IsHelpFilePresent(const std::filesystem::path& file) { return !HelpStartPage(file).empty(); }

bool OpenInBrowser(const std::string& uri, std::chrono::milliseconds answerWait) {
    std::vector<char> program(kOpenerProgram, kOpenerProgram + sizeof kOpenerProgram);
    std::vector<char> argument(uri.begin(), uri.end());
    argument.push_back('\0');
    char* argv[] = {program.data(), argument.data(), nullptr};
    pid_t child = 0;
    if (::posix_spawnp(&child, kOpenerProgram, nullptr, nullptr, argv, environ) != 0) return false;
    // An opener that cannot show the page (no browser) ends at once with an error;
    // one that started a browser ends with success, or lives on as long as it.
    const auto end = std::chrono::steady_clock::now() + answerWait;
    for (;;) {
        int status = 0;
        const pid_t done = ::waitpid(child, &status, WNOHANG);
        if (done == child) return WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (done < 0 && errno != EINTR) return true;  // reaped elsewhere: no answer to read
        if (std::chrono::steady_clock::now() >= end) break;
        std::this_thread::sleep_for(kOpenerPoll);
    }
    // Still running: it belongs to the browser it started; reap it in the background.
    std::thread([child] {
        int status = 0;
        while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

BrowserHelpViewer::BrowserHelpViewer(std::filesystem::path helpFolder, std::string defaultName,
                                     Opener opener)
    : helpFolder_(std::move(helpFolder)),
      defaultName_(std::move(defaultName)),
      opener_(std::move(opener)) {}

std::filesystem::path BrowserHelpViewer::FolderOf(const std::string& file) const {
    std::filesystem::path name(file.empty() ? defaultName_ : file);
    name.replace_extension();
    if (name.empty()) return {};
    return name.is_absolute() ? name : helpFolder_ / name;
}

std::string BrowserHelpViewer::UriFor(const HelpRequest& request) const {
    const std::filesystem::path folder = FolderOf(request.file);
    if (request.command == HelpCommand::Quit || folder.empty() || !IsFile(folder / kHelpIndexPage))
        return {};
    switch (request.command) {
        case HelpCommand::Context:
        case HelpCommand::ContextPopup:
            return FileUri(folder / TopicPage(folder, request.contextId),
                           std::to_string(request.contextId));
        case HelpCommand::PartialKey:
            return FileUri(folder / kHelpSearchPage, request.text);
        case HelpCommand::HelpOnHelp:
            return FileUri(folder / kHelpOnHelpPage);
        default:
            return FileUri(folder / kHelpIndexPage);
    }
}

bool BrowserHelpViewer::Show(const HelpRequest& request) {
    if (request.command == HelpCommand::Quit) return true;
    const std::string uri = UriFor(request);
    return !uri.empty() && opener_ && opener_(uri);
}

}  // namespace ql::sys
