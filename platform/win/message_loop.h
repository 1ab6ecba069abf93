// Sending and posting messages, the quit message and the message loop.
// SendMessage calls the window's procedure at once and returns its answer.
// PostMessage queues the message; it is the one call other threads may make, and
// it wakes a loop waiting for messages. Messages come out of the queue in the
// order they were posted; paint and timer messages are made when the queue of
// posted messages is empty (paint first).
#pragma once

#include <functional>
#include <span>

#include "platform/win/messages.h"

namespace ql::win {

// 0 when the window does not resolve. User-interface thread only.
intptr_t SendMessage(WindowHandle window, Message message, uint32_t word = 0, intptr_t data = 0);
// Thread-safe. False only when `window` is null; a window destroyed before the
// message is fetched drops the message.
bool PostMessage(WindowHandle window, Message message, uint32_t word = 0, intptr_t data = 0);
// Queues Quit with the exit code, behind the messages already posted. Thread-safe.
void PostQuitMessage(int32_t exitCode);

// Removes every posted message of kind `message` for `window` that is still waiting
// (messages other threads posted are taken in first, so the rest keep their order).
// User-interface thread only.
void RemovePendingMessages(WindowHandle window, Message message);

// Waits for the next message. False when it is Quit (its word holds the code).
bool GetMessage(QueuedMessage& out);
// Takes the next message without waiting; false when there is none.
bool PeekMessage(QueuedMessage& out);
// Hands the message to its window's procedure; 0 for stale windows and Quit.
intptr_t DispatchMessage(const QueuedMessage& message);

// A hook that sees each message before it is dispatched and returns true when it
// took it (the open modeless dialog, accelerator tables). Tried in order.
using MessageFilter = std::function<bool(const QueuedMessage&)>;

// Runs until Quit; returns its exit code.
int32_t RunMessageLoop(std::span<const MessageFilter> filters = {});

// Dispatches every message that is waiting (through the filters), without waiting
// for more. `quit` reports a Quit taken (it is not dispatched and stays taken:
// post it again to keep it for an outer loop).
struct PumpResult {
    int dispatched = 0;
    bool quit = false;
    int32_t exitCode = 0;
};
PumpResult PumpMessages(std::span<const MessageFilter> filters = {});

}  // namespace ql::win
