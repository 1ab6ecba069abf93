// The menus in the running program follow the command state as each popup opens:
// without a score, while a run plays, with a picture selected, with and without MIDI
// devices, and the Language popup with the languages found.
#include <gtest/gtest.h>

#include <cctype>

#include <optional>
#include <ostream>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "core/model/score_document.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "platform/midi/headless.h"
#include "platform/sys/folders.h"
#include "platform/ui/menu.h"
#include "platform/ui/menu_template.h"
#include "platform/win/mdi.h"
#include "sequencer/playback.h"
#include "shell/command/toolbar_buttons.h"
#include "shell/language.h"
#include "shell/program/frame.h"
#include "shell/program/frame_toggles.h"
#include "shell/program/menu_state.h"
#include "shell/program/program_ids.h"
#include "shell/program/transport_commands.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using platform::MenuHandle;
using testing::WriteFileBytes;

constexpr int32_t kLastWindowListId = win::kDefaultFirstMdiChildId + 100;

class MenuStateTest : public testing::ProgramFixture {
  protected:
    void SetUp() override {
        ProgramFixture::SetUp();
        midi::headless::Reset(midi::headless::ClockMode::Virtual);
    }
    void TearDown() override {
        ProgramFixture::TearDown();
        midi::headless::Reset(midi::headless::ClockMode::Virtual);
    }
    ScoreView* OpenScore() {
        RequestOpen(WriteScore("menus.ql"));
        Pump();
        return State().documents.ActiveView;
    }
    // Opens a popup of the window's menu bar as the user would; its usable items.
    // (The document client's own window list is left out.)
    static std::set<int32_t> Usable(MenuHandle popup) {
        ui::NotifyPopupOpening(Frame().window, popup);
        std::set<int32_t> usable;
        for (int32_t i = 0; i < ui::GetMenuItemCount(popup); ++i) {
            const int32_t command = ui::GetMenuItemCommand(popup, i);
            if (command >= win::kDefaultFirstMdiChildId && command < kLastWindowListId) continue;
            if (command > 0 && (ui::GetMenuItemFlags(popup, command) & ui::kMenuGrayed) == 0) usable.insert(command);
        }
        return usable;
    }
    static bool Checked(MenuHandle popup, int32_t command) {
        return (ui::GetMenuItemFlags(popup, command) & ui::kMenuChecked) != 0;
    }
    static MenuHandle ChildPopup(MenuPopupKind kind) {
        for (int32_t i = 0; i < ui::GetMenuItemCount(Frame().childMenu); ++i) {
            const MenuHandle popup = ui::GetSubmenu(Frame().childMenu, i);
            if (popup && IdentifyMenuPopup(popup) == kind) return popup;
        }
        return {};
    }
};

// The popup of the child menu (submenus included) that holds the command, or null.
MenuHandle PopupHolding(MenuHandle menu, int32_t command) {
    for (int32_t i = 0; i < ui::GetMenuItemCount(menu); ++i) {
        const MenuHandle popup = ui::GetSubmenu(menu, i);
        if (!popup) continue;
        if (ui::GetMenuItemFlags(popup, command) != ui::kMenuItemMissing) return popup;
        if (const MenuHandle inner = PopupHolding(popup, command)) return inner;
    }
    return {};
}

// Where an item stands: the titles of the popups that lead to it (access keys left
// out) and its own text; empty when the menu has no item with the command.
struct ItemPlace {
    std::vector<std::string> popups;
    std::string text;
    bool operator==(const ItemPlace&) const = default;
};

void PrintTo(const ItemPlace& place, std::ostream* out) {
    for (const std::string& popup : place.popups) *out << popup << " > ";
    *out << '"' << place.text << '"';
}

std::string WithoutAccessKey(std::string text) {
    std::erase(text, '&');
    return text;
}

