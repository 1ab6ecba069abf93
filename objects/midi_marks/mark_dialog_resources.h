// The program's own templates of the mark dialogs: "Dynamic Marking" (815), "Pedal
// Controller" (839), "Tempo Marking" (876), the hairpin's "Crescendo" (812), "Chord
// Symbols" (874) and "Rename Chord Symbols" (844), with their control ids.
// Registered into the program's bundle at start-up (a language bundle may replace
// any of them).
#pragma once

#include <cstdint>

#include "platform/sys/resources.h"

namespace ql {

namespace mark_dialog {
constexpr int32_t kLogo = 998;
}  // namespace mark_dialog

namespace dynamic_dialog {
constexpr int32_t kDialog = 815;
constexpr int32_t kValueSpin = 1104;
constexpr int32_t kValue = 1105;  // "Add this amount to key velocities:"
constexpr int32_t kEnable = 1108;
constexpr int32_t kKeyVelocity = 1208;
constexpr int32_t kSingle = 1203;
constexpr int32_t kGradual = 1204;
constexpr int32_t kSetTransition = 1205;
constexpr int32_t kSetImage = 1206;
constexpr int32_t kOutput = 1201;
}  // namespace dynamic_dialog

namespace pedal_dialog {
constexpr int32_t kDialog = 839;
constexpr int32_t kEnable = 1107;
constexpr int32_t kValueSpin = 1105;
constexpr int32_t kValue = 1106;
constexpr int32_t kControllerSpin = 1108;
constexpr int32_t kController = 1109;
constexpr int32_t kOutput = 1201;
}  // namespace pedal_dialog

namespace tempo_dialog {
constexpr int32_t kDialog = 876;
constexpr int32_t kEnable = 1316;
constexpr int32_t kSingle = 1201;
constexpr int32_t kGradual = 1202;
constexpr int32_t kSetTransition = 1203;
constexpr int32_t kSetImage = 1205;
constexpr int32_t kShowBeats = 1206;
constexpr int32_t kHideImage = 1207;
constexpr int32_t kEighth = 1210;
constexpr int32_t kQuarter = 1211;
constexpr int32_t kHalf = 1212;
constexpr int32_t kDotted = 1209;
constexpr int32_t kBeatsSpin = 1317;
constexpr int32_t kBeats = 1318;
constexpr int32_t kMaximum = 3088;
}  // namespace tempo_dialog

namespace hairpin_dialog {
constexpr int32_t kDialog = 812;
constexpr int32_t kEnable = 1113;
constexpr int32_t kFromSpin = 1111;
constexpr int32_t kFrom = 1112;
constexpr int32_t kToSpin = 1114;
constexpr int32_t kTo = 1115;
constexpr int32_t kWidthSpin = 1116;
constexpr int32_t kWidth = 1117;
constexpr int32_t kVolume = 3090;
constexpr int32_t kKeyVelocity = 1118;
constexpr int32_t kOutput = 1119;
}  // namespace hairpin_dialog

namespace chord_dialog {
constexpr int32_t kDialog = 874;
constexpr int32_t kSymbolAndName = 3192;
constexpr int32_t kSymbolOnly = 1203;
constexpr int32_t kNameOnly = 1109;
constexpr int32_t kFirstRoot = 1204;  // C..B: 1204..1210
constexpr int32_t kRootSharp = 1201;
constexpr int32_t kRootFlat = 1202;
constexpr int32_t kFirstBass = 1227;  // C..B: 1227..1233
constexpr int32_t kBassSharp = 1234;
constexpr int32_t kBassFlat = 1235;
constexpr int32_t kFirstQuality = 1211;  // 16 qualities: 1211..1226
constexpr int32_t kNameFont = 1246;
constexpr int32_t kRename = 1245;
constexpr int32_t kPreview = 2237;
}  // namespace chord_dialog

namespace rename_chord_dialog {
constexpr int32_t kDialog = 844;
constexpr int32_t kSavePreferences = 1201;
constexpr int32_t kFirstSuffix = 1246;  // 16 edits: 1246..1261
constexpr int32_t kFirstLabel = 1211;   // 16 statics: 1211..1226
}  // namespace rename_chord_dialog

// The sixteen quality labels of the chord dialogs, "Major" .. "Dom 7 (9-5)".
const char* ChordQualityLabel(int quality);

// Adds the six templates to `bundle`; entries the bundle already has are kept.
void AddMarkDialogResources(sys::ResourceBundle& bundle);

// Adds them to the registered program bundle (creating it when none is set).
void RegisterMarkDialogResources();

}  // namespace ql
