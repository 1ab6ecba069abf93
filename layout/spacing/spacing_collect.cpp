// CollectMeasureSpacing: the stretches of a measure's notes and rests, merged into
// its spacing list.
//
// The merge: every stretch bound becomes a bound of the list, and each piece between
// two neighbouring bounds that some stretch covers becomes one entry with the
// largest class word among the stretches covering it. A sweep over the bounds keeps
// the number of covering stretches per class word, so a measure of n stretches costs
// O(n log n) and no pool record is touched until the list is written.
#include "layout/spacing/spacing_collect.h"

#include <algorithm>
#include <bit>
#include <utility>
#include <vector>

#include "core/constants.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "core/objects/score_object.h"

namespace ql {

namespace {

constexpr int32_t kMaxTick = 0xFFFF;
constexpr int kLongestClass = kDurationClassCount - 1;
constexpr uint8_t kRestType = static_cast<uint8_t>(ObjectType::Rest);
constexpr int kMaxElements = 64 * 1024;
// Class words are (14 - class) << 8: their high bytes 1..14 index the sweep's counts.
constexpr int kWordSlots = kNoDurationClass + 1;

struct Stretch {
    int32_t start;
    int32_t end;
    uint16_t word;
};

// One bound of a stretch for the sweep: +1 where it starts, -1 where it ends.
struct Bound {
    int32_t tick;
    int8_t step;
    uint8_t slot;
};

class MeasureStretches {
  public:
    explicit MeasureStretches(int32_t length) : length_(length) { stretches_.reserve(64); }

    void Add(int32_t start, int32_t ticks, int durationClass, bool counted) {
        const int32_t end = std::min(start + ticks, kMaxTick);
        if (end - start >= kMinSpanTicks) stretches_.push_back({start, end, ClassWord(durationClass)});
        if (counted) ++counts_.counts[durationClass];
        naturalEnd_ = std::max(naturalEnd_, start + ticks);
    }
    void AddFiller(int32_t from) {
        if (length_ - from >= kMinSpanTicks)
            stretches_.push_back({from, length_, ClassWord(kFillerClass)});
    }
    int32_t naturalEnd() const { return naturalEnd_; }
    const ClassCounts& counts() const { return counts_; }
    // Writes the merged list, reusing the entries of `reserve`; false when the pool ran out.
    bool Write(MeasureRecord& record, SpacingEntryReserve& reserve) const;

  private:
    int32_t length_;
    int32_t naturalEnd_ = 0;
    ClassCounts counts_;
    std::vector<Stretch> stretches_;
};

bool MeasureStretches::Write(MeasureRecord& record, SpacingEntryReserve& reserve) const {
    std::vector<Bound> bounds;
    bounds.reserve(stretches_.size() * 2);
    for (const Stretch& s : stretches_) {
        const auto slot = static_cast<uint8_t>(s.word >> kClassWordShift);
        bounds.push_back({s.start, 1, slot});
        bounds.push_back({s.end, -1, slot});
    }
    std::sort(bounds.begin(), bounds.end(),
              [](const Bound& a, const Bound& b) { return a.tick < b.tick; });
    int32_t active[kWordSlots] = {};
    SpacingEntry* last = nullptr;
    for (size_t i = 0; i < bounds.size();) {
        const int32_t tick = bounds[i].tick;
        for (; i < bounds.size() && bounds[i].tick == tick; ++i) active[bounds[i].slot] += bounds[i].step;
        if (i == bounds.size()) break;
        int top = kWordSlots - 1;
        while (top > 0 && active[top] == 0) --top;
        if (top == 0) continue;  // a gap: no stretch covers it
        last = reserve.Append(record, last, tick, bounds[i].tick - tick,
                              static_cast<uint16_t>(top << kClassWordShift));
        if (last == nullptr) return false;
    }
    return true;
}

// The chords of one voice of a cell; false at a chord without a note value.
bool AddVoiceChords(MeasureCell* cell, int voice, MeasureStretches& stretches, int32_t& voiceEnd) {
    int previousTime = -1;
    EventRecord* event = GetVoiceFirstEvent(cell, voice);
    for (int i = 0; event != nullptr && i < kMaxChainLength; ++i, event = NextEvent(event)) {
        if (IsHeadSentinel(*event) || event->time == previousTime) continue;
        previousTime = event->time;
        if (event->duration == 0) return false;
        const int ticks = EventDurationTicks(*event);
        const bool inTuplet = event->tupletKind != 0 || event->outerRatio != 0;
        stretches.Add(event->time, ticks, DurationClassOf(event->duration, ticks, inTuplet), true);
        voiceEnd = std::max(voiceEnd, event->time + ticks);
    }
    return true;
}

// The rests of one voice's element list; false at a rest without a note value.
bool AddVoiceRests(MeasureCell* cell, int voice, MeasureStretches& stretches, int32_t& voiceEnd) {
    ScoreObject* element = GetVoiceFirstElement(cell, voice);
    for (int i = 0; element != nullptr && i < kMaxElements; ++i, element = element->next.get()) {
        if (element->type != kRestType) continue;
        const int code = ElementDurationCode(element);
        if (code == 0) return false;
        const int time = ElementTime(element);
        const int ticks = ElementDurationTicks(element);
        stretches.Add(time, ticks, DurationClassOf(code, ticks, IsElementInTuplet(element)), true);
        voiceEnd = std::max(voiceEnd, time + ticks);
    }
    return true;
}

}  // namespace

int DurationClassOf(int durationCode, int ticks, bool inTuplet) {
    int durationClass = durationCode;
    if (inTuplet) {
        durationClass = ticks > 0 ? std::bit_width(static_cast<uint32_t>(ticks)) - 1 : 0;
        durationClass = std::max(durationClass, kShortestTupletClass);
    }
    return std::clamp(durationClass, 0, kLongestClass);
}

MeasureCell* FindMeasureCell(ScoreDocument* document, int staff, int measure) {
    const CellHandleArray* cells = CellArrayOf(StaffRecordOf(document, staff));
    if (cells == nullptr || measure < 0 || measure >= MaxMeasures) return nullptr;
    return FindRecord<MeasureCell>(kMeasureCellPool, cells->cells[measure]);
}

CollectResult CollectMeasureSpacing(ScoreView* view, int measure, ClassCounts* counts) {
    CollectResult result;
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return result;
    MeasureStretches stretches(record->lengthTicks);
    int32_t voiceEnds[kVoiceCount] = {};
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        MeasureCell* cell = FindMeasureCell(document, staff, measure);
        if (cell == nullptr) continue;
        for (int voice = 0; voice < kVoiceCount; ++voice) {
            if (!AddVoiceChords(cell, voice, stretches, voiceEnds[voice]) ||
                !AddVoiceRests(cell, voice, stretches, voiceEnds[voice])) {
                result.valid = false;
                return result;
            }
        }
    }
    for (int32_t end : voiceEnds) stretches.AddFiller(end);
    result.naturalEnd = stretches.naturalEnd();
    // The old list is taken off the measure and its entries written over.
    SpacingEntryReserve reserve(std::exchange(record->spacing, RecordHandle{}));
    result.complete = stretches.Write(*record, reserve);
    if (counts != nullptr)
        for (int c = 0; c < kDurationClassCount; ++c) counts->counts[c] += stretches.counts().counts[c];
    return result;
}

}  // namespace ql
