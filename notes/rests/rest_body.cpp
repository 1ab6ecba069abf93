// The rest's record: construction, body access, the voice lists rests live in, their
// default places and lengths, and making rests from event records and imports.
//
// Default place (RestStaffOffset): with voices 2 and 3 both empty, voice 0 takes the
// single-voice row and voices 1..3 the lower row. Otherwise voice 0 takes the upper
// row, 4 steps higher when voice 1 is in use; voice 1 the upper row; voice 2 the lower
// row, 4 steps lower when voice 3 is in use; voice 3 the lower row. Positions count
// steps from the bottom line, negative upwards: a quarter rest alone sits at -4, the
// middle line. RestStaffOffsetOver counts the other voices only where they have a
// note or a shown rest over the rest's own time: a rest with no other voice there,
// in whichever voice, keeps the single-voice row.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/object_list.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "notes/rests/rest.h"
#include "notes/rests/rest_internal.h"
#include "notes/rests/staff_place.h"

namespace ql {

namespace rests {

namespace {

constexpr int kPlacedCodes = kLongestRestCode - kShortestRestCode + 1;
static_assert(kShortestRestCode == kShortestDurationCode && kLongestRestCode == kLongestDurationCode,
              "the rows hold one entry for every duration code");
// Default places by DurationCode 4..13, one row each.
constexpr int8_t kSingleVoiceRow[kPlacedCodes] = {3, 1, -1, -3, -3, -5, -4, -4, -4, -4};
constexpr int8_t kUpperVoiceRow[kPlacedCodes] = {-8, -8, -8, -8, -8, -8, -8, -8, -6, -6};
constexpr int8_t kLowerVoiceRow[kPlacedCodes] = {7, 5, 3, 1, -1, -1, 0, 0, 2, 2};
// Steps a rest moves aside for a neighbouring voice in use.
constexpr int kCrowdedVoiceShift = 4;
// Voices 2 and 3 are the lower pair (stems down, rests below).
constexpr int kFirstLowerVoice = 2;

}  // namespace

bool IsRestCode(int code) {
    return code >= kShortestRestCode && code <= kLongestRestCode;
}

bool IsLongRestCode(int code) {
    return code >= kHalfRestCode && code <= kLongestRestCode;
}

int RestRowPlace(RestRow row, int code) {
    // A damaged code takes the quarter's row.
    const int index = CheckedDurationCode(code) - kShortestRestCode;
    switch (row) {
        case RestRow::Single:
            return kSingleVoiceRow[index];
        case RestRow::Upper:
            return kUpperVoiceRow[index];
        case RestRow::Lower:
            return kLowerVoiceRow[index];
    }
    return 0;
}

ScoreObject* NextElement(const ScoreObject* element) {
    if (element == nullptr || !element->next) return nullptr;
    ScoreObject* next = element->next.get();
    return IsLiveRecord(CurrentPoolSet(), kTextObjectPool, next) ? next : nullptr;
}

ScoreObject* VoiceListHead(MeasureCell* cell, int voice) {
    return GetVoiceElementList(cell, voice);
}

bool IsVoiceInUse(MeasureCell* cell, int voice) {
    if (cell == nullptr || voice < 0 || voice >= kVoiceCount) return false;
    if (NextElement(VoiceListHead(cell, voice)) != nullptr) return true;
    return GetVoiceFirstEvent(cell, voice) != nullptr;
}

int ActiveVoice(const ScoreView* view) {
    const int mask = view != nullptr ? view->voiceMask : 0;
    if (mask == 0 || mask > kVoiceMaskLimit) return 0;
    for (int voice = 0; voice < kVoiceCount; ++voice)
        if ((mask & (1 << voice)) != 0) return voice;
    return 0;
}

int VoiceOfRest(MeasureCell* cell, const ScoreObject* rest) {
    for (int voice = 0; voice < kVoiceCount; ++voice) {
        const ScoreObject* element = NextElement(VoiceListHead(cell, voice));
        for (int i = 0; element != nullptr && i < kMaxVoiceElements; ++i) {
            if (element == rest) return voice;
            element = NextElement(element);
        }
    }
    return -1;
}

}  // namespace rests

using namespace rests;

RestBody* RestBodyOf(ScoreObject* rest) {
    if (rest == nullptr || rest->type != TypeCode(ObjectType::Rest)) return nullptr;
    return reinterpret_cast<RestBody*>(rest->BodyBytes());
}

const RestBody* RestBodyOf(const ScoreObject* rest) {
    return RestBodyOf(const_cast<ScoreObject*>(rest));
}

int RestDots(const RestBody& body) {
    return body.flags & kRestDotsMask;
}
int RestSize(const RestBody& body) {
    return (body.flags & kRestSizeMask) >> kRestSizeShift;
}
bool IsRestHidden(const RestBody& body) {
    return (body.flags & kRestHidden) != 0;
}

namespace {
TupletNumbers RestNumbers(const RestBody& body) {
    return ReadTupletNumbers(body.tupletKind, body.tupletValue, body.extraRatio);
}
}  // namespace

int GetRestTupletNumerator(const RestBody& body) { return RestNumbers(body).first; }
int GetRestTupletDenominator(const RestBody& body) { return RestNumbers(body).second; }
int GetRestNestedNumerator(const RestBody& body) { return RestNumbers(body).nestedFirst; }
int GetRestNestedDenominator(const RestBody& body) { return RestNumbers(body).nestedSecond; }

void ConstructRest(ScoreObject* record) {
    ConstructScoreObject(record);
    record->classId = ClassOfType(ObjectType::Rest);
    record->type = TypeCode(ObjectType::Rest);
    record->subtype = SubtypeCode(ObjectSubtype::MeasureTimeList);
    std::memset(record->BodyBytes(), 0, kRestBodyBytes);
}

ScoreObject* AllocRestRecord() {
    auto* record = static_cast<ScoreObject*>(AllocRecord(kTextObjectPool));
    if (record != nullptr) ConstructRest(record);
    return record;
}

void FreePool8Record(ScoreObject* record) {
    if (record != nullptr) FreeRecord(kTextObjectPool, record);
}

void CopyRestFrom(ScoreObject* rest, const ScoreObject* other) {
    if (rest == nullptr || other == nullptr) return;
    std::memcpy(rest->BodyBytes(), other->BodyBytes(), kRestBodyBytes);
    rest->type = other->type;
    rest->subtype = other->subtype;
    rest->prev = Ref32<ScoreObject>{};
    rest->next = Ref32<ScoreObject>{};
}

bool InsertIntoVoiceList(ScoreObject* head, ScoreObject* object) {
    if (head == nullptr || object == nullptr || object == head) return false;
    object->next = Ref32<ScoreObject>{};
    ScoreObject* first = NextElement(head);
    if (first == nullptr) {
        head->next = Ref32<ScoreObject>{};
        InsertObjectAfter(head, object);
        return true;
    }
    if (ElementTime(head) != kRestListHeadTick) return false;
    const uint16_t tick = ElementTime(object);
    ScoreObject* anchor = head;
    ScoreObject* element = first;
    for (int i = 0; element != nullptr && i < kMaxVoiceElements; ++i) {
        if (ElementTime(element) > tick) break;
        anchor = element;
        element = NextElement(element);
    }
    // A dead link after the anchor ends the list there.
    if (element == nullptr) anchor->next = Ref32<ScoreObject>{};
    InsertObjectAfter(anchor, object);
    return true;
}

void DeleteRestChain(ScoreObject* rest) {
    if (rest == nullptr) return;
    std::vector<ScoreObject*> chain;
    for (ScoreObject* e = NextElement(rest);
         e != nullptr && chain.size() < static_cast<size_t>(kMaxVoiceElements); e = NextElement(e))
        chain.push_back(e);
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        (*it)->prev = Ref32<ScoreObject>{};
        (*it)->next = Ref32<ScoreObject>{};
        DestroyRest(*it);
    }
    rest->next = Ref32<ScoreObject>{};
}

