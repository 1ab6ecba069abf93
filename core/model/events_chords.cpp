// Walks over event chains: chords (events at one time) and beam groups (links kept
// in chord heads). A link that does not resolve to a live record ends a walk; the
// head sentinel (time 0xFFFF) is never returned.
#include "core/constants.h"
#include "core/model/events.h"

namespace ql {

EventRecord* ResolveEvent(RecordHandle handle) {
    return FindRecord<EventRecord>(kEventRecordPool, handle);
}

RecordHandle HandleOfEvent(const EventRecord* event) {
    if (event == nullptr) return RecordHandle{};
    return PtrToHandle(kEventRecordPool, event);
}

EventRecord* NextEvent(const EventRecord* event) {
    return event == nullptr ? nullptr : ResolveEvent(event->next);
}

EventRecord* PrevEvent(const EventRecord* event) {
    return event == nullptr ? nullptr : ResolveEvent(event->prev);
}

namespace {

// A real (non-sentinel) event, or null.
EventRecord* RealOrNull(EventRecord* event) {
    return (event == nullptr || IsHeadSentinel(*event)) ? nullptr : event;
}

}  // namespace

int IsFirstOfChord(const EventRecord* event) {
    if (event == nullptr) return 0;
    if (!event->prev) return 1;
    const EventRecord* prev = PrevEvent(event);
    if (prev == nullptr) return 0;
    return prev->time != event->time ? 1 : 0;
}

int IsLastOfChord(const EventRecord* event) {
    if (event == nullptr) return 0;
    if (!event->next) return 1;
    const EventRecord* next = NextEvent(event);
    if (next == nullptr) return 0;
    return next->time != event->time ? 1 : 0;
}

int IsChordEndByDirection(const EventRecord* event) {
    if (event == nullptr) return 0;
    if ((event->flags & kEventStemFlag) != 0) return IsLastOfChord(event);
    if (!event->prev) return 0;
    const EventRecord* prev = PrevEvent(event);
    return (prev != nullptr && prev->time != event->time) ? 1 : 0;
}

EventRecord* GetFirstEventOfChord(EventRecord* event) {
    if (event == nullptr) return nullptr;
    const PoolResolver<EventRecord> events(kEventRecordPool);
    for (int i = 0; i < kMaxChainLength; ++i) {
        EventRecord* prev = RealOrNull(events.Find(event->prev));
        if (prev == nullptr || prev->time != event->time) break;
        event = prev;
    }
    return event;
}

EventRecord* GetLastEventOfChord(EventRecord* event) {
    if (event == nullptr) return nullptr;
    for (int i = 0; i < kMaxChainLength; ++i) {
        EventRecord* next = NextEvent(event);
        if (next == nullptr || next->time != event->time) break;
        event = next;
    }
    return event;
}

EventRecord* GetChordEndByDirection(EventRecord* event) {
    if (event == nullptr) return nullptr;
    return (event->flags & kEventStemFlag) ? GetLastEventOfChord(event)
                                           : GetFirstEventOfChord(event);
}

EventRecord* GetChordStartByDirection(EventRecord* event) {
    if (event == nullptr) return nullptr;
    return (event->flags & kEventStemFlag) ? GetFirstEventOfChord(event)
                                           : GetLastEventOfChord(event);
}

EventRecord* GetChordMember(EventRecord* event) {
    EventRecord* next = GetNextChordEvent(event);
    return next == nullptr ? nullptr : GetChordStartByDirection(next);
}

EventRecord* GetPrevEventSameTime(const EventRecord* event) {
    EventRecord* prev = RealOrNull(PrevEvent(event));
    return (prev != nullptr && prev->time == event->time) ? prev : nullptr;
}

EventRecord* GetNextEventSameTime(const EventRecord* event) {
    if (event == nullptr) return nullptr;
    EventRecord* next = PoolResolver<EventRecord>(kEventRecordPool).Find(event->next);
    return (next != nullptr && next->time == event->time) ? next : nullptr;
}

EventRecord* GetPrevChordEvent(EventRecord* event) {
    if (event == nullptr) return nullptr;
    EventRecord* walk = event;
    for (int i = 0; i < kMaxChainLength; ++i) {
        walk = RealOrNull(PrevEvent(walk));
        if (walk == nullptr) return nullptr;
        if (walk->time != event->time) return walk;
    }
    return nullptr;
}

EventRecord* GetNextChordEvent(EventRecord* event) {
    if (event == nullptr) return nullptr;
    const PoolResolver<EventRecord> events(kEventRecordPool);
    EventRecord* walk = event;
    for (int i = 0; i < kMaxChainLength; ++i) {
        walk = events.Find(walk->next);
        if (walk == nullptr) return nullptr;
        if (walk->time != event->time || IsHeadSentinel(*event)) return walk;
    }
    return nullptr;
}

EventRecord* GetFirstEventOfNextChord(EventRecord* event) {
    return GetFirstEventOfChord(GetPrevChordEvent(event));
}

EventRecord* GetPrevRealEvent(const EventRecord* event) {
    return RealOrNull(PrevEvent(event));
}

EventRecord* SeekEventForwardToTime(EventRecord* event, int tick) {
    if (event == nullptr) return nullptr;
    if (!IsHeadSentinel(*event) && event->time >= tick) return event;
    for (int i = 0; i < kMaxChainLength && event != nullptr; ++i) {
        event = GetNextChordEvent(event);
        if (event != nullptr && event->time >= tick) return event;
    }
    return nullptr;
}

EventRecord* SeekEventToTime(EventRecord* event, int tick) {
    if (event == nullptr || IsHeadSentinel(*event)) return nullptr;
    if (event->time == tick) {
        EventRecord* prev = GetPrevRealEvent(event);
        return prev != nullptr ? prev : event;
    }
    if (event->time > tick) return event;
    EventRecord* last = event;
    for (int i = 0; i < kMaxChainLength; ++i) {
        EventRecord* next = GetNextChordEvent(last);
        if (next == nullptr || next->time >= tick) break;
        last = next;
    }
    return last;
}

// ---- Beam groups ----

int IsChordBeamed(EventRecord* event) {
    EventRecord* head = GetFirstEventOfChord(event);
    if (head == nullptr) return 0;
    return (head->beamPrev || head->beamNext) ? 1 : 0;
}

RecordHandle GetChordBeamNextHandle(EventRecord* event) {
    EventRecord* head = GetFirstEventOfChord(event);
    return head == nullptr ? RecordHandle{} : head->beamPrev;
}

RecordHandle GetChordBeamPrevHandle(EventRecord* event) {
    EventRecord* head = GetFirstEventOfChord(event);
    return head == nullptr ? RecordHandle{} : head->beamNext;
}

EventRecord* GetBeamPrevChord(const EventRecord* event) {
    if (event == nullptr) return nullptr;
    return RealOrNull(ResolveEvent(event->beamPrev));
}

EventRecord* GetLastChordOfBeamGroup(EventRecord* event) {
    EventRecord* head = GetFirstEventOfChord(event);
    for (int i = 0; head != nullptr && i < kMaxChainLength; ++i) {
        if (!head->beamPrev) return head;
        EventRecord* prev = ResolveEvent(head->beamPrev);
        if (prev == nullptr) return head;
        if (IsHeadSentinel(*prev)) return nullptr;
        head = prev;
    }
    return nullptr;
}

EventRecord* GetFirstChordOfBeamGroup(EventRecord* event) {
    EventRecord* head = GetFirstEventOfChord(event);
    for (int i = 0; head != nullptr && i < kMaxChainLength; ++i) {
        EventRecord* next = RealOrNull(ResolveEvent(head->beamNext));
        if (next == nullptr) return head;
        head = next;
    }
    return nullptr;
}

int CountBeamGroupChords(EventRecord* event) {
    EventRecord* head = GetLastChordOfBeamGroup(event);
    if (head == nullptr) return 0;
    int count = 1;
    for (; count < kMaxChainLength; ++count) {
        head = RealOrNull(ResolveEvent(head->beamNext));
        if (head == nullptr) break;
    }
    return count;
}

int GetBeamGroupLastEvent(EventRecord* event) {
    EventRecord* last = GetFirstChordOfBeamGroup(event);
    if (last == nullptr || event == nullptr) return 0;
    return last->time + EventDurationTicks(*last) - event->time;
}

EventRecord* GetEventAfterBeamGroupStart(EventRecord* event) {
    return GetNextChordEvent(GetFirstChordOfBeamGroup(event));
}

EventRecord* CountBeamGroupEvents(EventRecord* event) {
    EventRecord* first = GetLastChordOfBeamGroup(event);
    EventRecord* before = GetPrevChordEvent(first);
    return before == nullptr ? nullptr : GetLastChordOfBeamGroup(before);
}

EventRecord* GetAdjacentChordEvent(EventRecord* event) {
    EventRecord* next = NextEvent(event);
    if (next == nullptr) return nullptr;
    if (next->time == event->time) return next;
    return next->beamPrev ? next : nullptr;
}

EventRecord* GetBeamGroupStartAtTick(EventRecord* head, int tick) {
    EventRecord* found = nullptr;
    EventRecord* chord = head;
    for (int i = 0; i < kMaxChainLength; ++i) {
        chord = GetNextChordEvent(chord);
        if (chord == nullptr) return nullptr;
        if (chord->time >= tick) {
            found = chord;
            break;
        }
    }
    if (found == nullptr || !IsChordBeamed(found)) return nullptr;
    return GetLastChordOfBeamGroup(found);
}

}  // namespace ql
