// Reading a score file: one read whole at its first read and one above the
// whole-read limit, buffered 64 KiB at a time, give the bytes a memory image of the
// same file gives, call for call; a fault fails the one read of the device, and a
// file cut short after it was opened reads what it still holds.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "core/state.h"
#include "files/bytes/file_faults.h"
#include "files/bytes/score_file_handle.h"
#include "platform/sys/folders.h"

namespace ql {
namespace {

using ByteVec = std::vector<uint8_t>;

constexpr uint32_t kSeed = 0x5C0F11E;
constexpr int kSteps = 3000;

class FileReads : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ResetFileFaultForTests();
        path_ = (sys::TemporaryFolder() / ("ql_file_reads_" + std::to_string(getpid()) + ".ql"))
                    .string();
    }
    void TearDown() override {
        ResetFileFaultForTests();
        std::filesystem::remove(path_);
    }
    void Put(const ByteVec& bytes) const {
        std::ofstream(path_, std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    static ByteVec RandomBytes(size_t count, std::mt19937& random) {
        ByteVec bytes(count);
        for (uint8_t& byte : bytes) byte = static_cast<uint8_t>(random());
        return bytes;
    }

    std::string path_;
};

// What one call gave: its result, the bytes it read, and the position after it.
struct Step {
    bool ok = false;
    ByteVec bytes;
    uint64_t position = 0;
    bool operator==(const Step&) const = default;
};

// One call of kind `kind` with `count` (or a position) on `file`.
Step Call(ScoreFile& file, uint32_t kind, size_t count) {
    Step step;
    switch (kind) {
        case 0: {  // a copying read
            step.bytes.resize(count);
            step.ok = file.Read(step.bytes.data(), count);
            if (!step.ok) step.bytes.clear();  // what a failed read leaves is not promised
            break;
        }
        case 1: {  // a borrow
            const uint8_t* at = file.Borrow(count);
            step.ok = at != nullptr;
            if (step.ok) step.bytes.assign(at, at + count);
            break;
        }
        case 2:  // a seek
            step.ok = file.Seek(count);
            break;
        default: {  // the bytes ahead that are in memory, passed
            size_t ahead = 0;
            const uint8_t* at = file.Ahead(count, &ahead);
            step.ok = at != nullptr;
            if (step.ok) {
                step.bytes.assign(at, at + ahead);
                file.Pass(ahead);
            }
            break;
        }
    }
    step.position = file.Position();
    return step;
}

// The same calls on the file read whole, the file buffered and its image: every
// read, borrow and seek agrees; what is in memory ahead is the image's next bytes.
TEST_F(FileReads, WholeAndBufferedReadsGiveTheImagesBytes) {
    std::mt19937 random(kSeed);
    const ByteVec bytes = RandomBytes(3 * kScoreFileBufferBytes + 321, random);
    Put(bytes);
    ScoreFile whole;
    ScoreFile buffered(0);
    ScoreFile image;
    ASSERT_TRUE(whole.OpenFile(path_, sys::FileShare::ReadWrite));
    ASSERT_TRUE(buffered.OpenFile(path_, sys::FileShare::ReadWrite));
    image.OpenImage(bytes);
    const size_t sizes[] = {
        1, 2, 4, 28, 1000, kScoreFileBufferBytes - 1, kScoreFileBufferBytes + 7};
    for (int n = 0; n < kSteps; ++n) {
        uint32_t kind = random() % 4;
        size_t count =
            kind == 2 ? random() % (bytes.size() + 2) : sizes[random() % std::size(sizes)];
        const Step fromImage = Call(image, kind == 3 ? 1 : kind, count);
        const Step fromWhole = Call(whole, kind == 3 ? 1 : kind, count);
        const Step fromBuffer = Call(buffered, kind == 3 ? 1 : kind, count);
        ASSERT_EQ(fromWhole, fromImage) << "seed " << kSeed << ", step " << n;
        ASSERT_EQ(fromBuffer, fromImage) << "seed " << kSeed << ", step " << n;
        ASSERT_EQ(whole.Remaining(), image.Remaining());
        if (kind == 3) {
            // Ahead shows a prefix of what follows, never more than asked.
            ASSERT_TRUE(whole.Seek(image.Position()));
            const Step ahead = Call(whole, 3, count);
            const uint64_t from = ahead.position - ahead.bytes.size();
            ASSERT_LE(ahead.bytes.size(), count);
            ASSERT_EQ(ahead.bytes,
                      ByteVec(bytes.begin() + static_cast<std::ptrdiff_t>(from),
                              bytes.begin() + static_cast<std::ptrdiff_t>(ahead.position)));
            ASSERT_EQ(ahead.bytes.size(), std::min<uint64_t>(count, bytes.size() - from))
                << "read whole";
            ASSERT_TRUE(whole.Seek(image.Position()));
        }
    }
    whole.Close();
    buffered.Close();
}

// A file read whole is one read of the device: a fault set for it fails that read
// (with its error number) and nothing else; the next read reads the file.
TEST_F(FileReads, AFaultFailsTheOneReadOfTheDevice) {
    std::mt19937 random(kSeed + 1);
    const ByteVec bytes = RandomBytes(5000, random);
    Put(bytes);
    ScoreFile file;
    ASSERT_TRUE(file.OpenFile(path_, sys::FileShare::None));
    SetFileFaultForTests(FileFault{FileStep::Read, 1, EIO, {}});
    EXPECT_EQ(file.Borrow(10), nullptr);
    EXPECT_EQ(file.LastError(), EIO);
    EXPECT_EQ(file.Position(), 0u);
    for (size_t at = 0; at + 10 <= bytes.size(); at += 10) {
        const uint8_t* got = file.Borrow(10);
        ASSERT_NE(got, nullptr) << at;
        ASSERT_EQ(ByteVec(got, got + 10),
                  ByteVec(bytes.begin() + static_cast<std::ptrdiff_t>(at),
                          bytes.begin() + static_cast<std::ptrdiff_t>(at + 10)));
    }
    EXPECT_EQ(FileStepCalls(FileStep::Read), 2) << "the failed read and the one that read the file";
    file.Close();
}

// A file cut short after it was opened: what it still holds reads, a read past it
// fails, for the file read whole and the file buffered alike.
TEST_F(FileReads, AFileCutShortAfterTheOpenReadsWhatItHolds) {
    std::mt19937 random(kSeed + 2);
    const ByteVec bytes = RandomBytes(2 * kScoreFileBufferBytes + 10, random);
    for (uint64_t limit : {kWholeScoreFileReadLimit, uint64_t{0}}) {
        Put(bytes);
        ScoreFile file(limit);
        ASSERT_TRUE(file.OpenFile(path_, sys::FileShare::None));
        std::filesystem::resize_file(path_, kScoreFileBufferBytes + 100);
        EXPECT_EQ(file.Remaining(), bytes.size()) << "the size at the open";
        ByteVec head(kScoreFileBufferBytes + 100);
        ASSERT_TRUE(file.Read(head.data(), head.size())) << limit;
        EXPECT_EQ(head,
                  ByteVec(bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(head.size())));
        EXPECT_EQ(file.Borrow(1), nullptr) << limit;
        uint8_t byte = 0;
        EXPECT_FALSE(file.Read(&byte, 1)) << limit;
        file.Close();
    }
}

}  // namespace
}  // namespace ql
