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

// A stretch bound for the sweep, packed so that bounds sort by tick as integers:
// tick << 8 | slot << 1 | 1 where a stretch starts, 0 where it ends.
constexpr int kBoundTickShift = 8;
constexpr uint32_t kBoundSlotMask = 0xFF;
static_assert((static_cast<uint64_t>(kMaxTick) << kBoundTickShift) <= UINT32_MAX);
static_assert(kWordSlots << 1 <= static_cast<int>(kBoundSlotMask));

constexpr uint32_t PackBound(int32_t tick, uint16_t word, bool starts) {
    return static_cast<uint32_t>(tick) << kBoundTickShift |
           static_cast<uint32_t>(word >> kClassWordShift) << 1 | (starts ? 1U : 0U);
}
constexpr int32_t BoundTick(uint32_t bound) { return static_cast<int32_t>(bound >> kBoundTickShift); }

}  // namespace

// Room for the bounds and pieces of an ordinary measure, had once per collector.
constexpr size_t kUsualBounds = 128;

MeasureSpacingCollector::MeasureSpacingCollector() {
    bounds_.reserve(kUsualBounds);
    pieces_.reserve(kUsualBounds);
}

void MeasureSpacingCollector::AddStretch(int32_t start, int32_t end, uint16_t word) {
    bounds_.push_back(PackBound(start, word, true));
    bounds_.push_back(PackBound(end, word, false));
}

void MeasureSpacingCollector::Add(int32_t start, int32_t ticks, int durationClass) {
    const int32_t end = std::min(start + ticks, kMaxTick);
    if (end - start >= kMinSpanTicks) AddStretch(start, end, ClassWord(durationClass));
    ++counts_.counts[durationClass];
    naturalEnd_ = std::max(naturalEnd_, start + ticks);
}

// The sweep: after each bound, the slots with a covering stretch are the set bits of
// `covered`; where the next bound is at a later tick, the piece up to it takes the
// highest of them, or is a gap when there is none. Every bound writes a piece and
// only a piece that counts is kept, so the loop has no branch on the data.
void MeasureSpacingCollector::Merge() {
    std::sort(bounds_.begin(), bounds_.end());
    if (pieces_.size() < bounds_.size()) pieces_.resize(bounds_.size());
    int32_t active[kWordSlots] = {};
    uint32_t covered = 0;
    size_t kept = 0;
    for (size_t i = 0; i + 1 < bounds_.size(); ++i) {
        const uint32_t low = bounds_[i] & kBoundSlotMask;
        const uint32_t slot = low >> 1;
        active[slot] += static_cast<int32_t>(low & 1) * 2 - 1;
        covered = active[slot] != 0 ? covered | (1U << slot) : covered & ~(1U << slot);
        const int32_t tick = BoundTick(bounds_[i]);
        const int32_t next = BoundTick(bounds_[i + 1]);
        const int top = std::bit_width(covered) - 1;
        pieces_[kept] = {tick, next - tick, static_cast<uint16_t>(std::max(top, 0) << kClassWordShift)};
        kept += static_cast<size_t>(next != tick && covered != 0);
    }
    pieceCount_ = kept;
}

// The chords of one voice of a cell; false at a chord without a note value.
bool MeasureSpacingCollector::AddVoiceChords(MeasureCell* cell, int voice, int32_t& voiceEnd) {
    int previousTime = -1;
    EventRecord* event = GetVoiceFirstEvent(cell, voice);
    for (int i = 0; event != nullptr && i < kMaxChainLength; ++i, event = NextEvent(event)) {
        if (IsHeadSentinel(*event) || event->time == previousTime) continue;
        previousTime = event->time;
        if (event->duration == 0) return false;
        const int ticks = EventDurationTicks(*event);
        const bool inTuplet = event->tupletKind != 0 || event->outerRatio != 0;
        Add(event->time, ticks, DurationClassOf(event->duration, ticks, inTuplet));
        voiceEnd = std::max(voiceEnd, event->time + ticks);
    }
    return true;
}

// The rests of one voice's element list; false at a rest without a note value.
bool MeasureSpacingCollector::AddVoiceRests(MeasureCell* cell, int voice, int32_t& voiceEnd) {
    ScoreObject* element = GetVoiceFirstElement(cell, voice);
    for (int i = 0; element != nullptr && i < kMaxElements; ++i, element = element->next.get()) {
        if (element->type != kRestType) continue;
        const int code = ElementDurationCode(element);
        if (code == 0) return false;
        const int time = ElementTime(element);
        const int ticks = ElementDurationTicks(element);
        Add(time, ticks, DurationClassOf(code, ticks, IsElementInTuplet(element)));
        voiceEnd = std::max(voiceEnd, time + ticks);
    }
    return true;
}

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

CollectResult MeasureSpacingCollector::Collect(ScoreView* view, int measure, ClassCounts* counts) {
    CollectResult result;
    bounds_.clear();
    pieceCount_ = 0;
    counts_ = ClassCounts{};
    naturalEnd_ = 0;
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    const MeasureRecord* record = MeasureRecordOf(document, measure);
    if (record == nullptr) return result;
    const int32_t length = record->lengthTicks;
    int32_t voiceEnds[kVoiceCount] = {};
    for (int staff = 1; staff <= document->header.staffCount; ++staff) {
        MeasureCell* cell = FindMeasureCell(document, staff, measure);
        if (cell == nullptr) continue;
        for (int voice = 0; voice < kVoiceCount; ++voice) {
            if (!AddVoiceChords(cell, voice, voiceEnds[voice]) ||
                !AddVoiceRests(cell, voice, voiceEnds[voice])) {
                result.valid = false;
                return result;
            }
        }
    }
    // After all staves of a voice, its silence up to the measure's length.
    for (int32_t end : voiceEnds)
        if (length - end >= kMinSpanTicks) AddStretch(end, length, ClassWord(kFillerClass));
    result.naturalEnd = naturalEnd_;
    Merge();
    if (counts != nullptr)
        for (int c = 0; c < kDurationClassCount; ++c) counts->counts[c] += counts_.counts[c];
    return result;
}

CollectResult CollectMeasureSpacing(ScoreView* view, int measure, ClassCounts* counts) {
    MeasureSpacingCollector collector;
    CollectResult result = collector.Collect(view, measure, counts);
    MeasureRecord* record = MeasureRecordOf(view != nullptr ? view->document : nullptr, measure);
    if (!result.valid) return result;
    if (record != nullptr) result.complete = WriteSpacingPieces(*record, collector.pieces());
    return result;
}

}  // namespace ql
