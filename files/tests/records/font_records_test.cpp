// The "FONT" and "QFCS" sections, written by hand from their tables.
#include "files/records/font_records.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "files/records/file_codes.h"
#include "files/records/text_record_io.h"
#include "files/score_file.h"
#include "files/tests/files_fixture.h"

namespace ql {
namespace {

// The hand-written records keep one field (or one group of fields) per line.
// clang-format off

using testing_files::FilesTest;
using testing_files::HandBytes;
using testing_files::V;

using FontRecords = FilesTest;

// A font record: name and face up to their NULs with zeros after, the handle as 0,
// the attributes, the slot byte and the height; the character set is not in it.
TEST_F(FontRecords, FontRecord) {
    QuickFontRecord font{};
    std::memset(font.name, 'n', sizeof font.name);
    std::memcpy(font.name, "Title", 6);
    std::memset(font.face, 'f', sizeof font.face);
    std::memcpy(font.face, "Times New Roman", 16);
    font.handle = 0x40010002;
    font.bold = 1;
    font.italic = 0;
    font.underline = 1;
    font.slot = 4;
    font.height = -320;
    font.charset = 2;
    ByteWriter writer;
    EncodeFontRecord(font, writer);
    HandBytes expected;
    expected.text("Title", 32)          // 0: quick-font name
        .text("Times New Roman", 32)    // 32: face
        .u16(0)                         // 64: no handle
        .u8(1).u8(0).u8(1)              // 66: bold, italic, underline
        .u8(4)                          // 69: slot
        .u16(0xFEC0);                   // 70: height
    EXPECT_EQ(writer.Buffer(), expected.get());
    QuickFontRecord back{};
    back.charset = 9;
    back.handle = 5;
    ByteReader reader(writer.Data(), writer.Size());
    DecodeFontRecord(reader, &back);
    EXPECT_STREQ(back.face, "Times New Roman");
    EXPECT_EQ(V(back.height), -320);
    EXPECT_EQ(V(back.handle), 0u);
    EXPECT_EQ(V(back.charset), 9) << "left for the reader";
}

// "FONT" lists slots 1 to 23 in rising order (never slot 0), whether a text names
// them or not; "QFCS" always holds 24.
TEST_F(FontRecords, Sections) {
    ByteWriter writer;
    EncodeFontSection(doc_->fonts, writer);
    ASSERT_EQ(writer.Size(), 4u + 2 + 23 * (2 + kStoredFontBytes));
    EXPECT_EQ(std::string(writer.Buffer().begin(), writer.Buffer().begin() + 4), "FONT");
    EXPECT_EQ(writer.Buffer()[4], 23);  // count
    EXPECT_EQ(writer.Buffer()[6], 1);   // slot 1 first
    EXPECT_EQ(writer.Buffer()[6 + 22 * (2 + kStoredFontBytes)], 23);  // slot 23 last
    for (int slot = 0; slot < kScoreFontCount; ++slot) doc_->fonts[slot].charset = static_cast<uint8_t>(slot);
    ByteWriter charsets;
    EncodeCharsetSection(doc_->fonts, charsets);
    HandBytes expected;
    expected.tag("QFCS").u16(24);
    for (int slot = 0; slot < 24; ++slot) expected.u8(slot);
    EXPECT_EQ(charsets.Buffer(), expected.get());
}

// The character sets read back; a count above 24 fails (1863); a short read keeps
// what it read.
TEST_F(FontRecords, CharsetsRead) {
    Feed(HandBytes().u16(25).zeros(25));
    EXPECT_EQ(ReadCharsets(doc_->fonts), file_code::kCharsetCountTooLarge);
    Feed(HandBytes().u16(24).u8(177).u8(178));
    EXPECT_EQ(ReadCharsets(doc_->fonts), 0);
    EXPECT_EQ(V(doc_->fonts[1].charset), 178);
    Feed({});
    EXPECT_EQ(ReadCharsets(doc_->fonts), file_code::kCharsetCount);
}

// clang-format on

}  // namespace
}  // namespace ql
