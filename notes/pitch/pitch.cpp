// Staff positions to MIDI keys and back, under a clef and a key signature, by the
// clef table and the clef scales (notes/pitch/pitch_tables.h).
#include "notes/pitch/pitch.h"

#include <array>

#include "core/model/grid.h"
#include "core/state.h"
#include "notes/pitch/pitch_frame.h"
#include "notes/pitch/pitch_tables.h"
#include "notes/pitch/tablature.h"

namespace ql {
namespace {

using pitch_detail::AlterationOfCode;
using pitch_detail::ClefHasKeyAlterations;


// The key's contribution to a note without a code, as the code that says it.
uint8_t ExplicitKeyCode(int keyAlteration) {
    if (keyAlteration < 0) return CodeOf(AccidentalCode::Flat);
    if (keyAlteration > 0) return CodeOf(AccidentalCode::Sharp);
    return CodeOf(AccidentalCode::Natural);
}

// Index of the first scale entry at or above r (r is 0..11; the tables end at 12).
constexpr int FirstEntryAtOrAbove(const uint8_t (&table)[kScaleTableEntries], int r) {
    int i = 0;
    while (i < kScaleTableEntries - 1 && table[i] < r) ++i;
    return i;
}

// The natural a distance of r semitones (0..11) from the bottom line reaches: its
// index in the clef scale and whether r lies a semitone above it (upwards) or below
// it (downwards). Worked out once at compile time for every scale, since spelling
// asks for it at every note.
struct NaturalOfResidue {
    uint8_t index;
    bool raised;
};
struct ScaleNaturals {
    NaturalOfResidue up[kSemitonesPerOctave];
    NaturalOfResidue down[kSemitonesPerOctave];
};
constexpr ScaleNaturals NaturalsOf(const ClefScale& scale) {
    ScaleNaturals naturals{};
    for (int r = 0; r < kSemitonesPerOctave; ++r) {
        int i = FirstEntryAtOrAbove(scale.up, r);
        const bool raised = scale.up[i] > r;
        if (raised) --i;
        naturals.up[r] = {static_cast<uint8_t>(i), raised};
        const int below = FirstEntryAtOrAbove(scale.down, r);
        naturals.down[r] = {static_cast<uint8_t>(below), scale.down[below] > r};
    }
    return naturals;
}
constexpr auto kScaleNaturals = [] {
    std::array<ScaleNaturals, kStepsPerOctave> all{};
    for (int step = 0; step < kStepsPerOctave; ++step) all[step] = NaturalsOf(kClefScales[step]);
    return all;
}();

int32_t EncodePitch(int position, bool raised) {
    return static_cast<int32_t>(static_cast<uint16_t>(static_cast<int16_t>(position))) |
           (raised ? kPitchRaised : 0);
}

}  // namespace

int CellClef(const MeasureCell& cell) {
    const int clef = cell.clefKey & kClefNibbleMask;
    return IsValidClef(clef) ? clef : CurrentCellDefaults().clef;
}

int CellKey(const MeasureCell& cell) {
    const int key = cell.clefKey >> kKeyNibbleShift;
    return IsValidKey(key) ? key : CurrentCellDefaults().key;
}

int StepOfPosition(int clef, int position) {
    const ClefRow* row = ClefRowOf(clef);
    return row != nullptr ? pitch_detail::StepOfPositionIn(*row, position) : 0;
}

int KeyAlterationAt(int clef, int key, int position) {
    if (!IsValidClef(clef)) return 0;
    return pitch_detail::KeyAlterationOfStep(clef, key, StepOfPosition(clef, position));
}

namespace pitch_detail {

int KeyAlterationOfStep(int clef, int key, int step) {
    if (!IsValidClef(clef) || !IsValidKey(key) || !ClefHasKeyAlterations(clef)) return 0;
    return KeyAlterationsOf(key)[step];
}

}  // namespace pitch_detail

int32_t PitchToStaffPosition(int clef, int midiKey) {
    const ClefRow* row = ClefRowOf(clef);
    if (row == nullptr || !IsValidMidiKey(midiKey)) return 0;
    const ScaleNaturals& naturals = kScaleNaturals[IndexOf(row->bottomStep) % kStepsPerOctave];
    const int d = midiKey - row->bottomKey;
    if (d == 0) return EncodePitch(0, false);
    const int distance = d > 0 ? d : -d;
    const int r = distance % kSemitonesPerOctave;
    const int q = distance / kSemitonesPerOctave;
    if (d > 0) {
        const NaturalOfResidue natural = naturals.up[r];
        return EncodePitch(-(kStepsPerOctave * q + natural.index), natural.raised);
    }
    const NaturalOfResidue natural = naturals.down[r];
    return EncodePitch(kStepsPerOctave * q + natural.index, natural.raised);
}

int NoteToMidiKey(const StaffRecord* staff, const EventRecord& note, int clef, int key) {
    const ClefRow* row = ClefRowOf(clef);
    if (row == nullptr || !IsValidKey(key)) return 0;
    if (clef == CodeOf(ClefKind::Tab)) return TabNoteToMidiKey(staff, note);
    const int position = NotePosition(note);
    const int natural = pitch_detail::NaturalKeyIn(*row, position);
    const int keyAlteration = KeyAlterationAt(clef, key, position);
    const int code = NoteAccidentalCode(note);
    State().notes.LastEffectiveAccidental = code != CodeOf(AccidentalCode::None)
                                                ? static_cast<uint8_t>(code)
                                                : ExplicitKeyCode(keyAlteration);
    return natural + AlterationOfCode(code, keyAlteration);
}

uint8_t LastEffectiveAccidental() {
    return State().notes.LastEffectiveAccidental;
}

ClefShift::ClefShift(int fromClef, int toClef) {
    const ClefRow* from = ClefRowOf(fromClef);
    const ClefRow* to = ClefRowOf(toClef);
    if (from == nullptr || to == nullptr) return;
    valid_ = true;
    steps_ = to->stepOffset - from->stepOffset;
}

int ShiftPositionForClef(int position, int fromClef, int toClef) {
    return ClefShift(fromClef, toClef).Apply(position);
}

}  // namespace ql
