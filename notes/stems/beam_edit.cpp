// Changing beam groups: joining two groups, breaking one between two chords,
// automatic beaming of an entered note, and restemming a voice from a chord on.
// Each change restems what it touched; the command forms also redraw the views.
#include "core/model/events.h"
#include "core/state.h"
#include "display/linked_views.h"
#include "notes/stems/stems.h"
#include "notes/stems/stems_internal.h"

namespace ql {

namespace {

// Links the last chord of E's group to the first chord of L's group. Refused unless
// both are of one voice, both eighths or shorter, and E's group lies wholly before.
bool LinkGroups(const stems::VoiceChords& voice, int e, int l) {
    if (e < 0 || l < 0) return false;
    if (voice.Head(e)->duration > stems::kLongestBeamable ||
        voice.Head(l)->duration > stems::kLongestBeamable)
        return false;
    const int last = voice.GroupLast(e);
    const int first = voice.GroupFirst(l);
    if (last >= first) return false;
    voice.Head(last)->beamNext = voice.HeadHandle(first);
    voice.Head(first)->beamPrev = voice.HeadHandle(last);
    return true;
}

// One step of automatic beaming: joins the chord's group with the group before it,
// or else with the one after it. False when neither may be joined.
bool JoinOnce(ScoreView* view, EventRecord* event) {
    const stems::VoiceChords voice(event);
    const int chord = voice.ChordOf(event);
    if (chord < 0) return false;
    const int first = voice.GroupFirst(chord);
    if (first > 0 && CanBeamWith(view, voice.Head(first - 1), voice.Head(first)) != nullptr)
        return JoinBeamGroups(view, voice.Head(first - 1), voice.Head(first)) != 0;
    const int last = voice.GroupLast(chord);
    if (last + 1 < voice.ChordCount() &&
        CanBeamWith(view, voice.Head(last), voice.Head(last + 1)) != nullptr)
        return JoinBeamGroups(view, voice.Head(last), voice.Head(last + 1)) != 0;
    return false;
}

}  // namespace

int JoinBeamGroups(ScoreView* view, EventRecord* earlier, EventRecord* later) {
    const stems::VoiceChords voice(later);
    const int l = voice.ChordOf(later);
    if (!LinkGroups(voice, voice.ChordOf(earlier), l)) return 0;
    stems::RestemChordOrGroup(view, voice, l);
    return 1;
}

int JoinBeamsCommand(ScoreView* view, EventRecord* earlier, EventRecord* later) {
    const int joined = JoinBeamGroups(view, earlier, later);
    // The views repaint the changed measure, which erases the old groups and draws
    // the new one.
    if (joined) InvalidateLinkedViews(view);
    return joined;
}

int BreakBeamGroup(ScoreView* view, EventRecord* earlier, EventRecord* later) {
    const stems::VoiceChords voice(later);
    const int e = voice.ChordOf(earlier);
    const int l = voice.ChordOf(later);
    if (e < 0 || l <= e) return 0;
    if (voice.Head(e)->duration >= kDurationQuarter || voice.Head(l)->duration >= kDurationQuarter)
        return 0;
    voice.Head(e)->beamNext = RecordHandle{};
    voice.Head(l)->beamPrev = RecordHandle{};
    stems::RestemChordOrGroup(view, voice, e);
    stems::RestemChordOrGroup(view, voice, l);
    return 1;
}

int BreakBeamsCommand(ScoreView* view, EventRecord* earlier, EventRecord* later) {
    const int broken = BreakBeamGroup(view, earlier, later);
    if (broken) InvalidateLinkedViews(view);
    return broken;
}

int AutoBeamNoteQuiet(ScoreView* view, EventRecord* event) {
    if (event == nullptr || !State().notes.AutoBeam) return 0;
    if (event->duration > stems::kLongestBeamable) return 0;
    int joins = 0;
    // Each join merges two groups, so there are fewer joins than chords.
    while (joins < kMaxChainLength && JoinOnce(view, event)) ++joins;
    const stems::VoiceChords voice(event);
    const int chord = voice.ChordOf(event);
    if (chord >= 0 && !voice.Head(chord)->beamPrev && !voice.Head(chord)->beamNext)
        stems::StemSingleChord(view, voice, chord);
    return joins;
}

int AutoBeamNote(ScoreView* view, EventRecord* event) {
    if (event == nullptr || !State().notes.AutoBeam) return 0;
    if (event->duration > stems::kLongestBeamable) return 0;
    int joins = 0;
    while (joins < kMaxChainLength && JoinOnce(view, event)) ++joins;
    if (joins > 0) InvalidateLinkedViews(view);
    return joins;
}

void RestemFromEvent(ScoreView* view, EventRecord* event) {
    const stems::VoiceChords voice(event);
    const int from = voice.ChordOf(event);
    if (from < 0) return;
    for (int chord = from; chord < voice.ChordCount(); ++chord)
        chord = stems::RestemChordOrGroup(view, voice, chord);
}

}  // namespace ql
