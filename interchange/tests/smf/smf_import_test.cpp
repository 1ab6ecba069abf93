// Import of Standard MIDI Files through the transcription: a round trip with the
// export, files written by an independent writer, hand-made damaged files, and the
// refusals, each of which leaves no score and no import flag behind.
#include "interchange/smf/smf_import.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "interchange/import_commands.h"
#include "interchange/smf/smf_export.h"
#include "interchange/tests/smf/smf_bytes.h"
#include "interchange/tests/smf/smf_score_fixture.h"
#include "platform/sys/headless.h"
#include "platform/ui/headless.h"
#include "sequencer/notes_left_out.h"
#include "sequencer/transcription_dialog_resources.h"

namespace ql::testing {
namespace {

using smf::testing::Bytes;
using smf::testing::Chunk;
using smf::testing::Header;
using smf::testing::Join;

const Bytes kEnd{0x00, 0xFF, 0x2F, 0x00};

class SmfImport : public SmfScoreTest {
  protected:
    bool FlagsClear() const {
        const FileFlags& files = State().files;
        return files.Importing == 0 && files.MidiFileTransferActive == 0 && files.MidiImportActive == 0;
    }
    std::vector<std::string> BoxTexts() const {
        std::vector<std::string> texts;
        for (const auto& box : ui::headless::MessageBoxes()) texts.push_back(box.text);
        return texts;
    }
    // A refused file: a named message, no score, no flag.
    void ExpectRefused(const std::string& path, const std::string& message) {
        EXPECT_EQ(Import(path), nullptr) << path;
        EXPECT_EQ(OtherViews(view_), 0) << path;
        EXPECT_TRUE(FlagsClear()) << path;
        const std::vector<std::string> texts = BoxTexts();
        ASSERT_FALSE(texts.empty()) << path;
        EXPECT_NE(texts.back().find(message), std::string::npos) << texts.back();
    }
};

// Quarter notes C4 E4 G4 one beat apart, then a note-off of each, at 96 ticks a
// quarter, on channel 0.
Bytes ArpeggioTrack(uint8_t channel = 0) {
    const uint8_t on = static_cast<uint8_t>(0x90 | channel);
    const uint8_t off = static_cast<uint8_t>(0x80 | channel);
    return {0x00, on, 60, 90, 0x5A, off, 60, 0, 0x06, on, 64, 90, 0x5A, off, 64, 0,
            0x06, on, 67, 90, 0x5A, off, 67, 0, 0x00, 0xFF, 0x2F, 0x00};
}

TEST_F(SmfImport, ExportedScoreImportsWithTheSamePitchesAndOnsets) {
    BuildScore(2, 2);
    doc_->path = PathOf("Duet.ql");
    Note(1, 1, 0, kQuarterCode, 0);
    Note(1, 1, 1024, kQuarterCode, 2);
    Note(1, 2, 2048, kQuarterCode, 3);
    Note(2, 2, 0, kHalfCode, 4);
    const std::string path = PathOf("Duet.mid");
    ASSERT_TRUE(WriteStandardMidiFile(view_, path, SmfExportTexts{}));
    ScoreView* imported = Import(path);
    ASSERT_NE(imported, nullptr);
    EXPECT_EQ(imported->document->header.staffCount, 2);
    EXPECT_EQ(Notes(imported, 1), Notes(view_, 1));
    EXPECT_EQ(Notes(imported, 2), Notes(view_, 2));
    EXPECT_EQ(Notes(imported, 1), "1:0:64 1:1024:60 2:2048:59");
    // Named after the file, in no folder (its save proposes one); not modified, as a
    // new score is.
    EXPECT_EQ(imported->document->path, "Duet_MIDI.ql");
    EXPECT_EQ(imported->document->changeCounter, 0);
    EXPECT_TRUE(FlagsClear());
}

TEST_F(SmfImport, DivisionOf96AndTheFirstTempoAndSignatures) {
    const Bytes conductor{0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,   // 120 BPM
                          0x00, 0xFF, 0x58, 0x04, 0x03, 0x02, 0x18, 0x08,  // 3/4
                          0x00, 0xFF, 0x59, 0x02, 0xFD, 0x01,        // 3 flats, minor
                          0x00, 0xFF, 0x2F, 0x00};
    const std::string path = WriteBytes("waltz.mid", Join({Header(1, 2, 96), Chunk("MTrk", conductor),
                                                           Chunk("MTrk", ArpeggioTrack())}));
    ScoreView* imported = Import(path);
    ASSERT_NE(imported, nullptr);
    ScoreDocument* document = imported->document;
    EXPECT_EQ(document->header.tempo, 120);
    EXPECT_EQ(MeasureRecordOf(document, 1)->lengthTicks, 3072);
    const MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, 1), document, 1);
    EXPECT_EQ(cell->beats, 3);
    EXPECT_EQ(cell->clefKey >> 4, 4);
    EXPECT_NE(StaffRecordOf(document, 1)->transpositionWord & 0x1000, 0);
    EXPECT_EQ(Notes(imported, 1), "1:0:60 1:1024:64 1:2048:67");
}

