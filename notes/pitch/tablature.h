// Tablature staves: each line is a string, a note sits on a line and keeps its fret
// in its head-kind bits (19 + fret; below 19 the open string). The tuning comes from
// the first row of the tuning table (notes/pitch/pitch_tables.h) whose program range
// holds the staff's first-voice program (signed bytes, bounds inclusive) and whose
// string count is at least the staff's line count; with none, row 0. A staff with
// fewer lines than the row has strings shows the highest strings.
//
// Refusals: a string beyond its tuning row, a fret outside 0..12 or a key no fret of
// the string plays give kTabRefused; a note that lies on no string sounds
// kTabNoStringKey, as a note between lines does.
#pragma once

#include "notes/pitch/pitch_vocabulary.h"

namespace ql {

constexpr int kTabRefused = -1;
constexpr int kTabNoStringKey = 52;
constexpr int kTabFretBase = 19;  // head kind of fret 0
constexpr int kHighestTabFret = 12;

// The row of the tuning table that serves a program on a staff of `lineCount` lines.
int TabTuningRowFor(int program, int lineCount);
// The string (0 = the row's lowest) under a line (0 = bottom line) of a staff of
// `lineCount` lines; kTabRefused when it lies beyond the row or the row is unknown.
int TabStringOfLine(int row, int lineCount, int line);
// The open key of a string of a row; kTabRefused beyond the row.
int TabOpenStringKey(int row, int string);
// The key a fret 0..12 of a string sounds; kTabRefused when refused.
int TabFretKey(int row, int string, int fret);
// The fret of a string that sounds `midiKey`; kTabRefused when none of 0..12 does.
int TabFretOfKey(int row, int string, int midiKey);

// The line (0 = bottom) of a position on a TAB staff; kTabRefused between lines,
// below the bottom line, or at line 6 and above.
int TabLineOfPosition(int position);
// The position of a line.
constexpr int TabPositionOfLine(int line) {
    return -2 * line;
}

// The fret a note keeps: its head kind - 19, or 0 (open) below 19.
int NoteTabFret(const EventRecord& note);
// Writes fret 0..12 as the note's head kind; false (nothing written) otherwise.
bool SetNoteTabFret(EventRecord& note, int fret);

// The key a note on a TAB staff sounds: its string's open key + its fret + the
// staff's transposition; kTabNoStringKey when it lies on no string (or no staff).
int TabNoteToMidiKey(const StaffRecord* staff, const EventRecord& note);
// The fret that makes a line of the staff sound `midiKey` (the staff's transposition
// taken off first); kTabRefused when no fret does.
int TabStaffFretOfKey(const StaffRecord& staff, int line, int midiKey);

}  // namespace ql
