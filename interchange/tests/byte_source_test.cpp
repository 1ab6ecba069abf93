// The byte source: short reads copied from the buffer in place, and reads and
// single bytes that run over the end of the file's buffer into the next fill.
#include "interchange/byte_source.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

namespace ql {
namespace {

// Bytes that differ from their neighbours, so a byte read from the wrong place shows.
std::vector<uint8_t> Pattern(size_t count) {
    std::vector<uint8_t> bytes(count);
    for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>((i * 7 + i / 251) & 0xFF);
    return bytes;
}

class FileByteSource : public ::testing::Test {
  protected:
    void SetUp() override {
        path_ = ::testing::TempDir() + "byte_source_" + std::to_string(getpid()) + ".bin";
        bytes_ = Pattern(3 * ByteSource::kBufferBytes + 5);
        std::ofstream(path_, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes_.data()), static_cast<std::streamsize>(bytes_.size()));
    }
    void TearDown() override { std::remove(path_.c_str()); }
    std::unique_ptr<ByteSource> Open() const {
        int error = 0;
        const sys::FileDescriptor file = sys::OpenFileForRead(path_, sys::FileShare::ReadWrite, &error);
        return file == sys::kNoFile ? nullptr : ByteSource::FromFile(file);
    }

    std::string path_;
    std::vector<uint8_t> bytes_;
};

// Field widths of 1 to 8 bytes in turn cross every fill boundary at some offset.
TEST_F(FileByteSource, ShortReadsOfEveryWidthMatchTheFileAcrossFills) {
    auto source = Open();
    ASSERT_NE(source, nullptr);
    std::vector<uint8_t> read;
    for (size_t width = 1; read.size() < bytes_.size(); width = width % 8 + 1) {
        uint8_t field[8] = {};
        const size_t got = source->Read(field, width);
        read.insert(read.end(), field, field + got);
        if (got < width) break;
        if (width == 3) {  // a single byte between the fields
            const int byte = source->ReadByte();
            if (byte < 0) break;
            read.push_back(static_cast<uint8_t>(byte));
        }
    }
    EXPECT_EQ(read, bytes_);
    EXPECT_EQ(source->ReadByte(), -1);
    uint8_t more[4];
    EXPECT_EQ(source->Read(more, sizeof more), 0u);
}

TEST_F(FileByteSource, ShortReadsAfterASeekComeFromTheNewPosition) {
    auto source = Open();
    ASSERT_NE(source, nullptr);
    const uint64_t at = ByteSource::kBufferBytes * 2 - 3;
    ASSERT_TRUE(source->Seek(at));
    uint8_t field[8];
    ASSERT_EQ(source->Read(field, 8), 8u);
    EXPECT_TRUE(std::equal(field, field + 8, bytes_.begin() + static_cast<std::ptrdiff_t>(at)));
    ASSERT_TRUE(source->Seek(1));
    ASSERT_EQ(source->Read(field, 2), 2u);
    EXPECT_EQ(field[0], bytes_[1]);
    EXPECT_EQ(field[1], bytes_[2]);
    EXPECT_EQ(source->Position(), 3u);
}

// The buffered bytes run from the position to the end of the fill; moving past
// some of them moves the position, and the next read after them refills.
TEST_F(FileByteSource, BufferedBytesFollowThePositionToTheEndOfTheFill) {
    auto source = Open();
    ASSERT_NE(source, nullptr);
    EXPECT_TRUE(source->Buffered().empty());  // nothing read yet
    uint8_t field[2];
    ASSERT_EQ(source->Read(field, 2), 2u);
    std::span<const uint8_t> buffered = source->Buffered();
    ASSERT_EQ(buffered.size(), ByteSource::kBufferBytes - 2);
    EXPECT_TRUE(std::equal(buffered.begin(), buffered.end(), bytes_.begin() + 2));
    source->Advance(buffered.size() - 1);
    EXPECT_EQ(source->Position(), ByteSource::kBufferBytes - 1);
    ASSERT_EQ(source->Buffered().size(), 1u);
    EXPECT_EQ(source->Buffered()[0], bytes_[ByteSource::kBufferBytes - 1]);
    ASSERT_EQ(source->Read(field, 2), 2u);
    EXPECT_EQ(field[0], bytes_[ByteSource::kBufferBytes - 1]);
    EXPECT_EQ(field[1], bytes_[ByteSource::kBufferBytes]);
    EXPECT_EQ(source->Buffered().size(), ByteSource::kBufferBytes - 1);
}

// Widened after a first fill: the bytes held stay, the next fill takes the wider
// run, and reads, seeks back into it and past it still give the file's bytes.
TEST_F(FileByteSource, AWidenedBufferKeepsWhatItHoldsAndFillsWider) {
    auto source = Open();
    ASSERT_NE(source, nullptr);
    uint8_t field[8];
    ASSERT_EQ(source->Read(field, 3), 3u);
    source->WidenBuffer(2 * ByteSource::kBufferBytes);
    ASSERT_EQ(source->Buffered().size(), ByteSource::kBufferBytes - 3);
    EXPECT_TRUE(std::equal(source->Buffered().begin(), source->Buffered().end(), bytes_.begin() + 3));
    source->Advance(source->Buffered().size());
    ASSERT_EQ(source->Read(field, 1), 1u);
    EXPECT_EQ(field[0], bytes_[ByteSource::kBufferBytes]);
    EXPECT_EQ(source->Buffered().size(), 2 * ByteSource::kBufferBytes - 1);
    ASSERT_TRUE(source->Seek(ByteSource::kBufferBytes * 3 - 2));  // inside the wide fill
    ASSERT_EQ(source->Read(field, 4), 4u);
    EXPECT_TRUE(std::equal(field, field + 4, bytes_.begin() + ByteSource::kBufferBytes * 3 - 2));
    ASSERT_TRUE(source->Seek(5));  // before it: filled again from there
    std::vector<uint8_t> rest(bytes_.size());
    EXPECT_EQ(source->Read(rest.data(), rest.size()), bytes_.size() - 5);
    rest.resize(bytes_.size() - 5);
    EXPECT_TRUE(std::equal(rest.begin(), rest.end(), bytes_.begin() + 5));
    // Never narrower than it is.
    source->WidenBuffer(16);
    ASSERT_TRUE(source->Seek(0));
    ASSERT_EQ(source->Read(field, 1), 1u);
    EXPECT_EQ(source->Buffered().size(), 2 * ByteSource::kBufferBytes - 1);
}

TEST(MemoryByteSource, ShortReadStopsAtTheEnd) {
    const std::vector<uint8_t> bytes = Pattern(5);
    auto source = ByteSource::FromMemory(bytes);
    uint8_t field[8] = {};
    EXPECT_EQ(source->Read(field, 4), 4u);
    EXPECT_EQ(source->Read(field, 4), 1u);
    EXPECT_EQ(field[0], bytes[4]);
    EXPECT_EQ(source->ReadByte(), -1);
}

}  // namespace
}  // namespace ql
