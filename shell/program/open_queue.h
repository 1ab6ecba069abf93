// The frame's queue of paths waiting to be opened. Every open request from outside
// the menus (the command line, the reopen at start, a drop) pushes its own copy of
// the path and posts the open command with kOpenQueued as its parameter; the frame
// takes one path per such command, so requests made at once each open their own
// file once. User-interface thread only.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>
#include <string>

namespace ql {

// The parameter of the open command that names the queue.
constexpr intptr_t kOpenQueued = 1;

class OpenQueue {
public:
    void Push(std::string path) { paths_.push_back(std::move(path)); }
    // The oldest path, or nothing when the queue is empty.
    std::optional<std::string> Pop() {
        if (paths_.empty()) return std::nullopt;
        std::string path = std::move(paths_.front());
        paths_.pop_front();
        return path;
    }
    size_t Size() const { return paths_.size(); }
    void Clear() { paths_.clear(); }

private:
    std::deque<std::string> paths_;
};

}  // namespace ql
