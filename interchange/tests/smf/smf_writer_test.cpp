// Writing Standard MIDI Files: variable-length deltas, running status, the header
// and track lengths, and what a failing disk does. Written files are read back
// through the reader.
#include "interchange/smf/smf_writer.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/state.h"
#include "core/ui/system_error.h"
#include "interchange/smf/smf_reader.h"
#include "interchange/smf/smf_strings.h"
#include "platform/sys/folders.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"

namespace ql::smf {
namespace {

using Bytes = std::vector<uint8_t>;

class SmfWriter : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        path_ = (sys::TemporaryFolder() / ("ql_smf_write_" + std::to_string(getpid()) + ".mid"))
                    .string();
    }
    void TearDown() override {
        std::remove(path_.c_str());
        ResetProgramState();
    }
    Bytes FileBytes() const {
        std::ifstream in(path_, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }
    // The event bytes of the one track written by `write`, after its chunk header.
    template <typename Write>
    Bytes TrackBytes(Write write) {
        auto file = CreateMidiFile(path_, 0, 1, 96, kStrImportMidiFileCaption);
        EXPECT_TRUE(file);
        auto track = CreateMidiTrack(*file);
        write(*track);
        EXPECT_TRUE(CloseMidiTrack(std::move(track)));
        EXPECT_TRUE(CloseMidiFile(std::move(file)));
        const Bytes bytes = FileBytes();
        return Bytes(bytes.begin() + 22, bytes.end());
    }
    std::string path_;
};

// Deltas as variable-length numbers: 0, 127, 128, 16,383 and 16,384.
TEST_F(SmfWriter, DeltasAreVariableLengthNumbers) {
    const std::pair<uint32_t, Bytes> cases[] = {{0, {0x00}},
                                                {127, {0x7F}},
                                                {128, {0x81, 0x00}},
                                                {16'383, {0xFF, 0x7F}},
                                                {16'384, {0x81, 0x80, 0x00}}};
    for (const auto& [delta, expected] : cases) {
        const uint32_t ticks = delta;  // a lambda may not capture a structured binding
        const Bytes bytes = TrackBytes([&](MidiTrackWriter& track) {
            const uint8_t off[] = {0x80, 60, 0};
            WriteMidiEvent(track, ticks, off);
        });
        EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + static_cast<long>(expected.size())),
                  expected)
            << delta;
    }
}

// Running status: a repeated note-on loses its status byte; after a meta event or
// a sysex the status is written again; data alone as a track's first event gets
// the note-on status in front; a second sysex keeps its own 0xF0. A sysex carries
// the count of the bytes after its F0 (F7 included) as a variable-length number.
TEST_F(SmfWriter, RunningStatusRules) {
    const Bytes bytes = TrackBytes([](MidiTrackWriter& track) {
        const uint8_t dataOnly[] = {60, 1};
        const uint8_t on[] = {0x90, 62, 2};
        const uint8_t sysex[] = {0xF0, 0x01, 0x7E, 0xF7};
        const uint8_t text[] = {'h', 'i'};
        WriteMidiEvent(track, 0, dataOnly);
        WriteMidiEvent(track, 0, on);
        WriteMidiMetaEvent(track, 0x01, 0, text);
        WriteMidiEvent(track, 0, on);
        WriteMidiEvent(track, 0, sysex);
        WriteMidiEvent(track, 0, sysex);
        WriteMidiEvent(track, 0, dataOnly);
    });
    const Bytes expected{0x00, 0x90, 60,   1,                // status put in front
                         0x00, 62,   2,                      // running
                         0x00, 0xFF, 0x01, 0x02, 'h',  'i',  // meta
                         0x00, 0x90, 62,   2,                // status again
                         0x00, 0xF0, 0x03, 0x01, 0x7E, 0xF7,  // sysex
                         0x00, 0xF0, 0x03, 0x01, 0x7E, 0xF7,  // and again, whole
                         0x00, 0x90, 60,   1};               // data alone after a sysex
    EXPECT_EQ(bytes, expected);
}

// A system-exclusive message of 200 bytes counts 199 after its F0, two bytes as a
// variable-length number (81 47), and reads back as one sysex event with its data.
TEST_F(SmfWriter, LongSystemExclusiveReadsBackWhole) {
    Bytes sysex(200, 0x11);
    sysex.front() = 0xF0;
    sysex.back() = 0xF7;
    const Bytes bytes = TrackBytes([&](MidiTrackWriter& track) {
        WriteMidiEvent(track, 5, sysex);
        WriteMidiMetaEvent(track, kMetaEndOfTrack, 0, {});
    });
    ASSERT_GE(bytes.size(), 4u);
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 4), (Bytes{0x05, 0xF0, 0x81, 0x47}));
    auto reader = OpenMidiFileForRead(path_);
    ASSERT_TRUE(reader);
    auto track = ReadTrackHeader(*reader);
    ASSERT_TRUE(track);
    MidiFileEvent event;
    ASSERT_EQ(ReadTrackEvent(*track, &event), TrackReadResult::Event);
    EXPECT_EQ(event.kind, MidiEventKind::SysEx);
    EXPECT_EQ(event.delta, 5u);
    EXPECT_EQ(Bytes(event.data.begin(), event.data.begin() + event.length), Bytes(sysex.begin() + 1, sysex.end()));
    ASSERT_EQ(ReadTrackEvent(*track, &event), TrackReadResult::Event);  // the end of the track follows
    EXPECT_EQ(event.kind, MidiEventKind::Meta);
    EXPECT_EQ(event.status, kMetaEndOfTrack);
    EXPECT_FALSE(track->Stopped());
}

