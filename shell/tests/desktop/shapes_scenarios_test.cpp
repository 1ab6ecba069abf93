// Shapes and page tools on the desktop, worked with the palettes and the mouse: a
// rectangle and an ellipse dragged open on the paper come back where they were drawn
// from the saved file; a line and a wavy line are drawn, Shift keeping the line level
// and the rectangle square; a double click on the top ruler (View > Display Ruler)
// makes a cyan guide there; a rectangle dragged with the Zoom tool zooms in; the Measure
// Ruler's top handle dragged left narrows its measure; a PNG another program holds
// on the clipboard is pasted with the Paste Picture tool, resized by a corner and
// hidden with H; with View > Display Margins on, the Pointer drags the left margin
// and the systems follow it.
#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <thread>
#include <utility>
#include <vector>

#include "shell/tests/desktop/music_beside_palettes.h"
#include "shell/tests/desktop/staff_tools_palette.h"

// After GoogleTest's headers: Xlib's None macro would break them.
#include <X11/Xatom.h>
#include <X11/Xlib.h>

namespace ql::desktop {
namespace {

namespace fs = std::filesystem;

constexpr int kGraphicsOnMain = 2;
constexpr int kGraphicsColumns = 5;
constexpr int kRectangleButton = 6;
constexpr int kEllipseButton = 7;
constexpr int kLineButton = 8;
constexpr int kPictureButton = 9;
constexpr uint32_t kGuideCyan = 0x00FFFF;
constexpr uint32_t kMarginGrey = 0xC0C0C0;
// How far a drawn edge may lie from the pointer's press or release (the pen's width
// and the rounding of logical units to pixels).
constexpr int kSlack = 3;

// The first column of a row from `from` rightwards whose pixel is `colour`, or -1.
int ColumnOfColour(const ScreenPicture& picture, int y, int from, int to, uint32_t colour) {
    for (int x = std::max(from, 0); x < std::min(to, picture.width); ++x)
        if ((picture.At(x, y) & 0xFFFFFF) == colour) return x;
    return -1;
}

// How many pixels of a column run down in `colour`.
int RunOfColourInColumn(const ScreenPicture& picture, int x, int top, int bottom, uint32_t colour) {
    int count = 0;
    for (int y = std::max(top, 0); y < std::min(bottom, picture.height); ++y)
        count += (picture.At(x, y) & 0xFFFFFF) == colour;
    return count;
}

// The longest run of `colour` down a column between two rows: its first row and its
// length.
std::pair<int, int> LongestRunInColumn(const ScreenPicture& picture, int x, int top, int bottom, uint32_t colour) {
    std::pair<int, int> best{-1, 0};
    int start = -1;
    for (int y = std::max(top, 0); y <= std::min(bottom, picture.height); ++y) {
        const bool in = y < std::min(bottom, picture.height) && (picture.At(x, y) & 0xFFFFFF) == colour;
        if (in && start < 0) start = y;
        if (!in && start >= 0) {
            if (y - start > best.second) best = {start, y - start};
            start = -1;
        }
    }
    return best;
}

// Columns of the staff (given as its line rows) that are dark from its top line to its
// bottom one: its barlines, one column each (the first of a run).
std::vector<int> BarlineColumns(const ScreenPicture& picture, const std::vector<int>& lines, int from, int to) {
    std::vector<int> columns;
    int last = -2;
    for (int x = std::max(from, 0); x < std::min(to, picture.width); ++x) {
        bool through = true;
        for (int y = lines.front(); y <= lines.back() && through; ++y) through = IsDark(picture.At(x, y));
        if (through && (columns.empty() || last + 1 < x)) columns.push_back(x);
        if (through) last = x;
    }
    return columns;
}

// Another program on the display holding an image on the CLIPBOARD selection: it
// answers TARGETS and image/png from a thread of its own until it is destroyed.
class ImageClipboardOwner {
  public:
    ImageClipboardOwner(const std::string& display, std::vector<uint8_t> png)
        : display_(XOpenDisplay(display.c_str())), png_(std::move(png)) {
        if (display_ == nullptr) return;
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 1, 1, 0, 0, 0);
        clipboard_ = XInternAtom(display_, "CLIPBOARD", False);
        targets_ = XInternAtom(display_, "TARGETS", False);
        pngType_ = XInternAtom(display_, "image/png", False);
        XSetSelectionOwner(display_, clipboard_, window_, CurrentTime);
        XSync(display_, False);
        owning_ = XGetSelectionOwner(display_, clipboard_) == window_;
        if (owning_) answering_ = std::thread([this] { Answer(); });
    }
    ~ImageClipboardOwner() {
        stop_ = true;
        if (answering_.joinable()) answering_.join();
        if (display_ == nullptr) return;
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }
    ImageClipboardOwner(const ImageClipboardOwner&) = delete;
    ImageClipboardOwner& operator=(const ImageClipboardOwner&) = delete;
    bool Owning() const { return owning_; }
    int Answered() const { return answered_; }

