// Chords, voices, beam links and gap rests of one staff's measure.
#include "interchange/niff/niff_voices.h"

#include <algorithm>
#include <cstdlib>
#include <map>
#include <utility>

#include "interchange/niff/niff_beam_stems.h"
#include "interchange/niff/niff_voice_places.h"
#include "notes/drawing/note_fields.h"

namespace ql::niff {
namespace {

constexpr int kPlaces = 4;  // chords at one tick

using Chord = NiffChordRecord;

struct Closing {
    const std::vector<NiffEvent>& events;
    std::vector<Chord> chords;
    std::vector<std::vector<int>> slots;  // chord indexes per tick, in place order
    std::vector<int> overflow;            // chords of full slots: no slot, no chain
    long budget = 0;
    bool spent = false;

    int Distance(int a, int b) const {
        return std::abs(chords[static_cast<size_t>(a)].average - chords[static_cast<size_t>(b)].average);
    }
};

// A chord of one event, the index of that event.
Chord ChordOf(const NiffEvent& e, size_t index) {
    Chord chord{e.tick, e.duration, e.beamId, e.tupletId, e.direction, {static_cast<int>(index)}};
    chord.fileVoice = e.fileVoice;
    return chord;
}

// Whether the file names the voices of both chords, and they differ: such chords
// never share a chord or a chain, so a beam, a stem or a rest stays in its voice.
bool FileVoicesDiffer(int c, int d) { return c >= 0 && d >= 0 && c != d; }

void GroupChords(Closing& closing) {
    const std::vector<NiffEvent>& events = closing.events;
    for (size_t i = 0; i < events.size(); ++i) {
        const NiffEvent& e = events[i];
        if (e.grace) continue;
        size_t slot = 0;
        while (slot < closing.slots.size() && closing.chords[static_cast<size_t>(closing.slots[slot][0])].tick < e.tick)
            ++slot;
        if (slot == closing.slots.size() || closing.chords[static_cast<size_t>(closing.slots[slot][0])].tick != e.tick) {
            closing.chords.push_back(ChordOf(e, i));
            closing.slots.insert(closing.slots.begin() + static_cast<long>(slot),
                                 std::vector<int>{static_cast<int>(closing.chords.size() - 1)});
            continue;
        }
        std::vector<int>& places = closing.slots[slot];
        bool joined = false;
        for (int c : places) {
            Chord& chord = closing.chords[static_cast<size_t>(c)];
            if (chord.beamId != e.beamId || chord.tupletId != e.tupletId || chord.direction != e.direction ||
                chord.duration != e.duration || FileVoicesDiffer(chord.fileVoice, e.fileVoice))
                continue;
            auto at = std::find_if(chord.events.begin(), chord.events.end(),
                                   [&](int other) { return events[static_cast<size_t>(other)].position > e.position; });
            chord.events.insert(at, static_cast<int>(i));
            joined = true;
            break;
        }
        if (joined) continue;
        closing.chords.push_back(ChordOf(e, i));
        const int index = static_cast<int>(closing.chords.size() - 1);
        if (places.size() >= kPlaces) {
            closing.overflow.push_back(index);
            continue;
        }
        auto at = std::find_if(places.begin(), places.end(), [&](int c) {
            return events[static_cast<size_t>(closing.chords[static_cast<size_t>(c)].events[0])].position > e.position;
        });
        places.insert(at, index);
    }
    for (size_t s = 0; s < closing.slots.size(); ++s)
        for (int c : closing.slots[s]) closing.chords[static_cast<size_t>(c)].slot = static_cast<int>(s);
    for (Chord& chord : closing.chords) {
        long sum = 0;
        for (int e : chord.events) sum += events[static_cast<size_t>(e)].position;
        chord.average = static_cast<int>(2 * sum / static_cast<long>(chord.events.size()));
    }
}

bool HasTie(const Closing& closing, const Chord& chord) {
    return std::any_of(chord.events.begin(), chord.events.end(), [&](int e) {
        const NiffEvent& event = closing.events[static_cast<size_t>(e)];
        return event.tieIds[0] >= 0 || event.tieIds[1] >= 0;
    });
}

// Whether a note of c and a note of d carry the same tie ID.
bool SharesTie(const Closing& closing, const Chord& c, const Chord& d) {
    for (int a : c.events)
        for (int b : d.events)
            for (int id : closing.events[static_cast<size_t>(a)].tieIds)
                if (id >= 0 && (closing.events[static_cast<size_t>(b)].tieIds[0] == id ||
                                closing.events[static_cast<size_t>(b)].tieIds[1] == id))
                    return true;
    return false;
}

// Beamed, tuplet and tied chords follow the next chord of their beam, tuplet or tie.
void LinkByIdentity(Closing& closing) {
    for (Chord& c : closing.chords) {
        const bool tied = HasTie(closing, c);
        if (c.slot < 0 || c.next >= 0 || (c.beamId < 0 && c.tupletId < 0 && !tied)) continue;
        for (size_t s = static_cast<size_t>(c.slot) + 1; s < closing.slots.size() && c.next < 0; ++s)
            for (int d : closing.slots[s]) {
                Chord& other = closing.chords[static_cast<size_t>(d)];
                if (other.prev >= 0 || other.tick < c.End()) continue;
                if ((c.beamId >= 0 && other.beamId == c.beamId) || (c.tupletId >= 0 && other.tupletId == c.tupletId) ||
                    (tied && SharesTie(closing, c, other))) {
                    c.next = d;
                    other.prev = static_cast<int>(&c - closing.chords.data());
                    other.fixed = true;
                    break;
                }
            }
    }
}

// The voice a chain asks for: that of a note of an earlier measure its first
// chord is tied from; -1 for none.
int TiedVoiceOf(const Closing& closing, const std::vector<int>& chain, const std::vector<NiffTiedVoice>& tiedVoices) {
    if (chain.empty()) return -1;
    for (int e : closing.chords[static_cast<size_t>(chain.front())].events)
        for (int id : closing.events[static_cast<size_t>(e)].tieIds)
            for (const NiffTiedVoice& tied : tiedVoices)
                if (id >= 0 && tied.tieId == id && tied.voice >= 0 && tied.voice < kNiffVoices) return tied.voice;
    return -1;
}

// Whether d (at the same distance in time) fits chord c better than b.
bool Better(const Closing& closing, int c, int b, int d) {
    const Chord& cc = closing.chords[static_cast<size_t>(c)];
    const int bd = closing.chords[static_cast<size_t>(b)].direction;
    const int dd = closing.chords[static_cast<size_t>(d)].direction;
    const bool closer = closing.Distance(c, d) < closing.Distance(c, b);
    if (cc.direction == 0) return closer;
    if (bd == cc.direction) return dd == cc.direction && closer;
    return dd == cc.direction || closer;
}

// Whether c takes d from its present predecessor q.
bool TakesFrom(const Closing& closing, int c, int q, int d) {
    const int cd = closing.chords[static_cast<size_t>(c)].direction;
    const int qd = closing.chords[static_cast<size_t>(q)].direction;
    const int dd = closing.chords[static_cast<size_t>(d)].direction;
    const bool closer = closing.Distance(c, d) < closing.Distance(q, d);
    if (qd == 0) return dd == cd || closer;
    if (dd == qd) return dd == cd && closer;
    return dd == cd || closer;
}

int32_t ChainChord(Closing& closing, int c);

// A chord that lost its successor looks for another from the first slot, while
// the close's budget lasts; after that it ends its chain.
void Rechain(Closing& closing, int q) {
    if (closing.budget <= 0) {
        closing.spent = true;
        return;
    }
    ChainChord(closing, q);
}

int32_t ChainChord(Closing& closing, int c) {
    --closing.budget;
    Chord& chord = closing.chords[static_cast<size_t>(c)];
    const int32_t end = chord.End();
    int best = -1;
    for (size_t s = static_cast<size_t>(chord.slot) + 1; s < closing.slots.size(); ++s) {
        const std::vector<int>& places = closing.slots[s];
        if (closing.chords[static_cast<size_t>(places[0])].tick < end) continue;
        for (int d : places) {
            const Chord& candidate = closing.chords[static_cast<size_t>(d)];
            if (candidate.fixed || FileVoicesDiffer(chord.fileVoice, candidate.fileVoice)) continue;
            if (best >= 0) {
                // In a voice the file names, the nearest later chord follows.
                const Chord& b = closing.chords[static_cast<size_t>(best)];
                if (chord.fileVoice >= 0 && b.fileVoice == chord.fileVoice) continue;
                if (b.tick - end <= candidate.tick - end && !Better(closing, c, best, d)) continue;
            }
            if (candidate.prev >= 0) {
                const Chord& q = closing.chords[static_cast<size_t>(candidate.prev)];
                if (candidate.tick - q.End() <= candidate.tick - end && !TakesFrom(closing, c, candidate.prev, d))
                    continue;
            }
            best = d;
        }
    }
    if (best < 0) return static_cast<size_t>(chord.slot) + 1 == closing.slots.size() ? chord.tick : 0;
    Chord& winner = closing.chords[static_cast<size_t>(best)];
    const int former = winner.prev;
    winner.prev = c;
    chord.next = best;
    if (former >= 0 && former != c) {
        closing.chords[static_cast<size_t>(former)].next = -1;
        winner.fixed = true;
        Rechain(closing, former);
        winner.fixed = false;
    }
    return winner.next >= 0 ? closing.chords[static_cast<size_t>(winner.next)].tick : winner.tick;
}

void ChainAll(Closing& closing) {
    for (size_t k = 0; k < closing.slots.size(); ++k)
        for (size_t p = 0; p < kPlaces; ++p) {
            int32_t u = 0;
            for (size_t s = k; s < closing.slots.size(); ++s) {
                if (p >= closing.slots[s].size()) continue;
                const int c = closing.slots[s][p];
                Chord& chord = closing.chords[static_cast<size_t>(c)];
                if (chord.tick < u) continue;
                u = chord.tick;
                if (chord.next < 0) u = ChainChord(closing, c);
            }
        }
}

struct VoiceStats {
    int up = 0;
    int down = 0;
    int count = 0;
    long positions = 0;
};

constexpr size_t kFirstLowerVoice = 2;

// The score keeps two upper voices (0 and 1, stems up) and two lower ones (2 and
// 3, stems down): the lower voices' rests, marks and slurs go below. The chains,
// upper ones first, take the upper voices in turn; a chain after one whose stems
// point up (or that holds only rests) is a lower voice when its own stems point
// down or it holds only rests, and takes the lower voices in turn. Where a pair
// is full the other pair's voices are taken. A staff with one chain, or whose
// chains all have their stems down, keeps its order.
void SpreadUpperAndLowerVoices(NiffVoiceChains& chains, std::array<VoiceStats, kNiffVoices>& stats) {
    NiffVoiceChains spread;
    std::array<VoiceStats, kNiffVoices> spreadStats{};
    size_t upper = 0, lower = kFirstLowerVoice;
    bool upperSeen = false;
    for (size_t v = 0; v < kNiffVoices; ++v) {
        if (chains[v].empty()) continue;
        const VoiceStats& s = stats[v];
        const bool goesLower = upperSeen && s.down >= s.up;
        upperSeen = upperSeen || s.up >= s.down;
        size_t& next = goesLower ? (lower < kNiffVoices ? lower : upper) : (upper < kFirstLowerVoice ? upper : lower);
        spread[next] = std::move(chains[v]);
        spreadStats[next++] = s;
    }
    chains = std::move(spread);
    stats = spreadStats;
}

// Only a voice with notes gets rests for its gaps: a voice that holds nothing but
// the rests the file writes shows those and no more.
void FillGaps(NiffVoice& voice) {
    if (std::all_of(voice.events.begin(), voice.events.end(), [](const NiffEvent& e) { return e.grace; })) return;
    std::vector<std::pair<int32_t, const NiffEvent*>> timeline;
    // Grace notes take no time: they neither end a gap nor fill one.
    for (const NiffEvent& e : voice.events)
        if (!e.grace) timeline.push_back({e.tick, &e});
    for (const NiffEvent& e : voice.rests) timeline.push_back({e.tick, &e});
    std::stable_sort(timeline.begin(), timeline.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    int32_t t = 0;
    int tuplet = -1;
    for (const auto& [tick, e] : timeline) {
        if (tick > t + kNiffLeastGap) FillNiffRestGap(t, tick, tuplet >= 0, voice.fills);
        tuplet = e->tupletId;
        t = std::max(t, tick + e->duration);
    }
    // A made rest never lies on an event of its voice.
    std::erase_if(voice.fills, [&](const NiffRestFill& fill) {
        return std::any_of(timeline.begin(), timeline.end(), [&](const auto& e) { return e.first == fill.tick; });
    });
}

// Whether a note of another voice than `voice`, of a file voice `fileVoice` names,
// sounds during [tick, end).
bool FileVoiceSounds(const NiffStaffMeasure& measure, size_t voice, int fileVoice, int32_t tick, int32_t end) {
    for (size_t v = 0; v < kNiffVoices; ++v) {
        if (v == voice) continue;
        for (const NiffEvent& e : measure.voices[v].events)
            if (!e.grace && e.fileVoice == fileVoice && e.tick < end && tick < e.tick + e.duration) return true;
    }
    return false;
}

// The file's one voice whose chords the staff shows in two voices (the parts of
// chords across staves, whose stems stand on other staves, apart from the chords
// that carry their own) sounds all along: no rest is made in one of them where the
// other sounds, where it would print on that voice's heads.
void DropRestsWhereTheirFileVoiceSounds(NiffStaffMeasure& measure) {
    for (size_t v = 0; v < kNiffVoices; ++v) {
        NiffVoice& voice = measure.voices[v];
        if (voice.events.empty()) continue;
        const int fileVoice = voice.events.front().fileVoice;
        if (fileVoice < 0 || std::any_of(voice.events.begin(), voice.events.end(),
                                         [&](const NiffEvent& e) { return e.fileVoice != fileVoice; }))
            continue;
        std::erase_if(voice.fills, [&](const NiffRestFill& fill) {
            return FileVoiceSounds(measure, v, fileVoice, fill.tick, fill.tick + fill.duration);
        });
    }
}

// The grace events as chords: those of one tick, offset, length and stem
// direction together, top of the staff first; in time order, the farthest from
// their note first.
std::vector<int> GraceChords(Closing& closing) {
    const std::vector<NiffEvent>& events = closing.events;
    std::vector<int> graces;
    for (size_t i = 0; i < events.size(); ++i) {
        const NiffEvent& e = events[i];
        if (!e.grace) continue;
        const auto same = std::find_if(graces.begin(), graces.end(), [&](int c) {
            const NiffEvent& head = events[static_cast<size_t>(closing.chords[static_cast<size_t>(c)].events[0])];
            return head.tick == e.tick && head.nudge == e.nudge && head.duration == e.duration &&
                   head.direction == e.direction;
        });
        if (same != graces.end()) {
            std::vector<int>& members = closing.chords[static_cast<size_t>(*same)].events;
            const auto at = std::find_if(members.begin(), members.end(), [&](int other) {
                return events[static_cast<size_t>(other)].position > e.position;
            });
            members.insert(at, static_cast<int>(i));
            continue;
        }
        closing.chords.push_back(ChordOf(e, i));
        graces.push_back(static_cast<int>(closing.chords.size() - 1));
    }
    std::stable_sort(graces.begin(), graces.end(), [&](int a, int b) {
        const NiffEvent& x = events[static_cast<size_t>(closing.chords[static_cast<size_t>(a)].events[0])];
        const NiffEvent& y = events[static_cast<size_t>(closing.chords[static_cast<size_t>(b)].events[0])];
        return x.tick != y.tick ? x.tick < y.tick : x.nudge < y.nudge;
    });
    return graces;
}

}  // namespace

// A head's width in nudges (16 units): a black or half head, and a whole note's
// (its drawn head is 252 units wide, wider than its advance).
constexpr int kHeadNudges = 11;
constexpr int kWholeHeadNudges = 16;
constexpr int kWholeCode = 12;

// The first and past-the-last indexes of each chord of a voice's events, by tick.
std::map<int32_t, std::pair<size_t, size_t>> ChordSpans(const NiffVoice& voice) {
    std::map<int32_t, std::pair<size_t, size_t>> spans;
    for (size_t i = 0; i < voice.events.size(); ++i) {
        const NiffEvent& e = voice.events[i];
        if (e.grace) continue;
        auto [at, made] = spans.try_emplace(e.tick, i, i + 1);
        if (!made) at->second.second = i + 1;
    }
    return spans;
}

// The head a note value prints: black, half or whole.
int HeadKind(int code) {
    return code >= kWholeCode ? 2 : code == kWholeCode - 1 ? 1 : 0;
}

// Whether two chords have heads a second apart, or a unison of heads that cannot be
// one: a black, a half or a whole head against another kind, or other dots.
bool HeadsClash(const NiffVoice& a, std::pair<size_t, size_t> as, const NiffVoice& b,
                std::pair<size_t, size_t> bs) {
    for (size_t i = as.first; i < as.second; ++i)
        for (size_t j = bs.first; j < bs.second; ++j) {
            const NiffEvent& x = a.events[i];
            const NiffEvent& y = b.events[j];
            if (std::abs(x.position - y.position) == 1) return true;
            if (x.position == y.position && (HeadKind(x.code) != HeadKind(y.code) || x.dots != y.dots))
                return true;
        }
    return false;
}

// Two voices' chords at one tick with heads a second apart (or in a unison of
// unlike heads) would print over one another: the chord whose stem points up
// stands a head's width to the right, its stem clear of the other's, which points
// down from the left of its heads.
void MoveUpperChordsOffSeconds(NiffStaffMeasure& measure) {
    std::array<std::map<int32_t, std::pair<size_t, size_t>>, kNiffVoices> spans;
    for (size_t v = 0; v < kNiffVoices; ++v) spans[v] = ChordSpans(measure.voices[v]);
    for (size_t v = 0; v < kNiffVoices; ++v)
        for (size_t w = v + 1; w < kNiffVoices; ++w)
            for (const auto& [tick, vs] : spans[v]) {
                const auto other = spans[w].find(tick);
                if (other == spans[w].end()) continue;
                NiffVoice& a = measure.voices[v];
                NiffVoice& b = measure.voices[w];
                const int da = a.events[vs.first].direction;
                const int db = b.events[other->second.first].direction;
                if (da == db || a.events[vs.first].nudge != 0 || b.events[other->second.first].nudge != 0 ||
                    !HeadsClash(a, vs, b, other->second))
                    continue;
                const bool aUp = da < 0;
                NiffVoice& moved = aUp ? a : b;
                const auto span = aUp ? vs : other->second;
                const bool whole = a.events[vs.first].code >= kWholeCode || b.events[other->second.first].code >= kWholeCode;
                for (size_t i = span.first; i < span.second; ++i) moved.events[i].nudge = whole ? kWholeHeadNudges : kHeadNudges;
            }
}

NiffCloseResult BuildNiffChords(const std::vector<NiffEvent>& events, int32_t, NiffStaffMeasure& measure,
                                const std::vector<NiffTiedVoice>& tiedVoices) {
    Closing closing{events, {}, {}, {}};
    GroupChords(closing);
    const long chords = static_cast<long>(closing.chords.size());
    closing.budget = chords * chords + chords;
    LinkByIdentity(closing);
    ChainAll(closing);

    // Chains in slot and place order become the voices.
    std::array<VoiceStats, kNiffVoices> stats{};
    NiffVoiceChains chains;
    std::vector<std::vector<int>> extra;  // chains past the fourth voice
    int voice = 0;
    for (const std::vector<int>& places : closing.slots)
        for (int c : places) {
            if (closing.chords[static_cast<size_t>(c)].prev >= 0) continue;
            std::vector<int> chain;
            int guard = 0;
            for (int at = c; at >= 0 && guard <= chords; at = closing.chords[static_cast<size_t>(at)].next, ++guard)
                chain.push_back(at);
            if (voice >= kNiffVoices) {
                extra.push_back(std::move(chain));
                continue;
            }
            for (int at : chain)
                for (int e : closing.chords[static_cast<size_t>(at)].events) {
                    const NiffEvent& event = events[static_cast<size_t>(e)];
                    stats[static_cast<size_t>(voice)].up += event.direction < 0 ? 1 : 0;
                    stats[static_cast<size_t>(voice)].down += event.direction > 0 ? 1 : 0;
                    ++stats[static_cast<size_t>(voice)].count;
                    stats[static_cast<size_t>(voice)].positions += event.position;
                }
            chains[static_cast<size_t>(voice++)] = std::move(chain);
        }
    // Voices with more stems up, then higher on the staff, come first.
    const auto before = [&](size_t i, size_t j) {
        const VoiceStats& a = stats[i];
        const VoiceStats& b = stats[j];
        if (b.up != a.up) return b.up > a.up;
        return b.positions * a.count < a.positions * b.count;
    };
    for (bool swapped = true; swapped;) {
        swapped = false;
        for (size_t i = 0; i < kNiffVoices; ++i)
            for (size_t j = i + 1; j < kNiffVoices; ++j)
                if (!chains[i].empty() && !chains[j].empty() && before(i, j)) {
                    std::swap(chains[i], chains[j]);
                    std::swap(stats[i], stats[j]);
                    swapped = true;
                }
    }
    SpreadUpperAndLowerVoices(chains, stats);
    // A chain tied from an earlier measure takes the voice of its partner, once.
    std::array<bool, kNiffVoices> claimed{};
    for (size_t v = 0; v < kNiffVoices; ++v) {
        const int wanted = TiedVoiceOf(closing, chains[v], tiedVoices);
        if (wanted < 0 || static_cast<size_t>(wanted) == v || claimed[static_cast<size_t>(wanted)]) continue;
        std::swap(chains[v], chains[static_cast<size_t>(wanted)]);
        claimed[static_cast<size_t>(wanted)] = true;
    }
    for (int c : closing.overflow) extra.push_back({c});
    NiffCloseResult result;
    const NiffExtraPlaces placed = PlaceNiffExtraChains(closing.chords, extra, chains);
    result.droppedEvents = placed.dropped;
    result.droppedRests = placed.droppedRests;
    result.restsGivenWay = placed.restsGivenWay;
    result.droppedGraces = PlaceNiffGraceChords(closing.chords, GraceChords(closing), chains);
    result.budgetSpent = closing.spent;
    for (size_t v = 0; v < kNiffVoices; ++v) {
        NiffVoice& out = measure.voices[v];
        int previousHead = -1;
        int previousBeam = -1;
        bool previousPrinted = true;
        for (int c : chains[v]) {
            const Chord& chord = closing.chords[static_cast<size_t>(c)];
            if (chord.direction == 0) {
                for (int e : chord.events) out.rests.push_back(events[static_cast<size_t>(e)]);
                previousHead = -1;
                continue;
            }
            const int head = static_cast<int>(out.events.size());
            for (size_t k = 0; k < chord.events.size(); ++k) {
                NiffEvent event = events[static_cast<size_t>(chord.events[k])];
                event.chordHead = k == 0;
                out.events.push_back(event);
            }
            // A beam joins the chords the file prints, or those it does not: a chord it
            // does not print beside one it prints ends the beam.
            const bool printed = std::any_of(chord.events.begin(), chord.events.end(), [&](int e) {
                return (events[static_cast<size_t>(e)].hiddenMarks & kNoteHeadHidden) == 0;
            });
            if (previousHead >= 0 && chord.beamId >= 0 && chord.beamId == previousBeam && printed == previousPrinted) {
                out.events[static_cast<size_t>(head)].beamPrev = previousHead;
                out.events[static_cast<size_t>(previousHead)].beamNext = head;
            }
            previousHead = head;
            previousBeam = chord.beamId;
            previousPrinted = printed;
        }
        SettleNiffBeamStems(out);
        FillGaps(out);
    }
    ClearNiffBeamsOfOtherVoices(measure);
    DropRestsWhereTheirFileVoiceSounds(measure);
    MoveUpperChordsOffSeconds(measure);
    return result;
}

}  // namespace ql::niff
