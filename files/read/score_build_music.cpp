// The building sink's "MUSE" items (see score_build_sink.h): each cell's header and
// object list, each voice's events linked in stream order with their accidentals and
// attached objects, the beam partners turned from positions back into handles once
// the voice is whole, and the voice's rests. While voice v is read the view's voice
// mask is exactly bit v (voice 0: the view's own bit 0), so the objects made for it
// take that voice.
#include <algorithm>
#include <cstring>
#include <utility>

#include "core/error_report.h"
#include "core/memory/pool.h"
#include "core/model/document.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "files/read/score_build_sink.h"
#include "files/read/score_read_rules.h"
#include "files/records/file_codes.h"
#include "files/records/rest_records.h"
#include "files/stream/music_progress.h"
#include "notes/accidentals/accidental.h"

namespace ql {
namespace {

namespace fc = file_code;

// Word 2 bits 8-10 are run-time bits the reader clears.
constexpr uint16_t kEventRunTimeBits = 0x0700;
constexpr uint8_t kVoiceZeroMaskBits = 0x01;

}  // namespace

ScoreObject* BuildingStreamSink::ObjectTail() {
    switch (tail_) {
        case Tail::Cell: return GetOrCreateCellObjectList(cell_);
        case Tail::Event: return lastEvent_ != nullptr ? GetEventAttachment(lastEvent_) : nullptr;
        case Tail::Page: return pageList_;
        case Tail::None: break;
    }
    return nullptr;
}

void BuildingStreamSink::RestoreVoiceMask() {
    if (!voiceMaskSaved_) return;
    view_->voiceMask = savedVoiceMask_;
    voiceMaskSaved_ = false;
}

int BuildingStreamSink::Cell(int staff, int measure, const MeasureCell& header) {
    RestoreVoiceMask();
    ShowMusicProgress(staff, measure);
    cell_ = GetOrCreateMeasureCell(StaffRecordOf(document_, staff), document_, measure);
    if (cell_ == nullptr) return fc::kCellHeader;
    std::memcpy(cell_, &header, kStoredCellBytes);
    measureTicks_ = document_->measureTable[measure].lengthTicks;
    tail_ = Tail::Cell;
    return 0;
}

int BuildingStreamSink::VoiceStart(int voice, int events) {
    if (!voiceMaskSaved_) {
        savedVoiceMask_ = view_->voiceMask;
        voiceMaskSaved_ = true;
    }
    view_->voiceMask = voice == 0 ? savedVoiceMask_ & kVoiceZeroMaskBits : static_cast<uint8_t>(1u << voice);
    voiceEvents_.clear();
    // A voice read whole leaves none of its run; what was taken ahead serves this one.
    if (spareNext_ < spareRun_) ReleaseSpareEvents();
    eventsLeft_ = events;
    previous_ = nullptr;
    if (events == 0) return 0;
    voiceEvents_.reserve(static_cast<size_t>(events));
    previous_ = NewVoiceHead(voice);
    return previousHandle_ ? 0 : fc::kVoiceHead;
}

// A new head sentinel is the first record of the voice's run, so it costs no search
// of the pool of its own. A head already there is kept; when the run cannot be had,
// the head is made as the editor makes it (one beep, the document's shared sentinel
// at worst).
EventRecord* BuildingStreamSink::NewVoiceHead(int voice) {
    const bool fresh = cell_ != nullptr && voice >= 0 && voice < kVoiceCount && !cell_->voices[voice];
    if (fresh) ++eventsLeft_;
    if (fresh) {
        if (EventRecord* head = InitHeadSentinel(NextEventRecord(&previousHandle_))) {
            cell_->voices[voice] = previousHandle_;
            return head;
        }
        --eventsLeft_;
    }
    ReturnEventsAhead();
    EventRecord* head = GetOrCreateVoiceChain(cell_, document_, voice);
    previousHandle_ = HandleOfEvent(head);
    // A head of its own shows the pool can still serve the voice's events.
    if (fresh && previousHandle_ && !(previousHandle_ == document_->headSentinel)) poolExhausted_ = false;
    return head;
}

// A voice's run is no longer than the events it has left to read, so a voice read
// whole leaves none of it over. The run starts with the records held ahead; only what
// they lack is taken from the pool, together with the next records ahead.
bool BuildingStreamSink::HaveSpareEvent() {
    if (spareNext_ < spareRun_) return true;
    // A short run has sounded the pool's alert once: the pool is exhausted.
    if (poolExhausted_) return false;
    const int wanted = std::clamp(eventsLeft_, 1, kEventRun);
    const int held = spareCount_ - spareNext_;
    if (held >= wanted) {
        spareRun_ = spareNext_ + wanted;
        return true;
    }
    std::move(spareRecords_ + spareNext_, spareRecords_ + spareCount_, spareRecords_);
    std::move(spareHandles_ + spareNext_, spareHandles_ + spareCount_, spareHandles_);
    spareNext_ = 0;
    const int made = AllocRecordRunAhead(kEventRecordPool, wanted - held, kEventsHeld - wanted,
                                         spareRecords_ + held, spareHandles_ + held);
    spareCount_ = held + made;
    poolExhausted_ = made < wanted - held;
    spareRun_ = std::min(spareCount_, wanted);
    return spareCount_ > 0;
}

EventRecord* BuildingStreamSink::NextEventRecord(RecordHandle* handle) {
    if (!HaveSpareEvent()) return nullptr;
    --eventsLeft_;
    *handle = spareHandles_[spareNext_];
    return static_cast<EventRecord*>(spareRecords_[spareNext_++]);
}

// The records ahead go back first, so that those of the run are freed into a pool
// that never handed the others out.
void BuildingStreamSink::ReleaseSpareEvents() {
    ReturnEventsAhead();
    for (; spareNext_ < spareCount_; ++spareNext_)
        FreeRecordByHandle(kEventRecordPool, spareHandles_[spareNext_]);
    spareNext_ = spareRun_ = spareCount_ = 0;
}

void BuildingStreamSink::ReturnEventsAhead() {
    const int from = std::max(spareNext_, spareRun_);
    ReturnRecordRun(kEventRecordPool, spareHandles_ + from, spareCount_ - from);
    spareCount_ = from;
}

// The event is linked after the previous one; its accidental (and the holder that
// heads any attached objects) is made from the stored word.
int BuildingStreamSink::EventRecordFor(int voice, EventRecord** record) {
    (void)voice;
    // The record comes with its handle, so no pool search is needed to link it.
    pendingRecord_ = *record = NextEventRecord(&pendingHandle_);
    if (pendingRecord_ != nullptr) return 0;
    return EventMemoryFailure();
}

// Reported as an internal error; the load then names its code.
int BuildingStreamSink::EventMemoryFailure() {
    InternalError(kFileModule, fc::kEventMemoryReport, 0);
    return fc::kEventMemory;
}

namespace {

// A decoded event, `made` with its handle, as the reader takes it (run-time bits
// cleared, a time past the measure 0, no links of its own) and linked after
// `previous`: the voice's chain is new, so each event goes at its end.
inline void LinkDecodedEvent(EventRecord* made, RecordHandle handle, EventRecord* previous,
                             RecordHandle previousHandle, int measureTicks) {
    made->word2 &= static_cast<uint16_t>(~kEventRunTimeBits);
    if (made->time >= measureTicks) made->time = 0;
    made->attachment = RecordHandle{};
    made->beamPrev = RecordHandle{};
    made->beamNext = RecordHandle{};
    made->next = RecordHandle{};
    made->prev = previousHandle;
    previous->next = handle;
}

}  // namespace

inline void BuildingStreamSink::AppendEvent(EventRecord* made, RecordHandle handle, const StoredEventLinks& links) {
    LinkDecodedEvent(made, handle, previous_, previousHandle_, measureTicks_);
    previous_ = lastEvent_ = made;
    previousHandle_ = handle;
    voiceEvents_.push_back(VoiceEvent{made, handle, links});
    tail_ = Tail::Event;
}

int BuildingStreamSink::Event(int voice, const EventRecord& event, const StoredEventLinks& links,
                              const AccidentalWord* accidental) {
    (void)voice;
    if (pendingRecord_ == nullptr && EventRecordFor(voice, &pendingRecord_) != 0) return fc::kEventMemory;
    EventRecord* made = std::exchange(pendingRecord_, nullptr);
    if (&event != made) *made = event;
    AppendEvent(made, pendingHandle_, links);
    if (accidental == nullptr && links.attachments == 0) return 0;
    ScoreObject* holder = NewAccidentalForNote(view_, made);
    if (holder == nullptr) return fc::kAccidental;
    if (accidental != nullptr) {
        ApplyAccidentalWord(holder, *accidental);
        SetAccidentalGlyph(holder, AccidentalCodeOf(*made));
    }
    return 0;
}

// Each stored event is decoded straight into the next record of the voice's run, a
// run at a time; the chain's end is kept in locals while a run is linked.
int BuildingStreamSink::PlainEvents(int voice, const uint8_t* stored, int count) {
    (void)voice;
    while (count > 0) {
        if (!HaveSpareEvent()) return EventMemoryFailure();
        const int take = std::min(count, spareRun_ - spareNext_);
        EventRecord* previous = previous_;
        RecordHandle previousHandle = previousHandle_;
        const int measureTicks = measureTicks_;
        for (int e = spareNext_; e < spareNext_ + take; ++e, stored += kStoredEventBytesInFile) {
            auto* made = static_cast<EventRecord*>(spareRecords_[e]);
            const RecordHandle handle = spareHandles_[e];
            const StoredEventLinks links = DecodeStoredEventInPlace(stored, made);
            LinkDecodedEvent(made, handle, previous, previousHandle, measureTicks);
            voiceEvents_.push_back(VoiceEvent{made, handle, links});
            previous = made;
            previousHandle = handle;
        }
        previous_ = lastEvent_ = previous;
        previousHandle_ = previousHandle;
        tail_ = Tail::Event;
        spareNext_ += take;
        eventsLeft_ -= take;
        count -= take;
    }
    return 0;
}

// Positions become handles; a partner on the wrong side, the event itself or past
// the voice is none, and long notes keep no partners.
void BuildingStreamSink::ResolveBeamPartners() {
    const int count = static_cast<int>(voiceEvents_.size());
    for (int i = 0; i < count; ++i) {
        const VoiceEvent& voiceEvent = voiceEvents_[static_cast<size_t>(i)];
        EventRecord* event = voiceEvent.record;
        const int own = i + 1;
        int prev = CheckedBeamPrevPosition(voiceEvent.links.beamPrev, own);
        int next = CheckedBeamNextPosition(voiceEvent.links.beamNext, own, count);
        if (event->duration > kLongestBeamedDuration) prev = next = 0;
        event->beamPrev = prev != 0 ? voiceEvents_[static_cast<size_t>(prev - 1)].handle : RecordHandle{};
        event->beamNext = next != 0 ? voiceEvents_[static_cast<size_t>(next - 1)].handle : RecordHandle{};
    }
    voiceEvents_.clear();
    lastEvent_ = nullptr;
    tail_ = Tail::None;
}

int BuildingStreamSink::Rests(int voice, const std::vector<RestBody>& rests) {
    ResolveBeamPartners();
    if (rests.empty()) return 0;
    return BuildRestChain(cell_, voice, rests, measureTicks_) == 0 ? 0 : fc::kRestBlocks;
}

}  // namespace ql
