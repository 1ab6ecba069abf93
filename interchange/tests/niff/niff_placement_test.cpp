// Placements measured from an anchor the file names (tag 3) through the main pass:
// texts and stems converted down the anchor chain to where the handlers keep them,
// unknown anchors and anchors below the target left alone, and hairpins, slurs and
// pedal brackets placed on the page kept with their page points.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "core/state.h"
#include "interchange/byte_source.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_writer.h"
#include "platform/ui/headless.h"

namespace ql::niff {
namespace {

constexpr int kScale = 128;  // score units a file unit, without a staff height

// A one-staff score whose system sits at (100, 200) on the page, its staff 40
// below the system's top, its first measure starting 30 to the right and an event
// slice 50 into it; the caller writes the chunks after that slice.
class NiffPlacementTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ui::headless::ResetUi();
        out_.BeginForm("NIFF");
        out_.BeginList("setp");
        out_.BeginChunk("stbl");
        out_.Bytes(std::vector<uint8_t>{0, 'T', 0});
        out_.EndChunk();
        out_.BeginChunk("part", {0, 0, 0, 1, 0, -1, 0});
        out_.EndChunk();
        out_.EndList();
        out_.BeginList("data");
        out_.BeginChunk("pghd");
        out_.EndChunk();
        out_.BeginChunk("syhd");
        out_.Tag(1, {100, 200});
        out_.EndChunk();
        out_.BeginChunk("sthd");
        out_.Tag(32, {0});
        out_.Tag(1, {0, 40});
        out_.EndChunk();
        Slice(1, 0, 1, 30);
        Slice(2, 1, 4, 50);
    }
    void TearDown() override { ResetProgramState(); }

    void Slice(int type, int numerator, int denominator, int16_t x) {
        out_.BeginChunk("tmsl", {type, NiffField::Rational(static_cast<int16_t>(numerator), static_cast<int16_t>(denominator))});
        out_.Tag(1, {x, 0});
        out_.EndChunk();
    }
    // A text placed at (x, y) from the anchor `anchor` names (none when empty).
    template <size_t N>
    void Text(const char (&anchor)[N], int16_t x, int16_t y) {
        out_.BeginChunk("text", {1});
        if (N > 1) out_.Tag(3, {anchor});
        out_.Tag(1, {x, y});
        out_.EndChunk();
    }
    // A spanner node `chunk` with its fixed part, ID, node count (when above 0)
    // and placement at (x, y) from `anchor`.
    void Node(const char (&chunk)[5], std::initializer_list<NiffField> fixedPart, int id, int nodes,
              const char (&anchor)[5], int16_t x, int16_t y) {
        out_.BeginChunk(chunk, fixedPart);
        out_.Tag(18, {id});
        if (nodes > 0) out_.Tag(28, {nodes});
        out_.Tag(3, {anchor});
        out_.Tag(1, {x, y});
        out_.EndChunk();
    }
    void Hairpin(int id, int nodes, const char (&anchor)[5], int16_t x, int16_t y) {
        Node("hrpn", {1}, id, nodes, anchor, x, y);
    }
    const NiffImportState& Read() {
        out_.EndList();
        out_.EndList();
        const std::vector<uint8_t> bytes = out_.Take();
        state_ = std::make_unique<NiffImportState>();
        EXPECT_TRUE(ReadNiffPasses(*state_, [&] { return ByteSource::FromMemory(bytes); }).complete);
        return *state_;
    }

    NiffWriter out_;
    std::unique_ptr<NiffImportState> state_;
};

std::string Placed(const NiffMark& mark) {
    const char* anchor = mark.anchor == NiffAnchor::kPage ? "page" : mark.anchor == NiffAnchor::kMeasure ? "measure" : "time";
    return std::string(anchor) + " " + std::to_string(mark.x / kScale) + "," + std::to_string(mark.y / kScale);
}

// Each text ends up measured from its measure's start and its staff: from the
// system, less the staff's offset and the measure's start; from the staff or a
// time slice, less the measure's start. A page text keeps its page point; an
// anchor below the measure (a stem), an unknown one, or none leaves the placement
// as the file gives it.
TEST_F(NiffPlacementTest, TextsAreConvertedFromTheirAnchorToTheirMeasure) {
    Text("syhd", 200, 100);
    Text("sthd", 200, 100);
    Text("tmsl", 200, 100);
    Text("pghd", 200, 100);
    Text("stem", 200, 100);
    Text("note", 200, 100);
    Text("", 200, 100);
    const NiffImportState& import = Read();
    const std::vector<NiffMark>& marks = import.frame.marks;
    ASSERT_EQ(marks.size(), 7u);
    EXPECT_EQ(Placed(marks[0]), "measure 170,60");
    EXPECT_EQ(Placed(marks[1]), "measure 170,100");
    EXPECT_EQ(Placed(marks[2]), "measure 170,100");
    EXPECT_EQ(Placed(marks[3]), "page 200,100");
    EXPECT_EQ(Placed(marks[4]), "measure 200,100");
    EXPECT_EQ(Placed(marks[5]), "measure 200,100");
    EXPECT_EQ(Placed(marks[6]), "measure 200,100");
}

