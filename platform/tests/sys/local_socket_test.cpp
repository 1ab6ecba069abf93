// The open channel between two instances, both simulated in this process (the
// client in a thread, the server served by the test): its folder and lock, the
// answers in order, the refusals (overlong lines, peers of another user), a socket
// left by a killed server, and randomised traffic over many connections at once.
#include "platform/sys/local_socket.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <future>
#include <random>
#include <thread>

#include "platform/sys/folders.h"
#include "platform/tests/sys/scratch_folder.h"

namespace ql::sys {
namespace {

using testing::ScopedEnvironment;
using testing::ScratchFolder;

constexpr int kServeStepMs = 5;

class LocalSocketTest : public ::testing::Test {
  protected:
    void SetUp() override {
        folder_ = scratch_ / "channel";
        ASSERT_TRUE(PrepareChannelFolder(folder_));
    }

    // Serves until the future is ready; the handler records every line.
    template <typename T>
    T ServeUntil(std::future<T>& done, ChannelServer& server) {
        while (done.wait_for(std::chrono::milliseconds(0)) != std::future_status::ready)
            server.Service(handler_, kServeStepMs);
        return done.get();
    }

    // A raw connection to the server's socket, or -1.
    int Connect() const {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const std::string path = (folder_ / kChannelSocketName).string();
        std::strncpy(address.sun_path, path.c_str(), sizeof address.sun_path - 1);
        const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            ::close(fd);
            return -1;
        }
        return fd;
    }

