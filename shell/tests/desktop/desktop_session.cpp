// The suite's X session (window tree, pictures, XTest input), private homes and the
// program's process.
#include "shell/tests/desktop/desktop_session.h"

#include <X11/XKBlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xfixes.h>
#include <X11/keysym.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <thread>

extern char** environ;

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

constexpr Millis kPollPause{40};
constexpr int kMinimumPopupSize = 4;
constexpr uint32_t kMidGrey = 0x80;
constexpr char kScreenSize[] = "1280x1024x24";

std::string TitleOf(Display* display, Window window) {
    const Atom netName = XInternAtom(display, "_NET_WM_NAME", False);
    const Atom utf8 = XInternAtom(display, "UTF8_STRING", False);
    Atom type = 0;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    std::string title;
    if (XGetWindowProperty(display, window, netName, 0, 1024, False, utf8, &type, &format, &count, &after, &data) ==
            Success &&
        data != nullptr) {
        title.assign(reinterpret_cast<char*>(data), count);
        XFree(data);
        return title;
    }
    char* name = nullptr;
    if (XFetchName(display, window, &name) && name != nullptr) {
        title = name;
        XFree(name);
    }
    return title;
}

// The program's windows come and go while the suite walks the window tree: a
// request about a window that vanished since the walk's query fails (the call
// returns 0 and the window is skipped) instead of ending the suite. Other errors
// are written out and fail the same way.
int SkipVanishedWindows(Display* display, XErrorEvent* error) {
    if (error->error_code == BadWindow || error->error_code == BadDrawable || error->error_code == BadMatch)
        return 0;
    char text[256] = {};
    XGetErrorText(display, error->error_code, text, sizeof text);
    std::fprintf(stderr, "X error: %s (request %d)\n", text, error->request_code);
    return 0;
}

void Collect(Display* display, Window window, std::vector<ShownWindow>& out) {
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (!XQueryTree(display, window, &root, &parent, &children, &count)) return;
    for (unsigned int i = 0; i < count; ++i) {
        XWindowAttributes attributes;
        if (!XGetWindowAttributes(display, children[i], &attributes) || attributes.map_state != IsViewable) continue;
        ShownWindow shown;
        shown.id = children[i];
        shown.title = TitleOf(display, children[i]);
        Window ignored = 0;
        if (!XTranslateCoordinates(display, children[i], root, 0, 0, &shown.x, &shown.y, &ignored)) continue;
        shown.width = attributes.width;
        shown.height = attributes.height;
        shown.overrideRedirect = attributes.override_redirect;
        out.push_back(shown);
        Collect(display, children[i], out);
    }
    if (children != nullptr) XFree(children);
}

struct Stroke {
    std::vector<unsigned long> modifiers;
    unsigned long key = NoSymbol;
};

Stroke ParseStroke(std::string_view text) {
    Stroke stroke;
    for (;;) {
        const size_t plus = text.find('+');
        if (plus == std::string_view::npos || plus + 1 >= text.size()) break;
        const std::string part(text.substr(0, plus));
        if (part == "ctrl") stroke.modifiers.push_back(XK_Control_L);
        if (part == "shift") stroke.modifiers.push_back(XK_Shift_L);
        if (part == "alt") stroke.modifiers.push_back(XK_Alt_L);
        text.remove_prefix(plus + 1);
    }
    const std::string key(text);
    stroke.key = key.size() == 1 ? static_cast<unsigned long>(static_cast<unsigned char>(key[0]))
                                 : XStringToKeysym(key.c_str());
    return stroke;
}

// In a child: ends with the suite's process, however that ends, and writes its
// output to `log` (appended), not into the suite's.
void EndWithTheSuite(const char* log) {
    prctl(PR_SET_PDEATHSIG, SIGKILL);
    const int out = open(log, O_WRONLY | O_CREAT | O_APPEND, 0600);
    if (out >= 0) {
        dup2(out, STDOUT_FILENO);
        dup2(out, STDERR_FILENO);
        close(out);
    }
}

}  // namespace

