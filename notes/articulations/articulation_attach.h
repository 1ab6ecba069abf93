// Attaching the mark of an articulation palette entry to a note: the "Accents"
// entries for legato and staccato set the note's bits; every other entry becomes a
// NoteArticulation object (type 26) with the entry's glyph, in the note's attachment
// chain. Placing it (articulation_place.h) is left to the caller, which knows the
// note's point on the page.
#pragma once

#include "notes/articulations/articulation_place.h"

namespace ql {

struct ScoreView;
struct ScoreObject;
struct EventRecord;

// The result: the object attached (null for the two note bits and on failure) and
// whether anything changed.
struct AttachedArticulation {
    ScoreObject* object = nullptr;
    bool changed = false;
};

// Whether the palette has the entry.
bool IsArticulationEntry(ArticulationPalette palette, int entry);
// An entry outside the palette, no note, no record (pool exhausted) or a note whose
// chain cannot take the object: nothing changes (a record that was made is freed).
AttachedArticulation AttachArticulation(ScoreView* view, EventRecord* note,
                                        ArticulationPalette palette, int entry);
// A new articulation object showing `glyph`, linked into the note's chain (its
// MIDI action as the reader builds it); null, nothing kept, when no record can be had
// or the chain does not take it.
ScoreObject* AttachArticulationObject(ScoreView* view, EventRecord* note, int glyph);
// The glyph of an entry: 138 + entry for "Accents", 188 + entry for "Ornaments".
int ArticulationGlyphOf(ArticulationPalette palette, int entry);

}  // namespace ql
