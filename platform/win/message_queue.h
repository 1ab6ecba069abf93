// The queue of posted messages: the one part of the window layer that other
// threads touch (through PostMessage). Guarded by a mutex; FIFO.
#pragma once

#include <cstddef>
#include <deque>
#include <functional>
#include <mutex>

#include "platform/win/messages.h"

namespace ql::win::detail {

class MessageQueue {
public:
    void Post(const QueuedMessage& message);
    bool Take(QueuedMessage& out);
    bool Contains(const std::function<bool(const QueuedMessage&)>& match) const;
    void RemoveIf(const std::function<bool(const QueuedMessage&)>& match);
    size_t Size() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::deque<QueuedMessage> messages_;
};

MessageQueue& Queue();

}  // namespace ql::win::detail
