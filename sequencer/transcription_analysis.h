// The analysis stage of transcription on one measure of one staff: the raw notes
// the streaming stage left (times in the measure, 1,024 ticks to the quarter) are
// quantised again with the release grid, duplicates merged, tuplets found, chord
// durations fitted to the next chord, notes split at beats with ties, and the gaps
// filled with rests. Pure: it reads the notes, the metre and the settings and
// returns what the measure should hold; the writer puts that into the score.
#pragma once

#include <cstdint>
#include <vector>

#include "sequencer/transcription_grid.h"

namespace ql {

// A note as streaming and analysis carry it.
struct RawNote {
    int32_t time = 0;      // ticks from the start of the measure
    int32_t duration = 0;  // ticks
    uint8_t key = 60;
    int8_t velocity = 0;   // key velocity minus the staff's default
    bool sounding = false; // a note-on was seen and no note-off yet
    bool tieToNext = false;
    bool tieFromPrevious = false;
    int16_t attackOffset = 0;   // what the quantisation took away, clamped to +-E
    int16_t releaseOffset = 0;
    int32_t heardOffset = 0;    // the attack as played minus `time` (the tuplet search reads it)
    uint32_t source = 0;   // the input note it comes from (accounting)
};

constexpr uint8_t kTripletKind = 0;
constexpr uint8_t kQuintupletKind = 1;

// Notes sounding together for one written value.
struct TranscribedGroup {
    int32_t time = 0;
    NoteValue value;
    bool tuplet = false;
    uint8_t tupletKind = kTripletKind;
    std::vector<RawNote> notes;
};
// Ticks a group takes in the measure (a tuplet member its share of the tuplet).
int32_t GroupTicks(const TranscribedGroup& group);

struct TranscribedRest {
    int32_t time = 0;
    NoteValue value;
    bool operator==(const TranscribedRest&) const = default;
};

// Keys seen in a measure, for the clef choice.
struct ClefStatistics {
    int lowest = 127;
    int highest = 0;
    int sum = 0;
    int count = 0;
    bool tiedInAtStart = false;  // a continuation at time 0 keeps the previous clef
};

struct MeasureTranscription {
    std::vector<TranscribedGroup> groups;   // in time order
    std::vector<TranscribedRest> rests;     // in time order
    std::vector<RawNote> toNextMeasure;     // attacks that quantised onto the barline
    ClefStatistics clef;
    uint32_t mergedAway = 0;  // notes that started a sound lost to a duplicate of time and key
};

MeasureTranscription AnalyseMeasure(std::vector<RawNote> notes, const Metre& metre,
                                    const QuantizeSettings& settings);

// The steps, for the tests and the writer.
// Tuplets among the raw notes: members get their exact slot, the tuplet flag and
// kind; the groups returned are the tuplets found (their notes moved out of `notes`).
std::vector<TranscribedGroup> DetectTuplets(std::vector<RawNote>& notes, const Metre& metre,
                                            const QuantizeSettings& settings);
// Attack and release quantisation and duplicate merging of the other notes, into
// same-time groups (value from the stored duration).
void QuantizeIntoGroups(std::vector<RawNote>& notes, std::vector<TranscribedGroup>& groups,
                        MeasureTranscription& out, const Metre& metre, const QuantizeSettings& settings);
// A note still sounding when the next group starts goes on in it: it is cut there
// and tied on, and a continuation tied from it joins the next group with the rest of
// its length (carried on again while it lasts). A key struck again, or a tuplet,
// ends the held note at its start.
void CarryHeldNotes(std::vector<TranscribedGroup>& groups, const Metre& metre);
void FitChordDurations(std::vector<TranscribedGroup>& groups, const Metre& metre,
                       const QuantizeSettings& settings);
void SplitNotesAtBeats(std::vector<TranscribedGroup>& groups, const Metre& metre,
                       const QuantizeSettings& settings);
std::vector<TranscribedRest> MakeRestsForVoice(const std::vector<TranscribedGroup>& groups,
                                               const Metre& metre);

// The clef for a measure's keys: bass (3) or treble (0), or the current clef kept.
constexpr uint8_t kTrebleClefCode = 0;
constexpr uint8_t kBassClefCode = 3;
uint8_t ChooseClef(uint8_t current, const ClefStatistics& statistics);

}  // namespace ql