// A stem placed from the page is taken down to its event slice: the system's,
// the measure's and the event's offsets come off, and its notes are nudged by the
// few units left (a sixteenth of the score units), not by the page's position.
TEST_F(NiffPlacementTest, AStemPlacedFromThePageIsTakenToItsTimeSlice) {
    out_.BeginChunk("stem");
    out_.Tag(3, {"pghd"});
    out_.Tag(1, {190, 0});
    out_.EndChunk();
    out_.BeginChunk("note", {0, 4, NiffField::Rational(1, 4)});
    out_.EndChunk();
    Slice(1, 1, 1, 900);  // closes the measure
    const NiffImportState& import = Read();
    ASSERT_FALSE(import.frame.measures.front().staves.empty());
    const NiffVoice& voice = import.frame.measures.front().staves.front().voices.front();
    ASSERT_FALSE(voice.events.empty());
    EXPECT_EQ(voice.events.front().nudge, (190 - 100 - 30 - 50) * kScale >> 4);
}

// A hairpin whose two nodes are placed on the page keeps both page points and
// the page, so it becomes one of the page's items; one whose last node is placed
// from its staff stays with its measures, at the staff place of its kind.
TEST_F(NiffPlacementTest, AHairpinPlacedOnThePageKeepsItsPagePoints) {
    Hairpin(1, 2, "pghd", 300, 500);
    Hairpin(2, 2, "pghd", 300, 500);
    Slice(2, 1, 2, 80);
    Hairpin(1, 0, "pghd", 420, 500);
    Hairpin(2, 0, "sthd", 420, 500);
    const NiffImportState& import = Read();
    const std::vector<NiffLineRequest>& lines = import.frame.spanners.lines;
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].page, 0);
    EXPECT_EQ(lines[0].pageStartX, 300 * kScale);
    EXPECT_EQ(lines[0].pageEndX, 420 * kScale);
    EXPECT_EQ(lines[0].pageY, 500 * kScale);
    EXPECT_EQ(lines[1].page, -1);
    EXPECT_EQ(lines[1].vertical, lines[0].vertical);
    EXPECT_EQ(lines[1].endTick, 2048);
}

// A slur whose first and last nodes are placed on the page is a page slur between
// the two page points, its span counted in measures; one whose last node is placed
// from its staff is left to its notes.
TEST_F(NiffPlacementTest, ASlurPlacedOnThePageKeepsItsPagePoints) {
    out_.BeginChunk("stem");
    out_.EndChunk();
    out_.BeginChunk("note", {0, 4, NiffField::Rational(1, 4)});
    out_.EndChunk();
    Node("slur", {}, 1, 2, "pghd", 300, 500);
    Node("slur", {}, 2, 2, "pghd", 300, 500);
    Slice(1, 1, 1, 900);  // the next measure
    Slice(2, 1, 1, 950);
    out_.BeginChunk("stem");
    out_.EndChunk();
    out_.BeginChunk("note", {0, 2, NiffField::Rational(1, 4)});
    out_.EndChunk();
    Node("slur", {}, 1, 0, "pghd", 700, 460);
    Node("slur", {}, 2, 0, "sthd", 700, 460);
    Slice(1, 2, 1, 1400);
    const NiffImportState& import = Read();
    const std::vector<NiffSlurRequest>& slurs = import.frame.spanners.slurs;
    ASSERT_EQ(slurs.size(), 2u);
    EXPECT_EQ(slurs[0].page, 0);
    EXPECT_EQ(slurs[0].startX, 300 * kScale);
    EXPECT_EQ(slurs[0].startY, 500 * kScale);
    EXPECT_EQ(slurs[0].endX, 700 * kScale);
    EXPECT_EQ(slurs[0].endY, 460 * kScale);
    EXPECT_EQ(slurs[0].measures, 1);
    EXPECT_EQ(slurs[1].page, -1);
    EXPECT_NE(slurs[1].first, slurs[1].last);
}

// A pedal bracket whose two chunks are placed on the page is a page mark from the
// start's page point to the end's. One whose start alone is on the page keeps no
// page position as an offset in its measure: it starts at its time.
TEST_F(NiffPlacementTest, APedalBracketPlacedOnThePageKeepsItsPagePoints) {
    Node("pdlp", {6}, 5, 2, "pghd", 300, 500);
    Node("pdlp", {6}, 6, 2, "pghd", 300, 500);
    Slice(2, 1, 2, 80);
    Node("pdlp", {7}, 5, 0, "pghd", 420, 510);
    Node("pdlp", {7}, 6, 0, "tmsl", 140, 0);
    const NiffImportState& import = Read();
    std::vector<const NiffMark*> brackets;
    for (const NiffMark& mark : import.frame.marks)
        if (mark.kind == NiffMarkKind::kPedalBracket) brackets.push_back(&mark);
    ASSERT_EQ(brackets.size(), 2u);
    EXPECT_EQ(Placed(*brackets[0]), "page 300,500");
    EXPECT_EQ(brackets[0]->page, 0);
    EXPECT_EQ(brackets[0]->detail.endX, 420 * kScale);
    EXPECT_EQ(brackets[0]->detail.endStyle, 0x80);
    EXPECT_EQ(Placed(*brackets[1]), "measure 0,0");
    EXPECT_EQ(brackets[1]->detail.endX, (140 - 30) * kScale);
    EXPECT_EQ(brackets[1]->detail.endTick, 2048);
}

}  // namespace
}  // namespace ql::niff
