// The staff keys of the Edit Staff tool on the desktop, the pointer on a staff's
// handle: C opens the channel dialog beside the pointer (a typed value is held to
// 1..16 and saved with the staff, Escape keeps the channel), P the patch dialog
// (saved with the staff), M and S toggle the staff's mute and solo in the open
// mixer, and W gives the system's measures their default widths after a barline
// drag. Judged from the saved file, the mixer's picture and the barlines.
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "shell/tests/desktop/staff_page.h"

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

constexpr int kPointerTolerance = 6;  // pixels between the pointer and the dialog's edge or middle
constexpr int kToPatchNumber = 3;     // in the patch dialog: from OK past Cancel and the names
constexpr int kBarDrag = 40;
constexpr int kPaletteButton = 37;  // a 36-pixel button and its one-pixel gap
constexpr int kPointerOnMain = 5;

class StaffKeyScenario : public StaffScenario {
protected:
    // `key` on the first staff's handle; the untitled dialog it opens, the pointer
    // left where it was (the dialog takes the keys of its own accord).
    std::optional<ShownWindow> KeyOnHandle(std::string_view key, int staff = 1) {
        HoverStaffHandle(staff);
        x_.PressKey(key);
        std::optional<ShownWindow> dialog = WaitForUntitledDialog();
        if (!dialog) WritePng(Screen(), TestOutputFolder() / "staff_key_no_dialog_desktop.png");
        return dialog;
    }
    // Text typed into the untitled dialog, then `last`; true once it is gone.
    bool Answer(const ShownWindow& dialog, int tabs, std::string_view text, std::string_view last) {
        x_.PointAt(dialog);
        for (int i = 0; i < tabs; ++i) x_.PressKey("Tab");
        if (!text.empty()) {
            x_.PressKey("ctrl+a");
            x_.TypeText(text);
        }
        x_.PressKey(last);
        return WaitUntilUntitledDialogGone();
    }
    std::optional<SavedStaff> SaveAndRead(std::string_view name) {
        const fs::path path = home_->Documents() / name;
        fs::create_directories(path.parent_path());
        if (!SaveScoreAs(path)) {
            ADD_FAILURE() << "Save As did not write " << path;
            return std::nullopt;
        }
        if (!RefindPage()) ADD_FAILURE() << "no staves after the save";
        return ReadFirstSavedStaff(path, 1);
    }
};

// C opens the channel dialog with its left edge at the pointer and the pointer's
// row across its middle; Escape keeps channel 1; after Save As, C on the same
// handle opens it again, and 17 typed and OK is held to 16.
TEST_F(StaffKeyScenario, CSetsTheChannelThroughItsDialog) {
    ASSERT_TRUE(OpenScore("1"));
    std::optional<ShownWindow> dialog = KeyOnHandle("c");
    ASSERT_TRUE(dialog) << "C showed no channel dialog";
    EXPECT_LE(std::abs(dialog->x - SystemLeft()), kPointerTolerance) << "the dialog's left edge is not at the pointer";
    EXPECT_LE(std::abs(dialog->y + dialog->height / 2 - HandleRow(1)), kPointerTolerance)
        << "the dialog is not centred on the pointer's row: rows " << dialog->y << ".."
        << dialog->y + dialog->height << ", the pointer's " << HandleRow(1);
    WritePng(Screen(), TestOutputFolder() / "staff_channel_desktop.png");
    ASSERT_TRUE(Answer(*dialog, 0, "9", "Escape"));
    std::optional<SavedStaff> staff = SaveAndRead("channel_cancel.qvl");
    ASSERT_TRUE(staff);
    EXPECT_EQ(staff->channel, 0) << "Escape changed the channel";

    dialog = KeyOnHandle("c");
    ASSERT_TRUE(dialog) << "C after Save As showed no channel dialog";
    ASSERT_TRUE(Answer(*dialog, 0, "17", "Return"));
    staff = SaveAndRead("channel_17.qvl");
    ASSERT_TRUE(staff);
    EXPECT_EQ(staff->channel, 15) << "17 was not held to channel 16";

    EXPECT_EQ(Quit(), 0);
}

