// The two passes of a NIFF import over writer-made scores: parts and staves,
// writers, pages and systems, staff numbers out of range, marks and their
// anchors, what is counted as not converted, and running out of memory.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/state.h"
#include "interchange/byte_source.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_tracked_blocks.h"
#include "interchange/niff/niff_writer.h"
#include "interchange/tests/niff/niff_scores.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"

namespace ql::niff {
namespace {

using testing::NiffScoreShape;
using testing::WriteNiffScore;

class NiffImportPassesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
    }
    void TearDown() override {
        FailNiffAllocationAfter(0);
        ResetProgramState();
    }

    NiffReadResult Read(const std::vector<uint8_t>& bytes) {
        state_ = std::make_unique<NiffImportState>();
        return ReadNiffPasses(*state_, [&] { return ByteSource::FromMemory(bytes); });
    }

    std::unique_ptr<NiffImportState> state_;
};

TEST_F(NiffImportPassesTest, PartsGiveTheStaffCount) {
    NiffScoreShape shape;
    shape.partStaves = {2, 1, 1};
    ASSERT_TRUE(Read(WriteNiffScore(shape)).complete);
    EXPECT_EQ(state_->staffCount, 4);
    shape.partStaves = {20, 20, 10};
    Read(WriteNiffScore(shape));
    EXPECT_EQ(state_->staffCount, 44);
    shape.partStaves = {};
    Read(WriteNiffScore(shape));
    EXPECT_EQ(state_->staffCount, 1);
}

// The parts table is filled once per pass: a two-part file ends with exactly its
// two parts and their staves, each part's name on its first staff only.
TEST_F(NiffImportPassesTest, TwoPartsImportWithExactlyTheirStaves) {
    NiffScoreShape shape;
    shape.partStaves = {2, 1};
    shape.stavesPerSystem = 3;
    ASSERT_TRUE(Read(WriteNiffScore(shape)).complete);
    EXPECT_EQ(state_->parts.size(), 2u);
    EXPECT_EQ(state_->staffCount, 3);
    EXPECT_EQ(state_->frame.staves[1].label, "Part 1");
    EXPECT_EQ(state_->frame.staves[2].label, "");
    EXPECT_EQ(state_->frame.staves[3].label, "Part 2");
    EXPECT_EQ(state_->frame.staves[3].channel, 1);
    const NiffSystemFrame& system = state_->frame.pages.at(0).systems.at(0);
    EXPECT_EQ(system.staffOffsets[2] - system.staffOffsets[1], 480 * 2);  // unit scale 2
}

// Staves come from the systems' staff headers: a part that declares fewer staves
// than its systems hold gets the rest, whether its headers name it or not, and
// every staff's notes arrive in every measure.
TEST_F(NiffImportPassesTest, EveryStaffOfTheSystemsKeepsItsNotes) {
    struct Case {
        std::vector<int> partStaves;
        int staves;
        bool partTags;
        std::vector<int> partsAfter;  // each part's staves after the import
        bool systemHeaders = true;    // without, two pages of one system each
    };
    const Case cases[] = {
        {{1}, 2, false, {2}},  // a two-hand piece declared as one staff
        {{1}, 2, true, {2}},
        {{1, 1}, 3, false, {1, 2}},
        {{1, 1}, 3, true, {1, 2}},
        {{}, 2, false, {}},
        {{0}, 2, false, {2}},
        {{2}, 2, false, {2}},
        {{1}, 4, false, {4}},
        {{1}, 2, false, {2}, false},
        {{}, 3, false, {}, false},
    };
    for (const Case& test : cases) {
        NiffScoreShape shape;
        shape.partStaves = test.partStaves;
        shape.stavesPerSystem = test.staves;
        shape.partTags = test.partTags;
        shape.systemHeaders = test.systemHeaders;
        shape.pages = test.systemHeaders ? 1 : 2;
        shape.systemsPerPage = test.systemHeaders ? 5 : 1;
        shape.measuresPerSystem = 2;
        shape.trailingMeasureStart = true;
        shape.notes = true;
        const std::string what = std::to_string(test.staves) + " staves, " + std::to_string(test.partStaves.size()) +
                                 " parts" + (test.partTags ? ", named" : "") +
                                 (test.systemHeaders ? "" : ", no system headers");
        ASSERT_TRUE(Read(WriteNiffScore(shape)).complete) << what;
        EXPECT_EQ(state_->staffCount, test.staves) << what;
        EXPECT_EQ(state_->report.CountOf("chunks of staves out of range"), 0) << what;
        std::vector<int> partsAfter;
        for (const NiffPart& part : state_->parts) partsAfter.push_back(part.staves);
        EXPECT_EQ(partsAfter, test.partsAfter) << what;
        ASSERT_EQ(state_->frame.measures.size(), test.systemHeaders ? 10u : 4u) << what;
        for (const NiffMeasureNode& node : state_->frame.measures) {
            std::vector<int> events(static_cast<size_t>(test.staves) + 1, 0);
            for (const NiffStaffMeasure& measure : node.staves)
                for (const NiffVoice& voice : measure.voices)
                    events.at(static_cast<size_t>(measure.staff)) += static_cast<int>(voice.events.size());
            for (int staff = 1; staff <= test.staves; ++staff)
                EXPECT_EQ(events[static_cast<size_t>(staff)], 3) << what << ", measure " << node.number << ", staff " << staff;
        }
        // The staves added to a part are played on its channel.
        if (!test.partStaves.empty()) {
            EXPECT_EQ(state_->frame.staves[static_cast<size_t>(test.staves)].channel, state_->parts.back().number)
                << what;
        }
    }
}

