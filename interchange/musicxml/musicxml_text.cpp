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

}  // namespace ql::musicxml
