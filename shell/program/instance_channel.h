// One running program per user for files opened from the desktop: the first start
// takes the channel lock and serves its socket (platform/sys/local_socket.h); a
// later start with files hands them over, one line each, and exits 0 when all were
// taken, else 1. The server answers each line on the user-interface thread: the
// path is checked as a command-line argument and, when it names a file to open,
// queued on the frame's open queue. A watcher thread waits on the socket and posts
// kInstanceChannelMessage to the frame, so the loop itself never waits on it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "platform/win/messages.h"

namespace ql {

// The frame's message: the channel has something to read or send.
constexpr win::Message kInstanceChannelMessage = win::PrivateMessage(0x36);

// What start-up does after claiming the channel.
struct InstanceClaim {
    bool handedOver = false;  // another program took (or refused) the files: exit
    int exitCode = 0;         // 0 when every file was acknowledged, else 1
    std::string message;      // the line for standard error when not all were taken
};

// With the lock free: takes it and listens (this start is the server). With the
// lock held elsewhere and file arguments ("/dde" is none): sends them to the
// running program. Otherwise nothing: the program starts on its own.
InstanceClaim ClaimInstanceChannel(const std::vector<std::string>& arguments);

// Once the frame exists: the watcher starts and the first waiting lines are served.
void StartInstanceServer();
// Shutdown: the watcher stops, the socket closes and the lock is released.
void StopInstanceServer();
// The frame's handling of kInstanceChannelMessage.
void OnInstanceChannelMessage();

// The server's answer to one line: true (ACK) when it names a file to open, which
// is then queued on the frame. A name of a file that is not there (or is no regular
// file) is queued all the same, so that the open tells this program's user why it
// failed, and answered false.
bool AnswerOpenLine(std::string_view line);

}  // namespace ql
