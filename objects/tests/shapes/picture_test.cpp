// Pictures: pasting from the clipboard (a metafile preferred to a bitmap, the pixels
// of a 256-colour DIB after its 256 four-byte entries and of a core-header DIB after
// three-byte entries, compressed bitmaps refused, Cancel placing nothing), resizing
// with and without the kept ratio, "H" as an undoable step, Edit Copy, the "Color"
// choice of a monochrome bitmap, the cache's size, its black-and-white fallback and
// reuse, the repaint after a drag, pictures written and read back, and damaged bytes.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <random>
#include <vector>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/selection_state.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/undo/undo.h"
#include "display/anchors.h"
#include "objects/graphics/shape_dialog_resources.h"
#include "objects/picture/dib.h"
#include "objects/picture/picture_class.h"
#include "objects/tests/shapes/shapes_fixture.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/metafile.h"
#include "platform/gfx/recording.h"
#include "platform/sys/clipboard.h"
#include "platform/sys/clipboard_headless.h"
#include "platform/sys/folders.h"
#include "platform/ui/headless.h"
#include "platform/win/paint.h"

namespace ql::testing_shapes {
namespace {

using sys::ClipboardFormat;
using ui::headless::DialogDriver;

void Put32(std::vector<uint8_t>& b, uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<uint8_t>(v >> (8 * i)));
}
void Put16(std::vector<uint8_t>& b, uint16_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}

// The palette entry of an index in the test pattern.
gfx::Colour PatternColour(int index) {
    return gfx::Rgb(static_cast<uint8_t>(index), static_cast<uint8_t>(255 - index), 64);
}

// An 8-bit DIB of width x height whose pixel (x, y) from the top has index 16y + 4x +
// 10; with `core` a 12-byte header and three-byte entries, else a 40-byte header
// and 256 four-byte entries. `compression` goes into the information header.
std::vector<uint8_t> PatternDib(int width, int height, bool core, uint32_t compression = 0) {
    std::vector<uint8_t> b;
    if (core) {
        Put32(b, 12);
        Put16(b, static_cast<uint16_t>(width));
        Put16(b, static_cast<uint16_t>(height));
        Put16(b, 1);
        Put16(b, 8);
    } else {
        Put32(b, 40);
        Put32(b, static_cast<uint32_t>(width));
        Put32(b, static_cast<uint32_t>(height));
        Put16(b, 1);
        Put16(b, 8);
        Put32(b, compression);
        for (int i = 0; i < 5; ++i) Put32(b, 0);  // image size, resolutions, colours used, important
    }
    for (int i = 0; i < 256; ++i) {
        gfx::Colour c = PatternColour(i);
        b.push_back(gfx::BlueOf(c));
        b.push_back(gfx::GreenOf(c));
        b.push_back(gfx::RedOf(c));
        if (!core) b.push_back(0);
    }
    int stride = (width + 3) / 4 * 4;
    for (int row = height - 1; row >= 0; --row) {  // bottom row first
        for (int x = 0; x < stride; ++x) b.push_back(x < width ? static_cast<uint8_t>(16 * row + 4 * x + 10) : 0);
    }
    return b;
}

// A 1-bit DIB (two colours, black and white).
std::vector<uint8_t> MonochromeDib() {
    std::vector<uint8_t> b;
    Put32(b, 40);
    Put32(b, 8);
    Put32(b, 2);
    Put16(b, 1);
    Put16(b, 1);
    for (int i = 0; i < 6; ++i) Put32(b, 0);
    Put32(b, 0x000000);
    Put32(b, 0xFFFFFF);
    Put32(b, 0xF0000000);
    Put32(b, 0x0F000000);
    return b;
}

// The header record of an enhanced metafile with a frame of 2540 x 1270 hundredths
// of a millimetre (one inch by half an inch).
std::vector<uint8_t> Metafile() {
    std::vector<uint8_t> b;
    Put32(b, 1);   // header record
    Put32(b, 88);  // its size
    for (int i = 0; i < 4; ++i) Put32(b, 0);  // bounds
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, 2540);
    Put32(b, 1270);
    Put32(b, 0x464D4520);  // " EMF"
    while (b.size() < 88) b.push_back(0);
    return b;
}

