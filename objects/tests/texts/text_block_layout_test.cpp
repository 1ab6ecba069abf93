// Laying out a text block with a measurer where every character is 10 units wide and
// the blank 20 (unless a test says otherwise): line filling, the alignments, the
// justified blanks and their rotation, tracking and the two leading modes.
#include "objects/text_box/text_block_layout.h"

#include <gtest/gtest.h>

#include <climits>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace ql {
namespace {

constexpr int32_t kChar = 10;
constexpr int32_t kBlank = 20;

int32_t Measure(std::string_view run) {
    int32_t width = 0;
    for (char c : run) width += c == ' ' ? kBlank : kChar;
    return width;
}

const TextBlockFont kFont{100, 20, kBlank};

std::vector<PlacedLine> Lay(std::string_view text, TextBlockFormat format,
                            JustifyRotation& rotation) {
    return LayOutTextBlock(text, format, kFont, &Measure, rotation);
}

std::vector<std::string> LineTexts(std::string_view text, const std::vector<PlacedLine>& lines) {
    std::vector<std::string> out;
    for (const PlacedLine& line : lines) {
        std::string joined;
        for (const PlacedRun& run : line.runs) {
            if (!joined.empty()) joined += '|';
            joined += text.substr(run.start, run.length);
        }
        out.push_back(joined);
    }
    return out;
}

TEST(TextBlockLayout, JustifiedBlanksAreSharedAndTheRemainderRotates) {
    JustifyRotation rotation;
    // 3 gaps, 7 spare blanks: 2 each and the seventh in gap 1, then 2, then 3, then 1 again.
    EXPECT_EQ(JustifiedGapBlanks(3, 7, rotation), (std::vector<int>{3, 2, 2}));
    EXPECT_EQ(JustifiedGapBlanks(3, 7, rotation), (std::vector<int>{2, 3, 2}));
    EXPECT_EQ(JustifiedGapBlanks(3, 7, rotation), (std::vector<int>{2, 2, 3}));
    EXPECT_EQ(JustifiedGapBlanks(3, 7, rotation), (std::vector<int>{3, 2, 2}));
    // Fewer spare blanks than gaps: the first gaps get one each, the rotation is left alone.
    EXPECT_EQ(JustifiedGapBlanks(3, 2, rotation), (std::vector<int>{1, 1, 0}));
    EXPECT_EQ(rotation.counter, 1);
    // A counter left high by a longer line restarts at the first gap of a shorter one.
    rotation.counter = 5;
    EXPECT_EQ(JustifiedGapBlanks(2, 3, rotation), (std::vector<int>{2, 1}));
}

TEST(TextBlockLayout, JustifyPlacesWordsWithTheWholeBlanksOfTheSpareWidth) {
    JustifyRotation rotation;
    // "a b c d": 4 words of 10 with 3 blanks of 20 = 100; width 240 leaves 140 = 7 blanks.
    TextBlockFormat format{TextAlignment::Justify, false, 0, kNormalTracking, 240, 0};
    const std::string text = "a b c d";
    const auto lines = Lay(text, format, rotation);
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].runs.size(), 4u);
    // Gap 1 gets 3 extra blanks, gaps 2 and 3 two each.
    EXPECT_EQ(lines[0].runs[0].x, 0);
    EXPECT_EQ(lines[0].runs[1].x, 30 + 3 * kBlank);
    EXPECT_EQ(lines[0].runs[2].x, 60 + 5 * kBlank);
    EXPECT_EQ(lines[0].runs[3].x, 90 + 7 * kBlank);
    // The next justified line puts its remainder in gap 2.
    const auto again = Lay(text, format, rotation);
    EXPECT_EQ(again[0].runs[1].x, 30 + 2 * kBlank);
    EXPECT_EQ(again[0].runs[2].x, 60 + 5 * kBlank);
}

