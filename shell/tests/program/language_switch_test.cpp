// The user-interface language in the running program: the menu bars, the palettes'
// titles, the page band's arrows, the main bar's labels and the key letters from the
// chosen bundle's texts with the program's own where the bundle says nothing, the
// shipped German bundle naming only what the program has, and the Language menu
// switching the language at once.
#include <gtest/gtest.h>

#include <filesystem>
#include <cctype>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/core_strings.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/ui/command_letters.h"
#include "editing/page_band.h"
#include "editing/palette_layout.h"
#include "editing/palette_windows.h"
#include "platform/sys/language_bundle.h"
#include "platform/sys/resources.h"
#include "platform/ui/menu.h"
#include "platform/ui/rebar.h"
#include "platform/ui/toolbar.h"
#include "platform/ui/tooltips.h"
#include "platform/win/mdi.h"
#include "platform/win/window.h"
#include "shell/language.h"
#include "shell/program/frame.h"
#include "shell/program/frame_toggles.h"
#include "shell/program/program_ids.h"
#include "shell/rebar/main_rebar.h"
#include "shell/resources/option_dialog_resources.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using platform::MenuHandle;

const std::filesystem::path kShippedGerman = std::filesystem::path(QL_SOURCE_DIR) / "data/languages/QLde.lang";

std::string ReadText(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string PopupTitle(MenuHandle bar, int32_t position) { return ui::GetMenuItemText(bar, position); }

// The text of the item with `command` in the popup at `position` of the bar.
std::string ItemText(MenuHandle bar, int32_t position, int32_t command) {
    const MenuHandle popup = ui::GetSubmenu(bar, position);
    for (int32_t i = 0; i < ui::GetMenuItemCount(popup); ++i)
        if (ui::GetMenuItemCommand(popup, i) == command) return ui::GetMenuItemText(popup, i);
    return {};
}

constexpr int32_t kOkId = 1;
constexpr int32_t kCancelId = 2;

std::string PaletteTitle(int palette) { return win::GetWindowText(PaletteWindow(palette)); }
std::string ArrowTitle(bool next) { return win::GetWindowText(PageArrowWindow(next)); }
std::string ArrowTip(bool next) { return ui::GetTooltipToolText(PageArrowTooltipWindow(), PageArrowWindow(next)); }

// The label of the band's button at `index`.
std::string BandLabel(int32_t band, int32_t index) {
    const std::optional<ui::ToolbarButtonSpec> button = ui::GetToolbarButton(BandToolbar(band), index);
    return button ? button->label : std::string();
}

std::string ControlText(const ui::DialogTemplate& dialog, int32_t id) {
    for (const ui::ControlTemplate& control : dialog.controls)
        if (control.id == id) return control.text;
    return {};
}

class LanguageSwitchTest : public testing::ProgramFixture {
  protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        std::filesystem::copy_file(kShippedGerman, scratch / "program" / "QLde.lang");
    }
    void TearDown() override {
        ProgramFixture::TearDown();
        ChooseLanguage(kBuiltInLanguage);
    }
    static void Choose(int32_t command) {
        win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(command, 0), 0);
    }
};

