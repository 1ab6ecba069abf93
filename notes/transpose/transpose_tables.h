// The constant tables of transposition, each written once: the tonic step of every
// key, the alteration of a note relative to its key, the code and step correction
// that alteration becomes in the new key, and the line of fifths of chord roots. The
// lookups refuse indexes outside the tables.
#pragma once

#include <array>
#include <cstdint>

#include "notes/pitch/pitch_frame.h"
#include "notes/pitch/pitch_vocabulary.h"

namespace ql {

// By KeyCode: the step (0 C .. 6 B) of the major tonic.
inline constexpr uint8_t kKeyTonicStepTable[kKeyCodeCount] = {
    0, 4, 1, 5, 2, 6, 3, 0, 4, 1, 5, 2, 6, 3, 0,
};

// By the key's alteration a of the note's step (-1, 0, +1; row a + 1) and the note's
// explicit AccidentalCode 0..5: the note's alteration relative to the key, in
// semitones (code 0 means the key's own alteration, so 0).
constexpr int kKeyAlterations = 3;
constexpr int kCodesWithNone = kLastAccidentalCode + 1;
inline constexpr int8_t kRelativeAlterationTable[kKeyAlterations][kCodesWithNone] = {
    {0, 2, 3, 0, -1, 1},    // the key flats the step
    {0, 1, 2, -1, -2, 0},   // the key leaves it
    {0, 0, 1, -2, -3, -1},  // the key sharps it
};

// By the new key's alteration a' of the new step and the relative alteration r
// (-3..+3, column r + 3): the new code, and a step correction where no code of the
// same step can say it (+1 one letter higher, -1 one letter lower).
constexpr int kRelativeAlterations = 7;
constexpr int kLargestRelativeAlteration = 3;
struct RespellCell {
    uint8_t code;
    int8_t stepCorrection;
};
inline constexpr RespellCell kRespellAlterationTable[kKeyAlterations][kRelativeAlterations] = {
    {{4, -1}, {3, -1}, {4, 0}, {0, 0}, {5, 0}, {1, 0}, {2, 0}},
    {{3, -1}, {4, 0}, {3, 0}, {0, 0}, {1, 0}, {2, 0}, {1, 1}},
    {{5, -1}, {3, 0}, {5, 0}, {0, 0}, {2, 0}, {1, 1}, {2, 1}},
};

// Chord-symbol letters on the line of fifths: C D E F G A B sit at 7 9 11 6 8 10 12;
// the positions 6..12 read back F C G D A E B.
inline constexpr uint8_t kFifthsOfLetter[kStepsPerOctave] = {7, 9, 11, 6, 8, 10, 12};
constexpr int kLowestNaturalFifth = 6;
constexpr int kHighestNaturalFifth = 12;
inline constexpr uint8_t kLetterOfFifth[kStepsPerOctave] = {3, 0, 4, 1, 5, 2, 6};

// ---- Lookups ----
// The tonic step of a key; 0 for a code out of range.
int KeyTonicStep(int key);
// The relative alteration of a code under the key's alteration; 0 for bad input.
// Inline, as the next one: the degree respelling reads both at every note.
constexpr int RelativeAlteration(int keyAlteration, int code) {
    if (keyAlteration < -1 || keyAlteration > 1 || code < 0 || code > kLastAccidentalCode) return 0;
    return kRelativeAlterationTable[keyAlteration + 1][code];
}
// The new code and correction for a relative alteration; {0, 0} for bad input.
constexpr RespellCell RespellAlteration(int newKeyAlteration, int relative) {
    if (newKeyAlteration < -1 || newKeyAlteration > 1 || relative < -kLargestRelativeAlteration ||
        relative > kLargestRelativeAlteration)
        return {0, 0};
    return kRespellAlterationTable[newKeyAlteration + 1][relative + kLargestRelativeAlteration];
}

// A note moved by degree in one step: by the key's alteration of its old step, its
// explicit code and the new key's alteration of its new step, the respelling cell of its
// relative alteration and the semitones the new code sounds against the natural of the
// new step (what it sounds when the cell corrects no step). Made from the two tables
// above; the degree respelling reads it at every note.
struct DegreeRespelling {
    RespellCell cell;
    int8_t alteration;
};
constexpr DegreeRespelling MakeDegreeRespelling(int keyAlteration, int code, int newKeyAlteration) {
    const RespellCell cell = RespellAlteration(newKeyAlteration, RelativeAlteration(keyAlteration, code));
    return {cell, static_cast<int8_t>(pitch_detail::AlterationOfCode(cell.code, newKeyAlteration))};
}
using DegreeRespellingRow = std::array<DegreeRespelling, kKeyAlterations>;
inline constexpr std::array<std::array<DegreeRespellingRow, kCodesWithNone>, kKeyAlterations>
    kDegreeRespellingTable = [] {
        std::array<std::array<DegreeRespellingRow, kCodesWithNone>, kKeyAlterations> table{};
        for (int from = 0; from < kKeyAlterations; ++from)
            for (int code = 0; code < kCodesWithNone; ++code)
                for (int to = 0; to < kKeyAlterations; ++to)
                    table[from][code][to] = MakeDegreeRespelling(from - 1, code, to - 1);
        return table;
    }();
// The table's entry; input outside it is worked out as the table's entries are.
inline DegreeRespelling RespellDegree(int keyAlteration, int code, int newKeyAlteration) {
    if (keyAlteration < -1 || keyAlteration > 1 || code < 0 || code > kLastAccidentalCode ||
        newKeyAlteration < -1 || newKeyAlteration > 1)
        return MakeDegreeRespelling(keyAlteration, code, newKeyAlteration);
    return kDegreeRespellingTable[keyAlteration + 1][code][newKeyAlteration + 1];
}

}  // namespace ql
