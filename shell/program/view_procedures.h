// The score windows' view procedures: ScoreChildWndProc binds a window to its view
// and guards the rest; ViewMessageProc turns window messages and keys into view,
// transport and tool actions (filtering input while the transport runs);
// ViewOnCommand (shell/shell_services.h) carries out the view commands.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;

// Private messages of a score window.
constexpr win::Message kMsgToolCommand = win::PrivateMessage(0x24);  // word: command, data: type
constexpr win::Message kMsgAutoScrollStepMessage = win::PrivateMessage(0x29);
constexpr win::Message kMsgVersionWarning = win::PrivateMessage(0x34);  // after a paint
// To a view's mixer window: the tempo changed (word: the new tempo).
constexpr win::Message kMsgMixerTempo = win::PrivateMessage(0x0E);

// View commands the menus carry.
namespace view_cmd {
constexpr int32_t kChooseFont = 40225;
constexpr int32_t kLyricFont = 40218;
constexpr int32_t kTextLineFont = 40219;
constexpr int32_t kMultiMeasureRest = 40454;
constexpr int32_t kReformatPage = 42085;
constexpr int32_t kNewTranscription = 40368;
constexpr int32_t kPrintToClipboard = 40212;
constexpr int32_t kExtractPart = 40343;
constexpr int32_t kMeasureOwned = 40138;  // text and graphics placed in their measures
constexpr int32_t kPageOwned = 40139;     // ... on the page
constexpr int32_t kAllNotesOff = 40215;
constexpr int32_t kResetMeasureLengths = 1177;
constexpr int32_t kFirstQuickZoom = 40363;  // Quickzoom 1 .. 4
constexpr int32_t kSendToBack = 40133;
constexpr int32_t kBringToFront = 40134;
constexpr int32_t kToggleOwnership = 40140;
}  // namespace view_cmd

// The transport clock's timer on a view window.
constexpr uint32_t kTransportClockTimer = 54;

// Keyboard and pointer state of the view procedures (user-interface thread only).
struct ViewInput {
    uint8_t gPrefix = 0;            // Ctrl+G was pressed: M or P follows
    uint8_t swallowSysCommand = 0;  // the next system command is ignored
    uint32_t heldArrow = 0;         // the arrow key dragging with Ctrl; 0 none
    int32_t nesting = 0;            // depth of ViewMessageProc
    uint8_t dragFlags = 0;          // bit 1: button held while dragging or marqueeing
    uint8_t wheelZoomed = 0;        // the wheel has zoomed in this run
    uint64_t lastWheelZoom = 0;     // milliseconds of the last wheel zoom
    int32_t notedPointer[2] = {};   // the pointer noted before a quick-zoom recall
    uint8_t elapsedSeconds = 0;     // the transport clock
    uint8_t elapsedMinutes = 0;
};
ViewInput& ViewInputState();

// The window procedure of the score windows.
intptr_t ScoreChildWndProc(platform::WindowHandle window, win::Message message, uint32_t word,
                           intptr_t data);

// The view bound to a score window; null when the window is not a score window or
// its view is invalid or has no document.
ScoreView* GetViewFromWindow(platform::WindowHandle window);

// The view procedure; for Command, 0 when the view took the command and 1 when the
// frame's default processing should run.
intptr_t ViewMessageProc(ScoreView* view, platform::WindowHandle window, win::Message message,
                         uint32_t word, intptr_t data);

// Refreshes the toolbar, then makes the window's view active: null for no window,
// while the transport runs or a modal box is up.
ScoreView* ActivateViewByWindow(platform::WindowHandle window);

// The paint of a view's invalid area.
void PaintScoreView(ScoreView* view, platform::WindowHandle window);

// A function every view command passes before it runs, inside the command guard
// (tests make a command fail with it); null for none.
using ViewCommandHook = void (*)(int command);
void SetViewCommandHook(ViewCommandHook hook);

// The view procedure's state back to its start (tests).
void ResetViewProcedures();

}  // namespace ql
