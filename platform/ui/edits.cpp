// Edit controls: limit, selection, replacing the selection (typing), read-only.
// Positions count characters of the control's 8-bit text.
#include <algorithm>

#include "platform/ui/control_state.h"

namespace ql::ui {
namespace {

using detail::EditState;
using detail::StateOf;

int32_t TextLength(WindowHandle edit) { return static_cast<int32_t>(win::GetWindowText(edit).size()); }

void ClampSelection(WindowHandle edit, EditState& s) {
    int32_t length = TextLength(edit);
    s.selectionStart = std::clamp(s.selectionStart, 0, length);
    s.selectionEnd = std::clamp(s.selectionEnd, 0, length);
    if (s.selectionStart > s.selectionEnd) std::swap(s.selectionStart, s.selectionEnd);
}

}  // namespace

bool SetEditLimit(WindowHandle edit, uint32_t maxCharacters) {
    auto* s = StateOf<EditState>(edit);
    if (!s) return false;
    s->limit = maxCharacters;
    return true;
}

uint32_t GetEditLimit(WindowHandle edit) {
    auto* s = StateOf<EditState>(edit);
    return s ? s->limit : 0;
}

bool SetEditFont(WindowHandle edit, const ControlFont& font) {
    auto* s = StateOf<EditState>(edit);
    if (!s || font.height < 1) return false;
    s->font = font;
    return true;
}

std::optional<ControlFont> GetEditFont(WindowHandle edit) {
    auto* s = StateOf<EditState>(edit);
    return s ? s->font : std::nullopt;
}

bool SelectEditText(WindowHandle edit, int32_t start, int32_t end) {
    auto* s = StateOf<EditState>(edit);
    if (!s) return false;
    s->selectionStart = start;
    s->selectionEnd = end < 0 ? TextLength(edit) : end;
    ClampSelection(edit, *s);
    return true;
}

bool SelectAllEditText(WindowHandle edit) { return SelectEditText(edit, 0, -1); }

EditSelection GetEditSelection(WindowHandle edit) {
    auto* s = StateOf<EditState>(edit);
    if (!s) return EditSelection{};
    ClampSelection(edit, *s);
    return EditSelection{s->selectionStart, s->selectionEnd};
}

bool ReplaceEditSelection(WindowHandle edit, std::string_view text) {
    auto* s = StateOf<EditState>(edit);
    if (!s || IsEditReadOnly(edit)) return false;
    ClampSelection(edit, *s);
    std::string content = win::GetWindowText(edit);
    auto start = static_cast<size_t>(s->selectionStart);
    auto removed = static_cast<size_t>(s->selectionEnd - s->selectionStart);
    std::string_view inserted = text;
    if (s->limit != 0) {
        size_t room = content.size() - removed >= s->limit ? 0 : s->limit - (content.size() - removed);
        inserted = inserted.substr(0, room);
    }
    s->selectionStart = s->selectionEnd = static_cast<int32_t>(start + inserted.size());
    // Nothing to remove and nothing that fits: the text stays, and no change is told.
    if (removed == 0 && inserted.empty()) return true;
    content.replace(start, removed, inserted);
    win::SetWindowText(edit, content);
    detail::NotifyParent(edit, kEditChange);
    return true;
}

bool SetEditReadOnly(WindowHandle edit, bool readOnly) {
    if (!StateOf<EditState>(edit)) return false;
    uint32_t style = win::GetStyle(edit);
    win::SetStyle(edit, readOnly ? (style | kEditReadOnly) : (style & ~kEditReadOnly));
    return true;
}

bool IsEditReadOnly(WindowHandle edit) {
    return StateOf<EditState>(edit) && (win::GetStyle(edit) & kEditReadOnly) != 0;
}

bool IsEditMultiLine(WindowHandle edit) {
    return StateOf<EditState>(edit) && (win::GetStyle(edit) & kEditMultiLine) != 0;
}

}  // namespace ql::ui
