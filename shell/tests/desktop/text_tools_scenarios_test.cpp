// The text tools on the desktop. A text box: the Text & Symbols palette's "Text Box",
// a click below the staff opens the "Text Box" dialog, the typed words show at the
// click after OK; dragged by its inside the box moves with the pointer, and dragged
// by its bottom-right corner to half its width it wraps its words onto two lines. A
// staff label: Staff Tools' "Staff Label", a click on the staff's first measure
// opens the "Staff Label" dialog holding the staff's name; with a name typed into it
// the label shows left of the staff after OK, the first system standing in from the
// margin to make room for it (its clef and signature moving with its lines), and a
// second label on the staff is refused; a click with the Pointer tool chooses the
// label and Delete removes it, the system back at the margin. A
// rehearsal mark: "Rehearsal Mark", a click above the staff and
// letters typed stand framed there after Enter. Lyrics: "Lyric", a click on the first
// of three notes and syllables typed with Space between them stand one under each
// note on the verse line, stay there when one is chosen and let go, and when the
// score is saved and opened again. A text line typed after "Title" was chosen with
// Text > Select Textline Font is drawn that much larger than one typed before, both
// on the click's row, and both read back the same.
// Pictures are written for the eye.
#include <algorithm>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "shell/tests/desktop/note_key_scene.h"
#include "shell/tests/desktop/staff_tools_palette.h"