  private:
    void Answer() {
        while (!stop_) {
            if (XPending(display_) == 0) {
                PauseBriefly();
                continue;
            }
            XEvent event{};
            XNextEvent(display_, &event);
            if (event.type != SelectionRequest) continue;
            const XSelectionRequestEvent& request = event.xselectionrequest;
            XEvent reply{};
            reply.xselection.type = SelectionNotify;
            reply.xselection.requestor = request.requestor;
            reply.xselection.selection = request.selection;
            reply.xselection.target = request.target;
            reply.xselection.time = request.time;
            reply.xselection.property = request.property == None ? request.target : request.property;
            if (request.target == targets_) {
                const Atom offered[] = {targets_, pngType_};
                XChangeProperty(display_, request.requestor, reply.xselection.property, XA_ATOM, 32, PropModeReplace,
                                reinterpret_cast<const unsigned char*>(offered), 2);
            } else if (request.target == pngType_) {
                XChangeProperty(display_, request.requestor, reply.xselection.property, pngType_, 8, PropModeReplace,
                                png_.data(), static_cast<int>(png_.size()));
                ++answered_;
            } else {
                reply.xselection.property = None;
            }
            XSendEvent(display_, request.requestor, False, 0, &reply);
            XFlush(display_);
        }
    }

    Display* display_ = nullptr;
    Window window_ = 0;
    Atom clipboard_ = 0;
    Atom targets_ = 0;
    Atom pngType_ = 0;
    std::vector<uint8_t> png_;
    bool owning_ = false;
    std::atomic<bool> stop_{false};
    std::atomic<int> answered_{0};
    std::thread answering_;
};

// The bytes of a PNG of a black rectangle.
std::vector<uint8_t> BlackPng(int width, int height) {
    ScreenPicture picture;
    picture.width = width;
    picture.height = height;
    picture.pixels.assign(static_cast<size_t>(width) * height, 0x000000);
    const fs::path path = TestOutputFolder() / "black_picture.png";
    if (!WritePng(picture, path)) return {};
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ShapesScenario : public MusicBesidePalettes {
  protected:
    // A new one-staff score with the Graphics palette open beside the music; false
    // (a failure recorded) when a step did not happen.
    bool NewScoreWithGraphics() {
        WriteSettings("[ToolbarSettings]\nMGTool=760,440,5,2\n");
        main_ = NewScoreWithMain();
        if (!main_) return false;
        const auto [gx, gy] = RowButton(*main_, kGraphicsOnMain);
        x_.Click(gx, gy);
        graphics_ = x_.WaitForWindow("Graphics");
        if (!graphics_) {
            ADD_FAILURE() << "Graphics did not open its palette";
            return false;
        }
        x_.Settle(Millis{500});
        // Its first button is the current one when it opens: its cell is the grid's corner.
        graphicsCorner_ = PressedCell(x_.Grab(*graphics_));
        if (!graphicsCorner_) {
            ADD_FAILURE() << "no pressed button on the Graphics palette";
            return false;
        }
        return true;
    }
    // Presses a button of the Graphics palette, shown again from the Main palette
    // when the Pointer has hidden it.
    void PressGraphics(int index) {
        if (!Titled("Graphics")) {
            const auto [gx, gy] = RowButton(*main_, kGraphicsOnMain);
            x_.Click(gx, gy);
            ASSERT_TRUE(x_.WaitForWindow("Graphics")) << "Graphics did not show its palette again";
            x_.Settle(Millis{500});
        }
        x_.Click(graphics_->x + graphicsCorner_->first + (index % kGraphicsColumns) * kPaletteCell + kPaletteButtonMiddle,
                 graphics_->y + graphicsCorner_->second + (index / kGraphicsColumns) * kPaletteCell +
                     kPaletteButtonMiddle);
        x_.Settle(Millis{500});
    }
    // The pointer parked below the Main palette, off the music.
    void Park() {
        if (const std::optional<ShownWindow> main = Titled("Main")) ParkPointer(*main);
    }
    // The Pointer from the Main palette: the object just drawn is let go.
    void LetGo() {
        const auto [px, py] = RowButton(*main_, kPointerOnMain);
        x_.Click(px, py);
        x_.Settle(Millis{500});
        Park();
    }
    // The top-left corner of white paper `width` by `height` pixels, the lowest such
    // place on the music's band (below the systems), or empty.
    std::optional<std::pair<int, int>> BlankPaper(const ScreenPicture& picture, int width, int height) const {
        const int left = MusicLeft();
        const int bottom = std::min(Frame().y + Frame().height, x_.ScreenHeight()) - kBelowScoreArea;
        const int bars = BarsBottom();
        for (int top = bottom - height; top > bars; top -= 8) {
            bool white = true;
            for (int y = top; y < top + height && white; ++y)
                for (int x = left; x < left + width && white; ++x) white = IsWhite(picture.At(x, y));
            if (white) return std::pair{left, top};
        }
        return std::nullopt;
    }
    // Drags on the paper with the tool armed (Shift held when asked), lets the
    // object go and gives the ink that came inside `area` (left, top, right, bottom).
    InkBox DrawAndLetGo(int x0, int y0, int x1, int y1, bool shift, const ScreenPicture& before,
                        const InkBox& area, const char* picture) {
        x_.MovePointer(x0, y0);
        x_.Settle(Millis{300});
        if (shift)
            x_.ShiftDrag(x0, y0, x1, y1);
        else
            x_.Drag(x0, y0, x1, y1);
        x_.Settle(Millis{500});
        LetGo();
        const ScreenPicture after = SettledScreen();
        WritePng(after, TestOutputFolder() / picture);
        EXPECT_TRUE(NoMessageBoxComes()) << "a message box came up while drawing";
        return NewInkBox(before, after, area.left, area.top, area.right, area.bottom);
    }
    static InkBox Area(int left, int top, int right, int bottom) {
        InkBox box;
        box.Take(left, top);
        box.Take(right, bottom);
        return box;
    }

    static constexpr int kPointerOnMain = 5;
    static constexpr int kBelowScoreArea = 60;
    std::optional<ShownWindow> main_;
    std::optional<ShownWindow> graphics_;
    std::optional<std::pair<int, int>> graphicsCorner_;
};

// A rectangle and an ellipse dragged open on empty paper: each spans from its press
// to its release (the press two spaces inside its top-left corner, where a click alone
// puts the bottom-right corner); the ellipse leaves its bounding box's corners white.
// Saved and opened again, both stand where they were drawn.
TEST_F(ShapesScenario, ARectangleAndAnEllipseComeBackWhereTheyWereDrawn) {
    ASSERT_TRUE(NewScoreWithGraphics());
    const ScreenPicture blank = SettledScreen();
    const std::optional<std::pair<int, int>> paper = BlankPaper(blank, 360, 140);
    ASSERT_TRUE(paper) << "no empty paper beside the palettes";
    const auto [left, top] = *paper;
    const InkBox area = Area(left, top, left + 360, top + 140);

    PressGraphics(kRectangleButton);
    const InkBox box = DrawAndLetGo(left + 60, top + 50, left + 150, top + 110, false, blank, area, "box_drawn.png");
    ASSERT_GT(box.count, 100) << "no rectangle was drawn";
    EXPECT_NEAR(box.right, left + 150, kSlack) << "the rectangle's right edge is not where the drag ended";
    EXPECT_NEAR(box.bottom, top + 110, kSlack) << "the rectangle's bottom edge is not where the drag ended";
    EXPECT_LT(box.left, left + 60) << "the rectangle's left edge is right of the press";
    EXPECT_LT(box.top, top + 50) << "the rectangle's top edge is below the press";
    const ScreenPicture withBox = SettledScreen();
    EXPECT_TRUE(IsDark(withBox.At(box.left, box.top))) << "the rectangle has no corner";

    PressGraphics(kEllipseButton);
    const InkBox ellipse =
        DrawAndLetGo(left + 230, top + 50, left + 340, top + 120, false, withBox, area, "ellipse_drawn.png");
    ASSERT_GT(ellipse.count, 100) << "no ellipse was drawn";
    EXPECT_NEAR(ellipse.right, left + 340, kSlack);
    EXPECT_NEAR(ellipse.bottom, top + 120, kSlack);
    const ScreenPicture drawn = SettledScreen();
    EXPECT_EQ(drawn.DarkPixels(ellipse.left, ellipse.top, ellipse.left + 4, ellipse.top + 4), 0)
        << "the ellipse has a corner";

    const fs::path score = home_->Documents() / "shapes.ql";
    ASSERT_TRUE(SaveScoreAs(score));
    ASSERT_EQ(Quit(), 0);
    ASSERT_TRUE(StartProgram({score.string()}));
    ASSERT_TRUE(x_.WaitForWindow("shapes.ql"));
    ASSERT_TRUE(WaitFor([&] { return Titled("Main").has_value(); }));
    Park();
    const ScreenPicture reopened = SettledScreen();
    WritePng(reopened, TestOutputFolder() / "shapes_reopened.png");
    for (const InkBox& shape : {box, ellipse}) {
        const int64_t ink = drawn.DarkPixels(shape.left, shape.top, shape.right + 1, shape.bottom + 1);
        int64_t same = 0;
        for (int y = shape.top; y <= shape.bottom; ++y)
            for (int x = shape.left; x <= shape.right; ++x)
                same += IsDark(drawn.At(x, y)) && IsDark(reopened.At(x, y));
        EXPECT_GT(same, ink * 9 / 10) << "a shape read back from the file is not where it was drawn";
        EXPECT_LT(reopened.DarkPixels(shape.left, shape.top, shape.right + 1, shape.bottom + 1), ink * 11 / 10 + 4);
    }
    EXPECT_EQ(Quit(), 0);
}

// Shift keeps a dragged rectangle square and a dragged line level; the Line button
// pressed again arms the wavy line, whose figures rise and fall along it.
TEST_F(ShapesScenario, ShiftSquaresTheRectangleAndLevelsTheLineAndTheWavyLineWaves) {
    ASSERT_TRUE(NewScoreWithGraphics());
    const ScreenPicture blank = SettledScreen();
    const std::optional<std::pair<int, int>> paper = BlankPaper(blank, 360, 160);
    ASSERT_TRUE(paper) << "no empty paper beside the palettes";
    const auto [left, top] = *paper;
    const InkBox area = Area(left, top, left + 360, top + 160);

    PressGraphics(kRectangleButton);
    const InkBox square =
        DrawAndLetGo(left + 60, top + 40, left + 160, top + 70, true, blank, area, "square_drawn.png");
    ASSERT_GT(square.count, 100) << "no rectangle was drawn";
    EXPECT_NEAR(square.right - square.left, square.bottom - square.top, 2) << "Shift did not keep it square";

    const ScreenPicture withSquare = SettledScreen();
    PressGraphics(kLineButton);
    const InkBox line =
        DrawAndLetGo(left + 200, top + 40, left + 320, top + 60, true, withSquare, area, "line_drawn.png");
    ASSERT_GT(line.count, 40) << "no line was drawn";
    EXPECT_LE(line.bottom - line.top, 2) << "Shift did not keep the line level";
    EXPECT_NEAR(line.left, left + 200, kSlack) << "the line does not start at the press";
    EXPECT_GE(line.right, left + 320 - kSlack) << "the line does not reach the release";

    const ScreenPicture withLine = SettledScreen();
    PressGraphics(kLineButton);  // the current button again: its wavy face
    const InkBox wave =
        DrawAndLetGo(left + 200, top + 110, left + 320, top + 110, false, withLine, area, "wavy_line_drawn.png");
    ASSERT_GT(wave.count, 40) << "no wavy line was drawn";
    EXPECT_GE(wave.bottom - wave.top, 2) << "the line does not wave";
    EXPECT_GT(wave.bottom - wave.top, line.bottom - line.top) << "the wavy line is as flat as the straight one";
    EXPECT_GE(wave.right, left + 320 - kSlack) << "the wavy line does not reach the release";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// View > Display Ruler shows the rulers; a double click on the top ruler makes a
// vertical cyan guide at the pointer's column, across the page.
TEST_F(ShapesScenario, ADoubleClickOnTheTopRulerMakesAGuideThere) {
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    x_.Settle(Millis{800});
    const ScreenPicture without = SettledScreen();
    ASSERT_TRUE(OpenFrameMenu('v'));
    for (int i = 0; i < 3; ++i) x_.PressKey("Down");  // to "Display Ruler"
    x_.PressKey("Return");
    x_.Settle(Millis{800});
    const ScreenPicture with = SettledScreen();
    // The top ruler: the first row below the bars with its blue ticks.
    const int x = MusicLeft() + (MusicRight() - MusicLeft()) / 2;
    int rulerRow = -1;
    const int bars = BarsBottom();
    for (int y = bars - 20; y < bars + 80 && rulerRow < 0; ++y)
        if (ColumnOfColour(with, y, MusicLeft(), MusicRight(), 0x0000FF) >= 0) rulerRow = y;
    ASSERT_GE(rulerRow, 0) << "no ruler came (" << DifferentPixels(without, with) << " pixels changed)";
    EXPECT_LT(ColumnOfColour(without, rulerRow, MusicLeft(), MusicRight(), 0x0000FF), 0);

    x_.MovePointer(x, rulerRow + 4);
    x_.Settle(Millis{300});
    x_.DoubleClick(x, rulerRow + 4);
    x_.Settle(Millis{600});
    Park();
    const ScreenPicture guided = SettledScreen();
    WritePng(guided, TestOutputFolder() / "guide_line.png");
    const int middle = (rulerRow + x_.ScreenHeight()) / 2;
    const int guide = ColumnOfColour(guided, middle, MusicLeft(), MusicRight(), kGuideCyan);
    ASSERT_GE(guide, 0) << "no guide line across the page";
    EXPECT_NEAR(guide, x, 1) << "the guide is not where the ruler was clicked";
    EXPECT_GT(RunOfColourInColumn(guided, guide, rulerRow + 30, middle + 200, kGuideCyan), 200)
        << "the guide does not run down the page";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// With the Zoom tool (key 7), a rectangle dragged over the staff zooms in so that its
// height fills the window: the staff space grows several times.
TEST_F(ShapesScenario, ARectangleDraggedWithTheZoomToolZoomsIn) {
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    x_.Settle(Millis{800});
    Park();
    const ScreenPicture before = SettledScreen();
    const int space = StaffSpace(before);
    ASSERT_GT(space, 0) << "the new score shows no staff";
    const std::vector<int> lines = StaffLinesBesidePalettes(before);
    ASSERT_GE(lines.size(), 5u);
    const int x = MusicLeft() + 100;
    const int height = 8 * space;  // a quarter or less of the window
    x_.MovePointer(x, lines[0] - 2 * space);
    x_.PressKey("7");
    x_.Settle(Millis{300});
    x_.Drag(x, lines[0] - 2 * space, x + 2 * height, lines[0] - 2 * space + height);
    int zoomed = 0;
    EXPECT_TRUE(WaitFor([&] { return (zoomed = StaffSpace(Screen())) >= 3 * space; }, kRedrawTimeout))
        << "a staff space of " << space << " pixels before the drag, " << zoomed << " after";
    WritePng(SettledScreen(), TestOutputFolder() / "zoom_area.png");
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// The Measure Ruler on a measure shows its beat grid and handles; its top handle
// dragged left narrows the measure, and the system is drawn again as it now stands.
TEST_F(ShapesScenario, TheMeasureRulersHandleNarrowsItsMeasure) {
    WriteSettings("[ToolbarSettings]\nStaffTool=760,250,3,3\n");
    ASSERT_TRUE(StartProgram());
    NewScore("1");
    x_.Settle(Millis{800});
    Park();
    const ScreenPicture before = SettledScreen();
    const std::vector<int> lines = StaffLinesBesidePalettes(before);
    ASSERT_GE(lines.size(), 5u);
    const std::vector<int> staff(lines.begin(), lines.begin() + 5);
    const int space = staff[1] - staff[0];
    const std::vector<int> bars = BarlineColumns(before, staff, MusicLeft(), MusicRight());
    ASSERT_GE(bars.size(), 2u) << "no two barlines on the first staff";
    const int measureLeft = bars[0];
    const int measureRight = bars[1];

    ASSERT_TRUE(PressStaffToolsButton(x_, kMeasureRulerButton));
    const int clickX = (measureLeft + measureRight) / 2;
    x_.MovePointer(clickX, staff[2]);
    x_.Settle(Millis{300});
    x_.Click(clickX, staff[2]);
    x_.Settle(Millis{600});
    const ScreenPicture ruled = SettledScreen();
    WritePng(ruled, TestOutputFolder() / "measure_ruler.png");
    const InkBox grid = ChangedBox(before, ruled, measureLeft - 2 * space, staff[0] - 12 * space,
                                   measureRight + 2 * space, staff[4] + 6 * space);
    ASSERT_GT(grid.count, 50) << "no beat grid over the measure";
    // The top handle is the square highest over the grid, at the measure's last beat:
    // taken a little below its top edge, at the middle of that edge.
    int edgeLeft = -1;
    int edgeRight = -1;
    for (int x = grid.left; x <= grid.right; ++x)
        if (ruled.At(x, grid.top) != before.At(x, grid.top)) {
            if (edgeLeft < 0) edgeLeft = x;
            edgeRight = x;
        }
    ASSERT_GT(edgeRight, edgeLeft) << "no handle above the grid";
    const int handleX = (edgeLeft + edgeRight) / 2;
    const int handleY = grid.top + 4;
    EXPECT_GT(handleX, (measureLeft + measureRight) / 2) << "the top handle is not at the measure's end";
    const int drag = std::min(6 * space, (measureRight - measureLeft) / 3);
    x_.MovePointer(handleX, handleY);
    x_.Settle(Millis{300});
    x_.Drag(handleX, handleY, handleX - drag, handleY);
    x_.Settle(Millis{600});
    Park();
    const ScreenPicture after = SettledScreen();
    WritePng(after, TestOutputFolder() / "measure_stretched.png");
    EXPECT_TRUE(NoMessageBoxComes());
    const std::vector<int> moved = BarlineColumns(after, staff, MusicLeft(), MusicRight());
    ASSERT_GE(moved.size(), 2u) << "the barlines are gone";
    // The system keeps its width (the other measures share what this one gave up)
    // and nothing of the old drawing stays: as many barlines as before.
    EXPECT_EQ(moved.size(), bars.size()) << "barlines of the old drawing stayed";
    EXPECT_LT(moved[1] - moved[0], measureRight - measureLeft - drag / 2) << "the measure did not narrow";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// A PNG that another program holds on the clipboard: the Paste Picture tool clicked
// on the paper asks "Paste Picture" and, confirmed, puts the picture there at its own
// size; its bottom-right corner dragged out doubles it (the ratio is kept); H with
// it chosen hides it.
TEST_F(ShapesScenario, APictureFromTheClipboardIsPastedResizedAndHidden) {
    constexpr int kWidth = 60;
    constexpr int kHeight = 40;
    ASSERT_TRUE(NewScoreWithGraphics());
    const std::vector<uint8_t> png = BlackPng(kWidth, kHeight);
    ASSERT_FALSE(png.empty());
    ImageClipboardOwner owner(display_.Name(), png);
    ASSERT_TRUE(owner.Owning()) << "the test could not take the clipboard";
    const ScreenPicture blank = SettledScreen();
    const std::optional<std::pair<int, int>> paper = BlankPaper(blank, 360, 160);
    ASSERT_TRUE(paper) << "no empty paper beside the palettes";
    const auto [left, top] = *paper;
    const int x = left + 60;
    const int y = top + 20;

    PressGraphics(kPictureButton);
    x_.MovePointer(x, y);
    x_.Settle(Millis{300});
    x_.Click(x, y);
    const std::optional<ShownWindow> dialog = x_.WaitForWindow("Paste Picture", Millis{8000});
    ASSERT_TRUE(dialog) << "no Paste Picture dialog"
                        << (FindMessageBox() ? " (a message box came instead)" : "");
    x_.PointAt(*dialog);
    x_.PressKey("Return");
    ASSERT_TRUE(x_.WaitUntilGone("Paste Picture"));
    EXPECT_GT(owner.Answered(), 0) << "the program did not ask for the image";
    LetGo();
    const ScreenPicture pasted = SettledScreen();
    WritePng(pasted, TestOutputFolder() / "picture_pasted.png");
    const InkBox ink = NewInkBox(blank, pasted, left, top, left + 360, top + 160);
    ASSERT_GT(ink.count, kWidth * kHeight / 2) << "no picture was pasted";
    EXPECT_NEAR(ink.left, x, kSlack) << "the picture is not where the page was clicked";
    EXPECT_NEAR(ink.top, y, kSlack);
    EXPECT_NEAR(ink.right - ink.left + 1, kWidth, kSlack) << "the picture is not at its own size";
    EXPECT_NEAR(ink.bottom - ink.top + 1, kHeight, kSlack);

    // The Pointer chooses it; its bottom-right corner goes out by its own size.
    x_.Click(x + kWidth / 2, y + kHeight / 2);
    x_.Settle(Millis{500});
    x_.MovePointer(ink.right, ink.bottom);
    x_.Settle(Millis{300});
    x_.Drag(ink.right, ink.bottom, ink.right + kWidth, ink.bottom + kHeight);
    x_.Settle(Millis{500});
    x_.Click(left + 340, top + 150);  // the empty paper lets it go
    x_.Settle(Millis{500});
    Park();
    const ScreenPicture resized = SettledScreen();
    WritePng(resized, TestOutputFolder() / "picture_resized.png");
    const InkBox larger = NewInkBox(blank, resized, left, top, left + 360, top + 160);
    EXPECT_NEAR(larger.left, ink.left, kSlack) << "the picture's corner moved";
    EXPECT_NEAR(larger.right - larger.left + 1, 2 * kWidth, 2 * kSlack) << "the picture did not widen";
    EXPECT_NEAR(larger.bottom - larger.top + 1, 2 * kHeight, 2 * kSlack) << "the picture did not grow";

    x_.Click(larger.left + kWidth, larger.top + kHeight);
    x_.Settle(Millis{500});
    x_.PressKey("h");
    x_.Settle(Millis{500});
    x_.Click(left + 340, top + 150);
    x_.Settle(Millis{500});
    Park();
    const ScreenPicture hidden = SettledScreen();
    WritePng(hidden, TestOutputFolder() / "picture_hidden.png");
    EXPECT_EQ(NewInkBox(blank, hidden, left, top, left + 360, top + 160).count, 0) << "H did not hide the picture";
    EXPECT_TRUE(NoMessageBoxComes());
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

// View > Display Margins shows the page's margins (and its master page's) as grey
// lines; the Pointer drags the page's left one to the right and the systems' left
// edge goes with it. With the
// margins not shown the same drag moves nothing (a user cannot take what is not
// drawn). Saved and opened again, the systems stand where the drag left them.
TEST_F(ShapesScenario, TheLeftMarginDraggedWithThePointerTakesTheSystemsAlong) {
    constexpr int kMove = 40;
    WriteSettings("[Options]\nShowMargins=0\n");
    main_ = NewScoreWithMain();
    ASSERT_TRUE(main_);
    LetGo();  // the Pointer armed
    const ScreenPicture hidden = SettledScreen();
    WritePng(hidden, TestOutputFolder() / "margins_hidden.png");
    const int staffRow = [&] {
        const std::vector<int> lines = StaffLinesBesidePalettes(hidden);
        return lines.empty() ? -1 : lines.front();
    }();
    ASSERT_GE(staffRow, 0) << "the new score shows no staff";
    const int bottom = x_.ScreenHeight() - 20;
    const int frameLeft = Frame().x;
    const int musicLeft = MusicLeft();
    const int musicRight = MusicRight();
    const int bars = BarsBottom();
    // The systems' left edge: where the first staff's top line starts.
    auto staffStart = [&](const ScreenPicture& picture) {
        for (int x = frameLeft; x < musicRight; ++x)
            if (IsDark(picture.At(x, staffRow))) return x;
        return -1;
    };
    // The left margin: the column left of the music with the longest grey run.
    auto marginGuide = [&](const ScreenPicture& picture) {
        std::pair<int, std::pair<int, int>> best{-1, {-1, 0}};
        for (int x = frameLeft; x < musicLeft + 2 * kMove; ++x) {
            const std::pair<int, int> run = LongestRunInColumn(picture, x, bars, bottom, kMarginGrey);
            if (run.second > best.second.second) best = {x, run};
        }
        return best;
    };
    const int start = staffStart(hidden);
    ASSERT_GE(start, 0);
    EXPECT_LT(marginGuide(hidden).second.second, 100) << "margins shown though the setting is off";

    ASSERT_TRUE(OpenFrameMenu('v'));
    x_.PressKey("Up");  // Display Margins, the menu's last item
    x_.PressKey("Return");
    x_.Settle(Millis{600});
    Park();
    const ScreenPicture shown = SettledScreen();
    WritePng(shown, TestOutputFolder() / "margins_shown.png");
    const auto [guide, run] = marginGuide(shown);
    ASSERT_GT(run.second, 100) << "View > Display Margins drew no left margin";
    EXPECT_NEAR(start, guide, kSlack) << "the systems do not start at the left margin";
    const int pressRow = run.first + run.second / 2;

    x_.MovePointer(guide, pressRow);
    x_.Settle(Millis{300});
    x_.Drag(guide, pressRow, guide + kMove, pressRow);
    x_.Settle(Millis{800});
    Park();
    const ScreenPicture moved = SettledScreen();
    WritePng(moved, TestOutputFolder() / "margin_dragged.png");
    EXPECT_TRUE(NoMessageBoxComes());
    // The master page's margin stays where it was drawn; the page's own is drawn anew
    // where the drag ended.
    int greyThere = 0;
    for (int x = guide + kMove - kSlack; x <= guide + kMove + kSlack; ++x)
        greyThere = std::max(greyThere, LongestRunInColumn(moved, x, bars, bottom, kMarginGrey).second);
    EXPECT_GT(greyThere, 100) << "the left margin is not drawn where the drag ended";
    const int movedStart = staffStart(moved);
    EXPECT_NEAR(movedStart, start + kMove, kSlack) << "the systems did not follow the left margin";

    // Not shown, the margin cannot be taken: the same drag again changes nothing.
    ASSERT_TRUE(OpenFrameMenu('v'));
    x_.PressKey("Up");
    x_.PressKey("Return");
    x_.Settle(Millis{600});
    x_.MovePointer(guide + kMove, pressRow);
    x_.Settle(Millis{300});
    x_.Drag(guide + kMove, pressRow, guide + 2 * kMove, pressRow);
    x_.Settle(Millis{500});
    x_.Click(guide + 3 * kMove, pressRow);  // the marquee drawn there is let go
    x_.Settle(Millis{500});
    Park();
    const ScreenPicture untouched = SettledScreen();
    WritePng(untouched, TestOutputFolder() / "margin_hidden_drag.png");
    EXPECT_EQ(staffStart(untouched), movedStart) << "a margin not shown was dragged";

    const fs::path score = home_->Documents() / "margins.ql";
    ASSERT_TRUE(SaveScoreAs(score));
    ASSERT_EQ(Quit(), 0);
    ASSERT_TRUE(StartProgram({score.string()}));
    ASSERT_TRUE(x_.WaitForWindow("margins.ql"));
    ASSERT_TRUE(WaitFor([&] { return Titled("Main").has_value(); }));
    Park();
    const ScreenPicture reopened = SettledScreen();
    WritePng(reopened, TestOutputFolder() / "margin_reopened.png");
    EXPECT_NEAR(staffStart(reopened), movedStart, kSlack) << "the saved score lost the moved margin";
    EXPECT_EQ(Quit(), 0);
}

// On a score of two pages, the first page's bottom margin Shift-dragged up sends
// that page's last system on to the next page: the first page shows one system
// less, the margin stays where it was, the second page's systems begin with the
// measures it gave up, and the measures that pushes past the second page stand on
// a third page, whose one system shows the score's last measures.
TEST_F(ShapesScenario, TheBottomMarginShiftDraggedUpSendsASystemToTheNextPage) {
    constexpr int kLinesPerSystem = 5;
    WriteSettings("[Options]\nShowMargins=1\n");
    main_ = NewScoreWithMain();
    ASSERT_TRUE(main_);
    InsertPage();
    LetGo();  // the Pointer armed
    // A page by View > Page, and its lower part by PageDown.
    auto showPage = [&](const char* page, bool lowerPart) {
        ChooseMenuPath("vfp");  // View > Find > Page
        const std::optional<ShownWindow> dialog = x_.WaitForWindow("Go to Page");
        ASSERT_TRUE(dialog) << "View > Page showed no dialog";
        x_.PointAt(*dialog);
        x_.TypeText(page);
        x_.PressKey("Return");
        ASSERT_TRUE(x_.WaitUntilGone("Go to Page"));
        x_.Settle(Millis{500});
        if (lowerPart) x_.PressKey("Page_Down");
        x_.Settle(Millis{800});
        Park();
    };
    auto showLowerPart = [&](const char* page) { showPage(page, true); };
    const int bottom = x_.ScreenHeight() - kBelowScoreArea;
    const int bars = BarsBottom();
    const int musicLeft = MusicLeft();
    const int musicRight = MusicRight();
    // The bottom margin: the lowest row of the music's band that is grey most of the way.
    auto marginRow = [&](const ScreenPicture& picture) {
        for (int y = bottom; y > bars; --y) {
            int grey = 0;
            for (int x = musicLeft; x < musicRight; ++x) grey += (picture.At(x, y) & 0xFFFFFF) == kMarginGrey;
            if (grey > (musicRight - musicLeft) * 3 / 4) return y;
        }
        return -1;
    };
    ASSERT_NO_FATAL_FAILURE(showLowerPart("2"));
    const ScreenPicture secondBefore = SettledScreen();
    const size_t secondLines = StaffLinesBesidePalettes(secondBefore).size();

    ASSERT_NO_FATAL_FAILURE(showLowerPart("1"));
    const ScreenPicture before = SettledScreen();
    WritePng(before, TestOutputFolder() / "bottom_margin_before.png");
    const int row = marginRow(before);
    ASSERT_GT(row, 0) << "no bottom margin on the lower part of the first page";
    const size_t firstBefore = StaffLinesBesidePalettes(before).size();
    ASSERT_GE(firstBefore, 2u * kLinesPerSystem) << "the lower part of the first page shows too few systems";

    const int x = musicLeft + 200;
    x_.MovePointer(x, row);
    x_.Settle(Millis{300});
    x_.ShiftDrag(x, row, x, row - 40);
    x_.Settle(Millis{800});
    Park();
    const ScreenPicture after = SettledScreen();
    WritePng(after, TestOutputFolder() / "bottom_margin_shift_dragged.png");
    EXPECT_TRUE(NoMessageBoxComes());
    EXPECT_EQ(StaffLinesBesidePalettes(after).size(), firstBefore - kLinesPerSystem)
        << "the first page did not give up its last system";
    EXPECT_EQ(marginRow(after), row) << "Shift moved the bottom margin itself";

    ASSERT_NO_FATAL_FAILURE(showLowerPart("2"));
    const ScreenPicture second = SettledScreen();
    WritePng(second, TestOutputFolder() / "bottom_margin_next_page.png");
    // Its systems now begin with the measures the first page gave up: as many staves
    // as before, numbered anew.
    EXPECT_EQ(StaffLinesBesidePalettes(second).size(), secondLines);
    EXPECT_GT(ChangedBox(secondBefore, second, musicLeft, bars, musicRight, bottom).count, 20)
        << "the second page did not take the measures of the system";

    ASSERT_NO_FATAL_FAILURE(showPage("3", false));
    const ScreenPicture third = SettledScreen();
    WritePng(third, TestOutputFolder() / "bottom_margin_third_page.png");
    EXPECT_EQ(StaffLinesBesidePalettes(third).size(), static_cast<size_t>(kLinesPerSystem))
        << "the score's last measures stand on no page";
    EXPECT_EQ(QuitWithoutSaving(), 0);
}

}  // namespace
}  // namespace ql::desktop
