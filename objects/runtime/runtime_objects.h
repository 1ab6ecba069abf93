// The run-time objects of this folder that a document keeps as prototypes but never
// stores: the stretcher (12; a tick range of one measure being stretched, 32 body
// bytes) and the area (19; a rectangle to zoom to, 20 body bytes). Records of pool 8
// while prototypes are built. Their tools and drawing come with their classes.
#pragma once

#include <cstdint>
#include <type_traits>

#include "core/objects/score_object.h"

namespace ql {

#pragma pack(push, 1)
struct StretcherBody {
    uint16_t startTick;
    uint16_t endTick;
    int16_t startX;
    int16_t endX;
    int16_t newEndX;
    uint8_t staff;
    uint16_t measure;
    uint32_t system;  // the view's current system when made (run time)
    uint8_t spare[15];
};
struct StretcherObject {
    ScoreObject header;
    StretcherBody body;
};
struct AreaBody {
    ObjectLocation location;
    int32_t width;
    int32_t height;
    uint8_t spare[4];
};
struct AreaObject {
    ScoreObject header;
    AreaBody body;
};
#pragma pack(pop)

constexpr uint32_t kStretcherBodyBytes = 32;
constexpr uint32_t kAreaBodyBytes = 20;
static_assert(sizeof(StretcherBody) == kStretcherBodyBytes);
static_assert(sizeof(AreaBody) == kAreaBodyBytes);
static_assert(std::is_trivially_copyable_v<StretcherObject>);

void ConstructStretcherObject(ScoreObject* object);
void ConstructAreaObject(ScoreObject* object);

}  // namespace ql
