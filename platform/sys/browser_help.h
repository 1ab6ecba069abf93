// Help shown in the user's browser. Each help file the program names is a folder of
// HTML pages in the help folder (its name without the extension: "qlhelp.HLP" is
// the folder "qlhelp"), usable when it holds "index.html". Context and popup ids
// open "page.html#id", the page found in the folder's "pages.ini" ([Pages], one
// "id=page.html" line per topic), else "index.html#id". Contents opens the index,
// a keyword search "search.html#keyword", help on help "using-help.html"; closing
// the viewer does nothing (the browser belongs to the user). Pages are opened by
// handing a file: URI to the desktop's opener ("xdg-open"), whose answer is awaited
// for a moment only: it may live as long as the browser it starts.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/sys/help.h"

namespace ql::sys {

constexpr char kHelpIndexPage[] = "index.html";
constexpr char kHelpSearchPage[] = "search.html";
constexpr char kHelpOnHelpPage[] = "using-help.html";
constexpr char kHelpPageTable[] = "pages.ini";
constexpr char kHelpPageSection[] = "Pages";

// How long the opener's answer is awaited: one that finds no browser fails at once.
constexpr std::chrono::milliseconds kOpenerAnswerWait{1500};

// Starts "xdg-open uri" and waits up to `answerWait` for it to end: false when it
// could not be started or ended with an error; true when it ended well or still
// runs (it is then reaped in the background).
bool OpenInBrowser(const std::string& uri, std::chrono::milliseconds answerWait = kOpenerAnswerWait);

class BrowserHelpViewer final : public HelpViewer {
  public:
    using Opener = std::function<bool(const std::string& uri)>;
    // `helpFolder`: where relative help names are looked for; `defaultName`: the
    // help file of requests that name none.
    BrowserHelpViewer(std::filesystem::path helpFolder, std::string defaultName,
                      Opener opener = [](const std::string& uri) { return OpenInBrowser(uri); });
    // False when the help folder has no index page or the opener fails.
    bool Show(const HelpRequest& request) override;
    // The URI a request opens; empty for Quit and when the help folder has no index.
    std::string UriFor(const HelpRequest& request) const;

  private:
    std::filesystem::path FolderOf(const std::string& file) const;

    std::filesystem::path helpFolder_;
    std::string defaultName_;
    Opener opener_;
};

// Whether a help file the program names is there: the help folder it names (its
// name without the extension) holds the index page, or a file of that very name
// exists (what other viewers read).
bool IsHelpFilePresent(const std::filesystem::path& file);
// Where a help file the program names starts: its folder's index page, else the
// file of that very name; empty when neither is there.
std::filesystem::path HelpStartPage(const std::filesystem::path& file);

// "file://" and the absolute path, percent-encoded, with an optional "#fragment".
std::string FileUri(const std::filesystem::path& file, const std::string& fragment = {});

}  // namespace ql::sys
