// Marks on notes, dynamics, pedal marks, measure numbering and staff groups of a
// NIFF file, read through the main pass into the import's frame: what each chunk
// leaves on its note or as a placed mark, and what it drops and counts.
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "core/state.h"
#include "interchange/byte_source.h"
#include "interchange/niff/niff_attachments.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_writer.h"
#include "interchange/tests/niff/niff_scores.h"
#include "platform/ui/headless.h"

namespace ql::niff {
namespace {

// The string table: offsets 1 "\\la", 5 "  ly\\ric", 14 "abc", 18 "abcdefg", 26 "ab",
// 29 "a", 31 "   ".
const std::string kStrings = std::string("\0\\la\0  ly\\ric\0abc\0abcdefg\0ab\0a\0   \0", 36);

class NiffAttachmentsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ui::headless::ResetUi();
    }

    // One staff: the string table, then measure 1's start and `body`.
    void Read(const std::function<void(NiffWriter&)>& body) {
        NiffWriter out;
        testing::BeginOneStaffScore(out);
        out.BeginChunk("stbl");
        out.Text(kStrings);
        out.EndChunk();
        out.BeginChunk("tmsl", {1, NiffField::Rational(0, 1)});
        out.EndChunk();
        body(out);
        out.EndList();
        out.EndList();
        const std::vector<uint8_t> bytes = out.Take();
        state_ = std::make_unique<NiffImportState>();
        ASSERT_TRUE(ReadNiffPasses(*state_, [&] { return ByteSource::FromMemory(bytes); }).complete);
    }

    // A slice at `quarter` quarters, a stem (1 up, 2 down) and a quarter note.
    static void Note(NiffWriter& out, int quarter, int step, int stem) {
        out.BeginChunk("tmsl", {2, NiffField::Rational(static_cast<int16_t>(quarter), 4)});
        out.EndChunk();
        out.BeginChunk("stem");
        out.Tag(22, {0, stem, 0});
        out.EndChunk();
        out.BeginChunk("note", {0, step, NiffField::Rational(1, 4)});
        out.EndChunk();
    }

    // The attachments of measure 1's note events in time order.
    std::vector<NiffNoteAttachments> Attachments() const {
        std::vector<NiffNoteAttachments> found;
        const NiffMeasureNode& node = state_->frame.measures.front();
        for (const NiffStaffMeasure& staff : node.staves)
            for (const NiffVoice& voice : staff.voices)
                for (const NiffEvent& event : voice.events)
                    found.push_back(event.attachments >= 0
                                        ? state_->frame.attachments[static_cast<size_t>(event.attachments)]
                                        : NiffNoteAttachments{});
        return found;
    }

    std::unique_ptr<NiffImportState> state_;
};

TEST(NiffAttachmentTables, RowsGiveGlyphsVelocitiesAndCodes) {
    const NiffMarkRow* accent = FindNiffMarkRow(kNiffArticulationRow, 1);
    ASSERT_NE(accent, nullptr);
    EXPECT_EQ(accent->above, 143);
    EXPECT_EQ(accent->below, 138);
    EXPECT_EQ(FindNiffMarkRow(kNiffArticulationRow, 6)->flip, 1);
    EXPECT_EQ(FindNiffMarkRow(kNiffOrnamentRow, 4)->above, 210);
    EXPECT_EQ(FindNiffMarkRow(kNiffOrnamentRow, 12)->above, 188);
    EXPECT_EQ(FindNiffMarkRow(kNiffArticulationRow, 3), nullptr);  // a note bit, no mark
    EXPECT_EQ(FindNiffMarkRow(kNiffOrnamentRow, 13), nullptr);
    EXPECT_EQ(FindNiffDynamic(11), nullptr);
    EXPECT_EQ(FindNiffDynamic(13), nullptr);
    EXPECT_EQ(FindNiffDynamic(7)->velocity, 20);
    EXPECT_EQ(FindNiffDynamic(7)->glyph, 171);
    EXPECT_EQ(FindNiffDynamic(1)->velocity, -50);
    for (int code = 16; code <= 19; ++code) EXPECT_TRUE(FindNiffDynamic(code)->actionOff) << code;
    EXPECT_FALSE(FindNiffDynamic(15)->actionOff);
    const int codes[] = {0, 4, 3, 5, 1, 2, 0};
    for (int shape = 0; shape <= 6; ++shape) EXPECT_EQ(NiffAccidentalCodeOf(shape), codes[shape]) << shape;
    EXPECT_EQ(NiffAccidentalCodeOf(-1), 0);
}

