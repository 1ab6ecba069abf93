// The margin object's constructors, value conversion and file form (see
// margin_object.h).
#include "objects/margin/margin_object.h"

#include "core/model/score_document.h"
#include "core/units/units.h"
#include "files/bytes/byte_reader.h"
#include "files/records/file_codes.h"
#include "objects/stored_classes.h"

namespace ql {
namespace {

constexpr size_t kValueBytes = 2;

}  // namespace

void ConstructMarginObject(ScoreObject* object) {
    ConstructStoredHeader(object, ObjectType::Margin, ObjectSubtype::PageList);
    MarginBody& body = AsMarginObject(object)->body;
    body = MarginBody{};
    for (int side = 0; side < kMarginSides; ++side) body.distances[side] = kDefaultMargins[side];
}

void ConstructMarginObjectBare(ScoreObject* object) {
    ObjectSubtype subtype = static_cast<ObjectSubtype>(object->subtype);
    ConstructStoredHeader(object, ObjectType::Margin, subtype);
}

void ConvertMarginValues(MarginObject* margin, ScoreView* view) {
    if (margin == nullptr || view == nullptr || view->document == nullptr) return;
    for (int side = 0; side < kMarginSides; ++side)
        margin->body.words[side] = FormatUnitsValue(*view->document, margin->body.distances[side]);
}

void EncodeMarginBody(const MarginObject& object, ByteWriter& writer) {
    FixedRecord record(writer, kMarginRecordBytes);
    for (int side = 0; side < kMarginSides; ++side) {
        record.I16(side * kValueBytes, static_cast<int16_t>(object.body.distances[side]));
        record.U16((kMarginSides + side) * kValueBytes,
                   static_cast<uint16_t>(object.body.words[side]));
    }
}

int DecodeMarginBody(MarginObject* object, const ObjectReadContext& context) {
    bool old = context.version <= kLastOldMarginFileVersion;
    uint8_t bytes[kMarginRecordBytes] = {};
    uint32_t size = old ? kOldMarginRecordBytes : kMarginRecordBytes;
    if (!ReadBodyBytes(bytes, size)) return item_code::kMarginBody;
    ByteReader reader(bytes, size);
    MarginBody& body = object->body;
    for (int side = 0; side < kMarginSides; ++side) body.distances[side] = reader.I16();
    if (old) {
        ConvertMarginValues(object, context.view);
        return 0;
    }
    // The words are the low halves of their fields, read back sign-extended.
    for (int side = 0; side < kMarginSides; ++side)
        body.words[side] = static_cast<uint32_t>(static_cast<int32_t>(reader.I16()));
    return 0;
}

}  // namespace ql
