// The stored input locale.
#include "display/input_locale.h"

namespace ql {
namespace {

constexpr uint32_t kLastCharset = 0xFF;

InputLocale& Stored() {
    static InputLocale locale;
    return locale;
}

}  // namespace

void SetInputLocale(uint32_t charset, intptr_t layout) {
    InputLocale& locale = Stored();
    locale.layout = static_cast<uint32_t>(layout);
    if (charset <= kLastCharset) locale.charset = static_cast<uint8_t>(charset);
}

const InputLocale& CurrentInputLocale() { return Stored(); }

void ResetInputLocale() { Stored() = InputLocale{}; }

}  // namespace ql
