// "Select Font" and the default text fonts (see select_font.h).
#include "objects/quick_fonts/select_font.h"

#include <cstring>
#include <string>

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/settings/program_options.h"
#include "core/settings/settings_store.h"
#include "core/state.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "objects/text_marks/font_panel.h"
#include "objects/text_marks/text_dialog_resources.h"
#include "platform/gfx/objects.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"

namespace ql {
namespace {

using namespace select_font_dialog;
using platform::WindowHandle;

DefaultFont PreferenceKeyOf(DefaultTextFont which) {
    return which == DefaultTextFont::Lyric ? DefaultFont::Lyric : DefaultFont::TextLine;
}

// The setting kept from a text body: the document's reference and the preferences'
// own-face values, with the face's name.
void StoreDefaultFont(ScoreDocument* document, DefaultTextFont which, const TextObjectBody& body) {
    const bool own = (body.flags & kTextOwnFont) != 0;
    FontRef& ref = document->fontRefs[static_cast<int>(which)];
    ref.flag = own ? 1 : 0;
    ref.faceIndex = body.style;
    DefaultFontSetting& setting = Options().DefaultFonts[static_cast<int>(which)];
    setting.winFont = own ? 1 : 0;
    setting.slot = body.style;
    setting.height = body.size;
    setting.bold = (body.flags & kTextBold) != 0;
    setting.italic = (body.flags & kTextItalic) != 0;
    setting.underline = (body.flags & kTextUnderline) != 0;
    setting.charset = body.charset;
    const char* face = own ? document->faceNames[TextFaceIndexOf(body.style)].name
                           : document->fonts[TextStyleSlotOf(body.style)].face;
    setting.face.assign(face, strnlen(face, kFaceNameChars));
}

// The Text tool's style as a text body, and back (the style a text object takes
// for the tool's style command).
TextObjectBody ToolStyleBody() {
    const ProgramGlobals& tool = State().program;
    TextObjectBody body{};
    if (tool.TextToolStyle >= 0) {
        body.style = static_cast<uint8_t>(tool.TextToolStyle);
        return body;
    }
    body.style = static_cast<uint8_t>(-tool.TextToolStyle);
    body.size = tool.TextToolSize;
    body.flags = static_cast<uint16_t>(tool.TextToolFlags | kTextOwnFont);
    body.charset = tool.TextToolCharset;
    return body;
}

void SetToolStyle(const TextObjectBody& body) {
    constexpr uint16_t kAttributes = kTextBold | kTextItalic | kTextUnderline;
    ProgramGlobals& tool = State().program;
    if ((body.flags & kTextOwnFont) == 0) {
        tool.TextToolStyle = body.style;
        return;
    }
    tool.TextToolStyle = static_cast<int16_t>(-static_cast<int16_t>(body.style));
    tool.TextToolSize = body.size;
    tool.TextToolFlags = static_cast<uint16_t>(body.flags & kAttributes);
    tool.TextToolCharset = body.charset;
}

}  // namespace

int RunSelectFontDialog(ScoreView* view, TextObjectBody* body, bool* savePreferences) {
    if (view == nullptr || view->document == nullptr || body == nullptr) return ui::kIdCancel;
    TextObjectBody copy = *body;
    FontPanel panel{view, &copy, false, {}};
    bool save = false;
    const intptr_t result = ModalDialogBox(
        view, kSelectFontDialog,
        [&](WindowHandle dialog, win::Message message, uint32_t word, intptr_t) -> intptr_t {
            if (message == win::Message::InitDialog) {
                OpenFontPanel(dialog, panel);
                return 0;
            }
            if (message != win::Message::Command || panel.filling) return 0;
            const int id = static_cast<int>(win::CommandId(word));
            if (id == ui::kIdOk) {
                save = ui::IsItemChecked(dialog, kSavePreferences);
                ApplyFontPanel(panel);
                ui::EndDialog(dialog, ui::kIdOk);
                return 1;
            }
            if (id == ui::kIdCancel) {
                ui::EndDialog(dialog, ui::kIdCancel);
                return 1;
            }
            if (id == kHelp)
                return ShowHelp(dialog, sys::HelpCommand::Context, kSelectFontHelpContext, nullptr);
            return HandleFontPanelCommand(dialog, panel, id, win::CommandCode(word)) ? 1 : 0;
        });
    if (result != ui::kIdOk) return ui::kIdCancel;
    if (std::memcmp(&copy, body, sizeof copy) != 0) SetDocumentModified(view->document);
    *body = copy;
    if (savePreferences != nullptr) *savePreferences = save;
    return ui::kIdOk;
}

int SelectDefaultTextFont(ScoreView* view, DefaultTextFont which, bool ask) {
    if (view == nullptr || view->document == nullptr) return 0;
    ScoreDocument* document = view->document;
    TextObject scratch{};
    ApplyDefaultTextFont(&scratch, document, which);
    bool save = false;
    if (ask && RunSelectFontDialog(view, &scratch.body, &save) != ui::kIdOk) return 0;
    StoreDefaultFont(document, which, scratch.body);
    FontRef& ref = document->fontRefs[static_cast<int>(which)];
    if (ref.font != 0) gfx::DeleteObject(platform::FontHandle{ref.font});
    ref.font = CreateEntryFont(view, TextObjectFontRecord(&scratch, document)).bits;
    if (save) SaveDefaultFontPrefs(PreferenceKeyOf(which));
    return 1;
}

int SelectTextFontCommand(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return 0;
    TextObjectBody body = ToolStyleBody();
    if (RunSelectFontDialog(view, &body, nullptr) != ui::kIdOk) return 0;
    SetToolStyle(body);
    return 1;
}

}  // namespace ql
