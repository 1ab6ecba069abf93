// Laying out the text of a text box or staff label in its rectangle.
//
// The text is cut into lines at CR (an LF after it skipped; a lone LF also ends a
// line) and each line is filled word by word up to the box width: words are the runs
// of characters above 32 (bytes of double-byte characters included, so they stay
// whole), separated by characters 1..32; each word and each distinct run of blanks is
// measured once, and a line is as wide as its words and gaps added up (no kerning
// across a blank is lost that way). A word that passes the width starts the next
// line; one wider than the box stands alone on its line. Blanks at a line's end are
// dropped. Tracking adds t x (half a blank) / 100 to every character, t = -45, -25,
// 20, 45 for tracking 0, 1, 3, 4 (nothing for 2 or any other value).
//
// Alignment: left at 0, centre at (width - line) / 2, right at width - line. Justify
// (every line, the last of a paragraph too) turns the spare width into whole blanks
// and shares them between the line's gaps: each gap gets spare / gaps, and the
// remainder goes to one gap taken in turn from line to line (the rotation runs
// 1..gaps); with fewer spare blanks than gaps the first gaps get one each. A blank
// narrower than 1 unit lays a justified line out left-aligned and tracking adds
// nothing. Example: gaps 3, spare blanks 7 gives 2+1, 2, 2, then 2, 2+1, 2.
//
// Line advance: the font height; with fixed leading h' = height - internal leading
// and advance = h' + h' x leading / 100 - internal leading. Lines are laid out until
// the text ends or the next line would start below the box's height.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/gfx/types.h"

namespace ql {

enum class TextAlignment : uint8_t { Left = 0, Centre = 1, Justify = 2, Right = 3 };
constexpr int kTrackingSteps = 5;
constexpr int kNormalTracking = 2;

struct TextBlockFormat {
    TextAlignment alignment = TextAlignment::Left;
    bool fixedLeading = false;
    int16_t leading = 0;  // % of the font size, with fixed leading
    int tracking = kNormalTracking;
    int32_t width = 0;   // 0 or less: lines are not wrapped
    int32_t height = 0;  // 0 or less: every line is laid out
};

struct TextBlockFont {
    int32_t height = 0;
    int32_t internalLeading = 0;
    int32_t blankWidth = 0;
};

// The natural width of a run of text (without tracking).
using MeasureRun = std::function<int32_t(std::string_view)>;

// A run of the text drawn at x (relative to the box's left) on its line.
struct PlacedRun {
    size_t start = 0;
    size_t length = 0;
    int32_t x = 0;
};
struct PlacedLine {
    int32_t y = 0;      // top, relative to the box's top
    int32_t width = 0;  // the line's width before justification
    std::vector<PlacedRun> runs;
};

// The rotation of the justified remainder; the program keeps one (TheJustifyRotation).
struct JustifyRotation {
    int counter = 0;
};
JustifyRotation& TheJustifyRotation();

int32_t TrackingExtra(int tracking, int32_t blankWidth);
int32_t LineAdvance(const TextBlockFont& font, bool fixedLeading, int leading);
// The blanks each gap of a justified line gets.
std::vector<int> JustifiedGapBlanks(int gaps, int spareBlanks, JustifyRotation& rotation);

std::vector<PlacedLine> LayOutTextBlock(std::string_view text, const TextBlockFormat& format,
                                        const TextBlockFont& font, const MeasureRun& measure,
                                        JustifyRotation& rotation);

// The size the text needs unwrapped: the widest line (plus one blank when the text
// holds a blank) by the lines' count x the advance.
gfx::Size MeasureTextBlockSize(std::string_view text, const TextBlockFormat& format,
                               const TextBlockFont& font, const MeasureRun& measure);

// The ellipsis of code page 1252, which ends a text cut short.
constexpr char kEllipsis = '\x85';

// The text set in at most `mostLines` lines no wider than `width`, the widths
// as MeasureTextBlockSize gives them: its words filled into lines (CR between them,
// one blank between words), a word wider than a line alone cut and ended by the
// ellipsis, and the last line so ended when words are left over. A text that
// fits as it is comes back unchanged. Example: "Solo Soprano" in lines of one word
// each is "Solo\rSoprano"; "Pianoforte" in a line of "Piano" and the ellipsis
// is "Piano\x85".
std::string FitTextBlockText(std::string_view text, int32_t width, int mostLines, const TextBlockFormat& format,
                             const TextBlockFont& font, const MeasureRun& measure);

}  // namespace ql
