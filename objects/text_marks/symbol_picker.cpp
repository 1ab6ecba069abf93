// "Select Symbol" (see symbol_picker.h).
#include "objects/text_marks/symbol_picker.h"

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>

#include "core/model/score_document.h"
#include "core/text/charset_text.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "objects/quick_fonts/font_choice.h"
#include "objects/quick_fonts/text_fonts.h"
#include "objects/text_marks/symbol_grid.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "objects/text_marks/text_line.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"

namespace ql {
namespace {

using namespace select_symbol_dialog;
using platform::WindowHandle;

constexpr uint16_t kCodeMask = 0x00FF;
constexpr char kQuickFontLabel[] = "Quick Font:";
constexpr char kOwnFontLabel[] = "Font:";

class SymbolSession {
  public:
    SymbolSession(ScoreView* view, TextObjectBody* body) : view_(view), body_(body), copy_(*body) {}
    intptr_t Handle(WindowHandle dialog, win::Message message, uint32_t word, intptr_t data);

  private:
    void Open(WindowHandle dialog);
    void ShowFontMode(WindowHandle dialog);
    void UseQuickFont(WindowHandle dialog, int slot);
    void UseOwnFont(WindowHandle dialog);
    void ShowCode(WindowHandle dialog);
    void PickCode(WindowHandle dialog, int code);
    void OnCodeTyped(WindowHandle dialog);
    void OnSelectFont(WindowHandle dialog);
    void OnOk(WindowHandle dialog);
    int Code() const { return copy_.string & kCodeMask; }
    bool IsOwnFont() const { return (copy_.flags & kTextOwnFont) != 0; }

