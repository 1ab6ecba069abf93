// The byte layer over the shared score file: memory images and files, buffered
// writes, exact reads, positions, the sharing of opens, and the one system-error box
// of a failed write.
#include "files/score_file.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "core/state.h"
#include "core/ui/system_error.h"
#include "files/bytes/file_faults.h"
#include "files/bytes/score_file_handle.h"
#include "platform/sys/folders.h"
#include "platform/ui/headless.h"
#include "platform/win/headless.h"

namespace ql {
namespace {

class ScoreFileBytes : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetProgramState();
        ui::headless::ResetUi();
        win::headless::ResetWindowLayer();
        path_ = (sys::TemporaryFolder() / ("ql_files_test_" + std::to_string(getpid()) + ".ql"))
                    .string();
    }
    void TearDown() override {
        CloseScoreFile();
        TakeScoreImage();
        std::remove(path_.c_str());
        ResetProgramState();
    }

    static std::vector<uint8_t> Pattern(size_t count) {
        std::vector<uint8_t> bytes(count);
        for (size_t i = 0; i < count; ++i) bytes[i] = static_cast<uint8_t>(i * 7 + i / 251);
        return bytes;
    }

    // /dev/full is one device for every test process, and a file opened for writing
    // holds it unshared: another test may have it for a moment. Waits up to two
    // seconds for it to be free.
    static int CreateFullDeviceForWrite() {
        for (int attempt = 0; attempt < 200; ++attempt) {
            if (CreateScoreFileForWrite("/dev/full") == 1) return 1;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return 0;
    }

    std::string path_;
};

// Zero bytes always succeed, even with nothing open; any other count needs a file.
TEST_F(ScoreFileBytes, ZeroBytesSucceedWithoutTouchingTheHandle) {
    uint8_t byte = 0;
    EXPECT_EQ(WriteScoreBytes(&byte, 0), 1);
    EXPECT_EQ(ReadScoreBytes(&byte, 0), 1);
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());
    EXPECT_EQ(ReadScoreBytes(&byte, 1), 0);  // nothing open for reading
}

// An image written in pieces reads back exactly; a read past the end fails, takes
// what there was and leaves the position at the end.
TEST_F(ScoreFileBytes, MemoryImageReadsBackWhatWasWritten) {
    CreateScoreImageForWrite();
    const std::vector<uint8_t> bytes = Pattern(300);
    ASSERT_EQ(WriteScoreBytes(bytes.data(), 100), 1);
    ASSERT_EQ(WriteScoreBytes(bytes.data() + 100, 200), 1);
    CloseScoreFile();
    std::vector<uint8_t> image = TakeScoreImage();
    EXPECT_EQ(image, bytes);
    OpenScoreImageForRead(image);
    std::vector<uint8_t> back(290);
    ASSERT_EQ(ReadScoreBytes(back.data(), 290), 290);
    EXPECT_EQ(ScoreBytesLeft(), 10u);
    uint8_t tail[16] = {};
    EXPECT_EQ(ReadScoreBytes(tail, sizeof tail), 0);  // a short read is a failure
    EXPECT_EQ(TheScoreFile().LastCount(), 10u);
    EXPECT_EQ(ScoreBytesLeft(), 0u);
    EXPECT_EQ(SeekScoreFile(5), 1);
    ASSERT_EQ(ReadScoreBytes(tail, 1), 1);
    EXPECT_EQ(tail[0], bytes[5]);
    EXPECT_EQ(SeekScoreFile(301), 0);  // beyond the end
}

// A file written through the 64 KiB buffer (small pieces and one piece larger than
// the buffer) reads back byte for byte, across the read buffer's edges too.
TEST_F(ScoreFileBytes, FileWritesAreBufferedAndReadBackExactly) {
    const std::vector<uint8_t> bytes = Pattern(3 * kScoreFileBufferBytes + 123);
    ASSERT_EQ(CreateScoreFileForWrite(path_), 1);
    size_t at = 0;
    for (size_t piece = 1000; at + piece <= kScoreFileBufferBytes + 5000; at += piece)
        ASSERT_EQ(WriteScoreBytes(bytes.data() + at, static_cast<uint32_t>(piece)), 1);
    ASSERT_EQ(WriteScoreBytes(bytes.data() + at, static_cast<uint32_t>(bytes.size() - at)), 1);
    CloseScoreFile();
    EXPECT_EQ(std::filesystem::file_size(path_), bytes.size());
    ASSERT_EQ(OpenScoreFileForRead(path_), 1);
    EXPECT_EQ(ScoreBytesLeft(), bytes.size());
    std::vector<uint8_t> back(bytes.size());
    ASSERT_EQ(ReadScoreBytes(back.data(), 17), 17);
    ASSERT_EQ(ReadScoreBytes(back.data() + 17, static_cast<uint32_t>(back.size() - 17)),
              static_cast<int>(back.size() - 17));
    EXPECT_EQ(back, bytes);
    ASSERT_EQ(SeekScoreFile(kScoreFileBufferBytes - 2), 1);
    uint8_t across[4] = {};
    ASSERT_EQ(ReadScoreBytes(across, 4), 4);
    EXPECT_EQ(across[3], bytes[kScoreFileBufferBytes + 1]);
}