// A format-0 file: a staff for each channel that plays notes, in the order they
// first play (channel 1 to staff 1, channel 10 to staff 2); every delta advances
// every staff.
TEST_F(SmfImport, SingleTrackFileGivesAStaffToEachChannelThatPlays) {
    const Bytes track{0x00, 0xC3, 5, 0x00, 0xC0, 7, 0x00, 0x90, 60, 90, 0x60, 0x99, 38, 90, 0x60, 0x80, 60, 0, 0x00, 0x89, 38, 0,
                      0x00, 0xFF, 0x2F, 0x00};
    ScoreView* imported = Import(WriteBytes("single.mid", Join({Header(0, 1, 96), Chunk("MTrk", track)})));
    ASSERT_NE(imported, nullptr);
    EXPECT_EQ(imported->document->header.staffCount, 2);
    EXPECT_EQ(Notes(imported, 1), "1:0:60");
    EXPECT_EQ(Notes(imported, 2), "1:1024:38");
    EXPECT_EQ(StaffRecordOf(imported->document, 2)->timbres[0].channel, 9);
    // The sound of channel 4, which plays nothing, is not staff 1's.
    EXPECT_EQ(StaffRecordOf(imported->document, 1)->timbres[0].patch, 7);
    // A few staves keep staff size 4; sixteen channels that play take sixteen
    // staves of the smaller size 8.
    EXPECT_EQ(imported->document->header.pageGeometry.staffSize, 4);
    Bytes sixteen;
    for (uint8_t channel = 0; channel < 16; ++channel)
        sixteen.insert(sixteen.end(), {0x00, static_cast<uint8_t>(0x90 | channel), 60, 90});
    sixteen.insert(sixteen.end(), {0x60, 0xFF, 0x2F, 0x00});
    ScoreView* full = Import(WriteBytes("sixteen.mid", Join({Header(0, 1, 96), Chunk("MTrk", sixteen)})));
    ASSERT_NE(full, nullptr);
    EXPECT_EQ(full->document->header.staffCount, 16);
    EXPECT_EQ(Notes(full, 16), "1:0:60");
    EXPECT_EQ(full->document->header.pageGeometry.staffSize, 8);
}

