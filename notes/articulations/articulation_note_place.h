// Where an articulation stands on a note of the view's current staff and measure: the
// side its palette entry (or its glyph) gives, overruled by the voice layout, and the
// point worked out from the chord's top note (above), bottom note (below) or stem end
// (the tremolo strokes), in logical units of the view. The palette entry in force is
// the articulation tool's (articulation_tool.h).
#pragma once

#include "core/model/geometry.h"
#include "notes/articulations/articulation_place.h"

namespace ql {

struct ScoreView;
struct EventRecord;

// The palette and entry a glyph comes from: 138 + entry "Accents", 188 + entry
// "Ornaments". False for any other glyph.
bool ArticulationEntryOfGlyph(int glyph, ArticulationPalette* palette, int* entry);

// The voice (0..3) whose chain in the view's current cell holds the note: with
// several voices on a staff a note's marks go to its own voice's side, whichever
// voice the view enters. The view's entered voice when there is no cell or note.
int ArticulationVoiceOf(const ScoreView* view, const EventRecord* note);

// The side a palette entry puts its mark on for `note` in the view: the palette's
// rule, then the voice layout (the view filters voices, or voices 2..4 of the cell
// hold notes: the note's voice decides, voices 1 and 2 above, 3 and 4 below).
ArticulationSide ArticulationSideInView(ScoreView* view, EventRecord* note,
                                        ArticulationPalette palette, int entry);

// The point of a glyph on `side` of the note's chord; the note it was placed against
// (the chord's top note above, its bottom note below, the stem's note on the stem),
// or null (no view, no note; `out` unchanged).
EventRecord* PlaceArticulationOnSide(ScoreView* view, EventRecord* note, ArticulationSide side,
                                     int glyph, LogicalPoint* out);
// As above with the side of the articulation tool's palette entry in force.
EventRecord* PlaceArticulation(ScoreView* view, EventRecord* note, LogicalPoint* out, int glyph);
// The tremolo strokes (glyphs 213..215) across the stem.
EventRecord* PlaceArticulationOnStem(ScoreView* view, EventRecord* note, LogicalPoint* out,
                                     int glyph);
// The glyph box scaled to the view's staff size: the vertical room of the glyph.
int ArticulationGlyphWidth(const ScoreView* view, int glyph);

}  // namespace ql
