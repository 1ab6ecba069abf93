// Ties: a Tie object (type 5, subtype 3) in a note's attachment chain joins the note
// to the note of the same pitch that follows it in its voice (the next chord of the
// measure, the first chord of the next measure, or before repeat endings the first
// chord of each ending). Its end note is found again whenever it is needed, so a tie
// follows its notes. The start note carries the tie-start bit (word2 bit 5), each
// end note the continuation bit (word2 bit 4) and the accidental carried into it
// (stemWord bits 6-8).
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "core/model/geometry.h"
#include "notes/pitch/pitch_vocabulary.h"
#include "objects/curves/curve_objects.h"
#include "objects/spanners/repeat_ending_list.h"

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct EventRecord;
struct ScoreObject;

constexpr uint16_t kTieEndsHere = kNoteTieContinuation;  // word2 bit 4
constexpr uint16_t kTieStartsHere = 0x0020;  // word2 bit 5
constexpr uint16_t kTiedAccidentalMask = 0x01C0;  // stemWord bits 6-8
constexpr int kTiedAccidentalShift = 6;
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
// Keeps what the tie search reads while it lives: the document's repeat-ending list
// as built, and for the last chords looked at (the notes of a voice at one time of a
// cell) the accidentals in force there and the key each note sounds. For a pass that
// makes many ties and changes nothing else (the ties a transcription makes): a note
// whose pitch or tie bits change meanwhile (an accidental carried into it) is read
// again; added or removed notes, clefs and keys are not seen.
class TieSearchHold {
  public:
    explicit TieSearchHold(ScoreDocument* document);
    ~TieSearchHold();
    TieSearchHold(const TieSearchHold&) = delete;
    TieSearchHold& operator=(const TieSearchHold&) = delete;

    struct Chords;

  private:
    RepeatEndingListHold endings_;
    std::unique_ptr<Chords> chords_;
    Chords* outer_;
};

// The notes whose ties end at `note`, with their measures.
std::vector<TieTarget> FindTiesIntoNote(ScoreDocument* document, ScoreView* view, EventRecord* note,
                                        int staff, int measure, int voice);

// ---- Shape and drawing (the body is TieBody of objects/curves/curve_objects.h) ----
// A tie is stored relative to its two notes: the ends are offsets (units of 2) from
// the note positions, both control points stand `controlInset` in from the ends and
// `controlRise` below the start (negative: above), and the inner curve is the outer
// one moved 8 units in and `thickness` back towards the ends. Drawing fills the
// crescent between the two curves; it reads the body and never writes it.

// Curve heights below this are damaged and replaced by kDefaultTieCurveHeight.
constexpr int32_t kLowestTieCurveHeight = 16;
constexpr int32_t kDefaultTieCurveHeight = 84;
// Replaces a damaged curve height in the document's tie metrics (on creating or
// reading a document); 1 when it changed.
int CorrectTieCurveHeight(ScoreDocument* document);

// The document's tie metrics that shape its ties: thickness, the gap of the ends
// from the heads, and their rise.
struct TieMetrics {
    int32_t thickness = 0;
    int32_t gap = 0;
    int32_t rise = 0;
};
TieMetrics TieMetricsOf(const ScoreDocument& document);
// Lays every tie of the score out again for a change of the tie metrics from
// `before` to `after`, keeping each tie's own shape; the number of ties changed.
int RescaleTies(ScoreDocument* document, const TieMetrics& before, const TieMetrics& after);

// Where a tie's notes stand for the view: the start note's position, the end note's
// (its x carried into the next slot when it lies in the next measure), and whether
// the tie leaves the system (the end lies past its last measure) with the x of the
// system's closing barline.
struct TieNotePoints {
    LogicalPoint start;
    LogicalPoint end;
    bool leavesSystem = false;
    int32_t closingBarlineX = 0;
};
// `measuresAhead` is 0 within the measure, 1 for the next measure.
TieNotePoints TieNotePositions(ScoreView* view, EventRecord* start, EventRecord* end, int measuresAhead);

// The default shape of a new tie between two notes, by the document's tie metrics
// and the program's CurveSide (1: below the notes). The voice bits are kept.
void InitTieBetweenNotes(TieBody& body, ScoreView* view, EventRecord* start, EventRecord* end,
                         int measuresAhead);
// The rise of a tie's control points deepened until its inner curve passes clear
// of the heads of the staff between its ends (more than a head's width in from
// them), of any voice but the tie's own two chords (and of a head's stem when it points to the tie's side); a tie with no
// head between keeps its rise. InitTieBetweenNotes shapes every new tie so.
void DeepenTieOverHeads(TieBody& body, ScoreView* view, EventRecord* start, EventRecord* end,
                        int measuresAhead);

// Where a stored tie's curve stands against its notes' places, unzoomed: its start
// `startDx` from the start note's x, its end `endDx` from the end note's, both ends
// `dy` from the start note's y, and its ink from `top` to `bottom` of that y (the
// outer curve passes its ends by three quarters of its rise at its middle).
struct TieExtent {
    int32_t startDx = 0;
    int32_t endDx = 0;
    int32_t dy = 0;
    int32_t top = 0;
    int32_t bottom = 0;
};
TieExtent TieExtentOf(const TieBody& body);

// The two cubic curves of a tie: outer[0..3] and inner[0..3], start to end.
struct TieCurve {
    LogicalPoint outer[4];
    LogicalPoint inner[4];
};
TieCurve ComputeTieCurve(const TieBody& body, ScoreView* view, EventRecord* start, EventRecord* end,
                         int measuresAhead);
// Fills the crescent between the curves in the text colour (dashed: every other
// piece); `dashed` from the shape's line style.
void DrawTieCurve(ScoreView* view, const TieCurve& curve, bool dashed);
// Draws a tie attached to `start` (its end note found again); nothing when there is
// no end note within the next measure.
void DrawTie(ScoreObject* tie, ScoreView* view, EventRecord* start);
// The Tie class (type 5): drawing, body size; registered over the stored class.
void RegisterTieClass();

// The first Tie in the note's attachment chain, or null.
ScoreObject* FindNoteTie(const EventRecord* note);
// The tie command on a note of the view's current staff and measure: removes the
// note's tie, or ties it to its targets. 1 when something changed.
int ToggleTie(ScoreView* view, EventRecord* note, int voice);
// Removes the note's tie (object and bits), or only its start bit when it has no tie
// object; 1 when something changed. The one way a tie is taken off: UntieNote finds
// the end notes from the view's staff, measure and voice, UntieNoteAt from those
// given (the note lies in that voice of that staff and measure).
int UntieNote(ScoreView* view, EventRecord* note);
int UntieNoteAt(ScoreView* view, EventRecord* note, int staff, int measure, int voice);
// The notes tying into `note` lose their ties; the note loses its continuation bit.
// 1 when a tie was removed.
int UntieIncomingTies(ScoreView* view, EventRecord* note, int voice);

}  // namespace ql
