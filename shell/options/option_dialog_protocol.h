// The protocol the small option dialogs share: InitDialog fills the controls, OK
// stores and ends with 1 (or keeps the dialog open when the store refuses), Cancel
// ends with 2, Help and F1 show the dialog's topic, and the logo is drawn.
#pragma once

#include <cstdint>

#include "core/ui/help.h"
#include "platform/handles.h"
#include "platform/ui/dialog.h"
#include "platform/win/messages.h"

namespace ql {

// `init(dialog)` on InitDialog; `store(dialog)` on OK, true to end; `other(dialog,
// command)` for any other command, its answer returned.
template <typename Init, typename Store, typename Other>
intptr_t OptionDialogProc(platform::WindowHandle dialog, win::Message message, uint32_t word, intptr_t data,
                          uint32_t helpId, Init init, Store store, Other other) {
    switch (message) {
        case win::Message::InitDialog:
            init(dialog);
            EnableHelpButton(dialog, nullptr);
            return 0;
        case win::Message::Command:
            switch (win::CommandId(word)) {
                case ui::kIdOk:
                    if (store(dialog)) ui::EndDialog(dialog, 1);
                    return 1;
                case ui::kIdCancel: ui::EndDialog(dialog, 2); return 1;
                case kHelpButtonId: return ShowDialogContextHelp(dialog, helpId, nullptr);
                default: return other(dialog, static_cast<int32_t>(win::CommandId(word)));
            }
        case win::Message::DrawItem: return DrawDialogLogo(reinterpret_cast<const win::DrawItemInfo*>(data));
        case win::Message::Help:
            return ShowDialogContextHelp(dialog, helpId, reinterpret_cast<const win::HelpInfo*>(data));
        default: return 0;
    }
}

// An `other` for dialogs without further commands.
inline intptr_t NoOtherCommand(platform::WindowHandle, int32_t) { return 0; }

}  // namespace ql
