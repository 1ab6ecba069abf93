// The text object a click makes while its dialog or entry window runs: recorded in the
// selection as the object being placed, so that a reset of the selection meanwhile
// forgets its handles, and forgotten again once creation ends, whether the object was
// placed or its creator freed it. The end of the click's message drops (and frees) a
// pending object still recorded: a placed object must not be one, nor may a freed one
// be freed again.
#pragma once

#include "core/objects/selection_state.h"

namespace ql {

class PlacingObject {
  public:
    explicit PlacingObject(ScoreObject* object) : object_(object) {
        if (SelectionState* selection = TheSelectionState())
            selection->pendingObject = Ref32<ScoreObject>::To(object);
    }
    ~PlacingObject() {
        SelectionState* selection = TheSelectionState();
        if (selection != nullptr && selection->pendingObject.get() == object_)
            selection->pendingObject = Ref32<ScoreObject>{};
    }
    PlacingObject(const PlacingObject&) = delete;
    PlacingObject& operator=(const PlacingObject&) = delete;

  private:
    ScoreObject* object_;
};

}  // namespace ql
