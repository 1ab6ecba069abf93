// The barline object's class: the operations the selection engine calls on a
// barline. Keys go to the one-key commands, Insert inserts a measure in front of it,
// Delete deletes the measure after it, Properties opens "Barlines". A barline object
// has no ink of its own (the system painter draws barlines) and is never hit,
// created at a click or cloned.
#include "staves/barline_handler.h"

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/page_records.h"
#include "core/objects/class_table.h"
#include "core/objects/handle_flags.h"
#include "core/objects/score_object.h"
#include "core/objects/selection_state.h"
#include "core/state.h"
#include "platform/win/input.h"
#include "platform/win/keys.h"
#include "staves/barline_drag.h"
#include "staves/barline_edits.h"
#include "staves/barline_follow.h"
#include "staves/measure_dialogs.h"
#include "staves/measure_edit.h"

namespace ql {

namespace {

constexpr int kFollowedObjectPool = 1;

class BarlineClass : public ScoreObjectClass {
  public:
    std::byte* GetBody(ScoreObject* object) const override { return object->BodyBytes(); }
    uint32_t GetBodySize(const ScoreObject*) const override { return kBarlineBodyBytes; }
    int32_t GetAnchorWord(const ScoreObject*) const override { return -1; }
    int HitTest(ScoreObject*, const RecordRect&, HitRecord*) const override { return 0; }
    ScoreObject* CreateAtClick(ScoreObject*, ScoreView*) const override { return nullptr; }
    int EditAttributes(ScoreObject* object, ScoreView* view) const override {
        return EditBarlineAttributes(view, BarlineOfObject(object)) == 1 ? 1 : 0;
    }
    // The selection engine sends Delete to the type's prototype with the focused
    // barline as the target; without a target the object is the barline itself.
    int HandleDrop(ScoreObject* object, ScoreView* view, ScoreObject* target, HitRecord*) const override {
        return DeleteMeasureAtBarline(view, BarlineOfObject(target != nullptr ? target : object).measure);
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

    int FollowLocation(ScoreObject* object, ScoreView* view) const override { return FollowBarlines(object, view); }
    HitRecord* BuildHandles(ScoreObject* object, ScoreView* view) const override {
        return BuildBarlineHandles(object, view);
    }
    void TrackDrag(ScoreObject* object, ScoreView* view) const override { TrackBarlineDrag(object, view); }
    void DrawTracking(ScoreObject* object, ScoreView* view) const override { DrawBarlineTracking(object, view); }
    void EraseTracking(ScoreObject* object, ScoreView* view) const override { DrawBarlineTracking(object, view); }
    void SetToolCursor(ScoreObject*, int32_t, int32_t kind) const override { SetBarlineCursor(kind); }
    // The engine calls this when the barline becomes the focus: a drag that follows
    // starts free of the follow hold, and without Ctrl the grabbed handle loses its
    // whole-object flag, so that the drag tracks the handle instead of moving the object.
    void ReleaseCache(ScoreObject*, ScoreView*) const override {
        SetBarlineFollowSuppressed(false);
        SelectionState* s = TheSelectionState();
        HitRecord* grabbed = s != nullptr ? s->grabbedRecord.get() : nullptr;
        if (grabbed != nullptr && !win::IsKeyDown(win::Key::Control) && State().input.StickyCtrlFlag == 0)
            grabbed->flags = static_cast<uint16_t>(grabbed->flags & ~kHandleMovesWhole);
    }
    int CommitDrag(ScoreObject* object, ScoreView* view) const override { return CommitBarlineDrag(object, view); }
    // Shift: the barline's measure is spaced again from its notes.
    void Invalidate(ScoreObject* object, ScoreView* view) const override { RespaceBarlineMeasure(object, view); }
    ScoreObject* PasteCopy(ScoreObject* object, ScoreView* view) const override {
        PasteBlockAtBarline(object, view);
        return nullptr;
    }
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
    // Static pool 1: a reset of the selection empties it with the list they live in.
    auto* object = static_cast<ScoreObject*>(AllocStaticRecord(kFollowedObjectPool));
    if (object != nullptr) ConstructBarlineHandler(object);
    return object;
}

void RegisterBarlineClass() {
    RegisterObjectClass(ClassOfType(ObjectType::Measure), &TheBarlineClass());
    RegisterObjectType(TypeCode(ObjectType::Measure), {kTextObjectPool, &ConstructBarlineHandler});
}

}  // namespace ql