// An enhanced metafile that draws: its header (bounds 0..99 x 0..49, frame one inch
// by half an inch, two handles), a solid red brush selected, a rectangle from (10, 10)
// to (90, 40) in the default black pen, and the end record.
std::vector<uint8_t> RedRectangleMetafile() {
    constexpr uint32_t kRed = 0x0000FF;  // a COLORREF: red in the low byte
    std::vector<uint8_t> b;
    for (uint32_t v : {1u, 88u, 0u, 0u, 99u, 49u, 0u, 0u, 2540u, 1270u, 0x464D4520u, 0x10000u, 0u, 5u}) Put32(b, v);
    Put16(b, 2);  // handles: the table's own and the brush
    Put16(b, 0);
    for (uint32_t v : {0u, 0u, 0u, 1024u, 768u, 320u, 240u}) Put32(b, v);
    while (b.size() < 88) b.push_back(0);
    for (uint32_t v : {39u, 24u, 1u, 0u, kRed, 0u}) Put32(b, v);    // a solid brush, object 1
    for (uint32_t v : {37u, 12u, 1u}) Put32(b, v);                  // selected
    for (uint32_t v : {43u, 24u, 10u, 10u, 90u, 40u}) Put32(b, v);  // the rectangle
    for (uint32_t v : {14u, 20u, 0u, 16u, 20u}) Put32(b, v);        // the end
    const uint32_t size = static_cast<uint32_t>(b.size());
    for (int i = 0; i < 4; ++i) b[48 + i] = static_cast<uint8_t>(size >> (8 * i));
    return b;
}

bool HaveMetafileRenderer() {
    return std::filesystem::exists(sys::ProgramFolder() / "ql-emf2rgb");
}

class PictureTest : public ShapesTest {
  protected:
    void SetUp() override {
        ShapesTest::SetUp();
        sys::headless::ResetClipboard();
        RegisterShapeDialogResources();
    }
    void TearDown() override {
        sys::headless::ResetClipboard();
        Options().ShowHidden = 0;
        State().drawing.PrintDC = platform::DcHandle{};
        ShapesTest::TearDown();
    }
    void Offer(std::initializer_list<std::pair<ClipboardFormat, std::vector<uint8_t>>> blocks) {
        ASSERT_TRUE(sys::OpenClipboard(platform::WindowHandle{}));
        sys::EmptyClipboard();
        for (const auto& block : blocks) sys::SetClipboardData(block.first, block.second);
        sys::CloseClipboard();
    }
    // Pastes at a page point, the dialog answered by `script` (OK by default).
    PictureObject* Paste(LogicalPoint at, ui::headless::DialogScript script = {}) {
        if (!script) script = [](DialogDriver& d) { d.Click(ui::kIdOk); };
        ui::headless::SetDialogScript(picture_dialog::kDialog, script);
        ScoreObject* prototype = ConstructObject(TypeCode(ObjectType::Picture));
        view_->pointerPoint = at;
        ScoreObject* made = ClassOf(prototype).CreateAtClick(prototype, view_);
        FreeRecord(kLargeObjectPool, prototype);
        return made != nullptr ? AsPicture(made) : nullptr;
    }
    PictureObject* Placed(int32_t width, int32_t height, uint8_t flags) {
        ScoreObject* object = ConstructObject(TypeCode(ObjectType::Picture));
        object->subtype = SubtypeCode(ObjectSubtype::PageList);
        LogicalPoint at{kPageOrigin + 800, kPageOrigin + 800};
        EncodePageAnchors(view_, &AsPicture(object)->body.location, &at, 1);
        AsPicture(object)->body.width = width;
        AsPicture(object)->body.height = height;
        AsPicture(object)->body.flags = flags;
        InsertObjectBySubtype(view_, object);
        return AsPicture(object);
    }
    ScoreObject* Header(PictureObject* picture) { return &picture->header; }
    std::vector<std::string> Messages() const {
        std::vector<std::string> texts;
        for (const auto& box : ui::headless::MessageBoxes()) texts.push_back(box.text);
        return texts;
    }
};

// A metafile and a bitmap on offer: the picture is the metafile, its bytes kept as
// they are, its natural size the frame at the screen's resolution.
TEST_F(PictureTest, MetafilePreferredToBitmap) {
    OpenWindow(300, 200);
    Offer({{ClipboardFormat::EnhancedMetafile, Metafile()}, {ClipboardFormat::Dib, PatternDib(4, 2, false)}});
    PictureObject* picture = Paste({kPageOrigin + 800, kPageOrigin + 800});
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(V(picture->body.format), kPictureFormatMetafile);
    EXPECT_EQ(*PictureBytesOf(picture, doc_), Metafile());
    EXPECT_EQ(V(picture->body.width), 96 * 8);  // an inch at 96 dots, 8 units a pixel
    EXPECT_EQ(V(picture->body.height), 48 * 8);
    EXPECT_EQ(sys::headless::ClipboardOpenCount(), sys::headless::ClipboardCloseCount());
}

