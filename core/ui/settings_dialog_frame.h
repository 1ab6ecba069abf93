// The frame of every settings dialog procedure: InitDialog fills the controls,
// OK stores and ends with 1, Cancel ends with 2, the help button, F1 and the logo
// are answered for the dialog's help topic, and other commands go to the dialog.
#pragma once

#include <algorithm>
#include <cstdint>

#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/typed_numbers.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {

// A dialog procedure's body: `init` on InitDialog, `ok` before OK ends the dialog,
// `command` for the other commands (true when taken).
template <typename Init, typename Ok, typename Command>
intptr_t RunSettingsDialog(int32_t dialogId, uint32_t helpTopic, Init init, Ok ok, Command command) {
    return PlainModalDialogBox(dialogId, [&](platform::WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) -> intptr_t {
        if (message == win::Message::InitDialog) {
            init(dialog);
            EnableHelpButton(dialog, nullptr);
            return 1;
        }
        if (message == win::Message::Command) {
            const int32_t id = win::CommandId(word);
            if (id == ui::kIdOk) {
                ok(dialog);
                ui::EndDialog(dialog, 1);
                return 1;
            }
            if (id == ui::kIdCancel) {
                ui::EndDialog(dialog, 2);
                return 1;
            }
            if (command(dialog, id, word >> 16)) return 1;
        }
        return std::max<intptr_t>(CommonDialogMessage(dialog, message, word, data, helpTopic), 0);
    });
}

inline constexpr auto kNoCommand = [](platform::WindowHandle, int32_t, uint32_t) { return false; };

}  // namespace ql
