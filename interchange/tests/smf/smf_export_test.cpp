// Export of a score as a Standard MIDI File: the bytes it starts with, what an
// independent parser reads in it, and what a failing disk leaves behind.
#include "interchange/smf/smf_export.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <algorithm>

#include "core/model/document_context.h"
#include "core/model/object_list.h"
#include "core/objects/midi_action.h"
#include "core/state.h"
#include "core/text/text_object.h"
#include "display/anchors.h"
#include "display/view_location.h"
#include "files/bytes/file_faults.h"
#include "interchange/imported_marks.h"
#include "interchange/smf/smf_reader.h"
#include "interchange/tests/smf/smf_score_fixture.h"
#include "objects/text_box/text_box.h"
#include "platform/ui/file_dialog.h"
#include "platform/ui/headless.h"
#include "sequencer/action_dialogs.h"
#include "sequencer/transcription_dialog_resources.h"

namespace ql::testing {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Prints each track's messages with absolute ticks, one a line.
constexpr char kMidoDump[] = R"(
import sys, mido
f = mido.MidiFile(sys.argv[1])
print('type', f.type, 'tracks', len(f.tracks), 'tpb', f.ticks_per_beat)
for i, track in enumerate(f.tracks):
    t = 0
    for m in track:
        t += m.time
        if m.type in ('note_on', 'note_off'):
            print(i, t, m.type, m.channel, m.note, m.velocity)
        elif m.type == 'program_change':
            print(i, t, 'program', m.channel, m.program)
        elif m.type == 'set_tempo':
            print(i, t, 'tempo', m.tempo)
        elif m.type == 'time_signature':
            print(i, t, 'time', m.numerator, m.denominator)
        elif m.type == 'key_signature':
            print(i, t, 'key', m.key)
        elif m.type in ('track_name', 'instrument_name'):
            print(i, t, m.type, m.name)
        elif m.type == 'end_of_track':
            print(i, t, 'end')
)";

class SmfExport : public SmfScoreTest {
  protected:
    // Two staves: two quarters in staff 1's first measure, a half in staff 2's second.
    void BuildTwoStaves() {
        BuildScore(2, 2);
        doc_->path = PathOf("Duet.ql");
        Note(1, 1, 0, kQuarterCode, 0);
        Note(1, 1, 1024, kQuarterCode, 2);
        Note(2, 2, 0, kHalfCode, 4);
    }
    bool StatusShowsOk() const {
        for (const ui::headless::StatusTextRecord& r : ui::headless::StatusTexts())
            if (r.part == 0 && r.text.find("OK") != std::string::npos) return true;
        return false;
    }
};

TEST_F(SmfExport, TwoStaffScoreIsAFormatOneFileOfThreeTracksAnotherParserReads) {
    BuildTwoStaves();
    const std::string path = PathOf("duet.mid");
    ASSERT_TRUE(WriteStandardMidiFile(view_, path, SmfExportTexts{"A Title", ""}));
    const Bytes bytes = ReadFile(path);
    const Bytes head{0x4D, 0x54, 0x68, 0x64, 0x00, 0x00, 0x00, 0x06, 0x00, 0x01, 0x00, 0x03, 0x04, 0x00};
    ASSERT_GE(bytes.size(), head.size());
    EXPECT_EQ(Bytes(bytes.begin(), bytes.begin() + head.size()), head);
    EXPECT_TRUE(StatusShowsOk());
    EXPECT_EQ(State().files.MidiFileTransferActive, 0);
    EXPECT_EQ(State().files.MidiFileExporting, 0);
    // Each staff's track is announced in the status bar as it is written.
    std::vector<std::string> announced;
    for (const ui::headless::StatusTextRecord& r : ui::headless::StatusTexts())
        if (r.part == 0 && r.text.find("Staff") != std::string::npos) announced.push_back(r.text);
    ASSERT_EQ(announced.size(), 2u);
    EXPECT_NE(announced[0].find("Staff: 1"), std::string::npos) << announced[0];
    EXPECT_NE(announced[1].find("Staff: 2"), std::string::npos) << announced[1];
    EXPECT_EQ(doc_->header.measureCount, 2) << "the export added measures to the score";

    const std::string python = PythonWithMido();
    if (python.empty()) GTEST_SKIP() << "python3 with mido is not installed";
    const std::string dump = RunPython(python, kMidoDump, path);
    EXPECT_EQ(dump,
              "type 1 tracks 3 tpb 1024\n"
              "0 0 track_name Duet.ql\n0 0 instrument_name Staff:0\n0 0 key C\n0 0 tempo 500000\n"
              "0 0 time 4 4\n0 8192 end\n"
              "1 0 track_name Track 1\n1 0 instrument_name Staff:1\n1 0 key C\n1 0 program 0 0\n"
              "1 0 note_on 0 64 64\n1 920 note_off 0 64 64\n1 1024 note_on 0 60 64\n1 1944 note_off 0 60 64\n"
              "1 8192 end\n"
              "2 0 track_name Track 2\n2 0 instrument_name Staff:2\n2 0 key C\n2 0 program 1 0\n"
              "2 4096 note_on 1 57 64\n2 5936 note_off 1 57 64\n2 8192 end\n");
}

