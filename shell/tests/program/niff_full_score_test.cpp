// A writer-made NIFF score with most of what a piece carries, imported into a
// score window and dumped: two parts (the second on two staves), a pickup, chords,
// beams, a triplet and a 5:3 group, a tie and a slur over a barline, a clef change
// inside a measure, a key of flats, dynamics, two lyric verses and a title. Page 1
// is written as a picture for the eye.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "display/tests/painter/engraving_expect.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/grid_records.h"
#include "core/model/pages.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"
#include "core/text/text_object.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_writer.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/ties/ties.h"
#include "objects/lyrics/lyric.h"
#include "platform/gfx/bitmap.h"
#include "platform/ui/headless.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "shell/tests/program/imported_score_dump.h"
#include "shell/tests/program/isolation_scores.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using niff::NiffField;
using niff::NiffWriter;

// The string table: 1 the title, 8 "la", 11 "lo", 14 "li", 17 "lu".
const std::string kStrings = std::string("\0Sonata\0la\0lo\0li\0lu\0", 21);
constexpr int kTitle = 1;
constexpr int kVerses[2][2] = {{8, 14}, {11, 17}};

void Chunk(NiffWriter& out, const char (&id)[5], std::initializer_list<NiffField> fields = {}) {
    out.BeginChunk(id, fields);
    out.EndChunk();
}

void Slice(NiffWriter& out, int type, int numerator, int denominator) {
    Chunk(out, "tmsl", {type, NiffField::Rational(static_cast<int16_t>(numerator), static_cast<int16_t>(denominator))});
}

void Node(NiffWriter& out, const char (&id)[5], int spannerId, int nodes = 0) {
    out.BeginChunk(id);
    out.Tag(18, {spannerId});
    if (nodes > 0) out.Tag(28, {nodes});
    out.EndChunk();
}

void Tuplet(NiffWriter& out, int id, int count, int a, int b, int c, int d) {
    out.BeginChunk("tupl");
    out.Tag(18, {id});
    out.Tag(28, {count});
    out.Tag(45, {NiffField::Rational(static_cast<int16_t>(a), static_cast<int16_t>(b)),
                 NiffField::Rational(static_cast<int16_t>(c), static_cast<int16_t>(d)), 0});
    out.EndChunk();
}

// The tuplet a stem belongs to: every stem of the group names it.
struct TupletStart {
    int id = -1;  // none
    int count = 0;
    int a = 0, b = 1, c = 0, d = 1;
};

// A stem (1 up, 2 down), its beam when `beam` >= 0, its tuplet, and its notes
// of one value.
void Stem(NiffWriter& out, int direction, int beam, std::initializer_list<int> steps, int numerator,
          int denominator, const TupletStart& tuplet = {}) {
    out.BeginChunk("stem");
    out.Tag(22, {0, direction, 0});
    out.EndChunk();
    if (beam >= 0) {
        out.BeginChunk("beam", {0, 1});
        out.Tag(18, {beam});
        out.EndChunk();
    }
    if (tuplet.id >= 0) Tuplet(out, tuplet.id, tuplet.count, tuplet.a, tuplet.b, tuplet.c, tuplet.d);
    for (int step : steps)
        Chunk(out, "note", {0, step, NiffField::Rational(static_cast<int16_t>(numerator), static_cast<int16_t>(denominator))});
}

