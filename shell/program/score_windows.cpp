// Score child windows: opening a file into a window, more windows on one document,
// captions and their numbers, the menu switch, and closing a window with its view
// (and the document with its last view).
#include "shell/program/score_windows.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "core/core_strings.h"
#include "core/model/document.h"
#include "core/model/score_document.h"
#include "core/model/view.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "core/undo/undo.h"
#include "display/view_modes.h"
#include "editing/tools.h"
#include "files/commands/file_commands.h"
#include "notes/beatmap/beat_map.h"
#include "platform/ui/mdi_frame.h"
#include "platform/win/mdi.h"
#include "platform/win/paint.h"
#include "platform/win/window.h"
#include "sequencer/mixer_window.h"
#include "shell/program/command_line.h"
#include "shell/program/frame.h"
#include "shell/program/program_ids.h"
#include "shell/program/score_child.h"
#include "shell/shell_services.h"

namespace ql {
namespace {

using platform::WindowHandle;

bool SamePathIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
           });
}

std::string CaptionBase(const ScoreDocument* document) {
    return CaptionOfPath(document->path);
}

// The view's fields a new window starts from: no window yet, its own drawing.
ScoreView* NewViewOnDocument(ScoreView* source) {
    ScoreView* view = AllocView();
    if (view == nullptr) return nullptr;
    CopyView(view, source);
    view->ViewWindow = {};
    if (!BuildGalleyPage(view, source)) {
        FreeView(view);
        return nullptr;
    }
    LinkView(view);
    return view;
}

void FreeViewAndLastDocument(ScoreView* view) {
    ScoreDocument* document = view->document;
    const bool last = IsDocumentInOtherView(view) == 0;
    FreeView(view);
    if (last && document != nullptr) {
        ClearUndoHistory(document);
        FreeDocument(document);
    }
}

}  // namespace

bool IsScoreWindow(WindowHandle window) { return GetScoreViewOfWindow(window) != nullptr; }

int CaptionNumber(std::string_view caption, std::string_view base) {
    if (caption.size() <= base.size() + 2 || caption.substr(0, base.size()) != base) return 0;
    std::string_view tail = caption.substr(base.size());
    if (tail.front() != '(' || tail.back() != ')') return 0;
    int number = 0;
    for (char c : tail.substr(1, tail.size() - 2)) {
        if (!std::isdigit(static_cast<unsigned char>(c)) || number > 100000) return 0;
        number = number * 10 + (c - '0');
    }
    return number;
}

std::string NumberedCaption(std::string_view base, int number) {
    std::string caption(base);
    if (number > 0) caption += "(" + std::to_string(number) + ")";
    return caption;
}

std::vector<WindowHandle> WindowsOfDocument(const ScoreDocument* document) {
    std::vector<WindowHandle> windows;
    for (WindowHandle child : win::ChildWindows(Frame().mdiClient, {kScoreWindowClass})) {
        ScoreView* view = GetScoreViewOfWindow(child);
        if (view != nullptr && view->document == document) windows.push_back(child);
    }
    return windows;
}

std::string CaptionOfPath(const std::string& path) {
    return ShortenPath(path, kCaptionPathWidth);
}

void RenumberViewCaptions(ScoreDocument* document) {
    const std::string base = CaptionBase(document);
    std::vector<std::pair<int, WindowHandle>> numbered;
    for (WindowHandle window : WindowsOfDocument(document))
        numbered.emplace_back(CaptionNumber(win::GetWindowText(window), base), window);
    std::stable_sort(numbered.begin(), numbered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 0; i < numbered.size(); ++i)
        win::SetWindowText(numbered[i].second, NumberedCaption(base, static_cast<int>(i)));
}

ScoreView* FindViewByPath(std::string_view path) {
    for (ScoreView* view = State().documents.FirstView; view != nullptr; view = view->nextView)
        if (view->document != nullptr && SamePathIgnoringCase(view->document->path, path)) return view;
    return nullptr;
}

int CountOpenViews() {
    int count = 0;
    for (ScoreView* view = State().documents.FirstView; view != nullptr; view = view->nextView) ++count;
    return count;
}

int CountOpenDocuments() {
    int count = 0;
    for (ScoreDocument* d = State().documents.FirstDocument; d != nullptr; d = d->nextDocument) ++count;
    return count;
}

