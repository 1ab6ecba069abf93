// The fixture of every end-to-end scenario: an X session, a private home, and the
// steps a user takes in most scenarios (start the program past its splash, choose a
// menu item by its mnemonics, answer a file chooser by typing the path, quit).
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "shell/tests/desktop/desktop_session.h"

namespace ql::desktop {

// The frame's title: the product's name.
inline constexpr char kFrameTitle[] = "Quaverlinescribe";

// The colour of the frame's main bar behind its bands.
inline constexpr uint32_t kBarColour = 0xD6D6D6;

// The whole of a file, as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);

class DesktopScenario : public ::testing::Test {
protected:
    void SetUp() override;
    // After a failure, shows what the program wrote (its sanitizer reports among it).
    void TearDown() override;

    // Starts the program with the arguments and waits for its frame (the splash is
    // closed with a key); the frame, or empty (a failure is recorded).
    std::optional<ShownWindow> StartProgram(const std::vector<std::string>& arguments = {});
    // Waits for the frame, closing the splash with a key when it shows.
    std::optional<ShownWindow> WaitForFrame();
    // The frame as it is now (its title names the active score).
    ShownWindow Frame() const;
    // The screen row just below the frame's menu row and main bar, however many rows
    // of bands the bar takes: the score area starts there (pictures of it leave out
    // the bands' buttons, which gray and ink with the state of the score). The
    // frame's top when no bar shows.
    int BarsBottom() const;
    std::optional<ShownWindow> FindFrame() const;
    // A message box of the program (titled as the frame, but small): as it stands
    // now, or once one shows.
    std::optional<ShownWindow> FindMessageBox() const;
    std::optional<ShownWindow> WaitForMessageBox(Millis timeout = kWindowTimeout) const;
    // True when no message box shows within a while: the program shows its boxes
    // while it handles the input that brings them, so the steps before have settled.
    bool NoMessageBoxComes() const;
    // A key stroke with the pointer over the frame.
    void PressInFrame(std::string_view stroke);
    // Opens a menu of the frame's menu bar with Alt and its mnemonic, the pointer over
    // the frame; true once its popup shows. A stroke that reaches the frame while it
    // swaps its menu bar (a score window just opened or closed) is lost, as it would
    // be for a user: after a while without a popup the stroke is given again.
    // The pointer stays where it is when asked (over the score it moves the location).
    enum class Pointer { kToFrame, kStays };
    bool OpenFrameMenu(char menuMnemonic, Pointer pointer = Pointer::kToFrame);
    // Opens a menu as OpenFrameMenu does, then chooses the item with its own mnemonic.
    void ChooseMenuItem(char menuMnemonic, char itemMnemonic);
    // Opens the menu of the first mnemonic and then, one mnemonic each, the submenus
    // of the rest; the innermost popup once it shows (the rightmost), else empty.
    std::optional<ShownWindow> OpenMenuPath(std::string_view mnemonics);
    // The innermost popup of OpenMenuPath pictured, and every menu closed again;
    // empty when it did not open.
    ScreenPicture MenuPathPicture(std::string_view mnemonics);
    // Opens the submenus of all mnemonics but the last, then chooses the item of the
    // last: Notes > Auto > Auto rest is "nar". Waits until the menus are gone.
    void ChooseMenuPath(std::string_view mnemonics);
    // Escape until no popup shows.
    void CloseMenus();
    // Waits for a file chooser titled `title`, types the path into its location field
    // and confirms it; false when no chooser came.
    bool AnswerFileChooser(std::string_view title, const std::filesystem::path& path);
    // The same for an open chooser, whose location completion may take the first
    // Return: a second one goes while the chooser is still there alone (neither a
    // window titled `next` nor a message box came). Waits for neither.
    void ChooseFileToOpen(std::string_view title, const std::filesystem::path& path, std::string_view next);
    // File > New with the staff count typed into its dialog (empty: the dialog's
    // own); waits for the new score's window.
    void NewScore(std::string_view staves = {});
    // File > Save As through the file chooser; true once the file is written.
    bool SaveScoreAs(const std::filesystem::path& path);
    // File > Close of the active score.
    void CloseScore();
    // View > Insert Page, confirmed: a change to the active score.
    void InsertPage();
    // A new score with `staves` saved at `path` and closed again.
    void MakeScoreFile(const std::filesystem::path& path, std::string_view staves = {});
    // File > Exit, and the exit code.
    std::optional<int> Quit();
    // File > Exit, answering No whenever asked to save a changed score.
    std::optional<int> QuitWithoutSaving();
    // The program's settings file, written before it starts (a saved palette place).
    // Scenarios see the Main palette floating unless their settings say otherwise
    // (see WithFloatingMainPalette); a program started without settings gets them so.
    void WriteSettings(std::string_view text);
    // Waits until the file exists and its size has stopped changing.
    static bool WaitForFile(const std::filesystem::path& path, Millis timeout = kWindowTimeout);

    // A program of the scenario started in its home on its display.
    std::unique_ptr<ProgramProcess> Launch(const std::vector<std::string>& arguments) const;

    VirtualDisplay display_;
    XSession x_{display_.Name()};
    std::unique_ptr<PrivateHome> home_;
    std::unique_ptr<ProgramProcess> program_;
    // Variables the scenario's programs get over the suite's own (Launch).
    Environment environment_;
};

// The setting that keeps the Main palette in the frame's bar.
inline constexpr char kKeepMainKey[] = "KeepMainToolBar";
// The settings text with "KeepMainToolBar=0" in "[ToolbarSettings]" unless it
// names the key itself: most scenarios work the floating Main palette.
std::string WithFloatingMainPalette(std::string_view text);

// The folder pictures are written to for the eye, beside the program's folder.
std::filesystem::path TestOutputFolder();

// The staves of the first system in the pictured columns, each as the rows of its
// lines: staff lines are long dark rows, a staff is a run of them one line spacing
// apart, and a system ends at the first gap between staves wider than the narrowest.
std::vector<std::vector<int>> StavesOfFirstSystem(const ScreenPicture& picture, int left, int right);
// The distance between the first two lines of the first staff shown: a staff
// space, which grows with the zoom; 0 when no staff is seen.
int StaffSpace(const ScreenPicture& picture);
// Columns of the staff's right three quarters with ink between its lines (the
// staff given as the rows of its lines): note heads and stems, since the clef and
// the signatures stand at its left end.
int InkedColumnsBetweenLines(const ScreenPicture& picture, const std::vector<int>& lines);

// The pixels in which two pictures differ (all of them when their sizes differ).
int64_t DifferentPixels(const ScreenPicture& a, const ScreenPicture& b);
// Pictures taken by `grab` until two a moment apart are the same (bounded): the last.
ScreenPicture SettledPicture(const XSession& x, const std::function<ScreenPicture()>& grab, Millis timeout);

// Writes a picture as a PPM file (for looking at a failure).
void WritePicture(const ScreenPicture& picture, const std::filesystem::path& path);
// Writes a picture as an 8-bit RGB PNG file (for the eye); false when it cannot.
bool WritePng(const ScreenPicture& picture, const std::filesystem::path& path);

// The number of pages pdfinfo reports for a PDF (0 when it cannot be read).
int PdfPageCount(const std::filesystem::path& pdf);
// The pages of a PDF with no ink at all, as pdftoppm renders them (-1 when it cannot).
int BlankPdfPages(const std::filesystem::path& pdf);

}  // namespace ql::desktop
