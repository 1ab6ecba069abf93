// Text in character sets: the tables, measuring and drawing 8-bit text of a code page
// as its Unicode text, the music font's codes 160 and 173, the captions, the entry
// limit for pasted and input-method text, the design-size measuring mode, and a
// picture (charset_text.png) whose text ink spans the measured extents.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "core/draw/fonts.h"
#include "core/state.h"
#include "core/text/charset_text.h"
#include "platform/gfx/bitmap.h"
#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/mapping.h"
#include "platform/gfx/objects.h"
#include "platform/tests/win/plain_window.h"
#include "platform/text/code_page.h"
#include "platform/text/code_page_test_seam.h"
#include "platform/text/context_font.h"
#include "platform/text/font.h"
#include "platform/text/text_metrics.h"
#include "platform/text/text_out.h"
#include "platform/ui/control_state.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog_template.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"
#include "platform/win/paint.h"

namespace ql {
namespace {

constexpr uint8_t kCyrillic = 204;
constexpr uint8_t kGreek = 161;
constexpr uint8_t kJapanese = 128;
constexpr uint8_t kBig5 = 136;
constexpr int32_t kTextHeight = -24;
constexpr int kSide = 64;

struct Sample {
    uint8_t charset;
    std::u16string text;
};

// Samples of the code pages under test, as Unicode.
const std::vector<Sample>& Samples() {
    static const std::vector<Sample> samples{
        {kCyrillic, u"\u041F\u0440\u0438\u0432\u0435\u0442 \u043C\u0438\u0440"},
        {kGreek, u"\u039A\u03B1\u03BB\u03B7\u03BC\u03AD\u03C1\u03B1"},
        {kJapanese, u"\u65E5\u672C\u8A9E \u30C6\u30AD\u30B9\u30C8"},
        {kBig5, u"\u4E2D\u6587"},
    };
    return samples;
}

std::string Encoded(const Sample& s) {
    return text::Utf16ToCodePage(CodePageOfCharset(s.charset), s.text);
}

class CharsetText : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        bitmap_ = gfx::CreateImageBitmap(512, kSide);
        dc_ = gfx::CreateMemoryContext({});
        gfx::SelectObject(dc_, bitmap_);
    }
    void TearDown() override {
        ReleaseCharsetText();
        gfx::SelectObject(dc_, text::DefaultFont());
        if (font_) text::DeleteFont(font_);
        gfx::DeleteContext(dc_);
        gfx::DeleteObject(platform::AnyObjectHandle{bitmap_});
        ResetProgramState();
    }
    void UseFont(uint8_t charset, int32_t height = kTextHeight, const char* face = "DejaVu Sans") {
        gfx::SelectObject(dc_, text::DefaultFont());
        if (font_) text::DeleteFont(font_);
        text::LogicalFont request;
        request.height = height;
        request.charset = charset;
        request.SetFace(face);
        font_ = text::CreateFontIndirect(request);
        ASSERT_TRUE(font_);
        gfx::SelectObject(dc_, font_);
    }
    void Clear() {
        gfx::FillRect(dc_, gfx::Rect{0, 0, 512, kSide}, gfx::GetStockBrush(gfx::StockBrush::White));
    }
    std::vector<gfx::Colour> Pixels() const {
        std::vector<gfx::Colour> out;
        for (int y = 0; y < kSide; ++y)
            for (int x = 0; x < 512; ++x) out.push_back(gfx::GetBitmapPixel(bitmap_, x, y));
        return out;
    }

    platform::BitmapHandle bitmap_{};
    platform::DcHandle dc_{};
    platform::FontHandle font_{};
};

// Every character set of the table has its code page; one outside it reads as 1252.
TEST_F(CharsetText, CharsetsMapToTheirCodePages) {
    EXPECT_EQ(CodePageOfCharset(kBig5), 950);
    EXPECT_EQ(CodePageOfCharset(kCyrillic), 1251);
    EXPECT_EQ(CodePageOfCharset(kGreek), 1253);
    EXPECT_EQ(CodePageOfCharset(kJapanese), 932);
    EXPECT_EQ(CodePageOfCharset(77), 1252);  // not in the table
    EXPECT_EQ(CodePageOfCharset(0), 1252);
    EXPECT_STREQ(CharsetName(kBig5), "Chinese - BIG5");
    EXPECT_EQ(CharsetName(77), nullptr);
}

