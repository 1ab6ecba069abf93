// A word's hyphens: a syllable whose text ends with "-" is followed by the next
// syllable of its word, and the hyphen is drawn in the gap between the two (on the
// same system), not after the syllable: centred between the one's ink and the
// other's, several spaced evenly when the gap is long, a shorter one when the gap is
// narrow and none when it is too narrow even for that. When the next syllable is on
// a later system the hyphen stands just after the syllable at this system's end;
// a lone hyphen in a gap across a barline stands centred before the barline.
// The "-" itself is not drawn.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace ql {

struct ScoreView;
struct TextObject;

// View units (128 a space): a hyphen's length, the least clearance either side of
// it, the shortest one drawn, and the room a hyphen takes between two syllables.
inline constexpr int32_t kHyphenLength = 72;
inline constexpr int32_t kHyphenClearance = 36;
inline constexpr int32_t kShortestHyphen = 24;
inline constexpr int32_t kLyricHyphenRoom = kHyphenLength + 2 * kHyphenClearance;
// A gap takes one more hyphen for each this many units it holds.
inline constexpr int32_t kHyphenSpacing = 1280;

struct HyphenStroke {
    int32_t left;
    int32_t right;
};

struct EventRecord;

struct NextSyllable {
    int measure = 0;
    EventRecord* note = nullptr;
    TextObject* lyric = nullptr;  // null when the word goes on past the system
};

// The next syllable of the verse after the one on `owner` (in the view's current
// cell): the earliest on a later note of the staff, in any voice (a word's
// syllables may pass from a voice to another, or to grace notes), up to the
// system's last measure.
NextSyllable FindNextSyllable(ScoreView* view, const EventRecord* owner, int verse);

// The left edge of a found syllable's ink.
int32_t LeftOfSyllable(ScoreView* view, const NextSyllable& next);

// Whether a syllable's text ends with a hyphen.
bool EndsWithHyphen(std::string_view text);

// The hyphens of a gap running from `from` to `to` (the ink of the syllables
// either side): none for a gap too narrow for the shortest one.
std::vector<HyphenStroke> HyphenStrokes(int32_t from, int32_t to);

// Draws the lyric's hyphens on the view's context, the view located at the lyric's
// staff and measure (as the painter draws it); nothing for a lyric without one.
void DrawLyricHyphens(ScoreView* view, TextObject* lyric);

}  // namespace ql
