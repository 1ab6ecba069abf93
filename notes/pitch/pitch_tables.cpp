// Lookups of the pitch tables, and the compile-time checks that tie each table to
// the ones it can be derived from: the clef scales to the major scale, each clef's
// bottom line to its step, octave base and step offset, the key masks to the order
// in which keys add flats and sharps, the key transpositions to the circle of fifths.
#include "notes/pitch/pitch_tables.h"

namespace ql {
namespace {

constexpr int kMiddleC = 60;

// Semitones from `from` up `steps` diatonic steps (steps may exceed an octave).
constexpr int SemitonesUp(int from, int steps) {
    const int to = from + steps;
    return kMajorScale[to % kStepsPerOctave] - kMajorScale[from] +
           kSemitonesPerOctave * (to / kStepsPerOctave);
}

constexpr bool ScalesFollowTheMajorScale() {
    for (int s = 0; s < kStepsPerOctave; ++s) {
        for (int i = 0; i < kScaleTableEntries; ++i) {
            if (kClefScales[s].up[i] != SemitonesUp(s, i)) return false;
            // i steps below s is s - i; measure upwards from there to s.
            const int below = s + kStepsPerOctave - i;
            if (kClefScales[s].down[i] != SemitonesUp(below % kStepsPerOctave, i)) return false;
        }
    }
    return true;
}
static_assert(ScalesFollowTheMajorScale());

// Every clef except TAB: the bottom key is the bottom step's pitch, the octave base
// is the C at or below it (an octave lower for a clef on C), the steps to the next C
// complete the octave, and the step offset counts from middle C by written pitch
// (the octave clefs and Percussion excepted: they share or have no offset).
constexpr bool ClefRowIsConsistent(int clef) {
    const ClefRow& row = kClefTable[clef];
    const int step = IndexOf(row.bottomStep);
    if (row.bottomKey % kSemitonesPerOctave != kMajorScale[step]) return false;
    if (row.octaveBase % kSemitonesPerOctave != 0) return false;
    const int expectedSpan = step == 0 ? kSemitonesPerOctave : kMajorScale[step];
    if (row.bottomKey - row.octaveBase != expectedSpan) return false;
    return row.stepsToNextC == (kStepsPerOctave - step) % kStepsPerOctave;
}
constexpr int WrittenStepOffset(int bottomKey, Step step) {
    const int octave = bottomKey / kSemitonesPerOctave - kMiddleC / kSemitonesPerOctave;
    return octave * kStepsPerOctave + IndexOf(step);
}
constexpr bool ClefTableIsConsistent() {
    for (int clef = 0; clef < kClefKindCount; ++clef) {
        if (clef == CodeOf(ClefKind::Tab)) continue;
        if (!ClefRowIsConsistent(clef)) return false;
    }
    constexpr ClefKind kPlainClefs[] = {
        ClefKind::Treble,       ClefKind::Tenor,       ClefKind::Alto,
        ClefKind::Bass,         ClefKind::Baritone,    ClefKind::Soprano,
        ClefKind::MezzoSoprano, ClefKind::ModernTenor, ClefKind::BaritoneSecond};
    for (ClefKind clef : kPlainClefs) {
        const ClefRow& row = kClefTable[CodeOf(clef)];
        if (row.stepOffset != WrittenStepOffset(row.bottomKey, row.bottomStep)) return false;
    }
    // The octave clefs keep the plain clef's written offset.
    const auto offset = [](ClefKind clef) { return kClefTable[CodeOf(clef)].stepOffset; };
    return offset(ClefKind::Treble8vaAbove) == offset(ClefKind::Treble) &&
           offset(ClefKind::Treble8vaBelow) == offset(ClefKind::Treble) &&
           offset(ClefKind::Bass8vaAbove) == offset(ClefKind::Bass) &&
           offset(ClefKind::Bass8vaBelow) == offset(ClefKind::Bass);
}
static_assert(ClefTableIsConsistent());

// Flats are added B E A D G C F, sharps F C G D A E B.
constexpr Step kFlatOrder[] = {Step::B, Step::E, Step::A, Step::D, Step::G, Step::C, Step::F};
constexpr bool KeyMasksFollowTheOrderOfAccidentals() {
    for (int key = 0; key < kKeyCodeCount; ++key) {
        const int count = KeyAccidentalCount(key);
        uint8_t mask = 0;
        for (int i = 0; i < count; ++i) {
            const int step = key < kNoAccidentalsKey ? IndexOf(kFlatOrder[i])
                                                     : IndexOf(kFlatOrder[kStepsPerOctave - 1 - i]);
            mask = static_cast<uint8_t>(mask | (1 << (6 - step)));
        }
        if ((kKeyMaskTable[key] & kKeyMaskSteps) != mask) return false;
    }
    return true;
}
static_assert(KeyMasksFollowTheOrderOfAccidentals());

// Each sharp moves the tonic a fifth (7 semitones) up, each flat a fifth down.
constexpr bool KeyTranspositionsFollowTheCircleOfFifths() {
    for (int key = 0; key < kKeyCodeCount; ++key) {
        const int fifths = key - kNoAccidentalsKey;
        const int tonic =
            ((7 * fifths) % kSemitonesPerOctave + kSemitonesPerOctave) % kSemitonesPerOctave;
        if (kKeyTransposeTable[key] != (kSemitonesPerOctave - tonic) % kSemitonesPerOctave)
            return false;
    }
    return true;
}
static_assert(KeyTranspositionsFollowTheCircleOfFifths());

constexpr bool TabRowsAreWellFormed() {
    for (const TabTuningRow& row : kTabTuningTable) {
        if (row.stringCount == 0 || row.stringCount > kMaxTabStrings) return false;
        if (row.lowestProgram > row.highestProgram) return false;
        for (int s = 0; s < row.stringCount; ++s)
            if (row.openKeys[s] == 0 || row.openKeys[s] > kHighestMidiKey) return false;
    }
    return true;
}
static_assert(TabRowsAreWellFormed());

}  // namespace

const ClefRow* ClefRowOf(int clef) {
    return IsValidClef(clef) ? &kClefTable[clef] : nullptr;
}

const ClefScale& ClefScaleOf(const ClefRow& row) {
    return kClefScales[IndexOf(row.bottomStep) % kStepsPerOctave];
}

uint8_t KeyMaskOf(int key) {
    return IsValidKey(key) ? static_cast<uint8_t>(kKeyMaskTable[key] & kKeyMaskSteps) : 0;
}

int KeyTransposeOf(int key) {
    return IsValidKey(key) ? kKeyTransposeTable[key] : 0;
}

std::span<const TabTuningRow> TabTuningRows() {
    return kTabTuningTable;
}

}  // namespace ql
