// The note articulation's class (type 26): one glyph of the music font attached to a
// note, in a pool-9 record whose MidiAction comes first. It is made at a click on a
// note with the articulation tool (or, for the "Accents" legato and staccato entries,
// the click toggles the note's bit instead), drawn in the music font of its note's
// size class, re-placed at its computed place on request, and, with the
// "AutoFlipAccents" preference, turned to the form of its pair that suits the stem
// or voice before each drawing.
#pragma once

#include <vector>

#include "core/model/geometry.h"
#include "core/objects/midi_action_text.h"
#include "notes/articulations/articulation_place.h"

namespace ql {

struct ScoreView;
struct ScoreObject;
struct EventRecord;

class NoteArticulationClass final : public MidiTextObjectClass {
  public:
    void Measure(ScoreObject* object, ScoreView* view) const override;
    void Draw(ScoreObject* object, ScoreView* view) const override;
    ScoreObject* CreateAtClick(ScoreObject* object, ScoreView* view) const override;
    int EditAttributes(ScoreObject* object, ScoreView* view) const override;
    // Puts the selected articulation back at its computed place, as one undo step.
    void Invalidate(ScoreObject* object, ScoreView* view) const override;
    void ResetState(ScoreObject* object, ScoreView* view) const override;
};

const NoteArticulationClass& TheNoteArticulationClass();
// Registers the class under the articulation's class id and type 26 (start-up; tests
// after resetting the class table).
void RegisterNoteArticulationClass();

// The reader's constructor with what a mark made for a view adds: its MIDI action
// disabled and the glyph of the articulation tool's entry in force.
void ConstructArticulationForView(ScoreObject* object, ScoreView* view);

// A new articulation of the palette entry attached to the note and placed on the side
// its entry takes in the view (its MIDI disabled, the note's tick stored), measured:
// what a click with the articulation tool makes. Null, nothing kept, for an entry
// outside the palette or when no record can be had.
ScoreObject* AttachPlacedArticulation(ScoreView* view, EventRecord* note, ArticulationPalette palette,
                                      int entry);

// The mark of a palette entry on a note: the "Accents" legato and staccato entries set
// the note's bit, every other entry becomes an articulation placed as above. False
// when nothing changed.
bool AttachPaletteEntryToNote(ScoreView* view, EventRecord* note, ArticulationPalette palette, int entry);

// Puts an articulation attached to a note where its glyph goes on that note (the
// pair's form that suits the note, else its palette entry's side), with the view at
// the note's staff and measure: what a reader or an import calls after attaching a
// mark. False without an owner note.
bool PlaceAttachedArticulation(ScoreView* view, ScoreObject* object);

// Moves the marks of one chord (with the view at its staff and measure) apart on
// each side, so none covers another: the nearest to the heads keeps its place, the
// next stands beyond it. The tremolo strokes on the stem stay where they are.
void StackChordArticulations(ScoreView* view, const std::vector<ScoreObject*>& marks);

// Moves the marks of a note's chord (with the view at its staff and measure) that a
// tie of the chord's notes would run through beyond it, as they are drawn.
void MoveChordMarksBeyondTies(ScoreView* view, EventRecord* note);

// The form of an articulation's glyph pair that suits its note (the stem direction
// when one voice is laid out, else the voice of the note's own chain), placed against the chord
// and stored as its anchor; `out` is the new point. Without `force` only while the
// "AutoFlipAccents" preference is on. Nothing for other types, a glyph changed by
// hand, the fermatas 216 and 217, or a glyph without a pair. 1 when it was placed.
int ReplaceArticulationGlyph(ScoreView* view, ScoreObject* object, LogicalPoint* out, bool force);

}  // namespace ql
