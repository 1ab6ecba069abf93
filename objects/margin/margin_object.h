// MarginObject (type 33, pool 8): the margins of a page, the object that heads the
// page's object list. Its body holds the four distances from the page edges in logical
// units (left, top, right, bottom) and the same four as BcdInches words in the low
// halves of 32-bit fields. Stored as eight words, each value's low half (read back
// sign-extended); files up to version 8 hold only the four distances and the words
// are worked out on reading (ConvertMarginValues). Drawing and dragging come with the
// margin class; this is its data, constructors and file form.
#pragma once

#include <cstdint>
#include <type_traits>

#include "core/objects/score_object.h"
#include "files/bytes/byte_writer.h"
#include "files/records/object_read_context.h"

namespace ql {

constexpr int kMarginSides = 4;  // left, top, right, bottom

#pragma pack(push, 1)
struct MarginBody {
    int32_t distances[kMarginSides];  // logical units from the page's edges
    uint32_t words[kMarginSides];     // BcdInches in the low halves
};
struct MarginObject {
    ScoreObject header;
    MarginBody body;
};
#pragma pack(pop)

constexpr uint32_t kMarginBodyBytes = 32;
static_assert(sizeof(MarginBody) == kMarginBodyBytes);
static_assert(sizeof(MarginObject) == 58);
static_assert(std::is_trivially_copyable_v<MarginObject>);

constexpr size_t kMarginRecordBytes = 16;
constexpr size_t kOldMarginRecordBytes = 8;
constexpr uint8_t kLastOldMarginFileVersion = 8;
// The margins of a new page, logical units.
constexpr int32_t kDefaultMargins[kMarginSides] = {768, 2560, 1280, 1024};

inline MarginObject* AsMarginObject(ScoreObject* object) {
    return reinterpret_cast<MarginObject*>(object);
}

// The constructor of a new page's margins: the default distances, words 0, subtype 1.
void ConstructMarginObject(ScoreObject* object);
// The bare constructor: class and type only, the body as the record holds it.
void ConstructMarginObjectBare(ScoreObject* object);
// Fills the four words from the four distances in the document's unit.
void ConvertMarginValues(MarginObject* margin, ScoreView* view);

void EncodeMarginBody(const MarginObject& object, ByteWriter& writer);
int DecodeMarginBody(MarginObject* object, const ObjectReadContext& context);

}  // namespace ql
