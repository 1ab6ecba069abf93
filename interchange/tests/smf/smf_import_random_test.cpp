// A seeded, bounded driver of damaged Standard MIDI Files: fixture files cut at
// every chunk boundary and mutated at random, fed to the reader and to the whole
// import. Every case must end in a score or a named message; a refused import
// leaves no score and no import flag. Files whose notes are held across the whole
// file run out of records at a random point of their import: running out is told
// at most once, and no note of the score is left marked as tied without its tie.
// Notes struck at the start and released at the very end of the file, or never,
// on several channels between struck ones: that file whole and cut at its chunks
// keeps every key its note-ons strike.
// The engraving check finds nothing on the pages of one score in 32 an import made.
// The seed and the case are printed on a failure (QL_SMF_SEED chooses another
// seed).
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/document_context.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/status_bar_notes.h"
#include "display/tests/painter/engraving_expect.h"
#include "interchange/import_commands.h"
#include "interchange/smf/smf_reader.h"
#include "interchange/tests/smf/smf_bytes.h"
#include "interchange/tests/smf/smf_score_fixture.h"
#include "notes/pitch/accidental_state.h"
#include "notes/ties/ties.h"
#include "platform/ui/dialog.h"
#include "platform/ui/headless.h"
#include "sequencer/transcription_dialog_resources.h"

