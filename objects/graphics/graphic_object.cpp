// Box, circle and line: constructors and the graphic record (see graphic_object.h).
#include "objects/graphics/graphic_object.h"

#include <algorithm>
#include <cstdlib>

#include "files/bytes/byte_reader.h"
#include "files/records/file_codes.h"
#include "files/records/file_version.h"
#include "objects/stored_classes.h"

namespace ql {
namespace {

// Offsets of the graphic record.
constexpr size_t kAtLocationLow = 0;
constexpr size_t kAtLocationHigh = 4;
constexpr size_t kAtWidth = 8;
constexpr size_t kAtHeight = 10;
constexpr size_t kAtColour = 12;
constexpr size_t kAtStyle = 13;
constexpr size_t kAtPenWidth = 14;
constexpr size_t kAtReserved = 15;

// The location as its two stored words (position; class byte, staff, measure).
uint32_t LocationHighWord(const ObjectLocation& location) {
    return location.classByte | (static_cast<uint32_t>(location.staff) << 8) |
           (static_cast<uint32_t>(location.measure) << 16);
}

ObjectLocation LocationOfWords(uint32_t low, uint32_t high) {
    ObjectLocation location{};
    location.position = low;
    location.classByte = static_cast<uint8_t>(high);
    location.staff = static_cast<uint8_t>(high >> 8);
    location.measure = static_cast<uint16_t>(high >> 16);
    return location;
}

void ConstructGraphic(ScoreObject* object, ObjectType type, uint8_t style) {
    ConstructStoredHeader(object, type, ObjectSubtype::MeasureTimeList);
    GraphicBody& body = AsGraphicObject(object)->body;
    body = GraphicBody{};
    body.style = style;
    body.width = kNewGraphicExtent;
    body.height = kNewGraphicExtent;
}

bool IsOldLineRecord(const GraphicObject& object, uint8_t version) {
    if (object.header.type != TypeCode(ObjectType::Line)) return false;
    return version < kOldLineFileVersion || IsOlderVersion15Variant();
}

// A line of the old form may be longer than a stored extent holds: it is shortened
// along its own direction, from its start, until both extents fit, so that the line
// is saved as it shows (a stored extent keeps only its low 16 bits).
void FitExtentsToRecord(GraphicBody& body) {
    const int64_t larger = std::max(std::llabs(int64_t{body.width}), std::llabs(int64_t{body.height}));
    if (larger <= kLargestStoredExtent) return;
    auto shortened = [larger](int32_t extent) {
        return static_cast<int32_t>(int64_t{extent} * kLargestStoredExtent / larger);
    };
    body.width = shortened(body.width);
    body.height = shortened(body.height);
}

}  // namespace

void ConstructBoxObject(ScoreObject* object) {
    ConstructGraphic(object, ObjectType::Box, kGraphicNoFill);
}

void ConstructCircleObject(ScoreObject* object) {
    ConstructGraphic(object, ObjectType::Circle, kGraphicNoFill);
}

void ConstructLineObject(ScoreObject* object) {
    ConstructGraphic(object, ObjectType::Line, kLineStraight);
    AsGraphicObject(object)->body.height = 0;
}

int32_t StorableExtent(int32_t extent) {
    return std::clamp(extent, -kLargestStoredExtent, kLargestStoredExtent);
}

LogicalPoint WithinStoredExtent(LogicalPoint from, LogicalPoint point) {
    return {from.x + StorableExtent(point.x - from.x), from.y + StorableExtent(point.y - from.y)};
}

void EncodeGraphicBody(const GraphicObject& object, ByteWriter& writer) {
    const GraphicBody& body = object.body;
    FixedRecord record(writer, kGraphicRecordBytes);
    record.U32(kAtLocationLow, body.location.position);
    record.U32(kAtLocationHigh, LocationHighWord(body.location));
    record.I16(kAtWidth, static_cast<int16_t>(body.width));
    record.I16(kAtHeight, static_cast<int16_t>(body.height));
    record.U8(kAtColour, body.colour);
    record.U8(kAtStyle, body.style);
    record.U8(kAtPenWidth, body.penWidth);
    record.U8(kAtReserved, 0);
}

int DecodeGraphicBody(GraphicObject* object, const ObjectReadContext& context) {
    bool old = IsOldLineRecord(*object, context.version);
    uint8_t bytes[kOldLineRecordBytes] = {};
    uint32_t size = old ? kOldLineRecordBytes : kGraphicRecordBytes;
    if (!ReadBodyBytes(bytes, size)) return item_code::kGraphicBody;
    ByteReader reader(bytes, size);
    GraphicBody& body = object->body;
    uint32_t low = reader.U32();
    uint32_t high = reader.U32();
    body.location = LocationOfWords(low, high);
    body.width = old ? reader.I32() : reader.I16();
    body.height = old ? reader.I32() : reader.I16();
    if (old) FitExtentsToRecord(body);
    body.colour = reader.U8();
    body.style = reader.U8();
    body.penWidth = reader.U8();
    bool isLine = object->header.type == TypeCode(ObjectType::Line);
    if (isLine && context.version >= kLineStyleMaskFileVersion) body.style &= kLineStyleStoredMask;
    return 0;
}

}  // namespace ql
