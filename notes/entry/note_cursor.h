// The ledger-line note cursor of the Notes tool: short ledger lines drawn by XOR at
// the pointer when it lies above or below the staff (a second draw erases them), so
// that the user sees where a note off the staff will go.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreView;

// Logical width of one cursor ledger line, and the most steps beyond the outer lines
// the cursor is drawn for.
constexpr int32_t kCursorLedgerWidth = 320;
constexpr int kCursorMaxStepsBeyond = 12;

// Distance between the cursor's ledger lines for a staff size byte: the size in
// percent x 1.28 view units, a byte of 0 counting as full size (128).
int32_t CursorLineSpacing(uint8_t staffSizeByte);

// Draws the cursor at its position (XOR; `selectionColours` draws in the selection
// colours instead of the feedback colours). Nothing without a valid position or a
// drawing context.
void DrawNoteCursor(ScoreView* view, bool selectionColours);
// Draws it and clears the shown mark / erases it when shown and clears the mark.
void ShowNoteCursor(ScoreView* view);
void HideNoteCursor(ScoreView* view);
// Moves the cursor to the pointer and draws it there when it is wanted.
void UpdateNoteCursorPos(ScoreView* view);
// True when a cursor at this step of a staff with these outer lines is drawn.
bool IsCursorStepWanted(int step, int topLine, int bottomLine);

}  // namespace ql
