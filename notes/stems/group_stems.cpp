// Stem directions of single chords and of whole beam groups, and the shape of a
// group that beam layout reads.
//
// A group takes one direction from the notes of all its chords together; its default
// (for an even balance) is the direction of the chord just before the group. Once
// set, the shape is gathered chord by chord from left to right, and beam layout
// (notes/drawing/beam_layout.h) sets every chord's stem from it.
#include <algorithm>
#include <vector>

#include "core/model/events.h"
#include "notes/drawing/beam_layout.h"
#include "notes/stems/stems.h"
#include "notes/stems/stems_internal.h"

namespace ql {

namespace {


// The note at the stem's end of the chord: the first with stems up, else the last.
EventRecord* StemSideEnd(const stems::VoiceChords& voice, int chord, int up) {
    return up ? voice.Note(chord, 0) : voice.Note(chord, voice.NoteCount(chord) - 1);
}

void AddChordToShape(const stems::VoiceChords& voice, int chord, int level, BeamGroupShape& shape) {
    EventRecord* head = voice.Head(chord);
    if (shape.chordCount > 0) {
        const int move = SignedStep(*head) - SignedStep(*shape.lastChord);
        if (move < 0) ++shape.risingMoves;
        else if (move > 0) ++shape.fallingMoves;
        else ++shape.repeatedMoves;
    } else {
        shape.firstChord = head;
        shape.highestStep = shape.lowestStep = SignedStep(*head);
        shape.highestTime = shape.lowestTime = head->time;
    }
    shape.lastChord = head;
    ++shape.chordCount;
    shape.largestLevel = std::max(shape.largestLevel, level);
    for (int i = 0; i < voice.NoteCount(chord); ++i) {
        const EventRecord* note = voice.Note(chord, i);
        const int step = SignedStep(*note);
        if (step < shape.highestStep) {
            shape.highestStep = step;
            shape.highestTime = note->time;
        }
        if (step > shape.lowestStep) {
            shape.lowestStep = step;
            shape.lowestTime = note->time;
        }
        ++shape.stepHistogram[note->step];
        ++shape.noteCount;
    }
    EventRecord* end = StemSideEnd(voice, chord, shape.up);
    if (shape.topStemEnd == nullptr || SignedStep(*end) < SignedStep(*shape.topStemEnd))
        shape.topStemEnd = end;
    if (shape.bottomStemEnd == nullptr || SignedStep(*end) > SignedStep(*shape.bottomStemEnd))
        shape.bottomStemEnd = end;
}

// The chords of the tree, as indices of the voice of its first chord.
std::vector<int> TreeChordIndices(const stems::VoiceChords& voice, const BeamNode* root) {
    std::vector<int> chords;
    for (EventRecord* head : stems::BeamTreeChords(root)) {
        const int chord = voice.ChordOf(head);
        if (chord >= 0 && (chords.empty() || chord > chords.back())) chords.push_back(chord);
    }
    return chords;
}

void SetTreeDirection(BeamNode* node, int up) {
    // Pre-order walk without recursion: down to the first child, else to the next
    // sibling, else up until a parent has a next sibling.
    for (BeamNode* root = node; node != nullptr;) {
        node->up = static_cast<uint8_t>(up);
        if (BeamNode* child = BeamNodeAt(node->firstChild)) {
            node = child;
            continue;
        }
        while (node != root && BeamNodeAt(node->nextSibling) == nullptr)
            node = BeamNodeAt(node->parent);
        node = (node == nullptr || node == root) ? nullptr : BeamNodeAt(node->nextSibling);
    }
}

}  // namespace

namespace stems {

int StemSingleChord(const StemRule& rule, ScoreView* view, const VoiceChords& voice, int chord) {
    if (voice.NoteCount(chord) == 1) return StemLoneNote(rule, view, voice, chord);
    RepairShortDurations(voice, chord);
    StemTally tally;
    TallyChord(view, voice, chord, tally);
    const int up = rule.Choose(tally, voice.DirectionBefore(chord));
    SetUpSingleChordStem(voice, chord, up);
    return up;
}

int StemSingleChord(ScoreView* view, const VoiceChords& voice, int chord) {
    return StemSingleChord(StemRule(view), view, voice, chord);
}

int RestemChordOrGroup(const StemRule& rule, ScoreView* view, const VoiceChords& voice, int chord) {
    EventRecord* head = voice.Head(chord);
    if (!head->beamPrev && !head->beamNext) {
        StemSingleChord(rule, view, voice, chord);
        return chord;
    }
    BeamNode* root = CollectBeamGroup(view, head);
    if (root == nullptr) return chord;
    const std::vector<int> chords = TreeChordIndices(voice, root);
    const bool alone = chords.size() == 1 && !head->beamPrev && !head->beamNext;
    if (alone) StemSingleChord(rule, view, voice, chord);
    else ComputeGroupStems(view, root);
    FreeBeamTree(root);
    return chords.empty() ? chord : std::max(chord, chords.back());
}

int RestemChordOrGroup(ScoreView* view, const VoiceChords& voice, int chord) {
    return RestemChordOrGroup(StemRule(view), view, voice, chord);
}

}  // namespace stems

int ComputeNoteStemDirection(ScoreView* view, EventRecord* event) {
    stems::VoiceChords voice(event);
    const int chord = voice.ChordOf(event);
    if (chord < 0) return -1;
    return stems::StemSingleChord(view, voice, chord);
}

int ComputeGroupStems(ScoreView* view, BeamNode* root, BeamGroupShape* shape) {
    const std::vector<EventRecord*> heads = stems::BeamTreeChords(root);
    if (heads.empty()) return -1;
    const stems::VoiceChords voice(heads.front());
    const std::vector<int> chords = TreeChordIndices(voice, root);
    if (chords.empty()) return -1;
    stems::StemTally tally;
    for (int chord : chords) {
        stems::RepairShortDurations(voice, chord);
        stems::TallyChord(view, voice, chord, tally);
    }
    const int up = stems::ChooseStemDirection(view, tally, voice.DirectionBefore(chords.front()));
    SetTreeDirection(root, up);
    for (int chord : chords) stems::ApplyChordStemDirection(voice, chord, up);
    BeamGroupShape gathered;
    gathered.up = up;
    for (int chord : chords) {
        const int code = voice.Head(chord)->duration;
        const int level = code < stems::kLongestBeamable ? stems::kLongestBeamable - code : 0;
        AddChordToShape(voice, chord, level, gathered);
    }
    gathered.extremeNote = up ? gathered.topStemEnd : gathered.bottomStemEnd;
    ComputeBeamStems(view, root, gathered);
    if (shape != nullptr) *shape = gathered;
    return up;
}

void UpdateBeamForNote(ScoreView* view, EventRecord* event) {
    stems::VoiceChords voice(event);
    const int chord = voice.ChordOf(event);
    if (chord < 0) return;
    const EventRecord* head = voice.Head(chord);
    const bool beamed = head->beamPrev || head->beamNext;
    if (beamed && head->duration >= kDurationQuarter) return;
    stems::RestemChordOrGroup(view, voice, chord);
}

}  // namespace ql
