// Hairpin (type 7, pool 9): a MidiAction (its value word "from", the next "to", a
// gradual transition) embedded after the object header, then three anchors, the
// direction (1 crescendo, 0 diminuendo), the line width and two reserved bytes. The
// body seen by copies and undo is the 42 bytes from the action's value word on (the
// last four always 0); the file holds the ten action bytes and the 28 bytes from the
// first anchor, never those four. A hairpin never owns pooled data: an action read
// as data-carrying becomes the default gradual one.
#pragma once

#include <cstdint>
#include <type_traits>

#include "core/objects/midi_action.h"
#include "core/objects/score_object.h"
#include "files/bytes/byte_writer.h"
#include "files/records/object_read_context.h"
#include "objects/object_anchor.h"

namespace ql {

constexpr int kHairpinPoints = 3;
constexpr int kHairpinTailBytes = 4;

#pragma pack(push, 1)
struct HairpinObject {
    ScoreObject header;
    MidiAction action;
    AnchorPoint points[kHairpinPoints];  // crescendo: apex, then the open ends
    uint8_t direction;                   // 1 crescendo, 0 diminuendo
    uint8_t lineWidth;                   // logical units; 128 a staff space
    uint8_t reserved[2];
    uint8_t tail[kHairpinTailBytes];  // part of the body, always 0, never stored
};
#pragma pack(pop)

constexpr uint32_t kHairpinBodyBytes = 42;
constexpr size_t kHairpinBodyOffset = sizeof(ClassId);  // the action's value word
static_assert(sizeof(HairpinObject) == kObjectHeaderBytes + kHairpinBodyOffset + kHairpinBodyBytes);
static_assert(std::is_trivially_copyable_v<HairpinObject>);

constexpr size_t kHairpinShapeBytes = 28;  // anchors, direction, width, reserved
constexpr size_t kHairpinRecordBytes = kMidiActionFileBytes + kHairpinShapeBytes;
constexpr size_t kOldHairpinRecordBytes = 30;
constexpr uint8_t kHairpinActionFileVersion = 24;
// The action of a new hairpin: from 0 to 16, Enable MIDI, Key Velocity, every voice,
// a gradual transition.
constexpr int16_t kHairpinFrom = 0;
constexpr int16_t kHairpinTo = 16;
constexpr uint16_t kHairpinFlags = 0xFF03;
constexpr uint8_t kHairpinGradualTiming = 1;
constexpr uint8_t kHairpinCrescendo = 1;

inline HairpinObject* AsHairpin(ScoreObject* object) {
    return reinterpret_cast<HairpinObject*>(object);
}

void ConstructHairpin(ScoreObject* object);
// Turns the action into the default gradual one (kind 2, timing 1, from 0, to 16).
void ResetHairpinAction(MidiAction* action);

void EncodeHairpinBody(const HairpinObject& object, ByteWriter& writer);
int DecodeHairpinBody(HairpinObject* object, const ObjectReadContext& context);

}  // namespace ql
