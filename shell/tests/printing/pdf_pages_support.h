// Test helpers for printed PDF files: the file's structure read back (the
// cross-reference table against the objects, stream lengths, compressed streams
// inflated) and pages rendered to pixels with poppler's pdftoppm, compared
// pixel by pixel.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace ql::testing {

struct PdfStructure {
    std::string error;                      // empty when the file reads back whole
    std::map<int, std::string> objects;     // dictionaries, by object number
    std::map<int, std::string> streams;     // stream data, inflated, by object number
    int pages = 0;                          // objects of /Type /Page
    bool ok() const { return error.empty(); }
};
PdfStructure ReadPdfStructure(const std::string& bytes);

struct Raster {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;
};
// Whether pdftoppm can be run here.
bool HaveRenderer();
// Page `page` (from 1) of the file at `dpi`; none when it could not be rendered.
std::optional<Raster> RenderPdfPage(const std::string& path, int page, int dpi);

struct PixelDifference {
    bool sameSize = false;
    long pixels = 0;
    long differing = 0;    // pixels with a channel apart by more than anti-aliasing
    long blocks = 0;
    long blocksApart = 0;  // blocks whose mean ink differs by more than anti-aliasing does
    double worstBlock = 0;  // the largest difference of a block's mean ink
    long inked = 0;         // pixels of the second raster darker than mid-grey
    double meanChannelDifference = 0;
};
// `tolerance`: the channel difference still taken for anti-aliasing. Renderers
// shade the edges of glyphs and lines by their own rules (hinting, pixel snapping
// of thin boxes), so pixels may differ along edges; ink missing, added or moved
// changes the mean ink of the square block of `block` pixels it falls in, beyond
// `blockTolerance` (of 255).
PixelDifference ComparePixels(const Raster& a, const Raster& b, int tolerance, int block, double blockTolerance);

}  // namespace ql::testing
