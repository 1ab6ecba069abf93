// The class table: one C++ class object per class id, with the score-object protocol's
// operations in their fixed slot order (GetBody 0 ... ResetState 46). A pooled object
// names its class by the id in its first word: ClassOf(object).Operation(object, ...).
// The root class gives the defaults; construction by type code is registered here too.
#pragma once

#include <cstdint>

#include "core/model/geometry.h"
#include "core/memory/pool.h"
#include "core/objects/score_object.h"

namespace ql {

struct ScoreView;
struct EventRecord;

#pragma pack(push, 1)
// A rectangle stored in a pooled record (4 x i32, unaligned-safe).
struct RecordRect {
    int32_t left = 0;
    int32_t top = 0;
    int32_t right = 0;
    int32_t bottom = 0;
    constexpr bool operator==(const RecordRect&) const = default;
};
#pragma pack(pop)
static_assert(sizeof(RecordRect) == 16);

// The protocol of every score object. Class objects live outside the pools, are
// registered once at start-up and never destroyed while records refer to them.
// "view" is the ScoreView the operation works in; it may be null where noted.
class ScoreObjectClass {
  public:
    virtual ~ScoreObjectClass() = default;

    virtual std::byte* GetBody(ScoreObject* object) const;               // 0
    virtual uint32_t GetBodySize(const ScoreObject* object) const;       // 1
    virtual int32_t GetAnchorWord(const ScoreObject* object) const;      // 2
    virtual EventRecord* GetOwnerNote(const ScoreObject* object) const;  // 3
    virtual int HitTest(ScoreObject* object, const RecordRect& rect, HitRecord* hit) const;
    virtual void Measure(ScoreObject* object, ScoreView* view) const;  // 5
    virtual void Update(ScoreObject* object, ScoreView* view) const;   // 6
    virtual void Draw(ScoreObject* object, ScoreView* view) const;     // 7
    virtual void Paint(ScoreObject* object, ScoreView* view) const;    // 8
    virtual void Slot9(ScoreObject* object, int32_t a, int32_t b, int32_t c) const;
    virtual void DrawSelected(ScoreObject* object, ScoreView* view) const;  // 10
    virtual ScoreObject* CreateAtClick(ScoreObject* object, ScoreView* view) const;
    virtual int EditAttributes(ScoreObject* object, ScoreView* view) const;       // 12
    virtual void DrawTracking(ScoreObject* object, ScoreView* view) const;        // 13
    virtual void EraseTracking(ScoreObject* object, ScoreView* view) const;       // 14
    virtual void ReleaseCache(ScoreObject* object, ScoreView* view) const;        // 15
    virtual int CommitDrag(ScoreObject* object, ScoreView* view) const;           // 16
    virtual void EndDrag(ScoreObject* object, ScoreView* view) const;             // 17
    virtual HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const;  // 18
    virtual void TrackDrag(ScoreObject* object, ScoreView* view) const;           // 19
    virtual void DragMove(ScoreObject* object, ScoreView* view) const;            // 20
    virtual void DrawHandle(ScoreObject* object, ScoreView* view, HitRecord* hit) const;
    virtual void SetToolCursor(ScoreObject* object, int32_t a, int32_t b) const;  // 22
    virtual int LocationChanged(ScoreObject* object, ScoreView* view) const;      // 23
    virtual int FollowLocation(ScoreObject* object, ScoreView* view) const;       // 24
    virtual void EditInPlace(ScoreObject* object, ScoreView* view) const;         // 25
    virtual void Slot26(ScoreObject* object, ScoreView* view) const;
    virtual void Slot27(ScoreObject* object, ScoreView* view) const;
    virtual void Slot28(ScoreObject* object, ScoreView* view) const;
    virtual void Slot29(ScoreObject* object, ScoreView* view) const;
    virtual void StepValue(ScoreObject* object, ScoreView* view, int step) const;  // 30
    virtual void Invalidate(ScoreObject* object, ScoreView* view) const;           // 31
    virtual void ConstrainDrag(ScoreObject* object, ScoreView* view) const;        // 32
    virtual int HandleDrop(ScoreObject* object, ScoreView* view, ScoreObject* target,
                           HitRecord* hit) const;  // 33
    virtual int OnInsertKey(ScoreObject* object, ScoreView* view, ScoreObject* target,
                            HitRecord* hit) const;  // 34
    virtual int Query35(ScoreObject* object, int32_t a, int32_t b) const;
    virtual int Query36(ScoreObject* object, int32_t a, int32_t b) const;
    virtual int Query37(ScoreObject* object, int32_t a, int32_t b) const;
    virtual int Query38(ScoreObject* object, int32_t a, int32_t b) const;
    virtual int OnKey(ScoreObject* object, ScoreView* view, uint32_t virtualKey) const;  // 39
    virtual int OnEditCommand(ScoreObject* object, ScoreView* view, int command,
                              int value) const;  // 40
    virtual void Slot41(ScoreObject* object) const;
    virtual ScoreObject* Clone(ScoreObject* object, ScoreView* view, PoolSet source,
                               PoolSet target) const;                            // 42
    virtual ScoreObject* PasteCopy(ScoreObject* object, ScoreView* view) const;  // 43
    virtual void MeasureAndSelect(ScoreObject* object, ScoreView* view) const;   // 44
    virtual void MakeCurrent(ScoreObject* object, ScoreView* view) const;        // 45
    virtual void ResetState(ScoreObject* object, ScoreView* view) const;         // 46
};

// The class of the root ScoreObject: exactly the defaults above.
const ScoreObjectClass& RootObjectClass();

// Registers a class object under an id; a later registration replaces an earlier one
// (tests install their own). The class object must outlive every record using the id.
// False for kNoClass or an id at or above kClassIdLimit.
bool RegisterObjectClass(ClassId id, const ScoreObjectClass* cls);
// The registered class of an id, or null.
const ScoreObjectClass* FindObjectClass(ClassId id);
// The class of an object. An unregistered id (a damaged record) falls back to the
// root class, whose operations are all harmless.
const ScoreObjectClass& ClassOf(const ScoreObject* object);

// Construction by type code: the pool the type's records come from and the
// constructor that makes a zero-filled record of that pool an object of the type
// (root constructor first, then class id, type and subtype). The object sits
// `objectOffset` bytes into its record: 0, or 14 for the MIDI-carrying records whose
// MidiAction comes first (the constructor is given the object and builds both).
using ObjectConstructor = void (*)(ScoreObject* object);
struct ObjectTypeEntry {
    int pool = 0;  // pool of the current set
    ObjectConstructor construct = nullptr;
    uint8_t objectOffset = 0;
};
// False for a code above kLastObjectType, a pool outside 2..10 or a null constructor.
bool RegisterObjectType(uint8_t type, ObjectTypeEntry entry);
// The entry of a type code; construct is null when none is registered.
ObjectTypeEntry FindObjectType(uint8_t type);

// Restores the built-in registrations only (root class, text-free defaults): for
// tests that install their own classes.
void ResetObjectClassTable();

}  // namespace ql
