// Box (10), circle (9) and straight line (8): a location and two extents, then three
// attribute bytes and a spare one (20 body bytes, pool 8). Stored as the 16-byte
// graphic record: the location's two words, the extents' low halves (sign-extended
// when read), the three attribute bytes and a reserved 0. Lines of files before
// version 15 (or of the older version-15 variant) hold 19 bytes: full extents and no
// reserved byte; a line longer than a stored extent holds is shortened along itself
// as it is read, so that it is saved as it shows. From version 33 a line's style
// byte keeps only its low two bits.
#pragma once

#include <cstdint>
#include <type_traits>

#include "core/model/geometry.h"
#include "core/objects/score_object.h"
#include "files/bytes/byte_writer.h"
#include "files/records/object_read_context.h"

namespace ql {

#pragma pack(push, 1)
struct GraphicBody {
    ObjectLocation location;  // top-left corner (box, circle) or start point (line)
    int32_t width;            // line: end x minus start x
    int32_t height;           // line: end y minus start y
    uint8_t colour;           // 0 black, 1 white (the frame, for boxes and circles)
    uint8_t style;     // box, circle: interior 0 black, 1 white, 2 none; line: 2 straight, 4 wavy
    uint8_t penWidth;  // 0..4 width codes, 5 and up a width in logical units
    uint8_t spare;     // carried with the body, never stored
};
struct GraphicObject {
    ScoreObject header;
    GraphicBody body;
};
#pragma pack(pop)

constexpr uint32_t kGraphicBodyBytes = 20;
static_assert(sizeof(GraphicBody) == kGraphicBodyBytes);
static_assert(sizeof(GraphicObject) == 46);
static_assert(std::is_trivially_copyable_v<GraphicObject>);

constexpr size_t kGraphicRecordBytes = 16;
// The graphic and picture records keep an extent as its low 16 bits: the program
// makes no extent longer than this either way, so that what is saved is what shows.
constexpr int32_t kLargestStoredExtent = 32767;
// An extent kept to -kLargestStoredExtent..kLargestStoredExtent.
int32_t StorableExtent(int32_t extent);
// `point`, moved where needed so that it lies within a stored extent of `from` on
// each axis: where a dragged end or corner stops against the one that stays.
LogicalPoint WithinStoredExtent(LogicalPoint from, LogicalPoint point);
constexpr size_t kOldLineRecordBytes = 19;
constexpr uint8_t kOldLineFileVersion = 15;  // lines below it hold 19 bytes
constexpr uint8_t kLineStyleMaskFileVersion = 33;
constexpr uint8_t kLineStyleStoredMask = 0x03;
// A new box or circle: no fill, the thinnest frame, 256 units square.
constexpr uint8_t kGraphicNoFill = 2;
constexpr uint8_t kLineStraight = 2;
constexpr int32_t kNewGraphicExtent = 256;

inline GraphicObject* AsGraphicObject(ScoreObject* object) {
    return reinterpret_cast<GraphicObject*>(object);
}

// Constructors (the prototype's and the reader's): class, type, subtype 0, the
// defaults of a new object.
void ConstructBoxObject(ScoreObject* object);
void ConstructCircleObject(ScoreObject* object);
void ConstructLineObject(ScoreObject* object);

void EncodeGraphicBody(const GraphicObject& object, ByteWriter& writer);
// 0, or the graphic record's code.
int DecodeGraphicBody(GraphicObject* object, const ObjectReadContext& context);

}  // namespace ql
