// Event records: allocation, initialisation, head sentinels, copies and clones, and
// freeing chains with their attachments. Pool 4 of the current set.
#include <cstring>
#include <vector>

#include "core/objects/class_table.h"
#include "core/model/events.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "platform/ui/message_box.h"

namespace ql {

EventRecord* AllocEvent(size_t /*size*/) {
    return AllocRecordAs<EventRecord>(kEventRecordPool);
}

void FreeEvent(EventRecord* event) {
    FreeRecord(kEventRecordPool, event);
}

EventRecord* InitEvent(EventRecord* event, uint16_t time, int stemFlag, uint8_t duration,
                       uint8_t step) {
    if (event == nullptr) return nullptr;
    std::memset(event, 0, sizeof(EventRecord));
    event->flags = kEventChordHead | kEventInitialised | (stemFlag ? kEventStemFlag : 0);
    event->stemLength = stemFlag ? -kInitialStemLength : kInitialStemLength;
    event->time = time;
    event->duration = duration;
    event->step = step;
    return event;
}

EventRecord* InitRestEvent(EventRecord* event) {
    if (event == nullptr) return nullptr;
    std::memset(event, 0, sizeof(EventRecord));
    event->flags = kEventChordHead | kEventInitialised;
    event->stemLength = -kInitialStemLength;
    return event;
}

namespace {

void MarkAsSentinel(EventRecord* sentinel) {
    sentinel->time = kSentinelTime;
    sentinel->step = kSentinelStep;
    sentinel->prev = RecordHandle{};
    sentinel->next = RecordHandle{};
}

}  // namespace

EventRecord* InitHeadSentinel(EventRecord* event) {
    if (InitRestEvent(event) != nullptr) MarkAsSentinel(event);
    return event;
}

RecordHandle CreateHeadSentinel(ScoreDocument* document) {
    EventRecord* sentinel = InitHeadSentinel(AllocEvent(sizeof(EventRecord)));
    if (sentinel != nullptr) return HandleOfEvent(sentinel);
    ui::Beep(ui::BeepKind::Default);
    if (document == nullptr) return RecordHandle{};
    sentinel = ResolveEvent(document->headSentinel);
    if (sentinel == nullptr) return RecordHandle{};
    MarkAsSentinel(sentinel);
    return document->headSentinel;
}

EventRecord* CopyEventUnlinked(EventRecord* event, const EventRecord* source) {
    if (event == nullptr || source == nullptr) return event;
    std::memcpy(event, source, sizeof(EventRecord));
    event->flags &= static_cast<uint16_t>(~kEventCopyCleared);
    event->attachment = RecordHandle{};
    event->beamPrev = RecordHandle{};
    event->beamNext = RecordHandle{};
    event->prev = RecordHandle{};
    event->next = RecordHandle{};
    return event;
}

ScoreObject* GetEventAttachment(const EventRecord* event) {
    if (event == nullptr || !event->attachment) return nullptr;
    return FindRecord<ScoreObject>(kTextObjectPool, event->attachment);
}

namespace {

// Clones the attachment chain of `source` (resolved in fromSet) into toSet behind
// `copy`; false when a clone could not be made, and then nothing of the chain is
// left: the clones made are freed and the copy has no attachment.
bool CloneAttachments(const EventRecord* source, EventRecord* copy, ScoreView* view,
                      PoolSet fromSet, PoolSet toSet) {
    ScoreObject* original;
    {
        ScopedPoolSet from(fromSet);
        original = GetEventAttachment(source);
    }
    ScoreObject* last = nullptr;
    for (int i = 0; original != nullptr && i < kMaxChainLength; ++i) {
        ScoreObject* clone = ClassOf(original).Clone(original, view, fromSet, toSet);
        if (clone == nullptr) {
            ScopedPoolSet to(toSet);
            FreeEventAttachment(copy);
            copy->attachment = RecordHandle{};
            return false;
        }
        clone->next = Ref32<ScoreObject>{};
        if (last == nullptr) {
            ScopedPoolSet to(toSet);
            copy->attachment = PtrToHandle(kTextObjectPool, clone);
            clone->prev = Ref32<ScoreObject>::To(reinterpret_cast<ScoreObject*>(copy));
        } else {
            last->next = Ref32<ScoreObject>::To(clone);
            clone->prev = Ref32<ScoreObject>::To(last);
        }
        last = clone;
        original = original->next.get();
    }
    return true;
}

}  // namespace

EventRecord* CloneEvent(const EventRecord* source, ScoreView* view, PoolSet fromSet,
                        PoolSet toSet) {
    if (source == nullptr) return nullptr;
    EventRecord* copy;
    {
        ScopedPoolSet to(toSet);
        copy = AllocEvent(sizeof(EventRecord));
        if (copy == nullptr) return nullptr;
    }
    CopyEventUnlinked(copy, source);
    if (CloneAttachments(source, copy, view, fromSet, toSet)) return copy;
    // A note without its tie, lyric or marks is not its copy: none is made.
    ScopedPoolSet to(toSet);
    FreeEvent(copy);
    return nullptr;
}

void FreeEventAttachment(EventRecord* event) {
    if (State().program.ShutdownFlag) return;
    ScoreObject* first = GetEventAttachment(event);
    if (first == nullptr) return;
    ScoreDocument* document = State().documents.CurrentDocument;
    ReleaseObjectChain(first, document);
    ReleaseObjectByType(document, first);
}

void FreeEventChain(EventRecord* event) {
    if (event == nullptr) return;
    // Collect first, then free from the far end back: the walk never reads a freed
    // record, and a damaged chain that loops stops at the length limit.
    std::vector<EventRecord*> chain;
    for (EventRecord* next = NextEvent(event);
         next != nullptr && next != event && static_cast<int>(chain.size()) < kMaxChainLength;
         next = NextEvent(next)) {
        chain.push_back(next);
    }
    const bool shuttingDown = State().program.ShutdownFlag != 0;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!IsLiveRecord(CurrentPoolSet(), kEventRecordPool, *it)) continue;
        if (!shuttingDown) FreeEventAttachment(*it);
        FreeEvent(*it);
    }
    event->next = RecordHandle{};
}

}  // namespace ql
