// The constant tables of the pitch arithmetic, each written once here: the clef
// table, the clef scales, the major scale, the key masks and key transpositions, and
// the tablature tunings. Every table that can be derived from another is checked
// against it at compile time (pitch_tables.cpp), so a wrong digit does not build.
// Readers go through the lookups below, which refuse codes outside the tables.
#pragma once

#include <cstdint>
#include <iterator>
#include <span>

#include "notes/pitch/pitch_vocabulary.h"

namespace ql {

// Semitones of each step above C (C D E F G A B).
inline constexpr uint8_t kMajorScale[kStepsPerOctave] = {0, 2, 4, 5, 7, 9, 11};

// One row of the clef table.
struct ClefRow {
    Step bottomStep;       // step name of the bottom line
    uint8_t bottomKey;     // MIDI key of the bottom line
    uint8_t octaveBase;    // MIDI key of the C at or below the bottom line (see Soprano)
    uint8_t stepsToNextC;  // steps from the bottom line up to the next C
    int8_t stepOffset;     // steps from middle C up to the bottom line, by written pitch
};

// Indexed by ClefKind. A clef whose bottom line is itself a C (Soprano) keeps the C an
// octave lower and 0 steps to the next C, so the octave arithmetic of NoteToMidiKey
// lands on the bottom line's own C. The octave clefs share their plain clef's step
// offset; Percussion and TAB have offset 0, and TAB has no pitches of its own (its
// lines are strings, notes/pitch/tablature.h).
inline constexpr ClefRow kClefTable[kClefKindCount] = {
    {Step::E, 64, 60, 5, 2},    // Treble
    {Step::D, 50, 48, 6, -6},   // Tenor
    {Step::F, 53, 48, 4, -4},   // Alto
    {Step::G, 43, 36, 3, -10},  // Bass
    {Step::B, 47, 36, 1, -8},   // Baritone
    {Step::G, 43, 36, 3, 0},    // Percussion
    {Step::E, 76, 72, 5, 2},    // Treble 8va Above
    {Step::E, 52, 48, 5, 2},    // Treble 8va Below
    {Step::G, 55, 48, 3, -10},  // Bass 8va Above
    {Step::G, 31, 24, 3, -10},  // Bass 8va Below
    {Step::C, 60, 48, 0, 0},    // Soprano
    {Step::E, 0, 0, 0, 0},      // TAB
    {Step::A, 57, 48, 2, -2},   // Mezzo Soprano
    {Step::E, 52, 48, 5, -5},   // (Modern) Tenor
    {Step::B, 47, 36, 1, -8},   // Baritone (second form)
};

// Semitones from a bottom-line note to the 0th..7th diatonic step above it (up) and
// below it (down); both end at the octave. A clef uses the pair of its bottom step.
constexpr int kScaleTableEntries = 8;
struct ClefScale {
    uint8_t up[kScaleTableEntries];
    uint8_t down[kScaleTableEntries];
};
// Indexed by Step (C D E F G A B).
inline constexpr ClefScale kClefScales[kStepsPerOctave] = {
    {{0, 2, 4, 5, 7, 9, 11, 12}, {0, 1, 3, 5, 7, 8, 10, 12}},  // C
    {{0, 2, 3, 5, 7, 9, 10, 12}, {0, 2, 3, 5, 7, 9, 10, 12}},  // D
    {{0, 1, 3, 5, 7, 8, 10, 12}, {0, 2, 4, 5, 7, 9, 11, 12}},  // E
    {{0, 2, 4, 6, 7, 9, 11, 12}, {0, 1, 3, 5, 6, 8, 10, 12}},  // F
    {{0, 2, 4, 5, 7, 9, 10, 12}, {0, 2, 3, 5, 7, 8, 10, 12}},  // G
    {{0, 2, 3, 5, 7, 8, 10, 12}, {0, 2, 4, 5, 7, 9, 10, 12}},  // A
    {{0, 1, 3, 5, 6, 8, 10, 12}, {0, 2, 4, 6, 7, 9, 11, 12}},  // B
};

// By KeyCode: bit (6 - step) set when the key alters that step (bit 6 C .. bit 0 B;
// bit 7 is ignored). The alteration is a flat below code 7 and a sharp above it.
inline constexpr uint8_t kKeyMaskTable[kKeyCodeCount] = {
    0xFF, 0x77, 0x37, 0x33, 0x13, 0x11, 0x01, 0x00, 0x08, 0x48, 0x4C, 0x6C, 0x6E, 0xFE, 0xFF,
};
constexpr uint8_t kKeyMaskSteps = 0x7F;

// By KeyCode: semitones from the key's major tonic up to C, (12 - tonic) mod 12.
inline constexpr uint8_t kKeyTransposeTable[kKeyCodeCount] = {
    1, 6, 11, 4, 9, 2, 7, 0, 5, 10, 3, 8, 1, 6, 11,
};

// Tablature tunings: the programs a row serves (an inclusive range of signed bytes;
// -1..-1 serves a staff without a program), its string count, and the open-string
// MIDI keys from the lowest string.
constexpr int kMaxTabStrings = 6;
struct TabTuningRow {
    int8_t lowestProgram;
    int8_t highestProgram;
    uint8_t stringCount;
    uint8_t openKeys[kMaxTabStrings];
};
inline constexpr TabTuningRow kTabTuningTable[] = {
    {24, 31, 6, {52, 57, 62, 67, 71, 76}},  // guitars
    {32, 39, 5, {35, 40, 45, 50, 55}},      // basses
    {105, 105, 5, {67, 48, 55, 59, 62}},    // banjo, five strings
    {105, 105, 4, {60, 67, 74, 81}},        // banjo, four strings
    {-1, -1, 4, {55, 62, 69, 76}},          // no program set
};
constexpr int kTabTuningRows = static_cast<int>(std::size(kTabTuningTable));

// ---- Lookups; a code outside its table gives null or 0 ----
// The row of a clef code, or null.
const ClefRow* ClefRowOf(int clef);
// The scale pair of a clef row.
const ClefScale& ClefScaleOf(const ClefRow& row);
// The step mask of a key code (bit 7 cleared); 0 for a code out of range.
uint8_t KeyMaskOf(int key);
// Semitones from the key's major tonic up to C; 0 for a code out of range.
int KeyTransposeOf(int key);
// The tuning rows, in table order.
std::span<const TabTuningRow> TabTuningRows();

}  // namespace ql