TEST_F(NiffImportPassesTest, TheWriterSetsTheReservedStaves) {
    NiffScoreShape shape;
    shape.writer = "SmartScore 4.0";
    Read(WriteNiffScore(shape));
    EXPECT_FALSE(state_->writer.generic);
    EXPECT_TRUE(state_->writer.smartscore);
    EXPECT_EQ(state_->reservedStaves, 44);
    shape.writer = "made by smartscore";
    Read(WriteNiffScore(shape));
    EXPECT_TRUE(state_->writer.smartscore);
    shape.writer = "Some editor";
    shape.partStaves = {2};
    Read(WriteNiffScore(shape));
    EXPECT_TRUE(state_->writer.generic);
    EXPECT_EQ(state_->reservedStaves, 2);
}

// Staff heights set the unit scale: 256 units over four spaces is 64 a space,
// 2 score units per file unit; pages are counted and averaged.
TEST_F(NiffImportPassesTest, PagesSystemsAndTheUnitScale) {
    NiffScoreShape shape;
    shape.partStaves = {1, 1, 1};
    shape.pages = 2;
    shape.systemsPerPage = 2;
    shape.stavesPerSystem = 3;
    ASSERT_TRUE(Read(WriteNiffScore(shape)).complete);
    EXPECT_DOUBLE_EQ(state_->unitScale, 2.0);
    EXPECT_EQ(state_->pageCount, 2);
    EXPECT_EQ(state_->pageWidthSum, 2 * 2720);
    ASSERT_EQ(state_->frame.pages.size(), 2u);
    const NiffPageFrame& second = state_->frame.pages[1];
    EXPECT_EQ(second.systems.size(), 2u);
    EXPECT_EQ(second.firstMeasure, state_->frame.pages[0].lastMeasure + 1);
    EXPECT_EQ(second.systems[1].top - second.systems[0].top, 1200 * 2);
    // Staves after the first system of the score are continued.
    EXPECT_EQ(state_->frame.pages[0].systems[0].staffFlags[1], 0);
    EXPECT_EQ(second.systems[0].staffFlags[1], kNiffStaffContinued);
}

// A page header without sizes adds nothing to the page sums, whatever the staff
// header before it said.
TEST_F(NiffImportPassesTest, PageSizesAreThePageHeadersOwn) {
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginChunk("pghd");
    out.Tag(48, {2000});
    out.Tag(17, {3000});
    out.EndChunk();
    out.BeginChunk("sthd");
    out.Tag(17, {256});
    out.Tag(48, {1800});
    out.EndChunk();
    out.BeginChunk("pghd");
    out.EndChunk();
    out.EndList();
    ASSERT_TRUE(Read(out.Take()).complete);
    EXPECT_EQ(state_->pageCount, 2);
    EXPECT_EQ(state_->pageWidthSum, 2000);
    EXPECT_EQ(state_->pageHeightSum, 3000);
}

