// The state of note entry kept for the whole program: what the note palette has
// selected (the entry whose value a click enters and the toggles applied to a new
// note), and the entry context of the Notes tool (where the last note action was, the
// ledger-line note cursor, the MIDI step-entry template). One program-wide instance of
// each lives in the notes settings of the program state; the UI thread alone uses them.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreSystem;
struct EventRecord;

// Palette entries of the note palette and the bitmap strips that give some of them
// their meaning.
constexpr int kNotePaletteEntries = 16;
constexpr uint8_t kNormalNoteStrip = 15;

// The dots a face of the Toggle Dots button stands for: strip 15 one, 38 two, 39
// three; any other strip none.
constexpr uint8_t kOneDotStrip = 15;
constexpr uint8_t kTwoDotStrip = 38;
constexpr uint8_t kThreeDotStrip = 39;
constexpr int DotsOfStrip(int strip) {
    if (strip == kTwoDotStrip) return 2;
    if (strip == kThreeDotStrip) return 3;
    return strip == kOneDotStrip ? 1 : 0;
}

struct NoteToolState {
    // The selected entry: 0 double whole, 1 whole, 2..5 half..sixteenth, 6 and above
    // the short values by strip; 4 (eighth) at start.
    uint16_t selectedEntry = 4;
    // The strip each entry shows (kNormalNoteStrip: the normal note strip). A first
    // entry that does not show it means the palette shows rests.
    uint8_t strips[kNotePaletteEntries] = {15, 15, 15, 15, 15, 15, 15, 15,
                                           15, 15, 15, 15, 15, 15, 15, 15};
    // Tuplet toggle: the ratio actual:normal, and a second ratio while secondOn.
    uint8_t tupletOn = 0;
    uint8_t tupletActual = 3;
    uint8_t tupletNormal = 2;
    uint8_t secondTupletOn = 0;
    uint8_t secondActual = 3;
    uint8_t secondNormal = 2;
    // The style a new tuplet mark takes (0 number, 1 number and bracket, 2 number and
    // curve): the style of the tuplet mark last reset.
    uint8_t tupletMarkStyle = 1;
    // Note-head toggle and the note-head palette's selected entry.
    uint8_t noteHeadOn = 0;
    uint8_t noteHeadEntry = 0;
    // Dots toggle and the strip its button shows (15 one dot, 38 two, 39 three).
    uint8_t dotsOn = 0;
    uint8_t dotsStrip = 15;
    // "Auto roll notes" (command 40346): the pointer and the view follow entry.
    uint8_t autoRollNotes = 1;
};

// The cursor position that means "hidden", and the lowest x of a shown cursor.
constexpr int32_t kNoteCursorHidden = -30721;
constexpr int32_t kNoteCursorLowestX = -30720;

struct NoteEntryContext {
    int32_t pointX = 0;  // logical point of the last note action
    int32_t pointY = 0;
    int32_t entryY = 0;  // pointer y at the last entry (a drag moves it by 64)
    uint32_t cursorShown = 0;
    int32_t cursorX = kNoteCursorHidden;
    int32_t cursorY = kNoteCursorHidden;
    int32_t cursorStep = 0;
    int32_t cursorStaff = 0;
    int32_t cursorTop = 0;  // y of the cursor staff's bottom line (step 0)
    ScoreSystem* system = nullptr;  // location of the last note action
    int32_t staff = 0;
    int32_t measure = 0;
    // MIDI step entry: the key being entered and how it is spelled; while fromMidi is
    // set entry neither sounds the note nor moves on by the typed-note rule.
    uint8_t spellingMode = 0;
    uint8_t fromMidi = 0;
    int16_t midiKey = -1;
    // The tool holds the pointer (a note placed with the button down).
    uint8_t pointerHeld = 0;
    // The sustain pedal was last sent down.
    uint8_t sustainDown = 0;
};

}  // namespace ql
