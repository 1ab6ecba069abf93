// Print to Clipboard: a picture of the marquee's region, or of the view's whole
// page area, put on the clipboard as a PNG of the view's pixels and an SVG of the
// page drawing; a focused picture copies its own bytes instead.
#pragma once

namespace ql {

struct ScoreView;

// The command (Edit menu and the marquee's popup menu). Nothing goes on the
// clipboard when another object is focused or the clipboard cannot be opened.
void PrintToClipboard(ScoreView* view);

}  // namespace ql
