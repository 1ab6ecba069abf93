// Slur and tie: constructors and their stored bodies (see curve_objects.h).
#include "objects/curves/curve_objects.h"

#include "core/model/score_document.h"
#include "files/bytes/byte_reader.h"
#include "files/records/file_codes.h"
#include "objects/stored_classes.h"

namespace ql {
namespace {

constexpr size_t kAtInner = kSlurPoints * kAnchorPointBytes;
constexpr size_t kAtSlurFlags = kAtInner + kSlurInnerOffsets;
constexpr uint8_t kVoiceMaskLimit = 16;

}  // namespace

void ConstructSlurObject(ScoreObject* object) {
    ConstructStoredHeader(object, ObjectType::Slur, ObjectSubtype::MeasureTimeList);
    SlurObject* slur = AsSlur(object);
    slur->curveClass = SecondClassOfType(ObjectType::Slur);
    slur->body = SlurBody{};
}

void ConstructTieObject(ScoreObject* object) {
    ConstructStoredHeader(object, ObjectType::Tie, ObjectSubtype::NoteAttachment);
    AsTie(object)->body = TieBody{};
}

int TieVoiceOfMask(uint8_t voiceMask) {
    if (voiceMask == 0 || voiceMask >= kVoiceMaskLimit) return 0;
    return ActiveVoiceOfMask(voiceMask);
}

void EncodeSlurBody(const SlurObject& object, ByteWriter& writer) {
    FixedRecord record(writer, kSlurBodyBytes);
    for (int i = 0; i < kSlurPoints; ++i)
        EncodeAnchorPoint(object.body.points[i], record, i * kAnchorPointBytes);
    for (int i = 0; i < kSlurInnerOffsets; ++i) record.I8(kAtInner + i, object.body.inner[i]);
    record.U16(kAtSlurFlags, object.body.flags);
}

int DecodeSlurBody(SlurObject* object, const ObjectReadContext& context) {
    bool old = context.version < kSlurFlagsFileVersion;
    uint8_t bytes[kSlurBodyBytes] = {};
    uint32_t size = old ? kOldSlurBodyBytes : kSlurBodyBytes;
    if (!ReadBodyBytes(bytes, size)) return item_code::kSlurBody;
    ByteReader reader(bytes, size);
    SlurBody& body = object->body;
    for (AnchorPoint& point : body.points) point = DecodeAnchorPoint(reader);
    for (int8_t& offset : body.inner) offset = reader.I8();
    if (old)
        body.flags = static_cast<uint16_t>(body.flags & ~kSlurStyleMask);
    else
        body.flags = reader.U16();
    return 0;
}

void EncodeTieBody(const TieObject& object, ByteWriter& writer) {
    const TieBody& body = object.body;
    FixedRecord record(writer, kTieBodyBytes);
    record.I16(0, body.controlInset);
    record.I16(2, body.controlRise);
    record.I8(4, body.startDx);
    record.I8(5, body.startDy);
    record.I8(6, body.endDx);
    record.I8(7, body.endDy);
    record.U16(8, body.shape);
}

int DecodeTieBody(TieObject* object, const ObjectReadContext& context) {
    uint8_t bytes[kTieBodyBytes] = {};
    if (!ReadBodyBytes(bytes, kTieBodyBytes)) return item_code::kTieBody;
    ByteReader reader(bytes, kTieBodyBytes);
    TieBody& body = object->body;
    body.controlInset = reader.I16();
    body.controlRise = reader.I16();
    body.startDx = reader.I8();
    body.startDy = reader.I8();
    body.endDx = reader.I8();
    body.endDy = reader.I8();
    uint16_t shape = reader.U16();
    if (context.version < kTieVoiceFileVersion) shape &= static_cast<uint16_t>(~kTieOldBitsMask);
    // On a note the tie is in the voice being read; anywhere else the voice stored
    // stays, so that what is read back never depends on what was read before it.
    if (context.noteList) {
        uint8_t mask = context.view != nullptr ? context.view->voiceMask : 0;
        shape = static_cast<uint16_t>((shape & ~kTieVoiceMask) | (TieVoiceOfMask(mask) << kTieVoiceShift));
    }
    body.shape = shape;
    return 0;
}

}  // namespace ql
