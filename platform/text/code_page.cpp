// Character set -> code page table and the iconv-based decoder, with a table of
// the 256 characters of each single-byte code page for reading text of it.
// Conversions go to UTF-32 in host byte order. One iconv
// descriptor per code page is opened on first use and kept (user-interface thread).
#include "platform/text/code_page.h"

#include "platform/text/code_page_test_seam.h"

#include <iconv.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <map>
#include <optional>
#include <utility>
#include <vector>

namespace ql::text {
namespace {

struct CharsetCodePage {
    uint8_t charset;
    uint16_t codePage;
};

constexpr std::array<CharsetCodePage, 15> kCharsetCodePages{{
    {0, 1252},
    {178, 1256},
    {186, 1257},
    {136, 950},
    {238, 1250},
    {134, 936},
    {161, 1253},
    {129, 949},
    {177, 1255},
    {130, 1361},
    {204, 1251},
    {128, 932},
    {222, 874},
    {162, 1254},
    {163, 1258},
}};

constexpr char32_t kReplacement = kReplacementCharacter;
constexpr char32_t kLatin1Last = 0xFF;
constexpr size_t kByteValues = 256;

// iconv's name for a code page.
std::string IconvName(uint16_t codePage) {
    switch (codePage) {
        case 932:
            return "CP932";
        case 936:
            return "GBK";
        case 949:
            return "CP949";
        case 950:
            return "BIG5";
        case 1361:
            return "JOHAB";
        case 874:
            return "TIS-620";
        default:
            break;
    }
    char name[16];
    std::snprintf(name, sizeof name, "CP%u", static_cast<unsigned>(codePage));
    return name;
}

// Latin-1 reading, for a code page iconv does not know.
std::u32string DecodeLatin1(std::string_view bytes) {
    std::u32string out;
    out.reserve(bytes.size());
    for (char b : bytes) out.push_back(static_cast<unsigned char>(b));
    return out;
}

const iconv_t kNoDescriptor = reinterpret_cast<iconv_t>(-1);
// UTF-32 in the host's byte order, so that the output is read as char32_t.
constexpr const char* kUtf32Host =
    std::endian::native == std::endian::little ? "UTF-32LE" : "UTF-32BE";

// An iconv descriptor, closed when the table of kept descriptors goes at exit.
struct Descriptor {
    iconv_t cd = kNoDescriptor;
    explicit Descriptor(iconv_t opened) : cd(opened) {}
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() {
        if (cd != kNoDescriptor) iconv_close(cd);
    }
};

enum class Direction : uint8_t { ToUnicode, FromUnicode };

// The kept descriptor of a code page and direction, reset to its initial state;
// kNoDescriptor when iconv does not know the code page.
iconv_t DescriptorOf(uint16_t codePage, Direction direction) {
    static std::map<std::pair<uint16_t, Direction>, Descriptor> descriptors;
    auto key = std::make_pair(codePage, direction);
    auto it = descriptors.find(key);
    if (it == descriptors.end()) {
        std::string name = IconvName(codePage);
        iconv_t cd = direction == Direction::ToUnicode ? iconv_open(kUtf32Host, name.c_str())
                                                       : iconv_open(name.c_str(), kUtf32Host);
        it = descriptors.try_emplace(key, cd).first;
    }
    if (it->second.cd != kNoDescriptor) iconv(it->second.cd, nullptr, nullptr, nullptr, nullptr);
    return it->second.cd;
}

// Emits the character a decoder holds back: 1255 and 1258 keep the last base character
// until they know no combining mark follows, and would drop it at the end of the text.
void FlushPending(iconv_t cd, std::u32string& out) {
    constexpr size_t kMaxPending = 4;
    char32_t buffer[kMaxPending];
    char* outPtr = reinterpret_cast<char*>(buffer);
    size_t outLeft = sizeof buffer;
    iconv(cd, nullptr, nullptr, &outPtr, &outLeft);
    out.append(buffer, (sizeof buffer - outLeft) / sizeof(char32_t));
}

// One character in a code page; false when the code page has no such character.
bool EncodeOne(iconv_t cd, char32_t c, std::string& out) {
    constexpr size_t kMaxBytes = 8;
    char bytes[kMaxBytes];
    char* in = reinterpret_cast<char*>(&c);
    size_t inLeft = sizeof c;
    char* outPtr = bytes;
    size_t outLeft = sizeof bytes;
    if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1)) {
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        return false;
    }
    out.append(bytes, sizeof bytes - outLeft);
    return true;
}

