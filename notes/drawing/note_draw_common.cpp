// What every part of note drawing shares: chords gathered from the voice chain, the
// metrics of the size class in force, where the staff and a chord stand, the checks
// of damaged notes and their once-per-paint notice, the entry points' scope and the
// dimmed colours.
#include <cmath>
#include <string>

#include "core/constants.h"
#include "core/draw/colour_sets.h"
#include "core/draw/draw_surface.h"
#include "core/model/engraving_metrics.h"
#include "core/model/events.h"
#include "core/model/score_document.h"
#include "core/state.h"
#include "core/ui/status_bar.h"
#include "core/units/status_text.h"
#include "notes/beatmap/beat_map.h"
#include "notes/drawing/notation_font.h"
#include "notes/drawing/note_draw_internal.h"
#include "notes/drawing/note_fields.h"
#include "notes/rests/staff_place.h"
#include "platform/gfx/dc.h"

namespace ql::notedraw {

namespace {

constexpr int32_t kNudgeUnits = 16;
constexpr char kDamagedNoteText[] = "A damaged note was left out of the drawing.";

// Nesting of NoteDrawScope: only the outermost makes the normal size class current, so
// that an entry point called inside another keeps the class in force.
int g_scopeDepth = 0;

}  // namespace

// ---- Chords ----

bool GatherChord(EventRecord* first, Chord& chord) {
    chord.count = 0;
    if (first == nullptr || IsHeadSentinel(*first)) return false;
    chord.notes[chord.count++] = first;
    for (EventRecord* e = NextEvent(first); e != nullptr && chord.count < kMaxChordNotes;
         e = NextEvent(e)) {
        if (IsHeadSentinel(*e) || e->time != first->time) break;
        chord.notes[chord.count++] = e;
    }
    return true;
}

EventRecord* NextChordHead(const Chord& chord) {
    if (chord.count == 0) return nullptr;
    EventRecord* next = NextEvent(chord.Last());
    if (next == nullptr || IsHeadSentinel(*next) || next->time <= chord.First()->time)
        return nullptr;
    return next;
}

EventRecord* ChordHeadOf(EventRecord* note) {
    if (note == nullptr) return nullptr;
    EventRecord* head = note;
    for (int i = 0; i < kMaxChordNotes; ++i) {
        EventRecord* prev = PrevEvent(head);
        if (prev == nullptr || IsHeadSentinel(*prev) || prev->time != note->time) break;
        head = prev;
    }
    return head;
}

bool LinkNames(RecordHandle link, const EventRecord* head) {
    return link && head != nullptr && ResolveEvent(link) == head;
}

void RestoreForwardLink(EventRecord* head, EventRecord* next) {
    if (head->beamNext || next == nullptr || !LinkNames(next->beamPrev, head)) return;
    head->beamNext = HandleOfEvent(next);
}

// ---- Metrics ----

NoteMetrics CurrentNoteMetrics(const ScoreView* view) {
    const NotationFontState& s = CurrentNotationFont();
    NoteMetrics m;
    m.sizeClass = s.sizeClass;
    m.classFactor = SizeClassFactor(s.sizeClass);
    m.black = s.blackWidth;
    m.half = s.halfWidth;
    m.whole = s.wholeWidth;
    m.breve = s.breveWidth;
    m.dotGap = s.dotGap;
    m.quarterBlack = s.quarterBlackWidth;
    m.beamThickness = s.beamThickness;
    m.beamSeparation = s.beamSeparation;
    if (view->document != nullptr) {
        m.stemWidth = ZoomX(view, EngravingMetricOf(*view->document, EngravingMetric::StemWid));
        m.lineWidth =
            ZoomX(view, EngravingMetricOf(*view->document, EngravingMetric::StaffLineWid));
    }
    m.pixelX = view->PixelUnitsX;
    m.pixelY = view->PixelUnitsY;
    m.zoom = ZoomLevel(view);
    return m;
}

int32_t ScaledGlyphValue(const ScoreView* view, const NoteMetrics& m, int32_t value) {
    return ZoomX(view, static_cast<int32_t>(value * m.classFactor));
}

bool IsClipboardRendering() {
    return State().drawing.ClipboardRendering != 0;
}

// ---- Where things stand ----

int32_t BottomLineY(const ScoreView* view) {
    return StaffBaseY(view);
}

int32_t NoteY(const ScoreView* view, int position) {
    return BottomLineY(view) + ZoomX(view, position * kUnitsPerStaffStep);
}

int32_t ChordX(ScoreView* view, const EventRecord& first) {
    return BeatMapTickToX(view, first.time) + CurrentSlotX(view) + first.nudge * kNudgeUnits;
}

int32_t HeadWidthOf(const NoteMetrics& m, int duration, int headKind) {
    if (duration == CodeOf(DurationCode::Half) && headKind == kHeadNormal) return m.half;
    if (duration >= CodeOf(DurationCode::Whole) && headKind == kHeadNormal)
        return duration == CodeOf(DurationCode::Whole) ? m.whole : m.breve;
    return m.black;
}

bool IsShowingHidden() {
    return State().notes.DisplayHiddenItems != 0;
}

// ---- Damaged notes ----

bool IsDrawableNote(const EventRecord& note) {
    const int position = NotePosition(note);
    return IsValidDurationCode(note.duration) && position >= -kMaxDrawnPosition &&
           position <= kMaxDrawnPosition && NoteSizeClass(note) < kSizeClassCount;
}

void ReportDamagedNote(int line) {
    NotesGlobals& notes = State().notes;
    const uint32_t paint = CurrentPaintSerial();
    if (notes.BadNoteReportSerial == paint) return;
    notes.BadNoteReportSerial = paint;
    const std::string text = std::string(FormatModuleLine(kModuleTag, line)) + kDamagedNoteText;
    ShowLabelledNotice(text.c_str());
}

// ---- Scopes ----

NoteDrawScope::NoteDrawScope(ScoreView* view) {
    if (g_scopeDepth++ == 0) EstablishNotationFont(view);
}

NoteDrawScope::~NoteDrawScope() {
    --g_scopeDepth;
}

DimmedScope::DimmedScope(ScoreView* view, bool dim)
    : view_(view), dim_(dim && view->ViewDC && gfx::GetTextColour(view->ViewDC) != kGreyColour) {
    if (dim_) BeginHighlightDrawAlt(view_);
}

DimmedScope::~DimmedScope() {
    if (dim_) EndHighlightDraw(view_);
}

bool ChordStemsUp(const EventRecord& first) {
    return first.stemLength < 0;
}

}  // namespace ql::notedraw

namespace ql {

int32_t ZoomX(const ScoreView* view, int32_t v) {
    return Zoomed(view, v);
}

int32_t UnzoomX(const ScoreView* view, int32_t v) {
    return Unzoomed(view, v);
}

gfx::TextAlign SetViewTextAlign(ScoreView* view, gfx::TextAlign mode) {
    if (view == nullptr || !view->ViewDC) return gfx::kTextAlignLeft | gfx::kTextAlignTop;
    const gfx::TextAlign previous = gfx::SetTextAlign(view->ViewDC, mode);
    if (platform::DcHandle companion = CompanionContext(view)) gfx::SetTextAlign(companion, mode);
    return previous;
}

void TextOutChar(ScoreView* view, uint8_t code, int32_t x, int32_t y) {
    if (view == nullptr || !view->ViewDC) return;
    const ScopedPaintingGuard guard;
    notedraw::InkGlyph(view, notedraw::InkPart::Head, code, x, y);
}

}  // namespace ql
