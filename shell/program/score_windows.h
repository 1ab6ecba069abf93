// Score child windows: every open score is shown in one or more document windows
// of the frame, each holding a ScoreView on the shared ScoreDocument (window long
// 0). Several windows on one file are numbered in their captions ("path", then
// "path(1)", "path(2)"), renumbered when one closes; a document lives as long as
// one of its views. The first window switches the frame to the child menu, closing
// the last switches it back. User-interface thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "core/ui/shell_services.h"
#include "platform/handles.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;

// Registers the class of the score windows (kScoreWindowClass).
bool RegisterScoreWindowClass();

bool IsScoreWindow(platform::WindowHandle window);

// Opens a file given by path (from the open queue) by its extension: an open
// file's window comes forward; another process holding it, a declined read-only
// file or a failed load opens nothing (the user was told). True when a window
// shows the file afterwards.
bool OpenScorePath(const std::string& path);


// CreateScoreWindow, CloseScoreWindow and ForceCloseScoreWindow, which the
// importers call too, are in core/ui/shell_services.h; their table's slots are
// filled with the functions of `program` at the end.
// A window for a view the file commands built or loaded (New, templates), captioned
// by its score's path; a view that has a window keeps it.
void ShowCommandScoreWindow(ScoreView* view);

// "&Open View": another window on the view's document, numbered after the others.
ScoreView* OpenViewOfDocument(ScoreView* view);


// Frees the window's view and, with its last view, its document.
void DestroyViewForWindow(platform::WindowHandle window);

// The captions of the document's windows: the plain shortened path for the
// lowest-numbered window, then "(1)", "(2)"... in the order of their old numbers.
void RenumberViewCaptions(ScoreDocument* document);
// The caption of a score window showing the file at `path` (unnumbered): every
// score window, also after Save As, is captioned by it.
std::string CaptionOfPath(const std::string& path);

// The number a caption carries after the document's shortened path: 0 for none.
int CaptionNumber(std::string_view caption, std::string_view base);
std::string NumberedCaption(std::string_view base, int number);

// The first view whose document has this path (letter case ignored), or null.
ScoreView* FindViewByPath(std::string_view path);
int CountOpenViews();
int CountOpenDocuments();
// The windows showing a document, in the document client's order.
std::vector<platform::WindowHandle> WindowsOfDocument(const ScoreDocument* document);

// The menu switch: the child menu while any score window is open, the frame menu
// otherwise.
void SetChildMenu(ScoreView* view);
inline void RestoreFrameMenu() { SetChildMenu(nullptr); }

namespace program {
ScoreView* CreateScoreWindow(ScoreView* view, const std::string& caption, bool maximize);
int CloseScoreWindow(platform::WindowHandle window);
void ForceCloseScoreWindow(platform::WindowHandle window);
}  // namespace program

}  // namespace ql
