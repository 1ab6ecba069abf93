// Text output on image contexts: alignment, colours, background, character extra,
// the current position, 8-bit and UTF-16 text, recording contexts, and deleting
// fonts through the drawing layer. Ink is found by reading pixels back.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/gfx/printer.h"
#include "platform/gfx/recording.h"
#include "platform/text/font.h"
#include "platform/text/text_metrics.h"
#include "platform/text/text_out.h"

namespace ql::text {
namespace {

constexpr int kWidth = 400;
constexpr int kHeight = 200;
constexpr int kInkThreshold = 128;  // brightness below which a pixel counts as ink

struct InkBox {
    int left = kWidth, top = kHeight, right = -1, bottom = -1;  // inclusive pixel bounds
    bool Empty() const { return right < left; }
    double CentreX() const { return (left + right + 1) / 2.0; }
};

// An image with a window context on it and one font selected.
class Canvas {
  public:
    explicit Canvas(std::string_view face = "Arial", int32_t height = -60) {
        image_ = gfx::CreateImageBitmap(kWidth, kHeight);
        dc_ = gfx::CreateWindowContext(image_);
        LogicalFont request;
        request.SetFace(face);
        request.height = height;
        font_ = CreateFontIndirect(request);
        gfx::SelectObject(dc_, font_);
        gfx::SetBackgroundMode(dc_, gfx::BackgroundMode::Transparent);
    }
    ~Canvas() {
        gfx::DeleteContext(dc_);
        gfx::DeleteObject(image_);
        DeleteFont(font_);
    }
    gfx::DcHandle dc() const { return dc_; }
    FontHandle font() const { return font_; }
    std::vector<gfx::Colour> Pixels() const { return gfx::ReadBitmapPixels(image_); }
    gfx::Colour Pixel(int x, int y) const { return gfx::GetBitmapPixel(image_, x, y); }

    InkBox Ink() const {
        InkBox box;
        for (int y = 0; y < kHeight; ++y)
            for (int x = 0; x < kWidth; ++x) {
                gfx::Colour c = Pixel(x, y);
                int brightness = (gfx::RedOf(c) + gfx::GreenOf(c) + gfx::BlueOf(c)) / 3;
                if (brightness >= kInkThreshold) continue;
                box.left = std::min(box.left, x);
                box.right = std::max(box.right, x);
                box.top = std::min(box.top, y);
                box.bottom = std::max(box.bottom, y);
            }
        return box;
    }
    int CountPixels(gfx::Colour colour) const {
        int count = 0;
        for (gfx::Colour c : Pixels()) count += c == colour;
        return count;
    }