TEST_F(SmfImport, DamagedFilesImportWhatCanBeReadOrAreRefusedByName) {
    // Running status across a meta event and a system-exclusive message.
    const Bytes across{0x00, 0x90, 60, 90, 0x00, 0xFF, 0x01, 0x01, 'x', 0x60, 60, 0,
                       0x00, 0xF0, 0x01, 0xF7, 0x00, 64, 90, 0x60, 64, 0, 0x00, 0xFF, 0x2F, 0x00};
    ScoreView* view = Import(WriteBytes("across.mid", Join({Header(1, 2, 96), Chunk("MTrk", kEnd),
                                                             Chunk("MTrk", across)})));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(Notes(view, 1), "1:0:60 1:1024:64");
    EXPECT_TRUE(BoxTexts().empty());

    // No end-of-track: the chunk's end ends the track; the next track is still read.
    Bytes open = ArpeggioTrack();
    open.resize(open.size() - 4);
    view = Import(WriteBytes("open.mid", Join({Header(1, 3, 96), Chunk("MTrk", kEnd), Chunk("MTrk", open),
                                              Chunk("MTrk", ArpeggioTrack())})));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(Notes(view, 1), "1:0:60 1:1024:64 1:2048:67");
    EXPECT_EQ(Notes(view, 2), Notes(view, 1));

    // A track whose length runs past the end of the file is read to the end.
    view = Import(WriteBytes("long.mid", Join({Header(1, 2, 96), Chunk("MTrk", kEnd),
                                              Chunk("MTrk", ArpeggioTrack(), 100000)})));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(Notes(view, 1), "1:0:60 1:1024:64 1:2048:67");

    // Data bytes above 127 where data is due: the track stops there, once told.
    const Bytes high{0x00, 0x90, 60, 90, 0x60, 0x80, 60, 0, 0x00, 0x90, 0xC8, 0x40, 0x00, 0xFF, 0x2F, 0x00};
    ui::headless::ResetUi();
    view = Import(WriteBytes("high.mid", Join({Header(1, 2, 96), Chunk("MTrk", kEnd), Chunk("MTrk", high)})));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(Notes(view, 1).rfind("1:0:60", 0), 0u);

    // A RIFF "RMID" wrapper reads as the bare file.
    const Bytes bare = Join({Header(1, 2, 96), Chunk("MTrk", kEnd), Chunk("MTrk", ArpeggioTrack())});
    Bytes riff{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 'd', 'a', 't', 'a', 0, 0, 0, 0};
    riff.insert(riff.end(), bare.begin(), bare.end());
    view = Import(WriteBytes("wrapped.rmi", riff));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(Notes(view, 1), "1:0:60 1:1024:64 1:2048:67");
    EXPECT_TRUE(FlagsClear());
}

TEST_F(SmfImport, RefusedFilesLeaveNoScoreAndNoFlag) {
    ExpectRefused(WriteBytes("zero.mid", Header(1, 0, 96)), "No data");
    ExpectRefused(WriteBytes("one.mid", Join({Header(1, 1, 96), Chunk("MTrk", kEnd)})), "No data");
    ExpectRefused(WriteBytes("type2.mid", Join({Header(2, 2, 96), Chunk("MTrk", kEnd), Chunk("MTrk", kEnd)})),
                  "Format 2 files are not supported");
    ExpectRefused(WriteBytes("division.mid", Join({Header(1, 2, 0), Chunk("MTrk", kEnd), Chunk("MTrk", kEnd)})),
                  "Invalid MIDI data");
    ExpectRefused(WriteBytes("text.mid", Bytes{'h', 'e', 'l', 'l', 'o', ' ', 'w', 'o', 'r', 'l', 'd', '!', '!', '!'}),
                  "Invalid MIDI data");
    ExpectRefused(PathOf("missing.mid"), "File open error");
    // Damaged files of which not one note can be read: no track chunk at all, a
    // track that stops before its first event, a signature track and a damaged one.
    ExpectRefused(WriteBytes("chunkless.mid", Header(1, 2, 96)), "Invalid MIDI file");
    ExpectRefused(WriteBytes("undefined.mid", Join({Header(0, 1, 96), Chunk("MTrk", Bytes{0x00, 0xF4, 60, 90})})),
                  "Invalid MIDI file");
    ExpectRefused(WriteBytes("cut.mid", Join({Header(1, 2, 96), Chunk("MTrk", kEnd), Chunk("MTrk", Bytes{0x00, 0x90, 60})})),
                  "Invalid MIDI file");
}

