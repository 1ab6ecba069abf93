// What the music's keys and barlines ask of the editor's block edits (editing/):
// the measure of a staff marked for a single-staff copy pasted at the view, and a
// measure duplicated into the next on every staff. The editor fills the table when
// the program starts (editing/editing_services.h); until then, as in a program
// built without the editor, each call does nothing and answers 0 (nothing pasted).
#pragma once

namespace ql {

struct ScoreDocument;
struct ScoreView;

struct BlockEditServices {
    int (*pasteMarkedStaffBlock)(ScoreView* view) = nullptr;
    int (*editBlockAllStaves)(ScoreDocument* document, ScoreView* view, int measure) = nullptr;
};

void SetBlockEditServices(const BlockEditServices& services);

// Copies the measure marked with MarkStaffBlock (core/state/block_clipboard_state.h)
// to the view's current staff and measure and forgets the mark. 1 when pasted.
int PasteMarkedStaffBlock(ScoreView* view);

// Duplicates a measure into the next one on every staff (a staff block for staves
// 1 to the staff count); the score is extended when the measure is its last.
// Non-zero on success.
int EditBlockAllStaves(ScoreDocument* document, ScoreView* view, int measure);

}  // namespace ql
