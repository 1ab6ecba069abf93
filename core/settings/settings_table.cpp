// The integer settings table and storing values into its variables.
#include "core/settings/settings_table.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <type_traits>

#include "core/settings/preference_defaults.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "platform/sys/settings_format.h"

namespace ql {
namespace {

using u8 = uint8_t;
using u16 = uint16_t;
using i16 = int16_t;
using i32 = int32_t;
constexpr const char* kMain = kMainSection;
constexpr const char* kV2 = kVersion2Section;
constexpr const char* kBar = kToolbarSection;

PageRecord& PrefPage() {
    return ProgramPreferences().header.pageGeometry;
}
NewScoreBlock& PrefNewScore() {
    return ProgramPreferences().header.newScoreBlock;
}
ScoreHeader& PrefHeader() {
    return ProgramPreferences().header;
}
NotesGlobals& NotesState() {
    return State().notes;
}
NoteToolState& NoteToolsState() {
    return State().notes.NoteTools;
}
LayoutGlobals& LayoutState() {
    return State().layout;
}
ProgramGlobals& ProgramFlags() {
    return State().program;
}
DisplayGlobals& DisplayFlags() {
    return State().display;
}
DialogGlobals& DialogState() {
    return State().dialogs;
}
AutoSaveConfig& AutoSaveState() {
    return AutoSaveSettings();
}

// The variable is copied byte-wise through its address: the records of the score
// header are packed, so a field may sit at any address.
template <auto Object, auto Member>
using FieldOf = std::remove_cvref_t<decltype(Object().*Member)>;

template <auto Object, auto Member>
int32_t ReadMember() {
    FieldOf<Object, Member> value;
    std::memcpy(&value, reinterpret_cast<const unsigned char*>(&(Object().*Member)), sizeof value);
    return static_cast<int32_t>(value);
}

template <auto Object, auto Member>
void WriteMember(int32_t value) {
    const auto field = static_cast<FieldOf<Object, Member>>(value);  // truncates to the width
    std::memcpy(reinterpret_cast<unsigned char*>(&(Object().*Member)), &field, sizeof field);
}

// A row whose variable has the type T the table states for it.
template <auto Object, auto Member, typename T>
constexpr IntSetting MakeRow(const char* section, const char* key, int32_t defaultValue,
                             SettingHome home, int32_t lowest, int32_t highest) {
    static_assert(std::is_same_v<FieldOf<Object, Member>, T>,
                  "the variable's type differs from the table's");
    return IntSetting{section,
                      key,
                      defaultValue,
                      std::is_signed_v<T>,
                      static_cast<int8_t>(sizeof(T)),
                      home,
                      &ReadMember<Object, Member>,
                      &WriteMember<Object, Member>,
                      lowest,
                      highest};
}

template <auto Object, auto Member, typename T>
constexpr IntSetting PrefRow(const char* section, const char* key, int32_t defaultValue) {
    return MakeRow<Object, Member, T>(section, key, defaultValue, SettingHome::Preferences,
                                      std::numeric_limits<int32_t>::min(),
                                      std::numeric_limits<int32_t>::max());
}

template <auto Object, auto Member, typename T>
constexpr IntSetting StateRow(const char* section, const char* key, int32_t defaultValue,
                              int32_t lowest = std::numeric_limits<int32_t>::min(),
                              int32_t highest = std::numeric_limits<int32_t>::max()) {
    return MakeRow<Object, Member, T>(section, key, defaultValue, SettingHome::ProgramState, lowest,
                                      highest);
}

template <auto Member, typename T>
constexpr IntSetting OptionRow(const char* section, const char* key, int32_t defaultValue) {
    return MakeRow<Options, Member, T>(section, key, defaultValue, SettingHome::Options,
                                       std::numeric_limits<int32_t>::min(),
                                       std::numeric_limits<int32_t>::max());
}

const IntSetting kIntSettings[] = {
    // "Quaverlinescribe"
    PrefRow<PrefPage, &PageRecord::staffSize, u8>(kMain, "StaffSize", 4),
    PrefRow<PrefPage, &PageRecord::paperKind, u8>(kMain, "PageSize", 0),
    PrefRow<PrefPage, &PageRecord::unit, u8>(kMain, "PageUnits", 0),
    PrefRow<PrefPage, &PageRecord::orientation, u8>(kMain, "PageOrient", 0),
    PrefRow<PrefPage, &PageRecord::sides, u8>(kMain, "PageSingleDouble", 0),
    PrefRow<PrefPage, &PageRecord::firstPage, u8>(kMain, "PageStartLeftRight", 1),
    PrefRow<PrefPage, &PageRecord::degreesPerInch, u16>(kMain, "DegreesPerInch", 16),
    PrefRow<PrefPage, &PageRecord::measureNumberStyle, u8>(kMain, "MeasureNumberStyle", 2),
    PrefRow<PrefPage, &PageRecord::measureNumberEvery, u8>(kMain, "MeasureNumberEvery", 2),
    PrefRow<PrefPage, &PageRecord::measureNumberIsManMeasure, u8>(kMain,
                                                                  "MeasureNumberIsManMeasure", 0),
    PrefRow<PrefPage, &PageRecord::measureNumberIsWindowsFont, u8>(kMain,
                                                                   "MeasureNumberIsWindowsFont", 0),
    PrefRow<PrefPage, &PageRecord::measureNumberFontClass, u8>(kMain, "MeasureNumberFontClass", 9),
    PrefRow<PrefPage, &PageRecord::measureNumberOffsetX, i32>(kMain, "MeasureNumberOffsetX", 0),
    PrefRow<PrefPage, &PageRecord::measureNumberOffsetY, i32>(kMain, "MeasureNumberOffsetY", 128),
    PrefRow<PrefPage, &PageRecord::measureNumberAlign, u8>(kMain, "MeasureNumberAlign", 1),
    PrefRow<PrefNewScore, &NewScoreBlock::initStavesPerSystem, u16>(kMain, "InitStavesPerSystem",
                                                                    2),
    PrefRow<PrefNewScore, &NewScoreBlock::initMeasuresPerSystem, u8>(kMain, "InitMeasuresPerSystem",
                                                                     4),
    PrefRow<PrefNewScore, &NewScoreBlock::initSystemsPerPage, u8>(kMain, "InitSystemsPerPage", 5),
    PrefRow<PrefHeader, &ScoreHeader::notePlaybackPercent, u8>(kMain, "NotePlaybackPercent", 90),
    OptionRow<&ProgramOptions::QuantizeMouse, u8>(kMain, "QuantizeMouse", 1),
    OptionRow<&ProgramOptions::AllowStepEntry, u8>(kMain, "AllowStepEntry", 1),
    OptionRow<&ProgramOptions::FollowMusic, u8>(kMain, "FollowMusic", 1),
    OptionRow<&ProgramOptions::RTCFrequency, u8>(kMain, "RTCFrequency", 128),
    OptionRow<&ProgramOptions::RecordMode, u8>(kMain, "RecordMode", 1),
    OptionRow<&ProgramOptions::SyncPorts, u8>(kMain, "SyncPorts", 1),
    OptionRow<&ProgramOptions::ThruPorts, u8>(kMain, "ThruPorts", 1),
    OptionRow<&ProgramOptions::MidiStepInPort, u8>(kMain, "MidiStepInPort", 0),
    OptionRow<&ProgramOptions::RecordPort, u8>(kMain, "RecordPort", 0),
    OptionRow<&ProgramOptions::SyncInPort, u8>(kMain, "SyncInPort", 0),
    OptionRow<&ProgramOptions::FudgeLimit, i32>(kMain, "FudgeLimit", 512),
    OptionRow<&ProgramOptions::ExtendLimit, i32>(kMain, "ExtendLimit", 512),
    OptionRow<&ProgramOptions::PreQuantization, i32>(kMain, "PreQuantization", 8),
    OptionRow<&ProgramOptions::PostQuantization, i32>(kMain, "PostQuantization", 8),
    OptionRow<&ProgramOptions::AllowMIDIdelay, u8>(kMain, "AllowMIDIdelay", 1),
    OptionRow<&ProgramOptions::CommonCut, u8>(kMain, "CommonCut", 1),
    OptionRow<&ProgramOptions::RecordCountdown, u8>(kMain, "RecordCountdown", 1),
    OptionRow<&ProgramOptions::PlayCountdown, u8>(kMain, "PlayCountdown", 0),
    OptionRow<&ProgramOptions::RecordStaff, u8>(kMain, "RecordStaff", 1),
    OptionRow<&ProgramOptions::SplitStaff, u8>(kMain, "SplitStaff", 2),
    OptionRow<&ProgramOptions::SplitPoint, u8>(kMain, "SplitPoint", 60),
    OptionRow<&ProgramOptions::CachePatches, u8>(kMain, "CachePatches", 0),
    OptionRow<&ProgramOptions::RecordContinue, u8>(kMain, "RecordContinue", 1),
    OptionRow<&ProgramOptions::RecordMetro, u8>(kMain, "RecordMetro", 1),
    OptionRow<&ProgramOptions::RecordEcho, u8>(kMain, "RecordEcho", 1),
    OptionRow<&ProgramOptions::PlayMetro, u8>(kMain, "PlayMetro", 0),
    OptionRow<&ProgramOptions::KeepMIDI, u8>(kMain, "KeepMIDI", 0),
    OptionRow<&ProgramOptions::KeepQuantizationError, u8>(kMain, "KeepQuantizationError", 1),
    OptionRow<&ProgramOptions::QuantizationErrorLimit, u8>(kMain, "QuantizationErrorLimit", 9),
    OptionRow<&ProgramOptions::HomeZoom, u8>(kMain, "HomeZoom", 8),
    StateRow<NotesState, &NotesGlobals::AutoBeam, u8>(kMain, "AutoBeam", 1),
    StateRow<NotesState, &NotesGlobals::AutoRest, u8>(kMain, "AutoRest", 1),
    StateRow<NotesState, &NotesGlobals::AutoHideTabStems, u8>(kMain, "AutoHideTABStems", 1),
    StateRow<NoteToolsState, &NoteToolState::autoRollNotes, u8>(kMain, "AutoRollNotes", 1),
    StateRow<AutoSaveState, &AutoSaveConfig::enabled, u8>(kMain, "AutoSaveChanges", 0),
    StateRow<AutoSaveState, &AutoSaveConfig::count, u8>(kMain, "AutoSaveCount", 100,
                                                        kMinAutoSaveCount, kMaxAutoSaveCount),
    OptionRow<&ProgramOptions::InchRule, u8>(kMain, "InchRule", 0),
    OptionRow<&ProgramOptions::ShowMargins, u8>(kMain, "ShowMargins", 1),
    OptionRow<&ProgramOptions::StartMaximized, u8>(kMain, "StartMaximized", 1),
    OptionRow<&ProgramOptions::SendPatches, u8>(kMain, "SendPatches", 1),
    OptionRow<&ProgramOptions::IsAutoRewind, u8>(kMain, "IsAutoRewind", 1),
    OptionRow<&ProgramOptions::ShowHidden, u8>(kMain, "ShowHidden", 0),
    StateRow<NotesState, &NotesGlobals::AutoExtendMeasure, u8>(kMain, "AutoExtendBeats", 0),
    OptionRow<&ProgramOptions::SavePreferences, u8>(kMain, "SavePreferences", 1),
    OptionRow<&ProgramOptions::LoadLastFile, u8>(kMain, "LoadLastFile", 1),
    OptionRow<&ProgramOptions::PickListEntries, u8>(kMain, "PickListEntries", 6),
    OptionRow<&ProgramOptions::RulerOn, u8>(kMain, "RulerOn", 0),
    OptionRow<&ProgramOptions::IsAllowFocus, u8>(kMain, "IsAllowFocus", 1),
    StateRow<LayoutState, &LayoutGlobals::SpacingMode, u8>(kMain, "IsSpacing", 2),
    StateRow<NotesState, &NotesGlobals::StemMode, u8>(kMain, "IsForceStemUD", 0),
    OptionRow<&ProgramOptions::UseBoxCursor, u8>(kMain, "UseBoxCursor", 1),
    StateRow<LayoutState, &LayoutGlobals::SpreadSpaceChanges, u8>(kMain, "SpreadSpaceChanges", 0),
    OptionRow<&ProgramOptions::Verify, u8>(kMain, "Verify", 1),
    OptionRow<&ProgramOptions::FilterTempo, u8>(kMain, "FilterTempo", 0),
    OptionRow<&ProgramOptions::FilterKEYP, u8>(kMain, "FilterKEYP", 0),
    OptionRow<&ProgramOptions::FilterRTC, u8>(kMain, "FilterRTC", 0),
    OptionRow<&ProgramOptions::FilterPATCH, u8>(kMain, "FilterPATCH", 0),
    OptionRow<&ProgramOptions::FilterCHAP, u8>(kMain, "FilterCHAP", 0),
    OptionRow<&ProgramOptions::FilterPITCH, u8>(kMain, "FilterPITCH", 0),
    OptionRow<&ProgramOptions::HideKEYP, u8>(kMain, "HideKEYP", 0),
    OptionRow<&ProgramOptions::HideRTC, u8>(kMain, "HideRTC", 0),
    OptionRow<&ProgramOptions::HidePATCH, u8>(kMain, "HidePATCH", 0),
    OptionRow<&ProgramOptions::HideCHAP, u8>(kMain, "HideCHAP", 0),
    OptionRow<&ProgramOptions::HidePITCH, u8>(kMain, "HidePITCH", 0),
    OptionRow<&ProgramOptions::HideTEMPO, u8>(kMain, "HideTEMPO", 0),
    OptionRow<&ProgramOptions::ResetMode, u8>(kMain, "ResetMode", 1),
    StateRow<ProgramFlags, &ProgramGlobals::SpaceAccidentals, u8>(kMain, "SpaceAccidentals", 1),
    StateRow<DisplayFlags, &DisplayGlobals::TextSpacingRef, u8>(kMain, "TextSpacingRef", 0),
    OptionRow<&ProgramOptions::AllowTriplets, u8>(kMain, "AllowTriplets", 1),
    OptionRow<&ProgramOptions::AllowSyncopation, u8>(kMain, "AllowSyncopation", 1),
    OptionRow<&ProgramOptions::AllowQuin, u8>(kMain, "AllowQuin", 0),
    OptionRow<&ProgramOptions::ReleaseButtonWnds, u8>(kMain, "ReleaseButtonWnds", 0),
    OptionRow<&ProgramOptions::ShowPlaybackLoc, u8>(kMain, "ShowPlaybackLoc", 1),
    StateRow<NotesState, &NotesGlobals::KeyCancelLeftOfBar, u8>(kMain, "KeyCancel", 1),
    OptionRow<&ProgramOptions::AutoScroll, u8>(kMain, "AutoScroll", 0),
    // "Version 2"
    OptionRow<&ProgramOptions::PolyMode, u8>(kV2, "PolyMode", 1),
    OptionRow<&ProgramOptions::Verify, u8>(kV2, "VerifySave", 0),
    OptionRow<&ProgramOptions::UseToolTips, u8>(kV2, "UseToolTips", 1),
    OptionRow<&ProgramOptions::AutoSlash, u8>(kV2, "AutoSlash", 1),
    StateRow<ProgramFlags, &ProgramGlobals::AutoFlipAccents, u8>(kV2, "AutoFlipAccents", 1),
    OptionRow<&ProgramOptions::SymmetricSlurs, u8>(kV2, "SymmetricSlurs", 0),
    OptionRow<&ProgramOptions::SymmetricHairpins, u8>(kV2, "SymmetricHairpins", 1),
    OptionRow<&ProgramOptions::SyncPalettes, u8>(kV2, "SyncPalettes", 1),
    StateRow<DisplayFlags, &DisplayGlobals::OssiaStaves, u8>(kV2, "OssiaStaves", 0),
    OptionRow<&ProgramOptions::ClipBlackAndWhite, u8>(kV2, "ClipBlackAndWhite", 1),
    // On at first: a right click opens the menu of what it is on and deletes nothing.
    OptionRow<&ProgramOptions::UsePopupMenus, u8>(kV2, "UsePopupMenus", 1),
    StateRow<DialogState, &DialogGlobals::ShowStatusBarSetting, u8>(kV2, "StatusBar", 1),
    OptionRow<&ProgramOptions::AutoMMR, u8>(kV2, "AutoMMR", 1),
    OptionRow<&ProgramOptions::AutoLastBar, u8>(kV2, "AutoLastBar", 1),
    OptionRow<&ProgramOptions::ShowOffPage, u8>(kV2, "ShowOffPage", 0),
    OptionRow<&ProgramOptions::AutoReformat, u8>(kV2, "AutoReformat", 1),
    OptionRow<&ProgramOptions::SmoothScreen, u8>(kV2, "SmoothScreen", 0),
    OptionRow<&ProgramOptions::BackupCopies, u8>(kV2, "BackupCopies", 1),
    OptionRow<&ProgramOptions::KeySigAllStaves, u8>(kV2, "KeySigAllStaves", 1),
    // "ToolbarSettings"
    OptionRow<&ProgramOptions::LRToolbar, u8>(kBar, "LRToolbar", 0),
    OptionRow<&ProgramOptions::NoteToolbar, u8>(kBar, "NoteToolbar", 0),
    OptionRow<&ProgramOptions::TextToolbar, u8>(kBar, "TextToolbar", 0),
    OptionRow<&ProgramOptions::FileToolbar, u8>(kBar, "FileToolbar", 1),
    OptionRow<&ProgramOptions::CDToolbar, u8>(kBar, "CDToolbar", 1),
    OptionRow<&ProgramOptions::PageToolbar, u8>(kBar, "PageToolbar", 1),
    OptionRow<&ProgramOptions::WinToolbar, u8>(kBar, "WinToolbar", 1),
    OptionRow<&ProgramOptions::ToolBarText, u8>(kBar, "ToolBarText", 1),
    OptionRow<&ProgramOptions::EditToolbar, u8>(kBar, "EditToolbar", 1),
    OptionRow<&ProgramOptions::ViewToolbar, u8>(kBar, "ViewToolbar", 1),
    OptionRow<&ProgramOptions::VoxToolbar, u8>(kBar, "VoxToolbar", 1),
    OptionRow<&ProgramOptions::SmallToolBars, u8>(kBar, "SmallToolBars", 1),
    // The palettes' buttons are 36 pixels until "Use Small Palettes" stores 24.
    OptionRow<&ProgramOptions::ToolSize, i16>(kBar, "ToolSize", 36),
};
static_assert(std::size(kIntSettings) == kIntSettingCount);

}  // namespace

std::span<const IntSetting> IntSettingsTable() {
    return kIntSettings;
}

const IntSetting* FindIntSetting(std::string_view key) {
    for (const IntSetting& row : kIntSettings)
        if (sys::SameSettingsName(row.key, key)) return &row;
    return nullptr;
}

void StoreIntSetting(const IntSetting& row, int32_t value) {
    row.write(std::clamp(value, row.lowest, row.highest));
}

void ApplyIntSettingDefaults(SettingHome home) {
    for (const IntSetting& row : kIntSettings)
        if (row.home == home) StoreIntSetting(row, row.defaultValue);
}

}  // namespace ql
