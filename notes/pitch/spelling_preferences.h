// Reading, loading and setting the user's spelling preferences
// (core/state/spelling_preference_table.h): the profile texts "AcciMajorDefault" and
// "AcciMinorDefault" the settings store loads at start-up, and the single entries the
// spelling dialog edits for the five black-key intervals.
#pragma once

#include <cstdint>

#include "core/state/spelling_preference_table.h"

namespace ql {

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
