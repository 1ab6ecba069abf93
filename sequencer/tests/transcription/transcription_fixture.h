// The transcription tests' fixture: the builder's score (4/4, treble clef, C major)
// with a feeder that plays note and channel messages into the streaming stage as the
// import does (source resolution 1,024), the measures analysed and finished, and a
// dump of a voice as text: "time:key/code[.dots][t][~][^]" for notes (t tuplet,
// ~ tied on, ^ tied from the previous note) and "time:R/code[.dots]" for rests, in
// time order, measures separated by " | ".
#pragma once

#include <string>

#include "sequencer/tests/builder/score_fixture.h"
#include "sequencer/transcription_stream.h"

namespace ql::testing {

class TranscriptionTest : public ScoreTest {
protected:
    void SetUp() override;
    void TearDown() override;

    // A score of `staves` staves and `measures` measures, the transcription reset with
    // every staff at measure 1.
    void Begin(int staves, int measures);
    // One message after `delta` ticks to a staff (after A, the message: B for notes,
    // the channel-event import for the others).
    void Send(int staff, int32_t delta, uint8_t status, uint8_t data1, uint8_t data2);
    void On(int staff, int32_t delta, uint8_t key, uint8_t velocity = 90) { Send(staff, delta, 0x90, key, velocity); }
    void Off(int staff, int32_t delta, uint8_t key) { Send(staff, delta, 0x80, key, 0); }
    // Analyses and finishes staves 1..staves, measures 1..last.
    void Finish(int lastMeasure);
    std::string Dump(int staff, int firstMeasure, int lastMeasure, int voice = 0);
    EventRecord* FirstNote(int staff, int measure);
};

}  // namespace ql::testing
