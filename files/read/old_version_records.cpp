// The record conversions of older format versions, one function per stored record
// kind, each gate in the order the reader has always applied them.
#include <algorithm>
#include <limits>

#include "files/read/old_versions.h"

namespace ql {
namespace {

namespace gate = version_gate;

constexpr size_t kMeasureBytesOldest = 20, kMeasureBytesOlder = 24, kMeasureBytes = 28;
constexpr size_t kSpacingBytesOldest = 7, kSpacingBytes = 8;
constexpr int32_t kOldSystemOrigin = 0x7800;
constexpr uint8_t kEventByte19Default = 0x81;
constexpr int kCrossStaffStepLimit = -3;
constexpr uint16_t kFirstMeasureNumber = 1;

// Stored header offsets.
constexpr size_t kHeaderPageBits = 90, kHeaderWord186 = 186, kHeaderPlayback = 190;
constexpr size_t kHeaderByte215 = 215, kLeftMargins = 248, kRightMargins = 256, kMarginBytes = 8;
constexpr uint8_t kPageBitsMask = 0x03;

uint16_t Word(std::span<const uint8_t> bytes, size_t at) {
    return static_cast<uint16_t>(bytes[at] | (bytes[at + 1] << 8));
}
void PutWord(std::span<uint8_t> bytes, size_t at, uint16_t value) {
    bytes[at] = static_cast<uint8_t>(value & 0xFF);
    bytes[at + 1] = static_cast<uint8_t>(value >> 8);
}
int32_t Long(std::span<const uint8_t> bytes, size_t at) {
    uint32_t value = 0;
    for (size_t i = 0; i < 4; ++i) value |= static_cast<uint32_t>(bytes[at + i]) << (8 * i);
    return static_cast<int32_t>(value);
}
void PutLong(std::span<uint8_t> bytes, size_t at, int32_t value) {
    const uint32_t bits = static_cast<uint32_t>(value);
    for (size_t i = 0; i < 4; ++i) bytes[at + i] = static_cast<uint8_t>(bits >> (8 * i));
}
void SetBits(std::span<uint8_t> bytes, size_t at, uint16_t mask, uint16_t value) {
    PutWord(bytes, at, static_cast<uint16_t>((Word(bytes, at) & ~mask) | (value & mask)));
}
bool AllZero(std::span<const uint8_t> bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](uint8_t b) { return b == 0; });
}

// Left-page margins all zero take the right-page ones; else zero right-page margins
// take the left-page ones.
void ApplyMarginRule(std::span<uint8_t, kFullHeaderBytes> header) {
    std::span<uint8_t> left = header.subspan(kLeftMargins, kMarginBytes);
    std::span<uint8_t> right = header.subspan(kRightMargins, kMarginBytes);
    if (AllZero(left)) std::copy(right.begin(), right.end(), left.begin());
    else if (AllZero(right)) std::copy(left.begin(), left.end(), right.begin());
}

// Barline codes 2 and 3 of the low nibble, and 0x20 and 0x30 of the second, swap.
uint16_t SwapBarlineCodes(uint16_t word) {
    const uint16_t low = word & 0x0F, second = word & 0xF0;
    uint16_t out = word;
    if (low == 2 || low == 3) out = static_cast<uint16_t>((out & ~0x0F) | (low ^ 1));
    if (second == 0x20 || second == 0x30) out = static_cast<uint16_t>((out & ~0xF0) | (second ^ 0x10));
    return out;
}

void ConvertCrossStaff(std::span<uint8_t, 28> event, const EventPlace& place) {
    constexpr uint16_t kCrossStaffBit = 1u << 10, kBelowBit = 1u << 15;
    constexpr size_t kStepAt = 5, kByte19 = 19;
    SetBits(event, 6, kBelowBit, 0);
    if ((Word(event, 0) & kCrossStaffBit) == 0) return;
    const int step = static_cast<int8_t>(event[kStepAt]);
    const bool below = step < kCrossStaffStepLimit;
    if (below && place.staff != 1) {
        SetBits(event, 6, kBelowBit, kBelowBit);
        return;
    }
    if (below || place.staff == place.lastStaff) {
        event[kByte19] = static_cast<uint8_t>(step);
        SetBits(event, 0, kCrossStaffBit, 0);
    }
}

// An old system coordinate lowered by the old origin; one that would pass the
// smallest 32-bit value stops there.
int32_t LoweredByOldOrigin(int32_t stored) {
    const int64_t lowered = int64_t{stored} - kOldSystemOrigin;
    return static_cast<int32_t>(std::max<int64_t>(lowered, std::numeric_limits<int32_t>::min()));
}

}  // namespace

void UpgradeHeader(std::span<const uint8_t> stored, uint8_t version, const OldHeaderDefaults& defaults,
                   std::span<uint8_t, kFullHeaderBytes> out) {
    std::fill(out.begin(), out.end(), uint8_t{0});
    std::copy_n(stored.begin(), std::min(stored.size(), out.size()), out.begin());
    if (version < gate::kPageBits)
        out[kHeaderPageBits] = static_cast<uint8_t>((out[kHeaderPageBits] & ~kPageBitsMask) |
                                                    (defaults.pageRecordBits & kPageBitsMask));
    if (version < gate::kHeaderByte215) out[kHeaderByte215] = 0;
    if (version >= gate::kLaterMajor) out[kHeaderWord186 + 1] = 0;
    if (version < gate::kPlaybackPercent) out[kHeaderPlayback] = defaults.notePlaybackPercent;
    ApplyMarginRule(out);
}