namespace {

// Whether the voice has a note, or a rest that is shown, over the ticks [from, to).
bool VoiceSoundsOver(MeasureCell* cell, int voice, int from, int to) {
    const auto overlaps = [&](int start, int ticks) { return start < to && start + ticks > from; };
    EventRecord* event = GetVoiceFirstEvent(cell, voice);
    for (int i = 0; event != nullptr && i < kMaxChainLength && event->time < to; ++i, event = NextEvent(event))
        if (overlaps(event->time, EventDurationTicks(*event))) return true;
    const ScoreObject* element = NextElement(VoiceListHead(cell, voice));
    for (int i = 0; element != nullptr && i < kMaxVoiceElements; ++i, element = NextElement(element)) {
        const RestBody* body = RestBodyOf(element);
        if (body != nullptr && IsRestHidden(*body)) continue;
        if (overlaps(ElementTime(element), ElementDurationTicks(element))) return true;
    }
    return false;
}

// The default place by which neighbouring voices count (see RestStaffOffset).
template <typename Used>
int RestPlaceBesideVoices(int code, int voice, const Used& used) {
    if (voice < 0 || voice >= kVoiceCount) return 0;
    if (!used(2) && !used(3))
        return RestRowPlace(voice == 0 ? RestRow::Single : RestRow::Lower, code);
    switch (voice) {
        case 0:
            return RestRowPlace(RestRow::Upper, code) - (used(1) ? kCrowdedVoiceShift : 0);
        case 1:
            return RestRowPlace(RestRow::Upper, code);
        case 2:
            return RestRowPlace(RestRow::Lower, code) + (used(3) ? kCrowdedVoiceShift : 0);
        default:
            return RestRowPlace(RestRow::Lower, code);
    }
}

// The place moved on, away from the other side's voices, until the rest's glyph
// clears their note heads over the ticks [from, to): a lower voice's rest goes below
// the upper voices' lowest head, an upper voice's rest above the lower voices'
// highest. A long rest keeps an even place (it is drawn at one), rounded away.
int RestPlaceClearOfHeads(MeasureCell* cell, int code, int voice, int from, int to, int place) {
    constexpr int kHeadHalfSteps = 1;
    constexpr int32_t kGap = kUnitsPerStep / 2;
    const bool lower = voice >= kFirstLowerVoice;
    for (int v = 0; v < kVoiceCount; ++v) {
        if ((v >= kFirstLowerVoice) == lower) continue;
        EventRecord* event = GetVoiceFirstEvent(cell, v);
        for (int i = 0; event != nullptr && i < kMaxChainLength && event->time < to; ++i, event = NextEvent(event)) {
            if (event->time + EventDurationTicks(*event) <= from) continue;
            const int head = static_cast<int8_t>(event->step);
            if (lower) {
                const int32_t reach = (head + kHeadHalfSteps) * kUnitsPerStep + kGap + RestExtentAbove(code);
                place = std::max(place, static_cast<int>(std::ceil(reach / double{kUnitsPerStep})));
            } else {
                const int32_t reach = (head - kHeadHalfSteps) * kUnitsPerStep - kGap - RestExtentBelow(code);
                place = std::min(place, static_cast<int>(std::floor(reach / double{kUnitsPerStep})));
            }
        }
    }
    if (IsLongRestCode(code) && place % 2 != 0) place += lower ? 1 : -1;
    return place;
}

}  // namespace