// A staff header naming a staff out of range makes its list skipped and counted
// up to the next staff header.
TEST_F(NiffImportPassesTest, StaffNumbersOutOfRangeSkipTheirLists) {
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginChunk("part", {0, 0, 0, 1, 0, -1, 0});
    out.EndChunk();
    out.BeginChunk("pghd");
    out.EndChunk();
    out.BeginChunk("syhd");
    out.EndChunk();
    for (int staff = 1; staff <= kNiffMaxStaves; ++staff) {  // staves 1 to 44
        out.BeginChunk("sthd");
        out.EndChunk();
    }
    out.BeginChunk("sthd");  // staff 45, past the most a score holds
    out.EndChunk();
    out.BeginChunk("text", {0});
    out.EndChunk();
    out.BeginChunk("note", {1, 2, NiffField::Rational(1, 4)});
    out.EndChunk();
    out.BeginChunk("syhd");
    out.EndChunk();
    out.BeginChunk("text", {0});
    out.EndChunk();
    out.EndList();
    ASSERT_TRUE(Read(out.Take()).complete);
    EXPECT_EQ(state_->report.CountOf("chunks of staves out of range"), 3);  // header, text, note
    EXPECT_EQ(state_->report.CountOf("note"), 0);
    EXPECT_EQ(state_->frame.marks.size(), 1u);
    EXPECT_EQ(state_->staffCount, kNiffMaxStaves);

    NiffWriter scan;
    scan.BeginForm("NIFF");
    scan.BeginChunk("ISFT");
    scan.Text("SMARTSCORE");
    scan.EndChunk();
    scan.BeginChunk("sthd");
    scan.Tag(18, {50});  // staff 51
    scan.EndChunk();
    scan.BeginChunk("sthd");
    scan.Tag(18, {3});  // staff 4
    scan.EndChunk();
    scan.EndList();
    Read(scan.Take());
    EXPECT_EQ(state_->report.CountOf("chunks of staves out of range"), 1);
    EXPECT_EQ(state_->staffCount, 4);
}

// Marks: a page text keeps its page placement; a text without tag 1 is anchored
// in time; font indexes outside the table are ignored; chord symbols and tempo
// marks are kept with their fields, a text that is no chord symbol becomes a text.
TEST_F(NiffImportPassesTest, MarksAreAnchoredAndCounted) {
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginChunk("stbl");
    out.Bytes(std::vector<uint8_t>{0, 'T', 0, 'A', 'm', '7', 0, 'B', 'b', 'm', 'a', 'j', '7', 0});
    out.EndChunk();
    out.BeginChunk("fntd", {1, 240, 0, 0, 1});
    out.EndChunk();
    out.BeginChunk("pghd");
    out.EndChunk();
    out.BeginChunk("text", {1});
    out.Tag(3, {"pghd"});
    out.Tag(1, {100, 50});
    out.EndChunk();
    out.BeginChunk("text", {1});
    out.Tag(13, {-1});
    out.EndChunk();
    out.BeginChunk("text", {1});
    out.Tag(13, {0});
    out.EndChunk();
    out.BeginChunk("text", {1});
    out.Tag(13, {1});
    out.EndChunk();
    out.BeginChunk("chrd", {3});
    out.EndChunk();
    out.BeginChunk("chrd", {7});
    out.EndChunk();
    out.BeginChunk("tmpo", {1, NiffField::Rational(3, 8), 60});
    out.EndChunk();
    out.BeginChunk("tmpo", {1, NiffField::Rational(1, 16), 60});
    out.EndChunk();
    out.BeginChunk("rhrs", {1, 1});
    out.EndChunk();
    out.BeginChunk("glis");
    out.EndChunk();
    out.BeginChunk("tmsl", {1, NiffField::Rational(0, 1)});
    out.EndChunk();
    out.EndList();
    ASSERT_TRUE(Read(out.Take()).complete);
    const std::vector<NiffMark>& marks = state_->frame.marks;
    ASSERT_EQ(marks.size(), 9u);
    EXPECT_EQ(marks[0].anchor, NiffAnchor::kPage);
    EXPECT_EQ(marks[0].x, 100 * 128);  // no staff height: 128 units a file unit
    EXPECT_EQ(marks[0].y, 50 * 128);
    EXPECT_EQ(marks[0].text, "T");
    EXPECT_EQ(marks[1].anchor, NiffAnchor::kTime);
    EXPECT_EQ(marks[1].fontSlot, -1);
    EXPECT_EQ(marks[2].fontSlot, 0);
    EXPECT_EQ(marks[3].fontSlot, -1);
    EXPECT_EQ(marks[4].kind, NiffMarkKind::kChordSymbol);
    EXPECT_EQ(marks[4].anchor, NiffAnchor::kTime);
    EXPECT_EQ(marks[4].detail.chord.root, 5);
    EXPECT_EQ(marks[4].detail.chord.quality, 5);
    EXPECT_EQ(marks[5].kind, NiffMarkKind::kTextLine);
    EXPECT_EQ(marks[5].text, "Bbmaj7");
    // A dotted quarter's tempo mark above the staff, its words beside it.
    EXPECT_EQ(marks[6].kind, NiffMarkKind::kTempo);
    EXPECT_EQ(marks[6].detail.glyph, 241);
    EXPECT_EQ(marks[6].detail.value, 60);
    EXPECT_EQ(marks[6].detail.beatKind, 1);
    EXPECT_TRUE(marks[6].detail.dotted);
    EXPECT_EQ(marks[6].y, -768);
    EXPECT_EQ(marks[7].kind, NiffMarkKind::kTextLine);
    EXPECT_EQ(marks[7].text, "T");
    EXPECT_EQ(marks[7].style, 7);
    EXPECT_EQ(marks[8].kind, NiffMarkKind::kRehearsal);
    EXPECT_TRUE(marks[8].boxed);
    EXPECT_EQ(marks[8].y, -768);
    EXPECT_EQ(state_->report.CountOf("chord symbols"), 0);
    EXPECT_EQ(state_->report.CountOf("tempo marks"), 0);
    EXPECT_EQ(state_->report.CountOf("tempo marks of other beats"), 1);
    EXPECT_EQ(state_->report.CountOf("glis"), 1);
    // The measure start is read: it opens measure 1, and nothing is counted.
    EXPECT_EQ(state_->report.CountOf("tmsl"), 0);
    EXPECT_TRUE(state_->frame.measures.front().started);
}

