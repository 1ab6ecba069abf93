// The class table and the table of constructors by type code. Both are filled at
// start-up by the subsystems that own the classes (the core registers the root class
// and the bare list-head object, type 1); lookups of an unknown id fall back to the
// root class so that a damaged record can never call through a bad table.
#include "core/objects/class_table.h"

#include <array>

#include "core/memory/pool.h"

namespace ql {

namespace {

constexpr int kFirstObjectPool = 2;
constexpr int kLastObjectPool = 10;

struct Registry {
    std::array<const ScoreObjectClass*, kClassIdLimit> classes{};
    std::array<ObjectTypeEntry, kObjectTypeCount> types{};
};

void ConstructRootRecord(ScoreObject* record) {
    ConstructScoreObject(record);
}

void InstallBuiltins(Registry& registry) {
    registry.classes = {};
    registry.types = {};
    registry.classes[kRootObjectClass] = &RootObjectClass();
    registry.types[TypeCode(ObjectType::Item)] =
        ObjectTypeEntry{kRootObjectPool, ConstructRootRecord};
}

Registry& TheRegistry() {
    static Registry registry = [] {
        Registry r;
        InstallBuiltins(r);
        return r;
    }();
    return registry;
}

}  // namespace

bool RegisterObjectClass(ClassId id, const ScoreObjectClass* cls) {
    if (id == kNoClass || id >= kClassIdLimit) return false;
    TheRegistry().classes[id] = cls;
    return true;
}

const ScoreObjectClass* FindObjectClass(ClassId id) {
    if (id >= kClassIdLimit) return nullptr;
    return TheRegistry().classes[id];
}

const ScoreObjectClass& ClassOf(const ScoreObject* object) {
    const ScoreObjectClass* cls = object != nullptr ? FindObjectClass(object->classId) : nullptr;
    return cls != nullptr ? *cls : RootObjectClass();
}

bool RegisterObjectType(uint8_t type, ObjectTypeEntry entry) {
    if (type > kLastObjectType || entry.construct == nullptr) return false;
    if (entry.pool < kFirstObjectPool || entry.pool > kLastObjectPool) return false;
    TheRegistry().types[type] = entry;
    return true;
}

ObjectTypeEntry FindObjectType(uint8_t type) {
    if (type > kLastObjectType) return ObjectTypeEntry{};
    return TheRegistry().types[type];
}

void ResetObjectClassTable() {
    InstallBuiltins(TheRegistry());
}

void ConstructScoreObject(ScoreObject* object) {
    object->classId = kRootObjectClass;
    object->type = TypeCode(ObjectType::Item);
    object->prev = Ref32<ScoreObject>{};
    object->next = Ref32<ScoreObject>{};
    object->handleChain = Ref32<HitRecord>{};
}

ScoreObject* ConstructObject(uint8_t type) {
    ObjectTypeEntry entry = FindObjectType(type);
    if (entry.construct == nullptr) return nullptr;
    if (PoolSlotBytes(entry.pool) < entry.objectOffset + sizeof(ScoreObject)) return nullptr;
    auto* record = static_cast<std::byte*>(AllocRecord(entry.pool));
    if (record == nullptr) return nullptr;
    auto* object = reinterpret_cast<ScoreObject*>(record + entry.objectOffset);
    entry.construct(object);
    return object;
}

}  // namespace ql