    ScoreView* view_;
    TextObjectBody* body_;
    TextObjectBody copy_;
    std::string face_;  // an own face chosen, entered in the face-name table on OK
    SymbolGridState grid_;
    bool filling_ = false;
};

void SymbolSession::Open(WindowHandle dialog) {
    if (Code() == 0) {
        const PickedSymbol& last = TheTextToolState().lastSymbol;
        copy_.string = last.code;
        copy_.style = last.slot;
        copy_.charset = last.charset;
        copy_.flags = static_cast<uint16_t>(last.ownFont ? copy_.flags | kTextOwnFont
                                                         : copy_.flags & ~kTextOwnFont);
    }
    WindowHandle combo = ui::GetDialogItem(dialog, kQuickFonts);
    for (const QuickFontRecord& font : view_->document->fonts)
        ui::ComboAddString(combo,
                           std::string_view(font.name, strnlen(font.name, sizeof font.name)));
    grid_.picked = [this, dialog](int code) { PickCode(dialog, code); };
    AttachSymbolGrid(ui::GetDialogItem(dialog, kGrid), &grid_);
    AttachSymbolGrid(ui::GetDialogItem(dialog, kPreview), &grid_);
    ShowFontMode(dialog);
    filling_ = true;
    SetupSpinControl(dialog, kCode, 0, kLastSymbolCode, Code(), true);
    filling_ = false;
    ShowCode(dialog);
}

// A quick font shows its combo, an own face its face and character set in the
// caption, with "Select Font..." beside it.
void SymbolSession::ShowFontMode(WindowHandle dialog) {
    const bool own = IsOwnFont();
    ui::CheckRadioButton(dialog, kWinFontRadio, kQuickFontRadio,
                         own ? kWinFontRadio : kQuickFontRadio);
    ui::SetItemText(dialog, kFontLabel, own ? kOwnFontLabel : kQuickFontLabel);
    ui::ShowItem(dialog, kQuickFonts, !own);
    ui::ComboSetSelection(ui::GetDialogItem(dialog, kQuickFonts),
                          own ? -1 : TextStyleSlotOf(copy_.style));
    ui::ShowItem(dialog, kFontCaption, own);
    ui::ShowItem(dialog, kSelectFont, own);
    ui::EnableItem(dialog, kSelectFont, own);
    const QuickFontRecord record = own ? OwnFaceRecord(view_->document, copy_, face_)
                                       : view_->document->fonts[TextStyleSlotOf(copy_.style)];
    grid_.face.assign(record.face, strnlen(record.face, sizeof record.face));
    grid_.charset = own ? copy_.charset : record.charset;
    RefreshSymbolGrid(ui::GetDialogItem(dialog, kGrid));
    RefreshSymbolGrid(ui::GetDialogItem(dialog, kPreview));
    if (own) SetCharsetCaption(dialog, kFontCaption, copy_.charset, grid_.face);
}

// A quick font takes the slot's character set and leaves the own face.
void SymbolSession::UseQuickFont(WindowHandle dialog, int slot) {
    copy_.style = CheckedQuickSlot(slot, 0);
    copy_.charset = view_->document->fonts[copy_.style].charset;
    copy_.flags = static_cast<uint16_t>(copy_.flags & ~kTextOwnFont);
    face_.clear();
    ShowFontMode(dialog);
}

// An own face starts from the quick font's face and character set; it enters the
// face-name table on OK.
void SymbolSession::UseOwnFont(WindowHandle dialog) {
    if (IsOwnFont()) return;
    const QuickFontRecord& quick = view_->document->fonts[TextStyleSlotOf(copy_.style)];
    face_.assign(quick.face, strnlen(quick.face, sizeof quick.face));
    copy_.charset = quick.charset;
    copy_.flags = static_cast<uint16_t>(copy_.flags | kTextOwnFont);
    ShowFontMode(dialog);
}

void SymbolSession::ShowCode(WindowHandle dialog) {
    ui::SetItemInt(dialog, kGrid, SymbolPageBase(Code()));
    grid_.code = Code();
    RefreshSymbolGrid(ui::GetDialogItem(dialog, kGrid));
    RefreshSymbolGrid(ui::GetDialogItem(dialog, kPreview));
}

// A code picked in the grid is shown in the code edit.
void SymbolSession::PickCode(WindowHandle dialog, int code) {
    copy_.string = static_cast<uint16_t>(std::clamp(code, 0, kLastSymbolCode));
    filling_ = true;
    ui::SetItemInt(dialog, kCode, Code());
    filling_ = false;
    ShowCode(dialog);
}

void SymbolSession::OnCodeTyped(WindowHandle dialog) {
    const std::optional<int32_t> typed = ui::GetItemInt(dialog, kCode);
    if (!typed) return;
    const int code = TypedSymbolCode(*typed, Code());
    copy_.string = static_cast<uint16_t>(code);
    if (code != *typed) {
        filling_ = true;
        ui::SetItemInt(dialog, kCode, code);
        filling_ = false;
    }
    ShowCode(dialog);
}

// The chooser on the own face: its face and charset are taken.
void SymbolSession::OnSelectFont(WindowHandle dialog) {
    if (!IsOwnFont()) return;
    QuickFontRecord record = OwnFaceRecord(view_->document, copy_, face_);
    if (!ChooseFontInto(view_->document, &record)) return;
    face_.assign(record.face, strnlen(record.face, sizeof record.face));
    copy_.charset = record.charset;
    ShowFontMode(dialog);
}

void SymbolSession::OnOk(WindowHandle dialog) {
    if (IsOwnFont() && !face_.empty()) copy_.style = OwnFaceIndex(view_->document, face_.c_str());
    copy_.flags = static_cast<uint16_t>(copy_.flags & ~kTextOwnsString);
    TheTextToolState().lastSymbol = {static_cast<uint8_t>(Code()), copy_.style,
                                     static_cast<uint8_t>(IsOwnFont() ? 1 : 0), copy_.charset};
    *body_ = copy_;
    ui::EndDialog(dialog, ui::kIdOk);
}

intptr_t SymbolSession::Handle(WindowHandle dialog, win::Message message, uint32_t word,
                               intptr_t data) {
    if (message == win::Message::InitDialog) {
        Open(dialog);
        return 0;
    }
    if (message == win::Message::VerticalScroll) {
        const win::ScrollCode step = win::ScrollCodeOf(word);
        if (win::WindowFromData(data) != ui::GetDialogItem(dialog, kPageSpin)) return 0;
        if (step != win::ScrollCode::LineUp && step != win::ScrollCode::LineDown) return 0;
        copy_.string = static_cast<uint16_t>(
            SymbolCodeAfterPageStep(Code(), step == win::ScrollCode::LineUp ? 1 : -1));
        filling_ = true;
        ui::SetItemInt(dialog, kCode, Code());
        filling_ = false;
        ShowCode(dialog);
        return 1;
    }
    if (message != win::Message::Command || filling_) return 0;
    const int id = static_cast<int>(win::CommandId(word));
    const uint32_t code = win::CommandCode(word);
    switch (id) {
        case kCode:
            if (code == ui::kEditChange) OnCodeTyped(dialog);
            return 1;
        case kQuickFonts:
            if (code == ui::kComboSelectionChanged)
                UseQuickFont(dialog, ui::ComboGetSelection(ui::GetDialogItem(dialog, kQuickFonts)));
            return 1;
        case kQuickFontRadio:
            if (IsOwnFont()) UseQuickFont(dialog, kSymbolSlot);
            return 1;
        case kWinFontRadio:
            UseOwnFont(dialog);
            return 1;
        case kSelectFont:
            OnSelectFont(dialog);
            return 1;
        case kHelp:
            ShowHelp(dialog, sys::HelpCommand::Context, kSelectSymbolHelpContext, nullptr);
            return 1;
        case ui::kIdOk:
            OnOk(dialog);
            return 1;
        case ui::kIdCancel:
            ui::EndDialog(dialog, ui::kIdCancel);
            return 1;
        default:
            return 0;
    }
}

}  // namespace

int SymbolAtGridPoint(int x, int y, int width, int height, int pageBase) {
    const int columnWidth = std::max(width / kSymbolGridColumns, 1);
    const int rowHeight = std::max(height / kSymbolGridRows, 1);
    const int column = std::clamp(x / columnWidth, 0, kSymbolGridColumns - 1);
    const int row = std::clamp(y / rowHeight, 0, kSymbolGridRows - 1);
    return SymbolPageBase(pageBase) + row * kSymbolGridColumns + column;
}

int SymbolPageBase(int code) {
    return code >= kSymbolPageCodes ? kSymbolPageCodes : 0;
}

int TypedSymbolCode(int typed, int old) {
    return typed >= 0 && typed <= kLastSymbolCode ? typed : old;
}

int SymbolCodeAfterPageStep(int code, int direction) {
    const bool upper = code >= kSymbolPageCodes;
    if (direction > 0 && !upper) return code + kSymbolPageCodes;
    if (direction < 0 && upper) return code - kSymbolPageCodes;
    return code;
}

int RunSelectSymbolDialog(ScoreView* view, TextObjectBody* body) {
    if (view == nullptr || view->document == nullptr || body == nullptr) return ui::kIdCancel;
    EnsureSymbolGridClass();
    SymbolSession session(view, body);
    const intptr_t result = ModalDialogBox(
        view, kSelectSymbolDialog,
        [&session](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) {
            return session.Handle(dialog, message, word, data);
        });
    return result == ui::kIdOk ? ui::kIdOk : ui::kIdCancel;
}

}  // namespace ql
