// Constructors of the stretcher and area prototypes (see runtime_objects.h).
#include "objects/runtime/runtime_objects.h"

#include "objects/stored_classes.h"

namespace ql {

void ConstructStretcherObject(ScoreObject* object) {
    ConstructStoredHeader(object, ObjectType::Stretcher, ObjectSubtype::MeasureTimeList);
    reinterpret_cast<StretcherObject*>(object)->body = StretcherBody{};
}

void ConstructAreaObject(ScoreObject* object) {
    ConstructStoredHeader(object, ObjectType::Area, ObjectSubtype::MeasureTimeList);
    reinterpret_cast<AreaObject*>(object)->body = AreaBody{};
}

}  // namespace ql
