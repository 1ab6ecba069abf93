// The settings dialogs' shared answers and clamped numbers (see typed_numbers.h).
#include "core/ui/typed_numbers.h"

#include <algorithm>
#include <optional>

#include "core/ui/help.h"
#include "platform/ui/controls.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {

intptr_t CommonDialogMessage(platform::WindowHandle dialog, win::Message message, uint32_t word, intptr_t data,
                             uint32_t helpTopic) {
    switch (message) {
        case win::Message::Command:
            if (win::CommandId(word) == kHelpButtonId) return ShowDialogContextHelp(dialog, helpTopic, nullptr);
            return -1;
        case win::Message::DrawItem: return DrawDialogLogo(reinterpret_cast<const win::DrawItemInfo*>(data));
        case win::Message::Help:
            return ShowDialogContextHelp(dialog, helpTopic, reinterpret_cast<const win::HelpInfo*>(data));
        default: return -1;
    }
}

int32_t TypedNumbers::Read(int32_t edit, int32_t low, int32_t high, int32_t fallback) {
    const std::optional<int32_t> typed = ui::GetItemInt(dialog_, edit);
    const int32_t value = typed.value_or(fallback);
    const int32_t kept = std::clamp(value, low, high);
    clamped_ = clamped_ || kept != value;
    return kept;
}

void TypedNumbers::BeepIfClamped() const {
    if (clamped_) ui::Beep(ui::BeepKind::Default);
}

}  // namespace ql
