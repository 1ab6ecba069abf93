// The marks the engraving check reads off a page paint: each glyph or text run and
// each stroke or filled shape, with its ink box, what kind of mark it is, and what
// it belongs to (system, staff and measure being drawn, the score object drawing
// it, and for note parts the chord, beam group and voice). Strokes keep their
// points, so that a slur, tie or beam can be followed through a note head.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/draw/ink_tag.h"
#include "platform/gfx/stroke_tap.h"
#include "platform/gfx/types.h"
#include "platform/text/text_ink_tap.h"

namespace ql {

struct ScoreObject;

enum class Mark : uint8_t {
    Clef,
    Signature,
    Brace,
    Head,
    Rest,
    NoteMark,
    Label,
    Text,
    Number,
    Lyric,
    Dynamic,
    Other,
    // Strokes.
    Stem,
    Beam,
    Ledger,
    Curve,  // a slur or tie
    Line,   // a hairpin, octave or pedal line, bracket or other line of an object
    StaffLine,
    Barline,
};

const char* MarkName(Mark mark);
bool IsTextMark(Mark mark);  // labels, texts, measure numbers and lyrics
bool IsSign(Mark mark);      // clefs and key and time signatures

struct InkMark {
    Mark mark = Mark::Other;
    gfx::Rect box;
    int system = 0;  // from 1 on the page; 0 for the page's own items
    int staff = 0;
    int measure = 0;
    const ScoreObject* object = nullptr;
    InkNote note;
    std::string text;              // a glyph or text run's text, printable
    std::vector<gfx::Point> path;  // a stroke's points (a Bezier flattened); empty for glyphs
    bool closed = false;           // the path is a filled outline
    int32_t pen = 0;               // the stroke's pen width
};

// The mark a text run or glyph is, from the paint's stage, object and note part at
// the moment it is drawn; `music` when drawn in the music font.
InkMark MarkOfText(const text::TextInk& ink, bool music);
// The mark a stroke is; false for one the check leaves out (paper, or a stroke of
// no mark it reads).
bool MarkOfStroke(const gfx::StrokeInk& ink, InkMark* out);

// True when the two boxes overlap by more than the touch allowance on both axes.
bool Overlap(const gfx::Rect& a, const gfx::Rect& b);
// True when the mark's ink meets the box shrunk by the touch allowance (on the sides
// where the box is wide enough): its box for a glyph, its path (with the pen's width,
// and its inside when filled) for a stroke.
bool InkMeets(const InkMark& mark, const gfx::Rect& box);
// True when two strokes' inks meet: a segment of one crosses a segment of the other
// or comes nearer to it than their pens' halves less the touch allowance, or a point
// of one lies inside the other's filled outline. Two slanted strokes whose boxes
// overlap (a slur over a sloping beam) meet only where their paths do.
bool StrokesMeet(const InkMark& a, const InkMark& b);
// "(x1, y1)-(x2, y2)" from the page's corner.
std::string Place(const gfx::Rect& box);

// Ink boxes come from device pixels: two marks count as touching, not colliding,
// while they overlap by no more than this on either axis (an eighth of a space).
constexpr int32_t kTouch = 16;

}  // namespace ql
