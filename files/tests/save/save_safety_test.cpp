// Saves that share a folder with other saves and with the user's own files: each
// save writes and renames only files it made itself, never takes a name that
// exists, keeps a failed score private, never moves or truncates the document's
// own file except by the final rename, keeps each score's backups beside it and
// its own, and refuses a target that is not a regular file.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/error_report.h"
#include "core/settings/program_options.h"
#include "core/undo/autosave.h"
#include "files/bytes/file_faults.h"
#include "files/score_file.h"
#include "files/tests/save/save_fixture.h"
#include "platform/sys/file_io.h"

namespace ql {
namespace {

using testing_files::SaveTest;
using ByteVec = std::vector<uint8_t>;

// The names every save of a folder once used for its scratch and holding files.
constexpr char kOldScratchName[] = "~0tmpw_~.0ql";
constexpr char kOldHoldingName[] = "~0tmpb_~.0ql";

FileFault Fault(FileStep step, int error = EIO) {
    FileFault fault;
    fault.step = step;
    fault.error = error;
    return fault;
}

class SaveSafety : public SaveTest {
  protected:
    void SetUp() override {
        SaveTest::SetUp();
        mask_ = ::umask(022);
        BuildSmallScore();
    }
    void TearDown() override {
        ::umask(mask_);
        Options().BackupCopies = 1;
        SaveTest::TearDown();
    }
    void Put(const std::string& name, const std::string& text) const {
        std::ofstream(PathOf(name), std::ios::binary) << text;
    }
    static ByteVec AsBytes(const std::string& text) { return ByteVec(text.begin(), text.end()); }
    // The names in the folder that start with `prefix`.
    std::vector<std::string> NamesStartingWith(const std::string& prefix) const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(folder_)) {
            std::string name = entry.path().filename().string();
            if (name.rfind(prefix, 0) == 0) names.push_back(name);
        }
        return names;
    }
    static unsigned ModeOf(const std::string& path) {
        struct stat status{};
        return ::stat(path.c_str(), &status) == 0 ? status.st_mode & 07777 : 0;
    }
    int Save(uint16_t tempo) {
        doc_->header.tempo = tempo;
        doc_->changeCounter = 1;
        return SaveScoreFile(doc_, view_);
    }

    mode_t mask_ = 0;
};

// Files that carry the names saves once shared are the user's: a save with backups
// neither removes, writes nor takes them.
TEST_F(SaveSafety, FilesUnderTheOldScratchNamesAreLeftAlone) {
    Put(kOldScratchName, "someone's scratch");
    Put(kOldHoldingName, "someone's holding");
    for (uint16_t tempo : {100, 110, 120}) ASSERT_EQ(Save(tempo), 1) << LastBox();
    EXPECT_EQ(Bytes(PathOf(kOldScratchName)), AsBytes("someone's scratch"));
    EXPECT_EQ(Bytes(PathOf(kOldHoldingName)), AsBytes("someone's holding"));
    EXPECT_EQ(VerifyFile(doc_->path), 0);
    EXPECT_EQ(VerifyFile(PathOf("score.BAK")), 0);
}

// A second program saves into the folder between this save's write and its
// verification, putting its own score where scratch files used to go: this save
// still renames the file it wrote and verified, and the other score stays put.
TEST_F(SaveSafety, ASaveBetweenWriteAndVerifyCannotSwapTheScores) {
    ASSERT_EQ(Save(100), 1) << LastBox();
    const ByteVec other = Bytes(doc_->path);
    FileFault fault = Fault(FileStep::Read, 0);
    fault.action = [&] {
        std::ofstream(PathOf(kOldScratchName), std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(other.data()), static_cast<std::streamsize>(other.size()));
    };
    SetFileFaultForTests(fault);
    ASSERT_EQ(Save(140), 1) << LastBox();
    ResetFileFaultForTests();
    EXPECT_NE(Bytes(doc_->path), other) << "the other program's score became this document";
    EXPECT_EQ(Bytes(PathOf("score.BAK")), other);
    EXPECT_EQ(Bytes(PathOf(kOldScratchName)), other);
}

// Another file moved onto this save's scratch name after the write is never put
// in the document's place: the save fails and the document's file stays.
TEST_F(SaveSafety, AFileMovedOntoTheScratchNameIsNeverRenamed) {
    ASSERT_EQ(Save(100), 1) << LastBox();
    const ByteVec kept = Bytes(doc_->path);
    Put("other.ql", "another program's score");
    FileFault fault = Fault(FileStep::Read, 0);
    fault.action = [&] {
        for (const std::string& name : NamesStartingWith("~0tmpw_"))
            std::filesystem::rename(PathOf("other.ql"), PathOf(name));
    };
    SetFileFaultForTests(fault);
    EXPECT_EQ(Save(110), 0);
    ResetFileFaultForTests();
    EXPECT_EQ(LastBox().rfind("Unable to rename file", 0), 0u) << LastBox();
    EXPECT_EQ(Bytes(doc_->path), kept);
}

