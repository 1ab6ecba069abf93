// Lookups of the transposition tables, and the checks that tie them to the pitch
// tables they derive from.
#include "notes/transpose/transpose_tables.h"

#include "notes/pitch/pitch_tables.h"

namespace ql {
namespace {

// The tonic step of a key is the step whose natural lies kKeyTransposeTable semitones
// below C, give or take the key's own alteration of that step.
constexpr bool TonicStepsMatchKeyTranspositions() {
    for (int key = 0; key < kKeyCodeCount; ++key) {
        const int tonicPitch =
            (kSemitonesPerOctave - kKeyTransposeTable[key]) % kSemitonesPerOctave;
        const int natural = kMajorScale[kKeyTonicStepTable[key]];
        const int diff = (tonicPitch - natural + kSemitonesPerOctave) % kSemitonesPerOctave;
        if (diff != 0 && diff != 1 && diff != kSemitonesPerOctave - 1) return false;
    }
    return true;
}
static_assert(TonicStepsMatchKeyTranspositions());

// The relative alteration is the code's semitones minus the key's.
constexpr bool RelativeAlterationsMatchCodes() {
    constexpr int kCodeSemitones[kCodesWithNone] = {0, 1, 2, -1, -2, 0};
    for (int a = -1; a <= 1; ++a)
        for (int code = 1; code < kCodesWithNone; ++code)
            if (kRelativeAlterationTable[a + 1][code] != kCodeSemitones[code] - a) return false;
    return true;
}
static_assert(RelativeAlterationsMatchCodes());

// The two fifths tables read each other back.
constexpr bool FifthsTablesAgree() {
    for (int letter = 0; letter < kStepsPerOctave; ++letter)
        if (kLetterOfFifth[kFifthsOfLetter[letter] - kLowestNaturalFifth] != letter) return false;
    return true;
}
static_assert(FifthsTablesAgree());

}  // namespace

int KeyTonicStep(int key) {
    return IsValidKey(key) ? kKeyTonicStepTable[key] : 0;
}

}  // namespace ql
