// The MIDI-carrying text object: an outer pool-9 record of a MidiAction followed by a
// text object. The program passes the inner text object; the action sits right before
// it. Copies between pool sets read the source's string and data in the source set
// and allocate in the target set, restoring the current set on every path.
#include "core/objects/midi_action_text.h"

#include <algorithm>
#include <cstring>

namespace ql {

namespace {

// Copies the source's data bytes into a new record of the same pool in targetSet.
bool CopyActionData(MidiAction* target, const MidiAction& source, PoolSet sourceSet,
                    PoolSet targetSet) {
    if (!IsDataCarrying(source) || !source.head.data.handle || source.head.data.length == 0)
        return true;
    const std::byte* from = nullptr;
    {
        ScopedPoolSet reading(sourceSet);
        from = MidiActionDataBytes(source);
    }
    int pool = source.head.data.pool;
    ScopedPoolSet allocating(targetSet);
    void* copy = from != nullptr ? AllocRecord(pool) : nullptr;
    if (copy == nullptr) return false;
    std::memcpy(copy, from, std::min<size_t>(source.head.data.length, PoolSlotBytes(pool)));
    target->head.data.handle = PtrToHandle(pool, copy);
    return true;
}

}  // namespace

int WriteObjectWithMidiAction(ScoreObject* text, ScoreByteWriter write) {
    if (text == nullptr || WriteTextObjectString(AsTextObject(text), write) == 0) return 0;
    return WriteMidiAction(MidiActionOfText(text), write) == kMidiActionFileBytes ? 1 : 0;
}

int ReadObjectWithMidiAction(ScoreObject* text, ScoreByteReader read) {
    if (text == nullptr || ReadTextObjectString(AsTextObject(text), read) == 0) return 0;
    return ReadMidiAction(MidiActionOfText(text), read) == kMidiActionFileBytes ? 1 : 0;
}

int CopyObjectWithMidiAction(ScoreObject* target, const ScoreObject* source, PoolSet sourceSet,
                             PoolSet targetSet) {
    ScopedPoolSet saved(CurrentPoolSet());
    target->type = source->type;
    target->subtype = source->subtype;
    if (!CopyTextObjectBody(AsTextObject(target), AsTextObject(source)->body, sourceSet, targetSet))
        return 0;
    const MidiAction& from = *MidiActionOfText(const_cast<ScoreObject*>(source));
    MidiAction* to = MidiActionOfText(target);
    ClassId actionClass = to->classId;
    *to = from;
    to->classId = actionClass;
    to->head.data.handle = RecordHandle{};
    if (!IsDataCarrying(from)) to->head = from.head;
    if (!CopyActionData(to, from, sourceSet, targetSet)) {
        MakePlainAction(to);  // its handle was never set: nothing to free
        return 0;
    }
    return 1;
}

ScoreObject* CloneObjectWithMidiAction(const ScoreObject* source, PoolSet sourceSet,
                                       PoolSet targetSet) {
    ScopedPoolSet allocating(targetSet);
    auto* outer = static_cast<MidiTextRecord*>(AllocRecord(kMidiTextRecordPool));
    if (outer == nullptr) return nullptr;
    ConstructMidiAction(&outer->action);
    TextObject* text = AsTextObject(&outer->text);
    ConstructTextObject(text);
    const MidiAction* sourceAction = MidiActionOfText(const_cast<ScoreObject*>(source));
    outer->action.classId = sourceAction->classId;
    text->header.classId = source->classId;
    if (CopyObjectWithMidiAction(&text->header, source, sourceSet, targetSet)) return &text->header;
    DestroyMidiAction(&outer->action);
    DestroyTextObject(text);
    FreeObjectWithMidiAction(outer);
    return nullptr;
}

ScoreObject* MidiTextObjectClass::Clone(ScoreObject* object, ScoreView*, PoolSet source,
                                        PoolSet target) const {
    return CloneObjectWithMidiAction(object, source, target);
}

const MidiTextObjectClass& TheMidiTextObjectClass() {
    static const MidiTextObjectClass instance;
    return instance;
}

void RegisterMidiTextObjectClass() {
    RegisterObjectClass(kMidiTextObjectClass, &TheMidiTextObjectClass());
}

}  // namespace ql
