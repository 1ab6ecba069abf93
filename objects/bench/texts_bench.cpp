// Text benchmarks, each against its baseline twin on the same surface in the same run.
// Painting 2,000 text lines of 12 characters (the text class's Draw: anchor, font,
// measuring, output) against 2,000 plain text outputs of the same strings in the same
// font. Target: at most 1.5x.
// A justified text box of 100 lines drawn by LayoutTextBlock against the same 100
// lines drawn as plain text outputs. Target: at most 2.5x.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "core/draw/draw_surface.h"
#include "core/model/object_list.h"
#include "core/objects/class_table.h"
#include "core/objects/midi_action_text.h"
#include "core/state.h"
#include "core/text/charset_text.h"
#include "core/text/text_object.h"
#include "display/anchors.h"
#include "notes/tests/beatmap/beatmap_score.h"
#include "objects/stored_classes.h"
#include "objects/text_box/text_box_class.h"
#include "objects/text_marks/text_classes.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/logical_font.h"

namespace ql {
namespace {

constexpr int kTextLines = 2000;
constexpr int kBoxLines = 100;
constexpr int kSurfaceSide = 2048;
constexpr int kTextSlot = 4;
constexpr int32_t kFontHeight = -128;
constexpr char kTwelve[] = "Allegro vivo";
// 100 lines of this and CR LF stay under the 1,023 bytes a box holds.
constexpr char kBoxLine[] = "la la li";
constexpr int32_t kBoxWidth = 1024;  // wider than a line: every line is justified
constexpr int32_t kBoxLineAdvance = 160;

// One page score whose view paints into an image, with a text face in quick slot 4.
class TextScene {
  public:
    TextScene() {
        ResetObjectClassTable();
        RegisterTextObjectClasses();
        RegisterMidiTextObjectClass();
        RegisterStoredObjectClasses();
        RegisterScoreTextClasses();
        ok_ = beatmap_score::Build(session_.document, session_.view, 1, {1}, 4);
        text::LogicalFont request;
        request.height = kFontHeight;
        request.SetFace("DejaVu Sans");
        font_ = text::CreateFontIndirect(request);
        session_.document->fonts[kTextSlot].handle = font_.bits;
        image_ = gfx::CreateImageBitmap(kSurfaceSide, kSurfaceSide);
        dc_ = gfx::CreateMemoryContext({});
        gfx::SelectObject(dc_, image_);
        State().drawing.PaintDC = dc_;
    }
    ~TextScene() {
        State().drawing.PaintDC = {};
        session_.document->fonts[kTextSlot].handle = 0;
        gfx::DeleteContext(dc_);
        gfx::DeleteObject(image_);
        gfx::DeleteObject(font_);
    }
    TextScene(const TextScene&) = delete;
    TextScene& operator=(const TextScene&) = delete;

    bool ok() const { return ok_ && font_ && dc_; }
    ScoreView* view() { return session_.view; }
    platform::DcHandle dc() const { return dc_; }
    platform::FontHandle font() const { return font_; }

