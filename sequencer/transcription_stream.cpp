// The streaming stage of transcription (see transcription_stream.h).
//
// A staff is always inside one measure. A note-on quantised before the barline
// becomes a sounding note of the current measure; one quantised onto the barline
// waits on the pending list for the next measure. Closing a measure cuts every
// sounding note at the barline (tied on) and carries it; a carried note still held
// at the next barline gets a tied whole-measure continuation. A note-off closes the
// newest sounding note of its key (one that started 32 ticks or more before it,
// when the newest is younger), else a pending one (one release step), else a
// carried one: its continuation starts at 0 of this measure, or, when the release
// snaps to the barline, the earlier part simply ends there without a tie.
// A staff whose clock passes the end of the last measure the score can hold stops
// there: what sounds at that barline ends on it, and every later note is left out
// and counted.
#include "sequencer/transcription_stream.h"

#include <algorithm>
#include <limits>

#include "core/model/document.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "layout/page_format.h"

namespace ql {
namespace {

constexpr int kStoreStaves = 256;
constexpr int32_t kDefaultMeasureLength = 4096;
constexpr int32_t kLongestSourceMeasure = 32767;
constexpr int32_t kCountInReach = 128;  // count-in notes this close to the barline count
constexpr uint8_t kNoteOn = 0x90;
constexpr uint8_t kDataMask = 0x7F;

struct TranscriptionStore {
    TranscriptionInput input;
    TranscriptionCounts counts;
    TranscriptionStaff staves[kStoreStaves];
    std::vector<std::vector<RawNote>> notes[kStoreStaves];  // by measure
    uint32_t nextSource = 1;
};

TranscriptionStore& Store() {
    static TranscriptionStore store;
    return store;
}

bool IsStoreStaff(int staff) { return staff >= 0 && staff < kStoreStaves; }

std::vector<RawNote>& MeasureNotes(int staff, int measure) {
    auto& measures = Store().notes[staff];
    if (measure >= static_cast<int>(measures.size())) measures.resize(static_cast<size_t>(measure) + 1);
    return measures[static_cast<size_t>(measure)];
}

int32_t ToScoreTicks(int32_t sourceTicks) {
    const TranscriptionInput& in = Store().input;
    if (in.nativeTime) return sourceTicks;
    const int64_t ticks = int64_t{sourceTicks} * kTranscribeQuarter / std::max(in.resolution, 1);
    return static_cast<int32_t>(std::clamp<int64_t>(ticks, 0, std::numeric_limits<int32_t>::max()));
}

// A measure's length in source ticks (A5); a length of 0 is replaced by 4,096.
int32_t SourceMeasureLength(ScoreView* view, int measure) {
    MeasureRecord* record = view != nullptr && view->document != nullptr ? MeasureRecordOf(view->document, measure) : nullptr;
    int32_t length = record != nullptr ? record->lengthTicks : kDefaultMeasureLength;
    if (length <= 0) {
        length = kDefaultMeasureLength;
        if (record != nullptr) record->lengthTicks = static_cast<uint16_t>(length);
    }
    const TranscriptionInput& in = Store().input;
    if (in.nativeTime) return std::min(length, kLongestSourceMeasure);
    const int resolution = std::max(in.resolution, 1);
    const int64_t source = int64_t{length} * resolution / kTranscribeQuarter;
    return static_cast<int32_t>(std::max<int64_t>(source > kLongestSourceMeasure ? int64_t{resolution} * 4 : source, 1));
}

int8_t RelativeVelocity(ScoreView* view, int staff, int velocity) {
    const StaffRecord* record = view != nullptr && view->document != nullptr ? StaffRecordOf(view->document, staff) : nullptr;
    const int base = record != nullptr ? record->baseKeyVelocity : kNewStaffKeyVelocity;
    return static_cast<int8_t>(std::clamp(velocity - base, -128, 127));
}

int32_t SaturatingAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(std::clamp<int64_t>(int64_t{a} + b, std::numeric_limits<int32_t>::min() / 2,
                                                    std::numeric_limits<int32_t>::max() / 2));
}

// The measure becomes the staff's current one; false when it cannot exist.
bool EnterMeasure(ScoreView* view, int staff, int measure) {
    TranscriptionStaff& st = Store().staves[staff];
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    if (measure > MeasureLimit) return false;
    if (document != nullptr && measure > document->header.measureCount) {
        if (measure > MeasureLimit || AddMeasures(view, measure) == 0) return false;
    }
    st.currentMeasure = measure;
    st.length = SourceMeasureLength(view, measure);
    std::vector<RawNote>& notes = MeasureNotes(staff, measure);
    for (RawNote& note : st.pending) {
        note.sounding = true;
        notes.push_back(note);
        st.sounding.push_back(notes.size() - 1);
    }
    st.pending.clear();
    return true;
}

// Notes of a staff left out after its last measure: counted as past the last
// measure the score can hold when the staff stands in it (a measure that could not
// be added for want of memory was reported as such).
void LeaveOut(int staff, uint32_t notes) {
    Store().counts.dropped += notes;
    if (Store().staves[staff].currentMeasure >= MeasureLimit) Store().counts.pastLastMeasure += notes;
}

// The staff stays at the end of its measure, the last one the score can hold.
void StopAtLastMeasure(int staff) {
    TranscriptionStaff& st = Store().staves[staff];
    for (const TranscriptionStaff::Carried& c : st.carried) MeasureNotes(staff, c.measure)[c.index].tieToNext = false;
    st.carried.clear();
    LeaveOut(staff, static_cast<uint32_t>(st.pending.size()));
    st.pending.clear();
    st.pastLastMeasure = true;
}

// A3-A6: cuts the sounding notes at the barline and moves to the next measure.
bool CloseMeasure(ScoreView* view, int staff) {
    TranscriptionStaff& st = Store().staves[staff];
    const int measure = st.currentMeasure;
    std::vector<RawNote>& notes = MeasureNotes(staff, measure);
    const int32_t length = ToScoreTicks(st.length);
    std::vector<TranscriptionStaff::Carried> carried;
    for (const TranscriptionStaff::Carried& c : st.carried) {
        RawNote held = MeasureNotes(staff, c.measure)[c.index];
        RawNote whole;
        whole.key = held.key;
        whole.velocity = held.velocity;
        whole.source = held.source;
        whole.duration = std::max(length, kShortestWritten);
        whole.tieFromPrevious = true;
        whole.tieToNext = true;
        notes.push_back(whole);
        carried.push_back({measure, notes.size() - 1});
    }
    for (size_t index : st.sounding) {
        RawNote& note = notes[index];
        note.duration = std::max(length - note.time, kShortestWritten);
        note.sounding = false;
        note.tieToNext = true;
        carried.push_back({measure, index});
    }
    st.carried.swap(carried);
    st.sounding.clear();
    st.previousLength = length;
    st.measureStart = SaturatingAdd(st.measureStart, st.length);
    st.position = std::max(st.clock - st.measureStart, 0);
    if (EnterMeasure(view, staff, measure + 1)) return true;
    StopAtLastMeasure(staff);
    return false;
}

void AdvanceStaff(ScoreView* view, int staff, int32_t delta) {
    TranscriptionStaff& st = Store().staves[staff];
    st.clock = SaturatingAdd(st.clock, delta);
    if (st.length <= 0 || st.pastLastMeasure) return;  // not started, or stopped
    st.position = st.clock - st.measureStart;
    if (st.position < 0) {
        st.position = 0;
        return;
    }
    // A staff exactly on the barline stays at the end of its measure until a later
    // time or something that starts there needs the next one.
    while (st.position > st.length)
        if (!CloseMeasure(view, staff)) break;
}

void EnterMeasureOnBarline(ScoreView* view, int staff) {
    TranscriptionStaff& st = Store().staves[staff];
    if (st.length <= 0 || st.pastLastMeasure) return;
    while (st.position >= st.length)
        if (!CloseMeasure(view, staff)) break;
}

void NoteOn(ScoreView* view, int staff, uint8_t key, int velocity, int32_t p) {
    TranscriptionStore& store = Store();
    const TranscriptionInput& in = store.input;
    TranscriptionStaff& st = store.staves[staff];
    const QuantizeSettings s = CurrentQuantizeSettings();
    const int32_t length = ToScoreTicks(st.length);
    const bool countIn = in.nativeTime && st.currentMeasure < in.firstMeasure;
    const int32_t q = countIn ? length : SnapToGrid(p, s.attack);
    RawNote note;
    note.key = key;
    note.velocity = RelativeVelocity(view, staff, velocity);
    note.sounding = true;
    note.source = store.nextSource++;
    // The attack as played is kept beside the grid's: tuplets are found from it.
    note.heardOffset = countIn ? 0 : p - q;
    if (q < length) {
        note.time = q;
        note.duration = length - q;
        note.attackOffset = ClampOffset(p - q, s.offsetLimit);
        std::vector<RawNote>& notes = MeasureNotes(staff, st.currentMeasure);
        notes.push_back(note);
        st.sounding.push_back(notes.size() - 1);
        return;
    }
    if (countIn && length - p > kCountInReach) {
        ++store.counts.dropped;
        return;
    }
    note.time = q - length;
    note.attackOffset = countIn ? 0 : ClampOffset(p - q, s.offsetLimit);
    if (!st.pending.empty() && st.pending.back().time == note.time && st.pending.back().key == key) {
        ++store.counts.dropped;
        return;
    }
    st.pending.push_back(note);
}

bool CloseSounding(int staff, uint8_t key, int32_t p) {
    TranscriptionStaff& st = Store().staves[staff];
    std::vector<RawNote>& notes = MeasureNotes(staff, st.currentMeasure);
    auto newest = st.sounding.rend();
    for (auto it = st.sounding.rbegin(); it != st.sounding.rend(); ++it) {
        if (notes[*it].key != key) continue;
        if (newest == st.sounding.rend()) newest = it;
        if (p - notes[*it].time >= kShortestWritten) {
            newest = it;
            break;
        }
    }
    if (newest == st.sounding.rend()) return false;
    RawNote& note = notes[*newest];
    note.duration = std::max(p - note.time, kShortestWritten);
    note.sounding = false;
    note.tieToNext = false;
    st.sounding.erase(std::next(newest).base());
    return true;
}

bool ClosePending(int staff, uint8_t key, int release) {
    for (auto it = Store().staves[staff].pending.rbegin(); it != Store().staves[staff].pending.rend(); ++it) {
        if (it->key != key || !it->sounding) continue;
        it->sounding = false;
        it->duration = release >= 0 && release <= kLongestCode ? int32_t{1} << release : kShortestWritten;
        return true;
    }
    return false;
}

bool CloseCarried(int staff, uint8_t key, int32_t p, int release) {
    TranscriptionStaff& st = Store().staves[staff];
    const TranscriptionInput& in = Store().input;
    if (in.nativeTime && st.currentMeasure == in.firstMeasure) return false;
    std::vector<RawNote>& current = MeasureNotes(staff, st.currentMeasure);
    for (auto it = st.carried.rbegin(); it != st.carried.rend(); ++it) {
        RawNote& earlier = MeasureNotes(staff, it->measure)[it->index];
        if (earlier.key != key) continue;
        earlier.duration = std::max(st.previousLength - earlier.time, kShortestWritten);
        if (SnapToGrid(p, release) == 0) {
            earlier.tieToNext = false;
        } else {
            earlier.tieToNext = true;
            RawNote rest;
            rest.key = key;
            rest.velocity = earlier.velocity;
            rest.source = earlier.source;
            rest.tieFromPrevious = true;
            rest.duration = std::max(p, kShortestWritten);
            current.push_back(rest);
        }
        st.carried.erase(std::next(it).base());
        return true;
    }
    return false;
}

}  // namespace