namespace ql::testing {
namespace {

using smf::testing::Bytes;
using smf::testing::Chunk;
using smf::testing::Header;
using smf::testing::Join;

constexpr int kCases = 20000;
constexpr int kShards = 4;
constexpr uint32_t kDefaultSeed = 20261207;
// The held-notes fixture, and the allocations its import makes before the records
// run out: up to about all it makes (some 700).
constexpr size_t kHeldFixture = 5;
constexpr size_t kHeldThroughFixture = 6;
constexpr int kRunOutReach = 800;
constexpr int kRunOutForever = 1 << 30;
constexpr char kLowMemoryText[] = "Resource memory is low";

// A note-on at `delta` ticks (the delta below 128).
void PutNoteOn(Bytes& track, uint8_t delta, uint8_t channel, uint8_t key) {
    track.insert(track.end(), {delta, static_cast<uint8_t>(0x90 | channel), key, 90});
}

// Format 1 at 96 ticks a quarter, eight 4/4 measures: on each of two tracks a note
// on one channel struck at the start and released at the end of the file, one on
// another channel never released, and a struck quarter note every half measure.
Bytes HeldThroughTheFile() {
    constexpr int kStruck = 16;
    std::vector<Bytes> tracks;
    for (uint8_t t = 0; t < 2; ++t) {
        const uint8_t channel = static_cast<uint8_t>(2 * t);
        Bytes track;
        PutNoteOn(track, 0, channel, static_cast<uint8_t>(43 + 5 * t));
        PutNoteOn(track, static_cast<uint8_t>(4 * t), channel + 1, static_cast<uint8_t>(74 + 3 * t));
        for (int n = 0; n < kStruck; ++n) {
            const uint8_t key = static_cast<uint8_t>(60 + 2 * t + n % 5);
            PutNoteOn(track, n == 0 ? 0 : 96, channel, key);
            track.insert(track.end(), {0x60, static_cast<uint8_t>(0x80 | channel), key, 0});
        }
        track.insert(track.end(), {0x00, static_cast<uint8_t>(0x80 | channel), static_cast<uint8_t>(43 + 5 * t), 0,
                                   0x00, 0xFF, 0x2F, 0x00});
        tracks.push_back(track);
    }
    const Bytes conductor{0x00, 0xFF, 0x58, 0x04, 0x04, 0x02, 0x18, 0x08, 0x00, 0xFF, 0x2F, 0x00};
    return Join({Header(1, 3, 96), Chunk("MTrk", conductor), Chunk("MTrk", tracks[0]), Chunk("MTrk", tracks[1])});
}

std::vector<Bytes> Fixtures() {
    const Bytes conductor{0x00, 0xFF, 0x03, 0x04, 'S', 'o', 'n', 'g', 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,
                          0x00, 0xFF, 0x58, 0x04, 0x03, 0x02, 0x18, 0x08, 0x00, 0xFF, 0x59, 0x02, 0xFE, 0x00,
                          0x00, 0xFF, 0x2F, 0x00};
    const Bytes notes{0x00, 0xC0, 0x05, 0x00, 0x90, 60, 90, 0x30, 64, 90, 0x30, 60, 0, 0x00, 0xB0, 0x07, 0x50,
                      0x30, 0x80, 64, 0, 0x00, 0xF0, 0x02, 0x7E, 0xF7, 0x00, 0xE0, 0x00, 0x40,
                      0x81, 0x00, 0x90, 67, 100, 0x60, 67, 0, 0x00, 0xFF, 0x2F, 0x00};
    const Bytes single{0x00, 0xFF, 0x20, 0x01, 0x02, 0x00, 0xFF, 0x03, 0x01, 'x', 0x00, 0x90, 60, 90,
                       0x00, 0x92, 48, 90, 0x60, 0x80, 60, 0, 0x00, 0x82, 48, 0, 0x00, 0xFF, 0x2F, 0x00};
    const Bytes threeTracks = Join({Header(1, 3, 96), Chunk("MTrk", conductor), Chunk("MTrk", notes),
                                    Chunk("XTRA", Bytes{1, 2, 3}), Chunk("MTrk", notes)});
    Bytes riff{'R', 'I', 'F', 'F', 0, 0, 0, 0, 'R', 'M', 'I', 'D', 'd', 'a', 't', 'a', 0, 0, 0, 0};
    riff.insert(riff.end(), threeTracks.begin(), threeTracks.end());
    // Titles, a notice and a later tempo on the conductor; a track name, the text
    // that names the staff, an instrument name and a lyric on a staff.
    const Bytes texts{0x00, 0xFF, 0x01, 0x05, 'T', 'i', 't', 'l', 'e', 0x00, 0xFF, 0x01, 0x02, 'I', '\n',
                      0x00, 0xFF, 0x02, 0x03, '(', 'c', ')', 0x00, 0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20,
                      0x83, 0x00, 0xFF, 0x51, 0x03, 0x0A, 0x2C, 0x2A, 0x00, 0xFF, 0x2F, 0x00};
    const Bytes named{0x00, 0xFF, 0x03, 0x02, 'V', 'n', 0x00, 0xFF, 0x01, 0x03, 'V', 'n', '1', 0x00, 0xFF,
                      0x04, 0x01, 'v', 0x00, 0x90, 60, 90, 0x60, 0xFF, 0x05, 0x02, 'l', 'a', 0x00, 0x80, 60, 0,
                      0x60, 0xFF, 0x01, 0x01, 'p', 0x00, 0xFF, 0x2F, 0x00};
    const Bytes textFile = Join({Header(1, 3, 96), Chunk("MTrk", texts), Chunk("MTrk", named), Chunk("MTrk", named)});
    return {smf::testing::TwoTrackFile(), threeTracks, Join({Header(0, 1, 480), Chunk("MTrk", single)}), riff,
            textFile, smf::testing::HeldChordFile(8, 16), HeldThroughTheFile()};
}

// Notes of the score marked as tied on whose tie is missing.
int TieMarksWithoutTies(ScoreDocument* document) {
    int missing = 0;
    for (int staff = 1; staff <= document->header.staffCount; ++staff)
        for (int m = 1; m <= document->header.measureCount; ++m)
            for (EventRecord* e = GetVoiceFirstEvent(ExistingMeasureCell(document, staff, m), 0); e != nullptr;
                 e = NextEvent(e))
                missing += (e->word2 & kTieStartsHere) != 0 && FindNoteTie(e) == nullptr ? 1 : 0;
    return missing;
}

// Where the fixture's chunks start and their data begins.
std::vector<size_t> ChunkBoundaries(const Bytes& file) {
    std::vector<size_t> at;
    size_t position = file.size() > 12 && file[0] == 'R' ? 20 : 0;
    while (position + 8 <= file.size()) {
        at.push_back(position);
        at.push_back(position + 8);
        const uint32_t length = (uint32_t{file[position + 4]} << 24) | (uint32_t{file[position + 5]} << 16) |
                                (uint32_t{file[position + 6]} << 8) | file[position + 7];
        position += 8 + length;
    }
    return at;
}

Bytes Mutated(Bytes file, std::mt19937& random) {
    constexpr uint8_t kSpecial[] = {0x00, 0x01, 0x2F, 0x7F, 0x80, 0x81, 0x90, 0xF0, 0xF7, 0xFF};
    const int mutations = 1 + static_cast<int>(random() % 6);
    for (int i = 0; i < mutations && !file.empty(); ++i) {
        const size_t at = random() % file.size();
        switch (random() % 6) {
            case 0: file[at] ^= static_cast<uint8_t>(1u << (random() % 8)); break;
            case 1: file[at] = kSpecial[random() % std::size(kSpecial)]; break;
            case 2: file.insert(file.begin() + static_cast<std::ptrdiff_t>(at), static_cast<uint8_t>(random())); break;
            case 3: file.erase(file.begin() + static_cast<std::ptrdiff_t>(at)); break;
            case 4: file.resize(at); break;
            default:  // a big length or count
                for (size_t k = at; k < std::min(file.size(), at + 4); ++k) file[k] = 0xFF;
                break;
        }
    }
    return file;
}

uint32_t Seed() {
    const char* text = std::getenv("QL_SMF_SEED");
    return text != nullptr ? static_cast<uint32_t>(std::strtoul(text, nullptr, 10)) : kDefaultSeed;
}

class SmfDamagedImport : public SmfEngravingTest {
  protected:
    // Reads every event of every track; the reader must stay inside the bytes given.
    // The keys the note-ons read strike.
    static std::set<int> ReadAll(const Bytes& bytes) {
        std::set<int> keys;
        smf::SmfOpenStatus status = smf::SmfOpenStatus::Ok;
        std::unique_ptr<smf::MidiFileReader> file = smf::OpenMidiBytes(bytes, &status);
        if (file == nullptr) {
            EXPECT_NE(status, smf::SmfOpenStatus::Ok);
            return keys;
        }
        smf::MidiFileEvent event;
        while (std::unique_ptr<smf::MidiTrack> track = smf::ReadTrackHeader(*file)) {
            smf::TrackReadResult result;
            while ((result = smf::ReadTrackEvent(*track, &event)) == smf::TrackReadResult::Event) {
                EXPECT_LE(event.length, bytes.size());
                if ((event.status & 0xF0) == 0x90 && event.data.size() > 1 && event.data[1] > 0)
                    keys.insert(event.data[0]);
            }
            EXPECT_EQ(result == smf::TrackReadResult::Error, track->Stopped());
        }
        return keys;
    }

