// The snapshot of one voice that the stem and beam operations walk. Taking it once
// per operation bounds every later walk: beam links are followed only to chords of
// the snapshot, forwards to later chords and backwards to earlier ones, so a
// damaged or looping link ends a walk instead of leaving the voice.
#include <algorithm>
#include <array>

#include "core/constants.h"
#include "core/model/events.h"
#include "notes/stems/stems_internal.h"

namespace ql::stems {

namespace {

// One bit per 16-bit handle. The 8 KiB of bits are the thread's own and kept between
// walks: a set clears the words it wrote when it goes, so that a walk costs what it
// visits, not the whole table. A set made while another is alive takes bits of its own.
class HandleSet {
  public:
    HandleSet() : shared_(!SharedInUse()), own_(shared_ ? 0 : kWords), bits_(shared_ ? Shared() : own_.data()) {
        if (shared_) SharedInUse() = true;
    }
    ~HandleSet() {
        if (!shared_) return;
        if (overflowed_)
            std::fill(bits_, bits_ + kWords, uint64_t{0});
        else
            for (size_t i = 0; i < writtenCount_; ++i) bits_[written_[i]] = 0;
        SharedInUse() = false;
    }
    HandleSet(const HandleSet&) = delete;
    HandleSet& operator=(const HandleSet&) = delete;

    // False when the handle was already in the set.
    bool Insert(RecordHandle handle) {
        const auto index = static_cast<uint16_t>(handle.bits >> kWordShift);
        uint64_t& word = bits_[index];
        const uint64_t bit = uint64_t{1} << (handle.bits & kBitMask);
        if (word & bit) return false;
        if (word == 0 && shared_) Remember(index);
        word |= bit;
        return true;
    }

  private:
    static constexpr int kWordShift = 6;
    static constexpr int kBitMask = 63;
    static constexpr size_t kWords = (size_t{1} << 16) >> kWordShift;
    static uint64_t* Shared() {
        thread_local std::vector<uint64_t> bits(kWords);
        return bits.data();
    }
    static bool& SharedInUse() {
        thread_local bool inUse = false;
        return inUse;
    }

    // The words written are listed up to a voice's usual size; past it the whole
    // table is cleared at the end instead (no allocation either way).
    void Remember(uint16_t index) {
        if (writtenCount_ < written_.size())
            written_[writtenCount_++] = index;
        else
            overflowed_ = true;
    }

