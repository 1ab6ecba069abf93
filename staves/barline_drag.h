// The end of a barline drag: what moving a barline does to the score. A barline
// moved sideways changes the widths of the measures around it; in page view a
// system's closing barline sets where the system ends, and a barline carried past
// its neighbour or out of its system moves measures between systems.
#pragma once

namespace ql {

struct ScoreObject;
struct ScoreView;

// Commits the drag of the focused barline object's grabbed handle. 1 when the score
// changed; 0 when the handle did not move, commits are held, the move was refused
// (a beep) or there is nothing to commit.
int CommitBarlineDrag(ScoreObject* object, ScoreView* view);

}  // namespace ql
