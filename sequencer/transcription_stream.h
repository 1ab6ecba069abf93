// The streaming stage of transcription: MIDI note messages, fed one by one with
// their deltas, become raw notes in the measures in which they sound. Both roads use
// it: recorded events at the end of a recording, and Standard MIDI File import
// (every event of every track in file order). The feeder fills the shared inputs,
// selects the staff, calls TranscribeRecordedNotes for the delta and then
// TranscribeRecordedStaff for a note message (ImportChannelEvent for the others).
// Raw notes wait in the transcription's own store until TranscribeMeasureGroups
// analyses them and writes the measures. User-interface thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sequencer/record_routing.h"
#include "sequencer/transcription_analysis.h"

namespace ql {

struct ScoreView;

// The inputs shared by every call (one set for the program), filled by the feeder.
struct TranscriptionInput {
    uint8_t status = 0;   // high nibble of the status byte (0x80, 0x90, ...)
    uint8_t channel = 0;  // low nibble
    int32_t delta = 0;    // source ticks since the previous event
    uint8_t data[2] = {0, 0};
    int length = 0;       // data bytes
    int staff = 1;        // the current staff (the feeder routes each message)
    RecordMode mode = RecordMode::Single;  // which staves a delta advances
    int upperStaff = 1;   // split keyboard: the record staff and the split staff
    int lowerStaff = 2;
    int resolution = 1024;  // source ticks per quarter
    bool nativeTime = false;  // recorded data: positions in 1,024-tick units
    int firstMeasure = 1;     // first measure written
    int lastMeasure = 1016;   // last measure that may be written
    bool autoClef = false;
    int voice = 0;            // 0..3
};
TranscriptionInput& TranscriptionInputs();

// The streaming state of one staff.
struct TranscriptionStaff {
    int currentMeasure = 0;
    int32_t measureStart = 0;  // staff clock at the start of the current measure
    int32_t position = 0;      // clock - measure start
    int32_t clock = 0;         // sum of the deltas fed to the staff (source ticks)
    int32_t length = 0;        // current measure's length in source ticks
    int32_t previousLength = 0;  // in 1,024-tick units
    std::vector<RawNote> pending;  // quantised onto the next barline
    std::vector<size_t> sounding;  // indices into the current measure's notes
    struct Carried {
        int measure;
        size_t index;
    };
    std::vector<Carried> carried;  // notes of earlier measures sounding across the barline
    // The clock passed the end of the last measure the score can hold: the notes
    // sounding there ended at its barline, and later ones are left out.
    bool pastLastMeasure = false;
    // First-use flags of the import.
    bool initialised = false;
    bool channelSet = false;
    bool patchSet = false;
    uint8_t titleState = 0;
};
TranscriptionStaff& TranscriptionStaffState(int staff);

// What happened to the note-ons fed so far.
struct TranscriptionCounts {
    uint32_t noteOns = 0;      // note-ons received
    uint32_t noteOffs = 0;     // note-offs received
    uint32_t dropped = 0;      // note-ons dropped (beyond the last measure, duplicates, no room)
    uint32_t pastLastMeasure = 0;  // of those, the ones after the last measure the score can hold
    uint32_t unmatchedOffs = 0;  // note-offs that found no note
    uint32_t channelEvents = 0;  // other channel messages received
};
const TranscriptionCounts& TranscriptionCountsNow();
void CountDroppedNotes(uint32_t count);
void CountChannelEvent();

// Empties the store and every staff's state, with the inputs' defaults.
void ResetTranscription();
// Puts a staff at the start of a measure (the import's first use of a staff, and
// the start of a recording): clock, start and position 0.
void StartTranscriptionStaff(ScoreView* view, int staff, int measure);

// Step A: advance the current staff's clock (both split staves, every staff in
// multichannel mode) by the delta and close the measures it passed.
void TranscribeRecordedNotes(ScoreView* view);
// A staff whose clock stands exactly on a barline stays in the measure that ends
// there (a release on the last barline opens no measure); a note-on there, or
// anything else the feeder places there, enters the next measure through this.
void EnterReachedMeasure(ScoreView* view, int staff);
// Step B: the current note message (0x90 or 0x80) for the current staff.
void TranscribeRecordedStaff(ScoreView* view);

// Moves the notes waiting for the next barline into the next measure (at the end of
// a recording); dropped when that measure cannot exist.
void FlushPendingNotes(ScoreView* view, int staff);

// The raw notes of a staff and measure (null when none), and taking them.
std::vector<RawNote>* RawNotesOf(int staff, int measure);
std::vector<RawNote> TakeRawNotes(int staff, int measure);
// Adds raw notes to a staff and measure (the analysis moving attacks over a barline).
void AddRawNotes(int staff, int measure, const std::vector<RawNote>& notes);
// The measure range that holds raw notes for a staff: last measure, 0 when none.
int LastRawMeasure(int staff);

// The current position of a staff in 1,024-tick units (import: converted).
int32_t StaffPositionTicks(int staff);

}  // namespace ql
