// Built-in preference defaults of a new score.
#include "core/settings/preference_defaults.h"

#include <cstring>

namespace ql {

namespace {

constexpr uint8_t kDefaultStaffSize = 4;
constexpr uint8_t kDefaultStartRight = 1;
constexpr uint8_t kDefaultFirstPageNumber = 1;
constexpr uint8_t kDefaultPageByte7 = 15;
constexpr uint16_t kDefaultDegreesPerInch = 16;
constexpr uint8_t kDefaultNumberStyle = 2;
constexpr uint8_t kDefaultNumberEvery = 2;
constexpr uint8_t kDefaultNumberAlign = 1;
constexpr uint8_t kDefaultNumberFontClass = 9;
constexpr int32_t kDefaultNumberOffsetY = 128;
constexpr uint8_t kDefaultMeasuresPerSystem = 4;
constexpr uint8_t kDefaultSystemsPerPage = 5;
constexpr uint16_t kDefaultStaffSeparation = 1024;
constexpr uint16_t kDefaultSystemSeparation = 1536;
constexpr uint16_t kDefaultStavesPerSystem = 2;
constexpr uint8_t kDefaultPlaybackPercent = 90;
constexpr uint16_t kDefaultTempo = 120;
constexpr uint16_t kDefaultMarginBcd = 0x0100;  // 1.00 in the page unit
constexpr uint16_t kLetterWidthBcd = 0x0850;
constexpr uint16_t kLetterHeightBcd = 0x1100;
constexpr uint16_t kDefaultUserStaffBcd = 0x1500;
constexpr char kMusicFace[] = "Glyphora";
constexpr char kSerifFace[] = "Times New Roman";

void CopyName(char (&to)[kFaceNameChars], const char* from) {
    std::memset(to, 0, sizeof to);
    std::strncpy(to, from, sizeof to - 1);
}

void SetPageDefaults(PageRecord& page) {
    page.staffSize = kDefaultStaffSize;
    page.firstPage = kDefaultStartRight;
    page.firstPageNumber = kDefaultFirstPageNumber;
    page.pageByte7 = kDefaultPageByte7;
    page.degreesPerInch = kDefaultDegreesPerInch;
    page.measureNumberStyle = kDefaultNumberStyle;
    page.measureNumberEvery = kDefaultNumberEvery;
    page.measureNumberAlign = kDefaultNumberAlign;
    page.measureNumberFontClass = kDefaultNumberFontClass;
    page.measureNumberOffsetY = kDefaultNumberOffsetY;
}

void SetHeaderDefaults(ScoreHeader& header) {
    std::memset(&header, 0, sizeof header);
    SetPageDefaults(header.pageGeometry);
    header.newScoreBlock.initMeasuresPerSystem = kDefaultMeasuresPerSystem;
    header.newScoreBlock.initSystemsPerPage = kDefaultSystemsPerPage;
    header.newScoreBlock.staffSeparation = kDefaultStaffSeparation;
    header.newScoreBlock.systemSeparation = kDefaultSystemSeparation;
    header.newScoreBlock.initStavesPerSystem = kDefaultStavesPerSystem;
    header.notePlaybackPercent = kDefaultPlaybackPercent;
    header.tempo = kDefaultTempo;
    header.userPageWidth = kLetterWidthBcd;
    header.userPageHeight = kLetterHeightBcd;
    header.fontSizeSetting = kDefaultUserStaffBcd;
    for (int i = 0; i < kMarginCount; ++i) {
        header.leftMargins[i] = kDefaultMarginBcd;
        header.rightMargins[i] = kDefaultMarginBcd;
    }
}

PreferenceDefaults BuiltInDefaults() {
    PreferenceDefaults defaults;
    SetHeaderDefaults(defaults.header);
    CopyName(defaults.musicFaceName, kMusicFace);
    CopyName(defaults.fontFaceNames[0], kMusicFace);
    for (int i = 1; i < 4; ++i) CopyName(defaults.fontFaceNames[i], kSerifFace);
    CopyName(defaults.measureNumberFaceName, kSerifFace);
    return defaults;
}

}  // namespace

PreferenceDefaults& ProgramPreferences() {
    static PreferenceDefaults defaults = BuiltInDefaults();
    return defaults;
}

void ResetPreferenceDefaults() {
    ProgramPreferences() = BuiltInDefaults();
}

void SanitizeTimeSignatureDefaults(PreferenceDefaults& defaults) {
    if (defaults.timeBeatUnitExponent < kMinBeatUnitExponent ||
        defaults.timeBeatUnitExponent > kMaxBeatUnitExponent) {
        defaults.timeBeatUnitExponent = kQuarterBeatUnitExponent;
    }
}

}  // namespace ql
