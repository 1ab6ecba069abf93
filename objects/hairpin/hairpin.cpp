// The hairpin's constructor and stored body (see hairpin.h).
#include "objects/hairpin/hairpin.h"

#include "files/bytes/byte_reader.h"
#include "files/records/file_codes.h"
#include "objects/stored_classes.h"

namespace ql {
namespace {

// Offsets of the stored body: the action, then the shape.
constexpr size_t kAtValue = 0;
constexpr size_t kAtFinal = 2;
constexpr size_t kAtFlags = 4;
constexpr size_t kAtTiming = 6;
constexpr size_t kAtStaff = 7;
constexpr size_t kAtInterval = 8;
constexpr size_t kAtController = 9;
constexpr size_t kAtPoints = kMidiActionFileBytes;
constexpr size_t kAtDirection = kAtPoints + kHairpinPoints * kAnchorPointBytes;
constexpr size_t kAtLineWidth = kAtDirection + 1;
constexpr size_t kAtReserved = kAtLineWidth + 1;
// The old 30-byte block: anchors, direction, from, to, width, two flag bytes.
constexpr size_t kOldAtFrom = 25;
constexpr size_t kOldAtTo = 26;
constexpr size_t kOldAtWidth = 27;
constexpr size_t kOldAtEnable = 28;
constexpr size_t kOldAtKeyVelocity = 29;
constexpr uint16_t kOldFlagsKept = 0x0004;
constexpr uint8_t kOldTiming = 0x10;

void SetTiming(MidiAction* action, uint8_t timing) {
    action->destinationTiming = static_cast<uint8_t>(
        (action->destinationTiming & kMidiDestinationMask) | (timing << kMidiTimingShift));
}

void DecodeShape(ByteReader& reader, HairpinObject* object) {
    for (AnchorPoint& point : object->points) point = DecodeAnchorPoint(reader);
    object->direction = reader.U8();
    object->lineWidth = reader.U8();
    object->reserved[0] = reader.U8();
    object->reserved[1] = reader.U8();
}

void DecodeAction(ByteReader& reader, MidiAction* action) {
    action->head.values.value = reader.I16();
    action->head.values.finalValue = reader.I16();
    action->flags = reader.U16();
    action->destinationTiming = reader.U8();
    action->namedStaff = reader.U8();
    action->interval = reader.U8();
    action->controller = reader.U8();
    if (IsDataCarrying(*action)) ResetHairpinAction(action);
}

// Files before version 24: one 30-byte block with the values as bytes.
void DecodeOldBlock(const uint8_t* bytes, HairpinObject* object) {
    ByteReader reader(bytes, kOldHairpinRecordBytes);
    for (AnchorPoint& point : object->points) point = DecodeAnchorPoint(reader);
    object->direction = bytes[kAtDirection - kAtPoints];
    object->lineWidth = bytes[kOldAtWidth];
    MidiAction& action = object->action;
    action.head.values.value = static_cast<int8_t>(bytes[kOldAtFrom]);
    action.head.values.finalValue = static_cast<int8_t>(bytes[kOldAtTo]);
    action.flags =
        static_cast<uint16_t>((action.flags & kOldFlagsKept) | (bytes[kOldAtEnable] & 1) |
                              ((bytes[kOldAtKeyVelocity] & 1) << 1));
    action.destinationTiming = kOldTiming;
}

}  // namespace

void ResetHairpinAction(MidiAction* action) {
    action->flags = static_cast<uint16_t>((action->flags & ~kMidiKindMask) |
                                          (kMidiKindPlain << kMidiKindShift));
    SetTiming(action, kHairpinGradualTiming);
    action->head.values.value = kHairpinFrom;
    action->head.values.finalValue = kHairpinTo;
}

void ConstructHairpin(ScoreObject* object) {
    ConstructStoredHeader(object, ObjectType::Hairpin, ObjectSubtype::MeasureTimeList);
    HairpinObject* hairpin = AsHairpin(object);
    ConstructMidiAction(&hairpin->action);
    hairpin->action.head.values.value = kHairpinFrom;
    hairpin->action.head.values.finalValue = kHairpinTo;
    hairpin->action.flags = kHairpinFlags;
    SetTiming(&hairpin->action, kHairpinGradualTiming);
    for (AnchorPoint& point : hairpin->points) point = AnchorPoint{};
    hairpin->direction = kHairpinCrescendo;
    hairpin->lineWidth = 0;
    hairpin->reserved[0] = hairpin->reserved[1] = 0;
    for (uint8_t& byte : hairpin->tail) byte = 0;
}

void EncodeHairpinBody(const HairpinObject& object, ByteWriter& writer) {
    MidiAction action = object.action;
    if (IsDataCarrying(action)) ResetHairpinAction(&action);
    FixedRecord record(writer, kHairpinRecordBytes);
    record.I16(kAtValue, action.head.values.value);
    record.I16(kAtFinal, action.head.values.finalValue);
    record.U16(kAtFlags, action.flags);
    record.U8(kAtTiming, action.destinationTiming);
    record.U8(kAtStaff, action.namedStaff);
    record.U8(kAtInterval, action.interval);
    record.U8(kAtController, action.controller);
    for (int i = 0; i < kHairpinPoints; ++i)
        EncodeAnchorPoint(object.points[i], record, kAtPoints + i * kAnchorPointBytes);
    record.U8(kAtDirection, object.direction);
    record.U8(kAtLineWidth, object.lineWidth);
    record.U8(kAtReserved, object.reserved[0]);
    record.U8(kAtReserved + 1, object.reserved[1]);
}

int DecodeHairpinBody(HairpinObject* object, const ObjectReadContext& context) {
    uint8_t bytes[kHairpinRecordBytes] = {};
    if (context.version < kHairpinActionFileVersion) {
        if (!ReadBodyBytes(bytes, kOldHairpinRecordBytes)) return item_code::kHairpinBody;
        DecodeOldBlock(bytes, object);
        return 0;
    }
    if (!ReadBodyBytes(bytes, kHairpinRecordBytes)) return item_code::kHairpinBody;
    ByteReader reader(bytes, kHairpinRecordBytes);
    DecodeAction(reader, &object->action);
    DecodeShape(reader, object);
    return 0;
}

}  // namespace ql