// A 256-colour DIB finds its pixels after 256 four-byte entries; a core-header DIB
// after 256 three-byte entries: the painted pixels are the pattern's colours.
TEST_F(PictureTest, DibPixelsAfterTheirColourTable) {
    OpenWindow(300, 200);
    for (bool core : {false, true}) {
        ClearWindow();
        Offer({{ClipboardFormat::Dib, PatternDib(8, 4, core)}});
        PictureObject* picture = Paste({kPageOrigin + 800, kPageOrigin + 800});
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(V(picture->body.format), kPictureFormatDib);
        EXPECT_EQ(V(picture->body.width), 8 * 8);  // 8 pixels at 8 units a pixel
        ClassOf(Header(picture)).Paint(Header(picture), view_);
        gfx::Point origin = Device(kPageOrigin + 800, kPageOrigin + 800);
        platform::BitmapHandle image = win::GetWindowImage(window_);
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < 8; ++x)
                EXPECT_EQ(gfx::GetBitmapPixel(image, origin.x + x, origin.y + y), PatternColour(16 * y + 4 * x + 10))
                    << (core ? "core " : "info ") << x << "," << y;
        SavePicture(core ? "picture_core_dib.png" : "picture_256_colour_dib.png");
        UnlinkObject(Header(picture));
        ReleaseObjectByType(doc_, Header(picture));
    }
}

// A pasted metafile draws what its records draw: the red rectangle inside the
// picture, white paper around it; shown in black and white, the rectangle is black.
TEST_F(PictureTest, MetafileDrawsItsRecords) {
    if (!HaveMetafileRenderer()) GTEST_SKIP() << "the metafile renderer is not built";
    OpenWindow(300, 200);
    Offer({{ClipboardFormat::EnhancedMetafile, RedRectangleMetafile()}});
    PictureObject* picture = Paste({kPageOrigin + 800, kPageOrigin + 800});
    ASSERT_NE(picture, nullptr);
    ASSERT_EQ(V(picture->body.width), 96 * 8);  // an inch at 96 dots, 8 units a pixel
    ClassOf(Header(picture)).Paint(Header(picture), view_);
    SavePicture("picture_metafile.png");
    const gfx::Point origin = Device(kPageOrigin + 800, kPageOrigin + 800);
    platform::BitmapHandle image = win::GetWindowImage(window_);
    const gfx::Colour inside = gfx::GetBitmapPixel(image, origin.x + 48, origin.y + 24);
    EXPECT_GT(gfx::RedOf(inside), 200) << std::hex << inside;
    EXPECT_LT(gfx::GreenOf(inside), 60) << std::hex << inside;
    EXPECT_LT(gfx::BlueOf(inside), 60) << std::hex << inside;
    EXPECT_EQ(gfx::GetBitmapPixel(image, origin.x + 2, origin.y + 2), gfx::kWhite);
    picture->body.flags |= kPictureBlackAndWhite;
    DropPictureCache(picture);
    ClearWindow();
    ClassOf(Header(picture)).Paint(Header(picture), view_);
    EXPECT_EQ(gfx::GetBitmapPixel(win::GetWindowImage(window_), origin.x + 48, origin.y + 24), gfx::kBlack);
}

// A metafile whose cache takes 16,000,000 bytes at the window's 32 bits a pixel
// (2,000 x 2,000 pixels) keeps its colours; one pixel row more and the cache is
// black and white: the red rectangle is black in it, the paper stays white.
TEST_F(PictureTest, VeryLargeMetafileCachesAreBlackAndWhite) {
    if (!HaveMetafileRenderer()) GTEST_SKIP() << "the metafile renderer is not built";
    OpenWindow(300, 200);
    Offer({{ClipboardFormat::EnhancedMetafile, RedRectangleMetafile()}});
    PictureObject* picture = Paste({kPageOrigin + 800, kPageOrigin + 800});
    ASSERT_NE(picture, nullptr);
    constexpr int32_t kSide = 2000;  // device pixels, 8 units each
    for (int32_t rows : {kSide, kSide + 1}) {
        SCOPED_TRACE(rows);
        picture->body.width = kSide * 8;
        picture->body.height = rows * 8;
        DropPictureCache(picture);
        ClassOf(Header(picture)).Paint(Header(picture), view_);
        ASSERT_NE(picture->cache, 0u);
        const platform::BitmapHandle cache{picture->cache};
        gfx::BitmapInfo info;
        ASSERT_TRUE(gfx::GetBitmapInfo(cache, &info));
        ASSERT_EQ(info.width, kSide);
        ASSERT_EQ(info.height, rows);
        const gfx::Colour inside = gfx::GetBitmapPixel(cache, kSide / 2, rows / 2);
        if (rows == kSide) {
            EXPECT_GT(gfx::RedOf(inside), 200) << std::hex << inside;
            EXPECT_LT(gfx::GreenOf(inside), 60) << std::hex << inside;
        } else {
            EXPECT_EQ(inside, gfx::kBlack) << std::hex << inside;
        }
        EXPECT_EQ(gfx::GetBitmapPixel(cache, 20, 20), gfx::kWhite);
    }
    DropPictureCache(picture);
}

