// Test controls of the clipboard: what it holds, how often it was opened and
// closed, and a failure to inject into the next open, empty, set or get.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/sys/clipboard.h"

namespace ql::sys::headless {

enum class ClipboardStep : uint8_t { Open, Empty, Set, Get };

// Empties the clipboard, closes it and clears the counters and injected failures.
void ResetClipboard();
// The next call of that step fails (once).
void FailNextClipboardStep(ClipboardStep step);
// The formats offered, in ascending code order.
std::vector<ClipboardFormat> ClipboardFormats();
int ClipboardOpenCount();
int ClipboardCloseCount();

}  // namespace ql::sys::headless
