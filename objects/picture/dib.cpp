// Checking and decoding packed DIBs (see dib.h). Sizes are computed in 64 bits so
// that no header value can wrap a bound.
#include "objects/picture/dib.h"

namespace ql {
namespace {

constexpr int kAllowedBits[] = {1, 4, 8, 16, 24, 32};
constexpr uint32_t kMaskBytes = 12;
constexpr uint32_t kCoreEntryBytes = 3;
constexpr uint32_t kInfoEntryBytes = 4;
constexpr int kPalettedBitsLimit = 16;  // below it the table is what pixels index
constexpr uint32_t kDefault16Masks[3] = {0x7C00, 0x03E0, 0x001F};
constexpr uint32_t kDefault32Masks[3] = {0x00FF0000, 0x0000FF00, 0x000000FF};
constexpr int kByteBits = 8;
constexpr int kRowAlignBits = 32;

uint32_t U32At(const uint8_t* p) {
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
uint16_t U16At(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

bool IsAllowedBits(int bits) {
    for (int allowed : kAllowedBits)
        if (bits == allowed) return true;
    return false;
}

// Header fields into the layout: width, height, planes, bits, compression and the
// number of colours the header says; false for a header this program cannot read.
bool ReadHeader(const uint8_t* data, size_t size, DibLayout& layout, uint32_t* headerBytes,
                uint32_t* coloursUsed) {
    if (size < kCoreHeaderBytes) return false;
    uint32_t header = U32At(data);
    *headerBytes = header;
    int64_t width = 0;
    int64_t height = 0;
    int planes = 0;
    if (header == kCoreHeaderBytes) {
        width = U16At(data + 4);
        height = static_cast<int16_t>(U16At(data + 6));
        planes = U16At(data + 8);
        layout.bits = U16At(data + 10);
        *coloursUsed = 0;
    } else if (header >= kInfoHeaderBytes && header <= size) {
        width = static_cast<int32_t>(U32At(data + 4));
        height = static_cast<int32_t>(U32At(data + 8));
        planes = U16At(data + 12);
        layout.bits = U16At(data + 14);
        layout.compression = U32At(data + 16);
        *coloursUsed = U32At(data + 32);
    } else {
        return false;
    }
    if (width <= 0 || height == 0 || planes != 1 || !IsAllowedBits(layout.bits)) return false;
    bool bitFields = layout.compression == kDibBitFields && (layout.bits == 16 || layout.bits == 32);
    if (layout.compression != kDibUncompressed && !bitFields) return false;
    if (layout.bits < 32 && *coloursUsed > (1u << layout.bits)) return false;
    layout.width = static_cast<int32_t>(width);
    layout.topDown = height < 0;
    layout.height = static_cast<int32_t>(height < 0 ? -height : height);
    return true;
}

}  // namespace

std::optional<DibLayout> CheckDib(const uint8_t* data, size_t size) {
    if (data == nullptr) return std::nullopt;
    DibLayout layout;
    uint32_t header = 0;
    uint32_t used = 0;
    if (!ReadHeader(data, size, layout, &header, &used)) return std::nullopt;
    uint64_t at = header;
    const uint32_t* defaults = layout.bits == 16 ? kDefault16Masks : kDefault32Masks;
    for (int i = 0; i < 3; ++i) layout.masks[i] = defaults[i];
    if (layout.compression == kDibBitFields) {
        // A 40-byte header is followed by the masks; longer headers hold them.
        const uint8_t* masks = data + kInfoHeaderBytes;
        if (header == kInfoHeaderBytes) at += kMaskBytes;
        if (at > size || kInfoHeaderBytes + kMaskBytes > size) return std::nullopt;
        for (int i = 0; i < 3; ++i) layout.masks[i] = U32At(masks + 4 * i);
    }
    bool core = header == kCoreHeaderBytes;
    layout.colourEntryBytes = core ? kCoreEntryBytes : kInfoEntryBytes;
    bool paletted = layout.bits < kPalettedBitsLimit;
    layout.colourCount = core ? (paletted ? 1u << layout.bits : 0) : (used != 0 ? used : (paletted ? 1u << layout.bits : 0));
    layout.colourTable = static_cast<size_t>(at);
    at += static_cast<uint64_t>(layout.colourCount) * layout.colourEntryBytes;
    uint64_t stride = ((static_cast<uint64_t>(layout.width) * layout.bits + kRowAlignBits - 1) / kRowAlignBits) * 4;
    uint64_t end = at + stride * static_cast<uint64_t>(layout.height);
    if (end > size) return std::nullopt;
    layout.pixels = static_cast<size_t>(at);
    layout.stride = static_cast<size_t>(stride);
    return layout;
}

bool IsCompressedDib(const uint8_t* data, size_t size) {
    if (data == nullptr || size < kInfoHeaderBytes) return false;
    if (U32At(data) < kInfoHeaderBytes) return false;
    uint32_t compression = U32At(data + 16);
    return compression != kDibUncompressed && compression != kDibBitFields;
}

namespace {

// A channel through a bit-field mask, scaled to 8 bits.
uint8_t Channel(uint32_t value, uint32_t mask) {
    if (mask == 0) return 0;
    int shift = 0;
    while (((mask >> shift) & 1) == 0) ++shift;
    uint32_t field = (value & mask) >> shift;
    uint32_t top = mask >> shift;
    return static_cast<uint8_t>(field * 255 / top);
}

gfx::Colour PaletteColour(const uint8_t* data, const DibLayout& layout, uint32_t index) {
    if (index >= layout.colourCount) return gfx::kBlack;
    const uint8_t* entry = data + layout.colourTable + static_cast<size_t>(index) * layout.colourEntryBytes;
    return gfx::Rgb(entry[2], entry[1], entry[0]);
}

gfx::Colour PixelAt(const uint8_t* data, const DibLayout& layout, const uint8_t* row, int x) {
    switch (layout.bits) {
    case 1: return PaletteColour(data, layout, (row[x / kByteBits] >> (7 - x % kByteBits)) & 1);
    case 4: return PaletteColour(data, layout, (row[x / 2] >> (x % 2 == 0 ? 4 : 0)) & 0xF);
    case 8: return PaletteColour(data, layout, row[x]);
    case 16: {
        uint32_t v = U16At(row + 2 * x);
        return gfx::Rgb(Channel(v, layout.masks[0]), Channel(v, layout.masks[1]), Channel(v, layout.masks[2]));
    }
    case 24: return gfx::Rgb(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    default: {
        uint32_t v = U32At(row + 4 * x);
        return gfx::Rgb(Channel(v, layout.masks[0]), Channel(v, layout.masks[1]), Channel(v, layout.masks[2]));
    }
    }
}

}  // namespace

std::vector<gfx::Colour> DecodeDibPixels(const uint8_t* data, const DibLayout& layout) {
    std::vector<gfx::Colour> colours(static_cast<size_t>(layout.width) * layout.height);
    for (int y = 0; y < layout.height; ++y) {
        int stored = layout.topDown ? y : layout.height - 1 - y;
        const uint8_t* row = data + layout.pixels + static_cast<size_t>(stored) * layout.stride;
        for (int x = 0; x < layout.width; ++x)
            colours[static_cast<size_t>(y) * layout.width + x] = PixelAt(data, layout, row, x);
    }
    return colours;
}

}  // namespace ql
