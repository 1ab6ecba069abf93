// Voices of a measure cell: heads, element lists, lookups by tick with the 16-tick
// tolerance, shifting items in time, and the room left in a voice.
#include <algorithm>

#include "core/objects/class_table.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/model_reports.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"

namespace ql {

namespace {

// Rest body fields used by the model (the rest owns the rest of its body).
constexpr size_t kElementTimeOffset = 0;
constexpr size_t kElementDurationOffset = 3;
constexpr size_t kElementPositionOffset = 5;
constexpr size_t kElementTupletKindOffset = 6;
constexpr size_t kElementTupletValueOffset = 7;
constexpr size_t kElementExtraRatioOffset = 8;
constexpr size_t kElementFlagsOffset = 9;
constexpr uint8_t kElementDotsMask = 0x03;
constexpr int kNibbleBits = 4;
constexpr int kNibbleMask = 0x0F;
constexpr uint8_t kRestType = static_cast<uint8_t>(ObjectType::Rest);
constexpr int kMaxElements = 64 * 1024;
constexpr int kAddEventReportLine = 1040;

uint8_t BodyByte(const ScoreObject* element, size_t offset) {
    return static_cast<uint8_t>(element->BodyBytes()[offset]);
}

bool IsValidVoice(int voice) {
    return voice >= 0 && voice < kVoiceCount;
}

// The static fallback head: never stored in a cell, renewed on every use.
EventRecord* FallbackSentinel() {
    static EventRecord fallback;
    fallback = EventRecord{};
    fallback.time = kSentinelTime;
    fallback.step = kSentinelStep;
    return &fallback;
}

ScoreObject* NewElementListHeader() {
    ScoreObject* header = ConstructObject(kRestType);
    if (header == nullptr && FindObjectType(kRestType).construct == nullptr) {
        // Rests are not registered (no rest class in this build): a bare head of
        // the rest's type serves as the list header.
        header = static_cast<ScoreObject*>(AllocRecord(kTextObjectPool));
        if (header != nullptr) {
            ConstructScoreObject(header);
            header->type = kRestType;
        }
    }
    if (header == nullptr) return nullptr;
    SetElementTime(header, kSentinelTime);
    header->BodyBytes()[kElementPositionOffset] = static_cast<std::byte>(kSentinelStep);
    return header;
}

}  // namespace

uint16_t ElementTime(const ScoreObject* element) {
    return LoadField<uint16_t>(element->BodyBytes() + kElementTimeOffset);
}

void SetElementTime(ScoreObject* element, uint16_t time) {
    StoreField<uint16_t>(element->BodyBytes() + kElementTimeOffset, time);
}

void SetElementPosition(ScoreObject* element, int8_t position) {
    element->BodyBytes()[kElementPositionOffset] = static_cast<std::byte>(position);
}

int ElementDurationTicks(const ScoreObject* element) {
    uint8_t value = BodyByte(element, kElementTupletValueOffset);
    uint8_t extra = BodyByte(element, kElementExtraRatioOffset);
    return ComputeDurationTicks(BodyByte(element, kElementTupletKindOffset),
                                BodyByte(element, kElementFlagsOffset) & kElementDotsMask,
                                BodyByte(element, kElementDurationOffset), extra, value,
                                value >> kNibbleBits, value & kNibbleMask, extra >> kNibbleBits,
                                extra & kNibbleMask);
}

uint8_t ElementDurationCode(const ScoreObject* element) {
    return BodyByte(element, kElementDurationOffset);
}

bool IsElementInTuplet(const ScoreObject* element) {
    return BodyByte(element, kElementTupletKindOffset) != 0 ||
           BodyByte(element, kElementExtraRatioOffset) != 0;
}

EventRecord* GetVoiceHead(MeasureCell* cell, int voice) {
    if (cell == nullptr || !IsValidVoice(voice)) return nullptr;
    return ResolveEvent(cell->voices[voice]);
}

EventRecord* GetVoiceFirstEvent(MeasureCell* cell, int voice) {
    return NextEvent(GetVoiceHead(cell, voice));
}

EventRecord* GetOrCreateVoiceChain(MeasureCell* cell, ScoreDocument* document, int voice) {
    if (cell == nullptr || !IsValidVoice(voice)) return FallbackSentinel();
    if (EventRecord* head = GetVoiceHead(cell, voice)) return head;
    RecordHandle handle = CreateHeadSentinel(document);
    EventRecord* head = ResolveEvent(handle);
    if (head == nullptr) return FallbackSentinel();
    head->next = RecordHandle{};
    cell->voices[voice] = handle;
    return head;
}

ScoreObject* GetVoiceElementList(MeasureCell* cell, int voice) {
    if (cell == nullptr || !IsValidVoice(voice) || !cell->elementLists[voice]) return nullptr;
    return FindRecord<ScoreObject>(kTextObjectPool, cell->elementLists[voice]);
}

ScoreObject* GetVoiceFirstElement(MeasureCell* cell, int voice) {
    ScoreObject* list = GetVoiceElementList(cell, voice);
    return list != nullptr ? list->next.get() : nullptr;
}

ScoreObject* GetOrCreateVoiceElementList(MeasureCell* cell, int voice) {
    if (cell == nullptr || !IsValidVoice(voice)) return nullptr;
    if (ScoreObject* list = GetVoiceElementList(cell, voice)) return list;
    ScoreObject* header = NewElementListHeader();
    if (header != nullptr) cell->elementLists[voice] = PtrToHandle(kTextObjectPool, header);
    return header;
}

int IsVoiceEmpty(MeasureCell* cell, int voice) {
    if (cell != nullptr && IsValidVoice(voice) && !HasVoiceLists(*cell, voice)) return 1;
    if (GetVoiceFirstElement(cell, voice) != nullptr) return 0;
    return GetVoiceFirstEvent(cell, voice) != nullptr ? 0 : 1;
}

EventRecord* CountCellEvents(MeasureCell* cell) {
    EventRecord* best = nullptr;
    for (int v = 0; v < kVoiceCount; ++v) {
        EventRecord* first = GetVoiceFirstEvent(cell, v);
        if (first != nullptr && (best == nullptr || first->time < best->time)) best = first;
    }
    return best;
}

EventRecord* FindNearestInVoices(MeasureCell* cell, int tick) {
    EventRecord* best = nullptr;
    for (int v = 0; v < kVoiceCount; ++v) {
        EventRecord* chord = GetVoiceHead(cell, v);
        for (int i = 0; chord != nullptr && i < kMaxChainLength; ++i) {
            chord = GetNextChordEvent(chord);
            if (chord != nullptr && chord->time > tick) break;
        }
        if (chord != nullptr && (best == nullptr || chord->time < best->time)) best = chord;
    }
    return best;
}

EventRecord* FindEventChainInActiveVoice(MeasureCell* cell, ScoreView* view, int tick) {
    if (cell == nullptr || view == nullptr) return nullptr;
    EventRecord* head =
        GetOrCreateVoiceChain(cell, view->document, ActiveVoiceOfMask(view->voiceMask));
    if (!head->next) return nullptr;
    return GetBeamGroupStartAtTick(head, tick);
}

EventRecord* FindInActiveVoice(MeasureCell* cell, ScoreView* view, int tick) {
    if (cell == nullptr || view == nullptr) return nullptr;
    EventRecord* head =
        GetOrCreateVoiceChain(cell, view->document, ActiveVoiceOfMask(view->voiceMask));
    EventRecord* found = nullptr;
    EventRecord* event = NextEvent(head);
    for (int i = 0; event != nullptr && i < kMaxChainLength; ++i, event = NextEvent(event)) {
        if (event->time >= tick + kTickTolerance) break;
        found = event;
    }
    return found;
}

ScoreObject* FindVoiceElementNearTick(MeasureCell* cell, int voice, int tick) {
    ScoreObject* found = nullptr;
    ScoreObject* element = GetVoiceFirstElement(cell, voice);
    for (int i = 0; element != nullptr && i < kMaxElements; ++i, element = element->next.get()) {
        if (ElementTime(element) >= tick + kTickTolerance) break;
        found = element;
    }
    return found;
}

int FindChordAtTick(MeasureCell* cell, int voice, int tick, int delta) {
    EventRecord* event = GetVoiceFirstEvent(cell, voice);
    while (event != nullptr && event->time <= tick - kTickTolerance) event = NextEvent(event);
    if (event == nullptr) return 0;
    const int firstTime = event->time;
    for (int i = 0; event != nullptr && i < kMaxChainLength; ++i, event = NextEvent(event)) {
        int shifted = event->time + delta;
        if (shifted < 0) break;
        event->time = static_cast<uint16_t>(shifted);
    }
    return firstTime;
}

int FindVoiceElementAtTick(MeasureCell* cell, int voice, int tick, int delta) {
    ScoreObject* element = GetVoiceFirstElement(cell, voice);
    while (element != nullptr && ElementTime(element) <= tick - kTickTolerance)
        element = element->next.get();
    if (element == nullptr) return 0;
    const int firstTime = ElementTime(element);
    for (int i = 0; element != nullptr && i < kMaxElements; ++i, element = element->next.get()) {
        int shifted = ElementTime(element) + delta;
        if (shifted < 0) break;
        SetElementTime(element, static_cast<uint16_t>(shifted));
    }
    return firstTime;
}

int ShiftVoiceElementsFromTick(ScoreDocument* document, int staff, int measure, int voice, int tick,
                               int delta) {
    StaffRecord* record = StaffRecordOf(document, staff);
    if (record == nullptr) return 0;
    MeasureCell* cell = GetOrCreateMeasureCell(record, document, measure);
    if (cell == nullptr) return 0;
    FindVoiceElementAtTick(cell, voice, tick, delta);
    FindChordAtTick(cell, voice, tick, delta);
    return 1;
}

namespace {

// The latest end (time + length) of the voice's items that start before `limit`.
int VoiceEnd(MeasureCell* cell, int voice, int limit) {
    int end = 0;
    EventRecord* event = GetVoiceFirstEvent(cell, voice);
    for (int i = 0; event != nullptr && i < kMaxChainLength; ++i, event = NextEvent(event))
        if (event->time < limit) end = std::max(end, event->time + EventDurationTicks(*event));
    ScoreObject* element = GetVoiceFirstElement(cell, voice);
    for (int i = 0; element != nullptr && i < kMaxElements; ++i, element = element->next.get())
        if (ElementTime(element) < limit)
            end = std::max(end, ElementTime(element) + ElementDurationTicks(element));
    return end;
}

}  // namespace

int TicksLeftInVoice(MeasureCell* cell, ScoreView* view, int voice) {
    const int length = view != nullptr ? view->currentMeasureLength : 0;
    const int end = VoiceEnd(cell, voice, kSentinelTime);
    if (end > length) return 0;
    if (end < 1) return length;
    return length - end;
}

int FindEventTimeInVoice(ScoreDocument* document, int staff, int measure, int voice, int tick) {
    StaffRecord* record = StaffRecordOf(document, staff);
    MeasureCell* cell =
        record != nullptr ? GetOrCreateMeasureCell(record, document, measure) : nullptr;
    if (cell == nullptr) return tick;
    return VoiceEnd(cell, voice, tick - (kTickTolerance - 1));
}

EventRecord* AddEventToVoice(ScoreView* view, MeasureCell* cell, int voice, uint16_t time,
                             uint8_t duration, uint8_t step) {
    if (view == nullptr || cell == nullptr || !IsValidVoice(voice)) return nullptr;
    EventRecord* head = GetOrCreateVoiceChain(cell, view->document, voice);
    if (!HandleOfEvent(head)) {  // only the fallback head: no record could be had
        ReportLowMemory("UNITS", kAddEventReportLine);
        return nullptr;
    }
    EventRecord* event = InitEvent(AllocEvent(sizeof(EventRecord)), time, 0, duration, step);
    if (event == nullptr) {
        ReportLowMemory("UNITS", kAddEventReportLine);
        return nullptr;
    }
    LayoutWalkEventChain(head, view, event);
    return event;
}

}  // namespace ql
