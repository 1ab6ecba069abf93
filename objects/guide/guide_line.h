// GuideLine (type 52, pool 6): a ruler guide, an orientation byte (0 vertical, else
// horizontal), a reserved byte and the line's 16-bit position; always a page item.
// Stored as its 4 bytes; the older version-15 variant holds 3 (no reserved byte).
#pragma once

#include <cstdint>
#include <type_traits>

#include "core/objects/score_object.h"
#include "files/bytes/byte_writer.h"
#include "files/records/object_read_context.h"

namespace ql {

#pragma pack(push, 1)
struct GuideBody {
    uint8_t orientation;
    uint8_t reserved;
    int16_t position;
};
struct GuideLine {
    ScoreObject header;
    GuideBody body;
};
#pragma pack(pop)

constexpr uint32_t kGuideBodyBytes = 4;
constexpr uint32_t kOldGuideBodyBytes = 3;
static_assert(sizeof(GuideBody) == kGuideBodyBytes);
static_assert(sizeof(GuideLine) == 30);
static_assert(std::is_trivially_copyable_v<GuideLine>);

inline GuideLine* AsGuideLine(ScoreObject* object) {
    return reinterpret_cast<GuideLine*>(object);
}

void ConstructGuideLine(ScoreObject* object);
void EncodeGuideBody(const GuideLine& object, ByteWriter& writer);
int DecodeGuideBody(GuideLine* object, const ObjectReadContext& context);

}  // namespace ql
