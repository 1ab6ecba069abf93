// "Setup QuickFonts" (see quick_fonts_dialog.h).
#include "objects/quick_fonts/quick_fonts_dialog.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/draw/fonts.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/settings_store.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "objects/quick_fonts/font_choice.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "platform/gfx/objects.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using namespace quick_fonts_dialog;
using platform::WindowHandle;

constexpr int kStartSlot = 4;
constexpr size_t kNameChars = 31;
constexpr uint32_t kQuickFontsHelpContext = 1387;
constexpr size_t kNumberText = 16;

int g_slot = kStartSlot;

// One run of the dialog on a document.
class QuickFontsSession {
  public:
    QuickFontsSession(ScoreView* view) : view_(view), fonts_(view->document->fonts) {}
    intptr_t Handle(WindowHandle dialog, win::Message message, uint32_t word);
    bool changed = false;

  private:
    void FillNames(WindowHandle dialog);
    void ShowSlot(WindowHandle dialog);
    void Rebuild();
    void OnName(WindowHandle dialog);
    void OnHeight(WindowHandle dialog);
    void Toggle(WindowHandle dialog, int id, uint8_t& field);
    intptr_t OnOk(WindowHandle dialog);

    ScoreView* view_;
    QuickFontRecord* fonts_;
    bool filling_ = false;
};

void QuickFontsSession::FillNames(WindowHandle dialog) {
    WindowHandle combo = ui::GetDialogItem(dialog, kSlots);
    ui::ComboResetContent(combo);
    for (int slot = 0; slot < kScoreFontCount; ++slot)
        ui::ComboAddString(combo,
                           std::string_view(fonts_[slot].name,
                                            strnlen(fonts_[slot].name, sizeof fonts_[slot].name)));
    ui::ComboSetSelection(combo, g_slot);
}

void QuickFontsSession::ShowSlot(WindowHandle dialog) {
    const QuickFontRecord& font = fonts_[g_slot];
    filling_ = true;
    ui::CheckItem(dialog, kBold, font.bold != 0);
    ui::CheckItem(dialog, kItalic, font.italic != 0);
    ui::CheckItem(dialog, kUnderline, font.underline != 0);
    char text[kNumberText];
    ui::SetItemText(
        dialog, kHeight,
        FormatFixed160(static_cast<uint16_t>(std::abs(font.height)), text, sizeof text));
    filling_ = false;
}

// The slot's font made again from its record.
void QuickFontsSession::Rebuild() {
    QuickFontRecord& font = fonts_[g_slot];
    if (font.handle != 0) gfx::DeleteObject(platform::FontHandle{font.handle});
    font.handle = 0;
    CreateTextStyleFont(view_, g_slot);
    changed = true;
}

void QuickFontsSession::OnName(WindowHandle dialog) {
    const std::string name = ui::GetItemText(dialog, kName).substr(0, kNameChars);
    QuickFontRecord& font = fonts_[g_slot];
    std::memset(font.name, 0, sizeof font.name);
    std::memcpy(font.name, name.data(), name.size());
    changed = true;
    FillNames(dialog);
}

void QuickFontsSession::OnHeight(WindowHandle dialog) {
    const uint16_t units = ParseFixed160(ui::GetItemText(dialog, kHeight));
    QuickFontRecord& font = fonts_[g_slot];
    // A stored negative height is a character height: the sign is kept.
    const auto height = static_cast<int16_t>(std::min<int>(units, INT16_MAX));
    font.height = font.height < 0 ? static_cast<int16_t>(-height) : height;
    Rebuild();
}

void QuickFontsSession::Toggle(WindowHandle dialog, int id, uint8_t& field) {
    field = ui::IsItemChecked(dialog, id) ? 1 : 0;
    Rebuild();
}

intptr_t QuickFontsSession::OnOk(WindowHandle dialog) {
    if (ui::IsItemChecked(dialog, kSavePreferences)) {
        std::copy(fonts_, fonts_ + kScoreFontCount, ProgramPreferences().fonts);
        for (QuickFontRecord& font : ProgramPreferences().fonts) font.handle = 0;
        SaveQuickFontPrefs();
    }
    if (changed) SetDocumentModified(view_->document);
    ui::EndDialog(dialog, ui::kIdOk);
    return 1;
}

intptr_t QuickFontsSession::Handle(WindowHandle dialog, win::Message message, uint32_t word) {
    if (message == win::Message::InitDialog) {
        FillNames(dialog);
        ui::ShowItem(dialog, kName, false);
        ShowSlot(dialog);
        return 0;
    }
    if (message != win::Message::Command || filling_) return 0;
    const int id = static_cast<int>(win::CommandId(word));
    const uint32_t code = win::CommandCode(word);
    switch (id) {
        case kSlots:
            if (code != ui::kComboSelectionChanged) return 0;
            g_slot = std::clamp(ui::ComboGetSelection(ui::GetDialogItem(dialog, kSlots)), 0,
                                kScoreFontCount - 1);
            ShowSlot(dialog);
            return 1;
        case kSetName:
            ui::ShowItem(dialog, kName, true);
            ui::SetItemText(dialog, kName, fonts_[g_slot].name);
            return 1;
        case kName:
            if (code == ui::kEditChange && win::IsWindowVisible(ui::GetDialogItem(dialog, kName)))
                OnName(dialog);
            return 1;
        case kSelect:
            if (ChooseFontInto(view_->document, &fonts_[g_slot])) {
                ShowSlot(dialog);
                Rebuild();
            }
            return 1;
        case kHeight:
            if (code == ui::kEditChange) OnHeight(dialog);
            return 1;
        case kBold:
            Toggle(dialog, id, fonts_[g_slot].bold);
            return 1;
        case kItalic:
            Toggle(dialog, id, fonts_[g_slot].italic);
            return 1;
        case kUnderline:
            Toggle(dialog, id, fonts_[g_slot].underline);
            return 1;
        case kHelp:
            ShowHelp(dialog, sys::HelpCommand::Context, kQuickFontsHelpContext, nullptr);
            return 1;
        case ui::kIdOk:
            return OnOk(dialog);
        case ui::kIdCancel:
            ui::EndDialog(dialog, ui::kIdCancel);
            return 1;
        default:
            return 0;
    }
}

}  // namespace

int& CurrentQuickFontSlot() {
    return g_slot;
}

int SetupQuickFonts(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return ui::kIdCancel;
    g_slot = std::clamp(g_slot, 0, kScoreFontCount - 1);
    QuickFontsSession session(view);
    const intptr_t result =
        ModalDialogBox(view, kSetupQuickFontsDialog,
                       [&session](WindowHandle dialog, win::Message message, uint32_t word,
                                  intptr_t) { return session.Handle(dialog, message, word); });
    return result == ui::kIdOk ? ui::kIdOk : ui::kIdCancel;
}

}  // namespace ql
