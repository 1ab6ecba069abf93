// The classes of the MIDI-carrying marks a user places: the dynamic marking (21),
// the pedal mark (22) and the tempo mark (24). Each is a text-family object showing
// one music-font symbol, 14 bytes into a pool-9 record whose MidiAction playback
// performs. This header holds the tool defaults, the palette table of the dynamics,
// the tempo mark's beat units and number places, and the classes' operations that
// the dialogs, the tools and the tests call directly.
#pragma once

#include <cstdint>

#include "core/objects/class_table.h"
#include "core/objects/midi_action.h"
#include "core/text/text_object.h"

namespace ql {

struct ScoreView;
struct MarkToolState;

// ---- Defaults of a placed mark ----
constexpr uint16_t kDynamicNewFlags = 0x1123;  // Enable MIDI, Key velocity, kind 2, voice 1
constexpr uint16_t kPedalNewFlags = 0x1121;    // Enable MIDI, kind 2, voice 1
constexpr uint16_t kTempoNewFlags = 0x4721;    // Enable MIDI, kind 2, number row 7, column 4
constexpr uint16_t kMarkNewTextFlags = kTextMusicGlyph;
constexpr uint16_t kTempoNewTextFlags = 0x1180;  // glyph, number shown, quarter unit
constexpr uint8_t kPedalController = 64;
constexpr int16_t kTempoDefaultBeats = 120;
constexpr uint16_t kMidiFlagKeyVelocity = 0x0002;
constexpr uint8_t kAllVoices = 0x0F;
constexpr uint8_t kDestinationBracketGroup = 2;

// ---- Dynamics palette ----
struct DynamicChoice {
    uint16_t symbol;
    int16_t offset;
};
// The symbol and velocity offset a new dynamic takes from the armed palette entries:
// Performance entries 1 and 2 first, then the Dynamics entry (none armed: entry 14,
// the mf the palette's opener shows).
DynamicChoice DynamicFromPalettes(const MarkToolState& tools);

// ---- Pedal ----
constexpr uint16_t kPedalDownSymbol = 225;
constexpr uint16_t kPedalUpSymbol = 42;
constexpr int16_t kPedalDownValue = 127;

// ---- Tempo mark ----
constexpr uint16_t kTempoNumberShown = 0x0300;  // text flags 8-9: either bit shows it
constexpr uint16_t kTempoNumberBit = 0x0100;    // what the dialog's check box sets
constexpr uint16_t kTempoUnitField = 0xF000;    // text flags 12-15, rewritten by the dialog
constexpr uint16_t kTempoUnitMask = 0x3000;     // text flags 12-13: 0 eighth, 1 quarter, 2 half
constexpr int kTempoUnitShift = 12;
constexpr uint16_t kTempoDotted = 0x4000;
constexpr uint16_t kTempoWordSymbols[] = {175, 176};
constexpr int8_t kTempoWordEntries[] = {5, 6};  // Performance palette entries
constexpr int kTempoPlaceShift[] = {8, 12};     // rows in flags 8-11, columns in 12-15
constexpr int kTempoPlaces = 16;                // each place runs 0..15 and wraps
constexpr uint8_t kTempoNumberStyle = 8;        // the document's "Tempo numbers" style
enum class TempoUnit : uint8_t { Eighth = 0, Quarter = 1, Half = 2 };

// The beat unit (0..2; a damaged 3 reads as a quarter) and the dotted flag.
TempoUnit TempoUnitOf(uint16_t textFlags);
bool IsTempoDotted(uint16_t textFlags);
// The note symbol of a unit, and the most beats per minute it may carry.
uint16_t TempoUnitSymbol(TempoUnit unit, bool dotted);
int TempoMaximumBeats(TempoUnit unit, bool dotted);
bool IsTempoWord(uint16_t symbol);
// Where the number stands: column (x, flags 12-15) and row (y, flags 8-11).
int TempoNumberColumn(const MidiAction& action);
int TempoNumberRow(const MidiAction& action);

// ---- Construction for a click ----
// The mark as the tool makes it (action and text defaults, symbol and value from the
// palettes, subtype 1 on a master page); location, destination and voices are the
// placing code's.
void ConstructDynamicForView(ScoreObject* object, ScoreView* view);
void ConstructPedalForView(ScoreObject* object, ScoreView* view);
void ConstructTempoForView(ScoreObject* object, ScoreView* view);

// The page-attached subtype a new mark takes: on a master page, unless a score file
// is being read or written.
bool PlacesOnMasterPage(const ScoreView* view);

// Copies into a new tempo mark what the latest earlier tempo mark sets (before the
// click's time in the current measure, else the latest of the nearest earlier
// measure): Enable MIDI, the hidden and number-display text flags and the value (its
// final value after a transition). Cells are looked up, never created. False when no
// earlier mark exists.
bool InheritEarlierTempo(ScoreView* view, ScoreObject* tempo, int measure, uint16_t tick);

// ---- Classes ----
const TextObjectClass& DynamicMarkClass();
const TextObjectClass& PedalMarkClass();
const TextObjectClass& TempoMarkClass();

// Key handling the classes' OnKey runs (also for tests): keypad plus and minus on a
// dynamic, the arrow keys on a tempo mark. 1 when the key was taken.
int StepDynamicValue(ScoreObject* dynamic, ScoreView* view, uint32_t key);
int MoveTempoNumber(ScoreObject* tempo, ScoreView* view, uint32_t key);

}  // namespace ql
