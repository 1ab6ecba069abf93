// The tuplet mark (type 51, pool 9, always attached to the first note of its group):
// a number label (a text object, text style 5) with a straight bracket (the spanner
// interface) or a curve (the anchor record's 18-byte payload) in one of three styles.
// This module makes, attaches and places marks; the class (drawing, handles, drags,
// keys) is in tuplet_class.cpp, the "Tuplets" dialog and tool in tuplet_tool.cpp.
//
// Automatic placement (style 1): the bracket runs from the first to the last chord of
// the group, at least 384 wide and never past the measure's last tick, its line 128
// beyond the stem ends on the side the stems mostly point to (192 further out for a
// nested group; level when the stems point both ways), its hooks 85 long towards the
// notes, the label centred on the span. Styles 0 and 2 place the bracket the same way
// without drawing it; the curve ends at the hook ends and its inner control points
// lie at a third and two thirds of the line, 192 further away from the notes. Style
// 0 centres its number on the line's middle; style 2 centres it 192 beyond the
// middle, or further when the number would reach into the bow: its near edge stays
// 32 beyond the bow's outer crest.
#pragma once

#include <cstdint>

#include "core/model/geometry.h"
#include "core/objects/score_object.h"
#include "objects/spanners/spanner_objects.h"

namespace ql {

struct ScoreView;
struct EventRecord;

// Styles (text flag bits 8 and 9) and the placed-by-hand bit (15).
constexpr int kTupletNumberOnly = 0;
constexpr int kTupletBracket = 1;
constexpr int kTupletCurve = 2;
constexpr int kTupletStyleCount = 3;
constexpr uint16_t kTupletStyleMask = 0x0300;
constexpr int kTupletStyleShift = 8;
constexpr uint16_t kTupletPlacedByHand = 0x8000;

int TupletStyle(const TupletObject& tuplet);
void SetTupletStyle(TupletObject* tuplet, int style);
bool IsTupletPlacedByHand(const TupletObject& tuplet);

// A record of pool 9 for a tuplet, unconstructed; null when the pool cannot give one.
ScoreObject* AllocTuplet();
// Builds the tuplet on a record: its text part for the view, type 51 and subtype 3,
// the three class words, the curve payload and the bracket's endpoint as given.
void ConstructTupletObject(ScoreObject* record, ScoreView* view, const AnchorPayload& anchor,
                           const SpannerEndpoint& endpoint);
// Sets the style (0..3; 3 counts as 2), attaches the object to the note, takes the
// label (one character as its code, more as an owned string), measures it and places
// the mark automatically (the view located at the note's measure). On failure the
// object is destroyed and its record freed: the result is null.
ScoreObject* AttachTupletToNote(ScoreObject* record, ScoreView* view, EventRecord* note, int style,
                                const char* label);
// DestroyTupletBody and ComputeTupletPoints(Relative) are declared with the object
// services (objects/object_services.h): the score model and the importers call them.

// The curve from its payload and the owning note: the four control points, the two
// inner ones (moved by the thickness away from the bow) and the label point. False
// (nothing computed) when the note is gone.
struct TupletCurvePoints {
    LogicalPoint p[4];
    LogicalPoint inner[2];
    LogicalPoint label;
};
bool ComputeTupletCurve(ScoreObject* tuplet, ScoreView* view, TupletCurvePoints* out);
// Stores four points as times after the note and offsets from its y; without a note
// the payload stays as it is.
void StoreTupletCurve(ScoreObject* tuplet, ScoreView* view, const LogicalPoint* points);
// The default curve for a new mark on a note: times 0, 256, 512, 768; the ends at the
// higher of 640 above the staff and 128 above the note, the inner points 128 higher;
// the document's curve thickness, 84 where that is below 16.
AnchorPayload DefaultTupletCurve(ScoreView* view, EventRecord* note);

// The automatic placement of the mark's style from the group of its note; a mark
// whose note carries no group is re-fitted from its own points. Nothing for a mark
// placed by hand or whose note is gone.
void PlaceTupletMark(ScoreObject* tuplet, ScoreView* view);
// Fits the label (and, styles 0 and 2, the curve) to the mark's own bracket, placed
// by hand or not: after a drag turned the bracket back towards the notes.
void RefitTupletMark(ScoreObject* tuplet, ScoreView* view);

}  // namespace ql
