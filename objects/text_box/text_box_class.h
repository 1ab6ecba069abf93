// The classes of the text box (type 6) and the staff label (type 28): a block of
// word-wrapped text drawn in its rectangle in one of the document's quick fonts,
// created at a click through the "Place Text Block" dialog (877), which is also their
// attribute dialog. A staff has at most one label, made only in measure 1; a label
// dragged to another staff or measure goes back where it was. While dragged, a box
// shows its text laid out at the dragged size in red (kept as a bitmap until the size
// changes); a marquee takes it when its whole rectangle lies inside.
#pragma once

#include <climits>
#include <cstdint>

#include "core/model/geometry.h"
#include "core/objects/score_object.h"
#include "objects/text_box/text_block_layout.h"
#include "objects/text_box/text_box.h"
#include "platform/gfx/types.h"
#include "platform/handles.h"

namespace ql {

struct ScoreView;

// The room kept at the page's right edge and the least width of a box pushed back
// from it.
constexpr int32_t kPageEdgeRoom = 128;
constexpr int32_t kLeastPushedBoxWidth = 256;
inline constexpr char kEmptyTextRefused[] = "Cannot save empty text";
inline constexpr char kStaffHasLabel[] = "Staff has a label.";
constexpr uint32_t kTextBlockHelpContext = 1402;

// The quick-font slot new text boxes take (program-wide; dialog 877 sets it).
uint8_t& RememberedTextBoxSlot();

void RegisterTextBoxClasses();

// The format of a box's body (alignment, leading, tracking, size).
TextBlockFormat TextBlockFormatOf(const TextBoxBody& body);
// Draws the box's text at (x, y) in `size` on `dc`, measured on `measuring` (dc when
// null), with the box's quick font selected.
void LayoutTextBlock(ScoreObject* box, ScoreView* view, platform::DcHandle dc,
                     platform::DcHandle measuring, int32_t x, int32_t y, gfx::Size size);
// Sets the box's width and height from its text (MeasureTextBlockSize).
void MeasureTextBlock(ScoreView* view, ScoreObject* box);
// The box's text set in lines no wider than `width` (FitTextBlockText: broken at
// blanks, cut with an ellipsis), at most `mostLines` and no more than `height`
// holds (one at least), then measured.
void FitTextBlockToWidth(ScoreView* view, ScoreObject* box, int32_t width, int mostLines,
                         int32_t height = INT32_MAX);
// A name too long for a staff label is broken into at most this many lines.
constexpr int kMostLabelLines = 3;
// Sets a label's width and height from its text, first fitted (FitTextBlockToWidth)
// into the widest a label may be on the score's first page (StaffLabelWidthLimit),
// so that the system's indent never takes more than its share of the line, and
// into as many lines as keep it clear of the labels of the staves beside it.
void MeasureStaffLabel(ScoreView* view, ScoreObject* label);
// A box on the page would pass the page's right edge less kPageEdgeRoom: twice as
// tall and narrower (at least kLeastPushedBoxWidth).
void KeepTextBoxOnPage(ScoreView* view, TextBoxObject* box, int32_t x);

// Dialog 877 on the box: 1 on OK (the box holds the dialog's values), 2 on Cancel.
int RunPlaceTextBlockDialog(ScoreView* view, TextBoxObject* box);

// Anchors a label's top-left corner at a point: offsets from the top line of `staff`
// and the start of `measure` (the first of its system), wherever the point lies.
void AnchorStaffLabel(ScoreView* view, ScoreObject* label, int staff, int measure,
                      LogicalPoint corner);

// Anchors a label in measure 1 of `staff` with its right end kStaffLabelGap left of
// the system and its top at `y`: where a new or imported label stands, in the room
// the system's indent keeps for it.
void AnchorStaffLabelBesideSystem(ScoreView* view, ScoreObject* label, int staff, int32_t y);

// A staff label of the current staff holding a copy of `text` (part extraction and
// imports); not linked. Null when no record can be had.
ScoreObject* ConstructStaffLabelWithText(ScoreView* view, const char* text);

}  // namespace ql
