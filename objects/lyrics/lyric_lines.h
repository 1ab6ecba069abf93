// Where the document's four lyric lines lie under their staves. A line's offset is
// the distance of its syllables' baseline from the staff's bottom line. The first
// line used stands clear of the lowest ink of the staves that carry lyrics (note
// heads below the staff and the ends of stems pointing down) and of the staff
// itself; each further line follows one syllable height and a gap below the one
// before, so that the verses and voices on different lines never print over each
// other.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreDocument;

struct LyricLineNeeds {
    int32_t lowestInk = 0;   // below the bottom line, view units (0: nothing below the staff)
    int32_t ascent = 0;      // of the tallest syllable: its top above its baseline
    int32_t height = 0;      // of the tallest syllable
    bool any = false;        // some note carries a lyric
};

// The gap between the lowest ink and a line's tops, and between two lines.
inline constexpr int32_t kLyricLineGap = 64;
// The first line lies at least this far under the bottom line.
inline constexpr int32_t kLeastFirstLyricLine = 320;

// The offsets of the four lines for the needs.
void PlanLyricLines(const LyricLineNeeds& needs, uint16_t levels[4]);
// The needs of the document's lyrics (measured syllables) and of the notes of the
// staves that carry them.
LyricLineNeeds MeasureLyricLineNeeds(ScoreDocument* document);
// Sets the document's line offsets from its lyrics and notes; a document without
// lyrics keeps its own. Returns whether any lyric was found.
bool PlaceLyricLines(ScoreDocument* document);

}  // namespace ql
