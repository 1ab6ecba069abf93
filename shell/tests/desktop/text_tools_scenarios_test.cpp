// The text tools on the desktop. A text box: the Text & Symbols palette's "Text Box",
// a click below the staff opens the "Text Box" dialog, the typed words show at the
// click after OK; dragged by its inside the box moves with the pointer, and dragged
// by its bottom-right corner to half its width it wraps its words onto two lines. A
// staff label: Staff Tools' "Staff Label", a click on the staff's first measure
// opens the "Staff Label" dialog holding the staff's name; with a name typed into it
// the label shows left of the staff after OK, and a second label on the staff is
// refused; a click with the Pointer tool chooses the label and Delete removes it. A
// rehearsal mark: "Rehearsal Mark", a click above the staff and letters typed stand
// framed there after Enter. Pictures are written for the eye.
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

#include "shell/tests/desktop/music_beside_palettes.h"
#include "shell/tests/desktop/staff_tools_palette.h"

namespace ql::desktop {
namespace {

constexpr int kTextSymbolsOnMain = 3;
constexpr int kPointerOnMain = 5;
constexpr int kTextBoxButton = 1;  // first row of the five-column Text & Symbols palette
constexpr int kRehearsalMarkButton = 3;
constexpr int kLeastTextInk = 60;
constexpr int kDragSteps = 10;
constexpr int kSlack = 4;  // pixels a moved picture may differ by at its edges

class TextToolsScenario : public MusicBesidePalettes {
  protected:
    // The program on a new one-staff score, the palettes right of the first systems;
    // false (a failure recorded) when a step did not happen.
    bool StartOnNewScore() {
        WriteSettings("[ToolbarSettings]\nAlphaTool=1100,420,5,2\nStaffTool=1100,250,3,3\nNTool=1100,600,4,4\n");
        main_ = NewScoreWithMain();
        return main_.has_value();
    }
    // Arms button `index` of the Text & Symbols palette.
    bool ArmTextTool(int index) {
        const auto [mx, my] = RowButton(*main_, kTextSymbolsOnMain);
        x_.Click(mx, my);
        const std::optional<ShownWindow> palette = x_.WaitForWindow("Text & Symbols");
        if (!palette) {
            ADD_FAILURE() << "Text & Symbols did not open its palette";
            return false;
        }
        x_.Settle(Millis{500});
        const auto [bx, by] = RowButton(*palette, index);
        x_.Click(bx, by);
        x_.Settle(Millis{500});
        ParkPointer(*main_);
        return true;
    }
    // The Pointer tool from the Main palette, then a click on empty paper: whatever
    // was made or chosen is let go and drawn in ink.
    void LetGo() {
        const auto [px, py] = RowButton(*main_, kPointerOnMain);
        x_.Click(px, py);
        x_.Settle(Millis{500});
        ClickEmptyPaper();
    }
    // A click with the pointer there first: it chooses what is under the pointer (its
    // handles come), or the armed tool makes its object there.
    void Choose(int x, int y) {
        x_.MovePointer(x, y);
        x_.Settle(Millis{300});
        x_.Click(x, y);
        x_.Settle(Millis{600});
    }
    // A click on empty paper below the music lets the chosen object go.
    void ClickEmptyPaper() {
        x_.Click(MusicLeft() + 40, x_.ScreenHeight() - 160);
        x_.Settle(Millis{600});
        ParkPointer(*main_);
    }
    // Clicks (x, y) with the armed tool, presses `editKeys` and types `text` in the
    // text of the dialog titled `title` that opens (a text box's or a label's), and
    // OK: Return in its text starts a new line, so Tab goes on to the next control
    // first. Then the new object is let go. False (a failure recorded) when the
    // dialog did not come or go.
    bool PlaceThroughDialog(int x, int y, std::string_view title, std::string_view text,
                            std::initializer_list<std::string_view> editKeys = {}) {
        Choose(x, y);
        const std::optional<ShownWindow> dialog = x_.WaitForWindow(title);
        if (!dialog) {
            ADD_FAILURE() << "the click showed no " << title << " dialog";
            return false;
        }
        x_.PointAt(*dialog);
        x_.Settle(Millis{800});
        for (std::string_view key : editKeys) x_.PressKey(key);
        x_.TypeText(text);
        x_.PressKey("Tab");
        x_.Settle(Millis{300});
        x_.PressKey("Return");
        if (!x_.WaitUntilGone(title)) {
            ADD_FAILURE() << "OK did not close the " << title << " dialog";
            return false;
        }
        LetGo();
        return true;
    }

