// The automatic beaming decision: may the group that ends with chord E be joined to
// the group that starts with chord L? Lengths are in ticks (a quarter is 1024); a
// group's length runs from its first chord to the end of its last; a chord "ends
// at L" when its time plus its ticks is L's time. The time signature is that of
// the view's current cell: b beats of DurationCode u, a measure of b << u ticks.
//
//  - Never: with AutoBeam off, a tie into L or out of E, a chord of a quarter or
//    longer, a bad time signature, or groups that already touch.
//  - While MIDI is transcribed or imported, a stricter first test: E and L (and
//    L's group) must lie within one beat, or within one beat group G (3, 1 or 2
//    beats for b divisible by 3, odd, even) with no gap before L.
//  - Compound meter (b divisible by 3, beat shorter than a quarter): beats of
//    B = 3 << u; L on a beat, a gap, more than 12 chords: no; else yes when the
//    two lengths together fit B.
//  - Otherwise B = a quarter. In 4/4 and other long measures nothing crosses the
//    half-measure (tick 2048; in 3/4 the bar line at 3072). Tuplets of one kind
//    beam within the tuplet's span (16 ticks of slack). More than MaxBeamChords
//    chords: no. Eighths after an eighth join for two full beats; otherwise L on a
//    beat is refused, and the rest joins when E is longer than a beat or the two
//    fit in one.
// Example: four eighths from tick 0 of 4/4 form one group; a fifth at 2048 does not
// join it.
#include "core/model/events.h"
#include "core/model/grid_records.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "notes/stems/stems.h"
#include "notes/stems/stems_internal.h"

namespace ql {

namespace {

using stems::kEighthTicks;
using stems::kQuarterTicks;

constexpr uint8_t kLongestBeatCode = 13;  // a double whole; longer codes are damage
constexpr int kMaxCompoundChords = 12;
constexpr int kLongMeasureTicks = 3 * kQuarterTicks;  // 3072
constexpr int kHalfMeasureTicks = 2 * kQuarterTicks;  // 2048 in long measures
constexpr int kTupletSlackTicks = 16;
constexpr int kCompoundBeats = 3;
constexpr int kEvenBeatGroup = 2;

// The two chords and their groups, within one snapshot of the voice.
struct BeamPair {
    const stems::VoiceChords& voice;
    int e;       // the earlier chord
    int l;       // the later chord
    int eLast;   // last chord of E's group
    int eCount;  // chords and ticks of E's group
    int eTicks;
    int lCount;  // chords and ticks of L's group
    int lTicks;
    int b;  // beats and beat code of the time signature
    int u;

