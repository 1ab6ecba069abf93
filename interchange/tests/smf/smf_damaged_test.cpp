// Damaged Standard MIDI Files: the fixtures cut at every chunk boundary and
// mutated at random (a fixed seed and count) are read track by track. Every read
// must end, no event may claim more bytes than the file holds, a track that stops
// names a byte inside itself and counts the events it gave, and no run may touch
// memory it does not own (the sanitizers watch).
#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <vector>

#include "interchange/smf/smf_reader.h"
#include "interchange/tests/smf/smf_bytes.h"

namespace ql::smf {
namespace {

using testing::Bytes;

constexpr uint32_t kSeed = 0x51F0D00D;
constexpr int kCases = 20'000;
constexpr int kMaxMutations = 8;

std::vector<Bytes> Fixtures() {
    const Bytes twoTracks = testing::TwoTrackFile();
    Bytes rmid{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 'd', 'a', 't', 'a', 0, 0, 0, 0};
    rmid.insert(rmid.end(), twoTracks.begin(), twoTracks.end());
    Bytes dense;
    for (int i = 0; i < 200; ++i) dense.insert(dense.end(), {0x10, 0x91, 40, 90, 0x10, 40, 0});
    dense.insert(dense.end(), {0x00, 0xFF, 0x03, 0x04, 'n', 'a', 'm', 'e', 0x00, 0xFF, 0x2F, 0x00});
    // Notes among the clock, song position, time code and sensing bytes of a live
    // stream, under running status.
    Bytes live;
    for (int i = 0; i < 100; ++i)
        live.insert(live.end(), {0x08, 0xF8, 0x00, 0x92, 50,   60, 0x04, 0xF2, 1,    2,    0x04,
                                 0xF1, 3,    0x04, 0xFE, 0x00, 50, 0,    0x02, 0xFA, 0x01, 0xFC});
    return {twoTracks, rmid,
            testing::Join({testing::Header(1, 3, 96, 8), testing::Chunk("MTrk", dense),
                           testing::Chunk("abcd", Bytes{1, 2}), testing::Chunk("MTrk", dense)}),
            testing::Join({testing::Header(1, 2, 96), testing::Chunk("MTrk", live),
                           testing::Chunk("MTrk", dense)})};
}

// Where each chunk of a fixture starts: the cut points.
std::vector<size_t> ChunkStarts(const Bytes& bytes) {
    std::vector<size_t> starts;
    size_t at = bytes[0] == 'R' ? 20 : 0;
    while (at + 8 <= bytes.size()) {
        starts.push_back(at);
        at += 8 + ReadBigEndian32(bytes.data() + at + 4);
    }
    return starts;
}

// Reads every track to its end; the number of events read.
size_t ReadEverything(const Bytes& bytes) {
    SmfOpenStatus status = SmfOpenStatus::Ok;
    std::unique_ptr<MidiFileReader> file = OpenMidiBytes(bytes, &status);
    if (!file) return 0;
    size_t events = 0;
    MidiFileEvent event;
    while (std::unique_ptr<MidiTrack> track = ReadTrackHeader(*file)) {
        TrackReadResult result;
        uint32_t trackEvents = 0;
        while ((result = ReadTrackEvent(*track, &event)) == TrackReadResult::Event) {
            ++events;
            ++trackEvents;
            EXPECT_LE(event.length, bytes.size());
            EXPECT_LE(events, bytes.size()) << "a track reads past its bytes";
            if (events > bytes.size()) return events;
        }
        EXPECT_TRUE(track->ended || track->Stopped());
        EXPECT_EQ(result == TrackReadResult::Error, track->Stopped());
        EXPECT_EQ(track->eventsRead, trackEvents);
        if (track->Stopped()) {
            EXPECT_LE(track->stop.offset, track->end - track->start);
        }
    }
    return events;
}

TEST(SmfDamagedFiles, CutsAtChunkBoundariesEndCleanly) {
    for (const Bytes& fixture : Fixtures()) {
        for (size_t start : ChunkStarts(fixture)) {
            for (size_t cut : {start, start + 4, start + 8, start + 9}) {
                if (cut > fixture.size()) continue;
                ReadEverything(Bytes(fixture.begin(), fixture.begin() + static_cast<long>(cut)));
            }
        }
    }
}

TEST(SmfDamagedFiles, RandomMutationsNeverReadOutOfBounds) {
    SCOPED_TRACE("seed " + std::to_string(kSeed));
    std::mt19937 random(kSeed);
    const std::vector<Bytes> fixtures = Fixtures();
    for (int i = 0; i < kCases; ++i) {
        Bytes bytes = fixtures[random() % fixtures.size()];
        const int mutations = 1 + static_cast<int>(random() % kMaxMutations);
        for (int m = 0; m < mutations; ++m) {
            const size_t at = random() % bytes.size();
            bytes[at] = (random() % 4 == 0) ? 0xFF : static_cast<uint8_t>(random());
        }
        if (random() % 3 == 0) bytes.resize(random() % bytes.size());
        if (bytes.empty()) continue;
        ReadEverything(bytes);
        if (::testing::Test::HasFailure()) FAIL() << "case " << i;
    }
}

}  // namespace
}  // namespace ql::smf
