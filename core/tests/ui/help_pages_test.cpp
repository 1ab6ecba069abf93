// The help shipped beside the program: every topic the program can ask for opens a
// page of the help folder at the topic's own place, and every link of every page
// leads to a page and place that exist. The topics are those of every object type
// (F1 on a selected object), every help constant of the program's sources (the
// dialogs' topics) and the popups of those dialogs' controls.
#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "core/constants.h"
#include "core/objects/object_classes.h"
#include "core/ui/help.h"
#include "platform/sys/browser_help.h"

namespace ql {
namespace {

namespace fs = std::filesystem;

const fs::path kHelpFolder = fs::path(QL_PROGRAM_DIR) / kHelpFolderName / kFallbackHelpName;

std::string Read(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Names of help constants that are not topics: buttons, bitmaps, strings, commands,
// table shapes and states.
const std::set<std::string> kNotTopics = {
    "kHelp", "kHelpButtonId", "kHelpCommand", "kHelpLogoBitmap", "kStrCantOpenHelp", "kNoHelp",
    "kStrHelpPagesUnshown",
    "kHelpContents", "kHelpSearch", "kHelpOnHelp", "kHelpRecordGroups", "kHelpGroupControls",
    "kDialogHelpRecordCount", "kBundleHelpNameString", "kHelpFileNotChecked", "kHelpFileFound",
    "kHelpFileMissing"};

bool IsNameCharacter(char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; }

// The help constants of a source text: a name "k...Help..." given a number.
void AddTopicsOf(const std::string& text, std::set<uint32_t>* ids) {
    for (size_t at = text.find("Help"); at != std::string::npos; at = text.find("Help", at + 1)) {
        size_t start = at;
        while (start > 0 && IsNameCharacter(text[start - 1])) --start;
        size_t end = at;
        while (end < text.size() && IsNameCharacter(text[end])) ++end;
        if (text[start] != 'k' || kNotTopics.count(text.substr(start, end - start)) != 0) continue;
        size_t value = text.find_first_not_of(' ', end);
        if (value == std::string::npos || text[value] != '=') continue;
        value = text.find_first_not_of(' ', value + 1);
        if (value != std::string::npos && std::isdigit(static_cast<unsigned char>(text[value])))
            ids->insert(static_cast<uint32_t>(std::stoul(text.substr(value, 10))));
    }
}

// The topic ids of the help constants in the program's sources (tests left out).
std::set<uint32_t> TopicsOfSources() {
    std::set<uint32_t> ids;
    for (const char* folder : {"core", "display", "editing", "files", "interchange", "layout", "notes",
                               "objects", "platform", "sequencer", "shell", "staves", "programs"}) {
        for (const auto& entry : fs::recursive_directory_iterator(fs::path(QL_SOURCE_DIR) / folder)) {
            const std::string ext = entry.path().extension().string();
            if ((ext != ".cpp" && ext != ".h") || entry.path().string().find("/tests/") != std::string::npos)
                continue;
            AddTopicsOf(Read(entry.path()), &ids);
        }
    }
    return ids;
}

std::set<uint32_t> TopicsTheProgramAsksFor() {
    std::set<uint32_t> ids = TopicsOfSources();
    for (int type = 0; type < kObjectTypeCount; ++type)
        if (uint32_t id = HelpContextOfType(static_cast<uint8_t>(type)); id != 0) ids.insert(id);
    for (const DialogHelpRecord* record = DialogHelpTable; record->dialogHelpId != 0; ++record) {
        if (ids.count(record->dialogHelpId) == 0) continue;
        for (const DialogHelpGroup& group : record->groups)
            if (group.popupId != 0) ids.insert(group.popupId);
    }
    return ids;
}

// The page and place a file: URI names (the help folder holds plain names only).
struct Place {
    fs::path page;
    std::string anchor;
};

Place PlaceOf(const std::string& uri) {
    const std::string scheme = "file://";
    EXPECT_EQ(uri.rfind(scheme, 0), 0u) << uri;
    const size_t hash = uri.find('#');
    return {fs::path(uri.substr(scheme.size(), hash - scheme.size())),
            hash == std::string::npos ? std::string() : uri.substr(hash + 1)};
}

bool HasAnchor(const fs::path& page, const std::string& anchor) {
    return anchor.empty() || Read(page).find("id=\"" + anchor + "\"") != std::string::npos;
}

TEST(HelpPages, EveryTopicTheProgramAsksForOpensItsOwnPlace) {
    ASSERT_TRUE(fs::is_regular_file(kHelpFolder / sys::kHelpIndexPage)) << kHelpFolder;
    std::string opened;
    sys::BrowserHelpViewer viewer(kHelpFolder.parent_path(), kFallbackHelpName,
                                  [&](const std::string& uri) { return opened = uri, true; });
    const std::set<uint32_t> topics = TopicsTheProgramAsksFor();
    EXPECT_GT(topics.size(), 60u);
    for (uint32_t id : topics) {
        ASSERT_TRUE(viewer.Show({{}, {}, sys::HelpCommand::Context, id, {}})) << id;
        const Place place = PlaceOf(opened);
        EXPECT_NE(place.page.filename(), sys::kHelpIndexPage) << "topic " << id << " has no page";
        EXPECT_TRUE(fs::is_regular_file(place.page)) << id << " " << place.page;
        EXPECT_TRUE(HasAnchor(place.page, place.anchor)) << id << " " << place.page;
    }
    for (sys::HelpCommand command : {sys::HelpCommand::Contents, sys::HelpCommand::HelpOnHelp,
                                     sys::HelpCommand::PartialKey}) {
        ASSERT_TRUE(viewer.Show({{}, {}, command, 0, {}}));
        EXPECT_TRUE(fs::is_regular_file(PlaceOf(opened).page)) << opened;
    }
}

TEST(HelpPages, EveryLinkLeadsToAPageAndPlaceThatExist) {
    const std::regex link(R"(href="([^"]*)\")");
    int links = 0;
    for (const auto& entry : fs::directory_iterator(kHelpFolder)) {
        if (entry.path().extension() != ".html") continue;
        const std::string text = Read(entry.path());
        for (std::sregex_iterator it(text.begin(), text.end(), link), end; it != end; ++it, ++links) {
            const std::string target = (*it)[1].str();
            const size_t hash = target.find('#');
            const fs::path page = hash == 0 ? entry.path() : kHelpFolder / target.substr(0, hash);
            EXPECT_TRUE(fs::is_regular_file(page)) << entry.path().filename() << ": " << target;
            if (hash != std::string::npos && fs::is_regular_file(page)) {
                EXPECT_TRUE(HasAnchor(page, target.substr(hash + 1)))
                    << entry.path().filename() << ": " << target;
            }
        }
    }
    EXPECT_GT(links, 100);
}

}  // namespace
}  // namespace ql