// A format-1 file of two tracks at division 1,024 starts with its header bytes;
// each track's length, written as 0, holds its true count once closed; the file
// reads back event for event.
TEST_F(SmfWriter, HeaderAndTrackLengths) {
    auto file = CreateMidiFile(path_, 1, 2, 1024, kStrImportMidiFileCaption);
    ASSERT_TRUE(file);
    for (int t = 0; t < 2; ++t) {
        auto track = CreateMidiTrack(*file);
        ASSERT_TRUE(track);
        for (int i = 0; i <= t; ++i) {
            const uint8_t on[] = {0x90, static_cast<uint8_t>(60 + i), 100};
            ASSERT_GT(WriteMidiEvent(*track, 200, on), 0);
        }
        WriteMidiMetaEvent(*track, kMetaEndOfTrack, 0, {});
        ASSERT_TRUE(CloseMidiTrack(std::move(track)));
    }
    ASSERT_TRUE(CloseMidiFile(std::move(file)));
    const Bytes bytes = FileBytes();
    const Bytes header{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 4, 0};
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + 14), header);
    EXPECT_EQ(ReadBigEndian32(bytes.data() + 18), 9u);  // 200 = 81 48, then 90 3C 64, then end

    auto reader = OpenMidiFileForRead(path_);
    ASSERT_TRUE(reader);
    MidiFileEvent event;
    for (int t = 0; t < 2; ++t) {
        auto track = ReadTrackHeader(*reader);
        ASSERT_TRUE(track);
        int notes = 0;
        while (ReadTrackEvent(*track, &event) == TrackReadResult::Event)
            notes += event.kind == MidiEventKind::Channel;
        EXPECT_EQ(notes, t + 1);
        EXPECT_TRUE(track->ended);
    }
}

// A file that cannot be created shows its box under the caller's caption; a full
// disk shows the save I/O text once and the file reports failure.
TEST_F(SmfWriter, CreateAndWriteFailures) {
    EXPECT_FALSE(CreateMidiFile("/nonexistent-folder/x.mid", 1, 1, 96, kStrExportMidiFileCaption));
    const auto& boxes = ui::headless::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].caption, "Export to Standard Midi File");
    EXPECT_EQ(boxes[0].text, "Error occurred while creating file:\n" + SystemErrorMessage(ENOENT));

    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    EXPECT_FALSE(CreateMidiFile("/dev/full", 1, 1, 96, kStrExportMidiFileCaption));
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[1].text, std::string(kSaveIoErrorText) + "\n" + SystemErrorMessage(ENOSPC));
}

// After a failed write every later write and the close report failure without
// another box.
TEST_F(SmfWriter, AFailedFileStaysFailedAndSaysSoOnce) {
    auto file = CreateMidiFile(path_, 0, 1, 96, kStrImportMidiFileCaption);
    ASSERT_TRUE(file);
    auto track = CreateMidiTrack(*file);
    ASSERT_TRUE(track);
    int error = 0;
    ASSERT_TRUE(sys::CloseFile(file->file, &error));  // the descriptor goes away
    file->file = ::open("/dev/full", O_WRONLY);
    ASSERT_NE(file->file, sys::kNoFile);
    const uint8_t on[] = {0x90, 60, 100};
    EXPECT_EQ(WriteMidiEvent(*track, 0, on), -1);
    EXPECT_EQ(WriteMidiEvent(*track, 0, on), -1);
    EXPECT_FALSE(CloseMidiTrack(std::move(track)));
    EXPECT_FALSE(CloseMidiFile(std::move(file)));
    EXPECT_EQ(ui::headless::MessageBoxes().size(), 1u);
}

}  // namespace
}  // namespace ql::smf
