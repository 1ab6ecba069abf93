// Helpers shared by the placed marks of this folder and the chord symbol: anchoring
// a text-family object at the pointer, inserting and focusing a new object, the
// redraw around a key change, and the byte that skips the dialogs' unchanged test.
#pragma once

#include <cstdint>

#include "core/objects/score_object.h"

namespace ql {

struct ScoreView;
struct TextObject;

// Virtual keys the marks take.
constexpr uint32_t kKeyLeft = 37;
constexpr uint32_t kKeyUp = 38;
constexpr uint32_t kKeyRight = 39;
constexpr uint32_t kKeyDown = 40;
constexpr uint32_t kKeyF = 'F';
constexpr uint32_t kKeyPadPlus = 107;
constexpr uint32_t kKeyPadMinus = 109;

// Anchors the text object's location at the view's pointer: page anchors for
// subtype 1, time anchors otherwise.
void AnchorTextAtPointer(ScoreView* view, TextObject* text);

// Links a new object where its subtype says, focuses it and measures it. False when
// there was no list to link it into (no current cell, no page list): the object is
// then released and must not be used.
bool InsertAndFocus(ScoreView* view, ScoreObject* object);

// Draws the object erased (white) before a change and in ink after it; nothing
// without a window.
void EraseBeforeChange(ScoreObject* object, ScoreView* view);
void RedrawAfterChange(ScoreObject* object, ScoreView* view);

// The always-commit byte: while set, an OK in the marks' dialogs commits without the
// unchanged test (a new object is being made at a click). The mouse processor sets
// it through the guard while creating; the marks' own CreateAtClick sets it too.
bool AlwaysCommit();
class ScopedAlwaysCommit {
  public:
    ScopedAlwaysCommit();
    ~ScopedAlwaysCommit();
    ScopedAlwaysCommit(const ScopedAlwaysCommit&) = delete;
    ScopedAlwaysCommit& operator=(const ScopedAlwaysCommit&) = delete;

  private:
    bool saved_;
};

}  // namespace ql
