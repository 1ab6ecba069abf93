// The free page list of the print dialog: page numbers separated by commas and
// blanks, kept in the order typed, repeats included ("3, 1 3" prints 3, 1, 3).
// The text is the user's: it is read strictly (digits only, no signs) and bounded
// only by the dialog's 255-character limit, so the list has at most 128 numbers.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace ql {

enum class PageListStatus : uint8_t {
    Ok = 0,
    OutOfRange = 1,  // empty, not a number, or a number outside low..high
};

struct PageListResult {
    PageListStatus status = PageListStatus::OutOfRange;
    std::vector<int32_t> pages;  // empty unless Ok
};

// Reads the first kMaxPageListText characters of `text`; every number must lie
// within low..high.
PageListResult ParsePageList(std::string_view text, int32_t low, int32_t high);

}  // namespace ql
