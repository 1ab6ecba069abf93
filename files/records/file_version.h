// The format version of the score file being read and the version gates that the
// record decoders share. The reader sets the version, the width of its field and the
// remembered choice for the ambiguous version 15 (Files flags of the program state);
// the decoders only ask.
#pragma once

#include <cstdint>

namespace ql {

// The version this program writes.
constexpr uint8_t kCurrentFileVersion = 32;
// Files of this version and later come from a later major version of the program.
constexpr uint8_t kLaterMajorVersion = 33;
// The ambiguous version and the choices remembered for it: none yet; its records
// found one byte shorter (the older variant, read as 15); read as 14; read as 16.
constexpr uint8_t kAmbiguousVersion = 15;
constexpr uint8_t kVersionChoiceNone = 0;
constexpr uint8_t kVersionChoiceShorter = 1;
constexpr uint8_t kVersionChoiceOlder = 14;
constexpr uint8_t kVersionChoiceNewer = 16;

// The version of the file being read.
uint8_t ReadingFileVersion();
// Version 15 read as 15 with its older variant decided (records one byte shorter).
bool IsOlderVersion15Variant();
// Version 15 read as 15 with no variant decided yet.
bool IsUndecidedVersion15();
// The file's version field was one byte wide.
bool HasOneByteVersionField();
// Decides the older variant (the remembered choice becomes 1).
void MarkVersion15Shorter();

}  // namespace ql
