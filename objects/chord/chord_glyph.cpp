// The diagram character of a chord symbol: the music font holds sixteen qualities for
// each of the twelve pitch classes of the root, from character 60 up, 16 characters
// per semitone; a flat on C and a sharp on B wrap around the octave.
#include "core/objects/score_object.h"
#include "objects/chord/chord_symbol.h"
#include "objects/object_services.h"

namespace ql {
namespace {

constexpr uint16_t kFirstDiagramCharacter = kChordDefaultDiagram;
constexpr int kQualitiesPerRoot = kChordQualityCount;
constexpr int kPitchClasses = 12;
constexpr uint8_t kPitchClassOfLetter[kChordLetterCount] = {0, 2, 4, 5, 7, 9, 11};
constexpr uint8_t kSharpAccidental = 1;
constexpr uint8_t kFlatAccidental = 2;

}  // namespace

void SetGuitarChordGlyph(ScoreObject* chordSymbol) {
    if (chordSymbol == nullptr || chordSymbol->type != TypeCode(ObjectType::Chord)) return;
    ChordSymbol* chord = AsChordSymbol(chordSymbol);
    const ChordFields& fields = chord->chord;
    // Damaged fields read as their tables' default entries.
    const int accidental = ChordAccidentalOf(fields.rootAccidental);
    int pitchClass = kPitchClassOfLetter[ChordLetterOf(fields.root)];
    if (accidental == kSharpAccidental) ++pitchClass;
    if (accidental == kFlatAccidental) pitchClass += kPitchClasses - 1;
    pitchClass %= kPitchClasses;
    chord->text.body.string = static_cast<uint16_t>(
        kFirstDiagramCharacter + kQualitiesPerRoot * pitchClass + ChordQualityOf(fields.quality));
}

}  // namespace ql
