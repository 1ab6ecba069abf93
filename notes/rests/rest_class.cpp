// The rest's class object and its registration under type code 45 (pool 8). A rest
// is copied whole by its body: it owns nothing outside its record.
#include "core/constants.h"
#include "core/objects/class_table.h"
#include "core/objects/object_classes.h"
#include "notes/rests/rest.h"
#include "notes/rests/rest_internal.h"

namespace ql {

namespace {

void ConstructRestRecord(ScoreObject* record) {
    ConstructRest(record);
}

}  // namespace

namespace rests {

const RestClass& TheRestClass() {
    static const RestClass instance;
    return instance;
}

}  // namespace rests

std::byte* rests::RestClass::GetBody(ScoreObject* object) const {
    return object->BodyBytes();
}

uint32_t rests::RestClass::GetBodySize(const ScoreObject*) const {
    return kRestBodyBytes;
}

ScoreObject* rests::RestClass::Clone(ScoreObject* object, ScoreView*, PoolSet, PoolSet target) const {
    return CloneObjectBody(object, target);
}

void RegisterRestClass() {
    RegisterObjectClass(ClassOfType(ObjectType::Rest), &rests::TheRestClass());
    RegisterObjectType(TypeCode(ObjectType::Rest), {kTextObjectPool, &ConstructRestRecord});
}

}  // namespace ql
