// The dynamics a score can show, in one table that every place making or naming a
// dynamic reads: the Dynamics palette (entry i places symbol 158 + i), the NIFF
// import (a `dynm` code), the MusicXML converter (a mark's letters) and the drawing
// (the symbol is the music-font character drawn). Each row holds the symbol a
// dynamic marking stores, the letters it shows (its glyph in the music font is
// "dynamic_" and the letters; the two words "cresc." and "dim." are "word_cresc"
// and "word_dim"), the velocity offset it plays with, and the NIFF codes of it.
// "sfz" and "rfz" have a symbol and no NIFF code; sfp and rf have neither.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace ql {

struct DynamicSign {
    uint8_t glyph;                  // the symbol code: a character of the music font
    std::string_view letters;       // as printed
    int8_t velocity;                // offset added to the key velocities that follow
    bool actionOff;                 // a change of loudness: imported with its MIDI action off
    std::array<uint8_t, 2> niffCodes;  // the `dynm` codes that name it (0: none)
};

inline constexpr uint8_t kFirstPaletteDynamic = 158;  // Dynamics palette entry 0
inline constexpr int kPaletteDynamics = 15;           // entries 0..14
inline constexpr uint8_t kCrescendoGlyph = 173;
inline constexpr uint8_t kDiminuendoGlyph = 174;

// Every row, in symbol order.
std::span<const DynamicSign> DynamicMarks();
// The row of a symbol, of printed letters, or of a NIFF code; null when none.
const DynamicSign* DynamicOfGlyph(int glyph);
const DynamicSign* DynamicOfLetters(std::string_view letters);
const DynamicSign* DynamicOfNiffCode(int code);

}  // namespace ql
