// The open channel's folder, lock, server and client (see local_socket.h).
#include "platform/sys/local_socket.h"

#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <thread>

#include "platform/sys/folders.h"

namespace ql::sys {
namespace {

constexpr mode_t kPrivateFolderMode = 0700;
constexpr mode_t kLockFileMode = 0600;
constexpr int kListenBacklog = 64;
// Connections served at once; more are closed at once without an answer.
constexpr size_t kMaxConnections = 256;
// Bytes read from one connection per service round, and the unsent answers a
// connection may hold before its reading pauses (a client that does not read).
constexpr size_t kReadChunk = 8192;
constexpr size_t kMaxPendingAnswers = 16 * 1024;
// Reads from one connection per service round: a client that keeps sending
// cannot hold the loop; the rest waits for the next round.
constexpr int kReadsPerRound = 8;
constexpr int kConnectRetryStepMs = 20;
// A client gives up on a server that neither reads nor answers for this long.
constexpr int kClientTimeoutSeconds = 30;

struct ScopedDescriptor {
    int fd = -1;
    ~ScopedDescriptor() {
        if (fd >= 0) ::close(fd);
    }
};

bool SocketAddress(const std::filesystem::path& socket, sockaddr_un& address) {
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    const std::string text = socket.string();
    if (text.size() >= sizeof address.sun_path) return false;
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return true;
}

int ConnectOnce(const sockaddr_un& address) {
    const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0) return -1;
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) return fd;
    ::close(fd);
    return -1;
}

bool PeerIsUser(int fd, uint32_t uid) {
    ucred credentials{};
    socklen_t size = sizeof credentials;
    if (::getsockopt(fd, SOL_SOCKET, SO_PEERCRED, &credentials, &size) != 0) return false;
    return credentials.uid == uid;
}

bool SendAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t sent = ::send(fd, bytes.data(), bytes.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent <= 0) return false;
        bytes.remove_prefix(static_cast<size_t>(sent));
    }
    return true;
}

}  // namespace

struct ChannelServer::Connection {
    int fd = -1;
    LineAssembler lines;
    std::string out;
    bool closing = false;  // the peer ended, or its line was too long: flush, then close
};

std::filesystem::path ChannelFolder() {
    if (const std::filesystem::path runtime = RuntimeFolder(); !runtime.empty())
        return runtime / kChannelFolderName;
    return TemporaryFolder() / (std::string(kChannelFolderName) + "-" + std::to_string(::getuid()));
}

bool PrepareChannelFolder(const std::filesystem::path& folder) {
    // A folder made here gets its mode whatever the umask is; one that was there
    // already must have it.
    if (::mkdir(folder.c_str(), kPrivateFolderMode) == 0)
        ::chmod(folder.c_str(), kPrivateFolderMode);
    else if (errno != EEXIST)
        return false;
    struct stat status {};
    if (::lstat(folder.c_str(), &status) != 0) return false;
    if (!S_ISDIR(status.st_mode) || status.st_uid != ::geteuid()) return false;
    return (status.st_mode & 07777) == kPrivateFolderMode;
}

ChannelLock TakeChannelLock(const std::filesystem::path& folder) {
    ChannelLock lock;
    const std::filesystem::path file = folder / kChannelLockName;
    const int fd = ::open(file.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, kLockFileMode);
    if (fd < 0) return lock;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        lock.status = ChannelLockStatus::Held;
        lock.descriptor = fd;
        return lock;
    }
    lock.status =
        errno == EWOULDBLOCK ? ChannelLockStatus::HeldElsewhere : ChannelLockStatus::Unavailable;
    ::close(fd);
    return lock;
}

void ReleaseChannelLock(ChannelLock& lock) {
    if (lock.descriptor >= 0) ::close(lock.descriptor);
    lock = ChannelLock{};
}

ChannelServer::ChannelServer() : allowedUid_(static_cast<uint32_t>(::geteuid())) {}

ChannelServer::~ChannelServer() {
    Close();
}

bool ChannelServer::Listen(const std::filesystem::path& folder) {
    Close();
    sockaddr_un address;
    const std::filesystem::path socket = folder / kChannelSocketName;
    if (!SocketAddress(socket, address)) return false;
    // Only the lock holder gets here, so a socket file left is a dead server's.
    ::unlink(socket.c_str());
    ScopedDescriptor fd{::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0)};
    if (fd.fd < 0) return false;
    if (::bind(fd.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0)
        return false;
    if (::listen(fd.fd, kListenBacklog) != 0) {
        ::unlink(socket.c_str());
        return false;
    }
    listener_ = fd.fd;
    fd.fd = -1;
    socketPath_ = socket;
    return true;
}

void ChannelServer::Close() {
    for (const std::unique_ptr<Connection>& connection : connections_) ::close(connection->fd);
    connections_.clear();
    if (listener_ < 0) return;
    ::close(listener_);
    listener_ = -1;
    ::unlink(socketPath_.c_str());
    socketPath_.clear();
}

