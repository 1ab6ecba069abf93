// The kernel file services where a name is not an ordinary file: a named pipe is
// refused for reading and writing without waiting for its other end, and the
// unique files and links of a save never take a name that exists, are private to
// their owner and carry the prefix and suffix asked for.
#include "platform/sys/file_io.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/tests/sys/scratch_folder.h"

namespace ql::sys {
namespace {

using testing::ScratchFolder;

// A limit for the child of a death test only: a call that waits forever ends the
// child with SIGALRM instead of hanging the suite.
constexpr unsigned kHangGuardSeconds = 30;

class FileIoTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0); }

    ScratchFolder folder;
    std::string pipe = (folder / "pipe.ql").string();
};

// Nobody at the other end: the open for reading and the create for writing both
// come back at once, refused.
TEST_F(FileIoTest, NamedPipeWithNobodyAtTheOtherEndIsRefusedAtOnce) {
    const std::string path = pipe;
    EXPECT_EXIT(
        {
            ::alarm(kHangGuardSeconds);
            int readError = 0;
            int writeError = 0;
            const bool readRefused = OpenFileForRead(path, FileShare::None, &readError) == kNoFile;
            const bool writeRefused = CreateFileForWrite(path, &writeError) == kNoFile;
            ::_exit(readRefused && readError == kNotRegularFile && writeRefused ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

// With a writer at the other end the open would not wait: a pipe is still no score
// to read, and the reason has a text of its own.
TEST_F(FileIoTest, NamedPipeIsNoFileToRead) {
    const int other = ::open(pipe.c_str(), O_RDWR | O_NONBLOCK);
    ASSERT_GE(other, 0);
    int error = 0;
    EXPECT_EQ(OpenFileForRead(pipe, FileShare::ReadWrite, &error), kNoFile);
    EXPECT_EQ(error, kNotRegularFile);
    EXPECT_EQ(SystemErrorText(kNotRegularFile), "Not a regular file");
    EXPECT_EQ(OpenFileForRead(folder.Path().string(), FileShare::ReadWrite, &error), kNoFile);
    EXPECT_EQ(error, EISDIR);
    ::close(other);
}

// A unique file is new, private and named prefix + six characters + suffix; a
// second one gets another name, and the file that was there is left alone.
TEST_F(FileIoTest, UniqueFilesAreNewAndPrivate) {
    const std::string prefix = (folder / "~0tmpw_").string();
    std::string first;
    std::string second;
    int error = 0;
    const FileDescriptor a = CreateUniqueFile(prefix, ".0ql", &first, &error);
    const FileDescriptor b = CreateUniqueFile(prefix, ".0ql", &second, &error);
    ASSERT_NE(a, kNoFile);
    ASSERT_NE(b, kNoFile);
    EXPECT_NE(first, second);
    EXPECT_EQ(first.size(), prefix.size() + 6 + 4);
    EXPECT_EQ(first.rfind(prefix, 0), 0u);
    EXPECT_TRUE(first.ends_with(".0ql"));
    struct stat status{};
    ASSERT_EQ(::stat(first.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    CloseFile(a, nullptr);
    CloseFile(b, nullptr);

    std::string link;
    ASSERT_EQ(LinkUnderUniqueName(first, prefix, ".0ql", &link), 0);
    EXPECT_NE(link, first);
    EXPECT_NE(link, second);
    EXPECT_TRUE(std::filesystem::equivalent(link, first));
    EXPECT_NE(LinkUnderUniqueName((folder / "gone").string(), prefix, ".0ql", &link), 0);
}

}  // namespace
}  // namespace ql::sys
