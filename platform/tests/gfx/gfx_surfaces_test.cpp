// Surfaces other than a plain window image: printer contexts writing PDF,
// recording contexts replayed into images, Cairo access for text drawing,
// window images resized, and images written to and read from PNG.
#include <gtest/gtest.h>

#include <cairo.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "platform/gfx/caps.h"
#include "platform/gfx/dc_access.h"
#include "platform/gfx/printer.h"
#include "platform/gfx/recording.h"
#include "platform/tests/gfx/gfx_canvas.h"

namespace ql::gfx {
namespace {

using testing::Canvas;

constexpr Colour kRed = Rgb(255, 0, 0);

std::string OutputPath(const std::string& name) {
    std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
    return std::string(QL_TEST_OUTPUT_DIR) + "/" + name;
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Some drawing with mapping, objects, shapes, a blit and XOR feedback.
void DrawScene(DcHandle dc, DcHandle glyphSource) {
    SetMapMode(dc, MapMode::Anisotropic);
    SetWindowExtent(dc, Size{128, 128});
    SetViewportExtent(dc, Size{16, 16});
    SetWindowOrigin(dc, Point{-30720, -30720});
    PenHandle pen = CreatePen(PenStyle::Solid, 16, kRed);
    BrushHandle brush = CreateHatchBrush(HatchStyle::Cross, Rgb(0, 0, 200));
    SaveContext(dc);
    SelectObject(dc, pen);
    SelectObject(dc, brush);
    Ellipse(dc, Rect{-30720 + 40, -30720 + 40, -30720 + 300, -30720 + 260});
    RestoreContext(dc, -1);
    MoveTo(dc, Point{-30720, -30720 + 320});
    LineTo(dc, Point{-30720 + 500, -30720 + 100});
    SetRop2(dc, Rop2::XorPen);
    Rectangle(dc, Rect{-30720 + 100, -30720 + 100, -30720 + 400, -30720 + 200});
    BitBlit(dc, Point{-30720 + 256, -30720 + 256}, Size{32, 32}, glyphSource, Point{0, 0},
            RasterOp::DestXnorSource);
    DeleteObject(pen);
    DeleteObject(brush);
}

// A source for the blits of the scene: a 4x4 image with one black pixel.
class Glyph {
public:
    Glyph() : canvas_(4, 4) { SetPixel(canvas_.dc(), Point{1, 2}, kBlack); }
    DcHandle dc() const { return canvas_.dc(); }

private:
    Canvas canvas_;
};

// Replaying a recording gives the same pixels as drawing directly.
TEST(GfxRecording, ReplayMatchesDirectDrawing) {
    Glyph glyph;
    Canvas direct(80, 60), replayed(80, 60);
    DrawScene(direct.dc(), glyph.dc());
    DcHandle rec = CreateRecordingContext(replayed.dc());
    DrawScene(rec, glyph.dc());
    EXPECT_GT(RecordedCallCount(rec), 10u);
    ASSERT_TRUE(PlayRecording(rec, replayed.dc()));
    EXPECT_EQ(replayed.Pixels(), direct.Pixels());
    DeleteContext(rec);
}

// Replay leaves the target's own state as it was and can run again.
TEST(GfxRecording, ReplayRestoresTheTargetState) {
    Glyph glyph;
    Canvas c(80, 60);
    DcHandle rec = CreateRecordingContext(DcHandle{});
    DrawScene(rec, glyph.dc());
    ASSERT_TRUE(PlayRecording(rec, c.dc()));
    EXPECT_EQ(GetMapMode(c.dc()), MapMode::Text);
    EXPECT_EQ(GetRop2(c.dc()), Rop2::CopyPen);
    EXPECT_EQ(GetSaveDepth(c.dc()), 0);
    std::vector<Colour> once = c.Pixels();
    ASSERT_TRUE(PlayRecording(rec, c.dc()));  // XOR parts cancel, copy parts repeat
    EXPECT_NE(c.Pixels(), once);
    DeleteContext(rec);
}

// A recorded restore that reaches below the recording's first call (a save made
// before the recording was cleared) cannot pop the replay's own save: the
// target's state is still put back afterwards.
TEST(GfxRecording, ReplayCannotPopBelowItsOwnSave) {
    DcHandle rec = CreateRecordingContext(DcHandle{});
    SaveContext(rec);
    ClearRecording(rec);
    RestoreContext(rec, -1);
    SetMapMode(rec, MapMode::Anisotropic);
    SetTextColour(rec, kRed);
    Canvas c(4, 4);
    ASSERT_TRUE(PlayRecording(rec, c.dc()));
    EXPECT_EQ(GetMapMode(c.dc()), MapMode::Text);
    EXPECT_EQ(GetTextColour(c.dc()), kBlack);
    EXPECT_EQ(GetSaveDepth(c.dc()), 0);
    DeleteContext(rec);
}

// A recording answers getters and conversions like a drawing context and draws nothing itself.
TEST(GfxRecording, RecordingKeepsItsOwnState) {
    DcHandle rec = CreateRecordingContext(DcHandle{});
    SetMapMode(rec, MapMode::Anisotropic);
    SetWindowExtent(rec, Size{2, 2});
    SetViewportExtent(rec, Size{1, 1});
    SetTextColour(rec, kRed);
    EXPECT_EQ(LogicalToDevice(rec, Point{10, 20}), (Point{5, 10}));
    EXPECT_EQ(GetTextColour(rec), kRed);
    EXPECT_EQ(GetPixel(rec, Point{0, 0}), kInvalidColour);
    EXPECT_EQ(BeginInk(rec), nullptr);
    bool ran = false;
    EXPECT_TRUE(RecordCall(rec, [&](DcHandle) { ran = true; }));
    Canvas c(4, 4);
    EXPECT_FALSE(RecordCall(c.dc(), [](DcHandle) {}));
    PlayRecording(rec, c.dc());
    EXPECT_TRUE(ran);
    EXPECT_FALSE(PlayRecording(rec, rec));
    DeleteContext(rec);
}

// A recorded pen keeps drawing at replay even after the pen was deleted.
TEST(GfxRecording, DeletedPenStillDrawsAtReplay) {
    DcHandle rec = CreateRecordingContext(DcHandle{});
    PenHandle pen = CreatePen(PenStyle::Solid, 0, kRed);
    SelectObject(rec, pen);
    MoveTo(rec, Point{0, 1});
    LineTo(rec, Point{3, 1});
    DeleteObject(pen);
    Canvas c(4, 3);
    PlayRecording(rec, c.dc());
    EXPECT_EQ(c.CountOf(kRed), 3);
    DeleteContext(rec);
}

// A printed page becomes a non-empty PDF; the capabilities report printer dots.
TEST(GfxPrinter, PageBecomesAPdfFile) {
    std::string path = OutputPath("gfx_printer_page.pdf");
    std::filesystem::remove(path);
    Glyph glyph;
    DcHandle printer = CreatePrinterContext(path, PrinterSetup{});
    ASSERT_TRUE(printer);
    EXPECT_EQ(GetDeviceCaps(printer, DeviceCap::LogPixelsY), kDefaultPrinterDpi);
    EXPECT_EQ(GetDeviceCaps(printer, DeviceCap::HorzRes), 5100);
    EXPECT_EQ(GetDeviceCaps(printer, DeviceCap::HorzSize), 216);
    ASSERT_TRUE(StartDocument(printer, "Test"));
    ASSERT_TRUE(StartPage(printer));
    DrawScene(printer, glyph.dc());
    cairo_t* cr = BeginInk(printer);
    ASSERT_NE(cr, nullptr);
    EndInk(printer);
    ASSERT_TRUE(EndPage(printer));
    ASSERT_TRUE(EndDocument(printer));
    DeleteContext(printer);
    std::string pdf = ReadFile(path);
    EXPECT_EQ(pdf.rfind("%PDF", 0), 0u);
    EXPECT_GT(pdf.size(), 500u);
}

// Drawing outside a page is refused; a printer on an unwritable path is not made.
TEST(GfxPrinter, DrawingOutsideAPageAndBadPathsFail) {
    EXPECT_FALSE(CreatePrinterContext("/nonexistent-folder/x.pdf", PrinterSetup{}));
    EXPECT_FALSE(CreatePrinterContext(OutputPath("bad.pdf"), PrinterSetup{0, 100, 100}));
    DcHandle printer = CreatePrinterContext(OutputPath("gfx_printer_nopage.pdf"), PrinterSetup{});
    ASSERT_TRUE(printer);
    EXPECT_FALSE(Rectangle(printer, Rect{0, 0, 10, 10}));
    EXPECT_EQ(BeginInk(printer), nullptr);
    EXPECT_FALSE(StartPage(printer));  // no document yet
    DeleteContext(printer);
}

// A printer context without a file measures as the printer: its resolution and
// page, and a whole page drawn and ended.
TEST(GfxPrinter, AContextWithoutAFileMeasuresAsThePrinter) {
    DcHandle printer = CreatePrinterContext("", PrinterSetup{});
    ASSERT_TRUE(printer);
    EXPECT_EQ(GetDeviceCaps(printer, DeviceCap::LogPixelsX), kDefaultPrinterDpi);
    EXPECT_EQ(GetDeviceCaps(printer, DeviceCap::VertRes), 6600);
    ASSERT_TRUE(StartDocument(printer, "Measure"));
    ASSERT_TRUE(StartPage(printer));
    EXPECT_TRUE(Rectangle(printer, Rect{0, 0, 600, 600}));
    EXPECT_TRUE(EndPage(printer));
    EXPECT_TRUE(EndDocument(printer));
    DeleteContext(printer);
}

// Cairo ink is clipped to the paint rectangle and lands on the image.
TEST(GfxInk, CairoInkIsClippedToTheContext) {
    Canvas c(10, 10);
    DcHandle paint = CreatePaintContext(c.image(), Rect{0, 0, 5, 10});
    cairo_t* cr = BeginInk(paint);
    ASSERT_NE(cr, nullptr);
    EXPECT_EQ(BeginInk(paint), cr);  // nested
    cairo_set_source_rgb(cr, 0, 0, 0);
    cairo_paint(cr);
    EndInk(paint);
    EndInk(paint);
    EXPECT_EQ(c.CountOf(kBlack), 50);
    EXPECT_EQ(c.At(7, 3), kWhite);
    ReleaseContext(paint);
}

// A resized window image keeps its old pixels and adds white; contexts follow it.
TEST(GfxImages, ResizeKeepsPixelsAndContextsFollow) {
    Canvas c(4, 4);
    SetPixel(c.dc(), Point{3, 3}, kRed);
    ASSERT_TRUE(ResizeImageBitmap(c.image(), 8, 6));
    EXPECT_EQ(c.At(3, 3), kRed);
    EXPECT_EQ(c.At(7, 5), kWhite);
    EXPECT_TRUE(SetPixel(c.dc(), Point{7, 5}, kBlack));
    EXPECT_EQ(c.At(7, 5), kBlack);
}

// An image written as PNG reads back with the same pixels.
TEST(GfxImages, PngRoundTripKeepsPixels) {
    Canvas c(5, 3);
    SetPixel(c.dc(), Point{4, 2}, Rgb(1, 2, 3));
    std::string path = OutputPath("gfx_round_trip.png");
    ASSERT_TRUE(WriteContextPng(c.dc(), path));
    BitmapHandle back = LoadPng(path);
    ASSERT_TRUE(back);
    EXPECT_EQ(ReadBitmapPixels(back), c.Pixels());
    DeleteObject(back);
    EXPECT_FALSE(LoadPng(OutputPath("missing.png")));
}

}  // namespace
}  // namespace ql::gfx