// Damaged metafiles (bytes changed, the end cut off) give either nothing or the
// whole picture, and the program goes on; so does a program without its renderer.
TEST_F(PictureTest, DamagedMetafilesRenderWholeOrNotAtAll) {
    if (!HaveMetafileRenderer()) GTEST_SKIP() << "the metafile renderer is not built";
    constexpr int kWidth = 40;
    constexpr int kHeight = 20;
    const std::vector<uint8_t> good = RedRectangleMetafile();
    ASSERT_TRUE(gfx::RenderMetafile(good, kWidth, kHeight).has_value());
    std::mt19937 random(36);
    int refused = 0;
    for (int round = 0; round < 70; ++round) {
        std::vector<uint8_t> bytes = good;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < changes; ++i) bytes[random() % bytes.size()] = static_cast<uint8_t>(random());
        bytes.resize(random() % (bytes.size() + 1));
        const std::optional<std::vector<gfx::Colour>> pixels = gfx::RenderMetafile(bytes, kWidth, kHeight);
        if (pixels) EXPECT_EQ(pixels->size(), size_t{kWidth} * kHeight) << round;
        else ++refused;
    }
    EXPECT_GT(refused, 0);
    EXPECT_FALSE(gfx::RenderMetafile(good, 0, kHeight).has_value());
    EXPECT_FALSE(gfx::RenderMetafile({}, kWidth, kHeight).has_value());
    sys::SetProgramFolder(std::filesystem::path(QL_TEST_OUTPUT_DIR));  // no renderer there
    EXPECT_FALSE(gfx::RenderMetafile(good, kWidth, kHeight).has_value());
    sys::SetProgramFolder({});
}

// Compressed bitmaps are refused with their message; nothing is placed; the
// clipboard is closed again.
TEST_F(PictureTest, CompressedBitmapRefused) {
    Offer({{ClipboardFormat::Dib, PatternDib(8, 4, false, 1)}});
    EXPECT_EQ(Paste({0, 0}), nullptr);
    EXPECT_EQ(Messages(), std::vector<std::string>{"Unable to import compressed bitmaps."});
    EXPECT_FALSE(sys::IsClipboardOpen());
    EXPECT_EQ(doc_->ownedRecords.size(), 0u);
}

// Nothing on offer: the message, no picture. Cancel of "Paste Picture": nothing
// placed, the clipboard not even opened.
TEST_F(PictureTest, NothingOfferedAndCancel) {
    EXPECT_EQ(Paste({0, 0}), nullptr);
    EXPECT_EQ(Messages(), std::vector<std::string>{"No picture available on clipboard."});
    Offer({{ClipboardFormat::Dib, PatternDib(4, 2, false)}});
    int opens = sys::headless::ClipboardOpenCount();
    EXPECT_EQ(Paste({0, 0}, [](DialogDriver& d) { d.Click(ui::kIdCancel); }), nullptr);
    EXPECT_EQ(sys::headless::ClipboardOpenCount(), opens);
    EXPECT_EQ(sys::headless::ClipboardFormats(), std::vector<ClipboardFormat>{ClipboardFormat::Dib});
}

// The focused colour picture shows in the red of the selection (dark pixels red,
// the others white), a hidden one shown among hidden objects in the grey of hidden
// objects; unfocused and shown, it has its colours again, also when its red cache
// was not dropped in between.
TEST_F(PictureTest, FocusedPictureShowsRedAndHiddenOneGrey) {
    constexpr int kWide = 8;
    constexpr int kHigh = 4;
    OpenWindow(300, 200);
    Offer({{ClipboardFormat::Dib, PatternDib(kWide, kHigh, false)}});
    PictureObject* picture = Paste({kPageOrigin + 800, kPageOrigin + 800});
    ASSERT_NE(picture, nullptr);
    ASSERT_TRUE(IsColourPicture(picture->body));
    const gfx::Point origin = Device(kPageOrigin + 800, kPageOrigin + 800);
    // The picture's pixels painted as it stands, its cache rebuilt.
    auto painted = [&] {
        DropPictureCache(picture);
        ClearWindow();
        ClassOf(Header(picture)).Paint(Header(picture), view_);
        std::vector<gfx::Colour> pixels;
        platform::BitmapHandle image = win::GetWindowImage(window_);
        for (int y = 0; y < kHigh; ++y)
            for (int x = 0; x < kWide; ++x) pixels.push_back(gfx::GetBitmapPixel(image, origin.x + x, origin.y + y));
        return pixels;
    };
    // Every pixel the ink or white (the pattern's colours are all dark: all ink).
    auto onlyInkAndWhite = [](const std::vector<gfx::Colour>& pixels, gfx::Colour ink) {
        int inked = 0;
        for (gfx::Colour c : pixels) {
            if (c != ink && c != gfx::kWhite) return false;
            inked += c == ink ? 1 : 0;
        }
        return inked > 0;
    };
    SelectionState* selection = TheSelectionState();
    selection->focusedObject = Ref32<ScoreObject>::To(Header(picture));
    selection->editMode = 1;
    EXPECT_TRUE(onlyInkAndWhite(painted(), kRedColour));
    selection->editMode = 0;
    const std::vector<gfx::Colour> shown = painted();
    for (int y = 0; y < kHigh; ++y)
        for (int x = 0; x < kWide; ++x)
            EXPECT_EQ(shown[static_cast<size_t>(y * kWide + x)], PatternColour(16 * y + 4 * x + 10)) << x << "," << y;
    // Let go after a paint in red, the next paint (the cache kept) has the colours.
    selection->editMode = 1;
    painted();
    selection->editMode = 0;
    ClearWindow();
    ClassOf(Header(picture)).Paint(Header(picture), view_);
    EXPECT_EQ(gfx::GetBitmapPixel(win::GetWindowImage(window_), origin.x, origin.y), PatternColour(10))
        << "the focused look stayed";
    picture->body.flags |= kPictureHidden;
    Options().ShowHidden = 1;
    EXPECT_TRUE(onlyInkAndWhite(painted(), kGreyColour));
    selection->focusedObject = Ref32<ScoreObject>{};
}

