// The Toolbar Options and Palette Options dialogs.
#include "shell/options/toolbar_options_dialogs.h"

#include <array>

#include "core/settings/program_options.h"
#include "core/settings/settings_store.h"
#include "core/settings/settings_table.h"
#include "core/ui/help.h"
#include "core/ui/modal_boxes.h"
#include "editing/palette_windows.h"
#include "platform/ui/controls.h"
#include "platform/ui/dialog.h"
#include "platform/win/input.h"
#include "platform/win/window.h"
#include "shell/options/option_dialog_protocol.h"
#include "shell/program/frame.h"
#include "shell/program/frame_layout.h"
#include "shell/rebar/band_layout_keys.h"
#include "shell/rebar/main_rebar.h"
#include "shell/resources/option_dialog_resources.h"

namespace ql {
namespace {

using platform::WindowHandle;

// A band's check box and the settings key of its band-shown setting.
struct BandRow {
    int32_t band;
    int32_t checkBox;
    const char* key;
};

namespace t = toolbar_options_dialog;
constexpr std::array<BandRow, 10> kBands{{
    {kFileBand, t::kFileBand, "FileToolbar"},
    {kEditBand, t::kEditBand, "EditToolbar"},
    {kMidiBand, t::kMidiBand, "CDToolbar"},
    {kViewBand, t::kViewBand, "ViewToolbar"},
    {kWindowBand, t::kWindowBand, "WinToolbar"},
    {kVoicesBand, t::kVoicesBand, "VoxToolbar"},
    {kPagersBand, t::kPagersBand, "PageToolbar"},
    {kGoToBand, t::kGoToBand, "LRToolbar"},
    {kNotesBand, t::kNotesBand, "NoteToolbar"},
    {kTextBand, t::kTextBand, "TextToolbar"},
}};

constexpr char kPaletteColourKey[] = "PaletteColor";
constexpr int32_t kLargePalette = 36;
constexpr int32_t kSmallPalette = 24;
constexpr std::array<int32_t, 4> kColourRadios{palette_options_dialog::kBlack, palette_options_dialog::kDarkGray,
                                               palette_options_dialog::kSlate, palette_options_dialog::kDarkBlue};

ToolbarOptionsListener& Listener() {
    static ToolbarOptionsListener listener = nullptr;
    return listener;
}

bool On(uint8_t value) { return value != 0; }
uint8_t Byte(bool on) { return on ? 1 : 0; }

void FocusOk(WindowHandle dialog) {
    win::SetFocus(ui::GetDialogItem(dialog, ui::kIdOk));
}

void InitToolbarOptions(WindowHandle dialog) {
    FocusOk(dialog);
    const bool kept = MainPaletteKeptInBand();
    ui::CheckItem(dialog, t::kFloatMainPalette, !kept);
    ui::CheckItem(dialog, t::kRetainInBand, kept);
    ui::CheckItem(dialog, t::kButtonText, On(Options().ToolBarText));
    ui::CheckItem(dialog, t::kSmallToolbars, On(Options().SmallToolBars));
    for (const BandRow& row : kBands) ui::CheckItem(dialog, row.checkBox, IsBandShown(row.band));
}

// Stores the button size; whether it changed.
bool StoreSmallToolbars(uint8_t small) {
    const bool changed = small != Options().SmallToolBars;
    Options().SmallToolBars = small;
    SetPrefDword(kToolbarSection, "SmallToolBars", small);
    return changed;
}

bool StoreToolbarOptions(WindowHandle dialog) {
    ToolbarOptionsChange change;
    ProgramOptions& options = Options();
    for (const BandRow& row : kBands) {
        const bool shown = ui::IsItemChecked(dialog, row.checkBox);
        change.bandsChanged |= shown != IsBandShown(row.band);
        SetBandShown(row.band, shown);
        SetPrefDword(kToolbarSection, row.key, Byte(shown));
    }
    const uint8_t text = Byte(ui::IsItemChecked(dialog, t::kButtonText));
    const uint8_t small = Byte(ui::IsItemChecked(dialog, t::kSmallToolbars));
    change.rebuild = text != options.ToolBarText;
    options.ToolBarText = text;
    SetPrefDword(kToolbarSection, "ToolBarText", text);
    change.rebuild |= StoreSmallToolbars(small);
    // The palette has one place: a changed Float box decides it, otherwise the
    // Retain box does. Its band's swap moves it and stores both keys.
    const bool kept = MainPaletteKeptInBand();
    const bool floating = ui::IsItemChecked(dialog, t::kFloatMainPalette);
    const bool keep = floating != !kept ? !floating : ui::IsItemChecked(dialog, t::kRetainInBand);
    change.floatChanged = keep != kept;
    if (change.floatChanged) SwapMainPaletteBand();
    if (Listener() != nullptr) Listener()(change);
    return true;
}

}  // namespace

void ToggleSmallToolbars() {
    ToolbarOptionsChange change;
    change.rebuild = StoreSmallToolbars(Options().SmallToolBars != 0 ? 0 : 1);
    if (Listener() != nullptr) Listener()(change);
}

namespace {

intptr_t ToolbarOptionsCommand(WindowHandle dialog, int32_t command) {
    if (command != t::kSelectAll) return 0;
    for (const BandRow& row : kBands) ui::CheckItem(dialog, row.checkBox, true);
    return 1;
}

int32_t ChosenColourIndex() {
    const uint32_t colour = PaletteColour();
    for (size_t i = 0; i < std::size(kPaletteColours); ++i)
        if (kPaletteColours[i] == colour) return static_cast<int32_t>(i);
    return 0;
}

void InitPaletteOptions(WindowHandle dialog) {
    namespace p = palette_options_dialog;
    FocusOk(dialog);
    ui::CheckItem(dialog, p::kSyncPalettes, On(Options().SyncPalettes));
    ui::CheckItem(dialog, p::kSmallPalettes, Options().ToolSize == kSmallPalette);
    ui::CheckRadioButton(dialog, p::kBlack, p::kDarkBlue, kColourRadios[static_cast<size_t>(ChosenColourIndex())]);
}

bool StorePaletteOptions(WindowHandle dialog) {
    namespace p = palette_options_dialog;
    Options().SyncPalettes = Byte(ui::IsItemChecked(dialog, p::kSyncPalettes));
    const int32_t size = ui::IsItemChecked(dialog, p::kSmallPalettes) ? kSmallPalette : kLargePalette;
    Options().ToolSize = static_cast<int16_t>(size);
    Frame().toolSize = size;
    for (size_t i = 0; i < kColourRadios.size(); ++i)
        if (ui::IsItemChecked(dialog, kColourRadios[i]))
            SetPrefDword(kVersion2Section, kPaletteColourKey, static_cast<int32_t>(kPaletteColours[i]));
    SetPaletteButtonSize(size);
    LayoutFrameClient();
    return true;
}

}  // namespace

void SetToolbarOptionsListener(ToolbarOptionsListener listener) {
    Listener() = listener;
}

intptr_t RunToolbarOptionsDialog() {
    return PlainModalDialogBox(t::kDialog, [](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) {
        return OptionDialogProc(dialog, message, word, data, t::kHelpId, InitToolbarOptions, StoreToolbarOptions,
                                ToolbarOptionsCommand);
    });
}

uint32_t PaletteColour() {
    return static_cast<uint32_t>(GetPrefInt(kVersion2Section, kPaletteColourKey, 0, ProfilePath().c_str()));
}

intptr_t RunPaletteOptionsDialog() {
    return PlainModalDialogBox(palette_options_dialog::kDialog,
                               [](WindowHandle dialog, win::Message message, uint32_t word, intptr_t data) {
                                   return OptionDialogProc(dialog, message, word, data, palette_options_dialog::kHelpId,
                                                           InitPaletteOptions, StorePaletteOptions, NoOtherCommand);
                               });
}

}  // namespace ql