std::optional<ItemPlace> PlaceOf(MenuHandle menu, int32_t command) {
    for (int32_t i = 0; i < ui::GetMenuItemCount(menu); ++i) {
        if (ui::GetMenuItemCommand(menu, i) == command) return ItemPlace{{}, ui::GetMenuItemText(menu, i)};
        const MenuHandle popup = ui::GetSubmenu(menu, i);
        if (!popup) continue;
        if (std::optional<ItemPlace> place = PlaceOf(popup, command)) {
            place->popups.insert(place->popups.begin(), WithoutAccessKey(ui::GetMenuItemText(menu, i)));
            return place;
        }
    }
    return std::nullopt;
}

// Without a score the frame menu offers New, Open, Import, the recent files, Exit
// and Help, nothing else.
TEST_F(MenuStateTest, WithoutAScoreOnlyOpeningItemsAreUsable) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string recent = WriteScore("recent.ql");
    const MenuHandle bar = Frame().frameMenu;
    EXPECT_EQ(Usable(ui::GetSubmenu(bar, 0)),
              (std::set<int32_t>{cmd::kFileNew, cmd::kFileOpen, cmd::kFileImport, cmd::kFirstPickListEntry,
                                 cmd::kExit}));
    EXPECT_EQ(Usable(ui::GetSubmenu(bar, 1)), (std::set<int32_t>{57666, 57667, 57668, cmd::kAbout}));
}

// The setting commands sit in the popups that show them, each checked from the
// setting it chooses as the popup opens: the formatting modes in Edit, tooltips in
// View, display, key cancels and part extraction in Options, the text size
// reference in Text, stems and the Spacing submenu in Notes; Help has Contents,
// Search and How to Use in both bars.
TEST_F(MenuStateTest, SettingItemsAreCheckedFromTheirSettings) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_NE(OpenScore(), nullptr);
    const auto checkedAfter = [](MenuPopupKind kind, int32_t command, int32_t send) {
        win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(send, 0), 0);
        const MenuHandle popup = ChildPopup(kind);
        Usable(popup);
        EXPECT_NE(ui::GetMenuItemFlags(popup, command), ui::kMenuItemMissing) << command;
        return Checked(popup, command);
    };
    EXPECT_TRUE(checkedAfter(MenuPopupKind::Edit, 40180, 40180));
    EXPECT_FALSE(checkedAfter(MenuPopupKind::Edit, 40180, 40181));
    EXPECT_TRUE(Checked(ChildPopup(MenuPopupKind::Edit), 40181));
    EXPECT_FALSE(checkedAfter(MenuPopupKind::View, 42008, 42008));
    // Small toolbars, shaped heads promoted and unused pages trimmed start on.
    EXPECT_FALSE(checkedAfter(MenuPopupKind::View, 3009, 3009));
    EXPECT_TRUE(checkedAfter(MenuPopupKind::View, 3009, 3009));
    EXPECT_FALSE(checkedAfter(MenuPopupKind::Notes, 40213, 40213));
    EXPECT_FALSE(checkedAfter(MenuPopupKind::Options, 40199, 40199));
    EXPECT_TRUE(checkedAfter(MenuPopupKind::Options, 40199, 40199));
    EXPECT_TRUE(checkedAfter(MenuPopupKind::Options, 42084, 42084));
    EXPECT_FALSE(checkedAfter(MenuPopupKind::Options, 42059, 42059));
    EXPECT_FALSE(checkedAfter(MenuPopupKind::Options, 42061, 42061));
    // Naturals left of the barline (1, the stored default) show the check.
    EXPECT_FALSE(checkedAfter(MenuPopupKind::Options, 40194, 40194));
    EXPECT_TRUE(checkedAfter(MenuPopupKind::Options, 40194, 40194));
    EXPECT_TRUE(checkedAfter(MenuPopupKind::Text, 42230, 42230));
    EXPECT_TRUE(checkedAfter(MenuPopupKind::Notes, 40439, 40439));
    EXPECT_FALSE(Checked(ChildPopup(MenuPopupKind::Notes), 40437));
    const MenuHandle spacing = PopupHolding(Frame().childMenu, 40436);
    Usable(spacing);
    EXPECT_TRUE(Checked(spacing, 40436)) << "engraver spacing is the stored default";
    win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(40435, 0), 0);
    Usable(spacing);
    EXPECT_TRUE(Checked(spacing, 40435));
    EXPECT_FALSE(Checked(spacing, 40436));
    EXPECT_FALSE(Checked(spacing, 40434));
    for (MenuHandle bar : {Frame().frameMenu, Frame().childMenu}) {
        const MenuHandle help = ui::GetSubmenu(bar, bar == Frame().frameMenu ? 1 : 8);
        EXPECT_EQ(IdentifyMenuPopup(help), MenuPopupKind::Help);
        EXPECT_TRUE(Usable(help).contains(57667));
        EXPECT_TRUE(Usable(help).contains(57668));
    }
}

