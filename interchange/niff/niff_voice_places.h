// Chords of a NIFF measure close that found no voice of their own: chains past the
// fourth voice, chords a full slot (four chords at one tick) could not take, and
// grace chords. A staff holds four voices; such a chord goes into one of them that
// is free over the chord's time, and is only dropped when none is (see
// PlaceNiffExtraChains and PlaceNiffGraceChords).
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "interchange/niff/niff_voices.h"

namespace ql::niff {

// A chord of the close: events of one tick, stem direction, length, beam and
// tuplet, with its neighbours in its chain.
struct NiffChordRecord {
    int32_t tick = 0;
    int32_t duration = 0;
    int beamId = -1;
    int tupletId = -1;
    int direction = 0;        // -1 stem up, 1 down, 0 a rest
    std::vector<int> events;  // indexes into the events, top of the staff first
    int prev = -1;
    int next = -1;
    bool fixed = false;
    int slot = -1;            // its slot of chords at one tick; -1 outside the slots
    int average = 0;          // doubled average staff position
    int fileVoice = -1;       // the voice its stem's tag 47 names, -1 when the file names none
    int32_t End() const { return tick + duration; }
};

// Per voice, the chords of its chain in time order (indexes into the chords).
using NiffVoiceChains = std::array<std::vector<int>, kNiffVoices>;

// Places each extra chain (chains past the fourth voice, and single chords of full
// slots) whole into the first voice with no note over any of its chords, failing
// that chord by chord into the first voice with no note over the chord; rests of
// the voice under a placed chord give way to it. Lines that sound at once with four
// others stay out.
struct NiffExtraPlaces {
    int dropped = 0;        // events that found no place
    int droppedRests = 0;   // of them, rests
    int restsGivenWay = 0;  // the voices' rests that gave way
};
NiffExtraPlaces PlaceNiffExtraChains(const std::vector<NiffChordRecord>& chords,
                                     const std::vector<std::vector<int>>& extra, NiffVoiceChains& voices);

// Grace chords stand at the tick of the note they lead to, drawn before it by their
// offset, and take no time of the measure: each goes into the first voice of grace
// notes only that is free over the chord's own length, else the first empty voice,
// else the first with no note or rest over that length.
// The number of grace events that found no voice.
int PlaceNiffGraceChords(const std::vector<NiffChordRecord>& chords, const std::vector<int>& graces,
                         NiffVoiceChains& voices);

}  // namespace ql::niff