TEST(TextBlockLayout, LinesBreakAtLineEndsAndBeforeWordsThatPassTheWidth) {
    JustifyRotation rotation;
    TextBlockFormat format{TextAlignment::Left, false, 0, kNormalTracking, 100, 0};
    // CR LF, a lone CR and a lone LF each end a line; the LF after a CR is not a second one.
    const std::string breaks = "ab\r\ncd\ref\ngh";
    EXPECT_EQ(LineTexts(breaks, Lay(breaks, format, rotation)),
              (std::vector<std::string>{"ab", "cd", "ef", "gh"}));
    // "aaaa bbbb" is 100 wide and fits; "cc" would pass 100 and moves down; trailing blanks go.
    const std::string words = "aaaa bbbb cc   ";
    EXPECT_EQ(LineTexts(words, Lay(words, format, rotation)),
              (std::vector<std::string>{"aaaa bbbb", "cc"}));
    // A word wider than the box stands alone on its line.
    const std::string wide = "x abcdefghijklmn y";
    EXPECT_EQ(LineTexts(wide, Lay(wide, format, rotation)),
              (std::vector<std::string>{"x", "abcdefghijklmn", "y"}));
    // Lines go down by the advance, and stop once the next would start below the height.
    format.height = 150;
    const auto cut = Lay(breaks, format, rotation);
    ASSERT_EQ(cut.size(), 2u);
    EXPECT_EQ(cut[1].y, kFont.height);
}

TEST(TextBlockLayout, CentreAndRightAlignFromTheSpareWidth) {
    JustifyRotation rotation;
    TextBlockFormat format{TextAlignment::Centre, false, 0, kNormalTracking, 100, 0};
    EXPECT_EQ(Lay("abcd", format, rotation)[0].runs[0].x, 30);  // (100 - 40) / 2
    format.alignment = TextAlignment::Right;
    EXPECT_EQ(Lay("abcd", format, rotation)[0].runs[0].x, 60);
    // A line wider than the box is centred the same way, so it starts left of the box.
    format.alignment = TextAlignment::Centre;
    EXPECT_EQ(Lay("abcdefghijklmn", format, rotation)[0].runs[0].x, -20);
}

TEST(TextBlockLayout, TrackingAddsAShareOfHalfABlankToEveryCharacter) {
    // Half a blank is 10: tracking 0 takes 45 % of it (4, truncated), 1 takes 25 %.
    EXPECT_EQ(TrackingExtra(0, kBlank), -4);
    EXPECT_EQ(TrackingExtra(1, kBlank), -2);
    EXPECT_EQ(TrackingExtra(2, kBlank), 0);
    EXPECT_EQ(TrackingExtra(3, kBlank), 2);
    EXPECT_EQ(TrackingExtra(4, kBlank), 4);
    // Values outside 0..4 (a damaged style word) add nothing.
    EXPECT_EQ(TrackingExtra(7, kBlank), 0);
    JustifyRotation rotation;
    TextBlockFormat format{TextAlignment::Right, false, 0, 0, 100, 0};
    // Tracking 0 narrows "abcd" by 4 per character: 24 wide, so it starts at 76.
    const auto lines = Lay("abcd", format, rotation);
    EXPECT_EQ(lines[0].width, 24);
    EXPECT_EQ(lines[0].runs[0].x, 76);
}

TEST(TextBlockLayout, FixedLeadingTakesThePercentOfTheEmLessTheInternalLeading) {
    // Automatic: the font height.
    EXPECT_EQ(LineAdvance(kFont, false, 50), 100);
    // Fixed: h' = 100 - 20 = 80; 80 + 80 x 50 / 100 - 20 = 100.
    EXPECT_EQ(LineAdvance(kFont, true, 50), 100);
    EXPECT_EQ(LineAdvance(kFont, true, 0), 60);
    EXPECT_EQ(LineAdvance(kFont, true, -25), 40);
}

TEST(TextBlockLayout, AZeroWidthBlankLaysJustifiedLinesOutLeftAligned) {
    JustifyRotation rotation;
    const TextBlockFont noBlank{100, 20, 0};
    TextBlockFormat format{TextAlignment::Justify, false, 0, 0, 200, 0};
    const auto lines = LayOutTextBlock("ab cd", format, noBlank, &Measure, rotation);
    ASSERT_EQ(lines.size(), 1u);
    ASSERT_EQ(lines[0].runs.size(), 1u);
    EXPECT_EQ(lines[0].runs[0].x, 0);
    // No tracking either: the width is the plain one.
    EXPECT_EQ(lines[0].width, Measure("ab cd"));
    EXPECT_EQ(rotation.counter, 0);
}

TEST(TextBlockLayout, MeasuredSizeIsTheWidestLineAndTheLinesHeight) {
    TextBlockFormat format;
    // Widest hard line "abcdef" (60) plus a blank, since the text holds one; 3 lines.
    const gfx::Size size = MeasureTextBlockSize("ab c\r\nabcdef\rx", format, kFont, &Measure);
    EXPECT_EQ(size.cx, 60 + kBlank);
    EXPECT_EQ(size.cy, 3 * kFont.height);
    // No blank: no extra width.
    EXPECT_EQ(MeasureTextBlockSize("abc", format, kFont, &Measure).cx, 30);
}