// Every toggle but the one without an item is on the score's menus, and its check
// follows its flag both ways (those of MIDI output only with an output).
TEST_F(MenuStateTest, EveryToggleHasAnItemCheckedByItsFlag) {
    midi::headless::AddDevice("Synth", true, false);
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_NE(OpenScore(), nullptr);
    for (const FrameToggle& toggle : FrameToggles()) {
        if (toggle.command == toggle::kVerifySave) continue;
        const MenuHandle popup = PopupHolding(Frame().childMenu, toggle.command);
        ASSERT_TRUE(popup) << toggle.command << " has no menu item";
        for (int pass = 0; pass < 2; ++pass) {
            Usable(popup);
            EXPECT_EQ(Checked(popup, toggle.command), toggle.flag() != 0) << toggle.command;
            win::SendMessage(Frame().window, win::Message::Command, win::MakeCommandWord(toggle.command, 0), 0);
        }
    }
}

// The on/off items of the score's menus stand in their popups with their full
// texts: the recording options under MIDI > Record Options, the automatic ones
// (rests and tablature stems among them) under Notes > Auto, and so on.
TEST_F(MenuStateTest, OnOffItemsStandInTheirPopupsWithTheirTexts) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    using Popups = std::vector<std::string>;
    const Popups midiPlayback = {"MIDI", "Playback Options"}, midiRecord = {"MIDI", "Record Options"};
    const Popups notesAuto = {"Notes", "Auto"}, notesSpacing = {"Notes", "Spacing"};
    const Popups moreOptions = {"Edit", "More Options"}, options = {"Options"};
    const std::pair<int32_t, ItemPlace> expected[] = {
        {40374, {{"MIDI", "Patch Caching"}, "&Cache Patches"}},
        {42097, {midiPlayback, "M&ultinote Mode (Polyphonic)"}},
        {40411, {midiPlayback, "&Send Patches before Play"}},
        {40413, {midiPlayback, "Measure &Countdown"}},
        {40409, {midiPlayback, "&Metronome Click"}},
        {40206, {midiPlayback, "Play L&oose"}},
        {40203, {midiPlayback, "S&wing Eighths"}},
        {40204, {midiPlayback, "Swing Si&xteenths"}},
        {40201, {midiPlayback, "&Follow Music"}},
        {40424, {midiPlayback, "Auto &Rewind"}},
        {40414, {midiRecord, "Measure &Countdown"}},
        {40408, {midiRecord, "&Echo MIDI Input"}},
        {40410, {midiRecord, "&Metronome Click"}},
        {40183, {options, "&Quantize Notes Cursor"}},
        {40345, {options, "&Auto Scroll"}},
        {42082, {options, "Black and White Clipboard Data"}},
        {42096, {options, "Use Popup Menus"}},
        {40433, {options, "Cursor &Focus"}},
        {40199, {options, "&Trim Unused Pages"}},
        {40419, {notesAuto, "Auto &beam"}},
        {42086, {notesAuto, "Auto &slash grace notes"}},
        {42090, {notesAuto, "Auto &flip accents"}},
        {40425, {notesAuto, "Auto &extend measure"}},
        {40346, {notesAuto, "Auto roll &notes"}},
        {40420, {notesAuto, "Auto &rest"}},
        {42226, {notesAuto, "Auto &hide tablature stems"}},
        {40450, {notesSpacing, "&Spread changes"}},
        {40457, {notesSpacing, "Space ac&cidentals"}},
        {40213, {{"Notes"}, "Pr&omote Shaped Heads"}},
        {42091, {moreOptions, "Use Symmetric &Slurs"}},
        {42092, {moreOptions, "Use Symmetric &Hairpins"}},
        {42060, {moreOptions, "&Display Off-page Items"}},
        {40344, {{"File"}, "Save Preferences on &Exit"}},
    };
    for (const auto& [command, place] : expected) EXPECT_EQ(PlaceOf(Frame().childMenu, command), place) << command;
}

