// The marks a NIFF file hangs on notes (accidentals, articulations, ornaments,
// arpeggio signs and lyric syllables) and the expression marks of a staff
// (dynamics, pedal marks and pedal brackets), with chord symbols and tempo marks:
// the tables that turn the file's codes into glyphs and MIDI actions, and what the
// import's frame keeps of each until the builder makes the score objects.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "core/objects/dynamic_marks.h"
#include "interchange/niff/niff_chord_parser.h"
#include "interchange/niff/niff_placement.h"

namespace ql::niff {

// A row of the articulation and ornament table: the side rule (flip 1: below when
// the stem is up), the glyphs above and below (0 none), and the file's code.
struct NiffMarkRow {
    uint8_t flip;
    uint8_t above;
    uint8_t below;
    uint8_t selector;  // 1 an articulation, 0 an ornament
    int16_t code;
};
inline constexpr uint8_t kNiffArticulationRow = 1;
inline constexpr uint8_t kNiffOrnamentRow = 0;
// The first row with this selector and code, or null.
const NiffMarkRow* FindNiffMarkRow(uint8_t selector, int code);

// A dynamic's velocity change and glyph; `actionOff` clears its MIDI action's
// enable bit. The program's one table of dynamics.
using NiffDynamicRow = DynamicSign;
// The row of a `dynm` code, or null for a code that makes nothing.
const NiffDynamicRow* FindNiffDynamic(int code);

// The note's accidental code (1 sharp .. 5 natural) of an `acdl` shape; 0 for none.
int NiffAccidentalCodeOf(int shape);

// An articulation or ornament on a note: its glyph, its side (1 above, 2 below)
// and its vertical offset from the note in score units.
struct NiffNoteMark {
    uint8_t glyph = 0;
    uint8_t side = 1;
    int16_t vertical = 0;
    bool sideFromFile = false;  // tag 22 named the side: the mark keeps its offsets
};
struct NiffLyricSyllable {
    std::string text;
    int line = 0;  // the verse, 0..3
    int fontSlot = -1;
};
// An arpeggio sign before a chord: the staff positions of its top and bottom notes.
struct NiffArpeggio {
    int top = 0;
    int bottom = 0;
};
// What the file hung on one note or rest.
struct NiffNoteAttachments {
    int accidental = -1;  // 0..5 when an `acdl` chunk gave one
    uint16_t noteBits = 0;  // the note's legato and staccato bits
    std::vector<NiffNoteMark> marks;
    std::vector<NiffLyricSyllable> lyrics;
    std::optional<NiffArpeggio> arpeggio;  // on the chord's last note
};

// The payload of a chord symbol, tempo mark, dynamic, pedal mark or pedal bracket.
struct NiffMarkDetail {
    int glyph = 0;
    int value = 0;         // velocity change, pedal value, or beats per minute
    bool actionOn = true;  // the mark's MIDI action performs
    NiffChord chord;
    int beatKind = 1;  // a tempo mark's beat: 0 eighth, 1 quarter, 2 half
    bool dotted = false;
    // A pedal bracket: its end and end style; the start is the mark's own place
    // (with the page anchor, the end x is a page point too).
    int endMeasure = 1;
    int32_t endTick = 0;
    int32_t endX = 0;
    int32_t height = 0;
    uint8_t endStyle = 0;
};

// An open pedal bracket or a pedal mark still waiting for its later chunks.
struct NiffPedalRecord {
    int id = -2;
    int remaining = 0;
    int staff = 1;
    int measure = 1;
    int shape = 0;
    int32_t height = 0;
    int32_t x = 0;  // the start chunk's placement (file units)
    int32_t y = 0;
    int32_t tick = 0;
    NiffPagePoint pageStart;  // the start chunk was placed on a page (page -1: not)
};

// The measure numbering a `meas` chunk asks for; -1 leaves the document's.
struct NiffNumbering {
    int mode = -1;  // 0 off, 1 at each system's start, 2 every `every` measures
    int every = 1;
    bool enclosed = false;
};

}  // namespace ql::niff