TEST_F(SmfImport, CancelledOptionsCloseTheNewScoreAtOnce) {
    const std::string path = WriteBytes("a.mid", Join({Header(1, 2, 96), Chunk("MTrk", kEnd),
                                                       Chunk("MTrk", ArpeggioTrack())}));
    sys::headless::ResetHelp();
    ui::headless::SetDialogScript(import_options_dialog::kDialog, [](ui::headless::DialogDriver& d) {
        d.RequestHelp(import_options_dialog::kGuessClefs);
        d.Click(ui::kIdCancel);
    });
    EXPECT_EQ(ImportFileByExtension(path), nullptr);
    ASSERT_EQ(sys::headless::HelpRequests().size(), 1u);  // the options' topic
    EXPECT_EQ(sys::headless::HelpRequests()[0].contextId, 811u);
    EXPECT_EQ(OtherViews(view_), 0);
    EXPECT_TRUE(FlagsClear());
}

// Which staff each track or channel fills, and which staves take the key: a
// signature track that plays notes gets the first staff and the other tracks
// follow it; the signature track's key (and a single-track file's) is every
// staff's.
TEST_F(SmfImport, TracksAndChannelsFillTheirStavesWithTheFilesKey) {
    const Bytes signatures{0x00, 0xFF, 0x58, 0x04, 0x03, 0x02, 0x18, 0x08,  // 3/4
                           0x00, 0xFF, 0x59, 0x02, 0x02, 0x00};              // two sharps
    const auto with = [](Bytes head, const Bytes& tail) {
        head.insert(head.end(), tail.begin(), tail.end());
        return head;
    };
    const auto repeated = [](const Bytes& part, int times) {
        Bytes all;
        for (int i = 0; i < times; ++i) all.insert(all.end(), part.begin(), part.end());
        return all;
    };
    // Format 0: a key of three flats, notes on channels 1 and 3.
    const Bytes channels{0x00, 0xFF, 0x59, 0x02, 0xFD, 0x01, 0x00, 0x90, 60, 90, 0x00, 0x92, 48, 90,
                         0x60, 0x80, 60, 0,    0x00, 0x82, 48,   0,    0x00, 0xFF, 0x2F, 0x00};
    struct Case {
        const char* name;
        Bytes file;
        int staves;
        std::vector<std::string> notes;  // by staff from 1
        int key;                         // of every staff
    };
    const Case cases[] = {
        {"signature track with notes, and a track",
         Join({Header(1, 2, 96), Chunk("MTrk", with(signatures, ArpeggioTrack())), Chunk("MTrk", ArpeggioTrack(1))}),
         2, {"1:0:60 1:1024:64 1:2048:67", "1:0:60 1:1024:64 1:2048:67"}, 9},
        {"one track with notes", Join({Header(1, 1, 96), Chunk("MTrk", with(signatures, ArpeggioTrack()))}), 1,
         {"1:0:60 1:1024:64 1:2048:67"}, 9},
        {"plain signature track", Join({Header(1, 2, 96), Chunk("MTrk", with(signatures, kEnd)),
                                        Chunk("MTrk", ArpeggioTrack())}),
         1, {"1:0:60 1:1024:64 1:2048:67"}, 9},
        {"single track of channels", Join({Header(0, 1, 96), Chunk("MTrk", channels)}), 2,
         {"1:0:60", "1:0:48"}, 4},
        // Tracks holding nothing but their end get no staff; the others keep their order
        // (C major is key 7).
        {"empty tracks between and after tracks with notes",
         Join({Header(1, 5, 96), Chunk("MTrk", with(signatures, kEnd)), Chunk("MTrk", kEnd),
               Chunk("MTrk", ArpeggioTrack()), Chunk("MTrk", kEnd), Chunk("MTrk", ArpeggioTrack(1))}),
         2, {"1:0:60 1:1024:64 1:2048:67", "1:0:60 1:1024:64 1:2048:67"}, 9},
        {"sixty-three empty tracks", with(Header(1, 63, 96), repeated(Chunk("MTrk", kEnd), 63)), 1, {""}, 7},
        // A damaged header counting 200 tracks: a staff for each track the file holds.
        {"header counting tracks the file lacks", Join({Header(1, 200, 96), Chunk("MTrk", with(signatures, kEnd)),
                                                        Chunk("MTrk", ArpeggioTrack())}),
         1, {"1:0:60 1:1024:64 1:2048:67"}, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ScoreView* view = Import(WriteBytes("tracks.mid", c.file));
        EXPECT_NE(view, nullptr);
        if (view == nullptr) continue;
        ScoreDocument* document = view->document;
        EXPECT_EQ(document->header.staffCount, c.staves);
        for (size_t staff = 1; staff <= c.notes.size(); ++staff)
            EXPECT_EQ(Notes(view, static_cast<int>(staff)), c.notes[staff - 1]) << "staff " << staff;
        for (int staff = 1; staff <= document->header.staffCount; ++staff)
            EXPECT_EQ(GetOrCreateMeasureCell(StaffRecordOf(document, staff), document, 1)->clefKey >> 4, c.key)
                << "staff " << staff;
    }
}

// A track playing on two channels keeps each: the second channel's notes go to a
// staff of their own that plays on that channel (drums on channel 10 beside a
// piano), and the track's meta events stay on its first staff. Tracks and channels
// past the last staff the score can hold are counted in the import's box.
TEST_F(SmfImport, EachChannelOfATrackKeepsItsSoundAndStavesPastTheLastAreCounted) {
    const Bytes pianoAndDrums{0x00, 0x90, 60, 90, 0x00, 0x99, 36, 100, 0x60, 0x80, 60, 0,
                              0x00, 0x89, 36, 0,  0x00, 0xFF, 0x2F, 0x00};
    const Bytes oneNote{0x00, 0x90, 60, 90, 0x60, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};
    const auto tracks = [&](int count, const Bytes& track) {
        Bytes file = Join({Header(1, static_cast<uint16_t>(count + 1), 96), Chunk("MTrk", kEnd)});
        const Bytes chunk = Chunk("MTrk", track);
        for (int i = 0; i < count; ++i) file.insert(file.end(), chunk.begin(), chunk.end());
        return file;
    };
    struct Case {
        const char* name;
        Bytes file;
        int staves;
        std::vector<int> channels;  // of the staves from 1 (those listed)
        int pastLastStaff;
    } cases[] = {
        {"piano and drums on one track", tracks(1, pianoAndDrums), 2, {0, 9}, 0},
        {"two such tracks", tracks(2, pianoAndDrums), 4, {0, 9, 0, 9}, 0},
        {"sixty-six tracks", tracks(66, oneNote), kMaxStaves, {0}, 2},
        {"thirty-three tracks of two channels", tracks(33, pianoAndDrums), kMaxStaves, {0, 9}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto before = static_cast<long>(BoxTexts().size());
        ScoreView* view = Import(WriteBytes("channels.mid", c.file));
        ASSERT_NE(view, nullptr);
        ScoreDocument* document = view->document;
        EXPECT_EQ(document->header.staffCount, c.staves);
        for (size_t staff = 1; staff <= c.channels.size(); ++staff) {
            EXPECT_EQ(StaffRecordOf(document, static_cast<int>(staff))->timbres[0].channel, c.channels[staff - 1]);
            EXPECT_EQ(Notes(view, static_cast<int>(staff)), c.channels[staff - 1] == 9 ? "1:0:36" : "1:0:60");
        }
        const std::string line = std::string(kStavesPastLastStaff) + ": " + std::to_string(c.pastLastStaff);
        const std::vector<std::string> texts = BoxTexts();
        EXPECT_EQ(std::count_if(texts.begin() + before, texts.end(),
                                [&](const std::string& t) { return t.find(line) != std::string::npos; }),
                  c.pastLastStaff > 0 ? 1 : 0);
    }
}

// A file longer than the score can hold: every measure up to the last keeps its own
// note, the notes, texts, tempo changes and channel messages after it are left out,
// and the user is told how many of each.
TEST_F(SmfImport, FilePastTheLastMeasureKeepsWhatFitsAndSaysWhatWasLeftOut) {
    constexpr int kBeyond = 5;
    const auto key = [](int measure) { return static_cast<uint8_t>(60 + measure % 12); };
    Bytes track;
    for (int m = 1; m <= MeasureLimit + kBeyond; ++m) {
        // A quarter at the measure's start (96 ticks), then three quarters of rest.
        track.insert(track.end(), {0x00, 0x90, key(m), 90, 0x60, 0x80, key(m), 0, 0x82, 0x20});
        // After the last measure a text, a tempo change, a volume, a patch change and
        // a pitch bend.
        if (m > MeasureLimit)
            track.insert(track.end(), {0xFF, 0x01, 0x01, 't', 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20, 0x00, 0xB0,
                                       0x07, 100, 0x00, 0xC0, 0x05, 0x00, 0xE0, 0x00, 0x50});
        else track.insert(track.end(), {0xFF, 0x06, 0x00});  // a marker makes nothing
    }
    track.insert(track.end(), kEnd.begin(), kEnd.end());
    ScoreView* view = Import(WriteBytes("long.mid", Join({Header(1, 2, 96), Chunk("MTrk", kEnd), Chunk("MTrk", track)})));
    ASSERT_NE(view, nullptr);
    ScoreDocument* document = view->document;
    EXPECT_EQ(document->header.measureCount, MeasureLimit);
    const std::string notes = Notes(view, 1);
    const std::string last = std::to_string(MeasureLimit - 1) + ":0:" + std::to_string(key(MeasureLimit - 1)) + " " +
                             std::to_string(MeasureLimit) + ":0:" + std::to_string(key(MeasureLimit));
    EXPECT_EQ(notes.substr(notes.size() - std::min(notes.size(), last.size())), last);
    ScoreObject* marks = GetOrCreateCellObjectList(GetOrCreateMeasureCell(StaffRecordOf(document, 1), document, MeasureLimit));
    EXPECT_EQ(marks != nullptr ? marks->next.get() : nullptr, nullptr) << "a text after the last measure landed in it";
    const std::vector<std::string> texts = BoxTexts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts.front(), NotesLeftOutText(kBeyond));
    // The texts, tempo changes and channel messages after it are counted too.
    EXPECT_NE(texts.back().find(std::string(kMarksPastLastMeasure) + ": " + std::to_string(5 * kBeyond)),
              std::string::npos)
        << texts.back();
}

// An SMPTE division (25 frames of 40 ticks) imports as 500 ticks a quarter at 120.
TEST_F(SmfImport, SmpteDivisionPlaysInRealTime) {
    EXPECT_EQ(ImportResolution(0xE728), 500);
    EXPECT_EQ(ImportResolution(0x8000), 0);
    EXPECT_EQ(ImportResolution(480), 480);
    const Bytes track{0x00, 0x90, 60, 90, 0x83, 0x74, 0x80, 60, 0, 0x00, 0xFF, 0x2F, 0x00};
    ScoreView* view = Import(WriteBytes("smpte.mid", Join({Header(1, 2, 0xE728),
                                                            Chunk("MTrk", Bytes{0x00, 0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40,
                                                                                0x00, 0xFF, 0x2F, 0x00}),
                                                            Chunk("MTrk", track)})));
    ASSERT_NE(view, nullptr);
    EXPECT_EQ(view->document->header.tempo, 120);
    EXPECT_EQ(Notes(view, 1), "1:0:60");
}

}  // namespace
}  // namespace ql::testing

