// Context state and objects: the save/restore stack (numbered and relative),
// selecting and deleting pens, brushes, bitmaps and fonts, stock objects, and
// handles that stop resolving once their object is gone.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <unordered_set>
#include <utility>

#include "platform/gfx/caps.h"
#include "platform/gfx/printer.h"
#include "platform/gfx/recording.h"
#include "platform/tests/gfx/gfx_canvas.h"

namespace ql::gfx {
namespace {

// Nested saves come back in order: pens, brushes, mapping and raster operation.
TEST(GfxSaveRestore, NestedSavesRestorePensBrushesMappingAndRopInOrder) {
    testing::Canvas canvas(8, 8);
    DcHandle dc = canvas.dc();
    PenHandle red = CreatePen(PenStyle::Solid, 1, Rgb(255, 0, 0));
    BrushHandle blue = CreateSolidBrush(Rgb(0, 0, 255));
    PenHandle firstPen = GetCurrentPen(dc);
    BrushHandle firstBrush = GetCurrentBrush(dc);

    EXPECT_EQ(SaveContext(dc), 1);
    SelectObject(dc, red);
    SetRop2(dc, Rop2::XorPen);
    SetMapMode(dc, MapMode::Anisotropic);
    SetWindowOrigin(dc, Point{-30720, -30720});
    EXPECT_EQ(SaveContext(dc), 2);
    SelectObject(dc, blue);
    SetRop2(dc, Rop2::NotXorPen);
    SetWindowOrigin(dc, Point{5, 5});

    ASSERT_TRUE(RestoreContext(dc, -1));
    EXPECT_EQ(GetCurrentPen(dc), red);
    EXPECT_EQ(GetCurrentBrush(dc), firstBrush);
    EXPECT_EQ(GetRop2(dc), Rop2::XorPen);
    EXPECT_EQ(GetWindowOrigin(dc), (Point{-30720, -30720}));
    ASSERT_TRUE(RestoreContext(dc, -1));
    EXPECT_EQ(GetCurrentPen(dc), firstPen);
    EXPECT_EQ(GetRop2(dc), Rop2::CopyPen);
    EXPECT_EQ(GetMapMode(dc), MapMode::Text);
    EXPECT_EQ(GetSaveDepth(dc), 0);
    DeleteObject(red);
    DeleteObject(blue);
}

// -1 pops exactly one save; a numbered restore drops that save and all later ones.
TEST(GfxSaveRestore, RelativeAndNumberedRestoresPopTheRightCount) {
    testing::Canvas canvas(8, 8);
    DcHandle dc = canvas.dc();
    for (int i = 0; i < 4; ++i) {
        SetTextColour(dc, Rgb(static_cast<uint8_t>(i), 0, 0));
        SaveContext(dc);
    }
    SetTextColour(dc, Rgb(99, 0, 0));
    ASSERT_TRUE(RestoreContext(dc, -1));
    EXPECT_EQ(GetSaveDepth(dc), 3);
    EXPECT_EQ(GetTextColour(dc), Rgb(3, 0, 0));
    ASSERT_TRUE(RestoreContext(dc, 2));
    EXPECT_EQ(GetSaveDepth(dc), 1);
    EXPECT_EQ(GetTextColour(dc), Rgb(1, 0, 0));
}

// Restoring past the stack, to level 0 or to a level not yet saved changes nothing.
TEST(GfxSaveRestore, OutOfRangeRestoresAreRefused) {
    testing::Canvas canvas(8, 8);
    DcHandle dc = canvas.dc();
    EXPECT_FALSE(RestoreContext(dc, -1));
    SaveContext(dc);
    SetTextColour(dc, Rgb(1, 2, 3));
    EXPECT_FALSE(RestoreContext(dc, 0));
    EXPECT_FALSE(RestoreContext(dc, 2));
    EXPECT_FALSE(RestoreContext(dc, -2));
    EXPECT_EQ(GetTextColour(dc), Rgb(1, 2, 3));
    EXPECT_EQ(GetSaveDepth(dc), 1);
}

// A restore puts back the bitmap that was selected in a memory context.
TEST(GfxSaveRestore, RestoreReselectsTheSavedBitmap) {
    DcHandle mem = CreateMemoryContext(DcHandle{});
    BitmapHandle a = CreateImageBitmap(2, 2), b = CreateImageBitmap(3, 3);
    SelectObject(mem, a);
    SaveContext(mem);
    SelectObject(mem, b);
    RestoreContext(mem, -1);
    EXPECT_EQ(GetCurrentBitmap(mem), a);
    EXPECT_TRUE(DeleteObject(b));   // no longer selected anywhere
    EXPECT_FALSE(DeleteObject(a));  // still selected
    DeleteContext(mem);
    EXPECT_TRUE(DeleteObject(a));
}

// A deleted pen's handle stops resolving, and deleting it again fails.
TEST(GfxObjects, DeletedHandleDoesNotResolve) {
    PenHandle pen = CreatePen(PenStyle::Dash, 3, Rgb(1, 2, 3));
    PenDesc desc;
    ASSERT_TRUE(GetPenDesc(pen, &desc));
    EXPECT_EQ(desc.width, 3);
    ASSERT_TRUE(DeleteObject(pen));
    EXPECT_FALSE(GetPenDesc(pen, &desc));
    EXPECT_FALSE(DeleteObject(pen));
    PenHandle reused = CreatePen(PenStyle::Solid, 0, kBlack);  // may take the same slot
    EXPECT_NE(reused, pen);
    testing::Canvas canvas(4, 4);
    EXPECT_FALSE(SelectObject(canvas.dc(), pen));
    DeleteObject(reused);
}

// Handles never come back, however often a slot is reused: of 100,000 pens
// made and deleted one after another (the freed slot is taken again at once, far
// past the 4,095 generations a slot has) no two share a handle, and the first
// one stays stale throughout.
TEST(GfxObjects, StaleHandleNeverResolvesAcrossEndlessReuse) {
    constexpr int kCycles = 100000;
    PenDesc desc;
    PenHandle first = CreatePen(PenStyle::Solid, 1, kBlack);
    ASSERT_TRUE(DeleteObject(first));
    std::unordered_set<uint32_t> seen{first.bits};
    for (int cycle = 0; cycle < kCycles; ++cycle) {
        PenHandle pen = CreatePen(PenStyle::Solid, 1, kBlack);
        ASSERT_TRUE(pen) << "cycle " << cycle;
        ASSERT_TRUE(seen.insert(pen.bits).second) << "handle handed out twice, cycle " << cycle;
        ASSERT_FALSE(GetPenDesc(first, &desc)) << "cycle " << cycle;
        ASSERT_TRUE(DeleteObject(pen));
    }
    EXPECT_FALSE(DeleteObject(first));
}

// Stock objects cannot be deleted and keep resolving.
TEST(GfxObjects, StockObjectsSurviveDelete) {
    PenHandle black = GetStockPen(StockPen::Black);
    EXPECT_FALSE(DeleteObject(black));
    BrushDesc grey;
    ASSERT_TRUE(GetBrushDesc(GetStockBrush(StockBrush::LightGrey), &grey));
    EXPECT_EQ(grey.colour, Rgb(192, 192, 192));
    EXPECT_FALSE(DeleteObject(GetStockBrush(StockBrush::LightGrey)));
    EXPECT_TRUE(IsStockObject(black));
}

// SelectObject returns the object it replaced, of the same kind.
TEST(GfxObjects, SelectReturnsThePreviousObject) {
    testing::Canvas canvas(4, 4);
    PenHandle pen = CreatePen(PenStyle::Solid, 2, kWhite);
    PenHandle old = SelectObject(canvas.dc(), pen);
    EXPECT_EQ(old, GetStockPen(StockPen::Black));
    AnyObjectHandle back = SelectObject(canvas.dc(), AnyObjectHandle(old));
    EXPECT_EQ(back, AnyObjectHandle(pen));
    DeleteObject(pen);
}

// A pen deleted while selected keeps drawing: the context holds its own copy.
TEST(GfxObjects, SelectedPenDeletedKeepsDrawing) {
    testing::Canvas canvas(10, 3);
    PenHandle red = CreatePen(PenStyle::Solid, 0, Rgb(255, 0, 0));
    SelectObject(canvas.dc(), red);
    ASSERT_TRUE(DeleteObject(red));
    MoveTo(canvas.dc(), Point{0, 1});
    LineTo(canvas.dc(), Point{5, 1});
    EXPECT_EQ(canvas.At(2, 1), Rgb(255, 0, 0));
}

// A bitmap cannot be deleted while it backs a window or is selected.
TEST(GfxObjects, BitmapInUseIsNotDeleted) {
    BitmapHandle backing = CreateImageBitmap(5, 5);
    DcHandle window = CreateWindowContext(backing);
    EXPECT_FALSE(DeleteObject(backing));
    ReleaseContext(window);
    EXPECT_TRUE(DeleteObject(backing));
    BitmapHandle other = CreateImageBitmap(2, 2);
    DcHandle first = CreateMemoryContext(DcHandle{}), second = CreateMemoryContext(DcHandle{});
    ASSERT_TRUE(SelectObject(first, other));
    EXPECT_FALSE(SelectObject(second, other));  // one context at a time
    DeleteContext(first);
    DeleteContext(second);
    EXPECT_TRUE(DeleteObject(other));
}

// Fonts are deleted through the deleter the text module registers.
TEST(GfxObjects, FontsAreDeletedThroughTheRegisteredDeleter) {
    FontHandle font{platform::MakeHandleBits(platform::ObjectKind::Font, 1, 7)};
    FontHandle seen;
    auto previous = SetFontDeleter([&](FontHandle f) {
        seen = f;
        return true;
    });
    testing::Canvas canvas(2, 2);
    SelectObject(canvas.dc(), font);
    EXPECT_EQ(GetCurrentFont(canvas.dc()), font);
    EXPECT_TRUE(DeleteObject(font));
    EXPECT_EQ(seen, font);
    SetFontDeleter(nullptr);
    EXPECT_FALSE(DeleteObject(font));
    SetFontDeleter(std::move(previous));  // the text module's deleter, for later tests
}

// Capabilities describe the surface a context was made for. Window, memory and
// recording contexts of the screen follow the screen, even when it changes after
// they were made; memory and recording contexts made for a printer report its
// dots; millimetres round to nearest; a stale handle reports 0.
TEST(GfxCapabilities, ContextsReportTheSurfaceTheyWereMadeFor) {
    ScreenMetrics saved = GetScreenMetrics();
    testing::Canvas canvas(4, 4);
    DcHandle memory = CreateMemoryContext(canvas.dc());
    DcHandle plain = CreateMemoryContext(DcHandle{});
    DcHandle recording = CreateRecordingContext(canvas.dc());
    SetScreenMetrics(ScreenMetrics{1001, 500, 96, 120});
    for (DcHandle dc : {canvas.dc(), memory, plain, recording}) {
        EXPECT_EQ(GetDeviceCaps(dc, DeviceCap::HorzRes), 1001);
        EXPECT_EQ(GetDeviceCaps(dc, DeviceCap::LogPixelsY), 120);
        EXPECT_EQ(GetDeviceCaps(dc, DeviceCap::HorzSize), 265);  // 264.8 mm
        EXPECT_EQ(GetDeviceCaps(dc, DeviceCap::VertSize), 106);  // 105.8 mm
    }
    std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
    DcHandle printer = CreatePrinterContext(std::string(QL_TEST_OUTPUT_DIR) + "/gfx_caps_printer.pdf",
                                            PrinterSetup{300, 2550, 3300});
    ASSERT_TRUE(printer);
    DcHandle forPrinter[] = {CreateMemoryContext(printer), CreateRecordingContext(printer)};
    for (DcHandle dc : forPrinter) {
        EXPECT_EQ(GetDeviceCaps(dc, DeviceCap::HorzRes), 2550);
        EXPECT_EQ(GetDeviceCaps(dc, DeviceCap::LogPixelsX), 300);
        EXPECT_EQ(GetDeviceCaps(dc, DeviceCap::VertSize), 279);  // 279.4 mm
        DeleteContext(dc);
    }
    DeleteContext(printer);
    for (DcHandle dc : {memory, plain, recording}) DeleteContext(dc);
    EXPECT_EQ(GetDeviceCaps(memory, DeviceCap::LogPixelsX), 0);
    SetScreenMetrics(saved);
}

}  // namespace
}  // namespace ql::gfx