// Code pages the test seam reports as missing.
std::vector<uint16_t>& CodePagesMissingForTests() {
    static std::vector<uint16_t> missing;
    return missing;
}

// The code page asked last and its answer: text is measured string by string, mostly
// in one code page, and the answer only changes through the test seam.
struct AvailabilityAnswer {
    uint16_t codePage = 0;
    bool available = false;
};
AvailabilityAnswer& LastAvailabilityAnswer() {
    static AvailabilityAnswer last;
    return last;
}

}  // namespace

bool IsCodePageAvailable(uint16_t codePage) {
    AvailabilityAnswer& last = LastAvailabilityAnswer();
    if (codePage != 0 && codePage == last.codePage) return last.available;
    const std::vector<uint16_t>& missing = CodePagesMissingForTests();
    const bool lacking = std::find(missing.begin(), missing.end(), codePage) != missing.end();
    last = {codePage, !lacking && DescriptorOf(codePage, Direction::ToUnicode) != kNoDescriptor};
    return last.available;
}

namespace test_seam {

void SetCodePageMissing(uint16_t codePage, bool missing) {
    std::vector<uint16_t>& pages = CodePagesMissingForTests();
    std::erase(pages, codePage);
    if (missing) pages.push_back(codePage);
    LastAvailabilityAnswer() = {};
}

}  // namespace test_seam

uint16_t CodePageOfCharset(uint8_t charset) {
    for (const CharsetCodePage& entry : kCharsetCodePages)
        if (entry.charset == charset) return entry.codePage;
    return kCodePageWestern;
}

namespace {

// Reads text through iconv; `cd` is a kept descriptor of the code page.
std::u32string DecodeWithIconv(iconv_t cd, std::string_view bytes) {
    std::u32string out;
    out.reserve(bytes.size());
    char* in = const_cast<char*>(bytes.data());  // iconv's interface is not const
    size_t inLeft = bytes.size();
    while (inLeft > 0) {
        char32_t buffer[64];
        char* outPtr = reinterpret_cast<char*>(buffer);
        size_t outLeft = sizeof buffer;
        size_t result = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
        size_t produced = (sizeof buffer - outLeft) / sizeof(char32_t);
        out.append(buffer, produced);
        if (result == static_cast<size_t>(-1) && errno != E2BIG) {
            // EILSEQ or EINVAL: skip one byte and mark it, after a held-back character.
            FlushPending(cd, out);
            out.push_back(kReplacement);
            ++in;
            --inLeft;
        }
    }
    FlushPending(cd, out);
    return out;
}

// A code page read byte by byte through a table of its 256 characters, made once
// from iconv's reading of each byte. Only for code pages whose every byte is one
// character on its own: not the double-byte ones, nor those whose decoders join a
// base character with the combining mark after it.
using ByteTable = std::array<char32_t, kByteValues>;

bool ReadsByteByByte(uint16_t codePage) {
    switch (codePage) {
        case 874: case 1250: case 1251: case 1252: case 1253: case 1254: case 1256: case 1257:
            return true;
        default:
            return false;
    }
}

// The table of a code page; null when its text is not read byte by byte or iconv
// does not know it.
const ByteTable* ByteTableOf(uint16_t codePage) {
    static std::map<uint16_t, std::optional<ByteTable>> tables;
    auto it = tables.find(codePage);
    if (it != tables.end()) return it->second ? &*it->second : nullptr;
    std::optional<ByteTable> table;
    iconv_t cd = ReadsByteByByte(codePage) ? DescriptorOf(codePage, Direction::ToUnicode) : kNoDescriptor;
    if (cd != kNoDescriptor) {
        table.emplace();
        for (size_t b = 0; b < kByteValues && table; ++b) {
            char byte = static_cast<char>(b);
            std::u32string one = DecodeWithIconv(DescriptorOf(codePage, Direction::ToUnicode), {&byte, 1});
            if (one.size() == 1) (*table)[b] = one[0];
            else table.reset();
        }
    }
    const std::optional<ByteTable>& kept = tables.emplace(codePage, std::move(table)).first->second;
    return kept ? &*kept : nullptr;
}

}  // namespace

