// Slur (type 4, pool 9) and tie (type 5, pool 8): their bodies as held and stored.
//
// A slur holds its curve interface's class word, then four control points, four
// signed inner offsets and a flag word whose low four bits are the line style (38
// body bytes, stored as they are; files before version 10 hold 36 and the flag word
// keeps its constructed value with the style bits cleared).
//
// A tie holds 10 bytes, stored as they are; on reading a note's list the top four
// bits of its shape word take the voice of the view's voice mask (the voice being
// read), elsewhere they keep the stored voice; before version 10 bits 8-11 are
// cleared too.
#pragma once

#include <cstdint>
#include <type_traits>

#include "core/objects/score_object.h"
#include "files/bytes/byte_writer.h"
#include "files/records/object_read_context.h"
#include "objects/object_anchor.h"

namespace ql {

constexpr int kSlurPoints = 4;
constexpr int kSlurInnerOffsets = 4;

#pragma pack(push, 1)
struct SlurBody {
    AnchorPoint points[kSlurPoints];  // start, two control points, end
    int8_t inner[kSlurInnerOffsets];  // dx1, dy1, dx2, dy2
    uint16_t flags;                   // low four bits: 0 filled band, 1 dotted line
};
struct SlurObject {
    ScoreObject header;
    ClassId curveClass;  // the second interface
    SlurBody body;
};

struct TieBody {
    int16_t controlInset;
    int16_t controlRise;
    int8_t startDx;
    int8_t startDy;
    int8_t endDx;
    int8_t endDy;
    uint16_t shape;  // bits 0-7 thickness, 8-11 line style, 12-15 voice
};
struct TieObject {
    ScoreObject header;
    TieBody body;
};
#pragma pack(pop)

constexpr uint32_t kSlurBodyBytes = 38;
constexpr uint32_t kOldSlurBodyBytes = 36;
constexpr uint8_t kSlurFlagsFileVersion = 10;
constexpr uint16_t kSlurStyleMask = 0x000F;
static_assert(sizeof(SlurBody) == kSlurBodyBytes);
static_assert(sizeof(SlurObject) == 68);
static_assert(std::is_trivially_copyable_v<SlurObject>);

constexpr uint32_t kTieBodyBytes = 10;
constexpr uint16_t kTieVoiceMask = 0xF000;
constexpr int kTieVoiceShift = 12;
constexpr uint16_t kTieOldBitsMask = 0x0F00;  // cleared before version 10
constexpr uint8_t kTieVoiceFileVersion = 10;
static_assert(sizeof(TieBody) == kTieBodyBytes);
static_assert(sizeof(TieObject) == 36);
static_assert(std::is_trivially_copyable_v<TieObject>);

inline SlurObject* AsSlur(ScoreObject* object) {
    return reinterpret_cast<SlurObject*>(object);
}
inline TieObject* AsTie(ScoreObject* object) {
    return reinterpret_cast<TieObject*>(object);
}

void ConstructSlurObject(ScoreObject* object);
void ConstructTieObject(ScoreObject* object);

// The voice a tie read for the view gets: the lowest set bit (0-3) of its voice mask;
// 0 when the mask is 0 or 16 and more.
int TieVoiceOfMask(uint8_t voiceMask);

void EncodeSlurBody(const SlurObject& object, ByteWriter& writer);
int DecodeSlurBody(SlurObject* object, const ObjectReadContext& context);
void EncodeTieBody(const TieObject& object, ByteWriter& writer);
int DecodeTieBody(TieObject* object, const ObjectReadContext& context);

}  // namespace ql
