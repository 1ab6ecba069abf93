// The guide line's constructor and stored body (see guide_line.h).
#include "objects/guide/guide_line.h"

#include "files/bytes/byte_reader.h"
#include "files/records/file_codes.h"
#include "files/records/file_version.h"
#include "objects/stored_classes.h"

namespace ql {

void ConstructGuideLine(ScoreObject* object) {
    ConstructStoredHeader(object, ObjectType::Guide, ObjectSubtype::PageList);
    AsGuideLine(object)->body = GuideBody{};
}

void EncodeGuideBody(const GuideLine& object, ByteWriter& writer) {
    FixedRecord record(writer, kGuideBodyBytes);
    record.U8(0, object.body.orientation);
    record.U8(1, object.body.reserved);
    record.I16(2, object.body.position);
}

int DecodeGuideBody(GuideLine* object, const ObjectReadContext& /*context*/) {
    bool old = IsOlderVersion15Variant();
    uint8_t bytes[kGuideBodyBytes] = {};
    uint32_t size = old ? kOldGuideBodyBytes : kGuideBodyBytes;
    if (!ReadBodyBytes(bytes, size)) return item_code::kGuideBody;
    ByteReader reader(bytes, size);
    object->body.orientation = reader.U8();
    if (!old) object->body.reserved = reader.U8();
    object->body.position = reader.I16();
    return 0;
}

}  // namespace ql
