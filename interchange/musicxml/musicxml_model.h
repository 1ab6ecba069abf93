// The compact model a MusicXML score is read into: parts with their measures, each
// measure's music in document order. Partwise and timewise files fill the same
// model, so both forms of a score convert to the same NIFF bytes.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ql::musicxml {

struct MxlSlur {
    int number = 1;     // 1..16
    bool start = false; // else it stops here
    int side = 0;       // 0 by the stems, 1 above, 2 below
};

// A note the file draws without a stem (the others: musicxml_staff_voices.h).
inline constexpr int kStemNone = 3;

// The shapes of note heads the converter writes besides the plain one.
inline constexpr int kHeadX = 1;
inline constexpr int kHeadSquare = 2;

struct MxlNote {
    bool rest = false;
    bool chord = false;         // sounds with the note before it
    bool measureRest = false;   // a rest that fills the measure
    char step = 'C';            // A..G; 0 for an unpitched note on the middle line
    int alter = 0;              // -2..2
    int octave = 4;             // 0..9
    char displayStep = 0;       // a rest's display step, 0 when none
    int displayOctave = 4;
    int duration = 0;           // in divisions
    int type = 0;               // 0 none, else 1 = whole, 2 = half, 4 = quarter ... 1024;
                                // -2 breve, -4 long, -8 maxima
    int dots = 0;
    int voice = 1;
    int staff = 1;              // 1..4
    int accidental = 0;         // 0 none, 1 double flat .. 5 double sharp, 3 natural
    int stem = 0;               // 0 not given, 1 up, 2 down, 3 none (kStemNone)
    int beamLeft = 0;           // beam levels joined to the chord before
    int beamRight = 0;          // beam levels joined to the chord after
    bool tieStart = false;
    bool tieStop = false;
    bool grace = false;         // it takes no time: it stands before the next note of its voice
    int graceOffset = 0;        // a grace note's place: so many before (< 0) or after (> 0) its note
    bool unpitched = false;     // a percussion note at its display step
    bool hidden = false;        // print-object="no": it sounds, and is not shown
    bool cue = false;           // a cue note: shown small, not played
    int head = 0;               // its head's shape: 0 by its value, else a kHead* below
    int headFilled = -1;        // the shape filled (1) or open (0); -1 by its value
    int tieSide = 0;            // 0 by the stems, 1 above ("over"), 2 below ("under")
    int tupletActual = 0;       // time-modification: actual notes in the time of
    int tupletNormal = 0;       // normal notes, of the normal type (0: the note's own)
    int tupletNormalType = 0;
    bool tupletStart = false;
    int tupletLook = 0;         // a tuplet started here: its mark's NIFF grouping code
    bool tupletStop = false;
    std::vector<MxlSlur> slurs;
    std::vector<int> articulations;  // NIFF articulation codes
    std::vector<int> ornaments;      // NIFF ornament codes
    bool arpeggio = false;           // an arpeggio sign before its chord
    std::vector<std::pair<int, std::string>> lyrics;  // verse 1..4, syllable text
};

enum class MxlItemKind : uint8_t { Note, Backup, Forward, Clef, Key, Time, Dynamic, Words, NewSystem, Wedge, OctaveShift, Ending, Tempo,
                                   ChordSymbol, Pedal, Rehearsal };

struct MxlItem {
    MxlItemKind kind = MxlItemKind::Note;
    int amount = 0;        // backup and forward, in divisions
    int staff = 1;         // clef, dynamic and words
    int value = 0;         // clef sign (1 G, 2 F, 3 C, 4 percussion); key fifths; dynamic code;
                           // wedge 1 crescendo, 2 diminuendo, 0 its end; octave shift 1 above,
                           // 2 below, 0 its end; ending 1 start, 2 stop, 3 discontinue;
                           // tempo: beats per minute; pedal 1 down, 2 up, 3 up and down again;
                           // new system: 1 when it starts a new page too
                           // rehearsal mark: its frame, 0 none, 1 a box, 2 a circle
    int line = 0;          // clef line; time beats; wedge and octave shift number; tempo: its beat's dots
    int extra = 0;         // clef octave change; time beat type; octave shift size (8, 15);
                           // tempo: its beat's type (as a note's), with `line` dots
    int symbol = 0;        // time: 0 plain, 1 common, 2 cut; tempo: 1 when not shown;
                           // pedal: 1 its sign ("Ped.", "*") shown, 2 its line, 3 both
    std::string text;      // words; an ending's numbers; a chord symbol's text; a rehearsal mark
    int side = 0;          // dynamic, wedge and words: 1 above the staff, 2 below, 0 not said
    MxlNote note;
};

// A barline's look as the file names it; the looks the score cannot draw are
// counted by the reader and read as plain.
enum class MxlBarStyle : uint8_t { Regular, LightLight, LightHeavy, Heavy, HeavyLight };

// One side's barline of a measure: its look and the repeat signs on it.
struct MxlBarline {
    MxlBarStyle style = MxlBarStyle::Regular;
    bool repeatStart = false;  // a forward repeat: the passage after it is played again
    bool repeatEnd = false;    // a backward repeat: the passage before it is played again
};

struct MxlMeasure {
    bool implicit = false; // implicit="yes": as long as its music, whatever its time signature
    int divisions = 0;     // set when the measure changes it
    int staves = 0;        // set when the measure changes it
    std::vector<int> staffLines;  // per staff, 0 = unchanged
    MxlBarline left;   // the barline the measure starts with
    MxlBarline right;  // the barline that ends it
    std::vector<MxlItem> items;
};

struct MxlPart {
    std::string id;
    std::string name;
    std::string abbreviation;
    int midiChannel = 0;   // 1..16, 0 when none
    int transpose = 0;     // chromatic + 12 * octave-change
    int groupBracket = 0;  // 0 none, 2 brace, 3 bracket: the part starts such a group
    int groupEnd = -1;     // the last part of the group it starts
    std::vector<MxlMeasure> measures;
};

// A credit's text at its place on the page, in tenths from the bottom left.
struct MxlCredit {
    std::string text;
    int page = 1;
    bool placed = false;
    double x = 0;
    double y = 0;
    bool centred = false;
    bool right = false;   // the place is the text's right end
    bool top = false;     // the place is the text's top (valign "top")
    bool middle = false;  // the place is the text's middle (valign "middle")
    double fontSize = 0;  // points, 0 when the file gives none
};

struct MxlScore {
    std::string workTitle;
    std::string movementTitle;
    std::vector<MxlCredit> credits;
    std::vector<std::pair<std::string, std::string>> creators;  // (type, name): composer, lyricist ...
    double millimeters = 0;  // scaling: so many millimetres make `tenths` tenths; 0 when absent
    double tenths = 0;
    double pageWidth = 0;    // page-layout in tenths, 0 when absent
    double pageHeight = 0;
    int measureNumbering = -1;  // the first <measure-numbering>: 0 "none", 1 shown; -1 not given
    bool timeWritten = false;   // the file has a <time> element, read or not
    std::vector<MxlPart> parts;
};

}  // namespace ql::musicxml
