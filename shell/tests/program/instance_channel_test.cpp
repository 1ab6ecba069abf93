// Opening files in the running program: this process is the running program (its
// frame on the headless backend, serving the channel) and a second start runs in a
// thread of its own, handing its files over. Its exit code, the windows that open,
// the answers for refused files, the switch that starts a second program, and the
// reopen of the pick list at start.
#include "shell/program/instance_channel.h"

#include <gtest/gtest.h>

#include <fstream>
#include <future>
#include <thread>

#include "core/settings/settings_store.h"
#include "platform/sys/local_socket.h"
#include "platform/ui/headless.h"
#include "platform/win/message_loop.h"
#include "shell/program/frame.h"
#include "shell/program/score_windows.h"
#include "shell/recent_files.h"
#include "shell/tests/program/program_fixture.h"

namespace ql {
namespace {

using testing::ProgramFixture;

class InstanceChannelTest : public ProgramFixture {
  protected:
    // Starts the program as the first start of a desktop session does.
    void StartServing(std::vector<std::string> arguments = {}) {
        ASSERT_FALSE(ClaimInstanceChannel(arguments).handedOver);
        ASSERT_EQ(Start(arguments), StartupCode::Ok);
        StartInstanceServer();
        Pump();
    }
    void TearDown() override {
        StopInstanceServer();
        ProgramFixture::TearDown();
    }
    // A second start with these arguments; the first runs its loop meanwhile.
    InstanceClaim SecondStart(std::vector<std::string> arguments) {
        auto done =
            std::async(std::launch::async, [arguments] { return ClaimInstanceChannel(arguments); });
        while (done.wait_for(std::chrono::milliseconds(1)) != std::future_status::ready) Pump();
        Pump();
        return done.get();
    }
};

TEST_F(InstanceChannelTest, SecondStartHandsItsFilesOverInOrder) {
    StartServing();
    const std::string second = WriteScore("second.ql");
    const std::string first = WriteScore("first.ql");
    ASSERT_EQ(PickListEntry(1), first);
    const InstanceClaim claim = SecondStart({first, second});
    EXPECT_TRUE(claim.handedOver);
    EXPECT_EQ(claim.exitCode, 0);
    // Each opens once, in the order given: the last opened heads the pick list.
    EXPECT_EQ(CountOpenDocuments(), 2);
    EXPECT_EQ(Captions().size(), 2u);
    EXPECT_EQ(PickListEntry(1), second);
    EXPECT_EQ(PickListEntry(2), first);
    EXPECT_EQ(Frame().openQueue.Size(), 0u);
}

TEST_F(InstanceChannelTest, RefusedFilesMakeTheSecondStartFail) {
    StartServing();
    const std::string score = WriteScore("good.ql");
    std::ofstream(scratch / "notes.txt") << "x";
    // A missing file and a wrong extension are refused; the good one still opens.
    const size_t boxes = ui::headless::MessageBoxes().size();
    const std::string missing = (scratch / "missing.ql").string();
    const InstanceClaim claim = SecondStart({missing, (scratch / "notes.txt").string(), score});
    EXPECT_TRUE(claim.handedOver);
    EXPECT_EQ(claim.exitCode, 1);
    EXPECT_FALSE(claim.message.empty());
    EXPECT_EQ(Captions(), std::vector<std::string>{score});
    // The running program tells its user which file it could not read, and why.
    ASSERT_EQ(ui::headless::MessageBoxes().size(), boxes + 1);
    EXPECT_EQ(ui::headless::MessageBoxes().back().text,
              "Can't read file.\n" + missing + "\nNo such file or directory");
}

TEST_F(InstanceChannelTest, WithoutFilesASecondProgramStarts) {
    StartServing();
    // No files, or only the switch: nothing is handed over.
    EXPECT_FALSE(SecondStart({}).handedOver);
    EXPECT_FALSE(SecondStart({"/dde"}).handedOver);
    EXPECT_FALSE(SecondStart({"/DDE"}).handedOver);
    // A relative path is made absolute against the second start's folder.
    const std::string score = WriteScore("relative.ql");
    const std::filesystem::path saved = std::filesystem::current_path();
    std::filesystem::current_path(scratch.Path());
    const InstanceClaim claim = SecondStart({"/dde", "relative"});
    std::filesystem::current_path(saved);
    EXPECT_EQ(claim.exitCode, 0);
    EXPECT_EQ(Captions(), std::vector<std::string>{score});
}

TEST_F(InstanceChannelTest, QuotesPercentsAndLineFeedsStayInThePath) {
    StartServing();
    const std::string path = (scratch / "a \"b\" 100%\nc.ql").string();
    std::ofstream(path) << "x";
    // The line as the client writes it names the file as it is.
    const std::string line = sys::EncodeOpenLine(path);
    ASSERT_TRUE(AnswerOpenLine(std::string_view(line).substr(0, line.size() - 1)));
    ASSERT_EQ(Frame().openQueue.Size(), 1u);
    EXPECT_EQ(Frame().openQueue.Pop(), path);
    // A line without its framing, or with a bad escape, is refused and queues nothing.
    EXPECT_FALSE(AnswerOpenLine(path));
    EXPECT_FALSE(AnswerOpenLine("[open(\"" + (scratch / "x%zz.ql").string() + "\")]"));
    EXPECT_FALSE(AnswerOpenLine("[open(\"\")]"));
    EXPECT_EQ(Frame().openQueue.Size(), 0u);
}

TEST_F(InstanceChannelTest, OnlyOneOfTwoStartsServes) {
    // Two starts at once: one takes the lock and serves, the other hands over.
    StartServing();
    const std::string score = WriteScore("both.ql");
    EXPECT_TRUE(SecondStart({score}).handedOver);
    // The server's lock stays taken until it stops.
    EXPECT_EQ(sys::TakeChannelLock(sys::ChannelFolder()).status,
              sys::ChannelLockStatus::HeldElsewhere);
    StopInstanceServer();
    sys::ChannelLock lock = sys::TakeChannelLock(sys::ChannelFolder());
    EXPECT_EQ(lock.status, sys::ChannelLockStatus::Held);
    sys::ReleaseChannelLock(lock);
    EXPECT_FALSE(std::filesystem::exists(sys::ChannelFolder() / sys::kChannelSocketName));
}

TEST_F(InstanceChannelTest, FolderOthersMayEnterMeansNoChannel) {
    // A channel folder with the wrong mode is not trusted: no lock, no socket, and a
    // start with files opens them itself.
    const std::filesystem::path folder = sys::ChannelFolder();
    std::filesystem::create_directories(folder);
    std::filesystem::permissions(folder, std::filesystem::perms::owner_all | std::filesystem::perms::others_exec);
    EXPECT_FALSE(ClaimInstanceChannel({"/s/one.ql"}).handedOver);
    EXPECT_FALSE(std::filesystem::exists(folder / sys::kChannelLockName));
    EXPECT_FALSE(std::filesystem::exists(folder / sys::kChannelSocketName));
}

TEST_F(InstanceChannelTest, StartReopensTheFirstExistingEntryOnce) {
    // A first run writes the scores and leaves them on the pick list.
    ASSERT_EQ(Start(), StartupCode::Ok);
    const std::string existing = WriteScore("existing.ql");
    const std::string removed = WriteScore("removed.ql");
    EXPECT_EQ(CloseAndRun(), 0);
    ShutdownCleanup();
    ResetFrame();
    std::filesystem::remove(removed);
    ASSERT_EQ(PickListEntry(1), removed);
    ASSERT_EQ(PickListEntry(2), existing);
    // Entry 1 is gone: entry 2 opens, once, and entry 1 leaves the list.
    ASSERT_EQ(Start(), StartupCode::Ok);
    Pump();
    EXPECT_EQ(Captions(), std::vector<std::string>{existing});
    EXPECT_EQ(PickListEntry(1), existing);
    EXPECT_EQ(CloseAndRun(), 0);
    ShutdownCleanup();
    ResetFrame();
    // With "LoadLastFile" 0 nothing opens.
    ASSERT_EQ(WriteSettingNumber("Quaverlinescribe", "LoadLastFile", 0), kSettingsOk);
    ASSERT_EQ(Start(), StartupCode::Ok);
    ASSERT_EQ(Options().LoadLastFile, 0);
    Pump();
    EXPECT_TRUE(Captions().empty());
}

}  // namespace
}  // namespace ql
