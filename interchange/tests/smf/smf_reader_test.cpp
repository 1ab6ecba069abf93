// Reading Standard MIDI Files: the header and its RMID wrapper, running status,
// meta and system-exclusive data, and the bounds that keep damaged files from
// reading past their chunks.
#include "interchange/smf/smf_reader.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "core/state.h"
#include "interchange/tests/smf/smf_bytes.h"
#include "platform/sys/folders.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"

namespace ql::smf {
namespace {

using testing::Bytes;
using testing::Chunk;
using testing::Header;
using testing::Join;

std::vector<testing::ReadTrack> ReadAll(MidiFileReader& file) {
    return testing::ReadAllTracks(file);
}

std::unique_ptr<MidiFileReader> Open(const Bytes& bytes) {
    SmfOpenStatus status = SmfOpenStatus::OpenFailed;
    std::unique_ptr<MidiFileReader> file = OpenMidiBytes(bytes, &status);
    EXPECT_EQ(status == SmfOpenStatus::Ok, file != nullptr);
    return file;
}

class SmfReader : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
    }
    void TearDown() override { ResetProgramState(); }
};

// The header's fields, channel events with running status, a sysex, and meta data
// with its terminating zero; a data byte after a sysex runs on under the last
// channel status.
TEST_F(SmfReader, ReadsHeaderEventsAndRunningStatus) {
    auto file = Open(testing::TwoTrackFile());
    ASSERT_TRUE(file);
    EXPECT_EQ(file->format, 1);
    EXPECT_EQ(file->trackCount, 2);
    EXPECT_EQ(file->division, 480);
    const std::vector<testing::ReadTrack> tracks = ReadAll(*file);
    ASSERT_EQ(tracks.size(), 2u);
    ASSERT_EQ(tracks[0].events.size(), 2u);
    const MidiFileEvent& tempo = tracks[0].events[0];
    EXPECT_EQ(tempo.kind, MidiEventKind::Meta);
    EXPECT_EQ(tempo.status, 0x51);
    EXPECT_EQ(tempo.length, 3u);
    EXPECT_EQ(tempo.data, (Bytes{0x07, 0xA1, 0x20, 0x00}));
    const std::vector<MidiFileEvent>& notes = tracks[1].events;
    ASSERT_EQ(notes.size(), 6u);
    EXPECT_EQ(notes[1].status, 0x90);  // running status
    EXPECT_EQ(notes[1].delta, 0x60u);
    EXPECT_EQ(notes[1].data, (Bytes{64, 90}));
    EXPECT_EQ(notes[2].delta, 384u);
    EXPECT_EQ(notes[2].status, 0x80);
    EXPECT_EQ(notes[3].kind, MidiEventKind::SysEx);
    EXPECT_EQ(notes[3].data, (Bytes{0x43, 0x12, 0xF7}));
    EXPECT_EQ(notes[4].status, 0x80);
    EXPECT_EQ(tracks[1].last, TrackReadResult::End);
}

// An RMID file reads exactly as the SMF it wraps.
TEST_F(SmfReader, RmidWrapperReadsAsTheBareFile) {
    const Bytes bare = testing::TwoTrackFile();
    Bytes riff{'R', 'I', 'F', 'F'};
    testing::PutU32(riff, static_cast<uint32_t>(bare.size() + 12));
    riff.insert(riff.end(), {'R', 'M', 'I', 'D', 'd', 'a', 't', 'a'});
    testing::PutU32(riff, static_cast<uint32_t>(bare.size()));
    riff.insert(riff.end(), bare.begin(), bare.end());
    auto wrapped = Open(riff);
    auto plain = Open(bare);
    ASSERT_TRUE(wrapped && plain);
    const auto a = ReadAll(*wrapped);
    const auto b = ReadAll(*plain);
    ASSERT_EQ(a.size(), b.size());
    for (size_t t = 0; t < a.size(); ++t) {
        ASSERT_EQ(a[t].events.size(), b[t].events.size());
        for (size_t e = 0; e < a[t].events.size(); ++e)
            EXPECT_EQ(a[t].events[e].data, b[t].events[e].data);
    }
}