// The upper part: a pickup quarter with a forte and two verses; then a beamed
// triplet of eighths, a half and a quarter tied over the barline, with a slur
// from the triplet's first note to the next measure's first; then a half with
// the second verses and a chord under a piano.
void UpperStaff(NiffWriter& out) {
    Slice(out, 1, 0, 1);
    Chunk(out, "keys", {9});
    Chunk(out, "time", {4, 4});
    Slice(out, 2, 0, 1);
    Chunk(out, "dynm", {9});
    Stem(out, 1, -1, {3}, 1, 4);
    for (int verse = 0; verse < 2; ++verse) Chunk(out, "lyrc", {kVerses[verse][0], verse});
    Slice(out, 1, 1, 4);
    for (int i = 0; i < 3; ++i) {
        Slice(out, 2, i, 12);
        Stem(out, 1, 1, {2 + i}, 1, 8, TupletStart{2, 3, 3, 8, 2, 8});
        if (i == 0) Node(out, "slur", 3, 2);
    }
    Slice(out, 2, 1, 4);
    Stem(out, 1, -1, {3}, 1, 2);
    Slice(out, 2, 3, 4);
    Stem(out, 1, -1, {5}, 1, 4);
    Node(out, "tie ", 4, 2);
    Slice(out, 1, 5, 4);
    Slice(out, 2, 0, 1);
    Stem(out, 1, -1, {5}, 1, 2);
    Node(out, "tie ", 4);
    Node(out, "slur", 3);
    Chunk(out, "lyrc", {kVerses[0][1], 0});
    Chunk(out, "lyrc", {kVerses[1][1], 1});
    Slice(out, 2, 1, 2);
    Chunk(out, "dynm", {4});
    Stem(out, 2, -1, {2, 4, 6}, 1, 2);
}

// The lower part's upper staff: a pickup rest, then a 5:3 group of sixteenths
// written as notated and a dotted half; then four beamed eighths and a half.
void MiddleStaff(NiffWriter& out) {
    Slice(out, 1, 0, 1);
    Chunk(out, "keys", {9});
    Slice(out, 2, 0, 1);
    Chunk(out, "rest", {2, 4, NiffField::Rational(1, 4)});
    Slice(out, 1, 1, 4);
    for (int i = 0; i < 5; ++i) {
        Slice(out, 2, 3 * i, 80);
        Stem(out, 2, 5, {6 - i}, 1, 16, TupletStart{6, 5, 5, 16, 3, 16});
    }
    Slice(out, 2, 1, 4);
    Stem(out, 2, -1, {4}, 3, 4);
    Slice(out, 1, 5, 4);
    for (int i = 0; i < 4; ++i) {
        Slice(out, 2, i, 8);
        Stem(out, 2, 7, {4 + i % 2}, 1, 8);
    }
    Slice(out, 2, 1, 2);
    Stem(out, 2, -1, {6}, 1, 2);
}

// The lower part's lower staff (bass clef): a pickup quarter, a whole, and a clef
// change to treble on the third beat of the last measure between two halves.
void LowerStaff(NiffWriter& out) {
    Slice(out, 1, 0, 1);
    Chunk(out, "clef", {2, 6, 0});
    Chunk(out, "keys", {9});
    Slice(out, 2, 0, 1);
    Stem(out, 1, -1, {2}, 1, 4);
    Slice(out, 1, 1, 4);
    Slice(out, 2, 0, 1);
    Stem(out, 1, -1, {1, 5}, 1, 1);
    Slice(out, 1, 5, 4);
    Slice(out, 2, 0, 1);
    Stem(out, 1, -1, {3}, 1, 2);
    Slice(out, 2, 1, 2);
    Chunk(out, "clef", {1, 2, 0});
    Stem(out, 1, -1, {-2}, 1, 2);
}

std::vector<uint8_t> FullScore() {
    NiffWriter out;
    out.BeginForm("NIFF");
    out.BeginList("setp");
    out.BeginChunk("ISFT");
    out.Text("Test writer");
    out.EndChunk();
    out.BeginChunk("stbl");
    out.Text(kStrings);
    out.EndChunk();
    Chunk(out, "part", {0, 0, 0, 1, 0, -1, 0});
    Chunk(out, "part", {1, 0, 0, 2, 1, -1, 0});
    out.EndList();
    out.BeginList("data");
    out.BeginChunk("pghd");
    out.Tag(48, {2720});
    out.Tag(17, {3520});
    out.EndChunk();
    out.BeginChunk("text", {kTitle});
    out.Tag(3, {"pghd"});
    out.Tag(1, {1360, 200});
    out.EndChunk();
    out.BeginChunk("syhd");
    out.Tag(1, {160, 400});
    out.Tag(48, {2400});
    out.EndChunk();
    void (*const staves[])(NiffWriter&) = {UpperStaff, MiddleStaff, LowerStaff};
    for (int staff = 0; staff < 3; ++staff) {
        out.BeginChunk("sthd");
        out.Tag(32, {staff == 0 ? 0 : 1});
        if (staff == 2) out.Tag(47, {1});
        out.Tag(1, {0, staff * 700});
        out.Tag(17, {256});
        out.EndChunk();
        staves[staff](out);
    }
    out.EndList();
    out.EndList();
    return out.Take();
}

