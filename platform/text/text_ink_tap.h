// A listener on text output: while one is set, every run of text or glyphs drawn
// on a context (recording contexts included) is told with the box its ink covers,
// in the context's logical units. The engraving check reads what a page paint
// draws through it; nothing else sets one. One listener for the program; calls
// come on the drawing thread.
#pragma once

#include <functional>
#include <string_view>

#include "platform/gfx/types.h"

namespace ql::text {

struct TextInk {
    platform::DcHandle dc;
    gfx::Rect box;           // left <= right, top <= bottom in logical units
    std::string_view bytes;  // the 8-bit text drawn; empty for UTF-16 text and glyph runs
    std::u16string_view text;  // the UTF-16 text drawn
    std::string_view face;   // family of the face the run was drawn in
};

using TextInkTap = std::function<void(const TextInk&)>;

// Sets the listener (an empty function clears it); returns the one set before.
TextInkTap SetTextInkTap(TextInkTap tap);

}  // namespace ql::text
