// HitRecord: one handle or hot spot of the focused object, a 124-byte record of the
// program-wide static pool 0. The selection engine hit-tests, drags and draws
// handles through these records. A handle chain is an object's first record and its
// children (child links); the selection lists link records through next and prev,
// between head and tail records embedded in the SelectionState.
#pragma once

#include <cstddef>
#include <cstdint>
#include <type_traits>

#include "core/objects/class_table.h"
#include "core/model/geometry.h"
#include "core/memory/ref32.h"
#include "core/objects/score_object.h"

namespace ql {

struct ScoreView;
struct EventRecord;

constexpr int kHitRecordPool = 0;                      // static pool of every HitRecord
constexpr uint16_t kHitFlagLive = 0x0001;              // set by every constructor
constexpr uint16_t kHitFlagConstructorClear = 0x0200;  // cleared by the constructors
constexpr uint16_t kHitFlagUnlinked = 0x8000;          // unlinked, or its chain freed
constexpr uint8_t kHitKindBasic = 54;                  // kind given by InitHitRecordBasic
constexpr uint8_t kHitStyleDefault = 6;                // rectangle style at construction
constexpr uint8_t kHitStyleOuterOnly = 1;              // inner rectangle = outer
constexpr uint8_t kHitStyleEmpty = 10;                 // both rectangles empty: never drawn or hit

#pragma pack(push, 1)
struct HitRecord {
    LocationRecord location;       // where the handle is: location and point
    uint8_t engineState[16];       // the selection engine's; zero at construction
    RecordRect outer;              // the pick rectangle
    RecordRect inner;              // the drawn handle rectangle
    LogicalPoint point;            // the handle's logical point
    LogicalPoint secondPoint;      // copy of the point, moved with it
    Ref32<ScoreObject> owner;      // the object the handle belongs to
    Ref32<HitRecord> next;         // next record of a hit-record list
    Ref32<HitRecord> prev;         // previous record of that list
    Ref32<HitRecord> parent;       // the record this one is a child of
    Ref32<HitRecord> child;        // next record of the object's handle chain
    Ref32<EventRecord> noteEvent;  // the note of a note handle (selection engine)
    uint8_t engineState2[10];      // the selection engine's; zero at construction
    uint16_t flags;                // kHitFlag*, and the engine's bits (8.x)
    uint8_t ownerType;             // ObjectType of the owner (selection engine)
    uint8_t engineState3[2];
    uint8_t kind;   // handle kind, given by the creator
    uint8_t style;  // rectangle style
    uint8_t engineState4[3];
};
#pragma pack(pop)
static_assert(sizeof(HitRecord) == 124);
// Points sit on 32-bit boundaries of the (aligned) pool slot.
static_assert(sizeof(HitRecord) % alignof(LogicalPoint) == 0);
static_assert(offsetof(HitRecord, point) % alignof(LogicalPoint) == 0);
static_assert(offsetof(HitRecord, secondPoint) % alignof(LogicalPoint) == 0);
static_assert(offsetof(LocationRecord, point) % alignof(LogicalPoint) == 0);
static_assert(std::is_trivially_copyable_v<HitRecord>);

// The program-wide handle size in logical units (set by the view's zoom code).
int32_t HandleSize();
void SetHandleSize(int32_t logicalUnits);

// Rectangles of a handle at (x, y). Without force, well-ordered rectangles stay.
// Style 10: both empty. Otherwise outer = ±2h, inner = ±h (style 1: inner = outer).
void SetHandleRects(uint8_t style, int32_t x, int32_t y, RecordRect& outer, RecordRect& inner,
                    bool force);

// Constructors; every one zero-fills the record first (except InitHitRecordBasic).
// The view supplies the location (position word, staff, measure); it may be null,
// then the location is zero.
void ConstructHitRecordAtPoint(HitRecord* hit, const ScoreView* view, uint8_t kind,
                               LogicalPoint point);
void ConstructHitRecordAtPointEx(HitRecord* hit, const ScoreView* view, uint8_t kind,
                                 LogicalPoint point, int32_t half);
void ConstructHitRecordWithOwner(HitRecord* hit, const ScoreView* view, uint8_t kind,
                                 LogicalPoint point, HitRecord* parent);
void ConstructHitRecordFlagged(HitRecord* hit, const ScoreView* view, uint8_t kind,
                               const RecordRect& rect);
void InitHitRecordBasic(HitRecord* hit, const ScoreView* view);

void SetHitRecordPoint(HitRecord* hit, LogicalPoint point);
void CenterHitRecordOnRect(HitRecord* hit, const RecordRect* rect);  // null: nothing
void PlaceHitRecord(HitRecord* hit, LogicalPoint point, int32_t half);
void OffsetHitRecord(HitRecord* hit, LogicalPoint delta);
bool HitRecordContainsPoint(const HitRecord* hit, LogicalPoint point);
HitRecord* GetHitRecordChild(const HitRecord* hit);

// List operations (next/prev links). A chain is a record and what its next links reach.
void AppendHitRecord(HitRecord* anchor, HitRecord* chain);     // before anchor
void LinkHitRecordAfter(HitRecord* anchor, HitRecord* chain);  // after anchor
// Joins the neighbours and marks the record unlinked; never touches the
// SelectionState's own head and tail records, nor anything without a SelectionState.
void UnlinkHitRecord(HitRecord* hit);
void ReplaceHitRecord(HitRecord* oldRecord, HitRecord* newRecord);
// Frees the child chain depth first to static pool 0, marks the record, clears child.
void FreeHitRecordChain(HitRecord* hit);

HitRecord* AllocHitRecord();  // static pool 0; null when exhausted
void FreeHitRecord(HitRecord* hit);

}  // namespace ql
