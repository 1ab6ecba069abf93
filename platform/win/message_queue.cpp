// The posted-message queue, safe to post to from any thread.
#include "platform/win/message_queue.h"

#include <algorithm>

namespace ql::win::detail {

void MessageQueue::Post(const QueuedMessage& message) {
    std::lock_guard lock(mutex_);
    messages_.push_back(message);
}

bool MessageQueue::Take(QueuedMessage& out) {
    std::lock_guard lock(mutex_);
    if (messages_.empty()) return false;
    out = messages_.front();
    messages_.pop_front();
    return true;
}

bool MessageQueue::Contains(const std::function<bool(const QueuedMessage&)>& match) const {
    std::lock_guard lock(mutex_);
    return std::any_of(messages_.begin(), messages_.end(), match);
}

void MessageQueue::RemoveIf(const std::function<bool(const QueuedMessage&)>& match) {
    std::lock_guard lock(mutex_);
    messages_.erase(std::remove_if(messages_.begin(), messages_.end(), match), messages_.end());
}

size_t MessageQueue::Size() const {
    std::lock_guard lock(mutex_);
    return messages_.size();
}

void MessageQueue::Clear() {
    std::lock_guard lock(mutex_);
    messages_.clear();
}

MessageQueue& Queue() {
    static MessageQueue queue;  // initialised thread-safely on first use
    return queue;
}

}  // namespace ql::win::detail
