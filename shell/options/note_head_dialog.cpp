// The Set Note-head dialog (847): eighteen head buttons with their faces, the
// chosen head named under them. OK keeps the choice, Reset asks for the normal
// head, Cancel changes nothing. Its caller is the Note tool's head command.
#include <algorithm>

#include "core/core_strings.h"
#include "core/ui/modal_boxes.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/win/input.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/options/note_head_dialog.h"
#include "shell/options/note_head_faces.h"
#include "shell/options/option_dialog_protocol.h"
#include "shell/resources/option_dialog_resources.h"

namespace ql {
namespace {

namespace n = note_head_dialog;
using platform::WindowHandle;

bool IsHeadButton(int32_t id) {
    return id >= n::kFirstHead && id < n::kFirstHead + kNoteHeadShapeCount;
}

void ShowChoice(WindowHandle dialog, int chosen) {
    win::SetWindowText(ui::GetDialogItem(dialog, n::kChoiceLabel), ProgramString(n::kStrFirstHeadName + chosen));
    for (int i = 0; i < kNoteHeadShapeCount; ++i)
        win::InvalidateRect(ui::GetDialogItem(dialog, n::kFirstHead + i), nullptr, false);
}

intptr_t NoteHeadProc(WindowHandle dialog, win::Message message, uint32_t word, intptr_t data, int& chosen) {
    if (message == win::Message::DrawItem) {
        const auto* item = reinterpret_cast<const win::DrawItemInfo*>(data);
        if (item != nullptr && IsHeadButton(item->controlId)) {
            const int shape = item->controlId - n::kFirstHead;
            return DrawNoteHeadFace(item->dc, item->rect, shape, shape == chosen) ? 1 : 0;
        }
    }
    const auto init = [&chosen](WindowHandle d) {
        ShowChoice(d, chosen);
        win::SetFocus(ui::GetDialogItem(d, ui::kIdOk));
    };
    const auto other = [&chosen](WindowHandle d, int32_t id) -> intptr_t {
        if (IsHeadButton(id)) {
            chosen = id - n::kFirstHead;
            ShowChoice(d, chosen);
            return 1;
        }
        if (id != n::kReset) return 0;
        ui::EndDialog(d, n::kReset);
        return 1;
    };
    return OptionDialogProc(dialog, message, word, data, n::kHelpId, init, [](WindowHandle) { return true; }, other);
}

}  // namespace

namespace program {

intptr_t RunNoteHeadDialog(ScoreView* /*view*/, int* head) {
    if (head == nullptr) return 2;
    int chosen = std::clamp(*head, 0, kNoteHeadShapeCount - 1);
    const intptr_t result = PlainModalDialogBox(
        n::kDialog, [&chosen](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) {
            return NoteHeadProc(dialog, message, word, data, chosen);
        });
    if (result == 1) *head = chosen;
    return result;
}

}  // namespace program
}  // namespace ql
