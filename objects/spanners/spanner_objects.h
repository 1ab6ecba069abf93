// The spanners: wickette (46, pool 8), widget bracket (47), repeat ending (48),
// octave line (49) and tuplet (51), all pool 9 but the wickette. Each embeds a
// SpannerInterface: its class word, the 22-byte SpannerEndpoint (two anchors, two
// hooks, line width, style) and the owner's reference. The text-bearing ones carry a
// TextObject body first (the label); a repeat ending adds its span, four passes and
// two further bytes; a tuplet carries its AnchorRecord (class word, 18-byte curve
// payload, owner) between the text and the spanner.
//
// Stored: the wickette as its endpoint; 47 and 49 as the text record and the
// endpoint; 48 adds the 8 bytes of span and passes (files from version 13 on); 51 the
// text record, the endpoint and the anchor payload. Conversions of old files touch
// the endpoint of objects attached to a note (subtype 3): before version 3 its
// anchors' third words are 0; before version 6 a tuplet's time words become relative.
#pragma once

#include <cstdint>
#include <type_traits>

#include "core/memory/ref32.h"
#include "core/text/text_object.h"
#include "files/bytes/byte_writer.h"
#include "files/records/object_read_context.h"
#include "objects/object_anchor.h"

namespace ql {

#pragma pack(push, 1)
struct SpannerEndpoint {
    AnchorPoint start;
    AnchorPoint end;
    int16_t startHook;  // unzoomed logical units, positive downwards
    int16_t endHook;
    int8_t lineWidth;  // pixels
    uint8_t style;     // low nibble dashed; high nibble: the line starts at the hook's end
};
struct SpannerInterface {
    ClassId interfaceClass;
    SpannerEndpoint endpoint;
    Ref32<ScoreObject> owner;
};
struct Wickette {
    ScoreObject header;
    SpannerInterface spanner;
};
struct TextSpanner {  // widget bracket, octave line
    TextObject text;
    SpannerInterface spanner;
};
struct RepeatEndingObject {
    TextObject text;
    SpannerInterface spanner;
    uint16_t span;      // measures covered, 1..127
    uint8_t passes[4];  // in the order typed; 0 none
    uint8_t further[2];
};
struct AnchorPayload {
    uint16_t times[4];   // ticks after the owning note
    int16_t offsets[4];  // logical units from the owning note's y
    int8_t thickness;
    uint8_t spare;
};
struct AnchorRecord {
    ClassId interfaceClass;
    AnchorPayload payload;
    Ref32<ScoreObject> owner;
};
struct TupletObject {
    TextObject text;
    AnchorRecord anchor;
    SpannerInterface spanner;
};
#pragma pack(pop)

constexpr uint32_t kSpannerEndpointBytes = 22;
constexpr uint32_t kAnchorPayloadBytes = 18;
constexpr uint32_t kRepeatPassBytes = 8;
static_assert(sizeof(SpannerEndpoint) == kSpannerEndpointBytes);
static_assert(sizeof(AnchorPayload) == kAnchorPayloadBytes);
static_assert(sizeof(Wickette) == 56);
static_assert(sizeof(TextSpanner) == 94);
static_assert(sizeof(RepeatEndingObject) == 102);
static_assert(sizeof(TupletObject) == 120);
static_assert(std::is_trivially_copyable_v<TupletObject>);

constexpr uint8_t kHooksFileVersion = 3;          // before: third anchor words cleared
constexpr uint8_t kRelativeTimesFileVersion = 6;  // before: tuplet times absolute
constexpr uint8_t kRepeatPassesFileVersion = 13;  // from: the 8 bytes follow
constexpr uint8_t kTupletLabelStyle = 5;
// The class word of a tuplet's AnchorRecord interface (past the second-interface ids
// of the type codes).
constexpr ClassId kAnchorRecordClass = kSecondClassBase + 0x80;
static_assert(kAnchorRecordClass < kClassIdLimit);

inline Wickette* AsWickette(ScoreObject* object) {
    return reinterpret_cast<Wickette*>(object);
}
inline TextSpanner* AsTextSpanner(ScoreObject* object) {
    return reinterpret_cast<TextSpanner*>(object);
}
inline RepeatEndingObject* AsRepeatEnding(ScoreObject* object) {
    return reinterpret_cast<RepeatEndingObject*>(object);
}
inline TupletObject* AsTuplet(ScoreObject* object) {
    return reinterpret_cast<TupletObject*>(object);
}
// The embedded spanner interface of a spanner type (46..49, 51), or null.
SpannerInterface* SpannerOf(ScoreObject* object);

void ConstructWickette(ScoreObject* object);
void ConstructWidgetBracket(ScoreObject* object);
void ConstructRepeatEnding(ScoreObject* object);
void ConstructOctaveLine(ScoreObject* object);
void ConstructTuplet(ScoreObject* object);

void EncodeSpannerEndpoint(const SpannerEndpoint& endpoint, ByteWriter& writer);
// Bodies of the five types (the text record first where they have one).
void EncodeSpannerBody(ScoreObject* object, ByteWriter& writer);
int DecodeSpannerBody(ScoreObject* object, const ObjectReadContext& context);

}  // namespace ql
