// Saving a document: the same bytes on every save, backups, failures that leave the
// document's file and its backups as they were, a linked document path, autosave
// and the emergency copy through their callers, and the stop when an internal error
// is reported while a save runs.
#include <gtest/gtest.h>

#include <unistd.h>  // symlink

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "core/error_report.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/settings/program_options.h"
#include "core/state.h"
#include "core/undo/autosave.h"
#include "files/bytes/byte_writer_test_seam.h"
#include "files/bytes/file_faults.h"
#include "files/score_file.h"
#include "files/tests/save/save_fixture.h"
#include "files/tests/stream/stream_layout.h"
#include "layout/page_format.h"
#include "platform/tests/sys/scratch_folder.h"

namespace ql {
namespace {

using testing_files::kPageCountAt;

using testing_files::SaveTest;
using testing_files::V;

FileFault Fault(FileStep step, int nth = 1, int error = EIO) {
    FileFault fault;
    fault.step = step;
    fault.nth = nth;
    fault.error = error;
    return fault;
}

constexpr uint8_t kStale = 0xA5;

// Fills the slots no record has taken yet in every block of the document's pools,
// so that a byte the writer took from unused memory would differ between saves.
void FillFreshSlots(ScoreDocument* doc) {
    for (int pool = 2; pool < kDocumentPoolCount; ++pool) {
        RecordPool& descriptor = doc->pools.pools[pool];
        for (int block = 0; block < descriptor.blockCount; ++block) {
            PoolBlock& entry = descriptor.blocks[block];
            if (!entry.base || entry.nextFresh >= entry.capacity) continue;
            size_t slot = size_t{1} << descriptor.shift;
            std::memset(entry.base.get() + entry.nextFresh * slot, kStale,
                        (entry.capacity - entry.nextFresh) * slot);
        }
    }
}

class ScoreSave : public SaveTest {
  protected:
    // Takes the scratch file a failed save kept (named "~0tmpw_" and six characters
    // of its own) out of `files` and off the disk; whether there was exactly one.
    bool TakeKeptScratch(std::map<std::string, std::vector<uint8_t>>& files) const {
        int kept = 0;
        for (auto at = files.begin(); at != files.end();) {
            if (at->first.rfind("~0tmpw_", 0) != 0) {
                ++at;
                continue;
            }
            ++kept;
            std::filesystem::remove(PathOf(at->first));
            at = files.erase(at);
        }
        return kept == 1;
    }
    // Every file of the folder with its bytes.
    std::map<std::string, std::vector<uint8_t>> Folder() const {
        std::map<std::string, std::vector<uint8_t>> files;
        for (const auto& entry : std::filesystem::directory_iterator(folder_))
            files[entry.path().filename().string()] = Bytes(entry.path().string());
        return files;
    }
    // A first save, then two more with a different tempo, so that the document's
    // file and ".BAK" exist and differ from the next save.
    void SaveHistory() {
        for (uint16_t tempo : {100, 110, 120}) {
            doc_->header.tempo = tempo;
            ASSERT_EQ(SaveScoreFile(doc_, view_), 1) << LastBox();
        }
        doc_->header.tempo = 130;
        doc_->changeCounter = 5;
    }
};

// One document saved twice to its path and once elsewhere gives the same bytes,
// with the fresh pool slots and the encoders' scratch filled with 0xA5.
TEST_F(ScoreSave, SameBytesOnEverySave) {
    FillFreshSlots(doc_);
    SetScratchFillForTests(kStale);
    BuildSmallScore(2, 3);
    ASSERT_EQ(SaveScoreFile(doc_, view_), 1) << LastBox();
    std::vector<uint8_t> first = Bytes(doc_->path);
    ASSERT_FALSE(first.empty());
    ASSERT_EQ(SaveScoreFile(doc_, view_), 1);
    EXPECT_EQ(Bytes(doc_->path), first);
    doc_->path = PathOf("other.ql");
    ASSERT_EQ(SaveScoreFile(doc_, view_), 1);
    EXPECT_EQ(Bytes(doc_->path), first);
    EXPECT_EQ(VerifyFile(doc_->path), 0);
}

// A normal save clears the modified mark, leaves no temporary file and makes no
// ".BAK" the first time (there is nothing to keep).
TEST_F(ScoreSave, FirstSaveClearsTheMarkAndKeepsNoBackup) {
    BuildSmallScore();
    doc_->changeCounter = 3;
    ASSERT_EQ(SaveScoreFile(doc_, view_), 1) << LastBox();
    EXPECT_EQ(V(doc_->changeCounter), 0);
    EXPECT_EQ(Folder().size(), 1u) << "only the document's file";
    EXPECT_EQ(Boxes(), 0u);
}

// With "BackupCopies" 3, four saves leave the three previous versions in ".BAK",
// ".BA2" and ".BA3", the oldest under 3; with 1 only ".BAK" exists.
TEST_F(ScoreSave, NumberedBackups) {
    BuildSmallScore();
    Options().BackupCopies = 3;
    std::vector<std::vector<uint8_t>> versions;
    for (uint16_t tempo : {100, 110, 120, 130}) {
        doc_->header.tempo = tempo;
        ASSERT_EQ(SaveScoreFile(doc_, view_), 1) << LastBox();
        versions.push_back(Bytes(doc_->path));
    }
    EXPECT_EQ(Bytes(PathOf("score.BAK")), versions[2]);
    EXPECT_EQ(Bytes(PathOf("score.BA2")), versions[1]);
    EXPECT_EQ(Bytes(PathOf("score.BA3")), versions[0]);
    EXPECT_EQ(Folder().size(), 4u);
    Options().BackupCopies = 1;
    doc_->path = PathOf("solo");  // no extension: backups after the whole path
    for (int i = 0; i < 3; ++i) ASSERT_EQ(SaveScoreFile(doc_, view_), 1);
    EXPECT_TRUE(Exists(PathOf("solo.BAK")));
    EXPECT_FALSE(Exists(PathOf("solo.BA2")));
}

// A document path that is a symbolic link stays a link to the new file; the
// backups lie beside the file it names.
TEST_F(ScoreSave, LinkedDocumentPathStaysALink) {
    BuildSmallScore();
    std::filesystem::create_directory(PathOf("real"));
    doc_->path = PathOf("real/score.ql");
    ASSERT_EQ(SaveScoreFile(doc_, view_), 1);
    ASSERT_EQ(symlink(PathOf("real/score.ql").c_str(), PathOf("link.ql").c_str()), 0);
    doc_->path = PathOf("link.ql");
    doc_->header.tempo = 77;
    ASSERT_EQ(SaveScoreFile(doc_, view_), 1) << LastBox();
    EXPECT_TRUE(std::filesystem::is_symlink(PathOf("link.ql")));
    EXPECT_EQ(Bytes(PathOf("link.ql")), Bytes(PathOf("real/score.ql")));
    EXPECT_TRUE(Exists(PathOf("real/score.BAK")));
    EXPECT_EQ(VerifyFile(PathOf("link.ql")), 0);
}

// A write that fails at any point of the stream: the save returns failure, shows
// exactly one box, keeps the temporary file for inspection, leaves the document's
// file and its backups byte for byte as they were and the counter as found.
TEST_F(ScoreSave, FailingWriteAtEveryPoint) {
    BuildSmallScore(2, 2);
    SaveHistory();
    const auto before = Folder();
    // The writes of one save (the buffer is flushed once, at the end).
    SetFileFaultForTests(Fault(FileStep::None));
    doc_->path = PathOf("probe.ql");
    ASSERT_EQ(SaveScoreFile(doc_, view_), 1);
    const int writes = FileStepCalls(FileStep::Write);
    std::filesystem::remove(PathOf("probe.ql"));
    doc_->path = PathOf("score.ql");
    doc_->changeCounter = 5;
    ASSERT_GT(writes, 20);
    for (int n = 1; n <= writes; ++n) {
        size_t boxes = Boxes();
        SetFileFaultForTests(Fault(FileStep::Write, n, ENOSPC));
        ASSERT_EQ(SaveScoreFile(doc_, view_), 0) << "write " << n;
        EXPECT_EQ(Boxes(), boxes + 1) << "write " << n;
        EXPECT_EQ(V(doc_->changeCounter), 5) << "write " << n;
        auto after = Folder();
        EXPECT_TRUE(TakeKeptScratch(after)) << "write " << n;
        ASSERT_EQ(after, before) << "write " << n;
    }
}

// The failures after the stream: the buffer's last write, the fsync, the read of
// verification, the link that keeps ".BAK" and the rename over the document.
// Each shows one box naming the problem, keeps the temporary file for inspection
// and leaves the document's file and its backups as they were.
TEST_F(ScoreSave, FailuresAfterTheStream) {
    BuildSmallScore();
    SaveHistory();
    const auto before = Folder();
    struct Case {
        FileStep step;
        int error;
        const char* box;  // the start of the box shown
    };
    const Case cases[] = {
        {FileStep::Flush, ENOSPC, kScoreWriteErrorText},      // disk full at the last write
        {FileStep::Sync, EIO, kScoreWriteErrorText},          // fsync fails
        {FileStep::Read, EIO, "Unable to verify the saved file"},  // verification
        {FileStep::Link, EMLINK + 1000, "Unable to rename file"},  // ".BAK" cannot be made
        {FileStep::Rename, EXDEV, "Unable to rename file"},        // the final rename
    };
    for (const Case& c : cases) {
        size_t boxes = Boxes();
        SetFileFaultForTests(Fault(c.step, 1, c.error));
        EXPECT_EQ(SaveScoreFile(doc_, view_), 0) << int(c.step);
        ASSERT_EQ(Boxes(), boxes + 1) << int(c.step);
        EXPECT_EQ(LastBox().rfind(c.box, 0), 0u) << LastBox();
        EXPECT_EQ(V(doc_->changeCounter), 5);
        auto after = Folder();
        EXPECT_TRUE(TakeKeptScratch(after)) << "kept for inspection: " << int(c.step);
        EXPECT_EQ(after, before) << int(c.step);
    }
    ResetFileFaultForTests();
    ASSERT_EQ(SaveScoreFile(doc_, view_), 1) << "a later save still works";
}

// An internal error reported while the save runs stops it with 2990: the target
// is untouched, one box gives the code, the counter is as found.
TEST_F(ScoreSave, InternalErrorDuringTheSaveStopsIt) {
    BuildSmallScore();
    SaveHistory();
    const auto before = Folder();
    FileFault fault = Fault(FileStep::Write, 5, 0);
    fault.action = [] { InternalError("TEST", 1, 0); };
    SetFileFaultForTests(fault);
    EXPECT_EQ(SaveScoreFile(doc_, view_), 0);
    EXPECT_EQ(LastBox(), "write error code 2990");
    EXPECT_EQ(V(doc_->changeCounter), 5);
    auto after = Folder();
    EXPECT_TRUE(TakeKeptScratch(after));
    EXPECT_EQ(after, before);
}

// Autosave through its trigger: the copy verifies, no backup is made, the score
// stays modified and the document keeps its path.
TEST_F(ScoreSave, AutoSaveWritesAVerifiedCopy) {
    BuildSmallScore();
    doc_->changeCounter = 2;
    ASSERT_EQ(AutoSave(doc_, view_), AutoSaveResult::Saved) << LastBox();
    EXPECT_EQ(doc_->path, PathOf("score.ql"));
    EXPECT_NE(V(doc_->changeCounter), 0);
    EXPECT_EQ(VerifyFile(PathOf("score.AUT")), 0);
    ASSERT_EQ(AutoSave(doc_, view_), AutoSaveResult::Saved);
    EXPECT_EQ(Folder().size(), 1u) << "the copy only: no backups, no temporary file";
}

// The emergency copy through the report's caller: a file that verifies, the score
// still modified, its path unchanged.
TEST_F(ScoreSave, EmergencyCopyVerifies) {
    BuildSmallScore();
    const ::ql::testing::ScopedEnvironment data("XDG_DATA_HOME", folder_);
    doc_->changeCounter = 4;
    view_->document = doc_;
    std::string copy;
    ASSERT_NE(SaveEmergencyCopy(view_, &copy), 0) << LastBox();
    EXPECT_EQ(doc_->path, PathOf("score.ql"));
    EXPECT_EQ(V(doc_->changeCounter), 4);
    EXPECT_EQ(VerifyFile(copy), 0) << copy;
    std::filesystem::remove(copy);
}

// With "Trim Unused Pages" on, a save first drops the empty pages at the end; with
// it off, or in autosave mode, they are written. A save that failed after trimming
// leaves the score marked modified, even when it was not before.
TEST_F(ScoreSave, TrimsEmptyPagesAtTheEnd) {
    BuildSmallScore();
    const auto addEmptyPage = [&] {
        ScopedPoolSet pools(doc_->pools);
        ASSERT_EQ(AppendPage(view_), 1);
    };
    // Page 1 holds the score's one measure (the fixture lays out no pages).
    doc_->firstPage->firstMeasure = 1;
    doc_->firstPage->lastMeasure = 1;
    addEmptyPage();
    State().files.TrimPagesOption = 0;
    ASSERT_EQ(SaveScoreFile(doc_, view_), 1) << LastBox();
    EXPECT_EQ(Bytes(doc_->path).at(kPageCountAt), 2);
    State().files.TrimPagesOption = 1;
    doc_->changeCounter = 2;
    ASSERT_EQ(AutoSave(doc_, view_), AutoSaveResult::Saved) << LastBox();
    EXPECT_EQ(Bytes(PathOf("score.AUT")).at(kPageCountAt), 2);

    doc_->changeCounter = 0;
    SetFileFaultForTests(Fault(FileStep::Sync));
    EXPECT_EQ(SaveScoreFile(doc_, view_), 0);
    ResetFileFaultForTests();
    EXPECT_EQ(V(doc_->header.pageCount), 1);
    EXPECT_NE(V(doc_->changeCounter), 0) << "the trimmed score is not on disk";
    EXPECT_EQ(Bytes(doc_->path).at(kPageCountAt), 2) << "the file stays as it was";

    addEmptyPage();
    ASSERT_EQ(SaveScoreFile(doc_, view_), 1) << LastBox();
    EXPECT_EQ(Bytes(doc_->path).at(kPageCountAt), 1);
    EXPECT_EQ(V(doc_->changeCounter), 0);
    EXPECT_EQ(VerifyFile(doc_->path), 0);
}

// A failure in autosave mode shows nothing of the writer's own: the trigger reports.
TEST_F(ScoreSave, AutoSaveFailureLeavesTheReportToItsCaller) {
    BuildSmallScore();
    SetFileFaultForTests(Fault(FileStep::Write, 3, ENOSPC));
    EXPECT_EQ(AutoSave(doc_, view_), AutoSaveResult::Failed);
    ASSERT_EQ(Boxes(), 1u);
    EXPECT_EQ(LastBox(), "Unable to create Auto Save file.");
}

}  // namespace
}  // namespace ql
