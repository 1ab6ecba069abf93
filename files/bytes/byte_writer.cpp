// The little-endian byte writer and its fixed-width records (see byte_writer.h).
#include "files/bytes/byte_writer.h"

#include <cassert>
#include <cstring>

#include "files/bytes/byte_writer_test_seam.h"

namespace ql {
namespace {

constexpr int kByteBits = 8;
uint8_t g_scratchFill = 0;

}  // namespace

uint8_t ScratchFill() {
    return g_scratchFill;
}

void SetScratchFillForTests(uint8_t fill) {
    g_scratchFill = fill;
}

void ByteWriter::U8(uint8_t value) {
    bytes_.push_back(value);
}

void ByteWriter::U16(uint16_t value) {
    U8(static_cast<uint8_t>(value));
    U8(static_cast<uint8_t>(value >> kByteBits));
}

void ByteWriter::U32(uint32_t value) {
    U16(static_cast<uint16_t>(value));
    U16(static_cast<uint16_t>(value >> (2 * kByteBits)));
}

void ByteWriter::Bytes(const void* bytes, size_t count) {
    if (count == 0) return;
    auto* from = static_cast<const uint8_t*>(bytes);
    bytes_.insert(bytes_.end(), from, from + count);
}

void ByteWriter::Zeros(size_t count) {
    bytes_.insert(bytes_.end(), count, 0);
}

size_t ByteWriter::Reserve(size_t width) {
    size_t at = bytes_.size();
    bytes_.insert(bytes_.end(), width, g_scratchFill);
    return at;
}

void ByteWriter::PutBytes(size_t at, const void* bytes, size_t count) {
    if (count == 0) return;
    std::memcpy(Inside(at, count), bytes, count);
}

size_t FixedRecord::Check(size_t at, size_t count) const {
    assert(at + count <= width_ && "a field lies outside its record");
    return at;
}

void FixedRecord::Zero(size_t at, size_t count) {
    for (size_t i = 0; i < count; ++i) U8(at + i, 0);
}

void FixedRecord::Text(size_t at, const char* text, size_t width) {
    size_t length = text != nullptr ? strnlen(text, width) : 0;
    Bytes(at, text, length);
    Zero(at + length, width - length);
}

}  // namespace ql
