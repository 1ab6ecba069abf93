// The building sink's "MUSE" items (see score_build_sink.h): each cell's header and
// object list, each voice's events linked in stream order with their accidentals and
// attached objects, the beam partners turned from positions back into handles once
// the voice is whole, and the voice's rests. While voice v is read the view's voice
// mask is exactly bit v (voice 0: the view's own bit 0), so the objects made for it
// take that voice.
#include <algorithm>
#include <bit>
#include <cstddef>
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

MeasureCell* BuildingStreamSink::MusicCell(int staff, int measure) {
    if (staff != cellsStaff_) {
        cellsStaff_ = staff;
        staffCells_ = CellArrayOf(StaffRecordOf(document_, staff));
    }
    // Measures 1..M lie within the cells a staff is made with.
    if (staffCells_ != nullptr && measure >= 1 && measure <= document_->header.measureCount &&
        measure < MaxMeasures && staffCells_->cells[measure])
        return FindRecord<MeasureCell>(kMeasureCellPool, staffCells_->cells[measure]);
    return GetOrCreateMeasureCell(StaffRecordOf(document_, staff), document_, measure);
}

int BuildingStreamSink::Cell(int staff, int measure, const MeasureCell& header) {
    RestoreVoiceMask();
    ShowMusicProgress(staff, measure);
    cell_ = MusicCell(staff, measure);
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
    voiceEventCount_ = 0;
    beamedEvents_.clear();
    // A voice read whole leaves none of its run; what was taken ahead serves this one.
    if (spareNext_ < spareRun_) ReleaseSpareEvents();
    eventsLeft_ = events;
    previous_ = nullptr;
    if (events == 0) return 0;
    VoiceHandlesRoom(events);
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

// LinkDecodedEvent's rules on a stored event's leading words, before they are
// stored (little-endian: word2 is bits 16-31 of the first word, time bits 0-15 of
// the third; the attachment's place is clear already).
constexpr int kWord2Shift = 8 * offsetof(EventRecord, word2);
constexpr int kTimeShift = 8 * (offsetof(EventRecord, time) - 2 * kStoredEventWordBytes);
constexpr uint64_t kTimeBits = uint64_t{0xFFFF} << kTimeShift;
inline void TakeAsRead(StoredEventImage* image, int measureTicks) {
    image->words[0] &= ~(uint64_t{kEventRunTimeBits} << kWord2Shift);
    if (static_cast<int>((image->words[2] & kTimeBits) >> kTimeShift) >= measureTicks) image->words[2] &= ~kTimeBits;
}
// The fourth word of a record: no beam partners, then the chain links.
constexpr int kPrevShift = 8 * (offsetof(EventRecord, prev) - 3 * kStoredEventWordBytes);
constexpr int kNextShift = 8 * (offsetof(EventRecord, next) - 3 * kStoredEventWordBytes);
inline uint64_t ChainWord(RecordHandle prev, RecordHandle next) {
    return uint64_t{prev.bits} << kPrevShift | uint64_t{next.bits} << kNextShift;
}

}  // namespace