int RestStaffOffset(MeasureCell* cell, int code, int voice) {
    return RestPlaceBesideVoices(code, voice, [cell](int v) { return IsVoiceInUse(cell, v); });
}

int RestStaffOffsetOver(MeasureCell* cell, int code, int voice, int tick, int ticks) {
    const auto sounds = [=](int v) { return v != voice && VoiceSoundsOver(cell, v, tick, tick + ticks); };
    bool alone = true;
    for (int v = 0; v < kVoiceCount; ++v) alone = alone && !sounds(v);
    if (alone) return RestRowPlace(RestRow::Single, code);
    return RestPlaceClearOfHeads(cell, code, voice, tick, tick + ticks, RestPlaceBesideVoices(code, voice, sounds));
}

int RestDurationTicks(const ScoreObject* rest) {
    return RestBodyOf(rest) != nullptr ? ElementDurationTicks(rest) : 0;
}

int GetRestXOffset(const ScoreObject* rest) {
    constexpr int kOffsetUnit = 16;
    const RestBody* body = RestBodyOf(rest);
    return body != nullptr ? body->xOffset * kOffsetUnit : 0;
}

void InitRestFromEvent(ScoreView* view, ScoreObject* rest, const EventRecord* event) {
    RestBody* body = RestBodyOf(rest);
    if (body == nullptr || event == nullptr) return;
    constexpr int kEventSizeShift = 4;
    body->tick = event->time;
    body->xOffset = event->nudge;
    body->code = event->duration;
    body->position = static_cast<int8_t>(event->step);
    body->tupletKind = event->tupletKind;
    body->tupletValue = event->tupletRatio;
    body->extraRatio = event->outerRatio;
    const int size = (event->flags & kEventSizeClassMask) >> kEventSizeShift;
    body->flags = static_cast<uint8_t>((event->word2 & kEventDotsMask) |
                                       ((size << kRestSizeShift) & kRestSizeMask));
    MeasureCell* cell = view != nullptr ? view->currentCell : nullptr;
    const bool onlyFirstVoice = !IsVoiceInUse(cell, 1) && !IsVoiceInUse(cell, 2) &&
                                !IsVoiceInUse(cell, 3);
    if (onlyFirstVoice || IsLongRestCode(body->code))
        body->position = static_cast<int8_t>(RestRowPlace(RestRow::Single, body->code));
}

