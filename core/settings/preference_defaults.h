// The program's preference defaults that a new score takes: the default score
// header (page setup, page geometry, new-score block, margins, tempo and further
// settings), the default time signature, clef and key, the font table and face
// names, and the proportional width factor. The settings store loads them at
// start-up; until then they hold the program's built-in defaults.
#pragma once

#include <cstdint>

#include "core/model/score_document.h"

namespace ql {

// Built-in stretch factor of a measure: layout units per 4096 ticks.
constexpr uint16_t kBuiltInStretchFactor = 2816;
// Accepted range of the default beat-unit exponent (a whole note is 12).
constexpr uint8_t kMinBeatUnitExponent = 4;
constexpr uint8_t kMaxBeatUnitExponent = 13;
constexpr uint8_t kQuarterBeatUnitExponent = 10;
// Key code of C major, the key of a new score's cells (codes run from 7 flats at 0
// to 7 sharps at 14).
constexpr uint8_t kCMajorKeyCode = 7;

struct PreferenceDefaults {
    ScoreHeader header{};
    uint8_t timeBeats = 4;
    uint8_t timeBeatUnitExponent = kQuarterBeatUnitExponent;
    uint8_t clef = 0;
    uint8_t key = kCMajorKeyCode;
    uint16_t DefaultStretchFactor = kBuiltInStretchFactor;
    QuickFontRecord fonts[kScoreFontCount] = {};
    char musicFaceName[kFaceNameChars] = {};
    char fontFaceNames[4][kFaceNameChars] = {};  // faces of font entries 0..3
    FontRef fontRefs[kFontRefCount] = {};
    char fontRefFaceNames[kFontRefCount][kFaceNameChars] = {};
    char measureNumberFaceName[kFaceNameChars] = {};
};

// The program's defaults (user-interface thread).
PreferenceDefaults& ProgramPreferences();
// Puts the built-in defaults back (start-up and tests).
void ResetPreferenceDefaults();
// Applied when preferences load: a beat-unit exponent outside 4..13 becomes 10.
void SanitizeTimeSignatureDefaults(PreferenceDefaults& defaults);

}  // namespace ql