namespace ql::desktop {
namespace {

constexpr int kTextSymbolsOnMain = 3;
constexpr int kPointerOnMain = 5;
constexpr int kTextLineButton = 0;
constexpr int kTextBoxButton = 1;  // first row of the five-column Text & Symbols palette
constexpr int kLyricButton = 2;
constexpr int kRehearsalMarkButton = 3;
constexpr int kLeastTextInk = 60;
constexpr int kLeastSyllableInk = 20;
constexpr char kTempoWord[] = "Allegro";
// The "Select Font" dialog: its quick-font list (from the dialog's corner), its OK
// button, and the list's steps from "Tempo", the text lines' font, to "Title".
constexpr int kQuickFontsComboX = 100;
constexpr int kQuickFontsComboY = 56;
constexpr int kOkX = 423;
constexpr int kOkY = 26;
constexpr int kTempoToTitle = 5;
constexpr int kDragSteps = 10;
constexpr int kSlack = 4;  // pixels a moved picture may differ by at its edges

class TextToolsScenario : public NoteKeyScene {
  protected:
    // The program on a new one-staff score, the palettes right of the first systems;
    // false (a failure recorded) when a step did not happen.
    bool StartOnNewScore() {
        WriteSettings("[ToolbarSettings]\nAlphaTool=1100,420,5,2\nStaffTool=1100,250,3,3\nNTool=1100,600,4,4\n");
        const std::optional<ShownWindow> main = NewScoreWithMain();
        if (main) main_ = *main;
        return main.has_value();
    }
    // Arms button `index` of the Text & Symbols palette.
    bool ArmTextTool(int index) {
        const auto [mx, my] = RowButton(main_, kTextSymbolsOnMain);
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
        ParkPointer(main_);
        return true;
    }
    // The Pointer tool from the Main palette, then a click on empty paper: whatever
    // was made or chosen is let go and drawn in ink.
    void LetGo() {
        const auto [px, py] = RowButton(main_, kPointerOnMain);
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
        ParkPointer(main_);
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
    // Types the syllables into the lyric entry windows: the first one comes up for the
    // click made after `before`, each syllable's Space brings the next one, and the last
    // syllable is closed with Enter. False (a failure recorded) when a window did not
    // come or go.
    bool TypeSyllables(std::set<unsigned long> before, std::initializer_list<std::string_view> syllables) {
        unsigned long last = 0;
        for (std::string_view syllable : syllables) {
            const std::optional<ShownWindow> entry = WindowCameSince(before);
            if (!entry) {
                ADD_FAILURE() << "no entry window for \"" << syllable << "\"";
                return false;
            }
            before.insert(entry->id);
            last = entry->id;
            x_.PointAt(*entry);
            x_.TypeText(syllable);
            x_.Settle(Millis{600});
        }
        x_.PressKey("Return");
        const bool gone = WaitFor([&] { return !ShownWindowIds().count(last); });
        if (!gone) ADD_FAILURE() << "Enter did not close the last entry window";
        x_.Settle(Millis{600});
        return gone;
    }
    // Clicks (x, y) with the Text Line tool armed, types the text into the entry window
    // that opens and closes it with Enter; the new line, still held, is put down by a
    // click at (x, y) and let go. False (a failure recorded) when the window did not
    // come or go.
    bool PlaceTextLine(int x, int y, std::string_view text) {
        const std::set<unsigned long> before = ShownWindowIds();
        Choose(x, y);
        const std::optional<ShownWindow> entry = WindowCameSince(before);
        if (!entry) {
            ADD_FAILURE() << "no entry window at the click";
            return false;
        }
        x_.PointAt(*entry);
        x_.TypeText(text);
        x_.Settle(Millis{600});
        x_.PressKey("Return");
        const bool gone = WaitFor([&] { return !ShownWindowIds().count(entry->id); });
        if (!gone) ADD_FAILURE() << "Enter did not close the entry window";
        x_.Settle(Millis{600});
        Choose(x, y);
        LetGo();
        return gone;
    }
    // The row below the bottom of the first letter's ink (its left eighth): the
    // baseline of a word that starts with a capital.
    static int BaselineOf(const ScreenPicture& picture, const InkBox& word) {
        int bottom = word.top;
        const int right = word.left + std::max(1, (word.right - word.left) / 8);
        for (int y = word.top; y <= word.bottom; ++y)
            if (picture.DarkPixels(word.left, y, right, y + 1) > 0) bottom = y;
        return bottom + 1;
    }
    // Saves the score as `name`, quits, and starts the program on the file: `shown` is
    // the screen once it has settled. False (a failure recorded) when a step failed.
    bool SaveAndReopen(const char* name, ScreenPicture& shown) {
        const std::filesystem::path saved = home_->Documents() / name;
        if (!SaveScoreAs(saved) || Quit() != 0 || !StartProgram({saved.string()}) || !x_.WaitForWindow(name) ||
            !WaitFor([&] { return Titled("Main").has_value(); })) {
            ADD_FAILURE() << "the score was not saved and opened again as " << name;
            return false;
        }
        ParkPointer(*Titled("Main"));
        shown = SettledScreen();
        return true;
    }
    // The first verse line of a new score: two and a half spaces below the staff.
    int VerseLine() const { return lines_[4] + (5 * space_ + 1) / 2; }
    // The new ink below the staff under each head, up to halfway to its neighbours.
    std::vector<InkBox> WordsUnder(const ScreenPicture& before, const ScreenPicture& after,
                                   const std::vector<Columns>& heads) const {
        std::vector<InkBox> words;
        for (size_t i = 0; i < heads.size(); ++i) {
            const int from = i > 0 ? (heads[i - 1].Middle() + heads[i].Middle()) / 2 : heads[i].left - 4 * space_;
            const int to = i + 1 < heads.size() ? (heads[i].Middle() + heads[i + 1].Middle()) / 2 : heads[i].right + 4 * space_;
            words.push_back(NewInkBox(before, after, from, lines_[4] + 2, to, lines_[4] + 6 * space_));
        }
        return words;
    }
    // The screen with the staff lines beside the palettes and their spacing, once the
    // tools are armed; false (a failure recorded) without a staff.
    bool SeeStaff() {
        empty_ = SettledScreen();
        lines_ = StaffLinesBesidePalettes(empty_);
        if (lines_.size() < 5u) {
            ADD_FAILURE() << "no staff lines beside the palettes";
            return false;
        }
        space_ = lines_[1] - lines_[0];
        left_ = MusicLeft();
        right_ = MusicRight();
        // The staff's left end: the first column of its top line.
        staffLeft_ = left_;
        while (staffLeft_ > 0 && IsDark(empty_.At(staffLeft_ - 1, lines_[0]))) --staffLeft_;
        return true;
    }
    // What came between two pictures at the staff's left, where its label stands;
    // up to `right` (the staff's left end in the later picture, when the first system
    // stands in from the margin by the label) or 16 spaces into the staff.
    InkBox InkAtStaffLeft(const ScreenPicture& from, const ScreenPicture& to, int right = 0) const {
        return NewInkBox(from, to, 0, lines_[0] - 4 * space_, right > 0 ? right : staffLeft_ + 16 * space_,
                         lines_[4] + 4 * space_);
    }
    // The staff's left end in a picture: the first column of its top line, walked to
    // from inside the staff.
    int StaffLeftIn(const ScreenPicture& picture) const {
        int x = (staffLeft_ + right_) / 2;
        while (x > 0 && IsDark(picture.At(x - 1, lines_[0]))) --x;
        return x;
    }
    // The ink of the new score's staff start (clef and time signature) missing from
    // `picture` at the staff's left end `at` there, a column either way let be: none
    // when they moved with the staff lines.
    int StartMissingFrom(const ScreenPicture& picture, int at) const {
        int missing = 0;
        for (int y = lines_[0] - 3 * space_; y < lines_[4] + 3 * space_; ++y)
            for (int x = 0; x < 6 * space_; ++x)
                if (IsDark(empty_.At(staffLeft_ + x, y)) && !IsDark(picture.At(at + x - 1, y)) &&
                    !IsDark(picture.At(at + x, y)) && !IsDark(picture.At(at + x + 1, y)))
                    ++missing;
        return missing;
    }

    int staffLeft_ = 0;
};

TEST_F(TextToolsScenario, ATextBoxIsTypedMovedByItsInsideAndResizedByItsCorner) {
    ASSERT_TRUE(StartOnNewScore() && ArmTextTool(kTextBoxButton) && SeeStaff());
    const int x = MusicLeft() + (MusicRight() - MusicLeft()) / 4;
    const int y = lines_[4] + 4 * space_;
    ASSERT_TRUE(PlaceThroughDialog(x, y, "Text Box", "Tutti divisi"));
    const ScreenPicture placed = SettledScreen();
    WritePng(placed, TestOutputFolder() / "text_box_placed_desktop.png");
    // The box's top-left corner is at the click; its words run right from there.
    const auto inkAround = [&](const ScreenPicture& p, int left, int top) {
        return NewInkBox(empty_, p, left - 2 * space_, top - 2 * space_, MusicRight(), top + 8 * space_);
    };
    const InkBox ink = inkAround(placed, x, y);
    ASSERT_GT(ink.count, kLeastTextInk) << "no text showed at the click";
    EXPECT_NEAR(ink.left, x, 2 * space_) << "the text does not start at the click";
    EXPECT_GE(ink.top, y - space_) << "the text stands above the click";
    const int width = ink.right - ink.left;
    const int height = ink.bottom - ink.top;

    // Dragged by its inside, the box goes where the pointer goes.
    const int dx = 5 * space_;
    const int dy = 3 * space_;
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
    const InkBox outline = ChangedBox(moved, chosen, movedInk.left - 2 * space_, movedInk.top - 2 * space_,
                                      movedInk.right + 4 * space_, movedInk.bottom + 4 * space_);
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
    ParkPointer(main_);
    ASSERT_TRUE(SeeStaff());
    const int x = staffLeft_ + 8 * space_;
    // The dialog shows the staff's own name, "Staff:1": its ":1" taken off from the
    // end, its "S" from the start, and words typed in front make "Flute staff".
    ASSERT_TRUE(PlaceThroughDialog(x, lines_[2], "Staff Label", "Flute s",
                                   {"ctrl+End", "BackSpace", "BackSpace", "Home", "Delete"}));
    const ScreenPicture labelled = SettledScreen();
    WritePng(labelled, TestOutputFolder() / "staff_label_placed_desktop.png");
    // The first system stands in from the margin by the label, which shows in the room
    // left of it; the staff's clef and time signature moved with its lines.
    const int staffNow = StaffLeftIn(labelled);
    EXPECT_GT(staffNow, staffLeft_ + 4 * space_) << "the system did not make room for the label";
    const InkBox label = InkAtStaffLeft(empty_, labelled, staffNow);
    ASSERT_GT(label.count, kLeastTextInk) << "no label showed at the staff's left";
    EXPECT_LT(label.right, staffNow) << "the label does not stand left of the staff";
    EXPECT_LT(StartMissingFrom(labelled, staffNow), 2 * space_) << "the clef and signature stayed behind the staff";
    const std::filesystem::path saved = home_->Documents() / "label.ql";
    ASSERT_TRUE(SaveScoreAs(saved));
    EXPECT_NE(ReadFileBytes(saved).find("Flute staff"), std::string::npos) << "the label's text is not as edited";

    // A second label on the same staff is refused (a notice on the status bar): no
    // dialog, and nothing changes.
    ASSERT_TRUE(PressStaffToolsButton(x_, kStaffLabelButton)) << "no Staff Tools palette";
    ParkPointer(main_);
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
    ParkPointer(main_);
    ASSERT_TRUE(SeeStaff());
    ASSERT_TRUE(PlaceThroughDialog(staffLeft_ + 8 * space_, lines_[2], "Staff Label", "Oboe", {"ctrl+a"}));
    const ScreenPicture labelled = SettledScreen();
    const InkBox label = InkAtStaffLeft(empty_, labelled, StaffLeftIn(labelled));
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
    EXPECT_LT(InkAtStaffLeft(empty_, after).count, label.count / 10) << "the label still shows after Delete";
    EXPECT_EQ(StaffLeftIn(after), staffLeft_) << "the system kept the label's room";
    const std::filesystem::path saved = home_->Documents() / "unlabelled.ql";
    ASSERT_TRUE(SaveScoreAs(saved));
    EXPECT_EQ(ReadFileBytes(saved).find("Oboe"), std::string::npos) << "the saved score keeps the label";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

TEST_F(TextToolsScenario, ARehearsalMarkStandsFramedAtTheClick) {
    ASSERT_TRUE(StartOnNewScore() && ArmTextTool(kRehearsalMarkButton) && SeeStaff());
    const int x = MusicLeft() + (MusicRight() - MusicLeft()) / 3;
    const int y = lines_[0] - 4 * space_;
    Choose(x, y);  // the entry window opens there
    x_.Settle(Millis{600});
    x_.TypeText("AB");
    x_.Settle(Millis{600});
    x_.PressKey("Return");
    x_.Settle(Millis{1200});
    LetGo();
    const ScreenPicture marked = SettledScreen();
    WritePng(marked, TestOutputFolder() / "rehearsal_mark_desktop.png");
    const InkBox mark = NewInkBox(empty_, marked, x - 8 * space_, y - 8 * space_, x + 8 * space_, lines_[0] - 2);
    ASSERT_GT(mark.count, kLeastTextInk / 2) << "no rehearsal mark at the click";
    EXPECT_NEAR((mark.left + mark.right) / 2, x, 3 * space_) << "the mark is not at the click";
    // The frame (a thin line, drawn grey between pixels): the sides of what changed
    // run down most of its height, where the letters' own strokes are slanted or round.
    const InkBox framed = ChangedBox(empty_, marked, mark.left - 2 * space_, mark.top - 2 * space_, mark.right + 2 * space_,
                                     mark.bottom + 2 * space_);
    const int height = framed.bottom - framed.top + 1;
    const auto changedDown = [&](int column) {
        return ChangedPixels(empty_, marked, column, framed.top, column + 1, framed.bottom + 1);
    };
    EXPECT_GT(changedDown(framed.left) * 10, height * 7) << "the mark has no frame's left side";
    EXPECT_GT(changedDown(framed.right) * 10, height * 7) << "the mark has no frame's right side";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}


TEST_F(TextToolsScenario, LyricsTypedFromNoteToNoteStandOnTheVerseLineUnderTheirNotes) {
    ASSERT_TRUE(StartOnNewScore());
    const auto [nx, ny] = RowButton(main_, kNotesOnMain);
    x_.Click(nx, ny);
    x_.Settle(Millis{500});
    ParkPointer(main_);
    ASSERT_TRUE(SeeStaff());
    // Three eighths six spaces apart in the bottom space (stems up, away from the
    // words): the third lands at the start of the second measure.
    const int row = (lines_[3] + lines_[4]) / 2;
    for (int i = 0; i < 3; ++i) EnterAt(left_ + (right_ - left_) / 5 + i * 6 * space_, row);
    PointerAside();
    const std::vector<Columns> heads = HeadsNow(row);
    ASSERT_EQ(heads.size(), 3u) << "the clicks did not enter three notes";
    const ScreenPicture notes = SettledScreen();

    ASSERT_TRUE(ArmTextTool(kLyricButton));
    const std::set<unsigned long> before = ShownWindowIds();
    Choose(heads[0].Middle(), row);
    ASSERT_TRUE(TypeSyllables(before, {"la ", "le ", "li"}));
    LetGo();
    const ScreenPicture typed = SettledScreen();
    WritePng(typed, TestOutputFolder() / "lyrics_typed_desktop.png");
    const std::vector<InkBox> words = WordsUnder(notes, typed, heads);
    for (size_t i = 0; i < words.size(); ++i) {
        const InkBox& word = words[i];
        ASSERT_GT(word.count, kLeastSyllableInk) << "no syllable under note " << i + 1;
        // Centred under the head, on the verse line: the words have no descenders, so
        // their ink ends on the line.
        EXPECT_NEAR((word.left + word.right) / 2, heads[i].Middle(), space_) << "syllable " << i + 1;
        EXPECT_NEAR(word.bottom + 1, VerseLine(), 1) << "syllable " << i + 1 << " is off its verse line";
    }

    // Chosen by a click and let go of, a syllable stays on its line.
    const InkBox& middle = words[1];
    Choose((middle.left + middle.right) / 2, (middle.top + middle.bottom) / 2);
    ClickEmptyPaper();
    const ScreenPicture letGo = SettledScreen();
    WritePng(letGo, TestOutputFolder() / "lyric_let_go_desktop.png");
    EXPECT_EQ(ChangedPixels(typed, letGo, middle.left - space_, middle.top - 2 * space_, middle.right + space_,
                            middle.bottom + space_),
              0)
        << "the syllable moved when it was chosen and let go";

    // Saved and opened again, the words stand where they were typed, pixel for pixel.
    ScreenPicture reopened;
    ASSERT_TRUE(SaveAndReopen("lyrics.ql", reopened));
    WritePng(reopened, TestOutputFolder() / "lyrics_reopened_desktop.png");
    const std::vector<InkBox> read = WordsUnder(notes, reopened, heads);
    for (size_t i = 0; i < words.size(); ++i) {
        EXPECT_EQ(read[i].count, words[i].count) << "syllable " << i + 1 << " reads back otherwise";
        EXPECT_EQ(read[i].left, words[i].left) << "syllable " << i + 1;
        EXPECT_EQ(read[i].bottom, words[i].bottom) << "syllable " << i + 1;
        EXPECT_EQ(ChangedPixels(typed, reopened, words[i].left, words[i].top, words[i].right + 1, words[i].bottom + 1), 0)
            << "syllable " << i + 1 << " is drawn otherwise once read back";
    }
    EXPECT_EQ(Quit(), 0);
}

TEST_F(TextToolsScenario, ATextLineTakesTheQuickFontChosenForTextLinesAndKeepsIt) {
    ASSERT_TRUE(StartOnNewScore() && ArmTextTool(kTextLineButton) && SeeStaff());
    const int y = lines_[0] - 5 * space_;
    const int first = left_ + (right_ - left_) / 4;
    const int second = left_ + (right_ - left_) * 5 / 8;
    // One line in the text lines' own font ("Tempo").
    ASSERT_TRUE(PlaceTextLine(first, y, kTempoWord));
    const ScreenPicture plain = SettledScreen();

    // Text > Select Textline Font: "Title" from the dialog's quick fonts, then OK.
    ChooseMenuItem('t', 't');
    const std::optional<ShownWindow> dialog = x_.WaitForWindow("Select Font");
    ASSERT_TRUE(dialog) << "Text > Select Textline Font opened no dialog";
    x_.PointAt(*dialog);
    x_.Settle(Millis{500});
    x_.Click(dialog->x + kQuickFontsComboX, dialog->y + kQuickFontsComboY);
    x_.Settle(Millis{800});
    for (int i = 0; i < kTempoToTitle; ++i) x_.PressKey("Down");
    x_.PressKey("Return");
    x_.Settle(Millis{600});
    WritePng(x_.Grab(*dialog), TestOutputFolder() / "textline_font_chosen_desktop.png");
    x_.Click(dialog->x + kOkX, dialog->y + kOkY);
    ASSERT_TRUE(x_.WaitUntilGone("Select Font")) << "OK did not close the dialog";

    ASSERT_TRUE(ArmTextTool(kTextLineButton));
    ASSERT_TRUE(PlaceTextLine(second, y, kTempoWord));
    const ScreenPicture titled = SettledScreen();
    WritePng(titled, TestOutputFolder() / "textline_quick_font_desktop.png");
    const auto lineAt = [&](const ScreenPicture& before, const ScreenPicture& after, int x) {
        return NewInkBox(before, after, x - 12 * space_, y - 8 * space_, x + 12 * space_, y + 3 * space_);
    };
    const InkBox small = lineAt(empty_, plain, first);
    const InkBox large = lineAt(plain, titled, second);
    ASSERT_GT(small.count, kLeastTextInk) << "no line in the text lines' font";
    ASSERT_GT(large.count, kLeastTextInk) << "no line in the chosen quick font";
    // Both stand on the click's row ("Allegro" reaches below it only with its "g").
    EXPECT_NEAR(BaselineOf(plain, small), y, 1);
    EXPECT_NEAR(BaselineOf(titled, large), y, 1);
    // "Title" is 4 spaces high where "Tempo" is 2.25: the same word grows by as much.
    const double taller = double(y - large.top) / double(y - small.top);
    EXPECT_GT(taller, 1.6) << "the chosen quick font's line is not as tall as its font";
    EXPECT_LT(taller, 2.0) << "the chosen quick font's line is taller than its font";
    const double wider = double(large.right - large.left) / double(small.right - small.left);
    EXPECT_GT(wider, 1.5) << "the chosen quick font's line is not as wide as its font";
    // The text-line font the first line was typed in stays its own.
    EXPECT_EQ(ChangedPixels(plain, titled, small.left, small.top, small.right + 1, small.bottom + 1), 0);

    // Saved and opened again, both lines are drawn as they were.
    ScreenPicture reopened;
    ASSERT_TRUE(SaveAndReopen("textline_fonts.ql", reopened));
    WritePng(reopened, TestOutputFolder() / "textline_quick_font_reopened_desktop.png");
    for (const InkBox& line : {small, large}) {
        EXPECT_EQ(ChangedPixels(titled, reopened, line.left, line.top, line.right + 1, line.bottom + 1), 0)
            << "a line is drawn otherwise once read back";
        EXPECT_EQ(reopened.DarkPixels(line.left, line.top, line.right + 1, line.bottom + 1),
                  titled.DarkPixels(line.left, line.top, line.right + 1, line.bottom + 1));
    }
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace ql::desktop