    // The keys the notes of the score sound.
    static std::set<int> ScoreKeys(ScoreDocument* document) {
        std::set<int> keys;
        for (int staff = 1; staff <= document->header.staffCount; ++staff)
            for (int m = 1; m <= document->header.measureCount; ++m)
                for (int voice = 0; voice < kVoiceCount; ++voice) {
                    MeasureCell* cell = ExistingMeasureCell(document, staff, m);
                    for (EventRecord* e = GetVoiceFirstEvent(cell, voice); e != nullptr && !IsHeadSentinel(*e);
                         e = NextEvent(e))
                        keys.insert(ComputeNoteKeyInCell(StaffRecordOf(document, staff), cell, *e, voice));
                }
        return keys;
    }

    // Imports the bytes: a score, or a named message with no score and no flag; true
    // for a score. When `runOutAfter` is not negative the records run out that many
    // allocations after "Prepare Import" is continued. Every key of `kept` must sound
    // in the score.
    bool ImportCase(const Bytes& bytes, int runOutAfter = -1, const std::set<int>& kept = {}) {
        ui::headless::ResetUi();
        const std::string path = WriteBytes("case.mid", bytes);
        ui::headless::SetDialogScript(import_options_dialog::kDialog, [runOutAfter](ui::headless::DialogDriver& d) {
            if (runOutAfter >= 0) FailRecordAllocationsAfter(runOutAfter, kRunOutForever);
            d.Click(ui::kIdOk);
        });
        ScoreView* view = ImportFile(path);
        FailNextRecordAllocations(0);
        const FileFlags& files = State().files;
        EXPECT_EQ(files.Importing + files.MidiFileTransferActive + files.MidiImportActive, 0);
        EXPECT_LE(LowMemoryBoxes(), 1) << "running out was told more than once";
        if (view == nullptr) {
            EXPECT_EQ(OtherViews(view_), 0);
            EXPECT_FALSE(ui::headless::MessageBoxes().empty()) << "refused without a message";
            return false;
        }
        ScopedDocumentContext context(view);
        ScoreDocument* document = view->document;
        EXPECT_EQ(TieMarksWithoutTies(document), 0);
        const std::set<int> sounding = ScoreKeys(document);
        for (int key : kept) EXPECT_EQ(sounding.count(key), 1u) << "key " << key << " was lost";
        // One score in 32 is checked: painting every page of each one is the slow part.
        // A score whose records ran out cannot have the pages its room asks for.
        if (imports_++ % kImportsBetweenChecks == 0 && LowMemoryBoxes() == 0) {
            EXPECT_TRUE(EngravingIsClean(view));
        }
        FreeView(view);
        FreeDocument(document);
        return true;
    }