// Started with "Deutsch" set, both bars show the bundle's titles and items; what the
// bundle leaves out keeps the program's own text, strings included.
TEST_F(LanguageSwitchTest, SetLanguageGivesTheMenusItsTexts) {
    WriteSettings("[Options]\nLanguage=Deutsch\n");
    ASSERT_EQ(Start(), StartupCode::Ok);
    EXPECT_EQ(Options().Language, "Deutsch");
    const MenuHandle frameBar = Frame().frameMenu;
    EXPECT_EQ(PopupTitle(frameBar, 0), "&Datei");
    EXPECT_EQ(PopupTitle(frameBar, 2), "&Sprache");
    EXPECT_EQ(ItemText(frameBar, 0, cmd::kFileOpen), "\xC3\x96&ffnen...\tCtrl+O");
    EXPECT_EQ(ItemText(frameBar, 1, cmd::kAbout), "&\xC3\x9C" "ber Quaverlinescribe...");
    const MenuHandle childBar = Frame().childMenu;
    EXPECT_EQ(PopupTitle(childBar, kChildWindowPopup), "&Fenster");
    EXPECT_EQ(Frame().childWindowMenu, ui::GetSubmenu(childBar, kChildWindowPopup));
    EXPECT_EQ(ItemText(childBar, 0, cmd::kFileSave), "&Speichern\tCtrl+S");
    // Not in the bundle: the program's own texts.
    EXPECT_EQ(ItemText(childBar, 0, cmd::kCloseView), "&Close\tCtrl+W");
    EXPECT_EQ(PopupTitle(childBar, 2), "&Ansicht");
    EXPECT_EQ(ItemText(childBar, 2, cmd::kStatusBar), "Display Status Bar");
    EXPECT_EQ(ProgramString(kStrInvalidValue), "Ung\xC3\xBCltiger Wert");
    EXPECT_EQ(ProgramString(kStrTerminating), "Program terminating...");
    // A dialog: the caption and Cancel from the bundle, OK the program's.
    const std::shared_ptr<const ui::DialogTemplate> backups = sys::FindDialogTemplate(backup_copies_dialog::kDialog);
    ASSERT_TRUE(backups);
    EXPECT_EQ(backups->caption, "Sicherungskopien festlegen");
    EXPECT_EQ(ControlText(*backups, kCancelId), "&Abbrechen");
    EXPECT_EQ(ControlText(*backups, kOkId), "&OK");
    // The palettes, the page band's arrows and the bar's labels are made in German.
    EXPECT_EQ(PaletteTitle(kMainPalette), "Haupt");
    EXPECT_EQ(PaletteTitle(kOrnamentsPalette), "Verzierungen");
    EXPECT_EQ(ArrowTitle(false), "Vorherige Seite");
    EXPECT_EQ(BandLabel(kFileBand, 0), "Neu");
}

// Every entry of the shipped bundle names a string, menu or item the program has,
// and every line of it reads.
TEST_F(LanguageSwitchTest, ShippedBundleNamesOnlyWhatTheProgramHas) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const sys::LanguageBundleParse parse =
        sys::ParseLanguageBundle(ReadText(kShippedGerman), sys::GetProgramBundle().get(), "Deutsch");
    EXPECT_TRUE(parse.faults.empty());
    EXPECT_EQ(parse.unknownEntries, 0);
    EXPECT_EQ(parse.bundle->strings.at(sys::kBundleProductString), ProgramString(kStrProductCaption));
    // Its strings are strings the program has (the language's name and help are the
    // bundle's own).
    for (const auto& [id, text] : parse.bundle->strings) {
        if (id == sys::kBundleLanguageNameString || id == sys::kBundleHelpNameString) continue;
        EXPECT_TRUE(sys::GetProgramBundle()->strings.contains(id)) << id << " " << text;
    }
}

// The item with `command` anywhere in the menu, submenus included; null when none.
std::optional<std::string> FindItemText(MenuHandle menu, int32_t command) {
    for (int32_t i = 0; i < ui::GetMenuItemCount(menu); ++i) {
        if (ui::GetMenuItemCommand(menu, i) == command) return ui::GetMenuItemText(menu, i);
        if (const MenuHandle sub = ui::GetSubmenu(menu, i))
            if (std::optional<std::string> text = FindItemText(sub, command)) return text;
    }
    return std::nullopt;
}

// The text of the item at an index path "i.j.k" of the bar; null when none.
std::optional<std::string> TextAtPath(MenuHandle menu, const std::string& path) {
    std::istringstream steps(path);
    std::string step;
    std::optional<std::string> text;
    while (std::getline(steps, step, '.')) {
        if (!menu) return std::nullopt;
        const int32_t index = std::stoi(step);
        if (index >= ui::GetMenuItemCount(menu)) return std::nullopt;
        text = ui::GetMenuItemText(menu, index);
        menu = ui::GetSubmenu(menu, index);
    }
    return text;
}

