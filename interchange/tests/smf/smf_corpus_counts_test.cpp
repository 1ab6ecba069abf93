// Every MIDI file of the shared corpus (files written by other programs, beside the
// project) imports with as many notes as the file plays: the test reads the file's
// note-ons itself and counts the onsets of every staff and voice of the score, plus
// the notes the import said it left out. A file the score holds differently is
// listed with the notes it still loses (only ever lower a line).
#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include "core/constants.h"
#include "core/model/document_context.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/tests/model/score_events.h"
#include "interchange/tests/smf/smf_score_fixture.h"
#include "notes/ties/ties.h"
#include "platform/ui/headless.h"
#include "sequencer/notes_left_out.h"

namespace ql::testing {
namespace {

const std::filesystem::path kMidiCorpus =
    std::filesystem::path(QL_SOURCE_DIR) / ".." / "shared" / "corpus" / "midi";

// Notes a file still loses, by file name.
const std::map<std::string, int> kStillLost = {};

// The note-ons (velocity above 0) of a Standard MIDI File, read here without the
// program's reader: chunks, delta times, running status, meta and system-exclusive
// events skipped by their lengths. A damaged track counts what was read before it.
int FileNoteOns(const std::vector<uint8_t>& bytes) {
    int count = 0;
    size_t at = 0;
    const auto u32 = [&](size_t p) {
        return (uint32_t{bytes[p]} << 24) | (uint32_t{bytes[p + 1]} << 16) | (uint32_t{bytes[p + 2]} << 8) | bytes[p + 3];
    };
    while (at + 8 <= bytes.size()) {
        const std::string id(bytes.begin() + static_cast<long>(at), bytes.begin() + static_cast<long>(at) + 4);
        const size_t end = std::min<size_t>(bytes.size(), at + 8 + u32(at + 4));
        size_t p = at + 8;
        at = end;
        if (id != "MTrk") continue;
        uint8_t status = 0;
        const auto vlq = [&]() {
            uint32_t value = 0;
            for (int i = 0; i < 4 && p < end; ++i) {
                const uint8_t b = bytes[p++];
                value = (value << 7) | (b & 0x7F);
                if ((b & 0x80) == 0) break;
            }
            return value;
        };
        while (p < end) {
            vlq();
            if (p >= end) break;
            if (bytes[p] == 0xFF) {
                p += 2;
                p += vlq();
                continue;
            }
            if (bytes[p] == 0xF0 || bytes[p] == 0xF7) {
                ++p;
                p += vlq();
                continue;
            }
            if ((bytes[p] & 0x80) != 0) status = bytes[p++];
            if (status < 0x80) break;
            const size_t length = (status & 0xE0) == 0xC0 ? 1 : 2;
            if (p + length > end) break;
            if ((status & 0xF0) == 0x90 && bytes[p + 1] != 0) ++count;
            p += length;
        }
    }
    return count;
}

std::vector<std::string> MidiFiles() {
    std::vector<std::string> files;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(kMidiCorpus, error))
        if (entry.path().extension() == ".mid") files.push_back(entry.path().filename().string());
    std::sort(files.begin(), files.end());
    return files;
}

class SmfCorpusCounts : public SmfScoreTest, public ::testing::WithParamInterface<std::string> {
  protected:
    // Onsets of every staff and voice (a tied continuation is no onset).
    static int ScoreNotes(ScoreView* view) {
        int count = 0;
        ForEachScoreEvent(view, [&count](const EventRecord& e) {
            if ((e.word2 & kTieEndsHere) == 0) ++count;
        });
        return count;
    }
    // The notes the import's box said were left out.
    static int NotesSaidLeftOut() {
        for (const auto& box : ui::headless::MessageBoxes()) {
            unsigned count = 0;
            int measures = 0;
            if (std::sscanf(box.text.c_str(), kNotesLeftOutFormat, &measures, &count) == 2) return static_cast<int>(count);
        }
        return 0;
    }
};

TEST_P(SmfCorpusCounts, EveryNoteOfTheFileIsInTheScoreOrSaidLeftOut) {
    const std::filesystem::path path = kMidiCorpus / GetParam();
    std::ifstream in(path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
    const int fileNotes = FileNoteOns(bytes);
    ScoreView* view = Import(path.string());
    if (view == nullptr) {
        EXPECT_EQ(fileNotes, 0) << "a file with notes was refused";
        return;
    }
    const int lost = fileNotes - ScoreNotes(view) - NotesSaidLeftOut();
    const auto listed = kStillLost.find(GetParam());
    EXPECT_EQ(lost, listed == kStillLost.end() ? 0 : listed->second) << fileNotes << " notes in the file";
}

std::string CaseName(const ::testing::TestParamInfo<std::string>& info) {
    std::string name = std::filesystem::path(info.param).stem().string();
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c))) c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Files, SmfCorpusCounts, ::testing::ValuesIn(MidiFiles()), CaseName);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(SmfCorpusCounts);

}  // namespace
}  // namespace ql::testing