void PauseBriefly() { std::this_thread::sleep_for(kPollPause); }

int64_t ScreenPicture::DarkPixels(int left, int top, int right, int bottom) const {
    int64_t dark = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, height); ++y)
        for (int x = std::max(left, 0); x < std::min(right, width); ++x) {
            const uint32_t p = At(x, y);
            if (((p >> 16) & 0xFF) < kMidGrey && ((p >> 8) & 0xFF) < kMidGrey && (p & 0xFF) < kMidGrey) ++dark;
        }
    return dark;
}

std::vector<int> ScreenPicture::LongDarkLines(int left, int top, int right, int bottom, double share) const {
    std::vector<int> lines;
    bool inLine = false;
    const int wanted = static_cast<int>((right - left) * share);
    for (int y = std::max(top, 0); y < std::min(bottom, height); ++y) {
        const bool line = DarkPixels(left, y, right, y + 1) >= wanted;
        if (line && !inLine) lines.push_back(y);
        inLine = line;
    }
    return lines;
}

VirtualDisplay::VirtualDisplay() {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return;
    pid_ = fork();
    if (pid_ == 0) {
        EndWithTheSuite("/dev/null");
        close(pipeEnds[0]);
        const std::string fd = std::to_string(pipeEnds[1]);
        execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", kScreenSize, "-nolisten", "tcp",
               "-noreset", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(pipeEnds[1]);
    // The server writes its display number once it accepts connections.
    std::string number;
    char c = 0;
    while (read(pipeEnds[0], &c, 1) == 1 && c != '\n') number += c;
    close(pipeEnds[0]);
    if (!number.empty()) name_ = ":" + number;
}

VirtualDisplay::~VirtualDisplay() { Stop(); }

void VirtualDisplay::Stop() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
}

XSession::XSession(const std::string& displayName)
    : display_(displayName.empty() ? nullptr : XOpenDisplay(displayName.c_str())) {
    XSetErrorHandler(SkipVanishedWindows);
}

XSession::~XSession() { Close(); }

void XSession::Close() {
    if (display_ != nullptr) XCloseDisplay(display_);
    display_ = nullptr;
}

int XSession::ScreenWidth() const { return DisplayWidth(display_, DefaultScreen(display_)); }
int XSession::ScreenHeight() const { return DisplayHeight(display_, DefaultScreen(display_)); }

std::vector<ShownWindow> XSession::Windows() const {
    std::vector<ShownWindow> out;
    XSync(display_, False);
    Collect(display_, DefaultRootWindow(display_), out);
    return out;
}

std::optional<ShownWindow> XSession::FindWindow(std::string_view part) const {
    for (const ShownWindow& window : Windows())
        if (!window.title.empty() && window.title.find(part) != std::string::npos) return window;
    return std::nullopt;
}

std::optional<ShownWindow> XSession::WindowTitledNow(std::string_view title) const {
    for (const ShownWindow& w : Windows())
        if (w.title == title) return w;
    return std::nullopt;
}

std::optional<ShownWindow> XSession::WindowTitled(std::string_view title) const {
    constexpr int kTries = 100;
    for (int tries = 0; tries < kTries; ++tries) {
        if (std::optional<ShownWindow> w = WindowTitledNow(title)) return w;
        Settle();
    }
    return std::nullopt;
}

std::optional<ShownWindow> XSession::WaitForWindow(std::string_view part, Millis timeout) const {
    std::optional<ShownWindow> found;
    WaitFor([&] { return (found = FindWindow(part)).has_value(); }, timeout);
    return found;
}

bool XSession::WaitUntilGone(std::string_view part, Millis timeout) const {
    return WaitFor([&] { return !FindWindow(part).has_value(); }, timeout);
}

