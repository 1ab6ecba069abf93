// What a paint is drawing at the moment, for readers of the drawn ink (the engraving
// check, display/engraving_check.h): the painter's stage (the staff grid, the notes
// of a measure) and the score object whose operation draws. Set by scopes around the
// drawing; reading them costs nothing when no one listens.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreObject;

enum class InkStage : uint8_t { None = 0, StaffGrid = 1, Notes = 2, MeasureNumber = 3 };

InkStage CurrentInkStage();
const ScoreObject* CurrentInkObject();

class InkStageScope {
  public:
    explicit InkStageScope(InkStage stage);
    ~InkStageScope();
    InkStageScope(const InkStageScope&) = delete;
    InkStageScope& operator=(const InkStageScope&) = delete;

  private:
    InkStage kept_;
};

class InkObjectScope {
  public:
    explicit InkObjectScope(const ScoreObject* object);
    ~InkObjectScope();
    InkObjectScope(const InkObjectScope&) = delete;
    InkObjectScope& operator=(const InkObjectScope&) = delete;

  private:
    const ScoreObject* kept_;
};

}  // namespace ql
