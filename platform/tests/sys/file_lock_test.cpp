// File locks between processes: a forked child takes a score's lock and holds it until
// told to exit or killed; the test process is refused the same file meanwhile, also
// reached through a symbolic link or a relative path, and gets it once the child is
// gone. Locks live in a runtime folder of the test's own.
#include "platform/sys/file_lock.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "platform/sys/folders.h"
#include "platform/tests/sys/locking_child.h"
#include "platform/tests/sys/scratch_folder.h"

namespace ql::sys {
namespace {

using testing::LockingChild;
using testing::ScratchFolder;
using testing::WriteFileBytes;

class FileLockTest : public ::testing::Test {
  protected:
    void SetUp() override {
        SetLockFolder(folder / "locks");
        score = folder / "score.ql";
        WriteFileBytes(score, "score");
    }
    void TearDown() override { SetLockFolder({}); }

    FileLockStatus TryHere(const std::filesystem::path& path) {
        FileLock lock = LockFileForEditing(path);
        const FileLockStatus status = lock.status;
        ReleaseFileLock(lock.descriptor);
        return status;
    }

    ScratchFolder folder;
    std::filesystem::path score;
};

// While the child holds the file this process is refused; after the child exits
// the lock is granted.
TEST_F(FileLockTest, SecondProcessWaitsForTheFirstToExit) {
    LockingChild child(score);
    ASSERT_EQ(child.Status(), FileLockStatus::Held);
    EXPECT_EQ(TryHere(score), FileLockStatus::HeldElsewhere);
    child.Exit();
    EXPECT_EQ(TryHere(score), FileLockStatus::Held);
}

// A killed holder gives its lock back through the kernel.
TEST_F(FileLockTest, KilledHolderReleasesTheLock) {
    LockingChild child(score);
    ASSERT_EQ(child.Status(), FileLockStatus::Held);
    EXPECT_EQ(TryHere(score), FileLockStatus::HeldElsewhere);
    child.Kill();
    EXPECT_EQ(TryHere(score), FileLockStatus::Held);
}

// The same file through a symbolic link (to the file or to its folder) and through a
// relative path names the same lock.
TEST_F(FileLockTest, LinksAndRelativePathsNameTheSameLock) {
    const std::filesystem::path fileLink = folder / "link.ql";
    const std::filesystem::path folderLink = folder / "folder-link";
    std::filesystem::create_symlink(score, fileLink);
    std::filesystem::create_directory_symlink(folder.Path(), folderLink);
    {
        LockingChild child(fileLink);
        ASSERT_EQ(child.Status(), FileLockStatus::Held);
        EXPECT_EQ(TryHere(score), FileLockStatus::HeldElsewhere);
        EXPECT_EQ(TryHere(folderLink / "score.ql"), FileLockStatus::HeldElsewhere);
    }
    {
        LockingChild child("score.ql", folder.Path());
        ASSERT_EQ(child.Status(), FileLockStatus::Held);
        EXPECT_EQ(TryHere(score), FileLockStatus::HeldElsewhere);
        EXPECT_EQ(TryHere(folder / "." / "score.ql"), FileLockStatus::HeldElsewhere);
    }
    EXPECT_EQ(TryHere(fileLink), FileLockStatus::Held);
}

// A file saved for the first time is named by its folder's real path and its name,
// which is the name it has once it exists; a name in other letter case is another file.
TEST_F(FileLockTest, NewFilesAndLetterCase) {
    const std::filesystem::path fresh = folder / "new.ql";
    LockingChild child(fresh);
    ASSERT_EQ(child.Status(), FileLockStatus::Held);
    WriteFileBytes(fresh, "now it exists");
    EXPECT_EQ(TryHere(fresh), FileLockStatus::HeldElsewhere);
    EXPECT_EQ(TryHere(folder / "NEW.ql"), FileLockStatus::Held);
}

// Within one process a second take is refused too (the program checks its own windows
// first); releasing gives it back, and the lock file is never removed.
TEST_F(FileLockTest, ReleaseGivesTheLockBack) {
    FileLock first = LockFileForEditing(score);
    ASSERT_EQ(first.status, FileLockStatus::Held);
    EXPECT_GE(first.descriptor, 0);
    FileLock second = LockFileForEditing(score);
    EXPECT_EQ(second.status, FileLockStatus::HeldElsewhere);
    EXPECT_EQ(second.descriptor, -1);
    ReleaseFileLock(first.descriptor);
    EXPECT_EQ(first.descriptor, -1);
    ReleaseFileLock(first.descriptor);  // nothing for -1
    EXPECT_EQ(TryHere(score), FileLockStatus::Held);
    EXPECT_TRUE(std::filesystem::exists(LockFilePath(score)));
}

// When no lock can be made (no lock folder, a path that does not resolve) the file
// is unguarded.
TEST_F(FileLockTest, NoLockMeansUnguarded) {
    EXPECT_EQ(TryHere(folder / "missing-folder" / "x.ql"), FileLockStatus::Unguarded);
    WriteFileBytes(folder / "plain-file", "");
    SetLockFolder(folder / "plain-file" / "locks");
    FileLock lock = LockFileForEditing(score);
    EXPECT_EQ(lock.status, FileLockStatus::Unguarded);
    EXPECT_EQ(lock.descriptor, -1);
}

// Without a runtime folder of the test's own the locks go to $XDG_RUNTIME_DIR; a
// relative one is ignored and the locks go to the temporary folder.
TEST_F(FileLockTest, DefaultFolderIsUnderTheRuntimeFolder) {
    SetLockFolder({});
    {
        testing::ScopedEnvironment runtime("XDG_RUNTIME_DIR", folder.Path().string());
        EXPECT_EQ(LockFolder(), folder / "quaverline-locks");
        EXPECT_EQ(LockFilePath(score).parent_path(), folder / "quaverline-locks");
    }
    testing::ScopedEnvironment relative("XDG_RUNTIME_DIR", "relative/run");
    EXPECT_EQ(LockFolder(), TemporaryFolder() / ("quaverline-locks-" + std::to_string(::getuid())));
}

}  // namespace
}  // namespace ql::sys
