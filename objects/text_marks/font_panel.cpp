// The font panel of the text dialogs (see font_panel.h).
#include "objects/text_marks/font_panel.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/draw/fonts.h"
#include "core/model/score_document.h"
#include "core/ui/dialog_fields.h"
#include "objects/quick_fonts/font_choice.h"
#include "objects/quick_fonts/text_fonts.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"

namespace ql {
namespace {

using namespace font_panel;
using platform::WindowHandle;

constexpr size_t kNumberText = 16;

bool IsOwnFont(const TextObjectBody& body) {
    return (body.flags & kTextOwnFont) != 0;
}

// The own face starts from the quick font shown: its face, size, attributes, charset.
void ToOwnFont(WindowHandle dialog, FontPanel& panel) {
    TextObjectBody& body = *panel.body;
    if (IsOwnFont(body)) return;
    const QuickFontRecord& quick = panel.view->document->fonts[TextStyleSlotOf(body.style)];
    body.style = OwnFaceIndex(panel.view->document, quick.face);
    body.size = quick.height;
    body.charset = quick.charset;
    body.flags = static_cast<uint16_t>(body.flags & ~(kTextBold | kTextItalic | kTextUnderline));
    body.flags |= kTextOwnFont | (quick.bold ? kTextBold : 0) | (quick.italic ? kTextItalic : 0) |
                  (quick.underline ? kTextUnderline : 0);
    panel.face.clear();
    ShowFontPanel(dialog, panel);
}

void ToQuickFont(WindowHandle dialog, FontPanel& panel) {
    TextObjectBody& body = *panel.body;
    if (!IsOwnFont(body)) return;
    body.flags = static_cast<uint16_t>(body.flags & ~kTextOwnFont);
    body.style = kDefaultTextStyle;
    panel.face.clear();
    ShowFontPanel(dialog, panel);
}

void ToggleFlag(WindowHandle dialog, FontPanel& panel, int id, uint16_t flag) {
    TextObjectBody& body = *panel.body;
    if (!IsOwnFont(body)) return;
    body.flags = static_cast<uint16_t>(ui::IsItemChecked(dialog, id) ? body.flags | flag
                                                                     : body.flags & ~flag);
}

// The height typed, in 160ths; a stored negative height keeps its sign.
void OnHeight(WindowHandle dialog, FontPanel& panel) {
    TextObjectBody& body = *panel.body;
    if (!IsOwnFont(body)) return;
    const auto units = static_cast<int16_t>(
        std::min<int>(ParseFixed160(ui::GetItemText(dialog, kHeight)), INT16_MAX));
    body.size = body.size < 0 ? static_cast<int16_t>(-units) : units;
}

void ChooseOwnFace(WindowHandle dialog, FontPanel& panel) {
    TextObjectBody& body = *panel.body;
    if (!IsOwnFont(body)) return;
    QuickFontRecord record = OwnFaceRecord(panel.view->document, body, panel.face);
    if (!ChooseFontInto(panel.view->document, &record)) return;
    panel.face.assign(record.face, strnlen(record.face, sizeof record.face));
    body.size = record.height;
    body.charset = record.charset;
    body.flags = static_cast<uint16_t>(body.flags & ~(kTextBold | kTextItalic | kTextUnderline));
    body.flags |= (record.bold ? kTextBold : 0) | (record.italic ? kTextItalic : 0) |
                  (record.underline ? kTextUnderline : 0);
    ShowFontPanel(dialog, panel);
}

}  // namespace

void OpenFontPanel(WindowHandle dialog, FontPanel& panel) {
    WindowHandle combo = ui::GetDialogItem(dialog, kQuickFonts);
    for (const QuickFontRecord& font : panel.view->document->fonts)
        ui::ComboAddString(combo,
                           std::string_view(font.name, strnlen(font.name, sizeof font.name)));
    ShowFontPanel(dialog, panel);
}

void ShowFontPanel(WindowHandle dialog, FontPanel& panel) {
    const TextObjectBody& body = *panel.body;
    panel.filling = true;
    const bool own = IsOwnFont(body);
    ui::CheckRadioButton(dialog, kQuickFontRadio, kWinFontRadio,
                         own ? kWinFontRadio : kQuickFontRadio);
    ui::ComboSetSelection(ui::GetDialogItem(dialog, kQuickFonts),
                          own ? -1 : TextStyleSlotOf(body.style));
    ui::EnableItem(dialog, kQuickFonts, !own);
    EnableDlgControls(dialog, own, {kSelectFont, kHeight, kBold, kItalic, kUnderline});
    char height[kNumberText];
    ui::SetItemText(
        dialog, kHeight,
        FormatFixed160(static_cast<uint16_t>(std::abs(body.size)), height, sizeof height));
    ui::CheckItem(dialog, kBold, (body.flags & kTextBold) != 0);
    ui::CheckItem(dialog, kItalic, (body.flags & kTextItalic) != 0);
    ui::CheckItem(dialog, kUnderline, (body.flags & kTextUnderline) != 0);
    panel.filling = false;
}

bool HandleFontPanelCommand(WindowHandle dialog, FontPanel& panel, int id, uint32_t code) {
    switch (id) {
        case kQuickFontRadio:
            ToQuickFont(dialog, panel);
            return true;
        case kWinFontRadio:
            ToOwnFont(dialog, panel);
            return true;
        case kQuickFonts:
            if (code == ui::kComboSelectionChanged)
                panel.body->style = CheckedQuickSlot(
                    ui::ComboGetSelection(ui::GetDialogItem(dialog, kQuickFonts)), 0);
            return true;
        case kSelectFont:
            ChooseOwnFace(dialog, panel);
            return true;
        case kHeight:
            if (code == ui::kEditChange) OnHeight(dialog, panel);
            return true;
        case kBold:
            ToggleFlag(dialog, panel, id, kTextBold);
            return true;
        case kItalic:
            ToggleFlag(dialog, panel, id, kTextItalic);
            return true;
        case kUnderline:
            ToggleFlag(dialog, panel, id, kTextUnderline);
            return true;
        default:
            return false;
    }
}

void ApplyFontPanel(FontPanel& panel) {
    TextObjectBody& body = *panel.body;
    if (!IsOwnFont(body)) {
        body.style = CheckedQuickSlot(body.style, 0);
        return;
    }
    if (!panel.face.empty()) {
        body.style = OwnFaceIndex(panel.view->document, panel.face.c_str());
        panel.face.clear();
    }
    if (body.style >= kFaceTableEntries) body.style = 0;
}

}  // namespace ql