// Keep ratio: the bottom-right corner of 400 x 200 stays 2 : 1; an edge cannot
// move. Without it the left edge dragged past the right leaves 8 device pixels.
TEST_F(PictureTest, ResizingKeepsTheRatio) {
    OpenWindow(300, 200);
    PictureObject* picture = Placed(400, 200, kPictureKeepRatio);
    ScoreObject* object = Header(picture);
    Grab(object, 4);
    Move(object, 100, 10, true);
    EXPECT_EQ(V(picture->body.width), 500);
    EXPECT_EQ(V(picture->body.height), 250);
    Move(object, -20, -100, true);  // y leads: x follows at twice its offset
    EXPECT_EQ(V(picture->body.width), 300);
    EXPECT_EQ(V(picture->body.height), 150);
    Grab(object, 3);
    int32_t width = picture->body.width;
    Move(object, 64, 0, true);
    EXPECT_EQ(V(picture->body.width), width);
    picture->body.flags = 0;
    Grab(object, 7);
    Move(object, width + 100, 0, true);
    EXPECT_EQ(V(picture->body.width), 64);  // 8 device pixels at zoom 16
}

// "H" hides the picture (not painted, not printed while hidden objects are not
// shown) and shows it again, each one undo step of type 53, verb 8.
TEST_F(PictureTest, HideKeyIsAnUndoStep) {
    OpenWindow(300, 200);
    Offer({{ClipboardFormat::Dib, PatternDib(8, 4, false)}});
    PictureObject* picture = Paste({kPageOrigin + 800, kPageOrigin + 800});
    ScoreObject* object = Header(picture);
    int depth = UndoDepth(doc_);
    EXPECT_EQ(ClassOf(object).OnKey(object, view_, kPictureHideKey), 1);
    EXPECT_NE(V(picture->body.flags) & kPictureHidden, 0);
    EXPECT_EQ(UndoDepth(doc_), depth + 1);
    EXPECT_EQ(doc_->undoStack->objectType, TypeCode(ObjectType::Picture));
    EXPECT_EQ(doc_->undoStack->verb, static_cast<uint8_t>(UndoVerb::Hide));
    ClearWindow();
    ClassOf(object).Paint(object, view_);
    gfx::Point origin = Device(kPageOrigin + 800, kPageOrigin + 800);
    EXPECT_EQ(gfx::GetBitmapPixel(win::GetWindowImage(window_), origin.x, origin.y), gfx::kWhite);
    platform::DcHandle printer = gfx::CreateRecordingContext(platform::DcHandle{});
    State().drawing.PrintDC = printer;
    uint64_t renders = PictureCacheRenders();
    ClassOf(object).Paint(object, view_);
    EXPECT_EQ(PictureCacheRenders(), renders);
    State().drawing.PrintDC = platform::DcHandle{};
    gfx::DeleteContext(printer);
    EXPECT_EQ(ClassOf(object).OnKey(object, view_, kPictureHideKey), 1);
    EXPECT_EQ(V(picture->body.flags) & kPictureHidden, 0);
    EXPECT_EQ(UndoDepth(doc_), depth + 2);
    ClassOf(object).Paint(object, view_);
    EXPECT_NE(gfx::GetBitmapPixel(win::GetWindowImage(window_), origin.x, origin.y), gfx::kWhite);
}

// Edit Copy of a focused metafile picture puts format 14 back, its bytes unchanged.
TEST_F(PictureTest, CopyPutsTheStoredFormatBack) {
    Offer({{ClipboardFormat::EnhancedMetafile, Metafile()}});
    PictureObject* picture = Paste({0, 0});
    ASSERT_NE(picture, nullptr);
    sys::headless::ResetClipboard();
    TheSelectionState()->focusedObject = Ref32<ScoreObject>::To(Header(picture));
    EXPECT_TRUE(CopyPictureToClipboard(view_));
    EXPECT_EQ(sys::headless::ClipboardFormats(), std::vector<ClipboardFormat>{ClipboardFormat::EnhancedMetafile});
    ASSERT_TRUE(sys::OpenClipboard(platform::WindowHandle{}));
    EXPECT_EQ(sys::GetClipboardData(ClipboardFormat::EnhancedMetafile), Metafile());
    sys::CloseClipboard();
}

