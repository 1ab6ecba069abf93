// The program-wide state of the one marquee (kept in the program state, so that a
// reset of the program forgets it): the marquee whose handles are built and the
// window that shows it, its rectangle in logical units, the part of it that is
// inverted on screen now (device pixels of that window), its four corner squares and
// the switch that keeps an erase off the screen during one drag step.
#pragma once

#include <cstdint>

#include "platform/gfx/types.h"
#include "platform/handles.h"

namespace ql {

struct ScoreObject;

struct MarqueeState {
    ScoreObject* current = nullptr;         // borrowed: the marquee owns itself
    platform::WindowHandle ownerWindow{};   // the view window that shows it
    gfx::Rect rect{};                       // left, top, right, bottom (logical units)
    gfx::Rect inverted{};                   // what is inverted now (device pixels)
    gfx::Rect corners[4]{};                 // top-left, bottom-left, top-right, bottom-right
    uint8_t eraseSuppressed = 0;            // erasing leaves the screen and `inverted` alone
};

}  // namespace ql
