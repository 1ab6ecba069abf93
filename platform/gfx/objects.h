// Drawing objects: pens and brushes, the stock objects, and selecting objects
// into contexts. Objects are immutable once created. A context keeps a copy of the
// pen and brush it has selected, so deleting a selected pen or brush is allowed
// and the context goes on drawing with it; a selected bitmap cannot be deleted.
// Fonts belong to the text module: a context only stores the selected font handle.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/gfx/types.h"

namespace ql::gfx {

// Pen styles (classic numbers). Dashed styles are drawn as dashes at every width.
enum class PenStyle : uint8_t {
    Solid = 0,
    Dash = 1,
    Dot = 2,
    DashDot = 3,
    DashDotDot = 4,
    Null = 5,
    InsideFrame = 6,  // drawn as Solid
};

// Width in logical units, scaled by the context's mapping when drawing;
// 0 or anything below one device pixel draws one device pixel wide.
struct PenDesc {
    PenStyle style = PenStyle::Solid;
    int32_t width = 0;
    Colour colour = kBlack;
};

enum class HatchStyle : uint8_t {
    Horizontal = 0,
    Vertical = 1,
    ForwardDiagonal = 2,   // top-left to bottom-right
    BackwardDiagonal = 3,  // bottom-left to top-right
    Cross = 4,
    DiagonalCross = 5,
};

enum class BrushStyle : uint8_t { Solid = 0, Null = 1, Hatched = 2, Pattern = 3 };

// A brush as created. Hatch lines are drawn in `colour`; the gaps between them
// take the context's background colour when its background mode is Opaque.
// Pattern brushes tile their pixels from device (0, 0); monochrome patterns take
// the context's text colour for black and background colour for white.
struct BrushDesc {
    BrushStyle style = BrushStyle::Solid;
    Colour colour = kBlack;
    HatchStyle hatch = HatchStyle::Horizontal;
    int32_t patternWidth = 0;
    int32_t patternHeight = 0;
    bool monochromePattern = false;
    std::vector<Colour> pattern;  // row-major, patternWidth x patternHeight
};

enum class StockPen : uint8_t { White = 0, Black = 1, Null = 2 };
enum class StockBrush : uint8_t { White = 0, LightGrey = 1, Grey = 2, DarkGrey = 3, Black = 4, Null = 5 };

// Null when the table is full or the description is invalid.
PenHandle CreatePen(PenStyle style, int32_t width, Colour colour);
BrushHandle CreateSolidBrush(Colour colour);
BrushHandle CreateHatchBrush(HatchStyle hatch, Colour colour);
// Copies the bitmap's pixels at the time of the call (8x8 or any size).
BrushHandle CreatePatternBrush(BitmapHandle pattern);

// Stock objects always resolve and are never deleted.
PenHandle GetStockPen(StockPen which);
BrushHandle GetStockBrush(StockBrush which);
bool IsStockObject(AnyObjectHandle object);

// Descriptions of live objects; false when the handle does not resolve.
bool GetPenDesc(PenHandle pen, PenDesc* out);
bool GetBrushDesc(BrushHandle brush, BrushDesc* out);

// Selects an object and returns the one it replaced (null on failure: a handle
// that does not resolve, or a bitmap into anything but a memory context, or a
// bitmap already selected into another context). Font handles are not checked.
PenHandle SelectObject(DcHandle dc, PenHandle pen);
BrushHandle SelectObject(DcHandle dc, BrushHandle brush);
FontHandle SelectObject(DcHandle dc, FontHandle font);
BitmapHandle SelectObject(DcHandle dc, BitmapHandle bitmap);
AnyObjectHandle SelectObject(DcHandle dc, AnyObjectHandle object);

PenHandle GetCurrentPen(DcHandle dc);
BrushHandle GetCurrentBrush(DcHandle dc);
FontHandle GetCurrentFont(DcHandle dc);
BitmapHandle GetCurrentBitmap(DcHandle dc);

// Deletes a pen, brush, bitmap or font. False when the handle does not resolve,
// for stock objects, and for a bitmap selected into a context. Fonts are passed
// to the deleter that the text module registers (false when none is registered).
bool DeleteObject(AnyObjectHandle object);
// Installs the font deleter and returns the one it replaces.
std::function<bool(FontHandle)> SetFontDeleter(std::function<bool(FontHandle)> deleter);

}  // namespace ql::gfx
