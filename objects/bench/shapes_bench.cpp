// Benchmarks of the shapes and pictures.
// Shapes: 2,000 boxes, 2,000 straight lines and 2,000 wavy lines (1,024 units each)
// painted on one page at zoom 16 into the score window's image, each against a
// baseline in the same run of 2,000 plain Glyphora glyph draws on the same surface.
// Targets: boxes and straight lines at most 2x, wavy lines at most 6x.
// Picture: a 400 x 200 colour picture painted 200 times at one zoom (its cache
// reused) against 200 plain blits of a bitmap of the same device size. Target: at
// most 1.5x. The first paint, which renders the cache, is measured on its own.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <vector>

#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/draw/fonts.h"
#include "core/draw/staff_scaling.h"
#include "core/draw/view_glyph_bitmaps.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/object_list.h"
#include "core/model/view.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action_text.h"
#include "core/objects/selection_state.h"
#include "core/settings/preference_defaults.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "display/anchors.h"
#include "objects/graphics/graphic_class.h"
#include "objects/picture/picture_class.h"
#include "objects/stored_classes.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/sys/folders.h"
#include "platform/tests/win/plain_window.h"
#include "platform/text/text_out.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"

namespace ql {
namespace {

constexpr int kShapes = 2000;
constexpr int32_t kShapeUnits = 1024;
constexpr int32_t kZoom = 16;
constexpr int kScreenDpi = 96;
constexpr int kWindowSize = 1000;
constexpr int32_t kPageCorner = -30720;
constexpr int32_t kSpread = 6000;  // shapes spread over this square of the page
constexpr char kGlyph = 'q';       // a filled notehead of the music font
constexpr int kPictures = 200;
constexpr int32_t kPictureWidth = 400;
constexpr int32_t kPictureHeight = 200;

// A page of a new score in its window, with the object classes and the music font.
class ShapesBench {
  public:
    ShapesBench() {
        ResetProgramState();
        InitStaticPoolSet();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        ResetObjectClassTable();
        ResetPreferenceDefaults();
        RegisterTextObjectClasses();
        RegisterMidiTextObjectClass();
        RegisterStoredObjectClasses();
        CreateSelectionState();
        window_ = ::ql::testing::OpenPlainWindow("QLShapesBench", kWindowSize, kWindowSize);
        State().drawing.ScreenDpiX = State().drawing.ScreenDpiY = kScreenDpi;
        view_ = InitView(AllocView());
        LinkView(view_);
        doc_ = AllocDocument();
        const auto font = sys::ProgramFolder() / "Glyphora.ttf";
        ok_ = std::filesystem::exists(font) && CreateMusicFonts() && CreateColourSets() &&
              CreateDocument(doc_, view_, nullptr) == doc_ && ActivateView(view_) == view_;
        view_->ViewWindow = window_;
        view_->pageView = 1;
        view_->zoom = kZoom;
        view_->pageOrigin[0] = view_->pageOrigin[1] = kPageCorner;
    }
    ~ShapesBench() {
        EndViewDrawAll(view_);
        ReleaseViewDrawing(view_);
        ReleaseDrawingGlobals(1);
        DeleteMusicFonts();
        DeleteColourSets();
        FreeView(view_);
        FreeDocument(doc_);
        DestroySelectionState();
        ResetProgramState();
        ResetObjectClassTable();
    }
    ShapesBench(const ShapesBench&) = delete;
    ShapesBench& operator=(const ShapesBench&) = delete;

    bool ok() const { return ok_; }
    ScoreView* view() const { return view_; }
    ScoreDocument* document() const { return doc_; }

    // The place of the i-th shape on the page.
    static LogicalPoint At(int i) {
        return {kPageCorner + 512 + (i * 37) % kSpread, kPageCorner + 512 + (i * 53) % kSpread};
    }
    // kShapes objects of a type, each kShapeUnits wide (lines horizontal).
    void AddShapes(ObjectType type, uint8_t style) {
        for (int i = 0; i < kShapes; ++i) {
            ScoreObject* object = ConstructObject(TypeCode(type));
            if (object == nullptr) return;
            object->subtype = SubtypeCode(ObjectSubtype::PageList);
            LogicalPoint at = At(i);
            GraphicBody& body = AsGraphicObject(object)->body;
            EncodePageAnchors(view_, &body.location, &at, 1);
            body.width = kShapeUnits;
            body.height = type == ObjectType::Line ? 0 : kShapeUnits;
            body.style = style;
            shapes_.push_back(object);
        }
    }
    void PaintShapes() {
        BeginViewDraw(view_);
        for (ScoreObject* object : shapes_) ClassOf(object).Paint(object, view_);
        EndViewDraw(view_);
    }
    // The baseline: kShapes glyphs at the shapes' places.
    void DrawGlyphs() {
        BeginViewDraw(view_);
        platform::DcHandle dc = view_->ViewDC;
        gfx::FontHandle old = gfx::SelectObject(dc, State().drawing.MusicFont);
        for (int i = 0; i < kShapes; ++i) {
            LogicalPoint at = At(i);
            text::TextOutA(dc, {at.x, at.y}, std::string_view(&kGlyph, 1));
        }
        gfx::SelectObject(dc, old);
        EndViewDraw(view_);
    }

