// Face-name helpers of the font request.
#include "platform/text/logical_font.h"

#include <algorithm>
#include <cstring>

namespace ql::text {

std::string_view LogicalFont::Face() const {
    const char* begin = faceName.data();
    const void* zero = std::memchr(begin, 0, faceName.size());
    size_t length =
        zero ? static_cast<size_t>(static_cast<const char*>(zero) - begin) : faceName.size();
    return std::string_view(begin, length);
}

void LogicalFont::SetFace(std::string_view face) {
    faceName.fill(0);
    size_t length = std::min(face.size(), kFaceNameSize - 1);
    std::copy_n(face.data(), length, faceName.data());
}

static char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameFaceName(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    return true;
}

}  // namespace ql::text
