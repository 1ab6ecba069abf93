// The program's one place for reading file names: the extension of a name, the
// "named" rule of a score's path, and the canonical form used to tell whether two
// names reach the same file. Paths are native byte strings; only the part after the
// last '/' is the file's name, so '\' and ':' are ordinary name characters there.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace ql::sys {

// The text after the last '.' of the file-name part, with its '.', lower-cased in
// ASCII (".mid" for "Song.MID"); empty when the name has no '.'.
std::string LowerExtensionOf(const std::filesystem::path& path);

// The file-name part has the extension `extension` (given with its '.', in lower
// case), ignoring ASCII case.
bool HasExtension(const std::filesystem::path& path, std::string_view extension);

// A score path names a file of its own: not empty, not beginning with "untitled"
// (ignoring case), and its file-name part has an extension.
bool IsNamedScorePath(const std::filesystem::path& path);

// The form two paths are compared in: absolute, with symbolic links, "." and ".."
// resolved as far as the path exists; the path as given when even that fails.
std::filesystem::path CanonicalPath(const std::filesystem::path& path);

// Both paths reach the same file (their canonical forms are equal); an empty path
// reaches nothing.
bool IsSameFile(const std::filesystem::path& a, const std::filesystem::path& b);

}  // namespace ql::sys