// Headers: not "MThd" and a length below six are refused; a longer header is
// skipped by its length; chunks that are not tracks are skipped and not counted.
TEST_F(SmfReader, HeaderChecksAndUnknownChunks) {
    SmfOpenStatus status = SmfOpenStatus::Ok;
    Bytes notMidi = testing::TwoTrackFile();
    notMidi[1] = 'X';
    EXPECT_FALSE(OpenMidiBytes(notMidi, &status));
    EXPECT_EQ(status, SmfOpenStatus::InvalidData);
    EXPECT_FALSE(OpenMidiBytes(Header(0, 1, 96, 5), &status));
    EXPECT_EQ(status, SmfOpenStatus::InvalidData);
    EXPECT_FALSE(OpenMidiBytes(Bytes{'M', 'T', 'h', 'd', 0, 0}, &status));  // cut short

    const Bytes track{0x00, 0x90, 60, 1, 0x00, 0xFF, 0x2F, 0x00};
    auto file = Open(Join({Header(1, 1, 96, 10), Chunk("XFIH", Bytes(7, 0x90)),
                           Chunk("MTrk", track), Chunk("junk", Bytes{1, 2, 3})}));
    ASSERT_TRUE(file);
    const auto tracks = ReadAll(*file);
    ASSERT_EQ(tracks.size(), 1u);
    EXPECT_EQ(tracks[0].events.size(), 2u);
}

// A track without end-of-track ends at its chunk's end and the next track is
// found where its chunk starts; a track's data read first under running status
// takes note-on; a chunk longer than the file is read to the file's end.
TEST_F(SmfReader, TracksAreBoundedByTheirChunks) {
    const Bytes first{0x00, 60, 100, 0x10, 62, 100};  // no status, no end-of-track
    const Bytes second{0x00, 0xC0, 5};
    auto file = Open(Join({Header(1, 2, 96), Chunk("MTrk", first), Chunk("MTrk", second, 1000)}));
    ASSERT_TRUE(file);
    const auto tracks = ReadAll(*file);
    ASSERT_EQ(tracks.size(), 2u);
    ASSERT_EQ(tracks[0].events.size(), 2u);
    EXPECT_EQ(tracks[0].events[0].status, 0x90);
    EXPECT_EQ(tracks[0].last, TrackReadResult::End);
    ASSERT_EQ(tracks[1].events.size(), 1u);
    EXPECT_EQ(tracks[1].events[0].data, (Bytes{5}));
    EXPECT_EQ(tracks[1].last, TrackReadResult::End);
}

// Damaged events end their own track only: a five-byte delta, a sysex or meta
// length past the chunk, an undefined system status, and an event cut by the
// chunk's end. The track after each is still read.
TEST_F(SmfReader, DamagedEventsEndOnlyTheirTrack) {
    const Bytes good{0x00, 0x90, 60, 1};
    const Bytes damaged[] = {
        {0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 1},  // delta of five bytes
        {0x00, 0xF0, 0x05, 0x01},                     // sysex running into the next chunk
        {0x00, 0xFF, 0x01, 0x05, 'a'},                // meta text running into the next chunk
        {0x00, 0xF4, 0x10, 0x10},                     // undefined: its length is unknown
        {0x00, 0x90, 60},                             // note-on cut by the chunk's end
    };
    for (const Bytes& bad : damaged) {
        auto file = Open(Join({Header(1, 2, 96), Chunk("MTrk", bad), Chunk("MTrk", good)}));
        ASSERT_TRUE(file);
        const auto tracks = ReadAll(*file);
        ASSERT_EQ(tracks.size(), 2u);
        EXPECT_EQ(tracks[0].last, TrackReadResult::Error);
        ASSERT_EQ(tracks[1].events.size(), 1u);
        EXPECT_EQ(tracks[1].last, TrackReadResult::End);
    }
}

// Track lengths are 32-bit: a track of 70,000 bytes is not read as empty.
TEST_F(SmfReader, LongTracksKeepTheirFullLength) {
    Bytes data;
    for (int i = 0; i < 17'500; ++i) data.insert(data.end(), {0x00, 0x90, 60, 1});
    auto file = Open(Join({Header(0, 1, 96), Chunk("MTrk", data)}));
    ASSERT_TRUE(file);
    const auto tracks = ReadAll(*file);
    ASSERT_EQ(tracks.size(), 1u);
    EXPECT_EQ(tracks[0].events.size(), 17'500u);
}

// Reading from a file gives the events of the memory image; a file that cannot be
// opened and one that is not MIDI each show their one box.
TEST_F(SmfReader, FilesAndTheirFailureBoxes) {
    const std::string path =
        (sys::TemporaryFolder() / ("ql_smf_read_" + std::to_string(getpid()) + ".mid")).string();
    Bytes bytes = testing::TwoTrackFile();
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    auto file = OpenMidiFileForRead(path);
    ASSERT_TRUE(file);
    EXPECT_EQ(ReadAll(*file)[1].events.size(), 6u);
    file.reset();
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());

    EXPECT_FALSE(OpenMidiFileForRead(path + ".missing"));
    bytes[0] = 'X';
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
    EXPECT_FALSE(OpenMidiFileForRead(path));
    std::remove(path.c_str());
    const auto& boxes = ui::headless::MessageBoxes();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, "File open error: 2");
    EXPECT_EQ(boxes[1].text, "Invalid MIDI data");
}

}  // namespace
}  // namespace ql::smf
