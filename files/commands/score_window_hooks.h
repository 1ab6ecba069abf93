// What the file commands ask of the frame's score windows: showing the window of a
// view that a command built or loaded. The frame installs its function at start-up;
// without one (tests, the command-line tools) a view is shown by its existing window
// when it has one, and nothing else is done.
#pragma once

#include <functional>
#include <string>

namespace ql {

struct ScoreDocument;
struct ScoreView;

using ShowScoreWindowFn = std::function<void(ScoreView* view)>;

// Installs the frame's function; an empty one removes it.
void SetShowScoreWindow(ShowScoreWindowFn show);

// Shows the view's window through the installed function.
void ShowScoreWindow(ScoreView* view);

using CaptionOfPathFn = std::function<std::string(const std::string& path)>;

// Installs the frame's caption of a score's path (the one its windows are created
// with); an empty one removes it, and the path itself is the caption.
void SetCaptionOfPath(CaptionOfPathFn caption);

// Gives every window of the document's views the caption of `path`.
void SetScoreWindowCaptions(const ScoreDocument* document, const std::string& path);

}  // namespace ql
