// The position tables of the pitch frames: for every clef with pitches of its own, the
// step and natural MIDI key of each of the 256 position bytes, made at compile time
// from the clef table by the functions NoteToMidiKey reads positions with.
#include "notes/pitch/pitch_frame.h"

#include <array>

namespace ql {
namespace {

constexpr int kPositionBytes = 256;
using ClefPositions = std::array<PitchFrame::PositionEntry, kPositionBytes>;

constexpr std::array<ClefPositions, kClefKindCount> kPositionTables = [] {
    std::array<ClefPositions, kClefKindCount> tables{};
    for (int clef = 0; clef < kClefKindCount; ++clef)
        for (int byte = 0; byte < kPositionBytes; ++byte) {
            const int position = static_cast<int8_t>(static_cast<uint8_t>(byte));
            tables[clef][byte] = {
                static_cast<int16_t>(pitch_detail::NaturalKeyIn(kClefTable[clef], position)),
                static_cast<uint8_t>(pitch_detail::StepOfPositionIn(kClefTable[clef], position))};
        }
    return tables;
}();

constexpr int kTopKeyMaskBit = 6;  // bit (6 - step) of a key mask

constexpr std::array<pitch_detail::StepAlterations, kKeyCodeCount + 1> kStepAlterations = [] {
    std::array<pitch_detail::StepAlterations, kKeyCodeCount + 1> table{};
    for (int key = 0; key < kKeyCodeCount; ++key)
        for (int step = 0; step < kStepsPerOctave; ++step) {
            const int bit = (kKeyMaskTable[key] & kKeyMaskSteps) >> (kTopKeyMaskBit - step) & 1;
            table[key][step] = static_cast<int8_t>(key < kNoAccidentalsKey ? -bit : bit);
        }
    return table;  // the last row, all 0, serves clefs without key alterations
}();
constexpr int kNoAlterationsRow = kKeyCodeCount;
static_assert(kStepAlterations[kNoAccidentalsKey][0] == 0 && kStepAlterations[0][6] == -1);

}  // namespace

namespace pitch_detail {
const StepAlterations& KeyAlterationsOf(int key) {
    return kStepAlterations[IsValidKey(key) ? key : kNoAlterationsRow];
}
}  // namespace pitch_detail

PitchFrame::PitchFrame(int clef, int key) : clef_(clef), key_(key) {
    if (!IsValidClef(clef) || !IsValidKey(key) || clef == CodeOf(ClefKind::Tab)) return;
    row_ = kPositionTables[clef].data();
    alteration_ =
        kStepAlterations[pitch_detail::ClefHasKeyAlterations(clef) ? key : kNoAlterationsRow];
}

}  // namespace ql
