// The prologue and the 264-byte header of a score file, written by hand from the
// header table and compared with the header of a document built as the program
// builds it; the narrowed and unstored fields; the 230-byte header of old files.
#include "files/records/header_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "core/model/score_document.h"
#include "files/tests/files_fixture.h"

namespace ql {
namespace {

// The hand-written records keep one field (or one group of fields) per line.
// clang-format off

using testing_files::FilesTest;
using testing_files::HandBytes;
using testing_files::V;

class HeaderRecord : public FilesTest {
  protected:
    // Distinct values in every field of the document's score header.
    void FillHeader(ScoreHeader& h) {
        for (int i = 0; i < kPageDistanceCount; ++i) h.pageDistances[i] = static_cast<uint16_t>(0x100 + i);
        h.settingsWords[0] = 0x11111111;
        h.settingsWords[1] = 0x22222222;
        h.settingsWords[2] = 0x33333333;
        h.scoreSettingA = 0x4444;
        PageRecord& p = h.pageGeometry;
        p.staffSize = 10;
        p.unit = 1;
        p.paperKind = 5;
        p.orientation = 1;
        p.sides = 1;
        p.firstPage = 0;
        p.firstPageNumber = 3;
        p.pageByte7 = 15;
        p.pageBytes8[0] = 0xA1;
        p.pageBytes8[1] = 0xA2;
        p.userStaffSize = 0x0780;
        p.userPageWidth = 0x1000;
        p.userPageHeight = 0x1400;
        p.degreesPerInch = 16;
        p.measureNumberStyle = 2;
        p.measureNumberEvery = 5;
        p.measureNumberAlign = 1;
        p.measureNumberIsManMeasure = 0;
        p.measureNumberFontClass = 9;
        p.measureNumberIsWindowsFont = 1;
        const uint8_t bytes24[4] = {1, 2, 3, 4};
        std::memcpy(p.numberBytes24, bytes24, 4);
        p.measureNumberOffsetX = -5;
        p.measureNumberOffsetY = 0x12345;
        std::memset(p.numberFaceName, 'z', kPageTextBytes);  // stale bytes after the NUL
        std::memcpy(p.numberFaceName, "Arial", 6);
        std::memset(p.numberText, 'q', kPageTextBytes);
        std::memcpy(p.numberText, "No.", 4);
        p.measureNumberFont = 0xDEADBEEF;
        const uint8_t tail[4] = {9, 8, 7, 6};
        std::memcpy(p.numberTail, tail, 4);
        h.scoreSettingB = 0x5555;
        h.newScoreBlock = NewScoreBlock{0x01020304, 4, 5, 0x0200, 0x0300, 6, 7, 0x0002};
        h.settings194[0] = 0xB1;
        h.settings194[1] = 0xB2;
        h.notePlaybackPercent = 90;
        h.staffCount = 2;
        h.measureCount = 12;
        h.pageCount = 3;
        h.scoreSettingD = 0x6666;
        h.scoreSettingE = 2;
        h.scoreSettingF = 32;
        h.tempo = 120;
        h.settings208[0] = 0xC1;
        h.settings208[1] = 0xC2;
        h.reformatRequest = 0xC4C3;  // a pending request is not written
        for (int i = 0; i < kLyricLevelCount; ++i) h.lyricLevels[i] = static_cast<uint16_t>(320 + 256 * i);
        for (int i = 0; i < 26; ++i) h.settings220[i] = static_cast<uint8_t>(0xD0 + i);
        h.userPageWidth = 0x0850;
        h.userPageHeight = 0x1100;
        h.settings250[0] = 0xE1;
        h.settings250[1] = 0xE2;
        h.fontSizeSetting = 0x1500;
        for (int i = 0; i < kMarginCount; ++i) {
            h.leftMargins[i] = static_cast<uint16_t>(0x0100 * (i + 1));
            h.rightMargins[i] = static_cast<uint16_t>(0x0500 + 0x0100 * i);
        }
    }

