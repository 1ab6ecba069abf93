// Enhanced metafiles on Linux: the bytes a picture keeps verbatim are drawn by the
// renderer program beside the editor (ql-emf2rgb, a child process), so that a
// metafile its converter cannot take ends that process and never the editor.
// Without the renderer, and for bytes it refuses, nothing is rendered.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/gfx/types.h"

namespace ql::gfx {

// The largest side, in pixels, a metafile is rendered at.
constexpr int kLargestMetafileSide = 8192;

// The metafile drawn over white into `width` x `height` pixels, row by row from the
// top; none when a side is not 1 to kLargestMetafileSide, the renderer is missing,
// refuses the bytes, fails or takes longer than a few seconds.
std::optional<std::vector<Colour>> RenderMetafile(const std::vector<uint8_t>& bytes, int width, int height);

}  // namespace ql::gfx
