// The bounded little-endian byte reader (see byte_reader.h).
#include "files/bytes/byte_reader.h"

#include <cstring>

namespace ql {

bool ByteReader::Take(size_t count) {
    if (!ok_ || count > size_ - at_) {
        ok_ = false;
        return false;
    }
    return true;
}

uint8_t ByteReader::U8() {
    if (!Take(1)) return 0;
    return data_[at_++];
}

uint16_t ByteReader::U16() {
    if (!Take(2)) return 0;
    uint16_t value = LoadLe16(data_ + at_);
    at_ += 2;
    return value;
}

uint32_t ByteReader::U32() {
    if (!Take(4)) return 0;
    uint32_t value = LoadLe32(data_ + at_);
    at_ += 4;
    return value;
}

void ByteReader::Bytes(void* out, size_t count) {
    if (!Take(count)) {
        if (count > 0) std::memset(out, 0, count);
        return;
    }
    if (count > 0) std::memcpy(out, data_ + at_, count);
    at_ += count;
}

void ByteReader::Text(char* out, size_t width) {
    Bytes(out, width);
    if (width > 0) out[width - 1] = '\0';
}

void ByteReader::Skip(size_t count) {
    if (Take(count)) at_ += count;
}

}  // namespace ql
