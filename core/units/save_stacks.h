// The program-wide save-and-restore stacks (module UNITS): the screen pointer
// position, a 16-bit value, the current pool set and the view location. Each of
// the first three holds six entries: a push onto a full stack drops the value (a
// caller's unbalanced push; asserted in debug builds) and a pop of an empty stack
// restores nothing. The current pool set is saved by a scope guard in the caller's
// own frame instead, so the wrong set can never be restored.
#pragma once

#include <cstdint>

#include "core/memory/pool.h"

namespace ql {

struct ScoreView;

// Pushes the screen pointer position.
void PushCursorPosition();
// Pops it and moves the pointer back when it has moved since; clear empties the
// stack without moving anything.
void PopCursorPosition(bool clear);

void PushShortValue(int16_t value);
// The last value pushed; 0 when empty.
int16_t PopShortValue();

// Saves the view's location record (position word, staff, measure, pointer point).
// The two names are the same push.
void PushViewPosition(ScoreView* view);
void PushViewLocation(ScoreView* view);
// Pop and restore with RestoreViewPosition, or with MoveViewToObject.
void PopViewPosition(ScoreView* view);
void PopViewLocation(ScoreView* view);

// Makes a pool set current for the guard's lifetime and restores the set that was
// current before, on every path out of the scope. Copies that read one set and
// allocate in another use it; it takes the place of a PushAllocContext and
// PopAllocContext pair, whose shared stack could restore another caller's set.
class AllocContextScope {
  public:
    explicit AllocContextScope(PoolSet target);
    ~AllocContextScope();
    AllocContextScope(const AllocContextScope&) = delete;
    AllocContextScope& operator=(const AllocContextScope&) = delete;

  private:
    PoolSet previous_;
};

// Tests of the overflow rule turn the debug assertion off; it is on by default.
void SetSaveStackOverflowAssertsForTests(bool enabled);

}  // namespace ql