// P opens the patch dialog: Escape keeps the patch; 41 typed and OK saves patch 41
// (40 counted from 0).
TEST_F(StaffKeyScenario, PSetsThePatchThroughItsDialog) {
    ASSERT_TRUE(OpenScore("1"));
    std::optional<ShownWindow> dialog = KeyOnHandle("p");
    ASSERT_TRUE(dialog) << "P showed no patch dialog";
    ASSERT_TRUE(Answer(*dialog, kToPatchNumber, "41", "Escape"));
    std::optional<SavedStaff> staff = SaveAndRead("patch_cancel.qvl");
    ASSERT_TRUE(staff);
    const uint8_t patch = staff->patch;
    EXPECT_NE(patch, 40);

    dialog = KeyOnHandle("p");
    ASSERT_TRUE(dialog) << "P showed no patch dialog";
    ASSERT_TRUE(Answer(*dialog, kToPatchNumber, "41", "Return"));
    staff = SaveAndRead("patch_41.qvl");
    ASSERT_TRUE(staff);
    EXPECT_EQ(staff->patch, 40) << "the staff's patch was not set (it was " << int{patch} << ")";
    EXPECT_EQ(Quit(), 0);
}

// With the mixer shown, M on the staff's handle checks its mute button (the mixer's
// picture changes) and M again unchecks it; S does the same with solo.
TEST_F(StaffKeyScenario, MAndSToggleMuteAndSoloInTheMixer) {
    ASSERT_TRUE(OpenScore("1"));
    ChooseMenuItem('m', 'x');
    const std::optional<ShownWindow> mixer = x_.WaitForWindow("Mixer");
    ASSERT_TRUE(mixer) << "no Mixer window came";
    const auto mixerPicture = [&] { return SettledPicture(x_, [&] { return x_.Grab(*mixer); }, kRedrawTimeout); };
    const ScreenPicture plain = mixerPicture();
    for (std::string_view key : {"m", "s"}) {
        HoverStaffHandle(1);
        x_.PressKey(key);
        ScreenPicture toggled;
        EXPECT_TRUE(WaitFor([&] { return DifferentPixels(toggled = x_.Grab(*mixer), plain) > 0; }, kRedrawTimeout))
            << key << " did not change the mixer";
        WritePng(toggled, TestOutputFolder() / (std::string("staff_key_") + std::string(key) + "_mixer_desktop.png"));
        HoverStaffHandle(1);
        x_.PressKey(key);
        EXPECT_TRUE(WaitFor([&] { return DifferentPixels(x_.Grab(*mixer), plain) == 0; }, kRedrawTimeout))
            << key << " again did not give the mixer back";
    }
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// A barline of the first system dragged to the right widens its measure; W on the
// staff's handle then gives the system's measures their default widths: the
// barlines stand where they stood before the drag.
TEST_F(StaffKeyScenario, WResetsTheMeasureWidthsOfTheSystem) {
    ASSERT_TRUE(OpenScore("1"));
    const std::vector<Bar> bars = Bars(before_);
    ASSERT_GE(bars.size(), 3u) << "too few barlines in the staff";
    // The Pointer tool drags the second barline to the right.
    const std::optional<ShownWindow> main = x_.WindowTitled("Main");
    ASSERT_TRUE(main) << "no Main palette";
    x_.Click(main->x + 1 + kPointerOnMain * kPaletteButton + kPaletteButton / 2, main->y + 1 + kPaletteButton / 2);
    x_.Settle(Millis{500});
    const int y = (lines_[1] + lines_[2]) / 2;
    const int x = bars[1].Middle();
    x_.MovePointer(x - 30, y);
    x_.Settle(Millis{300});
    x_.MovePointer(x, y);
    x_.Settle(Millis{300});
    x_.Drag(x, y, x + kBarDrag, y);
    x_.MovePointer(left_ + 20, lines_[4] + 30);  // away: the release committed the drag
    x_.Settle(Millis{300});
    x_.Click(left_ + 20, lines_[4] + 60);
    std::vector<Bar> dragged;
    ASSERT_TRUE(WaitFor(
        [&] {
            dragged = SettledBars();
            return dragged.size() >= 3u && dragged[1].Middle() - bars[1].Middle() > kBarDrag / 2;
        },
        kRedrawTimeout))
        << "the barline did not move";
    ASSERT_TRUE(PressStaffToolsButton(x_, kEditStaffButton)) << "no Staff Tools palette";
    HoverStaffHandle(1);
    x_.PressKey("w");
    const auto asBefore = [&](const std::vector<Bar>& now) {
        if (now.size() != bars.size()) return false;
        for (size_t i = 0; i < bars.size(); ++i)
            if (std::abs(now[i].Middle() - bars[i].Middle()) > kMoveTolerance) return false;
        return true;
    };
    std::vector<Bar> reset;
    EXPECT_TRUE(WaitFor([&] { return asBefore(reset = Bars(Screen())); }, kRedrawTimeout))
        << "W did not put the barlines back: the second stands at " << (reset.size() > 1 ? reset[1].Middle() : -1)
        << ", was " << bars[1].Middle();
    WritePng(Screen(), TestOutputFolder() / "staff_widths_desktop.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
