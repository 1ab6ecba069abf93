// ByteWriter: the little-endian encoder every stored form of a score file is built
// with, into memory; the caller hands the finished bytes to the score file. Counts,
// lengths and variable data are appended; fixed-width records are reserved whole
// (FixedRecord) and filled field by field at their table offsets, so that a field an
// encoder forgets shows as the scratch fill (0 in the program; tests set 0xA5)
// instead of passing unnoticed. No struct is ever copied as memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace ql {

// A little-endian word into a byte array (the counterpart of LoadLe16).
constexpr void StoreLe16(uint8_t* at, uint16_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}

class ByteWriter {
  public:
    void U8(uint8_t value);
    void U16(uint16_t value);
    void U32(uint32_t value);
    void I8(int8_t value) { U8(static_cast<uint8_t>(value)); }
    void I16(int16_t value) { U16(static_cast<uint16_t>(value)); }
    void I32(int32_t value) { U32(static_cast<uint32_t>(value)); }
    void Bytes(const void* bytes, size_t count);
    void Zeros(size_t count);
    // Four ASCII letters without a terminator ("STIK").
    void Tag(const char (&tag)[5]) { Bytes(tag, 4); }

    // Appends `width` bytes of the scratch fill; the offset of the first.
    size_t Reserve(size_t width);
    // Writes inside bytes already appended (the caller keeps to its reservation); a
    // write outside them throws std::out_of_range. Inline: the encoders of a save call
    // them for every field.
    void PutU8(size_t at, uint8_t value) { *Inside(at, 1) = value; }
    void PutU16(size_t at, uint16_t value) {
        uint8_t* to = Inside(at, 2);
        to[0] = static_cast<uint8_t>(value);
        to[1] = static_cast<uint8_t>(value >> 8);
    }
    void PutU32(size_t at, uint32_t value) {
        uint8_t* to = Inside(at, 4);
        for (int i = 0; i < 4; ++i) to[i] = static_cast<uint8_t>(value >> (8 * i));
    }
    void PutBytes(size_t at, const void* bytes, size_t count);

    const uint8_t* Data() const { return bytes_.data(); }
    size_t Size() const { return bytes_.size(); }
    const std::vector<uint8_t>& Buffer() const { return bytes_; }
    void Clear() { bytes_.clear(); }

  private:
    // The `count` appended bytes from `at` on; throws when they are not all there.
    uint8_t* Inside(size_t at, size_t count) {
        if (count > bytes_.size() || at > bytes_.size() - count) OutsideTheBytes();
        return bytes_.data() + at;
    }
    [[noreturn]] static void OutsideTheBytes() { throw std::out_of_range("a write outside the bytes appended"); }

    std::vector<uint8_t> bytes_;
};

// One fixed-width record being encoded inside a writer: every field is put at its
// offset in the record's table.
class FixedRecord {
  public:
    FixedRecord(ByteWriter& writer, size_t width)
        : writer_(writer), base_(writer.Reserve(width)), width_(width) {}

    void U8(size_t at, uint8_t value) { writer_.PutU8(base_ + Check(at, 1), value); }
    void U16(size_t at, uint16_t value) { writer_.PutU16(base_ + Check(at, 2), value); }
    void U32(size_t at, uint32_t value) { writer_.PutU32(base_ + Check(at, 4), value); }
    void I8(size_t at, int8_t value) { U8(at, static_cast<uint8_t>(value)); }
    void I16(size_t at, int16_t value) { U16(at, static_cast<uint16_t>(value)); }
    void I32(size_t at, int32_t value) { U32(at, static_cast<uint32_t>(value)); }
    void Bytes(size_t at, const void* bytes, size_t count) {
        writer_.PutBytes(base_ + Check(at, count), bytes, count);
    }
    void Zero(size_t at, size_t count);
    // A NUL-terminated text in a field of `width` bytes: the bytes up to the first
    // NUL (at most width), then zeros. Bytes after the NUL carry nothing and are 0.
    void Text(size_t at, const char* text, size_t width);

  private:
    size_t Check(size_t at, size_t count) const;

    ByteWriter& writer_;
    size_t base_;
    size_t width_;
};

// The byte a reservation is filled with (0 unless a test seam changed it).
uint8_t ScratchFill();

// A fixed-width record of `Width` bytes encoded field by field as FixedRecord does,
// in a buffer of its own that is appended to the writer whole: for the records a
// save writes by the thousand, whose fields then cost a store each.
template <size_t Width>
class LocalRecord {
  public:
    LocalRecord() { std::memset(bytes_, ScratchFill(), Width); }
    void U8(size_t at, uint8_t value) { bytes_[Check(at, 1)] = value; }
    void U16(size_t at, uint16_t value) {
        bytes_[Check(at, 2)] = static_cast<uint8_t>(value);
        bytes_[at + 1] = static_cast<uint8_t>(value >> 8);
    }
    void I8(size_t at, int8_t value) { U8(at, static_cast<uint8_t>(value)); }
    void I16(size_t at, int16_t value) { U16(at, static_cast<uint16_t>(value)); }
    void AppendTo(ByteWriter& writer) const { writer.Bytes(bytes_, Width); }

  private:
    static size_t Check(size_t at, size_t count) {
        if (at > Width || count > Width - at) throw std::out_of_range("a field lies outside its record");
        return at;
    }
    uint8_t bytes_[Width];
};

}  // namespace ql
