// Text put into a text-entry control: pasted clipboard text (UTF-8, converted to the
// control's character set) and input-method results (UTF-16). Either is refused with
// a beep when the control's text would pass 1,023 bytes; nothing is ever cut short.
#include <algorithm>
#include <string>

#include "display/charset_text.h"
#include "platform/text/code_page.h"
#include "platform/ui/controls.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {

namespace {

constexpr char kUnconvertible = '?';

// Bytes that follow a UTF-8 lead byte, and the bits the lead byte carries; -1 for a
// byte that cannot lead.
int ContinuationBytes(unsigned char lead, char32_t* bits) {
    if (lead < 0x80) { *bits = lead; return 0; }
    if ((lead & 0xE0) == 0xC0) { *bits = lead & 0x1F; return 1; }
    if ((lead & 0xF0) == 0xE0) { *bits = lead & 0x0F; return 2; }
    if ((lead & 0xF8) == 0xF0) { *bits = lead & 0x07; return 3; }
    return -1;
}

// Code points of UTF-8 text; a malformed sequence gives U+FFFD for its first byte.
std::u32string DecodeUtf8(std::string_view text) {
    std::u32string out;
    size_t i = 0;
    while (i < text.size()) {
        char32_t c = 0;
        const int extra = ContinuationBytes(static_cast<unsigned char>(text[i]), &c);
        bool valid = extra >= 0 && i + static_cast<size_t>(extra) < text.size();
        for (int k = 1; valid && k <= extra; ++k) {
            const auto next = static_cast<unsigned char>(text[i + static_cast<size_t>(k)]);
            valid = (next & 0xC0) == 0x80;
            c = (c << 6) | (next & 0x3F);
        }
        out.push_back(valid ? c : text::kReplacementCharacter);
        i += valid ? static_cast<size_t>(extra) + 1 : 1;
    }
    return out;
}

std::string EncodeForCharset(uint8_t charset, std::u32string_view text) {
    return text::EncodeCodePage(CodePageOfCharset(charset), text, kUnconvertible);
}

}  // namespace

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

int PasteTextInCharset(platform::WindowHandle edit, std::string_view utf8, uint8_t charset) {
    std::string converted = EncodeForCharset(charset, DecodeUtf8(utf8));
    TrimTrailingSpaces(converted);
    if (converted.empty() || InsertTextAtSelection(edit, converted, true) == 0) {
        ui::Beep(ui::BeepKind::Default);
        return 0;
    }
    return 1;
}

int InsertInputMethodResult(platform::WindowHandle edit, std::u16string_view result,
                            uint8_t charset) {
    const std::string converted = EncodeForCharset(charset, text::DecodeUtf16(result));
    if (converted.size() > kMaxEntryTextBytes || InsertTextAtSelection(edit, converted, false) == 0) {
        ui::Beep(ui::BeepKind::Default);
        return 0;
    }
    return 1;
}

uint32_t SelectKeyboardLayoutForCharset(uint8_t /*charset*/, uint32_t currentLayout) {
    return currentLayout;
}

}  // namespace ql
