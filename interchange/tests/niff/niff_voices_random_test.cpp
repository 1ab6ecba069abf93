// Measure closes of random content: 5,000 measures of random chords, stem
// directions, beams, tuplets, ties and rests, each closed into voices. Every close
// returns, no measure has more than four voices, and every event the file gave
// lies in exactly one voice, in time order with its beam links agreeing both ways,
// or is counted as dropped (or, a rest, as having given way to a line placed over it).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <random>
#include <vector>

#include "interchange/niff/niff_voices.h"

namespace ql::niff {
namespace {

constexpr uint32_t kSeed = 0x5EEDC105;
constexpr int kMeasures = 5'000;
constexpr int32_t kMeasureTicks = 4096;

// A measure of random stem groups: each a chord of one to four notes (or a rest)
// at a tick on the 128-tick grid, of one value, one stem direction, and maybe a
// beam, a tuplet and a tie.
std::vector<NiffEvent> RandomMeasure(std::mt19937& random, int measure) {
    std::uniform_int_distribution<int> groups(1, 24);
    std::uniform_int_distribution<int> slot(0, kMeasureTicks / 128 - 1);
    std::uniform_int_distribution<int> value(6, 12);
    std::uniform_int_distribution<int> notes(1, 4);
    std::uniform_int_distribution<int> position(-14, 6);
    std::uniform_int_distribution<int> percent(0, 99);
    std::uniform_int_distribution<int> id(0, 5);
    std::vector<NiffEvent> events;
    const int count = groups(random);
    for (int group = 0; group < count; ++group) {
        NiffEvent event;
        event.tick = slot(random) * 128;
        event.code = value(random);
        event.duration = 1 << event.code;
        event.dots = percent(random) < 15 ? 1 : 0;
        event.rest = percent(random) < 15;
        event.direction = event.rest ? 0 : (percent(random) < 50 ? -1 : 1);
        event.beamId = !event.rest && event.code <= 9 && percent(random) < 60 ? id(random) : -1;
        if (percent(random) < 20) {
            event.tupletId = id(random);
            event.tupletKind = 1;
            event.tupletValue = 0x32;
        }
        if (!event.rest && percent(random) < 10) event.tieIds[0] = id(random);
        event.groupVoice = percent(random) < 80 ? 0 : 1 + percent(random) % 3;
        const int chord = event.rest ? 1 : notes(random);
        for (int note = 0; note < chord; ++note) {
            event.position = position(random);
            event.serial = measure * 1000 + static_cast<int>(events.size());
            events.push_back(event);
        }
    }
    return events;
}

// Where each placed event of the close came from, by its serial; false when an
// event appears twice or a voice breaks the time order or its beam links.
bool CheckVoices(const NiffStaffMeasure& closed, std::map<int, int>* found, std::string* fault) {
    for (size_t v = 0; v < kNiffVoices; ++v) {
        const NiffVoice& voice = closed.voices[v];
        for (size_t i = 0; i < voice.events.size(); ++i) {
            const NiffEvent& e = voice.events[i];
            if (i > 0 && e.tick < voice.events[i - 1].tick) {
                *fault = "voice " + std::to_string(v) + " goes back in time at " + std::to_string(i);
                return false;
            }
            // A chord's first event links to the first events of its beam's
            // neighbours, which link back to it.
            const int next = e.beamNext;
            if (e.chordHead && next >= 0) {
                const bool inside = static_cast<size_t>(next) < voice.events.size() && static_cast<size_t>(next) > i;
                if (!inside || voice.events[static_cast<size_t>(next)].beamPrev != static_cast<int>(i)) {
                    *fault = "beam links disagree in voice " + std::to_string(v) + " at " + std::to_string(i);
                    return false;
                }
            }
            if (++(*found)[e.serial] > 1) {
                *fault = "an event in two places";
                return false;
            }
        }
        for (const NiffEvent& r : voice.rests)
            if (++(*found)[r.serial] > 1) {
                *fault = "a rest in two places";
                return false;
            }
    }
    return true;
}

TEST(NiffVoicesRandom, EveryEventLiesInOneVoiceOrIsCountedAsDropped) {
    std::mt19937 random(kSeed);
    int budgetsSpent = 0;
    for (int measure = 0; measure < kMeasures; ++measure) {
        const std::vector<NiffEvent> events = RandomMeasure(random, measure);
        NiffStaffMeasure closed;
        const NiffCloseResult result = BuildNiffChords(events, kMeasureTicks, closed);
        budgetsSpent += result.budgetSpent ? 1 : 0;
        std::map<int, int> found;
        std::string fault;
        ASSERT_TRUE(CheckVoices(closed, &found, &fault)) << fault << " in measure " << measure << ", seed " << kSeed;
        const int placed = static_cast<int>(found.size());
        ASSERT_EQ(placed + result.droppedEvents + result.restsGivenWay, static_cast<int>(events.size()))
            << "measure " << measure << ", seed " << kSeed;
    }
    // The random content exercises the re-chaining: some closes run out of budget
    // and still finish.
    RecordProperty("closes out of budget", budgetsSpent);
}

}  // namespace
}  // namespace ql::niff
