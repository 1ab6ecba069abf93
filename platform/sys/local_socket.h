// The open channel between instances of the program: a lock file and a Unix-domain
// stream socket in a folder of the user's own (mode 0700) under the runtime folder.
// The process that takes the lock serves; a later start that finds the lock held
// hands its files over as a client (message form in local_socket_lines.h). The
// server never blocks: Service waits at most the time it is given, keeps one record
// per connection, answers only peers of its own user id, and bounds what it buffers.
#pragma once

#include <poll.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/sys/local_socket_lines.h"

namespace ql::sys {

constexpr char kChannelFolderName[] = "qlwin32";
constexpr char kChannelSocketName[] = "system.sock";
constexpr char kChannelLockName[] = "server.lock";
// How long a client retries to connect while the lock holder is still starting.
constexpr int kChannelConnectRetryMs = 2000;

// $XDG_RUNTIME_DIR/qlwin32, or qlwin32-<uid> in the temporary folder when that
// variable is unset, empty or relative (RuntimeFolder in folders.h, as the file locks).
std::filesystem::path ChannelFolder();
// Creates the folder with mode 0700 when missing. True only when it is a folder
// (not a link) owned by this user with mode 0700 exactly.
bool PrepareChannelFolder(const std::filesystem::path& folder);

// The server lock: an exclusive flock on server.lock, released by the kernel when
// the descriptor closes, also when the process dies.
enum class ChannelLockStatus : uint8_t { Held, HeldElsewhere, Unavailable };
struct ChannelLock {
    ChannelLockStatus status = ChannelLockStatus::Unavailable;
    int descriptor = -1;
};
ChannelLock TakeChannelLock(const std::filesystem::path& folder);
void ReleaseChannelLock(ChannelLock& lock);

class ChannelServer {
  public:
    // Called once per complete line, in order; true answers ACK, false NAK.
    using LineHandler = std::function<bool(std::string_view line)>;

    ChannelServer();
    ~ChannelServer();
    ChannelServer(const ChannelServer&) = delete;
    ChannelServer& operator=(const ChannelServer&) = delete;

    // Removes a socket left by a dead server, binds and listens. False on failure.
    bool Listen(const std::filesystem::path& folder);
    // Closes every connection and the socket, and removes the socket file.
    void Close();
    bool IsListening() const { return listener_ >= 0; }

    // Waits at most `timeoutMs` (0: not at all) for activity, then accepts, reads and
    // answers what is there without blocking.
    void Service(const LineHandler& handler, int timeoutMs = 0);
    // The descriptors a watcher waits on (the socket and every connection).
    std::vector<pollfd> WatchList() const;

    size_t ConnectionCount() const { return connections_.size(); }
    // Bytes held for all connections: partial lines and unsent answers.
    size_t BufferedBytes() const;
    // The user id a peer must have (this process's own unless a test sets another).
    void SetAllowedUser(uint32_t uid) { allowedUid_ = uid; }

  private:
    struct Connection;
    void AcceptAll();
    bool ReadFrom(Connection& connection, const LineHandler& handler);
    bool Flush(Connection& connection);

    int listener_ = -1;
    std::filesystem::path socketPath_;
    uint32_t allowedUid_;
    std::vector<std::unique_ptr<Connection>> connections_;
};

// What a client learnt from the server.
struct OpenLinesReply {
    bool connected = false;
    std::vector<bool> acknowledged;  // one per path answered, in order
    bool AllAcknowledged(size_t paths) const;
};

// Connects to the folder's socket (retrying for `retryMs` while nobody listens),
// sends one line per path and reads the answers. Blocks, for at most half a minute
// without progress; used at start only.
OpenLinesReply SendOpenLines(const std::filesystem::path& folder,
                             const std::vector<std::string>& paths,
                             int retryMs = kChannelConnectRetryMs);

}  // namespace ql::sys
