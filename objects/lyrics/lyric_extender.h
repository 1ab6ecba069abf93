// A melisma's extender line: a syllable whose text ends with "_" (after a letter,
// not after a hyphen) is sung on through the notes after it, and a line is drawn
// on its baseline from the syllable to the last of those notes. The melisma runs
// through the notes of the syllable's voice that follow one another without a rest,
// up to the next syllable of its verse, across barlines to the end of its system;
// the "_" itself is not drawn.
#pragma once

#include <cstdint>
#include <string_view>

namespace ql {

struct ScoreView;
struct TextObject;

// Whether a syllable's text ends with an extender mark.
bool EndsWithExtender(std::string_view text);

// Draws the lyric's extender line on the view's context, the view located at the
// lyric's staff and measure (as the painter draws it); nothing for a lyric without
// one, or whose melisma ends under the syllable.
void DrawLyricExtender(ScoreView* view, TextObject* lyric);

}  // namespace ql
