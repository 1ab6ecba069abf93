#include "platform/gfx/detail/pdf_deflate.h"

#include <zlib.h>

namespace ql::gfx::detail {

bool Deflate(std::string_view in, int level, std::string* out) {
    uLongf length = compressBound(static_cast<uLong>(in.size()));
    out->resize(length);
    const int status = compress2(reinterpret_cast<Bytef*>(out->data()), &length,
                                 reinterpret_cast<const Bytef*>(in.data()), static_cast<uLong>(in.size()), level);
    if (status != Z_OK) {
        out->clear();
        return false;
    }
    out->resize(length);
    return true;
}

bool Inflate(std::string_view in, size_t length, std::string* out) {
    out->resize(length);
    uLongf size = static_cast<uLongf>(length);
    const int status = uncompress(reinterpret_cast<Bytef*>(out->data()), &size,
                                  reinterpret_cast<const Bytef*>(in.data()), static_cast<uLong>(in.size()));
    return status == Z_OK && size == length;
}

}  // namespace ql::gfx::detail