void SetChildMenu(ScoreView* view) {
    ProgramFrame& frame = Frame();
    if (!win::IsWindow(frame.mdiClient)) return;
    const bool child = view != nullptr || CountOpenViews() > 0;
    const platform::MenuHandle wanted = child ? frame.childMenu : frame.frameMenu;
    if (win::GetWindowMenu(frame.window) == wanted) return;
    ui::SetMdiMenu(frame.mdiClient, wanted, child ? frame.childWindowMenu : frame.frameWindowMenu);
}

ScoreView* program::CreateScoreWindow(ScoreView* view, const std::string& caption, bool maximize) {
    ProgramFrame& frame = Frame();
    if (view == nullptr || !win::IsWindow(frame.mdiClient)) return nullptr;
    const bool first = CountScoreWindows() == 0;
    win::MdiChildParams params;
    params.className = kScoreWindowClass;
    params.caption = caption;
    params.style = win::kStyleClipChildren | win::kStyleVerticalScroll | win::kStyleHorizontalScroll;
    params.createData = reinterpret_cast<intptr_t>(view);
    const WindowHandle window = win::CreateMdiChild(frame.mdiClient, params);
    if (!window) return nullptr;
    SetChildMenu(view);
    if (first) LayoutFrameClient();
    if (maximize || first) win::MaximizeMdiChild(frame.mdiClient, window);
    HandleViewActivation(view);
    if (view->pageView) ShowAllPalettes();
    // The view's metrics at its zoom and its beat maps, then the first paint. Setting
    // a view up is not an edit of its score.
    const auto changes = view->document->changeCounter;
    SetZoom(view, view->zoom);
    UpdateBeatMaps(view, 0);
    view->document->changeCounter = changes;
    win::InvalidateRect(window, nullptr, true);
    return view;
}

void ShowCommandScoreWindow(ScoreView* view) {
    if (view == nullptr || view->document == nullptr || view->ViewWindow) return;
    CreateScoreWindow(view, CaptionBase(view->document), false);
}

ScoreView* OpenViewOfDocument(ScoreView* source) {
    if (source == nullptr || source->document == nullptr) return nullptr;
    ScoreView* view = NewViewOnDocument(source);
    if (view == nullptr) return nullptr;
    const int count = static_cast<int>(WindowsOfDocument(source->document).size());
    if (CreateScoreWindow(view, NumberedCaption(CaptionBase(source->document), count), false) == nullptr) {
        FreeView(view);
        return nullptr;
    }
    return view;
}

bool OpenScorePath(const std::string& path) {
    if (ScoreView* open = FindViewByPath(path)) {
        if (open->ViewWindow) win::ActivateMdiChild(Frame().mdiClient, open->ViewWindow);
        return true;
    }
    // Opened by its extension, as the Open command does; the file commands tell the
    // user why nothing opened.
    const int before = CountScoreWindows();
    OpenDocumentFile(path);
    return CountScoreWindows() > before;
}

void DestroyViewForWindow(WindowHandle window) {
    ScoreView* view = GetScoreViewOfWindow(window);
    win::SetWindowLong(window, kViewWindowLong, 0);
    if (view == nullptr) return;
    ScoreDocument* document = view->document;
    const bool others = IsDocumentInOtherView(view) != 0;
    const bool wasActive = State().documents.ActiveView == view;
    DestroyMixerWindows(view);
    FreeViewAndLastDocument(view);
    if (wasActive) {
        State().documents.ActiveView = nullptr;
        State().documents.CurrentDocument = nullptr;
    }
    if (others) RenumberViewCaptions(document);
    if (State().documents.ActiveView == nullptr && CountOpenViews() == 0) HideAllPalettes();
    UpdateToolbarButtons(nullptr);
}

int program::CloseScoreWindow(WindowHandle window) {
    ScoreView* view = GetScoreViewOfWindow(window);
    if (view == nullptr) return 1;
    if (!ScoreViewAgreesToClose(view)) return 0;
    ForceCloseScoreWindow(window);
    return 1;
}

void program::ForceCloseScoreWindow(WindowHandle window) {
    const WindowHandle client = Frame().mdiClient;
    // The window keeps a view while the client destroys it, so the view's
    // drawing is released before its record.
    win::DestroyMdiChild(client, window);
    if (CountScoreWindows() == 0) {
        ClearStatusBar();
        ClearStatusPart(-1);
        RestoreFrameMenu();
    }
    if (ScoreView* next = GetActiveScoreView()) HandleViewActivation(next);
}

}  // namespace ql
