// Print to Clipboard: the marquee's region as a PNG of the page's own pixels (no
// inverted marquee among them), the page area without focus, nothing for another
// focused object, an SVG whose size is the region's in millimetres, and the view
// and program state unchanged after every failing step.
#include <expat.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <string>

#include "core/model/engraving_metrics.h"
#include "core/model/pages.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "display/painter.h"
#include "editing/marquee.h"
#include "editing/print_to_clipboard.h"
#include "editing/print_to_clipboard_internal.h"
#include "editing/selection.h"
#include "editing/tests/marquee_fixture.h"
#include "notes/beatmap/beat_map.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/objects.h"
#include "platform/sys/clipboard.h"
#include "platform/sys/clipboard_headless.h"
#include "platform/ui/headless.h"
#include "platform/win/paint.h"

namespace ql::testing_editing {
namespace {

using sys::ClipboardFormat;
using sys::headless::ClipboardStep;

constexpr double kUnitsPerInch = 2048.0;  // as the fixture's score is laid out
constexpr uint16_t kLineWidth = 12;

struct DecodedPng {
    int width = 0;
    int height = 0;
    std::vector<gfx::Colour> pixels;
};

DecodedPng Decode(const std::vector<uint8_t>& bytes) {
    const std::filesystem::path path = std::filesystem::temp_directory_path() /
                                       ("ql-clipboard-" + std::to_string(::getpid()) + ".png");
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    DecodedPng out;
    platform::BitmapHandle bitmap = gfx::LoadPng(path.string());
    std::filesystem::remove(path);
    gfx::BitmapInfo info;
    if (!gfx::GetBitmapInfo(bitmap, &info)) return out;
    out.width = info.width;
    out.height = info.height;
    out.pixels = gfx::ReadBitmapPixels(bitmap);
    gfx::DeleteObject(platform::AnyObjectHandle{bitmap});
    return out;
}

// The attributes of the SVG's root element; empty when expat refuses the text.
std::map<std::string, std::string> SvgRootAttributes(const std::vector<uint8_t>& bytes) {
    std::map<std::string, std::string> root;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &root);
    XML_SetStartElementHandler(parser, [](void* data, const XML_Char* name, const XML_Char** attributes) {
        auto* out = static_cast<std::map<std::string, std::string>*>(data);
        if (std::string(name) != "svg" || !out->empty()) return;
        for (int i = 0; attributes[i] != nullptr; i += 2) (*out)[attributes[i]] = attributes[i + 1];
    });
    const bool parsed = XML_Parse(parser, reinterpret_cast<const char*>(bytes.data()),
                                  static_cast<int>(bytes.size()), 1) == XML_STATUS_OK;
    XML_ParserFree(parser);
    if (!parsed) root.clear();
    return root;
}

class PrintToClipboardTest : public MarqueeTest {
  protected:
    void SetUp() override {
        MarqueeTest::SetUp();
        sys::headless::ResetClipboard();
        ResetClipboardPictureFailures();
        Options().ClipBlackAndWhite = 0;  // in colour, as the window shows it
        view_->UnitsPerInch = kUnitsPerInch;
        if (view_->PageRight <= kLogicalOrigin) view_->PageRight = kLogicalOrigin + 17408;
        if (view_->PageBottom <= kLogicalOrigin) view_->PageBottom = kLogicalOrigin + 22528;
        system_ = doc_->firstPage->firstSystem.get();
        // Staff lines and barlines of a visible width, so that the picture has ink.
        doc_->internalDistances[static_cast<int>(EngravingMetric::StaffLineWid)] = kLineWidth;
        doc_->internalDistances[static_cast<int>(EngravingMetric::BarLineWid)] = kLineWidth;
        UpdateBeatMaps(view_, 1);
    }
    void TearDown() override {
        sys::headless::ResetClipboard();
        ResetClipboardPictureFailures();
        ResetProgramOptions();
        MarqueeTest::TearDown();
    }
    void PaintWindow() {
        win::InvalidateRect(window_, nullptr, true);
        PaintScoreWindow(view_);
    }
    // A marquee around the first measure's staff.
    gfx::Rect MarqueeAroundFirstMeasure() {
        const int32_t staffBottom = system_->y + StaffOffsetsOf(system_)[1];
        const gfx::Rect r{system_->x - 64, staffBottom - 700, system_->x + 900, staffBottom + 200};
        DrawMarquee(r.left, r.top, r.right, r.bottom);
        return gfx::Normalised(CurrentMarqueeRect());
    }
    std::vector<uint8_t> Offered(ClipboardFormat format) {
        std::optional<sys::ClipboardOffer> offer = sys::headless::LastClipboardOffer();
        if (!offer) return {};
        auto found = offer->blocks.find(static_cast<uint32_t>(format));
        return found == offer->blocks.end() ? std::vector<uint8_t>{} : found->second;
    }

