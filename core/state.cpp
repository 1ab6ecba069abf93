// The one instance of the program state, the user-interface thread check, and the
// reset that puts the program back to its start-up state for tests.
#include "core/state.h"

#include <cassert>
#include <new>
#include <thread>

#include "core/draw/staff_scaling.h"
#include "core/memory/arena.h"
#include "core/memory/pool_internal.h"
#include "platform/win/keys.h"

namespace ql {

namespace {

ProgramState g_state;
std::atomic<std::thread::id> g_uiThread{};

}  // namespace

namespace pool_detail {
ProgramState& StateAnyThread() { return g_state; }
const PoolSet* const g_currentSet = &g_state.pools.CurrentPoolSet;
}  // namespace pool_detail

void BindUiThread() { g_uiThread.store(std::this_thread::get_id()); }

// Before any thread is bound, every thread counts as the UI thread.
bool IsUiThread() {
    std::thread::id bound = g_uiThread.load();
    return bound == std::thread::id{} || bound == std::this_thread::get_id();
}

ProgramState& State() {
    assert(IsUiThread() && "program state belongs to the user-interface thread");
    return g_state;
}

PlaybackGlobals& PlaybackFlags() { return g_state.playback; }

void ResetProgramState() {
    BindUiThread();
    FreeStaticPoolSet(g_state.pools.StaticPoolSet);
    // The scaled music-font cache is owned here: its entries and their fonts go,
    // and the head entry too (its fonts are the start-up fonts).
    ReleaseDrawingGlobals(1);
    g_state.~ProgramState();
    new (&g_state) ProgramState();
    FailNextArenaBlocks(0);
    ClearStaticPoolTables();
}

bool CtrlHeld() {
    return win::IsKeyDown(win::Key::Control) || State().input.StickyCtrlFlag != 0;
}

}  // namespace ql
