// The faces of the page-button band: a page button shows a 17 x 22 page image of
// the page-face strip with the page's number (or "L" and "R" for the two master
// pages) written over it; the pressed button is filled with the highlight colour.
// The two arrows show 8 x 15 images of the arrow strip. A strip that cannot be had
// leaves a blank face: a plain page in the page colour, with its label.
#pragma once

#include <string>

#include "editing/page_band_geometry.h"
#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreDocument;

// Control ids of the two arrows.
constexpr int kPreviousPageArrow = 100;
constexpr int kNextPageArrow = 200;

// What a page button shows for a page index.
struct PageFace {
    int image = 0;      // image of the page-face strip
    std::string label;  // "L", "R" or the page's number
    bool smallFont = false;
};

// The face of page index `page` (-2 the left master, -1 the right master): image 12
// or 13 for the masters, else image 0 for a right-hand page and 2 for a left-hand
// one; the label is the number the document gives the page, in the small font from
// 10 on. A page the document does not have is labelled by its index + 1.
PageFace PageFaceOf(ScoreDocument* document, int page);

// Draws the face at the context's origin: the page image copied, the pressed button
// flood-filled with the highlight colour, the label centred at x 8 on baseline 18,
// transparent, in the highlight text colour when pressed and white otherwise.
void DrawPageButtonFace(platform::DcHandle dc, const PageFace& face, bool pressed);

// Owner-draw of the two arrows (control ids 100 and 200): images 0 and 4 (previous,
// normal and pressed) or 1 and 5 (next) of the arrow strip. False for other ids.
bool DrawPagerButtonFace(int controlId, const win::DrawItemInfo& item);

}  // namespace ql
