// The eighths and shorter notes of an imported MIDI file are beamed by the beats of
// its time signature: a table of one measure's rhythm under a signature, with the
// beam groups the measure gets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/ui/status_bar_notes.h"
#include "interchange/tests/smf/smf_bytes.h"
#include "interchange/tests/smf/smf_score_fixture.h"

namespace ql::testing {
namespace {

using smf::testing::Bytes;
using smf::testing::Chunk;
using smf::testing::Header;
using smf::testing::Join;

constexpr int kQuarter = 96;  // ticks a quarter of the files below

void PutDelta(Bytes& track, int delta) {
    Bytes reversed{static_cast<uint8_t>(delta & 0x7F)};
    for (delta >>= 7; delta > 0; delta >>= 7) reversed.push_back(static_cast<uint8_t>(0x80 | (delta & 0x7F)));
    track.insert(track.end(), reversed.rbegin(), reversed.rend());
}

// Notes one after another (a key each, 0 for a rest), each sounding nine tenths of
// its length.
struct Played {
    int ticks;
    std::vector<uint8_t> keys;
};

Bytes TrackOf(const std::vector<Played>& notes, uint8_t channel) {
    Bytes track;
    int gap = 0;
    for (const Played& note : notes) {
        if (note.keys.empty() || note.keys.front() == 0) {
            gap += note.ticks;
            continue;
        }
        const int held = note.ticks * 9 / 10;
        for (size_t k = 0; k < note.keys.size(); ++k) {
            PutDelta(track, k == 0 ? gap : 0);
            track.insert(track.end(), {static_cast<uint8_t>(0x90 | channel), note.keys[k], 80});
        }
        for (size_t k = 0; k < note.keys.size(); ++k) {
            PutDelta(track, k == 0 ? held : 0);
            track.insert(track.end(), {static_cast<uint8_t>(0x80 | channel), note.keys[k], 0});
        }
        gap = note.ticks - held;
    }
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    return Chunk("MTrk", track);
}

Bytes Conductor(uint8_t beats, uint8_t unitPower) {
    return Chunk("MTrk", {0x00, 0xFF, 0x58, 0x04, beats, unitPower, 0x18, 0x08, 0x00, 0xFF, 0x2F, 0x00});
}

// The chords of voice 1 of a cell by beam group: the number of chords of each group
// in time order, an unbeamed chord counting as a group of 1.
std::string BeamGroups(ScoreDocument* document, int staff, int measure) {
    MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
    std::string groups;
    int count = 0;
    const EventRecord* event = cell != nullptr ? GetVoiceFirstEvent(cell, 0) : nullptr;
    for (int n = 0; event != nullptr && !IsHeadSentinel(*event) && n < kMaxChainLength; ++n, event = NextEvent(event)) {
        if (!IsFirstOfChord(event)) continue;
        if (!event->beamPrev && count > 0) {
            groups += (groups.empty() ? "" : " ") + std::to_string(count);
            count = 0;
        }
        ++count;
    }
    if (count > 0) groups += (groups.empty() ? "" : " ") + std::to_string(count);
    return groups;
}

struct BeamCase {
    const char* name;
    uint8_t beats;
    uint8_t unitPower;  // the file's denominator as a power of two
    std::vector<int> rhythm;  // one measure, in ticks at 96 a quarter
    const char* groups;
};

const int E = kQuarter / 2;   // eighth
const int S = kQuarter / 4;   // sixteenth
const int Q = kQuarter;       // quarter
const int DQ = Q + E;         // dotted quarter
const int DE = E + S;         // dotted eighth

const BeamCase kCases[] = {
    {"eighths of 4/4 by half measures", 4, 2, {E, E, E, E, E, E, E, E}, "4 4"},
    {"sixteenths of 4/4 by beats", 4, 2, {S, S, S, S, S, S, S, S, S, S, S, S, S, S, S, S}, "4 4 4 4"},
    {"an eighth and two sixteenths in a beat", 4, 2, {E, S, S, Q, E, S, S, Q}, "3 1 3 1"},
    {"a dotted quarter leaves its eighth alone", 4, 2, {DQ, E, Q, Q}, "1 1 1 1"},
    {"dotted eighths with their sixteenths", 4, 2, {DE, S, DE, S, Q, Q}, "2 2 1 1"},
    {"eighths of 3/4 across the measure", 3, 2, {E, E, E, E, E, E}, "6"},
    {"eighths of 6/8 by dotted quarters", 6, 3, {E, E, E, E, E, E}, "3 3"},
    {"eighths of 2/4", 2, 2, {E, E, E, E}, "4"},
    {"eighths of 5/4 by beats", 5, 2, {E, E, E, E, E, E, E, E, Q}, "2 2 2 2 1"},
};

class SmfBeams : public SmfEngravingTest, public ::testing::WithParamInterface<BeamCase> {};

TEST_P(SmfBeams, ShortNotesAreBeamedByTheBeats) {
    const BeamCase& c = GetParam();
    std::vector<Played> notes;
    uint8_t key = 67;
    for (const int ticks : c.rhythm) notes.push_back({ticks, {key++}});
    ScoreView* view = Import(WriteBytes("beams.mid", Join({Header(1, 2, kQuarter), Conductor(c.beats, c.unitPower),
                                                           TrackOf(notes, 0)})));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(BeamGroups(view->document, 1, 1), c.groups) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Rhythms, SmfBeams, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<BeamCase>& info) { return "case" + std::to_string(info.index); });

}  // namespace
}  // namespace ql::testing
