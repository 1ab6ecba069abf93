// Reading a chord symbol's text from a NIFF file: root letter, accidental ("@"
// flat, "#" sharp), the quality from its spellings, and a bass after "/".
#pragma once

#include <optional>
#include <string_view>

namespace ql::niff {

struct NiffChord {
    int root = 0;        // index in "CDEFGAB"
    int accidental = 0;  // 0 none, 1 sharp, 2 flat
    int quality = 0;     // row of the quality table
    int bass = 0;
    int bassAccidental = 0;
};

inline constexpr int kNiffChordQualities = 16;

// The chord, or none when the text is empty or not a chord symbol (the caller
// then imports it as a text line).
std::optional<NiffChord> ParseNiffChordSymbol(std::string_view text);

}  // namespace ql::niff