void UpgradeStaffRecord(std::span<uint8_t, 40> record, uint8_t version) {
    constexpr size_t kByte27 = 27;
    if (version < gate::kNumbering) {
        record[kByte27] = 0;
        SetBits(record, 2, 0xF000, 0);
    }
    if (version < gate::kStaffFirstWord) {
        const uint16_t second = Word(record, 2);
        const uint16_t bits = static_cast<uint16_t>((second & 0x7) | ((second >> 4) & 0x7));
        SetBits(record, 0, 0xE000, static_cast<uint16_t>(bits << 13));
    }
}

size_t MeasureRecordBytes(uint8_t version) {
    if (version < gate::kLongMeasures) return kMeasureBytesOldest;
    return version < gate::kFullMeasures ? kMeasureBytesOlder : kMeasureBytes;
}

size_t SpacingEntryBytes(uint8_t version) {
    return version < gate::kLongMeasures ? kSpacingBytesOldest : kSpacingBytes;
}

void UpgradeMeasureRecord(std::span<const uint8_t> stored, uint8_t version,
                          std::span<const uint8_t> previous, std::span<uint8_t, 28> out) {
    constexpr size_t kByte1 = 1, kWord2 = 2, kWord14 = 14, kByte16 = 16, kWord18 = 18, kWord26 = 26;
    std::fill(out.begin(), out.end(), uint8_t{0});
    std::copy_n(stored.begin(), std::min(stored.size(), out.size()), out.begin());
    if (version < gate::kLongMeasures) {
        PutWord(out, kWord18, out[kByte1]);
        out[kByte1] = 0;
    }
    if (version < gate::kMeasureByte16) out[kByte16] = 0;
    if (version < gate::kHighByteWords) PutWord(out, kWord18, static_cast<uint16_t>((Word(out, kWord18) & 0xFF) << 8));
    if (version < gate::kBarlineCodes) PutWord(out, kWord2, SwapBarlineCodes(Word(out, kWord2)));
    if (version < gate::kNumbering) {
        // Measure 1 is numbered 1, as in a new score (numbers below 1 are never shown).
        const uint16_t number = previous.size() < kMeasureBytes
                                    ? kFirstMeasureNumber
                                    : static_cast<uint16_t>(Word(previous, kWord26) + previous[kByte16] + 1);
        PutWord(out, kWord26, number);
    }
    PutWord(out, kWord14, 0);
}

void UpgradeSpacingEntry(std::span<const uint8_t> stored, uint8_t version, std::span<uint8_t, 8> out) {
    constexpr size_t kWord6 = 6;
    std::fill(out.begin(), out.end(), uint8_t{0});
    std::copy_n(stored.begin(), std::min(stored.size(), out.size()), out.begin());
    if (version < gate::kLongMeasures) PutWord(out, kWord6, out[kWord6]);
    if (version < gate::kHighByteWords) PutWord(out, kWord6, static_cast<uint16_t>((Word(out, kWord6) & 0xFF) << 8));
}

void UpgradeCellHeader(std::span<uint8_t> cell, uint8_t version) {
    if (cell.size() < 8) return;
    if (version < gate::kNumbering) cell[7] = 0;
    if (version < gate::kCellBits) SetBits(cell, 2, 0x0300, 0);
}

void UpgradeEventRecord(std::span<uint8_t, 28> event, uint8_t version, const EventPlace& place) {
    constexpr size_t kWord2 = 2, kWord6 = 6, kByte19 = 19, kWord16 = 16;
    if (version < gate::kEventWord6) {
        const uint16_t moved = static_cast<uint16_t>((Word(event, kWord2) >> 8) & 0xF);
        SetBits(event, kWord6, 0x7E00, static_cast<uint16_t>(moved << 9));
        SetBits(event, kWord2, 0x0F00, 0);
    }
    if (version < gate::kPageBits) SetBits(event, kWord2, 0x0F00, 0);
    if (version < gate::kEventBit5) SetBits(event, kWord6, 0x0020, 0);
    if (version < gate::kEventByte19 && !place.readAs14) event[kByte19] = kEventByte19Default;
    if (version < gate::kCrossStaff) ConvertCrossStaff(event, place);
    SetBits(event, kWord2, 0x0700, 0);
    if (Word(event, kWord16) >= place.measureTicks) PutWord(event, kWord16, 0);
}

void UpgradeSystemRecord(std::span<uint8_t, 16> system, uint8_t version) {
    constexpr size_t kX = 8, kY = 12;
    if (version >= gate::kSystemOrigin) return;
    PutLong(system, kX, LoweredByOldOrigin(Long(system, kX)));
    PutLong(system, kY, LoweredByOldOrigin(Long(system, kY)));
}

void UpgradePageRecord(std::span<uint8_t, 16> page, uint8_t version) {
    constexpr size_t kNumber = 14;
    if (version < gate::kNumbering && static_cast<int16_t>(Word(page, kNumber)) >= 0) PutWord(page, kNumber, 0);
}

}  // namespace ql
