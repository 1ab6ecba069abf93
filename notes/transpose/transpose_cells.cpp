// What a transposition changes in the cells beside the notes: the clef and key-signature
// objects inside the range, the roots and basses of the chord symbols, the slurs
// (moved by the average step change of the measure's notes), and the one status-bar
// report of notes that had to move by another octave.
#include <cstdio>

#include "core/constants.h"
#include "core/model/grid.h"
#include "core/model/signature_fields.h"
#include "core/objects/score_object.h"
#include "core/ui/status_bar.h"
#include "notes/transpose/transpose_internal.h"
#include "objects/chord/chord_symbol.h"
#include "objects/curves/curve_objects.h"
#include "objects/object_services.h"

namespace ql::transpose {
namespace {

// Bounds the walk of a damaged list that loops.
constexpr int kMaxCellObjects = 64 * 1024;
constexpr int kViewUnitsPerStep = 64;

// Calls `visit` for every object of the cell's list with the given type.
template <typename Visit>
void ForEachCellObject(MeasureCell* cell, ObjectType type, Visit visit) {
    ScoreObject* head = cell != nullptr ? cell->objects.get() : nullptr;
    ScoreObject* object = head != nullptr ? head->next.get() : nullptr;
    for (int i = 0; object != nullptr && i < kMaxCellObjects; ++i, object = object->next.get())
        if (object->type == TypeCode(type)) visit(object);
}

bool TickInWindow(const ScoreObject* object, int afterTick, int beforeTick) {
    const int tick = SignatureTickOfObject(object);
    return tick > afterTick && tick < beforeTick;
}

ChordRoot MovedRoot(int sharps, uint8_t letter, uint8_t accidental) {
    return TransposeChordRootBySharps(sharps, ChordRoot{letter, accidental});
}

}  // namespace

void TransposeChordSymbolsOfCell(MeasureCell* cell, int sharps) {
    ForEachCellObject(cell, ObjectType::Chord, [&](ScoreObject* object) {
        ChordFields& fields = AsChordSymbol(object)->chord;
        const ChordRoot root = MovedRoot(sharps, fields.root, fields.rootAccidental);
        const ChordRoot bass = MovedRoot(sharps, fields.bass, fields.bassAccidental);
        fields.root = static_cast<uint8_t>(root.letter);
        fields.rootAccidental = static_cast<uint8_t>(root.accidental);
        fields.bass = static_cast<uint8_t>(bass.letter);
        fields.bassAccidental = static_cast<uint8_t>(bass.accidental);
        SetGuitarChordGlyph(object);
    });
}

void ShiftSlursByAverage(MeasureCell* cell, int sum, int count) {
    if (count == 0) return;
    const int steps = sum / count;
    if (steps == 0) return;
    ForEachCellObject(cell, ObjectType::Slur, [&](ScoreObject* object) {
        for (AnchorPoint& point : AsSlur(object)->body.points)
            point.y = static_cast<int16_t>(point.y + steps * kViewUnitsPerStep);
    });
}

void SetClefObjectsInRange(MeasureCell* cell, int clef, int afterTick, int beforeTick) {
    if (!IsValidClef(clef)) return;
    ForEachCellObject(cell, ObjectType::Clef, [&](ScoreObject* object) {
        if (TickInWindow(object, afterTick, beforeTick))
            SetClefKindOfObject(object, static_cast<uint8_t>(clef));
    });
}

void WrapKeyObjectsInRange(MeasureCell* cell, int sharps, int afterTick, int beforeTick) {
    ForEachCellObject(cell, ObjectType::KeySignature, [&](ScoreObject* object) {
        if (!TickInWindow(object, afterTick, beforeTick)) return;
        const int key = KeyCodeOfObject(object);
        if (IsValidKey(key))
            SetKeyCodeOfObject(object, static_cast<uint8_t>(WrapTransposedKey(key, sharps)));
    });
}

void ReportFolded(int folded) {
    if (folded == 0) return;
    constexpr size_t kNoticeBytes = 128;
    char text[kNoticeBytes];
    std::snprintf(text, sizeof text,
                  "%d note(s) would leave the playable range and were moved by another octave.",
                  folded);
    ShowNotice(text);
}

}  // namespace ql::transpose
