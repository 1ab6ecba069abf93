// The byte forms of Standard MIDI Files shared by the reader and the writer:
// chunk ids, the header's size, data lengths of channel statuses, big-endian
// words and variable-length quantities.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace ql::smf {

inline constexpr std::array<uint8_t, 4> kHeaderId{'M', 'T', 'h', 'd'};
inline constexpr std::array<uint8_t, 4> kTrackId{'M', 'T', 'r', 'k'};
inline constexpr std::array<uint8_t, 4> kRiffId{'R', 'I', 'F', 'F'};
inline constexpr std::array<uint8_t, 4> kRmidId{'R', 'M', 'I', 'D'};

inline constexpr size_t kChunkHeaderBytes = 8;    // id and 32-bit length
inline constexpr size_t kHeaderChunkBytes = 14;   // "MThd", 6, format, tracks, division
inline constexpr uint32_t kHeaderDataBytes = 6;   // the smallest legal header length
inline constexpr size_t kRiffPreambleBytes = 20;  // RIFF header and the data chunk's header
inline constexpr size_t kRiffFormOffset = 8;      // where "RMID" sits in a RIFF file

inline constexpr uint8_t kStatusSysEx = 0xF0;
inline constexpr uint8_t kStatusSysExEscape = 0xF7;
inline constexpr uint8_t kStatusMeta = 0xFF;
inline constexpr uint8_t kMetaEndOfTrack = 0x2F;
inline constexpr uint8_t kInitialRunningStatus = 0x90;

// The longest variable-length quantity a file may hold (28 bits).
inline constexpr size_t kMaxVlqBytes = 4;
inline constexpr uint32_t kMaxVlqValue = 0x0FFFFFFF;

// Data bytes that follow a channel status (0x80..0xEF); 0 for 0xF0 and above.
constexpr int ChannelDataLength(uint8_t status) {
    constexpr std::array<int, 16> kByHighNibble{0, 0, 0, 0, 0, 0, 0, 0, 2, 2, 2, 2, 1, 1, 2, 0};
    return kByHighNibble[status >> 4];
}

uint32_t ReadBigEndian32(const uint8_t* bytes);
uint16_t ReadBigEndian16(const uint8_t* bytes);
// Writes four bytes; the position after them.
uint8_t* WriteBigEndian32(uint8_t* buffer, uint32_t value);
uint8_t* WriteBigEndian16(uint8_t* buffer, uint16_t value);

// Encodes `value` (at most kMaxVlqValue) most significant group first; the bytes
// used, 1 to 4.
size_t EncodeVlq(uint32_t value, std::span<uint8_t, kMaxVlqBytes> out);

}  // namespace ql::smf
