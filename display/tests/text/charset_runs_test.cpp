// Runs of a score's text measured and drawn on one context with its font sized once
// (CharsetRuns) against MeasureText and DrawTextInCharset run by run: seeded bytes of
// every value in character sets read byte by byte (Western, Cyrillic, Greek, symbol,
// the music font's too) and read whole (Japanese, Hebrew), at several sizes,
// mappings and character extras; and which contexts and measuring modes take the
// byte-by-byte way.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "core/draw/fonts.h"
#include "core/state.h"
#include "core/text/charset_text.h"
#include "display/charset_runs.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/gfx/recording.h"
#include "platform/text/context_font.h"
#include "platform/text/font.h"

namespace ql {
namespace {

constexpr int kWidth = 480;
constexpr int kHeight = 96;
constexpr int kSeeds = 48;
constexpr uint8_t kWestern = 0;
constexpr uint8_t kSymbol = 2;
constexpr uint8_t kCyrillic = 204;
constexpr uint8_t kGreek = 161;
constexpr uint8_t kJapanese = 128;
constexpr uint8_t kHebrew = 177;
constexpr uint8_t kCharsets[] = {kWestern, kSymbol, kCyrillic, kGreek, kJapanese, kHebrew};
constexpr int32_t kHeights[] = {-9, -16, -27, -40};

// Words of any byte but NUL, now and then a blank inside.
std::string RandomWord(std::mt19937& random) {
    std::string word;
    const int length = static_cast<int>(random() % 9);
    for (int i = 0; i < length; ++i)
        word += random() % 8 == 0 ? ' ' : static_cast<char>(1 + random() % 255);
    return word;
}

class CharsetRunsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        image_ = gfx::CreateImageBitmap(kWidth, kHeight);
        dc_ = gfx::CreateMemoryContext({});
        gfx::SelectObject(dc_, image_);
        gfx::SetBackgroundMode(dc_, gfx::BackgroundMode::Transparent);
    }
    void TearDown() override {
        ReleaseCharsetText();
        if (music_.value_or(false)) DeleteMusicFonts();
        gfx::SelectObject(dc_, text::DefaultFont());
        if (font_) text::DeleteFont(font_);
        gfx::DeleteContext(dc_);
        gfx::DeleteObject(image_);
        ResetProgramState();
    }
    // A text face in the character set, or for the symbol set every other time the
    // music font (its symbols stand at codes of their own).
    void UseFont(uint8_t charset, int32_t height, int32_t width = 0, bool music = false) {
        gfx::SelectObject(dc_, text::DefaultFont());
        if (font_) text::DeleteFont(font_);
        text::LogicalFont request;
        request.SetFace("DejaVu Sans");
        request.charset = charset;
        if (charset == kSymbol && music && HaveMusicFont()) request = State().drawing.MusicFontTemplate;
        request.height = height;
        request.width = width;
        font_ = text::CreateFontIndirect(request);
        ASSERT_TRUE(font_);
        gfx::SelectObject(dc_, font_);
    }
    bool HaveMusicFont() {
        if (!music_)
            music_ = std::filesystem::exists(std::filesystem::path(QL_PROGRAM_DIR) / "Glyphora.ttf") &&
                     CreateMusicFonts();
        return *music_;
    }
    // The whole image white again, whatever the mapping.
    std::vector<gfx::Colour> Cleared() {
        const int saved = gfx::SaveContext(dc_);
        gfx::SetMapMode(dc_, gfx::MapMode::Text);
        gfx::FillRect(dc_, gfx::Rect{0, 0, kWidth, kHeight}, gfx::GetStockBrush(gfx::StockBrush::White));
        gfx::RestoreContext(dc_, saved);
        return gfx::ReadBitmapPixels(image_);
    }

    platform::BitmapHandle image_{};
    platform::DcHandle dc_{};
    platform::FontHandle font_{};
    std::optional<bool> music_;
};

TEST_F(CharsetRunsTest, RunsMeasureAndDrawAsTheyDoOneByOne) {
    int drawn = 0;
    for (unsigned seed = 1; seed <= kSeeds; ++seed) {
        std::mt19937 random(seed);
        const uint8_t charset = kCharsets[seed % std::size(kCharsets)];
        UseFont(charset, kHeights[random() % std::size(kHeights)], random() % 3 == 0 ? 7 : 0,
                seed % 4 < 2);
        const bool scaled = random() % 3 == 0;
        gfx::SetMapMode(dc_, scaled ? gfx::MapMode::Anisotropic : gfx::MapMode::Text);
        if (scaled) {
            gfx::SetWindowExtent(dc_, {5, 4});
            gfx::SetViewportExtent(dc_, {3, 3});
        }
        // The character extra and the alignment are read as each run is measured or
        // drawn, not when the runs are set up.
        CharsetRuns runs(dc_);
        gfx::SetTextCharacterExtra(dc_, static_cast<int>(random() % 5) - 2);
        gfx::SetTextAlign(dc_, random() % 2 == 0 ? gfx::kTextAlignTop : gfx::kTextAlignBaseline);
        std::vector<std::string> words;
        for (int w = 0; w < 6; ++w) words.push_back(RandomWord(random));

        std::vector<CharsetRuns::RunAt> line;
        int32_t x = 4;
        for (const std::string& word : words) {
            gfx::Size size;
            const bool measured = MeasureText(dc_, word.data(), static_cast<int>(word.size()), &size);
            EXPECT_EQ(runs.Width(word), measured ? size.cx : 0) << "seed " << seed;
            line.push_back({{x, 40}, word});
            x += (measured ? size.cx : 0) + static_cast<int32_t>(random() % 12);
        }
        Cleared();
        for (const CharsetRuns::RunAt& run : line) DrawTextInCharset(dc_, run.at.x, run.at.y, run.text);
        const std::vector<gfx::Colour> oneByOne = gfx::ReadBitmapPixels(image_);
        const std::vector<gfx::Colour> blank = Cleared();
        EXPECT_TRUE(runs.Draw(line) || line.empty()) << "seed " << seed;
        EXPECT_EQ(gfx::ReadBitmapPixels(image_), oneByOne) << "seed " << seed;
        drawn += oneByOne != blank;
    }
    EXPECT_GT(drawn, kSeeds / 2) << "next to nothing was drawn";
}

// Text read byte by byte on a context measured on itself takes the quick way.
TEST_F(CharsetRunsTest, OnlyTextReadByteByByteOnTheContextItselfIsLookedUpByByte) {
    for (const uint8_t charset : kCharsets) {
        UseFont(charset, -20);
        const bool byteByByte = charset != kJapanese && charset != kHebrew;
        EXPECT_EQ(CharsetRuns(dc_).ByteByByte(), byteByByte) << int(charset);
    }
    UseFont(kWestern, -20);
    SetMeasuringMode(MeasuringMode::DesignSize);
    CharsetRuns designSize(dc_);
    EXPECT_FALSE(designSize.ByteByByte());
    gfx::Size size;
    ASSERT_TRUE(MeasureText(dc_, "Largo", 5, &size));
    EXPECT_EQ(designSize.Width("Largo"), size.cx);
    SetMeasuringMode(MeasuringMode::Context);
    platform::DcHandle recording = gfx::CreateRecordingContext(dc_);
    EXPECT_FALSE(CharsetRuns(recording).ByteByByte());
    gfx::DeleteContext(recording);
}

}  // namespace
}  // namespace ql
