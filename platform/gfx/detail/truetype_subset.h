// A TrueType font cut down to the glyphs a document uses, for embedding: glyph
// ids stay as they are (a PDF composite font maps its character ids to them one
// to one), the outlines of glyphs not used (and not parts of used composites) are
// left out, and only the tables a renderer needs are kept (head, hhea, hmtx,
// maxp, loca, glyf, cvt, fpgm, prep, cmap, OS/2).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ql::gfx::detail {

// The subset of `font` (a whole TrueType file) with the glyphs marked in `used`
// (by glyph id) and the glyphs they are made of; none when the file does not read
// as TrueType outlines.
std::optional<std::string> SubsetTrueType(std::string_view font, const std::vector<bool>& used);

}  // namespace ql::gfx::detail