TranscriptionInput& TranscriptionInputs() { return Store().input; }

void EnterReachedMeasure(ScoreView* view, int staff) {
    if (IsStoreStaff(staff)) EnterMeasureOnBarline(view, staff);
}

TranscriptionStaff& TranscriptionStaffState(int staff) {
    static TranscriptionStaff outside;
    if (!IsStoreStaff(staff)) {
        outside = TranscriptionStaff{};
        return outside;
    }
    return Store().staves[staff];
}

const TranscriptionCounts& TranscriptionCountsNow() { return Store().counts; }
void CountDroppedNotes(uint32_t count) { Store().counts.dropped += count; }
void CountChannelEvent() { ++Store().counts.channelEvents; }

void ResetTranscription() {
    TranscriptionStore& store = Store();
    store.input = TranscriptionInput{};
    store.counts = TranscriptionCounts{};
    for (int s = 0; s < kStoreStaves; ++s) {
        store.staves[s] = TranscriptionStaff{};
        store.notes[s].clear();
    }
    store.nextSource = 1;
}

void StartTranscriptionStaff(ScoreView* view, int staff, int measure) {
    if (!IsStoreStaff(staff)) return;
    TranscriptionStaff& st = Store().staves[staff];
    st.measureStart = 0;
    st.position = std::max(st.clock, 0);
    st.sounding.clear();
    st.carried.clear();
    st.pending.clear();
    st.previousLength = 0;
    st.currentMeasure = measure;
    st.length = SourceMeasureLength(view, measure);
    st.initialised = true;
}