  private:
    gfx::BitmapHandle image_;
    gfx::DcHandle dc_;
    FontHandle font_;
};

// With the default alignment the point is the top left of the cell: all ink lies
// right of it and below it.
TEST(TextOutput, LeftTopAlignmentPutsTheCellBelowAndRightOfThePoint) {
    Canvas canvas;
    ASSERT_TRUE(TextOutA(canvas.dc(), gfx::Point{50, 40}, "Hello"));
    InkBox ink = canvas.Ink();
    ASSERT_FALSE(ink.Empty());
    EXPECT_GE(ink.left, 50);
    EXPECT_GT(ink.top, 40);
    EXPECT_LT(ink.top, 40 + 25);  // the cap top is within the internal leading
}

// Centre alignment puts the ink centre of a symmetric text at the point.
TEST(TextOutput, CentreAlignmentCentresTheInk) {
    Canvas canvas;
    gfx::SetTextAlign(canvas.dc(), gfx::kTextAlignCentre | gfx::kTextAlignBaseline);
    TextOutA(canvas.dc(), gfx::Point{200, 100}, "HOH");
    InkBox ink = canvas.Ink();
    ASSERT_FALSE(ink.Empty());
    EXPECT_NEAR(ink.CentreX(), 200.0, 1.5);
}

// Right alignment ends the text at the point.
TEST(TextOutput, RightAlignmentEndsTheTextAtThePoint) {
    Canvas canvas;
    gfx::SetTextAlign(canvas.dc(), gfx::kTextAlignRight | gfx::kTextAlignBaseline);
    TextOutA(canvas.dc(), gfx::Point{300, 100}, "HH");
    InkBox ink = canvas.Ink();
    EXPECT_LE(ink.right, 300);
    EXPECT_GT(ink.right, 300 - 10);  // only the side bearing is left
}

// Baseline alignment puts the foot of 'H' on the point's row; bottom alignment
// lifts the descender of 'p' above the point.
TEST(TextOutput, BaselineAndBottomAlignment) {
    Canvas baseline;
    gfx::SetTextAlign(baseline.dc(), gfx::kTextAlignBaseline);
    TextOutA(baseline.dc(), gfx::Point{50, 100}, "H");
    InkBox h = baseline.Ink();
    EXPECT_NEAR(h.bottom, 99, 1);
    Canvas bottom;
    gfx::SetTextAlign(bottom.dc(), gfx::kTextAlignBottom);
    TextOutA(bottom.dc(), gfx::Point{50, 100}, "p");
    InkBox p = bottom.Ink();
    EXPECT_LE(p.bottom, 99);
    EXPECT_GT(p.bottom, 100 - 8);  // the descender nearly reaches the cell bottom
}

// An opaque background fills the text's cell box in the background colour; a
// transparent one leaves the image alone.
TEST(TextOutput, OpaqueBackgroundFillsTheCell) {
    const gfx::Colour green = gfx::Rgb(0, 200, 0);
    Canvas opaque;
    gfx::SetBackgroundMode(opaque.dc(), gfx::BackgroundMode::Opaque);
    gfx::SetBackgroundColour(opaque.dc(), green);
    TextOutA(opaque.dc(), gfx::Point{20, 20}, "ab");
    gfx::Size extent;
    ASSERT_TRUE(GetTextExtentA(opaque.dc(), "ab", &extent));
    EXPECT_EQ(opaque.Pixel(21, 21), green);
    EXPECT_EQ(opaque.Pixel(20 + extent.cx - 2, 20 + extent.cy - 2), green);
    EXPECT_NE(opaque.Pixel(20 + extent.cx + 2, 21), green);
    EXPECT_NE(opaque.Pixel(21, 20 + extent.cy + 2), green);
    EXPECT_GT(opaque.CountPixels(green), extent.cx * extent.cy / 2);
    Canvas transparent;
    gfx::SetBackgroundColour(transparent.dc(), green);
    TextOutA(transparent.dc(), gfx::Point{20, 20}, "ab");
    EXPECT_EQ(transparent.CountPixels(green), 0);
}

// Text takes the context's text colour.
TEST(TextOutput, TextColourIsUsed) {
    const gfx::Colour red = gfx::Rgb(255, 0, 0);
    Canvas canvas;
    gfx::SetTextColour(canvas.dc(), red);
    TextOutA(canvas.dc(), gfx::Point{20, 20}, "MW");
    EXPECT_GT(canvas.CountPixels(red), 50);
    EXPECT_EQ(canvas.CountPixels(gfx::kBlack), 0);
}

// UTF-16 text and the same characters in the Western code page draw the same pixels.
TEST(TextOutput, Utf16AndCodePageTextDrawAlike) {
    Canvas wide, narrow;
    ASSERT_TRUE(TextOutW(wide.dc(), gfx::Point{10, 10}, u"\u00E9t\u00E9 \u20AC5"));
    ASSERT_TRUE(TextOutA(narrow.dc(), gfx::Point{10, 10},
                         "\xE9t\xE9 \x80"
                         "5"));
    EXPECT_FALSE(wide.Ink().Empty());
    EXPECT_EQ(wide.Pixels(), narrow.Pixels());
}

// Character extra adds its logical units after every character.
TEST(TextOutput, CharacterExtraSpreadsTheText) {
    Canvas plain, spread;
    gfx::SetTextCharacterExtra(spread.dc(), 20);
    TextOutA(plain.dc(), gfx::Point{10, 10}, "IIII");
    TextOutA(spread.dc(), gfx::Point{10, 10}, "IIII");
    EXPECT_EQ(spread.Ink().right - plain.Ink().right, 60);
    EXPECT_EQ(spread.Ink().left, plain.Ink().left);
}

// With update-position the text starts at the current position and moves it on by
// the extent; the point passed is ignored.
TEST(TextOutput, UpdatePositionAdvancesTheCurrentPosition) {
    Canvas canvas;
    gfx::SetTextAlign(canvas.dc(), gfx::kTextAlignUpdateCurrentPosition);
    gfx::MoveTo(canvas.dc(), gfx::Point{30, 30});
    gfx::Size extent;
    GetTextExtentA(canvas.dc(), "Word", &extent);
    TextOutA(canvas.dc(), gfx::Point{300, 150}, "Word");
    EXPECT_EQ(gfx::GetCurrentPosition(canvas.dc()), (gfx::Point{30 + extent.cx, 30}));
    EXPECT_LT(canvas.Ink().right, 30 + extent.cx + 1);
    TextOutA(canvas.dc(), gfx::Point{0, 0}, "Word");
    EXPECT_EQ(gfx::GetCurrentPosition(canvas.dc()).x, 30 + 2 * extent.cx);
}

// Through an anisotropic mapping the text lands where the point maps to, at the
// size the mapping gives.
TEST(TextOutput, MappingPlacesAndSizesTheText) {
    Canvas canvas("Arial", -512);
    gfx::SetMapMode(canvas.dc(), gfx::MapMode::Anisotropic);
    gfx::SetWindowExtent(canvas.dc(), gfx::Size{128, 128});
    gfx::SetViewportExtent(canvas.dc(), gfx::Size{16, 16});
    gfx::SetWindowOrigin(canvas.dc(), gfx::Point{-30720, -30720});
    gfx::SetTextAlign(canvas.dc(), gfx::kTextAlignBaseline);
    TextOutA(canvas.dc(), gfx::Point{-30720 + 800, -30720 + 1200}, "H");
    InkBox ink = canvas.Ink();
    EXPECT_NEAR(ink.bottom, 1200 / 8 - 1, 1);
    EXPECT_NEAR(ink.left, 800 / 8 + 5, 4);                     // plus the side bearing
    EXPECT_NEAR(ink.bottom - ink.top + 1, 512 / 8 * 0.72, 3);  // cap height of 0.72 em
}

// A recording context keeps the text and replays it into an image exactly as
// drawing there directly would.
TEST(TextOutput, RecordingReplaysText) {
    Canvas direct, replayed;
    gfx::DcHandle recording = gfx::CreateRecordingContext(gfx::DcHandle{});
    ASSERT_TRUE(recording);
    gfx::SelectObject(recording, direct.font());
    gfx::SetBackgroundMode(recording, gfx::BackgroundMode::Transparent);
    ASSERT_TRUE(TextOutA(recording, gfx::Point{40, 60}, "Replay"));
    EXPECT_TRUE(replayed.Ink().Empty());
    ASSERT_TRUE(gfx::PlayRecording(recording, replayed.dc()));
    TextOutA(direct.dc(), gfx::Point{40, 60}, "Replay");
    EXPECT_FALSE(replayed.Ink().Empty());
    EXPECT_EQ(replayed.Pixels(), direct.Pixels());
    gfx::DeleteContext(recording);
}

// A font deleted after text was recorded with it (as a text object lets go of its
// own font once drawn) still draws that text on every replay; it is gone once no
// recording holds it.
TEST(TextOutput, RecordingKeepsADeletedFontUntilItGoes) {
    Canvas direct, replayed, again;
    LogicalFont request;
    request.SetFace("Arial");
    request.height = -60;
    const FontHandle own = CreateFontIndirect(request);
    gfx::DcHandle recording = gfx::CreateRecordingContext(gfx::DcHandle{});
    gfx::DcHandle other = gfx::CreateRecordingContext(gfx::DcHandle{});
    for (gfx::DcHandle dc : {recording, other}) {
        gfx::SelectObject(dc, own);
        gfx::SetBackgroundMode(dc, gfx::BackgroundMode::Transparent);
        ASSERT_TRUE(TextOutA(dc, gfx::Point{40, 60}, "1."));
    }
    EXPECT_TRUE(gfx::DeleteObject(own));
    EXPECT_NE(FindFont(own), nullptr);
    ASSERT_TRUE(gfx::PlayRecording(recording, replayed.dc()));
    ASSERT_TRUE(gfx::PlayRecording(recording, again.dc()));
    TextOutA(direct.dc(), gfx::Point{40, 60}, "1.");
    EXPECT_FALSE(replayed.Ink().Empty());
    EXPECT_EQ(replayed.Pixels(), direct.Pixels());
    EXPECT_EQ(again.Pixels(), direct.Pixels());
    gfx::DeleteContext(recording);
    EXPECT_NE(FindFont(own), nullptr) << "the other recording still holds it";
    gfx::ClearRecording(other);
    EXPECT_EQ(FindFont(own), nullptr);
    gfx::DeleteContext(other);
}

// A recording context moves its own current position past recorded text, as a
// drawing context would.
TEST(TextOutput, RecordingKeepsTheCurrentPositionInStep) {
    Canvas canvas;
    gfx::DcHandle recording = gfx::CreateRecordingContext(gfx::DcHandle{});
    ASSERT_TRUE(recording);
    gfx::SelectObject(recording, canvas.font());
    gfx::SetTextAlign(recording, gfx::kTextAlignUpdateCurrentPosition);
    gfx::MoveTo(recording, gfx::Point{10, 10});
    TextOutA(recording, gfx::Point{0, 0}, "Step");
    gfx::Size extent;
    ASSERT_TRUE(GetTextExtentA(recording, "Step", &extent));
    EXPECT_EQ(gfx::GetCurrentPosition(recording), (gfx::Point{10 + extent.cx, 10}));
    gfx::DeleteContext(recording);
}

// Underline draws a bar under the text, across its width.
TEST(TextOutput, UnderlineDrawsABarBelowTheBaseline) {
    LogicalFont request;
    request.SetFace("Arial");
    request.height = -60;
    request.underline = 1;
    Canvas canvas;
    FontHandle underlined = CreateFontIndirect(request);
    gfx::SelectObject(canvas.dc(), underlined);
    gfx::SetTextAlign(canvas.dc(), gfx::kTextAlignBaseline);
    TextOutA(canvas.dc(), gfx::Point{50, 100}, "o o");
    InkBox ink = canvas.Ink();
    EXPECT_GT(ink.bottom, 100);
    // The gap between the two letters is inked only by the bar.
    gfx::Size oWidth;
    GetTextExtentA(canvas.dc(), "o ", &oWidth);
    EXPECT_LT(gfx::RedOf(canvas.Pixel(50 + oWidth.cx - 3, ink.bottom)), kInkThreshold);
    gfx::SelectObject(canvas.dc(), canvas.font());
    DeleteFont(underlined);
}

// Text on a printer page goes into the document with its font embedded; outside a
// page nothing can be drawn and the call says so.
TEST(TextOutput, PrinterPagesEmbedTheFont) {
    std::string path = (std::filesystem::path(QL_TEST_OUTPUT_DIR) / "text_printed.pdf").string();
    gfx::DcHandle printer = gfx::CreatePrinterContext(path, gfx::PrinterSetup{});
    ASSERT_TRUE(printer);
    LogicalFont request;
    request.SetFace("Times New Roman");
    request.height = -200;
    FontHandle font = CreateFontIndirect(request);
    gfx::SelectObject(printer, font);
    ASSERT_TRUE(gfx::StartDocument(printer, "text"));
    EXPECT_FALSE(TextOutA(printer, gfx::Point{600, 600}, "before the page"));
    ASSERT_TRUE(gfx::StartPage(printer));
    EXPECT_TRUE(TextOutA(printer, gfx::Point{600, 600}, "Printed"));
    gfx::EndPage(printer);
    ASSERT_TRUE(gfx::EndDocument(printer));
    gfx::DeleteContext(printer);
    DeleteFont(font);
    std::ifstream file(path, std::ios::binary);
    std::string pdf((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    EXPECT_NE(pdf.find("LiberationSerif"), std::string::npos);
    EXPECT_NE(pdf.find("/FontFile"), std::string::npos);
}

// Text larger on the device than glyphs can be rendered (65535 pixels to the
// em) is refused and leaves the image alone; just below that it is drawn.
TEST(TextOutput, TextBeyondTheLargestRenderableSizeIsRefused) {
    Canvas huge("Arial", -100000);
    EXPECT_FALSE(TextOutA(huge.dc(), gfx::Point{0, 0}, "H"));
    EXPECT_TRUE(huge.Ink().Empty());
    Canvas large("Arial", -60000);
    EXPECT_TRUE(TextOutA(large.dc(), gfx::Point{-1000, -20000}, "H"));
}

// Output on a context that does not resolve fails and draws nothing.
TEST(TextOutput, DeadContextFails) {
    gfx::DcHandle dc = gfx::CreateMemoryContext(gfx::DcHandle{});
    gfx::DeleteContext(dc);
    EXPECT_FALSE(TextOutA(dc, gfx::Point{0, 0}, "x"));
    EXPECT_FALSE(TextOutW(dc, gfx::Point{0, 0}, u"x"));
}

// The drawing layer's DeleteObject deletes fonts without any set-up by the caller.
TEST(FontLifetime, DeleteObjectDeletesFontsWithoutSetUp) {
    LogicalFont request;
    request.SetFace("Arial");
    FontHandle font = CreateFontIndirect(request);
    ASSERT_TRUE(font);
    EXPECT_TRUE(gfx::DeleteObject(font));
    EXPECT_EQ(FindFont(font), nullptr);
    EXPECT_FALSE(gfx::DeleteObject(font));
}

}  // namespace
}  // namespace ql::text
