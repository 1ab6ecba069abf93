// Language bundles: strings by id, menu and dialog texts replaced in copies of the
// program's own resources, entries that name nothing counted, and finding the
// program's bundles in a folder by their product string.
#include "platform/sys/language_bundle.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/tests/sys/scratch_folder.h"

namespace ql::sys {
namespace {

using testing::ScratchFolder;
using testing::WriteFileBytes;

constexpr int32_t kMenuId = 128;
constexpr int32_t kDialogId = 850;
constexpr int32_t kPageSetupCommand = 40116;

std::shared_ptr<ResourceBundle> ProgramBundle() {
    auto program = std::make_shared<ResourceBundle>();
    program->strings = {{3, "Quaverlinescribe"}, {1013, "Notice:"}};
    ui::MenuItemTemplate file{"&File", 0, ui::kMenuPopup, {}};
    file.children.push_back({"Page &Setup...", kPageSetupCommand, 0, {}});
    file.children.push_back({"", 0, ui::kMenuSeparator, {}});
    file.children.push_back({"E&xit", 57665, 0, {}});
    ui::MenuItemTemplate tools{"&Tools", 0, ui::kMenuPopup, {}};
    tools.children.push_back({"Page &Setup...", kPageSetupCommand, 0, {}});
    program->menus[kMenuId].items = {file, tools};
    ui::DialogTemplate dialog;
    dialog.caption = "Music Metrics";
    dialog.controls.push_back(
        {ui::kStaticClass, ui::kUnusedControlId, "Space before clefs", {}, 0, 0});
    dialog.controls.push_back({ui::kEditClass, 1714, "", {}, 0, 0});
    dialog.controls.push_back({ui::kButtonClass, 1, "OK", {}, 0, 0});
    program->dialogs[kDialogId] = dialog;
    return program;
}

// Strings, menu items by command (every item with it) or by index path, dialog
// captions and controls by id or by index: the program's own stay untouched.
TEST(LanguageBundle, TextsReplaceThoseOfCopies) {
    std::shared_ptr<ResourceBundle> program = ProgramBundle();
    LanguageBundleParse parse = ParseLanguageBundle(
        "[Strings]\n3=Quaverlinescribe\n1013=Avis :\n1200=Fran\xC3\xA7"
        "ais\n"
        "[Menu 128]\n40116=Mise en &page...\n@0=&Fichier\n@0.2=&Quitter\n"
        "[Dialog 850]\nCaption=M\xC3\xA9triques\n@0=Espace avant les cl\xC3\xA9s\n1=Accepter\n",
        program.get(), "fr");
    EXPECT_TRUE(parse.faults.empty());
    EXPECT_EQ(parse.unknownEntries, 0);
    const ResourceBundle& bundle = *parse.bundle;
    EXPECT_EQ(bundle.strings.at(1013), "Avis :");
    const ui::MenuTemplate& menu = bundle.menus.at(kMenuId);
    EXPECT_EQ(menu.items[0].text, "&Fichier");
    EXPECT_EQ(menu.items[0].children[0].text, "Mise en &page...");
    EXPECT_EQ(menu.items[1].children[0].text, "Mise en &page...");
    EXPECT_EQ(menu.items[0].children[2].text, "&Quitter");
    EXPECT_EQ(menu.items[1].text, "&Tools");
    const ui::DialogTemplate& dialog = bundle.dialogs.at(kDialogId);
    EXPECT_EQ(dialog.caption, "M\xC3\xA9triques");
    EXPECT_EQ(dialog.controls[0].text, "Espace avant les cl\xC3\xA9s");
    EXPECT_EQ(dialog.controls[2].text, "Accepter");
    EXPECT_EQ(program->menus.at(kMenuId).items[0].text, "&File");
    EXPECT_EQ(program->dialogs.at(kDialogId).caption, "Music Metrics");
}

// Entries naming no menu, dialog, item or control, and unknown sections, are counted
// and skipped; damaged lines are recorded; nothing is made of a resource the
// program lacks.
TEST(LanguageBundle, EntriesThatNameNothingAreCounted) {
    std::shared_ptr<ResourceBundle> program = ProgramBundle();
    LanguageBundleParse parse = ParseLanguageBundle(
        "[Strings]\nthree=3\n"
        "[Menu 129]\n40116=x\n"
        "[Menu 128]\n99999=x\n@5=x\n@0.9=x\n@x=x\n0=x\n"
        "[Dialog 850]\n-1=x\n@7=x\n4242=x\n"
        "[Accelerators]\nx=y\n"
        "broken line\n",
        program.get(), "xx");
    EXPECT_EQ(parse.faults.size(), 1u);
    EXPECT_EQ(parse.unknownEntries, 11);
    EXPECT_EQ(parse.bundle->menus.count(129), 0u);
    EXPECT_EQ(parse.bundle->menus.at(kMenuId).items[0].text, "&File");
    LanguageBundleParse alone = ParseLanguageBundle("[Menu 128]\n40116=x\n", nullptr, "xx");
    EXPECT_TRUE(alone.bundle->menus.empty());
}

// Bundles are the "QL*.lang" files whose string 3 is the product name, sorted by file
// name, with their language and help names; once loaded, the language name names the
// bundle.
TEST(LanguageBundle, FoundByNameAndProduct) {
    ScratchFolder folder;
    WriteFileBytes(folder / "QLfr.lang",
                   "[Strings]\n3=Quaverlinescribe\n1200=Fran\xC3\xA7"
                   "ais\n1201=aidefr\n");
    WriteFileBytes(folder / "QLde.LANG", "[Strings]\n3=Quaverlinescribe\n1200=Deutsch\n");
    WriteFileBytes(folder / "QLxx.lang", "[Strings]\n3=Another Program\n1200=Other\n");
    WriteFileBytes(folder / "fr.lang", "[Strings]\n3=Quaverlinescribe\n1200=Stray\n");
    std::filesystem::create_directories(folder / "QLdir.lang");
    std::vector<LanguageBundleFile> found = FindLanguageBundles(folder.Path(), "Quaverlinescribe");
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[0].language, "Deutsch");
    EXPECT_EQ(found[0].helpName, "");
    EXPECT_EQ(found[1].language,
              "Fran\xC3\xA7"
              "ais");
    EXPECT_EQ(found[1].helpName, "aidefr");
    std::shared_ptr<const ResourceBundle> loaded = LoadLanguageBundle(found[1].path, nullptr);
    ASSERT_NE(loaded, nullptr);
    EXPECT_EQ(loaded->name,
              "Fran\xC3\xA7"
              "ais");
    EXPECT_EQ(LoadLanguageBundle(folder / "QLnone.lang", nullptr), nullptr);
    EXPECT_TRUE(FindLanguageBundles(folder / "missing", "Quaverlinescribe").empty());
}

}  // namespace
}  // namespace ql::sys
