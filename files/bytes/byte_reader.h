// ByteReader: the little-endian decoder of stored forms, over bytes already in
// memory (a fixed-width record fetched from the score file, or a test's bytes). Every
// read is bounded by the bytes left: a read past the end gives 0, takes nothing and
// marks the reader failed, so a decoder checks Ok() once after its fields.
#pragma once

#include <cstddef>
#include <cstdint>

namespace ql {

// Little-endian words of a byte array (for tests and small decoders).
constexpr uint16_t LoadLe16(const uint8_t* at) {
    return static_cast<uint16_t>(at[0] | (at[1] << 8));
}
constexpr uint32_t LoadLe32(const uint8_t* at) {
    return LoadLe16(at) | (static_cast<uint32_t>(LoadLe16(at + 2)) << 16);
}

class ByteReader {
  public:
    ByteReader(const uint8_t* data, size_t size) : data_(data), size_(size) {}

    // The word readers are inline: the decoders of a load call them for every field.
    uint8_t U8() { return Take(1) ? data_[at_++] : 0; }
    uint16_t U16() {
        if (!Take(2)) return 0;
        const uint16_t value = LoadLe16(data_ + at_);
        at_ += 2;
        return value;
    }
    uint32_t U32() {
        if (!Take(4)) return 0;
        const uint32_t value = LoadLe32(data_ + at_);
        at_ += 4;
        return value;
    }
    int8_t I8() { return static_cast<int8_t>(U8()); }
    int16_t I16() { return static_cast<int16_t>(U16()); }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    // Copies `count` bytes; on a short source nothing is copied and `out` is zeroed.
    void Bytes(void* out, size_t count);
    // A NUL-terminated text field of `width` bytes into `out` (width bytes): copied
    // as stored with the last byte forced to NUL.
    void Text(char* out, size_t width);
    void Skip(size_t count);

    bool Ok() const { return ok_; }
    size_t Position() const { return at_; }
    size_t Remaining() const { return size_ - at_; }

  private:
    bool Take(size_t count) {
        if (!ok_ || count > size_ - at_) {
            ok_ = false;
            return false;
        }
        return true;
    }

    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
    bool ok_ = true;
};

}  // namespace ql
