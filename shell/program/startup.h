// Start-up, the message loop and shutdown of the interactive program. Start-up runs
// in a fixed order: the window classes, the music-font check, the core services,
// the settings, the frame with its menus and status bar, the splash, and the open
// requests of the command line (or the reopen of the last file). The loop runs
// until the frame is destroyed; ShutdownCleanup releases what start-up made, and
// runs also when start-up stops half-way.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/win/message_loop.h"

namespace ql {

// The codes of a start-up that stopped (its step showed what went wrong).
enum class StartupCode : int32_t {
    Ok = 0,
    NoClasses = 1,     // a window class could not be registered
    NoCore = 6,        // the core services (pools, selection, fonts) could not start
    NoFrame = 7,       // the frame window could not be made
    NoScreen = 8,      // the frame gave no context to read the screen from
    NoMusicFont = 111, // the music font is not installed
};

// The faces the program cannot do without, and the one it warns about.
constexpr char kMusicFace[] = "Glyphora";
constexpr char kChordFace[] = "Fretmark";
constexpr char kFontFileSuffix[] = ".TTF";

struct StartupOptions {
    std::vector<std::string> arguments;  // the command line, program name excluded
    std::string musicFace = kMusicFace;  // the face whose absence stops start-up
    std::string chordFace = kChordFace;
    bool splash = true;
    // Without a display: once the opens are done, the program closes its frame
    // (batch use: a file that does not open gives a non-zero code).
    bool exitWhenIdle = false;
    // Files other starts hand over are opened here (the channel claimed at start,
    // shell/program/instance_channel.h); batch runs without a display stay apart.
    bool serveOpenChannel = false;
};

// Runs start-up; on a failure ShutdownCleanup has run and the code is returned.
StartupCode StartProgram(const StartupOptions& options);

// The whole program: start-up, the loop and shutdown. The exit code: 0 after a
// normal exit, 1 after an exception, and the start-up code when it stopped.
int32_t RunProgram(const StartupOptions& options);

// What the program's loop runs every message through before it is dispatched: the
// frame's accelerators.
std::span<const win::MessageFilter> ProgramMessageFilters();

// Releases every program-wide resource; harmless when called twice.
void ShutdownCleanup();

// Pushes each command-line argument that names a file to open onto the open queue
// (or, with none and "LoadLastFile" on, the first existing file of the pick list).
void QueueStartupOpens(const std::vector<std::string>& arguments);

// The pick list as start-up reads it.
std::vector<std::string> PickListAtStart();

}  // namespace ql
