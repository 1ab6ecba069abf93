// The program's frame window: its state (windows, menus, layout values, the open
// queue, the terminating flag and the exit code), the frame procedure with its
// command dispatch, and the two exit stages: Close asks every score window and may
// be refused; Destroy closes what is left without asking, saves the settings,
// shuts the program down and ends the message loop.
#pragma once

#include <cstdint>
#include <string>

#include "platform/handles.h"
#include "platform/win/messages.h"
#include "shell/program/frame_layout.h"
#include "shell/program/open_queue.h"

namespace ql {

struct ProgramFrame {
    platform::WindowHandle window;
    platform::WindowHandle mdiClient;
    platform::WindowHandle statusBar;
    platform::WindowHandle readout;
    platform::MenuHandle frameMenu;        // "FRAMEMENU": File, Help, Language
    platform::MenuHandle childMenu;        // "CHILDMENU": shown while a score is open
    platform::MenuHandle frameWindowMenu;  // the frame menu's File popup
    platform::MenuHandle childWindowMenu;  // the child menu's Window popup
    OpenQueue openQueue;
    DockSide dock = DockSide::Top;
    int32_t barThickness = 0;
    int32_t toolSize = kLargePaletteButton;
    bool statusBarOn = true;
    bool terminating = false;   // the frame is closing, or an exception was met
    bool shutdownDone = false;  // ShutdownCleanup ran
    int32_t exitCode = 0;       // the code the quit message carries
    int32_t lastArrangement = 0;  // the last Cascade or Tile command; 0 none
};

// The one frame of the program (user-interface thread only).
ProgramFrame& Frame();
// Forgets every handle and flag (tests; the windows must be gone).
void ResetFrame();

// A frame shown over the whole screen takes the screen's size.
void FitFrameToScreen(platform::WindowHandle window);
// Cascade or one of the tilings again, as last chosen; nothing before the first.
void RepeatArrangement();

// The frame procedure and its command dispatch.
intptr_t FrameWndProc(platform::WindowHandle window, win::Message message, uint32_t word, intptr_t data);
intptr_t FrameOnCommand(platform::WindowHandle window, uint32_t word, intptr_t data);

// The two menu bars' resources and the position of each one's window popup.
constexpr char kFrameMenuResource[] = "FRAMEMENU";
constexpr char kChildMenuResource[] = "CHILDMENU";
constexpr int32_t kFrameWindowPopup = 0;  // File
constexpr int32_t kChildWindowPopup = 7;  // Window

// Puts "FRAMEMENU" and "CHILDMENU" into the program's own resources. Done before a
// language is chosen, so that its bundle can give the menus their texts.
void RegisterProgramMenus();
// Builds "FRAMEMENU" and "CHILDMENU" from the resources (language first) with their
// window popups into the frame state; false, with the state untouched, when either
// is missing.
bool BuildProgramMenus();

// The frame's caption: the product name, or the auto-save caption while it is on.
void SetFrameCaption();

// Creates the hidden frame with its document client and status bar; null on failure.
platform::WindowHandle CreateProgramFrame();

// Shows the frame for the first time: over the whole screen when "StartMaximized"
// is on, else in its own size.
void ShowProgramFrame();

// Queues a path and posts the open command that takes it.
void RequestOpen(const std::string& path);

// A key pressed in the frame or any window inside it that the current menu bar
// names as an item's accelerator sends the item's command to the frame; true when
// the key was taken. The program's message loop runs every message through it.
bool TranslateFrameAccelerator(const win::QueuedMessage& message);

// Asks every score window to close (forced: closes each whatever it answers).
// True when none is left.
bool CloseScoreWindows(bool force);

}  // namespace ql
