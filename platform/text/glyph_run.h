// Turning text into the glyphs of a font: 8-bit text through the font's character
// set (symbol fonts by code, others decoded through the code page) and UTF-16 text
// directly. No shaping: one glyph per character, laid out by its advance, so that
// every code of a symbol font is drawn, NBSP and soft hyphen included.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/text/font.h"

namespace ql::text {

struct GlyphRun {
    std::vector<uint32_t> glyphs;   // glyph indices (0 = the face's missing-glyph box)
    std::vector<int32_t> advances;  // advance widths in font units, one per glyph
};

// True when 8-bit text of this font is read as glyph codes: the symbol character
// set asked for.
bool UsesSymbolCodes(const Font& font);

// The glyphs of 8-bit text. With a single-byte code page a character the face
// does not have is looked up by its byte as a symbol code, so that a symbol face
// asked for with another character set still shows its glyphs.
GlyphRun GlyphsOfBytes(const Font& font, std::string_view bytes);
GlyphRun GlyphsOfUtf16(const Font& font, std::u16string_view text);
// The glyph of one character of UTF-16 text, as GlyphsOfUtf16 finds it.
uint32_t GlyphOfCharacter(const Font& font, char32_t c);

// The glyph of one 8-bit character code; codes above 255 are a double-byte pair
// (lead byte high).
uint32_t GlyphOfCode(const Font& font, uint32_t code);

}  // namespace ql::text
