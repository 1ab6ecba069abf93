// Packed device-independent bitmaps as the clipboard and the score files hold them:
// a header (the 12-byte core header or an information header of 40 bytes or more),
// the three bit-field masks after a 40-byte header with compression 3, the colour
// table (three-byte entries after a core header, four-byte ones otherwise), then
// the rows of pixels, each padded to 4 bytes, bottom row first unless the height is
// negative. Every use of picture bytes goes through CheckDib first: a layout is
// given only when each part lies inside the bytes, so no reader looks past them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "platform/gfx/types.h"

namespace ql {

constexpr uint32_t kCoreHeaderBytes = 12;
constexpr uint32_t kInfoHeaderBytes = 40;
constexpr uint32_t kDibUncompressed = 0;
constexpr uint32_t kDibBitFields = 3;

struct DibLayout {
    int32_t width = 0;
    int32_t height = 0;   // rows, positive
    bool topDown = false;  // the stored height was negative
    int bits = 0;
    uint32_t compression = kDibUncompressed;
    uint32_t masks[3] = {};  // red, green, blue (bit fields, or the 16- and 32-bit defaults)
    size_t colourTable = 0;  // offset of the colour table
    uint32_t colourCount = 0;
    uint32_t colourEntryBytes = 4;
    size_t pixels = 0;  // offset of the first row
    size_t stride = 0;  // bytes per row
};

// The layout of a packed DIB, or nothing when the bytes are not one this program can
// read: header 12, or 40 and more; width above 0, height not 0; one plane; 1, 4, 8,
// 16, 24 or 32 bits; compression 0, or 3 with 16 or 32 bits; at most 2^bits colours;
// header, masks, colour table and every row within the bytes.
std::optional<DibLayout> CheckDib(const uint8_t* data, size_t size);

// True for an information header whose compression is neither 0 nor 3 (run-length
// and other compressed bitmaps, which this program does not import).
bool IsCompressedDib(const uint8_t* data, size_t size);

// The pixels of a checked DIB as colours, rows top to bottom; an index past the
// colour table reads as black.
std::vector<gfx::Colour> DecodeDibPixels(const uint8_t* data, const DibLayout& layout);

}  // namespace ql
