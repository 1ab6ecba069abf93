// Text put into a text-entry control: pasted clipboard text (UTF-8, converted to the
// control's character set) and input-method results (UTF-16). Either is refused with
// a beep when the control's text would pass 1,023 bytes; nothing is ever cut short.
#include <algorithm>
#include <string>

#include "core/text/charset_text.h"
#include "display/font_locale.h"
#include "display/input_locale.h"
#include "platform/text/charset_utf8.h"
#include "platform/text/code_page.h"
#include "platform/ui/controls.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {

void TrimTrailingSpaces(std::string& text) {
    constexpr unsigned char kLastBlankCode = 32;
    while (!text.empty()) {
        const auto last = static_cast<unsigned char>(text.back());
        if (last < 1 || last > kLastBlankCode) break;
        text.pop_back();
    }
}

bool SpliceWithinLimit(std::string& text, int32_t start, int32_t end, std::string_view insert) {
    const auto size = static_cast<int32_t>(text.size());
    if (end < 0 || end > size) end = size;
    start = std::clamp(start, 0, end);
    const size_t kept = text.size() - static_cast<size_t>(end - start);
    if (kept + insert.size() > kMaxEntryTextBytes) return false;
    text.replace(static_cast<size_t>(start), static_cast<size_t>(end - start), insert);
    return true;
}

int InsertTextAtSelection(platform::WindowHandle edit, std::string_view text, bool select) {
    std::string content = win::GetWindowText(edit);
    const ui::EditSelection selection = ui::GetEditSelection(edit);
    const int32_t start = std::min(selection.start, selection.end);
    const int32_t end = std::max(selection.start, selection.end);
    if (!SpliceWithinLimit(content, start, end, text)) return 0;
    if (!ui::ReplaceEditSelection(edit, text)) return 0;
    const auto after = static_cast<int32_t>(std::min<size_t>(content.size(), start + text.size()));
    ui::SelectEditText(edit, select ? start : after, after);
    return 1;
}

std::string PastedTextInCharset(uint8_t charset, std::string_view utf8) {
    std::string converted = text::Utf8ToCharsetText(charset, utf8);
    TrimTrailingSpaces(converted);
    return converted;
}

int PasteTextInCharset(platform::WindowHandle edit, std::string_view utf8, uint8_t charset) {
    const std::string converted = PastedTextInCharset(charset, utf8);
    if (converted.empty() || InsertTextAtSelection(edit, converted, true) == 0) {
        ui::Beep(ui::BeepKind::Default);
        return 0;
    }
    return 1;
}

int InsertInputMethodResult(platform::WindowHandle edit, std::u16string_view result,
                            uint8_t charset) {
    const std::string converted = text::EncodeCharsetText(charset, text::DecodeUtf16(result));
    if (converted.size() > kMaxEntryTextBytes || InsertTextAtSelection(edit, converted, false) == 0) {
        ui::Beep(ui::BeepKind::Default);
        return 0;
    }
    return 1;
}

uint32_t SelectKeyboardLayoutForCharset(uint8_t /*charset*/, uint32_t currentLayout) {
    return currentLayout;
}

uint32_t ActivateKeyboardLayoutForCharset(uint32_t /*layout*/, uint8_t charset, uint32_t fallback) {
    const uint32_t current = CurrentInputLocale().layout;
    return LanguageCharset(PrimaryLanguageOf(current)) == charset ? current : fallback;
}

}  // namespace ql
