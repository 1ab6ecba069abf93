// The frame's on/off settings: a fixed table of command and the one-byte flag it
// flips, searched before any other command. A flip does nothing else: the menus
// show the flag checked as they open, and the program reads the flags where it
// acts. The playback and recording switches that also have a score window's
// command (swing, play loose, echo, metronome and countdown of recording) stay in
// that window's table (view_toggles.h).
#pragma once

#include <cstdint>
#include <span>

namespace ql {

// Two toggles of program flags that no settings key keeps.
constexpr int32_t kPromoteShapedHeads = 40213;
constexpr int32_t kTrimUnusedPages = 40199;

struct FrameToggle {
    int32_t command;
    uint8_t& (*flag)();
    // The item shows checked only while a MIDI output exists.
    bool needsOutput = false;
};

std::span<const FrameToggle> FrameToggles();

// Flips the flag of a toggle command (1 when it was 0, else 0); false for any other
// command.
bool RunFrameToggle(int32_t command);

}  // namespace ql
