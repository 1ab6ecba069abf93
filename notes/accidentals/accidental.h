// The Accidental: the sign drawn in front of a note head, an object of its own that
// heads the note's attachment chain (its previous link names the note, the note holds
// its handle). The note keeps what it sounds (its AccidentalCode); the Accidental
// keeps how the sign looks: its music-font glyph, its offset from the note, its text
// style (size), parentheses and whether the user moved it.
//
// It is a text object (type 38, pool 8) whose text body carries these fields (see
// accidental_layout.h for the accessors): the horizontal offset is the note-anchor x
// word of the location (the x offset from the note that every note-attached text
// object keeps), the glyph is the single character of the body, the style is the
// body's style, the parentheses are the two frame bits of the flag word, the
// moved-by-hand mark is the flag word's top bit and the hidden mark its hidden bit.
#pragma once

#include <cstdint>

#include "notes/accidentals/accidental_layout.h"
#include "platform/handles.h"
#include "platform/win/messages.h"

namespace ql {

struct ScoreView;
struct ScoreObject;
struct EventRecord;
struct ToolRecord;

// Music-font code of the sign of AccidentalCode c (1..5): kAccidentalGlyphBase + c,
// 218 sharp .. 222 natural.
constexpr int kAccidentalGlyphBase = 217;
// The glyph of a code, 0 for a code outside 1..5.
int AccidentalGlyphOfCode(int code);

// Registers the Accidental class and the constructor of type 38 (start-up; tests run
// it after resetting the class table).
void RegisterAccidentalClass();

// A new Accidental heading the note's attachment chain, or null: when the note
// already has an attachment (nothing changes), or when no record can be had (the
// note keeps its code without a sign object). Offset, glyph and style are set from
// the note and the document, and the sign is measured.
ScoreObject* NewAccidentalForNote(ScoreView* view, EventRecord* note);

// Sets the glyph from a code 1..5; other codes leave it.
void SetAccidentalGlyph(ScoreObject* accidental, int code);

// The accidental tools' change of a note's sign: takes the note's Accidental (making
// one when it has none), sets its glyph for codes 1..5 and the note's code, gives it
// parentheses when the parentheses tool is on (else clears them), respaces and
// redraws. With `drawNow` the work is bracketed by BeginViewDraw/EndViewDraw.
// Always 1.
int SetNoteAccidental(ScoreView* view, EventRecord* note, int code, bool drawNow);

// Returns the record to pool 8 (the caller has unlinked it).
void DeleteAccidental(ScoreObject* accidental);

// True when the sign is drawn by its own Draw operation rather than by the note's
// head drawing: moved by hand, parenthesised or hidden.
bool AccidentalDrawsItself(const ScoreObject* accidental);

// The tool-table handler of the four accidental tools (natural, sharp, flat and
// parentheses), in the tool-handler protocol of core/ui/tool_record.h. Only action 1 (a
// window message) is handled: a left button down or mouse move, whose `data` is the
// packed client point, changes the sign of the note under the pointer. The tool state
// is State().notes.AccidentalTools. 1 when the message was handled, 0 otherwise.
intptr_t AccidentalToolHandler(ScoreView* view, int action, ToolRecord* record,
                               platform::WindowHandle window, win::Message message,
                               uint32_t word, intptr_t data);

// Redraws the staff lines of the view's current staff over three note heads from x
// (wipes a removed sign).
void DrawStaffLinesAt(ScoreView* view, int32_t x);

}  // namespace ql
