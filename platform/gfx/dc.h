// Device contexts: creation, kinds, the save/restore stack and drawing attributes.
// A context draws onto one of: a window's backing image (window and paint
// contexts), the bitmap selected into it (memory contexts), a PDF page (printer
// contexts, see printer.h) or a list of calls (recording contexts, recording.h).
// Contexts live in the layer's table; a handle of a deleted context stops resolving.
#pragma once

#include <cstdint>

#include "platform/gfx/types.h"

namespace ql::gfx {

enum class ContextKind : uint8_t {
    Window = 1,     // the whole backing image of a window
    Paint = 2,      // a backing image, clipped to the invalid rectangle being painted
    Memory = 3,     // the bitmap selected into it (a 1x1 monochrome one at first)
    Printer = 4,    // a PDF page, see printer.h
    Recording = 5,  // keeps every call for replay, see recording.h
};

// Window contexts draw into `backing` (an image bitmap, see bitmap.h); the
// bitmap must outlive the context and cannot be deleted while a context uses it.
// Null when the bitmap does not resolve.
DcHandle CreateWindowContext(BitmapHandle backing);
// As a window context, clipped to `invalid` (device pixels) for its whole life.
DcHandle CreatePaintContext(BitmapHandle backing, Rect invalid);
// A memory context whose capabilities follow `compatible` (the screen when null).
// It starts with a 1x1 monochrome bitmap selected; select a bitmap to draw.
DcHandle CreateMemoryContext(DcHandle compatible);
// Ends a window or paint context (the backing image keeps what was drawn).
bool ReleaseContext(DcHandle dc);
// Ends any context. Printer contexts finish their document first.
bool DeleteContext(DcHandle dc);
// 0 when the handle does not resolve.
ContextKind GetContextKind(DcHandle dc);
bool IsContextValid(DcHandle dc);

// Save/restore stack. SaveContext returns the new depth (1 for the first save),
// 0 on failure. RestoreContext(dc, n): n > 0 restores the state saved by save
// number n and drops every later save; n < 0 pops -n saves (-1 pops one).
// Saved: pen, brush, font, selected bitmap, colours, modes, alignment, raster
// operation, fill mode, mapping, clip, current position, character extra.
int SaveContext(DcHandle dc);
bool RestoreContext(DcHandle dc, int level);
int GetSaveDepth(DcHandle dc);

// Background modes and polygon fill modes keep their classic numbers.
enum class BackgroundMode : uint8_t { Transparent = 1, Opaque = 2 };
enum class FillMode : uint8_t { Alternate = 1, Winding = 2 };

// Text alignment flags (classic values): one horizontal, one vertical, and
// optionally kTextAlignUpdateCurrentPosition. The program stores these numbers.
using TextAlign = uint32_t;
constexpr TextAlign kTextAlignUpdateCurrentPosition = 1;
constexpr TextAlign kTextAlignLeft = 0;
constexpr TextAlign kTextAlignRight = 2;
constexpr TextAlign kTextAlignCentre = 6;
constexpr TextAlign kTextAlignTop = 0;
constexpr TextAlign kTextAlignBottom = 8;
constexpr TextAlign kTextAlignBaseline = 24;
constexpr TextAlign kTextAlignHorizontalMask = 6;
constexpr TextAlign kTextAlignVerticalMask = 24;

// Setters return the previous value; getters of a handle that does not resolve
// return the defaults of a new context (black text, white opaque background,
// left|top alignment, alternate fill).
Colour SetTextColour(DcHandle dc, Colour colour);
Colour GetTextColour(DcHandle dc);
Colour SetBackgroundColour(DcHandle dc, Colour colour);
Colour GetBackgroundColour(DcHandle dc);
BackgroundMode SetBackgroundMode(DcHandle dc, BackgroundMode mode);
BackgroundMode GetBackgroundMode(DcHandle dc);
TextAlign SetTextAlign(DcHandle dc, TextAlign align);
TextAlign GetTextAlign(DcHandle dc);
// Extra space added after every character of text output, in logical units.
int SetTextCharacterExtra(DcHandle dc, int extra);
int GetTextCharacterExtra(DcHandle dc);
FillMode SetFillMode(DcHandle dc, FillMode mode);
FillMode GetFillMode(DcHandle dc);

// Current position (logical), used by LineTo and by text with update-position.
bool MoveTo(DcHandle dc, Point to, Point* previous = nullptr);
Point GetCurrentPosition(DcHandle dc);
// Sets the current position without drawing (the text module moves it after output).
bool SetCurrentPosition(DcHandle dc, Point position);

// Clipping, by rectangles in logical units converted to device pixels at the time
// of the call. A paint context's invalid rectangle always applies as well.
bool IntersectClipRect(DcHandle dc, Rect logical);
// Replaces the context's own clip with one rectangle.
bool SetClipRect(DcHandle dc, Rect logical);
// Drops the context's own clip (the paint rectangle stays).
bool ClearClip(DcHandle dc);
// The bounds that drawing can reach, in logical units; empty when nothing can be drawn.
Rect GetClipBox(DcHandle dc);

}  // namespace ql::gfx
