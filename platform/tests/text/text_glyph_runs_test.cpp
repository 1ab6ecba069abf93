// Runs of glyphs drawn together (DrawGlyphRuns) against the same runs drawn one by
// one: over seeded fonts, sizes, mappings, character extras, alignments, colours and
// runs placed apart, close together or over one another, the pixels are the same,
// on colour and monochrome images; a recording context is refused.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/gfx/recording.h"
#include "platform/text/context_font.h"
#include "platform/text/font.h"
#include "platform/text/glyph_run.h"
#include "platform/text/text_out.h"

namespace ql::text {
namespace {

constexpr int kWidth = 1600;
constexpr int kHeight = 120;
constexpr int kSeeds = 160;
constexpr const char* kFaces[] = {"Arial", "DejaVu Serif", "DejaVu Sans Mono"};
constexpr int32_t kHeights[] = {-7, -12, -19, -31, -52};
constexpr gfx::TextAlign kAligns[] = {
    gfx::kTextAlignLeft | gfx::kTextAlignTop, gfx::kTextAlignLeft | gfx::kTextAlignBaseline,
    gfx::kTextAlignCentre | gfx::kTextAlignBaseline, gfx::kTextAlignRight | gfx::kTextAlignBottom};
// Letters whose ink reaches over to their neighbours', and letters that keep clear.
constexpr std::string_view kReaching = "AVWTfjlia.,yg/_|MQ@";
constexpr std::string_view kKeeping = "nmoeucrsxz";

struct Scene {
    LogicalFont request;
    bool monochrome = false;
    bool anisotropic = false;
    int extra = 0;
    gfx::TextAlign align = 0;
    bool opaque = false;
    gfx::Colour ink = 0;
    std::vector<std::string> texts;
    std::vector<gfx::Point> points;
};

// Runs on one or two lines, each after the one before at a step that leaves a gap,
// touches it or runs into it; or runs far apart.
Scene SceneOf(unsigned seed) {
    std::mt19937 random(seed);
    auto pick = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    Scene scene;
    scene.request.SetFace(kFaces[pick(3)]);
    scene.request.height = kHeights[pick(5)];
    scene.request.italic = pick(4) == 0;
    scene.request.weight = pick(3) == 0 ? kWeightBold : kWeightNormal;
    scene.request.underline = pick(12) == 0;
    scene.monochrome = pick(5) == 0;
    scene.anisotropic = pick(4) == 0;
    scene.extra = pick(7) - 3;
    scene.align = kAligns[pick(4)];
    scene.opaque = pick(10) == 0;
    scene.ink = gfx::Rgb(static_cast<uint8_t>(pick(256)), static_cast<uint8_t>(pick(256)),
                         static_cast<uint8_t>(pick(256)));
    const std::string_view letters = pick(2) == 0 ? kReaching : kKeeping;
    const bool apart = pick(2) == 0;
    const int runs = 2 + pick(6);
    int x = 4 + pick(30);
    int y = 30 + pick(30);
    for (int r = 0; r < runs; ++r) {
        std::string text;
        const int length = 1 + pick(5);
        for (int i = 0; i < length; ++i) text += letters[static_cast<size_t>(pick(static_cast<int>(letters.size())))];
        scene.texts.push_back(text);
        scene.points.push_back({x, y});
        // Apart: a step longer than any run, whatever end or middle it stands at.
        x += apart ? 6 * -scene.request.height + pick(20) : pick(60) - 8;
        if (pick(6) == 0) y += pick(40) - 10;
    }
    return scene;
}

class GlyphRunsTest : public ::testing::Test {
  protected:
    // The scene drawn on a fresh image, together or one run at a time.
    std::vector<gfx::Colour> Draw(const Scene& scene, bool together) {
        gfx::BitmapHandle image = scene.monochrome ? gfx::CreateMonochromeBitmap(kWidth, kHeight)
                                                   : gfx::CreateImageBitmap(kWidth, kHeight);
        gfx::DcHandle dc = gfx::CreateMemoryContext({});
        gfx::SelectObject(dc, image);
        const FontHandle font = CreateFontIndirect(scene.request);
        gfx::SelectObject(dc, font);
        if (scene.anisotropic) {
            gfx::SetMapMode(dc, gfx::MapMode::Anisotropic);
            gfx::SetWindowExtent(dc, {3, 4});
            gfx::SetViewportExtent(dc, {2, 3});
        }
        gfx::SetTextCharacterExtra(dc, scene.extra);
        gfx::SetTextAlign(dc, scene.align);
        gfx::SetTextColour(dc, scene.ink);
        gfx::SetBackgroundMode(dc, scene.opaque ? gfx::BackgroundMode::Opaque
                                                : gfx::BackgroundMode::Transparent);
        SizedFont sized;
        EXPECT_TRUE(ContextFont(dc, &sized));
        std::vector<GlyphRun> runs;
        for (const std::string& text : scene.texts) runs.push_back(GlyphsOfBytes(*sized.font, text));
        std::vector<GlyphRunAt> placed;
        for (size_t i = 0; i < runs.size(); ++i) placed.push_back({scene.points[i], &runs[i]});
        if (together) {
            EXPECT_TRUE(DrawGlyphRuns(dc, sized, placed));
        } else {
            for (const GlyphRunAt& run : placed) EXPECT_TRUE(DrawGlyphRun(dc, run.at, sized, *run.run));
        }
        std::vector<gfx::Colour> pixels = gfx::ReadBitmapPixels(image);
        gfx::SelectObject(dc, DefaultFont());
        DeleteFont(font);
        gfx::DeleteContext(dc);
        gfx::DeleteObject(image);
        return pixels;
    }
};

TEST_F(GlyphRunsTest, RunsDrawnTogetherInkAsRunsDrawnOneByOne) {
    int inked = 0;
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
        const Scene scene = SceneOf(seed);
        const std::vector<gfx::Colour> alone = Draw(scene, false);
        EXPECT_EQ(Draw(scene, true), alone) << "seed " << seed;
        for (const gfx::Colour colour : alone)
            if (colour != alone.front()) {
                ++inked;
                break;
            }
    }
    EXPECT_GT(inked, kSeeds * 9 / 10) << "the scenes drew next to nothing";
}

TEST_F(GlyphRunsTest, ARecordingContextIsRefused) {
    gfx::DcHandle recording = gfx::CreateRecordingContext({});
    SizedFont sized;
    ASSERT_TRUE(ContextFont(recording, &sized));
    const GlyphRun run = GlyphsOfBytes(*sized.font, "ab");
    const GlyphRunAt runs[] = {{{0, 0}, &run}, {{40, 0}, &run}};
    EXPECT_FALSE(DrawGlyphRuns(recording, sized, runs));
    EXPECT_FALSE(DrawGlyphRun(recording, {0, 0}, sized, run));
    gfx::DeleteContext(recording);
}

}  // namespace
}  // namespace ql::text
