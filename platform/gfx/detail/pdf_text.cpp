#include "platform/gfx/detail/pdf_text.h"

#include <array>
#include <cmath>

namespace ql::gfx::detail {

namespace {
constexpr char kHexDigits[] = "0123456789ABCDEF";
constexpr int kMaxDecimals = 6;
constexpr int64_t kPowersOfTen[] = {1, 10, 100, 1000, 10000, 100000, 1000000};
// Beyond this a number is written whole: a PDF reader's reals hold about this much.
constexpr double kLargestFixed = 1e12;

// "0", "1" and ".xyz" without trailing zeros, for each channel value.
struct ChannelTable {
    std::array<std::string, 256> text;
    ChannelTable() {
        for (int v = 0; v < 256; ++v) {
            const int thousandths = static_cast<int>(std::lround(v * 1000.0 / 255.0));
            if (thousandths == 0) {
                text[v] = "0 ";
            } else if (thousandths == 1000) {
                text[v] = "1 ";
            } else {
                std::string digits = {'.', char('0' + thousandths / 100), char('0' + thousandths / 10 % 10),
                                      char('0' + thousandths % 10)};
                while (digits.back() == '0') digits.pop_back();
                text[v] = digits + ' ';
            }
        }
    }
};

bool IsPlainNameByte(unsigned char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '_' ||
           c == '+';
}
}  // namespace

PdfText& PdfText::Int(int64_t value) {
    char digits[24];
    char* end = digits + sizeof digits;
    char* at = end;
    *--at = ' ';
    const bool negative = value < 0;
    uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
    do {
        *--at = static_cast<char>('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    if (negative) *--at = '-';
    bytes_.append(at, static_cast<size_t>(end - at));
    return *this;
}

PdfText& PdfText::Fixed(double value, int decimals) {
    if (decimals > kMaxDecimals) decimals = kMaxDecimals;
    if (decimals < 0) decimals = 0;
    if (!std::isfinite(value)) value = 0;
    if (std::abs(value) >= kLargestFixed) return Int(static_cast<int64_t>(std::llround(value)));
    const int64_t scale = kPowersOfTen[decimals];
    int64_t scaled = std::llround(value * static_cast<double>(scale));
    if (scaled < 0) {
        bytes_.push_back('-');
        scaled = -scaled;
    }
    const int64_t whole = scaled / scale;
    int64_t fraction = scaled % scale;
    if (fraction == 0) return Int(whole);
    if (whole != 0) {
        Int(whole);
        bytes_.pop_back();
    }
    bytes_.push_back('.');
    int places = decimals;
    while (fraction % 10 == 0) {
        fraction /= 10;
        --places;
    }
    for (int p = places - 1; p >= 0; --p) bytes_.push_back(static_cast<char>('0' + fraction / kPowersOfTen[p] % 10));
    bytes_.push_back(' ');
    return *this;
}

PdfText& PdfText::Channel(uint32_t value) {
    static const ChannelTable table;
    bytes_.append(table.text[value & 0xFF]);
    return *this;
}

PdfText& PdfText::Hex4(uint32_t code) {
    const char digits[4] = {kHexDigits[(code >> 12) & 0xF], kHexDigits[(code >> 8) & 0xF],
                            kHexDigits[(code >> 4) & 0xF], kHexDigits[code & 0xF]};
    bytes_.append(digits, 4);
    return *this;
}

PdfText& PdfText::Utf16Hex(uint32_t code) {
    constexpr uint32_t kPlaneSize = 0x10000, kHighSurrogate = 0xD800, kLowSurrogate = 0xDC00;
    if (code < kPlaneSize) return Hex4(code);
    code -= kPlaneSize;
    return Hex4(kHighSurrogate + (code >> 10)).Hex4(kLowSurrogate + (code & 0x3FF));
}

PdfText& PdfText::Name(std::string_view name) {
    bytes_.push_back('/');
    for (unsigned char c : name) {
        if (IsPlainNameByte(c)) {
            bytes_.push_back(static_cast<char>(c));
        } else {
            bytes_.push_back('#');
            bytes_.push_back(kHexDigits[c >> 4]);
            bytes_.push_back(kHexDigits[c & 0xF]);
        }
    }
    return *this;
}

PdfText& PdfText::String(std::string_view text) {
    bytes_.push_back('(');
    for (unsigned char c : text) {
        if (c == '(' || c == ')' || c == '\\') {
            bytes_.push_back('\\');
            bytes_.push_back(static_cast<char>(c));
        } else if (c < 32 || c > 126) {
            const char octal[4] = {'\\', char('0' + (c >> 6)), char('0' + ((c >> 3) & 7)), char('0' + (c & 7))};
            bytes_.append(octal, 4);
        } else {
            bytes_.push_back(static_cast<char>(c));
        }
    }
    bytes_.push_back(')');
    return *this;
}

}  // namespace ql::gfx::detail
