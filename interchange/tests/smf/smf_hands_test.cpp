// A keyboard part played with both hands on one channel takes two staves, its notes
// from middle C up on the first and those below on the second with the bass clef; a
// line that only reaches across middle C, drums, and a string part keep one staff.
// Each case is a single-track file of one channel: a table of the notes it holds
// (struck together where they share a time) and the staves it gets.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "interchange/smf/smf_import.h"
#include "interchange/tests/smf/smf_bytes.h"
#include "interchange/tests/smf/smf_score_fixture.h"

namespace ql::testing {
namespace {

using smf::testing::Bytes;
using smf::testing::Chunk;
using smf::testing::Header;
using smf::testing::Join;

constexpr uint8_t kClefNibble = 0x0F;

struct HandsCase {
    const char* name;
    uint8_t channel;
    int program;                             // -1: no program change
    std::vector<std::vector<uint8_t>> beats;  // the keys struck on each quarter (96 ticks)
    int staves;
    const char* upper;  // the notes of staff 1, as SmfScoreTest::Notes gives them
    const char* lower;  // of staff 2 ("" when there is none)
};

// A left hand's fifth under a right hand's tune, four beats of it.
const std::vector<std::vector<uint8_t>> kTwoHands{{48, 55, 64}, {48, 55, 67}, {43, 50, 71}, {43, 50, 72}};

const HandsCase kCases[] = {
    {"a piano with both hands", 0, -1, kTwoHands, 2, "1:0:64 1:1024:67 1:2048:71 1:3072:72",
     "1:0:48 1:0:55 1:1024:48 1:1024:55 1:2048:43 1:2048:50 1:3072:43 1:3072:50"},
    {"an organ with both hands", 0, 19, kTwoHands, 2, "1:0:64 1:1024:67 1:2048:71 1:3072:72",
     "1:0:48 1:0:55 1:1024:48 1:1024:55 1:2048:43 1:2048:50 1:3072:43 1:3072:50"},
    {"a line across middle C", 0, -1, {{48}, {55}, {64}, {72}}, 1, "1:0:48 1:1024:55 1:2048:64 1:3072:72", ""},
    {"drums", 9, -1, kTwoHands, 1, nullptr, ""},
    {"strings", 0, 48, kTwoHands, 1, nullptr, ""},
};

class SmfHands : public SmfScoreTest, public ::testing::WithParamInterface<HandsCase> {};

TEST_P(SmfHands, BothHandsTakeTwoStaves) {
    const HandsCase& c = GetParam();
    Bytes track;
    if (c.program >= 0)
        track.insert(track.end(), {0x00, static_cast<uint8_t>(0xC0 | c.channel), static_cast<uint8_t>(c.program)});
    for (const std::vector<uint8_t>& keys : c.beats) {
        for (const uint8_t key : keys) track.insert(track.end(), {0x00, static_cast<uint8_t>(0x90 | c.channel), key, 80});
        for (size_t k = 0; k < keys.size(); ++k)
            track.insert(track.end(), {static_cast<uint8_t>(k == 0 ? 0x60 : 0x00),
                                       static_cast<uint8_t>(0x80 | c.channel), keys[k], 0});
    }
    track.insert(track.end(), {0x00, 0xFF, 0x2F, 0x00});
    ScoreView* view = Import(WriteBytes("hands.mid", Join({Header(0, 1, 96), Chunk("MTrk", track)})));
    ASSERT_NE(view, nullptr) << c.name;
    ScoreDocument* document = view->document;
    ASSERT_EQ(document->header.staffCount, c.staves) << c.name;
    if (c.upper != nullptr) {
        EXPECT_EQ(Notes(view, 1), c.upper) << c.name;
    }
    if (c.staves < 2) return;
    EXPECT_EQ(Notes(view, 2), c.lower) << c.name;
    // The left hand's staff reads the bass clef and plays the channel's sound.
    const MeasureCell* cell = GetOrCreateMeasureCell(StaffRecordOf(document, 2), document, 1);
    EXPECT_NE(cell->clefKey & kClefNibble, GetOrCreateMeasureCell(StaffRecordOf(document, 1), document, 1)->clefKey & kClefNibble)
        << c.name;
    EXPECT_EQ(StaffRecordOf(document, 2)->timbres[0].channel, c.channel) << c.name;
    EXPECT_EQ(StaffRecordOf(document, 2)->timbres[0].patch, StaffRecordOf(document, 1)->timbres[0].patch) << c.name;
}

INSTANTIATE_TEST_SUITE_P(Parts, SmfHands, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<HandsCase>& info) { return "case" + std::to_string(info.index); });

}  // namespace
}  // namespace ql::testing
