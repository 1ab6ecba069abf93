// Fuzz entry point for the print dialog's page list: the first two bytes choose
// the limits, the rest is the typed text. A list that comes out must lie within
// the limits and hold no more numbers than the text can.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "platform/sysdlg/print_dialog.h"
#include "shell/printing/page_list.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace ql;
    if (size < 2) return 0;
    const int32_t low = data[0] % 8;
    const int32_t high = low + data[1];
    std::string_view text(reinterpret_cast<const char*>(data) + 2, size - 2);
    PageListResult result = ParsePageList(text, low, high);
    if (result.status != PageListStatus::Ok) {
        if (!result.pages.empty()) __builtin_trap();
        return 0;
    }
    if (result.pages.empty() || result.pages.size() > sysdlg::kMaxPageListText / 2 + 1)
        __builtin_trap();
    for (int32_t page : result.pages)
        if (page < low || page > high) __builtin_trap();
    return 0;
}
