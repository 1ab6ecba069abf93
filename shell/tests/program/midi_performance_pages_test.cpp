// MIDI files as a player records them, imported as the program imports them and
// read page by page by the engraving check: seeded pieces for two hands over many
// pages (sixteenth runs, tunes of eighths and halves, triplets, chords, a bass of
// quarters and fifths), every attack and release a little off the beat. Each page
// reads clean, the pages after the first as much as the first (their triplet marks
// over their groups), and the runs are beamed.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/ui/status_bar_notes.h"
#include "display/tests/painter/engraving_expect.h"
#include "interchange/import_commands.h"
#include "platform/sys/folders.h"
#include "platform/ui/dialog.h"
#include "platform/ui/headless.h"
#include "sequencer/transcription_dialog_resources.h"
#include "shell/program/score_windows.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

constexpr int kQuarter = 384;  // ticks a quarter of the files, as sequencers write them
constexpr int kMeasures = 72;

// A note of a track: on at `at`, off after `held` ticks.
struct Played {
    int at;
    int held;
    uint8_t key;
    uint8_t velocity;
};

// A track chunk of notes on one channel (each note-off before a note-on at its tick).
std::vector<uint8_t> TrackChunk(const std::vector<Played>& notes, uint8_t channel) {
    struct Message {
        int at;
        bool on;
        uint8_t key;
        uint8_t velocity;
    };
    std::vector<Message> messages;
    for (const Played& n : notes) {
        messages.push_back({n.at, true, n.key, n.velocity});
        messages.push_back({n.at + n.held, false, n.key, 0});
    }
    std::stable_sort(messages.begin(), messages.end(),
                     [](const Message& a, const Message& b) { return a.at != b.at ? a.at < b.at : !a.on && b.on; });
    std::vector<uint8_t> data;
    int last = 0;
    for (const Message& m : messages) {
        uint32_t delta = static_cast<uint32_t>(m.at - last);
        last = m.at;
        std::vector<uint8_t> vlq{static_cast<uint8_t>(delta & 0x7F)};
        for (delta >>= 7; delta > 0; delta >>= 7) vlq.push_back(static_cast<uint8_t>(0x80 | (delta & 0x7F)));
        data.insert(data.end(), vlq.rbegin(), vlq.rend());
        data.insert(data.end(), {static_cast<uint8_t>((m.on ? 0x90 : 0x80) | channel), m.key, m.velocity});
    }
    data.insert(data.end(), {0x00, 0xFF, 0x2F, 0x00});
    std::vector<uint8_t> chunk{'M', 'T', 'r', 'k'};
    const auto size = static_cast<uint32_t>(data.size());
    for (int shift = 24; shift >= 0; shift -= 8) chunk.push_back(static_cast<uint8_t>(size >> shift));
    chunk.insert(chunk.end(), data.begin(), data.end());
    return chunk;
}

