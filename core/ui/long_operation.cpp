// The guard of long operations.
#include "core/ui/long_operation.h"

#include "core/model/view.h"
#include "core/state.h"
#include "core/ui/modal_boxes.h"
#include "platform/ui/message_box.h"
#include "platform/win/message_loop.h"
#include "platform/win/window.h"

namespace ql {
namespace {

struct LongOperationState {
    bool running = false;
    std::vector<win::QueuedMessage> deferred;
};

LongOperationState& Running() {
    static LongOperationState state;
    return state;
}

}  // namespace

LongOperation::LongOperation() {
    LongOperationState& state = Running();
    if (state.running) {
        refused_ = true;
        ui::Beep(ui::BeepKind::Default);
        return;
    }
    state.running = true;
    state.deferred.clear();
    std::vector<platform::WindowHandle> windows{State().dialogs.FrameWindow};
    for (ScoreView* view = State().documents.FirstView; view != nullptr; view = view->nextView)
        windows.push_back(view->ViewWindow);
    for (platform::WindowHandle window : windows)
        if (window && win::IsWindow(window) && !win::EnableWindow(window, false)) disabled_.push_back(window);
    EnablePalettes(false);
}

LongOperation::~LongOperation() {
    if (refused_) return;
    for (platform::WindowHandle window : disabled_)
        if (win::IsWindow(window)) win::EnableWindow(window, true);
    EnablePalettes(true);
    LongOperationState& state = Running();
    state.running = false;
    std::vector<win::QueuedMessage> deferred;
    deferred.swap(state.deferred);
    for (const win::QueuedMessage& m : deferred) win::PostMessage(m.window, m.message, m.word, m.data);
}

bool LongOperationRunning() {
    return Running().running;
}

bool DeferUntilLongOperationEnds(const win::QueuedMessage& message) {
    LongOperationState& state = Running();
    if (!state.running) return false;
    state.deferred.push_back(message);
    return true;
}

}  // namespace ql
