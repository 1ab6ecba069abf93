// Flate compression of PDF streams (zlib format, as FlateDecode reads it), and
// the bitmaps of printed pages kept compressed.
#pragma once

#include <string>
#include <string_view>

namespace ql::gfx::detail {

// Page content streams are compressed for speed: on printed scores level 1
// compresses them about 3 times faster than level 6, into a fifth more bytes
// (about a fifth of the page's operators).
constexpr int kContentDeflateLevel = 1;
// The font programs, cut down to the glyphs a document uses.
constexpr int kFontDeflateLevel = 6;

// False when zlib fails (out of memory).
bool Deflate(std::string_view in, int level, std::string* out);
// The `length` bytes `in` was made from; false when it does not inflate to them.
bool Inflate(std::string_view in, size_t length, std::string* out);

}  // namespace ql::gfx::detail
