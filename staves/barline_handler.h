// The run-time barline object (type 27, resource name "Barline") that the user
// points at, selects and edits: it is made for the barlines around the location and
// never stored (the measure table holds what a barline is). Its body, kept only in
// memory, names the barline by the measure after it and the system it stands in;
// its keys, Insert, Delete and Properties run the barline and measure edits.
#pragma once

#include <cstdint>

#include "core/memory/ref32.h"
#include "staves/barline.h"

namespace ql {

struct ScoreObject;
struct ScoreSystem;
struct ScoreView;

#pragma pack(push, 1)
struct BarlineBody {
    int32_t x;                   // the measure slot's x plus the system's x
    int32_t top;                 // system top - 512
    int32_t x2;                  // copy of x
    int32_t bottom;              // the lowest shown staff of the system
    uint8_t row;                 // copied from the barline the object was made from
    uint16_t measure;            // the measure after the barline
    Ref32<ScoreSystem> system;   // borrowed: the system the barline belongs to
    uint8_t spare;
};
#pragma pack(pop)
constexpr uint32_t kBarlineBodyBytes = 24;
static_assert(sizeof(BarlineBody) == kBarlineBodyBytes);

// The body of a barline object (null for another object).
BarlineBody* BarlineBodyOf(ScoreObject* object);
// Where the object's barline stands: its measure, and whether it opens or closes its
// system.
BarlineRef BarlineOfObject(ScoreObject* object);

// A new barline object from pool 8 of the current set (null when the pool is
// exhausted).
ScoreObject* NewBarlineHandler();
// Registers the class and the constructor of type 27.
void RegisterBarlineClass();

}  // namespace ql