// Every menu line of the shipped bundle shows in the German bars as written, the
// items of submenus and the titles by their place included.
TEST_F(LanguageSwitchTest, ShippedBundleGivesEveryMenuItemItsText) {
    WriteSettings("[Options]\nLanguage=Deutsch\n");
    ASSERT_EQ(Start(), StartupCode::Ok);
    std::istringstream lines(ReadText(kShippedGerman));
    std::string line;
    MenuHandle bar{};
    int checked = 0;
    while (std::getline(lines, line)) {
        if (line.starts_with("[")) {
            bar = line == "[Menu FRAMEMENU]" ? Frame().frameMenu
                  : line == "[Menu CHILDMENU]" ? Frame().childMenu
                                               : MenuHandle{};
            continue;
        }
        const size_t equals = line.find('=');
        if (!bar || equals == std::string::npos) continue;
        const std::string key = line.substr(0, equals);
        std::string text = line.substr(equals + 1);
        for (size_t tab; (tab = text.find("\\x09")) != std::string::npos;) text.replace(tab, 4, "\t");
        const std::optional<std::string> shown =
            key.starts_with("@") ? TextAtPath(bar, key.substr(1)) : FindItemText(bar, std::stoi(key));
        EXPECT_EQ(shown, text) << line;
        ++checked;
    }
    EXPECT_GT(checked, 40);
}

// The keys the shipped bundle names in one menu section.
std::set<std::string> BundleMenuKeys(const std::string& section) {
    std::istringstream lines(ReadText(kShippedGerman));
    std::set<std::string> keys;
    bool inside = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.starts_with("[")) {
            inside = line == section;
        } else if (inside && line.find('=') != std::string::npos) {
            keys.insert(line.substr(0, line.find('=')));
        }
    }
    return keys;
}

// The "@i.j" paths of every popup under the menu.
void CollectPopupPaths(MenuHandle menu, const std::string& prefix, std::vector<std::string>& paths) {
    for (int32_t i = 0; i < ui::GetMenuItemCount(menu); ++i)
        if (const MenuHandle sub = ui::GetSubmenu(menu, i)) {
            paths.push_back(prefix + std::to_string(i));
            CollectPopupPaths(sub, prefix + std::to_string(i) + ".", paths);
        }
}

// The German bundle gives a text to every popup of the score window's bar and to
// every on/off setting item on it, the ones in submenus included.
TEST_F(LanguageSwitchTest, ShippedBundleNamesEveryPopupAndSettingItem) {
    WriteSettings("[Options]\nLanguage=Deutsch\n");
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::set<std::string> keys = BundleMenuKeys("[Menu CHILDMENU]");
    std::vector<std::string> popups;
    CollectPopupPaths(Frame().childMenu, "", popups);
    ASSERT_GT(popups.size(), 10u);
    for (const std::string& path : popups) EXPECT_TRUE(keys.contains("@" + path)) << "popup @" << path;
    int settings = 0;
    for (const FrameToggle& t : FrameToggles()) {
        if (!FindItemText(Frame().childMenu, t.command)) continue;
        ++settings;
        EXPECT_TRUE(keys.contains(std::to_string(t.command))) << "item " << t.command;
    }
    EXPECT_GT(settings, 20);
}

// The Language menu's command switches at once: the frame shows the new bar, the
// old bars are gone and the setting names the language; the same language again
// or a number past the table changes nothing; English brings the own texts back.
TEST_F(LanguageSwitchTest, LanguageCommandSwitchesTheShownBar) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const MenuHandle englishBar = Frame().frameMenu;
    ASSERT_EQ(PopupTitle(englishBar, 0), "&File");
    Choose(cmd::kFirstLanguage + 1);
    const MenuHandle germanBar = Frame().frameMenu;
    EXPECT_EQ(Options().Language, "Deutsch");
    EXPECT_EQ(PopupTitle(germanBar, 0), "&Datei");
    EXPECT_EQ(win::GetWindowMenu(Frame().window), germanBar);
    EXPECT_EQ(win::GetMdiWindowMenu(Frame().mdiClient), Frame().frameWindowMenu);
    EXPECT_FALSE(ui::IsMenu(englishBar));
    Choose(cmd::kFirstLanguage + 1);
    Choose(cmd::kFirstLanguage + 2);
    Choose(cmd::kLastLanguage);
    EXPECT_EQ(Frame().frameMenu, germanBar);
    EXPECT_EQ(Options().Language, "Deutsch");
    Choose(cmd::kFirstLanguage);
    EXPECT_EQ(Options().Language, kBuiltInLanguage);
    EXPECT_EQ(PopupTitle(Frame().frameMenu, 0), "&File");
    EXPECT_FALSE(ui::IsMenu(germanBar));
}