// A text fitted to a width and a count of lines: broken at blanks, a word too long
// alone and the last line with words left over cut and ended by the ellipsis (one
// character wide here); each result's measured width within the width.
TEST(TextBlockLayout, FittedTextsBreakAtBlanksAndEndCutWordsWithAnEllipsis) {
    const struct {
        const char* text;
        int32_t width;
        int lines;
        std::string fitted;
    } cases[] = {
        {"Cello", 100, 3, "Cello"},                           // fits as it is
        {"Solo Soprano", 100, 3, "Solo\rSoprano"},            // a blank more than the line
        {"Pianoforte", 60, 3, "Piano\x85"},                   // one word: cut
        {"a b c d e f", 40, 2, "a\rb\x85"},                   // words left over
        {"Solo  Soprano", 100, 1, "Solo\x85"},                // one line
        {"Contrabassoon and Tuba", 100, 3, "Contrab\x85\rand\rTuba"},
    };
    const TextBlockFormat format;
    for (const auto& c : cases) {
        const std::string fitted = FitTextBlockText(c.text, c.width, c.lines, format, kFont, &Measure);
        EXPECT_EQ(fitted, c.fitted) << c.text;
        EXPECT_LE(MeasureTextBlockSize(fitted, format, kFont, &Measure).cx, c.width) << c.text;
    }
}

}  // namespace
}  // namespace ql

namespace ql {
namespace {

// Random texts (words, blanks, tabs, CR, LF, bytes above 127) laid out in random formats
// and widths: every run lies inside the text and holds no separator at either end, the
// runs of a line go left to right without overlapping, lines go down by the advance,
// and a line of more than one word never passes the box.
TEST(TextBlockLayout, RandomTextsKeepTheLayoutInvariants) {
    std::mt19937 rng(37);
    const std::string alphabet = "abcdefghij  \t\r\n\xE9\xF1";
    for (int round = 0; round < 400; ++round) {
        std::string text;
        const int length = static_cast<int>(rng() % 120);
        for (int i = 0; i < length; ++i) text += alphabet[rng() % alphabet.size()];
        TextBlockFormat format;
        format.alignment = static_cast<TextAlignment>(rng() % 4);
        format.fixedLeading = rng() % 2 == 0;
        format.leading = static_cast<int16_t>(static_cast<int>(rng() % 200) - 50);
        format.tracking = static_cast<int>(rng() % 6);
        format.width = static_cast<int32_t>(rng() % 400) - 20;
        format.height = static_cast<int32_t>(rng() % 800) - 20;
        JustifyRotation rotation;
        rotation.counter = static_cast<int>(rng() % 8);
        const auto lines = LayOutTextBlock(text, format, kFont, &Measure, rotation);
        const int32_t advance = LineAdvance(kFont, format.fixedLeading, format.leading);
        const int32_t extra = TrackingExtra(format.tracking, kFont.blankWidth);
        for (size_t l = 0; l < lines.size(); ++l) {
            EXPECT_EQ(lines[l].y, static_cast<int32_t>(l) * advance);
            int32_t lastEnd = INT32_MIN;
            for (const PlacedRun& run : lines[l].runs) {
                ASSERT_LE(run.start + run.length, text.size());
                ASSERT_GT(run.length, 0u);
                const auto first = static_cast<unsigned char>(text[run.start]);
                const auto last = static_cast<unsigned char>(text[run.start + run.length - 1]);
                EXPECT_TRUE(first > 32 && last > 32) << "round " << round;
                EXPECT_GE(run.x, lastEnd) << "round " << round;
                lastEnd = run.x + Measure(text.substr(run.start, run.length)) +
                          extra * static_cast<int32_t>(run.length);
            }
            if (lines[l].runs.empty() || format.width <= 0) continue;
            const PlacedRun& head = lines[l].runs.front();
            const PlacedRun& tail = lines[l].runs.back();
            const std::string_view span =
                std::string_view(text).substr(head.start, tail.start + tail.length - head.start);
            const bool severalWords =
                span.find_first_of(std::string_view(" \t", 2)) != std::string_view::npos;
            if (severalWords) {
                EXPECT_LE(lines[l].width, format.width) << "round " << round;
                EXPECT_LE(lastEnd - head.x, format.width) << "round " << round;
            }
        }
    }
}

}  // namespace
}  // namespace ql