// A disk that fails in the middle of the file: the old file stays byte for byte,
// no temporary file is left, the user is told once and no "OK" is shown.
TEST_F(SmfExport, FailedWriteLeavesTheTargetAsItWasAndShowsNoOk) {
    BuildTwoStaves();
    const std::string path = PathOf("duet.mid");
    const Bytes old{'o', 'l', 'd', ' ', 'f', 'i', 'l', 'e'};
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(old.data()), old.size());
    for (int nth : {1, 2, 5, 12}) {
        ui::headless::ResetUi();
        SetFileFaultForTests(FileFault{FileStep::Write, nth, ENOSPC, {}});
        EXPECT_FALSE(WriteStandardMidiFile(view_, path, SmfExportTexts{})) << nth;
        EXPECT_EQ(ReadFile(path), old) << nth;
        EXPECT_FALSE(StatusShowsOk()) << nth;
        // A track that cannot be started also says "Can't write MIDI file".
        EXPECT_EQ(ui::headless::MessageBoxes().size(), nth == 2 ? 2u : 1u) << nth;
        EXPECT_NE(ui::headless::MessageBoxes().at(0).text.find("I/O error"), std::string::npos) << nth;
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder_), std::filesystem::directory_iterator()), 1)
            << "a temporary file was left, fault at write " << nth;
        EXPECT_EQ(State().files.MidiFileTransferActive, 0);
    }
    ResetFileFaultForTests();
    ASSERT_TRUE(WriteStandardMidiFile(view_, path, SmfExportTexts{}));
    EXPECT_NE(ReadFile(path), old);
}

bool Holds(const Bytes& bytes, const Bytes& part) {
    return std::search(bytes.begin(), bytes.end(), part.begin(), part.end()) != bytes.end();
}

Bytes MetaText(uint8_t type, const std::string& text) {
    Bytes out{0xFF, type, static_cast<uint8_t>(text.size())};
    out.insert(out.end(), text.begin(), text.end());
    return out;
}

// The command: the file chooser, then "MIDI Header Information" with the score's
// title (not the page number's word) and the kept copyright; OK writes both into
// the conductor track and keeps them, Cancel writes nothing.
TEST_F(SmfExport, HeaderDialogProposesTheTitleAndKeepsWhatWasTyped) {
    namespace h = midi_header_dialog;
    BuildTwoStaves();
    KeptExportTexts() = SmfExportTexts{"", "(c) kept"};
    PlaceImportedPageText(view_, "Moonlight", {0, 0}, 12);
    PlaceImportedPageText(view_, "%page", {0, 512}, 12);
    EXPECT_EQ(FindScoreTitle(view_), "Moonlight");

    const std::string path = PathOf("moon.mid");
    ui::headless::QueueFileDialogAnswer({ui::FileDialogStatus::Chosen, path});
    std::string shownTitle;
    std::string shownCopyright;
    ui::headless::SetDialogScript(h::kDialog, [&](ui::headless::DialogDriver& d) {
        shownTitle = d.Text(h::kTitle);
        shownCopyright = d.Text(h::kCopyright);
        d.Type(h::kCopyright, "(c) 2026 Q");
        d.Click(ui::kIdOk);
    });
    ExportStandardMidiFile(view_);
    EXPECT_EQ(shownTitle, "Moonlight");
    EXPECT_EQ(shownCopyright, "(c) kept");
    const Bytes bytes = ReadFile(path);
    EXPECT_TRUE(Holds(bytes, MetaText(0x01, "Moonlight")));
    EXPECT_TRUE(Holds(bytes, MetaText(0x02, "(c) 2026 Q")));
    EXPECT_EQ(KeptExportTexts().copyright, "(c) 2026 Q");
    EXPECT_EQ(KeptExportTexts().title, "Moonlight");

    const std::string cancelled = PathOf("cancelled.mid");
    ui::headless::QueueFileDialogAnswer({ui::FileDialogStatus::Chosen, cancelled});
    ui::headless::SetDialogScript(h::kDialog, [](ui::headless::DialogDriver& d) { d.Click(ui::kIdCancel); });
    ExportStandardMidiFile(view_);
    EXPECT_FALSE(std::filesystem::exists(cancelled));
    EXPECT_EQ(KeptExportTexts().copyright, "(c) 2026 Q");
}

