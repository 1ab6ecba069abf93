// The procedure of the score windows until the view procedures of the score
// editor take over: it keeps the view in window long 0, paints the view, makes the
// view active when its window is activated, and closes the window through the
// score-window module.
#pragma once

#include <cstdint>

#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;

intptr_t ScoreChildWndProc(platform::WindowHandle window, win::Message message, uint32_t word, intptr_t data);

// Whether the view's window may close (its score saved or given up).
bool ScoreViewAgreesToClose(ScoreView* view);

// The score windows in the frame's document client.
int CountScoreWindows();

}  // namespace ql
