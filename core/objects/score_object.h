// ScoreObject: the 26-byte header every object on a score starts with, and its
// construction. Objects are plain pooled records (no C++ virtuals inside the pools);
// the first word holds a class id, and the behaviour lives in the class object that
// the class table (core/objects/class_table.h) registers under that id. Files never store
// class ids; they store the one-byte type code, which selects the class.
#pragma once

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "core/constants.h"
#include "core/model/geometry.h"
#include "core/memory/ref32.h"

namespace ql {

struct HitRecord;

// Build-time ids of the object classes (word 0 of every ScoreObject and MidiAction,
// and the second-interface word of spanners and slurs). 0 is "no class".
using ClassId = uint32_t;
constexpr ClassId kNoClass = 0;
constexpr ClassId kRootObjectClass = 1;      // bare ScoreObject: list heads, defaults
constexpr ClassId kTextObjectClass = 2;      // TextObject family base table
constexpr ClassId kMidiActionClass = 3;      // the one-operation MidiAction class
constexpr ClassId kMidiTextObjectClass = 4;  // text part of a MIDI-carrying outer record
// The class of an object type: kTypeClassBase + type code (one per code 0..55).
constexpr ClassId kTypeClassBase = 0x100;
// The second interface (spanners, slurs) of an object type: kSecondClassBase + code.
constexpr ClassId kSecondClassBase = 0x200;
constexpr ClassId kClassIdLimit = 0x300;  // ids are below this

constexpr ClassId ClassOfType(ObjectType type) {
    return kTypeClassBase + static_cast<uint8_t>(type);
}
constexpr ClassId SecondClassOfType(ObjectType type) {
    return kSecondClassBase + static_cast<uint8_t>(type);
}

// The stored byte of a type code or subtype (ObjectType, ObjectSubtype: core/constants.h).
constexpr uint8_t TypeCode(ObjectType type) {
    return static_cast<uint8_t>(type);
}
constexpr uint8_t SubtypeCode(ObjectSubtype subtype) {
    return static_cast<uint8_t>(subtype);
}
constexpr uint8_t kLastObjectType = kObjectTypeCount - 1;  // codes above are never released
constexpr uint8_t kObjectTypeNameCount = 56;               // short names exist for 0..55

#pragma pack(push, 1)
// Location of an object: the position word's encoding depends on the subtype.
struct ObjectLocation {
    uint32_t position;
    uint8_t classByte;  // class-defined
    uint8_t staff;
    uint16_t measure;
};

// An ObjectLocation followed by a logical point: what the selection engine and hit
// records carry.
struct LocationRecord {
    ObjectLocation location;
    LogicalPoint point;
};

// The header of every score object; the class's body follows at kObjectHeaderBytes.
struct ScoreObject {
    ClassId classId;               // behaviour: ClassTable entry (core/objects/class_table.h)
    Ref32<ScoreObject> prev;       // previous object of its ObjectList; null at the head
    Ref32<ScoreObject> next;       // next object of that list; null at the end
    Ref32<HitRecord> handleChain;  // first hit record of the handles; null when none
    uint32_t spareWords[2];        // unused by the framework, zero in a new record
    uint8_t type;                  // ObjectType code 0..53
    uint8_t subtype;               // ObjectSubtype: anchoring

    // Body bytes right after the header. Bodies are unaligned: read and write their
    // fields through LoadField/StoreField.
    std::byte* BodyBytes() { return reinterpret_cast<std::byte*>(this) + sizeof(ScoreObject); }
    const std::byte* BodyBytes() const {
        return reinterpret_cast<const std::byte*>(this) + sizeof(ScoreObject);
    }
};
#pragma pack(pop)

constexpr size_t kObjectHeaderBytes = 26;
static_assert(sizeof(ObjectLocation) == 8);
static_assert(sizeof(LocationRecord) == 16);
static_assert(sizeof(ScoreObject) == kObjectHeaderBytes);
static_assert(std::is_trivially_copyable_v<ScoreObject>);

// Unaligned field access inside packed records and bodies.
template <typename T>
T LoadField(const void* at) {
    static_assert(std::is_trivially_copyable_v<T>);
    T value;
    std::memcpy(&value, at, sizeof(T));
    return value;
}
template <typename T>
void StoreField(void* at, const T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    std::memcpy(at, &value, sizeof(T));
}

// The root constructor: class := root, type := 1 (Item), prev, next and handle chain
// cleared; subtype and the two spare words are left as the record holds them.
// Every class constructor calls it first, then stores its own class id, type and
// subtype.
void ConstructScoreObject(ScoreObject* object);

// Allocates a record of the type's pool in the current pool set and runs the type's
// registered constructor (RegisterObjectType, core/objects/class_table.h). Null when no
// constructor is registered for the code or the pool is exhausted (the record is
// then not taken). The object is not linked into any list; it sits at the type's
// object offset in its record (after the MidiAction of a MIDI-carrying record).
ScoreObject* ConstructObject(uint8_t type);

}  // namespace ql
