// The rest blocks of a voice in a score file: the 10-byte body of each rest of the
// voice's element list, in list order, field by field; and ReadRecordChain, which
// builds the rests of a voice back from their blocks.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "files/bytes/byte_reader.h"
#include "files/bytes/byte_writer.h"
#include "notes/rests/rest.h"

namespace ql {

struct MeasureCell;

constexpr size_t kStoredRestBytes = 10;
static_assert(kStoredRestBytes == kRestBodyBytes);
constexpr int kRestChainFailed = 2;

void EncodeRestBlock(const RestBody& body, ByteWriter& writer);
RestBody DecodeRestBlock(ByteReader& reader);
// The rests of a voice of the cell, in list order (the list head is not one); the
// count is that of the blocks written.
uint16_t CountVoiceRests(MeasureCell* cell, int voice);
void EncodeVoiceRests(MeasureCell* cell, int voice, ByteWriter& writer);

// Reads `count` blocks from the score file; each becomes a Rest (through the class
// table) inserted in tick order into the voice's element list of the cell, which is
// made when missing. A tick at or beyond the measure length becomes 0. 0 when all
// were read (or count < 1); 2 when the list could not be had, a rest could not be
// made, or a read was short (more blocks than bytes left fails before any is made).
// The rests already inserted stay.
int ReadRecordChain(MeasureCell* cell, int voice, int count, int measureTicks);
// The same from blocks already read (the stream walk's building mode).
int BuildRestChain(MeasureCell* cell, int voice, const std::vector<RestBody>& blocks, int measureTicks);

}  // namespace ql
