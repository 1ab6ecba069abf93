// Print to Clipboard on the desktop: a marquee dragged over the page, then Edit >
// Print to Clipboard; another X client then finds the program offering a PNG and an
// SVG on the CLIPBOARD selection, and the PNG is as wide as the marquee.
#include "shell/tests/desktop/desktop_fixture.h"

#include <algorithm>

// After GoogleTest's headers: Xlib's None macro would break them.
#include <X11/Xlib.h>

namespace ql::desktop {
namespace {

constexpr int kMenuBarHeight = 40;
constexpr int kDragWidth = 200;
constexpr int kDragHeight = 120;
// The drag starts on the first staff's empty space, clear of its clef and time
// signature (a press on those takes them, not a marquee).
constexpr int kDragLeft = 200;
constexpr int kDragTop = 200;
// The PNG is the marquee's device size; the drag's ends fall within a few pixels.
constexpr int kSizeSlack = 8;
constexpr Millis kSelectionTimeout{5000};
constexpr long kMaxPropertyWords = 1 << 22;

// An X client of its own that asks the CLIPBOARD's owner for one target.
class ClipboardReader {
  public:
    explicit ClipboardReader(const std::string& display) : display_(XOpenDisplay(display.c_str())) {
        if (display_ != nullptr)
            window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
    }
    ~ClipboardReader() {
        if (display_ == nullptr) return;
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }
    ClipboardReader(const ClipboardReader&) = delete;
    ClipboardReader& operator=(const ClipboardReader&) = delete;

    // The bytes of a target; empty when the owner refused it or did not answer.
    std::vector<uint8_t> Read(const char* target, Atom* type) {
        if (display_ == nullptr) return {};
        const Atom property = XInternAtom(display_, "QL_SCENARIO_CLIPBOARD", False);
        XConvertSelection(display_, XInternAtom(display_, "CLIPBOARD", False), XInternAtom(display_, target, False),
                          property, window_, CurrentTime);
        XFlush(display_);
        XEvent event{};
        const bool answered = WaitFor(
            [&] { return XCheckTypedWindowEvent(display_, window_, SelectionNotify, &event) == True; },
            kSelectionTimeout);
        if (!answered || event.xselection.property == None) return {};
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display_, window_, property, 0, kMaxPropertyWords, True, AnyPropertyType, type,
                               &format, &count, &after, &data) != Success || data == nullptr)
            return {};
        const size_t bytes = format == 32 ? count * sizeof(long) : count * (format / 8);
        std::vector<uint8_t> out(data, data + bytes);
        XFree(data);
        return out;
    }
    // The names of the targets offered.
    std::vector<std::string> Targets() {
        Atom type = None;
        const std::vector<uint8_t> bytes = Read("TARGETS", &type);
        std::vector<std::string> names;
        for (size_t i = 0; i + sizeof(long) <= bytes.size(); i += sizeof(long)) {
            long atom = 0;
            std::copy_n(bytes.data() + i, sizeof(long), reinterpret_cast<uint8_t*>(&atom));
            if (char* name = XGetAtomName(display_, static_cast<Atom>(atom))) {
                names.emplace_back(name);
                XFree(name);
            }
        }
        return names;
    }

  private:
    Display* display_ = nullptr;
    Window window_ = 0;
};

// A PNG's width and height from its header; zeros when it is not a PNG.
std::pair<int, int> PngSize(const std::vector<uint8_t>& png) {
    static const uint8_t kSignature[] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    constexpr size_t kWidthAt = 16;
    if (png.size() < kWidthAt + 8 || !std::equal(std::begin(kSignature), std::end(kSignature), png.begin()))
        return {0, 0};
    auto word = [&](size_t at) {
        return static_cast<int>(uint32_t{png[at]} << 24 | uint32_t{png[at + 1]} << 16 |
                                uint32_t{png[at + 2]} << 8 | uint32_t{png[at + 3]});
    };
    return {word(kWidthAt), word(kWidthAt + 4)};
}

class ClipboardScenario : public DesktopScenario {};

TEST_F(ClipboardScenario, PrintToClipboardOffersAPictureOfTheMarquee) {
    ASSERT_TRUE(StartProgram());
    NewScore();
    // The new score's window, bands and page are drawn before the drag starts: on a
    // loaded machine the page still moves under the pointer for a moment.
    SettledPicture(x_, [this] { return x_.Grab(0, 0, x_.ScreenWidth(), x_.ScreenHeight()); }, Millis{5000});
    const ShownWindow frame = Frame();
    const int x0 = frame.x + kDragLeft;
    const int y0 = frame.y + kMenuBarHeight + kDragTop;
    x_.Drag(x0, y0, x0 + kDragWidth, y0 + kDragHeight);
    x_.Settle();
    ChooseMenuItem('e', 'i');
    ClipboardReader reader(display_.Name());
    std::vector<std::string> targets;
    EXPECT_TRUE(WaitFor([&] {
        targets = reader.Targets();
        return std::find(targets.begin(), targets.end(), "image/png") != targets.end();
    })) << "no image/png on the clipboard";
    EXPECT_NE(std::find(targets.begin(), targets.end(), "image/svg+xml"), targets.end());
    Atom type = None;
    const std::pair<int, int> size = PngSize(reader.Read("image/png", &type));
    EXPECT_NEAR(size.first, kDragWidth, kSizeSlack);
    EXPECT_NEAR(size.second, kDragHeight, kSizeSlack);
    EXPECT_EQ(Quit(), 0);
}

}  // namespace
}  // namespace ql::desktop