// A document opened from a scratch file a failed save left: a failing save and an
// autosave keep its file as it is; a document under the old holding name saves
// over itself with its backup beside it.
TEST_F(SaveSafety, ADocumentUnderAScratchNameKeepsItsFile) {
    doc_->path = PathOf(kOldScratchName);
    ASSERT_EQ(Save(100), 1) << LastBox();
    const ByteVec recovered = Bytes(doc_->path);
    SetFileFaultForTests(Fault(FileStep::Write, ENOSPC));
    EXPECT_EQ(Save(110), 0);
    ResetFileFaultForTests();
    EXPECT_EQ(Bytes(doc_->path), recovered) << "a failed save truncated the document";
    EXPECT_EQ(AutoSave(doc_, view_), AutoSaveResult::Saved) << LastBox();
    EXPECT_EQ(Bytes(doc_->path), recovered) << "the autosave moved the document away";

    doc_->path = PathOf(kOldHoldingName);
    ASSERT_EQ(Save(120), 1) << LastBox();
    const ByteVec first = Bytes(doc_->path);
    ASSERT_EQ(Save(130), 1) << LastBox();
    EXPECT_EQ(VerifyFile(doc_->path), 0);
    EXPECT_NE(Bytes(doc_->path), first);
    EXPECT_EQ(Bytes(PathOf("~0tmpb_~.BAK")), first);
}

// A document whose own name is one of the backup names of its base: its backups
// go after its whole name, and the file keeps the score just saved.
TEST_F(SaveSafety, ADocumentNamedLikeABackupIsNotRotatedAway) {
    Options().BackupCopies = 3;
    doc_->path = PathOf("take.BA2");
    ASSERT_EQ(Save(100), 1) << LastBox();
    for (uint16_t tempo : {110, 120, 130}) {
        const ByteVec before = Bytes(doc_->path);
        ASSERT_EQ(Save(tempo), 1) << LastBox();
        EXPECT_NE(Bytes(doc_->path), before) << tempo;
        EXPECT_EQ(Bytes(PathOf("take.BA2.BAK")), before) << tempo;
        EXPECT_EQ(VerifyFile(doc_->path), 0);
    }
    EXPECT_FALSE(Exists(PathOf("take.BAK")));
}

// The scratch file is private from the start: a save of a private score that fails
// before the rename (here at the link that keeps ".BAK") leaves a scratch file no
// more readable than the score. The saved file keeps the target's mode; a new file
// gets that of any new file.
TEST_F(SaveSafety, AFailedSaveLeavesNothingOthersCanRead) {
    ASSERT_EQ(Save(100), 1) << LastBox();
    EXPECT_EQ(ModeOf(doc_->path), 0644u);
    ASSERT_EQ(::chmod(doc_->path.c_str(), 0600), 0);
    SetFileFaultForTests(Fault(FileStep::Link, EACCES));
    EXPECT_EQ(Save(110), 0);
    ResetFileFaultForTests();
    const std::vector<std::string> left = NamesStartingWith("~0tmpw_");
    ASSERT_EQ(left.size(), 1u) << "the failed save keeps its score for the user";
    EXPECT_EQ(ModeOf(PathOf(left[0])) & ~0600u, 0u);
    ASSERT_EQ(Save(120), 1) << LastBox();
    EXPECT_EQ(ModeOf(doc_->path), 0600u);
}

// Where the folder takes no hard links the replaced file is copied into a new file
// of its own, which becomes ".BAK" with the score's mode; the old holding name is
// not taken.
TEST_F(SaveSafety, ACopiedBackupIsANewFileOfItsOwn) {
    Put(kOldHoldingName, "someone's holding");
    ASSERT_EQ(Save(100), 1) << LastBox();
    ASSERT_EQ(::chmod(doc_->path.c_str(), 0640), 0);
    const ByteVec first = Bytes(doc_->path);
    SetFileFaultForTests(Fault(FileStep::Link, EPERM));
    ASSERT_EQ(Save(110), 1) << LastBox();
    ResetFileFaultForTests();
    EXPECT_EQ(Bytes(PathOf("score.BAK")), first);
    EXPECT_EQ(ModeOf(PathOf("score.BAK")), 0640u);
    EXPECT_EQ(Bytes(PathOf(kOldHoldingName)), AsBytes("someone's holding"));
    EXPECT_EQ(NamesStartingWith("~0tmp").size(), 1u) << "only the user's file";
}

