// Ties as note drawing needs them: whether a tie from the previous measure ends at a
// note at tick 0, and which way its curve bends (for the short arc drawn at a note
// whose tie comes in across a system break or a repeat).
#pragma once

namespace ql {

struct ScoreView;
struct EventRecord;

// The tie that ends at `note` (tick 0 of the view's current measure), searched in
// `voice` of the previous measure on the current staff: kNoTieIntoNote when there
// is none, else kTieCurveBelow or kTieCurveAbove (the tie's curve-direction flag).
constexpr int kNoTieIntoNote = -1;
constexpr int kTieCurveBelow = 0;
constexpr int kTieCurveAbove = 1;
int TieIntoNoteCurve(ScoreView* view, const EventRecord* note, int voice);

}  // namespace ql
