// The program's two menu bars, kept as the templates "FRAMEMENU" and "CHILDMENU" of
// the program's resources (a language bundle may give them other texts): the frame
// menu shown while no score is open, and the child menu of the score windows. The
// Window popup of each is the one the document client lists its windows in. The recent
// files are listed in each File popup when it opens; the keys named after the
// items' tabs are the program's accelerators.
#include <memory>
#include <vector>

#include "core/ui/dialog_grid.h"
#include "editing/note_commands.h"
#include "platform/sys/resources.h"
#include "platform/ui/menu.h"
#include "shell/command/settings_commands.h"
#include "shell/program/frame.h"
#include "shell/program/frame_option_commands.h"
#include "shell/program/frame_toggles.h"
#include "shell/program/page_commands.h"
#include "shell/program/program_ids.h"
#include "shell/program/transport_commands.h"
#include "shell/program/view_procedures.h"
#include "shell/program/view_toggles.h"
#include "staves/staff_manage.h"

namespace ql {
namespace {

struct MenuItemRow {
    int32_t command;  // 0: separator
    const char* text;
};

constexpr MenuItemRow kFrameFile[] = {
    {cmd::kFileNew, "&New...\tCtrl+N"}, {cmd::kFileOpen, "&Open...\tCtrl+O"},
    {cmd::kFileImport, "&Import...\tCtrl+I"}, {0, nullptr},
    {cmd::kSavePreferences, "Sa&ve Preferences"}, {0, nullptr}, {cmd::kExit, "E&xit\tAlt+F4"}};
constexpr MenuItemRow kChildFile[] = {
    {cmd::kFileNew, "&New...\tCtrl+N"}, {cmd::kFileOpen, "&Open...\tCtrl+O"},
    {cmd::kFileImport, "&Import...\tCtrl+I"}, {cmd::kCloseView, "&Close\tCtrl+W"}, {0, nullptr}, {cmd::kFileSave, "&Save\tCtrl+S"},
    {cmd::kFileSaveAs, "Save &As..."}, {cmd::kFileExport, "Expor&t...\tCtrl+T"},
    {view_cmd::kExtractPart, "Extract Pa&rt...\tCtrl+K"}, {0, nullptr}, {cmd::kFilePrint, "&Print...\tCtrl+P"}, {0, nullptr},
    {cmd::kSavePreferences, "Sa&ve Preferences"}, {toggle::kSavePreferencesOnExit, "Save Preferences on &Exit"},
    {cmd::kAutoSaveActive, "Auto Sa&ve Active"}, {0, nullptr}, {cmd::kExit, "E&xit\tAlt+F4"}};
constexpr MenuItemRow kChildEdit[] = {{57643, "&Undo\tCtrl-Z"},
                                      {57644, "&Redo\tCtrl-Y"},
                                      {0, nullptr},
                                      {57635, "Cu&t\tCtrl+X"},
                                      {57634, "&Copy\tCtrl+C"},
                                      {57637, "&Paste\tCtrl+V"},
                                      {57632, "C&lear"},
                                      {view_cmd::kSendToBack, "Send to Bac&k"},
                                      {view_cmd::kBringToFront, "Bring to &Front"},
                                      {view_cmd::kToggleOwnership, "Toggle O&wnership"},
                                      {57642, "Copy to &End\tCtrl+E"},
                                      {40216, "Copy &Notes\tCtrl+Shft+Ins"},
                                      {0, nullptr},
                                      {kInsertStaffBefore, "Add Staff &Before"},
                                      {kInsertStaffAfter, "Add Staff &After"},
                                      {0, nullptr},
                                      {view_cmd::kPrintToClipboard, "Pr&int to Clipboard"},
                                      {0, nullptr},
                                      {40208, "Checkpoint &Start"},
                                      {40209, "Checkpoint Rest&ore"},
                                      {0, nullptr},
                                      {frame_cmd::kRelativeFormatting, "Relati&ve Formatting"},
                                      {frame_cmd::kAbsoluteFormatting, "Absolute For&matting"},
                                      {0, nullptr},
                                      {view_cmd::kMeasureOwned, "Measure-owned Text and Grap&hics"},
                                      {view_cmd::kPageOwned, "Pa&ge-owned Text and Graphics"}};
constexpr MenuItemRow kChildEditMoreOptions[] = {{toggle::kSymmetricSlurs, "Use Symmetric &Slurs"},
                                                 {toggle::kSymmetricHairpins, "Use Symmetric &Hairpins"},
                                                 {toggle::kShowOffPage, "&Display Off-page Items"}};
// View: the bars and palettes, the view modes, the Find submenu, then the pages
// and the display switches. Each item has an access key of its own.
constexpr MenuItemRow kChildView[] = {{cmd::kStatusBar, "Display Status Bar"},
                                      {cmd::kUseSmallPalettes, "Use Small &Palettes"},
                                      {frame_cmd::kSmallToolbars, "Use Small Tool&bars"},
                                      {page_cmd::kDisplayRuler, "Display R&uler"},
                                      {settings_cmd::kToolbarOptions, "&Toolbar Options..."},
                                      {settings_cmd::kPaletteOptions, "Pal&ette Options..."},
                                      {toggle::kSyncPalettes, "&Synchronize Palette Movement"},
                                      {cmd::kShowHiddenPalettes, "Bring Bac&k Palettes"},
                                      {0, nullptr},
                                      {40147, "Page Vie&w"},
                                      {40146, "S&croll View"},
                                      {0, nullptr},
                                      {view_cmd::kFirstQuickZoom, "Quickzoom  &1\tCtrl+1"},
                                      {view_cmd::kFirstQuickZoom + 1, "Quickzoom  &2\tCtrl+2"},
                                      {view_cmd::kFirstQuickZoom + 2, "Quickzoom  &3\tCtrl+3"},
                                      {view_cmd::kFirstQuickZoom + 3, "Quickzoom  &4\tCtrl+4"},
                                      {0, nullptr}};
constexpr MenuItemRow kChildViewFind[] = {{page_cmd::kGoToPage, "&Page..."},
                                          {page_cmd::kGoToMeasure, "&Measure..."},
                                          {page_cmd::kFindPageMeasure, "Find Page/Measure...\tCtrl+F"},
                                          {page_cmd::kRepeatFind, "Repeat Find\tF3"}};
constexpr MenuItemRow kChildViewPages[] = {{0, nullptr},
                                           {page_cmd::kInsertPage, "&Insert Page..."},
                                           {page_cmd::kDeletePage, "&Delete Page..."},
                                           {page_cmd::kPageSetup, "Pa&ge Setup...\tCtrl+G"},
                                           {page_cmd::kPageLayout, "Page &Layout...\tCtrl+L"},
                                           {page_cmd::kMusicMetrics, "Set Music &Metrics..."},
                                           {page_cmd::kSetMargins, "Set M&argins"},
                                           {page_cmd::kSetStaffSize, "Set Staff Size"},
                                           {page_cmd::kSetPageNumber, "Set Page &Number"},
                                           {view_cmd::kReformatPage, "&Reformat Page"},
                                           {0, nullptr},
                                           {frame_cmd::kDisplayTooltips, "Display Tooltips"},
                                           {toggle_cmd::kDisplayHiddenItems, "Display &Hidden Items"},
                                           {toggle_cmd::kOssiaStaves, "Display &Ossia Staves"},
                                           {toggle_cmd::kDisplayMargins, "Displa&y Margins"}};
// The MIDI input options wait here until the MIDI menu has its option submenus.
constexpr MenuItemRow kChildOptions[] = {{toggle_cmd::kCommonCut, "Use &Common/Cut Signature"},
                                         {toggle_cmd::kBoxCursor, "Use &Box Cursor"},
                                         {0, nullptr},
                                         {cmd::kSetupAutoSave, "Setup A&uto Save..."},
                                         {cmd::kSetBackupCount, "Set Backup C&ount..."},
                                         {cmd::kPickListOptions, "Pick &List Options..."},
                                         {cmd::kMeasureNumbers, "Measure &Numbers..."},
                                         {settings_cmd::kAccidentalInterpretation, "Accidental &Interpretation..."},
                                         {0, nullptr},
                                         {toggle_cmd::kAllowStepEntry, "Allow MIDI Step &Entry"},
                                         {toggle_cmd::kKeepMidi, "&Keep MIDI Data"},
                                         {0, nullptr},
                                         {frame_cmd::kSmoothDisplay, "&Smooth Display"},
                                         {frame_cmd::kKeyCancel, "Ke&y Cancel Left of Bar"},
                                         {frame_cmd::kAutoMultiMeasureRests, "Auto MMR's on Part Extract"},
                                         {frame_cmd::kAutoLastBar, "Auto-detect End of Extracted Part"},
                                         {kTrimUnusedPages, "&Trim Unused Pages"},
                                         {0, nullptr},
                                         {toggle::kQuantizeMouse, "&Quantize Notes Cursor"},
                                         {toggle::kAutoScroll, "&Auto Scroll"},
                                         {toggle::kClipBlackAndWhite, "Black and White Clipboard Data"},
                                         {toggle::kUsePopupMenus, "Use Popup Menus"},
                                         {toggle::kCursorFocus, "Cursor &Focus"},
                                         {0, nullptr},
                                         {toggle_cmd::kSuppressMeasureNumbers, "&Hide Measure Numbers"},
                                         {toggle_cmd::kStaffLinesOnly, "Dra&w Staff Lines Only"}};
constexpr MenuItemRow kChildText[] = {{40220, "&Larger"},
                                      {40221, "S&maller"},
                                      {40222, "&Bold"},
                                      {40223, "&Italic"},
                                      {40224, "&Underline"},
                                      {40226, "&Gray"},
                                      {view_cmd::kChooseFont, "&Choose Font..."},
                                      {settings_cmd::kQuickFonts, "Set up &QuickFonts..."},
                                      {0, nullptr},
                                      {view_cmd::kTextLineFont, "Select &Textline Font..."},
                                      {view_cmd::kLyricFont, "Select L&yric Font..."},
                                      {0, nullptr},
                                      {frame_cmd::kTextSizeReference, "Use Default Printer as Text Size Reference"}};
constexpr MenuItemRow kChildNotes[] = {{40161, "Note H&ead..."},
                                       {view_cmd::kMultiMeasureRest, "&Multi-measure Rest..."},
                                       {0, nullptr},
                                       {note_cmd::kNormalSize, "&Normal Size"},
                                       {note_cmd::kPetiteSize, "Pet&ite Size"},
                                       {note_cmd::kGraceSize, "&Grace Size"},
                                       {0, nullptr},
                                       {note_cmd::kFanLeft, "Fan beam to &left"},
                                       {note_cmd::kFanRight, "Fan beam to &right"},
                                       {note_cmd::kTranspose, "&Transpose..."},
                                       {0, nullptr},
                                       {view_cmd::kResetMeasureLengths, "Reset Measures to Time &Signatures"},
                                       {0, nullptr},
                                       {kPromoteShapedHeads, "Pr&omote Shaped Heads"},
                                       {0, nullptr},
                                       {frame_cmd::kFirstStemMode, "&Float stems"},
                                       {frame_cmd::kFirstStemMode + 1, "Stems &up"},
                                       {frame_cmd::kLastStemMode, "Stems &down"}};
// Spacing: none, proportional, engraver.
constexpr MenuItemRow kChildNotesSpacing[] = {{frame_cmd::kFirstSpacingMode, "&None"},
                                              {frame_cmd::kFirstSpacingMode + 1, "&Proportional"},
                                              {frame_cmd::kLastSpacingMode, "&Engraver"},
                                              {0, nullptr},
                                              {toggle::kSpreadSpaceChanges, "&Spread changes"},
                                              {toggle::kSpaceAccidentals, "Space ac&cidentals"}};
constexpr MenuItemRow kChildNotesAuto[] = {{toggle::kAutoBeam, "Auto &beam"},
                                           {toggle::kAutoSlash, "Auto &slash grace notes"},
                                           {toggle::kAutoFlipAccents, "Auto &flip accents"},
                                           {toggle::kAutoExtendBeats, "Auto &extend measure"},
                                           {toggle::kAutoRollNotes, "Auto roll &notes"},
                                           {toggle_cmd::kAutoRest, "Auto &rest"},
                                           {toggle_cmd::kAutoHideTabStems, "Auto &hide tablature stems"}};
constexpr MenuItemRow kChildWindow[] = {
    {cmd::kOpenView, "&Open View"},
    {cmd::kCascade, "&Cascade\tShift+F5"}, {cmd::kTileHorizontally, "Tile &Horizontally\tShift+F4"},
    {cmd::kTileVertically, "Tile &Vertically\tShift+F3"}, {cmd::kArrangeIcons, "Arrange &Icons"},
    {cmd::kNextView, "Go to &Next View\tCtrl+F6"}, {cmd::kPreviousView, "&Previous View\tShift+F6"},
    {cmd::kCloseAll, "Close &All"}};
constexpr MenuItemRow kChildMidi[] = {{transport_cmd::kStartPlayback, "Start &Playback"},
                                      {transport_cmd::kStartRecording, "Start &Recording"},
                                      {transport_cmd::kPausePlayback, "P&ause Playback"},
                                      {transport_cmd::kStopPlayback, "&Stop Play/Record"},
                                      {view_cmd::kNewTranscription, "&New Transcription..."},
                                      {40170, "Show Mi&xers"},
                                      {40182, "&Create Mixer"},
                                      {view_cmd::kAllNotesOff, "A&ll Notes Off"}};
constexpr MenuItemRow kChildMidiSetup[] = {{settings_cmd::kPlaybackSetup, "&Playback Setup..."},
                                           {settings_cmd::kMidiPorts, "MIDI P&orts..."},
                                           {settings_cmd::kRecordSetup, "&Record Setup..."},
                                           {settings_cmd::kMidiSync, "MIDI S&ync..."},
                                           {settings_cmd::kMidiThru, "MIDI &Thru..."},
                                           {settings_cmd::kMetronome, "&Metronome..."},
                                           {settings_cmd::kPatchCache, "Setup Patc&h Cache..."},
                                           {settings_cmd::kDefaultDurations, "&Default Durations..."},
                                           {settings_cmd::kLooseness, "&Looseness Setup..."},
                                           {settings_cmd::kQuantization, "&Quantization..."},
                                           {settings_cmd::kFilters, "&Filters..."}};
constexpr MenuItemRow kChildPlaybackOptions[] = {{toggle_cmd::kSwingEighths, "S&wing Eighths"},
                                                 {toggle_cmd::kSwingSixteenths, "Swing Si&xteenths"},
                                                 {toggle_cmd::kPlayLoose, "Play L&oose"},
                                                 {0, nullptr},
                                                 {toggle::kPolyMode, "M&ultinote Mode (Polyphonic)"},
                                                 {toggle::kSendPatches, "&Send Patches before Play"},
                                                 {toggle::kPlayCountdown, "Measure &Countdown"},
                                                 {toggle::kPlayMetronome, "&Metronome Click"},
                                                 {toggle::kFollowMusic, "&Follow Music"},
                                                 {toggle::kAutoRewind, "Auto &Rewind"},
                                                 {toggle_cmd::kAllowMidiDelay, "Allow MIDI &Delay"},
                                                 {toggle_cmd::kShowPlaybackLocation, "Show Playback &Location"}};
constexpr MenuItemRow kChildPatchCaching[] = {{toggle::kCachePatches, "&Cache Patches"}};
constexpr MenuItemRow kChildRecordOptions[] = {{toggle_cmd::kRecordCountdown, "Measure &Countdown"},
                                               {toggle_cmd::kRecordEcho, "&Echo MIDI Input"},
                                               {toggle_cmd::kRecordMetronome, "&Metronome Click"}};
constexpr MenuItemRow kHelp[] = {{frame_cmd::kHelpContents, "&Contents"},
                                 {frame_cmd::kHelpSearch, "&Search for Help on..."},
                                 {frame_cmd::kHelpOnHelp, "&How to Use Help"},
                                 {0, nullptr},
                                 {cmd::kAbout, "&About Quaverlinescribe..."}};
constexpr MenuItemRow kLanguage[] = {{cmd::kFirstLanguage, "English"}};

using ui::MenuItemTemplate;

template <size_t N>
std::vector<MenuItemTemplate> Items(const MenuItemRow (&rows)[N]) {
    std::vector<MenuItemTemplate> items;
    for (const MenuItemRow& row : rows) {
        if (row.command == 0)
            items.push_back({{}, 0, ui::kMenuSeparator, {}});
        else
            items.push_back({row.text, row.command, 0, {}});
    }
    return items;
}

template <size_t N>
MenuItemTemplate Popup(const char* text, const MenuItemRow (&rows)[N], std::vector<MenuItemTemplate> tail = {}) {
    MenuItemTemplate popup{text, 0, ui::kMenuPopup, Items(rows)};
    for (MenuItemTemplate& item : tail) popup.children.push_back(std::move(item));
    return popup;
}

// View with its Find submenu between the view modes and the pages.
MenuItemTemplate ViewPopup() {
    std::vector<MenuItemTemplate> tail{Popup("&Find", kChildViewFind)};
    for (MenuItemTemplate& item : Items(kChildViewPages)) tail.push_back(std::move(item));
    return Popup("&View", kChildView, std::move(tail));
}

ui::MenuTemplate FrameMenuTemplate() {
    return {{Popup("&File", kFrameFile), Popup("&Help", kHelp), Popup("&Language", kLanguage)}};
}

ui::MenuTemplate ChildMenuTemplate() {
    return {{Popup("&File", kChildFile), Popup("&Edit", kChildEdit, {Popup("More Options", kChildEditMoreOptions)}), ViewPopup(),
             Popup("O&ptions", kChildOptions), Popup("&Text", kChildText), Popup("&Notes", kChildNotes, {Popup("S&pacing", kChildNotesSpacing), Popup("&Auto", kChildNotesAuto)}),
             Popup("&MIDI", kChildMidi,
                   {Popup("Playback &Options", kChildPlaybackOptions), Popup("R&ecord Options", kChildRecordOptions),
                    Popup("Set&up", kChildMidiSetup), Popup("Patc&h Caching", kChildPatchCaching)}),
             Popup("&Window", kChildWindow), Popup("&Help", kHelp), Popup("&Language", kLanguage)}};
}

void AddProgramMenus(sys::ResourceBundle& bundle) {
    bundle.menus.insert_or_assign(sys::ResourceId(kFrameMenuResource), FrameMenuTemplate());
    bundle.menus.insert_or_assign(sys::ResourceId(kChildMenuResource), ChildMenuTemplate());
}

}  // namespace

void RegisterProgramMenus() {
    dialog_grid::AddToProgramBundle(&AddProgramMenus);
}

bool BuildProgramMenus() {
    std::shared_ptr<const sys::ResourceBundle> program = sys::GetProgramBundle();
    if (!program || !program->menus.contains(sys::ResourceId(kFrameMenuResource))) RegisterProgramMenus();
    const platform::MenuHandle frameMenu = ui::LoadMenu(kFrameMenuResource);
    const platform::MenuHandle childMenu = ui::LoadMenu(kChildMenuResource);
    if (!frameMenu || !childMenu) {
        if (frameMenu) ui::DestroyMenu(frameMenu);
        if (childMenu) ui::DestroyMenu(childMenu);
        return false;
    }
    ProgramFrame& frame = Frame();
    frame.frameMenu = frameMenu;
    frame.childMenu = childMenu;
    frame.frameWindowMenu = ui::GetSubmenu(frameMenu, kFrameWindowPopup);
    frame.childWindowMenu = ui::GetSubmenu(childMenu, kChildWindowPopup);
    return true;
}

}  // namespace ql