// Records put straight into the write buffer and pieces written through Write make
// one stream in their order, across the buffer's edges: room is offered only while
// the buffer has it, and never while a test fault is set or no file is written.
TEST_F(ScoreFileBytes, RecordsPutInPlaceJoinTheWrittenStream) {
    const std::vector<uint8_t> bytes = Pattern(2 * kScoreFileBufferBytes + 777);
    ScoreFile& file = TheScoreFile();
    EXPECT_EQ(file.WriteRoom(1), nullptr) << "nothing open";
    ASSERT_EQ(CreateScoreFileForWrite(path_), 1);
    size_t at = 0;
    int placed = 0;
    for (size_t piece = 29; at < bytes.size(); piece = piece % 61 + 3) {
        const size_t count = std::min(piece, bytes.size() - at);
        if (at % 2 == 0) {
            ASSERT_EQ(WriteScoreBytes(bytes.data() + at, static_cast<uint32_t>(count)), 1);
        } else if (uint8_t* room = file.WriteRoom(count)) {
            std::memcpy(room, bytes.data() + at, count);
            file.Commit(count);
            ++placed;
        } else {
            ASSERT_EQ(WriteScoreBytes(bytes.data() + at, static_cast<uint32_t>(count)), 1) << "the buffer is full";
        }
        at += count;
        ASSERT_EQ(file.Position(), at);
    }
    EXPECT_GT(placed, 1000);
    EXPECT_EQ(file.WriteRoom(kScoreFileBufferBytes + 1), nullptr) << "more than the buffer holds";
    SetFileFaultForTests(FileFault{});
    EXPECT_EQ(file.WriteRoom(1), nullptr) << "a test fault set: every write is counted";
    ResetFileFaultForTests();
    CloseScoreFile();
    ASSERT_EQ(OpenScoreFileForRead(path_), 1);
    std::vector<uint8_t> back(bytes.size());
    ASSERT_EQ(ReadScoreBytes(back.data(), static_cast<uint32_t>(back.size())), static_cast<int>(back.size()));
    EXPECT_EQ(back, bytes);
    EXPECT_EQ(file.WriteRoom(1), nullptr) << "a file being read";
    CloseScoreFile();
    CreateScoreImageForWrite();
    EXPECT_EQ(file.WriteRoom(1), nullptr) << "a memory image";
}

// A write the device refuses shows the system-error box once, with the lead text
// and the system's message; closing the file afterwards shows nothing more.
TEST_F(ScoreFileBytes, FailedWriteShowsTheSystemErrorBoxOnce) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    ASSERT_EQ(CreateFullDeviceForWrite(), 1);
    const std::vector<uint8_t> bytes = Pattern(100);
    ASSERT_EQ(WriteScoreBytes(bytes.data(), 100), 1);  // still in the buffer
    EXPECT_EQ(FlushScoreFile(), 0);
    CloseScoreFile();
    const auto& boxes = ui::headless::MessageBoxes();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].text, std::string(kScoreWriteErrorText) + "\n" + SystemErrorMessage(ENOSPC));
    EXPECT_EQ(boxes[0].caption, "Quaverlinescribe");
}

// A piece larger than the buffer goes to the device at once: its failure is the
// write's own, reported once.
TEST_F(ScoreFileBytes, FailedLargeWriteFailsAtOnce) {
    if (!std::filesystem::exists("/dev/full")) GTEST_SKIP() << "no /dev/full";
    ASSERT_EQ(CreateFullDeviceForWrite(), 1);
    const std::vector<uint8_t> bytes = Pattern(kScoreFileBufferBytes + 1);
    EXPECT_EQ(WriteScoreBytes(bytes.data(), static_cast<uint32_t>(bytes.size())), 0);
    CloseScoreFile();
    EXPECT_EQ(ui::headless::MessageBoxes().size(), 1u);
}

// Opening for reading takes the file unshared: it fails while another open holds it
// in any way; FileExists shares reading and writing, so it fails only against an
// unshared holder. A missing file exists for neither.
TEST_F(ScoreFileBytes, OpensFollowTheSharingOfOtherHolders) {
    ASSERT_EQ(CreateScoreFileForWrite(path_), 1);
    CloseScoreFile();
    EXPECT_EQ(FileExists(path_), 1);
    int other = open(path_.c_str(), O_RDONLY);
    ASSERT_GE(other, 0);
    ASSERT_EQ(flock(other, LOCK_SH), 0);  // another program shares reading and writing
    EXPECT_EQ(OpenScoreFileForRead(path_), 0);
    EXPECT_EQ(FileExists(path_), 1);
    ASSERT_EQ(flock(other, LOCK_EX), 0);  // another program holds it unshared
    EXPECT_EQ(OpenScoreFileForRead(path_), 0);
    EXPECT_EQ(FileExists(path_), 0);
    close(other);
    EXPECT_EQ(OpenScoreFileForRead(path_), 1);
    EXPECT_EQ(FileExists(path_ + ".missing"), 0);
    EXPECT_EQ(OpenScoreFileForRead(path_ + ".missing"), 0);
}

// FileExists never disturbs the shared handle of the file being read.
TEST_F(ScoreFileBytes, FileExistsLeavesTheSharedHandleAlone) {
    OpenScoreImageForRead(Pattern(8));
    ASSERT_EQ(CreateScoreFileForWrite(path_), 1);  // replaces the image
    CloseScoreFile();
    OpenScoreImageForRead(Pattern(8));
    EXPECT_EQ(FileExists(path_), 1);
    uint8_t bytes[8] = {};
    EXPECT_EQ(ReadScoreBytes(bytes, 8), 8);
}

// The system's message of an error number, or "Error %ld" when it has none.
TEST(SystemErrorText, FallsBackToTheErrorNumber) {
    EXPECT_EQ(SystemErrorMessage(ENOSPC), "No space left on device");
    EXPECT_EQ(SystemErrorMessage(0), "Error 0");
}

}  // namespace
}  // namespace ql