    static std::vector<uint8_t> Expected() {
        HandBytes b;
        for (int i = 0; i < 28; ++i) b.u16(0x100 + i);   // 0: the 28 measurement words
        b.u32(0x11111111).u32(0x22222222).u32(0x33333333);  // 56: three document words
        b.u16(0x4444);                                   // 68: document word
        b.u8(10).u8(1).u8(5).u8(1).u8(1).u8(0)           // 70: staff size, unit, paper, orientation, sides, first side
            .u8(3).u8(15).u8(0xA1).u8(0xA2)              // 76: first page number, three further bytes
            .u16(0x0780)                                 // 80: user staff size x 128
            .u16(0x1000).u16(0x1400)                     // 82: user page width, height (logical)
            .u16(16)                                     // 86: degrees per inch
            .u8(2).u8(5).u8(1).u8(0).u8(9).u8(1)         // 88: measure-number style .. Windows font
            .u8(1).u8(2).u8(3).u8(4)                     // 94: four bytes
            .u16(0xFFFB)                                 // 98: x offset, low half
            .u16(0x2345)                                 // 100: y offset, low half
            .text("Arial", 32)                           // 102: face, zeros after the NUL
            .text("No.", 32)                             // 134: text, zeros after the NUL
            .u16(0)                                      // 166: the font handle, not stored
            .u8(9).u8(8).u8(7).u8(6)                     // 168: the page record's last bytes
            .u16(0x5555)                                 // 172: the word after the page record
            .u32(0x01020304).u8(4).u8(5).u16(0x0200).u16(0x0300).u8(6).u8(7)  // 174: three fields
            .u16(0x0002)                                 // 186: document field
            .u8(0xB1).u8(0xB2)                           // 188: two document bytes
            .u8(90)                                      // 190: note playback percent
            .u8(2)                                       // 191: staff count
            .u16(12)                                     // 192: measure count
            .u16(3)                                      // 194: page count
            .u16(0x6666)                                 // 196: document field
            .u8(2).u8(32)                                // 198: format stamp
            .u16(120)                                    // 200: tempo
            .u8(0xC1).u8(0xC2)                           // 202: document field
            .u16(0)                                      // 204: not stored
            .u16(320).u16(576).u16(832).u16(1088);       // 206: two document fields
        for (int i = 0; i < 26; ++i) b.u8(0xD0 + i);     // 214: on/off byte, byte, six fields
        b.u16(0x0850).u16(0x1100)                        // 240: user page width, height (BCD)
            .u16(0)                                      // 244: not stored
            .u16(0x1500)                                 // 246: user staff size (BCD)
            .u16(0x0100).u16(0x0200).u16(0x0300).u16(0x0400)   // 248: left-page margins
            .u16(0x0500).u16(0x0600).u16(0x0700).u16(0x0800);  // 256: right-page margins
        return b.get();
    }
};

// The prologue: the 26 letters of the magic, then 0x00 and the version 32.
TEST_F(HeaderRecord, PrologueIsTheMagicAndTwoVersionBytes) {
    ByteWriter writer;
    EncodeScorePrologue(writer);
    HandBytes expected;
    expected.text("QuaverlinescribeForWindows", 26).u8(0x00).u8(0x20);
    EXPECT_EQ(writer.Buffer(), expected.get());
}

// The header of the document's fields equals the table, byte for byte.
TEST_F(HeaderRecord, HeaderFollowsTheTable) {
    FillHeader(doc_->header);
    ByteWriter writer;
    EncodeScoreFileHeader(doc_->header, writer);
    std::vector<uint8_t> expected = Expected();
    ASSERT_EQ(expected.size(), kScoreFileHeaderBytes);
    EXPECT_EQ(writer.Buffer(), expected);
}

// Reading gives the fields back: the narrowed words sign-extended, the texts up to
// their NUL, and the unstored fields 0 whatever the target held.
TEST_F(HeaderRecord, HeaderReadsBack) {
    std::vector<uint8_t> bytes = Expected();
    ScoreHeader target{};
    std::memset(&target, 0x5A, sizeof target);
    ASSERT_TRUE(DecodeScoreFileHeader(bytes.data(), bytes.size(), &target));
    EXPECT_EQ(V(target.pageGeometry.measureNumberOffsetX), -5);
    EXPECT_EQ(V(target.pageGeometry.measureNumberOffsetY), 0x2345);
    EXPECT_STREQ(target.pageGeometry.numberFaceName, "Arial");
    EXPECT_EQ(V(target.pageGeometry.measureNumberFont), 0u);
    EXPECT_EQ(target.reformatRequest, 0) << "a read score has no reformat pending";
    EXPECT_EQ(target.settings250[0], 0);
    EXPECT_EQ(V(target.staffCount), 2);
    EXPECT_EQ(V(target.rightMargins[3]), 0x0800);
    EXPECT_EQ(V(target.newScoreBlock.systemSeparation), 0x0300);
    ByteWriter again;
    EncodeScoreFileHeader(target, again);
    EXPECT_EQ(again.Buffer(), bytes);
}

// Texts that fill their 32 bytes without a NUL end at their byte 31.
TEST_F(HeaderRecord, HeaderTextsEndInsideTheirFields) {
    std::vector<uint8_t> bytes = Expected();
    std::fill(bytes.begin() + 102, bytes.begin() + 166, 'x');
    ScoreHeader target{};
    ASSERT_TRUE(DecodeScoreFileHeader(bytes.data(), bytes.size(), &target));
    EXPECT_EQ(std::string(target.pageGeometry.numberFaceName), std::string(31, 'x'));
    EXPECT_EQ(std::string(target.pageGeometry.numberText), std::string(31, 'x'));
}

// A 230-byte header supplies offsets 0-229 only: the settings bytes up to 229, and
// nothing of the paper words and margins.
TEST_F(HeaderRecord, ShortHeaderSuppliesItsBytesOnly) {
    std::vector<uint8_t> bytes = Expected();
    ScoreHeader target{};
    target.userPageWidth = 0x7777;
    target.leftMargins[0] = 0x6666;
    target.settings220[20] = 0x11;
    ASSERT_TRUE(DecodeScoreFileHeader(bytes.data(), kShortScoreFileHeaderBytes, &target));
    EXPECT_FALSE(DecodeScoreFileHeader(bytes.data(), kShortScoreFileHeaderBytes - 1, &target));
    EXPECT_EQ(target.settings220[15], 0xD0 + 15);  // offset 229
    EXPECT_EQ(target.settings220[20], 0x11);       // offset 234: not in the file
    EXPECT_EQ(V(target.userPageWidth), 0x7777);
    EXPECT_EQ(V(target.leftMargins[0]), 0x6666);
    EXPECT_EQ(V(target.tempo), 120);
}

// clang-format on

}  // namespace
}  // namespace ql
