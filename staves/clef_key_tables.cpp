// The clef and key-signature placement tables (see clef_key_tables.h).
#include "staves/clef_key_tables.h"

#include <array>

#include "core/model/signature_fields.h"
#include "notes/pitch/pitch_vocabulary.h"

namespace ql {

namespace {

// Top line of a five-line staff as a StaffPosition.
constexpr int kTopLinePosition = -8;

// Accidentals of a treble staff, steps down from the top line, in signature order.
constexpr std::array<int, kMaxKeyAccidentals> kSharpSteps = {0, 3, -1, 2, 5, 1, 4};
constexpr std::array<int, kMaxKeyAccidentals> kFlatSteps = {4, 1, 5, 2, 6, 3, 7};

struct ClefPlacement {
    int glyphShift;     // steps the glyph moves down from its own place
    int referenceLine;  // position of the line the clef names
    int keyShift;       // steps a key signature moves down against the treble clef
    uint8_t sharpOctaves;  // bit i: sharp i moves an octave (direction below)
    uint8_t flatOctaves;   // bit i: flat i moves an octave
    int octaveDirection;   // +1 down, -1 up
};

// By ClefKind 0..14.
constexpr std::array<ClefPlacement, kClefKindCount> kPlacements = {{
    {0, -2, 0, 0, 0, 0},            // Treble: G on the second line
    {0, -6, -1, 0x05, 0, +1},       // Tenor: C on the fourth line
    {0, -4, 1, 0, 0, 0},            // Alto: C on the middle line
    {0, -6, 2, 0, 0, 0},            // Bass: F on the fourth line
    {0, -4, 4, 0, 0, 0},            // Baritone: F on the middle line
    {0, -4, 0, 0, 0, 0},            // Percussion
    {0, -2, 0, 0, 0, 0},            // Treble 8va above
    {0, -2, 0, 0, 0, 0},            // Treble 8va below
    {0, -6, 2, 0, 0, 0},            // Bass 8va above
    {0, -6, 2, 0, 0, 0},            // Bass 8va below
    {4, 0, 5, 0x50, 0x55, -1},      // Soprano: C on the bottom line
    {0, -4, 0, 0, 0, 0},            // TAB
    {2, -2, 3, 0x50, 0x55, -1},     // Mezzo Soprano: C on the second line
    {-2, -6, 0, 0, 0, 0},           // (Modern) Tenor: C on the fourth line
    {-4, -8, -3, 0x2F, 0x2A, +1},   // second Baritone form: C on the top line
}};

constexpr uint8_t kAltoGlyph = kClefGlyphBase + CodeOf(ClefKind::Alto);
constexpr int kFirstAltoGlyphKind = CodeOf(ClefKind::Soprano);

const ClefPlacement& PlacementOf(int clef) {
    return kPlacements[IsValidClef(clef) ? clef : CodeOf(ClefKind::Treble)];
}

}  // namespace

uint8_t ClefGlyphOf(int kind) {
    if (!IsValidClef(kind)) kind = CodeOf(ClefKind::Treble);
    return kind >= kFirstAltoGlyphKind ? kAltoGlyph : static_cast<uint8_t>(kClefGlyphBase + kind);
}

int ClefGlyphShift(int kind) {
    return IsValidClef(kind) ? kPlacements[kind].glyphShift : 0;
}

int ClefGlyphOffset(int kind) {
    constexpr std::array<int, kClefKindCount> kOffsets = {0, -96, -64, -96, -72, 0, 0, 0, -96, -96,
                                                          192, 0, 64, -128, -320};
    return IsValidClef(kind) ? kOffsets[kind] : 0;
}

int ClefReferencePosition(int kind) {
    return IsValidClef(kind) ? kPlacements[kind].referenceLine : kPlacements[CodeOf(ClefKind::Percussion)].referenceLine;
}

int KeyAccidentalPosition(int clef, int key, int index) {
    if (index < 0 || index >= kMaxKeyAccidentals) return kTopLinePosition;
    const ClefPlacement& placement = PlacementOf(clef);
    const bool sharp = KeySide(key) > 0;
    int position = kTopLinePosition + placement.keyShift +
                   (sharp ? kSharpSteps[index] : kFlatSteps[index]);
    const uint8_t octaves = sharp ? placement.sharpOctaves : placement.flatOctaves;
    if ((octaves >> index) & 1) position += placement.octaveDirection * kOctaveSteps;
    return position;
}

uint8_t KeyAccidentalGlyph(int key) {
    const int side = KeySide(key);
    if (side == 0) return 0;
    return side > 0 ? kKeySharpGlyph : kKeyFlatGlyph;
}

NaturalRange CancelledAccidentals(int oldKey, int newKey) {
    if (!IsValidKey(oldKey) || !IsValidKey(newKey)) return {};
    const int oldCount = KeyAccidentalCount(oldKey);
    if (KeySide(oldKey) == KeySide(newKey)) {
        const int newCount = KeyAccidentalCount(newKey);
        return oldCount > newCount ? NaturalRange{newCount, oldCount} : NaturalRange{};
    }
    return NaturalRange{0, oldCount};
}

}  // namespace ql
