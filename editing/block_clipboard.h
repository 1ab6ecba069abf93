// The Edit menu's block clipboard inside the score: a block of whole measures over
// a range of staves (the block source) and the notes captured inside the marquee.
// The score view's keys and commands drive it; the system clipboard is not used.
#pragma once

namespace ql {

struct ScoreView;

// A block is held for pasting.
bool BlockHeld();
// Forgets the held block and the remembered source.
void ClearBlockClipboard();
// Remembers the view's marquee range (or its current measure and staff) as the
// block source; true when a source was taken.
bool SetBlockSource(ScoreView* view);
// Pastes the held block at the view's current measure; non-zero when pasted.
int BlockPaste(ScoreView* view);
// Captures the notes inside the marquee.
void CopyNotes(ScoreView* view, bool keepFocus);
bool NoteCaptureValid();
// Pastes the captured notes at the view's location (inside the caller's undoable edit).
void PasteCapturedNotes(ScoreView* view);

}  // namespace ql
