// The message of a transcription (a MIDI file import or a recording) that reached
// the last measure the score can hold: the notes after it are left out, and the
// user is told how many, once, when the transcription ends.
#pragma once

#include <cstdint>
#include <string>

namespace ql {

inline constexpr char kNotesLeftOutFormat[] =
    "The score can hold %d measures. %u notes after the last of them were left out.";

// The message for `count` notes left out.
std::string NotesLeftOutText(uint32_t count);

// Shows the message for `count` notes under `caption`; nothing when `count` is 0.
void ReportNotesLeftOut(uint32_t count, const char* caption);

}  // namespace ql