    EventRecord* Earlier() const { return voice.Head(e); }
    int LTime() const { return voice.Time(l); }
    bool EndsAtL(int chord) const { return voice.End(chord) == LTime(); }
    bool BeforeLEndsAtL() const { return EndsAtL(l - 1); }
    bool IsTuplet(int chord) const { return voice.Head(chord)->tupletKind != 0; }
    bool SameTuplets() const {
        const EventRecord& a = *voice.Head(e);
        const EventRecord& c = *voice.Head(l);
        return a.tupletKind != 0 && a.tupletKind == c.tupletKind && a.tupletRatio == c.tupletRatio;
    }
    bool OneTuplet() const { return IsTuplet(e) != IsTuplet(l); }
};

// Same tuplets: both groups within the tuplet's span, 16 ticks of slack.
EventRecord* TupletRule(const BeamPair& p) {
    const int span = p.voice.Ticks(p.e) * TupletNoteCount(*p.voice.Head(p.e));
    return p.eTicks + p.lTicks < span + kTupletSlackTicks ? p.Earlier() : nullptr;
}

// The stricter test while MIDI is transcribed or imported: true to go on with the
// general rules; otherwise *decided holds the answer.
bool PassesTranscriptionTest(const BeamPair& p, EventRecord** decided) {
    *decided = nullptr;
    if (p.voice.Head(p.l - 1)->word2 & stems::kTieStart) return false;
    if (p.SameTuplets()) {
        *decided = TupletRule(p);
        return false;
    }
    if (p.OneTuplet()) return false;
    const int eTime = p.voice.Time(p.e);
    const int lastTick = p.voice.End(p.voice.GroupLast(p.l)) - 1;
    if ((eTime >> p.u) == (lastTick >> p.u)) {
        *decided = p.Earlier();
        return false;
    }
    int group = (1 << p.u) * kEvenBeatGroup;
    if (p.b % kCompoundBeats == 0) group = (1 << p.u) * kCompoundBeats;
    else if (p.b % 2 != 0) group = 1 << p.u;
    if (eTime / group != lastTick / group) return false;
    return p.BeforeLEndsAtL();
}

EventRecord* CompoundRule(const BeamPair& p) {
    const int beat = (1 << p.u) * kCompoundBeats;
    if (p.LTime() % beat == 0) return nullptr;
    if (!p.EndsAtL(p.eLast)) return nullptr;
    if (p.eCount + p.lCount > kMaxCompoundChords) return nullptr;
    return p.eTicks + p.lTicks <= beat ? p.Earlier() : nullptr;
}

EventRecord* QuarterBeatRule(const BeamPair& p) {
    const int measure = p.b << p.u;
    if (p.b % kCompoundBeats != 0) {
        if (measure >= kLongMeasureTicks && p.LTime() % kHalfMeasureTicks == 0) return nullptr;
        if (!p.BeforeLEndsAtL()) return nullptr;
        if (p.SameTuplets()) return TupletRule(p);
        if (p.OneTuplet()) return nullptr;
        if (p.eTicks < 1 || p.lTicks < 1) return nullptr;
    } else {
        if (measure >= kLongMeasureTicks && p.u == kDurationQuarter &&
            p.LTime() % kLongMeasureTicks == 0)
            return nullptr;
        if (!p.EndsAtL(p.eLast)) return nullptr;
    }
    if (p.eCount + p.lCount > State().notes.MaxBeamChords) return nullptr;
    if (p.voice.Head(p.eLast)->duration == kDurationEighth && p.voice.Ticks(p.l - 1) == kEighthTicks) {
        if (p.eTicks != kQuarterTicks) return p.Earlier();
        const bool onlyEighths = p.eCount == p.eTicks / kEighthTicks && p.lCount == p.lTicks / kEighthTicks;
        return onlyEighths ? p.Earlier() : nullptr;
    }
    if (p.LTime() % kQuarterTicks == 0) return nullptr;
    return (p.eTicks > kQuarterTicks || p.eTicks + p.lTicks <= kQuarterTicks) ? p.Earlier() : nullptr;
}

bool IsTranscribing() {
    return State().sequencer.TranscriptionActive != 0 || State().files.MidiImportActive != 0;
}

EventRecord* Decide(const ScoreView* view, const stems::VoiceChords& voice, int e, int l) {
    const MeasureCell* cell = view->currentCell;
    if (cell == nullptr || cell->beats == 0 || cell->beatUnit == 0 || cell->beatUnit > kLongestBeatCode)
        return nullptr;
    const int eLast = voice.GroupLast(e);
    if (eLast >= voice.GroupFirst(l)) return nullptr;
    const BeamPair p{voice, e, l, eLast, voice.GroupChordCount(e), voice.GroupTicks(e),
                     voice.GroupChordCount(l), voice.GroupTicks(l), cell->beats, cell->beatUnit};
    if (IsTranscribing()) {
        EventRecord* decided = nullptr;
        if (!PassesTranscriptionTest(p, &decided)) return decided;
    }
    if (p.b % kCompoundBeats == 0 && p.u < kDurationQuarter) return CompoundRule(p);
    return QuarterBeatRule(p);
}

}  // namespace

EventRecord* CanBeamWith(ScoreView* view, EventRecord* earlier, EventRecord* later) {
    if (view == nullptr || !State().notes.AutoBeam) return nullptr;
    const stems::VoiceChords voice(later);
    const int e = voice.ChordOf(earlier);
    const int l = voice.ChordOf(later);
    if (e < 0 || l <= e) return nullptr;
    const EventRecord* eHead = voice.Head(e);
    const EventRecord* lHead = voice.Head(l);
    if ((lHead->word2 & stems::kTieEnd) || (eHead->word2 & stems::kTieStart)) return nullptr;
    if (eHead->duration > stems::kLongestBeamable || lHead->duration > stems::kLongestBeamable)
        return nullptr;
    return Decide(view, voice, e, l);
}

EventRecord* AutoBeamWithPrevious(ScoreView* view, EventRecord* event) {
    const stems::VoiceChords voice(event);
    const int chord = voice.ChordOf(event);
    if (chord < 0) return nullptr;
    const int first = voice.GroupFirst(chord);
    if (first == 0) return nullptr;
    return CanBeamWith(view, voice.Head(first - 1), voice.Head(first));
}

EventRecord* AutoBeamWithNext(ScoreView* view, EventRecord* event) {
    const stems::VoiceChords voice(event);
    const int chord = voice.ChordOf(event);
    if (chord < 0) return nullptr;
    const int last = voice.GroupLast(chord);
    if (last + 1 >= voice.ChordCount()) return nullptr;
    return CanBeamWith(view, voice.Head(last), voice.Head(last + 1));
}

}  // namespace ql
