// The six-entry save-and-restore stacks and the allocation-context guard.
#include "core/units/save_stacks.h"

#include <cassert>

#include "core/model/score_document.h"
#include "core/state.h"
#include "core/units/view_moves.h"
#include "platform/win/input.h"

namespace ql {
namespace {

bool g_assertOnOverflow = true;

// Pushes unless full; a full stack keeps its six entries.
template <typename T>
void Push(SixEntryStack<T>& stack, const T& value) {
    if (stack.count >= kSaveStackDepth) {
        assert(!g_assertOnOverflow && "save stack overflow: unbalanced push");
        return;
    }
    stack.entries[stack.count++] = value;
}

// Pops into *out; false (and *out untouched) when empty.
template <typename T>
bool Pop(SixEntryStack<T>& stack, T* out) {
    if (stack.count <= 0) return false;
    *out = stack.entries[--stack.count];
    return true;
}

LocationRecord LocationOfView(const ScoreView& view) {
    LocationRecord record{};
    record.location.position = view.positionWord;
    record.location.staff = static_cast<uint8_t>(view.currentStaff);
    record.location.measure = static_cast<uint16_t>(view.currentMeasure);
    record.point = view.pointerPoint;
    return record;
}

}  // namespace

void SetSaveStackOverflowAssertsForTests(bool enabled) {
    g_assertOnOverflow = enabled;
}

void PushCursorPosition() {
    win::Point at = win::GetCursorPosition();
    Push(State().stacks.pointerPositions, ScreenPoint{at.x, at.y});
}

void PopCursorPosition(bool clear) {
    SixEntryStack<ScreenPoint>& stack = State().stacks.pointerPositions;
    if (clear) {
        stack.count = 0;
        return;
    }
    ScreenPoint saved;
    if (!Pop(stack, &saved)) return;
    win::Point now = win::GetCursorPosition();
    if (now.x != saved.x || now.y != saved.y) win::SetCursorPosition(win::Point{saved.x, saved.y});
}

void PushShortValue(int16_t value) {
    Push(State().stacks.shortValues, value);
}

int16_t PopShortValue() {
    int16_t value = 0;
    Pop(State().stacks.shortValues, &value);
    return value;
}

void PushViewPosition(ScoreView* view) {
    if (view == nullptr) return;
    Push(State().stacks.viewLocations, LocationOfView(*view));
}

void PushViewLocation(ScoreView* view) {
    PushViewPosition(view);
}

void PopViewPosition(ScoreView* view) {
    LocationRecord record{};
    if (!Pop(State().stacks.viewLocations, &record)) return;
    RestoreViewPosition(view, &record);
}

void PopViewLocation(ScoreView* view) {
    LocationRecord record{};
    if (!Pop(State().stacks.viewLocations, &record)) return;
    MoveViewToObject(view, &record);
}

AllocContextScope::AllocContextScope(PoolSet target) : previous_(CurrentPoolSet()) {
    SetCurrentPoolSet(target);
}

AllocContextScope::~AllocContextScope() {
    SetCurrentPoolSet(previous_);
}

}  // namespace ql
