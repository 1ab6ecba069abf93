// Bitmaps (colour images and monochrome masks), blits between contexts and PNG.
// Pixels are 32-bit opaque colours; a monochrome bitmap holds only black and
// white. Colour rules of blits between the two (the classic ones):
//   colour -> monochrome: pixels equal to the source context's background colour
//                         become white, all others black;
//   monochrome -> colour: black takes the destination's text colour, white its
//                         background colour.
// Drawing into a monochrome bitmap maps each colour to black or white by its
// brightness (at least half: white).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/gfx/types.h"

namespace ql::gfx {

// Blit raster operations: bits 16-23 are the truth table over pattern (brush),
// source and destination, bit index (pattern << 2) | (source << 1) | destination;
// the low word is the classic encoding, kept because the program stores and passes
// these numbers. Any value with a valid truth table works.
namespace RasterOp {
constexpr uint32_t SourceCopy = 0x00CC0020;
constexpr uint32_t NotSourceCopy = 0x00330008;
constexpr uint32_t SourcePaint = 0x00EE0086;    // destination OR source
constexpr uint32_t SourceAnd = 0x008800C6;      // destination AND source
constexpr uint32_t SourceInvert = 0x00660046;   // destination XOR source
constexpr uint32_t DestXnorSource = 0x00990066;  // NOT (destination XOR source)
constexpr uint32_t MergeCopy = 0x00C000CA;      // source AND pattern
constexpr uint32_t PatternCopy = 0x00F00021;
constexpr uint32_t PatternInvert = 0x005A0049;  // destination XOR pattern
constexpr uint32_t DestinationInvert = 0x00550009;
constexpr uint32_t Blackness = 0x00000042;
constexpr uint32_t Whiteness = 0x00FF0062;
}  // namespace RasterOp

// True when the operation reads the source / the pattern.
bool RasterOpUsesSource(uint32_t rop);
bool RasterOpUsesPattern(uint32_t rop);

// Colour image, every pixel white: the backing store of a window. Null on
// failure (size below 1 or too large).
BitmapHandle CreateImageBitmap(int width, int height);
// Tests: the next colour image bitmap cannot be made (once), as on a system short
// of memory for it.
void FailNextImageBitmap();
// A bitmap in the format of the context: monochrome when `dc` is a memory
// context with a monochrome bitmap selected (as a fresh memory context has),
// colour otherwise. Starts black.
BitmapHandle CreateCompatibleBitmap(DcHandle dc, int width, int height);
// Monochrome bitmap from packed rows, 1 = white, most significant bit first,
// each row padded to 16 bits; all black when `bits` is null.
BitmapHandle CreateMonochromeBitmap(int width, int height, const uint8_t* bits = nullptr);
// Colour bitmap from row-major colours (width x height values).
BitmapHandle CreateBitmapFromColours(int width, int height, const std::vector<Colour>& colours);
// Reads a PNG file into a colour bitmap; null when it cannot be read.
BitmapHandle LoadPng(const std::string& path);

struct BitmapInfo {
    int width = 0;
    int height = 0;
    bool monochrome = false;
};
bool GetBitmapInfo(BitmapHandle bitmap, BitmapInfo* out);
// Raw pixel access for tests and the window layer: device pixels, row-major.
Colour GetBitmapPixel(BitmapHandle bitmap, int x, int y);  // kInvalidColour outside
std::vector<Colour> ReadBitmapPixels(BitmapHandle bitmap);  // empty when unresolved
// Resizes a window's backing image, keeping what overlaps and filling the rest
// white. Contexts using it see the new size at once.
bool ResizeImageBitmap(BitmapHandle bitmap, int width, int height);

// Writes the bitmap, or the image a context draws on, as PNG.
bool WritePng(BitmapHandle bitmap, const std::string& path);
bool WriteContextPng(DcHandle dc, const std::string& path);
// The bitmap's PNG bytes; none when it does not resolve or encoding failed.
std::optional<std::vector<uint8_t>> EncodePng(BitmapHandle bitmap);
// The bitmap a window, paint or memory context draws on (null otherwise).
BitmapHandle GetContextImage(DcHandle dc);

// Copies a rectangle of `source` (logical units of the source context) onto
// `dest` (logical units of the destination), combining by `rop`. Source may be
// null for operations that do not read it. Sizes are converted to device pixels
// by each context's mapping; when they differ the copy is stretched (nearest
// pixel; a negative size mirrors).
bool BitBlit(DcHandle dest, Point destOrigin, Size size, DcHandle source, Point sourceOrigin,
             uint32_t rop);
bool StretchBlit(DcHandle dest, Rect destRect, DcHandle source, Rect sourceRect, uint32_t rop);

}  // namespace ql::gfx