// With a score open the frame shows the child bar: its German counterpart replaces
// it, with its Window popup listing the score windows.
TEST_F(LanguageSwitchTest, SwitchWithAScoreShowsTheNewChildBar) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    RequestOpen(WriteScore("language.ql"));
    Pump();
    ASSERT_EQ(win::GetWindowMenu(Frame().window), Frame().childMenu);
    Choose(cmd::kFirstLanguage + 1);
    EXPECT_EQ(win::GetWindowMenu(Frame().window), Frame().childMenu);
    EXPECT_EQ(PopupTitle(Frame().childMenu, 1), "&Bearbeiten");
    EXPECT_EQ(win::GetMdiWindowMenu(Frame().mdiClient), Frame().childWindowMenu);
    ui::NotifyPopupOpening(Frame().window, Frame().childWindowMenu);
    const int32_t items = ui::GetMenuItemCount(Frame().childWindowMenu);
    ASSERT_GT(items, 0);
    EXPECT_EQ(ui::GetMenuItemCommand(Frame().childWindowMenu, items - 1), win::kDefaultFirstMdiChildId);
}

// The palettes and the page band's arrows take the new language's titles at once,
// the arrows' tips with them, and English gives the own titles back.
TEST_F(LanguageSwitchTest, SwitchRetitlesThePalettesAndThePageArrows) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_EQ(PaletteTitle(kMainPalette), "Main");
    ASSERT_EQ(PaletteTitle(kStaffToolsPalette), "Staff Tools");
    ASSERT_EQ(ArrowTitle(false), "Previous Page");
    ASSERT_EQ(ArrowTip(true), "Next Page");
    Choose(cmd::kFirstLanguage + 1);
    EXPECT_EQ(PaletteTitle(kMainPalette), "Haupt");
    EXPECT_EQ(PaletteTitle(kStaffToolsPalette), "Notensystem");
    EXPECT_EQ(PaletteTitle(kTextSymbolsPalette), "Text und Symbole");
    EXPECT_EQ(ArrowTitle(false), "Vorherige Seite");
    EXPECT_EQ(ArrowTitle(true), "N\xC3\xA4" "chste Seite");
    EXPECT_EQ(ArrowTip(true), "N\xC3\xA4" "chste Seite");
    Choose(cmd::kFirstLanguage);
    EXPECT_EQ(PaletteTitle(kMainPalette), "Main");
    EXPECT_EQ(PaletteTitle(kOrnamentsPalette), "Ornaments");
    EXPECT_EQ(ArrowTitle(false), "Previous Page");
}

// With labels shown the bars are made anew with the new language's labels, every
// band kept.
TEST_F(LanguageSwitchTest, SwitchRemakesTheBarsWhenTheyShowLabels) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_EQ(Options().ToolBarText, 1) << "labels are shown by default";
    ASSERT_EQ(BandLabel(kFileBand, 0), "New");
    ASSERT_EQ(BandLabel(kMidiBand, 0), "Play");
    const platform::WindowHandle englishFileBand = BandToolbar(kFileBand);
    const int32_t bands = ui::RebarBandCount(MainRebarWindow());
    Choose(cmd::kFirstLanguage + 1);
    EXPECT_NE(BandToolbar(kFileBand), englishFileBand);
    EXPECT_EQ(BandLabel(kFileBand, 0), "Neu");
    EXPECT_EQ(BandLabel(kMidiBand, 0), "Abspielen");
    EXPECT_EQ(BandLabel(kTextBand, 5), "Grau");
    EXPECT_EQ(ui::RebarBandCount(MainRebarWindow()), bands);
    Choose(cmd::kFirstLanguage);
    EXPECT_EQ(BandLabel(kFileBand, 0), "New");
}

