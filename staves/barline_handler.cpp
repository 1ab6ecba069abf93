// The barline object's class: the operations the selection engine calls on a
// barline. Keys go to the one-key commands, Insert inserts a measure in front of it,
// Delete deletes the measure after it, Properties opens "Barlines". A barline object
// has no ink of its own (the system painter draws barlines) and is never hit,
// created at a click or cloned.
#include "staves/barline_handler.h"

#include "core/constants.h"
#include "core/model/page_records.h"
#include "core/objects/class_table.h"
#include "core/objects/score_object.h"
#include "core/state.h"
#include "platform/win/keys.h"
#include "staves/measure_dialogs.h"
#include "staves/measure_edit.h"

namespace ql {

namespace {

class BarlineClass : public ScoreObjectClass {
  public:
    std::byte* GetBody(ScoreObject* object) const override { return object->BodyBytes(); }
    uint32_t GetBodySize(const ScoreObject*) const override { return kBarlineBodyBytes; }
    int32_t GetAnchorWord(const ScoreObject*) const override { return -1; }
    int HitTest(ScoreObject*, const RecordRect&, HitRecord*) const override { return 0; }
    ScoreObject* CreateAtClick(ScoreObject*, ScoreView*) const override { return nullptr; }
    int EditAttributes(ScoreObject* object, ScoreView* view) const override {
        return BarlinesDialog(view, BarlineOfObject(object)) == 1 ? 1 : 0;
    }
    int HandleDrop(ScoreObject* object, ScoreView* view, ScoreObject*, HitRecord*) const override {
        return DeleteMeasureAtBarline(view, BarlineOfObject(object).measure);
    }
    int OnInsertKey(ScoreObject* object, ScoreView* view, ScoreObject*, HitRecord*) const override {
        return InsertMeasure(view, BarlineOfObject(object).measure);
    }
    int OnKey(ScoreObject* object, ScoreView* view, uint32_t virtualKey) const override {
        const bool ctrl = win::IsKeyDown(win::Key::Control) || State().input.StickyCtrlFlag != 0;
        if (BarlineKey(view, BarlineOfObject(object), static_cast<win::Key>(virtualKey), ctrl)) return 1;
        return ScoreObjectClass::OnKey(object, view, virtualKey);
    }
    int OnEditCommand(ScoreObject*, ScoreView*, int, int) const override { return 0; }
    ScoreObject* Clone(ScoreObject*, ScoreView*, PoolSet, PoolSet) const override { return nullptr; }
};

const BarlineClass& TheBarlineClass() {
    static const BarlineClass instance;
    return instance;
}

void ConstructBarlineHandler(ScoreObject* object) {
    ConstructScoreObject(object);
    object->classId = ClassOfType(ObjectType::Measure);
    object->type = TypeCode(ObjectType::Measure);
    object->subtype = 0;
}

}  // namespace

BarlineBody* BarlineBodyOf(ScoreObject* object) {
    if (object == nullptr || object->type != TypeCode(ObjectType::Measure)) return nullptr;
    return reinterpret_cast<BarlineBody*>(object->BodyBytes());
}

BarlineRef BarlineOfObject(ScoreObject* object) {
    const BarlineBody* body = BarlineBodyOf(object);
    if (body == nullptr) return {};
    BarlineRef barline;
    barline.measure = body->measure;
    if (const ScoreSystem* system = body->system.get()) {
        barline.atSystemStart = body->measure == system->firstMeasure;
        barline.closesSystem = body->measure == system->lastMeasure + 1;
    }
    return barline;
}

ScoreObject* NewBarlineHandler() {
    auto* object = static_cast<ScoreObject*>(AllocRecord(kTextObjectPool));
    if (object != nullptr) ConstructBarlineHandler(object);
    return object;
}

void RegisterBarlineClass() {
    RegisterObjectClass(ClassOfType(ObjectType::Measure), &TheBarlineClass());
    RegisterObjectType(TypeCode(ObjectType::Measure), {kTextObjectPool, &ConstructBarlineHandler});
}

}  // namespace ql