// The commands of the selection, the notes, the quick zooms and MIDI stand where a
// user finds them, and no two items of those popups share an access key.
TEST_F(MenuStateTest, CommandsStandInTheirPopupsWithAccessKeysOfTheirOwn) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    using Popups = std::vector<std::string>;
    const Popups edit = {"Edit"}, notes = {"Notes"}, view = {"View"}, midi = {"MIDI"};
    const Popups playback = {"MIDI", "Playback Options"}, options = {"Options"};
    const std::pair<int32_t, ItemPlace> expected[] = {
        {40133, {edit, "Send to Bac&k"}},
        {40134, {edit, "Bring to &Front"}},
        {40140, {edit, "Toggle O&wnership"}},
        {40138, {edit, "Measure-owned Text and Grap&hics"}},
        {40139, {edit, "Pa&ge-owned Text and Graphics"}},
        {40158, {notes, "&Normal Size"}},
        {40159, {notes, "Pet&ite Size"}},
        {40160, {notes, "&Grace Size"}},
        {40348, {notes, "Fan beam to &left"}},
        {40349, {notes, "Fan beam to &right"}},
        {40354, {notes, "&Transpose..."}},
        {1177, {notes, "Reset Measures to Time &Signatures"}},
        {40363, {view, "Quickzoom  &1\tCtrl+1"}},
        {40366, {view, "Quickzoom  &4\tCtrl+4"}},
        {40215, {midi, "A&ll Notes Off"}},
        {40172, {playback, "Allow MIDI &Delay"}},
        {1174, {playback, "Show Playback &Location"}},
        {1156, {options, "&Hide Measure Numbers"}},
        {1157, {options, "Dra&w Staff Lines Only"}},
    };
    for (const auto& [command, place] : expected) EXPECT_EQ(PlaceOf(Frame().childMenu, command), place) << command;
    for (int32_t command : {57643, 40161, 40147, 42035, 40206, 40176}) {
        const MenuHandle popup = PopupHolding(Frame().childMenu, command);
        ASSERT_TRUE(popup) << command;
        std::set<char> keys;
        for (int32_t i = 0; i < ui::GetMenuItemCount(popup); ++i) {
            const std::string text = ui::GetMenuItemText(popup, i);
            const size_t amp = text.find('&');
            if (amp == std::string::npos || amp + 1 >= text.size()) continue;
            const char key = static_cast<char>(std::tolower(static_cast<unsigned char>(text[amp + 1])));
            EXPECT_TRUE(keys.insert(key).second) << "'" << key << "' twice in the popup of " << command << ": " << text;
        }
    }
}