  private:
    beatmap_score::Session session_;
    bool ok_ = false;
    platform::FontHandle font_{};
    platform::BitmapHandle image_{};
    platform::DcHandle dc_{};
};

LogicalPoint PointOf(int i) {
    return LogicalPoint{kLogicalOrigin + 256 + (i % 8) * 1024, kLogicalOrigin + 256 + (i / 8) * 8};
}

std::vector<ScoreObject*> MakeTextLines(ScoreView* view) {
    std::vector<ScoreObject*> lines;
    for (int i = 0; i < kTextLines; ++i) {
        ScoreObject* object = ConstructObject(TypeCode(ObjectType::Text));
        if (object == nullptr) break;
        TextObject* text = AsTextObject(object);
        object->subtype = SubtypeCode(ObjectSubtype::PageList);
        text->body.style = kTextSlot;
        SetTextObjectString(text, kTwelve);
        text->body.flags |= kTextOwnsString;
        const LogicalPoint point = PointOf(i);
        EncodePageAnchors(view, &text->body.location, &point, 1);
        lines.push_back(object);
    }
    return lines;
}

void BM_PaintTextLines(benchmark::State& state) {
    TextScene scene;
    if (!scene.ok()) return state.SkipWithError("the scene could not be built");
    const std::vector<ScoreObject*> lines = MakeTextLines(scene.view());
    BeginViewDraw(scene.view());
    for (auto _ : state)
        for (ScoreObject* line : lines) ClassOf(line).Draw(line, scene.view());
    EndViewDraw(scene.view());
    for (ScoreObject* line : lines) ReleaseObjectByType(scene.view()->document, line);
    state.SetLabel("target <= 1.5x");
}
BENCHMARK(BM_PaintTextLines);

void BM_PaintTextLines_Baseline(benchmark::State& state) {
    TextScene scene;
    if (!scene.ok()) return state.SkipWithError("the scene could not be built");
    BeginViewDraw(scene.view());
    const platform::DcHandle dc = scene.view()->ViewDC;
    const platform::FontHandle old = gfx::SelectObject(dc, scene.font());
    for (auto _ : state)
        for (int i = 0; i < kTextLines; ++i) {
            const LogicalPoint point = PointOf(i);
            TextOutInCharset(dc, dc, point.x, point.y, kTwelve, sizeof kTwelve - 1);
        }
    gfx::SelectObject(dc, old);
    EndViewDraw(scene.view());
    state.SetLabel("baseline");
}
BENCHMARK(BM_PaintTextLines_Baseline);

std::string BoxText() {
    std::string text;
    for (int i = 0; i < kBoxLines; ++i) text += std::string(kBoxLine) + "\r\n";
    return text;
}

void BM_LayoutTextBlock(benchmark::State& state) {
    TextScene scene;
    if (!scene.ok()) return state.SkipWithError("the scene could not be built");
    ScoreObject* box = ConstructObject(TypeCode(ObjectType::TextBox));
    if (box == nullptr) return state.SkipWithError("no text box");
    TextBoxBody& body = AsTextBox(box)->body;
    body.style = static_cast<uint16_t>((kTextSlot << kTextBoxSlotShift) |
                                       (kNormalTracking << kTextBoxTrackingShift) |
                                       (static_cast<int>(TextAlignment::Justify) << 4));
    const std::string text = BoxText();
    if (!SetTextBoxText(&body, text.data(), text.size()))
        return state.SkipWithError("no room for the text");
    BeginViewDraw(scene.view());

    for (auto _ : state)
        LayoutTextBlock(box, scene.view(), scene.view()->ViewDC, scene.view()->ViewDC,
                        kLogicalOrigin, kLogicalOrigin,
                        {kBoxWidth, kBoxLines * kBoxLineAdvance * 2});
    EndViewDraw(scene.view());
    ReleaseObjectByType(scene.view()->document, box);
    state.SetLabel("target <= 2.5x");
}
BENCHMARK(BM_LayoutTextBlock);

void BM_LayoutTextBlock_Baseline(benchmark::State& state) {
    TextScene scene;
    if (!scene.ok()) return state.SkipWithError("the scene could not be built");
    BeginViewDraw(scene.view());
    const platform::DcHandle dc = scene.view()->ViewDC;
    const platform::FontHandle old = gfx::SelectObject(dc, scene.font());
    for (auto _ : state)
        for (int i = 0; i < kBoxLines; ++i)
            TextOutInCharset(dc, dc, kLogicalOrigin, kLogicalOrigin + i * kBoxLineAdvance, kBoxLine,
                             sizeof kBoxLine - 1);
    gfx::SelectObject(dc, old);
    EndViewDraw(scene.view());
    state.SetLabel("baseline");
}
BENCHMARK(BM_LayoutTextBlock_Baseline);

}  // namespace
}  // namespace ql
