// Clefs, key signatures and time signatures: the clef table's rows, key codes
// and signature bounds, and through the import the measures each sign reaches.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "core/state.h"
#include "interchange/tests/niff/niff_scores.h"
#include "interchange/byte_source.h"
#include "interchange/niff/niff_import.h"
#include "interchange/niff/niff_import_state.h"
#include "interchange/niff/niff_signatures.h"
#include "interchange/niff/niff_writer.h"
#include "platform/ui/headless.h"

namespace ql::niff {
namespace {

TEST(NiffSignatures, ClefsTakeTheFirstMatchingRow) {
    EXPECT_EQ(NiffClefOf(3, 0, 6).kind, 1);  // row 4
    EXPECT_EQ(NiffClefOf(3, 0, 6).glyph, 59);
    EXPECT_EQ(NiffClefOf(3, 2, 4).kind, 2);  // row 26
    EXPECT_EQ(NiffClefOf(9, 0, 0).kind, 0);  // row 28
    EXPECT_EQ(NiffClefOf(9, 0, 0).glyph, 58);
    EXPECT_EQ(NiffClefOf(2, 0, 6).kind, 3);
    EXPECT_EQ(NiffClefOf(6, 7, 7).kind, 11);
}

TEST(NiffSignatures, KeyCodesAndTheirBounds) {
    EXPECT_EQ(NiffKeyCode(0), 7);
    EXPECT_EQ(NiffKeyCode(3), 10);
    EXPECT_EQ(NiffKeyCode(7), 14);
    EXPECT_EQ(NiffKeyCode(10), 4);
    EXPECT_EQ(NiffKeyCode(14), 0);
    EXPECT_EQ(NiffKeyCode(-1), -1);
    EXPECT_EQ(NiffKeyCode(15), -1);
}

TEST(NiffSignatures, TimesSymbolsAndTheirBounds) {
    const NiffTimeSignature six = NiffTimeOf(6, 8);
    EXPECT_TRUE(six.valid);
    EXPECT_EQ(six.beats, 6);
    EXPECT_EQ(int{six.beats} << six.exponent, 3072);
    const NiffTimeSignature common = NiffTimeOf(static_cast<int8_t>(0xFF), 0x80);
    EXPECT_TRUE(common.valid && common.symbol);
    EXPECT_EQ(common.beats, 4);
    EXPECT_EQ(common.exponent, 10);
    const NiffTimeSignature cut = NiffTimeOf(3, 0x80);
    EXPECT_TRUE(cut.valid && cut.symbol);
    EXPECT_EQ(cut.beats, 2);
    EXPECT_EQ(cut.exponent, 11);
    EXPECT_FALSE(NiffTimeOf(0, 4).valid);
    EXPECT_FALSE(NiffTimeOf(-3, 4).valid);
    EXPECT_FALSE(NiffTimeOf(1, 32).valid);    // 128 ticks
    EXPECT_FALSE(NiffTimeOf(127, 1).valid);   // past 32,768 ticks
    EXPECT_EQ(NiffTimeOf(1, 0).exponent, 13);  // a bottom of 0: a whole
}

// One staff of six measures: a key of three flats at the start; 3/4 at the start
// of measure 3 (the file's first time signature); 6/8 in the middle of measure 5;
// a bass clef at the start of measure 2 and an alto clef at 1/8 of measure 4.
std::vector<uint8_t> SignedScore() {
    NiffWriter out;
    testing::BeginOneStaffScore(out);
    for (int measure = 0; measure < 6; ++measure) {
        out.BeginChunk("tmsl", {1, NiffField::Rational(static_cast<int16_t>(measure), 1)});
        out.EndChunk();
        if (measure == 0) {
            out.BeginChunk("keys", {10});
            out.EndChunk();
            out.BeginChunk("keys", {15});  // out of range: ignored
            out.EndChunk();
        }
        if (measure == 1) {
            out.BeginChunk("clef", {2, 6, 0});
            out.EndChunk();
        }
        if (measure == 2) {
            out.BeginChunk("time", {3, 4});
            out.EndChunk();
        }
        out.BeginChunk("tmsl", {2, NiffField::Rational(1, 8)});
        out.EndChunk();
        if (measure == 3) {
            out.BeginChunk("clef", {3, 4, 0});
            out.EndChunk();
        }
        if (measure == 4) {
            out.BeginChunk("time", {6, 8});
            out.EndChunk();
            out.BeginChunk("time", {0, 4});  // top 0: ignored
            out.EndChunk();
        }
    }
    out.EndList();
    out.EndList();
    return out.Take();
}

TEST(NiffSignatures, SignsReachTheMeasuresTheyStandBefore) {
    ResetProgramState();
    ui::headless::ResetUi();
    const std::vector<uint8_t> bytes = SignedScore();
    NiffImportState import;
    const NiffReadResult read = ReadNiffPasses(import, [&] { return ByteSource::FromMemory(bytes); });
    ASSERT_TRUE(read.complete);
    std::ostringstream dump;
    for (const NiffMeasureNode& node : import.frame.measures)
        dump << node.number << ": " << int{node.beats} << "/" << int{node.exponent} << " clef "
             << int{node.clefs[1]} << " key " << int{node.keys[1]} << "\n";
    EXPECT_EQ(dump.str(),
              "1: 3/10 clef 0 key 4\n"
              "2: 3/10 clef 3 key 4\n"
              "3: 3/10 clef 3 key 4\n"
              "4: 3/10 clef 3 key 4\n"
              "5: 3/10 clef 2 key 4\n"
              "6: 6/9 clef 2 key 4\n");
    EXPECT_TRUE(import.timeSignatureGiven);
    // The alto clef at 1/8 of measure 4 is a change object half way from the
    // measure's start, the slice before it.
    ASSERT_EQ(import.frame.signChanges.size(), 1u);
    const NiffSignChange& change = import.frame.signChanges[0];
    EXPECT_FALSE(change.key);
    EXPECT_EQ(change.staff, 1);
    EXPECT_EQ(change.measure, 4);
    EXPECT_EQ(change.tick, 256);
    EXPECT_EQ(change.code, 2);
    EXPECT_EQ(import.report.CountOf("key and time signatures out of range"), 2);
}

}  // namespace
}  // namespace ql::niff
