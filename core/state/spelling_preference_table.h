// The user's spelling preferences: for major and for minor keys, one signed byte per
// interval in semitones above the key's major tonic, -1 to prefer the flat spelling,
// +1 the sharp one, 0 to let the key signature decide. The program state holds the
// tables (core/state.h, NotesGlobals); the settings store loads them and the spelling
// dialog edits them (notes/pitch/spelling_preferences.h).
#pragma once

#include <cstdint>

namespace ql {

constexpr int kSpellingIntervals = 12;

// The settings that keep the tables, and their defaults.
inline constexpr char kMajorSpellingKey[] = "AcciMajorDefault";
inline constexpr char kMinorSpellingKey[] = "AcciMinorDefault";
inline constexpr char kMajorSpellingDefault[] = "0,1,0,-1,0,0,1,0,-1,0,-1,0";
inline constexpr char kMinorSpellingDefault[] = "0,1,0, 1,0,0,1,0, 1,0,-1,0";

// The start-up values are the built-in defaults (major: sharp above 1 and 6, flat
// above 3, 8 and 10; minor: sharp above 1, 3, 6 and 8, flat above 10).
struct SpellingPreferenceTable {
    int8_t major[kSpellingIntervals] = {0, 1, 0, -1, 0, 0, 1, 0, -1, 0, -1, 0};
    int8_t minor[kSpellingIntervals] = {0, 1, 0, 1, 0, 0, 1, 0, 1, 0, -1, 0};
};

}  // namespace ql