    ScratchFolder scratch_;
    std::filesystem::path folder_;
    std::vector<std::string> seen_;
    // Paths ending in ".ql" are taken.
    ChannelServer::LineHandler handler_ = [this](std::string_view line) {
        seen_.emplace_back(line);
        std::optional<std::string> path = DecodeOpenLine(line);
        return path && path->ends_with(".ql");
    };
};

// Reads until the peer closes; the bytes read.
std::string ReadToEnd(int fd) {
    std::string all;
    char buffer[4096];
    for (ssize_t got; (got = ::recv(fd, buffer, sizeof buffer, 0)) > 0;)
        all.append(buffer, static_cast<size_t>(got));
    return all;
}

TEST_F(LocalSocketTest, FolderIsTheUsersOwnWithMode0700) {
    struct stat status {};
    ASSERT_EQ(::stat(folder_.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0700u);
    // A folder others may read is refused, and so is a link to a good folder.
    const std::filesystem::path open = scratch_ / "open";
    ASSERT_EQ(::mkdir(open.c_str(), 0755), 0);
    ::chmod(open.c_str(), 0755);
    EXPECT_FALSE(PrepareChannelFolder(open));
    const std::filesystem::path link = scratch_ / "link";
    std::filesystem::create_directory_symlink(folder_, link);
    EXPECT_FALSE(PrepareChannelFolder(link));
    // A file in its place is no folder.
    { std::ofstream(scratch_ / "file") << "x"; }
    EXPECT_FALSE(PrepareChannelFolder(scratch_ / "file"));
}

TEST_F(LocalSocketTest, FolderIsUnderTheRuntimeFolderOrTheTemporaryFolder) {
    {
        ScopedEnvironment runtime("XDG_RUNTIME_DIR", scratch_.Path().string());
        EXPECT_EQ(ChannelFolder(), scratch_ / "qlwin32");
    }
    // Unset, empty or relative: a folder named with the user id in the temporary
    // folder. A relative runtime folder would follow the current folder; the file
    // locks refuse it by the same rule.
    const std::string fallback = "qlwin32-" + std::to_string(::getuid());
    for (const char* value : {"", "relative/run", "./run"}) {
        ScopedEnvironment runtime("XDG_RUNTIME_DIR", value);
        EXPECT_EQ(ChannelFolder(), TemporaryFolder() / fallback) << value;
    }
}

TEST_F(LocalSocketTest, OneLockHolderAtATime) {
    ChannelLock first = TakeChannelLock(folder_);
    EXPECT_EQ(first.status, ChannelLockStatus::Held);
    // Another open of the lock file conflicts, as another process's would.
    ChannelLock second = TakeChannelLock(folder_);
    EXPECT_EQ(second.status, ChannelLockStatus::HeldElsewhere);
    EXPECT_EQ(second.descriptor, -1);
    ReleaseChannelLock(first);
    second = TakeChannelLock(folder_);
    EXPECT_EQ(second.status, ChannelLockStatus::Held);
    ReleaseChannelLock(second);
    // No folder: no lock at all.
    EXPECT_EQ(TakeChannelLock(scratch_ / "missing").status, ChannelLockStatus::Unavailable);
}

TEST_F(LocalSocketTest, EveryLineIsAnsweredInOrder) {
    ChannelServer server;
    ASSERT_TRUE(server.Listen(folder_));
    const std::vector<std::string> paths = {"/s/one.ql", "/s/two.mid", "/s/\"three\" 5%.ql"};
    auto done = std::async(std::launch::async, [&] { return SendOpenLines(folder_, paths, 0); });
    const OpenLinesReply reply = ServeUntil(done, server);
    EXPECT_TRUE(reply.connected);
    EXPECT_EQ(reply.acknowledged, (std::vector<bool>{true, false, true}));
    EXPECT_FALSE(reply.AllAcknowledged(paths.size()));
    ASSERT_EQ(seen_.size(), 3u);
    EXPECT_EQ(DecodeOpenLine(seen_[2]), paths[2]);
    // The conversation ends with the connection; the server keeps listening.
    server.Service(handler_, 0);
    EXPECT_EQ(server.ConnectionCount(), 0u);
    auto again =
        std::async(std::launch::async, [&] { return SendOpenLines(folder_, {"/s/four.ql"}, 0); });
    EXPECT_TRUE(ServeUntil(again, server).AllAcknowledged(1));
}

// Two starts at the same moment: one takes the lock; the other's client waits for
// the server that is still starting, and is answered once it listens.
TEST_F(LocalSocketTest, OneServerAndOneClientWhenTwoStartAtOnce) {
    std::vector<std::future<ChannelLock>> starts;
    for (int i = 0; i < 2; ++i)
        starts.push_back(
            std::async(std::launch::async, [this] { return TakeChannelLock(folder_); }));
    std::vector<ChannelLock> locks;
    for (std::future<ChannelLock>& start : starts) locks.push_back(start.get());
    EXPECT_EQ(std::count_if(
                  locks.begin(), locks.end(),
                  [](const ChannelLock& lock) { return lock.status == ChannelLockStatus::Held; }),
              1);
    auto client =
        std::async(std::launch::async, [&] { return SendOpenLines(folder_, {"/s/one.ql"}); });
    // Nothing listens yet when the client first tries.
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    ChannelServer server;
    ASSERT_TRUE(server.Listen(folder_));
    EXPECT_TRUE(ServeUntil(client, server).AllAcknowledged(1));
    for (ChannelLock& lock : locks) ReleaseChannelLock(lock);
}

TEST_F(LocalSocketTest, NoServerMeansNoConnection) {
    // The client retries for the time it is given, then gives up.
    const OpenLinesReply reply = SendOpenLines(folder_, {"/s/one.ql"}, 50);
    EXPECT_FALSE(reply.connected);
    EXPECT_FALSE(reply.AllAcknowledged(1));
}

TEST_F(LocalSocketTest, OverlongLineGetsNakAndTheConnectionCloses) {
    ChannelServer server;
    ASSERT_TRUE(server.Listen(folder_));
    const int fd = Connect();
    ASSERT_GE(fd, 0);
    const std::string good = EncodeOpenLine("/s/one.ql");
    const std::string overlong = std::string(kMaxOpenLineBytes + 1, 'x') + "\n" + good;
    auto done = std::async(std::launch::async, [&] {
        EXPECT_EQ(::send(fd, good.data(), good.size(), 0), static_cast<ssize_t>(good.size()));
        EXPECT_EQ(::send(fd, overlong.data(), overlong.size(), MSG_NOSIGNAL),
                  static_cast<ssize_t>(overlong.size()));
        return ReadToEnd(fd);
    });
    // The line before is answered; the line after the overlong one is never read.
    EXPECT_EQ(ServeUntil(done, server), "ACK\nNAK\n");
    EXPECT_EQ(seen_.size(), 1u);
    ::close(fd);
    // A line of exactly the limit is still a line.
    const int second = Connect();
    std::string longest = EncodeOpenLine("/" + std::string(kMaxOpenLineBytes - 14, 'y') + ".ql");
    ASSERT_EQ(longest.size(), kMaxOpenLineBytes + 1);
    auto fits = std::async(std::launch::async, [&] {
        ::send(second, longest.data(), longest.size(), 0);
        ::shutdown(second, SHUT_WR);
        return ReadToEnd(second);
    });
    EXPECT_EQ(ServeUntil(fits, server), "ACK\n");
    ::close(second);
}

TEST_F(LocalSocketTest, PeerOfAnotherUserIsClosedWithoutAnswer) {
    ChannelServer server;
    ASSERT_TRUE(server.Listen(folder_));
    server.SetAllowedUser(static_cast<uint32_t>(::geteuid()) + 1);
    auto done =
        std::async(std::launch::async, [&] { return SendOpenLines(folder_, {"/s/one.ql"}, 0); });
    const OpenLinesReply reply = ServeUntil(done, server);
    EXPECT_TRUE(reply.acknowledged.empty());
    EXPECT_TRUE(seen_.empty());
}

// A real peer of another user: a child that drops to another user id. The folder
// is opened for it so that only the server's own check stands in its way.
TEST_F(LocalSocketTest, ChildOfAnotherUserIsRefusedWithoutAnswer) {
    if (::geteuid() != 0) GTEST_SKIP() << "changing the user id needs root";
    constexpr uid_t kOtherUser = 65534;
    ChannelServer server;
    ASSERT_TRUE(server.Listen(folder_));
    ::chmod(scratch_.Path().c_str(), 0711);
    ::chmod(folder_.c_str(), 0711);
    ::chmod((folder_ / kChannelSocketName).c_str(), 0777);
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(kOtherUser) != 0 || ::setuid(kOtherUser) != 0) ::_exit(4);
        const OpenLinesReply reply = SendOpenLines(folder_, {"/s/one.ql"}, 0);
        ::_exit(!reply.connected ? 3 : reply.acknowledged.empty() ? 0 : 2);
    }
    int status = 0;
    while (::waitpid(child, &status, WNOHANG) == 0) server.Service(handler_, kServeStepMs);
    ASSERT_TRUE(WIFEXITED(status));
    // Connected, and closed without an answer; the line was never read.
    EXPECT_EQ(WEXITSTATUS(status), 0);
    EXPECT_TRUE(seen_.empty());
}

