// Block operations on ranges of staves and measures (block copy, paste, insert).
#pragma once

namespace ql {

struct ScoreDocument;
struct ScoreView;

// The per-staff block operation used by Shift+Insert. Non-zero on success.
int EditStaffBlock(int fromStaff, int fromMeasure, int toStaff, int toMeasure);

// The block edit at a measure for all staves. Non-zero on success.
int EditBlockAllStaves(ScoreDocument* document, ScoreView* view, int measure);

}  // namespace ql
