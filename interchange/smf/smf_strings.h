// The texts of Standard MIDI File reading and writing, by string id (their words
// are in the program's string table).
#pragma once

#include <cstdint>

namespace ql {

constexpr int32_t kStrExportMidiFileCaption = 23;    // "Export to Standard Midi File"
constexpr int32_t kStrFileOpenError = 1069;          // "File open error"
constexpr int32_t kStrMidiTrack = 1166;              // "Track"
constexpr int32_t kStrInvalidMidiFile = 1167;        // "Invalid MIDI file"
constexpr int32_t kStrInvalidMidiData = 1193;        // "Invalid MIDI data"
constexpr int32_t kStrImportMidiFileCaption = 1496;  // "Import MIDI File"
constexpr int32_t kStrPageWord = 1726;               // "page"
constexpr int32_t kStrPagesWord = 1727;              // "pages"

// The lead of the box shown when a MIDI file cannot be created; "%s" is the
// system's text of the error.
inline constexpr char kCreateMidiFileErrorFormat[] = "Error occurred while creating file:\n%s";

}  // namespace ql
