// The marquee tests' fixture: the editing fixture's score and window with the
// marquee's class registered, its prototype in the document, and the Pointer tool
// armed; mouse and key messages go through the Pointer tool's handler.
#pragma once

#include "editing/tests/editing_fixture.h"

#include <vector>

#include "platform/gfx/types.h"

namespace ql::testing_editing {

class MarqueeTest : public EditingTest {
  protected:
    void SetUp() override;

    intptr_t PointerMouse(win::Message message, int32_t x, int32_t y);
    intptr_t PointerKey(win::Key key);
    // Press, moves in steps, release, through the Pointer tool.
    void PointerDrag(int32_t x0, int32_t y0, int32_t x1, int32_t y1, int steps = 4);
    // A marquee drawn over empty paper from one corner to the other.
    void DrawMarquee(int32_t left, int32_t top, int32_t right, int32_t bottom);

    // The window's pixels that differ from `before`, as device points.
    std::vector<gfx::Point> ChangedPoints(const std::vector<uint32_t>& before) const;
    // The device rectangle of a logical one, clipped to the window.
    gfx::Rect DeviceRect(const gfx::Rect& logical);
    int32_t WindowWidth() const;
};

}  // namespace ql::testing_editing
