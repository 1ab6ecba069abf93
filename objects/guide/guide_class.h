// The guide line's class: a cyan line one device pixel wide across the visible
// area, never printed or copied into a picture, never selected by a marquee, dragged
// along its axis by its one handle, and made by the rulers (CreateGuideFromRuler)
// when a drag starts on one. Its position is clamped to the 16-bit range it is
// stored in, so a guide dragged far off the page stays on the side it was dragged to.
#pragma once

#include <cstdint>

#include "core/objects/class_table.h"
#include "objects/guide/guide_line.h"

namespace ql {

constexpr gfx::Colour kGuideColour = 0xFFFF00;  // cyan: red 0, green and blue full
constexpr int32_t kGuideHandleHalfPixels = 3;    // device pixels each side of the line
constexpr int kHorizontalGuideCursor = 399;
constexpr int kVerticalGuideCursor = 402;

class GuideLineClass final : public ScoreObjectClass {
  public:
    std::byte* GetBody(ScoreObject* object) const override;
    uint32_t GetBodySize(const ScoreObject* object) const override;
    void Draw(ScoreObject* object, ScoreView* view) const override;
    void Paint(ScoreObject* object, ScoreView* view) const override;
    void DrawSelected(ScoreObject* object, ScoreView* view) const override;
    void DrawTracking(ScoreObject* object, ScoreView* view) const override;
    void EraseTracking(ScoreObject* object, ScoreView* view) const override;
    int CommitDrag(ScoreObject* object, ScoreView* view) const override;
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override;
    void TrackDrag(ScoreObject* object, ScoreView* view) const override;
    void SetToolCursor(ScoreObject* object, int32_t a, int32_t b) const override;
};

const GuideLineClass& TheGuideLineClass();

// A new guide at the mouse pointer (horizontal: its y, else its x), inserted in the
// page list, with its handle appended to the selection's list so the ruler's drag
// goes on with it. Null when no record could be had, or (the guide then stays) when
// its handle could not be built.
ScoreObject* CreateGuideFromRuler(ScoreView* view, bool horizontal);

// A coordinate kept to the guide's 16-bit position.
int16_t ClampGuidePosition(int32_t coordinate);

}  // namespace ql