class NiffFullScoreTest : public testing::ProgramFixture {};

TEST_F(NiffFullScoreTest, APieceImportsWithItsPartsMarksAndSpanners) {
    ASSERT_EQ(Start(), StartupCode::Ok);
    ui::headless::ResetUi();
    ScoreView* view = niff::OpenNiffScoreWindowFromMemory(FullScore(), "sonata_NIFF");
    ASSERT_NE(view, nullptr);
    EXPECT_TRUE(testing::EngravingIsClean(view));
    // The pickup keeps its quarter's length under the 4/4 signature; the slur goes from the triplet over the
    // barline, the tie from the last quarter of measure 2 to the half after it;
    // each tuplet has its mark.
    EXPECT_EQ(testing::ImportedScoreDump(view->document),
              "staff 1 lines 5\n"
              "staff 1 measure 1 length 1024 clef 0 key 5 time 4/10\n"
              "  v0: |0:10.0@-3 [lo/1] [la/0]\n"
              "  objects: 21\n"
              "staff 1 measure 2 length 4096 clef 0 key 5 time 4/10\n"
              "  v0: |0:9.0@-2 tup1/0 b> |341:9.0@-3 tup1/0 b<> [51] |682:9.0@-4 tup1/0 b< |1024:11.0@-3 |3072:10.0@-5 t> [5]\n"
              "  objects: 4\n"
              "staff 1 measure 3 length 4096 clef 0 key 5 time 4/10\n"
              "  v0: |0:11.0@-5 t< [lu/1] [li/0] |2048:11.0@-6 2048:11.0@-4 2048:11.0@-2\n"
              "  objects: 21\n"
              "staff 2 lines 5\n"
              "staff 2 measure 1 length 1024 clef 0 key 5 time 4/10\n"
              "  v0: rest 0:10.0\n"
              "staff 2 measure 2 length 4096 clef 0 key 5 time 4/10\n"
              "  v0: |0:8.0@-6 tup2/83 b> |153:8.0@-5 tup2/83 b<> |307:8.0@-4 tup2/83 b<> [51] |460:8.0@-3 tup2/83 b<> "
              "|614:8.0@-2 tup2/83 b< |1024:11.1@-4 rest 767:8.0\n"
              "staff 2 measure 3 length 4096 clef 0 key 5 time 4/10\n"
              "  v0: |0:9.0@-4 b> |512:9.0@-5 b<> |1024:9.0@-4 b<> |1536:9.0@-5 b< |2048:11.0@-6\n"
              "staff 3 lines 5\n"
              "staff 3 measure 1 length 1024 clef 3 key 5 time 4/10\n"
              "  v0: |0:10.0@-2\n"
              "staff 3 measure 2 length 4096 clef 3 key 5 time 4/10\n"
              "  v0: |0:12.0@-5 0:12.0@-1\n"
              "staff 3 measure 3 length 4096 clef 3 key 5 time 4/10\n"
              "  v0: |0:11.0@-3 |2048:11.0@2\n"
              "  objects: 14\n"
              "page 1 systems 1-3 texts \"Sonata\"\n");
    // Everything was converted, the two tuplet marks (type 51) over their groups'
    // middle notes among it: no report.
    EXPECT_EQ(ui::headless::MessageBoxes().size(), 0u);
    testing::isolation::PaintedPixels(view);
    std::filesystem::create_directories(QL_TEST_OUTPUT_DIR);
    EXPECT_TRUE(gfx::WritePng(win::GetWindowImage(view->ViewWindow),
                              (std::filesystem::path(QL_TEST_OUTPUT_DIR) / "niff_full_score_page1.png").string()));
}

}  // namespace
}  // namespace ql
