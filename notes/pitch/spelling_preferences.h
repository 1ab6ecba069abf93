// The user's spelling preferences: for major and for minor keys, one signed byte per
// interval in semitones above the key's major tonic, -1 to prefer the flat spelling,
// +1 the sharp one, 0 to let the key signature decide. The program state holds the
// tables (core/state.h, NotesGlobals); the settings store loads them from the
// profile texts "AcciMajorDefault" and "AcciMinorDefault" at start-up, and the
// spelling dialog edits the five black-key intervals. Light on purpose: the program
// state includes it.
#pragma once

#include <cstdint>

namespace ql {

constexpr int kSpellingIntervals = 12;

// The start-up values are the built-in defaults (major: sharp above 1 and 6, flat
// above 3, 8 and 10; minor: sharp above 1, 3, 6 and 8, flat above 10).
struct SpellingPreferenceTable {
    int8_t major[kSpellingIntervals] = {0, 1, 0, -1, 0, 0, 1, 0, -1, 0, -1, 0};
    int8_t minor[kSpellingIntervals] = {0, 1, 0, 1, 0, 0, 1, 0, 1, 0, -1, 0};
};

// Profile keys and their default texts, as the settings store writes them.
inline constexpr char kMajorSpellingKey[] = "AcciMajorDefault";
inline constexpr char kMinorSpellingKey[] = "AcciMinorDefault";
inline constexpr char kMajorSpellingDefault[] = "0,1,0,-1,0,0,1,0,-1,0,-1,0";
inline constexpr char kMinorSpellingDefault[] = "0,1,0, 1,0,0,1,0, 1,0,-1,0";

// Reads twelve comma-separated integers into `table`; false (table untouched) unless
// all twelve were read. Values are kept as signed bytes.
bool ParseSpellingPreferences(const char* text, int8_t table[kSpellingIntervals]);
// Loads both tables from their profile texts (null: keep the table); each is stored
// only when all twelve numbers were read. The rotated copy is rebuilt on next use.
void LoadSpellingPreferences(const char* majorText, const char* minorText);
// Sets one entry, as the spelling dialog does; false for an interval outside 0..11.
bool SetSpellingPreference(bool minor, int interval, int value);
// The stored table of a mode, as the user saved it.
const int8_t* SpellingPreferencesOf(bool minor);

}  // namespace ql