    // A drag from one point to the other, then a click on empty paper; the screen
    // after it (also written to `picture`). No box may come up.
    ScreenPicture DragAndLetGo(int x0, int y0, int x1, int y1, const char* picture) {
        x_.Drag(x0, y0, x1, y1, kDragSteps);
        x_.Settle(Millis{600});
        ClickEmptyPaper();
        const ScreenPicture after = SettledScreen();
        WritePng(after, TestOutputFolder() / picture);
        EXPECT_FALSE(WaitForMessageBox(Millis{500})) << "an error box came up during the drag";
        return after;
    }
    // The screen with the staff lines beside the palettes and their spacing, once the
    // tools are armed; false (a failure recorded) without a staff.
    bool SeeStaff() {
        before_ = SettledScreen();
        lines_ = StaffLinesBesidePalettes(before_);
        if (lines_.size() < 5u) {
            ADD_FAILURE() << "no staff lines beside the palettes";
            return false;
        }
        gap_ = lines_[1] - lines_[0];
        staffLeft_ = MusicLeft();
        while (staffLeft_ > 0 && IsDark(before_.At(staffLeft_ - 1, lines_[0]))) --staffLeft_;
        return true;
    }
    // What came between two pictures at the staff's left, where its label stands.
    InkBox InkAtStaffLeft(const ScreenPicture& from, const ScreenPicture& to) const {
        return NewInkBox(from, to, 0, lines_[0] - 4 * gap_, staffLeft_ + 16 * gap_, lines_[4] + 4 * gap_);
    }

