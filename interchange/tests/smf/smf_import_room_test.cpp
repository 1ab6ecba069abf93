// A MIDI file's score takes the room of what its staves hold, as the other imports'
// do: seeded files of two tracks with notes of the extreme keys and their signs,
// pedal, volume and pitch-wheel messages among them, give pages on which the
// engraving check finds nothing, and staves as far apart as their room asks (the
// seed is printed on a failure); the sharps of notes far from the staff and the
// measure numbers over a system keep clear of the system above.
#include <gtest/gtest.h>

#include <random>
#include <vector>

#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "display/tests/painter/engraving_expect.h"
#include "interchange/tests/smf/smf_bytes.h"
#include "interchange/tests/smf/smf_score_fixture.h"
#include "layout/staff_room.h"

namespace ql::testing {
namespace {

using smf::testing::Bytes;
using smf::testing::Chunk;
using smf::testing::Header;
using smf::testing::Join;

constexpr int kNotesPerTrack = 48;
constexpr uint8_t kLowestKey = 24;
constexpr uint8_t kKeyRange = 84;
constexpr uint8_t kDurations[] = {24, 48, 96, 192};  // sixteenth to half at 96 a quarter
// The channel messages put before a note: sustain down and up, volume, pitch wheel.
const Bytes kMessages[] = {{0xB0, 64, 127}, {0xB0, 64, 0}, {0xB0, 7, 40}, {0xE0, 0, 64}, {0xE0, 0, 80}};

// A track of `channel`: notes one after another over the keys, a channel message
// before one note in four, each message on the note's tick.
Bytes Track(uint8_t channel, std::mt19937& random) {
    Bytes track;
    for (int n = 0; n < kNotesPerTrack; ++n) {
        const auto key = static_cast<uint8_t>(kLowestKey + random() % kKeyRange);
        if (random() % 4 == 0) {
            const Bytes& message = kMessages[random() % std::size(kMessages)];
            track.insert(track.end(), {0x00, static_cast<uint8_t>(message[0] | channel), message[1], message[2]});
        }
        const uint8_t length = kDurations[random() % std::size(kDurations)];
        track.insert(track.end(), {0x00, static_cast<uint8_t>(0x90 | channel), key, 90, length,
                                   static_cast<uint8_t>(0x80 | channel), key, 0});
    }
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    return Chunk("MTrk", track);
}

using SmfRoomTest = SmfEngravingTest;

class SmfImportRoom : public SmfRoomTest, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(SmfImportRoom, StavesHoldWhatTheyCarryAndNothingMeets) {
    std::mt19937 random(GetParam());
    const Bytes conductor{0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08, 0x00, 0xFF, 0x2F, 0x00};
    const Bytes file =
        Join({Header(1, 3, 96), Chunk("MTrk", conductor), Track(0, random), Track(1, random)});
    ScoreView* view = Import(WriteBytes("room.mid", file));
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(EngravingIsClean(view));
    for (ScorePage* page = view->document->firstPage; page != nullptr; page = page->next.get())
        for (ScoreSystem* system = page->firstSystem.get(); system != nullptr; system = system->next.get()) {
            const std::vector<InkReach> rooms = StaffRoomsOf(view, system);
            const uint16_t* offsets = StaffOffsetsOf(system);
            EXPECT_GE(offsets[2] - offsets[1], StaffDistanceFor(rooms[1].All(), rooms[2].All()))
                << "measures " << system->firstMeasure << "-" << system->lastMeasure;
        }
}

INSTANTIATE_TEST_SUITE_P(Seeds, SmfImportRoom, ::testing::Values(3u, 17u, 2026u, 90210u));

// Measures of one whole note each, the keys taken in turn: systems of like measures
// put each system's measure numbers under the notes of the system above, at their
// barlines, and the sharps of notes far from the staff reach past their heads.
TEST_F(SmfRoomTest, SignsAndMeasureNumbersKeepClearBetweenSystems) {
    constexpr int kMeasures = 24;
    const std::vector<std::vector<uint8_t>> cases{{37}, {97}, {37, 97}, {30, 42, 90, 102}};
    for (const std::vector<uint8_t>& keys : cases) {
        SCOPED_TRACE(::testing::PrintToString(keys));
        Bytes track;
        for (int m = 0; m < kMeasures; ++m) {
            const uint8_t key = keys[static_cast<size_t>(m) % keys.size()];
            track.insert(track.end(), {0x00, 0x90, key, 90, 0x83, 0x00, 0x80, key, 0});  // 384 ticks
        }
        track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
        const Bytes conductor{0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08, 0x00, 0xFF, 0x2F, 0x00};
        ScoreView* view =
            Import(WriteBytes("signs.mid", Join({Header(1, 2, 96), Chunk("MTrk", conductor), Chunk("MTrk", track)})));
        ASSERT_NE(view, nullptr);
        EXPECT_TRUE(EngravingIsClean(view));
    }
}

}  // namespace
}  // namespace ql::testing
