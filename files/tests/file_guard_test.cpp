// The one-open guard of a score file: the lock a document keeps while its file is open,
// and the notice when another process holds the file (that process is a forked child).
#include "files/file_guard.h"

#include <gtest/gtest.h>

#include "core/model/score_document.h"
#include "platform/sys/file_lock.h"
#include "platform/tests/sys/locking_child.h"
#include "platform/ui/headless.h"
#include "platform/ui/message_box.h"
#include "shell/tests/settings_fixture.h"

namespace ql {
namespace {

class FileGuardTest : public testing::SettingsFixture {
  protected:
    void SetUp() override {
        SettingsFixture::SetUp();
        score = (scratch / "score.ql").string();
        testing::WriteFileBytes(score, "score");
    }
    std::string score;
};

// A free file gives a lock for the document to keep; while it is kept the file is
// refused elsewhere, and closing the descriptor (as destroying the document does)
// frees it.
TEST_F(FileGuardTest, FreeFileGivesTheDocumentItsLock) {
    ScoreDocument document;
    const ScoreFileGuard guard = CheckFileOpenElsewhere(score);
    EXPECT_FALSE(guard.openElsewhere);
    ASSERT_GE(guard.lock, 0);
    document.fileLock = guard.lock;
    {
        testing::LockingChild other(score);
        EXPECT_EQ(other.Status(), sys::FileLockStatus::HeldElsewhere);
    }
    sys::ReleaseFileLock(document.fileLock);
    testing::LockingChild other(score);
    EXPECT_EQ(other.Status(), sys::FileLockStatus::Held);
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());
}

// A file another process holds is refused with the notice, in an information box with
// the product's caption.
TEST_F(FileGuardTest, FileHeldElsewhereIsRefusedWithANotice) {
    testing::LockingChild holder(score);
    ASSERT_EQ(holder.Status(), sys::FileLockStatus::Held);
    const ScoreFileGuard guard = CheckFileOpenElsewhere(score);
    EXPECT_TRUE(guard.openElsewhere);
    EXPECT_EQ(guard.lock, -1);
    ASSERT_EQ(ui::headless::MessageBoxes().size(), 1u);
    const ui::headless::MessageBoxRecord& box = ui::headless::MessageBoxes()[0];
    // 'File "%s" %s' with a text that starts with its own space, as the program words it.
    EXPECT_EQ(box.text, "File \"" + score + "\"  is already open in another process.");
    EXPECT_EQ(box.caption, "Quaverlinescribe");
    EXPECT_EQ(box.style & ui::kBoxIconMask, ui::kBoxIconInformation);
}

// A file whose lock cannot be made opens unguarded, without a notice.
TEST_F(FileGuardTest, NoLockOpensUnguarded) {
    const ScoreFileGuard guard = CheckFileOpenElsewhere((scratch / "no-folder" / "x.ql").string());
    EXPECT_FALSE(guard.openElsewhere);
    EXPECT_EQ(guard.lock, -1);
    EXPECT_TRUE(ui::headless::MessageBoxes().empty());
}

}  // namespace
}  // namespace ql
