// Quantising the raw notes of a measure: tuplet search, attack and release grids,
// duplicate merging, chord durations fitted to the next chord, the clef choice, and
// the whole measure's analysis in order (beats and rests in their own files).
//
// Tuplets are searched on the raw times: from the largest member value down, a run
// of n notes of (n - 1) x 2^e / n ticks starting on a multiple of 2^(e + n/2) (three
// triplet eighths on a beat) becomes a tuplet when every member starts within the
// attack grid's half step (at most 128 ticks) of its slot and lasts within a quarter
// of the member length. Example: 0/341, 341/341, 683/341 in 4/4 is a triplet.
#include "sequencer/transcription_analysis.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>

namespace ql {
namespace {

constexpr int32_t kAttackPreSnap = 8;       // times are first snapped to 8 ticks
constexpr int32_t kSoundingDuration = 512;  // a note never released
constexpr int32_t kChordTolerance = 16;     // raw attacks this close form one group
constexpr int32_t kMostTupletGridTolerance = 128;
constexpr int kLowestTupletExponent = 6;
constexpr int kAutoClefLow = 55;
constexpr int kAutoClefHigh = 65;
constexpr int kBassCentre = 50;
constexpr int kTrebleCentre = 71;

bool EarlierNote(const RawNote& a, const RawNote& b) {
    return a.time != b.time ? a.time < b.time : a.key < b.key;
}

int32_t TupletMember(int n, int e) { return (n - 1) * (int32_t{1} << e) / n; }

// A member may sound shorter than its slot (down to half of it, as the playback
// percent or a staccato leaves it) or a quarter longer.
bool WithinMember(int32_t d, int32_t member) { return d >= member / 2 && d <= member + member / 4; }

// The attack as played, and the length from it.
int32_t HeardTime(const RawNote& note) { return note.time + note.heardOffset; }
int32_t HeardDuration(const RawNote& note) { return note.duration - note.heardOffset; }

bool EarlierHeard(const RawNote& a, const RawNote& b) {
    return HeardTime(a) != HeardTime(b) ? HeardTime(a) < HeardTime(b) : a.key < b.key;
}

// The raw groups of notes (indices into the notes sorted as heard) that start together.
std::vector<std::vector<size_t>> RawGroups(const std::vector<RawNote>& notes) {
    std::vector<std::vector<size_t>> groups;
    for (size_t i = 0; i < notes.size(); ++i) {
        if (groups.empty() || HeardTime(notes[i]) - HeardTime(notes[groups.back().front()]) > kChordTolerance)
            groups.push_back({});
        groups.back().push_back(i);
    }
    return groups;
}

// A run of n raw groups from `first` matching slots of `member` ticks.
bool MatchTupletRun(const std::vector<RawNote>& notes, const std::vector<std::vector<size_t>>& groups,
                    size_t first, int n, int32_t start, int32_t member, int32_t tolerance) {
    if (first + n > groups.size()) return false;
    for (int k = 0; k < n; ++k) {
        const RawNote& head = notes[groups[first + k].front()];
        if (std::abs(HeardTime(head) - (start + k * member)) > tolerance) return false;
        if (!WithinMember(HeardDuration(head), member)) return false;
    }
    return true;
}

TranscribedGroup MakeTuplet(std::vector<RawNote>& notes, const std::vector<std::vector<size_t>>& groups,
                            size_t index, int k, int n, int e, int32_t slot, int limit) {
    TranscribedGroup group;
    group.time = slot;
    group.value = NoteValue{e, 0};
    group.tuplet = true;
    group.tupletKind = n == 5 ? kQuintupletKind : kTripletKind;
    const int32_t member = TupletMember(n, e);
    for (size_t i : groups[index + k]) {
        RawNote note = notes[i];
        note.attackOffset = ClampOffset(note.attackOffset - note.heardOffset + HeardTime(note) - slot, limit);
        note.releaseOffset = ClampOffset(note.releaseOffset + HeardDuration(note) - member, limit);
        note.time = slot;
        note.heardOffset = 0;
        note.duration = member;
        note.sounding = false;
        group.notes.push_back(note);
    }
    return group;
}

void SearchTuplets(std::vector<RawNote>& notes, std::vector<bool>& taken, int n, int firstExponent,
                   const QuantizeSettings& s, std::vector<TranscribedGroup>& found) {
    const std::vector<std::vector<size_t>> groups = RawGroups(notes);
    const int32_t tolerance = std::min<int32_t>(
        s.attack >= 1 && s.attack <= 12 ? int32_t{1} << (s.attack - 1) : kMostTupletGridTolerance,
        kMostTupletGridTolerance);
    for (int e = firstExponent; e > kLowestTupletExponent; --e) {
        const int32_t member = TupletMember(n, e);
        const int32_t startGrid = int32_t{1} << (e + n / 2);
        for (size_t g = 0; g < groups.size(); ++g) {
            if (taken[groups[g].front()]) continue;
            const RawNote& head = notes[groups[g].front()];
            const int32_t start = SnapToGrid(HeardTime(head), s.attack);
            if (start % startGrid != 0) continue;
            if (!MatchTupletRun(notes, groups, g, n, start, member, tolerance)) continue;
            bool free = true;
            for (int k = 0; k < n; ++k) free = free && !taken[groups[g + k].front()];
            if (!free) continue;
            for (int k = 0; k < n; ++k) {
                found.push_back(MakeTuplet(notes, groups, g, k, n, e, start + k * member, s.offsetLimit));
                for (size_t i : groups[g + k]) taken[i] = true;
            }
            g += n - 1;
        }
    }
}

void Count(ClefStatistics& stats, const RawNote& note) {
    stats.lowest = std::min<int>(stats.lowest, note.key);
    stats.highest = std::max<int>(stats.highest, note.key);
    stats.sum += note.key;
    ++stats.count;
}

// The same-time group at `time`, made when missing (groups in time order).
TranscribedGroup& GroupAt(std::vector<TranscribedGroup>& groups, int32_t time) {
    auto at = std::lower_bound(groups.begin(), groups.end(), time,
                               [](const TranscribedGroup& g, int32_t t) { return g.time < t; });
    if (at != groups.end() && at->time == time && !at->tuplet) return *at;
    TranscribedGroup group;
    group.time = time;
    return *groups.insert(at, group);
}

// Keeps the longer of two notes of one time and key (equal: the one with more
// ties); the number of notes that started a sound and were lost (0 or 1).
uint32_t MergeDuplicateNote(TranscribedGroup& group, const RawNote& note) {
    for (RawNote& old : group.notes) {
        if (old.key != note.key) continue;
        const int oldTies = (old.tieFromPrevious ? 1 : 0) + (old.tieToNext ? 2 : 0);
        const int newTies = (note.tieFromPrevious ? 1 : 0) + (note.tieToNext ? 2 : 0);
        const bool replace = note.duration > old.duration || (note.duration == old.duration && newTies > oldTies);
        const RawNote& loser = replace ? old : note;
        const uint32_t lost = loser.tieFromPrevious ? 0 : 1;
        if (replace) old = note;
        return lost;
    }
    auto at = std::upper_bound(group.notes.begin(), group.notes.end(), note,
                               [](const RawNote& a, const RawNote& b) { return a.key < b.key; });
    group.notes.insert(at, note);
    return 0;
}

// The note of a key in a group, or null.
RawNote* NoteOfKey(TranscribedGroup& group, uint8_t key) {
    for (RawNote& note : group.notes)
        if (note.key == key) return &note;
    return nullptr;
}

int32_t GroupDuration(const TranscribedGroup& group) {
    int32_t d = 0;
    for (const RawNote& note : group.notes) d = std::max(d, note.duration);
    return d > 0 ? d : ValueTicks(group.value);
}

}  // namespace

int32_t GroupTicks(const TranscribedGroup& group) {
    if (!group.tuplet) return ValueTicks(group.value);
    const int n = group.tupletKind == kQuintupletKind ? 5 : 3;
    return TupletMember(n, group.value.code);
}

std::vector<TranscribedGroup> DetectTuplets(std::vector<RawNote>& notes, const Metre& metre,
                                            const QuantizeSettings& s) {
    std::vector<TranscribedGroup> found;
    if (!s.triplets && !s.quintuplets) return found;
    std::sort(notes.begin(), notes.end(), EarlierHeard);
    std::vector<bool> taken(notes.size(), false);
    if (s.quintuplets) SearchTuplets(notes, taken, 5, metre.beatExponent - 2, s, found);
    if (s.triplets) SearchTuplets(notes, taken, 3, metre.beatExponent - 1, s, found);
    std::vector<RawNote> rest;
    for (size_t i = 0; i < notes.size(); ++i)
        if (!taken[i]) rest.push_back(notes[i]);
    notes.swap(rest);
    std::sort(found.begin(), found.end(),
              [](const TranscribedGroup& a, const TranscribedGroup& b) { return a.time < b.time; });
    return found;
}

void QuantizeIntoGroups(std::vector<RawNote>& notes, std::vector<TranscribedGroup>& groups,
                        MeasureTranscription& out, const Metre& metre, const QuantizeSettings& s) {
    const int32_t shortestRelease = s.release >= 0 && s.release <= kLongestCode ? int32_t{1} << s.release
                                                                                : kShortestWritten;
    // The attack grid's step (no grid: the pre-snap step).
    const int32_t attackStep = SnapToGrid(1, s.attack) == 1 ? kAttackPreSnap : int32_t{1} << s.attack;
    // The played attack of each key at each quantised time, for telling a key struck
    // again from the same note written twice.
    std::map<std::pair<int32_t, uint8_t>, int32_t> struck;
    for (RawNote note : notes) {
        Count(out.clef, note);
        const int32_t t = (std::max(note.time, 0) + kAttackPreSnap / 2) & ~(kAttackPreSnap - 1);
        int32_t q = SnapToGrid(t, s.attack);
        // A key struck again within one grid step is a note of its own: it takes the
        // next grid time free of that key (the note before ends there).
        const int32_t heard = HeardTime(note);
        for (auto at = struck.find({q, note.key});
             at != struck.end() && std::abs(heard - at->second) > kChordTolerance; at = struck.find({q, note.key}))
            q += attackStep;
        struck.try_emplace({q, note.key}, heard);
        if (q >= metre.length) {
            note.attackOffset = ClampOffset(note.attackOffset + t - q, s.offsetLimit);
            note.time = q - metre.length;
            out.toNextMeasure.push_back(note);
            continue;
        }
        note.attackOffset = ClampOffset(note.attackOffset + t - q, s.offsetLimit);
        if (q == 0 && note.tieFromPrevious) out.clef.tiedInAtStart = true;
        if (note.sounding) {
            note.duration = kSoundingDuration;
            note.tieToNext = false;
            note.sounding = false;
        }
        note.duration = std::max(note.duration, kShortestWritten);
        const int32_t end = SnapToGrid(t + note.duration, s.release);
        note.releaseOffset = ClampOffset(note.releaseOffset + (t + note.duration) - end, s.offsetLimit);
        note.duration = std::max(end - q, shortestRelease);
        note.time = q;
        TranscribedGroup& group = GroupAt(groups, q);
        out.mergedAway += MergeDuplicateNote(group, note);
    }
    for (TranscribedGroup& group : groups) {
        if (group.tuplet) continue;
        group.value = ValueOfTicks(GroupDuration(group));
        if (group.value.code < kShortestWrittenCode) group.value = NoteValue{kShortestWrittenCode, 0};
    }
}

void CarryHeldNotes(std::vector<TranscribedGroup>& groups, const Metre& metre) {
    for (size_t i = 0; i + 1 < groups.size(); ++i) {
        if (groups[i].tuplet) continue;
        TranscribedGroup& next = groups[i + 1];
        const int32_t distance = next.time - groups[i].time;
        for (RawNote& note : groups[i].notes) {
            const int32_t beyond = note.duration - distance;
            if (beyond < kShortestWritten || next.time >= metre.length) continue;
            if (next.tuplet || NoteOfKey(next, note.key) != nullptr) {
                note.duration = distance;  // struck again (or a tuplet starts): the held sound ends
                note.tieToNext = false;
                continue;
            }
            RawNote continuation = note;
            continuation.time = next.time;
            continuation.duration = beyond;
            continuation.attackOffset = 0;
            continuation.heardOffset = 0;
            continuation.tieFromPrevious = true;
            note.duration = distance;
            note.releaseOffset = 0;
            note.tieToNext = true;
            auto at = std::upper_bound(next.notes.begin(), next.notes.end(), continuation,
                                       [](const RawNote& a, const RawNote& b) { return a.key < b.key; });
            next.notes.insert(at, continuation);
        }
    }
}

void FitChordDurations(std::vector<TranscribedGroup>& groups, const Metre& metre, const QuantizeSettings& s) {
    const int32_t limit = std::max(s.extendLimit, 1);
    for (size_t i = 0; i < groups.size(); ++i) {
        TranscribedGroup& group = groups[i];
        if (group.tuplet) continue;
        int32_t d = GroupDuration(group);
        const int32_t next = i + 1 < groups.size() ? groups[i + 1].time : metre.length;
        const int32_t distance = next - group.time;
        if (s.fill) {
            const int32_t gap = distance - d;
            if (gap > limit) {
                const int32_t extend = limit - (group.time + d) % limit;
                if (extend != limit) d += extend;
            } else if (gap >= 1 && gap < limit) {
                d = distance;
            }
        }
        group.value = ValueOfTicks(d);
        for (RawNote& note : group.notes) {
            if (note.duration == d) continue;
            if (!note.tieToNext) {
                int32_t offset = note.releaseOffset - (d - note.duration);
                const int32_t written = int32_t{1} << group.value.code;
                if (offset <= -written) offset = -(written / 2);
                note.releaseOffset = ClampOffset(offset, s.offsetLimit);
            }
            note.duration = d;
        }
    }
}

uint8_t ChooseClef(uint8_t current, const ClefStatistics& st) {
    if (st.count == 0) return current;
    const int average = st.sum / st.count;
    const int toBass = std::abs(average - kBassCentre);
    const int toTreble = std::abs(average - kTrebleCentre);
    if (current == kBassClefCode) {
        if (st.highest > kAutoClefHigh && (st.lowest >= kAutoClefLow || toBass > toTreble)) return kTrebleClefCode;
        return current;
    }
    if (st.lowest < kAutoClefLow && (st.highest <= kAutoClefHigh || toBass < toTreble)) return kBassClefCode;
    return current;
}

MeasureTranscription AnalyseMeasure(std::vector<RawNote> notes, const Metre& metre, const QuantizeSettings& s) {
    MeasureTranscription out;
    std::sort(notes.begin(), notes.end(), EarlierNote);
    out.groups = DetectTuplets(notes, metre, s);
    for (const TranscribedGroup& tuplet : out.groups)
        for (const RawNote& note : tuplet.notes) Count(out.clef, note);
    QuantizeIntoGroups(notes, out.groups, out, metre, s);
    CarryHeldNotes(out.groups, metre);
    FitChordDurations(out.groups, metre, s);
    SplitNotesAtBeats(out.groups, metre, s);
    out.rests = MakeRestsForVoice(out.groups, metre);
    return out;
}

}  // namespace ql
