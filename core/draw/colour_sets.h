// The five colour sets of the score view (ink, grey, red, white erase and XOR
// feedback), each a pen, a brush, a text colour and a raster operation, applied to
// the view context and its companion. The Begin forms save both contexts first
// (EndHighlightDraw restores them); the Select forms only select, inside a state
// that is already saved. The pens and brushes are made once and owned by the
// program-wide drawing state.
#pragma once

#include "core/model/score_document.h"
#include "platform/gfx/types.h"

namespace ql {

constexpr gfx::Colour kInkColour = 0x000000;
constexpr gfx::Colour kGreyColour = 0xC0C0C0;
constexpr gfx::Colour kRedColour = 0x0000FF;
constexpr gfx::Colour kEraseColour = 0xFFFFFF;
constexpr gfx::Colour kFeedbackPenColour = 0x7F7F00;
constexpr gfx::Colour kFeedbackTextColour = 0x00007F;

// Makes the pens and brushes of the sets (once; again after DeleteColourSets).
// False when one could not be made.
bool CreateColourSets();
void DeleteColourSets();

void BeginHighlightDraw(ScoreView* view);      // ink
void BeginHighlightDrawAlt(ScoreView* view);   // grey
void BeginHighlightDrawAlt2(ScoreView* view);  // red
void BeginSelectionDraw(ScoreView* view);      // white (erase)
void BeginHighlightDrawAlt3(ScoreView* view);  // XOR feedback
// Restores the state saved by the last Begin form on the view context and its
// companion.
void EndHighlightDraw(ScoreView* view);

void SelectSelectionColours(ScoreView* view);  // ink
void SelectHighlightColours(ScoreView* view);  // white (erase)
void SelectFeedbackColours(ScoreView* view);   // XOR feedback

}  // namespace ql
