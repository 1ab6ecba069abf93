// The Notes tool's key-ups: Shift and Space drop the key repeats still waiting for
// the view's window, and nothing else; Ctrl's key-up only releases the pedal.
#include <gtest/gtest.h>

#include <vector>

#include "notes/handler/notes_tool.h"
#include "notes/tests/entry/entry_fixture.h"
#include "platform/win/keys.h"
#include "platform/win/message_loop.h"

namespace ql::testing_entry {
namespace {

using NotesToolKeys = EntryTest;

constexpr uint32_t kLetterA = 0x41;

constexpr int kMostMessages = 64;

// The posted messages waiting for `window`, taken out of the queue (a paint is
// dispatched, which validates the window, and not counted).
std::vector<win::Message> TakeWaiting(platform::WindowHandle window) {
    std::vector<win::Message> out;
    win::QueuedMessage m;
    for (int i = 0; i < kMostMessages && win::PeekMessage(m); ++i) {
        if (m.message == win::Message::Paint) {
            win::DispatchMessage(m);
            continue;
        }
        if (m.window == window) out.push_back(m.message);
    }
    return out;
}

TEST_F(NotesToolKeys, ShiftAndSpaceUpFlushKeyRepeats) {
    OpenWindow(64, 64);
    TakeWaiting(window_);
    // Shift up: both repeats go, the character message stays.
    win::PostMessage(window_, win::Message::KeyDown, kLetterA);
    win::PostMessage(window_, win::Message::Char, kLetterA);
    win::PostMessage(window_, win::Message::KeyDown, kLetterA);
    NotesToolMessage(view_, window_, win::Message::KeyUp, static_cast<uint32_t>(win::Key::Shift), 0);
    EXPECT_EQ(TakeWaiting(window_), std::vector<win::Message>{win::Message::Char});
    // Space up: the same.
    win::PostMessage(window_, win::Message::KeyDown, kLetterA);
    EXPECT_EQ(NotesToolMessage(view_, window_, win::Message::KeyUp, static_cast<uint32_t>(win::Key::Space), 0), 1);
    EXPECT_TRUE(TakeWaiting(window_).empty());
    // Ctrl up keeps the repeats.
    win::PostMessage(window_, win::Message::KeyDown, kLetterA);
    NotesToolMessage(view_, window_, win::Message::KeyUp, static_cast<uint32_t>(win::Key::Control), 0);
    EXPECT_EQ(TakeWaiting(window_), std::vector<win::Message>{win::Message::KeyDown});
}

}  // namespace
}  // namespace ql::testing_entry
