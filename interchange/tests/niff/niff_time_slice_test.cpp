// Time slices over writer-made scores: measures found by their start across
// staves and systems, every staff's last measure kept without a closing measure
// start, barline words, and the measure limit.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "core/state.h"
#include "interchange/byte_source.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_messages.h"
#include "interchange/niff/niff_time_slices.h"
#include "interchange/niff/niff_writer.h"
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
    EXPECT_EQ(closed, "page 1-4: 1-2 3-4\n1@0 bar 0\n2@4096 bar 0\n3@8192 bar 0\n4@12288 bar 0\n");
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

// A file of more measures than a score holds is refused whole, with its reason
// said once: the import stops at the first measure past the limit.
TEST(NiffTimeSlices, MeasuresPastTheLimitRefuseTheFileWithOneMessage) {
    testing::NiffScoreShape shape;
    shape.pages = 2;
    shape.systemsPerPage = 8;
    shape.measuresPerSystem = 64;  // 1,024 measures
    NiffImportState import;
    ResetProgramState();
    ui::headless::ResetUi();
    const std::vector<uint8_t> bytes = testing::WriteNiffScore(shape);
    EXPECT_FALSE(ReadNiffPasses(import, [&] { return ByteSource::FromMemory(bytes); }).read);
    EXPECT_TRUE(import.cancelled);
    EXPECT_EQ(import.frame.measures.size(), static_cast<size_t>(kNiffMostMeasures));
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    EXPECT_EQ(ui::headless::MessageBoxes()[0].text, kNiffTooManyMeasures);
}

// A seeded score whose staves give their measure starts in no set order: starts
// of earlier systems again, repeats, the same start written over other
// denominators, halves. `starts` receives each start written, in file order.
std::vector<uint8_t> WriteScatteredStarts(unsigned seed, std::vector<double>& starts) {
    std::mt19937 random(seed);
    const auto below = [&random](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    const int staves = 1 + below(4);
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginList("setp");
    for (int part = 0; part < staves; ++part) {
        out.BeginChunk("part", {part, 0, 0, 1, part, -1, 0});
        out.EndChunk();
    }
    out.EndList();
    out.BeginList("data");
    int highest = 0;  // the highest whole start written so far
    for (int page = 1 + below(2); page > 0; --page) {
        out.BeginList("page");
        out.BeginChunk("pghd");
        out.EndChunk();
        for (int system = 1 + below(3); system > 0; --system) {
            out.BeginChunk("syhd");
            out.EndChunk();
            const int from = highest;
            for (int staff = 0; staff < staves; ++staff) {
                out.BeginChunk("sthd");
                out.Tag(32, {staff});
                out.EndChunk();
                for (int count = 1 + below(6); count > 0; --count) {
                    // Mostly this system's next starts; now and then an earlier one.
                    const int whole = below(5) == 0 ? below(from + 1) : from + below(5);
                    const int scale = 1 + below(3);
                    const bool half = below(6) == 0;
                    const int numerator = (2 * whole + (half ? 1 : 0)) * scale;
                    out.BeginChunk("tmsl", {1, NiffField::Rational(static_cast<int16_t>(numerator),
                                                                   static_cast<int16_t>(2 * scale))});
                    out.EndChunk();
                    starts.push_back(static_cast<double>(numerator) / (2 * scale));
                    highest = std::max(highest, whole + 1);
                    out.BeginChunk("tmsl", {2, NiffField::Rational(1, 4)});
                    out.EndChunk();
                    out.BeginChunk("rest", {2, 4, NiffField::Rational(1, 4)});
                    out.EndChunk();
                }
            }
        }
        out.EndList();
    }
    out.EndList();
    out.EndList();
    return out.Take();
}

// The search the measure starts made through the whole chain: from the current
// node on, then from the first.
long ScanForNode(const NiffFrame& frame, double start) {
    const size_t count = frame.measures.size();
    for (size_t pass = 0, from = frame.currentMeasure; pass < 2; ++pass, from = 0)
        for (size_t i = from < count ? from : 0; i < count; ++i)
            if (frame.measures[i].started && frame.measures[i].start == start) return static_cast<long>(i);
    return -1;
}

// Each start the file gives opens one node, the first time it comes, and finds
// that node every later time, as a search of the whole chain would.
TEST(NiffTimeSlices, EachStartOpensOneNodeAndLaterStartsFindIt) {
    for (unsigned seed = 1; seed <= 40; ++seed) {
        SCOPED_TRACE("seed " + std::to_string(seed));
        std::vector<double> starts;
        const std::vector<uint8_t> bytes = WriteScatteredStarts(seed, starts);
        ResetProgramState();
        ui::headless::ResetUi();
        NiffImportState import;
        ASSERT_TRUE(ReadNiffPasses(import, [&] { return ByteSource::FromMemory(bytes); }).complete);
        std::vector<double> firstSeen;
        for (double start : starts)
            if (std::find(firstSeen.begin(), firstSeen.end(), start) == firstSeen.end()) firstSeen.push_back(start);
        std::vector<double> opened;
        for (const NiffMeasureNode& node : import.frame.measures)
            if (node.started) opened.push_back(node.start);
        EXPECT_EQ(opened, firstSeen);
        const NiffFrame& frame = import.frame;
        for (double start : starts) {
            const long found = FindNiffMeasureNode(frame, start);
            ASSERT_GE(found, 0) << start;
            EXPECT_EQ(frame.measures[static_cast<size_t>(found)].start, start);
            EXPECT_EQ(found, ScanForNode(frame, start)) << start;
        }
        for (double absent : {-1.0, 0.25, 1.75, 1000.0}) {
            EXPECT_EQ(FindNiffMeasureNode(frame, absent), -1) << absent;
            EXPECT_EQ(ScanForNode(frame, absent), -1) << absent;
        }
    }
}

}  // namespace
}  // namespace ql::niff
