// Laying out the text of a text box (see text_block_layout.h).
#include "objects/text_box/text_block_layout.h"

#include <algorithm>
#include <utility>

namespace ql {
namespace {

constexpr unsigned char kLastBlankCode = 32;
constexpr char kCarriageReturn = '\r';
constexpr char kLineFeed = '\n';
constexpr int kTrackingPercent[kTrackingSteps] = {-45, -25, 0, 20, 45};
constexpr int kPercent = 100;

JustifyRotation g_rotation;

bool IsSeparator(char c) {
    const auto code = static_cast<unsigned char>(c);
    return code >= 1 && code <= kLastBlankCode;
}
bool IsLineEnd(char c) {
    return c == kCarriageReturn || c == kLineFeed;
}

struct Word {
    size_t start = 0;
    size_t end = 0;
};

// One hard line (between line ends) of the text.
struct HardLine {
    size_t start = 0;
    size_t end = 0;
};

std::vector<HardLine> HardLines(std::string_view text) {
    std::vector<HardLine> lines;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i < text.size() && !IsLineEnd(text[i])) continue;
        lines.push_back({start, i});
        if (i + 1 < text.size() && text[i] == kCarriageReturn && text[i + 1] == kLineFeed) ++i;
        start = i + 1;
    }
    return lines;
}

void WordsOf(std::string_view text, HardLine line, std::vector<Word>& words) {
    words.clear();
    size_t i = line.start;
    while (i < line.end) {
        while (i < line.end && IsSeparator(text[i])) ++i;
        if (i >= line.end) break;
        const size_t start = i;
        while (i < line.end && !IsSeparator(text[i])) ++i;
        words.push_back({start, i});
    }
}

// Measures runs of the text with tracking; the blanks between words are measured once
// per distinct run (a line's width is its words' and gaps' widths added up).
class RunWidth {
  public:
    RunWidth(std::string_view text, const MeasureRun& measure, int32_t extra)
        : text_(text), measure_(measure), extra_(extra) {}
    int32_t operator()(size_t start, size_t end) const {
        if (end <= start) return 0;
        const std::string_view run = text_.substr(start, end - start);
        return measure_(run) + extra_ * static_cast<int32_t>(run.size());
    }
    int32_t Gap(size_t start, size_t end) {
        const std::string_view run = text_.substr(start, end - start);
        for (const auto& [gap, width] : gaps_)
            if (gap == run) return width;
        const int32_t width = (*this)(start, end);
        gaps_.emplace_back(run, width);
        return width;
    }

  private:
    std::string_view text_;
    const MeasureRun& measure_;
    int32_t extra_;
    std::vector<std::pair<std::string_view, int32_t>> gaps_;
};

// A hard line's words with their widths and the widths of the gaps before them;
// one is kept for a whole text, its buffers reused from line to line.
struct MeasuredWords {
    std::vector<Word> words;
    std::vector<int32_t> widths;
    std::vector<int32_t> gapsBefore;  // gapsBefore[0] is 0
    std::vector<int> blanks;          // a justified line's blanks per gap
};

void MeasureWords(std::string_view text, HardLine line, RunWidth& width, MeasuredWords& measured) {
    WordsOf(text, line, measured.words);
    measured.widths.clear();
    measured.gapsBefore.clear();
    for (size_t w = 0; w < measured.words.size(); ++w) {
        measured.widths.push_back(width(measured.words[w].start, measured.words[w].end));
        measured.gapsBefore.push_back(
            w == 0 ? 0 : width.Gap(measured.words[w - 1].end, measured.words[w].start));
    }
}

// The blanks each gap gets, into `blanks` (sized to the gaps).
void ShareSpareBlanks(int gaps, int spareBlanks, JustifyRotation& rotation,
                      std::vector<int>& blanks) {
    blanks.assign(static_cast<size_t>(std::max(gaps, 0)), 0);
    if (gaps <= 0 || spareBlanks <= 0) return;
    if (spareBlanks < gaps) {
        for (int g = 0; g < spareBlanks; ++g) blanks[static_cast<size_t>(g)] = 1;
        return;
    }
    std::fill(blanks.begin(), blanks.end(), spareBlanks / gaps);
    if (++rotation.counter > gaps || rotation.counter < 1) rotation.counter = 1;
    blanks[static_cast<size_t>(rotation.counter - 1)] += spareBlanks % gaps;
}

// Places a filled line's words (first..last) by the alignment.
PlacedLine PlaceLine(MeasuredWords& m, size_t first, size_t last, const TextBlockFormat& format,
                     const TextBlockFont& font, JustifyRotation& rotation) {
    PlacedLine line;
    int32_t x = 0;
    for (size_t w = first; w <= last; ++w) x += (w > first ? m.gapsBefore[w] : 0) + m.widths[w];
    line.width = x;
    const int32_t spare = format.width - line.width;
    const int gaps = static_cast<int>(last - first);
    if (format.alignment == TextAlignment::Justify && gaps > 0 && font.blankWidth >= 1 &&
        spare > 0) {
        ShareSpareBlanks(gaps, spare / font.blankWidth, rotation, m.blanks);
        line.runs.reserve(last - first + 1);
        x = 0;  // each word's x before justification
        int32_t added = 0;
        for (size_t w = first; w <= last; ++w) {
            if (w > first) {
                x += m.gapsBefore[w];
                added += m.blanks[w - first - 1] * font.blankWidth;
            }
            const Word& word = m.words[w];
            line.runs.push_back({word.start, word.end - word.start, x + added});
            x += m.widths[w];
        }
        return line;
    }
    int32_t left = 0;
    if (format.alignment == TextAlignment::Centre) left = spare / 2;
    if (format.alignment == TextAlignment::Right) left = spare;
    line.runs.push_back({m.words[first].start, m.words[last].end - m.words[first].start, left});
    return line;
}

