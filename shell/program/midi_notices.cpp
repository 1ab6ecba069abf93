// The MIDI layer's notices shown to the user (see midi_notices.h). The waker the
// layer calls is a plain function, so the window it wakes is kept in an atomic.
#include "shell/program/midi_notices.h"

#include <atomic>

#include "core/core_strings.h"
#include "core/ui/modal_boxes.h"
#include "core/ui/status_bar.h"
#include "platform/midi/midi.h"
#include "platform/ui/message_box.h"
#include "platform/win/message_loop.h"

namespace ql {
namespace {

std::atomic<uint32_t>& WatchingWindow() {
    static std::atomic<uint32_t> window{0};
    return window;
}

void WakeWatchingWindow() {
    const platform::WindowHandle window(WatchingWindow().load(std::memory_order_acquire));
    if (window) win::PostMessage(window, kMsgMidiNotices);
}

}  // namespace

void WatchMidiNotices(platform::WindowHandle window) {
    WatchingWindow().store(window.bits, std::memory_order_release);
    midi::SetNoticeWaker(window ? WakeWatchingWindow : nullptr);
    WakeWatchingWindow();
}

void ShowMidiNotices() {
    for (const midi::Notice& notice : midi::TakeNotices()) {
        if (notice.weight == midi::NoticeWeight::Box)
            ModalMessageBox(notice.text, ProgramString(kStrProductName), ui::kBoxIconExclamation);
        else
            ShowNotice(notice.text.c_str());
    }
}

}  // namespace ql