namespace ql::testing {
namespace {

// Writes format-0 and format-1 files with an independent writer (which uses running
// status and puts meta events among the notes).
constexpr char kMidoWrite[] = R"(
import sys, mido
base = sys.argv[1]
f = mido.MidiFile(type=1, ticks_per_beat=480)
meta = mido.MidiTrack()
meta.append(mido.MetaMessage('track_name', name='Conductor', time=0))
meta.append(mido.MetaMessage('set_tempo', tempo=400000, time=0))
meta.append(mido.MetaMessage('time_signature', numerator=2, denominator=4, time=0))
meta.append(mido.MetaMessage('key_signature', key='D', time=0))
f.tracks.append(meta)
for channel, keys in ((0, (62, 66)), (1, (50, 45))):
    t = mido.MidiTrack()
    t.append(mido.MetaMessage('track_name', name='Part %d' % channel, time=0))
    t.append(mido.Message('program_change', channel=channel, program=40 + channel, time=0))
    for key in keys:
        t.append(mido.Message('note_on', channel=channel, note=key, velocity=80, time=0))
        t.append(mido.MetaMessage('marker', text='m', time=240))
        t.append(mido.Message('note_on', channel=channel, note=key, velocity=0, time=200))
        t.append(mido.Message('control_change', channel=channel, control=10, value=64, time=40))
    f.tracks.append(t)
f.save(base + '1.mid')
g = mido.MidiFile(type=0, ticks_per_beat=96)
t = mido.MidiTrack()
t.append(mido.MetaMessage('set_tempo', tempo=600000, time=0))
t.append(mido.Message('note_on', channel=0, note=72, velocity=70, time=0))
t.append(mido.Message('note_on', channel=2, note=48, velocity=70, time=0))
t.append(mido.Message('note_on', channel=0, note=72, velocity=0, time=96))
t.append(mido.Message('note_on', channel=0, note=74, velocity=70, time=0))
t.append(mido.Message('note_on', channel=0, note=74, velocity=0, time=96))
t.append(mido.Message('note_on', channel=2, note=48, velocity=0, time=0))
g.tracks.append(t)
g.save(base + '0.mid')
print('ok')
)";

TEST_F(SmfImport, FilesOfAnotherWriterImportToTheExpectedVoices) {
    const std::string python = PythonWithMido();
    if (python.empty()) GTEST_SKIP() << "python3 with mido is not installed";
    const std::string base = PathOf("mido");
    ASSERT_EQ(RunPython(python, kMidoWrite, base), "ok\n");

    ScoreView* one = Import(base + "1.mid");
    ASSERT_NE(one, nullptr);
    ScoreDocument* document = one->document;
    EXPECT_EQ(document->header.staffCount, 2);
    EXPECT_EQ(document->header.tempo, 150);
    EXPECT_EQ(MeasureRecordOf(document, 1)->lengthTicks, 2048);
    EXPECT_EQ(GetOrCreateMeasureCell(StaffRecordOf(document, 1), document, 1)->clefKey >> 4, 9);  // two sharps
    EXPECT_EQ(Notes(one, 1), "1:0:62 1:1024:66");
    EXPECT_EQ(Notes(one, 2), "1:0:50 1:1024:45");
    EXPECT_EQ(StaffRecordOf(document, 2)->timbres[0].patch, 41);
    EXPECT_EQ(StaffRecordOf(document, 2)->timbres[0].channel, 1);

    ScoreView* zero = Import(base + "0.mid");
    ASSERT_NE(zero, nullptr);
    EXPECT_EQ(zero->document->header.staffCount, 2);  // the two channels that play
    EXPECT_EQ(zero->document->header.tempo, 100);
    EXPECT_EQ(Notes(zero, 1), "1:0:72 1:1024:74");
    EXPECT_EQ(Notes(zero, 2), "1:0:48");
}

}  // namespace
}  // namespace ql::testing
