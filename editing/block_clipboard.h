// The Edit menu's block clipboard inside the score: a block of whole measures over
// a range of staves (the block source) and the notes captured inside the marquee.
// At most one of the two is held: taking one drops the other. The score view's keys
// and commands drive it; the system clipboard is not used. Records of the capture
// live in the static block pools 2 to 10, which every block operation empties first.
#pragma once

#include "core/state/block_clipboard_state.h"
#include "core/ui/block_edit_services.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;

// Notices of the block clipboard, in the program's words.
inline constexpr char kBlockNoSelection[] = "No selection";
inline constexpr char kBlockTimeSignatureNotice[] =
    "Destination must be empty\nor have same time signatures as source.";
inline constexpr char kBlockOutOfMemory[] = "Out of Memory!";
inline constexpr char kBlockPasteStatus[] = "Block Paste";

// A block is held for pasting.
bool BlockHeld();
// Empties the block pools, forgets the block source and drops the note capture.
void ClearBlockClipboard();

// Takes the view's block range (the staves and measures its marquee covers) as the
// block source with the view's voice mask; drops the capture. 0 when the view has
// no block range (the clipboard is then left as it was), else 1.
int SetBlockSource(ScoreView* view);
// As SetBlockSource, then the range runs on towards the end of the score: from the
// last measure back towards the measure of the last event, up to the first measure
// whose time signature differs from its successor's.
int SetBlockSourceRange(ScoreView* view);

// Pastes the block at the view's current staff and measure in one undo step (see
// block_paste.cpp). 1 when pasted; 0 with a notice when refused.
int BlockPaste(ScoreView* view);

// Forgets the block source, then captures the notes and rests inside the marquee;
// unless `keepFocus`, the focus is given up.
void CopyNotes(ScoreView* view, bool keepFocus);
// The capture itself (only with something focused and the Pointer tool current).
// 1 when anything was captured.
int CaptureMarqueeNotes(ScoreView* view);
bool NoteCaptureValid();
// Pastes the captured notes at the view's location, inside the caller's undo step.
void PasteCapturedNotes(ScoreView* view);

// The single-staff copy of Ctrl+Shift+Insert (MarkStaffBlock, StaffBlockMarked)
// and the block source dropped with its document (DropBlockSourceOf) are in
// core/state/block_clipboard_state.h, the paste in core/ui/block_edit_services.h.

}  // namespace ql
