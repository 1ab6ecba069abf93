// String ids of the shell's texts (the program's string table holds the English).
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

}  // namespace ql
