// The program's own templates of the text dialogs, with their control ids: the
// in-place text-entry window (816), "Place Text Block" (877) of text boxes and staff
// labels, "Setup QuickFonts" (819), "Set Image" (862), the attribute dialog of text
// objects, "Select Font" (846) and "Select Symbol" (892). Registered into the program's bundle at
// start-up (a language bundle may replace them).
#pragma once

#include <cstdint>

#include "platform/sys/resources.h"

namespace ql {

namespace text_entry_dialog {
constexpr int32_t kTextEntryDialog = 816;
constexpr int32_t kEntryEdit = 1228;
}  // namespace text_entry_dialog

namespace text_block_dialog {
constexpr int32_t kPlaceTextBlockDialog = 877;
constexpr int32_t kText = 1304;
constexpr int32_t kQuickFont = 1314;
constexpr int32_t kTracking = 1315;
constexpr int32_t kAlignLeft = 1306;  // the four alignment radios run 1306..1309
constexpr int32_t kCentre = 1307;
constexpr int32_t kJustify = 1308;
constexpr int32_t kAlignRight = 1309;
constexpr int32_t kAutoLeading = 1311;
constexpr int32_t kFixedLeading = 1312;
constexpr int32_t kLeading = 1313;
constexpr int32_t kReset = 1100;
constexpr int32_t kHelp = 998;
constexpr uint32_t kTextCharacters = 1023;
}  // namespace text_block_dialog

namespace quick_fonts_dialog {
constexpr int32_t kSetupQuickFontsDialog = 819;
constexpr int32_t kSlots = 1708;
constexpr int32_t kSetName = 1311;
constexpr int32_t kName = 1204;
constexpr int32_t kSelect = 1710;
constexpr int32_t kBold = 1703;
constexpr int32_t kItalic = 1704;
constexpr int32_t kUnderline = 1705;
constexpr int32_t kHeight = 1702;
constexpr int32_t kSavePreferences = 1712;
constexpr int32_t kHelp = 998;
}  // namespace quick_fonts_dialog

// The font panel "Set Image" and "Select Font" share.
namespace font_panel {
constexpr int32_t kQuickFontRadio = 1706;
constexpr int32_t kWinFontRadio = 1707;
constexpr int32_t kQuickFonts = 1708;
constexpr int32_t kSelectFont = 1710;
constexpr int32_t kHeight = 1702;
constexpr int32_t kBold = 1703;
constexpr int32_t kItalic = 1704;
constexpr int32_t kUnderline = 1705;
}  // namespace font_panel

namespace select_font_dialog {
constexpr int32_t kSelectFontDialog = 846;
constexpr int32_t kSavePreferences = 1712;
constexpr int32_t kHelp = 998;
}  // namespace select_font_dialog

namespace set_image_dialog {
constexpr int32_t kSetImageDialog = 862;
constexpr int32_t kTextLine = 1201;
constexpr int32_t kSingleSymbol = 1202;
constexpr int32_t kSymbol = 1203;
constexpr int32_t kSelectSymbol = 1204;
constexpr int32_t kText = 1711;
using namespace font_panel;
constexpr int32_t kHelp = 998;
constexpr uint32_t kTextCharacters = 512;
}  // namespace set_image_dialog

namespace select_symbol_dialog {
constexpr int32_t kSelectSymbolDialog = 892;
constexpr int32_t kQuickFontRadio = 2216;
constexpr int32_t kWinFontRadio = 2215;
constexpr int32_t kSelectFont = 2208;
constexpr int32_t kQuickFonts = 1708;
constexpr int32_t kCodeSpin = 2206;
constexpr int32_t kCode = 2207;  // written by the spin before it
constexpr int32_t kGrid = 2212;  // a window of kSymbolGridClass
inline constexpr char kSymbolGridClass[] = "QLSymbolGrid";
inline constexpr char kSymbolPreviewClass[] = "QLSymbolPreview";  // kPreview's
constexpr int kPreviewRows = 3;                                   // dialog rows the preview spans
constexpr int kGridRows = 5;                                      // dialog rows the grid spans
constexpr int32_t kPreview = 2211;
constexpr int32_t kFontLabel = 2262;
constexpr int32_t kFontCaption = 2261;
constexpr int32_t kPageSpin = 2236;
constexpr int32_t kHelp = 998;
}  // namespace select_symbol_dialog

void AddTextDialogResources(sys::ResourceBundle& bundle);
void RegisterTextDialogResources();

}  // namespace ql
