// Blits onto pixel images, a row at a time. The source column of every
// destination column is worked out once a blit and the source row once a row,
// both by SourceOffset (nearest pixel under the destination pixel's centre), so
// stretched, mirrored and far-off boxes read the very pixels a pixel-by-pixel
// walk would. The raster operation is resolved once a blit: without the pattern
// it is one of the sixteen functions of source and destination, each its own
// tight loop; with the pattern, a branch-free truth-table select. The pattern is
// read only when the operation uses it.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/gfx/detail/raster.h"

namespace ql::gfx::detail {

// A signed device rectangle: the corners as mapped, then normalised with the
// direction remembered. The sides stay where they were mapped, however far
// outside any image: only the destination is clipped, and each pixel drawn
// reads the source by its offset within the whole box (SourceOffset), so the
// source moves by exactly what the clip cut off the destination.
struct DeviceBox {
    Rect box;
    bool flipX = false;
    bool flipY = false;
};

// The pixels a blit reads, copied from the source context first (so a blit
// within one image may overlap itself).
struct BlitSource {
    std::shared_ptr<Image> pixels;  // the source area clipped to its image; null when none of it is
    Point origin;                   // device position of pixels (0, 0)
    Rect box;                       // normalised source rectangle, device pixels
    bool mirrorX = false;
    bool mirrorY = false;
    uint32_t backgroundPixel = kWhitePixel;
};

// Where a blit lands on an image and the destination colours that monochrome
// sources take (text colour for black, background for white).
struct BlitTarget {
    DeviceBox box;
    Rect area;  // the pixels drawn: the box cut to the clip, inside the image
    uint32_t textPixel = kBlackPixel;
    uint32_t backgroundPixel = kWhitePixel;
};

// The source offset read by destination offset `i` of a `destSpan`-pixel side
// over a `sourceSpan`-pixel side: the same offset when the spans are equal (an
// unstretched copy stays exact at any distance), else the source pixel under
// the destination pixel's centre.
int64_t SourceOffset(int64_t i, int64_t destSpan, int64_t sourceSpan, bool mirrored);

// Source pixel for the destination pixel at offset (i, j) within the whole
// target box; false when it falls outside the source image.
bool SamplePixel(const BlitSource& src, const DeviceBox& target, int64_t i, int64_t j, uint32_t* out);

// A source pixel in the destination's format: monochrome onto colour takes the
// target's colours, colour onto monochrome is white where it matches the
// source's background and black elsewhere.
uint32_t ConvertForDestination(uint32_t s, bool sourceMono, bool destMono, const BlitTarget& target,
                               uint32_t sourceBk);

// Combines the target area of `image` with the source (null for a pattern-only
// operation, which reads source 0) and the pattern by the operation `rop`.
// Pixels whose source falls outside the source image are left alone. The caller
// brackets the call with BeginPixels and EndPixels.
void BlitRows(Image& image, const BlitTarget& target, const BlitSource* src, const Ink& pattern, uint32_t rop);

}  // namespace ql::gfx::detail