constexpr int32_t kViewPopup = 2;  // the score window bar's View

// The access key of a menu text: what follows its single "&" ("&&" is a plain
// ampersand), ASCII letters in lower case; empty when it has none.
std::string AccessKey(const std::string& text) {
    for (size_t i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != '&') continue;
        if (text[i + 1] == '&') {
            ++i;
            continue;
        }
        size_t length = 1;
        while (i + 1 + length < text.size() && (static_cast<unsigned char>(text[i + 1 + length]) & 0xC0) == 0x80)
            ++length;
        std::string key = text.substr(i + 1, length);
        if (length == 1) key[0] = static_cast<char>(std::tolower(static_cast<unsigned char>(key[0])));
        return key;
    }
    return {};
}

// The items of the popup, and of each submenu on its own, that share an access
// key with an item above them, as "key: first / second".
void CollectSharedKeys(MenuHandle popup, std::vector<std::string>& shared) {
    std::map<std::string, std::string> taken;
    for (int32_t i = 0; i < ui::GetMenuItemCount(popup); ++i) {
        const std::string text = ui::GetMenuItemText(popup, i);
        if (const MenuHandle sub = ui::GetSubmenu(popup, i)) CollectSharedKeys(sub, shared);
        const std::string key = AccessKey(text);
        if (key.empty()) continue;
        const auto [at, fresh] = taken.emplace(key, text);
        if (!fresh) shared.push_back(key + ": " + at->second + " / " + text);
    }
}

// Every item of the View menu, its Find submenu included, has an access key of its
// own, in English and in the shipped German bundle, so that its letter chooses it
// at once.
TEST_F(LanguageSwitchTest, EveryViewItemHasAnAccessKeyOfItsOwn) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const MenuHandle english = ui::GetSubmenu(Frame().childMenu, kViewPopup);
    ASSERT_EQ(PopupTitle(Frame().childMenu, kViewPopup), "&View");
    std::vector<std::string> shared;
    CollectSharedKeys(english, shared);
    EXPECT_TRUE(shared.empty()) << ::testing::PrintToString(shared);
    EXPECT_EQ(FindItemText(english, 40455), "&Page...") << "Go to Page is in View > Find";
    Choose(cmd::kFirstLanguage + 1);
    ASSERT_EQ(PopupTitle(Frame().childMenu, kViewPopup), "&Ansicht");
    shared.clear();
    CollectSharedKeys(ui::GetSubmenu(Frame().childMenu, kViewPopup), shared);
    EXPECT_TRUE(shared.empty()) << ::testing::PrintToString(shared);
    Choose(cmd::kFirstLanguage);
}

// The key letters follow the language: English reads every letter as itself; a
// language giving the dots group "p" makes P read as D until English is back.
TEST_F(LanguageSwitchTest, KeyLettersFollowTheLanguage) {
    std::ofstream(scratch / "program" / "QLzz.lang") << "[Strings]\n3=Quaverlinescribe\n1200=Probe\n1759=p\n";
    ASSERT_EQ(Start(), StartupCode::Ok);
    for (uint32_t key = 'A'; key <= 'Z'; ++key) EXPECT_EQ(TranslateCommandLetter(key), key) << char(key);
    Choose(cmd::kFirstLanguage + 2);
    ASSERT_EQ(Options().Language, "Probe");
    EXPECT_EQ(TranslateCommandLetter('P'), uint32_t{'D'});
    EXPECT_EQ(TranslateCommandLetter('D'), uint32_t{'D'}) << "a later group still names D";
    EXPECT_EQ(TranslateCommandLetter('H'), uint32_t{'H'});
    EXPECT_EQ(TranslateCommandLetter(0x70), 0x70u) << "a key that is no letter passes";
    Choose(cmd::kFirstLanguage);
    EXPECT_EQ(TranslateCommandLetter('P'), uint32_t{'P'});
}

}  // namespace
}  // namespace ql