size_t ChannelServer::BufferedBytes() const {
    size_t total = 0;
    for (const std::unique_ptr<Connection>& connection : connections_)
        total += connection->out.size() + connection->lines.PendingBytes();
    return total;
}

std::vector<pollfd> ChannelServer::WatchList() const {
    std::vector<pollfd> list;
    if (listener_ < 0) return list;
    list.push_back({listener_, POLLIN, 0});
    for (const std::unique_ptr<Connection>& connection : connections_) {
        short events = 0;
        if (!connection->closing && connection->out.size() < kMaxPendingAnswers) events |= POLLIN;
        if (!connection->out.empty()) events |= POLLOUT;
        list.push_back({connection->fd, events, 0});
    }
    return list;
}

void ChannelServer::AcceptAll() {
    while (true) {
        const int fd = ::accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0) {
            if (errno == EINTR || errno == ECONNABORTED) continue;
            return;
        }
        // A peer of another user, or one too many, is closed without an answer.
        if (!PeerIsUser(fd, allowedUid_) || connections_.size() >= kMaxConnections) {
            ::close(fd);
            continue;
        }
        auto connection = std::make_unique<Connection>();
        connection->fd = fd;
        connections_.push_back(std::move(connection));
    }
}

// Reads what is there and queues an answer per complete line. False when the
// connection failed and is to be dropped at once.
bool ChannelServer::ReadFrom(Connection& connection, const LineHandler& handler) {
    char buffer[kReadChunk];
    std::vector<std::string> lines;
    for (int reads = 0; reads < kReadsPerRound && !connection.closing &&
                        connection.out.size() < kMaxPendingAnswers;) {
        const ssize_t got = ::recv(connection.fd, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got < 0) return errno == EAGAIN || errno == EWOULDBLOCK;
        if (got == 0) {
            connection.closing = true;
            break;
        }
        ++reads;
        lines.clear();
        connection.lines.Feed(std::string_view(buffer, static_cast<size_t>(got)), lines);
        for (const std::string& line : lines) connection.out += handler(line) ? kAckLine : kNakLine;
        if (connection.lines.IsOverlong()) {
            connection.out += kNakLine;
            connection.closing = true;
        }
    }
    return true;
}

// Sends what the socket takes. False when the peer is gone.
bool ChannelServer::Flush(Connection& connection) {
    while (!connection.out.empty()) {
        const ssize_t sent =
            ::send(connection.fd, connection.out.data(), connection.out.size(), MSG_NOSIGNAL);
        if (sent < 0 && errno == EINTR) continue;
        if (sent < 0) return errno == EAGAIN || errno == EWOULDBLOCK;
        connection.out.erase(0, static_cast<size_t>(sent));
    }
    return true;
}

void ChannelServer::Service(const LineHandler& handler, int timeoutMs) {
    if (listener_ < 0) return;
    std::vector<pollfd> list = WatchList();
    if (timeoutMs > 0) ::poll(list.data(), list.size(), timeoutMs);
    AcceptAll();
    for (size_t i = 0; i < connections_.size();) {
        Connection& connection = *connections_[i];
        const bool alive = ReadFrom(connection, handler) && Flush(connection);
        if (alive && !(connection.closing && connection.out.empty())) {
            ++i;
            continue;
        }
        ::close(connection.fd);
        connections_.erase(connections_.begin() + static_cast<std::ptrdiff_t>(i));
    }
}

bool OpenLinesReply::AllAcknowledged(size_t paths) const {
    if (!connected || acknowledged.size() != paths) return false;
    for (const bool ack : acknowledged)
        if (!ack) return false;
    return true;
}

OpenLinesReply SendOpenLines(const std::filesystem::path& folder,
                             const std::vector<std::string>& paths, int retryMs) {
    OpenLinesReply reply;
    sockaddr_un address;
    if (!SocketAddress(folder / kChannelSocketName, address)) return reply;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(retryMs);
    ScopedDescriptor fd{ConnectOnce(address)};
    while (fd.fd < 0 && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(kConnectRetryStepMs));
        fd.fd = ConnectOnce(address);
    }
    if (fd.fd < 0) return reply;
    reply.connected = true;
    const timeval timeout{kClientTimeoutSeconds, 0};
    ::setsockopt(fd.fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd.fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    std::string request;
    for (const std::string& path : paths) request += EncodeOpenLine(path);
    if (!SendAll(fd.fd, request)) return reply;
    ::shutdown(fd.fd, SHUT_WR);
    std::string answers;
    char buffer[kReadChunk];
    while (true) {
        const ssize_t got = ::recv(fd.fd, buffer, sizeof buffer, 0);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) break;
        answers.append(buffer, static_cast<size_t>(got));
    }
    for (size_t start = 0; start + kAckLine.size() <= answers.size(); start += kAckLine.size())
        reply.acknowledged.push_back(answers.compare(start, kAckLine.size(), kAckLine) == 0);
    return reply;
}

}  // namespace ql::sys
