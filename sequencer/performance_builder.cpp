// The block builder: per-voice cursors over the measure walk, the pending chains,
// the downbeats, beats and metronome clicks, placing events into slots, and the
// end of the data.
#include "sequencer/performance_builder.h"

#include <algorithm>
#include <climits>

#include "core/constants.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/model_reports.h"
#include "core/ui/status_bar_notes.h"
#include "layout/measure_spacing.h"

namespace ql {
namespace {

constexpr char kReportModule[] = "PERFORM";
constexpr int kLookAheadBlocks = 2;
constexpr uint32_t kClickMessage = 1;
constexpr uint8_t kStatusKindMask = 0xF0;
constexpr uint8_t kNoteOnStatus = 0x90;
constexpr int kTicksPerDownbeatUnit = 32;
constexpr uint32_t kByteLimit = 255;
constexpr int kNoKeyCode = 7;
constexpr int kKeyShift = 4;
constexpr int kSecondByteShift = 8;
constexpr int kThirdByteShift = 16;

// Rank of an event inside a slot: controls first, then note-ons, then the rest.
int SlotRank(const PerformanceEvent& event) {
    if (EventKind(event) != PerformanceEventKind::Channel) return 0;
    const bool noteOn = (MessageByte(event.message, 0) & kStatusKindMask) == kNoteOnStatus &&
                        MessageByte(event.message, 2) != 0;
    return noteOn ? 1 : 2;
}

// Puts the event into the slot after every event of its rank or a lower one.
void PlaceInSlot(Ref32<PerformanceEvent>& head, PerformanceEvent* event) {
    const int rank = SlotRank(*event);
    Ref32<PerformanceEvent>* link = &head;
    while (link->get() != nullptr && SlotRank(*link->get()) <= rank) link = &link->get()->next;
    event->next = *link;
    *link = Ref32<PerformanceEvent>::To(event);
}

// A note-on that is due before the block: into the engine's late queue while a
// run plays (as a group of its own), else the block's first slot.
void PlaceLate(PerformanceRun& run, const BlockTarget& target, PerformanceEvent* event) {
    ++run.lateCount;
    if (target.lateQueue != nullptr && SlotRank(*event) == 1 &&
        QueueLateGroup(*target.lateQueue, LateGroup{event->time, Ref32<PerformanceEvent>::To(event)}))
        return;
    PlaceInSlot(target.half->heads[0], event);
}

// Moves every event of the chain that falls before the block's end into its slot.
void PlaceDue(PerformanceRun& run, const BlockTarget& target, PendingChain& chain) {
    const int32_t end = run.fillBase + run.blockLength;
    while (chain.head != nullptr && chain.head->time < end) {
        PerformanceEvent* event = PopPendingEvent(chain);
        const int32_t slot = event->time - run.fillBase;
        if (slot < 0) {
            PlaceLate(run, target, event);
            continue;
        }
        PlaceInSlot(target.half->heads[slot], event);
    }
}

// The downbeat: measure number, numerator in the slot field, the beat-unit code in
// the port field; bytes 0-2 the measure length / 32 (at most 255), the beat
// length / 32 and the key code.
PerformanceEvent* MakeDownbeat(PerformanceRun& run, const PlayedMeasure& played, int32_t barStart, int32_t barLength,
                               const MeasureCell* cell) {
    const int beats = cell != nullptr ? cell->beats : 4;
    const int beatUnit = cell != nullptr ? cell->beatUnit : kDurationQuarter;
    const int keyCode = cell != nullptr ? cell->clefKey >> kKeyShift : kNoKeyCode;
    const uint32_t message = std::min<uint32_t>(static_cast<uint32_t>(barLength) / kTicksPerDownbeatUnit, kByteLimit) |
                             (static_cast<uint32_t>((1 << beatUnit) / kTicksPerDownbeatUnit) << kSecondByteShift) |
                             (static_cast<uint32_t>(keyCode) << kThirdByteShift);
    PerformanceEvent* event = NewPerformanceEvent(run, PerformanceEventKind::Downbeat, 0, 0, barStart, message);
    if (event == nullptr) return nullptr;
    event->flags = MakeEventFlags(PerformanceEventKind::Downbeat, beatUnit, beats);
    event->measure = played.measure;
    return event;
}

bool AddControl(PerformanceRun& run, VoiceCursor& cursor, PerformanceEventKind kind, int32_t time) {
    PerformanceEvent* event = NewPerformanceEvent(run, kind, 0, 1, time, kClickMessage);
    if (event == nullptr) return false;
    InsertPerformanceEvent(cursor.controls, event);
    return true;
}

// Downbeat, the bar click's end, the beats and their clicks' ends of each bar of
// a measure (a multi-measure rest has several).
bool MakeMeasureControls(PerformanceRun& run, VoiceCursor& cursor, const PlayedMeasure& played,
                         const MeasureCell* cell) {
    const int32_t barLength = played.length / std::max(played.bars, 1);
    for (int bar = 0; bar < played.bars; ++bar) {
        const int32_t barStart = played.start + bar * barLength;
        PerformanceEvent* downbeat = MakeDownbeat(run, played, barStart, barLength, cell);
        if (downbeat == nullptr) return false;
        InsertPerformanceEvent(cursor.controls, downbeat);
        const bool metronome = run.options.metronome && !run.options.exporting;
        if (!metronome) continue;  // beats only serve the clicks while playing
        if (!AddControl(run, cursor, PerformanceEventKind::BarClickOff, barStart + kClickLength)) return false;
        const int32_t beat = int32_t{1} << (cell != nullptr ? cell->beatUnit : kDurationQuarter);
        constexpr int32_t kLastBeatMargin = 8;
        for (int32_t t = barStart + beat; t < barStart + barLength - kLastBeatMargin; t += beat) {
            if (!AddControl(run, cursor, PerformanceEventKind::Beat, t)) return false;
            if (!AddControl(run, cursor, PerformanceEventKind::BeatClickOff, t + kClickLength)) return false;
        }
    }
    return true;
}

// The downbeats and the marks of every staff in each played measure up to two
// blocks ahead, before any voice builds its notes there: a mark on a lower staff
// that acts on all staves is in force for the notes of the staves above it, at
// any block length. False when pool 12 ran out.
bool PrepareMeasures(PerformanceRun& run) {
    const int32_t horizon = run.fillBase + kLookAheadBlocks * run.blockLength;
    while (run.preparedMeasures < run.walk.size() && run.walk[run.preparedMeasures].start <= horizon) {
        const PlayedMeasure& played = run.walk[run.preparedMeasures++];
        if (StaffRecord* first = StaffRecordOf(run.document, 1); first != nullptr && run.staffCount >= 1) {
            MeasureCell* cell = GetOrCreateMeasureCell(first, run.document, played.measure);
            if (!MakeMeasureControls(run, run.voices[1][0], played, cell)) return false;
        }
        for (int staff = 1; staff <= run.staffCount; ++staff)
            if (StaffRecordOf(run.document, staff) != nullptr && !PerformCellObjects(run, staff, played)) return false;
    }
    return true;
}

// Builds one voice up to two blocks ahead; false when pool 12 ran out.
bool BuildVoice(PerformanceRun& run, int staff, int voice) {
    VoiceCursor& cursor = run.voices[staff][voice];
    const int32_t horizon = run.fillBase + kLookAheadBlocks * run.blockLength;
    StaffRecord* record = StaffRecordOf(run.document, staff);
    while (cursor.active) {
        if (!cursor.loaded) {
            if (cursor.walkIndex >= run.walk.size() || record == nullptr) {
                if (!CloseStaleTies(run, staff, voice, INT32_MAX)) return false;
                cursor.active = false;  // past the last measure: the voice drops out
                break;
            }
            const PlayedMeasure& played = run.walk[cursor.walkIndex];
            if (played.start > horizon) break;
            if (!CloseStaleTies(run, staff, voice, played.start)) return false;
            MeasureCell* cell = GetOrCreateMeasureCell(record, run.document, played.measure);
            cursor.note = cell != nullptr ? GetVoiceFirstEvent(cell, voice) : nullptr;
            cursor.loaded = true;
        }
        const PlayedMeasure& played = run.walk[cursor.walkIndex];
        for (int guard = 0; cursor.note != nullptr && guard < kMaxChainLength; ++guard) {
            if (!IsHeadSentinel(*cursor.note) && !PerformNote(run, staff, voice, played, *cursor.note)) return false;
            cursor.note = NextEvent(cursor.note);
        }
        // A tie whose next note should have come inside this measure leads nowhere.
        if (!CloseStaleTies(run, staff, voice, played.start + played.length)) return false;
        cursor.note = nullptr;
        cursor.loaded = false;
        ++cursor.walkIndex;
    }
    return true;
}

// The end of the data one tick after the latest event still waiting; with
// nothing waiting, after the events of the block's last slot that holds any (the
// run ends with its last sound, whatever the block length), or on the block's
// first slot when the block is empty (everything played before it).
void PlaceEndOfData(PerformanceRun& run, const BlockTarget& target) {
    int32_t latest = -1;
    for (int staff = 1; staff <= run.staffCount; ++staff) {
        for (VoiceCursor& cursor : run.voices[staff]) {
            if (cursor.notes.tail != nullptr) latest = std::max(latest, cursor.notes.tail->time);
            if (cursor.controls.tail != nullptr) latest = std::max(latest, cursor.controls.tail->time);
        }
    }
    int slot = run.blockLength - 1;
    while (slot > 0 && !target.half->heads[slot]) --slot;
    const int32_t time = latest >= 0 ? latest + 1 : run.fillBase + slot;
    PerformanceEvent* end = NewPerformanceEvent(run, PerformanceEventKind::EndOfData, 0, 1, time, 0);
    if (end == nullptr) return;
    run.endPlaced = true;
    if (latest < 0) {
        Ref32<PerformanceEvent>* link = &target.half->heads[slot];
        while (link->get() != nullptr) link = &link->get()->next;
        *link = Ref32<PerformanceEvent>::To(end);
        return;
    }
    InsertPerformanceEvent(run.voices[1][0].controls, end);
}

// Recording on past the end of the score: while the last measure of the walk
// starts within the look-ahead, the walk goes on into the measures after it that
// the score has (pages made for the recording bring some), and at the score's end
// the score gets measures up to two past it, never beyond the run's last measure.
void ExtendRecordedWalk(PerformanceRun& run) {
    if (!run.options.extendScore || run.walk.empty()) return;
    const int32_t horizon = run.fillBase + kLookAheadBlocks * run.blockLength;
    ScoreDocument* document = run.document;
    while (run.walk.back().start <= horizon) {
        const int reached = run.walk.back().measure;
        if (reached >= run.options.lastMeasure) return;
        if (reached >= document->header.measureCount) {
            const int target = std::min<int>(reached + 2, run.options.lastMeasure);
            while (document->header.measureCount < target)
                if (AppendMeasureRecord(document) == 0) break;
            RebuildMeasureIndex(document);
            if (document->header.measureCount <= reached) return;  // refused: the recording ends there
        }
        const int upTo = std::min<int>(document->header.measureCount, run.options.lastMeasure);
        for (int measure = reached + 1; measure <= upTo; ++measure) {
            const PlayedMeasure& previous = run.walk.back();
            run.walk.push_back(PlayMeasureAt(document, measure, previous.start + previous.length));
        }
    }
}

bool AnyVoiceActive(const PerformanceRun& run) {
    for (int staff = 1; staff <= run.staffCount; ++staff)
        for (const VoiceCursor& cursor : run.voices[staff])
            if (cursor.active) return true;
    return false;
}

void FreeChain(PendingChain& chain) {
    while (chain.head != nullptr) FreeStaticRecord(kPerformanceStaticPool, PopPendingEvent(chain));
}

}  // namespace

PerformanceEvent* PopPendingEvent(PendingChain& chain) {
    PerformanceEvent* event = chain.head;
    chain.head = event->next.get();
    if (chain.head == nullptr) chain.tail = nullptr;
    event->next = Ref32<PerformanceEvent>{};
    return event;
}

void InsertPerformanceEvent(PendingChain& chain, PerformanceEvent* event) {
    event->next = Ref32<PerformanceEvent>{};
    if (chain.tail == nullptr) {
        chain.head = chain.tail = event;
        return;
    }
    if (chain.tail->time <= event->time) {  // the common case: later than everything
        chain.tail->next = Ref32<PerformanceEvent>::To(event);
        chain.tail = event;
        return;
    }
    PerformanceEvent* before = nullptr;
    PerformanceEvent* at = chain.head;
    while (at != nullptr && at->time <= event->time) {
        before = at;
        at = at->next.get();
    }
    event->next = Ref32<PerformanceEvent>::To(at);
    if (before == nullptr) chain.head = event;
    else before->next = Ref32<PerformanceEvent>::To(event);
}

PerformanceEvent* NewPerformanceEvent(PerformanceRun& run, PerformanceEventKind kind, int port, int slot,
                                      int32_t time, uint32_t message) {
    auto* event = static_cast<PerformanceEvent*>(AllocStaticRecord(kPerformanceStaticPool));
    if (event == nullptr) {
        run.outOfEvents = true;
        return nullptr;
    }
    *event = PerformanceEvent{};
    event->time = time;
    event->message = message;
    event->flags = MakeEventFlags(kind, port, slot);
    return event;
}

void BeginPerformance(PerformanceRun& run, ScoreDocument* document, const PerformanceOptions& options,
                      int32_t blockLength) {
    EndPerformance(run);
    run = PerformanceRun{};
    run.document = document;
    run.options = options;
    run.blockLength = std::clamp(blockLength, kMinBlockLength, kMaxBlockLength);
    if (document == nullptr) return;
    run.staffCount = std::min<int>(document->header.staffCount, kMaxStaves);
    run.random.seed(options.loosen.seed);
    run.walk = WalkPlayedMeasures(document, options.firstMeasure, options.lastMeasure);
    PerformEarlierMeasures(run);
}

void FreeHalf(TickSlotHalf& half) {
    for (Ref32<PerformanceEvent>& head : half.heads) {
        PerformanceEvent* event = head.get();
        while (event != nullptr) {
            PerformanceEvent* next = event->next.get();
            FreeStaticRecord(kPerformanceStaticPool, event);
            event = next;
        }
        head = Ref32<PerformanceEvent>{};
    }
}

bool BuildBlock(PerformanceRun& run, const BlockTarget& target, int32_t fillBase) {
    run.fillBase = fillBase;
    run.buildDone = false;
    run.outOfEvents = false;  // a refused event ends only the block it was made for
    ExtendRecordedWalk(run);
    PrepareMeasures(run);
    for (int staff = 1; staff <= run.staffCount && !run.outOfEvents; ++staff) {
        for (int voice = 0; voice < kVoicesPerStaff && !run.outOfEvents; ++voice) {
            VoiceCursor& cursor = run.voices[staff][voice];
            if (!BuildVoice(run, staff, voice)) break;
            PlaceDue(run, target, cursor.notes);
            PlaceDue(run, target, cursor.controls);
        }
    }
    if (run.outOfEvents && !run.outOfEventsReported) {
        run.outOfEventsReported = true;
        ReportLowMemory(kReportModule, __LINE__);
    }
    if (!run.endPlaced && !AnyVoiceActive(run) && !run.outOfEvents) {
        PlaceEndOfData(run, target);
        PlaceDue(run, target, run.voices[1][0].controls);
    }
    run.buildDone = true;
    return !run.endPlaced;
}

void EndPerformance(PerformanceRun& run) {
    for (auto& staff : run.voices) {
        for (VoiceCursor& cursor : staff) {
            FreeChain(cursor.notes);
            FreeChain(cursor.controls);
        }
    }
    if (run.longMessages != nullptr) run.longMessages->count.store(0, std::memory_order_release);
    run.longMessages = nullptr;
    run.longMessageBytes.clear();
    run.longMessageObjects.clear();
}

}  // namespace ql
