// The hand-assembled streams of the stream fixtures (see stream_fixtures.h), from the
// record tables of the ".ql" stream: one field (or one group of fields) per line,
// with its offset in the record and its meaning.
#include <cstring>
#include <string>
#include <vector>

#include "files/tests/files_fixture.h"
#include "files/tests/stream/stream_fixture_objects.h"
#include "files/tests/stream/stream_fixtures.h"

namespace ql::testing_files {
namespace {

// clang-format off

void Header(HandBytes& e, int staves, int measures, int pages) {
    for (int i = 0; i < 28; ++i) e.u16(0x0100 + i);      // 0: the 28 measurement words
    e.u32(0x11111111).u32(0x22222222).u32(0x33333333)    // 56: three score words
        .u16(0x0A0A)                                     // 68: score word
        .u8(4).u8(0).u8(0).u8(0)                         // 70: staff size, unit, paper, orientation
        .u8(1).u8(1).u8(1).u8(15)                        // 74: sides, first-page side, first number, byte
        .u8(0x81).u8(0x82)                               // 78: two page bytes
        .u16(0x0800)                                     // 80: user staff size x 128
        .u16(0x1100).u16(0x1600)                         // 82: user page width, height
        .u16(16)                                         // 86: degrees per inch
        .u8(2).u8(2).u8(1).u8(0).u8(9).u8(0)             // 88: number style, every, align, man, class, own font
        .u8(1).u8(2).u8(3).u8(4)                         // 94: four number bytes
        .u16(0xFFFB)                                     // 98: number offset x -5, narrowed
        .u16(128)                                        // 100: number offset y, narrowed
        .text("Times", 32)                               // 102: number face
        .text("No.", 32)                                 // 134: number text
        .u16(0)                                          // 166: the font handle is not stored
        .u8(5).u8(6).u8(7).u8(8)                         // 168: end of the page record
        .u16(0x0B0B)                                     // 172: word after the page record
        .u32(0x44444444)                                 // 174: new-score word
        .u8(3).u8(1)                                     // 178: measures per system, systems per page
        .u16(0x0600).u16(0x0500)                         // 180: staff and system separation
        .u8(0x10).u8(0x11)                               // 184: two bytes
        .u16(3)                                          // 186: staves per system
        .u8(0x19).u8(0x4A)                               // 188: two score bytes
        .u8(90)                                          // 190: note playback percent
        .u8(staves)                                      // 191: S
        .u16(measures)                                   // 192: M
        .u16(pages)                                      // 194: page count of the page list
        .u16(0x0D0D)                                     // 196: score word
        .u8(2).u8(32)                                    // 198: format stamp
        .u16(96)                                         // 200: the score's tempo
        .u8(0x20).u8(0x21)                               // 202: score word
        .u16(0)                                          // 204: not stored
        .u16(0x0300).u16(0x0301).u16(0x0302).u16(0x0303)  // 206: lyric levels
        .u8(1);                                          // 214: the on/off setting: on
    for (int i = 1; i < 26; ++i) e.u8(0xE0 + i);         // 215: score bytes
    e.u16(0x0850).u16(0x1100)                            // 240: user page width, height (BCD)
        .u16(0)                                          // 244: not stored
        .u16(0x1500)                                     // 246: user staff size (BCD)
        .u16(0x0050).u16(0x0100).u16(0x0075).u16(0x0075)  // 248: left-page margins
        .u16(0x0075).u16(0x0100).u16(0x0050).u16(0x0075);  // 256: right-page margins
}

void Galley(HandBytes& e, int staves) {
    e.u8(0).u8(0).u16(0).u16(0).u8(0).u8(0).u32(0).u32(0);  // galley system (not compared)
    for (int s = 1; s <= staves; ++s) e.u16(0);              // its staff offsets
    for (int s = 1; s <= staves; ++s) e.u8(0);               // its staff flags
}

void Staves(HandBytes& e, int staves) {
    for (int s = 1; s <= staves; ++s) {
        e.u16(0x0010 * s)                                // 0: transposition word
            .u16(0x0500)                                 // 2: flags: five lines
            .u8(64).u8(s - 1);                           // 4: velocity, semitones
        for (int t = 0; t < 4; ++t)
            e.u8(s - 1).u8(s).u8(10 * s + t).u8(0);      // 6 + 4t: timbre: port, channel, patch, byte
        for (int i = 0; i < 18; ++i) e.u8(0x10 * s + 0x20 + i);  // 22: further staff bytes
    }
}

void Label(HandBytes& e, int staff, const char* text, uint8_t pool) {
    e.u16(static_cast<uint32_t>(std::strlen(text)))      // L
        .u32(5).u8(0).u8(staff).u16(0)                   // 0: location
        .u16(0xFD80).u16(0xFE80)                         // 8: width -640, height -384
        .u16(14)                                         // 12: leading
        .u16(0x5A30 | pool)                              // 14: style: slot 11, the text's pool
        .u16(0)                                          // 16: no string handle
        .u8(0x34).u8(0)                                  // 18: carried byte, nothing
        .u16(0x0409)                                     // 20: keyboard layout
        .u8(0x0F).u8(0x22)                               // 22: carried flag bytes
        .u16(0)                                          // 24: zero
        .text(text, std::strlen(text));                  // the text, no NUL
}

void Measure(HandBytes& e, int m, int spacing, int measures) {
    e.u8(0).u8(m)                                        // 0: flags, byte
        .u8(m == measures ? 0x04 : 0x01).u8(0)           // 2: barline (final after the last), repeats
        .u16(4096).u16(1000 + 10 * m)                    // 4: length, width
        .u16(spacing)                                    // 8: spacing entries that follow
        .u16(32).u16(0xFFF0)                             // 10: lead, trail -16
        .u16(0x0E00 + m)                                 // 14: layout word
        .u8(0).u8(0x17)                                  // 16: extra measures, byte
        .u16(2816)                                       // 18: stretch
        .u8(m).u8(0).u8(0).u8(0).u8(0)                   // 20: five bytes
        .u8(0)                                           // 25: number flags
        .u16(m);                                         // 26: number
}

void SpacingEntryBytes(HandBytes& e, uint16_t time, uint16_t ticks, uint16_t x) {
    e.u16(0).u16(time).u16(ticks).u16(x);                // link (nothing), time, ticks, x per 16 ticks
}

void Event(HandBytes& e, uint16_t flags, uint8_t step, uint16_t time, uint8_t duration,
           uint16_t attached, uint16_t beamPrev, uint16_t beamNext) {
    e.u16(flags)                                         // 0: flags
        .u16(0x0001)                                     // 2: word 2: one dot
        .u8(0xFC).u8(step)                               // 4: velocity -4, staff step
        .u16(0x0200)                                     // 6: stem word
        .u16(6).u16(0xFFFA)                              // 8: attack, release -6
        .u16(0xFE40)                                     // 12: stem length -448
        .u16(attached)                                   // 14: attached objects that follow
        .u16(time)                                       // 16: time
        .u8(duration).u8(0x80)                           // 18: duration, cross-staff position
        .u8(0).u8(0).u8(0).u8(0)                         // 20: tuplet kind, ratio, outer, nudge
        .u16(beamPrev).u16(beamNext);                    // 24: beam partners' positions
}

void Rest(HandBytes& e, uint16_t tick, uint8_t x, uint8_t code, uint8_t fineY, uint8_t position,
          uint8_t kind, uint8_t value, uint8_t flags) {
    e.u16(tick).u8(x).u8(code).u8(fineY).u8(position)   // tick, x offset, code, fine y, position
        .u8(kind).u8(value).u8(0).u8(flags);             // tuplet kind, value, extra ratio, flags
}

// An object list: its count (unless an event's record gave it), then its records.
void Objects(HandBytes& e, const std::vector<uint8_t>& types, uint8_t subtype, bool counted = true) {
    if (counted) e.u16(static_cast<uint32_t>(types.size()));  // count
    for (uint8_t type : types) FixtureObjectRecord(e, type, subtype);
}

void EmptyVoices(HandBytes& e, int voices) {
    for (int v = 0; v < voices; ++v) e.u16(0).u16(0);    // no events, no rests
}

const std::vector<uint8_t>& CellObjectTypes(int s, int m) {
    static const std::vector<uint8_t> none;
    if (s == 1 && m == 2) return kStaff1Measure2Types;
    if (s == 2 && m == 3) return kStaff2Measure3Types;
    if (s == 3 && m == 4) return kStaff3Measure4Types;
    return none;
}

void Cell(HandBytes& e, int s, int m) {
    e.u8(s - 1).u8(0).u16(0).u8(0)                       // 0: clef and key, byte, flag word, hide bits
        .u8(4).u8(10).u8(m);                             // 5: beats, beat unit, byte
    Objects(e, CellObjectTypes(s, m), 0);                // cell objects, subtype 0
    if (s == 1 && m == 1) {
        e.u16(2);                                        // voice 0: two events
        Event(e, 0x0047, 4, 0, 10, 2, 0, 2);             // accidental 3, two attached, beams to position 2
        e.u16((96 << 3) | 1);                            // accidental word: offset -96, hidden
        Objects(e, kAttachedTypes, 3, false);            // its attached objects, subtype 3
        Event(e, 0x0041, 6, 1024, 10, 0, 1, 0);          // beams from position 1
        e.u16(0);                                        // voice 0: no rests
        return EmptyVoices(e, 3);
    }
    if (s == 1 && m == 3) {
        e.u16(0).u16(1);                                 // voice 0: no events, one rest
        Rest(e, 0, 0, 12, 0, 0xFC, 0, 0, 0);             // whole rest
        return EmptyVoices(e, 3);
    }
    if (s == 2 && m == 1) {
        EmptyVoices(e, 1);
        e.u16(0).u16(2);                                 // voice 1: no events, two rests
        Rest(e, 0, 1, 11, 0xFE, 2, 0, 0, 0x01);          // one dot, x +1, fine y -2
        Rest(e, 2048, 0, 11, 0, 2, 1, 1, 0);             // tuplet ratio 1
        return EmptyVoices(e, 2);
    }
    if (s == 2 && m == 5) {
        EmptyVoices(e, 2);
        e.u16(1);                                        // voice 2: one event
        Event(e, 0x0041, 0xFE, 2048, 11, 0, 0, 0);
        e.u16(0);                                        // voice 2: no rests
        return EmptyVoices(e, 1);
    }
    EmptyVoices(e, 4);
}

void Page(HandBytes& e, const uint16_t (&data)[4], int first, int last, int systems, int number,
          const std::vector<uint8_t>& objects, int staves) {
    e.u16(data[0]).u16(data[1]).u16(data[2]).u16(data[3])  // 0: four narrowed page fields
        .u16(first).u16(last)                            // 8: first and last measure
        .u8(systems).u8(0)                               // 12: systems in the chain, page byte
        .u16(static_cast<uint16_t>(number));             // 14: page number
    if (number > 0) {
        e.u8(1).u8(0).u16(first).u16(last)               // system: number, natural width, measures
            .u8(3).u8(3)                                 // the pools of its arrays for 1 or 3 staves
            .u32(static_cast<uint32_t>(-30720 + 256))    // x
            .u32(static_cast<uint32_t>(-30720 + 1024))   // y
            .u16(0x0100);                                // offset of staff 1
        if (staves == 3) e.u16(0x0500).u16(0x0900);      // offsets of staves 2 and 3
        e.u8(0);                                         // flags of staff 1
        if (staves == 3) e.u8(1).u8(0);                  // flags of staves 2 and 3
    }
    Objects(e, objects, 1);                              // margin and page objects, subtype 1
}

void Prologue(HandBytes& e, int staves, int measures, int pages) {
    e.text("QuaverlinescribeForWindows", 26)          // magic, no NUL
        .u8(0x00).u8(32);                             // two-byte version: 32
    Header(e, staves, measures, pages);
    e.u16(2)                                          // port names: two
        .text("Port One", 32).u16(0)                  // entry 1 and its two bytes
        .text("Port Two", 32).u16(0);                 // entry 2
    Galley(e, staves);
    Staves(e, staves);
}

void Fonts(HandBytes& e) {
    e.tag("FONT").u16(23);                            // slots 1-23
    for (int n = 1; n <= 23; ++n) {
        e.u16(n)                                      // slot number
            .text("Font " + std::to_string(n), 32)    // 0: name
            .text("Serif", 32)                        // 32: face
            .u16(0)                                   // 64: no handle
            .u8(n % 2).u8((n / 2) % 2).u8(n % 5 == 0) // 66: bold, italic, underline
            .u8(n)                                    // 69: slot byte
            .u16(static_cast<uint16_t>(-(100 + n)));  // 70: height
    }
    e.tag("QFCS").u16(24);                            // 24 character sets
    for (int n = 0; n < 24; ++n) e.u8(n % 3);         // slot n's character set
}

const std::vector<uint8_t> kMarginOnly = {33};
constexpr uint16_t kNoPageData[4] = {0, 0, 0, 0};
// Page 1's four fields 100, -200, 70000 and 3, narrowed.
constexpr uint16_t kPage1Data[4] = {100, 0xFF38, 70000 & 0xFFFF, 3};

void Masters(HandBytes& e, int staves) {
    Page(e, kNoPageData, 0, 0, 1, -2, kMarginOnly, staves);  // left master: one system, not written
    Page(e, kNoPageData, 0, 0, 1, -1, kMarginOnly, staves);  // right master
}

// clang-format on

}  // namespace

std::vector<uint8_t> OneStaffStream() {
    HandBytes e;
    Prologue(e, 1, 1, 1);
    e.u16(0)                                          // staff 1: no label
        .tag("STIK");
    Measure(e, 1, 0, 1);                              // measure 1
    Measure(e, 2, 0, 1);                              // the record after the last measure
    e.tag("MUSE")
        .u8(0).u8(0).u16(0).u8(0)                     // cell 1/1: clef and key, byte, flag word, hide bits
        .u8(4).u8(10).u8(1)                           // beats, beat unit, byte
        .u16(0);                                      // no cell objects
    EmptyVoices(e, 4);
    e.tag("PAGE").u16(1);                             // P: one page
    Masters(e, 1);
    Page(e, kPage1Data, 1, 1, 1, 1, kMarginOnly, 1);  // page 1
    Fonts(e);
    return e.get();
}

std::vector<uint8_t> FullScoreStream() {
    HandBytes e;
    Prologue(e, 3, 6, 2);
    Label(e, 1, "Flute", kShortTextPool);
    e.u16(0);                                         // staff 2: no label
    Label(e, 3, "no name", kShortTextPool);           // an empty label text is stored as "no name"
    e.tag("STIK");
    for (int m = 1; m <= 7; ++m) {
        Measure(e, m, m == 1 ? 2 : m == 4 ? 1 : 0, 6);
        if (m == 1) SpacingEntryBytes(e, 0, 2048, 0x0180);
        if (m == 1) SpacingEntryBytes(e, 2048, 2048, 0x0140);
        if (m == 4) SpacingEntryBytes(e, 0, 4096, 0x0100);
    }
    e.tag("MUSE");
    for (int s = 1; s <= 3; ++s)
        for (int m = 1; m <= 6; ++m) Cell(e, s, m);
    e.tag("PAGE").u16(2);                             // P: two pages
    Masters(e, 3);
    Page(e, kPage1Data, 1, 3, 1, 1, {33, 6, 52, 53}, 3);  // page 1: margin, then its objects
    Page(e, kNoPageData, 4, 6, 1, 2, kMarginOnly, 3);     // page 2
    Fonts(e);
    return e.get();
}

}  // namespace ql::testing_files
