// Note drawing (module NOTEDRAW): the notes of one voice of a measure cell, chord by
// chord: heads, accidentals, augmentation dots, staccato and legato marks, the
// tie-continuation sign, the objects attached to a note and ledger lines; stems,
// flags and beams through notes/drawing/stem_draw.h. Everything is drawn through the
// view's drawing surface in the music font's size class of the note.
//
// Where: the view's current location names the staff and measure being drawn
// (currentSystem, currentSlot, currentStaff, currentCell, currentStaffRecord); a
// chord's x is the beat-map x of its tick in the current slot plus its nudge x 16;
// a note's y is the staff's bottom-line y + scaled(position x 64), scaled() being the
// view's staff scale (used when above 0).
//
// Drawing never counts as an edit (every entry point holds a painting guard) and
// writes only the repairs stored files carry anyway, each idempotent: the cross-staff
// position of a cross-staff note, a missing forward beam link whose partner links
// back, the hidden marks of a voice hidden by its cell, and the Accidental of a note
// that has a code but no sign yet. Tie bits are the edits' alone: a continuation bit
// whose tie start is gone draws no sign and stays. Damaged input (a DurationCode outside 4..13, a position beyond
// kMaxDrawnPosition, size class 3, an attachment that does not resolve) is skipped
// and reported once per paint; links that leave the voice end a walk.
#pragma once

#include <cstdint>

#include "platform/gfx/dc.h"

namespace ql {

struct ScoreView;
struct MeasureCell;
struct EventRecord;

// Positions further than this from the bottom line are not drawn (damaged notes).
constexpr int kMaxDrawnPosition = 96;
// Ledger lines stop this many steps from the bottom line.
constexpr int kLedgerLineLimit = 50;
// Most notes of one chord that drawing looks at.
constexpr int kMaxChordNotes = 64;

// Outer lines of the staff in force (by its line count): the top and bottom line
// positions ledger lines and marks are measured against.
struct StaffLines {
    int top = -8;
    int bottom = 0;
};
StaffLines StaffLinesOf(const ScoreView* view);

// ---- Conversions and glyph output ----
int32_t ZoomX(const ScoreView* view, int32_t v);    // scaled v
int32_t UnzoomX(const ScoreView* view, int32_t v);  // v / the scale when above 0
// Applies the alignment to the view's context and its companion; the previous one.
gfx::TextAlign SetViewTextAlign(ScoreView* view, gfx::TextAlign mode);
// One music-font glyph at (x, y) with the alignment in force.
void TextOutChar(ScoreView* view, uint8_t code, int32_t x, int32_t y);

// ---- Drawing ----
// One voice (0..3) of a cell at the view's current staff and measure.
void DrawVoiceNotes(MeasureCell* cell, ScoreView* view, int voice);
// The same voice without the chord's beam group (or the chord alone when unbeamed),
// with `onward` without every later chord too: the chords beside what was drawn
// away by itself.
void DrawVoiceNotesBeside(MeasureCell* cell, ScoreView* view, int voice, EventRecord* chord, bool onward);
// The chord's beam group (or the chord) and every later chord of the voice.
void DrawVoiceNotesFrom(MeasureCell* cell, ScoreView* view, int voice, EventRecord* chord);
// One unbeamed chord from its first note.
void DrawChord(EventRecord* first, ScoreView* view);
// One note of a chord at the chord's x.
void DrawNote(EventRecord* note, ScoreView* view, int32_t x);
void DrawNoteHead(EventRecord* note, ScoreView* view, int32_t x, int32_t y);
void DrawNoteMarks(EventRecord* note, ScoreView* view, int32_t x, int32_t y);
// One articulation glyph centred on (x, y), on its baseline, in the music font of
// a note size class (0 normal, 1 petite, 2 grace).
void DrawArticulationMark(ScoreView* view, int sizeClass, uint8_t glyph, int32_t x, int32_t y);
void DrawNoteAccidental(EventRecord* note, ScoreView* view, int32_t x, int32_t y);
void DrawAugmentationDots(EventRecord* note, ScoreView* view, int32_t x);
// The staccato dot and legato line of a chord (at its chord end note on the head side,
// or at the stem end, by the voice layout); also used to draw or erase one mark.
void DrawStaccatoMark(EventRecord* note, ScoreView* view, int32_t x);
void DrawLegatoMark(EventRecord* note, ScoreView* view, int32_t x);
// Ledger lines of a chord: mode 0 its own notes on the staff whose bottom line is at
// bottomY, mode 1 its cross-staff notes on their other staff (whose bottom line is
// found from the view's system; bottomY is not read).
enum class LedgerMode : int { OwnNotes = 0, CrossStaffNotes = 1 };
void DrawLedgerLines(ScoreView* view, EventRecord* first, int32_t x, int32_t bottomY,
                     LedgerMode mode);
// Which sides need lines: 1 above, 2 below, 3 both, 0 none.
constexpr int kLedgerAbove = 1;
constexpr int kLedgerBelow = 2;
int LedgerLineSides(const ScoreView* view, EventRecord* first, LedgerMode mode);
// One ledger line of `length` from x at y.
void DrawLedgerLine(ScoreView* view, int32_t x, int32_t y, int32_t length);

// ---- Cross-staff notes ----
// The bottom-line y of the staff a cross-staff note is drawn on (above when stemWord
// bit 15 is set and the current staff is not the first, below when clear and it is
// not the last; else, and for a note that is not cross-staff, the current staff),
// rewriting the note's position into that staff's steps (callers that re-express a
// note put it back themselves).
int32_t ArticulationYForNote(ScoreView* view, EventRecord* note);
// Keeps a cross-staff note on its line of the other staff: with no cached position
// (kNoCrossStaffPosition) the position on the other staff is worked out and cached;
// otherwise the note's own position becomes the cached one minus the staves'
// distance in steps. Nothing for a note that is not cross-staff.
void CrossStaffPositionForDraw(ScoreView* view, EventRecord* note);

// ---- Chords ----
// Recomputes the far-side bit of every note of the note's chord and the chord's
// has-a-second bit (walking from the first note, from the last with the stem up).
void MarkSecondInChord(EventRecord* note);
// True when the view shows all voices or the voice's bit is set in its voice filter.
bool IsVoiceShown(const ScoreView* view, int voice);

}  // namespace ql