// A monochrome bitmap has no colour: "Color" is disabled and cannot be chosen.
TEST_F(PictureTest, MonochromeCannotBeColour) {
    Offer({{ClipboardFormat::Dib, MonochromeDib()}});
    PictureObject* picture = Paste({0, 0});
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(V(picture->body.flags) & kPictureColour, 0);
    bool enabled = true;
    bool clicked = true;
    ui::headless::SetDialogScript(picture_dialog::kDialog, [&](DialogDriver& d) {
        enabled = d.IsEnabled(picture_dialog::kColour);
        clicked = d.Click(picture_dialog::kColour);
        d.Click(ui::kIdOk);
    });
    EXPECT_EQ(ClassOf(Header(picture)).EditAttributes(Header(picture), view_), 1);
    EXPECT_FALSE(enabled);
    EXPECT_FALSE(clicked);
    EXPECT_NE(V(picture->body.flags) & kPictureBlackAndWhite, 0);
}

// A bitmap's cache is an eighth of the displayed device size, or the bitmap's own
// pixels where those are more; it is stretched onto the view at the displayed size.
TEST_F(PictureTest, BitmapCacheIsAnEighthOfTheDeviceSizeOrThePixels) {
    OpenWindow(300, 200);
    Offer({{ClipboardFormat::Dib, PatternDib(8, 4, false)}});
    PictureObject* picture = Paste({kPageOrigin + 800, kPageOrigin + 800});
    ASSERT_NE(picture, nullptr);
    ScoreObject* object = Header(picture);
    const gfx::Point origin = Device(kPageOrigin + 800, kPageOrigin + 800);
    auto cacheSize = [&](int32_t width, int32_t height) {
        picture->body.width = width;
        picture->body.height = height;
        DropPictureCache(picture);
        ClearWindow();
        ClassOf(object).Paint(object, view_);
        gfx::BitmapInfo info;
        EXPECT_TRUE(gfx::GetBitmapInfo(platform::BitmapHandle{picture->cache}, &info));
        return std::pair{info.width, info.height};
    };
    const gfx::Point far = Device(kPageOrigin + 800 + 1280, kPageOrigin + 800 + 320);
    ASSERT_EQ(far.x - origin.x, 160);
    ASSERT_EQ(far.y - origin.y, 40);
    EXPECT_EQ(cacheSize(1280, 320), (std::pair{20, 5}));
    // The pattern still shows at the displayed size: its first pixel at the start,
    // its last in the bottom-right corner.
    platform::BitmapHandle image = win::GetWindowImage(window_);
    EXPECT_EQ(gfx::GetBitmapPixel(image, origin.x + 2, origin.y + 2), PatternColour(10));
    EXPECT_EQ(gfx::GetBitmapPixel(image, origin.x + 157, origin.y + 37), PatternColour(16 * 3 + 4 * 7 + 10));
    // 40 x 16 device pixels: an eighth is less than the 8 x 4 pixels, which are kept.
    EXPECT_EQ(cacheSize(320, 128), (std::pair{8, 4}));
    // Wider than eight times the pixels but not higher: each side on its own.
    EXPECT_EQ(cacheSize(1280, 128), (std::pair{20, 4}));
}

// When no colour bitmap can be made for the cache a black-and-white one serves:
// the dark pattern paints black.
TEST_F(PictureTest, CacheFallsBackToBlackAndWhite) {
    OpenWindow(300, 200);
    Offer({{ClipboardFormat::Dib, PatternDib(8, 4, false)}});
    PictureObject* picture = Paste({kPageOrigin + 800, kPageOrigin + 800});
    ASSERT_NE(picture, nullptr);
    ScoreObject* object = Header(picture);
    DropPictureCache(picture);
    ClearWindow();
    gfx::FailNextImageBitmap();
    ClassOf(object).Paint(object, view_);
    ASSERT_NE(picture->cache, 0u);
    gfx::BitmapInfo info;
    ASSERT_TRUE(gfx::GetBitmapInfo(platform::BitmapHandle{picture->cache}, &info));
    EXPECT_TRUE(info.monochrome);
    const gfx::Point origin = Device(kPageOrigin + 800, kPageOrigin + 800);
    EXPECT_EQ(gfx::GetBitmapPixel(win::GetWindowImage(window_), origin.x + 1, origin.y + 1), gfx::kBlack);
}

