// String ids of texts the shell, the editors and the files show (the program's string
// table holds the English).
#pragma once

#include <cstdint>

namespace ql {

// Colour names of the colour settings: red, green, blue, black, grey, sky, white.
constexpr int32_t kStrFirstColourName = 421;
// Default chord-type suffixes "ChordType_0".."ChordType_15".
constexpr int32_t kStrFirstChordType = 607;
// 'File "%s" %s' with this: another process has the score open.
constexpr int32_t kStrOpenInAnotherProcess = 1364;
constexpr char kFileNoticeFormat[] = "File \"%s\" %s";
// Pick-list labels of missing files: gone, or on media that is not mounted.
constexpr int32_t kStrPickListNotFound = 1362;
constexpr int32_t kStrPickListNotMounted = 1363;
// The status line at start: "%s = %d" with "MIDI devices" and the number of MIDI
// outputs, or " No MIDI devices".
constexpr int32_t kStrMidiDevices = 1076;
constexpr int32_t kStrNoMidiDevices = 1077;
// The palette windows' titles: Main, then Staff Tools (1020) to Ornaments (1028) in
// palette order.
constexpr int32_t kStrMainPaletteTitle = 1029;
constexpr int32_t kStrFirstToolPaletteTitle = 1020;
// The page band's two arrows, their window texts and tips.
constexpr int32_t kStrPreviousPageArrow = 1595;
constexpr int32_t kStrNextPageArrow = 1537;
// The main bar's button labels: the label of the button with image i is string
// kStrFirstBandLabel + i (images run through every band's buttons).
constexpr int32_t kStrFirstBandLabel = 2600;

}  // namespace ql