// The last word of a line that starts at `first`: words are added while the line
// stays within the width (always one).
size_t LastWordThatFits(const MeasuredWords& m, size_t first, int32_t width) {
    if (width <= 0) return m.words.size() - 1;
    size_t last = first;
    int32_t used = m.widths[first];
    while (last + 1 < m.words.size() &&
           used + m.gapsBefore[last + 1] + m.widths[last + 1] <= width) {
        ++last;
        used += m.gapsBefore[last] + m.widths[last];
    }
    return last;
}

}  // namespace

JustifyRotation& TheJustifyRotation() {
    return g_rotation;
}

int32_t TrackingExtra(int tracking, int32_t blankWidth) {
    if (tracking < 0 || tracking >= kTrackingSteps || blankWidth < 1) return 0;
    return kTrackingPercent[tracking] * (blankWidth / 2) / kPercent;
}

int32_t LineAdvance(const TextBlockFont& font, bool fixedLeading, int leading) {
    if (!fixedLeading) return font.height;
    const int32_t inner = font.height - font.internalLeading;
    return inner + inner * leading / kPercent - font.internalLeading;
}

std::vector<int> JustifiedGapBlanks(int gaps, int spareBlanks, JustifyRotation& rotation) {
    std::vector<int> blanks;
    ShareSpareBlanks(gaps, spareBlanks, rotation, blanks);
    return blanks;
}

std::vector<PlacedLine> LayOutTextBlock(std::string_view text, const TextBlockFormat& format,
                                        const TextBlockFont& font, const MeasureRun& measure,
                                        JustifyRotation& rotation) {
    RunWidth width(text, measure, TrackingExtra(format.tracking, font.blankWidth));
    const int32_t advance = LineAdvance(font, format.fixedLeading, format.leading);
    std::vector<PlacedLine> lines;
    int32_t y = 0;
    auto room = [&] { return format.height <= 0 || y <= format.height; };
    MeasuredWords measured;
    for (const HardLine& hard : HardLines(text)) {
        MeasureWords(text, hard, width, measured);
        size_t first = 0;
        do {
            if (!room()) return lines;
            PlacedLine line;
            size_t last = first;
            if (!measured.words.empty()) {
                last = LastWordThatFits(measured, first, format.width);
                line = PlaceLine(measured, first, last, format, font, rotation);
            }
            line.y = y;
            lines.push_back(std::move(line));
            y += advance;
            first = last + 1;
        } while (first < measured.words.size());
    }
    return lines;
}

namespace {

// A line's text cut at its end until it and the ellipsis take no more than `width`
// (the longest such start, found by halving: widths grow with the length); blanks
// left at the cut are dropped.
std::string CutWithEllipsis(std::string_view line, int32_t width, const MeasureRun& wide) {
    const std::string ellipsis(1, kEllipsis);
    size_t fits = 0;
    size_t over = line.size() + 1;
    while (fits + 1 < over) {
        const size_t middle = fits + (over - fits) / 2;
        (wide(std::string(line.substr(0, middle)) + ellipsis) <= width ? fits : over) = middle;
    }
    while (fits > 0 && IsSeparator(line[fits - 1])) --fits;
    return std::string(line.substr(0, fits)) + ellipsis;
}

}  // namespace

std::string FitTextBlockText(std::string_view text, int32_t width, int mostLines, const TextBlockFormat& format,
                             const TextBlockFont& font, const MeasureRun& measure) {
    if (MeasureTextBlockSize(text, format, font, measure).cx <= width || mostLines < 1) return std::string(text);
    const int32_t extra = TrackingExtra(format.tracking, font.blankWidth);
    const MeasureRun wide = [&](std::string_view run) { return measure(run) + extra * static_cast<int32_t>(run.size()); };
    // Filled as the box fills its lines, left-aligned, a blank narrower when the text
    // holds one (MeasureTextBlockSize counts a blank more then).
    TextBlockFormat filling = format;
    filling.alignment = TextAlignment::Left;
    filling.width = width - (text.find(' ') != std::string_view::npos ? font.blankWidth : 0);
    filling.height = 0;
    JustifyRotation rotation;
    const std::vector<PlacedLine> placed = LayOutTextBlock(text, filling, font, measure, rotation);
    std::string fitted;
    const size_t kept = std::min(placed.size(), static_cast<size_t>(mostLines));
    for (size_t i = 0; i < kept; ++i) {
        const PlacedLine& line = placed[i];
        const std::string_view words =
            line.runs.empty() ? std::string_view() : text.substr(line.runs[0].start, line.runs[0].length);
        const bool cut = line.width > filling.width || (i + 1 == kept && kept < placed.size());
        fitted += (i > 0 ? "\r" : "") + (cut ? CutWithEllipsis(words, filling.width, wide) : std::string(words));
    }
    return fitted;
}

gfx::Size MeasureTextBlockSize(std::string_view text, const TextBlockFormat& format,
                               const TextBlockFont& font, const MeasureRun& measure) {
    const RunWidth width(text, measure, TrackingExtra(format.tracking, font.blankWidth));
    const std::vector<HardLine> lines = HardLines(text);
    int32_t widest = 0;
    for (const HardLine& line : lines) widest = std::max(widest, width(line.start, line.end));
    if (text.find(' ') != std::string_view::npos) widest += font.blankWidth;
    const int32_t advance = LineAdvance(font, format.fixedLeading, format.leading);
    return {widest, static_cast<int32_t>(lines.size()) * advance};
}

}  // namespace ql