inline void BuildingStreamSink::AppendEvent(EventRecord* made, RecordHandle handle, const StoredEventLinks& links) {
    LinkDecodedEvent(made, handle, previous_, previousHandle_, measureTicks_);
    previous_ = lastEvent_ = made;
    previousHandle_ = handle;
    *VoiceHandlesRoom(1) = handle;
    NoteBeamPartners(made, ++voiceEventCount_, links);
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

// Each record of the run is written whole, once: the stored words as the reader
// takes them and its chain links (the next record's handle is known within the run;
// the last one's next is set by the event that follows it).
void BuildingStreamSink::LinkPlainRun(const uint8_t* stored, int take) {
    const int first = spareNext_;
    const int end = first + take;
    const int position = voiceEventCount_;
    RecordHandle* handles = VoiceHandlesRoom(take);
    EventRecord* previous = previous_;
    RecordHandle previousHandle = previousHandle_;
    const int measureTicks = measureTicks_;
    if constexpr (std::endian::native == std::endian::little) {
        previous->next = spareHandles_[first];
        // The handles array holds a place after the run's last record (kEventsHeld is
        // one more than the most taken), read as its next and then overwritten.
        const RecordHandle lastNext = spareHandles_[end];
        spareHandles_[end] = RecordHandle{};
        for (int e = first; e < end; ++e, stored += kStoredEventBytesInFile) {
            auto* made = static_cast<EventRecord*>(spareRecords_[e]);
            const RecordHandle handle = spareHandles_[e];
            StoredEventImage image = ReadStoredEventImage(stored);
            TakeAsRead(&image, measureTicks);
            StoreEventWords(image, ChainWord(previousHandle, spareHandles_[e + 1]), made);
            *handles++ = handle;
            NoteBeamPartners(made, position + (e - first) + 1, image.links);
            previous = made;
            previousHandle = handle;
        }
        spareHandles_[end] = lastNext;
    } else {
        for (int e = first; e < end; ++e, stored += kStoredEventBytesInFile) {
            auto* made = static_cast<EventRecord*>(spareRecords_[e]);
            const RecordHandle handle = spareHandles_[e];
            const StoredEventLinks links = DecodeStoredEventInPlace(stored, made);
            LinkDecodedEvent(made, handle, previous, previousHandle, measureTicks);
            *handles++ = handle;
            NoteBeamPartners(made, position + (e - first) + 1, links);
            previous = made;
            previousHandle = handle;
        }
    }
    previous_ = lastEvent_ = previous;
    previousHandle_ = previousHandle;
    voiceEventCount_ += take;
    tail_ = Tail::Event;
    spareNext_ = end;
    eventsLeft_ -= take;
}

// Each stored event is decoded straight into the next record of the voice's run, a
// run at a time.
int BuildingStreamSink::PlainEvents(int voice, const uint8_t* stored, int count) {
    (void)voice;
    while (count > 0) {
        if (!HaveSpareEvent()) return EventMemoryFailure();
        const int take = std::min(count, spareRun_ - spareNext_);
        LinkPlainRun(stored, take);
        stored += static_cast<size_t>(take) * kStoredEventBytesInFile;
        count -= take;
    }
    return 0;
}

// Positions become handles; a partner on the wrong side, the event itself or past
// the voice is none, and long notes keep no partners. Events stored without partners
// have none already.
inline void BuildingStreamSink::ResolveBeamPartners() {
    const int count = voiceEventCount_;
    for (const BeamedEvent& beamed : beamedEvents_) {
        EventRecord* event = beamed.record;
        int prev = CheckedBeamPrevPosition(beamed.links.beamPrev, beamed.position);
        int next = CheckedBeamNextPosition(beamed.links.beamNext, beamed.position, count);
        if (event->duration > kLongestBeamedDuration) prev = next = 0;
        event->beamPrev = prev != 0 ? voiceHandles_[static_cast<size_t>(prev - 1)] : RecordHandle{};
        event->beamNext = next != 0 ? voiceHandles_[static_cast<size_t>(next - 1)] : RecordHandle{};
    }
    voiceEventCount_ = 0;
    beamedEvents_.clear();
    lastEvent_ = nullptr;
    tail_ = Tail::None;
}

// What VoiceStart and Rests do for a voice of no events and no rests.
int BuildingStreamSink::EmptyVoice(int voice) {
    if (int code = BuildingStreamSink::VoiceStart(voice, 0)) return code;
    ResolveBeamPartners();
    return 0;
}

int BuildingStreamSink::Rests(int voice, const std::vector<RestBody>& rests) {
    ResolveBeamPartners();
    if (rests.empty()) return 0;
    return BuildRestChain(cell_, voice, rests, measureTicks_) == 0 ? 0 : fc::kRestBlocks;
}

}  // namespace ql
