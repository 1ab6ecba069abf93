// The spanners' constructors and stored bodies (see spanner_objects.h).
#include "objects/spanners/spanner_objects.h"

#include "files/bytes/byte_reader.h"
#include "files/records/file_codes.h"
#include "files/records/text_record_io.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "objects/object_services.h"
#include "objects/stored_classes.h"

namespace ql {
namespace {

constexpr size_t kAtStart = 0;
constexpr size_t kAtEnd = 8;
constexpr size_t kAtStartHook = 16;
constexpr size_t kAtEndHook = 18;
constexpr size_t kAtLineWidth = 20;
constexpr size_t kAtStyle = 21;
constexpr int kPasses = 4;

void ConstructSpanner(SpannerInterface* spanner, ScoreObject* owner) {
    spanner->interfaceClass = SecondClassOfType(static_cast<ObjectType>(owner->type));
    spanner->endpoint = SpannerEndpoint{};
    spanner->owner = Ref32<ScoreObject>::To(owner);
}

void ConstructTextSpanner(ScoreObject* object, ObjectType type, ObjectSubtype subtype) {
    ConstructTextObject(AsTextObject(object));
    ConstructStoredHeader(object, type, subtype);
    ConstructSpanner(&AsTextSpanner(object)->spanner, object);
}

SpannerEndpoint DecodeEndpoint(ByteReader& reader) {
    SpannerEndpoint endpoint{};
    endpoint.start = DecodeAnchorPoint(reader);
    endpoint.end = DecodeAnchorPoint(reader);
    endpoint.startHook = reader.I16();
    endpoint.endHook = reader.I16();
    endpoint.lineWidth = reader.I8();
    endpoint.style = reader.U8();
    return endpoint;
}

// Old files: the third word of both anchors of a note-attached spanner was not kept
// before version 3; a tuplet's times were absolute before version 6.
void ConvertEndpoint(SpannerEndpoint* endpoint, uint8_t type, const ObjectReadContext& context) {
    if (context.subtype != SubtypeCode(ObjectSubtype::NoteAttachment)) return;
    if (type == TypeCode(ObjectType::PedalBracket)) return;
    if (context.version < kHooksFileVersion) {
        endpoint->start.x = 0;
        endpoint->end.x = 0;
    }
    if (type != TypeCode(ObjectType::Tuplet) || context.version >= kRelativeTimesFileVersion)
        return;
    int endTime = static_cast<int>(endpoint->end.coarse[1]) - endpoint->start.coarse[1];
    endpoint->end.coarse[1] = static_cast<uint16_t>(endTime < 0 ? 0 : endTime);
    int startTime = static_cast<int>(endpoint->start.coarse[1]) - context.ownerTime;
    endpoint->start.coarse[1] = static_cast<uint16_t>(startTime < 0 ? 0 : startTime);
}

int ReadEndpoint(SpannerInterface* spanner, ScoreObject* owner, const ObjectReadContext& context) {
    uint8_t bytes[kSpannerEndpointBytes] = {};
    if (!ReadBodyBytes(bytes, kSpannerEndpointBytes)) return item_code::kSpannerEndpoint;
    ByteReader reader(bytes, kSpannerEndpointBytes);
    spanner->endpoint = DecodeEndpoint(reader);
    spanner->owner = Ref32<ScoreObject>::To(owner);
    ConvertEndpoint(&spanner->endpoint, owner->type, context);
    return 0;
}

void EncodePasses(const RepeatEndingObject& ending, ByteWriter& writer) {
    FixedRecord record(writer, kRepeatPassBytes);
    record.U16(0, ending.span);
    for (int i = 0; i < kPasses; ++i) record.U8(2 + i, ending.passes[i]);
    record.U8(6, ending.further[0]);
    record.U8(7, ending.further[1]);
}

int ReadPasses(RepeatEndingObject* ending) {
    uint8_t bytes[kRepeatPassBytes] = {};
    if (!ReadBodyBytes(bytes, kRepeatPassBytes)) return item_code::kRepeatPasses;
    ByteReader reader(bytes, kRepeatPassBytes);
    ending->span = reader.U16();
    for (uint8_t& pass : ending->passes) pass = reader.U8();
    ending->further[0] = reader.U8();
    ending->further[1] = reader.U8();
    return 0;
}

void EncodeAnchorPayload(const AnchorPayload& payload, ByteWriter& writer) {
    FixedRecord record(writer, kAnchorPayloadBytes);
    for (int i = 0; i < 4; ++i) record.U16(i * 2, payload.times[i]);
    for (int i = 0; i < 4; ++i) record.I16(8 + i * 2, payload.offsets[i]);
    record.I8(16, payload.thickness);
    record.U8(17, payload.spare);
}

int ReadAnchorPayload(TupletObject* tuplet) {
    uint8_t bytes[kAnchorPayloadBytes] = {};
    if (!ReadBodyBytes(bytes, kAnchorPayloadBytes)) return item_code::kTupletAnchor;
    ByteReader reader(bytes, kAnchorPayloadBytes);
    AnchorPayload& payload = tuplet->anchor.payload;
    for (uint16_t& time : payload.times) time = reader.U16();
    for (int16_t& offset : payload.offsets) offset = reader.I16();
    payload.thickness = reader.I8();
    payload.spare = reader.U8();
    tuplet->anchor.owner = Ref32<ScoreObject>::To(&tuplet->text.header);
    return 0;
}

}  // namespace

SpannerInterface* SpannerOf(ScoreObject* object) {
    switch (static_cast<ObjectType>(object->type)) {
        case ObjectType::PedalBracket:
            return &AsWickette(object)->spanner;
        case ObjectType::Widget:
        case ObjectType::Octave:
            return &AsTextSpanner(object)->spanner;
        case ObjectType::RepeatEnding:
            return &AsRepeatEnding(object)->spanner;
        case ObjectType::Tuplet:
            return &AsTuplet(object)->spanner;
        default:
            return nullptr;
    }
}

void ConstructWickette(ScoreObject* object) {
    ConstructStoredHeader(object, ObjectType::PedalBracket, ObjectSubtype::MeasureTimeList);
    ConstructSpanner(&AsWickette(object)->spanner, object);
}

void ConstructWidgetBracket(ScoreObject* object) {
    ConstructTextSpanner(object, ObjectType::Widget, ObjectSubtype::MeasureTimeList);
}

void ConstructRepeatEnding(ScoreObject* object) {
    ConstructTextSpanner(object, ObjectType::RepeatEnding, ObjectSubtype::MeasureTimeList);
    RepeatEndingObject* ending = AsRepeatEnding(object);
    ending->span = 1;
    for (uint8_t& pass : ending->passes) pass = 0;
    ending->further[0] = ending->further[1] = 0;
    // A new ending makes the active document's list of endings stale.
    if (ScoreView* view = State().documents.ActiveView) FreeRepeatEndingList(view->document);
}

void ConstructOctaveLine(ScoreObject* object) {
    ConstructTextSpanner(object, ObjectType::Octave, ObjectSubtype::MeasureTimeList);
}

void ConstructTuplet(ScoreObject* object) {
    TupletObject* tuplet = AsTuplet(object);
    ConstructTextObject(&tuplet->text);
    ConstructStoredHeader(object, ObjectType::Tuplet, ObjectSubtype::NoteAttachment);
    tuplet->text.body.style = kTupletLabelStyle;
    tuplet->anchor.interfaceClass = kAnchorRecordClass;
    tuplet->anchor.payload = AnchorPayload{};
    tuplet->anchor.owner = Ref32<ScoreObject>::To(object);
    ConstructSpanner(&tuplet->spanner, object);
}

void EncodeSpannerEndpoint(const SpannerEndpoint& endpoint, ByteWriter& writer) {
    FixedRecord record(writer, kSpannerEndpointBytes);
    EncodeAnchorPoint(endpoint.start, record, kAtStart);
    EncodeAnchorPoint(endpoint.end, record, kAtEnd);
    record.I16(kAtStartHook, endpoint.startHook);
    record.I16(kAtEndHook, endpoint.endHook);
    record.I8(kAtLineWidth, endpoint.lineWidth);
    record.U8(kAtStyle, endpoint.style);
}

void EncodeSpannerBody(ScoreObject* object, ByteWriter& writer) {
    SpannerInterface* spanner = SpannerOf(object);
    if (spanner == nullptr) return;
    bool hasText = object->type != TypeCode(ObjectType::PedalBracket);
    if (hasText) EncodeTextRecord(AsTextObject(object), writer);
    EncodeSpannerEndpoint(spanner->endpoint, writer);
    if (object->type == TypeCode(ObjectType::RepeatEnding))
        EncodePasses(*AsRepeatEnding(object), writer);
    if (object->type == TypeCode(ObjectType::Tuplet))
        EncodeAnchorPayload(AsTuplet(object)->anchor.payload, writer);
}

int DecodeSpannerBody(ScoreObject* object, const ObjectReadContext& context) {
    SpannerInterface* spanner = SpannerOf(object);
    if (spanner == nullptr) return item_code::kSpannerEndpoint;
    bool hasText = object->type != TypeCode(ObjectType::PedalBracket);
    if (hasText && !DecodeTextRecord(AsTextObject(object))) return item_code::kSpannerText;
    if (int code = ReadEndpoint(spanner, object, context)) return code;
    if (object->type == TypeCode(ObjectType::RepeatEnding) &&
        context.version >= kRepeatPassesFileVersion)
        return ReadPasses(AsRepeatEnding(object));
    if (object->type == TypeCode(ObjectType::Tuplet)) return ReadAnchorPayload(AsTuplet(object));
    return 0;
}

}  // namespace ql