// The listed languages write their character sets; 0 and languages past the table
// have none; the wide-text sets are the double-byte and complex ones.
TEST_F(CharsetText, LanguagesWriteTheirCharsets) {
    const std::pair<int, int> listed[] = {{1, 178},  {2, 204},  {4, 136},  {5, 238},  {8, 161},
                                          {13, 177}, {17, 128}, {18, 129}, {25, 204}, {30, 222},
                                          {31, 162}, {37, 186}, {38, 186}, {39, 186}, {42, 163},
                                          {9, 0},    {7, 0}};
    for (const auto& [language, charset] : listed) EXPECT_EQ(LanguageCharset(language), charset) << language;
    EXPECT_EQ(LanguageCharset(kLanguageCharsetEntries), kNoLanguageCharset);
    EXPECT_EQ(LanguageCharset(-1), kNoLanguageCharset);
    for (int wide : {128, 129, 130, 134, 136, 222, 163}) EXPECT_TRUE(IsWideTextCharset(static_cast<uint8_t>(wide)));
    EXPECT_FALSE(IsWideTextCharset(kCyrillic));
}

// A name with a blank goes on a line of its own; symbol, OEM and default have names
// of their own; a set without a name shows the text alone.
TEST_F(CharsetText, CaptionsNameTheCharset) {
    EXPECT_EQ(CharsetCaption("Font", 238), "Font\n(Central European)");
    EXPECT_EQ(CharsetCaption("Font", kGreek), "Font (Greek)");
    EXPECT_EQ(CharsetCaption("Font", 2), "Font (Symbol)");
    EXPECT_EQ(CharsetCaption("Font", 255), "Font (OEM)");
    EXPECT_EQ(CharsetCaption("Font", 1), "Font (Default)");
    EXPECT_EQ(CharsetCaption("Font", 77), "Font");
}

// Text of a code page measures as its Unicode text does, whatever the font's own
// character set; a negative length is refused.
TEST_F(CharsetText, TextMeasuresAsItsUnicodeText) {
    UseFont(0);
    for (const Sample& sample : Samples()) {
        const std::string bytes = Encoded(sample);
        ASSERT_FALSE(bytes.empty());
        gfx::Size viaCharset;
        gfx::Size viaUnicode;
        ASSERT_TRUE(TextExtentInCharset(sample.charset, dc_, bytes.data(), static_cast<int>(bytes.size()),
                                        &viaCharset));
        ASSERT_TRUE(text::GetTextExtentW(dc_, sample.text, &viaUnicode));
        EXPECT_EQ(viaCharset.cx, viaUnicode.cx) << "charset " << int(sample.charset);
        EXPECT_EQ(viaCharset.cy, viaUnicode.cy);
        // Read as Western the same bytes would measure differently.
        gfx::Size western;
        TextExtentInCharset(0, dc_, bytes.data(), static_cast<int>(bytes.size()), &western);
        EXPECT_NE(western.cx, viaUnicode.cx) << "charset " << int(sample.charset);
    }
    gfx::Size size;
    EXPECT_FALSE(TextExtentInCharset(kCyrillic, dc_, "x", -1, &size));
}

// Every byte of every single-byte code page reads as the text layer reads it.
TEST_F(CharsetText, EveryByteReadsAsTheTextLayerReadsIt) {
    std::string all;
    for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
    for (int charset : {0, 161, 162, 177, 178, 186, 204, 222, 238, 163}) {
        const auto set = static_cast<uint8_t>(charset);
        EXPECT_EQ(TextInCharset(set, all), text::CodePageToUtf16(CodePageOfCharset(set), all)) << charset;
    }
}

// Text of a code page the machine lacks reads as Western, and the lack is reported
// once however often such text is read.
TEST_F(CharsetText, MissingCodePageReadsAsWesternAndIsReportedOnce) {
    const std::string bytes = Encoded(Samples()[0]);
    text::test_seam::SetCodePageMissing(1251, true);
    const std::u16string read = TextInCharset(kCyrillic, bytes);
    TextInCharset(kCyrillic, bytes);
    text::test_seam::SetCodePageMissing(1251, false);
    EXPECT_EQ(read, text::CodePageToUtf16(text::kCodePageWestern, bytes));
    EXPECT_EQ(State().display.MissingCodePagesReported, std::vector<uint16_t>{1251});
    EXPECT_EQ(TextInCharset(kCyrillic, bytes), Samples()[0].text);
}

