// "Set Image" (see set_image_dialog.h).
#include "objects/text_marks/set_image_dialog.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

#include "core/draw/fonts.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/objects/class_table.h"
#include "core/text/charset_text.h"
#include "core/text/text_dialog_controls.h"
#include "core/text/text_object.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "objects/object_dialogs.h"
#include "objects/quick_fonts/text_fonts.h"
#include "objects/text_marks/font_panel.h"
#include "objects/text_marks/symbol_picker.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "objects/text_marks/text_entry.h"
#include "objects/text_marks/text_line.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/window.h"

namespace ql {
namespace {

using namespace set_image_dialog;
using platform::WindowHandle;

constexpr uint16_t kCodeMask = 0x00FF;

// The dialog's copy of the object being edited.
struct ImageSession {
    ScoreView* view = nullptr;
    TextImage opening;  // what the dialog opened with: OK without a change ends as Cancel
    TextObjectBody body{};
    std::string text;
    bool filling = false;
    FontPanel panel;
};

ImageSession* g_session = nullptr;

bool IsText(const TextObjectBody& body) {
    return (body.flags & kTextOwnsString) != 0;
}
bool IsOwnFont(const TextObjectBody& body) {
    return (body.flags & kTextOwnFont) != 0;
}

// The fields the file stores, with the text: what "unchanged" compares.
std::string StoredFormOf(const TextObjectBody& body, const std::string& text) {
    TextObjectBody stored = body;
    stored.fontCache = 0;
    stored.bitmapCache = 0;
    stored.stringPool = 0;
    if (IsText(stored)) stored.string = 0;
    std::string bytes(reinterpret_cast<const char*>(&stored), sizeof stored);
    return IsText(body) ? bytes + text : bytes;
}

void ShowMode(WindowHandle dialog, const ImageSession& s) {
    const bool text = IsText(s.body);
    ui::CheckRadioButton(dialog, kTextLine, kSingleSymbol, text ? kTextLine : kSingleSymbol);
    ui::ShowItem(dialog, kText, text);
    ui::ShowItem(dialog, kSymbol, !text);
    ui::ShowItem(dialog, kSelectSymbol, !text);
    if (!text)
        ui::SetItemText(dialog, kSymbol,
                        std::string(1, static_cast<char>(s.body.string & kCodeMask)));
}

// The text or the symbol shown in the font the dialog has chosen so far (a face
// picked in the chooser before it has its place in the document's table).
void ShowInChosenFont(WindowHandle dialog, ImageSession& s) {
    TextObject probe{};
    probe.body = s.body;
    s.filling = true;
    ShowControlInTextFont(&probe.header, s.view, dialog, IsText(s.body) ? kText : kSymbol,
                          IsOwnFont(s.body) ? std::string_view(s.panel.face) : std::string_view());
    s.filling = false;
}

void Open(WindowHandle dialog, ImageSession& s) {
    ui::SetEditLimit(ui::GetDialogItem(dialog, kText), kTextCharacters);
    s.filling = true;
    ui::SetItemText(dialog, kText, s.text);
    s.filling = false;
    ShowMode(dialog, s);
    s.panel = FontPanel{s.view, &s.body, false, {}};
    OpenFontPanel(dialog, s.panel);
    ShowInChosenFont(dialog, s);
}

void ToText(WindowHandle dialog, ImageSession& s) {
    if (IsText(s.body)) return;
    s.text = std::string(1, static_cast<char>(s.body.string & kCodeMask));
    s.body.flags = static_cast<uint16_t>((s.body.flags & ~kTextMusicGlyph) | kTextOwnsString);
    s.body.string = 0;
    s.filling = true;
    ui::SetItemText(dialog, kText, s.text);
    s.filling = false;
    ShowMode(dialog, s);
    ShowInChosenFont(dialog, s);
}

void ToSymbol(WindowHandle dialog, ImageSession& s) {
    if (!IsText(s.body)) return;
    s.text = ui::GetItemText(dialog, kText);
    const char code = s.text.empty() ? ' ' : s.text[0];
    s.body.flags = static_cast<uint16_t>(s.body.flags & ~(kTextOwnsString | kTextMusicGlyph));
    s.body.string = static_cast<uint8_t>(code);
    s.text.clear();
    ShowMode(dialog, s);
    ShowInChosenFont(dialog, s);
}

// The panel's values made valid, the text read, then the copy written back when it
// differs from the object.
void OnOk(WindowHandle dialog, ImageSession& s) {
    ApplyFontPanel(s.panel);
    if (IsText(s.body)) {
        s.text = ui::GetItemText(dialog, kText);
        TrimTrailingSpaces(s.text);
        if (s.text.empty()) s.text = kEmptyEntryText;
    } else {
        // A symbol of the music-font sizes or of face entry 0 is a mapped code.
        TextObject probe{};
        probe.body = s.body;
        probe.body.flags = static_cast<uint16_t>(probe.body.flags & ~kTextMusicGlyph);
        RefreshTextStyleFont(&probe);
        s.body.flags = probe.body.flags;
    }
    if (!IsOwnFont(s.body) && s.body.style > kLastProgramStyle)
        TheTextToolState().importedTextSlot = s.body.style;
    if (StoredFormOf(s.body, s.text) == StoredFormOf(s.opening.body, s.opening.text)) {
        ui::EndDialog(dialog, ui::kIdCancel);
        return;
    }
    ui::EndDialog(dialog, ui::kIdOk);
}

}  // namespace

intptr_t SetImageDialogProc(WindowHandle dialog, win::Message message, uint32_t word, intptr_t) {
    if (g_session == nullptr) return 0;
    ImageSession& s = *g_session;
    if (message == win::Message::InitDialog) {
        Open(dialog, s);
        return 0;
    }
    if (message != win::Message::Command || s.filling || s.panel.filling) return 0;
    const int id = static_cast<int>(win::CommandId(word));
    const uint32_t code = win::CommandCode(word);
    switch (id) {
        case kTextLine:
            ToText(dialog, s);
            return 1;
        case kSingleSymbol:
            ToSymbol(dialog, s);
            return 1;
        case kSelectSymbol: {
            win::EnableWindow(dialog, false);
            const bool picked = RunSelectSymbolDialog(s.view, &s.body) == ui::kIdOk;
            win::EnableWindow(dialog, true);
            if (picked) {
                s.panel.face.clear();
                ShowMode(dialog, s);
                ShowFontPanel(dialog, s.panel);
                ShowInChosenFont(dialog, s);
            }
            return 1;
        }
        case kHelp:
            ShowHelp(dialog, sys::HelpCommand::Context, kSetImageHelpContext, nullptr);
            return 1;
        case ui::kIdOk:
            OnOk(dialog, s);
            return 1;
        case ui::kIdCancel:
            ui::EndDialog(dialog, ui::kIdCancel);
            return 1;
        default:
            if (!HandleFontPanelCommand(dialog, s.panel, id, code)) return 0;
            ShowInChosenFont(dialog, s);
            return 1;
    }
}

TextImage TextImageOf(const TextObject* text) {
    const char* string = TextObjectString(text);
    return TextImage{text->body, string != nullptr ? string : ""};
}

bool SameStoredImage(const TextImage& a, const TextImage& b) {
    return StoredFormOf(a.body, a.text) == StoredFormOf(b.body, b.text);
}

bool ApplyTextImage(TextObject* target, const TextImage& image) {
    const bool toText = IsText(image.body);
    const uint16_t pool = target->body.stringPool;
    const uint16_t handle = target->body.string;
    const bool hadString = IsText(target->body);
    target->body = image.body;
    target->body.fontCache = 0;
    target->body.bitmapCache = 0;
    if (toText) {
        target->body.stringPool = pool;
        target->body.string = hadString ? handle : 0;
        if (!hadString && !GiveEmptyTextString(target)) {
            target->body.flags = static_cast<uint16_t>(target->body.flags & ~kTextOwnsString);
            return false;
        }
        SetTextObjectString(target, image.text.c_str());
    } else if (hadString) {
        TextObject old{};
        old.body.flags = kTextOwnsString;
        old.body.stringPool = pool;
        old.body.string = handle;
        if (char* string = TextObjectString(&old)) FreeRecord(pool, string);
    }
    return true;
}

ScratchTextObject::ScratchTextObject(const TextObject& model, const TextImage& image) : object_(model) {
    object_.body.flags = static_cast<uint16_t>(object_.body.flags & ~kTextOwnsString);
    object_.body.string = 0;
    object_.body.stringPool = 0;
    object_.body.fontCache = 0;
    object_.body.bitmapCache = 0;
    ApplyTextImage(&object_, image);
}

ScratchTextObject::~ScratchTextObject() {
    DestroyTextObject(&object_);
}

bool RunTextImageDialog(ScoreView* view, TextImage* image) {
    if (image == nullptr || view == nullptr || view->document == nullptr || g_session != nullptr) return false;
    ImageSession session;
    session.view = view;
    session.opening = *image;
    session.body = image->body;
    session.text = image->text;
    g_session = &session;
    const intptr_t result = ModalDialogBox(view, kSetImageDialog, &SetImageDialogProc);
    g_session = nullptr;
    if (result != ui::kIdOk) return false;
    *image = TextImage{session.body, session.text};
    return true;
}

int OpenTextPropertiesDialog(ScoreObject* object, ScoreView* view) {
    if (object == nullptr) return 0;
    TextImage image = TextImageOf(AsTextObject(object));
    if (!RunTextImageDialog(view, &image)) return 0;
    if (!ApplyTextImage(AsTextObject(object), image)) return 0;
    SetDocumentModified(view->document);
    ClassOf(object).Measure(object, view);
    return 1;
}

}  // namespace ql
