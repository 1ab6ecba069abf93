// The frame's score-window function as the file commands reach it, and captions.
#include "files/commands/score_window_hooks.h"

#include "core/model/score_document.h"
#include "core/state.h"
#include "platform/win/window.h"

namespace ql {
namespace {

ShowScoreWindowFn& InstalledShow() {
    static ShowScoreWindowFn show;
    return show;
}

CaptionOfPathFn& InstalledCaption() {
    static CaptionOfPathFn caption;
    return caption;
}

}  // namespace

void SetCaptionOfPath(CaptionOfPathFn caption) {
    InstalledCaption() = std::move(caption);
}

void SetShowScoreWindow(ShowScoreWindowFn show) {
    InstalledShow() = std::move(show);
}

void ShowScoreWindow(ScoreView* view) {
    if (view == nullptr) return;
    if (InstalledShow()) {
        InstalledShow()(view);
        return;
    }
    if (view->ViewWindow) win::ShowWindow(view->ViewWindow, win::ShowCommand::Show);
}

void SetScoreWindowCaptions(const ScoreDocument* document, const std::string& path) {
    const std::string caption = InstalledCaption() ? InstalledCaption()(path) : path;
    for (ScoreView* view = State().documents.FirstView; view != nullptr; view = view->nextView) {
        if (view->document == document && view->ViewWindow) win::SetWindowText(view->ViewWindow, caption);
    }
}

}  // namespace ql
