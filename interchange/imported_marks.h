// Texts an import puts into the new score once its pages are laid out: a staff's
// label left of its first system, and a text line at a point of the current page.
// The NIFF and Standard MIDI File imports place theirs through these.
#pragma once

#include <cstdint>
#include <string>

#include "core/model/geometry.h"

namespace ql {

struct ScoreView;
struct ScoreObject;

// The label of `staff` in measure 1 (the staff-label style): right of it the
// system, centred on the staff; a name too long for the first system's indent
// fitted into it (MeasureStaffLabel). The label made, or null.
ScoreObject* PlaceImportedStaffLabel(ScoreView* view, int staff, const std::string& text);

// Whether `text` as a staff label stands on one line within the room the first
// system's indent may take (StaffLabelWidthLimit), unwrapped.
bool ImportedLabelFitsOneLine(ScoreView* view, const std::string& text);

// A text line on the current page's list, anchored at `point` (logical units from
// the page's origin). `style` 0 keeps the imported-text style. The line, or null.
ScoreObject* PlaceImportedPageText(ScoreView* view, const std::string& text, const LogicalPoint& point,
                                   uint8_t style = 0);

// Keeps the text lines of every page's list between the page's left and right
// margins and below its top edge: one that passes a margin is moved in, one wider
// than the margins is broken at its blanks into lines that fit, set one under the
// other. Then the pages are laid out again, each first system below the texts over
// it and indented by the staff labels; the view shows the first page.
void SettleImportedPageTexts(ScoreView* view);

// The size of `text` as a line in `style` at the view's scale (a text line
// measured and released); a line's least size when it cannot be measured.
struct ImportedTextSize {
    int32_t width = 0;
    int32_t height = 0;
    int32_t baseline = 0;  // from the top
};
ImportedTextSize MeasureImportedText(ScoreView* view, const std::string& text, uint8_t style);

// The height of a line of text in `style` at the view's scale.
int32_t ImportedTextHeight(ScoreView* view, uint8_t style);

}  // namespace ql
