// The stem of a chord that stands alone: its direction written into its notes, its
// beam links cleared and the length of its stem (the y of the stem's free end from
// the chord's first note, in units of 64 per staff step; negative = up). The length
// itself is note drawing's (ChordStemOffset, notes/drawing/beam_layout.h). A chord of
// one note takes all of it in one pass.
#include "core/model/score_document.h"
#include "notes/drawing/beam_layout.h"
#include "notes/stems/stems_internal.h"

namespace ql::stems {

int16_t UnbeamedStemLength(const EventRecord& head, int span, int up) {
    return ChordStemOffset(head, span, up);
}

void SetUpSingleChordStem(const VoiceChords& voice, int chord, int up) {
    ApplyChordStemDirection(voice, chord, up);
    for (int i = 0; i < voice.NoteCount(chord); ++i) {
        EventRecord* note = voice.Note(chord, i);
        note->beamPrev = RecordHandle{};
        note->beamNext = RecordHandle{};
    }
    EventRecord* head = voice.Head(chord);
    const int span = (head->stemWord & kStemFieldMask) >> kStemFieldShift;
    head->stemLength = UnbeamedStemLength(*head, span, up);
}

// As StemSingleChord: the duration repaired, the note tallied (unless hidden), the
// rule applied, then the head's direction, a span of 0, no second (a single note has
// none), no beam links and the stem length.
int StemLoneNote(const StemRule& rule, const ScoreView* view, const VoiceChords& voice, int chord) {
    EventRecord& note = *voice.Head(chord);
    RepairShortDuration(note);
    StemTally tally;
    if ((note.word2 & kHeadHidden) == 0) {
        const StaffRecord* staff = view != nullptr ? view->currentStaffRecord : nullptr;
        TallyDistance(StemDistanceFromMiddle(staff, SignedStep(note)), tally);
    }
    const int up = rule.Choose(tally, voice.DirectionBefore(chord));
    note.flags |= kEventChordHead;
    SetStemBit(note, up);
    SetStemField(note, 0);
    note.word2 &= static_cast<uint16_t>(~(kHeadFarSide | kChordHasSecond));
    note.beamPrev = RecordHandle{};
    note.beamNext = RecordHandle{};
    note.stemLength = UnbeamedStemLength(note, 0, up);
    return up;
}

}  // namespace ql::stems
