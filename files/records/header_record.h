// The prologue of a native score file (the 26-letter magic and the version bytes 0x00
// 0x20) and the 264-byte ScoreFileHeader: the leading fields of the document's score
// header, field by field in the document's own order. Three 32-bit fields of the page
// record are narrowed to 16 bits (two read back sign-extended, the third written as
// 0 and read as 0); the document's 16-bit fields at offsets 204 and 244 are written as
// 0 and read as 0; the measure-number texts are written up to their NUL, zeros after.
// Files before version 18 with a one-byte version field hold a 230-byte header, whose
// decoding supplies offsets 0-229 only.
#pragma once

#include <cstddef>
#include <cstdint>

#include "files/bytes/byte_writer.h"

namespace ql {

struct ScoreHeader;

inline constexpr char kScoreFileMagic[] = "QuaverlinescribeForWindows";
constexpr size_t kScoreFileMagicBytes = 26;
static_assert(sizeof kScoreFileMagic == kScoreFileMagicBytes + 1);
constexpr uint8_t kTwoByteVersionMark = 0x00;
constexpr size_t kScoreFileHeaderBytes = 264;
constexpr size_t kShortScoreFileHeaderBytes = 230;
// The format stamp the writer puts in the document (header offsets 198 and 199).
constexpr uint8_t kFormatStampFirst = 2;
constexpr uint8_t kFormatStampSecond = 32;

// The magic, then 0x00 and the current version.
void EncodeScorePrologue(ByteWriter& writer);
void EncodeScoreFileHeader(const ScoreHeader& header, ByteWriter& writer);
// The fields that lie in `size` bytes (264, or 230 for an old header; a larger size
// reads 264, one between reads 230) are set in `target`. False, with nothing set,
// for fewer than 230 bytes.
bool DecodeScoreFileHeader(const uint8_t* bytes, size_t size, ScoreHeader* target);

}  // namespace ql