// A staff's label names its instrument in the file.
TEST_F(SmfExport, StaffLabelIsTheInstrumentName) {
    BuildTwoStaves();
    ASSERT_NE(PlaceImportedStaffLabel(view_, 2, "Cello"), nullptr);
    const std::string path = PathOf("labels.mid");
    ASSERT_TRUE(WriteStandardMidiFile(view_, path, SmfExportTexts{}));
    const Bytes bytes = ReadFile(path);
    EXPECT_TRUE(Holds(bytes, MetaText(0x04, "Staff:1")));
    EXPECT_TRUE(Holds(bytes, MetaText(0x04, "Cello")));
    EXPECT_FALSE(Holds(bytes, MetaText(0x04, "Staff:2")));
}

// An imported label stands left of its system, 128 units before it, centred half a
// staff above its own staff's top line, whatever staff it names or the point locates:
// its anchor holds offsets from its own staff only.
TEST_F(SmfExport, AnImportedLabelStandsLeftOfItsSystem) {
    BuildTwoStaves();
    ScoreObject* label = PlaceImportedStaffLabel(view_, 2, "Cello");
    ASSERT_NE(label, nullptr);
    TextBoxObject* box = AsTextBox(label);
    SetCurrentMeasureQuick(view_, 2, 1);
    LogicalPoint corner{};
    DecodeAnchors(view_, SubtypeCode(ObjectSubtype::StaffLabelList), &box->body.location, &corner, 1);
    EXPECT_EQ(corner.x + box->body.width, view_->currentSystem->x - 128);
    EXPECT_EQ(corner.y, view_->staffY - (box->body.height + 512) / 2);
}

// A MIDI event object with system-exclusive bytes (typed without F0 and F7) is
// written into its staff's track at its time as an F0 event: the count of the
// bytes after F0 as a variable-length number, the data closed by F7. The file
// reads back through the program's own reader to its end.
TEST_F(SmfExport, SystemExclusiveObjectIsWrittenAsASysexEvent) {
    BuildTwoStaves();
    MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(doc_, 2), doc_, 2);
    ScoreObject* list = GetOrCreateCellObjectList(cell);
    ScoreObject* object = ConstructObject(TypeCode(ObjectType::MidiEvent));
    ASSERT_TRUE(list != nullptr && object != nullptr);
    InsertObjectAfter(list, object);
    AsTextObject(object)->body.location.position = uint32_t{1024} << 16;
    MidiAction& action = *MidiActionOfText(object);
    SetMidiActionKind(&action, kMidiKindUserBytes, kTimingSingle);
    const Bytes typed{0x43, 0x10, 0x4C};
    ASSERT_GE(SetMidiActionData(&action, typed.data(), typed.size()), 0);
    action.head.data.length = static_cast<uint8_t>(typed.size());
    action.flags |= kMidiFlagEnabled | kMidiFlagSystemExclusive;

    const std::string path = PathOf("sysex.mid");
    ASSERT_TRUE(WriteStandardMidiFile(view_, path, SmfExportTexts{}));
    EXPECT_TRUE(Holds(ReadFile(path), Bytes{0xF0, 0x04, 0x43, 0x10, 0x4C, 0xF7}));
    smf::SmfOpenStatus status = smf::SmfOpenStatus::Ok;
    int error = 0;
    auto reader = smf::OpenMidiFile(path, &status, &error);
    ASSERT_TRUE(reader);
    std::vector<std::pair<int, uint32_t>> sysexes;  // (track, absolute time)
    for (int t = 0; t < 3; ++t) {
        auto track = smf::ReadTrackHeader(*reader);
        ASSERT_TRUE(track) << t;
        uint32_t time = 0;
        smf::MidiFileEvent event;
        while (smf::ReadTrackEvent(*track, &event) == smf::TrackReadResult::Event) {
            time += event.delta;
            if (event.kind != smf::MidiEventKind::SysEx) continue;
            sysexes.emplace_back(t, time);
            EXPECT_EQ(event.status, 0xF0);
            EXPECT_EQ(Bytes(event.data.begin(), event.data.begin() + event.length), (Bytes{0x43, 0x10, 0x4C, 0xF7}));
        }
        EXPECT_TRUE(track->ended && !track->Stopped()) << t;
    }
    EXPECT_EQ(sysexes, (std::vector<std::pair<int, uint32_t>>{{2, kBarTicks + 1024}}));
}

}  // namespace
}  // namespace ql::testing
