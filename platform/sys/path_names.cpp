// File-name reading: extensions, the named rule and canonical comparison.
#include "platform/sys/path_names.h"

#include <system_error>

namespace ql::sys {
namespace {

constexpr std::string_view kUntitledPrefix = "untitled";

char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = LowerAscii(c);
    return out;
}

}  // namespace

std::string LowerExtensionOf(const std::filesystem::path& path) {
    const std::string& whole = path.native();
    const size_t slash = whole.rfind('/');
    const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
    const size_t dot = whole.rfind('.');
    if (dot == std::string::npos || dot < nameStart) return {};
    return LowerAscii(std::string_view(whole).substr(dot));
}

bool HasExtension(const std::filesystem::path& path, std::string_view extension) {
    return LowerExtensionOf(path) == LowerAscii(extension);
}

bool IsNamedScorePath(const std::filesystem::path& path) {
    const std::string& whole = path.native();
    if (whole.empty()) return false;
    if (LowerAscii(std::string_view(whole).substr(0, kUntitledPrefix.size())) == kUntitledPrefix)
        return false;
    return !LowerExtensionOf(path).empty();
}

std::filesystem::path CanonicalPath(const std::filesystem::path& path) {
    std::error_code error;
    std::filesystem::path absolute = std::filesystem::absolute(path, error);
    if (error) return path;
    std::filesystem::path canonical = std::filesystem::weakly_canonical(absolute, error);
    return error ? absolute.lexically_normal() : canonical;
}

bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b) {
    if (a.empty() || b.empty()) return false;
    return CanonicalPath(a) == CanonicalPath(b);
}

}  // namespace ql::sys