    static constexpr int kImportsBetweenChecks = 32;
    int imports_ = 0;

    static int LowMemoryBoxes() {
        int count = 0;
        for (const auto& box : ui::headless::MessageBoxes())
            count += box.text.find(kLowMemoryText) != std::string::npos ? 1 : 0;
        return count;
    }

    void RunShard(int shard) {
        const uint32_t seed = Seed();
        const std::vector<Bytes> fixtures = Fixtures();
        std::vector<Bytes> cut;
        std::vector<size_t> cutFrom;
        for (size_t f = 0; f < fixtures.size(); ++f) {
            const Bytes& file = fixtures[f];
            for (size_t at : ChunkBoundaries(file))
                for (size_t length : {at, at + 1, at + 5})
                    if (length < file.size()) {
                        cut.emplace_back(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
                        cutFrom.push_back(f);
                    }
        }
        cut.push_back(fixtures[kHeldThroughFixture]);
        cutFrom.push_back(kHeldThroughFixture);
        std::mt19937 random(seed + static_cast<uint32_t>(shard));
        const int first = shard * kCases / kShards;
        const int last = (shard + 1) * kCases / kShards;
        for (int n = first; n < last; ++n) {
            const size_t index = static_cast<size_t>(n);
            const size_t from = index < cut.size() ? fixtures.size() : random() % fixtures.size();
            const Bytes bytes = index < cut.size() ? cut[index] : Mutated(fixtures[from], random);
            const bool held = from == kHeldFixture || from == kHeldThroughFixture;
            const int runOutAfter = held ? static_cast<int>(random() % kRunOutReach) : -1;
            SCOPED_TRACE("seed " + std::to_string(seed) + ", case " + std::to_string(n));
            const std::set<int> keys = ReadAll(bytes);
            const bool whole = index < cut.size() && cutFrom[index] == kHeldThroughFixture;
            ImportCase(bytes, runOutAfter, whole ? keys : std::set<int>{});
            if (HasFailure()) return;
        }
    }
};

// A chord of 64 notes held for 300 measures asks for more ties than the records
// hold: told in one box, and the score kept.
TEST_F(SmfDamagedImport, ChordHeldPastTheRecordsIsToldOnceAndKept) {
    EXPECT_TRUE(ImportCase(smf::testing::HeldChordFile(64, 300)));
    EXPECT_EQ(LowMemoryBoxes(), 1);
    EXPECT_EQ(ui::headless::MessageBoxes().size(), 1u);
}

TEST_F(SmfDamagedImport, CasesOfTheFirstQuarter) { RunShard(0); }
TEST_F(SmfDamagedImport, CasesOfTheSecondQuarter) { RunShard(1); }
TEST_F(SmfDamagedImport, CasesOfTheThirdQuarter) { RunShard(2); }
TEST_F(SmfDamagedImport, CasesOfTheFourthQuarter) { RunShard(3); }

}  // namespace
}  // namespace ql::testing