namespace {

// Inserts a made rest into a voice list of the view's current cell; the rest is freed
// when the cell has no list and none can be made.
ScoreObject* InsertIntoVoice(ScoreView* view, int voice, ScoreObject* rest) {
    MeasureCell* cell = view != nullptr ? view->currentCell : nullptr;
    ScoreObject* head = GetOrCreateVoiceElementList(cell, voice);
    if (head == nullptr || !InsertIntoVoiceList(head, rest)) {
        FreePool8Record(rest);
        return nullptr;
    }
    return rest;
}

}  // namespace

ScoreObject* NewRestInActiveVoice(ScoreView* view, const EventRecord* event) {
    if (view == nullptr || event == nullptr) return nullptr;
    ScoreObject* rest = AllocRestRecord();
    if (rest == nullptr) return nullptr;
    InitRestFromEvent(view, rest, event);
    return InsertIntoVoice(view, ActiveVoice(view), rest);
}

ScoreObject* NewRestFromImport(ScoreView* view, int voice, int tick, int code, int dots) {
    if (view == nullptr || voice < 0 || voice >= kVoiceCount) return nullptr;
    ScoreObject* rest = AllocRestRecord();
    if (rest == nullptr) return nullptr;
    RestBody* body = RestBodyOf(rest);
    body->tick = static_cast<uint16_t>(std::clamp(tick, 0, kRestListHeadTick - 1));
    body->code = static_cast<uint8_t>(code);
    body->flags = static_cast<uint8_t>(std::clamp(dots, 0, kRestMaxDots));
    body->position = static_cast<int8_t>(RestStaffOffset(view->currentCell, code, voice));
    return InsertIntoVoice(view, voice, rest);
}

}  // namespace ql
