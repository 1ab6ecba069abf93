// Tracks of other programs' files: system-common and real-time messages carried
// over from a live stream are skipped with their data and counted, their delta
// times kept; a track that cannot be read on says why, at which of its bytes, and
// how many events it gave before.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <vector>

#include "interchange/smf/smf_reader.h"
#include "interchange/tests/smf/smf_bytes.h"

namespace ql::smf {
namespace {

using testing::Bytes;
using testing::ReadTrack;

// The tracks of a file made of the tracks given.
std::vector<ReadTrack> ReadTracks(std::initializer_list<Bytes> tracks) {
    Bytes file = testing::Header(1, static_cast<uint16_t>(tracks.size()), 96);
    for (const Bytes& track : tracks) {
        const Bytes chunk = testing::Chunk("MTrk", track);
        file.insert(file.end(), chunk.begin(), chunk.end());
    }
    SmfOpenStatus status = SmfOpenStatus::Ok;
    std::unique_ptr<MidiFileReader> reader = OpenMidiBytes(file, &status);
    EXPECT_TRUE(reader);
    return reader ? testing::ReadAllTracks(*reader) : std::vector<ReadTrack>{};
}

// Each of the nine statuses is skipped with its data bytes (F2 two, F1 and F3 one,
// the others none); the notes after them are read, the running status holds across
// them, and their delta times add to the next event's.
TEST(SmfTrackStops, SystemMessagesAreSkippedWithTheirDataAndCounted) {
    const Bytes track{0x00, 0x90, 60,   100,               // note on
                      0x01, 0xF8, 0x02, 0xF2, 0x7F, 0x7F,  // clock, song position
                      0x03, 0xF1, 0x21, 0x04, 0xF3, 0x05,  // time code, song select
                      0x05, 0xF6, 0x06, 0xFA, 0x07, 0xFB,  // tune request, start, continue
                      0x08, 0xFC, 0x09, 0xFE,              // stop, active sensing
                      0x0A, 62,   90,                      // running status: note on
                      0x10, 0xFE, 0x00, 0x80, 60,   0,     // sensing, note off
                      0x00, 0xFF, 0x2F, 0x00};
    const auto tracks = ReadTracks({track});
    ASSERT_EQ(tracks.size(), 1u);
    const ReadTrack& read = tracks[0];
    EXPECT_EQ(read.last, TrackReadResult::End);
    EXPECT_EQ(read.stop.reason, TrackStopReason::None);
    EXPECT_EQ(read.skippedMessages, 10u);
    ASSERT_EQ(read.events.size(), 4u);
    EXPECT_EQ(read.eventsRead, 4u);
    EXPECT_EQ(read.events[1].status, 0x90);
    EXPECT_EQ(read.events[1].data, (Bytes{62, 90}));
    EXPECT_EQ(read.events[1].delta, 1u + 2 + 3 + 4 + 5 + 6 + 7 + 8 + 9 + 10);
    EXPECT_EQ(read.events[2].status, 0x80);
    EXPECT_EQ(read.events[2].delta, 0x10u);
    EXPECT_EQ(read.events[3].kind, MidiEventKind::Meta);
}

// A skipped message that is the last thing in its chunk ends the track cleanly.
TEST(SmfTrackStops, SkippedMessageAtTheChunksEndEndsTheTrack) {
    const auto tracks = ReadTracks({{0x00, 0x90, 60, 1, 0x00, 0xF8}, {0x00, 0xF2, 0x01, 0x02}});
    ASSERT_EQ(tracks.size(), 2u);
    for (const ReadTrack& read : tracks) {
        EXPECT_EQ(read.last, TrackReadResult::End);
        EXPECT_EQ(read.stop.reason, TrackStopReason::None);
        EXPECT_EQ(read.skippedMessages, 1u);
    }
    EXPECT_EQ(tracks[0].events.size(), 1u);
    EXPECT_TRUE(tracks[1].events.empty());
}

// Each early stop names its reason and the first byte of the part it could not
// read, counted from the track's first data byte; the events before it are kept
// and counted, and the next track is read in full.
TEST(SmfTrackStops, EveryEarlyStopSaysWhyAndWhere) {
    struct Case {
        Bytes track;
        TrackStopReason reason;
        uint32_t offset;
        uint32_t kept;
    };
    const Bytes note{0x00, 0x90, 60, 1};
    const auto after = [&](Bytes tail) {
        Bytes bytes = note;
        bytes.insert(bytes.end(), tail.begin(), tail.end());
        return bytes;
    };
    const Case cases[] = {
        {after({0x00, 0xF4, 0x01}), TrackStopReason::UndefinedStatus, 5, 1},
        {after({0x00, 0xF5}), TrackStopReason::UndefinedStatus, 5, 1},
        {after({0x00, 0xF8, 0x00, 0xF9}), TrackStopReason::UndefinedStatus, 7, 1},
        {after({0x00, 0xFD}), TrackStopReason::UndefinedStatus, 5, 1},
        {{0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 1}, TrackStopReason::NumberTooLong, 0, 0},
        {after({0x00, 0xF0, 0x81, 0x81, 0x81, 0x81, 0x01}), TrackStopReason::NumberTooLong, 6, 1},
        {after({0x00, 0xF0, 0x05, 0x01}), TrackStopReason::DataPastChunk, 6, 1},
        {after({0x00, 0xFF, 0x01, 0x05, 'a'}), TrackStopReason::DataPastChunk, 7, 1},
        {after({0x00, 0x90, 60}), TrackStopReason::CutShort, 5, 1},
        {after({0x00, 61}), TrackStopReason::CutShort, 5, 1},    // running status
        {after({0x00, 0xFF}), TrackStopReason::CutShort, 6, 1},  // no meta type
        {after({0x00, 0xF2, 0x10}), TrackStopReason::CutShort, 5, 1},
        {after({0x81}), TrackStopReason::CutShort, 4, 1},  // delta cut
        {after({0x00}), TrackStopReason::CutShort, 5, 1},  // status missing
    };
    const Bytes good{0x00, 0x90, 60, 1, 0x00, 0xFF, 0x2F, 0x00};
    for (const Case& c : cases) {
        const auto tracks = ReadTracks({c.track, good});
        ASSERT_EQ(tracks.size(), 2u);
        const ReadTrack& cut = tracks[0];
        EXPECT_EQ(cut.last, TrackReadResult::Error);
        EXPECT_EQ(cut.stop.reason, c.reason) << "offset " << c.offset;
        EXPECT_EQ(cut.stop.offset, c.offset) << static_cast<int>(c.reason);
        EXPECT_EQ(cut.eventsRead, c.kept);
        EXPECT_EQ(cut.events.size(), c.kept);
        EXPECT_EQ(tracks[1].stop.reason, TrackStopReason::None);
        EXPECT_EQ(tracks[1].events.size(), 2u);
    }
}

}  // namespace
}  // namespace ql::smf