void TranscribeRecordedNotes(ScoreView* view) {
    const TranscriptionInput& in = Store().input;
    switch (in.mode) {
        case RecordMode::Single:
            if (IsStoreStaff(in.staff)) AdvanceStaff(view, in.staff, in.delta);
            break;
        case RecordMode::Split:
            if (IsStoreStaff(in.upperStaff)) AdvanceStaff(view, in.upperStaff, in.delta);
            if (IsStoreStaff(in.lowerStaff) && in.lowerStaff != in.upperStaff) AdvanceStaff(view, in.lowerStaff, in.delta);
            break;
        case RecordMode::Multichannel: {
            const int count = view != nullptr && view->document != nullptr ? view->document->header.staffCount : 0;
            for (int s = 0; s <= count && s < kStoreStaves; ++s) AdvanceStaff(view, s, in.delta);
            break;
        }
    }
}

void TranscribeRecordedStaff(ScoreView* view) {
    TranscriptionStore& store = Store();
    const TranscriptionInput& in = store.input;
    const bool on = in.status == kNoteOn && in.length >= 2 && in.data[1] != 0;
    ++(on ? store.counts.noteOns : store.counts.noteOffs);
    const int staff = in.staff;
    const bool started = IsStoreStaff(staff) && store.staves[staff].length > 0;
    const bool beyond = started && (store.staves[staff].pastLastMeasure ||
                                    (in.nativeTime && store.staves[staff].currentMeasure > in.lastMeasure));
    if (beyond) {
        if (on) LeaveOut(staff, 1);
        return;
    }
    if (!started || in.length < 1 || in.data[0] > kDataMask) {
        if (on) ++store.counts.dropped;
        return;
    }
    if (on) EnterMeasureOnBarline(view, staff);
    const TranscriptionStaff& st = store.staves[staff];
    if (st.pastLastMeasure) {
        if (on) LeaveOut(staff, 1);
        return;
    }
    const int32_t p = std::max(ToScoreTicks(st.position), 0);
    const uint8_t key = in.data[0];
    if (on) {
        NoteOn(view, staff, key, std::min<int>(in.data[1], kDataMask), p);
        return;
    }
    const int release = CurrentQuantizeSettings().release;
    if (CloseSounding(staff, key, p) || ClosePending(staff, key, release) || CloseCarried(staff, key, p, release)) return;
    ++store.counts.unmatchedOffs;
}

