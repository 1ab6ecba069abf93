// The end-to-end suite's hands and eyes. The real program runs as a child process
// with a private home and XDG folders; the suite sees it only as a user does, through
// the X display: the window tree (windows found by title), pictures of the screen,
// and the files it writes. It acts only through XTest input events: pointer moves,
// clicks and key strokes. Every wait polls with a bounded timeout.
#pragma once

#include <X11/Xlib.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <sys/types.h>
#include <vector>

namespace ql::desktop {

using Millis = std::chrono::milliseconds;
// Generous: the sanitized program starts slowly on a loaded machine; only a failing
// scenario waits this long.
constexpr Millis kWindowTimeout{20000};

// A viewable window of the tree, in root coordinates.
struct ShownWindow {
    Window id = 0;
    std::string title;  // empty for untitled windows (menus, the splash)
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    bool overrideRedirect = false;  // popups: menus, tooltips
};

// A picture of a screen area, one 0xRRGGBB value per pixel.
struct ScreenPicture {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels;
    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Pixels darker than mid-grey (the music's ink) in a sub-rectangle.
    int64_t DarkPixels(int left, int top, int right, int bottom) const;
    // The rows of the sub-rectangle where dark pixels run across at least `share` of its
    // width (staff lines); a run of adjacent such rows is one line, at its first row.
    std::vector<int> LongDarkLines(int left, int top, int right, int bottom, double share) const;
};

// The pointer's cursor as the display shows it: its size, hot spot and ARGB pixels.
struct CursorPicture {
    int width = 0;
    int height = 0;
    int hotX = 0;
    int hotY = 0;
    std::vector<uint32_t> pixels;
    bool operator==(const CursorPicture&) const = default;
};

// A virtual X server of the scenario's own (Xvfb on a display number it picks
// itself), so that scenarios run side by side; stopped at the end.
class VirtualDisplay {
public:
    VirtualDisplay();
    ~VirtualDisplay();
    VirtualDisplay(const VirtualDisplay&) = delete;
    VirtualDisplay& operator=(const VirtualDisplay&) = delete;
    // ":N", or empty when the server did not start.
    const std::string& Name() const { return name_; }
    // Ends the server now, as the end of a desktop session does.
    void Stop();

private:
    pid_t pid_ = -1;
    std::string name_;
};

class XSession {
public:
    explicit XSession(const std::string& displayName);
    ~XSession();
    // Closes the connection before its server goes (nothing may be asked after).
    void Close();
    XSession(const XSession&) = delete;
    XSession& operator=(const XSession&) = delete;

    bool IsOpen() const { return display_ != nullptr; }
    int ScreenWidth() const;
    int ScreenHeight() const;

    std::vector<ShownWindow> Windows() const;
    // The first viewable window whose title contains `part`.
    std::optional<ShownWindow> FindWindow(std::string_view part) const;
    std::optional<ShownWindow> WaitForWindow(std::string_view part, Millis timeout = kWindowTimeout) const;
    // The viewable window titled exactly `title`, waited for a little (palettes and
    // dialogs whose titles other titles contain); empty when none came.
    std::optional<ShownWindow> WindowTitled(std::string_view title) const;
    // The same, as the windows stand now.
    std::optional<ShownWindow> WindowTitledNow(std::string_view title) const;
    bool WaitUntilGone(std::string_view part, Millis timeout = kWindowTimeout) const;
    // Viewable popups (override-redirect windows) larger than a few pixels.
    std::vector<ShownWindow> Popups() const;

    void MovePointer(int x, int y);
    // Where the pointer stands on the screen.
    std::pair<int, int> PointerPosition() const;
    // A click of a mouse button (1 left, 3 right) at the point.
    void Click(int x, int y, unsigned button = 1);
    // A left click with the Control key held.
    void ControlClick(int x, int y);
    // Two left clicks at the point, as quick as a user's double click.
    void DoubleClick(int x, int y);
    // Presses the left button at one point, moves in `steps` steps to the other and
    // releases it there.
    void Drag(int x0, int y0, int x1, int y1, int steps = 8);
    // The same drag with the Alt key pressed before step `altFromStep` (0: before
    // the button) and let go after the button.
    void AltDrag(int x0, int y0, int x1, int y1, int steps, int altFromStep);
    // The same drag with Shift held from before the button to after it.
    void ShiftDrag(int x0, int y0, int x1, int y1, int steps = 8);
    // Turns the wheel by `notches` at the point: down (button 5) when positive, up
    // (button 4) when negative.
    void TurnWheel(int x, int y, int notches);
    // Moves the pointer into the window (the keyboard follows the pointer without a
    // window manager) and waits for the program to settle.
    void PointAt(const ShownWindow& window);
    // A key stroke: "Return", "F3", "ctrl+s", "shift+F5", "alt+f", "ctrl+shift+z".
    void PressKey(std::string_view stroke);
    void TypeText(std::string_view text);
    ScreenPicture Grab(int x, int y, int width, int height) const;
    ScreenPicture Grab(const ShownWindow& window) const;
    // The cursor the display shows at the pointer now (empty when it cannot say).
    CursorPicture Cursor() const;
    // Lets the program take the events sent so far.
    void Settle(Millis pause = Millis{150}) const;

private:
    void SendKey(unsigned long keysym, bool withShiftIfNeeded);
    // A drag with the key `modifier` (a keysym) pressed before step `fromStep` (0:
    // before the button; past the steps: never) and let go after the button.
    void ModifierDrag(int x0, int y0, int x1, int y1, int steps, unsigned long modifier, int fromStep);
    Display* display_ = nullptr;
};

// A private home with its XDG folders, removed at the end.
class PrivateHome {
public:
    explicit PrivateHome(const std::string& name);
    ~PrivateHome();
    const std::filesystem::path& Root() const { return root_; }
    std::filesystem::path Settings() const;  // the program's settings file
    std::filesystem::path Documents() const { return root_ / "scores"; }
    // What the programs started in this home wrote to their output.
    std::filesystem::path ProgramLog() const { return root_ / "program.log"; }
    // Where the built-in synthesizer's sound goes: the machines the scenarios run
    // on have no sound device, so the programs render into this WAV file instead.
    std::filesystem::path SynthesizerSound() const { return root_ / "synthesizer.wav"; }

private:
    std::filesystem::path root_;
};

// Environment variables a scenario sets for its program, over the suite's own.
using Environment = std::vector<std::pair<std::string, std::string>>;

// The quaverline binary started in a home; killed when still running at the end.
class ProgramProcess {
public:
    ProgramProcess(const PrivateHome& home, const std::string& display, const std::vector<std::string>& arguments,
                   const Environment& environment = {});
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    bool Started() const { return pid_ > 0; }
    bool IsRunning();
    // The exit code, or empty when it did not end in time (or died of a signal: -signal).
    std::optional<int> WaitForExit(Millis timeout = kWindowTimeout);
    // Processor time the program has used so far (all its threads), in seconds;
    // negative when it cannot be read.
    double ProcessorSeconds() const;

private:
    pid_t pid_ = -1;
    std::optional<int> exitCode_;
};

void PauseBriefly();

// Polls `done` until it is true or the time is up.
bool WaitFor(const auto& done, Millis timeout = kWindowTimeout) {
    const auto end = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        if (done()) return true;
        if (std::chrono::steady_clock::now() > end) return false;
        PauseBriefly();
    }
}

}  // namespace ql::desktop