// Unknown ids and tags reach the diagnostic notes only.
TEST_F(NiffImportPassesTest, PrivateExtensionsAreNotesOnly) {
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginChunk("pghd");
    out.RawTag(200, 1, std::vector<uint8_t>{1});
    out.EndChunk();
    out.EndList();
    std::vector<uint8_t> bytes = out.Take();
    // An unknown chunk id at the end of the form.
    const std::vector<uint8_t> privateChunk{'z', 'z', 'z', 'z', 0, 0, 0, 2, 1, 2};
    bytes.insert(bytes.end(), privateChunk.begin(), privateChunk.end());
    const uint32_t formLength = static_cast<uint32_t>(bytes.size() - 8);
    for (int i = 0; i < 4; ++i) bytes[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(formLength >> (24 - 8 * i));
    ASSERT_TRUE(Read(bytes).complete);
    EXPECT_TRUE(state_->report.Empty());
    EXPECT_FALSE(state_->report.Notes().empty());
}

// Memory running out inside the import throws the abort, which leaves nothing
// tracked behind.
TEST_F(NiffImportPassesTest, OutOfMemoryAbortsTheImport) {
    NiffScoreShape shape;
    const std::vector<uint8_t> bytes = WriteNiffScore(shape);
    FailNiffAllocationAfter(1);  // the string table of the main pass
    state_ = std::make_unique<NiffImportState>();
    EXPECT_THROW(ReadNiffPasses(*state_, [&] { return ByteSource::FromMemory(bytes); }), NiffImportAbort);
    EXPECT_EQ(AbortNiffImport(*state_, nullptr), 1);
    EXPECT_EQ(state_->blocks.Count(), 0u);
    EXPECT_EQ(state_->strings, nullptr);
}

TEST(NiffTrackedBlocks, FreeAndReleaseKeepTheTotal) {
    NiffTrackedBlocks blocks;
    void* a = blocks.Alloc(10);
    void* b = blocks.Alloc(20);
    EXPECT_EQ(blocks.TotalBytes(), 30u);
    blocks.Free(&a);
    EXPECT_EQ(a, nullptr);
    EXPECT_EQ(blocks.TotalBytes(), 20u);
    int untracked = 0;
    void* other = &untracked;
    blocks.Free(&other);  // left alone
    EXPECT_EQ(other, &untracked);
    void* c = blocks.Alloc(5);  // reuses the spent node
    EXPECT_EQ(blocks.Count(), 2u);
    EXPECT_NE(c, nullptr);
    blocks.ReleaseAll();
    EXPECT_EQ(blocks.TotalBytes(), 0u);
    EXPECT_EQ(blocks.Count(), 0u);
    (void)b;
}

}  // namespace
}  // namespace ql::niff
