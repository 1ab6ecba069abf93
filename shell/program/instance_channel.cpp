// Claiming the open channel at start, the watcher thread and the server's answers.
#include "shell/program/instance_channel.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <cctype>
#include <condition_variable>
#include <filesystem>
#include <mutex>
#include <thread>

#include "platform/sys/local_socket.h"
#include "platform/win/message_loop.h"
#include "shell/program/command_line.h"
#include "shell/program/frame.h"

namespace ql {
namespace {

constexpr std::string_view kDdeSwitch = "/dde";
constexpr char kNotAllOpened[] = "the running program did not open every file named";
constexpr char kNoAnswer[] = "the running program did not answer";

// Waits on the server's descriptors in a thread of its own and posts one message
// to the frame per wake-up; the frame arms it again after serving.
class ChannelWatcher {
  public:
    void Start(platform::WindowHandle target) {
        target_ = target;
        wake_ = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (wake_ >= 0) thread_ = std::thread([this] { Run(); });
    }
    void Arm(std::vector<pollfd> list) {
        std::lock_guard<std::mutex> guard(mutex_);
        list_ = std::move(list);
        armed_ = true;
        changed_.notify_one();
    }
    void Stop() {
        if (!thread_.joinable()) return;
        {
            std::lock_guard<std::mutex> guard(mutex_);
            stop_ = true;
            changed_.notify_one();
        }
        const uint64_t one = 1;
        [[maybe_unused]] const ssize_t written = ::write(wake_, &one, sizeof one);
        thread_.join();
        ::close(wake_);
        wake_ = -1;
        armed_ = false;
        stop_ = false;
        list_.clear();
    }

  private:
    void Run() {
        while (true) {
            std::vector<pollfd> list;
            {
                std::unique_lock<std::mutex> lock(mutex_);
                changed_.wait(lock, [this] { return armed_ || stop_; });
                if (stop_) return;
                armed_ = false;
                list = list_;
            }
            list.push_back({wake_, POLLIN, 0});
            while (::poll(list.data(), list.size(), -1) < 0 && errno == EINTR) {
            }
            if (list.back().revents != 0) return;
            win::PostMessage(target_, kInstanceChannelMessage);
        }
    }

    std::thread thread_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<pollfd> list_;
    int wake_ = -1;
    bool armed_ = false;
    bool stop_ = false;
    platform::WindowHandle target_;
};

struct InstanceChannel {
    sys::ChannelLock lock;
    sys::ChannelServer server;
    ChannelWatcher watcher;
};

InstanceChannel& Channel() {
    static InstanceChannel channel;
    return channel;
}

// The paths a start hands over: every argument but the switch, made absolute
// against this process's working folder.
std::vector<std::string> PathsToHandOver(const std::vector<std::string>& arguments) {
    std::vector<std::string> paths;
    for (const std::string& argument : arguments) {
        std::string lowered = argument.substr(0, kDdeSwitch.size());
        for (char& c : lowered) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (argument.empty() || lowered == kDdeSwitch) continue;
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(argument, error);
        paths.push_back(error ? argument : absolute.lexically_normal().string());
    }
    return paths;
}

InstanceClaim HandOver(const std::filesystem::path& folder, const std::vector<std::string>& paths) {
    InstanceClaim claim;
    claim.handedOver = true;
    const sys::OpenLinesReply reply = sys::SendOpenLines(folder, paths);
    if (reply.AllAcknowledged(paths.size())) return claim;
    claim.exitCode = 1;
    claim.message = reply.acknowledged.size() == paths.size() ? kNotAllOpened : kNoAnswer;
    return claim;
}

}  // namespace

InstanceClaim ClaimInstanceChannel(const std::vector<std::string>& arguments) {
    InstanceChannel& channel = Channel();
    const std::filesystem::path folder = sys::ChannelFolder();
    if (!sys::PrepareChannelFolder(folder)) return {};
    sys::ChannelLock lock = sys::TakeChannelLock(folder);
    if (lock.status == sys::ChannelLockStatus::Held) {
        sys::ReleaseChannelLock(channel.lock);
        channel.lock = lock;
        if (!channel.server.Listen(folder)) sys::ReleaseChannelLock(channel.lock);
        return {};
    }
    if (lock.status != sys::ChannelLockStatus::HeldElsewhere) return {};
    const std::vector<std::string> paths = PathsToHandOver(arguments);
    if (paths.empty()) return {};
    return HandOver(folder, paths);
}

void StartInstanceServer() {
    InstanceChannel& channel = Channel();
    if (!channel.server.IsListening()) return;
    channel.watcher.Start(Frame().window);
    OnInstanceChannelMessage();
}

void StopInstanceServer() {
    InstanceChannel& channel = Channel();
    channel.watcher.Stop();
    channel.server.Close();
    sys::ReleaseChannelLock(channel.lock);
}

void OnInstanceChannelMessage() {
    InstanceChannel& channel = Channel();
    if (!channel.server.IsListening()) return;
    channel.server.Service(AnswerOpenLine);
    channel.watcher.Arm(channel.server.WatchList());
}

bool AnswerOpenLine(std::string_view line) {
    std::optional<std::string> path = sys::DecodeOpenLine(line);
    if (!path) return false;
    const CommandLineResult result = ParseOpenPath(*path);
    // A file that is not there is still tried, so that this program's user sees
    // why it cannot be read; the start that sent it is told it did not open.
    if (result == CommandLineResult::OpenFile || result == CommandLineResult::NotAFile) RequestOpen(*path);
    return result == CommandLineResult::OpenFile;
}

}  // namespace ql
