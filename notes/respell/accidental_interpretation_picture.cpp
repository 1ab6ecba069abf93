// Drawing the Accidental Interpretation staff picture (see
// accidental_interpretation_picture.h). Picture pixels: y grows downwards, the staff's
// lines are 10 apart with the bottom line (E above middle C) at y 71, one diatonic step
// is 5; the interval columns start at x 60 (major) and 290 (minor), 40 apart, each a
// sign followed by its note head.
#include "notes/respell/accidental_interpretation_picture.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>

#include "platform/gfx/dc.h"
#include "platform/gfx/draw.h"
#include "platform/gfx/objects.h"
#include "platform/text/font.h"
#include "platform/text/text_out.h"

namespace ql::accidental_picture {
namespace {

constexpr int kMiddleCY = 81;
constexpr int kPixelsPerStep = 5;
constexpr int kLineSpacing = 10;
constexpr int kTopLineY = 31;
constexpr int kStaffLines = 5;
constexpr int kStaffLeft = 10;
constexpr int kDoubleBarX[2] = {280, 282};
constexpr int kFinalBarX = 523;
constexpr int kFirstColumnX[2] = {60, 290};  // where a column's sign begins
constexpr int kFirstClickX[2] = {58, 288};   // where a click selects the first column
constexpr int kColumnWidth = 40;
constexpr int kSignToHead = 18;  // from a sign's left to its head's centre
constexpr int kHeadHalfWidth = 5;
constexpr int kHeadHalfHeight = 4;
constexpr int kLedgerHalfWidth = 8;
constexpr int kCaptionY = 6;
constexpr int kCaptionHeight = 12;
constexpr const char* kCaptions[2] = {"C major", "A minor"};
// The letter below each edited interval above C (C, D, F, G, A: steps above C); its
// sharp is the "Aug" spelling, the flat of the letter above the other one.
constexpr int kLowerStep[kColumns] = {0, 1, 3, 4, 5};
const gfx::Colour kFace = gfx::kLightGrey;

// A pen, brush or font selected into the context for one scope.
template <typename Handle>
class Selected {
  public:
    Selected(platform::DcHandle dc, Handle object) : dc_(dc), object_(object) {
        previous_ = gfx::SelectObject(dc, object);
    }
    ~Selected() {
        gfx::SelectObject(dc_, previous_);
        gfx::DeleteObject(object_);
    }
    Selected(const Selected&) = delete;
    Selected& operator=(const Selected&) = delete;

  private:
    platform::DcHandle dc_;
    Handle object_;
    Handle previous_;
};

class Painter {
  public:
    Painter(platform::DcHandle dc, const PictureFrame& frame) : dc_(dc), frame_(frame) {}

    void Line(double x1, double y1, double x2, double y2) const {
        gfx::MoveTo(dc_, frame_.ToControl(x1, y1));
        gfx::LineTo(dc_, frame_.ToControl(x2, y2));
    }
    void Shape(std::initializer_list<gfx::Point> points) const {
        gfx::Point scaled[8];
        int count = 0;
        for (const gfx::Point p : points) scaled[count++] = frame_.ToControl(p.x, p.y);
        gfx::Polygon(dc_, scaled, count);
    }
    void Head(double x, double y) const {
        const gfx::Point a = frame_.ToControl(x - kHeadHalfWidth, y - kHeadHalfHeight);
        const gfx::Point b = frame_.ToControl(x + kHeadHalfWidth, y + kHeadHalfHeight);
        gfx::Ellipse(dc_, {a.x, a.y, b.x, b.y});
    }
    int PenWidth(int pictureWidth) const {
        return std::max(1, static_cast<int>(std::lround(pictureWidth * frame_.scale)));
    }
    platform::DcHandle dc() const { return dc_; }

