// The MIDI-carrying marks: dynamic (21), pedal mark (22), tempo mark (24), MIDI event
// (25) and note articulation (26), and the plain outer record (20) a document keeps as
// a prototype. Each is a 78-byte record of pool 9: a MidiAction, then the text object
// 14 bytes in, which is the object the program passes around. Stored as the MIDI
// record (the text record, the ten action bytes and any data); reading a dynamic
// converts it: before version 18 its destination values 0 and 1 swap; from version 33
// a music-font glyph in its own font (text flag bits 7 and 2) gets 0xFE00 as its size.
#pragma once

#include <cstdint>

#include "core/objects/midi_action.h"
#include "files/bytes/byte_writer.h"
#include "files/records/object_read_context.h"

namespace ql {

constexpr uint8_t kMidiTextObjectOffset = sizeof(MidiAction);
constexpr uint8_t kMarkStyle = 3;
// Reader defaults of the marks.
constexpr uint16_t kDynamicReadFlags = 0x1120;
constexpr uint8_t kDynamicController = 7;
constexpr uint16_t kTempoReadTextFlags = 0x1100;
constexpr uint16_t kTempoReadFlags = 0x1220;
constexpr uint16_t kTempoSymbol = 240;
constexpr uint16_t kMidiEventSymbol = 184;
constexpr uint8_t kMidiEventKind = 3;  // patch change
constexpr int16_t kMidiEventValue = 64;
constexpr int16_t kMidiEventFinalValue = 65;
constexpr uint8_t kMidiEventController = 7;
constexpr uint8_t kDynamicSwapFileVersion = 18;
constexpr uint8_t kDynamicSizeFileVersion = 33;
constexpr int16_t kDynamicGlyphSize = static_cast<int16_t>(0xFE00);

// Constructors of the inner object (the action in front of it is built too).
void ConstructDynamicForRead(ScoreObject* object);
void ConstructPedalForRead(ScoreObject* object);
void ConstructTempoForRead(ScoreObject* object);
void ConstructMidiEventForRead(ScoreObject* object);
void ConstructArticulationForRead(ScoreObject* object);
// The plain outer record of type 20 (prototype only).
void ConstructPlainMidiText(ScoreObject* object);

void EncodeMidiMarkBody(ScoreObject* object, ByteWriter& writer);
int DecodeMidiMarkBody(ScoreObject* object, const ObjectReadContext& context);

}  // namespace ql
