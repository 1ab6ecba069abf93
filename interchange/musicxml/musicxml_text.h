// The file's texts (UTF-8) as the NIFF file's 8-bit texts, which are code page
// 1252: every character the code page holds keeps its byte (typographic quotes,
// dashes, the euro sign and the ellipsis among them); the others become "?" and
// are counted.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "interchange/import_report.h"

namespace ql::musicxml {

inline constexpr char kCharactersOutside1252[] = "characters code page 1252 does not hold (written as \"?\")";

// The text in code page 1252; characters it lacks are counted in `lost`. Null
// characters are left out, since NIFF strings end at the first.
std::string ToCodePage1252(std::string_view utf8, ImportReport& lost);

// The lines of a text the file broke with line feeds, each without the blanks and
// carriage returns at its ends (an empty line stays, to keep its room); none for a
// text of blanks alone.
std::vector<std::string> TextLines(std::string_view text);

}  // namespace ql::musicxml
