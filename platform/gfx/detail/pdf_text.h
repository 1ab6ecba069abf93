// The bytes of a PDF file being made: numbers written as text without the C
// library's formatting (a page holds tens of thousands of them), names, hex
// strings and raw text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace ql::gfx::detail {

class PdfText {
  public:
    std::string& bytes() { return bytes_; }
    const std::string& bytes() const { return bytes_; }
    size_t size() const { return bytes_.size(); }

    PdfText& Raw(std::string_view text) {
        bytes_.append(text);
        return *this;
    }
    PdfText& Char(char c) {
        bytes_.push_back(c);
        return *this;
    }
    // A whole number followed by a space.
    PdfText& Int(int64_t value);
    // A number rounded to `decimals` places (at most 6), without trailing zeros,
    // followed by a space.
    PdfText& Fixed(double value, int decimals);
    // A colour channel 0..255 as a fraction of 255 to three places, and a space.
    PdfText& Channel(uint32_t value);
    // A two-byte code as four hex digits.
    PdfText& Hex4(uint32_t code);
    // A character as the hex digits of its UTF-16 code units (a surrogate pair
    // beyond the basic plane).
    PdfText& Utf16Hex(uint32_t code);
    // A name object: "/" and the name with bytes other than letters, digits, '-',
    // '_' and '+' written as #hh.
    PdfText& Name(std::string_view name);
    // A literal string object with ( ) \ escaped and other bytes outside 32..126
    // written in octal.
    PdfText& String(std::string_view text);

  private:
    std::string bytes_;
};

}  // namespace ql::gfx::detail
