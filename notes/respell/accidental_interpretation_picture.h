// The staff picture of the Accidental Interpretation dialog: a treble staff with the
// five edited intervals of C major on its left half and of A minor on its right, each
// written as the dialog's radios spell it (the sharp of the lower letter or the flat of
// the upper one), a ledger line under the C sharp, a double bar between the halves and
// the captions "C major" and "A minor". A click on a column toggles that interval.
//
// The picture is laid out once in picture pixels (kPictureWidth x kPictureHeight) and
// scaled, keeping its proportions, into the control's rectangle.
#pragma once

#include <optional>

#include "platform/gfx/types.h"
#include "platform/handles.h"

namespace ql::accidental_picture {

constexpr int kPictureWidth = 530;
constexpr int kPictureHeight = 96;
constexpr int kColumns = 5;

// Per mode (0 major, 1 minor) and edited interval row: true for the sharp spelling.
struct Spellings {
    bool sharp[2][kColumns] = {};
};

// Where the picture's pixels lie in a control of the given client rectangle.
struct PictureFrame {
    double scale = 1;
    double left = 0;
    double top = 0;
    // The control point of a picture point, and back.
    gfx::Point ToControl(double x, double y) const;
    double PictureX(int controlX) const { return (controlX - left) / scale; }
};
PictureFrame FrameInRect(const gfx::Rect& rect);

// The picture's y of a written note `stepsAboveMiddleC` diatonic steps above middle C,
// the staff lines' y (top line first), and the x of an interval column's note head.
int NoteY(int stepsAboveMiddleC);
int StaffLineY(int line);
int HeadX(bool minor, int row);

// The column a click at picture x selects: minor columns from x 288, major ones from
// x 58, 40 pixels each; none left of the first column or past the fifth.
struct PictureColumn {
    bool minor = false;
    int row = 0;
};
std::optional<PictureColumn> PictureColumnAt(double pictureX);

// Draws the whole picture into the rectangle of a drawing context.
void DrawPicture(platform::DcHandle dc, const gfx::Rect& rect, const Spellings& spellings);

}  // namespace ql::accidental_picture
