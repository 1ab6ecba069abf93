// Linking events into and out of a voice chain, keeping chord heads and beam groups
// consistent. A new event at an existing time joins that chord by staff step; a
// lower step makes it the chord's head, which takes over the beam links and keeps
// the stem end where it was. Every change marks the document modified.
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/score_document.h"

namespace ql {

namespace {

constexpr int kStemFieldBits = 0x3F;   // six-bit stem field
constexpr int kStemWordHighShift = 9;  // bits 9-15 read as a number
constexpr uint8_t kLongestBeamedDuration = kDurationEighth;

int StemField(uint16_t stemWord) {
    return (stemWord & kStemFieldMask) >> kStemFieldShift;
}

void SetStemField(EventRecord& event, int value) {
    event.stemWord = static_cast<uint16_t>((event.stemWord & ~kStemFieldMask) |
                                           ((value & kStemFieldBits) << kStemFieldShift));
}

// Points the beam neighbours of `head` (its beamPrev and beamNext chords) at it.
void RelinkBeamNeighbours(EventRecord* head) {
    RecordHandle self = HandleOfEvent(head);
    if (EventRecord* prev = ResolveEvent(head->beamPrev); prev && !IsHeadSentinel(*prev))
        prev->beamNext = self;
    if (EventRecord* next = ResolveEvent(head->beamNext); next && !IsHeadSentinel(*next))
        next->beamPrev = self;
}

// The start of the chain that holds `at`: its head sentinel, or the earliest event
// that can be reached.
EventRecord* ChainStart(EventRecord* at) {
    for (int i = 0; i < kMaxChainLength && !IsHeadSentinel(*at); ++i) {
        EventRecord* prev = PrevEvent(at);
        if (prev == nullptr) break;
        at = prev;
    }
    return at;
}

bool SortsAfter(const EventRecord& member, const EventRecord& newEvent) {
    if (IsHeadSentinel(member)) return false;
    if (member.time != newEvent.time) return member.time > newEvent.time;
    return SignedStep(member) > SignedStep(newEvent);
}

}  // namespace

EventRecord* InsertEventAfter(EventRecord* event, ScoreDocument* document, EventRecord* newEvent) {
    if (event == nullptr || newEvent == nullptr || event == newEvent) return nullptr;
    RecordHandle self = HandleOfEvent(newEvent);
    RecordHandle at = HandleOfEvent(event);
    if (!self || !at) return nullptr;
    EventRecord* next = NextEvent(event);
    newEvent->prev = at;
    newEvent->next = next ? event->next : RecordHandle{};
    if (next != nullptr) next->prev = self;
    event->next = self;
    SetDocumentModified(document);
    return newEvent;
}

EventRecord* InsertEventBefore(EventRecord* event, ScoreDocument* document, EventRecord* newEvent) {
    if (event == nullptr) return nullptr;
    EventRecord* prev = IsHeadSentinel(*event) ? nullptr : PrevEvent(event);
    return InsertEventAfter(prev != nullptr ? prev : event, document, newEvent);
}

EventRecord* InsertEventGroup(EventRecord* at, ScoreDocument* document, EventRecord* newEvent) {
    if (at == nullptr || newEvent == nullptr) return nullptr;
    EventRecord* cursor = ChainStart(at);
    if (!IsHeadSentinel(*cursor) && SortsAfter(*cursor, *newEvent)) {
        return InsertEventBefore(cursor, document, newEvent);
    }
    for (int i = 0; i < kMaxChainLength; ++i) {
        EventRecord* next = NextEvent(cursor);
        if (next == nullptr || SortsAfter(*next, *newEvent)) break;
        cursor = next;
    }
    return InsertEventAfter(cursor, document, newEvent);
}

void TransferChordHead(EventRecord* newHead, EventRecord* oldHead) {
    if (newHead == nullptr || oldHead == nullptr) return;
    newHead->nudge = oldHead->nudge;
    newHead->beamPrev = oldHead->beamPrev;
    newHead->beamNext = oldHead->beamNext;
    newHead->flags |= kEventChordHead;
    oldHead->flags &= static_cast<uint16_t>(~kEventChordHead);
    oldHead->beamPrev = RecordHandle{};
    oldHead->beamNext = RecordHandle{};
    RelinkBeamNeighbours(newHead);
    // Keep the stem end in place: the stem field counts steps from the head.
    int d = SignedStep(*newHead) - SignedStep(*oldHead);
    SetStemField(*newHead, (oldHead->stemWord >> kStemWordHighShift) - d);
    if (oldHead->stemLength >= 0) {
        newHead->stemLength = static_cast<int16_t>(oldHead->stemLength - kUnitsPerStaffStep * d);
    }
}

namespace {

// A new chord inside a beam group: an eighth or shorter joins the group between
// the chord before and `next`; a longer value splits the group there.
void FitNewChordIntoBeam(EventRecord* newEvent, EventRecord* next) {
    if (next == nullptr || !next->beamPrev) return;
    EventRecord* earlier = ResolveEvent(next->beamPrev);
    if (newEvent->duration <= kLongestBeamedDuration) {
        newEvent->beamPrev = next->beamPrev;
        newEvent->beamNext = HandleOfEvent(next);
        RelinkBeamNeighbours(newEvent);
        return;
    }
    if (earlier != nullptr && !IsHeadSentinel(*earlier)) earlier->beamNext = RecordHandle{};
    next->beamPrev = RecordHandle{};
}

}  // namespace

void LayoutWalkEventChain(EventRecord* at, ScoreView* view, EventRecord* newEvent) {
    if (at == nullptr || newEvent == nullptr) return;
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    EventRecord* linked = (IsHeadSentinel(*at) && !at->next)
                              ? InsertEventAfter(at, document, newEvent)
                              : InsertEventGroup(at, document, newEvent);
    if (linked == nullptr) return;
    if (GetPrevEventSameTime(newEvent) != nullptr) return;  // a later chord member
    EventRecord* next = NextEvent(newEvent);
    if (next != nullptr && next->time == newEvent->time) {
        TransferChordHead(newEvent, next);  // the chord's new head
        return;
    }
    FitNewChordIntoBeam(newEvent, next);
    newEvent->flags |= kEventChordHead;
    newEvent->stemWord &= static_cast<uint16_t>(~kStemFieldMask);
}

EventRecord* UnlinkEvent(EventRecord* event, ScoreDocument* document) {
    if (event == nullptr) return nullptr;
    EventRecord* prev = PrevEvent(event);
    EventRecord* next = NextEvent(event);
    if (prev != nullptr) prev->next = next ? HandleOfEvent(next) : RecordHandle{};
    if (next != nullptr) next->prev = prev ? HandleOfEvent(prev) : RecordHandle{};
    event->beamPrev = RecordHandle{};
    event->beamNext = RecordHandle{};
    event->prev = RecordHandle{};
    event->next = RecordHandle{};
    SetDocumentModified(document);
    return event;
}

void UnlinkChord(EventRecord* event, ScoreDocument* document) {
    if (event == nullptr || IsHeadSentinel(*event)) return;
    const bool first = IsFirstOfChord(event) != 0;
    EventRecord* sameNext = GetNextEventSameTime(event);
    if (first && sameNext != nullptr) {
        TransferChordHead(sameNext, event);
    } else if (first) {
        // The only member: join the beam neighbours past it.
        EventRecord* before = GetBeamPrevChord(event);
        EventRecord* after = ResolveEvent(event->beamNext);
        if (after != nullptr && IsHeadSentinel(*after)) after = nullptr;
        if (before != nullptr) before->beamNext = after ? HandleOfEvent(after) : RecordHandle{};
        if (after != nullptr) after->beamPrev = before ? HandleOfEvent(before) : RecordHandle{};
    } else if (sameNext != nullptr) {
        // A middle member: the head's stem field keeps counting from the right step.
        EventRecord* head = GetFirstEventOfChord(event);
        EventRecord* before = GetPrevEventSameTime(event);
        if (head != nullptr && before != nullptr) {
            SetStemField(*head, StemField(head->stemWord) + (before->step - event->step));
        }
    }
    UnlinkEvent(event, document);
}

}  // namespace ql