    std::optional<ShownWindow> main_;
    ScreenPicture before_;
    std::vector<int> lines_;
    int gap_ = 0;
    int staffLeft_ = 0;  // the first column of the staff's top line
};

TEST_F(TextToolsScenario, ATextBoxIsTypedMovedByItsInsideAndResizedByItsCorner) {
    ASSERT_TRUE(StartOnNewScore() && ArmTextTool(kTextBoxButton) && SeeStaff());
    const int x = MusicLeft() + (MusicRight() - MusicLeft()) / 4;
    const int y = lines_[4] + 4 * gap_;
    ASSERT_TRUE(PlaceThroughDialog(x, y, "Text Box", "Tutti divisi"));
    const ScreenPicture placed = SettledScreen();
    WritePng(placed, TestOutputFolder() / "text_box_placed_desktop.png");
    // The box's top-left corner is at the click; its words run right from there.
    const auto inkAround = [&](const ScreenPicture& p, int left, int top) {
        return NewInkBox(before_, p, left - 2 * gap_, top - 2 * gap_, MusicRight(), top + 8 * gap_);
    };
    const InkBox ink = inkAround(placed, x, y);
    ASSERT_GT(ink.count, kLeastTextInk) << "no text showed at the click";
    EXPECT_NEAR(ink.left, x, 2 * gap_) << "the text does not start at the click";
    EXPECT_GE(ink.top, y - gap_) << "the text stands above the click";
    const int width = ink.right - ink.left;
    const int height = ink.bottom - ink.top;

    // Dragged by its inside, the box goes where the pointer goes.
    const int dx = 5 * gap_;
    const int dy = 3 * gap_;
    const int insideX = ink.left + width / 4;
    const int insideY = ink.top + height / 2;
    Choose(insideX, insideY);
    const ScreenPicture moved = DragAndLetGo(insideX, insideY, insideX + dx, insideY + dy, "text_box_moved_desktop.png");
    const InkBox movedInk = inkAround(moved, x, y);
    ASSERT_GT(movedInk.count, ink.count / 2) << "the box is gone after the drag";
    EXPECT_NEAR(movedInk.left, ink.left + dx, kSlack) << "the box did not follow the pointer across";
    EXPECT_NEAR(movedInk.top, ink.top + dy, kSlack) << "the box did not follow the pointer down";
    EXPECT_NEAR(movedInk.right - movedInk.left, width, kSlack) << "moving changed the box's width";
    EXPECT_EQ(moved.DarkPixels(ink.left, ink.top, ink.left + width / 2, ink.top + dy - 1), 0)
        << "the box's old picture stayed";

    // Chosen, the box shows its handles; the one right of its words is the corner.
    Choose(movedInk.left + width / 4, movedInk.top + height / 2);
    const ScreenPicture chosen = SettledScreen();
    WritePng(chosen, TestOutputFolder() / "text_box_chosen_desktop.png");
    // The chosen look: the box's outline with the handles' squares on it; the corner's
    // square reaches furthest right and down, past the box itself.
    const InkBox outline = ChangedBox(moved, chosen, movedInk.left - 2 * gap_, movedInk.top - 2 * gap_,
                                      movedInk.right + 4 * gap_, movedInk.bottom + 4 * gap_);
    ASSERT_GT(outline.right, movedInk.right) << "no handles came on the chosen box";
    const int cornerX = outline.right - 1;
    const int cornerY = outline.bottom - 1;
    // Half as wide and three lines taller: the words go onto two lines.
    const int newCornerX = movedInk.left + width * 6 / 10;
    const int newCornerY = cornerY + 3 * height;
    x_.MovePointer(cornerX, cornerY);
    x_.Settle(Millis{300});
    const ScreenPicture resized = DragAndLetGo(cornerX, cornerY, newCornerX, newCornerY, "text_box_resized_desktop.png");
    const InkBox resizedInk = inkAround(resized, x, y);
    ASSERT_GT(resizedInk.count, ink.count / 2) << "the box is gone after the resize";
    EXPECT_NEAR(resizedInk.left, movedInk.left, kSlack) << "resizing moved the box";
    EXPECT_NEAR(resizedInk.top, movedInk.top, kSlack) << "resizing moved the box";
    EXPECT_LT(resizedInk.right - resizedInk.left, width * 3 / 4) << "the words were not wrapped narrower";
    EXPECT_GT(resizedInk.bottom - resizedInk.top, height * 3 / 2) << "the words were not wrapped onto two lines";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

TEST_F(TextToolsScenario, AStaffLabelIsTypedAtItsStaffAndTheStaffTakesNoSecond) {
    ASSERT_TRUE(StartOnNewScore());
    ASSERT_TRUE(PressStaffToolsButton(x_, kStaffLabelButton)) << "no Staff Tools palette";
    ParkPointer(*main_);
    ASSERT_TRUE(SeeStaff());
    const int x = staffLeft_ + 8 * gap_;
    // The dialog shows the staff's own name, "Staff:1": its ":1" taken off from the
    // end, its "S" from the start, and words typed in front make "Flute staff".
    ASSERT_TRUE(PlaceThroughDialog(x, lines_[2], "Staff Label", "Flute s",
                                   {"ctrl+End", "BackSpace", "BackSpace", "Home", "Delete"}));
    const ScreenPicture labelled = SettledScreen();
    WritePng(labelled, TestOutputFolder() / "staff_label_placed_desktop.png");
    // Left of the system: it starts left of the staff's left end.
    const InkBox label = InkAtStaffLeft(before_, labelled);
    ASSERT_GT(label.count, kLeastTextInk) << "no label showed at the staff's left";
    EXPECT_LT(label.left, staffLeft_) << "the label does not stand left of the staff";
    const std::filesystem::path saved = home_->Documents() / "label.ql";
    ASSERT_TRUE(SaveScoreAs(saved));
    EXPECT_NE(ReadFileBytes(saved).find("Flute staff"), std::string::npos) << "the label's text is not as edited";

    // A second label on the same staff is refused (a notice on the status bar): no
    // dialog, and nothing changes.
    ASSERT_TRUE(PressStaffToolsButton(x_, kStaffLabelButton)) << "no Staff Tools palette";
    ParkPointer(*main_);
    Choose(x, lines_[2]);
    x_.Settle(Millis{900});
    EXPECT_FALSE(x_.WindowTitledNow("Staff Label")) << "the dialog opened for a second label";
    EXPECT_FALSE(FindMessageBox()) << "a box came up for a second label";
    LetGo();
    EXPECT_EQ(InkAtStaffLeft(labelled, SettledScreen()).count, 0) << "the refused label changed the staff";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// A label is chosen by a click with the Pointer tool and Delete takes it away: the
// staff's left shows nothing of it and the saved score has no label.
TEST_F(TextToolsScenario, AStaffLabelIsChosenByAClickAndDeleteRemovesIt) {
    ASSERT_TRUE(StartOnNewScore());
    ASSERT_TRUE(PressStaffToolsButton(x_, kStaffLabelButton)) << "no Staff Tools palette";
    ParkPointer(*main_);
    ASSERT_TRUE(SeeStaff());
    ASSERT_TRUE(PlaceThroughDialog(staffLeft_ + 8 * gap_, lines_[2], "Staff Label", "Oboe", {"ctrl+a"}));
    const InkBox label = InkAtStaffLeft(before_, SettledScreen());
    ASSERT_GT(label.count, kLeastTextInk) << "no label showed at the staff's left";

    // The Pointer tool is armed (the dialog's object was let go with it): a click on
    // the label's words chooses it, and Delete takes it away.
    Choose((label.left + label.right) / 2, (label.top + label.bottom) / 2);
    WritePng(SettledScreen(), TestOutputFolder() / "staff_label_chosen_desktop.png");
    x_.PressKey("Delete");
    x_.Settle(Millis{800});
    ClickEmptyPaper();
    const ScreenPicture after = SettledScreen();
    WritePng(after, TestOutputFolder() / "staff_label_deleted_desktop.png");
    EXPECT_FALSE(FindMessageBox()) << "a box came up for the Delete";
    EXPECT_LT(InkAtStaffLeft(before_, after).count, label.count / 10) << "the label still shows after Delete";
    const std::filesystem::path saved = home_->Documents() / "unlabelled.ql";
    ASSERT_TRUE(SaveScoreAs(saved));
    EXPECT_EQ(ReadFileBytes(saved).find("Oboe"), std::string::npos) << "the saved score keeps the label";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

TEST_F(TextToolsScenario, ARehearsalMarkStandsFramedAtTheClick) {
    ASSERT_TRUE(StartOnNewScore() && ArmTextTool(kRehearsalMarkButton) && SeeStaff());
    const int x = MusicLeft() + (MusicRight() - MusicLeft()) / 3;
    const int y = lines_[0] - 4 * gap_;
    Choose(x, y);  // the entry window opens there
    x_.Settle(Millis{600});
    x_.TypeText("AB");
    x_.Settle(Millis{600});
    x_.PressKey("Return");
    x_.Settle(Millis{1200});
    LetGo();
    const ScreenPicture marked = SettledScreen();
    WritePng(marked, TestOutputFolder() / "rehearsal_mark_desktop.png");
    const InkBox mark = NewInkBox(before_, marked, x - 8 * gap_, y - 8 * gap_, x + 8 * gap_, lines_[0] - 2);
    ASSERT_GT(mark.count, kLeastTextInk / 2) << "no rehearsal mark at the click";
    EXPECT_NEAR((mark.left + mark.right) / 2, x, 3 * gap_) << "the mark is not at the click";
    // The frame (a thin line, drawn grey between pixels): the sides of what changed
    // run down most of its height, where the letters' own strokes are slanted or round.
    const InkBox framed = ChangedBox(before_, marked, mark.left - 2 * gap_, mark.top - 2 * gap_, mark.right + 2 * gap_,
                                     mark.bottom + 2 * gap_);
    const int height = framed.bottom - framed.top + 1;
    const auto changedDown = [&](int column) {
        return ChangedPixels(before_, marked, column, framed.top, column + 1, framed.bottom + 1);
    };
    EXPECT_GT(changedDown(framed.left) * 10, height * 7) << "the mark has no frame's left side";
    EXPECT_GT(changedDown(framed.right) * 10, height * 7) << "the mark has no frame's right side";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
