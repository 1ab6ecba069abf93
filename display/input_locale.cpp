// The stored input locale.
#include "display/input_locale.h"

#include "display/font_locale.h"

namespace ql {
namespace {

constexpr uint32_t kLastCharset = 0xFF;
constexpr uint32_t kDesktopDefaultCharset = 1;  // the default set: no set named

InputLocale& Stored() {
    static InputLocale locale;
    return locale;
}

}  // namespace

void SetInputLocale(uint32_t charset, intptr_t layout) {
    InputLocale& locale = Stored();
    if (charset == kDesktopDefaultCharset && layout == 0) {
        // The desktop's keyboard changed and named neither a layout nor a set: the
        // user's locale in the dialog set, as at start-up.
        locale = InputLocale{UserLocale(), DialogCharset()};
        return;
    }
    locale.layout = static_cast<uint32_t>(layout);
    if (charset <= kLastCharset) locale.charset = static_cast<uint8_t>(charset);
}

const InputLocale& CurrentInputLocale() { return Stored(); }

void ResetInputLocale() { Stored() = InputLocale{}; }

}  // namespace ql
