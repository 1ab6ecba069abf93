// Time slices over writer-made scores: measures found by their start across
// staves and systems, every staff's last measure kept without a closing measure
// start, barline words, and the measure limit.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "core/state.h"
#include "interchange/byte_source.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_time_slices.h"
#include "interchange/tests/niff/niff_scores.h"
#include "platform/ui/headless.h"

namespace ql::niff {
namespace {

std::string DumpMeasures(const NiffImportState& import) {
    std::ostringstream out;
    for (const NiffPageFrame& page : import.frame.pages) {
        out << "page " << page.firstMeasure << "-" << page.lastMeasure << ":";
        for (const NiffSystemFrame& system : page.systems)
            out << " " << system.firstMeasure << "-" << system.lastMeasure;
        out << "\n";
    }
    for (const NiffMeasureNode& node : import.frame.measures)
        out << node.number << "@" << node.startTick << " bar " << std::hex << (node.repeatCount << 8 | node.barline)
            << std::dec << "\n";
    return out.str();
}

std::string Import(const testing::NiffScoreShape& shape, NiffImportState& import) {
    ResetProgramState();
    ui::headless::ResetUi();
    const std::vector<uint8_t> bytes = testing::WriteNiffScore(shape);
    const NiffReadResult read = ReadNiffPasses(import, [&] { return ByteSource::FromMemory(bytes); });
    EXPECT_TRUE(read.complete);
    return DumpMeasures(import);
}

TEST(NiffTimeSlices, StavesOfASystemShareTheNodesOfTheirStarts) {
    // The second staff writes its starts as 2/2, 4/2 ...: the nodes of 1/1, 2/1.
    testing::NiffScoreShape shape;
    shape.partStaves = {2};
    shape.stavesPerSystem = 2;
    shape.systemsPerPage = 2;
    shape.pages = 2;
    shape.measuresPerSystem = 3;
    NiffImportState import;
    const std::string dump = Import(shape, import);
    EXPECT_EQ(dump,
              "page 1-6: 1-3 4-6\n"
              "page 7-12: 7-9 10-12\n"
              "1@0 bar 0\n2@4096 bar 0\n3@8192 bar 0\n4@12288 bar 0\n5@16384 bar 0\n6@20480 bar 0\n"
              "7@24576 bar 0\n8@28672 bar 0\n9@32768 bar 0\n10@36864 bar 0\n11@40960 bar 0\n12@45056 bar 0\n");
    EXPECT_EQ(import.report.Total(), 0);
}

TEST(NiffTimeSlices, AClosingMeasureStartMakesNoMeasureOfItsOwn) {
    testing::NiffScoreShape shape;
    shape.partStaves = {2};
    shape.stavesPerSystem = 2;
    shape.systemsPerPage = 2;
    shape.measuresPerSystem = 2;
    shape.trailingMeasureStart = true;
    NiffImportState withStart;
    const std::string closed = Import(shape, withStart);
    shape.trailingMeasureStart = false;
    NiffImportState without;
    EXPECT_EQ(closed, "page 1-4: 1-2 3-4\n1@0 bar 0\n2@4096 bar 0\n3@8192 bar 0\n4@12288 bar 0\n5@16384 bar 0\n");
    // Without it every staff's last measure still ends its system.
    EXPECT_EQ(Import(shape, without), "page 1-4: 1-2 3-4\n1@0 bar 0\n2@4096 bar 0\n3@8192 bar 0\n4@12288 bar 0\n");
}

TEST(NiffTimeSlices, EveryStaffKeepsItsLastMeasureOfEachSystem) {
    testing::NiffScoreShape shape;
    shape.partStaves = {2};
    shape.stavesPerSystem = 2;
    shape.systemsPerPage = 2;
    shape.measuresPerSystem = 2;
    shape.notes = true;
    NiffImportState import;
    Import(shape, import);
    ASSERT_EQ(import.frame.measures.size(), 4u);
    for (const NiffMeasureNode& node : import.frame.measures) {
        // Each staff's measure closed into its own voices: the rest, the beamed
        // chord (voice 0) and the stem-down quarter of the second voice.
        ASSERT_EQ(node.staves.size(), 2u) << "measure " << node.number;
        for (int staff = 1; staff <= 2; ++staff) {
            const NiffStaffMeasure& measure = node.staves[static_cast<size_t>(staff - 1)];
            EXPECT_EQ(measure.staff, staff);
            int events = 0, rests = 0;
            for (const NiffVoice& voice : measure.voices) {
                events += static_cast<int>(voice.events.size());
                rests += static_cast<int>(voice.rests.size());
            }
            EXPECT_EQ(events, 3) << "measure " << node.number << " staff " << staff;
            EXPECT_EQ(rests, 1) << "measure " << node.number << " staff " << staff;
        }
    }
}

TEST(NiffTimeSlices, BarlinesBeforeAMeasureStartGiveItsWord) {
    const struct {
        std::vector<uint8_t> types;
        bool thick;
        int word;
    } cases[] = {{{2}, false, 0x44}, {{1, 2}, false, 0x03}, {{2, 1}, false, 0x20},
                 {{1, 1}, false, 0x01}, {{1}, true, 0x88}, {{1}, false, 0}};
    for (const auto& c : cases) {
        testing::NiffScoreShape shape;
        shape.measuresPerSystem = 2;
        shape.barlines = c.types;
        shape.thickBarline = c.thick;
        NiffImportState import;
        Import(shape, import);
        ASSERT_EQ(import.frame.measures.size(), 2u);
        const NiffMeasureNode& second = import.frame.measures[1];
        EXPECT_EQ(second.repeatCount << 8 | second.barline, c.word) << int{c.types[0]} << " " << c.thick;
    }
}

TEST(NiffTimeSlices, RepeatsOfTheFileGiveTheWordOfTheMeasureAfterThem) {
    const struct {
        std::vector<std::pair<int, int>> repeats;
        int word;
        int symbols;
    } cases[] = {{{{10, 1}}, 0x55, 0},
                 {{{3, 2}, {10, 1}}, 0x0177, 0},
                 {{{3, 2}}, 0x0106, 0},
                 // A third record is dropped; a segno is counted.
                 {{{10, 1}, {10, 1}, {3, 2}}, 0x55, 0},
                 {{{1, 0}}, 0, 1}};
    for (const auto& c : cases) {
        testing::NiffScoreShape shape;
        shape.measuresPerSystem = 2;
        shape.repeats = c.repeats;
        NiffImportState import;
        Import(shape, import);
        ASSERT_EQ(import.frame.measures.size(), 2u);
        const NiffMeasureNode& second = import.frame.measures[1];
        EXPECT_EQ(second.repeatCount << 8 | second.barline, c.word) << c.repeats.size();
        EXPECT_EQ(import.report.CountOf(kNiffRepeatSymbols), c.symbols);
    }
}

TEST(NiffTimeSlices, RepeatsBeforeAMeasureStartGiveItsWord) {
    NiffBarlineMarks marks;
    marks.repeatKinds[0] = 1;
    EXPECT_EQ(NiffBarlineWord(0x0100, marks, 0), 0x0155);
    marks.repeatKinds[0] = 2;
    EXPECT_EQ(NiffBarlineWord(0x0030, marks, 0), 0x0136);
    marks.repeatKinds[1] = 1;
    EXPECT_EQ(NiffBarlineWord(0x0030, marks, 0), 0x0177);
}

TEST(NiffTimeSlices, RationalsBelowZeroOrOverNothingCountAsTickZero) {
    EXPECT_EQ(NiffRationalTicks(1, 4), 1024);
    EXPECT_EQ(NiffRationalTicks(3, 8), 1536);
    EXPECT_EQ(NiffRationalTicks(-1, 4), 0);
    EXPECT_EQ(NiffRationalTicks(1, 0), 0);
    EXPECT_EQ(NiffRationalTicks(1, -4), 0);
    // 32-bit ticks: far past the 16 bits a measure of the file could need.
    EXPECT_EQ(NiffRationalTicks(32767, 1), 32767 * 4096);
}

TEST(NiffTimeSlices, MeasuresPastTheLimitAreCountedAndShownOnce) {
    testing::NiffScoreShape shape;
    shape.pages = 2;
    shape.systemsPerPage = 8;
    shape.measuresPerSystem = 64;  // 1,024 measures
    NiffImportState import;
    Import(shape, import);
    EXPECT_EQ(import.frame.pages.back().systems.back().lastMeasure, kNiffMostMeasures);
    EXPECT_EQ(import.frame.measures.size(), static_cast<size_t>(kNiffMostMeasures));
    EXPECT_EQ(import.frame.measures.back().number, kNiffMostMeasures);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(ui::headless::MessageBoxes()[0].text, "Increase MaxMeasures in the QLW.INI file.");
    // Eight measure starts past the limit and the event slice of each.
    EXPECT_EQ(import.report.CountOf(kNiffMeasuresPastLimit), 16);
}

}  // namespace
}  // namespace ql::niff