TEST_F(NiffAttachmentsTest, LyricsAreCleanedAndKeptByVerse) {
    Read([](NiffWriter& out) {
        out.BeginChunk("tmsl", {2, NiffField::Rational(0, 4)});
        out.EndChunk();
        out.BeginChunk("stem");
        out.EndChunk();
        out.BeginChunk("lyrc", {1, 0});  // before the stem's note: dropped
        out.EndChunk();
        out.BeginChunk("note", {0, 2, NiffField::Rational(1, 4)});
        out.EndChunk();
        for (uint32_t offset : {1u, 5u, 14u, 18u, 26u, 29u, 31u}) {
            out.BeginChunk("lyrc", {offset, offset == 5 ? 3 : 0});
            out.EndChunk();
        }
        out.BeginChunk("lyrc", {1, 4});  // a fifth verse line
        out.EndChunk();
    });
    const std::vector<NiffNoteAttachments> notes = Attachments();
    ASSERT_EQ(notes.size(), 1u);
    std::string got;
    for (const NiffLyricSyllable& s : notes[0].lyrics)
        got += s.text + "/" + std::to_string(s.line) + " ";
    EXPECT_EQ(got, "la/0 lyric/3 abc/0 abcdefg/0 ab/0 a/0 ");
    EXPECT_EQ(state_->report.CountOf("note marks without a note"), 1);
    EXPECT_EQ(state_->report.CountOf("lyrics past the fourth verse"), 1);
    EXPECT_EQ(state_->report.CountOf("lyrc"), 0);
}

TEST_F(NiffAttachmentsTest, ArticulationsTakeTheirSideFromTheStem) {
    Read([](NiffWriter& out) {
        Note(out, 0, 2, 1);  // stem up
        out.BeginChunk("artc", {1});
        out.EndChunk();
        out.BeginChunk("artc", {6});
        out.EndChunk();
        out.BeginChunk("artc", {4});
        out.EndChunk();
        out.BeginChunk("acdl", {2});
        out.EndChunk();
        Note(out, 1, 2, 2);  // stem down
        out.BeginChunk("artc", {6});
        out.EndChunk();
        out.BeginChunk("artc", {1});
        out.Tag(22, {0, 2, 0});  // below, asked for
        out.EndChunk();
        out.BeginChunk("ornm", {3});
        out.EndChunk();
        out.BeginChunk("artc", {99});
        out.EndChunk();
    });
    const std::vector<NiffNoteAttachments> notes = Attachments();
    ASSERT_EQ(notes.size(), 2u);
    auto describe = [](const NiffNoteAttachments& a) {
        std::string text = "acc " + std::to_string(a.accidental) + " bits " + std::to_string(a.noteBits) + ":";
        for (const NiffNoteMark& m : a.marks)
            text += " " + std::to_string(m.glyph) + (m.side == 1 ? "^" : "v") + std::to_string(m.vertical) +
                    (m.sideFromFile ? "!" : "");
        return text;
    };
    // Position -2 (step 2): above at most -640; below with the stem down at least 192.
    // Only the mark whose side the file asked for (!) keeps its offsets; the others
    // are placed on their notes once the page is laid out.
    EXPECT_EQ(describe(notes[0]), "acc 3 bits 64: 143^-640 156v0");
    EXPECT_EQ(describe(notes[1]), "acc -1 bits 0: 156^-640 138v192! 210^-640");
    EXPECT_EQ(state_->report.CountOf("articulations and ornaments of unknown codes"), 1);
}

TEST_F(NiffAttachmentsTest, DynamicsAreAnchoredInTimeWithTheirVelocity) {
    Read([](NiffWriter& out) {
        Note(out, 2, 2, 1);
        for (int code : {11, 7, 17}) {
            out.BeginChunk("dynm", {code});
            out.EndChunk();
        }
        out.BeginChunk("dynm", {1});
        out.Tag(1, {10, 20});
        out.Tag(33, {2, 3, 0, 0});
        out.EndChunk();
    });
    const std::vector<NiffMark>& marks = state_->frame.marks;
    ASSERT_EQ(marks.size(), 3u);
    EXPECT_EQ(marks[0].kind, NiffMarkKind::kDynamic);
    EXPECT_EQ(marks[0].anchor, NiffAnchor::kTime);
    EXPECT_EQ(marks[0].tick, 2048);
    EXPECT_EQ(marks[0].detail.value, 20);
    EXPECT_EQ(marks[0].detail.glyph, 171);
    EXPECT_TRUE(marks[0].detail.actionOn);
    EXPECT_EQ(marks[1].detail.glyph, 173);
    EXPECT_FALSE(marks[1].detail.actionOn);
    EXPECT_EQ(marks[2].anchor, NiffAnchor::kMeasure);
    EXPECT_EQ(marks[2].detail.value, -50);
    EXPECT_EQ(marks[2].alignX, 2);
    EXPECT_EQ(marks[2].alignY, 3);
    EXPECT_EQ(marks[0].alignX, 2);  // the defaults
    EXPECT_EQ(marks[0].alignY, 1);
    EXPECT_EQ(state_->report.CountOf("dynamics of unknown codes"), 1);
}