TEST_F(LocalSocketTest, SocketOfAKilledServerIsReplaced) {
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    const pid_t child = ::fork();
    if (child == 0) {
        ChannelLock lock = TakeChannelLock(folder_);
        ChannelServer server;
        const char held = lock.status == ChannelLockStatus::Held && server.Listen(folder_) ? 1 : 0;
        [[maybe_unused]] const ssize_t written = ::write(ready[1], &held, 1);
        ::pause();
        ::_exit(0);
    }
    char held = 0;
    ASSERT_EQ(::read(ready[0], &held, 1), 1);
    ASSERT_EQ(held, 1);
    EXPECT_EQ(TakeChannelLock(folder_).status, ChannelLockStatus::HeldElsewhere);
    ::kill(child, SIGKILL);
    ::waitpid(child, nullptr, 0);
    ::close(ready[0]);
    ::close(ready[1]);
    // The socket file stays behind; nobody answers on it.
    EXPECT_TRUE(std::filesystem::exists(folder_ / kChannelSocketName));
    EXPECT_LT(Connect(), 0);
    ChannelLock lock = TakeChannelLock(folder_);
    ASSERT_EQ(lock.status, ChannelLockStatus::Held);
    ChannelServer server;
    ASSERT_TRUE(server.Listen(folder_));
    auto done =
        std::async(std::launch::async, [&] { return SendOpenLines(folder_, {"/s/one.ql"}, 0); });
    EXPECT_TRUE(ServeUntil(done, server).AllAcknowledged(1));
    ReleaseChannelLock(lock);
}

