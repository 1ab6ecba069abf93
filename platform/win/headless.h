// Test controls of the headless window backend: the virtual clock, key state,
// the screen size and injected input, and a reset of the whole window layer so
// each test starts from nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/win/keys.h"
#include "platform/win/messages.h"

namespace ql::win::headless {

// Destroys every window (no messages are sent), class, timer, caret and queued
// message, and installs a fresh headless backend (clock 0, keys up, pointer 0,0).
void ResetWindowLayer();

// Moves the virtual clock forward; due timers make their Timer messages when the
// queue is next read.
void AdvanceClock(uint64_t milliseconds);

void SetKeyDown(Key key, bool down);

// Posts the messages of a key stroke to the window: KeyDown, then Char when
// `character` is not 0, then KeyUp.
void PostKeyStroke(WindowHandle window, Key key, uint32_t character = 0);
// Posts a mouse message at a client point, with the modifier flags of the keys
// held (kMouseShift, kMouseControl) added to `flags`. A button press first
// activates the document child holding the window, as a click does.
void PostMouse(WindowHandle window, Message message, Point client, uint32_t flags = 0);

// Messages posted and not yet fetched.
size_t PendingMessageCount();

// The screen points the program warped the pointer to, oldest first.
std::vector<Point> PointerWarps();

// Screen size reported by the metrics (default 1280 x 1024).
void SetScreenSize(Size size);

}  // namespace ql::win::headless
