// Glyph lookup for 8-bit and UTF-16 text.
#include "platform/text/glyph_run.h"

#include <string>

#include "platform/text/code_page.h"

namespace ql::text {
namespace {

constexpr uint32_t kByteMask = 0xFF;
constexpr uint32_t kByteBits = 8;
constexpr uint32_t kByteCodeLimit = 0x100;

void Append(const LoadedFace& face, uint32_t glyph, GlyphRun& run) {
    run.glyphs.push_back(glyph);
    run.advances.push_back(face.Advance(glyph));
}

// The glyph of a character of UTF-16 text; a character the face lacks is looked
// up by its code in a symbol font.
uint32_t CharacterGlyph(const Font& font, const LoadedFace& face, char32_t c) {
    const uint32_t glyph = face.GlyphOfChar(c);
    if (glyph == 0 && c < kByteCodeLimit && UsesSymbolCodes(font))
        return face.GlyphOfSymbolCode(static_cast<uint8_t>(c));
    return glyph;
}

}  // namespace

bool UsesSymbolCodes(const Font& font) {
    return font.request.charset == static_cast<uint8_t>(Charset::Symbol);
}

GlyphRun GlyphsOfBytes(const Font& font, std::string_view bytes) {
    const LoadedFace& face = *font.face;
    GlyphRun run;
    run.glyphs.reserve(bytes.size());
    run.advances.reserve(bytes.size());
    if (UsesSymbolCodes(font)) {
        for (char b : bytes) Append(face, face.GlyphOfSymbolCode(static_cast<uint8_t>(b)), run);
        return run;
    }
    std::u32string chars = DecodeCodePage(CodePageOfCharset(font.request.charset), bytes);
    bool byteForByte = chars.size() == bytes.size();
    for (size_t i = 0; i < chars.size(); ++i) {
        uint32_t glyph = face.GlyphOfChar(chars[i]);
        if (glyph == 0 && byteForByte)
            glyph = face.GlyphOfSymbolCode(static_cast<uint8_t>(bytes[i]));
        Append(face, glyph, run);
    }
    return run;
}

GlyphRun GlyphsOfUtf16(const Font& font, std::u16string_view text) {
    const LoadedFace& face = *font.face;
    GlyphRun run;
    std::u32string chars = DecodeUtf16(text);
    run.glyphs.reserve(chars.size());
    run.advances.reserve(chars.size());
    for (char32_t c : chars) Append(face, CharacterGlyph(font, face, c), run);
    return run;
}

uint32_t GlyphOfCharacter(const Font& font, char32_t c) {
    return CharacterGlyph(font, *font.face, c);
}

uint32_t GlyphOfCode(const Font& font, uint32_t code) {
    if (code < kByteCodeLimit) {
        char byte = static_cast<char>(code);
        return GlyphsOfBytes(font, std::string_view(&byte, 1)).glyphs.front();
    }
    char pair[2] = {static_cast<char>((code >> kByteBits) & kByteMask),
                    static_cast<char>(code & kByteMask)};
    GlyphRun run = GlyphsOfBytes(font, std::string_view(pair, 2));
    return run.glyphs.empty() ? 0 : run.glyphs.front();
}

}  // namespace ql::text
