// Big-endian words and variable-length quantities of Standard MIDI Files.
#include "interchange/smf/smf_format.h"

namespace ql::smf {

uint32_t ReadBigEndian32(const uint8_t* bytes) {
    return (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) | (uint32_t{bytes[2]} << 8) |
           uint32_t{bytes[3]};
}

uint16_t ReadBigEndian16(const uint8_t* bytes) {
    return static_cast<uint16_t>((bytes[0] << 8) | bytes[1]);
}

uint8_t* WriteBigEndian32(uint8_t* buffer, uint32_t value) {
    buffer[0] = static_cast<uint8_t>(value >> 24);
    buffer[1] = static_cast<uint8_t>(value >> 16);
    buffer[2] = static_cast<uint8_t>(value >> 8);
    buffer[3] = static_cast<uint8_t>(value);
    return buffer + 4;
}

uint8_t* WriteBigEndian16(uint8_t* buffer, uint16_t value) {
    buffer[0] = static_cast<uint8_t>(value >> 8);
    buffer[1] = static_cast<uint8_t>(value);
    return buffer + 2;
}

size_t EncodeVlq(uint32_t value, std::span<uint8_t, kMaxVlqBytes> out) {
    value &= kMaxVlqValue;
    uint8_t groups[kMaxVlqBytes];
    size_t count = 0;
    do {
        groups[count++] = static_cast<uint8_t>(value & 0x7F);
        value >>= 7;
    } while (value != 0);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t group = groups[count - 1 - i];
        out[i] = (i + 1 < count) ? static_cast<uint8_t>(group | 0x80) : group;
    }
    return count;
}

}  // namespace ql::smf
