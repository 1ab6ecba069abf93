// Inside note drawing: the ink calls every part is drawn through, the chord as drawing
// sees it (its notes gathered from the voice chain), the metrics of the size class in
// force, where the current staff and chord stand, the checks of damaged notes with
// their once-per-paint report, and the scope every entry point opens.
#pragma once

#include <cstdint>

#include "core/draw/painting_guard.h"
#include "core/model/event_record.h"
#include "notes/drawing/note_draw.h"
#include "platform/gfx/types.h"

namespace ql {

struct ScoreView;
struct MeasureCell;
struct StaffRecord;

namespace notedraw {

// ---- Ink ----
// What a drawing call draws, for the draw-call log of the tests.
enum class InkPart : uint8_t {
    Head,
    Accidental,
    Dot,
    Staccato,
    Legato,
    TieSign,
    Stem,
    Flag,
    Slash,
    Ledger,
    Beam,
    Articulation,
};
void InkGlyph(ScoreView* view, InkPart part, uint8_t code, int32_t x, int32_t y);
// A one-pixel line from (x1, y1) to (x2, y2), the end point included.
void InkLine(ScoreView* view, InkPart part, int32_t x1, int32_t y1, int32_t x2, int32_t y2);
// A filled rectangle in the brush in force.
void InkBar(ScoreView* view, InkPart part, const gfx::Rect& rect);
// A filled polygon in the brush in force.
void InkPolygon(ScoreView* view, InkPart part, const gfx::Point* points, int count);
// A line drawn with a pen `width` wide.
void InkPenLine(ScoreView* view, InkPart part, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                int32_t width);

// ---- Chords ----
// The notes of one chord, top to bottom, as reached from its first note: events of
// the same time linked forward, at most kMaxChordNotes, ending at a sentinel or a
// link that does not resolve.
struct Chord {
    EventRecord* notes[kMaxChordNotes] = {};
    int count = 0;
    EventRecord* First() const { return notes[0]; }
    EventRecord* Last() const { return notes[count - 1]; }
};
// False for a null or sentinel event.
bool GatherChord(EventRecord* first, Chord& chord);
// The first note of the chord after this one: the event after its last note when it
// is later in time; null at the end of the voice.
EventRecord* NextChordHead(const Chord& chord);
// The first note of the chord holding the event (walking back over equal times).
EventRecord* ChordHeadOf(EventRecord* note);
// True when `link` names `head` (a live event).
bool LinkNames(RecordHandle link, const EventRecord* head);
// The repair of a one-sided beam link: a chord without a forward link whose next
// chord links back to it gets its forward link (idempotent).
void RestoreForwardLink(EventRecord* head, EventRecord* next);

// ---- Metrics of the size class in force ----
struct NoteMetrics {
    int sizeClass = 0;
    double classFactor = 1.0;
    int32_t black = 0;
    int32_t half = 0;
    int32_t whole = 0;
    int32_t breve = 0;
    int32_t dotGap = 0;
    int32_t quarterBlack = 0;
    int32_t beamThickness = 0;
    int32_t beamSeparation = 0;
    int32_t stemWidth = 0;  // scaled document stem width
    int32_t lineWidth = 0;  // scaled document staff-line width
    int32_t pixelX = 0;     // view units of one device pixel
    int32_t pixelY = 0;
    int32_t zoom = 0;  // the device density (pixels per staff space)
};
NoteMetrics CurrentNoteMetrics(const ScoreView* view);
// A glyph-table value of the music font scaled to the class and the staff.
int32_t ScaledGlyphValue(const ScoreView* view, const NoteMetrics& m, int32_t value);
// Zoom levels at which thin parts are drawn twice, and drawn as filled bars.
constexpr int32_t kDoubledLineZoom = 16;
constexpr int32_t kFilledBarZoom = 20;
// True while the score is rendered for the clipboard (parts drawn as filled bars).
bool IsClipboardRendering();

// ---- Where things stand ----
int32_t BottomLineY(const ScoreView* view);
// One voice laid out alone: the view filters no voices and voices 2..4 of the
// current cell are empty (marks then follow the stem, not the voice).
bool IsSingleVoiceLayout(const ScoreView* view);
int32_t NoteY(const ScoreView* view, int position);
// x of the chord's tick in the current slot plus its nudge.
int32_t ChordX(ScoreView* view, const EventRecord& first);
// The head width of the chord's duration: half, black, or whole for longer values.
int32_t HeadWidthOf(const NoteMetrics& m, int duration, int headKind);
bool IsShowingHidden();

// ---- Damaged notes ----
// A DurationCode in 4..13, a position within kMaxDrawnPosition and a size class 0..2.
bool IsDrawableNote(const EventRecord& note);
// The notice of a damaged note, shown once per paint with the module line.
void ReportDamagedNote(int line);
constexpr char kModuleTag[] = "NOTEDRAW";

// ---- The scope of an entry point ----
// Holds the painting guard; the outermost scope makes the normal size class of the
// staff in force current.
class NoteDrawScope {
  public:
    explicit NoteDrawScope(ScoreView* view);
    ~NoteDrawScope();
    NoteDrawScope(const NoteDrawScope&) = delete;
    NoteDrawScope& operator=(const NoteDrawScope&) = delete;

