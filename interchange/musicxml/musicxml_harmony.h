// Chord symbols of a MusicXML score (harmony) as the text of a NIFF chord symbol:
// the root letter with "#" or "@" for a sharp or flat, the quality in a spelling
// the NIFF import's chord parser reads, and a bass after "/". The score's chord
// symbols hold sixteen qualities; a kind outside them is written as its letters
// and the file's own text for the kind, and the import shows it as a text.
#pragma once

#include <string>

namespace ql::musicxml {

struct MxlHarmony {
    char root = 0;       // A..G; 0 when the file gives none (a function or numeral)
    int rootAlter = 0;   // -1 flat, 1 sharp
    std::string kind;    // the kind's value, as "minor-seventh"
    std::string kindText;  // its text attribute: how the file prints the kind
    char bass = 0;
    int bassAlter = 0;
};

// The chord symbol's text, and whether its kind is one the score's chord symbols hold.
struct ChordSymbolText {
    std::string text;
    bool held = false;
};
ChordSymbolText ChordSymbolTextOf(const MxlHarmony& harmony);

}  // namespace ql::musicxml
