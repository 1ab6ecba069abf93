// The stem of a chord that stands alone: its direction written into its notes, its
// beam links cleared and the length of its stem (the y of the stem's free end from
// the chord's first note, in units of 64 per staff step; negative = up). The length
// itself is note drawing's (ChordStemOffset, notes/drawing/beam_layout.h).
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

}  // namespace ql::stems
