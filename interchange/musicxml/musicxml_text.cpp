// Code page 1252 texts of the converter, through the platform's code page layer.
#include "interchange/musicxml/musicxml_text.h"

#include <algorithm>

#include "platform/text/charset_utf8.h"
#include "platform/text/code_page.h"

namespace ql::musicxml {

std::string ToCodePage1252(std::string_view utf8, ImportReport& lost) {
    std::u32string characters = text::DecodeUtf8(utf8);
    std::erase(characters, U'\0');
    const std::string out = text::EncodeCodePage(text::kCodePageWestern, characters, text::kDefaultEncodedChar);
    // One byte per character: a default character where the text had none is one lost.
    int missing = 0;
    for (size_t i = 0; i < out.size() && i < characters.size(); ++i)
        missing += out[i] == text::kDefaultEncodedChar && characters[i] != U'?';
    if (missing > 0) lost.Count(kCharactersOutside1252, missing);
    return out;
}

std::vector<std::string> TextLines(std::string_view text) {
    std::vector<std::string> lines;
    constexpr std::string_view kBlanks = " \t\r";
    while (true) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        const size_t first = line.find_first_not_of(kBlanks);
        line = first == std::string_view::npos ? std::string_view{} : line.substr(first, line.find_last_not_of(kBlanks) - first + 1);
        lines.emplace_back(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    while (!lines.empty() && lines.back().empty()) lines.pop_back();
    while (!lines.empty() && lines.front().empty()) lines.erase(lines.begin());
    return lines;
}

}  // namespace ql::musicxml
