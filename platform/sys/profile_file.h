// Read-only profile files: INI text with [sections] and key=value lines, read with
// the settings reader (names without regard to case, \xNN escapes, damaged lines
// skipped). The last file read is kept and read again only when it changes.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace ql::sys {

// Null when the file, the section or the key is missing.
std::optional<std::string> ReadProfileText(const std::filesystem::path& file,
                                           std::string_view section, std::string_view key);
// Null also when the value is not a signed decimal number within 32 bits.
std::optional<int32_t> ReadProfileNumber(const std::filesystem::path& file,
                                         std::string_view section, std::string_view key);

}  // namespace ql::sys
