// SVG picture contexts: a printer-like context whose one page is an SVG document
// in millimetres, for pictures other programs paste. Device units are dots of the
// given count across the picture's size; a recording replayed onto one keeps its
// lines, fills and text as vectors. Feedback ink is skipped as on paper.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/gfx/types.h"

namespace ql::gfx {

struct SvgPictureSetup {
    int widthDots = 0;  // the device size drawing is mapped onto
    int heightDots = 0;
    double widthMm = 0.0;  // the picture's size, written as its width and height
    double heightMm = 0.0;
    std::string title;  // the document's <title>; none when empty
};

// Null when the setup is invalid (sizes not positive or too large).
DcHandle CreateSvgPictureContext(const SvgPictureSetup& setup);
// Finishes the picture and gives its bytes; none when `dc` is not an unfinished
// SVG picture or Cairo failed. The context stays to be deleted.
std::optional<std::vector<uint8_t>> FinishSvgPicture(DcHandle dc);

}  // namespace ql::gfx
