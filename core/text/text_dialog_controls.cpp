// The preview of a text object in a dialog control.
#include "core/text/text_dialog_controls.h"

#include <algorithm>
#include <cstring>

#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/text/text_object.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/win/window.h"

namespace ql {

void ShowControlInTextFont(ScoreObject* object, ScoreView* view, platform::WindowHandle dialog, int32_t control,
                           std::string_view face) {
    const platform::WindowHandle item = ui::GetDialogItem(dialog, control);
    if (!item || object == nullptr || view == nullptr) return;
    QuickFontRecord record{};
    ApplyTextDialogValues(AsTextObject(object), view->document, &record);
    ui::ControlFont font;
    if (face.empty()) font.face.assign(record.face, strnlen(record.face, sizeof record.face));
    else font.face = face;
    font.height = std::max(1, win::GetClientRect(item).Height() - 1);
    font.bold = record.bold != 0;
    font.italic = record.italic != 0;
    font.underline = record.underline != 0;
    font.charset = record.charset;
    ui::SetEditFont(item, font);
    ui::SetItemText(dialog, control, ui::GetItemText(dialog, control));
}

void FillTextDialogControls(ScoreObject* object, ScoreView* view, platform::WindowHandle dialog, int32_t control) {
    if (!ui::GetDialogItem(dialog, control) || object == nullptr || view == nullptr) return;
    const char* shown = TextClassOf(object).GetDisplayText(object, view);
    ui::SetItemText(dialog, control, shown != nullptr ? shown : "");
    ShowControlInTextFont(object, view, dialog, control);
}

}  // namespace ql
