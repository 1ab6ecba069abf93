// Test controls of the clipboard: what it holds, how often it was opened and
// closed, what the last closing offered, and a failure to inject into the next
// open, empty, set or get.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
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
// The last offer made with the headless hook installed (none after a reset), and
// its MIME targets in format order.
std::optional<ClipboardOffer> LastClipboardOffer();
std::vector<std::string> LastOfferedTargets();

}  // namespace ql::sys::headless
