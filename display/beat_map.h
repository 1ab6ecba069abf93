// Reading the view's beat map (module BEATMAP): where the measure slots of a
// system row begin. The builder that fills the map lives with the notes code.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;
struct ScoreSystem;

// The x of tick 0 of a measure slot (1-based) of a system, the system's x added.
int32_t MeasureSlotX(ScoreView* view, const ScoreSystem* system, int slot);

}  // namespace ql