// An emergency copy for a score opened from an earlier emergency copy goes beside
// it under another name; the score's file is not touched.
TEST_F(SaveSafety, TheEmergencyCopyNeverReplacesTheDocument) {
    doc_->path = PathOf(kEmergencyFileName);
    Put(kEmergencyFileName, "the recovered score");
    view_->document = doc_;
    std::string copy;
    ASSERT_NE(SaveEmergencyCopy(view_, &copy), 0) << LastBox();
    EXPECT_EQ(Bytes(doc_->path), AsBytes("the recovered score"));
    EXPECT_EQ(copy, PathOf(std::string(kEmergencyFileName) + kAutoSaveExtension));
    EXPECT_EQ(VerifyFile(copy), 0);
}

// Names whose only dot leads them have no extension: each keeps its own backups.
TEST_F(SaveSafety, DotNamesKeepBackupsOfTheirOwn) {
    for (const char* name : {".first", ".second"}) {
        doc_->path = PathOf(name);
        ASSERT_EQ(Save(100), 1) << LastBox();
        ASSERT_EQ(Save(110), 1) << LastBox();
    }
    EXPECT_EQ(VerifyFile(PathOf(".first.BAK")), 0);
    EXPECT_EQ(VerifyFile(PathOf(".second.BAK")), 0);
    EXPECT_FALSE(Exists(PathOf(".BAK")));
}

// A score and a template of one name in one folder keep backups of their own.
TEST_F(SaveSafety, ScoreAndTemplateOfOneNameDoNotShareABackup) {
    std::vector<ByteVec> first;
    for (const char* name : {"piece.ql", "piece.tpl"}) {
        doc_->path = PathOf(name);
        ASSERT_EQ(Save(name[6] == 'q' ? 100 : 140), 1) << LastBox();
        first.push_back(Bytes(doc_->path));
        ASSERT_EQ(Save(110), 1) << LastBox();
    }
    EXPECT_EQ(Bytes(PathOf("piece.BAK")), first[0]);
    EXPECT_EQ(Bytes(PathOf("piece.tpl.BAK")), first[1]);
}

// Long names: backups sit beside their own score in a long folder and stay apart
// for names that differ only at the end; a backup name longer than the folder
// allows is refused with a box before anything is written.
TEST_F(SaveSafety, LongNamesKeepTheirBackupsBesideThemOrAreRefused) {
    const std::string longFolder(240, 'f');
    std::filesystem::create_directory(PathOf(longFolder));
    doc_->path = PathOf(longFolder + "/score.ql");
    ASSERT_EQ(Save(100), 1) << LastBox();
    ASSERT_EQ(Save(110), 1) << LastBox();
    EXPECT_EQ(VerifyFile(PathOf(longFolder + "/score.BAK")), 0);
    EXPECT_EQ(NamesStartingWith("f").size(), 1u) << "nothing beside the folder";

    const std::string longName(240, 'n');
    for (const char* end : {"A.ql", "B.ql"}) {
        doc_->path = PathOf(longName + end);
        ASSERT_EQ(Save(100), 1) << LastBox();
        ASSERT_EQ(Save(110), 1) << LastBox();
    }
    EXPECT_EQ(VerifyFile(PathOf(longName + "A.BAK")), 0);
    EXPECT_EQ(VerifyFile(PathOf(longName + "B.BAK")), 0);

    doc_->path = PathOf(std::string(253, 'x'));
    const size_t boxes = Boxes();
    EXPECT_EQ(Save(120), 0);
    EXPECT_EQ(Boxes(), boxes + 1);
    EXPECT_NE(LastBox().find("too long"), std::string::npos) << LastBox();
    EXPECT_TRUE(NamesStartingWith("x").empty());
    EXPECT_TRUE(NamesStartingWith("~0tmp").empty());
}

// A named pipe as the target is refused with the write box; it stays a pipe.
TEST_F(SaveSafety, APipeIsNoTargetToSaveTo) {
    doc_->path = PathOf("pipe.ql");
    ASSERT_EQ(::mkfifo(doc_->path.c_str(), 0600), 0);
    const int other = ::open(doc_->path.c_str(), O_RDWR | O_NONBLOCK);  // nobody waits on it
    ASSERT_GE(other, 0);
    EXPECT_EQ(Save(100), 0);
    EXPECT_EQ(LastBox().rfind(kScoreWriteErrorText, 0), 0u) << LastBox();
    EXPECT_NE(LastBox().find(sys::SystemErrorText(sys::kNotRegularFile)), std::string::npos);
    struct stat status{};
    ASSERT_EQ(::lstat(doc_->path.c_str(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
    ::close(other);
}

}  // namespace
}  // namespace ql
