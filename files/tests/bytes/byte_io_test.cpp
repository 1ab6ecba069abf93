// The little-endian writer and reader: byte order, fixed-width records whose
// unwritten bytes show the scratch fill, text fields with zeros after the NUL, and
// reads that stop at the end of their bytes.
#include <gtest/gtest.h>

#include <vector>

#include "files/bytes/byte_reader.h"
#include "files/bytes/byte_writer.h"
#include "files/bytes/byte_writer_test_seam.h"

namespace ql {
namespace {

// Words are little-endian, signed values in two's complement.
TEST(ByteWriter, WritesLittleEndian) {
    ByteWriter writer;
    writer.U16(0x1234);
    writer.U32(0xA1B2C3D4);
    writer.I16(-2);
    writer.Tag("STIK");
    std::vector<uint8_t> expected = {0x34, 0x12, 0xD4, 0xC3, 0xB2, 0xA1,
                                     0xFE, 0xFF, 'S',  'T',  'I',  'K'};
    EXPECT_EQ(writer.Buffer(), expected);
}

// A field an encoder never writes keeps the scratch fill (0xA5 under the seam); text
// fields end in zeros whatever memory held after the NUL.
TEST(ByteWriter, FixedRecordsShowUnwrittenBytesAndZeroAfterTheText) {
    SetScratchFillForTests(0xA5);
    ByteWriter writer;
    FixedRecord record(writer, 8);
    record.U16(0, 0x0102);
    const char stale[5] = {'a', 'b', '\0', 'x', 'y'};
    record.Text(3, stale, 5);
    SetScratchFillForTests(0);
    std::vector<uint8_t> expected = {0x02, 0x01, 0xA5, 'a', 'b', 0, 0, 0};
    EXPECT_EQ(writer.Buffer(), expected);
}

// A text filling its whole field is copied as it stands (no terminator added).
TEST(ByteWriter, FullWidthTextIsCopiedAsItStands) {
    ByteWriter writer;
    FixedRecord record(writer, 4);
    const char full[4] = {'w', 'x', 'y', 'z'};
    record.Text(0, full, 4);
    EXPECT_EQ(writer.Buffer(), (std::vector<uint8_t>{'w', 'x', 'y', 'z'}));
}

// A read past the end gives 0, consumes nothing and marks the reader failed; the
// text reader forces the field's last byte to NUL.
TEST(ByteReader, StopsAtTheEndOfItsBytes) {
    const uint8_t bytes[] = {0xFE, 0xFF, 0x07, 'h', 'i', '!'};
    ByteReader reader(bytes, sizeof bytes);
    EXPECT_EQ(reader.I16(), -2);
    EXPECT_EQ(reader.U8(), 7);
    EXPECT_EQ(reader.U32(), 0u);  // three bytes left
    EXPECT_FALSE(reader.Ok());
    EXPECT_EQ(reader.Position(), 3u);
    EXPECT_EQ(reader.U8(), 0);  // a failed reader reads nothing more
    ByteReader texts(bytes + 3, 3);
    char text[3] = {'?', '?', '?'};
    texts.Text(text, 3);
    EXPECT_STREQ(text, "hi");
    EXPECT_TRUE(texts.Ok());
}

}  // namespace
}  // namespace ql
