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

}  // namespace ql::gfx::detail
