// The close of one staff's measure in a NIFF import: its note and rest events
// grouped into chords (same tick, beam, tuplet, stem direction and length), the
// chords chained into at most four voices (beamed and tuplet chords together, the
// rest by nearness in time, stem direction and pitch), beam links, and rests
// filling the gaps between a voice's events. Chains past the fourth and grace
// chords go into voices free over their time (niff_voice_places.h).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "interchange/niff/niff_rest_gaps.h"

namespace ql::niff {

inline constexpr int kNiffVoices = 4;

struct NiffEvent {
    int32_t tick = 0;  // in the measure
    int32_t duration = 1;
    int code = 10;  // note value: 12 whole, 10 quarter
    int dots = 0;
    int position = 0;  // staff position: minus the file's staff step
    bool rest = false;
    int direction = 0;  // -1 stem up, 1 stem down, 0 a rest
    int16_t stemLength = 0;
    int beamId = -1;
    int tupletId = -1;
    int tupletKind = 0;  // 0 none, 1 a fixed ratio, 2 its own ratio
    int tupletValue = 0;
    int groupVoice = 0;  // the voice of the event's stem group
    int fileVoice = -1;  // the voice the stem group's tag 47 names, -1 when none
    int serial = -1;     // the event's number in the import, for ties and spanners
    std::array<int, 2> tieIds{-1, -1};  // the file's IDs of the ties at this note
    std::array<uint8_t, 2> tieSides{};  // per tie ID: 1 above, 2 below, 0 not given
    int nudge = 0;       // horizontal offset in 16 units
    bool grace = false;  // a grace note: at its note's tick, before it by the nudge
    bool cue = false;    // a cue note: shown small, not played
    int headKind = 0;    // the score's head kind of the note's shape, 0 the plain head
    uint16_t hiddenMarks = 0;     // the event's word2 bits: head and stem hidden
    uint16_t hiddenStemBits = 0;  // its stemWord bits: flag and beams hidden
    int attachments = -1;  // index into the frame's note attachments, -1 none
    bool chordHead = false;  // set by the close: the first event of its chord
    // Set by the close: the first events of the chords before and after this one
    // in its beam, as indexes into the voice's events; -1 for none.
    int beamPrev = -1;
    int beamNext = -1;
};

struct NiffVoice {
    std::vector<NiffEvent> events;  // note events, chord by chord in time order
    std::vector<NiffEvent> rests;   // the file's rests in time order
    std::vector<NiffRestFill> fills;
};

struct NiffStaffMeasure {
    int staff = 1;
    std::array<NiffVoice, kNiffVoices> voices;
};

struct NiffCloseResult {
    int droppedEvents = 0;  // of chains past the fourth voice, or of full slots, that no voice was free for
    int droppedRests = 0;   // of those, rests
    int droppedGraces = 0;  // grace notes that no voice was free for
    int restsGivenWay = 0;  // rests of a voice that gave way to a chain placed over them
    bool budgetSpent = false;
};

// Chords and voices of one staff's measure of `lengthTicks` from its events in
// the order the file gave them.
// `tiedVoices` names, by tie ID, the voice of a note of an earlier measure that
// waits for its tie: the chain holding its partner goes to that voice.
struct NiffTiedVoice {
    int tieId = -1;
    int voice = 0;
};
NiffCloseResult BuildNiffChords(const std::vector<NiffEvent>& events, int32_t lengthTicks,
                                NiffStaffMeasure& measure,
                                const std::vector<NiffTiedVoice>& tiedVoices = {});

}  // namespace ql::niff