// A drag of the picture repaints where it stood and where it stands, not the whole
// window; so does a drop.
TEST_F(PictureTest, DragRepaintsTheOldAndNewPlaces) {
    OpenWindow(300, 200);
    PictureObject* picture = Placed(400, 200, 0);
    ScoreObject* object = Header(picture);
    const int32_t left = kPageOrigin + 800;
    const int32_t top = kPageOrigin + 800;
    Grab(object, kPictureMoveHandle);
    ClassOf(object).ReleaseCache(object, view_);
    MoveWhole(object, 160, 80);
    win::ValidateRect(window_, nullptr);
    Commit(object);
    const gfx::Point from = Device(left, top);
    const gfx::Point to = Device(left + 160 + 400, top + 80 + 200);
    const win::Rect dirty = win::GetUpdateRect(window_);
    EXPECT_EQ(dirty.left, from.x - 1);
    EXPECT_EQ(dirty.top, from.y - 1);
    EXPECT_EQ(dirty.right, to.x + 1);
    EXPECT_EQ(dirty.bottom, to.y + 1);
    win::ValidateRect(window_, nullptr);
    ClassOf(object).HandleDrop(object, view_, nullptr, nullptr);
    const win::Rect dropped = win::GetUpdateRect(window_);
    EXPECT_EQ(dropped.left, Device(left + 160, top).x - 1);
    EXPECT_EQ(dropped.bottom, to.y + 1);
}

// The cache is rendered once per zoom and kind of output.
TEST_F(PictureTest, CacheRebuiltOnlyForZoomOrOutput) {
    OpenWindow(300, 200);
    Offer({{ClipboardFormat::Dib, PatternDib(8, 4, false)}});
    PictureObject* picture = Paste({kPageOrigin + 800, kPageOrigin + 800});
    ScoreObject* object = Header(picture);
    uint64_t renders = PictureCacheRenders();
    ClassOf(object).Paint(object, view_);
    ClassOf(object).Paint(object, view_);
    EXPECT_EQ(PictureCacheRenders(), renders + 1);
    view_->zoom = 20;
    ClassOf(object).Paint(object, view_);
    ClassOf(object).Paint(object, view_);
    EXPECT_EQ(PictureCacheRenders(), renders + 2);
    platform::DcHandle printer = gfx::CreateRecordingContext(platform::DcHandle{});
    State().drawing.PrintDC = printer;
    ClassOf(object).Paint(object, view_);
    EXPECT_EQ(PictureCacheRenders(), renders + 3);
    State().drawing.PrintDC = platform::DcHandle{};
    gfx::DeleteContext(printer);
}

// A DIB pasted through "Paste Picture" with "Draw Opaque" and "Black and White"
// chosen and the ratio let go, its corner dragged and "H" pressed, and a metafile
// pasted with the dialog's defaults: written and read back, each keeps its place,
// size, format, stored flags, description and bytes (the cache's kind of output is
// not stored).
TEST_F(PictureTest, PastedResizedAndHiddenPicturesRoundTrip) {
    OpenWindow(300, 200);
    Offer({{ClipboardFormat::Dib, PatternDib(8, 4, false)}});
    PictureObject* dib = Paste({kPageOrigin + 800, kPageOrigin + 800}, [](DialogDriver& d) {
        d.Click(picture_dialog::kOpaque);
        d.Click(picture_dialog::kKeepRatio);
        d.Click(picture_dialog::kBlackAndWhite);
        d.Click(ui::kIdOk);
    });
    ASSERT_NE(dib, nullptr);
    Grab(Header(dib), 4);
    Move(Header(dib), 96, 40);
    Commit(Header(dib));
    Release();
    ASSERT_EQ(ClassOf(Header(dib)).OnKey(Header(dib), view_, kPictureHideKey), 1);
    Offer({{ClipboardFormat::EnhancedMetafile, Metafile()}});
    PictureObject* metafile = Paste({kPageOrigin + 1600, kPageOrigin + 400});
    ASSERT_NE(metafile, nullptr);
    ClassOf(Header(metafile)).Paint(Header(metafile), view_);
    ASSERT_EQ(V(dib->body.flags), kPictureColour | kPictureOpaque | kPictureHidden | kPictureBlackAndWhite);
    ASSERT_EQ(V(dib->body.width), 8 * 8 + 96);

    ScoreDocument* read = Reload();
    ASSERT_NE(read, nullptr);
    const std::vector<uint8_t> madeBytes[] = {*PictureBytesOf(metafile, doc_), *PictureBytesOf(dib, doc_)};
    ScopedPoolSet pools(read->pools);
    const std::vector<ScoreObject*> pictures = ItemsOf(read->firstPage, ObjectType::Picture);
    ASSERT_EQ(pictures.size(), 2u);
    PictureObject* made[] = {metafile, dib};  // the newest heads the list
    for (int i = 0; i < 2; ++i) {
        const PictureBody& a = made[i]->body;
        const PictureBody& b = AsPicture(pictures[i])->body;
        EXPECT_EQ(V(pictures[i]->subtype), 1) << i;
        EXPECT_EQ(V(b.location.position), V(a.location.position)) << i;
        EXPECT_EQ(V(b.location.measure), V(a.location.measure)) << i;
        EXPECT_EQ(V(b.width), V(a.width)) << i;
        EXPECT_EQ(V(b.height), V(a.height)) << i;
        EXPECT_EQ(V(b.format), V(a.format)) << i;
        EXPECT_EQ(V(b.flags), V(a.flags) & kPictureStoredFlags) << i;
        EXPECT_EQ(V(b.dataSize), V(a.dataSize)) << i;
        for (int w = 0; w < kPictureBitsWord; ++w) EXPECT_EQ(V(b.description[w]), V(a.description[w])) << i;
        const std::vector<uint8_t>* bytes = PictureBytesOf(AsPicture(pictures[i]), read);
        ASSERT_NE(bytes, nullptr) << i;
        EXPECT_EQ(*bytes, madeBytes[i]) << i;
    }
}