std::u32string DecodeCodePage(uint16_t codePage, std::string_view bytes) {
    if (const ByteTable* table = ByteTableOf(codePage)) {
        std::u32string out(bytes.size(), U'\0');
        for (size_t i = 0; i < bytes.size(); ++i) out[i] = (*table)[static_cast<unsigned char>(bytes[i])];
        return out;
    }
    iconv_t cd = DescriptorOf(codePage, Direction::ToUnicode);
    if (cd == kNoDescriptor) return DecodeLatin1(bytes);
    return DecodeWithIconv(cd, bytes);
}

std::u32string DecodeUtf16(std::u16string_view text) {
    constexpr char16_t kHighFirst = 0xD800, kLowFirst = 0xDC00, kLowLast = 0xDFFF;
    constexpr char32_t kSupplementaryBase = 0x10000;
    constexpr int kSurrogateBits = 10;
    std::u32string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char16_t unit = text[i];
        bool isHigh = unit >= kHighFirst && unit < kLowFirst;
        bool isLow = unit >= kLowFirst && unit <= kLowLast;
        if (isHigh && i + 1 < text.size() && text[i + 1] >= kLowFirst && text[i + 1] <= kLowLast) {
            char32_t hi = unit - kHighFirst, lo = text[i + 1] - kLowFirst;
            out.push_back(kSupplementaryBase + ((hi << kSurrogateBits) | lo));
            ++i;
        } else if (isHigh || isLow) {
            out.push_back(kReplacement);
        } else {
            out.push_back(unit);
        }
    }
    return out;
}

}  // namespace ql::text

namespace ql::text {

std::u16string EncodeUtf16(std::u32string_view text) {
    constexpr char32_t kSupplementaryBase = 0x10000, kLastCodePoint = 0x10FFFF;
    constexpr char16_t kHighFirst = 0xD800, kLowFirst = 0xDC00;
    constexpr char32_t kSurrogateFirst = 0xD800, kSurrogateLast = 0xDFFF;
    constexpr int kSurrogateBits = 10;
    constexpr char32_t kLowMask = (1u << kSurrogateBits) - 1;
    std::u16string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (c > kLastCodePoint || (c >= kSurrogateFirst && c <= kSurrogateLast)) {
            out.push_back(static_cast<char16_t>(kReplacementCharacter));
        } else if (c >= kSupplementaryBase) {
            char32_t v = c - kSupplementaryBase;
            out.push_back(static_cast<char16_t>(kHighFirst + (v >> kSurrogateBits)));
            out.push_back(static_cast<char16_t>(kLowFirst + (v & kLowMask)));
        } else {
            out.push_back(static_cast<char16_t>(c));
        }
    }
    return out;
}

std::string EncodeCodePage(uint16_t codePage, std::u32string_view text, char defaultChar,
                           bool* lossless) {
    if (lossless) *lossless = true;
    iconv_t cd = DescriptorOf(codePage, Direction::FromUnicode);
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (cd != kNoDescriptor && EncodeOne(cd, c, out)) continue;
        if (cd == kNoDescriptor && c <= kLatin1Last) {
            out.push_back(static_cast<char>(c));
            continue;
        }
        out.push_back(defaultChar);
        if (lossless) *lossless = false;
    }
    return out;
}

std::u16string CodePageToUtf16(uint16_t codePage, std::string_view bytes) {
    return EncodeUtf16(DecodeCodePage(codePage, bytes));
}

std::string Utf16ToCodePage(uint16_t codePage, std::u16string_view text, char defaultChar,
                            bool* lossless) {
    return EncodeCodePage(codePage, DecodeUtf16(text), defaultChar, lossless);
}

}  // namespace ql::text