// While the score plays every item is gray but Stop and Pause in the MIDI popup,
// the two view modes in the View popup and Exit in the File popup.
TEST_F(MenuStateTest, WhilePlayingOnlyStopPauseAndViewModesAreUsable) {
    midi::headless::AddDevice("Synth", true, false);
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_NE(OpenScore(), nullptr);
    EXPECT_TRUE(Usable(ChildPopup(MenuPopupKind::Midi)).count(transport_cmd::kStartPlayback));
    ASSERT_TRUE(TransportCommand(State().documents.ActiveView, transport_cmd::kStartPlayback));
    Pump();
    ASSERT_TRUE(IsPlaybackRunning());
    // The toolbar shows the run before any menu opens.
    EXPECT_TRUE(IsToolbarButtonChecked(kStartPlaybackButton));
    EXPECT_TRUE(IsToolbarButtonEnabled(kStopButton));
    EXPECT_FALSE(IsToolbarButtonEnabled(cmd::kFilePrint));
    EXPECT_EQ(Usable(ChildPopup(MenuPopupKind::Midi)),
              (std::set<int32_t>{transport_cmd::kStopPlayback, transport_cmd::kPausePlayback}));
    EXPECT_EQ(Usable(ChildPopup(MenuPopupKind::View)), (std::set<int32_t>{40146, 40147}));
    EXPECT_EQ(Usable(ChildPopup(MenuPopupKind::File)), (std::set<int32_t>{cmd::kExit}));
    for (MenuPopupKind kind : {MenuPopupKind::Edit, MenuPopupKind::Options,
                               MenuPopupKind::Text, MenuPopupKind::Notes, MenuPopupKind::Window})
        EXPECT_TRUE(Usable(ChildPopup(kind)).empty()) << static_cast<int>(kind);
    TransportCommand(State().documents.ActiveView, transport_cmd::kStopPlayback);
    Pump();
    EXPECT_FALSE(IsToolbarButtonChecked(kStartPlaybackButton));
    EXPECT_FALSE(IsToolbarButtonEnabled(kStopButton));
    EXPECT_TRUE(IsToolbarButtonEnabled(cmd::kFilePrint));
    EXPECT_TRUE(Usable(ChildPopup(MenuPopupKind::File)).count(cmd::kFileSaveAs));
}

// File > Exit chosen while the score plays ends the run.
TEST_F(MenuStateTest, ExitWhilePlayingEndsTheRun) {
    midi::headless::AddDevice("Synth", true, false);
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_NE(OpenScore(), nullptr);
    ASSERT_TRUE(TransportCommand(State().documents.ActiveView, transport_cmd::kStartPlayback));
    Pump();
    ASSERT_TRUE(Usable(ChildPopup(MenuPopupKind::File)).count(cmd::kExit));
    win::PostMessage(Frame().window, win::Message::Command, win::MakeCommandWord(cmd::kExit, 0));
    EXPECT_EQ(win::RunMessageLoop(ProgramMessageFilters()), 0);
    running_ = false;
    EXPECT_FALSE(IsPlaybackRunning());
}

// A picture selected alone enables Cut and Copy, but no block command.
TEST_F(MenuStateTest, APictureAloneEnablesCutAndCopyOnly) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_NE(OpenScore(), nullptr);
    SelectionState* s = State().documents.Selection;
    ASSERT_NE(s, nullptr);
    ScoreObject* picture = State().documents.ActiveView->document->prototypes[53];
    ASSERT_NE(picture, nullptr);
    ASSERT_NE(picture, s->defaultObject.get());
    const int8_t mode = s->editMode;
    const uint8_t type = s->toolType;
    const Ref32<ScoreObject> kept = s->focusedObject;
    s->editMode = 1;
    s->toolType = 53;
    s->focusedObject = Ref32<ScoreObject>::To(picture);
    const std::set<int32_t> edit = Usable(ChildPopup(MenuPopupKind::Edit));
    const std::set<int32_t> text = Usable(ChildPopup(MenuPopupKind::Text));
    s->editMode = mode;
    s->toolType = type;
    s->focusedObject = kept;
    EXPECT_EQ(ui::GetMenuItemText(ChildPopup(MenuPopupKind::Edit), 0), "Undo\tCtrl-Z");
    EXPECT_FALSE(edit.count(57643));
    EXPECT_TRUE(edit.count(57635));
    EXPECT_TRUE(edit.count(57634));
    EXPECT_TRUE(edit.count(57632));
    for (int32_t command : {57642, 40417, 40418}) EXPECT_FALSE(edit.count(command)) << command;
    EXPECT_FALSE(text.count(40222));
    EXPECT_TRUE(text.count(40226));
}