  private:
    ScopedPaintingGuard guard_;
};

// Draws in the dimmed colours for one scope when `dim` is set.
class DimmedScope {
  public:
    DimmedScope(ScoreView* view, bool dim);
    ~DimmedScope();
    DimmedScope(const DimmedScope&) = delete;
    DimmedScope& operator=(const DimmedScope&) = delete;

  private:
    ScoreView* view_;
    bool dim_;
};

// ---- Cross-staff notes ----
// The staff a cross-staff note is drawn on: its number (0 when there is none), its
// bottom-line y and (own staff offset - other staff offset) / 64.
struct CrossStaffTarget {
    int staff = 0;
    int32_t bottomY = 0;
    int stepsBetween = 0;
};
CrossStaffTarget CrossStaffTargetOf(const ScoreView* view, const EventRecord& note);
// The position a note is drawn at: for a cross-staff note with a cached position, its
// own position worked out from it (as CrossStaffPositionForDraw stores it); read only.
int DrawnPosition(const ScoreView* view, const EventRecord& note);

// ---- The parts ----
// The glyph of a head kind and DurationCode; -1 for none (kind 14 draws a rest).
int HeadGlyph(int kind, int duration);
void DrawHeadAt(ScoreView* view, const NoteMetrics& m, const EventRecord& note, int32_t x,
                int32_t y);
void DrawMarksAt(ScoreView* view, const NoteMetrics& m, const Chord& chord, EventRecord& note,
                 int32_t x, int32_t y);
void DrawDotsAt(ScoreView* view, const NoteMetrics& m, const Chord& chord, EventRecord& note,
                int32_t x);
void DrawChordLedgerLines(ScoreView* view, const Chord& chord, int32_t x, int32_t bottomY,
                          LedgerMode mode);
int ChordLedgerSides(ScoreView* view, const Chord& chord, LedgerMode mode);
StaffLines StaffLinesOfRecord(const StaffRecord* staff);
// True for head kinds drawn without stem, flag and beams.
bool HeadKindHasNoStem(int kind);
void DrawStemAndFlagAt(ScoreView* view, const NoteMetrics& m, const Chord& chord, int32_t x,
                       int32_t y);
// a x b / c rounded to the nearest, clamped to the logical range; 0 when c is 0.
int32_t MulDivOrZero(int32_t a, int32_t b, int32_t c);
void DrawBeamBarStyled(ScoreView* view, bool down, int32_t x1, int32_t y1, int32_t x2, int32_t y2,
                       int level, uint16_t style);
// The group starting at `start`: the head of its last chord, null when not a group.
EventRecord* DrawGroupAt(ScoreView* view, EventRecord* start);
// The first chord of the beam group holding the chord (the chord itself when none).
EventRecord* BeamGroupStart(EventRecord* chord);
// Which part of a voice is drawn: from `from` (the first chord when null), leaving
// out the beam group or lone chord starting at `leftOut`, with `leftOutOnward`
// everything after it too.
struct VoicePart {
    EventRecord* from = nullptr;
    const EventRecord* leftOut = nullptr;
    bool leftOutOnward = false;
};
void DrawVoiceAt(MeasureCell* cell, ScoreView* view, int voice, const VoicePart& part);
// True when no voice of the cell has notes or rests.
bool CellHasNoEvents(MeasureCell* cell);
// The rest an empty measure shows (none when a voice has notes), drawn or erased.
enum class RestInk { Draw, Erase };
void DrawEmptyMeasureRest(ScoreView* view, MeasureCell* cell, RestInk ink = RestInk::Draw);

// ---- Shared steps ----
// Heads, marks and (with withStem) the unbeamed stem of every note of a chord, then its
// ledger lines; the chord's cross-staff positions are brought up to date first.
void DrawChordAt(ScoreView* view, const Chord& chord, int32_t x, bool withStem);
// The chord's stem direction: its first note's stem offset (negative = up).
bool ChordStemsUp(const EventRecord& first);

}  // namespace notedraw
}  // namespace ql
