// The guards at the border between the window layer and the program: every window
// procedure the program registers runs inside one. The first exception that reaches
// a guard saves the active score's emergency copy and every other modified score's
// autosave copy (the files themselves stay untouched), shows the guard's box,
// closes every window without a save question, saves the settings and ends the
// message loop with exit code 1. Nothing is thrown on; a later exception shows
// nothing.
#pragma once

#include <cstdint>

#include "platform/win/messages.h"

namespace ql {

// Frame: the frame's commands; View: a score window's messages; ViewCommand: a
// score view's commands.
enum class GuardKind : uint8_t { Frame, View, ViewCommand };

// The procedure run inside the guard of its kind.
win::WindowProc Guarded(win::WindowProc procedure, GuardKind kind);

// What the guard does with an exception it caught (also for tests).
void HandleProgramException(GuardKind kind);

// The exit code after an exception.
constexpr int32_t kExceptionExitCode = 1;

}  // namespace ql