  private:
    platform::WindowHandle window_{};
    ScoreView* view_ = nullptr;
    ScoreDocument* doc_ = nullptr;
    std::vector<ScoreObject*> shapes_;
    bool ok_ = false;
};

void RunShapes(benchmark::State& state, ObjectType type, uint8_t style, const char* target) {
    ShapesBench bench;
    if (!bench.ok()) {
        state.SkipWithError("the score or the music font could not be had");
        return;
    }
    bench.AddShapes(type, style);
    for (auto _ : state) bench.PaintShapes();
    state.SetLabel(target);
}

void RunGlyphBaseline(benchmark::State& state) {
    ShapesBench bench;
    if (!bench.ok()) {
        state.SkipWithError("the score or the music font could not be had");
        return;
    }
    for (auto _ : state) bench.DrawGlyphs();
    state.SetLabel("baseline");
}

void BM_PaintBoxes(benchmark::State& state) {
    RunShapes(state, ObjectType::Box, kGraphicNoFill, "target <= 2x");
}
BENCHMARK(BM_PaintBoxes)->Unit(benchmark::kMillisecond);
void BM_PaintBoxes_Baseline(benchmark::State& state) {
    RunGlyphBaseline(state);
}
BENCHMARK(BM_PaintBoxes_Baseline)->Unit(benchmark::kMillisecond);

void BM_PaintStraightLines(benchmark::State& state) {
    RunShapes(state, ObjectType::Line, kLineStraight, "target <= 2x");
}
BENCHMARK(BM_PaintStraightLines)->Unit(benchmark::kMillisecond);
void BM_PaintStraightLines_Baseline(benchmark::State& state) {
    RunGlyphBaseline(state);
}
BENCHMARK(BM_PaintStraightLines_Baseline)->Unit(benchmark::kMillisecond);

void BM_PaintWavyLines(benchmark::State& state) {
    RunShapes(state, ObjectType::Line, kLineWavy, "target <= 6x");
}
BENCHMARK(BM_PaintWavyLines)->Unit(benchmark::kMillisecond);
void BM_PaintWavyLines_Baseline(benchmark::State& state) {
    RunGlyphBaseline(state);
}
BENCHMARK(BM_PaintWavyLines_Baseline)->Unit(benchmark::kMillisecond);

// A 400 x 200 picture of 24-bit colour with its bytes in the document.
PictureObject* MakePicture(ShapesBench& bench) {
    constexpr int kPixelsWide = 50;
    constexpr int kPixelsHigh = 25;
    std::vector<uint8_t> dib(40, 0);
    auto put32 = [&dib](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i) dib[at + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put32(0, 40);
    put32(4, kPixelsWide);
    put32(8, kPixelsHigh);
    dib[12] = 1;
    dib[14] = 24;
    int stride = (kPixelsWide * 3 + 3) / 4 * 4;
    for (int i = 0; i < stride * kPixelsHigh; ++i) dib.push_back(static_cast<uint8_t>(i * 7));
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::Picture));
    PictureObject* picture = AsPicture(object);
    object->subtype = SubtypeCode(ObjectSubtype::PageList);
    LogicalPoint at = ShapesBench::At(1);
    EncodePageAnchors(bench.view(), &picture->body.location, &at, 1);
    picture->body.width = kPictureWidth;
    picture->body.height = kPictureHeight;
    picture->body.format = kPictureFormatDib;
    picture->body.flags = kPictureColour | kPictureOpaque;
    picture->data = PushDocumentRecord(bench.document(), std::move(dib));
    return picture;
}

void BM_PaintPicture(benchmark::State& state) {
    ShapesBench bench;
    if (!bench.ok()) {
        state.SkipWithError("the score or the music font could not be had");
        return;
    }
    PictureObject* picture = MakePicture(bench);
    ScoreView* view = bench.view();
    ThePictureClass().Paint(&picture->header, view);
    for (auto _ : state) {
        BeginViewDraw(view);
        for (int i = 0; i < kPictures; ++i) ThePictureClass().Paint(&picture->header, view);
        EndViewDraw(view);
    }
    state.SetLabel("target <= 1.5x");
    DropPictureCache(picture);
}
BENCHMARK(BM_PaintPicture)->Unit(benchmark::kMillisecond);

void BM_PaintPicture_Baseline(benchmark::State& state) {
    ShapesBench bench;
    if (!bench.ok()) {
        state.SkipWithError("the score or the music font could not be had");
        return;
    }
    ScoreView* view = bench.view();
    BeginViewDraw(view);
    gfx::Size device = gfx::LogicalToDeviceDistance(view->ViewDC, {kPictureWidth, kPictureHeight});
    EndViewDraw(view);
    platform::BitmapHandle bitmap = gfx::CreateImageBitmap(device.cx, device.cy);
    LogicalPoint at = ShapesBench::At(1);
    for (auto _ : state) {
        BeginViewDraw(view);
        platform::DcHandle memory = gfx::CreateMemoryContext(view->ViewDC);
        platform::BitmapHandle old = gfx::SelectObject(memory, bitmap);
        for (int i = 0; i < kPictures; ++i)
            gfx::StretchBlit(view->ViewDC, {at.x, at.y, at.x + kPictureWidth, at.y + kPictureHeight}, memory,
                             {0, 0, device.cx, device.cy}, gfx::RasterOp::SourceCopy);
        gfx::SelectObject(memory, old);
        gfx::DeleteContext(memory);
        EndViewDraw(view);
    }
    gfx::DeleteObject(bitmap);
    state.SetLabel("baseline");
}
BENCHMARK(BM_PaintPicture_Baseline)->Unit(benchmark::kMillisecond);

// The first paint of a picture: its cache rendered, then blitted.
void BM_PaintPictureFirst(benchmark::State& state) {
    ShapesBench bench;
    if (!bench.ok()) {
        state.SkipWithError("the score or the music font could not be had");
        return;
    }
    PictureObject* picture = MakePicture(bench);
    for (auto _ : state) {
        DropPictureCache(picture);
        ThePictureClass().Paint(&picture->header, bench.view());
    }
    DropPictureCache(picture);
}
BENCHMARK(BM_PaintPictureFirst)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace ql
