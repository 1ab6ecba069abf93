// Ties: a Tie object (type 5, subtype 3) in a note's attachment chain joins the note
// to the note of the same pitch that follows it in its voice (the next chord of the
// measure, the first chord of the next measure, or before repeat endings the first
// chord of each ending). Its end note is found again whenever it is needed, so a tie
// follows its notes. The start note carries the tie-start bit (word2 bit 5), each
// end note the continuation bit (word2 bit 4) and the accidental carried into it
// (stemWord bits 6-8).
#pragma once

#include <cstdint>
#include <vector>

#include "notes/pitch/pitch_vocabulary.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct EventRecord;
struct ScoreObject;

constexpr uint16_t kTieEndsHere = kNoteTieContinuation;  // word2 bit 4
constexpr uint16_t kTieStartsHere = 0x0020;  // word2 bit 5
constexpr uint16_t kTiedAccidentalMask = 0x01C0;  // stemWord bits 6-8
constexpr int kTiedAccidentalShift = 6;
constexpr int kTieBodyBytes = 10;

// The body of a Tie, also its stored form.
#pragma pack(push, 1)
struct TieBody {
    int16_t controlInset;
    int16_t controlRise;
    int8_t startDx;
    int8_t startDy;
    int8_t endDx;
    int8_t endDy;
    uint16_t shape;  // bits 0-7 thickness, 8-11 line style, 12-15 voice
};
#pragma pack(pop)
static_assert(sizeof(TieBody) == kTieBodyBytes);

// One end note of a tie: the note, its measure, and whether it was found across a
// repeat ending.
struct TieTarget {
    EventRecord* note = nullptr;
    int measure = 0;
    bool acrossEnding = false;
};

// The end notes of a tie from `note` (in `voice` of staff and measure); empty when
// there is none.
std::vector<TieTarget> FindTieTargets(ScoreDocument* document, ScoreView* view, EventRecord* note,
                                      int staff, int measure, int voice);
// The notes whose ties end at `note`, with their measures.
std::vector<TieTarget> FindTiesIntoNote(ScoreDocument* document, ScoreView* view, EventRecord* note,
                                        int staff, int measure, int voice);

// The first Tie in the note's attachment chain, or null.
ScoreObject* FindNoteTie(const EventRecord* note);
// The tie command on a note of the view's current staff and measure: removes the
// note's tie, or ties it to its targets. 1 when something changed.
int ToggleTie(ScoreView* view, EventRecord* note, int voice);
// Removes the note's tie (object and bits), or only its start bit when it has no tie
// object; 1 when something changed.
int UntieNote(ScoreView* view, EventRecord* note);
// The notes tying into `note` lose their ties; the note loses its continuation bit.
// 1 when a tie was removed.
int UntieIncomingTies(ScoreView* view, EventRecord* note, int voice);

}  // namespace ql