// Drawn through its character set, text gives the pixels of its Unicode text.
TEST_F(CharsetText, TextDrawsAsItsUnicodeText) {
    for (const Sample& sample : Samples()) {
        UseFont(sample.charset);
        const std::string bytes = Encoded(sample);
        Clear();
        ASSERT_EQ(TextOutInCharset(dc_, {}, 4, 4, bytes.data(), static_cast<int>(bytes.size())), 1);
        const std::vector<gfx::Colour> drawn = Pixels();
        Clear();
        ASSERT_TRUE(text::TextOutW(dc_, gfx::Point{4, 4}, sample.text));
        EXPECT_EQ(drawn, Pixels()) << "charset " << int(sample.charset);
    }
}

// Drawn for a measuring context whose font is wider, text is spread by character extra
// to about the measured width; both contexts keep their own extra afterwards.
TEST_F(CharsetText, TextIsSpreadToTheMeasuringWidth) {
    UseFont(0, -16);
    const platform::DcHandle measuring = gfx::CreateMemoryContext({});
    text::LogicalFont wide;
    wide.height = -20;
    wide.SetFace("DejaVu Sans");
    const platform::FontHandle wideFont = text::CreateFontIndirect(wide);
    gfx::SelectObject(measuring, wideFont);
    gfx::SetTextCharacterExtra(dc_, 1);
    const std::string sample = "Tempo primo";
    const int length = static_cast<int>(sample.size());
    gfx::Size target;
    gfx::Size plain;
    ASSERT_TRUE(text::GetTextExtentA(measuring, sample, &target));
    gfx::SetTextCharacterExtra(dc_, 0);
    ASSERT_TRUE(text::GetTextExtentA(dc_, sample, &plain));
    gfx::SetTextCharacterExtra(dc_, 1);
    gfx::SetTextCharacterExtra(measuring, 1);
    Clear();
    gfx::SetBackgroundMode(dc_, gfx::BackgroundMode::Opaque);
    gfx::SetBackgroundColour(dc_, gfx::Rgb(0x80, 0x80, 0x80));
    ASSERT_EQ(TextOutInCharset(dc_, measuring, 0, 0, sample.data(), length), 1);
    int last = -1;
    for (int x = 0; x < 512; ++x)
        if (gfx::RedOf(gfx::GetBitmapPixel(bitmap_, x, 2)) < 0xF0) last = x;
    // Spread: the measured width (the measuring context's extra included) over the plain one.
    const int spread = (target.cx + length - plain.cx) / length;
    EXPECT_GT(target.cx, plain.cx);
    EXPECT_NEAR(last + 1, plain.cx + spread * length, 1);
    EXPECT_EQ(gfx::GetTextCharacterExtra(dc_), 1);
    EXPECT_EQ(gfx::GetTextCharacterExtra(measuring), 1);
    // Without a measuring context the text keeps the target's own extra.
    Clear();
    ASSERT_EQ(TextOutInCharset(dc_, {}, 0, 0, sample.data(), length), 1);
    last = -1;
    for (int x = 0; x < 512; ++x)
        if (gfx::RedOf(gfx::GetBitmapPixel(bitmap_, x, 2)) < 0xF0) last = x;
    EXPECT_NEAR(last + 1, plain.cx + length, 1);
    gfx::SelectObject(measuring, text::DefaultFont());
    text::DeleteFont(wideFont);
    gfx::DeleteContext(measuring);
}

// A single character is not spread: measured on the context it is drawn on it keeps
// that context's extra, measured on another it is drawn with none; both contexts keep
// their extras. Centred, a character shows the extra it is drawn with.
TEST_F(CharsetText, ASingleCharacterIsDrawnWithTheExtraOfItsMeasuringContext) {
    UseFont(0, -16);
    gfx::SetTextAlign(dc_, gfx::kTextAlignBaseline | gfx::kTextAlignCentre);
    const auto drawnWithExtra = [this](int extra) {
        Clear();
        gfx::SetTextCharacterExtra(dc_, extra);
        EXPECT_TRUE(text::TextOutA(dc_, gfx::Point{64, 20}, "W"));
        return Pixels();
    };
    const std::vector<gfx::Colour> own = drawnWithExtra(6);
    const std::vector<gfx::Colour> none = drawnWithExtra(0);
    ASSERT_NE(own, none);
    const platform::DcHandle measuring = gfx::CreateMemoryContext({});
    gfx::SetTextCharacterExtra(measuring, 3);
    gfx::SetTextCharacterExtra(dc_, 6);
    for (const platform::DcHandle ruler : {platform::DcHandle{}, dc_, measuring}) {
        Clear();
        ASSERT_EQ(TextOutInCharset(dc_, ruler, 64, 20, "W", 1), 1);
        EXPECT_EQ(Pixels(), ruler == measuring ? none : own) << "ruler " << ruler.bits;
        EXPECT_EQ(gfx::GetTextCharacterExtra(dc_), 6);
        EXPECT_EQ(gfx::GetTextCharacterExtra(measuring), 3);
    }
    gfx::DeleteContext(measuring);
}