std::vector<ShownWindow> XSession::Popups() const {
    std::vector<ShownWindow> popups;
    for (const ShownWindow& window : Windows())
        if (window.overrideRedirect && window.width > kMinimumPopupSize && window.height > kMinimumPopupSize)
            popups.push_back(window);
    return popups;
}

void XSession::MovePointer(int x, int y) {
    XTestFakeMotionEvent(display_, DefaultScreen(display_), x, y, CurrentTime);
    XSync(display_, False);
}

std::pair<int, int> XSession::PointerPosition() const {
    Window root = 0;
    Window child = 0;
    int x = 0;
    int y = 0;
    int windowX = 0;
    int windowY = 0;
    unsigned int mask = 0;
    XQueryPointer(display_, DefaultRootWindow(display_), &root, &child, &x, &y, &windowX, &windowY, &mask);
    return {x, y};
}

void XSession::Click(int x, int y, unsigned button) {
    MovePointer(x, y);
    XTestFakeButtonEvent(display_, button, True, CurrentTime);
    XTestFakeButtonEvent(display_, button, False, CurrentTime);
    XSync(display_, False);
    Settle();
}

void XSession::DoubleClick(int x, int y) {
    MovePointer(x, y);
    for (int i = 0; i < 2; ++i) {
        XTestFakeButtonEvent(display_, Button1, True, CurrentTime);
        XTestFakeButtonEvent(display_, Button1, False, CurrentTime);
    }
    XSync(display_, False);
    Settle();
}

void XSession::ControlClick(int x, int y) {
    const KeyCode control = XKeysymToKeycode(display_, XK_Control_L);
    MovePointer(x, y);
    XTestFakeKeyEvent(display_, control, True, CurrentTime);
    XSync(display_, False);
    Settle();
    XTestFakeButtonEvent(display_, Button1, True, CurrentTime);
    XTestFakeButtonEvent(display_, Button1, False, CurrentTime);
    XSync(display_, False);
    Settle();
    XTestFakeKeyEvent(display_, control, False, CurrentTime);
    XSync(display_, False);
    Settle();
}

void XSession::Drag(int x0, int y0, int x1, int y1, int steps) {
    AltDrag(x0, y0, x1, y1, steps, steps + 1);
}

void XSession::AltDrag(int x0, int y0, int x1, int y1, int steps, int altFromStep) {
    ModifierDrag(x0, y0, x1, y1, steps, XK_Alt_L, altFromStep);
}

void XSession::ShiftDrag(int x0, int y0, int x1, int y1, int steps) {
    ModifierDrag(x0, y0, x1, y1, steps, XK_Shift_L, 0);
}

void XSession::ModifierDrag(int x0, int y0, int x1, int y1, int steps, unsigned long modifier, int fromStep) {
    constexpr Millis kStepPause{40};
    const KeyCode key = XKeysymToKeycode(display_, modifier);
    const auto holdKey = [&](int step) {
        if (step != fromStep) return;
        XTestFakeKeyEvent(display_, key, True, CurrentTime);
        XSync(display_, False);
        Settle(kStepPause);
    };
    MovePointer(x0, y0);
    Settle(kStepPause);
    holdKey(0);
    XTestFakeButtonEvent(display_, Button1, True, CurrentTime);
    XSync(display_, False);
    Settle(kStepPause);
    for (int i = 1; i <= steps; ++i) {
        holdKey(i);
        MovePointer(x0 + (x1 - x0) * i / steps, y0 + (y1 - y0) * i / steps);
        Settle(kStepPause);
    }
    XTestFakeButtonEvent(display_, Button1, False, CurrentTime);
    XSync(display_, False);
    Settle();
    if (fromStep <= steps) {
        XTestFakeKeyEvent(display_, key, False, CurrentTime);
        XSync(display_, False);
        Settle();
    }
}

void XSession::TurnWheel(int x, int y, int notches) {
    MovePointer(x, y);
    const unsigned button = notches > 0 ? Button5 : Button4;
    for (int i = 0; i < std::abs(notches); ++i) {
        XTestFakeButtonEvent(display_, button, True, CurrentTime);
        XTestFakeButtonEvent(display_, button, False, CurrentTime);
    }
    XSync(display_, False);
    Settle();
}