  private:
    platform::DcHandle dc_;
    PictureFrame frame_;
};

void DrawStaff(const Painter& p) {
    for (int line = 0; line < kStaffLines; ++line)
        p.Line(kStaffLeft, StaffLineY(line), kFinalBarX, StaffLineY(line));
    for (const int x : {kDoubleBarX[0], kDoubleBarX[1], kFinalBarX})
        p.Line(x, StaffLineY(0), x, StaffLineY(kStaffLines - 1));
}

// A sharp whose middle lies at (x, y): two stems and two rising bars.
void DrawSharp(const Painter& p, int x, int y) {
    p.Line(x + 3, y - 9, x + 3, y + 8);
    p.Line(x + 7, y - 10, x + 7, y + 7);
    p.Shape({{x, y - 2}, {x + 10, y - 5}, {x + 10, y - 3}, {x, y}});
    p.Shape({{x, y + 4}, {x + 10, y + 1}, {x + 10, y + 3}, {x, y + 6}});
}

// A flat whose bowl lies at (x, y): a stem rising from the bowl.
void DrawFlat(const Painter& p, int x, int y) {
    p.Line(x + 3, y - 13, x + 3, y + 4);
    p.Shape({{x + 3, y + 4},
             {x + 9, y - 1},
             {x + 8, y - 4},
             {x + 3, y - 2},
             {x + 3, y + 1},
             {x + 6, y - 2}});
}

void DrawColumn(const Painter& p, bool minor, int row, bool sharp) {
    const int step = kLowerStep[row] + (sharp ? 0 : 1);
    const int y = NoteY(step);
    const int signX = kFirstColumnX[minor] + kColumnWidth * row;
    const int headX = HeadX(minor, row);
    if (sharp)
        DrawSharp(p, signX, y);
    else
        DrawFlat(p, signX, y);
    p.Head(headX, y);
    if (step == 0) p.Line(headX - kLedgerHalfWidth, y, headX + kLedgerHalfWidth, y);
}

void DrawCaptions(const Painter& p, const PictureFrame& frame) {
    text::LogicalFont request;
    request.height = -std::max(1, static_cast<int>(std::lround(kCaptionHeight * frame.scale)));
    request.SetFace("Arial");
    const Selected<platform::FontHandle> font(p.dc(), text::CreateFontIndirect(request));
    gfx::SetTextColour(p.dc(), gfx::kBlack);
    gfx::SetBackgroundMode(p.dc(), gfx::BackgroundMode::Transparent);
    gfx::SetTextAlign(p.dc(), gfx::kTextAlignLeft | gfx::kTextAlignTop);
    for (const bool minor : {false, true})
        text::TextOutA(p.dc(), frame.ToControl(kFirstColumnX[minor], kCaptionY), kCaptions[minor]);
}

}  // namespace

gfx::Point PictureFrame::ToControl(double x, double y) const {
    return {static_cast<int32_t>(std::lround(left + x * scale)),
            static_cast<int32_t>(std::lround(top + y * scale))};
}

PictureFrame FrameInRect(const gfx::Rect& rect) {
    PictureFrame frame;
    const double width = std::max(1, rect.Width());
    const double height = std::max(1, rect.Height());
    frame.scale = std::min(width / kPictureWidth, height / kPictureHeight);
    frame.left = rect.left + (width - kPictureWidth * frame.scale) / 2;
    frame.top = rect.top + (height - kPictureHeight * frame.scale) / 2;
    return frame;
}

int NoteY(int stepsAboveMiddleC) {
    return kMiddleCY - kPixelsPerStep * stepsAboveMiddleC;
}

int StaffLineY(int line) {
    return kTopLineY + kLineSpacing * line;
}

int HeadX(bool minor, int row) {
    return kFirstColumnX[minor] + kColumnWidth * row + kSignToHead;
}

std::optional<PictureColumn> PictureColumnAt(double pictureX) {
    const bool minor = pictureX >= kFirstClickX[1];
    const double from = pictureX - kFirstClickX[minor];
    if (from < 0) return std::nullopt;
    const int row = static_cast<int>(from) / kColumnWidth;
    if (row >= kColumns) return std::nullopt;
    return PictureColumn{minor, row};
}

void DrawPicture(platform::DcHandle dc, const gfx::Rect& rect, const Spellings& spellings) {
    const PictureFrame frame = FrameInRect(rect);
    const Painter p(dc, frame);
    {
        const Selected<platform::BrushHandle> face(dc, gfx::CreateSolidBrush(kFace));
        const Selected<platform::PenHandle> frameLine(
            dc, gfx::CreatePen(gfx::PenStyle::Solid, 1, gfx::kBlack));
        gfx::Rectangle(dc, rect);
    }
    const Selected<platform::PenHandle> pen(
        dc, gfx::CreatePen(gfx::PenStyle::Solid, p.PenWidth(1), gfx::kBlack));
    const Selected<platform::BrushHandle> ink(dc, gfx::CreateSolidBrush(gfx::kBlack));
    DrawStaff(p);
    for (const bool minor : {false, true})
        for (int row = 0; row < kColumns; ++row)
            DrawColumn(p, minor, row, spellings.sharp[minor][row]);
    DrawCaptions(p, frame);
}

}  // namespace ql::accidental_picture