// A piece in 4/4 and one flat: per measure the right hand runs in sixteenths, plays a
// tune or strikes chords, the left hand plays a bass and its fifth; attacks within
// a 64th of the beat, releases short of the next note.
std::vector<uint8_t> PerformedPiece(uint32_t seed) {
    std::mt19937 random(seed);
    const auto off = [&](int spread) { return static_cast<int>(random() % (2 * spread + 1)) - spread; };
    const uint8_t scale[] = {62, 64, 65, 67, 69, 70, 72, 74, 76, 77, 79, 81, 82, 84};
    const int top = static_cast<int>(std::size(scale)) - 1;
    std::vector<Played> right, left;
    int at = 5;
    for (int m = 0; m < kMeasures; ++m, at += 4 * kQuarter) {
        const int start = at;
        switch (random() % 5) {
            case 0:
            case 1: {
                for (int i = 0, t = start; i < 16; ++i, t += kQuarter / 4) {
                    right.push_back({std::max(0, t + off(6)), kQuarter / 4 - 10, scale[random() % (top + 1)], 70});
                }
                break;
            }
            case 2: {
                const int values[][5] = {{2, 2, 4, 0, 0}, {4, 1, 1, 2, 0}, {1, 1, 1, 1, 4}};
                int t = start;
                for (const int eighths : values[random() % 3]) {
                    if (eighths == 0) break;
                    right.push_back({std::max(0, t + off(10)), eighths * kQuarter / 2 * 19 / 20, scale[random() % (top + 1)], 80});
                    t += eighths * kQuarter / 2;
                }
                break;
            }
            case 3: {
                // A quarter, triplet eighths on the second beat, a half.
                right.push_back({std::max(0, start + off(6)), kQuarter * 9 / 10, scale[random() % (top + 1)], 80});
                for (int k = 0; k < 3; ++k)
                    right.push_back({start + kQuarter + k * kQuarter / 3 + off(4), kQuarter / 3 - 12,
                                     scale[random() % (top + 1)], 80});
                right.push_back({start + 2 * kQuarter + off(6), 2 * kQuarter * 9 / 10, scale[random() % (top + 1)], 80});
                break;
            }
            default:
                for (int b = 0; b < 4; ++b) {
                    const uint8_t base = scale[random() % (top - 2)];
                    for (const int third : {0, 4, 7})
                        right.push_back({std::max(0, start + b * kQuarter + off(5)), kQuarter * 9 / 10,
                                         static_cast<uint8_t>(base + third), 75});
                }
        }
        const uint8_t root = std::array<uint8_t, 6>{38, 45, 43, 41, 46, 45}[static_cast<size_t>(m % 6)];
        for (int b = 0; b < 4; ++b) {
            const int t = std::max(0, start + b * kQuarter + off(8));
            left.push_back({t, kQuarter * 19 / 20, b % 2 == 0 ? root : static_cast<uint8_t>(root + 7), 60});
            if (b % 2 == 1) left.push_back({t, kQuarter * 19 / 20, static_cast<uint8_t>(root + 12), 55});
        }
    }
    std::vector<uint8_t> file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 3, kQuarter >> 8, kQuarter & 0xFF};
    const std::vector<uint8_t> conductor{'M',  'T',  'r',  'k',  0,    0,    0,    18,   0x00, 0xFF,
                                         0x58, 0x04, 0x04, 0x02, 0x18, 0x08, 0x00, 0xFF, 0x59, 0x02,
                                         0xFF, 0x00, 0x00, 0xFF, 0x2F, 0x00};
    file.insert(file.end(), conductor.begin(), conductor.end());
    for (const auto& track : {TrackChunk(right, 0), TrackChunk(left, 1)}) file.insert(file.end(), track.begin(), track.end());
    return file;
}

// The chords of voice 1 of a cell that are beamed to another.
int BeamedChords(ScoreDocument* document, int staff, int measure) {
    MeasureCell* cell = ExistingMeasureCell(document, staff, measure);
    int beamed = 0;
    const EventRecord* event = cell != nullptr ? GetVoiceFirstEvent(cell, 0) : nullptr;
    for (int n = 0; event != nullptr && !IsHeadSentinel(*event) && n < kMaxChainLength; ++n, event = NextEvent(event))
        if (IsFirstOfChord(event) && (event->beamPrev || event->beamNext)) ++beamed;
    return beamed;
}

class MidiPerformancePages : public testing::ProgramFixture, public ::testing::WithParamInterface<uint32_t> {};

TEST_P(MidiPerformancePages, EveryPageReadsClean) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::filesystem::path path =
        sys::TemporaryFolder() / ("ql_performed_" + std::to_string(GetParam()) + ".mid");
    const std::vector<uint8_t> bytes = PerformedPiece(GetParam());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
    ui::headless::ResetUi();
    ui::headless::SetDialogScript(import_options_dialog::kDialog,
                                  [](ui::headless::DialogDriver& d) { d.Click(ui::kIdOk); });
    ScoreView* view = ImportFileByExtension(path);
    std::filesystem::remove(path);
    ASSERT_NE(view, nullptr);
    EXPECT_GT(view->document->header.pageCount, 3);
    int beamed = 0;
    for (int m = 1; m <= kMeasures; ++m) beamed += BeamedChords(view->document, 1, m);
    EXPECT_GT(beamed, kMeasures * 4);
    EXPECT_TRUE(testing::EngravingIsClean(view)) << "seed " << GetParam();
    ForceCloseScoreWindow(view->ViewWindow);
    Pump();
}

INSTANTIATE_TEST_SUITE_P(Seeds, MidiPerformancePages, ::testing::Values(1u, 3u, 5u, 7u, 9u, 12u));

}  // namespace
}  // namespace ql