    bool shared_;
    std::vector<uint64_t> own_;
    uint64_t* bits_;
    std::array<uint16_t, 64> written_;  // read only below writtenCount_
    size_t writtenCount_ = 0;
    bool overflowed_ = false;
};

// Where the forward walk starts: the head sentinel behind the event, or the
// earliest event reached by backward links.
EventRecord* ChainStart(EventRecord* event, RecordHandle handle) {
    if (IsHeadSentinel(*event)) return event;
    // The usual case, the first event of a voice: its sentinel just behind it.
    if (EventRecord* prev = PrevEvent(event); prev != nullptr && IsHeadSentinel(*prev)) return prev;
    HandleSet seen;
    seen.Insert(handle);
    for (int i = 0; i < kMaxChainLength && !IsHeadSentinel(*event); ++i) {
        EventRecord* prev = PrevEvent(event);
        if (prev == nullptr || !seen.Insert(event->prev)) break;
        event = prev;
    }
    return event;
}

}  // namespace

VoiceChords::VoiceChords(EventRecord* anyEvent) {
    // Room for a voice of a measure at once: growing from nothing costs an
    // allocation per doubling in each of the five tables.
    constexpr size_t kUsualVoiceNotes = 32;
    events_.reserve(kUsualVoiceNotes);
    handles_.reserve(kUsualVoiceNotes);
    chordStart_.reserve(kUsualVoiceNotes);
    chordOfEvent_.reserve(kUsualVoiceNotes);
    byHandle_.reserve(kUsualVoiceNotes);
    Take(anyEvent);
}

void VoiceChords::Take(EventRecord* anyEvent) {
    Take(anyEvent, HandleOfEvent(anyEvent));
}

void VoiceChords::Take(EventRecord* anyEvent, RecordHandle handle) {
    Clear();
    // Only a live record of the current set: a freed slot or a foreign pointer is
    // no voice at all.
    if (anyEvent == nullptr || ResolveEvent(handle) != anyEvent) return;
    WalkFrom(ChainStart(anyEvent, handle), anyEvent, handle);
}

void VoiceChords::TakeFromHead(EventRecord* head, RecordHandle headHandle, EventRecord* first,
                               RecordHandle firstHandle) {
    // The head is where Take's walk back from the first event would stop.
    if (head == nullptr || first == nullptr || !IsHeadSentinel(*head) || IsHeadSentinel(*first) ||
        first->prev != headHandle) {
        Take(first, firstHandle);
        return;
    }
    Clear();
    // The head names the first event: the walk starts there, as the caller resolved it.
    if (head->next == firstHandle)
        WalkForwardFrom(first, firstHandle);
    else
        WalkFrom(head, first, firstHandle);
}

void VoiceChords::WalkFrom(EventRecord* start, EventRecord* anyEvent, RecordHandle handle) {
    WalkForward(start);
    // Usually the event is the voice's first, found without a look-up.
    const bool first = !handles_.empty() && handles_.front() == handle;
    if (!IsHeadSentinel(*anyEvent) && !first && EventIndexOf(handle) < 0) WalkForward(anyEvent);
}

void VoiceChords::Clear() {
    events_.clear();
    handles_.clear();
    chordStart_.clear();
    chordOfEvent_.clear();
    byHandle_.clear();
    lookupReady_ = false;
    anyBeamLinks_ = false;
}

void VoiceChords::WalkForward(EventRecord* from) {
    // A sentinel met again ends the walk before its handle is looked up, so the
    // sentinel it starts from is not entered in the set.
    const bool fromSentinel = IsHeadSentinel(*from);
    const RecordHandle handle = fromSentinel ? from->next : HandleOfEvent(from);
    WalkForwardFrom(fromSentinel ? ResolveEvent(handle) : from, handle);
}

void VoiceChords::WalkForwardFrom(EventRecord* event, RecordHandle handle) {
    Clear();
    // The handles passed: a voice of a measure holds a few events, looked for among
    // those already taken; past kShortWalk the walk goes on with a set of bits. (The set
    // is made only then: made, or wrapped in an optional, it costs every short walk.)
    constexpr size_t kShortWalk = 16;
    const PoolResolver<EventRecord> chain(kEventRecordPool);
    for (; event != nullptr; event = chain.Find(handle)) {
        if (handles_.size() >= kShortWalk) {
            WalkLongFrom(event, handle, chain);
            return;
        }
        if (IsHeadSentinel(*event) ||
            std::find(handles_.begin(), handles_.end(), handle) != handles_.end() ||
            !Append(event, handle))
            return;
        handle = event->next;
    }
}

void VoiceChords::WalkLongFrom(EventRecord* event, RecordHandle handle,
                               const PoolResolver<EventRecord>& chain) {
    HandleSet seen;
    for (RecordHandle taken : handles_) seen.Insert(taken);
    for (; event != nullptr && events_.size() < static_cast<size_t>(kMaxChainLength);
         event = chain.Find(handle)) {
        if (IsHeadSentinel(*event) || !seen.Insert(handle) || !Append(event, handle)) return;
        handle = event->next;
    }
}

bool VoiceChords::Append(EventRecord* event, RecordHandle handle) {
    if (!events_.empty() && event->time < events_.back()->time) return false;
    if (events_.empty() || event->time != events_.back()->time) {
        chordStart_.push_back(static_cast<int>(events_.size()));
        anyBeamLinks_ = anyBeamLinks_ || event->beamPrev || event->beamNext;
    }
    events_.push_back(event);
    handles_.push_back(handle);
    return true;
}

// Made when first needed: a voice without beams is restemmed without a look-up.
void VoiceChords::MakeLookup() const {
    byHandle_.clear();
    chordOfEvent_.clear();
    int chord = -1;
    for (size_t i = 0; i < events_.size(); ++i) {
        if (chord + 1 < ChordCount() && chordStart_[chord + 1] == static_cast<int>(i)) ++chord;
        chordOfEvent_.push_back(chord);
        byHandle_.emplace_back(handles_[i].bits, static_cast<int>(i));
    }
    std::sort(byHandle_.begin(), byHandle_.end());
    lookupReady_ = true;
}

int VoiceChords::EventIndexOf(RecordHandle handle) const {
    if (!lookupReady_) MakeLookup();
    auto it = std::lower_bound(byHandle_.begin(), byHandle_.end(),
                               std::pair<uint16_t, int>{handle.bits, 0});
    if (it == byHandle_.end() || it->first != handle.bits) return -1;
    return it->second;
}

int VoiceChords::ChordOf(const EventRecord* event) const {
    RecordHandle handle = HandleOfEvent(event);
    if (!handle) return -1;
    int index = EventIndexOf(handle);
    return index < 0 ? -1 : chordOfEvent_[index];
}

int VoiceChords::LaterChordNamed(int chord, RecordHandle handle) const {
    if (!handle) return -1;
    const int index = EventIndexOf(handle);
    if (index < 0) return -1;
    const int named = chordOfEvent_[index];
    if (chordStart_[named] != index || named <= chord) return -1;
    return named;
}

int VoiceChords::EarlierChordNamed(int chord, RecordHandle handle) const {
    if (!handle) return -1;
    const int index = EventIndexOf(handle);
    if (index < 0) return -1;
    const int named = chordOfEvent_[index];
    if (chordStart_[named] != index || named >= chord) return -1;
    return named;
}

int VoiceChords::GroupFirst(int chord) const {
    for (int prev = EarlierChordNamed(chord, Head(chord)->beamPrev); prev >= 0;
         prev = EarlierChordNamed(chord, Head(chord)->beamPrev))
        chord = prev;
    return chord;
}

int VoiceChords::GroupLast(int chord) const {
    for (int next = LaterChordNamed(chord, Head(chord)->beamNext); next >= 0;
         next = LaterChordNamed(chord, Head(chord)->beamNext))
        chord = next;
    return chord;
}

int VoiceChords::GroupChordCount(int chord) const {
    int count = 1;
    for (int c = GroupFirst(chord), next = LaterChordNamed(c, Head(c)->beamNext); next >= 0;
         c = next, next = LaterChordNamed(c, Head(c)->beamNext))
        ++count;
    return count;
}

int VoiceChords::Ticks(int chord) const {
    return EventDurationTicks(*Head(chord));
}

int VoiceChords::GroupTicks(int chord) const {
    return End(GroupLast(chord)) - Time(GroupFirst(chord));
}

}  // namespace ql::stems
