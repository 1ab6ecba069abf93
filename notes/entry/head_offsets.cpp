// Head offsets of a new note's chord against the notes of the other voices that stand
// at the same time with the same offset, so that heads of different voices do not sit
// on each other.
//
// With p the other note's step, q the new note's step (steps grow downwards), c the
// other note's code and c0 the code of the new chord's first note, the offset d added
// to every note of the new chord is: 14 for a unison of two heads longer than a half
// (c and c0 above 11); 4 (8 for a second or unison) when the stems point the same way
// or the other note lies above with its stem down or below with its stem up, negated
// when the new note is the higher one; otherwise (stems towards each other) 8 for a
// second (-8 when the new note is higher, 12 when it is lower and the other is
// dotted), and for a unison of unlike heads 16 (-12 when the other note has more dots,
// -16 when the new one is dotted as well). Offsets of several matches add up.
#include <algorithm>
#include <cstdlib>

#include "core/constants.h"
#include "core/model/events.h"
#include "core/model/grid.h"
#include "core/model/score_document.h"
#include "notes/entry/note_entry.h"

namespace ql {

namespace {

constexpr int kLongHeadCode = 11;  // half note: codes above have hollow heads
constexpr int kWholeUnisonOffset = 14;
constexpr int kNearOffset = 4;
constexpr int kSecondOffset = 8;
constexpr int kDottedSecondOffset = 12;
constexpr int kUnisonOffset = 16;
constexpr int kMoreDotsOffset = -12;
constexpr int kBothDottedOffset = -16;
constexpr int kMinOffset = -128;
constexpr int kMaxOffset = 127;

bool IsStemUp(const EventRecord& e) {
    return (e.flags & kEventStemFlag) != 0;
}

int Dots(const EventRecord& e) {
    return e.word2 & kEventDotsMask;
}

// Stems towards each other: a second or a unison of unlike heads moves the chord.
int OffsetTowards(const EventRecord& other, const EventRecord& note, int c0) {
    const int p = SignedStep(other);
    const int q = SignedStep(note);
    const int c = other.duration;
    if (std::abs(p - q) == 1) {
        if (q < p) return -kSecondOffset;
        return Dots(other) > 0 ? kDottedSecondOffset : kSecondOffset;
    }
    if (p != q || (c < kLongHeadCode && c0 < kLongHeadCode)) return 0;
    if (c == c0 && Dots(other) == Dots(note)) return 0;
    if (Dots(other) > Dots(note)) return Dots(note) > 0 ? kBothDottedOffset : kMoreDotsOffset;
    return kUnisonOffset;
}

int OffsetAgainst(const EventRecord& other, const EventRecord& note, int c0) {
    const int p = SignedStep(other);
    const int q = SignedStep(note);
    if (p == q && other.duration > kLongHeadCode && c0 > kLongHeadCode) return kWholeUnisonOffset;
    const bool sameWay = IsStemUp(other) == IsStemUp(note);
    if (sameWay || (p < q && !IsStemUp(other)) || (p > q && IsStemUp(other))) {
        const int d = std::abs(p - q) < 2 ? kSecondOffset : kNearOffset;
        return q < p ? -d : d;
    }
    return OffsetTowards(other, note, c0);
}

}  // namespace

int OffsetHeadsAgainstOtherVoices(ScoreView* view, EventRecord* note, int voice) {
    if (view == nullptr || view->currentCell == nullptr || note == nullptr) return 0;
    EventRecord* first = GetFirstEventOfChord(note);
    if (first == nullptr) return 0;
    int total = 0;
    for (int v = 0; v < kVoiceCount; ++v) {
        if (v == voice) continue;
        EventRecord* e = GetVoiceFirstEvent(view->currentCell, v);
        for (int i = 0; e != nullptr && i < kMaxChainLength; ++i, e = NextEvent(e))
            if (e->time == note->time && e->nudge == note->nudge)
                total += OffsetAgainst(*e, *note, first->duration);
    }
    if (total == 0) return 0;
    EventRecord* m = first;
    for (int i = 0; m != nullptr && m->time == first->time && i < kMaxChainLength; ++i, m = NextEvent(m)) {
        const int offset = std::clamp(m->nudge + total, kMinOffset, kMaxOffset);
        m->nudge = static_cast<int8_t>(offset);
    }
    return total;
}

}  // namespace ql