void FlushPendingNotes(ScoreView* view, int staff) {
    if (!IsStoreStaff(staff)) return;
    TranscriptionStaff& st = Store().staves[staff];
    if (st.pending.empty()) return;
    const int next = st.currentMeasure + 1;
    ScoreDocument* document = view != nullptr ? view->document : nullptr;
    const bool room = next <= MeasureLimit &&
                      (document == nullptr || next <= document->header.measureCount || AddMeasures(view, next) != 0);
    if (room) {
        std::vector<RawNote>& notes = MeasureNotes(staff, next);
        notes.insert(notes.end(), st.pending.begin(), st.pending.end());
    } else if (next > MeasureLimit) {
        LeaveOut(staff, static_cast<uint32_t>(st.pending.size()));
    } else {
        Store().counts.dropped += static_cast<uint32_t>(st.pending.size());
    }
    st.pending.clear();
}

std::vector<RawNote>* RawNotesOf(int staff, int measure) {
    if (!IsStoreStaff(staff) || measure < 0) return nullptr;
    auto& measures = Store().notes[staff];
    return measure < static_cast<int>(measures.size()) ? &measures[static_cast<size_t>(measure)] : nullptr;
}

std::vector<RawNote> TakeRawNotes(int staff, int measure) {
    std::vector<RawNote> taken;
    if (std::vector<RawNote>* notes = RawNotesOf(staff, measure)) taken.swap(*notes);
    // The streaming state's indices into this measure are gone with it.
    if (IsStoreStaff(staff)) {
        TranscriptionStaff& st = Store().staves[staff];
        if (st.currentMeasure == measure) st.sounding.clear();
        std::erase_if(st.carried, [&](const TranscriptionStaff::Carried& c) { return c.measure == measure; });
    }
    return taken;
}

void AddRawNotes(int staff, int measure, const std::vector<RawNote>& notes) {
    if (!IsStoreStaff(staff) || measure < 0 || measure > MeasureLimit || notes.empty()) return;
    std::vector<RawNote>& to = MeasureNotes(staff, measure);
    to.insert(to.end(), notes.begin(), notes.end());
}

int LastRawMeasure(int staff) {
    if (!IsStoreStaff(staff)) return 0;
    const auto& measures = Store().notes[staff];
    for (int m = static_cast<int>(measures.size()) - 1; m > 0; --m)
        if (!measures[static_cast<size_t>(m)].empty()) return m;
    return 0;
}

int32_t StaffPositionTicks(int staff) {
    if (!IsStoreStaff(staff)) return 0;
    return std::max(ToScoreTicks(Store().staves[staff].position), 0);
}

}  // namespace ql