// A client of the random traffic: random bytes in random pieces, ending in a
// complete line (then it reads its answers) or vanishing in the middle of one.
struct RandomClient {
    std::string stream;
    std::string expected;
    bool vanishes = false;
};

RandomClient MakeRandomClient(std::mt19937& random, size_t lines) {
    RandomClient client;
    client.vanishes = random() % 5 == 0;
    for (size_t i = 0; i < lines; ++i) {
        std::string line;
        const size_t length = random() % 4 == 0 ? random() % 600 : random() % 40;
        for (size_t k = 0; k < length; ++k) {
            const char c = static_cast<char>(random());
            line += c == '\n' ? 'n' : c;
        }
        client.expected += line.size() % 2 == 0 ? "ACK\n" : "NAK\n";
        client.stream += line + "\n";
    }
    if (client.vanishes) client.stream += "[open(\"/half";
    return client;
}

// Sends the stream in random pieces; the answers read (none for a client that vanishes).
std::string RunRandomClient(const std::filesystem::path& socket, const RandomClient& client,
                            uint32_t seed) {
    std::mt19937 random(seed);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, socket.c_str(), sizeof address.sun_path - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return "no connection";
    }
    std::string_view rest = client.stream;
    while (!rest.empty()) {
        const size_t piece = std::min<size_t>(1 + random() % 700, rest.size());
        const ssize_t sent = ::send(fd, rest.data(), piece, MSG_NOSIGNAL);
        if (sent <= 0) break;
        rest.remove_prefix(static_cast<size_t>(sent));
    }
    std::string answers;
    if (!client.vanishes) {
        ::shutdown(fd, SHUT_WR);
        answers = ReadToEnd(fd);
    }
    ::close(fd);
    return answers;
}

TEST_F(LocalSocketTest, RandomTrafficOverManyConnectionsIsAnsweredLineForLine) {
    constexpr size_t kClients = 50;
    constexpr size_t kLinesPerClient = 2000;  // 100,000 lines in all
    ChannelServer server;
    ASSERT_TRUE(server.Listen(folder_));
    handler_ = [](std::string_view line) { return line.size() % 2 == 0; };
    std::mt19937 random(48);
    std::vector<RandomClient> clients;
    for (size_t i = 0; i < kClients; ++i)
        clients.push_back(MakeRandomClient(random, kLinesPerClient));
    std::vector<std::future<std::string>> answers;
    for (size_t i = 0; i < kClients; ++i)
        answers.push_back(std::async(std::launch::async, RunRandomClient,
                                     folder_ / kChannelSocketName, std::cref(clients[i]),
                                     static_cast<uint32_t>(i)));
    // Served until every client is done; what is held stays bounded throughout.
    size_t largest = 0;
    for (size_t i = 0; i < kClients; ++i) {
        while (answers[i].wait_for(std::chrono::milliseconds(0)) != std::future_status::ready) {
            server.Service(handler_, kServeStepMs);
            largest = std::max(largest, server.BufferedBytes());
        }
    }
    for (size_t i = 0; i < kClients; ++i) {
        const std::string got = answers[i].get();
        if (clients[i].vanishes)
            EXPECT_TRUE(got.empty()) << i;
        else
            EXPECT_EQ(got, clients[i].expected) << i;
    }
    for (int round = 0; round < 100 && server.ConnectionCount() > 0; ++round)
        server.Service(handler_, kServeStepMs);
    EXPECT_EQ(server.ConnectionCount(), 0u);
    EXPECT_LE(largest, kClients * (kMaxOpenLineBytes + 32 * 1024));
}

}  // namespace
}  // namespace ql::sys
