// The settings store on disk: memory only until given a file, a first write making the
// folder and the file, whole rewrites through a temporary file and a rename, batches,
// damaged and unreadable files kept as "settings.bad" before the next rewrite, and
// the read-only profile file.
#include "platform/sys/settings_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "platform/sys/atomic_file.h"
#include "platform/sys/profile_file.h"
#include "platform/tests/sys/scratch_folder.h"

namespace ql::sys {
namespace {

using testing::ReadFileBytes;
using testing::ScratchFolder;
using testing::WriteFileBytes;

class SettingsStoreTest : public ::testing::Test {
  protected:
    std::filesystem::path File() const { return folder / "config" / kSettingsFileName; }
    std::filesystem::path BadFile() const { return folder / "config" / kDamagedSettingsFileName; }
    SettingsStore Opened() {
        SettingsStore store(File());
        store.Load();
        return store;
    }
    void WriteSettingsFile(const std::string& bytes) {
        std::filesystem::create_directories(File().parent_path());
        WriteFileBytes(File(), bytes);
    }
    // Files in the settings folder other than the settings file and its bad copy.
    int StrayFiles() const {
        int count = 0;
        for (const auto& entry : std::filesystem::directory_iterator(File().parent_path())) {
            const std::string name = entry.path().filename().string();
            if (name != kSettingsFileName && name != kDamagedSettingsFileName) ++count;
        }
        return count;
    }