TEST_F(NiffAttachmentsTest, PedalMarksAndABracketAcrossMeasures) {
    Read([](NiffWriter& out) {
        Note(out, 0, 2, 1);
        for (int shape : {1, 2}) {
            out.BeginChunk("pdlp", {shape});
            out.Tag(18, {shape});
            out.Tag(28, {1});
            out.EndChunk();
        }
        out.BeginChunk("pdlp", {1});  // no ID: not counted as a pedal chunk
        out.EndChunk();
        out.BeginChunk("pdlp", {6});
        out.Tag(18, {5});
        out.Tag(28, {2});
        out.Tag(1, {10, 40});
        out.EndChunk();
        for (int measure = 1; measure <= 2; ++measure) {
            out.BeginChunk("tmsl", {1, NiffField::Rational(static_cast<int16_t>(measure), 1)});
            out.EndChunk();
            Note(out, 0, 2, 1);
        }
        out.BeginChunk("pdlp", {7});
        out.Tag(18, {5});
        out.Tag(1, {90, 40});
        out.EndChunk();
    });
    const std::vector<NiffMark>& marks = state_->frame.marks;
    ASSERT_EQ(marks.size(), 3u);
    EXPECT_EQ(marks[0].kind, NiffMarkKind::kPedal);
    EXPECT_EQ(marks[0].detail.glyph, 225);
    EXPECT_EQ(marks[0].detail.value, 127);
    EXPECT_EQ(marks[1].detail.glyph, 42);
    EXPECT_EQ(marks[1].detail.value, 0);
    const NiffMark& bracket = marks[2];
    EXPECT_EQ(bracket.kind, NiffMarkKind::kPedalBracket);
    EXPECT_EQ(bracket.measure, 1);
    EXPECT_EQ(bracket.detail.endMeasure, 3);
    EXPECT_EQ(bracket.detail.endStyle, 0x80);
    EXPECT_EQ(bracket.x, 10 * 128);
    EXPECT_EQ(bracket.detail.endX, 90 * 128);
    EXPECT_TRUE(state_->frame.pedals.empty());
}

// A placement on a staff drawn at half size is taken at full size: the same
// vertical placement lies twice as far from the smaller staff.
TEST(NiffReducedStaves, PlacementsOnAReducedStaffAreTakenAtFullSize) {
    ResetProgramState();
    ui::headless::ResetUi();
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginList("setp");
    out.BeginChunk("part", {0, 0, 0, 2, 0, -1, 0});
    out.EndChunk();
    out.EndList();
    out.BeginList("data");
    out.BeginChunk("pghd");
    out.EndChunk();
    out.BeginChunk("syhd");
    out.EndChunk();
    for (int staff = 0; staff < 2; ++staff) {
        out.BeginChunk("sthd");
        out.Tag(32, {0});
        if (staff > 0) out.Tag(47, {staff});
        out.Tag(17, {staff == 0 ? 256 : 64});
        out.EndChunk();
        out.BeginChunk("tmsl", {1, NiffField::Rational(0, 1)});
        out.EndChunk();
        out.BeginChunk("dynm", {7});
        out.Tag(1, {0, 100});
        out.EndChunk();
    }
    out.EndList();
    out.EndList();
    const std::vector<uint8_t> bytes = out.Take();
    NiffImportState state;
    ASSERT_TRUE(ReadNiffPasses(state, [&] { return ByteSource::FromMemory(bytes); }).complete);
    ASSERT_EQ(state.frame.staves[2].sizePercent, 50);
    const std::vector<NiffMark>& marks = state.frame.marks;
    ASSERT_EQ(marks.size(), 2u);
    EXPECT_EQ(marks[0].staff, 1);
    EXPECT_EQ(marks[1].staff, 2);
    EXPECT_GT(marks[0].y, 0);
    EXPECT_EQ(marks[1].y, 2 * marks[0].y);
    EXPECT_EQ(marks[1].x, marks[0].x);
}

TEST_F(NiffAttachmentsTest, NumberingAndGroupsAreBounded) {
    Read([](NiffWriter& out) {
        out.BeginChunk("meas", {1, 0, 12, 0, 0, 2, 0});
        out.EndChunk();
        out.BeginChunk("stfg", {3, 0, 99});
        out.EndChunk();
        out.BeginChunk("stfg", {2, 5, 2});  // an empty range
        out.EndChunk();
    });
    const NiffFrame& frame = state_->frame;
    EXPECT_EQ(frame.numbering.mode, 2);
    EXPECT_EQ(frame.numbering.every, 1);  // a frequency of 0 counts as 1
    EXPECT_TRUE(frame.numbering.enclosed);
    // The score has no enclosure for its numbers: the box is listed as not converted.
    EXPECT_EQ(state_->report.CountOf("measure-number enclosures"), 1);
    EXPECT_EQ(frame.measures.front().shownNumber, 12);
    // One staff: the range 0..99 is clipped to staff 1, which starts the bracket.
    EXPECT_EQ(frame.staves[1].groupBits, 0x20);
    EXPECT_EQ(frame.staves[2].groupBits, 0);
    EXPECT_EQ(frame.staves[0].groupBits, 0);
}

}  // namespace
}  // namespace ql::niff
