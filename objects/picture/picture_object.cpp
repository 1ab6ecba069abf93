// The picture's constructor and stored form (see picture_object.h).
#include "objects/picture/picture_object.h"

#include <utility>
#include <vector>

#include "core/model/document.h"
#include "core/model/score_document.h"
#include "files/bytes/byte_reader.h"
#include "files/records/file_codes.h"
#include "files/score_file.h"
#include "objects/stored_classes.h"

namespace ql {
namespace {

// Offsets of the fixed part.
constexpr size_t kAtLocationLow = 0;
constexpr size_t kAtLocationHigh = 4;
constexpr size_t kAtWidth = 8;
constexpr size_t kAtHeight = 10;
constexpr size_t kAtFormat = 12;
constexpr size_t kAtFlags = 14;
constexpr size_t kAtZeros = 15;
constexpr size_t kZeroBytes = 7;  // offsets 15..21
constexpr size_t kAtLength = 22;
constexpr size_t kAtDescription = 26;
constexpr size_t kWordBytes = 4;

uint32_t LocationHighWord(const ObjectLocation& location) {
    return location.classByte | (static_cast<uint32_t>(location.staff) << 8) |
           (static_cast<uint32_t>(location.measure) << 16);
}

const std::vector<uint8_t>* PictureBytes(const PictureObject& object, ScoreDocument* document) {
    return document != nullptr ? DocumentRecordOf(document, object.data) : nullptr;
}

void DecodeFixedPart(ByteReader& reader, PictureBody* body, uint32_t* length) {
    body->location.position = reader.U32();
    uint32_t high = reader.U32();
    body->location.classByte = static_cast<uint8_t>(high);
    body->location.staff = static_cast<uint8_t>(high >> 8);
    body->location.measure = static_cast<uint16_t>(high >> 16);
    body->width = reader.I16();
    body->height = reader.I16();
    body->format = reader.U16();
    body->flags = reader.U8();
    reader.Skip(kZeroBytes);
    body->cacheZoom = 0;
    for (uint8_t& byte : body->reserved) byte = 0;
    *length = reader.U32();
    for (uint32_t& word : body->description) word = reader.U32();
}

// The data bytes: into a buffer of the document when the picture is kept, skipped
// otherwise.
int ReadPictureBytes(PictureObject* object, uint32_t length, const ObjectReadContext& context) {
    object->data = 0;
    object->body.dataSize = length;
    if (length == 0) return 0;
    if (!context.keep || context.document == nullptr)
        return SeekScoreFile(ScoreFilePosition() + length) ? 0 : item_code::kPictureData;
    std::vector<uint8_t> bytes(length);
    if (!ReadScoreBytes(bytes.data(), length)) return item_code::kPictureData;
    object->data = PushDocumentRecord(context.document, std::move(bytes));
    return 0;
}

}  // namespace

void ConstructPictureObject(ScoreObject* object) {
    ConstructStoredHeader(object, ObjectType::Picture, ObjectSubtype::PageList);
    PictureObject* picture = AsPicture(object);
    picture->body = PictureBody{};
    picture->cache = 0;
    picture->data = 0;
    picture->cacheWidth = picture->cacheHeight = 0;
}

bool IsColourPicture(const PictureBody& body) {
    return (body.flags & kPictureColour) != 0 && (body.flags & kPictureBlackAndWhite) == 0;
}

void EncodePictureBody(const PictureObject& object, ScoreDocument* document, ByteWriter& writer) {
    const PictureBody& body = object.body;
    const std::vector<uint8_t>* bytes = PictureBytes(object, document);
    auto length = static_cast<uint32_t>(bytes != nullptr ? bytes->size() : 0);
    FixedRecord record(writer, kPictureFixedBytes);
    record.U32(kAtLocationLow, body.location.position);
    record.U32(kAtLocationHigh, LocationHighWord(body.location));
    record.I16(kAtWidth, static_cast<int16_t>(body.width));
    record.I16(kAtHeight, static_cast<int16_t>(body.height));
    record.U16(kAtFormat, body.format);
    record.U8(kAtFlags, body.flags & kPictureStoredFlags);
    record.Zero(kAtZeros, kZeroBytes);
    record.U32(kAtLength, length);
    for (int i = 0; i < kPictureDescriptionWords; ++i)
        record.U32(kAtDescription + i * kWordBytes,
                   i == kPictureBitsWord ? 0 : body.description[i]);
    if (length > 0) writer.Bytes(bytes->data(), length);
}

int DecodePictureBody(PictureObject* object, const ObjectReadContext& context) {
    uint8_t bytes[kPictureFixedBytes] = {};
    if (!ReadBodyBytes(bytes, kPictureFixedBytes)) return item_code::kPictureFixed;
    ByteReader reader(bytes, kPictureFixedBytes);
    uint32_t length = 0;
    DecodeFixedPart(reader, &object->body, &length);
    if (context.version < kPictureColourFileVersion) object->body.flags |= kPictureColour;
    if (length > ScoreBytesLeft()) return item_code::kPictureFixed;
    if (int code = ReadPictureBytes(object, length, context)) return code;
    if (context.keep && context.document != nullptr && IsColourPicture(object->body))
        ++context.document->colourPictures;
    return 0;
}

}  // namespace ql
