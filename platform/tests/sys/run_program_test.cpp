// Running helper programs: the program found on PATH is the one that runs. Empty
// and relative PATH entries never reach the current folder, where a program of the
// same name may wait, and what is not an executable file is passed over.
#include "platform/sys/run_program.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "platform/tests/sys/scratch_folder.h"

namespace ql::sys {
namespace {

using testing::ScopedEnvironment;
using testing::ScratchFolder;

constexpr char kProgram[] = "ql-helper-probe";

// A shell script that exits with `status`.
void WriteProgram(const std::filesystem::path& file, int status) {
    std::filesystem::create_directories(file.parent_path());
    testing::WriteFileBytes(file, "#!/bin/sh\nexit " + std::to_string(status) + "\n");
    std::filesystem::permissions(file, std::filesystem::perms::owner_all);
}

// Runs the test inside a folder and goes back to the folder it came from.
class ScopedCurrentFolder {
  public:
    explicit ScopedCurrentFolder(const std::filesystem::path& folder)
        : old_(std::filesystem::current_path()) {
        std::filesystem::current_path(folder);
    }
    ~ScopedCurrentFolder() { std::filesystem::current_path(old_); }
    ScopedCurrentFolder(const ScopedCurrentFolder&) = delete;
    ScopedCurrentFolder& operator=(const ScopedCurrentFolder&) = delete;

  private:
    std::filesystem::path old_;
};

class RunProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteProgram(scratch_ / "bin" / kProgram, kFound);
        WriteProgram(scratch_ / "here" / kProgram, kCurrentFolder);
        WriteProgram(scratch_ / "here" / "relative" / kProgram, kCurrentFolder);
    }
    static constexpr int kFound = 7;
    static constexpr int kCurrentFolder = 3;
    ScratchFolder scratch_;
};

// An empty entry, "." and a relative folder come before the real one: the program
// of the real folder is found and is the one that runs.
TEST_F(RunProgramTest, RunsTheProgramFoundNeverOneInTheCurrentFolder) {
    ScopedCurrentFolder here(scratch_ / "here");
    const std::string bin = (scratch_ / "bin").string();
    for (const std::string& path : {":" + bin, ".:" + bin, "relative:" + bin, bin + "::"}) {
        ScopedEnvironment environment("PATH", path);
        EXPECT_EQ(FindProgramOnPath(kProgram), scratch_ / "bin" / kProgram) << path;
        EXPECT_EQ(RunProgramAndWait(kProgram, {"an argument"}), kFound) << path;
    }
    // Only the current folder holds it: not found, not run.
    ScopedEnvironment environment("PATH", ":.:relative");
    EXPECT_FALSE(IsProgramOnPath(kProgram));
    EXPECT_EQ(RunProgramAndWait(kProgram, {}), std::nullopt);
}

// A folder of the program's name, and a file that may not be run, are passed over.
TEST_F(RunProgramTest, PassesOverWhatIsNotAnExecutableFile) {
    std::filesystem::create_directories(scratch_ / "folder" / kProgram);
    WriteProgram(scratch_ / "plain" / kProgram, kCurrentFolder);
    std::filesystem::permissions(
        scratch_ / "plain" / kProgram,
        std::filesystem::perms::owner_read | std::filesystem::perms::owner_write);
    ScopedEnvironment environment("PATH", (scratch_ / "folder").string() + ":" +
                                              (scratch_ / "plain").string() + ":" +
                                              (scratch_ / "bin").string());
    EXPECT_EQ(FindProgramOnPath(kProgram), scratch_ / "bin" / kProgram);
    EXPECT_EQ(RunProgramAndWait(kProgram, {}), kFound);
    // Names with a slash are not looked up.
    EXPECT_FALSE(IsProgramOnPath("bin/" + std::string(kProgram)));
}

}  // namespace
}  // namespace ql::sys