// The music font's codes 160 and 173 (no-break space and soft hyphen elsewhere) are
// glyphs and are drawn.
TEST_F(CharsetText, MusicFontCodes160And173AreDrawn) {
    const std::filesystem::path font = std::filesystem::path(QL_PROGRAM_DIR) / "Glyphora.ttf";
    if (!std::filesystem::exists(font) || !CreateMusicFonts()) GTEST_SKIP() << "no music font";
    text::LogicalFont request = State().drawing.MusicFontTemplate;
    request.height = -kSide / 2;  // the music font, small enough for the bitmap
    font_ = text::CreateFontIndirect(request);
    ASSERT_TRUE(font_);
    gfx::SelectObject(dc_, font_);
    gfx::SetTextAlign(dc_, gfx::kTextAlignBaseline);
    for (const char* code : {"\xA0", "\xAD"}) {
        Clear();
        const std::vector<gfx::Colour> blank = Pixels();
        text::GlyphBox box;
        ASSERT_TRUE(text::GetGlyphOutlineBox(dc_, static_cast<unsigned char>(code[0]), &box));
        ASSERT_EQ(TextOutInCharset(dc_, {}, 8, kSide / 2, code, 1), 1);
        EXPECT_EQ(Pixels() != blank, box.hasInk) << int(static_cast<unsigned char>(code[0]));

        gfx::Size size;
        EXPECT_TRUE(TextExtentOfFont(dc_, code, 1, &size));
        EXPECT_GT(size.cx, 0);
    }
    DeleteMusicFonts();
}

// At the design size a 12-point and a 24-point font of one face measure in the ratio
// of their heights.
TEST_F(CharsetText, DesignSizeMeasuresInProportion) {
    SetMeasuringMode(MeasuringMode::DesignSize);
    const std::string sample = "Andante cantabile";
    gfx::Size small;
    gfx::Size large;
    UseFont(0, -12);
    ASSERT_TRUE(MeasureText(dc_, sample.data(), static_cast<int>(sample.size()), &small));
    UseFont(0, -24);
    ASSERT_TRUE(MeasureText(dc_, sample.data(), static_cast<int>(sample.size()), &large));
    EXPECT_NEAR(large.cx, 2 * small.cx, 1);
    EXPECT_NEAR(large.cy, 2 * small.cy, 1);
    // Back to measuring on the context.
    SetMeasuringMode(MeasuringMode::Context);
    EXPECT_EQ(CurrentMeasuringMode(), MeasuringMode::Context);
}

// The reference mode measures on its own context, the same for any target mapping.
TEST_F(CharsetText, ReferenceModeMeasures) {
    SetMeasuringMode(MeasuringMode::Reference);
    ASSERT_EQ(CurrentMeasuringMode(), MeasuringMode::Reference);
    UseFont(0, -24);
    gfx::Size size;
    ASSERT_TRUE(MeasureText(dc_, "Allegro", 7, &size));
    EXPECT_GT(size.cx, 0);
}

