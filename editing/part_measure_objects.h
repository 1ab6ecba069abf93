// Extract Part's measure objects across staves: the marks that belong to every
// part (repeat symbols, rehearsal marks, repeat endings, tempo marks, chord
// symbols, and the dynamics that play on all staves or on the part's group) are
// offered from the score's staves above the part to the part's first staff,
// measure by measure.
#pragma once

namespace ql {

struct ScoreView;

// Offers, for measures 1..lastMeasure, the objects of source staves 1 to
// `firstStaff` to the part's first staff (see the .cpp for which). The count of
// objects that could not be copied (records that could not be had).
int OfferMeasureObjectsToPart(ScoreView* sourceView, ScoreView* partView, int firstStaff, int lastMeasure);

}  // namespace ql
