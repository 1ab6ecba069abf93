// The Measure Numbers dialog: controls filled from the document's page record,
// enabled by the style, read back strictly on OK.
#include "shell/options/measure_numbers_dialog.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/settings/preference_defaults.h"
#include "core/settings/program_options.h"
#include "core/settings/settings_store.h"
#include "core/ui/dialog_fields.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "display/linked_views.h"
#include "objects/quick_fonts/font_choice.h"
#include "platform/gfx/objects.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/ui/message_box.h"
#include "platform/win/input.h"
#include "platform/win/window.h"
#include "shell/options/measure_number_offsets.h"
#include "shell/options/option_dialogs.h"
#include "shell/resources/option_dialog_resources.h"

namespace ql {
namespace {

namespace m = measure_numbers_dialog;
using platform::WindowHandle;

constexpr int32_t kMinInterval = 1;
constexpr int32_t kMaxInterval = 255;
constexpr uint8_t kAlignCentred = 0;
constexpr uint8_t kAlignRight = 1;

int32_t StyleRadio(uint8_t style) {
    if (style == kMeasureNumbersNone) return m::kNone;
    return style == kMeasureNumbersEachSystem ? m::kEachSystem : m::kEvery;
}

// "None" disables everything else; "Every" alone enables the interval and kind.
void EnableByStyle(WindowHandle dialog) {
    const bool none = ui::IsItemChecked(dialog, m::kNone);
    const bool every = ui::IsItemChecked(dialog, m::kEvery);
    EnableDlgControls(dialog, every,
                      {m::kIntervalEdit, m::kIntervalSpin, m::kManuscriptMeasures, m::kSystemMeasures});
    EnableDlgControls(dialog, !none,
                      {m::kCentred, m::kRightOfBarline, m::kHorizontalOffset, m::kVerticalOffset,
                       m::kShowChanges, m::kSelectFont});
}

void FillControls(WindowHandle dialog, const PageRecord& page) {
    ui::CheckRadioButton(dialog, m::kNone, m::kEvery, StyleRadio(page.measureNumberStyle));
    const int32_t interval =
        std::clamp<int32_t>(page.measureNumberEvery, kMinInterval, kMaxInterval);
    SetupSpinControl(dialog, m::kIntervalEdit, kMinInterval, kMaxInterval, interval, false);
    ui::CheckRadioButton(
        dialog, m::kManuscriptMeasures, m::kSystemMeasures,
        page.measureNumberIsManMeasure ? m::kManuscriptMeasures : m::kSystemMeasures);
    ui::CheckRadioButton(
        dialog, m::kCentred, m::kRightOfBarline,
        page.measureNumberAlign == kAlignCentred ? m::kCentred : m::kRightOfBarline);
    win::SetWindowText(ui::GetDialogItem(dialog, m::kHorizontalOffset),
                       FormatMeasureNumberOffset(page.measureNumberOffsetX));
    win::SetWindowText(ui::GetDialogItem(dialog, m::kVerticalOffset),
                       FormatMeasureNumberOffset(page.measureNumberOffsetY));
    ui::CheckItem(dialog, m::kShowChanges, Options().MeasureNumberShowChange != 0);
    EnableByStyle(dialog);
    win::SetFocus(ui::GetDialogItem(dialog, ui::kIdOk));
}

int32_t ReadOffset(WindowHandle dialog, int32_t id, int32_t old) {
    return ParseMeasureNumberOffset(win::GetWindowText(ui::GetDialogItem(dialog, id)), old);
}

void StoreControls(WindowHandle dialog, PageRecord& page) {
    page.measureNumberStyle = ui::IsItemChecked(dialog, m::kNone) ? kMeasureNumbersNone
                              : ui::IsItemChecked(dialog, m::kEachSystem)
                                  ? kMeasureNumbersEachSystem
                                  : kMeasureNumbersEvery;
    if (std::optional<int32_t> interval =
            ParseCountText(win::GetWindowText(ui::GetDialogItem(dialog, m::kIntervalEdit))))
        page.measureNumberEvery =
            static_cast<uint8_t>(std::clamp(*interval, kMinInterval, kMaxInterval));
    page.measureNumberIsManMeasure = ui::IsItemChecked(dialog, m::kManuscriptMeasures) ? 1 : 0;
    page.measureNumberAlign = ui::IsItemChecked(dialog, m::kCentred) ? kAlignCentred : kAlignRight;
    page.measureNumberOffsetX = ReadOffset(dialog, m::kHorizontalOffset, page.measureNumberOffsetX);
    page.measureNumberOffsetY = ReadOffset(dialog, m::kVerticalOffset, page.measureNumberOffsetY);
    Options().MeasureNumberShowChange = ui::IsItemChecked(dialog, m::kShowChanges) ? 1 : 0;
}

// The measure-number fields of the document become the program's defaults.
void SaveAsDefaults(const PageRecord& page) {
    PageRecord& defaults = ProgramPreferences().header.pageGeometry;
    defaults.measureNumberStyle = page.measureNumberStyle;
    defaults.measureNumberEvery = page.measureNumberEvery;
    defaults.measureNumberIsManMeasure = page.measureNumberIsManMeasure;
    defaults.measureNumberAlign = page.measureNumberAlign;
    defaults.measureNumberOffsetX = page.measureNumberOffsetX;
    defaults.measureNumberOffsetY = page.measureNumberOffsetY;
    SaveMeasureNumberPrefs();
}

// The chooser on the default measure-number font; the font chosen becomes that
// default, an own face, and is written to the settings at once. True when a font was
// chosen; `face` then holds its face.
bool ChooseMeasureNumberFont(ScoreView* view, std::string* face) {
    DefaultFontSetting& setting = Options().DefaultFonts[static_cast<int>(DefaultFont::MeasureNumbers)];
    QuickFontRecord record{};
    std::memcpy(record.face, setting.face.data(), std::min(setting.face.size(), sizeof record.face - 1));
    record.height = static_cast<int16_t>(std::clamp<int32_t>(setting.height, INT16_MIN, INT16_MAX));
    record.bold = setting.bold != 0;
    record.italic = setting.italic != 0;
    record.underline = setting.underline != 0;
    record.charset = static_cast<uint8_t>(setting.charset);
    if (!ChooseFontInto(view->document, &record)) return false;
    setting.winFont = 1;
    setting.height = record.height;
    setting.bold = record.bold;
    setting.italic = record.italic;
    setting.underline = record.underline;
    setting.charset = record.charset;
    setting.face.assign(record.face, strnlen(record.face, sizeof record.face));
    char(&name)[kFaceNameChars] = ProgramPreferences().measureNumberFaceName;
    std::memset(name, 0, sizeof name);
    std::memcpy(name, record.face, std::min(setting.face.size(), sizeof name - 1));
    SaveDefaultFontPrefs(DefaultFont::MeasureNumbers);
    *face = setting.face;
    return true;
}

// The score's measure numbers take an own face: entered in its face-name table, kept
// by name in its settings, the font made from it again at the next drawing. The
// numbers keep the height and style of the measure-number quick font.
void UseOwnMeasureNumberFace(ScoreDocument* document, const std::string& face) {
    PageRecord& page = document->header.pageGeometry;
    page.measureNumberIsWindowsFont = 1;
    page.measureNumberFontClass = OwnFaceIndex(document, face.c_str());
    std::memset(page.numberFaceName, 0, sizeof page.numberFaceName);
    std::memcpy(page.numberFaceName, face.data(),
                std::min(face.size(), sizeof page.numberFaceName - 1));
    if (page.measureNumberFont != 0)
        gfx::DeleteObject(platform::FontHandle{page.measureNumberFont});
    page.measureNumberFont = 0;
}

// `chosenFace`: the face last chosen in this opening ("" for none), the score's on OK.
intptr_t OnCommand(WindowHandle dialog, uint32_t word, ScoreView* view, std::string& chosenFace) {
    switch (static_cast<int32_t>(win::CommandId(word))) {
        case ui::kIdOk: {
            PageRecord& page = view->document->header.pageGeometry;
            StoreControls(dialog, page);
            if (!chosenFace.empty()) {
                UseOwnMeasureNumberFace(view->document, chosenFace);
                SetDocumentModified(view->document);
            }
            if (ui::IsItemChecked(dialog, m::kSavePreferences)) SaveAsDefaults(page);
            ui::EndDialog(dialog, 1);
            InvalidateLinkedViews(view);
            return 1;
        }
        case ui::kIdCancel:
            ui::EndDialog(dialog, 2);
            return 1;
        case kHelpButtonId:
            return ShowDialogContextHelp(dialog, m::kHelpId, nullptr);
        case m::kSelectFont: {
            std::string face;
            if (ChooseMeasureNumberFont(view, &face)) chosenFace = face;
            return 1;
        }
        case m::kNone:
        case m::kEachSystem:
        case m::kEvery:
            EnableByStyle(dialog);
            return 1;
        default:
            return 0;
    }
}

}  // namespace

intptr_t RunMeasureNumbersDialog(ScoreView* view) {
    if (view == nullptr || view->document == nullptr) return 2;
    std::string chosenFace;
    return ModalDialogBox(
        view, m::kDialog,
        [view, &chosenFace](WindowHandle dialog, win::Message message, uint32_t word,
                            intptr_t data) -> intptr_t {
            switch (message) {
                case win::Message::InitDialog:
                    FillControls(dialog, view->document->header.pageGeometry);
                    EnableHelpButton(dialog, nullptr);
                    return 0;
                case win::Message::Command:
                    return OnCommand(dialog, word, view, chosenFace);
                case win::Message::DrawItem:
                    return DrawDialogLogo(reinterpret_cast<const win::DrawItemInfo*>(data));
                case win::Message::Help:
                    return ShowDialogContextHelp(dialog, m::kHelpId,
                                                 reinterpret_cast<const win::HelpInfo*>(data));
                default:
                    return 0;
            }
        });
}

}  // namespace ql