// A bitmap wider than a stored extent at the view's scale comes in at the largest
// stored width, its ratio kept; a corner dragged past that range stops at it; both
// read back at the size shown.
TEST_F(PictureTest, SizesBeyondTheRecordsRangeStopAtIt) {
    OpenWindow(300, 200);
    constexpr int kWidePixels = 4200;  // 33,600 units at 8 units a pixel
    constexpr int kWideRows = 400;
    Offer({{ClipboardFormat::Dib, PatternDib(kWidePixels, kWideRows, false)}});
    PictureObject* wide = Paste({kPageOrigin + 800, kPageOrigin + 800});
    ASSERT_NE(wide, nullptr);
    EXPECT_EQ(V(wide->body.width), kLargestStoredExtent);
    EXPECT_EQ(V(wide->body.height), kLargestStoredExtent * kWideRows / kWidePixels);
    PictureObject* dragged = Placed(400, 200, 0);
    Grab(Header(dragged), 4);
    Move(Header(dragged), 40000, 40000);
    Commit(Header(dragged));
    Release();
    EXPECT_EQ(V(dragged->body.width), kLargestStoredExtent);
    EXPECT_EQ(V(dragged->body.height), kLargestStoredExtent);

    ScoreDocument* read = Reload();
    ASSERT_NE(read, nullptr);
    ScopedPoolSet pools(read->pools);
    const std::vector<ScoreObject*> pictures = ItemsOf(read->firstPage, ObjectType::Picture);
    ASSERT_EQ(pictures.size(), 2u);
    const PictureObject* made[] = {dragged, wide};  // the newest heads the list
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(V(AsPicture(pictures[i])->body.width), V(made[i]->body.width)) << i;
        EXPECT_EQ(V(AsPicture(pictures[i])->body.height), V(made[i]->body.height)) << i;
    }
}

// Damaged DIBs: every layout CheckDib gives lies inside the bytes and decodes
// without reading past them; whatever fails gives the natural size 8 x 8.
TEST_F(PictureTest, DamagedDibsAreRefusedOrBounded) {
    const std::vector<uint8_t> good = PatternDib(8, 4, false);
    ASSERT_TRUE(CheckDib(good.data(), good.size()).has_value());
    std::mt19937 random(36);
    int accepted = 0;
    for (int round = 0; round < 2000; ++round) {
        std::vector<uint8_t> bytes = good;
        int flips = 1 + static_cast<int>(random() % 4);
        for (int i = 0; i < flips; ++i) bytes[random() % 40] = static_cast<uint8_t>(random());
        bytes.resize(random() % (bytes.size() + 1));
        std::vector<uint8_t> copy(bytes);  // exactly its size, so ASan sees any over-read
        std::optional<DibLayout> layout = CheckDib(copy.data(), copy.size());
        if (!layout) continue;
        ++accepted;
        EXPECT_LE(layout->pixels + layout->stride * layout->height, copy.size());
        EXPECT_LE(layout->colourTable + size_t{layout->colourCount} * layout->colourEntryBytes, layout->pixels);
        EXPECT_EQ(DecodeDibPixels(copy.data(), *layout).size(), size_t(layout->width) * layout->height);
    }
    EXPECT_GT(accepted, 0);
    // Headers lying about the height or the colours are refused.
    std::vector<uint8_t> tall = good;
    tall[8] = 200;
    EXPECT_FALSE(CheckDib(tall.data(), tall.size()).has_value());
    std::vector<uint8_t> colours = good;
    colours[33] = 2;  // 512 colours used at 8 bits
    EXPECT_FALSE(CheckDib(colours.data(), colours.size()).has_value());
    PictureObject* picture = Placed(400, 200, 0);
    picture->body.format = kPictureFormatDib;
    picture->data = PushDocumentRecord(doc_, tall);
    LogicalPoint natural = PictureNaturalSize(picture, view_);
    EXPECT_EQ(natural.x, 8);
    EXPECT_EQ(natural.y, 8);
}

}  // namespace
}  // namespace ql::testing_shapes
