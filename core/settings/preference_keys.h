// What loading and saving the preferences share: the keys of the text settings, their
// buffer sizes (characters with the terminator) and their defaults.
#pragma once

#include <cstdint>
#include <string>

#include "core/model/score_document.h"
#include "core/settings/program_options.h"

namespace ql {

constexpr int kLanguageChars = 63;
constexpr int kQuickFontChars = 63;
constexpr int kChordTypeChars = 16;
constexpr int kNumberTextChars = 32;
constexpr int kSeparationChars = 63;
constexpr int kPickListDriveChars = 26;
constexpr int kCopyrightChars = 99;
constexpr int kTemplatePathChars = 259;
constexpr int kMusicFontNameChars = 32;
constexpr int kCompositeChars = 128;  // port map, quick zooms, spelling lists, colours

constexpr char kLanguageKey[] = "Language";
constexpr char kQuickFontKey[] = "QuickFont%d";
constexpr char kChordTypeKey[] = "ChordType_%d";
constexpr char kQuickZoomKey[] = "QZoom%d";
constexpr char kUserStaffSizeKey[] = "UserStaffSize";
constexpr char kUserStaffSizeDefault[] = "16.0";
constexpr char kShowChangeKey[] = "MeasureNumberShowChange";
constexpr char kStaffSeparationKey[] = "InitStaffSeparation";
constexpr char kSystemSeparationKey[] = "NumSystemsSep";
constexpr char kSeparationDefault[] = "12.00";
constexpr char kUserPageWideKey[] = "UserPageWide";
constexpr char kUserPageTallKey[] = "UserPageTall";
constexpr char kUserPageWideDefault[] = "8.5";
constexpr char kUserPageTallDefault[] = "11.0";
constexpr char kTempoKey[] = "Tempo";
constexpr int32_t kDefaultTempo = 120;
constexpr char kPickListDrivesKey[] = "PickListDrives";
constexpr char kPickListDrivesDefault[] = "C";
constexpr char kCopyrightKey[] = "CopyRight";
constexpr char kTemplatePathKey[] = "TemplatePath";
constexpr char kMetronomePortKey[] = "MetronomePort";
constexpr char kMidiPortMapKey[] = "MidiPortMap";
constexpr char kMidiPortNamesKey[] = "MidiPortNames";
constexpr char kRecordPortNameKey[] = "RecordPortName";
constexpr char kSyncInPortNameKey[] = "SyncInPortName";
constexpr char kMidiStepInPortNameKey[] = "MidiStepInPortName";
constexpr char kMetronomePortNameKey[] = "MetronomePortName";
constexpr int kPortNamesChars = 1024;
constexpr char kMusicFontNameKey[] = "MusicFontName";
constexpr char kMusicFontNameDefault[] = "Glyphora";
constexpr char kDefaultFontFace[] = "Times New Roman";
// The quick font each default font (text lines, lyrics, measure numbers) is made from
// when none is stored: "Tempo" (the slot text lines made from imported text take),
// "Lyric" and "Measure numbers". Quick font 0 holds chord diagrams, not letters, so a
// default left at slot 0 would show typed text as nothing the user can read.
inline constexpr int kDefaultFontQuickFonts[kDefaultFontCount] = {7, 4, 9};

// Keys of the margins in the header's margin order: left, top, right, bottom.
inline constexpr const char* kLeftMarginKeys[kMarginCount] = {"LMarginLeft", "LMarginTop",
                                                              "LMarginRight", "LMarginBottom"};
inline constexpr const char* kRightMarginKeys[kMarginCount] = {"RMarginLeft", "RMarginTop",
                                                               "RMarginRight", "RMarginBottom"};
inline constexpr const char* kLeftMarginDefaults[kMarginCount] = {"0.5", "1.0", ".75", ".75"};
inline constexpr const char* kRightMarginDefaults[kMarginCount] = {".75", "1.0", ".5", ".75"};

// The metronome settings and the options that hold them.
struct MetronomeSetting {
    const char* key;
    int32_t ProgramOptions::*field;
};
inline constexpr MetronomeSetting kMetronomeSettings[] = {
    {"MetronomePatch", &ProgramOptions::MetronomePatch},
    {"MetronomeCH", &ProgramOptions::MetronomeCH},
    {"MetronomeBarKey", &ProgramOptions::MetronomeBarKey},
    {"MetronomeBeatKey", &ProgramOptions::MetronomeBeatKey},
    {"MetronomeKv", &ProgramOptions::MetronomeKv},
};

inline constexpr const char* kDefaultFontKeys[] = {"DefTexlineFont", "DefLyricFont",
                                                   "DefMeasNumFont"};
inline constexpr const char* kColourKeys[] = {"ColorTitle", "ColorMenu", "ColorButton",
                                              "ColorPageIcon", "ColorPageIconNumber"};

// "QuickFont7", "ChordType_3", ...: a key with its number.
std::string NumberedKey(const char* format, int n);
// A text setting through the lookup chain, cut to `chars` - 1 characters.
std::string PrefText(const char* section, const char* key, const char* defaultText, int chars);
// A number setting through the lookup chain.
int32_t PrefInt(const char* section, const char* key, int32_t defaultValue);
// Writes an integer row from its variable (every key of the variable).
void WriteIntRow(const char* key);
// "MidiPortMap": the eight output-device entries.
std::string FormatPortMap();

}  // namespace ql