    const ScoreSystem* system_ = nullptr;
};

// The PNG has the region's device size, and its pixels are the page as the window
// shows it without the marquee: the marquee's inversion is not in the picture.
TEST_F(PrintToClipboardTest, MarqueeRegionIsThePagesOwnPixels) {
    PaintWindow();
    const std::vector<uint32_t> page = Pixels();
    const gfx::Rect region = MarqueeAroundFirstMeasure();
    ASSERT_NE(Pixels(), page);  // the marquee shows inverted on the window
    const gfx::Rect device = DeviceRect(region);
    PrintToClipboard(view_);
    EXPECT_EQ(sys::headless::LastOfferedTargets(), (std::vector<std::string>{"image/png", "image/svg+xml"}));
    const DecodedPng png = Decode(Offered(ClipboardFormat::Png));
    ASSERT_EQ(png.width, device.Width());
    ASSERT_EQ(png.height, device.Height());
    const int32_t width = WindowWidth();
    int inked = 0;
    for (int y = 0; y < png.height; ++y)
        for (int x = 0; x < png.width; ++x) {
            const uint32_t expected = page[(device.top + y) * width + device.left + x];
            ASSERT_EQ(png.pixels[y * png.width + x] & 0xFFFFFFu, expected & 0xFFFFFFu) << x << "," << y;
            inked += (expected & 0xFFFFFFu) != 0xFFFFFFu;
        }
    EXPECT_GT(inked, 0);  // the staff is in the picture
    EXPECT_NE(CurrentMarquee(), nullptr);  // the marquee stays
}

// "Black and White Clipboard Data" makes a black-and-white picture from the start:
// a colour bitmap that cannot be had asks no question then. Without it the
// question comes, and No leaves the picture out.
TEST_F(PrintToClipboardTest, BlackAndWhiteOptionNeedsNoColourBitmap) {
    MarqueeAroundFirstMeasure();
    for (uint8_t blackAndWhite : {1, 0}) {
        Options().ClipBlackAndWhite = blackAndWhite;
        sys::headless::ResetClipboard();
        const size_t boxes = ui::headless::MessageBoxes().size();
        if (blackAndWhite == 0) ui::headless::QueueMessageBoxAnswer(ui::kIdNo);
        FailClipboardPictureStep(ClipboardPictureStep::ColourBitmap);
        PrintToClipboard(view_);
        ResetClipboardPictureFailures();
        EXPECT_EQ(ui::headless::MessageBoxes().size() > boxes, blackAndWhite == 0) << int{blackAndWhite};
        std::set<uint32_t> colours;
        for (gfx::Colour pixel : Decode(Offered(ClipboardFormat::Png)).pixels) colours.insert(pixel & 0xFFFFFFu);
        if (blackAndWhite != 0) {
            EXPECT_EQ(colours, (std::set<uint32_t>{0x000000u, 0xFFFFFFu}));
        } else {
            EXPECT_TRUE(colours.empty()) << "No: no picture";
        }
    }
}

// Without focus the picture is the whole page area.
TEST_F(PrintToClipboardTest, NoFocusCopiesThePageArea) {
    PrintToClipboard(view_);
    const DecodedPng png = Decode(Offered(ClipboardFormat::Png));
    const gfx::Rect device = DeviceRect(gfx::Rect{kLogicalOrigin, kLogicalOrigin, view_->PageRight, view_->PageBottom});
    // The page is larger than the window the device rectangle is cut to.
    EXPECT_GE(png.width, device.Width());
    EXPECT_GE(png.height, device.Height());
    EXPECT_GT(png.width, WindowWidth());
}

// A focused object other than the marquee or a picture gives nothing: the
// clipboard is not even opened.
TEST_F(PrintToClipboardTest, OtherFocusedObjectOffersNothing) {
    ScoreObject* box = MakeBox(originX_, originY_, originX_ + 400, originY_ + 400);
    TheSelectionState()->focusedObject = Ref32<ScoreObject>::To(box);
    PrintToClipboard(view_);
    TheSelectionState()->focusedObject = TheSelectionState()->defaultObject;
    EXPECT_FALSE(sys::headless::LastClipboardOffer().has_value());
    EXPECT_EQ(sys::headless::ClipboardOpenCount(), 0);
}

// One inch by half an inch gives 25.4 by 12.7 millimetres, the title names the
// program, and expat reads the whole document.
TEST_F(PrintToClipboardTest, SvgSizeIsTheRegionsInMillimetres) {
    const int32_t inch = static_cast<int32_t>(kUnitsPerInch);
    DrawMarquee(system_->x, system_->y - 600, system_->x + inch, system_->y - 600 + inch / 2);
    const gfx::Rect region = gfx::Normalised(CurrentMarqueeRect());
    ASSERT_EQ(region.Width(), inch);
    ASSERT_EQ(region.Height(), inch / 2);
    PrintToClipboard(view_);
    const std::vector<uint8_t> svg = Offered(ClipboardFormat::Svg);
    const std::map<std::string, std::string> root = SvgRootAttributes(svg);
    ASSERT_FALSE(root.empty());
    EXPECT_EQ(root.at("width"), "25.4mm");
    EXPECT_EQ(root.at("height"), "12.7mm");
    EXPECT_NE(std::string(svg.begin(), svg.end()).find("<title>Quaverlinescribe</title>"), std::string::npos);
}

// What the command may change, compared before and after.
struct KeptState {
    int32_t zoom;
    int32_t origin[2];
    std::vector<int32_t> systemY;
    platform::DcHandle printDc;
    uint8_t rendering;
    int32_t drawDepth;
    bool clipboardOpen;
    bool operator==(const KeptState&) const = default;
};

KeptState Capture(ScoreView* view) {
    KeptState s{view->zoom, {view->pageOrigin[0], view->pageOrigin[1]}, {}, State().drawing.PrintDC,
                State().drawing.ClipboardRendering, view->DrawDepth, sys::IsClipboardOpen()};
    for (ScorePage* page = view->document->firstPage; page != nullptr; page = page->next.get())
        for (ScoreSystem* system = page->firstSystem.get(); system != nullptr; system = system->next.get())
            s.systemY.push_back(system->y);
    return s;
}

// Every step that fails (the clipboard's open, empty and set; the bitmaps, the
// recording and the SVG) leaves the view, the systems, the contexts and the flags
// as they were, and closes what it opened.
TEST_F(PrintToClipboardTest, EveryFailingStepRestoresEverything) {
    MarqueeAroundFirstMeasure();
    const KeptState before = Capture(view_);
    for (ClipboardStep step : {ClipboardStep::Open, ClipboardStep::Empty, ClipboardStep::Set}) {
        sys::headless::FailNextClipboardStep(step);
        PrintToClipboard(view_);
        EXPECT_EQ(Capture(view_), before) << static_cast<int>(step);
    }
    for (ClipboardPictureStep step :
         {ClipboardPictureStep::ColourBitmap, ClipboardPictureStep::MonochromeBitmap,
          ClipboardPictureStep::RegionBitmap, ClipboardPictureStep::Recording, ClipboardPictureStep::Svg}) {
        if (step == ClipboardPictureStep::ColourBitmap) ui::headless::QueueMessageBoxAnswer(ui::kIdNo);
        if (step == ClipboardPictureStep::MonochromeBitmap) {
            FailClipboardPictureStep(ClipboardPictureStep::ColourBitmap);
            ui::headless::QueueMessageBoxAnswer(ui::kIdYes);
        }
        FailClipboardPictureStep(step);
        PrintToClipboard(view_);
        EXPECT_EQ(Capture(view_), before) << static_cast<int>(step);
    }
    EXPECT_EQ(sys::headless::ClipboardOpenCount(), sys::headless::ClipboardCloseCount());
}

// One format failing does not stop the other.
TEST_F(PrintToClipboardTest, FailedBitmapStillOffersTheSvg) {
    MarqueeAroundFirstMeasure();
    ui::headless::QueueMessageBoxAnswer(ui::kIdNo);
    FailClipboardPictureStep(ClipboardPictureStep::ColourBitmap);
    PrintToClipboard(view_);
    EXPECT_EQ(sys::headless::LastOfferedTargets(), (std::vector<std::string>{"image/svg+xml"}));
}

}  // namespace
}  // namespace ql::testing_editing
