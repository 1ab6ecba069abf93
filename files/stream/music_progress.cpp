// The music walk's status line (see music_progress.h).
#include "files/stream/music_progress.h"

#include <cstdio>

#include "core/state.h"
#include "platform/ui/status_bar.h"

namespace ql {
namespace {

constexpr int kMusicProgressEvery = 16;
constexpr int kMusicProgressPart = 0;

}  // namespace

void ShowMusicProgress(int staff, int measure) {
    if (measure % kMusicProgressEvery != 0) return;
    platform::WindowHandle bar = State().dialogs.StatusWindow;
    if (!bar) return;
    char text[64];
    std::snprintf(text, sizeof text, "%s: %d  %s %d", "Staff", staff, "Measure", measure);
    ui::SetStatusBarText(bar, kMusicProgressPart, text);
}

}  // namespace ql
