// The set-up's scan of the measures before the first one played: their marks are
// performed as the run would have played them, the measures laid end to end in
// score order (without repeats) so that the last one ends at tick 0. What lasts
// goes on into the run: octave ranges, the velocity changes of dynamics and
// hairpins, and the steps of a transition still running at tick 0. Of the
// control events before tick 0 only the last of each kind and destination is
// kept (the tempo reached, the pedal's position, the volume), and it plays at
// tick 0 ahead of the run's own events there. Measures further back than
// kEarliestStart all start there, in their order.
#include <algorithm>
#include <climits>
#include <vector>

#include "core/memory/pool.h"
#include "core/model/document.h"
#include "sequencer/performance_builder.h"

namespace ql {
namespace {

constexpr int32_t kEarliestStart = INT32_MIN / 4;
constexpr uint32_t kChannelAddressMask = 0xFFFF;  // status and first data byte
constexpr uint32_t kChannelStatusMask = 0xFF;
constexpr uint8_t kStatusKindMask = 0xF0;
constexpr uint8_t kProgramChange = 0xC0;
constexpr uint8_t kChannelPressure = 0xD0;
constexpr uint8_t kPitchWheel = 0xE0;

// What a control event sets: the tempo; a controller of a port and channel; or
// a value of a staff (octave shift, velocity offset...).
struct ControlTarget {
    PerformanceEventKind kind = PerformanceEventKind::Channel;
    int port = 0;
    int slot = 0;
    uint32_t address = 0;
    bool operator==(const ControlTarget&) const = default;
};

ControlTarget TargetOf(const PerformanceEvent& event) {
    const PerformanceEventKind kind = EventKind(event);
    if (kind == PerformanceEventKind::Tempo) return ControlTarget{kind};
    if (kind == PerformanceEventKind::Channel) {
        // A patch, channel pressure or pitch wheel is set by the status alone.
        const uint8_t status = MessageByte(event.message, 0) & kStatusKindMask;
        const bool wholeChannel = status == kProgramChange || status == kChannelPressure || status == kPitchWheel;
        return ControlTarget{kind, EventPort(event), 0,
                             event.message & (wholeChannel ? kChannelStatusMask : kChannelAddressMask)};
    }
    return ControlTarget{kind, EventPort(event), EventSlot(event), 0};
}

struct EarlierControl {
    PerformanceEvent* event = nullptr;
    int staff = 0;
};

// Takes the events before tick 0 off every staff's control chain, in time order
// (of one time, the lower staff's last).
std::vector<EarlierControl> TakeEarlierControls(PerformanceRun& run) {
    std::vector<EarlierControl> taken;
    for (int staff = 1; staff <= run.staffCount; ++staff) {
        PendingChain& chain = run.voices[staff][0].controls;
        while (chain.head != nullptr && chain.head->time < 0) taken.push_back({PopPendingEvent(chain), staff});
    }
    std::stable_sort(taken.begin(), taken.end(),
                     [](const EarlierControl& a, const EarlierControl& b) { return a.event->time < b.event->time; });
    return taken;
}

// Frees every event that a later one of the same target overrides.
void KeepLastOfEachTarget(std::vector<EarlierControl>& controls) {
    std::vector<ControlTarget> seen;
    std::vector<EarlierControl> kept;
    for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
        const ControlTarget target = TargetOf(*it->event);
        if (std::find(seen.begin(), seen.end(), target) != seen.end()) {
            FreeStaticRecord(kPerformanceStaticPool, it->event);
            continue;
        }
        seen.push_back(target);
        kept.push_back(*it);
    }
    controls.assign(kept.rbegin(), kept.rend());
}

// After each earlier measure: only what still matters is kept.
void DropOverriddenState(PerformanceRun& run) {
    std::vector<EarlierControl> controls = TakeEarlierControls(run);
    KeepLastOfEachTarget(controls);
    for (const EarlierControl& control : controls)
        InsertPerformanceEvent(run.voices[control.staff][0].controls, control.event);
    std::erase_if(run.octaves, [](const OctaveRange& range) { return range.end <= 0; });
}

// The targets that events at tick 0 set (a transition ending there).
std::vector<ControlTarget> TargetsSetAtTheStart(const PerformanceRun& run) {
    std::vector<ControlTarget> targets;
    for (int staff = 1; staff <= run.staffCount; ++staff)
        for (const PerformanceEvent* e = run.voices[staff][0].controls.head; e != nullptr && e->time == 0;
             e = e->next.get())
            targets.push_back(TargetOf(*e));
    return targets;
}

// The state kept moves to tick 0, in front of the events already there; what an
// event at tick 0 sets anyway is dropped.
void MoveStateToTheStart(PerformanceRun& run) {
    std::vector<EarlierControl> controls = TakeEarlierControls(run);
    const std::vector<ControlTarget> setAtTheStart = TargetsSetAtTheStart(run);
    for (auto it = controls.rbegin(); it != controls.rend(); ++it) {
        if (std::find(setAtTheStart.begin(), setAtTheStart.end(), TargetOf(*it->event)) != setAtTheStart.end()) {
            FreeStaticRecord(kPerformanceStaticPool, it->event);
            continue;
        }
        PendingChain& chain = run.voices[it->staff][0].controls;
        it->event->time = 0;
        it->event->next = Ref32<PerformanceEvent>::To(chain.head);
        chain.head = it->event;
        if (chain.tail == nullptr) chain.tail = it->event;
    }
}

// Measures 1 .. first - 1, ending at tick 0.
std::vector<PlayedMeasure> EarlierMeasures(const PerformanceRun& run) {
    const int first = run.walk.front().measure;
    std::vector<PlayedMeasure> measures(static_cast<size_t>(std::max(first - 1, 0)));
    int64_t start = 0;
    for (int measure = first - 1; measure >= 1; --measure) {
        PlayedMeasure played = PlayMeasureAt(run.document, measure, 0);
        start -= played.length;
        played.start = static_cast<int32_t>(std::max<int64_t>(start, kEarliestStart));
        measures[measure - 1] = played;
    }
    return measures;
}

}  // namespace

void PerformEarlierMeasures(PerformanceRun& run) {
    if (run.walk.empty() || run.document == nullptr) return;
    for (const PlayedMeasure& played : EarlierMeasures(run)) {
        for (int staff = 1; staff <= run.staffCount && !run.outOfEvents; ++staff)
            if (StaffRecordOf(run.document, staff) != nullptr) PerformCellObjects(run, staff, played);
        DropOverriddenState(run);
        if (run.outOfEvents) break;
    }
    MoveStateToTheStart(run);
}

}  // namespace ql
