// Code pages of the 8-bit character sets, and conversion of 8-bit text in a code
// page and of UTF-16 text to and from Unicode code points (iconv for the code pages). The symbol
// character set has no code page: its bytes are glyph codes, looked up in the font as they stand.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ql::text {

constexpr uint16_t kCodePageWestern = 1252;
constexpr char32_t kReplacementCharacter = 0xFFFD;
constexpr char kDefaultEncodedChar = '?';

// Code page of a character set; 1252 for sets without one of their own.
uint16_t CodePageOfCharset(uint8_t charset);

// True when the layer can convert text of the code page (its converter exists);
// text of a code page it lacks is read as Latin-1.
bool IsCodePageAvailable(uint16_t codePage);

// Decodes 8-bit text in a code page. Bytes the code page leaves undefined (or a
// multibyte sequence cut short) become U+FFFD, one per byte, so that the result
// always has a character for every byte it could not read; never fails.
std::u32string DecodeCodePage(uint16_t codePage, std::string_view bytes);

// Decodes UTF-16 text; a lone surrogate becomes U+FFFD.
std::u32string DecodeUtf16(std::u16string_view text);
// Encodes code points as UTF-16; values that are no characters become U+FFFD.
std::u16string EncodeUtf16(std::u32string_view text);

// Encodes characters in a code page. A character the code page cannot write
// becomes `defaultChar`, and `lossless` (optional) is cleared.
std::string EncodeCodePage(uint16_t codePage, std::u32string_view text,
                           char defaultChar = kDefaultEncodedChar, bool* lossless = nullptr);

// The two conversions between 8-bit text in a code page and UTF-16.
std::u16string CodePageToUtf16(uint16_t codePage, std::string_view bytes);
std::string Utf16ToCodePage(uint16_t codePage, std::u16string_view text,
                            char defaultChar = kDefaultEncodedChar, bool* lossless = nullptr);

}  // namespace ql::text
