// The MIDI layer's threads that may be let go (a guarded output's writer, the
// synthesizer's audio jobs and its WAV writer) count themselves while they run,
// so that the program can wait for them at exit before its static objects go. A
// thread stops counting only after what its body held (a device, a synthesizer)
// has been released.
#pragma once

#include <cstdint>
#include <functional>
#include <thread>

namespace ql::midi {

// A thread running `body`, counted from now until the body and what it holds
// are gone. Throws std::system_error, as std::thread does, when no thread can be
// made (then nothing is counted).
std::thread StartCountedThread(std::function<void()> body);

// How many counted threads run now; any thread.
int CountedThreadsRunning();

// Waits until no counted thread runs, at most `ms`; true when none runs.
bool WaitForCountedThreads(uint32_t ms);

}  // namespace ql::midi
