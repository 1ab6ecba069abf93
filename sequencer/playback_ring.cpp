// The last measure's ring (see playback_internal.h): the run's devices kept open
// after its Stop while the last notes ring, a one-shot timer of the backend that
// posts kMsgRingEnded to the Sequencer window through a post ring of its own, and
// the silencing sweep and the closing when that message is handled (or when the
// next run starts, the user stops again, the window goes or the backend is
// replaced).
#include "platform/win/post_ring.h"
#include "sequencer/playback_internal.h"
#include "sequencer/sequencer_state.h"

namespace ql::playback_detail {
namespace {

struct Ring {
    OwnedOutputs devices;
    SilencePlan plan;
    win::WindowHandle window;
    std::unique_ptr<midi::OneShotTimer> timer;
    win::PostRing posts;  // written by the timer's callback only
    bool on = false;
};

Ring& TheRing() {
    static Ring ring;
    return ring;
}

void RingTimerCallback(void* user) {
    Ring& ring = *static_cast<Ring*>(user);
    ring.posts.Post(ring.window, static_cast<win::Message>(kMsgRingEnded));
}

}  // namespace

bool BeginRing(OwnedOutputs& devices, SilencePlan plan, win::WindowHandle window, uint32_t ms) {
    EndRing();
    Ring& ring = TheRing();
    ring.timer = midi::CurrentBackend().CreateTimer(RingTimerCallback, &ring);
    if (ring.timer == nullptr) return false;
    ring.window = window;
    win::RegisterPostRing(ring.posts);
    if (!ring.timer->Arm(ms)) {
        win::UnregisterPostRing(ring.posts);
        ring.timer.reset();
        return false;
    }
    ring.devices = std::move(devices);
    devices.clear();
    ring.plan = std::move(plan);
    ring.on = true;
    midi::SetBackendReleaseHook(&EndRing);  // the devices and the timer are the backend's
    return true;
}

void EndRing() {
    Ring& ring = TheRing();
    if (!ring.on) return;
    ring.on = false;
    midi::SetBackendReleaseHook(nullptr);
    ring.timer->Cancel();  // returns when its callback no longer runs
    ring.timer.reset();
    win::UnregisterPostRing(ring.posts);
    SendSilence(ring.plan);
    ring.plan = SilencePlan{};
    ring.devices.clear();
}

}  // namespace ql::playback_detail