void XSession::PointAt(const ShownWindow& window) {
    MovePointer(window.x + window.width / 2, window.y + window.height / 2);
    Settle();
}

void XSession::SendKey(unsigned long keysym, bool withShiftIfNeeded) {
    const KeyCode code = XKeysymToKeycode(display_, keysym);
    if (code == 0) return;
    const bool shifted = withShiftIfNeeded && XkbKeycodeToKeysym(display_, code, 0, 0) != keysym &&
                         XkbKeycodeToKeysym(display_, code, 0, 1) == keysym;
    const KeyCode shift = XKeysymToKeycode(display_, XK_Shift_L);
    if (shifted) XTestFakeKeyEvent(display_, shift, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, True, CurrentTime);
    XTestFakeKeyEvent(display_, code, False, CurrentTime);
    if (shifted) XTestFakeKeyEvent(display_, shift, False, CurrentTime);
    XSync(display_, False);
}

void XSession::PressKey(std::string_view text) {
    const Stroke stroke = ParseStroke(text);
    for (unsigned long modifier : stroke.modifiers)
        XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, modifier), True, CurrentTime);
    SendKey(stroke.key, stroke.modifiers.empty());
    for (auto it = stroke.modifiers.rbegin(); it != stroke.modifiers.rend(); ++it)
        XTestFakeKeyEvent(display_, XKeysymToKeycode(display_, *it), False, CurrentTime);
    XSync(display_, False);
    Settle();
}

void XSession::TypeText(std::string_view text) {
    for (char c : text) SendKey(static_cast<unsigned char>(c), true);
    Settle();
}

ScreenPicture XSession::Grab(int x, int y, int width, int height) const {
    ScreenPicture picture;
    x = std::max(x, 0);
    y = std::max(y, 0);
    width = std::min(width, ScreenWidth() - x);
    height = std::min(height, ScreenHeight() - y);
    if (width <= 0 || height <= 0) return picture;
    XImage* image = XGetImage(display_, DefaultRootWindow(display_), x, y, static_cast<unsigned>(width),
                              static_cast<unsigned>(height), AllPlanes, ZPixmap);
    if (image == nullptr) return picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.resize(static_cast<size_t>(width) * height);
    for (int row = 0; row < height; ++row)
        for (int col = 0; col < width; ++col)
            picture.pixels[static_cast<size_t>(row) * width + col] =
                static_cast<uint32_t>(XGetPixel(image, col, row) & 0xFFFFFF);
    XDestroyImage(image);
    return picture;
}

CursorPicture XSession::Cursor() const {
    CursorPicture picture;
    XFixesCursorImage* image = XFixesGetCursorImage(display_);
    if (image == nullptr) return picture;
    picture.width = image->width;
    picture.height = image->height;
    picture.hotX = image->xhot;
    picture.hotY = image->yhot;
    const size_t count = static_cast<size_t>(image->width) * image->height;
    for (size_t i = 0; i < count; ++i) picture.pixels.push_back(static_cast<uint32_t>(image->pixels[i]));
    XFree(image);
    return picture;
}

ScreenPicture XSession::Grab(const ShownWindow& window) const {
    return Grab(window.x, window.y, window.width, window.height);
}

void XSession::Settle(Millis pause) const {
    XSync(display_, False);
    std::this_thread::sleep_for(pause);
}

PrivateHome::PrivateHome(const std::string& name) {
    std::string pattern = (fs::temp_directory_path() / ("ql-desktop-" + name + "-XXXXXX")).string();
    if (mkdtemp(pattern.data()) != nullptr) root_ = pattern;
    for (const char* folder : {".config", ".local/share", ".cache", "run", "scores"}) fs::create_directories(root_ / folder);
    fs::permissions(root_ / "run", fs::perms::owner_all, fs::perm_options::replace);
}

