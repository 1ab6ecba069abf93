// The parts of the marquee split over its files: the inversion (marquee_inversion.cpp)
// and the commands on what lies inside it (marquee_commands.cpp).
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;
struct ScoreObject;
struct HitRecord;

// Inverts the part inverted now once more and empties it (the screen as before).
void EraseMarqueeInversion(ScoreView* view);

// The marquee's EditInPlace, delete (HandleDrop), OnKey and OnEditCommand.
void MarqueeEditInPlace(ScoreObject* marquee, ScoreView* view);
int MarqueeDelete(ScoreView* view, ScoreObject* marquee, HitRecord* hit);
int MarqueeKey(ScoreObject* marquee, ScoreView* view, uint32_t key);
int MarqueeEditCommand(ScoreObject* marquee, ScoreView* view, int command, int type);

}  // namespace ql