// charset_text.png: one line per code page, drawn
// over a grey background box; in each line the ink, box included, is as wide as the
// text's measured extent.
TEST_F(CharsetText, PictureInkMatchesMeasuredExtents) {
    constexpr int kWidth = 512;
    constexpr int kLine = 40;
    constexpr int kLeft = 8;
    constexpr int kBrightness = 0xF0;
    const int lines = static_cast<int>(Samples().size());
    const platform::BitmapHandle picture = gfx::CreateImageBitmap(kWidth, kLine * lines);
    gfx::SelectObject(dc_, picture);
    gfx::FillRect(dc_, gfx::Rect{0, 0, kWidth, kLine * lines}, gfx::GetStockBrush(gfx::StockBrush::White));
    gfx::SetBackgroundMode(dc_, gfx::BackgroundMode::Opaque);
    gfx::SetBackgroundColour(dc_, gfx::Rgb(0xC0, 0xC0, 0xC0));
    std::vector<int> extents;
    for (int i = 0; i < lines; ++i) {
        const Sample& sample = Samples()[static_cast<size_t>(i)];
        UseFont(sample.charset);
        const std::string bytes = Encoded(sample);
        gfx::Size extent;
        ASSERT_TRUE(TextExtentInCharset(sample.charset, dc_, bytes.data(), static_cast<int>(bytes.size()), &extent));
        extents.push_back(extent.cx);
        ASSERT_EQ(TextOutInCharset(dc_, {}, kLeft, i * kLine + 4, bytes.data(), static_cast<int>(bytes.size())), 1);
    }
    std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
    EXPECT_TRUE(gfx::WritePng(picture, (std::filesystem::path(QL_TEST_OUTPUT_DIR) / "charset_text.png").string()));
    for (int i = 0; i < lines; ++i) {
        int first = -1;
        int last = -1;
        const int y = i * kLine + 4 + 1;  // a row inside the text's box
        for (int x = 0; x < kWidth; ++x) {
            const gfx::Colour c = gfx::GetBitmapPixel(picture, x, y);
            if (gfx::RedOf(c) >= kBrightness && gfx::GreenOf(c) >= kBrightness) continue;
            if (first < 0) first = x;
            last = x;
        }
        EXPECT_EQ(first, kLeft) << "line " << i;
        EXPECT_NEAR(last - first + 1, extents[static_cast<size_t>(i)], 1) << "line " << i;
    }
    gfx::SelectObject(dc_, bitmap_);
    gfx::DeleteObject(platform::AnyObjectHandle{picture});
}

class TextEntry : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        ui::detail::EnsureControlClasses();
        host_ = ::ql::testing::OpenPlainWindow("Host", kSide, kSide);
        win::WindowParams params;
        params.className = ui::kEditClass;
        params.style = win::kStyleChild | win::kStyleVisible;
        params.parent = host_;
        params.id = 1;
        edit_ = win::CreateWindow(params);
    }
    void TearDown() override { ResetProgramState(); }
    platform::WindowHandle host_{};
    platform::WindowHandle edit_{};
};

// Pasting 1,000 characters into a control holding 100 beeps and changes nothing; a
// paste that fits replaces the selection and selects what came in.
TEST_F(TextEntry, PastePastTheLimitBeepsAndChangesNothing) {
    const std::string hundred(100, 'a');
    win::SetWindowText(edit_, hundred);
    ui::SelectEditText(edit_, 100, 100);
    EXPECT_EQ(PasteTextInCharset(edit_, std::string(1000, 'b'), 0), 0);
    EXPECT_EQ(win::GetWindowText(edit_), hundred);
    EXPECT_EQ(ui::headless::Beeps().size(), 1u);
    ui::SelectEditText(edit_, 0, 10);
    EXPECT_EQ(PasteTextInCharset(edit_, "\xD0\x9C\xD0\xB8\xD1\x80  ", kCyrillic), 1);  // "Мир" + blanks
    EXPECT_EQ(win::GetWindowText(edit_), "\xCC\xE8\xF0" + std::string(90, 'a'));
    const ui::EditSelection selection = ui::GetEditSelection(edit_);
    EXPECT_EQ(selection.start, 0);
    EXPECT_EQ(selection.end, 3);
}

// An input-method result that would pass 1,023 bytes is refused with a beep; one that
// fits goes in at the caret in the control's code page.
TEST_F(TextEntry, InputMethodResultsKeepTheLimit) {
    win::SetWindowText(edit_, std::string(1000, 'a'));
    ui::SelectEditText(edit_, 1000, 1000);
    EXPECT_EQ(InsertInputMethodResult(edit_, std::u16string(24, u'\u0416'), kCyrillic), 0);
    EXPECT_EQ(win::GetWindowText(edit_).size(), 1000u);
    EXPECT_EQ(ui::headless::Beeps().size(), 1u);
    EXPECT_EQ(InsertInputMethodResult(edit_, std::u16string(23, u'\u0416'), kCyrillic), 1);
    EXPECT_EQ(win::GetWindowText(edit_).size(), kMaxEntryTextBytes);
    EXPECT_EQ(static_cast<unsigned char>(win::GetWindowText(edit_).back()), 0xC6);  // Ж in 1251
}

// Trailing characters 1..32 are cut, others kept.
TEST_F(TextEntry, TrailingBlanksAreCut) {
    std::string text = "Lento \t\r\n\x01";
    TrimTrailingSpaces(text);
    EXPECT_EQ(text, "Lento");
    std::string kept = "a\xA0";
    TrimTrailingSpaces(kept);
    EXPECT_EQ(kept, "a\xA0");
}

}  // namespace
}  // namespace ql
