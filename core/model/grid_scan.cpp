// ScanCurrentCellVoice: checks one voice of the view's current cell and mends it.
//
// In order: (1) broken back links of the event chain cut the chain there, broken
// beam back links are cleared; (2) the element list is cut where a back link fails;
// (3) events out of time/step order cut the chain before them, a duplicate (same
// time and step) is unlinked; (4) elements out of order cut the list; (5) the voice
// is moved to start at tick 0; (6) items must follow each other within 16 ticks:
// the walk stops at the first gap or overlap and the rest is cut off. Every check
// runs, each on what the ones before left. Records cut
// off are not freed: a damaged chain may still be linked from elsewhere, and freeing
// them could free a record twice. The result is 1 when nothing had to be mended.
#include <vector>

#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"

namespace ql {

namespace {

constexpr int kMaxElements = 64 * 1024;

bool BeamLinksLeadBack(EventRecord* event) {
    bool good = true;
    RecordHandle self = HandleOfEvent(event);
    if (event->beamPrev) {
        EventRecord* prev = ResolveEvent(event->beamPrev);
        if (prev == nullptr || IsHeadSentinel(*prev) || !(prev->beamNext == self)) {
            event->beamPrev = RecordHandle{};
            good = false;
        }
    }
    if (event->beamNext) {
        EventRecord* next = ResolveEvent(event->beamNext);
        if (next == nullptr || IsHeadSentinel(*next) || !(next->beamPrev == self)) {
            event->beamNext = RecordHandle{};
            good = false;
        }
    }
    return good;
}

// (1) Back links of the chain and of beam groups.
bool CheckChainLinks(EventRecord* head) {
    bool good = true;
    EventRecord* before = head;
    for (int i = 0; i < kMaxChainLength && before->next; ++i) {
        EventRecord* event = ResolveEvent(before->next);
        if (event == nullptr || event == head || !(event->prev == HandleOfEvent(before))) {
            before->next = RecordHandle{};
            return false;
        }
        if ((event->flags & kEventChordHead) && !BeamLinksLeadBack(event)) good = false;
        before = event;
    }
    if (before->next) {  // a loop longer than any chain can be
        before->next = RecordHandle{};
        good = false;
    }
    return good;
}

// (2) Back links of the element list.
bool CheckElementLinks(ScoreObject* list) {
    ScoreObject* before = list;
    for (int i = 0; i < kMaxElements && before->next; ++i) {
        ScoreObject* element = before->next.get();
        if (element == list || element->prev.get() != before) {
            before->next = Ref32<ScoreObject>{};
            return false;
        }
        before = element;
    }
    return true;
}

// (3) Time and step order of the events.
bool CheckEventOrder(EventRecord* head, ScoreDocument* document) {
    EventRecord* before = NextEvent(head);
    for (int i = 0; before != nullptr && i < kMaxChainLength; ++i) {
        EventRecord* event = NextEvent(before);
        if (event == nullptr) return true;
        if (event->time == before->time && event->step == before->step) {
            UnlinkEvent(event, document);
            return false;
        }
        if (event->time < before->time ||
            (event->time == before->time && SignedStep(*event) < SignedStep(*before))) {
            before->next = RecordHandle{};
            if (EventRecord* chordHead = GetFirstEventOfChord(before))
                chordHead->beamNext = RecordHandle{};
            return false;
        }
        before = event;
    }
    return true;
}

// (4) Time order of the elements.
bool CheckElementOrder(ScoreObject* list) {
    ScoreObject* element = list->next.get();
    for (int i = 0; element != nullptr && i < kMaxElements; ++i) {
        ScoreObject* next = element->next.get();
        if (next == nullptr) return true;
        if (ElementTime(next) < ElementTime(element)) {
            element->next = Ref32<ScoreObject>{};
            return false;
        }
        element = next;
    }
    return true;
}

void SetChordTime(EventRecord* chord, uint16_t time) {
    const uint16_t old = chord->time;
    for (int i = 0; chord != nullptr && chord->time == old && i < kMaxChainLength; ++i) {
        EventRecord* next = NextEvent(chord);
        chord->time = time;
        chord = next;
    }
}

// (5) The voice starts at tick 0.
bool CheckStart(EventRecord* head, ScoreObject* list) {
    EventRecord* firstEvent = NextEvent(head);
    ScoreObject* firstElement = list != nullptr ? list->next.get() : nullptr;
    if (firstEvent != nullptr && firstEvent->time != 0) {
        if (firstElement == nullptr) {
            SetChordTime(firstEvent, 0);
            return false;
        }
        if (ElementTime(firstElement) == 0) return true;
        if (ElementTime(firstElement) <= firstEvent->time) {
            SetElementTime(firstElement, 0);
            SetChordTime(firstEvent, static_cast<uint16_t>(ElementDurationTicks(firstElement)));
        } else {
            SetChordTime(firstEvent, 0);
            SetElementTime(firstElement, static_cast<uint16_t>(EventDurationTicks(*firstEvent)));
        }
        return false;
    }
    if (firstEvent == nullptr && firstElement != nullptr && ElementTime(firstElement) != 0) {
        SetElementTime(firstElement, 0);
        return false;
    }
    return true;
}

// (6) Contiguity: chords and elements in time order, each within 16 ticks of the
// running end.
bool CheckContiguity(EventRecord* head, ScoreObject* list) {
    EventRecord* chord = NextEvent(head);
    ScoreObject* element = list != nullptr ? list->next.get() : nullptr;
    EventRecord* lastChord = nullptr;
    ScoreObject* lastElement = nullptr;
    int end = 0;
    for (int i = 0; (chord != nullptr || element != nullptr) && i < kMaxChainLength; ++i) {
        const bool takeElement =
            element != nullptr && (chord == nullptr || ElementTime(element) <= chord->time);
        const int time = takeElement ? ElementTime(element) : chord->time;
        if (time - end >= kTickTolerance || end - time >= kTickTolerance) {
            if (list != nullptr) {
                ScoreObject* keep = lastElement != nullptr ? lastElement : list->next.get();
                if (keep != nullptr) keep->next = Ref32<ScoreObject>{};
            } else if (lastChord != nullptr) {
                GetLastEventOfChord(lastChord)->next = RecordHandle{};
                lastChord->beamNext = RecordHandle{};
            }
            return false;
        }
        if (takeElement) {
            end = time + ElementDurationTicks(element);
            lastElement = element;
            element = element->next.get();
        } else {
            end = time + EventDurationTicks(*chord);
            lastChord = chord;
            chord = GetNextChordEvent(chord);
        }
    }
    return true;
}

}  // namespace

int ScanCurrentCellVoice(ScoreView* view, int voice) {
    if (view == nullptr || view->currentCell == nullptr || voice < 0 || voice >= kVoiceCount)
        return 0;
    MeasureCell* cell = view->currentCell;
    EventRecord* head = GetVoiceHead(cell, voice);
    if (cell->voices[voice] && head == nullptr) return 0;
    ScoreObject* list = GetVoiceElementList(cell, voice);
    if (cell->elementLists[voice] && list == nullptr) return 0;
    EventRecord emptyHead{};
    emptyHead.time = kSentinelTime;
    emptyHead.step = kSentinelStep;
    if (head == nullptr) head = &emptyHead;
    bool consistent = CheckChainLinks(head);
    if (list != nullptr) consistent = CheckElementLinks(list) && consistent;
    consistent = CheckEventOrder(head, view->document) && consistent;
    if (list != nullptr) consistent = CheckElementOrder(list) && consistent;
    consistent = CheckStart(head, list) && consistent;
    consistent = CheckContiguity(head, list) && consistent;
    return consistent ? 1 : 0;
}

}  // namespace ql
