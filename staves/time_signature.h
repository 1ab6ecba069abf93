// Time signatures: the signature in force in a measure is two bytes of every staff's
// cell (beats, and beatUnit holding the beat's DurationCode 7..12), and the measure
// length follows as beats x 2^code ticks. A signature is accepted when that length
// lies within 512..32,768 ticks, computed in full width, so 64/4 (65,536) is refused
// although it would wrap to 0 in 16 bits. Setting, stepping and the numbers drawn.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreDocument;
struct ScoreView;
struct ScoreSystem;

// Beat codes: 7 thirty-second .. 12 whole; the lower number is 2^(12 - code).
constexpr int kShortestBeatCode = 7;
constexpr int kWholeBeatCode = 12;
constexpr int kQuarterBeatCode = 10;
constexpr int kHalfBeatCode = 11;
// Accepted lengths: two sixteenths to 32 quarter notes.
constexpr int64_t kShortestSignatureTicks = 512;
constexpr int64_t kLongestSignatureTicks = 32768;
constexpr int kLimitSixteenths = 2;
constexpr int kLimitQuarters = 32;
// The most beats a signature may count.
constexpr int kMostBeats = 32;
// Common and cut time, drawn as symbols with "Use Common/Cut Signature".
constexpr int kCommonTimeBeats = 4;
constexpr int kCutTimeBeats = 2;

inline constexpr char kSignatureLimitFormat[] = "Must be between %d sixteenth and %d quarter notes.";

// beats x 2^code in full width; 0 for a code outside 0..30.
int64_t SignatureTicks(int beats, int code);
// The length rule: beats 1.., length within 512..32,768.
bool IsSignatureAccepted(int beats, int code);
// Highest upper number for a code: min(32, 65,536 >> code).
int MostBeatsForCode(int code);
// 2^(12 - code) for codes 7..12, else 0.
int LowerNumberOfCode(int code);
// True when 4/4 or 2/2 is drawn as its symbol (the setting on, and the signature one
// of the two).
bool IsDrawnAsSymbol(int beats, int code);
// The limit box, caption the product name.
void ShowSignatureLimit();

// Where SetTimeSignature ends: up to the first change, or a given last measure.
constexpr int kUpToFirstChange = -1;

// Gives every staff's cells from the view's location measure (index 0 too when it is
// measure 1) through `last` the signature, and those measures its length, default
// stretch, width and margins; re-places the systems and rebuilds the beat maps.
// 1 when applied; 0 with the limit box and nothing changed when refused.
int SetTimeSignature(ScoreView* view, int beats, int code, int last);

// Keypad stepping at the location measure through the end of the piece. With
// `upper` the upper number moves by `step`; else the beat code does (+1: a longer
// beat note). Refused with the limit box and no change when the result leaves code
// 7..12, beats 1..MostBeatsForCode or the length limits. 1 when applied.
int StepTimeSignature(ScoreView* view, int step, bool upper);
// Whether a pointer at `pointerY` steps the upper number: more than four staff steps
// (of 64, to the nearest step) above the staff's reference y; else the beat code.
bool PointerStepsUpperNumber(int32_t pointerY, int32_t staffY);

// The centre x of the time-signature column of a slot in a system: the column ends
// one time gap before the beat map's timeX and is TimeSignatureRoom wide.
// The room the beat map keeps for a signature's column: the wider of its two
// numbers (a two-digit number as its digits stand apart), and for 4/4 and 2/2 at
// least their symbol's advance, whether "Use Common/Cut Signature" draws the symbol
// or the numbers, so that the option changes the drawing and not the spacing. The
// signature is drawn centred in it.
int32_t TimeSignatureRoom(const ScoreDocument& document, int beats, int code);
int32_t TimeSignatureCentreX(ScoreView* view, const ScoreSystem* system, int slot, int beats,
                             int code);

}  // namespace ql
