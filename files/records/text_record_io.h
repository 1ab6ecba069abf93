// The text record and the MIDI record of object bodies (the landed text writer and
// reader, core/text/text_object_file.h, and the MIDI-carrying record, core/objects/
// midi_action.h), encoded into a ByteWriter and decoded from the shared score file.
#pragma once

#include "files/bytes/byte_writer.h"

namespace ql {

struct TextObject;
struct ScoreObject;

// The text record of a text body (24 bytes, then the length and string when it owns
// one). Always succeeds in memory.
void EncodeTextRecord(TextObject* text, ByteWriter& writer);
// The text record of the inner text object, then the ten action bytes and its data.
void EncodeMidiTextRecord(ScoreObject* text, ByteWriter& writer);
// Reads them back from the score file into a constructed object; true on success.
bool DecodeTextRecord(TextObject* text);
bool DecodeMidiTextRecord(ScoreObject* text);

}  // namespace ql
