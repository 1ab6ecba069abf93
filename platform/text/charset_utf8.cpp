// UTF-8 and the conversions of 8-bit character-set text to and from it (see
// charset_utf8.h).
#include "platform/text/charset_utf8.h"

#include "platform/text/code_page.h"
#include "platform/text/logical_font.h"

namespace ql::text {
namespace {

constexpr char32_t kLastCodePoint = 0x10FFFF;
constexpr char32_t kFirstSurrogate = 0xD800;
constexpr char32_t kLastSurrogate = 0xDFFF;
constexpr char32_t kSymbolPage = 0xF000;
constexpr char32_t kLastSymbolCode = 0xF0FF;
constexpr char32_t kLastByteCode = 0xFF;
constexpr unsigned char kFirstHighByte = 0x80;
constexpr char kUnwritable = '?';

bool IsSymbol(uint8_t charset) { return charset == static_cast<uint8_t>(Charset::Symbol); }

// Bytes that follow a UTF-8 lead byte and the bits the lead carries; -1 for a byte
// that cannot lead a sequence.
int ContinuationBytes(unsigned char lead, char32_t* bits) {
    if (lead < 0x80) { *bits = lead; return 0; }
    if ((lead & 0xE0) == 0xC0) { *bits = lead & 0x1F; return 1; }
    if ((lead & 0xF0) == 0xE0) { *bits = lead & 0x0F; return 2; }
    if ((lead & 0xF8) == 0xF0) { *bits = lead & 0x07; return 3; }
    return -1;
}

// The least code point a sequence of `extra` continuation bytes may carry (shorter
// forms are overlong and read as malformed).
char32_t LeastOfLength(int extra) {
    constexpr char32_t kLeast[] = {0, 0x80, 0x800, 0x10000};
    return kLeast[extra];
}

}  // namespace

std::u32string DecodeUtf8(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        char32_t c = 0;
        const int extra = ContinuationBytes(static_cast<unsigned char>(text[i]), &c);
        bool valid = extra >= 0 && i + static_cast<size_t>(extra) < text.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        valid = valid && c >= LeastOfLength(extra) && c <= kLastCodePoint &&
                (c < kFirstSurrogate || c > kLastSurrogate);
        out.push_back(valid ? c : kReplacementCharacter);
        i += valid ? static_cast<size_t>(extra) + 1 : 1;
    }
    return out;
}

std::string EncodeUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (c > kLastCodePoint || (c >= kFirstSurrogate && c <= kLastSurrogate)) c = kReplacementCharacter;
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else if (c < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (c >> 18)));
            out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

std::string CharsetTextToUtf8(uint8_t charset, std::string_view bytes) {
    if (!IsSymbol(charset)) return EncodeUtf8(DecodeCodePage(CodePageOfCharset(charset), bytes));
    std::u32string codes;
    codes.reserve(bytes.size());
    for (char b : bytes) {
        const auto byte = static_cast<unsigned char>(b);
        codes.push_back(byte < kFirstHighByte ? char32_t{byte} : kSymbolPage + byte);
    }
    return EncodeUtf8(codes);
}

std::string EncodeCharsetText(uint8_t charset, std::u32string_view text) {
    if (!IsSymbol(charset)) return EncodeCodePage(CodePageOfCharset(charset), text, kUnwritable);
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        const bool byte = c <= kLastByteCode || (c >= kSymbolPage && c <= kLastSymbolCode);
        out.push_back(byte ? static_cast<char>(c & kLastByteCode) : kUnwritable);
    }
    return out;
}

std::string Utf8ToCharsetText(uint8_t charset, std::string_view utf8) {
    return EncodeCharsetText(charset, DecodeUtf8(utf8));
}

}  // namespace ql::text
