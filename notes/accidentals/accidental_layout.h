// The fields of a note's Accidental that chord layout and note drawing read and
// write: the sign object heading the note's attachment chain, whether the user placed
// it by hand, its parentheses (a parenthesised sign is of the wide kind), its glyph,
// style and hidden mark, and its horizontal offset from the note, which the accidental
// columns of a chord set. Every accessor takes null or an object of another type and
// then reads 0 / false and writes nothing.
#pragma once

#include <cstdint>

namespace ql {

struct ScoreObject;
struct EventRecord;

// Flag-word bits of an Accidental (the text object's flag word).
constexpr uint16_t kAccidentalPlacedByHand = 0x8000;
constexpr uint16_t kAccidentalParenthesesMask = 0x0300;
constexpr int kAccidentalParenthesesShift = 8;
// The parentheses value the tools write.
constexpr int kAccidentalParenthesised = 1;

// The note's Accidental (type 38 heading its attachment chain), or null.
ScoreObject* AccidentalOfNote(const EventRecord& note);
// True when the user moved the sign by hand: layout keeps its offset.
bool IsAccidentalPlacedByHand(const ScoreObject* accidental);
// True for a parenthesised sign, which takes one more column of room.
bool IsAccidentalWide(const ScoreObject* accidental);
// The parentheses value 0..3 (0 none).
int AccidentalParentheses(const ScoreObject* accidental);
void SetAccidentalParentheses(ScoreObject* accidental, int value);
bool IsAccidentalHidden(const ScoreObject* accidental);
// The music-font glyph (0 until set) and the text style 1..3.
int AccidentalGlyph(const ScoreObject* accidental);
int AccidentalStyle(const ScoreObject* accidental);
// The horizontal offset from the note's x, logical units, negative to the left.
int16_t AccidentalOffset(const ScoreObject* accidental);
void SetAccidentalOffset(ScoreObject* accidental, int16_t offset);

}  // namespace ql
