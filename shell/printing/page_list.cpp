// Reading the print dialog's page list: one pass over at most 255 characters, each
// number accumulated only while it can still lie within the limits.
#include "shell/printing/page_list.h"

#include "platform/sysdlg/print_dialog.h"

namespace ql {
namespace {

bool IsSeparator(char c) {
    return c == ',' || c == ' ' || c == '\t';
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

constexpr int32_t kDecimalBase = 10;

}  // namespace

PageListResult ParsePageList(std::string_view text, int32_t low, int32_t high) {
    const PageListResult refused{};
    if (text.size() > sysdlg::kMaxPageListText) text = text.substr(0, sysdlg::kMaxPageListText);
    PageListResult result{PageListStatus::Ok, {}};
    size_t at = 0;
    while (at < text.size()) {
        if (IsSeparator(text[at])) {
            ++at;
            continue;
        }
        int64_t value = 0;
        size_t digits = 0;
        for (; at < text.size() && !IsSeparator(text[at]); ++at, ++digits) {
            if (!IsDigit(text[at])) return refused;
            value = value * kDecimalBase + (text[at] - '0');
            if (value > high) return refused;  // stops before the value can grow further
        }
        if (digits == 0 || value < low) return refused;
        result.pages.push_back(static_cast<int32_t>(value));
    }
    if (result.pages.empty()) return refused;
    return result;
}

}  // namespace ql