// Without a MIDI input Start Recording is gray and the record options unchecked;
// with only [NONE] for output, Play, Sync, Thru and Metronome are gray, and the
// synthesizer alone enables them.
class MidiMenuTest : public MenuStateTest {
  protected:
    std::set<int32_t> MidiItems(bool output, bool input) {
        if (output) midi::headless::AddDevice("Synth", true, false);
        if (input) midi::headless::AddDevice("Keys", false, true);
        Options().RecordEcho = Options().RecordMetro = Options().PlayMetro = 1;
        EXPECT_EQ(Start(), StartupCode::Ok);
        EXPECT_NE(OpenScore(), nullptr);
        // The MIDI popup, then its Record Options and Setup submenus.
        const MenuHandle midi = ChildPopup(MenuPopupKind::Midi);
        std::set<int32_t> usable = Usable(midi);
        record_ = PopupHolding(midi, 40408);
        Usable(record_);
        const std::set<int32_t> setup = Usable(PopupHolding(midi, 40200));
        usable.insert(setup.begin(), setup.end());
        return usable;
    }
    MenuHandle record_{};
};

TEST_F(MidiMenuTest, NoDevices) {
    const std::set<int32_t> usable = MidiItems(false, false);
    for (int32_t command : {transport_cmd::kStartPlayback, transport_cmd::kStartRecording, 40200, 40372, 40412})
        EXPECT_FALSE(usable.count(command)) << command;
}

TEST_F(MidiMenuTest, TheSynthesizerAloneEnablesPlayback) {
    const std::set<int32_t> usable = MidiItems(true, false);
    for (int32_t command : {transport_cmd::kStartPlayback, 40200, 40372, 40412})
        EXPECT_TRUE(usable.count(command)) << command;
    EXPECT_FALSE(usable.count(transport_cmd::kStartRecording));
    EXPECT_FALSE(Checked(record_, 40408));
    EXPECT_FALSE(Checked(record_, 40410));
}

TEST_F(MidiMenuTest, AnInputEnablesRecording) {
    const std::set<int32_t> usable = MidiItems(true, true);
    EXPECT_TRUE(usable.count(transport_cmd::kStartRecording));
    EXPECT_TRUE(Checked(record_, 40408));
    EXPECT_TRUE(Checked(record_, 40410));
}

// Three languages: English and the two others, the current one checked; opening
// the popup again adds nothing.
TEST_F(MenuStateTest, LanguagePopupListsTheLanguagesOnce) {
    const std::filesystem::path program = scratch / "program";
    WriteFileBytes(program / "QLde.lang", "[Strings]\n3=Quaverlinescribe\n1200=Deutsch\n");
    WriteFileBytes(program / "QLfr.lang", "[Strings]\n3=Quaverlinescribe\n1200=Fran\xC3\xA7" "ais\n");
    ASSERT_EQ(Start(), StartupCode::Ok);
    ChooseLanguage("Deutsch");
    const MenuHandle language = ui::GetSubmenu(Frame().frameMenu, 2);
    ASSERT_EQ(IdentifyMenuPopup(language), MenuPopupKind::Language);
    Usable(language);
    Usable(language);
    ASSERT_EQ(ui::GetMenuItemCount(language), 3);
    EXPECT_EQ(ui::GetMenuItemText(language, 1), "Deutsch");
    EXPECT_FALSE(Checked(language, cmd::kFirstLanguage));
    EXPECT_TRUE(Checked(language, cmd::kFirstLanguage + 1));
    EXPECT_FALSE(Checked(language, cmd::kFirstLanguage + 2));
    ChooseLanguage("English");
}

}  // namespace
}  // namespace ql
