// The bounded little-endian byte reader (see byte_reader.h).
#include "files/bytes/byte_reader.h"

#include <cstring>

namespace ql {

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
