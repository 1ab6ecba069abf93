// Letting the display catch up (see display_settle.h).
#include "shell/tests/gtk/display_settle.h"

#include <gtk/gtk.h>

#include "platform/gtk/gtk_window_backend.h"
#include "platform/win/message_loop.h"

namespace ql::testing {

namespace {
constexpr int kSettleRounds = 5;
}  // namespace

void SettleDisplay() {
    for (int round = 0; round < kSettleRounds; ++round) {
        win::PumpMessages();
        if (gtk::GtkWindowBackend* backend = gtk::CurrentGtkBackend()) backend->RunPendingEvents();
        gdk_display_sync(gdk_display_get_default());
        while (gtk_events_pending()) gtk_main_iteration_do(FALSE);
    }
    win::PumpMessages();
}

}  // namespace ql::testing
