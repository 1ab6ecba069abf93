// The palettes' saved places and shapes: read from the settings section
// "ToolbarSettings" as "x,y,columns,rows" (or, failing that, from the older binary
// form in the profile's "Version 2" section) and written back at shutdown. Anything
// malformed gives the caller's defaults.
#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "editing/palette_layout.h"

namespace ql {

constexpr char kPaletteReadSection[] = "ToolbarSettings";
constexpr char kPaletteWriteSection[] = "ToolBarSettings";  // same section: names ignore case
constexpr char kPaletteProfileSection[] = "Version 2";

// Exactly four decimal integers in int range separated by single commas; null for
// anything else (spaces, signs alone, a fifth field, overflow).
std::optional<PalettePosition> ParsePalettePosition(std::string_view text);
// The binary form: 16 bytes (four little-endian 32-bit integers) and a checksum
// byte (their sum modulo 256), as 34 hexadecimal digits; null for anything else.
std::optional<PalettePosition> ParseBinaryPalettePosition(std::string_view hex);
std::string FormatPalettePosition(const PalettePosition& position);
std::string FormatBinaryPalettePosition(const PalettePosition& position);

// The saved position of key: text holding a comma is parsed strictly; a missing
// value or one without a comma tries the profile's binary form; else the defaults.
PalettePosition ReadPalettePosition(const char* key, const PalettePosition& defaults);

// Writes every palette's key; a palette without a position writes an empty value.
// False when the settings could not be written.
bool SaveToolPalettePositions(std::span<const std::optional<PalettePosition>, kPaletteCount>
                                  positions);

}  // namespace ql
