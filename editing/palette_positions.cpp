// Reading and writing the palettes' saved places and shapes.
#include "editing/palette_positions.h"

#include <charconv>
#include <cstdint>
#include <cstdio>

#include "core/settings/settings_store.h"
#include "platform/sys/profile_file.h"
#include "platform/sys/settings_store.h"

namespace ql {
namespace {

constexpr size_t kBinaryBytes = 16;

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::optional<PalettePosition> ParsePalettePosition(std::string_view text) {
    int values[4] = {};
    const char* at = text.data();
    const char* end = text.data() + text.size();
    for (int i = 0; i < 4; ++i) {
        if (i > 0) {
            if (at == end || *at != ',') return std::nullopt;
            ++at;
        }
        if (at != end && *at == '+') return std::nullopt;
        const std::from_chars_result parsed = std::from_chars(at, end, values[i]);
        if (parsed.ec != std::errc() || parsed.ptr == at) return std::nullopt;
        at = parsed.ptr;
    }
    if (at != end) return std::nullopt;
    return PalettePosition{values[0], values[1], values[2], values[3]};
}

std::optional<PalettePosition> ParseBinaryPalettePosition(std::string_view hex) {
    if (hex.size() != 2 * (kBinaryBytes + 1)) return std::nullopt;
    uint8_t bytes[kBinaryBytes + 1] = {};
    for (size_t i = 0; i <= kBinaryBytes; ++i) {
        const int high = HexDigit(hex[2 * i]);
        const int low = HexDigit(hex[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes[i] = static_cast<uint8_t>(high * 16 + low);
    }
    unsigned sum = 0;
    for (size_t i = 0; i < kBinaryBytes; ++i) sum += bytes[i];
    if ((sum & 0xFF) != bytes[kBinaryBytes]) return std::nullopt;
    int values[4] = {};
    for (size_t v = 0; v < 4; ++v) {
        uint32_t word = 0;
        for (size_t b = 0; b < 4; ++b) word |= static_cast<uint32_t>(bytes[v * 4 + b]) << (8 * b);
        values[v] = static_cast<int32_t>(word);
    }
    return PalettePosition{values[0], values[1], values[2], values[3]};
}

std::string FormatPalettePosition(const PalettePosition& position) {
    char text[64];
    std::snprintf(text, sizeof text, "%d,%d,%d,%d", position.x, position.y, position.columns,
                  position.rows);
    return text;
}

std::string FormatBinaryPalettePosition(const PalettePosition& position) {
    const int values[4] = {position.x, position.y, position.columns, position.rows};
    std::string hex;
    unsigned sum = 0;
    auto put = [&hex](unsigned byte) {
        static constexpr char kDigits[] = "0123456789ABCDEF";
        hex += kDigits[(byte >> 4) & 0xF];
        hex += kDigits[byte & 0xF];
    };
    for (int value : values) {
        const uint32_t word = static_cast<uint32_t>(value);
        for (int b = 0; b < 4; ++b) {
            const unsigned byte = (word >> (8 * b)) & 0xFF;
            sum += byte;
            put(byte);
        }
    }
    put(sum & 0xFF);
    return hex;
}

PalettePosition ReadPalettePosition(const char* key, const PalettePosition& defaults) {
    if (key == nullptr) return defaults;
    const std::optional<std::string> text =
        sys::ProgramSettings().ReadText(SubkeyOfSection(kPaletteReadSection), key);
    if (text && text->find(',') != std::string::npos)
        return ParsePalettePosition(*text).value_or(defaults);
    if (ProfilePath().empty()) return defaults;
    const std::optional<std::string> binary =
        sys::ReadProfileText(ProfilePath(), kPaletteProfileSection, key);
    if (!binary) return defaults;
    return ParseBinaryPalettePosition(*binary).value_or(defaults);
}

bool SaveToolPalettePositions(std::span<const std::optional<PalettePosition>, kPaletteCount>
                                  positions) {
    sys::SettingsBatch batch(sys::ProgramSettings());
    bool written = true;
    for (int palette = 0; palette < kPaletteCount; ++palette) {
        const std::optional<PalettePosition>& position = positions[static_cast<size_t>(palette)];
        const std::string text = position ? FormatPalettePosition(*position) : std::string();
        written &= WriteSettingText(kPaletteWriteSection, PaletteSpecOf(palette).key, text) ==
                   kSettingsOk;
    }
    return written;
}

}  // namespace ql
