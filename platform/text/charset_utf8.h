// 8-bit text of a character set as UTF-8, for the desktop's widgets and clipboard,
// and back. Score text is held in its font's character set; the toolkit shows and
// hands back UTF-8. The symbol character set has no code page: its bytes above 127
// are glyph codes, shown as the symbol-font copy U+F080..U+F0FF that symbol faces map.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ql::text {

// The code points of UTF-8 text; a malformed or cut sequence gives U+FFFD for its
// first byte and reading goes on with the next one.
std::u32string DecodeUtf8(std::string_view text);
// UTF-8 of code points; values that are no characters become U+FFFD.
std::string EncodeUtf8(std::u32string_view text);

// 8-bit text of `charset` as UTF-8: through the set's code page, or for the symbol
// set bytes above 127 to U+F000 + byte (ASCII stays as it is).
std::string CharsetTextToUtf8(uint8_t charset, std::string_view bytes);
// Characters as 8-bit text of `charset`; a character the set cannot write becomes
// "?". For the symbol set U+F000..U+F0FF and U+0000..U+00FF give their low byte.
std::string EncodeCharsetText(uint8_t charset, std::u32string_view text);
// UTF-8 as 8-bit text of `charset` (EncodeCharsetText of its characters).
std::string Utf8ToCharsetText(uint8_t charset, std::string_view utf8);

}  // namespace ql::text
