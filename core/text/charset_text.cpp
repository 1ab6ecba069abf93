// Character sets: their names, the language table, and the conversion of a score's
// 8-bit text to UTF-16 through its character set's code page. Every measurement and
// every drawing of such text goes through TextInCharset, so that text of any set is
// read the same way on any machine.
#include "core/text/charset_text.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <map>
#include <string>

#include "core/state.h"
#include "core/ui/status_bar.h"
#include "platform/gfx/objects.h"
#include "platform/text/code_page.h"
#include "platform/text/font.h"
#include "platform/ui/controls.h"

namespace ql {

namespace {

constexpr uint8_t kCharsetDefault = 1;
constexpr uint8_t kCharsetSymbol = 2;
constexpr uint8_t kCharsetOem = 255;

struct CharsetNameEntry {
    uint8_t charset;
    const char* name;
};

// The names of the character sets the program knows; their code pages are the text
// layer's (text::CodePageOfCharset).
constexpr std::array<CharsetNameEntry, 15> kCharsetNames{{
    {0, "Western"},
    {178, "Arabic"},
    {186, "Baltic"},
    {136, "Chinese - BIG5"},
    {238, "Central European"},
    {134, "Chinese - GB2312"},
    {161, "Greek"},
    {129, "Hangul"},
    {177, "Hebrew"},
    {130, "Johab"},
    {204, "Cyrillic"},
    {128, "Japanese"},
    {222, "Thai"},
    {162, "Turkish"},
    {163, "Vietnamese"},
}};

constexpr uint8_t W = 0;    // Western
constexpr uint8_t Ar = 178;
constexpr uint8_t Ba = 186;
constexpr uint8_t Bg = 136;
constexpr uint8_t Ce = 238;
constexpr uint8_t Gr = 161;
constexpr uint8_t Ha = 129;
constexpr uint8_t He = 177;
constexpr uint8_t Cy = 204;
constexpr uint8_t Ja = 128;
constexpr uint8_t Th = 222;
constexpr uint8_t Tu = 162;
constexpr uint8_t Vi = 163;
constexpr uint8_t No = kNoLanguageCharset;

// By primary language number: 0 neutral, 1 Arabic, 2 Bulgarian, 3 Catalan, 4 Chinese,
// 5 Czech, 6 Danish, 7 German, 8 Greek, 9 English, 10 Spanish, 11 Finnish, 12 French,
// 13 Hebrew, 14 Hungarian, 15 Icelandic, 16 Italian, 17 Japanese, 18 Korean, 19 Dutch,
// 20 Norwegian, 21 Polish, 22 Portuguese, 23 Romansh, 24 Romanian, 25 Russian,
// 26 Croatian and Serbian, 27 Slovak, 28 Albanian, 29 Swedish, 30 Thai, 31 Turkish,
// 32 Urdu, 33 Indonesian, 34 Ukrainian, 35 Belarusian, 36 Slovenian, 37 Estonian,
// 38 Latvian, 39 Lithuanian, 40 Tajik, 41 Farsi, 42 Vietnamese, 43 Armenian, 44 Azeri,
// 45 Basque, 46 Sorbian, 47 Macedonian, 48 Sotho, 49 Tsonga, 50 Tswana, 51 Venda,
// 52 Xhosa, 53 Zulu, 54 Afrikaans.
constexpr std::array<uint8_t, kLanguageCharsetEntries> kLanguageCharsets{{
    No, Ar, Cy, W,  Bg, Ce, W,  W,  Gr, W,  W,  W,  W,  He, Ce, W,  W,  Ja, Ha,
    W,  W,  Ce, W,  W,  Ce, Cy, Ce, Ce, Ce, W,  Th, Tu, Ar, W,  Cy, Cy, Ce, Ba,
    Ba, Ba, Cy, Ar, Vi, No, Tu, W,  Ce, Cy, W,  W,  W,  W,  W,  W,  W,
}};

constexpr std::array<uint8_t, 7> kWideTextCharsets{{128, 129, 130, 134, 136, 222, 163}};

// The code page text of a character set is read in: 1252 for one the layer lacks,
// reported once per run and code page.
uint16_t ReadableCodePage(uint8_t charset) {
    const uint16_t codePage = CodePageOfCharset(charset);
    if (text::IsCodePageAvailable(codePage)) return codePage;
    std::vector<uint16_t>& reported = State().display.MissingCodePagesReported;
    if (std::find(reported.begin(), reported.end(), codePage) == reported.end()) {
        reported.push_back(codePage);
        const std::string notice =
            "Code page " + std::to_string(codePage) + " is missing: its text is shown as Western.";
        ShowLabelledNotice(notice.c_str());
    }
    return text::kCodePageWestern;
}

// Single-byte code pages whose every byte reads as one character on its own (1255
// and 1258 compose marks with the character before them and are read whole).
bool ReadsByteByByte(uint16_t codePage) {
    constexpr uint16_t kByteByByte[] = {874, 1250, 1251, 1252, 1253, 1254, 1256, 1257};
    return std::find(std::begin(kByteByByte), std::end(kByteByByte), codePage) != std::end(kByteByByte);
}

// The UTF-16 unit of each byte of such a code page, made from the text layer's
// conversion on first use and kept (the last one used is found first).
using ByteTable = std::array<char16_t, 256>;
const ByteTable& ByteTableOf(uint16_t codePage) {
    static std::map<uint16_t, ByteTable> tables;
    static uint16_t lastCodePage = 0;
    static const ByteTable* last = nullptr;
    if (last != nullptr && codePage == lastCodePage) return *last;
    auto it = tables.find(codePage);
    if (it == tables.end()) {
        ByteTable table{};
        for (int b = 0; b < 256; ++b) {
            const std::u16string unit = text::CodePageToUtf16(codePage, std::string(1, static_cast<char>(b)));
            table[static_cast<size_t>(b)] = unit.size() == 1 ? unit[0] : u'\uFFFD';
        }
        it = tables.emplace(codePage, table).first;
    }
    lastCodePage = codePage;
    last = &it->second;
    return *last;
}

}  // namespace

uint16_t CodePageOfCharset(uint8_t charset) {
    return text::CodePageOfCharset(charset);
}

const char* CharsetName(uint8_t charset) {
    if (charset == kCharsetSymbol) return "Symbol";
    if (charset == kCharsetOem) return "OEM";
    if (charset == kCharsetDefault) return "Default";
    for (const CharsetNameEntry& entry : kCharsetNames)
        if (entry.charset == charset) return entry.name;
    return nullptr;
}

uint8_t LanguageCharset(int primaryLanguage) {
    if (primaryLanguage < 0 || primaryLanguage >= kLanguageCharsetEntries) return kNoLanguageCharset;
    return kLanguageCharsets[static_cast<size_t>(primaryLanguage)];
}

bool IsWideTextCharset(uint8_t charset) {
    return std::find(kWideTextCharsets.begin(), kWideTextCharsets.end(), charset) !=
           kWideTextCharsets.end();
}

std::string CharsetCaption(std::string_view text, uint8_t charset) {
    const char* name = CharsetName(charset);
    std::string caption(text);
    if (name == nullptr) return caption;
    const std::string_view nameText(name);
    caption += nameText.find(' ') != std::string_view::npos ? "\n(" : " (";
    caption += nameText;
    caption += ')';
    return caption;
}

bool SetCharsetCaption(platform::WindowHandle dialog, int32_t id, uint8_t charset,
                       std::string_view text) {
    return ui::SetItemText(dialog, id, CharsetCaption(text, charset));
}

std::u16string TextInCharset(uint8_t charset, std::string_view text) {
    if (charset == kCharsetSymbol) {
        // Symbol text is glyph codes: each byte stands for itself.
        std::u16string codes;
        codes.reserve(text.size());
        for (char c : text) codes.push_back(static_cast<unsigned char>(c));
        return codes;
    }
    const uint16_t codePage = ReadableCodePage(charset);
    if (!ReadsByteByByte(codePage)) return text::CodePageToUtf16(codePage, text);
    const ByteTable& table = ByteTableOf(codePage);
    std::u16string units(text.size(), u'\0');
    for (size_t i = 0; i < text.size(); ++i) units[i] = table[static_cast<unsigned char>(text[i])];
    return units;
}

const std::array<char16_t, 256>* ByteUnitsOfCharset(uint8_t charset) {
    if (charset == kCharsetSymbol) return nullptr;
    const uint16_t codePage = ReadableCodePage(charset);
    return ReadsByteByByte(codePage) ? &ByteTableOf(codePage) : nullptr;
}

uint8_t CharsetOfContext(platform::DcHandle dc) {
    const text::Font* font = text::FindFont(gfx::GetCurrentFont(dc));
    return font != nullptr ? font->request.charset : 0;
}

}  // namespace ql