PrivateHome::~PrivateHome() {
    std::error_code ignored;
    if (std::getenv("QL_KEEP_DESKTOP_HOMES") == nullptr) fs::remove_all(root_, ignored);
}

fs::path PrivateHome::Settings() const { return root_ / ".config" / "quaverline" / "settings.ini"; }

ProgramProcess::ProgramProcess(const PrivateHome& home, const std::string& display,
                               const std::vector<std::string>& arguments, const Environment& extra) {
    const fs::path program = fs::path(QL_PROGRAM_DIR) / "quaverline";
    std::vector<std::string> environment;
    Environment overrides = {
        {"HOME", home.Root().string()},
        {"XDG_CONFIG_HOME", (home.Root() / ".config").string()},
        {"XDG_DATA_HOME", (home.Root() / ".local/share").string()},
        {"XDG_CACHE_HOME", (home.Root() / ".cache").string()},
        {"XDG_RUNTIME_DIR", (home.Root() / "run").string()},
        {"DISPLAY", display},
        {"GDK_BACKEND", "x11"},
        {"NO_AT_BRIDGE", "1"},
        {"GTK_USE_PORTAL", "0"},
        {"GSETTINGS_BACKEND", "memory"},
        // GTK keeps process-wide caches that the leak checker reports.
        {"ASAN_OPTIONS", "detect_leaks=0:abort_on_error=1"},
        // The synthesizer's test hook (fluid_device.h): its sound into a file.
        {"QL_SYNTH_WAV", home.SynthesizerSound().string()},
    };
    for (const auto& entry : extra) {
        const auto same =
            std::find_if(overrides.begin(), overrides.end(), [&](const auto& o) { return o.first == entry.first; });
        if (same != overrides.end()) same->second = entry.second;
        else overrides.emplace_back(entry.first, entry.second);
    }
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string entry = *e;
        const std::string key = entry.substr(0, entry.find('='));
        bool replaced = false;
        for (const auto& [name, value] : overrides) replaced = replaced || name == key;
        if (!replaced) environment.push_back(entry);
    }
    for (const auto& [name, value] : overrides) environment.push_back(name + "=" + value);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : environment) envp.push_back(entry.data());
    envp.push_back(nullptr);
    const std::string logPath = home.ProgramLog().string();
    pid_ = fork();
    if (pid_ == 0) {
        EndWithTheSuite(logPath.c_str());
        if (chdir(home.Root().c_str()) != 0) _exit(127);
        execve(argv[0], argv.data(), envp.data());
        _exit(127);
    }
}

ProgramProcess::~ProgramProcess() {
    if (pid_ > 0 && IsRunning()) {
        kill(pid_, SIGKILL);
        int status = 0;
        waitpid(pid_, &status, 0);
    }
}

bool ProgramProcess::IsRunning() {
    if (pid_ <= 0 || exitCode_) return false;
    int status = 0;
    const pid_t done = waitpid(pid_, &status, WNOHANG);
    if (done == 0) return true;
    exitCode_ = WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
    return false;
}

double ProgramProcess::ProcessorSeconds() const {
    // /proc/<pid>/stat: after the command in parentheses, utime and stime are the
    // 12th and 13th fields, in clock ticks.
    constexpr int kTimesAfterCommand = 11;
    std::ifstream stat("/proc/" + std::to_string(pid_) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    const size_t close = text.rfind(')');
    if (pid_ <= 0 || close == std::string::npos) return -1;
    std::istringstream fields(text.substr(close + 1));
    std::string skipped;
    for (int i = 0; i < kTimesAfterCommand; ++i) fields >> skipped;
    long long user = 0, system = 0;
    if (!(fields >> user >> system)) return -1;
    return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

std::optional<int> ProgramProcess::WaitForExit(Millis timeout) {
    WaitFor([&] { return !IsRunning(); }, timeout);
    return exitCode_;
}

}  // namespace ql::desktop