    ScratchFolder folder;
};

// A store without a file reads and writes in memory and never touches the disk; the
// program's store is such a store until it is opened.
TEST_F(SettingsStoreTest, MemoryOnlyStoreTouchesNoFile) {
    SettingsStore store;
    EXPECT_EQ(store.Load(), SettingsFileState::MemoryOnly);
    EXPECT_TRUE(store.WriteNumber("Options", "StaffSize", 7));
    EXPECT_EQ(store.ReadNumber("Options", "StaffSize"), 7);
    EXPECT_FALSE(store.Flush());
    CloseProgramSettings();
    EXPECT_EQ(ProgramSettings().FileState(), SettingsFileState::MemoryOnly);
    EXPECT_TRUE(std::filesystem::is_empty(folder.Path()));
}

// A missing file is a first run: nothing is there, and the first write makes the
// private folder and the whole file.
TEST_F(SettingsStoreTest, FirstWriteCreatesFolderAndFile) {
    SettingsStore store = Opened();
    EXPECT_EQ(store.FileState(), SettingsFileState::Missing);
    EXPECT_FALSE(store.HasSection("Options"));
    EXPECT_FALSE(std::filesystem::exists(File().parent_path()));
    ASSERT_TRUE(store.WriteText("Options", "Language", "English"));
    EXPECT_EQ(ReadFileBytes(File()), "[Options]\nLanguage=English\n");
    struct stat status {};
    ASSERT_EQ(::stat(File().parent_path().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0700u);
    ASSERT_EQ(::stat(File().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
}

// Values written are read back by a new store from the file, numbers as numbers and
// texts as the bytes given; a deleted value is gone from the file too.
TEST_F(SettingsStoreTest, ValuesSurviveAReload) {
    SettingsStore store = Opened();
    store.WriteNumber("Options", "Low", -2147483647 - 1);
    store.WriteText("Fonts", "QuickFont0", "Fret Symbols,Fretmark,4.00,2");
    store.WriteText("Options", "Path", "/home/\xC3\xA9\n[x]=\\");
    store.WriteText("Options", "Gone", "x");
    EXPECT_TRUE(store.DeleteValue("Options", "Gone"));
    EXPECT_FALSE(store.DeleteValue("Options", "Gone"));
    SettingsStore again = Opened();
    EXPECT_EQ(again.FileState(), SettingsFileState::Loaded);
    EXPECT_EQ(again.ReadNumber("options", "low"), -2147483647 - 1);
    EXPECT_EQ(again.ReadText("Fonts", "QuickFont0"), "Fret Symbols,Fretmark,4.00,2");
    EXPECT_EQ(again.ReadText("Options", "Path"), "/home/\xC3\xA9\n[x]=\\");
    EXPECT_FALSE(again.ReadText("Options", "Gone"));
    EXPECT_EQ(again.ReadText("Nowhere", "Path"), std::nullopt);
}

// The file is replaced by a rename: a second name linked to the old file still sees
// the old bytes whole, and no temporary file is left behind.
TEST_F(SettingsStoreTest, RewriteReplacesTheFileByRename) {
    SettingsStore store = Opened();
    store.WriteNumber("Options", "StaffSize", 4);
    const std::filesystem::path oldLink = folder / "old-link";
    std::filesystem::create_hard_link(File(), oldLink);
    store.WriteNumber("Options", "StaffSize", 5);
    EXPECT_EQ(ReadFileBytes(oldLink), "[Options]\nStaffSize=4\n");
    EXPECT_EQ(ReadFileBytes(File()), "[Options]\nStaffSize=5\n");
    EXPECT_EQ(StrayFiles(), 0);
}

// A write that cannot replace the file (here a folder appeared where the file goes)
// reports failure, leaves what was there, keeps the value in memory, and removes its
// temporary file.
TEST_F(SettingsStoreTest, FailedWriteLeavesNoTrace) {
    SettingsStore store = Opened();
    std::filesystem::create_directories(File() / "occupied");
    EXPECT_FALSE(store.WriteNumber("Options", "StaffSize", 5));
    EXPECT_EQ(store.ReadNumber("Options", "StaffSize"), 5);
    EXPECT_TRUE(std::filesystem::is_directory(File() / "occupied"));
    EXPECT_EQ(StrayFiles(), 0);
    EXPECT_EQ(WriteFileAtomically(File(), "x"), std::make_error_code(std::errc::is_a_directory));
    EXPECT_EQ(StrayFiles(), 0);
}

// A settings file that cannot be read at all (here a folder) gives nothing and is
// moved aside as "settings.bad" by the first rewrite.
TEST_F(SettingsStoreTest, UnreadableFileIsMovedAside) {
    std::filesystem::create_directories(File() / "occupied");
    SettingsStore store = Opened();
    EXPECT_EQ(store.FileState(), SettingsFileState::Unreadable);
    EXPECT_FALSE(store.HasSection("Options"));
    EXPECT_TRUE(store.WriteNumber("Options", "StaffSize", 5));
    EXPECT_TRUE(std::filesystem::is_directory(BadFile() / "occupied"));
    EXPECT_EQ(ReadFileBytes(File()), "[Options]\nStaffSize=5\n");
}

// Inside a batch nothing is written; the end of the outermost batch writes once.
TEST_F(SettingsStoreTest, BatchWritesOnceAtTheEnd) {
    SettingsStore store = Opened();
    {
        SettingsBatch outer(store);
        store.WriteNumber("Options", "A", 1);
        {
            SettingsBatch inner(store);
            store.WriteNumber("Options", "B", 2);
        }
        EXPECT_FALSE(std::filesystem::exists(File()));
        store.WriteNumber("Options", "C", 3);
    }
    EXPECT_EQ(ReadFileBytes(File()), "[Options]\nA=1\nB=2\nC=3\n");
}

// A damaged file gives what could be read and is kept as "settings.bad", byte for
// byte, before the first rewrite, which writes the whole tree anew; later rewrites
// leave the bad copy alone.
TEST_F(SettingsStoreTest, DamagedFileIsKeptBeforeTheRewrite) {
    const std::string damaged = "[Options]\nStaffSize=4\ngarbage line\n\x01\x02\x03\nTempo=90\n";
    WriteSettingsFile(damaged);
    SettingsStore store = Opened();
    EXPECT_EQ(store.FileState(), SettingsFileState::Damaged);
    EXPECT_EQ(store.Faults().size(), 2u);
    EXPECT_EQ(store.ReadNumber("Options", "Tempo"), 90);
    EXPECT_FALSE(std::filesystem::exists(BadFile()));
    store.WriteNumber("Options", "StaffSize", 5);
    EXPECT_EQ(ReadFileBytes(BadFile()), damaged);
    EXPECT_EQ(ReadFileBytes(File()), "[Options]\nStaffSize=5\nTempo=90\n");
    EXPECT_EQ(store.FileState(), SettingsFileState::Loaded);
    WriteFileBytes(BadFile(), "older");
    store.WriteNumber("Options", "StaffSize", 6);
    EXPECT_EQ(ReadFileBytes(BadFile()), "older");
}

// A value of the file that is not a number, read as one, damages the file; a text the
// program wrote itself since the last rewrite is merely not a number.
TEST_F(SettingsStoreTest, BadNumberInTheFileDamagesIt) {
    WriteSettingsFile("[Options]\nStaffSize=four\n");
    SettingsStore store = Opened();
    EXPECT_EQ(store.FileState(), SettingsFileState::Loaded);
    EXPECT_EQ(store.ReadNumber("Options", "StaffSize"), std::nullopt);
    EXPECT_EQ(store.FileState(), SettingsFileState::Damaged);
    store.WriteText("Options", "Word", "five");
    EXPECT_EQ(ReadFileBytes(BadFile()), "[Options]\nStaffSize=four\n");
    EXPECT_EQ(store.ReadNumber("Options", "Word"), std::nullopt);
    EXPECT_EQ(store.FileState(), SettingsFileState::Loaded);
}

// The program's store is opened in a folder and loads the file there.
TEST_F(SettingsStoreTest, ProgramStoreOpensInAFolder) {
    WriteSettingsFile("[Options]\nStaffSize=3\n");
    EXPECT_EQ(OpenProgramSettings(File().parent_path()), SettingsFileState::Loaded);
    EXPECT_EQ(ProgramSettings().ReadNumber("Options", "StaffSize"), 3);
    CloseProgramSettings();
    EXPECT_EQ(ProgramSettings().ReadNumber("Options", "StaffSize"), std::nullopt);
}

// The config folder follows XDG: an absolute $XDG_CONFIG_HOME, else $HOME/.config.
TEST_F(SettingsStoreTest, ConfigFolderFollowsXdg) {
    testing::ScopedEnvironment home("HOME", "/home/someone");
    {
        testing::ScopedEnvironment config("XDG_CONFIG_HOME", folder.Path().string());
        EXPECT_EQ(UserConfigFolder(), folder.Path());
    }
    testing::ScopedEnvironment relative("XDG_CONFIG_HOME", "relative/config");
    EXPECT_EQ(UserConfigFolder(), std::filesystem::path("/home/someone/.config"));
}

// The profile file is read with the same reader, and read again when it changes.
TEST_F(SettingsStoreTest, ProfileFileIsReadAndReread) {
    const std::filesystem::path profile = folder / "QLW.INI";
    WriteFileBytes(profile, "[Version 2]\nStaffSize=6\nName=Old\nBad=x1\n");
    EXPECT_EQ(ReadProfileNumber(profile, "version 2", "staffsize"), 6);
    EXPECT_EQ(ReadProfileText(profile, "Version 2", "Name"), "Old");
    EXPECT_EQ(ReadProfileNumber(profile, "Version 2", "Bad"), std::nullopt);
    EXPECT_EQ(ReadProfileText(profile, "Options", "Name"), std::nullopt);
    WriteFileBytes(profile, "[Version 2]\nName=Newer one\n");
    EXPECT_EQ(ReadProfileText(profile, "Version 2", "Name"), "Newer one");
    EXPECT_EQ(ReadProfileText(folder / "missing.ini", "Version 2", "Name"), std::nullopt);
}

}  // namespace
}  // namespace ql::sys
